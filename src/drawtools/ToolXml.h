#pragma once
// A tool's attributes read and written without a search or an allocation per attribute: a
// drawing file holds thousands, and tinyxml2 finds an attribute by comparing every name
// before it. Numbers read as strtoll, strtod and tinyxml2 read them (anything unusual goes
// to those), and are written as "%lld" and "%.3f" write them.

#include <tinyxml2.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Finds the attributes of one element, expecting them in the order they were written:
// each search starts after the previous hit and wraps around, so a tool read in the order
// it saves costs one name comparison per attribute.
class ToolAttrReader {
public:
    explicit ToolAttrReader(const tinyxml2::XMLElement* e)
        : m_first(e ? e->FirstAttribute() : nullptr), m_next(m_first) {}
    // The value; null when the element has no such attribute.
    const char* Find(const char* name);
    // 0 when missing, not a number or not finite.
    int64_t Key(const char* name);
    double Number(const char* name);
    // 0 when missing or not an integer.
    int Int(const char* name);
    // Empty when missing.
    std::string Text(const char* name);

private:
    const tinyxml2::XMLAttribute* m_first;
    const tinyxml2::XMLAttribute* m_next;
};

// Number texts on the stack, for SetAttribute.
class KeyText {
public:
    explicit KeyText(int64_t v);
    const char* c_str() const { return m_buf; }

private:
    char m_buf[24];
};

class Fixed3Text {
public:
    explicit Fixed3Text(double v);
    const char* c_str() const { return m_buf; }

private:
    char m_buf[330];  // the widest double in fixed notation
};

// A drawing file's text written straight out, byte for byte as tinyxml2's printer lays
// out the same document (declaration, four spaces a level, "/>" for an element without
// children) and already in GBK: a save builds no document and converts nothing twice.
class ToolTextWriter {
public:
    // Appends to `out`, which should hold the declaration already.
    explicit ToolTextWriter(std::string& out) : m_out(out) {}
    // Opens an element at `depth` (0: the root), closing what is open at that depth or below.
    void Open(const char* name, int depth);
    // An attribute of the element opened last; `utf8` ends at its first NUL, is escaped and
    // converted to GBK (a character GBK lacks becomes a character reference).
    void Attr(const char* name, std::string_view utf8);
    // An attribute whose value needs neither (a number).
    void PlainAttr(const char* name, std::string_view ascii);
    // Closes everything open at `depth` or deeper.
    void CloseTo(int depth);

private:
    void Indent(int depth);

    std::string& m_out;
    struct OpenElement {
        const char* name;
        bool hasChildren;
    };
    std::vector<OpenElement> m_open;
};

// Where a tool saves its attributes: an element of a document (tests, other documents) or
// the drawing file's text being written. An element's attributes all come before its
// children: in the text an element ends where the next one at its level or above begins.
class ToolXmlOut {
public:
    ToolXmlOut(tinyxml2::XMLElement* e) : m_element(e) {}  // NOLINT: an element is an output
    ToolXmlOut(ToolTextWriter* text, int depth) : m_text(text), m_depth(depth) {}
    explicit operator bool() const { return m_element || m_text; }

    void Text(const char* name, const std::string& utf8) { Text(name, utf8.c_str()); }
    void Text(const char* name, const char* utf8);
    void Int(const char* name, int v);
    // As KeyText and Fixed3Text write them.
    void Key(const char* name, int64_t v);
    void Fixed3(const char* name, double v);
    ToolXmlOut Child(const char* name);

private:
    tinyxml2::XMLElement* m_element = nullptr;
    ToolTextWriter* m_text = nullptr;
    int m_depth = 0;
};
