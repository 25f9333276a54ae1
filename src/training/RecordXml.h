#pragma once
// Attribute access shared by the readers and writers of the record file's elements.
// A missing attribute reads 0, 0.0 or empty text.

#include <tinyxml2.h>

#include <charconv>
#include <cstdint>
#include <string>

#include "training/RecordText.h"

namespace recordxml {

inline std::string_view AttrText(const tinyxml2::XMLElement& e, const char* name)
{
    const char* value = e.Attribute(name);
    return value ? std::string_view(value) : std::string_view();
}

inline int32_t ReadInt(const tinyxml2::XMLElement& e, const char* name)
{
    return static_cast<int32_t>(ParseInt64(AttrText(e, name)));
}

inline int64_t ReadInt64(const tinyxml2::XMLElement& e, const char* name)
{
    return ParseInt64(AttrText(e, name));
}

inline double ReadDouble(const tinyxml2::XMLElement& e, const char* name)
{
    return ParseDouble(AttrText(e, name));
}

inline std::string ReadText(const tinyxml2::XMLElement& e, const char* name)
{
    return FromFileText(AttrText(e, name));
}

inline void WriteInt(tinyxml2::XMLElement& e, const char* name, int64_t value)
{
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    *res.ptr = '\0';
    e.SetAttribute(name, buf);
}

inline void WriteFixed(tinyxml2::XMLElement& e, const char* name, double value, int precision)
{
    e.SetAttribute(name, FormatFixed(value, precision).c_str());
}

// Values later arithmetic builds on (stop levels, rates, the account) must reload exactly.
inline void WriteExact(tinyxml2::XMLElement& e, const char* name, double value, int precision)
{
    e.SetAttribute(name, FormatExact(value, precision).c_str());
}

inline void WriteText(tinyxml2::XMLElement& e, const char* name, const std::string& utf8)
{
    e.SetAttribute(name, ToFileText(utf8).c_str());
}

}  // namespace recordxml
