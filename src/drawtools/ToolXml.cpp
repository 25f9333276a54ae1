#include "drawtools/ToolXml.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "foundation/TextCodec.h"

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

void ToolTextWriter::Indent(int depth) {
    m_out += '\n';
    m_out.append(size_t(depth) * 4, ' ');
}

void ToolTextWriter::Open(const char* name, int depth) {
    CloseTo(depth);
    if (!m_open.empty() && !m_open.back().hasChildren) {
        m_open.back().hasChildren = true;
        m_out += '>';
    }
    Indent(depth);
    m_out += '<';
    m_out += name;
    m_open.push_back({name, false});
}

void ToolTextWriter::CloseTo(int depth) {
    while (int(m_open.size()) > depth) {
        const OpenElement e = m_open.back();
        m_open.pop_back();
        if (!e.hasChildren) {
            m_out += "/>";
        } else {
            Indent(int(m_open.size()));
            m_out += "</";
            m_out += e.name;
            m_out += '>';
        }
        if (m_open.empty()) m_out += '\n';
    }
}

void ToolTextWriter::PlainAttr(const char* name, std::string_view ascii) {
    m_out += ' ';
    m_out += name;
    m_out += "=\"";
    m_out += ascii;
    m_out += '"';
}

void ToolTextWriter::Attr(const char* name, std::string_view utf8) {
    utf8 = utf8.substr(0, utf8.find('\0'));  // as the C string it replaces
    m_out += ' ';
    m_out += name;
    m_out += "=\"";
    size_t i = 0;
    while (i < utf8.size()) {
        size_t run = i;
        while (run < utf8.size()) {
            const auto c = static_cast<unsigned char>(utf8[run]);
            if (c >= 0x80 || c == '"' || c == '&' || c == '\'' || c == '<' || c == '>') break;
            ++run;
        }
        m_out.append(utf8.data() + i, run - i);
        if (run == utf8.size()) break;
        switch (utf8[run]) {
        case '"': m_out += "&quot;"; ++run; break;
        case '&': m_out += "&amp;"; ++run; break;
        case '\'': m_out += "&apos;"; ++run; break;
        case '<': m_out += "&lt;"; ++run; break;
        case '>': m_out += "&gt;"; ++run; break;
        default: {
            size_t end = run;
            while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) >= 0x80) ++end;
            m_out += Utf8ToAnsiXml(utf8.substr(run, end - run));
            run = end;
        }
        }
        i = run;
    }
    m_out += '"';
}

void ToolXmlOut::Text(const char* name, const char* utf8) {
    if (m_text)
        m_text->Attr(name, utf8 ? std::string_view(utf8) : std::string_view());
    else if (m_element)
        m_element->SetAttribute(name, utf8 ? utf8 : "");
}

void ToolXmlOut::Int(const char* name, int v) {
    char buf[16];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    if (m_text)
        m_text->PlainAttr(name, std::string_view(buf, size_t(r.ptr - buf)));
    else if (m_element)
        m_element->SetAttribute(name, v);
}

void ToolXmlOut::Key(const char* name, int64_t v) {
    const KeyText text(v);
    if (m_text)
        m_text->PlainAttr(name, text.c_str());
    else if (m_element)
        m_element->SetAttribute(name, text.c_str());
}

void ToolXmlOut::Fixed3(const char* name, double v) {
    const Fixed3Text text(v);
    if (m_text)
        m_text->PlainAttr(name, text.c_str());
    else if (m_element)
        m_element->SetAttribute(name, text.c_str());
}

ToolXmlOut ToolXmlOut::Child(const char* name) {
    if (m_text) {
        m_text->Open(name, m_depth + 1);
        return ToolXmlOut(m_text, m_depth + 1);
    }
    return ToolXmlOut(m_element ? m_element->InsertNewChildElement(name) : nullptr);
}
