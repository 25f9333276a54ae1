// Anti-aliased drawing, images and image lists.
#include <QFile>

#include "platform/PlatformPrivate.h"
#include "platform/Resource.h"

using namespace platform;

// ---- CImage ----
CImage::CImage() : d(std::make_unique<ImageData>()) {}
CImage::~CImage() = default;
BOOL CImage::Load(const unsigned char* data, size_t size) {
    QImage img;
    if (!data || !size || !img.loadFromData(data, (int)size)) return FALSE;
    d->image = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return TRUE;
}
BOOL CImage::Load(const std::string& path) {
    QFile f(ToQ(path));
    if (!f.open(QIODevice::ReadOnly)) return FALSE;
    QByteArray b = f.readAll();
    return Load(reinterpret_cast<const unsigned char*>(b.constData()), (size_t)b.size());
}
BOOL CImage::LoadResource(const std::string& type, UINT id) {
    std::vector<unsigned char> bytes;
    return LoadResourceBytes(type, id, bytes) && Load(bytes.data(), bytes.size());
}
bool CImage::IsNull() const {
    return d->image.isNull();
}
int CImage::GetWidth() const {
    return d->image.width();
}
int CImage::GetHeight() const {
    return d->image.height();
}
ARGB CImage::GetPixel(int x, int y) const {
    return d->image.valid(x, y) ? (ARGB)qUnpremultiply(d->image.pixel(x, y)) : 0;
}
BOOL CImage::Draw(CDC* dc, int x, int y, int w, int h) const {
    if (!dc || IsNull()) return FALSE;
    QPainter* p = dc->d->P();
    if (!p) return FALSE;
    QRect r(x, y, w < 0 ? GetWidth() : w, h < 0 ? GetHeight() : h);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setRenderHint(QPainter::SmoothPixmapTransform, true);
    p->drawImage(r, d->image);
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    p->setCompositionMode(dc->d->Composition());
    dc->d->MarkDirty(r.translated(dc->d->org));
    return TRUE;
}

// ---- CGraphicsPath ----
static QRectF Q(RectF r) {
    return QRectF(r.X, r.Y, r.Width, r.Height);
}

CGraphicsPath::CGraphicsPath(FillMode mode) : d(std::make_unique<PathData>()) {
    SetFillMode(mode);
}
CGraphicsPath::~CGraphicsPath() = default;
CGraphicsPath::CGraphicsPath(const CGraphicsPath& o) : d(std::make_unique<PathData>(*o.d)) {}
// Segments added one after another join into one figure, as the classic path does;
// StartFigure (or a closed shape) makes the next segment begin a new one.
static void Begin(PathData& d, QPointF p) {
    if (d.newFigure)
        d.path.moveTo(p);
    else if (d.path.currentPosition() != p)
        d.path.lineTo(p);
    d.newFigure = false;
}
void CGraphicsPath::AddLine(float x1, float y1, float x2, float y2) {
    Begin(*d, QPointF(x1, y1));
    d->path.lineTo(x2, y2);
}
void CGraphicsPath::AddLines(const PointF* pts, int n) {
    for (int i = 0; i + 1 < n; ++i) AddLine(pts[i].X, pts[i].Y, pts[i + 1].X, pts[i + 1].Y);
}
void CGraphicsPath::AddArc(float x, float y, float w, float h, float start, float sweep) {
    QRectF r(x, y, w, h);
    QPainterPath arc;
    arc.arcMoveTo(r, -start);
    Begin(*d, arc.currentPosition());
    d->path.arcTo(r, -start, -sweep);
}
void CGraphicsPath::AddBezier(PointF p1, PointF p2, PointF p3, PointF p4) {
    Begin(*d, QPointF(p1.X, p1.Y));
    d->path.cubicTo(p2.X, p2.Y, p3.X, p3.Y, p4.X, p4.Y);
}
void CGraphicsPath::AddRectangle(RectF rc) {
    d->path.addRect(Q(rc));
    d->newFigure = true;
}
void CGraphicsPath::AddEllipse(float x, float y, float w, float h) {
    d->path.addEllipse(QRectF(x, y, w, h));
    d->newFigure = true;
}
void CGraphicsPath::AddPolygon(const PointF* pts, int n) {
    QPolygonF poly;
    for (int i = 0; i < n; ++i) poly << QPointF(pts[i].X, pts[i].Y);
    if (!poly.isEmpty()) poly << poly.first();
    d->path.addPolygon(poly);
    d->path.closeSubpath();
    d->newFigure = true;
}
void CGraphicsPath::AddPie(float x, float y, float w, float h, float start, float sweep) {
    QRectF r(x, y, w, h);
    d->path.moveTo(r.center());
    d->path.arcTo(r, -start, -sweep);
    d->path.closeSubpath();
    d->newFigure = true;
}
void CGraphicsPath::StartFigure() {
    d->newFigure = true;
}
void CGraphicsPath::CloseFigure() {
    d->path.closeSubpath();
    d->newFigure = true;
}
void CGraphicsPath::SetFillMode(FillMode mode) {
    d->path.setFillRule(mode == FillModeWinding ? Qt::WindingFill : Qt::OddEvenFill);
}
void CGraphicsPath::Reset() {
    Qt::FillRule rule = d->path.fillRule();
    d->path = QPainterPath();
    d->path.setFillRule(rule);
    d->newFigure = true;
}
BOOL CGraphicsPath::IsVisible(float x, float y) const {
    return d->path.contains(QPointF(x, y));
}
RectF CGraphicsPath::GetBounds() const {
    QRectF b = d->path.boundingRect();
    return RectF{(float)b.x(), (float)b.y(), (float)b.width(), (float)b.height()};
}

// ---- CGraphics ----
static QPen MakePen(ARGB c, float width) {
    QPen pen(ToQColorArgb(c));
    pen.setWidthF(width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}
// The two ways a shape is painted: outlined in colour c, w wide, or filled with c.
static void Outline(QPainter& p, ARGB c, float w) {
    p.setPen(MakePen(c, w));
    p.setBrush(Qt::NoBrush);
}
static void Solid(QPainter& p, ARGB c) {
    p.setPen(Qt::NoPen);
    p.setBrush(ToQColorArgb(c));
}
static QPolygonF ToPolygon(const PointF* pts, int n) {
    QPolygonF poly;
    for (int i = 0; i < n; ++i) poly << QPointF(pts[i].X, pts[i].Y);
    return poly;
}

struct CGraphics::Impl {
    CDC* dc;
    bool clip = false;
    QRectF clipRect;
    QPainter* Begin(SmoothingMode mode) {
        QPainter* p = dc->d->P();
        if (!p) return nullptr;
        p->save();
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        p->setRenderHint(QPainter::Antialiasing, mode == SmoothingModeAntiAlias);
        if (clip) p->setClipRect(clipRect, Qt::IntersectClip);
        return p;
    }
    void End(QPainter* p, const QRectF& touched) {
        p->restore();
        dc->d->MarkDirty(touched.toAlignedRect().adjusted(-3, -3, 3, 3).translated(dc->d->org));
    }
    // Paints with the painter's state kept around the call, then marks what was touched.
    // Smoothed shapes put pixel centres on whole coordinates, as the classic anti-aliased
    // drawing does: a 1-wide line at y = 10 fills row 10 instead of half of rows 9 and 10.
    template <class Draw>
    void Paint(SmoothingMode mode, const QRectF& touched, Draw draw) {
        QPainter* p = Begin(mode);
        if (!p) return;
        if (mode == SmoothingModeAntiAlias) p->translate(0.5, 0.5);
        draw(*p);
        End(p, touched);
    }
};

CGraphics::CGraphics(CDC* dc) : m_impl(std::make_unique<Impl>()) {
    m_impl->dc = dc;
}
CGraphics::~CGraphics() = default;
void CGraphics::SetSmoothingMode(SmoothingMode mode) {
    m_mode = mode;
}
void CGraphics::SetClip(RectF rc) {
    m_impl->clip = true;
    m_impl->clipRect = Q(rc);
}
void CGraphics::ResetClip() {
    m_impl->clip = false;
}

void CGraphics::DrawLine(ARGB c, float w, float x1, float y1, float x2, float y2) {
    const QPointF a(x1, y1), b(x2, y2);
    m_impl->Paint(m_mode, QRectF(a, b).normalized(), [&](QPainter& p) {
        Outline(p, c, w);
        p.drawLine(a, b);
    });
}
void CGraphics::DrawLines(ARGB c, float w, const PointF* pts, int n) {
    if (!pts || n < 2) return;
    const QPolygonF poly = ToPolygon(pts, n);
    m_impl->Paint(m_mode, poly.boundingRect(), [&](QPainter& p) {
        Outline(p, c, w);
        p.drawPolyline(poly);
    });
}
void CGraphics::DrawPolygon(ARGB c, float w, const PointF* pts, int n) {
    if (!pts || n < 2) return;
    const QPolygonF poly = ToPolygon(pts, n);
    m_impl->Paint(m_mode, poly.boundingRect(), [&](QPainter& p) {
        Outline(p, c, w);
        p.drawPolygon(poly);
    });
}
void CGraphics::FillPolygon(ARGB c, const PointF* pts, int n, FillMode mode) {
    if (!pts || n < 3) return;
    const QPolygonF poly = ToPolygon(pts, n);
    m_impl->Paint(m_mode, poly.boundingRect(), [&](QPainter& p) {
        Solid(p, c);
        p.drawPolygon(poly, mode == FillModeWinding ? Qt::WindingFill : Qt::OddEvenFill);
    });
}
void CGraphics::DrawRectangle(ARGB c, float w, float x, float y, float wd, float h) {
    const QRectF r(x, y, wd, h);
    m_impl->Paint(m_mode, r, [&](QPainter& p) {
        Outline(p, c, w);
        p.drawRect(r);
    });
}
void CGraphics::FillRectangle(ARGB c, float x, float y, float wd, float h) {
    const QRectF r(x, y, wd, h);
    m_impl->Paint(m_mode, r, [&](QPainter& p) { p.fillRect(r, ToQColorArgb(c)); });
}
void CGraphics::DrawEllipse(ARGB c, float w, float x, float y, float wd, float h) {
    const QRectF r(x, y, wd, h);
    m_impl->Paint(m_mode, r, [&](QPainter& p) {
        Outline(p, c, w);
        p.drawEllipse(r);
    });
}
void CGraphics::FillEllipse(ARGB c, float x, float y, float wd, float h) {
    const QRectF r(x, y, wd, h);
    m_impl->Paint(m_mode, r, [&](QPainter& p) {
        Solid(p, c);
        p.drawEllipse(r);
    });
}
// Angles in degrees, clockwise from the x axis; Qt counts sixteenths, counter-clockwise.
void CGraphics::DrawArc(ARGB c, float w, float x, float y, float wd, float h, float start,
                        float sweep) {
    const QRectF r(x, y, wd, h);
    m_impl->Paint(m_mode, r, [&](QPainter& p) {
        Outline(p, c, w);
        p.drawArc(r, qRound(-start * 16), qRound(-sweep * 16));
    });
}
void CGraphics::FillPie(ARGB c, float x, float y, float wd, float h, float start, float sweep) {
    const QRectF r(x, y, wd, h);
    m_impl->Paint(m_mode, r, [&](QPainter& p) {
        Solid(p, c);
        p.drawPie(r, qRound(-start * 16), qRound(-sweep * 16));
    });
}
void CGraphics::DrawPath(ARGB c, float w, const CGraphicsPath& path) {
    m_impl->Paint(m_mode, path.d->path.boundingRect(), [&](QPainter& p) {
        Outline(p, c, w);
        p.drawPath(path.d->path);
    });
}
void CGraphics::FillPath(ARGB c, const CGraphicsPath& path) {
    m_impl->Paint(m_mode, path.d->path.boundingRect(),
                  [&](QPainter& p) { p.fillPath(path.d->path, ToQColorArgb(c)); });
}
void CGraphics::FillPathGradient(const CGraphicsPath& path, PointF p1, PointF p2, ARGB c1,
                                 ARGB c2) {
    m_impl->Paint(m_mode, path.d->path.boundingRect(), [&](QPainter& p) {
        QLinearGradient g(QPointF(p1.X, p1.Y), QPointF(p2.X, p2.Y));
        g.setColorAt(0, ToQColorArgb(c1));
        g.setColorAt(1, ToQColorArgb(c2));
        p.fillPath(path.d->path, QBrush(g));
    });
}
static int Align(StringAlignment h, StringAlignment v) {
    int f = h == StringAlignmentCenter ? Qt::AlignHCenter
            : h == StringAlignmentFar  ? Qt::AlignRight
                                       : Qt::AlignLeft;
    f |= v == StringAlignmentCenter ? Qt::AlignVCenter
         : v == StringAlignmentFar  ? Qt::AlignBottom
                                    : Qt::AlignTop;
    return f;
}
void CGraphics::DrawString(const std::string& text, const LOGFONT& font, ARGB c, RectF layout,
                           StringAlignment h, StringAlignment v) {
    QPainter* p = m_impl->Begin(m_mode);
    if (!p) return;
    p->setFont(FontFromLogFont(font));
    p->setPen(ToQColorArgb(c));
    QRectF r = Q(layout);
    if (r.width() <= 0 || r.height() <= 0) {
        QFontMetricsF fm(p->font());
        r.setSize(fm.size(0, ToQ(text)));
    }
    p->drawText(r, Align(h, v) | Qt::TextWordWrap, ToQ(text));
    m_impl->End(p, r);
}
RectF CGraphics::MeasureString(const std::string& text, const LOGFONT& font) const {
    QFontMetricsF fm(FontFromLogFont(font));
    QSizeF s = fm.size(0, ToQ(text));
    return RectF{0, 0, (float)s.width(), (float)s.height()};
}
void CGraphics::DrawImage(const CImage& image, float x, float y, float w, float h) {
    if (image.IsNull()) return;
    QPainter* p = m_impl->Begin(m_mode);
    if (!p) return;
    QRectF r(x, y, w < 0 ? image.GetWidth() : w, h < 0 ? image.GetHeight() : h);
    p->setRenderHint(QPainter::SmoothPixmapTransform, true);
    p->drawImage(r, image.d->image);
    m_impl->End(p, r);
}
