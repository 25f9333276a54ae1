// Skin image decoding on arbitrary bytes: an image is refused or gives pixels within the
// limits, every one written, never a read outside the input.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "windowless/SkinImage.h"

using namespace WinlessUI;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SkinRgba rgba;
    if (!DecodeSkinRgba(data, size, &rgba)) return 0;
    if (rgba.width <= 0 || rgba.height <= 0 || rgba.width > kMaxSkinImageSide || rgba.height > kMaxSkinImageSide ||
        int64_t(rgba.width) * rgba.height > kMaxSkinImagePixels || !rgba.pixels)
        std::abort();
    std::vector<uint32_t> out(size_t(rgba.width) * rgba.height, 0x12345678u);
    bool alpha = PremultiplySkinPixels(rgba, 0xFFFF00FFu, out.data());
    bool seen = false;
    for (uint32_t v : out) {
        uint32_t a = v >> 24;
        // premultiplied: no colour exceeds its alpha
        if (((v >> 16) & 0xFF) > a || ((v >> 8) & 0xFF) > a || (v & 0xFF) > a) std::abort();
        if (a != 255) seen = true;
    }
    if (seen && !alpha) std::abort();
    return 0;
}
