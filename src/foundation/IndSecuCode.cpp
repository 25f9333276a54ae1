#include "foundation/IndSecuCode.h"

#include <strings.h>

#include "foundation/XmlAttr.h"

namespace {

int CompareNoCase(const std::string& a, const std::string& b) {
    int c = ::strcasecmp(a.c_str(), b.c_str());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

void CIndSecuCode::Read(const tinyxml2::XMLElement* element) {
    if (!element) return;
    *this = ReadSecurityCode(element, "market", "code");
}

void CIndSecuCode::Write(tinyxml2::XMLElement* element) const {
    WriteSecurityCode(element, "market", "code", *this);
}

int CompareSecuCode(const CIndSecuCode& a, const CIndSecuCode& b) {
    return CompareSecuCodeOrder(a, b) != 0 ? 1 : 0;
}

int CompareSecuCodeOrder(const CIndSecuCode& a, const CIndSecuCode& b) {
    if (a.m_nMarket != b.m_nMarket) return a.m_nMarket < b.m_nMarket ? -1 : 1;
    return CompareNoCase(a.m_strCode, b.m_strCode);
}
