#include "drawtools/ToolHelpers.h"

#include <charconv>
#include <cmath>

bool tool_format::FormatCommon(const char* fmt, const Arg* args, size_t count, std::string& out) {
    constexpr size_t kLongest = 159;  // what the printf buffer holds
    out.clear();
    size_t next = 0;
    for (const char* p = fmt; *p; ++p) {
        if (*p != '%') {
            out.push_back(*p);
            continue;
        }
        ++p;
        if (*p == '%') {
            out.push_back('%');
            continue;
        }
        int precision = -1;
        if (*p == '.') {
            precision = 0;
            for (++p; *p >= '0' && *p <= '9'; ++p) {
                precision = precision * 10 + (*p - '0');
                if (precision > 40) return false;
            }
        }
        if (next >= count) return false;
        const Arg& a = args[next++];
        char buf[64];
        std::to_chars_result res{};
        if (*p == 'd' && precision < 0 && a.kind == Arg::Whole) {
            res = std::to_chars(buf, buf + sizeof buf, a.whole);
        } else if (*p == 'f' && precision >= 0 && a.kind == Arg::Real && std::isfinite(a.real) &&
                   std::fabs(a.real) < 1e15) {
            res = std::to_chars(buf, buf + sizeof buf, a.real, std::chars_format::fixed, precision);
        } else if (*p == 's' && precision < 0 && a.kind == Arg::Text && a.text) {
            out += a.text;
            continue;
        } else {
            return false;
        }
        if (res.ec != std::errc()) return false;
        out.append(buf, res.ptr);
    }
    if (next != count) return false;
    if (out.size() > kLongest) out.resize(kLongest);
    return true;
}
