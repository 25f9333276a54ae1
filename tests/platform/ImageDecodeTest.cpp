// The layer reads PNG and XPM pictures itself (the toolkit's reader loads every image plugin it
// has the first time it is asked); what it reads must be the toolkit's very pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Gdi.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

void Put32(Bytes& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<unsigned char>(v >> s));
}

uint32_t Crc(const unsigned char* p, size_t n) {
    uint32_t c = 0xffffffffu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

void Chunk(Bytes& png, const char* type, const Bytes& data) {
    Put32(png, uint32_t(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    Put32(png, Crc(png.data() + start, png.size() - start));
}

// A PNG of the given rows (each with its filter byte already in front), stored without
// compression.
Bytes MakePng(int w, int h, int depth, int colourType, const Bytes& rows, const Bytes& palette = {},
              const Bytes& transparency = {}) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    Bytes header;
    Put32(header, uint32_t(w));
    Put32(header, uint32_t(h));
    header.insert(header.end(), {static_cast<unsigned char>(depth),
                                 static_cast<unsigned char>(colourType), 0, 0, 0});
    Chunk(png, "IHDR", header);
    if (!palette.empty()) Chunk(png, "PLTE", palette);
    if (!transparency.empty()) Chunk(png, "tRNS", transparency);
    Bytes z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (size_t at = 0; at < rows.size() || at == 0;) {
        const size_t n = std::min<size_t>(65535, rows.size() - at);
        z.push_back(at + n == rows.size() ? 1 : 0);
        z.push_back(static_cast<unsigned char>(n));
        z.push_back(static_cast<unsigned char>(n >> 8));
        z.push_back(static_cast<unsigned char>(~n));
        z.push_back(static_cast<unsigned char>(~n >> 8));
        z.insert(z.end(), rows.begin() + long(at), rows.begin() + long(at + n));
        at += n;
        if (n == 0) break;
    }
    for (unsigned char c : rows) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    Put32(z, (b << 16) | a);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", {});
    return png;
}

// Rows of w x h pixels of `channels` bytes (or 2 x channels at depth 16), each row with a
// filter byte from the PNG filters in turn, filled with a pattern.
Bytes PatternRows(int w, int h, int bytesPerPixel) {
    Bytes rows;
    for (int y = 0; y < h; ++y) {
        rows.push_back(static_cast<unsigned char>(y % 5));  // None, Sub, Up, Average, Paeth
        for (int x = 0; x < w * bytesPerPixel; ++x)
            rows.push_back(static_cast<unsigned char>((x * 37 + y * 91 + x * y) & 0xff));
    }
    return rows;
}

void ExpectSamePixels(const Bytes& bytes, const std::string& what, bool own = true) {
    int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    std::vector<uint32_t> mine, theirs;
    ASSERT_TRUE(platform::image_testing::DecodeToolkit(bytes, w2, h2, theirs)) << what;
    ASSERT_EQ(platform::image_testing::DecodeOwn(bytes, w1, h1, mine), own) << what;
    if (!own) return;
    EXPECT_EQ(w1, w2) << what;
    EXPECT_EQ(h1, h2) << what;
    EXPECT_EQ(mine, theirs) << what;
}

}  // namespace

TEST(ImageDecode, PngsOfEveryKindReadAsTheToolkitReadsThem) {
    const Bytes palette = {0, 0, 0, 255, 0, 0, 0, 255, 0, 10, 20, 30, 200, 100, 50, 255, 255, 255};
    struct Case {
        const char* what;
        int depth, colourType, bytesPerPixel;
        Bytes palette, transparency;
        bool own;
    };
    const Case cases[] = {
        {"rgba", 8, 6, 4, {}, {}, true},
        {"rgb", 8, 2, 3, {}, {}, true},
        {"rgb with a transparent colour", 8, 2, 3, {}, {0, 0, 0, 37, 0, 74}, true},  // the first pixel's
        {"grey", 8, 0, 1, {}, {}, true},
        {"grey and alpha", 8, 4, 2, {}, {}, true},
        {"palette, left to the toolkit", 8, 3, 1, palette, {}, false},
        {"palette with transparency, left to the toolkit", 8, 3, 1, palette, {255, 0, 128}, false},
        {"16-bit rgba, left to the toolkit", 16, 6, 8, {}, {}, false},
    };
    for (const Case& c : cases) {
        Bytes rows = PatternRows(13, 7, c.bytesPerPixel);
        if (c.colourType == 3)  // unfiltered rows of indices within the palette
            for (size_t i = 0; i < rows.size(); ++i)
                rows[i] = i % 14 ? static_cast<unsigned char>(rows[i] % 6) : 0;
        ExpectSamePixels(MakePng(13, 7, c.depth, c.colourType, rows, c.palette, c.transparency),
                         c.what, c.own);
    }
}

TEST(ImageDecode, TheProgramsPicturesReadAsTheToolkitReadsThem) {
    int count = 0;
    for (const auto& e : fs::recursive_directory_iterator(fs::path(TARROW_SOURCE_DIR) / "resources")) {
        const std::string ext = e.path().extension().string();
        if (ext != ".png" && ext != ".xpm") continue;
        std::ifstream in(e.path(), std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(in)), {});
        ExpectSamePixels(bytes, e.path().string());
        ++count;
    }
    EXPECT_GT(count, 20);
}

TEST(ImageDecode, DamagedPicturesAreRefused) {
    Bytes png = MakePng(4, 4, 8, 6, PatternRows(4, 4, 4));
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    for (size_t cut : {size_t(8), size_t(33), png.size() / 2, png.size() - 13}) {
        const Bytes part(png.begin(), png.begin() + long(cut));
        EXPECT_FALSE(platform::image_testing::DecodeOwn(part, w, h, pixels)) << cut;
        CBitmap bmp;
        EXPECT_FALSE(bmp.LoadFromBytes(part.data(), part.size())) << cut;
    }
    const std::string xpm = "/* XPM */ static const char* x[] = { \"two by one\", \". c #000000\" };";
    EXPECT_FALSE(platform::image_testing::DecodeOwn(Bytes(xpm.begin(), xpm.end()), w, h, pixels));
}
