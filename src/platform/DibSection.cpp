// Bitmaps whose pixels the program writes directly.
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/PlatformPrivate.h"

using namespace platform;

namespace {
// The surfaces made as DIB sections and their pixels. An entry goes when its pixels do.
std::mutex g_dibLock;
std::map<const Surface*, void*>& Dibs() {
    static std::map<const Surface*, void*> dibs;
    return dibs;
}
// The pixels belong to the image made over them and go with its last copy.
void FreePixels(void* p) {
    {
        std::lock_guard<std::mutex> lock(g_dibLock);
        auto& dibs = Dibs();
        for (auto it = dibs.begin(); it != dibs.end();)
            it = it->second == p ? dibs.erase(it) : std::next(it);
    }
    std::free(p);
}
}  // namespace

BOOL CBitmap::CreateDIBSection(int width, int height, void** bits) {
    if (bits) *bits = nullptr;
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return FALSE;
    const size_t stride = size_t(width) * 4;
    void* pixels = std::calloc(size_t(height), stride);
    if (!pixels) return FALSE;
    // little-endian ARGB32 is B, G, R, A in memory: the classic layout as it stands
    QImage img(static_cast<uchar*>(pixels), width, height, (qsizetype)stride,
               QImage::Format_ARGB32_Premultiplied, FreePixels, pixels);
    if (img.isNull()) {
        std::free(pixels);
        return FALSE;
    }
    m_surface = std::make_shared<Surface>(std::move(img));
    {
        std::lock_guard<std::mutex> lock(g_dibLock);
        Dibs()[m_surface.get()] = pixels;
    }
    if (bits) *bits = pixels;
    return TRUE;
}

void* CBitmap::GetBits() const {
    if (!m_surface) return nullptr;
    std::lock_guard<std::mutex> lock(g_dibLock);
    auto it = Dibs().find(m_surface.get());
    // constBits does not detach; an image that left its pixels is no DIB section any more
    if (it == Dibs().end() || it->second != m_surface->image.constBits()) return nullptr;
    return it->second;
}

int CBitmap::GetBitmap(BITMAP* bm) const {
    if (!m_surface || !bm) return 0;
    const QImage& img = m_surface->image;
    const QSize logical = m_surface->Size();
    const bool scaled = m_surface->Ratio() != 1.0;
    bm->bmType = 0;
    bm->bmWidth = logical.width();
    bm->bmHeight = logical.height();
    bm->bmWidthBytes = scaled ? (LONG)logical.width() * (img.depth() / 8) : (LONG)img.bytesPerLine();
    bm->bmPlanes = 1;
    bm->bmBitsPixel = (WORD)img.depth();
    bm->bmBits = scaled ? nullptr : GetBits();
    return (int)sizeof(BITMAP);
}
