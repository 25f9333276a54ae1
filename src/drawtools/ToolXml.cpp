#include "drawtools/ToolXml.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char* ToolAttrReader::Find(const char* name) {
    for (const tinyxml2::XMLAttribute* a = m_next; a; a = a->Next())
        if (std::strcmp(a->Name(), name) == 0) {
            m_next = a->Next();
            return a->Value();
        }
    for (const tinyxml2::XMLAttribute* a = m_first; a && a != m_next; a = a->Next())
        if (std::strcmp(a->Name(), name) == 0) {
            m_next = a->Next();
            return a->Value();
        }
    return nullptr;
}

int64_t ToolAttrReader::Key(const char* name) {
    const char* text = Find(name);
    if (!text) return 0;
    const char* end = text + std::strlen(text);
    int64_t v = 0;
    const auto r = std::from_chars(text, end, v);
    if (r.ec == std::errc() && r.ptr == end) return v;
    return std::strtoll(text, nullptr, 10);
}

double ToolAttrReader::Number(const char* name) {
    const char* text = Find(name);
    if (!text) return 0;
    const char* end = text + std::strlen(text);
    double v = 0;
    const auto r = std::from_chars(text, end, v);
    if (r.ec != std::errc() || r.ptr != end) v = std::strtod(text, nullptr);
    return std::isfinite(v) ? v : 0;
}

int ToolAttrReader::Int(const char* name) {
    const char* text = Find(name);
    if (!text) return 0;
    const char* end = text + std::strlen(text);
    int v = 0;
    const auto r = std::from_chars(text, end, v);
    if (r.ec == std::errc() && r.ptr == end) return v;
    return tinyxml2::XMLUtil::ToInt(text, &v) ? v : 0;
}

std::string ToolAttrReader::Text(const char* name) {
    const char* text = Find(name);
    return text ? std::string(text) : std::string();
}

KeyText::KeyText(int64_t v) {
    const auto r = std::to_chars(m_buf, m_buf + sizeof m_buf - 1, v);
    *r.ptr = '\0';
}

Fixed3Text::Fixed3Text(double v) {
    const auto r = std::to_chars(m_buf, m_buf + sizeof m_buf - 1, v, std::chars_format::fixed, 3);
    if (r.ec == std::errc())
        *r.ptr = '\0';
    else
        std::snprintf(m_buf, sizeof m_buf, "%.3f", v);
}
