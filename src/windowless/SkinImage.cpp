#include "windowless/SkinImage.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include <zlib.h>

namespace WinlessUI {

namespace {

// The skin formats, told by their first bytes; anything else (the decoder would also take a
// headerless format for plain noise) is not an image here.
bool IsSkinImageFormat(const unsigned char* d, size_t n) {
    return (n >= 8 && memcmp(d, "\x89PNG\r\n\x1a\n", 8) == 0) || (n >= 2 && d[0] == 'B' && d[1] == 'M') ||
           (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) || (n >= 6 && memcmp(d, "GIF8", 4) == 0);
}

// The JPEG decoder keeps its Huffman tables in memory it does not clear, and a scan that
// names a table no DHT segment defined makes it read through garbage offsets. So the
// segments are walked first: every table a scan decodes with must have been defined before
// it. Anything the walk cannot follow is refused too.
bool JpegScansUseDefinedTables(const unsigned char* d, size_t n) {
    bool dc[4] = {}, ac[4] = {};
    bool progressive = false;
    size_t pos = 2;  // after SOI
    while (pos < n) {
        if (d[pos] != 0xFF) return false;
        while (pos < n && d[pos] == 0xFF) ++pos;
        if (pos >= n) return true;  // cut short: the read itself fails
        unsigned char m = d[pos++];
        if (m == 0xD9) return true;                         // EOI
        if ((m >= 0xD0 && m <= 0xD7) || m == 0x01) continue;  // no length
        if (pos + 2 > n) return true;
        size_t len = (size_t(d[pos]) << 8) | d[pos + 1];
        if (len < 2) return false;
        size_t end = std::min(n, pos + len);
        const unsigned char* seg = d + pos + 2;
        size_t segLen = end - pos - 2;
        if (m == 0xC2 || m == 0xC6 || m == 0xCA || m == 0xCE) progressive = true;
        if (m == 0xC4) {
            for (size_t p = 0; p + 17 <= segLen;) {
                unsigned tc = seg[p] >> 4, th = seg[p] & 15;
                if (tc > 1 || th > 3) return false;
                size_t count = 0;
                for (int i = 1; i <= 16; ++i) count += seg[p + i];
                p += 17 + count;
                if (p > segLen) break;  // values cut short: the decoder refuses it
                (tc == 0 ? dc : ac)[th] = true;
            }
        } else if (m == 0xDA) {
            if (segLen < 1) return true;
            size_t comps = seg[0];
            if (segLen < 1 + 2 * comps + 3) return true;
            unsigned ss = seg[1 + 2 * comps], ah = seg[3 + 2 * comps] >> 4;
            bool usesDc = !progressive || (ss == 0 && ah == 0);
            bool usesAc = !progressive || ss != 0;
            for (size_t c = 0; c < comps; ++c) {
                unsigned q = seg[2 + 2 * c], hd = q >> 4, ha = q & 15;
                if (usesDc && (hd > 3 || !dc[hd])) return false;
                if (usesAc && (ha > 3 || !ac[ha])) return false;
            }
            // The entropy-coded data runs to the next marker other than a restart.
            pos = end;
            while (pos + 1 < n && !(d[pos] == 0xFF && d[pos + 1] != 0x00 && d[pos + 1] != 0xFF &&
                                    (d[pos + 1] < 0xD0 || d[pos + 1] > 0xD7)))
                ++pos;
            if (pos + 1 >= n) return true;
            continue;
        }
        pos = end;
    }
    return true;
}

uint32_t Be32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// The PNG decoder allocates what a chunk's length claims before reading it, and inflates
// the pixel data into a buffer it doubles without limit. So every chunk must lie inside
// the file, and the data may not inflate to more than the header's size needs.
bool PngStaysInBounds(const unsigned char* d, size_t n) {
    std::vector<const unsigned char*> parts;
    std::vector<uInt> lengths;
    uint64_t raw = 0;
    for (size_t pos = 8; pos < n;) {
        if (n - pos < 12) return false;  // a chunk cut inside its frame
        uint32_t len = Be32(d + pos);
        const unsigned char* type = d + pos + 4;
        if (len > n - pos - 12) return false;
        if (memcmp(type, "CgBI", 4) == 0) return false;  // a variant that is no skin format
        if (memcmp(type, "IHDR", 4) == 0 && len >= 13) {
            uint64_t w = Be32(d + pos + 8), h = Be32(d + pos + 12);
            static const int kChannels[] = {1, 0, 3, 1, 2, 0, 4};
            unsigned depth = d[pos + 16], colour = d[pos + 17];
            uint64_t bpp = colour < 7 ? uint64_t(kChannels[colour]) * depth : 0;
            // rows of the whole image with a filter byte each; interlacing adds at most a
            // filter byte and a partial byte per row in each of its seven passes
            raw = h * (1 + (w * bpp + 7) / 8) + 14 * h + 64;
        } else if (memcmp(type, "IDAT", 4) == 0 && len > 0) {
            parts.push_back(d + pos + 8);
            lengths.push_back(uInt(len));
        } else if (memcmp(type, "IEND", 4) == 0) {
            break;
        }
        pos += 12 + size_t(len);
    }
    if (parts.empty()) return true;  // nothing to inflate; the decoder says what is wrong
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    std::vector<unsigned char> sink(1 << 16);
    uint64_t out = 0;
    bool within = true;
    for (size_t i = 0; i < parts.size() && within; ++i) {
        z.next_in = const_cast<Bytef*>(parts[i]);
        z.avail_in = lengths[i];
        int r = Z_OK;
        while (z.avail_in > 0 && r == Z_OK) {
            z.next_out = sink.data();
            z.avail_out = uInt(sink.size());
            r = inflate(&z, Z_NO_FLUSH);
            out += sink.size() - z.avail_out;
            if (out > raw) within = false;
            if (r == Z_BUF_ERROR && z.avail_out == 0) r = Z_OK;
            if (!within) break;
        }
        if (r != Z_OK) break;  // the end, or damage the decoder will find on its own
    }
    inflateEnd(&z);
    return within;
}

// The decoder reads through this so that a file ending before its pixels do is noticed:
// reading from memory, the decoder takes the missing bytes for zeros and succeeds.
struct ImageReader {
    const unsigned char* data;
    size_t size;
    size_t pos = 0;
    bool overrun = false;

    static int Read(void* user, char* out, int n) {
        auto* r = static_cast<ImageReader*>(user);
        size_t left = r->size - r->pos;
        if (n <= 0) return 0;
        if (left == 0) {
            r->overrun = true;
            return 0;
        }
        size_t k = std::min(left, size_t(n));
        memcpy(out, r->data + r->pos, k);
        r->pos += k;
        return int(k);
    }
    static void Skip(void* user, int n) {
        auto* r = static_cast<ImageReader*>(user);
        if (n <= 0) return;
        if (size_t(n) > r->size - r->pos) {
            r->overrun = true;
            r->pos = r->size;
        } else {
            r->pos += size_t(n);
        }
    }
    static int Eof(void* user) {
        auto* r = static_cast<ImageReader*>(user);
        return r->pos >= r->size;
    }
};

}  // namespace

bool DecodeSkinRgba(const unsigned char* data, size_t size, SkinRgba* out) {
    if (data == nullptr || size == 0 || size > size_t(INT_MAX) || !IsSkinImageFormat(data, size)) return false;
    // The header alone first: a damaged or hostile file may declare any size, and the
    // decoder would allocate for it before noticing the data is not there.
    int w = 0, h = 0, comp = 0;
    if (!stbi_info_from_memory(data, int(size), &w, &h, &comp)) return false;
    if (data[0] == 0xFF && !JpegScansUseDefinedTables(data, size)) return false;
    if (data[0] == 0x89 && !PngStaysInBounds(data, size)) return false;
    if (w <= 0 || h <= 0 || w > kMaxSkinImageSide || h > kMaxSkinImageSide ||
        int64_t(w) * h > kMaxSkinImagePixels)
        return false;
    int dw = 0, dh = 0;
    ImageReader reader{data, size};
    const stbi_io_callbacks io{&ImageReader::Read, &ImageReader::Skip, &ImageReader::Eof};
    std::unique_ptr<unsigned char, void (*)(void*)> rgba(stbi_load_from_callbacks(&io, &reader, &dw, &dh, &comp, 4),
                                                         stbi_image_free);
    if (!rgba || reader.overrun || dw != w || dh != h) return false;
    out->width = w;
    out->height = h;
    out->pixels = std::move(rgba);
    return true;
}

bool PremultiplySkinPixels(const SkinRgba& in, uint32_t mask, uint32_t* out) {
    const unsigned char* src = in.pixels.get();
    bool alpha = false;
    for (size_t i = 0, n = size_t(in.width) * size_t(in.height); i < n; ++i, src += 4) {
        uint32_t a = src[3];
        uint32_t v;
        if (a == 255) {
            v = 0xFF000000u | (uint32_t(src[0]) << 16) | (uint32_t(src[1]) << 8) | uint32_t(src[2]);
        } else {
            uint32_t r = src[0] * a / 255, g = src[1] * a / 255, b = src[2] * a / 255;
            v = (a << 24) | (r << 16) | (g << 8) | b;
            alpha = true;
        }
        if (v == mask) {
            v = 0;
            alpha = true;
        }
        out[i] = v;
    }
    return alpha;
}

}  // namespace WinlessUI
