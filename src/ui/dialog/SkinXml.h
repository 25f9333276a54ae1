#pragma once
// Readers for the keys of "DlgConfig.xml". Colours are "RGB(r,g,b)"; the keys of one
// element share one set of components, which start at 0 for the element and are not reset
// between keys, so a key that is missing or does not parse repeats what the one before it
// left (the first defaults to black). Rectangles are "x,y,width,height".
#include <tinyxml2.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/Gdi.h"

namespace skinxml {

struct Rgb {
    int c[3] = {0, 0, 0};
    // Whatever of the three numbers parses replaces the component it stands for.
    COLORREF Parse(const char* text) {
        if (text) std::sscanf(text, "RGB(%d,%d,%d)", &c[0], &c[1], &c[2]);
        return Value();
    }
    COLORREF Read(const tinyxml2::XMLElement* e, const char* key) {
        return Parse(e ? e->Attribute(key) : nullptr);
    }
    COLORREF Value() const { return RGB(uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2])); }
};

inline const char* Attr(const tinyxml2::XMLElement* e, const char* key) {
    return e ? e->Attribute(key) : nullptr;
}

// x, y, width, height; an absent or malformed key gives an empty rectangle.
inline CRect ReadRect(const tinyxml2::XMLElement* e, const char* key) {
    int x = 0, y = 0, w = 0, h = 0;
    const char* v = Attr(e, key);
    if (!v || std::sscanf(v, "%d,%d,%d,%d", &x, &y, &w, &h) != 4) return CRect(0, 0, 0, 0);
    return CRect(x, y, x + w, y + h);
}

inline int ReadInt(const tinyxml2::XMLElement* e, const char* key, int fallback = 0) {
    const char* v = Attr(e, key);
    int n = 0;
    if (!v || std::sscanf(v, "%d", &n) != 1) return fallback;
    return n;
}

inline bool EqualsNoCase(const char* a, const char* b) {
    if (!a || !b) return false;
    for (; *a && *b; ++a, ++b)
        if (std::tolower((unsigned char)*a) != std::tolower((unsigned char)*b)) return false;
    return *a == *b;
}

// "true" (any case) or "1".
inline bool ReadFlag(const tinyxml2::XMLElement* e, const char* key) {
    const char* v = Attr(e, key);
    return v && (EqualsNoCase(v, "true") || std::string(v) == "1");
}

}  // namespace skinxml
