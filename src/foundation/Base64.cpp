#include "foundation/Base64.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// -1 for characters outside the alphabet.
int Value(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

size_t PaddingCount(std::string_view text) {
    size_t p = 0;
    for (size_t i = text.size(); i > 0 && p < 2 && text[i - 1] == '='; --i) ++p;
    return p;
}

// Decodes `text` (padding already removed) into `out`, which has room for
// text.size() / 4 * 3 + 2 bytes. Returns the byte count; `bad` is set for characters
// outside the alphabet.
size_t DecodeInto(std::string_view text, unsigned char* out, bool& bad) {
    size_t n = 0;
    size_t i = 0;
    auto v = [&](size_t k) {
        int x = Value(static_cast<unsigned char>(text[k]));
        if (x < 0) {
            bad = true;
            x = 0;
        }
        return static_cast<uint32_t>(x);
    };
    for (; i + 4 <= text.size(); i += 4) {
        uint32_t w = v(i) << 18 | v(i + 1) << 12 | v(i + 2) << 6 | v(i + 3);
        out[n++] = static_cast<unsigned char>(w >> 16);
        out[n++] = static_cast<unsigned char>(w >> 8);
        out[n++] = static_cast<unsigned char>(w);
    }
    size_t rest = text.size() - i;
    if (rest >= 2) {
        uint32_t w = v(i) << 18 | v(i + 1) << 12 | (rest == 3 ? v(i + 2) << 6 : 0);
        out[n++] = static_cast<unsigned char>(w >> 16);
        if (rest == 3) out[n++] = static_cast<unsigned char>(w >> 8);
    } else if (rest == 1) {
        v(i);
        bad = true;  // six bits cannot make a byte
    }
    return n;
}

void EncodeInto(const unsigned char* data, size_t n, char* out) {
    size_t o = 0;
    for (size_t i = 0; i < n; i += 3) {
        size_t group = n - i < 3 ? n - i : 3;
        uint32_t w = uint32_t(data[i]) << 16;
        if (group > 1) w |= uint32_t(data[i + 1]) << 8;
        if (group > 2) w |= data[i + 2];
        out[o++] = kAlphabet[(w >> 18) & 63];
        out[o++] = kAlphabet[(w >> 12) & 63];
        out[o++] = group > 1 ? kAlphabet[(w >> 6) & 63] : '=';
        out[o++] = group > 2 ? kAlphabet[w & 63] : '=';
    }
}

}  // namespace

char* Base64Encode(const unsigned char* data, size_t n) {
    if (n > (static_cast<size_t>(-1) - 1) / 4 * 3 - 3) return nullptr;
    size_t size = (n + 2) / 3 * 4 + 1;
    char* out = static_cast<char*>(std::calloc(size, 1));
    if (!out) return nullptr;
    if (n > 0 && data) EncodeInto(data, n, out);
    return out;
}

unsigned char* Base64Decode(size_t length, const char* text, size_t* decodedLength) {
    std::string_view in(text ? text : "", text ? length : 0);
    in.remove_suffix(PaddingCount(in));
    size_t size = in.size() / 4 * 3 + 4;
    auto* out = static_cast<unsigned char*>(std::calloc(size, 1));
    if (!out) return nullptr;
    bool bad = false;
    size_t n = DecodeInto(in, out, bad);
    if (decodedLength) *decodedLength = n;
    return out;
}

std::string Base64EncodeString(std::string_view data) {
    std::string out((data.size() + 2) / 3 * 4, '\0');
    EncodeInto(reinterpret_cast<const unsigned char*>(data.data()), data.size(), out.data());
    return out;
}

std::optional<std::string> Base64DecodeString(std::string_view text) {
    text.remove_suffix(PaddingCount(text));
    std::string out(text.size() / 4 * 3 + 2, '\0');
    bool bad = false;
    size_t n = DecodeInto(text, reinterpret_cast<unsigned char*>(out.data()), bad);
    if (bad) return std::nullopt;
    out.resize(n);
    return out;
}
