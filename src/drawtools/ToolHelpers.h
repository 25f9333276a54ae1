#pragma once
// Small helpers the tool families share in their own files.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>

class CRecRgnLines;

// A copy of a tool of a concrete type, as the base's Clone hands it out.
template <class T>
std::shared_ptr<CRecRgnLines> CloneAs(const T& self) {
    return std::make_shared<T>(self);
}

namespace tool_format {

// One argument of a label format, as printf would take it.
struct Arg {
    enum Kind { None, Whole, Real, Text } kind = None;
    long long whole = 0;
    double real = 0;
    const char* text = nullptr;
};
template <class T>
Arg MakeArg(T value) {
    Arg a;
    if constexpr (std::is_integral_v<T>) {
        a.kind = Arg::Whole;
        a.whole = value;
    } else if constexpr (std::is_floating_point_v<T>) {
        a.kind = Arg::Real;
        a.real = value;
    } else if constexpr (std::is_convertible_v<T, const char*>) {
        a.kind = Arg::Text;
        a.text = value;
    }
    return a;
}

// The label when `fmt` uses nothing but %d, %s, %.<n>f and %% (what the tools' labels use),
// each with an argument of its kind; false leaves the format to printf.
bool FormatCommon(const char* fmt, const Arg* args, size_t count, std::string& out);

}  // namespace tool_format

// A label text in printf's terms (labels are short; a longer one is cut). Labels are made
// on every repaint, so the common conversions are made without printf, to the same text.
template <class... A>
std::string Format(const char* fmt, A... args) {
    const tool_format::Arg packed[] = {tool_format::MakeArg(args)..., tool_format::Arg()};
    std::string text;
    if (tool_format::FormatCommon(fmt, packed, sizeof...(A), text)) return text;
    char buf[160];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

// A pixel coordinate computed in 64 bits, brought back into the range drawing can take.
inline int ClampToInt(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, -1000000, 1000000));
}
