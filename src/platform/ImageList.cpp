// Image lists and their drawing styles.
#include "platform/IconPrivate.h"
#include "platform/PlatformPrivate.h"

using namespace platform;

namespace {
const QColor kHighlight(0, 120, 215);

QImage Transparent(QImage img, COLORREF mask) {
    img = img.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToQColor(mask).rgb() & 0xffffff;
    for (int y = 0; y < img.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xffffff) == key) line[x] = 0;
    }
    return img;
}
}  // namespace

CImageList::CImageList() = default;
CImageList::~CImageList() = default;
BOOL CImageList::Create(int cx, int cy, UINT flags, int, int) {
    if (cx <= 0 || cy <= 0) return FALSE;
    m_cx = cx;
    m_cy = cy;
    m_flags = flags;
    m_created = true;
    m_images.clear();
    return TRUE;
}
int CImageList::Add(CBitmap* strip, COLORREF mask) {
    if (!m_created || !strip || !strip->m_surface) return -1;
    strip->m_surface->End();
    const QImage src = strip->m_surface->Logical();
    int first = (int)m_images.size();
    int count = src.width() / m_cx;
    if (count <= 0) return -1;
    const bool useMask = (m_flags & ILC_MASK) && mask != CLR_NONE;
    for (int i = 0; i < count; ++i) {
        QImage img = src.copy(i * m_cx, 0, m_cx, m_cy).convertToFormat(QImage::Format_ARGB32);
        if (useMask) img = Transparent(img, mask);
        m_images.push_back(
            std::make_shared<Surface>(img.convertToFormat(QImage::Format_ARGB32_Premultiplied)));
    }
    return first;
}
int CImageList::Add(CBitmap* strip, CBitmap* maskBitmap) {
    if (!maskBitmap || !maskBitmap->m_surface) return Add(strip, (COLORREF)CLR_NONE);
    int first = Add(strip, (COLORREF)CLR_NONE);
    if (first < 0) return first;
    // white in the mask is transparent
    maskBitmap->m_surface->End();
    const QImage m = maskBitmap->m_surface->Logical();
    for (size_t i = first; i < m_images.size(); ++i) {
        QImage img = m_images[i]->image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                int mx = int(i - first) * m_cx + x;
                if (m.valid(mx, y) && (m.pixel(mx, y) & 0xffffff) == 0xffffff)
                    img.setPixel(x, y, 0);
            }
        m_images[i]->image = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return first;
}
int CImageList::Add(HICON icon) {
    const QImage* img = IconImage(icon);
    if (!m_created || !img) return -1;
    QImage scaled = img->size() == QSize(m_cx, m_cy)
                        ? *img
                        : img->scaled(m_cx, m_cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_images.push_back(
        std::make_shared<Surface>(scaled.convertToFormat(QImage::Format_ARGB32_Premultiplied)));
    return (int)m_images.size() - 1;
}
int CImageList::Replace(int image, CBitmap* bitmap, COLORREF mask) {
    if (image < 0 || image >= (int)m_images.size() || !bitmap || !bitmap->m_surface) return -1;
    bitmap->m_surface->End();
    QImage img =
        bitmap->m_surface->Logical().copy(0, 0, m_cx, m_cy).convertToFormat(QImage::Format_ARGB32);
    if ((m_flags & ILC_MASK) && mask != CLR_NONE) img = Transparent(img, mask);
    m_images[(size_t)image] =
        std::make_shared<Surface>(img.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    return image;
}
int CImageList::GetImageCount() const {
    return (int)m_images.size();
}
COLORREF CImageList::SetBkColor(COLORREF c) {
    COLORREF old = m_bk;
    m_bk = c;
    return old;
}
HICON CImageList::ExtractIcon(int image) const {
    if (image < 0 || image >= (int)m_images.size()) return nullptr;
    return MakeIcon(m_images[(size_t)image]->image);
}
BOOL CImageList::Draw(CDC* dc, int image, POINT pt, UINT style) {
    return DrawEx(dc, image, pt, SIZE{0, 0}, CLR_DEFAULT, CLR_DEFAULT, style);
}
BOOL CImageList::DrawEx(CDC* dc, int image, POINT pt, SIZE size, COLORREF bk, COLORREF fg,
                        UINT style) {
    return DrawIndirect(dc, image, pt, size, POINT{0, 0}, style, SRCCOPY, bk, fg);
}
BOOL CImageList::DrawIndirect(CDC* dc, int image, POINT pt, SIZE size, POINT origin, UINT style,
                              DWORD, COLORREF bk, COLORREF fg, DWORD state, DWORD frame,
                              COLORREF) {
    if (!dc || image < 0 || image >= (int)m_images.size()) return FALSE;
    QPainter* p = dc->d->P();
    if (!p) return FALSE;
    const int w = size.cx > 0 ? size.cx : m_cx, h = size.cy > 0 ? size.cy : m_cy;
    QImage img = m_images[(size_t)image]->image.copy(origin.x, origin.y, w, h);
    if (state & ILS_SATURATE) img = Saturated(img);
    if (style & ILD_MASK) {
        QPainter mp(&img);
        mp.setCompositionMode(QPainter::CompositionMode_SourceIn);
        mp.fillRect(img.rect(), Qt::black);
    } else if (style & (ILD_BLEND25 | ILD_BLEND50)) {
        const QColor with = fg == CLR_DEFAULT || fg == CLR_NONE ? kHighlight : ToQColor(fg);
        QPainter mp(&img);
        mp.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        mp.setOpacity((style & ILD_BLEND50) ? 0.5 : 0.25);
        mp.fillRect(img.rect(), with);
    }
    const QRect target(pt.x, pt.y, w, h);
    const COLORREF under = bk == CLR_DEFAULT ? m_bk : bk;
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (!(style & ILD_TRANSPARENT) && under != CLR_NONE) p->fillRect(target, ToQColor(under));
    if (state & ILS_ALPHA) p->setOpacity(std::min<DWORD>(frame, 255) / 255.0);
    p->drawImage(target.topLeft(), img);
    p->setOpacity(1.0);
    p->setCompositionMode(dc->d->Composition());
    dc->d->MarkDirty(target.translated(dc->d->org));
    return TRUE;
}
BOOL CImageList::Remove(int image) {
    if (image == -1) {
        m_images.clear();
        return TRUE;
    }
    if (image < 0 || image >= (int)m_images.size()) return FALSE;
    m_images.erase(m_images.begin() + image);
    return TRUE;
}
BOOL CImageList::DeleteImageList() {
    BOOL was = m_created;
    m_images.clear();
    m_created = false;
    return was;
}
