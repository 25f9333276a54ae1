// Icons and DrawState.
#include "platform/IconPrivate.h"

#include <map>
#include <mutex>
#include <set>

#include "platform/PlatformPrivate.h"
#include "platform/Resource.h"

using namespace platform;

namespace {
struct IconData {
    QImage image;  // premultiplied ARGB
    bool shared = false;
};
// Handles are checked against the live set, so a stale one is refused, never used.
std::mutex g_iconLock;
std::set<IconData*>& LiveIcons() {
    static std::set<IconData*> live;
    return live;
}
IconData* Lookup(HICON h) {
    auto* p = reinterpret_cast<IconData*>(h);
    std::lock_guard<std::mutex> lock(g_iconLock);
    return p && LiveIcons().count(p) ? p : nullptr;
}
HICON Register(IconData* data) {
    std::lock_guard<std::mutex> lock(g_iconLock);
    LiveIcons().insert(data);
    return reinterpret_cast<HICON>(data);
}

const QColor kHighlight(0, 120, 215);
const QColor kShadow(128, 128, 128);

// The shape of an image as coverage: alpha where the pixel is dark enough to show in a
// one-colour rendering, nothing where it is light (the classic monochrome conversion
// drops light pixels).
QImage Shape(const QImage& image, QColor colour, bool dropLight) {
    QImage src = image.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_ARGB32);
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            int a = qAlpha(in[x]);
            if (dropLight && qGray(in[x]) >= 192) a = 0;
            o[x] = qRgba(colour.red(), colour.green(), colour.blue(), a);
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

bool Blit(CDC* dc, const QImage& image, const QRect& target) {
    QPainter* p = dc ? dc->d->P() : nullptr;
    if (!p) return false;
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->drawImage(target, image);
    p->setCompositionMode(dc->d->Composition());
    dc->d->MarkDirty(target.translated(dc->d->org));
    return true;
}
}  // namespace

namespace platform {
HICON MakeIcon(const QImage& image) {
    if (image.isNull()) return nullptr;
    auto* data = new IconData;
    data->image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return Register(data);
}
const QImage* IconImage(HICON icon) {
    IconData* data = Lookup(icon);
    return data ? &data->image : nullptr;
}
QImage Saturated(const QImage& image) {
    QImage src = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < src.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(src.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const int g = qGray(line[x]);
            line[x] = qRgba(g, g, g, qAlpha(line[x]));
        }
    }
    return src.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
void DrawImageState(CDC* dc, const QImage& image, const QRect& target, UINT state,
                    QColor colour) {
    if (state & DSS_DISABLED) {
        Blit(dc, Shape(image, Qt::white, true), target.translated(1, 1));
        Blit(dc, Shape(image, kShadow, true), target);
    } else if (state & DSS_MONO) {
        Blit(dc, Shape(image, colour, false), target);
    } else if (state & DSS_UNION) {
        QImage mixed = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter p(&mixed);
        p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        p.setOpacity(0.5);
        p.fillRect(mixed.rect(), colour);
        p.end();
        Blit(dc, mixed, target);
    } else {
        Blit(dc, image, target);
    }
}
}  // namespace platform

HICON LoadIcon(void*, UINT id) {
    static std::map<UINT, HICON> cache;
    {
        std::lock_guard<std::mutex> lock(g_iconLock);
        auto it = cache.find(id);
        if (it != cache.end()) return it->second;
    }
    std::vector<unsigned char> bytes;
    QImage img;
    if (!LoadResourceBytes("ICON", id, bytes) || !LoadImageBytes(img, bytes.data(), bytes.size()))
        return nullptr;
    auto* data = new IconData;
    data->image = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    data->shared = true;
    HICON h = Register(data);
    std::lock_guard<std::mutex> lock(g_iconLock);
    auto [it, added] = cache.emplace(id, h);
    if (!added) {
        // another thread loaded it meanwhile: keep theirs
        LiveIcons().erase(data);
        delete data;
    }
    return it->second;
}

HICON CreateIconFromBitmap(CBitmap* bitmap, COLORREF mask) {
    if (!bitmap || !bitmap->m_surface) return nullptr;
    bitmap->m_surface->End();
    QImage img = bitmap->m_surface->Logical().convertToFormat(QImage::Format_ARGB32);
    if (mask != CLR_NONE) {
        const QRgb key = ToQColor(mask).rgb() & 0xffffff;
        for (int y = 0; y < img.height(); ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if ((line[x] & 0xffffff) == key) line[x] = 0;
        }
    }
    return MakeIcon(img);
}

HICON CopyIcon(HICON icon) {
    const QImage* img = IconImage(icon);
    return img ? MakeIcon(*img) : nullptr;
}

BOOL DestroyIcon(HICON icon) {
    auto* p = reinterpret_cast<IconData*>(icon);
    std::lock_guard<std::mutex> lock(g_iconLock);
    if (!p || !LiveIcons().count(p)) return FALSE;
    if (p->shared) return TRUE;
    LiveIcons().erase(p);
    delete p;
    return TRUE;
}

BOOL GetIconSize(HICON icon, SIZE* size) {
    const QImage* img = IconImage(icon);
    if (!img || !size) return FALSE;
    *size = SIZE{img->width(), img->height()};
    return TRUE;
}

ARGB GetIconPixel(HICON icon, int x, int y) {
    const QImage* img = IconImage(icon);
    if (!img || !img->valid(x, y)) return 0;
    const QRgb p = qUnpremultiply(img->pixel(x, y));
    return (ARGB)p;
}

BOOL DrawIcon(CDC* dc, int x, int y, HICON icon) {
    const QImage* img = IconImage(icon);
    return img && Blit(dc, *img, QRect(QPoint(x, y), img->size()));
}

BOOL DrawIconEx(CDC* dc, int x, int y, HICON icon, int cx, int cy, UINT, CBrush* flickerFree,
                UINT flags) {
    const QImage* img = IconImage(icon);
    if (!img || !dc) return FALSE;
    if (cx <= 0) cx = img->width();
    if (cy <= 0) cy = img->height();
    const QRect target(x, y, cx, cy);
    if (flickerFree) {
        RECT rc = FromQRect(target);
        dc->FillRect(&rc, flickerFree);
    }
    switch (flags & DI_NORMAL) {
        case DI_MASK:
            return Blit(dc, Shape(*img, Qt::black, false), target);
        case DI_IMAGE: {
            QImage opaque(img->size(), QImage::Format_RGB32);
            opaque.fill(Qt::black);
            QPainter p(&opaque);
            p.drawImage(0, 0, *img);
            p.end();
            return Blit(dc, opaque, target);
        }
        default:
            return Blit(dc, *img, target);
    }
}

namespace {
QColor BrushColour(CBrush* brush, QColor fallback) {
    return brush && brush->m_created && brush->m_style != BS_NULL ? ToQColor(brush->m_color)
                                                                   : fallback;
}
}  // namespace

BOOL DrawState(CDC* dc, CPoint pt, CSize size, HICON icon, UINT flags, CBrush* brush) {
    const QImage* img = IconImage(icon);
    if (!img || !dc || (flags & 0xF) != DST_ICON) return FALSE;
    QSize s = size.cx > 0 && size.cy > 0 ? QSize(size.cx, size.cy) : img->size();
    const bool mono = flags & DSS_MONO;
    DrawImageState(dc, *img, QRect(QPoint(pt.x, pt.y), s), flags & 0xFFF0,
                   BrushColour(brush, mono ? QColor(Qt::black) : kHighlight));
    return TRUE;
}

BOOL DrawState(CDC* dc, CPoint pt, CSize size, CBitmap* bitmap, UINT flags, CBrush* brush) {
    if (!dc || !bitmap || !bitmap->m_surface || (flags & 0xF) != DST_BITMAP) return FALSE;
    bitmap->m_surface->End();
    const QImage img = bitmap->m_surface->Logical();
    QSize s = size.cx > 0 && size.cy > 0 ? QSize(size.cx, size.cy) : img.size();
    const bool mono = flags & DSS_MONO;
    DrawImageState(dc, img.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                   QRect(QPoint(pt.x, pt.y), s), flags & 0xFFF0,
                   BrushColour(brush, mono ? QColor(Qt::black) : kHighlight));
    return TRUE;
}

BOOL DrawState(CDC* dc, CPoint pt, CSize size, const std::string& text, UINT flags,
               CBrush* brush) {
    const UINT kind = flags & 0xF;
    if (!dc || (kind != DST_TEXT && kind != DST_PREFIXTEXT)) return FALSE;
    const UINT format = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOCLIP |
                        (kind == DST_TEXT ? DT_NOPREFIX : 0) | ((flags & DSS_RIGHT) ? DT_RIGHT : 0);
    CSize s = size;
    if (s.cx <= 0 || s.cy <= 0) s = dc->GetTextExtent(text);
    const COLORREF oldText = dc->GetTextColor();
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    auto draw = [&](int dx, int dy, COLORREF c) {
        dc->SetTextColor(c);
        CRect r(pt.x + dx, pt.y + dy, pt.x + dx + s.cx, pt.y + dy + s.cy);
        dc->DrawText(text, &r, format);
    };
    if (flags & DSS_DISABLED) {
        draw(1, 1, RGB(255, 255, 255));
        draw(0, 0, RGB(128, 128, 128));
    } else if (flags & DSS_MONO) {
        QColor c = BrushColour(brush, Qt::black);
        draw(0, 0, RGB(c.red(), c.green(), c.blue()));
    } else {
        draw(0, 0, oldText);
    }
    dc->SetTextColor(oldText);
    dc->SetBkMode(oldMode);
    return TRUE;
}
