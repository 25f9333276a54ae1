#include "foundation/TextCodec.h"

#include <iconv.h>
#include <tinyxml2.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// iconv descriptors are not thread-safe, and opening one costs more than converting a
// short name, so every thread keeps its own pair.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return m_cd; }

private:
    iconv_t m_cd;
};

std::string_view UpToNul(std::string_view s) {
    size_t nul = s.find('\0');
    return nul == std::string_view::npos ? s : s.substr(0, nul);
}

// Length of the UTF-8 sequence that starts with `lead`, 1 for a byte that cannot start one.
size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

size_t ValidUtf8Prefix(std::string_view s) {
    size_t i = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    size_t n = s.size();
    while (i < n) {
        unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len = Utf8SequenceLength(c);
        if (len == 1 || i + len > n) return i;
        unsigned char c1 = p[i + 1];
        if ((c1 & 0xC0) != 0x80) return i;
        if (c == 0xE0 && c1 < 0xA0) return i;  // overlong
        if (c == 0xED && c1 > 0x9F) return i;  // surrogate
        if (c == 0xF0 && c1 < 0x90) return i;  // overlong
        if (c == 0xF4 && c1 > 0x8F) return i;  // beyond U+10FFFF
        for (size_t k = 2; k < len; ++k)
            if ((p[i + k] & 0xC0) != 0x80) return i;
        i += len;
    }
    return n;
}

// Runs iconv over the whole input. At an input position iconv refuses, `replace` says how
// many bytes to drop and what to write in their place.
template <typename Replace>
std::string Convert(Converter& conv, std::string_view in, Replace replace) {
    std::string out;
    if (in.empty() || !conv.IsOpen()) return out;
    iconv(conv.Handle(), nullptr, nullptr, nullptr, nullptr);
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    size_t used = 0;
    std::string mark;
    while (srcLeft > 0) {
        char* dst = out.data() + used;
        size_t dstLeft = out.size() - used;
        size_t r = iconv(conv.Handle(), &src, &srcLeft, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ (invalid or unconvertible) or EINVAL (incomplete sequence at the end).
        bool incomplete = errno == EINVAL;
        size_t drop = replace(std::string_view(src, srcLeft), incomplete, mark);
        if (drop == 0 || drop > srcLeft) drop = 1;
        src += drop;
        srcLeft -= drop;
        if (out.size() - used < mark.size() + 8) out.resize(out.size() * 2 + mark.size());
        std::memcpy(out.data() + used, mark.data(), mark.size());
        used += mark.size();
        iconv(conv.Handle(), nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
}

// Code point of a well-formed UTF-8 sequence of `len` bytes.
uint32_t DecodeUtf8(std::string_view s, size_t len) {
    auto b = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(s[i])); };
    if (len == 2) return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
    if (len == 3) return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
    return (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F);
}

// UTF-8 to GBK; a well-formed character GBK lacks is dropped whole and replaced by '?' or,
// for XML text, by a character reference; a broken sequence is dropped byte by byte.
std::string Utf8ToGbk(std::string_view utf8, bool xmlReferences) {
    thread_local Converter conv("GBK", "UTF-8");
    return Convert(
        conv, UpToNul(utf8), [&](std::string_view rest, bool incomplete, std::string& mark) {
            mark = "?";
            if (incomplete) return rest.size();
            size_t len = Utf8SequenceLength(static_cast<unsigned char>(rest[0]));
            if (len == 1 || len > rest.size() || ValidUtf8Prefix(rest.substr(0, len)) != len)
                return size_t{1};
            if (xmlReferences) {
                char ref[16];
                std::snprintf(ref, sizeof ref, "&#x%X;", DecodeUtf8(rest, len));
                mark = ref;
            }
            return len;
        });
}

}  // namespace

std::string Utf8ToAnsi(std::string_view utf8) {
    return Utf8ToGbk(utf8, false);
}

std::string Utf8ToAnsiXml(std::string_view utf8) {
    return Utf8ToGbk(utf8, true);
}

std::string AnsiToUtf8(std::string_view gbk) {
    thread_local Converter conv("UTF-8", "GBK");
    return Convert(conv, UpToNul(gbk),
                   [](std::string_view rest, bool incomplete, std::string& mark) {
                       mark = "\xEF\xBF\xBD";
                       if (incomplete) return rest.size();
                       auto lead = static_cast<unsigned char>(rest[0]);
                       if (lead >= 0x81 && lead <= 0xFE && rest.size() >= 2) {
                           auto trail = static_cast<unsigned char>(rest[1]);
                           // A well-shaped pair without a mapping is one unknown character.
                           if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) return size_t{2};
                       }
                       return size_t{1};
                   });
}

bool IsValidUtf8(std::string_view text) {
    return ValidUtf8Prefix(text) == text.size();
}

std::string GetXmlAttrAnsi(const tinyxml2::XMLElement* element, const char* name) {
    if (!element || !name) return {};
    const char* value = element->Attribute(name);
    return value ? Utf8ToAnsi(value) : std::string();
}
