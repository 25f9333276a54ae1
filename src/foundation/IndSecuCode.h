#pragma once
// Identity of one security: market number (1 Shanghai, 2 Shenzhen, 0 none) and code text.
// Every module that names a security holds one; the formula engine takes it as is.

#include <cstdint>
#include <string>
#include <string_view>

namespace tinyxml2 {
class XMLElement;
}

class CIndSecuCode {
public:
    CIndSecuCode() = default;
    CIndSecuCode(int32_t market, std::string_view code) : m_nMarket(market), m_strCode(code) {}

    bool IsEmpty() const { return m_nMarket == 0 && m_strCode.empty(); }

    // Exact identity (market and code as written); CompareSecuCode gives the
    // case-insensitive comparison the data centre uses.
    friend bool operator==(const CIndSecuCode&, const CIndSecuCode&) = default;
    friend auto operator<=>(const CIndSecuCode&, const CIndSecuCode&) = default;

    // The security as the attributes "market" and "code" of `element`. Read leaves the
    // fields at 0 / empty for missing attributes; both ignore a null element.
    void Read(const tinyxml2::XMLElement* element);
    void Write(tinyxml2::XMLElement* element) const;

    int32_t m_nMarket = 0;
    std::string m_strCode;
};

// Non-zero when the market or the code (compared without regard to ASCII case) differ.
int CompareSecuCode(const CIndSecuCode& a, const CIndSecuCode& b);

// Order of the data centre's security table: market (signed) first, then the code compared
// without regard to ASCII case. Negative, zero or positive.
int CompareSecuCodeOrder(const CIndSecuCode& a, const CIndSecuCode& b);
