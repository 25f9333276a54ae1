#include "foundation/XmlAttr.h"

#include <tinyxml2.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr size_t kMaxCodeLength = 128;

// tinyxml2 wants NUL-terminated names; an empty result means "no such attribute".
std::string AttrName(std::string_view name, size_t offset) {
    if (offset >= name.size()) return {};
    name.remove_prefix(offset);
    size_t nul = name.find('\0');
    if (nul != std::string_view::npos) name = name.substr(0, nul);
    return std::string(name);
}

}  // namespace

int GetXmlAttrInt(const tinyxml2::XMLElement* element, std::string_view name) {
    int value = 0;
    if (QueryXmlAttrInt(element, name, value) == 0) return 0;
    return value;
}

int QueryXmlAttrInt(const tinyxml2::XMLElement* element, std::string_view name, int& value,
                    size_t offset) {
    if (!element) return 0;
    std::string attr = AttrName(name, offset);
    if (attr.empty()) return 0;
    int parsed = 0;
    if (element->QueryIntAttribute(attr.c_str(), &parsed) != tinyxml2::XML_SUCCESS) return 0;
    value = parsed;
    return 1;
}

std::string GetXmlAttrString(const tinyxml2::XMLElement* element, std::string_view name) {
    if (!element) return {};
    std::string attr = AttrName(name, 0);
    if (attr.empty()) return {};
    const char* text = element->Attribute(attr.c_str());
    return text ? std::string(text) : std::string();
}

void SetXmlAttrInt(tinyxml2::XMLElement* element, std::string_view name, int value, size_t offset) {
    if (!element) return;
    std::string attr = AttrName(name, offset);
    if (!attr.empty()) element->SetAttribute(attr.c_str(), value);
}

void SetXmlAttrString(tinyxml2::XMLElement* element, std::string_view name, std::string_view value,
                      size_t offset) {
    if (!element) return;
    std::string attr = AttrName(name, offset);
    if (attr.empty()) return;
    std::string text(value.substr(0, value.find('\0')));
    element->SetAttribute(attr.c_str(), text.c_str());
}

CIndSecuCode ReadSecurityCode(const tinyxml2::XMLElement* element, std::string_view marketAttr,
                              std::string_view codeAttr) {
    CIndSecuCode code;
    code.m_nMarket = GetXmlAttrInt(element, marketAttr);
    code.m_strCode = GetXmlAttrString(element, codeAttr);
    if (code.m_strCode.size() > kMaxCodeLength) code.m_strCode.resize(kMaxCodeLength);
    return code;
}

void WriteSecurityCode(tinyxml2::XMLElement* element, std::string_view marketAttr,
                       std::string_view codeAttr, const CIndSecuCode& code) {
    SetXmlAttrInt(element, marketAttr, code.m_nMarket);
    SetXmlAttrString(element, codeAttr, code.m_strCode);
}

std::string MakeSecurityKey(const CIndSecuCode& code) {
    char market[16];
    std::snprintf(market, sizeof market, "%04d", code.m_nMarket);
    return market + code.m_strCode;
}

CIndSecuCode ParseSecurityKey(std::string_view key) {
    std::string head(key.substr(0, 4));
    CIndSecuCode code;
    code.m_nMarket = std::atoi(head.c_str());
    if (key.size() > 4) code.m_strCode = std::string(key.substr(4));
    return code;
}
