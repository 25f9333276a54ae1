#pragma once
// Safe attribute access over tinyxml2. Every XML key of the program is read and written
// through these; a null element or name reads as 0 / empty and a write to it is dropped.
//
// `offset` skips the first characters of the attribute name: the layout and element-state
// writers pass 2 so that a member name such as "m_nFixedSize" is stored as "nFixedSize".
// An offset at or past the end of the name addresses nothing.

#include <cstddef>
#include <string>
#include <string_view>

#include "foundation/IndSecuCode.h"

namespace tinyxml2 {
class XMLElement;
}

// The attribute's integer value; 0 when absent or not an integer.
int GetXmlAttrInt(const tinyxml2::XMLElement* element, std::string_view name);

// 1 and `value` written when the attribute is present and numeric; else 0, `value` untouched.
int QueryXmlAttrInt(const tinyxml2::XMLElement* element, std::string_view name, int& value,
                    size_t offset = 0);

// The attribute's text; empty when absent.
std::string GetXmlAttrString(const tinyxml2::XMLElement* element, std::string_view name);

void SetXmlAttrInt(tinyxml2::XMLElement* element, std::string_view name, int value,
                   size_t offset = 0);
void SetXmlAttrString(tinyxml2::XMLElement* element, std::string_view name, std::string_view value,
                      size_t offset = 0);

// A security stored as two attributes (market number, code text). The code read is cut
// to 128 characters.
CIndSecuCode ReadSecurityCode(const tinyxml2::XMLElement* element, std::string_view marketAttr,
                              std::string_view codeAttr);
void WriteSecurityCode(tinyxml2::XMLElement* element, std::string_view marketAttr,
                       std::string_view codeAttr, const CIndSecuCode& code);

// The key text of a security is "%04d%s" of market and code; parsing takes the integer
// value of the first four characters as the market and the rest as the code.
std::string MakeSecurityKey(const CIndSecuCode& code);
CIndSecuCode ParseSecurityKey(std::string_view key);
