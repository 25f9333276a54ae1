#pragma once
// Small helpers the tool families share in their own files.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class CRecRgnLines;

// A copy of a tool of a concrete type, as the base's Clone hands it out.
template <class T>
std::shared_ptr<CRecRgnLines> CloneAs(const T& self) {
    return std::make_shared<T>(self);
}

// A label text in printf's terms (labels are short; a longer one is cut).
template <class... A>
std::string Format(const char* fmt, A... args) {
    char buf[160];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

// A pixel coordinate computed in 64 bits, brought back into the range drawing can take.
inline int ClampToInt(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, -1000000, 1000000));
}
