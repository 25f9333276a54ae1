// Anti-aliased drawing, images and image lists.
#include <QFile>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include "platform/PlatformPrivate.h"
#include "platform/Resource.h"

using namespace platform;

// ---- CImage ----
CImage::CImage() : d(std::make_unique<ImageData>()) {}
CImage::~CImage() = default;
BOOL CImage::Load(const unsigned char* data, size_t size) {
    QImage img;
    if (!LoadImageBytes(img, data, size)) return FALSE;
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
// A shape is filled with c, or outlined by the dashed pen of CGraphics::Impl::Outline.
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
    DashStyle dash = DashStyleSolid;
    QList<qreal> pattern;  // of the custom style
    qreal dashOffset = 0;
    StringTrimming trimming = StringTrimmingNone;
    bool noWrap = false;
    void Outline(QPainter& p, ARGB c, float w) const {
        QPen pen = MakePen(c, w);
        static const QList<qreal> kDash{3, 1}, kDot{1, 1}, kDashDot{3, 1, 1, 1},
            kDashDotDot{3, 1, 1, 1, 1, 1};
        const QList<qreal>* lengths = nullptr;
        switch (dash) {
            case DashStyleDash:
                lengths = &kDash;
                break;
            case DashStyleDot:
                lengths = &kDot;
                break;
            case DashStyleDashDot:
                lengths = &kDashDot;
                break;
            case DashStyleDashDotDot:
                lengths = &kDashDotDot;
                break;
            case DashStyleCustom:
                if (!pattern.isEmpty()) lengths = &pattern;
                break;
            default:
                break;
        }
        if (lengths) {
            pen.setDashPattern(*lengths);
            pen.setDashOffset(dashOffset);
        }
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
    }
    QString Trim(const QString& text, const QFont& font, qreal width, qreal height) const;
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
        m_impl->Outline(p, c, w);
        p.drawLine(a, b);
    });
}
void CGraphics::DrawLines(ARGB c, float w, const PointF* pts, int n) {
    if (!pts || n < 2) return;
    const QPolygonF poly = ToPolygon(pts, n);
    m_impl->Paint(m_mode, poly.boundingRect(), [&](QPainter& p) {
        m_impl->Outline(p, c, w);
        p.drawPolyline(poly);
    });
}
void CGraphics::DrawPolygon(ARGB c, float w, const PointF* pts, int n) {
    if (!pts || n < 2) return;
    const QPolygonF poly = ToPolygon(pts, n);
    m_impl->Paint(m_mode, poly.boundingRect(), [&](QPainter& p) {
        m_impl->Outline(p, c, w);
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
        m_impl->Outline(p, c, w);
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
        m_impl->Outline(p, c, w);
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
        m_impl->Outline(p, c, w);
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
        m_impl->Outline(p, c, w);
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
        p->drawText(r, Align(h, v), ToQ(text));
    } else if (m_impl->trimming == StringTrimmingNone) {
        p->setClipRect(r, Qt::IntersectClip);
        p->drawText(r, Align(h, v) | (m_impl->noWrap ? 0 : Qt::TextWordWrap), ToQ(text));
    } else {
        // the lines worked out beforehand, so the toolkit neither wraps nor elides them again
        p->setClipRect(r, Qt::IntersectClip);
        p->drawText(r, Align(h, v), m_impl->Trim(ToQ(text), p->font(), r.width(), r.height()));
    }
    m_impl->End(p, r);
}
void CGraphics::SetDashStyle(DashStyle style) {
    m_impl->dash = style;
}
DashStyle CGraphics::GetDashStyle() const {
    return m_impl->dash;
}
void CGraphics::SetDashPattern(const float* lengths, int count) {
    m_impl->pattern.clear();
    for (int i = 0; lengths && i < count; ++i) {
        if (lengths[i] <= 0) {
            m_impl->pattern.clear();
            break;
        }
        m_impl->pattern << lengths[i];
    }
    if (m_impl->pattern.size() % 2) m_impl->pattern << m_impl->pattern.back();  // on, off pairs
    m_impl->dash = DashStyleCustom;
}
void CGraphics::SetDashOffset(float offset) {
    m_impl->dashOffset = offset;
}
void CGraphics::SetStringTrimming(StringTrimming trimming) {
    m_impl->trimming = trimming;
}
void CGraphics::SetStringNoWrap(BOOL noWrap) {
    m_impl->noWrap = noWrap != FALSE;
}
std::string CGraphics::TrimString(const std::string& text, const LOGFONT& font, float width,
                                  float height) const {
    return FromQ(m_impl->Trim(ToQ(text), FontFromLogFont(font), width, height));
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

// ---- trimming ----
namespace {
const QString kEllipsis = QStringLiteral("\u2026");

// Positions where a line may be cut at a word: after a space, and between two characters
// at least one of which is CJK (each such character is a word of its own).
bool WordBoundary(const QString& s, int at) {
    if (at <= 0 || at >= s.size()) return true;
    const QChar a = s[at - 1], b = s[at];
    if (a.isSpace() || b.isSpace()) return true;
    auto cjk = [](QChar c) { return c.unicode() >= 0x2E80; };
    return cjk(a) || cjk(b);
}
// The longest start of s no wider than width, cut at a character or at a word boundary.
QString Fit(const QString& s, const QFontMetricsF& fm, qreal width, bool atWord) {
    int best = 0;
    for (int n = 1; n <= s.size(); ++n) {
        if (s[n - 1].isLowSurrogate()) continue;
        if (fm.horizontalAdvance(s.left(n)) > width) break;
        if (!atWord || WordBoundary(s, n)) best = n;
    }
    QString out = s.left(best);
    while (atWord && !out.isEmpty() && out.back().isSpace()) out.chop(1);
    return out;
}
QString TrimLine(const QString& s, const QFontMetricsF& fm, qreal width, StringTrimming t) {
    if (fm.horizontalAdvance(s) <= width) return s;
    switch (t) {
        case StringTrimmingCharacter:
            return Fit(s, fm, width, false);
        case StringTrimmingWord:
            return Fit(s, fm, width, true);
        case StringTrimmingEllipsisCharacter:
            return Fit(s, fm, width - fm.horizontalAdvance(kEllipsis), false) + kEllipsis;
        case StringTrimmingEllipsisWord:
            return Fit(s, fm, width - fm.horizontalAdvance(kEllipsis), true) + kEllipsis;
        case StringTrimmingEllipsisPath:
            return fm.elidedText(s, Qt::ElideMiddle, width);
        default:
            return s;
    }
}
}  // namespace

QString CGraphics::Impl::Trim(const QString& text, const QFont& font, qreal width,
                              qreal height) const {
    const QFontMetricsF fm(font);
    QStringList lines;
    QList<int> starts;  // where each line begins in text
    if (noWrap) {
        lines << text;
        starts << 0;
    } else {
        // wrapped at words as the toolkit would, paragraph by paragraph
        int offset = 0;
        for (const QString& para : text.split(QLatin1Char('\n'))) {
            QTextLayout layout(para, font);
            QTextOption opt;
            opt.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(opt);
            layout.beginLayout();
            bool any = false;
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width);
                QString t = para.mid(line.textStart(), line.textLength());
                while (!t.isEmpty() && t.back().isSpace()) t.chop(1);  // no spaces at a line's end
                lines << t;
                starts << offset + line.textStart();
                any = true;
            }
            layout.endLayout();
            if (!any) {
                lines << QString();
                starts << offset;
            }
            offset += (int)para.size() + 1;
        }
    }
    const int fit = std::max(1, (int)(height / fm.lineSpacing() + 1e-6));
    if (lines.size() <= fit) {
        if (noWrap) lines[0] = TrimLine(lines[0], fm, width, trimming);
        return lines.join(QLatin1Char('\n'));
    }
    // the last line that fits takes the rest of the text and is cut
    QStringList kept = lines.mid(0, fit - 1);
    QString rest = text.mid(starts[fit - 1]);
    rest.replace(QLatin1Char('\n'), QLatin1Char(' '));
    kept << TrimLine(rest.trimmed(), fm, width,
                     trimming == StringTrimmingNone ? StringTrimmingCharacter : trimming);
    return kept.join(QLatin1Char('\n'));
}
