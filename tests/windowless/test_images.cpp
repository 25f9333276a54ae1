// Skin image decoding: every format the skins use gives premultiplied top-down pixels with
// the mask colour cleared, and bad image data is refused without harm.
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ZipFixture.h"
#include "windowless/PaintManager.h"
#include "windowless/SkinImage.h"

using namespace WinlessUI;

namespace {

void Le16(std::string& s, uint32_t v) {
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}

// A 24-bit BMP (rows stored bottom-up, padded to four bytes) of ARGB pixels, rows from the top.
std::string Bmp24(int w, int h, const std::vector<uint32_t>& argb) {
    int stride = (w * 3 + 3) & ~3;
    std::string s = "BM";
    ziptest::Put32(s, uint32_t(54 + stride * h));
    ziptest::Put32(s, 0);
    ziptest::Put32(s, 54);
    ziptest::Put32(s, 40);
    ziptest::Put32(s, uint32_t(w));
    ziptest::Put32(s, uint32_t(h));
    ziptest::Put16(s, 1);
    ziptest::Put16(s, 24);
    ziptest::Put32(s, 0);
    ziptest::Put32(s, uint32_t(stride * h));
    ziptest::Put32(s, 2835);
    ziptest::Put32(s, 2835);
    ziptest::Put32(s, 0);
    ziptest::Put32(s, 0);
    for (int y = h - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < w; ++x) {
            uint32_t p = argb[size_t(y) * w + x];
            row += char(p & 0xFF);
            row += char((p >> 8) & 0xFF);
            row += char((p >> 16) & 0xFF);
        }
        row.resize(size_t(stride), '\0');
        s += row;
    }
    return s;
}

// LZW data of 2-bit palette indices, 3-bit codes: a clear code before every second index
// keeps the code width from growing, so the codes can be packed by hand.
std::string GifLzw(const std::vector<int>& indices) {
    std::vector<int> codes;
    for (size_t i = 0; i < indices.size(); ++i) {
        if (i % 2 == 0) codes.push_back(4);  // clear
        codes.push_back(indices[i]);
    }
    codes.push_back(5);  // end of information
    std::string out;
    uint32_t acc = 0;
    int bits = 0;
    for (int c : codes) {
        acc |= uint32_t(c) << bits;
        bits += 3;
        while (bits >= 8) {
            out += char(acc & 0xFF);
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) out += char(acc & 0xFF);
    return out;
}

// An animated GIF of 2x2 frames over a four-colour palette; palette index 3 is transparent.
std::string Gif(const std::vector<std::vector<int>>& frames, const std::vector<uint32_t>& palette) {
    std::string s = "GIF89a";
    Le16(s, 2);
    Le16(s, 2);
    s += char(0xF1);  // global colour table of 4 entries
    s += char(0);
    s += char(0);
    for (uint32_t c : palette) {
        s += char((c >> 16) & 0xFF);
        s += char((c >> 8) & 0xFF);
        s += char(c & 0xFF);
    }
    for (const auto& frame : frames) {
        s += std::string("\x21\xF9\x04\x01\x0A\x00\x03\x00", 8);  // transparent index 3
        s += char(0x2C);
        Le16(s, 0);
        Le16(s, 0);
        Le16(s, 2);
        Le16(s, 2);
        s += char(0);
        s += char(2);  // minimum code size
        std::string data = GifLzw(frame);
        s += char(data.size());
        s += data;
        s += char(0);
    }
    s += char(0x3B);
    return s;
}

std::string Jpeg(int w, int h, const std::vector<uint32_t>& argb) {
    std::vector<unsigned char> rgb;
    for (uint32_t p : argb) {
        rgb.push_back((p >> 16) & 0xFF);
        rgb.push_back((p >> 8) & 0xFF);
        rgb.push_back(p & 0xFF);
    }
    std::string out;
    auto sink = [](void* ctx, void* data, int size) { static_cast<std::string*>(ctx)->append((const char*)data, size); };
    EXPECT_NE(stbi_write_jpg_to_func(sink, &out, w, h, 3, rgb.data(), 100), 0);
    return out;
}

std::unique_ptr<TImageInfo> Decode(const std::string& bytes, DWORD mask = 0) {
    return std::unique_ptr<TImageInfo>(
        CUIPaintManager::DecodeSkinImage((const unsigned char*)bytes.data(), bytes.size(), mask));
}

// The decoded pixels as premultiplied ARGB values, rows from the top.
std::vector<uint32_t> Pixels(const TImageInfo& info) {
    const auto* bits = static_cast<const uint32_t*>(info.hBitmap->GetBits());
    if (bits == nullptr) return {};
    return std::vector<uint32_t>(bits, bits + size_t(info.nX) * info.nY);
}

}  // namespace

TEST(SkinImages, EveryFormatGivesPremultipliedTopDownPixels) {
    const uint32_t kMask = 0xFFFF00FF;
    struct Case {
        const char* what;
        std::string bytes;
        int w, h;
        std::vector<uint32_t> want;
        bool alpha;
    } cases[] = {
        {"png",
         ziptest::Png(3, 2, {0xFFFF00FF, 0x80FF0000, 0xFF0000FF, 0x00FFFFFF, 0x40204080, 0xFF102030}),
         3,
         2,
         {0x00000000, 0x80800000, 0xFF0000FF, 0x00000000, 0x40081020, 0xFF102030},
         true},
        {"bmp", Bmp24(3, 2, {0xFFFF0000, 0xFF00FF00, 0xFFFF00FF, 0xFF0000FF, 0xFF123456, 0xFFFFFFFF}), 3, 2,
         {0xFFFF0000, 0xFF00FF00, 0x00000000, 0xFF0000FF, 0xFF123456, 0xFFFFFFFF}, true},
        {"bmp without the mask colour", Bmp24(2, 1, {0xFF010203, 0xFFFEFDFC}), 2, 1, {0xFF010203, 0xFFFEFDFC}, false},
        {"gif, first frame",
         Gif({{0, 1, 2, 3}, {1, 1, 1, 1}}, {0xFFFF00FF, 0x00FF00, 0x0000FF, 0x000000}),
         2,
         2,
         {0x00000000, 0xFF00FF00, 0xFF0000FF, 0x00000000},
         true},
    };
    for (const auto& c : cases) {
        auto info = Decode(c.bytes, kMask);
        ASSERT_NE(info, nullptr) << c.what;
        EXPECT_EQ(info->nX, c.w) << c.what;
        EXPECT_EQ(info->nY, c.h) << c.what;
        EXPECT_EQ(info->alphaChannel, c.alpha) << c.what;
        ASSERT_NE(info->hBitmap->GetBits(), nullptr) << c.what;
        std::vector<uint32_t> got = Pixels(*info);
        ASSERT_EQ(got.size(), c.want.size()) << c.what;
        for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], c.want[i]) << c.what << " pixel " << i;
    }
}

TEST(SkinImages, JpegBlocksKeepTheirColours) {
    // Two flat 8x8 blocks, red then blue: a flat block survives the compression almost exactly.
    std::vector<uint32_t> px(16 * 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) px[size_t(y) * 16 + x] = x < 8 ? 0xFFE02010 : 0xFF1030C0;
    auto info = Decode(Jpeg(16, 8, px));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->nX, 16);
    EXPECT_EQ(info->nY, 8);
    EXPECT_FALSE(info->alphaChannel);
    std::vector<uint32_t> got = Pixels(*info);
    ASSERT_EQ(got.size(), px.size());
    for (size_t i : {size_t(0), size_t(7), size_t(8 * 16 - 9), size_t(8), size_t(15), size_t(8 * 16 - 1)}) {
        uint32_t g = got[i], w = px[i];
        EXPECT_EQ(g >> 24, 0xFFu) << i;
        for (int shift : {16, 8, 0}) EXPECT_NEAR(int((g >> shift) & 0xFF), int((w >> shift) & 0xFF), 4) << i;
    }
}

TEST(SkinImages, DamagedOrHugeImagesAreRefused) {
    std::string png = ziptest::Png(4, 4, std::vector<uint32_t>(16, 0xFF336699));
    std::string bmp = Bmp24(4, 4, std::vector<uint32_t>(16, 0xFF336699));
    std::string gif = Gif({{0, 1, 2, 0}}, {0xFF0000, 0x00FF00, 0x0000FF, 0x000000});
    // Headers that declare a size far beyond any skin image, with no pixels behind them.
    std::string hugePng = png.substr(0, 8) + ziptest::Chunk("IHDR", std::string("\x00\x01\x00\x00\x00\x01\x00\x00\x08\x06\x00\x00\x00", 13));
    std::string hugeBmp = bmp.substr(0, 54);
    hugeBmp.replace(18, 8, std::string("\x00\x00\x01\x00\x00\x00\x01\x00", 8));  // 65536 x 65536
    std::string wideBmp = bmp;
    wideBmp.replace(18, 4, std::string("\x01\x20\x00\x00", 4));  // 8193 wide, a side too long
    // A chunk claiming a gigabyte, and pixel data that inflates far beyond the 4 x 4 header.
    std::string longChunk = png;
    longChunk.replace(33, 4, std::string("\x40\x00\x00\x00", 4));
    std::string bomb = [&] {
        std::string raw(1 << 20, '\0');
        uLongf zlen = compressBound(uLong(raw.size()));
        std::string z(zlen, '\0');
        compress2((Bytef*)z.data(), &zlen, (const Bytef*)raw.data(), uLong(raw.size()), 9);
        z.resize(zlen);
        return png.substr(0, 33) + ziptest::Chunk("IDAT", z) + ziptest::Chunk("IEND", "");
    }();
    std::string hugeGif = gif;
    hugeGif.replace(6, 4, std::string("\xFF\xFF\xFF\xFF", 4));
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"not an image", "this is plain text, not a picture at all"},
        {"a format skins do not use", std::string("P6\n1 1\n255\n\x01\x02\x03", 14)},
        {"png cut inside its data", png.substr(0, png.size() / 2)},
        {"png with a corrupted data chunk", [&] {
             std::string s = png;
             for (size_t i = 41; i < s.size() - 12; ++i) s[i] = char(s[i] ^ 0x5A);
             return s;
         }()},
        {"bmp cut after its header", bmp.substr(0, 54)},
        {"bmp cut to a few bytes", bmp.substr(0, 10)},
        {"gif cut inside its frame", gif.substr(0, gif.size() - 6)},
        {"png declaring 65536 x 65536", hugePng},
        {"bmp declaring 65536 x 65536", hugeBmp},
        {"bmp a side too wide", wideBmp},
        {"gif declaring 65535 x 65535", hugeGif},
        {"png with a chunk longer than the file", longChunk},
        {"png cut inside a chunk's length and type", longChunk.substr(0, 44)},
        {"png whose data inflates beyond its size", bomb},
        {"jpeg cut to its start", Jpeg(8, 8, std::vector<uint32_t>(64, 0xFF808080)).substr(0, 30)},
    };
    for (const auto& c : cases) EXPECT_EQ(Decode(c.bytes), nullptr) << c.what;
    EXPECT_EQ(CUIPaintManager::DecodeSkinImage(nullptr, 10, 0), nullptr);
    // The same images whole are fine, so what refused them above was the damage.
    EXPECT_NE(Decode(png), nullptr);
    EXPECT_NE(Decode(bmp), nullptr);
    EXPECT_NE(Decode(gif), nullptr);
}

TEST(SkinImages, JpegScanWithAnUndefinedTableIsRefused) {
    // A scan may only decode with Huffman tables defined before it; the decoder would
    // otherwise read its uninitialised tables.
    std::string jpeg = Jpeg(8, 8, std::vector<uint32_t>(64, 0xFF808080));
    ASSERT_NE(Decode(jpeg), nullptr);
    size_t sos = jpeg.find("\xFF\xDA");
    ASSERT_NE(sos, std::string::npos);
    ASSERT_GE(jpeg.size(), sos + 14);
    for (unsigned char selector : {0x02, 0x20, 0x33, 0x44}) {
        std::string bad = jpeg;
        bad[sos + 6] = char(selector);  // the first component's DC/AC table numbers
        EXPECT_EQ(Decode(bad), nullptr) << int(selector);
    }
    std::string other = jpeg;
    other[sos + 6] = char(0x11);  // tables the file does define
    EXPECT_NE(Decode(other), nullptr);
}

TEST(SkinImages, LimitsAreInclusive) {
    // The largest side allowed decodes; one more is refused before anything is allocated.
    std::vector<uint32_t> row(kMaxSkinImageSide, 0xFF000080);
    auto info = Decode(Bmp24(kMaxSkinImageSide, 1, row));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->nX, kMaxSkinImageSide);
    EXPECT_EQ(Pixels(*info).back(), 0xFF000080u);
    row.push_back(0xFF000080);
    EXPECT_EQ(Decode(Bmp24(kMaxSkinImageSide + 1, 1, row)), nullptr);
}
