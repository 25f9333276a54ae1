#include "training/RecordText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "foundation/TextCodec.h"

namespace {

std::string_view SkipSpace(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\f' || text[i] == '\v'))
        ++i;
    return text.substr(i);
}

}  // namespace

namespace {

constexpr double kPowersOf10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// Most values without the general algorithm. Below 2^40, value x 10^precision as computed
// lies within 2^-13 of the exact product (half a unit in the last place at that size), so
// unless it falls that close to halfway between two whole numbers, the nearer whole number
// N is also the correctly rounded decimal that printf would print. Writes N / 10^precision
// and returns its length, or 0 when the general algorithm has to decide. `readsBack` tells
// whether the text reads back as `value`: N / 10^precision is rounded exactly as reading the
// text is, so comparing it with `value` answers that without parsing.
size_t ShortFixed(char* out, double value, int precision, bool& readsBack) {
    if (precision < 0 || precision > 15) return 0;
    const double scale = kPowersOf10[precision];
    const double scaled = value * scale;
    if (!(std::fabs(scaled) < 0x1p40)) return 0;  // NaN too
    const double below = std::floor(scaled);
    const double fraction = scaled - below;  // exact at this size
    if (std::fabs(fraction - 0.5) < 0x1p-12) return 0;
    const double nearest = fraction > 0.5 ? below + 1 : below;
    readsBack = nearest / scale == value;
    const int64_t whole = static_cast<int64_t>(nearest);
    char digits[24];
    const auto res = std::to_chars(digits, digits + sizeof digits, whole < 0 ? -whole : whole);
    const size_t count = static_cast<size_t>(res.ptr - digits);
    const size_t decimals = static_cast<size_t>(precision);
    char* p = out;
    if (std::signbit(value)) *p++ = '-';  // also "-0.000" for a tiny negative, as printf has it
    if (count > decimals) {
        std::memcpy(p, digits, count - decimals);
        p += count - decimals;
    } else {
        *p++ = '0';
    }
    if (decimals > 0) {
        *p++ = '.';
        const size_t shown = count < decimals ? count : decimals;
        std::memset(p, '0', decimals - shown);
        p += decimals - shown;
        std::memcpy(p, digits + count - shown, shown);
        p += shown;
    }
    return static_cast<size_t>(p - out);
}

size_t GeneralFixed(char* out, double value, int precision) {
    auto res = std::to_chars(out, out + kMaxNumberText, value, std::chars_format::fixed, precision);
    if (res.ec != std::errc()) {
        out[0] = '0';
        return 1;
    }
    return static_cast<size_t>(res.ptr - out);
}

// The shortest plain decimal that reads back as `value`.
size_t ShortestFixed(char* out, double value) {
    auto res = std::to_chars(out, out + kMaxNumberText, value, std::chars_format::fixed);
    return res.ec == std::errc() ? static_cast<size_t>(res.ptr - out) : 0;
}

}  // namespace

size_t FormatFixedTo(char* out, double value, int precision) {
    bool readsBack = false;
    if (const size_t n = ShortFixed(out, value, precision, readsBack)) return n;
    return GeneralFixed(out, value, precision);
}

size_t FormatExactTo(char* out, double value, int precision) {
    bool readsBack = false;
    if (const size_t n = ShortFixed(out, value, precision, readsBack)) {
        if (readsBack) return n;
        const size_t shortest = ShortestFixed(out, value);
        return shortest ? shortest : ShortFixed(out, value, precision, readsBack);
    }
    const size_t n = GeneralFixed(out, value, precision);
    if (!std::isfinite(value) || ParseDouble(std::string_view(out, n)) == value) return n;
    char buf[kMaxNumberText];
    if (const size_t shortest = ShortestFixed(buf, value)) {
        std::memcpy(out, buf, shortest);
        return shortest;
    }
    return n;
}

std::string FormatFixed(double value, int precision) {
    char buf[kMaxNumberText];
    return std::string(buf, FormatFixedTo(buf, value, precision));
}

std::string FormatExact(double value, int precision) {
    char buf[kMaxNumberText];
    return std::string(buf, FormatExactTo(buf, value, precision));
}

double ParseDouble(std::string_view text) {
    text = SkipSpace(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec == std::errc::result_out_of_range) return 0;
    return res.ec == std::errc() ? value : 0;
}

int64_t ParseInt64(std::string_view text) {
    text = SkipSpace(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int64_t value = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    return res.ec == std::errc() ? value : 0;
}

namespace {

bool IsPlain(std::string_view text) {
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 || c == '&' || c == '<' || c == '>' || c == '"' || c == '\'' || c == '\n' ||
            c == '\r' || c == '\t')
            return false;
    }
    return true;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes the entity at the start of `text` (which begins with '&') into `out`; returns the
// length consumed, 0 when it is not an entity (the '&' then stands for itself).
size_t DecodeEntity(std::string_view text, std::string& out) {
    const size_t semi = text.find(';', 1);
    if (semi == std::string_view::npos || semi > 12) return 0;
    const std::string_view body = text.substr(1, semi - 1);
    static const struct {
        std::string_view name;
        char ch;
    } kNamed[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& n : kNamed) {
        if (body == n.name) {
            out += n.ch;
            return semi + 1;
        }
    }
    if (body.size() < 2 || body[0] != '#') return 0;
    const bool hex = body[1] == 'x' || body[1] == 'X';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    uint32_t cp = 0;
    auto res = std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
    if (digits.empty() || res.ec != std::errc() || res.ptr != digits.data() + digits.size() ||
        cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    AppendUtf8(out, cp);
    return semi + 1;
}

}  // namespace

std::string EscapeFileText(std::string_view utf8) {
    if (IsPlain(utf8)) return std::string(utf8);
    std::string escaped;
    escaped.reserve(utf8.size() + 16);
    bool wide = false;
    for (char c : utf8) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&apos;";
                break;
            // A conforming reader turns these into spaces inside an attribute value (and
            // reads a raw CR LF as one LF); as references they come back as they were.
            case '\n':
                escaped += "&#10;";
                break;
            case '\r':
                escaped += "&#13;";
                break;
            case '\t':
                escaped += "&#9;";
                break;
            default:
                wide = wide || static_cast<unsigned char>(c) >= 0x80;
                escaped += c;
        }
    }
    return wide ? Utf8ToAnsiXml(escaped) : escaped;
}

std::string UnescapeFileText(std::string_view raw) {
    if (IsPlain(raw)) return std::string(raw);
    std::string out;
    out.reserve(raw.size() + raw.size() / 2);
    size_t i = 0;
    while (i < raw.size()) {
        // A run of file text up to the next entity.
        size_t amp = raw.find('&', i);
        if (amp == std::string_view::npos) amp = raw.size();
        if (amp > i) {
            const std::string_view run = raw.substr(i, amp - i);
            bool ascii = true;
            for (char c : run) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
            out += ascii ? std::string(run) : AnsiToUtf8(run);
        }
        if (amp == raw.size()) break;
        const size_t used = DecodeEntity(raw.substr(amp), out);
        if (used == 0) {
            out += '&';
            i = amp + 1;
        } else {
            i = amp + used;
        }
    }
    return out;
}
