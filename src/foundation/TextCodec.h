#pragma once
// UTF-8 <-> GBK ("ANSI", code page 936) conversion. Text inside the program is UTF-8;
// GBK appears only at the boundaries that are GBK by definition (wire strings, code.dat,
// cq.dat, XML files declared gb2312, pinyin look-ups).
//
// Both conversions stop at the first NUL of the input, like the C strings they replace.
// They never fail: a byte sequence that is not valid in the source encoding becomes one
// replacement mark (U+FFFD in UTF-8 output, '?' in GBK output) and conversion goes on;
// a valid character that GBK cannot hold becomes '?'.

#include <string>
#include <string_view>

namespace tinyxml2 {
class XMLElement;
}

std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view gbk);

// For the text of an XML document stored as GBK: a character GBK lacks is written as a
// character reference ("&#x1F600;"), which any XML reader turns back into the character.
std::string Utf8ToAnsiXml(std::string_view utf8);

// True when the text is well-formed UTF-8 (no NUL check).
bool IsValidUtf8(std::string_view text);

// The attribute's value (UTF-8 in the parsed document) converted to GBK; empty when the
// element or attribute is missing.
std::string GetXmlAttrAnsi(const tinyxml2::XMLElement* element, const char* name);
