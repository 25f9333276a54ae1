#include "training/RecordText.h"

#include <charconv>
#include <cmath>
#include <cstdint>

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

std::string FormatFixed(double value, int precision) {
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, precision);
    if (res.ec != std::errc()) return "0";
    return std::string(buf, res.ptr);
}

std::string FormatExact(double value, int precision) {
    std::string text = FormatFixed(value, precision);
    if (!std::isfinite(value) || ParseDouble(text) == value) return text;
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (res.ec != std::errc()) return text;
    return std::string(buf, res.ptr);
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
