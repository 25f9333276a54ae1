#pragma once
// A tool's attributes read and written without a search or an allocation per attribute: a
// drawing file holds thousands, and tinyxml2 finds an attribute by comparing every name
// before it. Numbers read as strtoll, strtod and tinyxml2 read them (anything unusual goes
// to those), and are written as "%lld" and "%.3f" write them.

#include <tinyxml2.h>

#include <cstdint>
#include <string>

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
