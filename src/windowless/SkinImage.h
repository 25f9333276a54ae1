#pragma once
// Skin image decoding (PNG, BMP, JPEG, GIF's first frame) into premultiplied pixels. Kept
// apart from the paint manager and free of the platform so it can be fuzzed on its own.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace WinlessUI {

// Larger images are refused from their header, before a pixel is decoded.
constexpr int kMaxSkinImageSide = 8192;
constexpr int64_t kMaxSkinImagePixels = 16 * 1024 * 1024;

struct SkinRgba {
    int width = 0;
    int height = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> pixels{nullptr, nullptr};  // R, G, B, A rows from the top
};

// False for data that is not one of the four formats, is damaged or cut short, or is
// beyond the limits.
bool DecodeSkinRgba(const unsigned char* data, size_t size, SkinRgba* out);

// Writes width * height premultiplied pixels (B, G, R, A bytes: one ARGB value each, rows
// from the top); a pixel that then equals the mask becomes transparent. True when any
// pixel is not opaque.
bool PremultiplySkinPixels(const SkinRgba& in, uint32_t mask, uint32_t* out);

}  // namespace WinlessUI
