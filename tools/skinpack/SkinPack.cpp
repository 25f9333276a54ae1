// Draws the skin's images from a plain-text description and writes each as PNG or BMP
// (by its extension) below an output folder. The description is the editable source of
// the images: one "image <path> <width> <height>" line per image, followed by drawing
// operations in painting order. Colours are 0xAARRGGBB; coordinates are pixels, right
// and bottom exclusive.
//
//   fill C                        the whole image
//   rect x0 y0 x1 y1 C
//   round x0 y0 x1 y1 r C         rounded rectangle (anti-aliased corners)
//   vgrad x0 y0 x1 y1 C1 C2       vertical gradient
//   line x0 y0 x1 y1 w C          a stroke of width w (anti-aliased)
//   tri x0 y0 x1 y1 x2 y2 C       filled triangle
//   circle cx cy r C              filled disc (anti-aliased)
//
// Usage: skinpack <description> <output folder>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Image {
    std::string path;
    int w = 0, h = 0;
    std::vector<uint32_t> px;  // ARGB, straight alpha
};

uint32_t Blend(uint32_t dst, uint32_t src, double coverage) {
    double sa = ((src >> 24) & 0xFF) / 255.0 * std::clamp(coverage, 0.0, 1.0);
    if (sa <= 0) return dst;
    double da = ((dst >> 24) & 0xFF) / 255.0;
    double oa = sa + da * (1 - sa);
    auto ch = [&](int shift) {
        double s = ((src >> shift) & 0xFF), d = ((dst >> shift) & 0xFF);
        return oa > 0 ? (s * sa + d * da * (1 - sa)) / oa : 0.0;
    };
    auto b = [](double v) { return uint32_t(std::lround(std::clamp(v, 0.0, 255.0))); };
    return (b(oa * 255) << 24) | (b(ch(16)) << 16) | (b(ch(8)) << 8) | b(ch(0));
}

void Plot(Image& im, int x, int y, uint32_t c, double coverage = 1.0) {
    if (x < 0 || y < 0 || x >= im.w || y >= im.h) return;
    uint32_t& p = im.px[size_t(y) * im.w + x];
    p = Blend(p, c, coverage);
}

double SegmentDistance(double px, double py, double x0, double y0, double x1, double y1) {
    double dx = x1 - x0, dy = y1 - y0;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.0, 1.0) : 0;
    double qx = x0 + t * dx - px, qy = y0 + t * dy - py;
    return std::sqrt(qx * qx + qy * qy);
}

uint32_t ParseColour(const std::string& s) {
    return uint32_t(std::stoul(s, nullptr, 16));
}

bool Run(Image& im, const std::string& op, std::istringstream& in) {
    auto num = [&]() {
        double v;
        in >> v;
        return v;
    };
    auto col = [&]() {
        std::string s;
        in >> s;
        return ParseColour(s);
    };
    if (op == "fill") {
        uint32_t c = col();
        for (auto& p : im.px) p = Blend(p, c, 1);
    } else if (op == "rect") {
        int x0 = int(num()), y0 = int(num()), x1 = int(num()), y1 = int(num());
        uint32_t c = col();
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Plot(im, x, y, c);
    } else if (op == "round") {
        double x0 = num(), y0 = num(), x1 = num(), y1 = num(), r = num();
        uint32_t c = col();
        for (int y = int(y0); y < int(y1); ++y)
            for (int x = int(x0); x < int(x1); ++x) {
                double cx = std::clamp(x + 0.5, x0 + r, x1 - r), cy = std::clamp(y + 0.5, y0 + r, y1 - r);
                double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                Plot(im, x, y, c, r - d + 0.5);
            }
    } else if (op == "vgrad") {
        int x0 = int(num()), y0 = int(num()), x1 = int(num()), y1 = int(num());
        uint32_t a = col(), b = col();
        for (int y = y0; y < y1; ++y) {
            double t = y1 - y0 > 1 ? double(y - y0) / (y1 - y0 - 1) : 0;
            uint32_t c = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                double v = ((a >> shift) & 0xFF) * (1 - t) + ((b >> shift) & 0xFF) * t;
                c |= uint32_t(std::lround(v)) << shift;
            }
            for (int x = x0; x < x1; ++x) Plot(im, x, y, c);
        }
    } else if (op == "line") {
        double x0 = num(), y0 = num(), x1 = num(), y1 = num(), w = num();
        uint32_t c = col();
        for (int y = 0; y < im.h; ++y)
            for (int x = 0; x < im.w; ++x) {
                double d = SegmentDistance(x + 0.5, y + 0.5, x0, y0, x1, y1);
                if (d < w / 2 + 1) Plot(im, x, y, c, w / 2 - d + 0.5);
            }
    } else if (op == "tri") {
        double ax = num(), ay = num(), bx = num(), by = num(), cx = num(), cy = num();
        uint32_t c = col();
        auto edge = [](double x0, double y0, double x1, double y1, double px, double py) {
            return (x1 - x0) * (py - y0) - (y1 - y0) * (px - x0);
        };
        double area = edge(ax, ay, bx, by, cx, cy);
        for (int y = 0; y < im.h; ++y)
            for (int x = 0; x < im.w; ++x) {
                double px = x + 0.5, py = y + 0.5;
                double e0 = edge(ax, ay, bx, by, px, py), e1 = edge(bx, by, cx, cy, px, py),
                       e2 = edge(cx, cy, ax, ay, px, py);
                bool inside = area > 0 ? (e0 >= 0 && e1 >= 0 && e2 >= 0) : (e0 <= 0 && e1 <= 0 && e2 <= 0);
                if (inside) Plot(im, x, y, c);
            }
    } else if (op == "circle") {
        double cx = num(), cy = num(), r = num();
        uint32_t c = col();
        for (int y = int(cy - r - 1); y <= int(cy + r + 1); ++y)
            for (int x = int(cx - r - 1); x <= int(cx + r + 1); ++x)
                Plot(im, x, y, c, r - std::hypot(x + 0.5 - cx, y + 0.5 - cy) + 0.5);
    } else {
        return false;
    }
    return !in.fail();
}

void Put32BE(std::string& s, uint32_t v) {
    for (int i = 3; i >= 0; --i) s += char((v >> (8 * i)) & 0xFF);
}

std::string Chunk(const char* type, const std::string& data) {
    std::string out;
    Put32BE(out, uint32_t(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    Put32BE(out, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
    return out;
}

std::string EncodePng(const Image& im) {
    std::string raw;
    for (int y = 0; y < im.h; ++y) {
        raw += char(0);
        for (int x = 0; x < im.w; ++x) {
            uint32_t p = im.px[size_t(y) * im.w + x];
            raw += char((p >> 16) & 0xFF);
            raw += char((p >> 8) & 0xFF);
            raw += char(p & 0xFF);
            raw += char((p >> 24) & 0xFF);
        }
    }
    uLongf size = compressBound(uLong(raw.size()));
    std::string z(size, '\0');
    compress2(reinterpret_cast<Bytef*>(z.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
              uLong(raw.size()), 9);
    z.resize(size);
    std::string ihdr;
    Put32BE(ihdr, uint32_t(im.w));
    Put32BE(ihdr, uint32_t(im.h));
    ihdr += std::string("\x08\x06\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) + Chunk("IDAT", z) + Chunk("IEND", "");
}

void Put32LE(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}

// 24-bit BMP: what the skin's masked images are (no alpha; the mask colour is transparent).
std::string EncodeBmp(const Image& im) {
    int stride = (im.w * 3 + 3) & ~3;
    std::string out = "BM";
    Put32LE(out, uint32_t(54 + stride * im.h));
    Put32LE(out, 0);
    Put32LE(out, 54);
    Put32LE(out, 40);
    Put32LE(out, uint32_t(im.w));
    Put32LE(out, uint32_t(im.h));
    out += std::string("\x01\x00\x18\x00", 4);
    Put32LE(out, 0);
    Put32LE(out, uint32_t(stride * im.h));
    Put32LE(out, 2835);
    Put32LE(out, 2835);
    Put32LE(out, 0);
    Put32LE(out, 0);
    for (int y = im.h - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < im.w; ++x) {
            uint32_t p = im.px[size_t(y) * im.w + x];
            row += char(p & 0xFF);
            row += char((p >> 8) & 0xFF);
            row += char((p >> 16) & 0xFF);
        }
        row.resize(size_t(stride), '\0');
        out += row;
    }
    return out;
}

bool Write(const Image& im, const std::filesystem::path& root) {
    std::filesystem::path p = root / im.path;
    std::filesystem::create_directories(p.parent_path());
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
    std::string bytes = ext == ".bmp" ? EncodeBmp(im) : EncodePng(im);
    std::ofstream out(p, std::ios::binary);
    out << bytes;
    return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: skinpack <description> <output folder>\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "skinpack: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::vector<Image> images;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        std::size_t hash = line.find('#');
        if (hash != std::string::npos) line.resize(hash);
        std::istringstream ls(line);
        std::string op;
        if (!(ls >> op)) continue;
        if (op == "image") {
            Image im;
            ls >> im.path >> im.w >> im.h;
            if (ls.fail() || im.w <= 0 || im.h <= 0 || im.w > 4096 || im.h > 4096) {
                std::cerr << argv[1] << ":" << lineNo << ": bad image line\n";
                return 1;
            }
            im.px.assign(size_t(im.w) * im.h, 0);
            images.push_back(std::move(im));
        } else if (images.empty() || !Run(images.back(), op, ls)) {
            std::cerr << argv[1] << ":" << lineNo << ": bad operation \"" << op << "\"\n";
            return 1;
        }
    }
    for (const Image& im : images)
        if (!Write(im, argv[2])) {
            std::cerr << "skinpack: cannot write " << im.path << "\n";
            return 1;
        }
    return 0;
}
