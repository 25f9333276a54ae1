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

    int32_t m_nMarket = 0;
    std::string m_strCode;
};
