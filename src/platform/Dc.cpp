// The device context over QPainter.
#include <QGuiApplication>
#include <QScreen>
#include <QtMath>
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <list>
#include <unordered_map>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/PlatformPrivate.h"

using namespace platform;

namespace {
CPen g_stockBlackPen(PS_SOLID, 1, RGB(0, 0, 0));
CPen g_stockWhitePen(PS_SOLID, 1, RGB(255, 255, 255));
CPen g_stockNullPen(PS_NULL, 0, 0);
CBrush g_stockWhiteBrush(RGB(255, 255, 255));
CBrush g_stockBlackBrush(RGB(0, 0, 0));
CBrush g_stockLtGrayBrush(RGB(192, 192, 192));
CBrush g_stockGrayBrush(RGB(128, 128, 128));
CBrush g_stockDkGrayBrush(RGB(64, 64, 64));
CBrush& StockNullBrush() {
    static CBrush b;
    static bool init = (b.CreateStockNull(), true);
    (void)init;
    return b;
}
CFont& StockFont() {
    static CFont f;
    static bool init = [] {
        LOGFONT lf = DefaultLogFont();
        f.CreateFontIndirect(&lf);
        return true;
    }();
    (void)init;
    return f;
}

Qt::BrushStyle HatchStyle(int hatch) {
    switch (hatch) {
        case HS_HORIZONTAL:
            return Qt::HorPattern;
        case HS_VERTICAL:
            return Qt::VerPattern;
        case HS_FDIAGONAL:
            return Qt::BDiagPattern;  // "\\\\" in screen coordinates
        case HS_BDIAGONAL:
            return Qt::FDiagPattern;
        case HS_CROSS:
            return Qt::CrossPattern;
        default:
            return Qt::DiagCrossPattern;
    }
}

// the angle, counter-clockwise from the x axis in degrees, of the radial through (x, y)
double RadialAngle(double cx, double cy, int x, int y) {
    double a = std::atan2(-(y - cy), x - cx) * 180.0 / M_PI;
    return a < 0 ? a + 360.0 : a;
}
}  // namespace

// ---- DCState ----
DCState::~DCState() {
    if (surface && surface->owner == this) surface->End();
}

void DCState::SetSurface(std::shared_ptr<Surface> s) {
    if (surface && surface->owner == this) surface->End();
    surface = std::move(s);
}

QPainter::CompositionMode DCState::Composition() const {
    switch (rop) {
        case R2_XORPEN:
            return QPainter::RasterOp_SourceXorDestination;
        case R2_NOT:
            return QPainter::RasterOp_NotDestination;
        case R2_NOTXORPEN:
            return QPainter::RasterOp_NotSourceXorDestination;
        case R2_MASKPEN:
            return QPainter::RasterOp_SourceAndDestination;
        case R2_MERGEPEN:
            return QPainter::RasterOp_SourceOrDestination;
        case R2_NOTMASKPEN:
            return QPainter::RasterOp_NotSourceOrNotDestination;
        case R2_NOTMERGEPEN:
            return QPainter::RasterOp_NotSourceAndNotDestination;
        case R2_MASKNOTPEN:
            return QPainter::RasterOp_NotSourceAndDestination;
        case R2_MASKPENNOT:
            return QPainter::RasterOp_SourceAndNotDestination;
        case R2_MERGENOTPEN:
            return QPainter::RasterOp_NotSourceOrDestination;
        case R2_MERGEPENNOT:
            return QPainter::RasterOp_SourceOrNotDestination;
        case R2_NOTCOPYPEN:
            return QPainter::RasterOp_NotSource;
        default:
            return QPainter::CompositionMode_SourceOver;
    }
}

QColor DCState::PenColor(COLORREF c) const {
    if (rop == R2_BLACK) return Qt::black;
    if (rop == R2_WHITE) return Qt::white;
    return ToQColor(c);
}

void DCState::SetPen(const CPen& p) {
    for (const PenKey& k : penCache)
        if (k.style == p.m_style && k.width == p.m_width && k.color == p.m_color && k.rop == rop &&
            k.pen.style() != Qt::NoPen) {
            qpen = k.pen;
            return;
        }
    BuildPen(p);
    if (qpen.style() != Qt::NoPen) {
        penCache[penNext] = PenKey{p.m_style, p.m_width, p.m_color, rop, qpen};
        penNext = (penNext + 1) % 4;
    }
}

void DCState::BuildPen(const CPen& p) {
    if (p.m_style == PS_NULL) {
        qpen = QPen(Qt::NoPen);
        return;
    }
    QPen q(PenColor(p.m_color));
    if (p.m_width <= 1) {
        q.setWidth(0);  // one pixel whatever the transform; the end point is left out
        q.setCapStyle(Qt::FlatCap);
        q.setJoinStyle(Qt::MiterJoin);
        switch (p.m_style) {
            case PS_DASH:
                q.setDashPattern({18, 6});
                break;
            case PS_DOT:
                q.setDashPattern({3, 3});
                break;
            case PS_DASHDOT:
                q.setDashPattern({9, 6, 3, 6});
                break;
            case PS_DASHDOTDOT:
                q.setDashPattern({9, 3, 3, 3, 3, 3});
                break;
            default:
                break;
        }
    } else {
        // wide pens are solid with round ends, whatever style was asked
        q.setWidth(p.m_width);
        q.setCapStyle(Qt::RoundCap);
        q.setJoinStyle(Qt::RoundJoin);
    }
    qpen = q;
}

void DCState::SetBrush(const CBrush& b) {
    for (const BrushKey& k : brushCache)
        if (k.style == b.m_style && k.hatch == b.m_hatch && k.color == b.m_color && k.rop == rop &&
            k.pattern == b.m_pattern.get() && k.brush.style() != Qt::NoBrush) {
            qbrush = k.brush;
            return;
        }
    BuildBrush(b);
    if (qbrush.style() != Qt::NoBrush && b.m_style != BS_PATTERN) {
        brushCache[brushNext] = BrushKey{b.m_style, b.m_hatch, b.m_color, rop, nullptr, qbrush};
        brushNext = (brushNext + 1) % 4;
    }
}

void DCState::BuildBrush(const CBrush& b) {
    switch (b.m_style) {
        case BS_NULL:
            qbrush = QBrush(Qt::NoBrush);
            break;
        case BS_HATCHED:
            qbrush = QBrush(PenColor(b.m_color), HatchStyle(b.m_hatch));
            break;
        case BS_PATTERN:
            qbrush = b.m_pattern ? QBrush(b.m_pattern->image) : QBrush(Qt::NoBrush);
            break;
        default:
            qbrush = QBrush(PenColor(b.m_color));
            break;
    }
}

// The painter is not told: every text call that has the painter lay text out gives it the
// font first.
void DCState::SetFont(const LOGFONT& lf) {
    if (logFontKnown && SameFont(lf, logFont)) return;  // selected already
    const LogFontChoice& choice = FontForLogFont(lf);
    qfont = choice.font;
    shapes = choice.shapes;
    if (metrics)
        *metrics = shapes->Metrics();
    else
        metrics = std::make_unique<QFontMetrics>(shapes->Metrics());
    fontAscent = shapes->Ascent();
    fontHeight = shapes->Height();
    logFont = lf;
    logFontKnown = true;
}

void DCState::FontChanged() {
    metrics = std::make_unique<QFontMetrics>(qfont);
    shapes = ShapesForFont(qfont);
    fontAscent = shapes->Ascent();
    fontHeight = shapes->Height();
    logFontKnown = false;
}

FontShapes& DCState::Shapes() {
    if (!shapes || !shapes->OnThisThread()) shapes = ShapesForFont(qfont);
    return *shapes;
}

QRegion DCState::EffectiveClip() const {
    if (hasBase && hasClip) return base.intersected(clip);
    if (hasBase) return base;
    return clip;
}

void DCState::ApplyClip(QPainter& p) {
    p.resetTransform();
    if (Clipped())
        p.setClipRegion(EffectiveClip());
    else
        p.setClipping(false);
    p.setTransform(QTransform::fromTranslate(org.x(), org.y()));
}

QPainter* DCState::P() {
    if (!surface) return nullptr;
    QPainter& p = surface->Begin();
    if (surface->owner != this) {
        surface->owner = this;
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        ApplyClip(p);
        p.setFont(qfont);
        p.setBackground(QBrush(ToQColor(bk)));
        p.setBackgroundMode(Qt::TransparentMode);
        p.setCompositionMode(Composition());
    }
    return &p;
}

void DCState::Background(QPainter& p, const QPen* pen, const QBrush* brush) const {
    bool styled = (pen && pen->style() == Qt::CustomDashLine) ||
                  (brush && brush->style() != Qt::SolidPattern && brush->style() != Qt::NoBrush &&
                   brush->style() != Qt::TexturePattern);
    p.setBackgroundMode(styled && bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
}

void DCState::MarkDirty(const QRect& r) {
    if (wnd && wnd->d && wnd->d->widget && !wnd->d->inPaint) wnd->d->widget->update(r);
}

// ---- CDC ----
CDC::CDC() : d(std::make_unique<DCState>()) {
    d->pen = &g_stockBlackPen;
    d->penSpec = g_stockBlackPen;
    d->SetPen(g_stockBlackPen);
    d->brush = &g_stockWhiteBrush;
    d->brushSpec = g_stockWhiteBrush;
    d->SetBrush(g_stockWhiteBrush);
    d->font = &StockFont();
    d->SetFont(StockFont().m_lf);
}
CDC::~CDC() = default;

BOOL CDC::CreateCompatibleDC(CDC* dc) {
    d->memory = true;
    d->SetSurface(MakeSurfaceAt(1, 1, dc ? dc->GetPixelRatio() : 1.0));
    return TRUE;
}
BOOL CDC::DeleteDC() {
    d->SetSurface(nullptr);
    d->bitmap = nullptr;
    return TRUE;
}

void CDC::AttachWindowSurface(CWnd* wnd, bool paint) {
    d->wnd = wnd;
    if (!wnd || !wnd->d) return;
    if (!wnd->d->buffer)
        wnd->d->EnsureBuffer(wnd->d->widget ? wnd->d->widget->size() : QSize(1, 1));
    d->SetSurface(wnd->d->buffer);
    d->hasBase = true;
    QRect client(QPoint(0, 0), wnd->d->buffer->Size());
    d->base = paint ? wnd->d->paintRegion.intersected(client) : QRegion(client);
}

CPen* CDC::SelectObject(CPen* pen) {
    if (!pen) return nullptr;
    CPen* old = d->pen;
    d->pen = pen;
    d->penSpec = *pen;
    d->SetPen(*pen);
    return old;
}
CBrush* CDC::SelectObject(CBrush* brush) {
    if (!brush) return nullptr;
    CBrush* old = d->brush;
    d->brush = brush;
    d->brushSpec = *brush;
    d->SetBrush(*brush);
    return old;
}
CFont* CDC::SelectObject(CFont* font) {
    if (!font) return nullptr;
    CFont* old = d->font;
    d->font = font;
    d->SetFont(font->m_created ? font->m_lf : DefaultLogFont());
    return old;
}
CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    if (!d->memory || !bitmap || !bitmap->m_surface) return nullptr;
    CBitmap* old = d->bitmap;
    d->bitmap = bitmap;
    d->SetSurface(bitmap->m_surface);
    d->hasBase = false;
    return old;
}
CGdiObject* CDC::SelectStockObject(int index) {
    switch (index) {
        case WHITE_PEN:
            return SelectObject(&g_stockWhitePen);
        case BLACK_PEN:
            return SelectObject(&g_stockBlackPen);
        case NULL_PEN:
            return SelectObject(&g_stockNullPen);
        case WHITE_BRUSH:
            return SelectObject(&g_stockWhiteBrush);
        case BLACK_BRUSH:
            return SelectObject(&g_stockBlackBrush);
        case LTGRAY_BRUSH:
            return SelectObject(&g_stockLtGrayBrush);
        case GRAY_BRUSH:
            return SelectObject(&g_stockGrayBrush);
        case DKGRAY_BRUSH:
            return SelectObject(&g_stockDkGrayBrush);
        case NULL_BRUSH:
            return SelectObject(&StockNullBrush());
        case SYSTEM_FONT:
        case DEFAULT_GUI_FONT:
            return SelectObject(&StockFont());
        default:
            return nullptr;
    }
}
CPen* CDC::GetCurrentPen() const {
    return d->pen;
}
CBrush* CDC::GetCurrentBrush() const {
    return d->brush;
}
CFont* CDC::GetCurrentFont() const {
    return d->font;
}
CBitmap* CDC::GetCurrentBitmap() const {
    return d->bitmap;
}

COLORREF CDC::SetTextColor(COLORREF c) {
    COLORREF o = d->text;
    d->text = c;
    return o;
}
COLORREF CDC::GetTextColor() const {
    return d->text;
}
COLORREF CDC::SetBkColor(COLORREF c) {
    COLORREF o = d->bk;
    d->bk = c;
    d->Invalidate();
    return o;
}
COLORREF CDC::GetBkColor() const {
    return d->bk;
}
int CDC::SetBkMode(int mode) {
    int o = d->bkMode;
    if (mode == OPAQUE || mode == TRANSPARENT) {
        d->bkMode = mode;
        d->Invalidate();
    }
    return o;
}
int CDC::GetBkMode() const {
    return d->bkMode;
}
int CDC::SetROP2(int rop) {
    int o = d->rop;
    if (rop >= R2_BLACK && rop <= R2_WHITE) {
        d->rop = rop;
        d->SetPen(d->penSpec);
        d->SetBrush(d->brushSpec);
        d->Invalidate();
    }
    return o;
}
int CDC::GetROP2() const {
    return d->rop;
}
int CDC::SetPolyFillMode(int mode) {
    int o = d->fillMode;
    d->fillMode = mode;
    return o;
}
int CDC::GetPolyFillMode() const {
    return d->fillMode;
}
UINT CDC::SetTextAlign(UINT a) {
    UINT o = d->textAlign;
    d->textAlign = a;
    return o;
}
int CDC::SetStretchBltMode(int m) {
    int o = d->stretchMode;
    d->stretchMode = m;
    return o;
}

CPoint CDC::SetViewportOrg(int x, int y) {
    CPoint o(d->org.x(), d->org.y());
    d->org = QPoint(x, y);
    d->Invalidate();
    return o;
}
CPoint CDC::OffsetViewportOrg(int dx, int dy) {
    return SetViewportOrg(d->org.x() + dx, d->org.y() + dy);
}
CPoint CDC::GetViewportOrg() const {
    return CPoint(d->org.x(), d->org.y());
}

int CDC::SaveDC() {
    d->saved.push_back({d->pen, d->brush, d->font, d->penSpec, d->brushSpec, d->qpen, d->qbrush,
                        d->qfont, d->text, d->bk, d->bkMode, d->rop, d->fillMode, d->textAlign,
                        d->org, d->cur, d->hasClip, d->clip});
    return (int)d->saved.size();
}
BOOL CDC::RestoreDC(int level) {
    int n = (int)d->saved.size();
    if (level < 0) level = n + 1 + level;
    if (level < 1 || level > n) return FALSE;
    DCState::Saved s = d->saved[level - 1];
    d->saved.resize(level - 1);
    d->pen = s.pen;
    d->brush = s.brush;
    d->font = s.font;
    d->penSpec = s.penSpec;
    d->brushSpec = s.brushSpec;
    d->qpen = s.qpen;
    d->qbrush = s.qbrush;
    d->qfont = s.qfont;
    d->FontChanged();
    d->text = s.text;
    d->bk = s.bk;
    d->bkMode = s.bkMode;
    d->rop = s.rop;
    d->fillMode = s.fillMode;
    d->textAlign = s.textAlign;
    d->org = s.org;
    d->cur = s.cur;
    d->hasClip = s.hasClip;
    d->clip = s.clip;
    d->Invalidate();
    return TRUE;
}

CPoint CDC::MoveTo(int x, int y) {
    CPoint o(d->cur.x(), d->cur.y());
    d->cur = QPoint(x, y);
    return o;
}
CPoint CDC::GetCurrentPosition() const {
    return CPoint(d->cur.x(), d->cur.y());
}

// On a back buffer of device-pixel ratio above 1, a one-pixel pen must cover whole logical
// pixels (a cosmetic pen would draw one device pixel, off the logical pixel's middle): it is
// drawn one logical pixel wide along the pixel centres.
static bool ThinPenOnHiDpi(const DCState& s) {
    return s.qpen.style() != Qt::NoPen && s.qpen.width() == 0 && s.surface &&
           s.surface->Ratio() > 1.0;
}
static QPen LogicalPixelPen(const QPen& pen) {
    QPen q(pen);
    q.setWidth(1);
    return q;
}

BOOL CDC::LineTo(int x, int y) {
    QPoint from = d->cur;
    d->cur = QPoint(x, y);
    if (d->rop == R2_NOP || d->qpen.style() == Qt::NoPen || from == d->cur) return TRUE;
    QPainter* p = d->P();
    if (!p) return FALSE;
    d->Background(*p, &d->qpen, nullptr);
    if (ThinPenOnHiDpi(*d)) {
        // from the start pixel's leading edge to the end pixel's: the end point stays out
        p->setPen(LogicalPixelPen(d->qpen));
        const QPointF a(from), b(d->cur), dir = b - a;
        const qreal len = std::hypot(dir.x(), dir.y());
        const QPointF shift = QPointF(0.5, 0.5) - dir / len * 0.5;
        p->drawLine(QLineF(a + shift, b + shift));
    } else {
        p->setPen(d->qpen);
        p->drawLine(from, d->cur);
    }
    d->MarkDirty(QRect(from, d->cur)
                     .normalized()
                     .adjusted(-d->qpen.width() - 1, -d->qpen.width() - 1, d->qpen.width() + 1,
                               d->qpen.width() + 1)
                     .translated(d->org));
    return TRUE;
}

// Thin lines written straight into a ratio-1 image: what the toolkit's stroke of such a
// line sets, pixel for pixel, at a fraction of its cost (most of it setting up the stroke,
// and for dashed pens a buffer cleared per line).
//   - a line along a row or column covers its lower end to the pixel before its higher
//     end, whichever way it runs;
//   - a slanted line steps along its longer axis as the toolkit's does (see Slanted);
//   - a dash pattern starts at the line's first pixel (its start point, or the pixel before
//     it when the line runs left or up) and runs in the line's direction; in opaque mode
//     the gaps take the background colour. Where the first pixel of a line along a row
//     or column is clipped away the toolkit shifts the pattern its own way, so such lines
//     are left to it, as are slanted dashed lines in opaque mode.
// What it takes from the image and the clip is kept in the DC (ClipInImage) while they
// stay; the painter is not involved.
class ThinLineWriter {
public:
    explicit ThinLineWriter(DCState& s) {
        if (!s.surface) return;
        Surface& sf = *s.surface;
        const QPen& pen = s.qpen;
        if (s.rop != R2_COPYPEN || pen.width() != 0 || !sf.image.isDetached()) return;
        if (pen.style() == Qt::CustomDashLine) {
            if (pen.dashOffset() != 0) return;
            const QList<qreal> dashes = pen.dashPattern();
            if (dashes.isEmpty() || dashes.size() % 2 || dashes.size() > kMaxRuns) return;
            for (qreal len : dashes) {
                const int n = int(len);
                if (n != len || n <= 0 || m_period + n > 64) return;
                if (m_runCount % 2 == 0)
                    m_onMask |= ((n == 64 ? 0 : quint64(1) << n) - 1) << m_period;
                m_runs[m_runCount++] = n;
                m_period += n;
            }
            m_opaqueGaps = s.bkMode == OPAQUE;
        } else if (pen.style() != Qt::SolidLine) {
            return;
        }
        const QImage::Format f = sf.image.format();
        if (sf.Ratio() != 1.0 || (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
                                  f != QImage::Format_ARGB32_Premultiplied))
            return;
        const ImageClip& t = s.ClipInImage();
        if (t.rects.empty()) return;  // nothing shows: left to the toolkit
        m_target = &t;
        m_bits = reinterpret_cast<quint32*>(sf.image.bits());  // its own: not copied
        m_stride = sf.image.bytesPerLine() / 4;
        m_org = s.org;
        m_color = 0xff000000u | pen.color().rgb();
        m_bk = 0xff000000u | ToQColor(s.bk).rgb();
    }

    // Whether pixels can be written at all (the image, pen and raster mode allow it); what
    // the arc stamps below write with.
    const ImageClip* Target() const { return m_target; }
    quint32* Bits() const { return m_bits; }
    qsizetype Stride() const { return m_stride; }
    quint32 Color() const { return m_color; }
    quint32 Bk() const { return m_bk; }
    bool OpaqueGaps() const { return m_opaqueGaps; }
    int RunCount() const { return m_runCount; }
    const int* Runs() const { return m_runs; }

    // Draws a (logical) line if it can; false leaves it to the toolkit.
    Q_ALWAYS_INLINE bool Draw(QPoint a, QPoint b) {
        if (!m_target) return false;
        a += m_org;
        b += m_org;
        if (a.x() != b.x() && a.y() != b.y()) return m_opaqueGaps ? false : Slanted(a, b);
        const bool row = a.y() == b.y();
        const int line = row ? a.y() : a.x();  // the row or column
        const int from = row ? a.x() : a.y(), to = row ? b.x() : b.y();
        const int lo = std::min(from, to), hi = std::max(from, to) - 1;
        const int first = from < to ? from : from - 1;
        const QRect& box = m_target->bounds;
        if (row ? line < box.top() || line > box.bottom() || hi < box.left() || lo > box.right()
                : line < box.left() || line > box.right() || hi < box.top() || lo > box.bottom())
            return true;  // wholly outside the clip
        if (m_period) {
            const int x = row ? first : line, y = row ? line : first;
            if (x < box.left() || x > box.right() || y < box.top() || y > box.bottom())
                return false;
        }
        for (const QRect& r : m_target->rects) {
            int start, stop;
            if (row) {
                if (line < r.top() || line > r.bottom()) continue;
                start = std::max(lo, r.left()), stop = std::min(hi, r.right());
            } else {
                if (line < r.left() || line > r.right()) continue;
                start = std::max(lo, r.top()), stop = std::min(hi, r.bottom());
            }
            if (start > stop) continue;
            const qsizetype advance = row ? 1 : m_stride;
            quint32* px = row ? m_bits + qsizetype(line) * m_stride + start
                              : m_bits + qsizetype(start) * m_stride + line;
            const int n = stop - start + 1;
            if (!m_period)
                Fill(px, advance, n, m_color);
            else if (from < to)
                Dashes(px, advance, start - first, n);
            else  // from the higher end down, as the line runs
                Dashes(px + (n - 1) * advance, -advance, first - stop, n);
        }
        return true;
    }

private:
    static constexpr int kMaxRuns = 16;

    // n pixels from px on, advance apart
    static void Fill(quint32* px, qsizetype advance, int n, quint32 color) {
        if (advance == 1) {
            FillRow(px, n, color);
        } else if (advance == -1) {
            FillRow(px - (n - 1), n, color);
        } else {
            for (; n > 0; --n, px += advance) *px = color;
        }
    }
    static void FillRow(quint32* px, int n, quint32 color) {
        if (n >= 8) {  // four at a time
            const quint32 four[4] = {color, color, color, color};
            for (; n >= 4; n -= 4, px += 4) std::memcpy(px, four, sizeof four);
        }
        for (; n > 0; --n) *px++ = color;
    }

    // n pixels of a dashed line from px on, the first at pos along the line; run by run,
    // and whole periods by their dashes alone (with their gaps in opaque mode)
    void Dashes(quint32* px, qsizetype advance, int pos, int n) const {
        int k = pos % m_period, run = 0;
        while (k >= m_runs[run]) k -= m_runs[run++];
        int left = m_runs[run] - k;  // of the current run
        auto stretch = [&] {         // up to the end of the period or the line
            while (n > 0) {
                const int len = std::min(left, n);
                if (!(run & 1))
                    Fill(px, advance, len, m_color);
                else if (m_opaqueGaps)
                    Fill(px, advance, len, m_bk);
                px += advance * len;
                n -= len;
                if (++run == m_runCount) {
                    run = 0;
                    left = m_runs[0];
                    return;
                }
                left = m_runs[run];
            }
        };
        if (k || run) stretch();
        for (; n >= m_period; n -= m_period) {
            quint32* q = px;
            for (int r = 0; r < m_runCount; r += 2) {
                Fill(q, advance, m_runs[r], m_color);
                q += advance * m_runs[r];
                if (m_opaqueGaps) Fill(q, advance, m_runs[r + 1], m_bk);
                q += advance * m_runs[r + 1];
            }
            px = q;
        }
        stretch();
    }

    static int FixedDiv(int x, int y) {  // 16.16 quotient of two 26.6 values
        if (std::abs(x) > 0x7fff) return int(qint64(x) * (1 << 16) / y);
        return x * (1 << 16) / y;
    }

    // Cuts the line to the image's bounds widened a little, in floating point, as the
    // toolkit's stroke does before stepping; false if nothing is left.
    bool CutToImage(qreal& x1, qreal& y1, qreal& x2, qreal& y2) const {
        const qreal xmin = -1, xmax = m_target->size.width() + 1;
        const qreal ymin = -1, ymax = m_target->size.height() + 1;
        if (x1 < xmin) {
            if (x2 <= xmin) return false;
            y1 += (y2 - y1) / (x2 - x1) * (xmin - x1);
            x1 = xmin;
        } else if (x1 > xmax) {
            if (x2 >= xmax) return false;
            y1 += (y2 - y1) / (x2 - x1) * (xmax - x1);
            x1 = xmax;
        }
        if (x2 < xmin) {
            y2 += (y2 - y1) / (x2 - x1) * (xmin - x2);
            x2 = xmin;
        } else if (x2 > xmax) {
            y2 += (y2 - y1) / (x2 - x1) * (xmax - x2);
            x2 = xmax;
        }
        if (y1 < ymin) {
            if (y2 <= ymin) return false;
            x1 += (x2 - x1) / (y2 - y1) * (ymin - y1);
            y1 = ymin;
        } else if (y1 > ymax) {
            if (y2 >= ymax) return false;
            x1 += (x2 - x1) / (y2 - y1) * (ymax - y1);
            y1 = ymax;
        }
        if (y2 < ymin) {
            x2 += (x2 - x1) / (y2 - y1) * (ymin - y2);
            y2 = ymin;
        } else if (y2 > ymax) {
            x2 += (x2 - x1) / (y2 - y1) * (ymax - y2);
            y2 = ymax;
        }
        return true;
    }

    // A slanted line: cut to the image, then stepped along its longer axis in 26.6 and
    // 16.16 fixed point from its upper or left end, one pixel per step up to the other
    // end; pixels outside the clip are left alone. A dash pattern runs from the line's
    // first step (of what the cut left), one pattern pixel per step.
    Q_ALWAYS_INLINE bool Slanted(QPoint a, QPoint b) {
        int x1, y1, x2, y2;
        const int w = m_target->size.width(), h = m_target->size.height();
        if (std::min(a.x(), b.x()) >= -1 && std::max(a.x(), b.x()) <= w + 1 &&
            std::min(a.y(), b.y()) >= -1 && std::max(a.y(), b.y()) <= h + 1) {
            // nothing to cut
            x1 = a.x() * 64, y1 = a.y() * 64, x2 = b.x() * 64, y2 = b.y() * 64;
        } else {
            qreal fx1 = a.x(), fy1 = a.y(), fx2 = b.x(), fy2 = b.y();
            if (!CutToImage(fx1, fy1, fx2, fy2)) return true;
            x1 = int(fx1 * 64.), y1 = int(fy1 * 64.), x2 = int(fx2 * 64.), y2 = int(fy2 * 64.);
        }
        const bool steep = std::abs(x2 - x1) < std::abs(y2 - y1);
        if (steep) {
            std::swap(x1, y1);
            std::swap(x2, y2);
        }
        // now x is the long axis
        const bool backwards = x1 > x2;
        if (backwards) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        int x = (x1 + 32) >> 6;
        const int xs = (x2 + 32) >> 6;
        if (x == xs) return true;  // (also what the cut left of a line at a corner)
        const int inc = FixedDiv(y2 - y1, x2 - x1);
        int y = y1 * (1 << 10);
        const int round = inc > 0 ? 32 : 0;
        y += ((x * (1 << 6)) + round - x1) * inc >> 6;
        // only the steps within the clip's extent along the long axis are taken (the
        // position of the first is what the steps before it would have summed to)
        const ImageClip& t = *m_target;
        const bool oneRect = t.rects.size() == 1;
        const QRect& box = oneRect ? t.rects.front() : t.bounds;
        int first = std::max(x, steep ? box.top() : box.left());
        int last = std::min(xs - 1, steep ? box.bottom() : box.right());
        if (first > last) return true;
        y += (first - x) * inc;
        // and of those the ones across the extent: one stretch, the line being straight
        const int across0 = steep ? box.left() : box.top(),
                  across1 = steep ? box.right() : box.bottom();
        auto outside = [&](int yy) { return (yy >> 16) < across0 || (yy >> 16) > across1; };
        for (; first <= last && outside(y); ++first) y += inc;
        if (first > last) return true;
        for (int yLast = y + (last - first) * inc; outside(yLast); yLast -= inc) --last;
        if (m_period) {
            // the position in the pattern, forwards or backwards as the line runs
            int k = (backwards ? xs - 1 - first : first - x) % m_period;
            const int dk = backwards ? m_period - 1 : 1;
            for (int step = first; step <= last; ++step, y += inc) {
                if (m_onMask >> k & 1) {
                    const int across = y >> 16;
                    const int px = steep ? across : step, py = steep ? step : across;
                    if (oneRect || InClip(px, py)) m_bits[qsizetype(py) * m_stride + px] = m_color;
                }
                k += dk;
                if (k >= m_period) k -= m_period;
            }
            return true;
        }
        if (oneRect) {
            if (steep) {
                quint32* row = m_bits + qsizetype(first) * m_stride;
                for (x = first; x <= last; ++x, y += inc, row += m_stride) row[y >> 16] = m_color;
            } else {
                for (x = first; x <= last; ++x, y += inc)
                    m_bits[qsizetype(y >> 16) * m_stride + x] = m_color;
            }
            return true;
        }
        for (x = first; x <= last; ++x, y += inc) {
            const int across = y >> 16;
            const int px = steep ? across : x, py = steep ? x : across;
            if (InClip(px, py)) m_bits[qsizetype(py) * m_stride + px] = m_color;
        }
        return true;
    }

    bool InClip(int x, int y) const {
        for (const QRect& r : m_target->rects)
            if (r.contains(x, y)) return true;
        return false;
    }

    const ImageClip* m_target = nullptr;  // null: every line is left to the toolkit
    quint32* m_bits = nullptr;
    qsizetype m_stride = 0;
    quint32 m_color = 0, m_bk = 0;
    bool m_opaqueGaps = false;
    int m_runs[kMaxRuns] = {};  // dash, gap, dash, ... in pixels; none: solid
    int m_runCount = 0, m_period = 0;
    quint64 m_onMask = 0;  // bit k: the pattern's pixel k is drawn
    QPoint m_org;
};

BOOL CDC::DrawSegments(const POINT* ends, int count) {
    if (!ends || count < 0) return FALSE;
    if (count == 0 || d->rop == R2_NOP || d->qpen.style() == Qt::NoPen) return TRUE;
    if (!DrawingShortcuts() || ThinPenOnHiDpi(*d)) {
        const QPoint cur = d->cur;
        BOOL ok = TRUE;
        for (int i = 0; i < count; ++i) {
            MoveTo(ends[2 * i].x, ends[2 * i].y);
            ok = LineTo(ends[2 * i + 1].x, ends[2 * i + 1].y) && ok;
        }
        d->cur = cur;
        return ok;
    }
    if (!d->surface) return FALSE;
    // the painter is made ready only for lines left to it; an image no painter has begun
    // on yet may still share its pixels, so that one begins first
    if (!d->surface->painter.isActive()) d->P();
    ThinLineWriter writer(*d);
    ++d->surface->version;
    QPainter* p = nullptr;
    const bool marks = d->wnd;  // only a window's DC marks what it drew
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (int i = 0; i < count; ++i) {
        const QPoint a(ends[2 * i].x, ends[2 * i].y), b(ends[2 * i + 1].x, ends[2 * i + 1].y);
        if (a == b) continue;
        if (marks) {
            left = std::min({left, a.x(), b.x()});
            right = std::max({right, a.x(), b.x()});
            top = std::min({top, a.y(), b.y()});
            bottom = std::max({bottom, a.y(), b.y()});
        }
        // in order (the gaps of a dashed pen in opaque mode cover what lies under them),
        // and one stroke per line: a stroke of several lines carries the dash pattern and
        // the last pixel from one line to the next
        if (writer.Draw(a, b)) continue;
        if (!p) {
            p = d->P();
            d->Background(*p, &d->qpen, nullptr);
            p->setPen(d->qpen);
        }
        p->drawLine(a, b);
    }
    if (left <= right) {
        const int m = d->qpen.width() + 1;
        d->MarkDirty(QRect(QPoint(left, top), QPoint(right, bottom))
                         .adjusted(-m, -m, m, m)
                         .translated(d->org));
    }
    return TRUE;
}

// Strokes one shape with the selected pen (and, when filled, fills it with the selected
// brush), then marks what it may have touched, with room for a wide pen.
template <class Draw>
static BOOL PaintShape(DCState& s, bool filled, const QRect& bounds, Draw draw) {
    QPainter* p = s.P();
    if (!p) return FALSE;
    s.Background(*p, &s.qpen, filled ? &s.qbrush : nullptr);
    if (ThinPenOnHiDpi(s)) {
        // the fill where it is, the outline along the pixel centres
        if (filled && s.qbrush.style() != Qt::NoBrush) {
            p->setPen(Qt::NoPen);
            p->setBrush(s.qbrush);
            draw(*p);
        }
        p->setPen(LogicalPixelPen(s.qpen));
        p->setBrush(Qt::NoBrush);
        p->translate(0.5, 0.5);
        draw(*p);
        p->translate(-0.5, -0.5);
    } else {
        p->setPen(s.qpen);
        if (filled) p->setBrush(s.qbrush);
        draw(*p);
    }
    s.MarkDirty(bounds.adjusted(-8, -8, 8, 8).translated(s.org));
    return TRUE;
}

BOOL CDC::Polyline(const POINT* pts, int n) {
    if (!pts || n < 2) return FALSE;
    if (d->rop == R2_NOP || d->qpen.style() == Qt::NoPen) return TRUE;
    QPolygon poly(n);
    for (int i = 0; i < n; ++i) poly.setPoint(i, pts[i].x, pts[i].y);
    return PaintShape(*d, false, poly.boundingRect(), [&](QPainter& p) { p.drawPolyline(poly); });
}

BOOL CDC::Polygon(const POINT* pts, int n) {
    if (!pts || n < 2) return FALSE;
    if (d->rop == R2_NOP) return TRUE;
    QPolygon poly(n);
    for (int i = 0; i < n; ++i) poly.setPoint(i, pts[i].x, pts[i].y);
    const Qt::FillRule rule = d->fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
    return PaintShape(*d, true, poly.boundingRect(),
                      [&](QPainter& p) { p.drawPolygon(poly, rule); });
}

BOOL CDC::PolyPolygon(const POINT* pts, const int* counts, int polys) {
    if (!pts || !counts || polys <= 0) return FALSE;
    QPainterPath path;
    path.setFillRule(d->fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    int k = 0;
    for (int i = 0; i < polys; ++i) {
        QPolygonF poly;
        for (int j = 0; j < counts[i]; ++j, ++k) poly << QPointF(pts[k].x, pts[k].y);
        if (!poly.isEmpty()) poly << poly.first();
        path.addPolygon(poly);
    }
    return PaintShape(*d, true, path.boundingRect().toAlignedRect(),
                      [&](QPainter& p) { p.drawPath(path); });
}

// GDI fills a shape's interior and frames it inside the half-open rectangle. Without a
// pen the filled area is one pixel smaller on the right and bottom, as it always was.
BOOL CDC::Rectangle(int l, int t, int r, int b) {
    CRect rc(l, t, r, b);
    rc.NormalizeRect();
    if (d->rop == R2_NOP || rc.Width() < 1 || rc.Height() < 1) return TRUE;
    QPainter* p = d->P();
    if (!p) return FALSE;
    QRect inner(rc.left, rc.top, rc.Width() - 1, rc.Height() - 1);
    const bool hasPen = d->qpen.style() != Qt::NoPen;
    d->Background(*p, &d->qpen, &d->qbrush);
    if (!hasPen) {
        if (d->qbrush.style() != Qt::NoBrush) p->fillRect(inner, d->qbrush);
    } else if (ThinPenOnHiDpi(*d)) {
        if (rc.Width() > 2 && rc.Height() > 2 && d->qbrush.style() != Qt::NoBrush)
            p->fillRect(QRect(rc.left + 1, rc.top + 1, rc.Width() - 2, rc.Height() - 2), d->qbrush);
        p->setPen(LogicalPixelPen(d->qpen));
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRectF(inner).translated(0.5, 0.5));
    } else if (d->rop == R2_COPYPEN || d->qbrush.style() == Qt::NoBrush) {
        p->setPen(d->qpen);
        p->setBrush(d->qbrush);
        p->drawRect(inner);
    } else {
        // other raster operations must touch each pixel once
        if (rc.Width() > 2 && rc.Height() > 2)
            p->fillRect(QRect(rc.left + 1, rc.top + 1, rc.Width() - 2, rc.Height() - 2), d->qbrush);
        p->setPen(d->qpen);
        p->setBrush(Qt::NoBrush);
        p->drawRect(inner);
    }
    d->MarkDirty(ToQRect(rc).adjusted(-8, -8, 8, 8).translated(d->org));
    return TRUE;
}

BOOL CDC::RoundRect(int l, int t, int r, int b, int w, int h) {
    CRect rc(l, t, r, b);
    rc.NormalizeRect();
    return PaintShape(*d, true, ToQRect(rc), [&](QPainter& p) {
        p.drawRoundedRect(QRect(rc.left, rc.top, rc.Width() - 1, rc.Height() - 1), w / 2.0,
                          h / 2.0);
    });
}

BOOL CDC::Ellipse(int l, int t, int r, int b) {
    CRect rc(l, t, r, b);
    rc.NormalizeRect();
    return PaintShape(*d, true, ToQRect(rc), [&](QPainter& p) {
        p.drawEllipse(QRect(rc.left, rc.top, rc.Width() - 1, rc.Height() - 1));
    });
}

static bool ArcAngles(int l, int t, int r, int b, int x3, int y3, int x4, int y4, int& start16,
                      int& span16) {
    double cx = (double(l) + r) / 2.0, cy = (double(t) + b) / 2.0;  // far-off boxes: no int sum
    double a0 = RadialAngle(cx, cy, x3, y3), a1 = RadialAngle(cx, cy, x4, y4);
    double span = a1 - a0;
    if (span <= 0) span += 360.0;
    start16 = qRound(a0 * 16);
    span16 = qRound(span * 16);
    return true;
}

// Thin arcs drawn again from kept stamps. The toolkit strokes an arc with a thin pen (solid
// or dashed, transparent or opaque gaps) into the same pixels wherever its box sits, as long
// as no part of the stroke is cut at the image's edges (a cut moves where the steps fall and
// where the dash pattern runs) and the coordinates stay positive (they are truncated). So an
// arc drawn a second time with the same box size, angles and pen is drawn once by the
// toolkit into a scratch image, in marker colours, and which pixels took the pen and which
// the background is kept; from then on those pixels are written straight into the image,
// moved to where the box is, inside the clip. A solid arc that reaches out of the image is
// stroked into a scratch image with the image's edges it crosses in their places, and its
// stamp holds for that place only. Kept per thread, the least recently used going first.
namespace {

struct ArcKey {
    int w = 0, h = 0, start = 0, span = 0;
    int runCount = 0;  // 0: solid
    bool opaque = false;
    std::array<int, 16> runs{};
    // for an arc reaching out of the image, where its extent starts and the image's size
    // along that axis (else 0)
    int x = 0, y = 0, imageW = 0, imageH = 0;
    bool operator==(const ArcKey& o) const {
        return w == o.w && h == o.h && start == o.start && span == o.span &&
               runCount == o.runCount && opaque == o.opaque && runs == o.runs && x == o.x &&
               y == o.y && imageW == o.imageW && imageH == o.imageH;
    }
};

struct ArcKeyHash {
    size_t operator()(const ArcKey& k) const {
        size_t v = size_t(k.w) * 0x9e3779b97f4a7c15ull;
        for (int x :
             {k.h, k.start, k.span, k.runCount, int(k.opaque), k.x, k.y, k.imageW, k.imageH})
            v = (v ^ size_t(unsigned(x))) * 0x100000001b3ull;
        for (int i = 0; i < k.runCount; ++i)
            v = (v ^ size_t(unsigned(k.runs[i]))) * 0x100000001b3ull;
        return v;
    }
};

struct ArcStamp {
    ArcKey key;
    int uses = 0;
    bool made = false, usable = false;
    // what was drawn, row by row from the top of bounds: x << 1 | (1 if the background's),
    // in scratch coordinates, left to right; row k's from rows[k] to rows[k + 1]
    std::vector<quint16> pixels;
    std::vector<quint32> rows;
    QRect bounds;  // of the pixels, in scratch coordinates
};

constexpr int kArcPad = 2;         // scratch pixels around the box's extent
constexpr int kArcMaxSide = 2048;  // larger boxes are left to the toolkit
constexpr size_t kArcMaxStamps = 512;
constexpr size_t kArcMaxPixels = size_t(1) << 19;  // kept per thread, all stamps together
constexpr qint64 kArcMaxScratch = qint64(1) << 20;  // pixels of scratch image kept
constexpr quint32 kArcPenMark = 0xffff0000u, kArcBkMark = 0xff00ff00u;

class ArcStamps {
public:
    // The stamp for key, counted as used; null until it has been asked for twice.
    // box: the arc's box in the scratch image, of size area.
    const ArcStamp* Find(const ArcKey& key, const QPen& pen, bool opaque, const QRect& box,
                         const QSize& area) {
        auto it = m_index.find(key);
        if (it == m_index.end()) {
            m_list.push_front(ArcStamp{key, 1, false, false, {}, {}, {}});
            m_index.emplace(key, m_list.begin());
            Trim();
            return nullptr;
        }
        m_list.splice(m_list.begin(), m_list, it->second);
        ArcStamp& st = m_list.front();
        if (!st.made) {
            if (++st.uses < 2) return nullptr;
            Make(st, pen, opaque, box, area);
            m_pixels += st.pixels.size() + st.rows.size();
            Trim();
        }
        return st.usable ? &st : nullptr;
    }

private:
    void Trim() {
        while (m_list.size() > 1 && (m_list.size() > kArcMaxStamps || m_pixels > kArcMaxPixels)) {
            m_pixels -= m_list.back().pixels.size() + m_list.back().rows.size();
            m_index.erase(m_list.back().key);
            m_list.pop_back();
        }
    }

    void Make(ArcStamp& st, const QPen& pen, bool opaque, const QRect& box, const QSize& need) {
        st.made = true;
        if (m_scratch.width() < need.width() || m_scratch.height() < need.height())
            m_scratch = QImage(need.expandedTo(m_scratch.size()).expandedTo(QSize(64, 64)),
                               QImage::Format_ARGB32_Premultiplied);
        if (m_scratch.isNull()) return;
        const int stride = m_scratch.bytesPerLine() / 4;
        quint32* bits = reinterpret_cast<quint32*>(m_scratch.bits());
        for (int y = 0; y < need.height(); ++y)
            std::memset(bits + qsizetype(y) * stride, 0, need.width() * 4);
        {
            QPainter p(&m_scratch);
            p.setRenderHint(QPainter::Antialiasing, false);
            QPen marker(pen);
            marker.setColor(QColor::fromRgba(kArcPenMark));
            p.setPen(marker);
            p.setBrush(Qt::NoBrush);
            p.setBackground(QBrush(QColor::fromRgba(kArcBkMark)));
            p.setBackgroundMode(opaque ? Qt::OpaqueMode : Qt::TransparentMode);
            p.drawArc(box, st.key.start, st.key.span);
        }
        int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
        for (int y = 0; y < need.height(); ++y) {
            const quint32* row = bits + qsizetype(y) * stride;
            if (top != INT_MAX) st.rows.push_back(quint32(st.pixels.size()));
            for (int x = 0; x < need.width(); ++x) {
                if (!(x & 3) && x + 4 <= need.width()) {  // four untouched pixels at a time
                    quint64 four[2];
                    std::memcpy(four, row + x, sizeof four);
                    if (!(four[0] | four[1])) {
                        x += 3;
                        continue;
                    }
                }
                const quint32 c = row[x];
                if (!c) continue;
                if (c != kArcPenMark && c != kArcBkMark) {  // not a plain copy: not kept
                    st.pixels = {};
                    st.rows = {};
                    return;
                }
                if (top == INT_MAX) {
                    top = y;
                    st.rows.push_back(0);
                }
                st.pixels.push_back(quint16(x << 1 | (c == kArcBkMark)));
                left = std::min(left, x), right = std::max(right, x);
                bottom = y;
            }
        }
        if (top != INT_MAX) {
            st.rows.resize(bottom - top + 2);  // (the empty rows after the last dropped)
            st.rows.back() = quint32(st.pixels.size());
            st.bounds = QRect(QPoint(left, top), QPoint(right, bottom));
        }
        st.pixels.shrink_to_fit();
        st.rows.shrink_to_fit();
        st.usable = true;
        if (qint64(m_scratch.width()) * m_scratch.height() > kArcMaxScratch) m_scratch = QImage();
    }

    std::list<ArcStamp> m_list;  // most recently used first
    std::unordered_map<ArcKey, std::list<ArcStamp>::iterator, ArcKeyHash> m_index;
    size_t m_pixels = 0;
    QImage m_scratch;
};

thread_local ArcStamps t_arcStamps;

}  // namespace

// Where one axis of an arc's extent, from lo to lo + len on the image, goes in the scratch
// image (scratch = image - origin, size pixels): within the image, at the pad whatever lo
// is; reaching out of it, with the image's edges that it crosses where the image has them
// (the stroke is cut a pixel past them, which moves the steps of the lines cut), so that
// the stamp holds for that place only.
struct ArcAxis {
    int origin, size;
    bool within;
};
static ArcAxis PlaceArcAxis(int lo, int len, int image) {
    const int hi = lo + len;
    const bool before = lo < 0;
    const bool after = hi > image - 1;
    if (!before && !after) return {lo - kArcPad, len + 1 + 2 * kArcPad, true};
    if (before && after) return {0, image, false};
    if (before) return {0, hi + 1 + kArcPad, false};
    return {lo - kArcPad, image - (lo - kArcPad), false};
}

// Draws the arc of the box (l, t, r, b) from a stamp if it can; false leaves it to the
// toolkit.
static bool ArcFromStamp(DCState& s, int l, int t, int r, int b, int start, int span) {
    if (!DrawingShortcuts() || !s.surface || s.rop != R2_COPYPEN || s.qpen.style() == Qt::NoPen)
        return false;
    const qint64 w = qint64(r) - l, h = qint64(b) - t;
    if (std::abs(w - 1) >= kArcMaxSide || std::abs(h - 1) >= kArcMaxSide) return false;
    // the box's extent on the image, from its left (or right) edge to one pixel before the
    // other
    const int ew = int(std::abs(w - 1)), eh = int(std::abs(h - 1));
    const qint64 x0 = std::min<qint64>(l, r - qint64(1)) + s.org.x();
    const qint64 y0 = std::min<qint64>(t, b - qint64(1)) + s.org.y();
    const QSize size = s.surface->image.size();
    // wholly outside (a stroke cut to within a pixel of the image shows nothing): left to
    // the toolkit, which draws nothing either
    if (x0 + ew <= -2 || y0 + eh <= -2 || x0 >= size.width() + 2 || y0 >= size.height() + 2)
        return false;
    // an image no painter has begun on yet may still share its pixels
    if (!s.surface->painter.isActive()) s.P();
    ThinLineWriter writer(s);
    const ImageClip* target = writer.Target();
    if (!target) return false;
    const ArcAxis ax = PlaceArcAxis(int(x0), ew, size.width());
    const ArcAxis ay = PlaceArcAxis(int(y0), eh, size.height());
    // (dashed arcs reaching out of the image are not drawn the same way each time they are
    // drawn there: left to the toolkit)
    if ((!ax.within || !ay.within) && writer.RunCount()) return false;
    ArcKey key;
    key.w = int(w), key.h = int(h), key.start = start, key.span = span;
    key.runCount = writer.RunCount();
    std::copy(writer.Runs(), writer.Runs() + key.runCount, key.runs.begin());
    key.opaque = writer.OpaqueGaps();
    if (!ax.within) key.x = int(x0), key.imageW = size.width();
    if (!ay.within) key.y = int(y0), key.imageH = size.height();
    const QRect box(l + s.org.x() - ax.origin, t + s.org.y() - ay.origin, int(w) - 1, int(h) - 1);
    const ArcStamp* st = t_arcStamps.Find(key, s.qpen, key.opaque, box, QSize(ax.size, ay.size));
    if (!st) return false;
    ++s.surface->version;
    if (!st->pixels.empty()) {
        // scratch to image
        const int dx = ax.origin, dy = ay.origin;
        const QRect drawn = st->bounds.translated(dx, dy);
        quint32* bits = writer.Bits();
        const qsizetype stride = writer.Stride();
        const quint32 colors[2] = {writer.Color(), writer.Bk()};
        const quint16* px = st->pixels.data();
        const quint32* rows = st->rows.data();
        // rows top to bottom of the drawn pixels within one clip rectangle (the clip's
        // rectangles do not overlap: each pixel is written once)
        for (const QRect& rc : target->rects) {
            const int top = std::max(rc.top(), drawn.top());
            const int bottom = std::min(rc.bottom(), drawn.bottom());
            if (top > bottom || rc.right() < drawn.left() || rc.left() > drawn.right()) continue;
            const bool whole = rc.left() <= drawn.left() && rc.right() >= drawn.right();
            // in scratch x << 1: the rectangle's columns
            const int lo = (rc.left() - dx) * 2, hi = (rc.right() - dx) * 2 + 1;
            for (int y = top; y <= bottom; ++y) {
                quint32* line = bits + qsizetype(y) * stride;
                const int k = y - drawn.top();
                const quint16 *p = px + rows[k], *end = px + rows[k + 1];
                if (whole) {
                    for (; p < end; ++p) line[(*p >> 1) + dx] = colors[*p & 1];
                } else {
                    for (; p < end; ++p)
                        if (*p >= lo && *p <= hi) line[(*p >> 1) + dx] = colors[*p & 1];
                }
            }
        }
    }
    s.MarkDirty(QRect(l, t, r - l, b - t).normalized().adjusted(-8, -8, 8, 8).translated(s.org));
    return true;
}

// Arc, pie and chord: the part of the ellipse in (l, t, r, b) from the ray through
// (x3, y3) counter-clockwise to the ray through (x4, y4); only the arc is not filled.
enum class ArcShape { Arc, Pie, Chord };
static BOOL PaintArc(DCState& s, ArcShape shape, int l, int t, int r, int b, int x3, int y3, int x4,
                     int y4) {
    int start, span;
    ArcAngles(l, t, r, b, x3, y3, x4, y4, start, span);
    if (shape == ArcShape::Arc && ArcFromStamp(s, l, t, r, b, start, span)) return TRUE;
    const QRect box(l, t, r - l - 1, b - t - 1);
    return PaintShape(s, shape != ArcShape::Arc, QRect(l, t, r - l, b - t).normalized(),
                      [&](QPainter& p) {
                          switch (shape) {
                              case ArcShape::Arc:
                                  p.drawArc(box, start, span);
                                  break;
                              case ArcShape::Pie:
                                  p.drawPie(box, start, span);
                                  break;
                              case ArcShape::Chord:
                                  p.drawChord(box, start, span);
                                  break;
                          }
                      });
}

BOOL CDC::Arc(int l, int t, int r, int b, int x3, int y3, int x4, int y4) {
    return PaintArc(*d, ArcShape::Arc, l, t, r, b, x3, y3, x4, y4);
}
BOOL CDC::Pie(int l, int t, int r, int b, int x3, int y3, int x4, int y4) {
    return PaintArc(*d, ArcShape::Pie, l, t, r, b, x3, y3, x4, y4);
}
BOOL CDC::Chord(int l, int t, int r, int b, int x3, int y3, int x4, int y4) {
    return PaintArc(*d, ArcShape::Chord, l, t, r, b, x3, y3, x4, y4);
}

// Fills ignore the raster mode: they copy the brush, as pattern blits do.
void CDC::FillRect(LPCRECT rc, CBrush* brush) {
    if (!rc || !brush) return;
    QPainter* p = d->P();
    if (!p) return;
    CRect r(*rc);
    if (r.IsRectEmpty()) return;
    QBrush qb;
    switch (brush->m_style) {
        case BS_NULL:
            return;
        case BS_HATCHED:
            qb = QBrush(ToQColor(brush->m_color), HatchStyle(brush->m_hatch));
            break;
        case BS_PATTERN:
            if (!brush->m_pattern) return;
            qb = QBrush(brush->m_pattern->image);
            break;
        default:
            qb = QBrush(ToQColor(brush->m_color));
            break;
    }
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    d->Background(*p, nullptr, &qb);
    p->fillRect(ToQRect(r), qb);
    p->setCompositionMode(d->Composition());
    d->MarkDirty(ToQRect(r).translated(d->org));
}
void CDC::FillSolidRect(LPCRECT rc, COLORREF c) {
    if (!rc) return;
    d->bk = c;
    d->Invalidate();
    CRect r(*rc);
    if (r.IsRectEmpty()) return;
    QPainter* p = d->P();
    if (!p) return;
    p->setCompositionMode(QPainter::CompositionMode_Source);
    p->fillRect(ToQRect(r), ToQColor(c));
    p->setCompositionMode(d->Composition());
    d->MarkDirty(ToQRect(r).translated(d->org));
}
void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF c) {
    CRect r(x, y, x + cx, y + cy);
    FillSolidRect(&r, c);
}
void CDC::FrameRect(LPCRECT rc, CBrush* brush) {
    if (!rc || !brush) return;
    CRect r(*rc);
    if (r.IsRectEmpty()) return;
    CRect e;
    e = CRect(r.left, r.top, r.right, r.top + 1);
    FillRect(&e, brush);
    e = CRect(r.left, r.bottom - 1, r.right, r.bottom);
    FillRect(&e, brush);
    e = CRect(r.left, r.top, r.left + 1, r.bottom);
    FillRect(&e, brush);
    e = CRect(r.right - 1, r.top, r.right, r.bottom);
    FillRect(&e, brush);
}
void CDC::Draw3dRect(LPCRECT rc, COLORREF tl, COLORREF br) {
    if (!rc) return;
    Draw3dRect(rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top, tl, br);
}
void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF tl, COLORREF br) {
    COLORREF keep = d->bk;
    FillSolidRect(x, y, cx - 1, 1, tl);
    FillSolidRect(x, y, 1, cy - 1, tl);
    FillSolidRect(x + cx, y, -1, cy, br);
    FillSolidRect(x, y + cy, cx, -1, br);
    d->bk = keep;
    d->Invalidate();
}
void CDC::InvertRect(LPCRECT rc) {
    if (!rc) return;
    QPainter* p = d->P();
    if (!p) return;
    p->setCompositionMode(QPainter::RasterOp_NotDestination);
    p->fillRect(ToQRect(*rc), Qt::black);
    p->setCompositionMode(d->Composition());
    d->MarkDirty(ToQRect(*rc).translated(d->org));
}
BOOL CDC::FillRgn(CRgn* rgn, CBrush* brush) {
    if (!rgn || !rgn->m_data || !brush) return FALSE;
    for (const QRect& r : rgn->m_data->region) {
        RECT rc = FromQRect(r);
        FillRect(&rc, brush);
    }
    return TRUE;
}
BOOL CDC::FrameRgn(CRgn* rgn, CBrush* brush, int w, int h) {
    if (!rgn || !rgn->m_data || !brush) return FALSE;
    const QRegion& reg = rgn->m_data->region;
    QRegion inner = reg.intersected(reg.translated(w, 0))
                        .intersected(reg.translated(-w, 0))
                        .intersected(reg.translated(0, h))
                        .intersected(reg.translated(0, -h));
    CRgn frame;
    frame.m_data = std::make_unique<RegionData>();
    frame.m_data->region = reg.subtracted(inner);
    return FillRgn(&frame, brush);
}
BOOL CDC::InvertRgn(CRgn* rgn) {
    if (!rgn || !rgn->m_data) return FALSE;
    for (const QRect& r : rgn->m_data->region) {
        RECT rc = FromQRect(r);
        InvertRect(&rc);
    }
    return TRUE;
}

COLORREF CDC::SetPixel(int x, int y, COLORREF c) {
    if (!d->surface) return CLR_INVALID;
    QPoint dp = QPoint(x, y) + d->org;
    Surface& sf = *d->surface;
    if (!QRect(QPoint(0, 0), sf.Size()).contains(dp)) return CLR_INVALID;
    if (d->Clipped() && !d->EffectiveClip().contains(dp)) return CLR_INVALID;
    // one logical pixel: ratio x ratio device pixels
    const QRect dev = sf.Device(QRect(dp, QSize(1, 1))).toAlignedRect() &
                      QRect(QPoint(0, 0), sf.image.size());
    ++sf.version;
    for (int yy = dev.top(); yy <= dev.bottom(); ++yy)
        for (int xx = dev.left(); xx <= dev.right(); ++xx)
            sf.image.setPixel(xx, yy, 0xff000000u | ToQColor(c).rgb());
    d->MarkDirty(QRect(dp, QSize(1, 1)));
    return c;
}
COLORREF CDC::GetPixel(int x, int y) const {
    if (!d->surface) return CLR_INVALID;
    QPoint dp = QPoint(x, y) + d->org;
    const Surface& sf = *d->surface;
    if (!QRect(QPoint(0, 0), sf.Size()).contains(dp)) return CLR_INVALID;
    const QPoint dev = sf.DevicePoint(dp);  // the top left device pixel of the logical one
    if (!sf.image.valid(dev)) return CLR_INVALID;
    return FromQRgb(sf.image.pixel(dev));
}

// ---- text ----
static QString StripPrefix(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('&') && i + 1 < s.size()) {
            ++i;
            out += s[i];
        } else if (s[i] != QLatin1Char('&')) {
            out += s[i];
        }
    }
    return out;
}

// Whether text is one line as it stands: no control characters (tabs, line breaks) and,
// unless prefixes are left alone, no '&'.
static bool PlainLine(const std::string& text, bool prefixes) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7f || (prefixes && c == '&')) return false;
    return true;
}

// The advance of s in the DC's font, kept with the font's shaped texts.
static int TextWidth(DCState& s, const QString& text) {
    if (!DrawingShortcuts()) return s.metrics->horizontalAdvance(text);
    return s.Shapes().Get(text, false).width;
}

const ImageClip& DCState::ClipInImage() {
    const QSize size = surface->image.size();
    ImageClip& t = imageClip;
    if (!t.valid || t.hasBase != hasBase || t.hasClip != hasClip || t.size != size ||
        (hasBase && t.base != base) || (hasClip && t.clip != clip)) {
        t.valid = true;
        t.hasBase = hasBase;
        t.hasClip = hasClip;
        t.size = size;
        t.base = hasBase ? base : QRegion();
        t.clip = hasClip ? clip : QRegion();
        t.rects.clear();
        t.bounds = QRect();
        const QRect image(QPoint(0, 0), size);
        if (Clipped()) {
            for (const QRect& r : EffectiveClip().intersected(image)) t.rects.push_back(r);
        } else {
            t.rects.push_back(image);
        }
        for (const QRect& r : t.rects) t.bounds |= r;
    }
    return t;
}

namespace {
// x * a / 255 per 8-bit channel, rounded as the raster engine rounds it
inline quint32 ByteMul(quint32 x, quint32 a) {
    quint32 t = (x & 0xff00ff) * a;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = x + ((x >> 8) & 0xff00ff) + 0x800080;
    x &= 0xff00ff00;
    return x | t;
}

#if defined(__SSE2__)
// ByteMul of 16-bit lanes each holding one channel
inline __m128i ByteMul16(__m128i x, __m128i a) {
    __m128i t = _mm_mullo_epi16(x, a);
    t = _mm_add_epi16(t, _mm_srli_epi16(t, 8));
    t = _mm_add_epi16(t, _mm_set1_epi16(0x80));
    return _mm_srli_epi16(t, 8);
}
#endif

// px[i] = c * a[i] + px[i] * (255 - a[i]) per channel, each product over 255 rounded on its
// own: the colour itself where a is 255, the pixel as it was where a is 0
void BlendRow(quint32* px, const uchar* a, int n, quint32 c) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i colour = _mm_unpacklo_epi8(_mm_set1_epi32(int(c)), zero);
    const __m128i full = _mm_set1_epi16(0xff);
    for (; i + 4 <= n; i += 4) {
        quint32 k4;
        std::memcpy(&k4, a + i, 4);
        if (!k4) continue;
        if (k4 == 0xffffffffu) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(px + i), _mm_set1_epi32(int(c)));
            continue;
        }
        __m128i k = _mm_cvtsi32_si128(int(k4));
        k = _mm_unpacklo_epi8(k, k);
        k = _mm_unpacklo_epi16(k, k);  // each pixel's coverage in its four channels
        const __m128i klo = _mm_unpacklo_epi8(k, zero), khi = _mm_unpackhi_epi8(k, zero);
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + i));
        const __m128i lo = _mm_add_epi16(ByteMul16(colour, klo),
                                         ByteMul16(_mm_unpacklo_epi8(d, zero), _mm_sub_epi16(full, klo)));
        const __m128i hi = _mm_add_epi16(ByteMul16(colour, khi),
                                         ByteMul16(_mm_unpackhi_epi8(d, zero), _mm_sub_epi16(full, khi)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(px + i), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; i < n; ++i) {
        const quint32 k = a[i];
        if (k == 255)
            px[i] = c;
        else if (k)
            px[i] = ByteMul(c, k) + ByteMul(px[i], 255 - k);
    }
}

// Text written straight into a ratio-1 image of 32-bit pixels drawn on through a plain
// translation, pixel for pixel what the toolkit's raster engine writes for it: a glyph of
// plain coverage a blends the pen's colour c over a pixel d as c * a + d * (255 - a) / 255
// per channel (each product rounded on its own, no gamma correction), and a fill of an
// opaque colour stores it. Only inside the DC's clip, and the limit when one is set. The
// painter is not needed: what it would be given is the DC's state.
class TextWriter {
public:
    TextWriter() = default;  // writes nothing
    explicit TextWriter(DCState& s) {
        if (!DrawingShortcuts() || !s.surface) return;
        Surface& sf = *s.surface;
        if (sf.Ratio() != 1.0 || !sf.image.isDetached() || !GlyphBlendingAsMasks()) return;
        const QImage::Format f = sf.image.format();
        if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32_Premultiplied) return;
        if (sf.painter.isActive()) {
            if (sf.painter.opacity() != 1.0) return;
            if (sf.owner == &s) {
                const QTransform& t = sf.painter.worldTransform();
                if (t.type() > QTransform::TxTranslate || t.dx() != s.org.x() ||
                    t.dy() != s.org.y())
                    return;
            }
        }
        ++sf.version;
        m_org = s.org;
        m_clip = &s.ClipInImage().rects;
        m_bits = reinterpret_cast<quint32*>(sf.image.bits());
        m_stride = sf.image.bytesPerLine() / 4;
    }
    explicit operator bool() const { return m_bits != nullptr; }
    void Limit(const QRect& logical) {
        m_box = logical.translated(m_org);
        m_limited = true;
    }
    void Fill(const QRect& logical, COLORREF color) {
        const quint32 c = 0xff000000u | ToQColor(color).rgb();
        Parts(logical.translated(m_org), [&](const QRect& r) {
            for (int y = r.top(); y <= r.bottom(); ++y)
                std::fill_n(m_bits + qsizetype(y) * m_stride + r.left(), r.width(), c);
        });
    }
    // the mask with the left end of its baseline at logical (x, baseline)
    void Blend(const TextMask& mask, int x, int baseline, COLORREF color) {
        const quint32 c = 0xff000000u | ToQColor(color).rgb();
        const QPoint origin = QPoint(x, baseline) + m_org;
        for (const TextMask::Layer& layer : mask.layers) {
            const QRect at = layer.rect.translated(origin);
            Parts(at, [&](const QRect& r) {
                for (int y = r.top(); y <= r.bottom(); ++y)
                    BlendRow(m_bits + qsizetype(y) * m_stride + r.left(),
                             layer.coverage.data() + qsizetype(y - at.top()) * at.width() +
                                 (r.left() - at.left()),
                             r.width(), c);
            });
        }
    }

private:
    // the parts of a device rectangle inside the clip (and the limit)
    template <class F>
    void Parts(QRect r, F f) {
        if (m_limited) r &= m_box;
        if (r.isEmpty()) return;
        for (const QRect& c : *m_clip) {
            const QRect part = r & c;
            if (!part.isEmpty()) f(part);
        }
    }
    quint32* m_bits = nullptr;
    qsizetype m_stride = 0;
    QPoint m_org;
    const std::vector<QRect>* m_clip = nullptr;
    QRect m_box;
    bool m_limited = false;
};
}  // namespace

// Draws one line of text with its baseline's left end at (x, baseline), in the painter's
// pen: from the shaped runs where they show it exactly, else laid out anew.
static void DrawTextLine(DCState& s, QPainter& p, int x, int baseline, const QString& text) {
    if (text.isEmpty()) return;
    if (DrawingShortcuts()) {
        const ShapedText& shaped = s.Shapes().Get(text, true);
        if (shaped.runsDrawable) {
            for (const QGlyphRun& run : shaped.runs) p.drawGlyphRun(QPointF(x, baseline), run);
            return;
        }
    }
    p.setFont(s.qfont);
    p.drawText(QPoint(x, baseline), text);
}

CSize CDC::GetTextExtent(const std::string& text) const {
    if (DrawingShortcuts()) {
        const QString* unused;
        return CSize(d->Shapes().GetUtf8(text, false, &unused).width, d->fontHeight);
    }
    return CSize(TextWidth(*d, ToQ(text)), d->fontHeight);
}

BOOL CDC::GetTextMetrics(TEXTMETRIC* tm) const {
    if (!tm) return FALSE;
    const QFontMetrics& fm = *d->metrics;
    tm->tmHeight = fm.height();
    tm->tmAscent = fm.ascent();
    tm->tmDescent = fm.descent();
    tm->tmInternalLeading = std::max(0, fm.height() - d->qfont.pixelSize());
    tm->tmExternalLeading = std::max(0, fm.leading());
    tm->tmAveCharWidth = fm.averageCharWidth();
    tm->tmMaxCharWidth = fm.maxWidth();
    tm->tmWeight = d->qfont.bold() ? FW_BOLD : FW_NORMAL;
    return TRUE;
}

// The mask of a one-line text to write straight into the DC's image, or null: the text is
// then drawn through the painter.
static const TextMask* DirectMask(DCState& s, const TextWriter& writer, const ShapedText* shaped) {
    if (!writer || !shaped || !shaped->runsDrawable) return nullptr;
    return s.Shapes().Mask(*shaped);
}

// Whether a point is near enough for the writer's sums; far-off texts are left to the painter.
static bool Near(int x, int y) {
    constexpr int kFar = 1 << 24;
    return x >= -kFar && x <= kFar && y >= -kFar && y <= kFar;
}

BOOL CDC::TextOut(int x, int y, const std::string& text) {
    if (!d->surface) return FALSE;
    const ShapedText* shaped = nullptr;
    QString s;
    if (DrawingShortcuts() && PlainLine(text, false)) {
        const QString* found;
        shaped = &d->Shapes().GetUtf8(text, true, &found);
        s = *found;
    } else {
        s = ToQ(text);
    }
    const int w = shaped ? shaped->width : TextWidth(*d, s), h = d->fontHeight,
              ascent = d->fontAscent;
    UINT ha = d->textAlign & 6, va = d->textAlign & 24;
    if (ha == TA_CENTER)
        x -= w / 2;
    else if (ha == TA_RIGHT)
        x -= w;
    if (va == TA_BOTTOM)
        y -= h;
    else if (va == TA_BASELINE)
        y -= ascent;
    QRect box(x, y, w, h);
    TextWriter writer = shaped ? TextWriter(*d) : TextWriter();
    if (const TextMask* mask = Near(x, y) ? DirectMask(*d, writer, shaped) : nullptr) {
        if (d->bkMode == OPAQUE) writer.Fill(box, d->bk);
        writer.Blend(*mask, x, y + ascent, d->text);
    } else {
        QPainter* p = d->P();
        if (!p) return FALSE;
        // text is always drawn as a copy, whatever the raster mode (as the classic text
        // output does): a label drawn while placing a XOR rubber band keeps its colour
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (d->bkMode == OPAQUE) p->fillRect(box, ToQColor(d->bk));
        p->setPen(ToQColor(d->text));
        DrawTextLine(*d, *p, x, y + ascent, s);
        p->setCompositionMode(d->Composition());
        p->setPen(d->qpen);
    }
    d->MarkDirty(box.adjusted(-2, -2, 2, 2).translated(d->org));
    return TRUE;
}

// Breaks text into lines that fit width: at spaces between words, and between any two
// CJK characters, as the classic word break does.
static QStringList WrapLines(const QString& para, const QFontMetrics& fm, int width) {
    QStringList lines;
    QString line;
    int i = 0, n = para.size();
    while (i < n) {
        // next token: a run of non-space Latin characters, a run of spaces, or one other character
        int j = i;
        if (para[i].isSpace()) {
            while (j < n && para[j].isSpace()) ++j;
        } else if (para[i].unicode() < 0x2E80) {
            while (j < n && !para[j].isSpace() && para[j].unicode() < 0x2E80) ++j;
        } else {
            j = i + (para[i].isHighSurrogate() && i + 1 < n ? 2 : 1);
        }
        QString tok = para.mid(i, j - i);
        if (!line.isEmpty() && fm.horizontalAdvance(line + tok) > width) {
            if (!tok.trimmed().isEmpty()) {
                lines << line;
                line.clear();
            } else {
                lines << line;
                line.clear();
                i = j;
                continue;
            }
        }
        if (line.isEmpty() && tok.trimmed().isEmpty() && !lines.isEmpty()) {
            i = j;
            continue;
        }
        line += tok;
        i = j;
    }
    lines << line;
    return lines;
}

// Where the first line of a DrawText goes: a single line is placed in the rectangle as the
// format says, and then the height DrawText reports (`result`) runs to its bottom.
static int FirstLineTop(const CRect& r, UINT fmt, int lineH, int& result) {
    if (!(fmt & DT_SINGLELINE)) return r.top;
    int y = r.top;
    if (fmt & DT_VCENTER)
        y = r.top + (r.Height() - lineH) / 2;
    else if (fmt & DT_BOTTOM)
        y = r.bottom - lineH;
    if (fmt & (DT_VCENTER | DT_BOTTOM)) result = y - r.top + lineH;
    return y;
}

// DrawText of a text that is one line as it stands, neither wrapped nor elided: written
// straight into the image where it can be. False leaves it to the general way.
static bool DrawOneLine(DCState& d, const std::string& text, LPRECT rc, UINT fmt, int& result) {
    if (!DrawingShortcuts() || (fmt & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) ||
        ((fmt & DT_WORDBREAK) && !(fmt & DT_SINGLELINE)) || !PlainLine(text, !(fmt & DT_NOPREFIX)))
        return false;
    const int lineH = d.fontHeight;
    const CRect r(WithinReach(*rc));
    if (fmt & DT_CALCRECT) {
        const QString* unused;
        rc->right = rc->left + d.Shapes().GetUtf8(text, false, &unused).width;
        rc->bottom = rc->top + lineH;
        result = lineH;
        return true;
    }
    TextWriter writer(d);
    if (!writer || !Near(r.left, r.top) || !Near(r.right, r.bottom)) return false;
    const QString* unused;
    const ShapedText& shaped = d.Shapes().GetUtf8(text, true, &unused);
    result = lineH;
    const int y = FirstLineTop(r, fmt, lineH, result);
    const int w = shaped.width;
    const int x = (fmt & DT_CENTER) ? r.left + (r.Width() - w) / 2
                  : (fmt & DT_RIGHT) ? r.right - w
                                     : r.left;
    if (!Near(x, y)) return false;
    const TextMask* mask = DirectMask(d, writer, &shaped);
    if (!mask) return false;
    if (!(fmt & DT_NOCLIP)) writer.Limit(ToQRect(r));
    if (d.bkMode == OPAQUE) writer.Fill(QRect(x, y, w, lineH), d.bk);
    writer.Blend(*mask, x, y + d.fontAscent, d.text);
    d.MarkDirty(ToQRect(r).united(QRect(r.left, r.top, r.Width(), lineH)).translated(d.org));
    return true;
}

int CDC::DrawText(const std::string& text, LPRECT rc, UINT fmt) {
    if (!rc) return 0;
    if (int result; DrawOneLine(*d, text, rc, fmt, result)) return result;
    QString s = ToQ(text);
    if (!(fmt & DT_NOPREFIX)) s = StripPrefix(s);
    if (fmt & DT_EXPANDTABS) s.replace(QLatin1Char('\t'), QStringLiteral("        "));
    const QFontMetrics& fm = *d->metrics;
    const int lineH = d->fontHeight;
    CRect r(WithinReach(*rc));
    QStringList lines;
    if (fmt & DT_SINGLELINE) {
        QString one = s;
        one.replace(QLatin1String("\r\n"), QLatin1String(" "))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        lines << one;
    } else {
        QString norm = s;
        norm.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        for (const QString& para : norm.split(QLatin1Char('\n'))) {
            if (fmt & DT_WORDBREAK)
                lines << WrapLines(para, fm, std::max(1, r.Width()));
            else
                lines << para;
        }
    }
    if (fmt & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))
        for (QString& l : lines) l = fm.elidedText(l, Qt::ElideRight, std::max(0, r.Width()));
    int textH = lineH * (int)lines.size();
    if (fmt & DT_CALCRECT) {
        int w = 0;
        for (const QString& l : lines) w = std::max(w, TextWidth(*d, l));
        if (!(fmt & DT_WORDBREAK) || w < r.Width() || lines.size() == 1) rc->right = rc->left + w;
        rc->bottom = rc->top + textH;
        return textH;
    }
    int result = textH;
    int y = FirstLineTop(r, fmt, lineH, result);
    QPainter* p = d->P();
    if (!p) return 0;
    // Clipping to the rectangle is left out where every line's glyphs and background lie
    // inside it anyway: glyphs cut by a clip, even only in the empty border of their
    // images, are drawn the slow way, and labels are mostly placed in rectangles of just
    // their extent.
    bool clip = !(fmt & DT_NOCLIP);
    if (clip && DrawingShortcuts()) {
        clip = false;
        const QRect box = ToQRect(r);
        int ly = y;
        for (const QString& l : lines) {
            const int w = TextWidth(*d, l);
            const int x = (fmt & DT_CENTER) ? r.left + (r.Width() - w) / 2
                          : (fmt & DT_RIGHT) ? r.right - w
                                             : r.left;
            if (d->bkMode == OPAQUE && w > 0 && !box.contains(QRect(x, ly, w, lineH))) clip = true;
            if (!l.isEmpty()) {
                const ShapedText& shaped = d->Shapes().Get(l, true);
                // emboldened and slanted glyphs may reach past the measured outline
                const int m = d->qfont.bold() || d->qfont.italic() ? 2 : 0;
                const QRect ink = shaped.ink.translated(x, ly + d->fontAscent)
                                      .toAlignedRect()
                                      .adjusted(-m, -m, m, m);
                if (!shaped.runsDrawable || !box.contains(ink)) clip = true;
            }
            if (clip) break;
            ly += lineH;
        }
    }
    if (clip) {
        p->save();
        p->setClipRect(ToQRect(r), Qt::IntersectClip);
    }
    p->setFont(d->qfont);
    // a copy whatever the raster mode, as TextOut
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setPen(ToQColor(d->text));
    for (const QString& l : lines) {
        int w = TextWidth(*d, l);
        int x = r.left;
        if (fmt & DT_CENTER)
            x = r.left + (r.Width() - w) / 2;
        else if (fmt & DT_RIGHT)
            x = r.right - w;
        if (d->bkMode == OPAQUE) p->fillRect(QRect(x, y, w, lineH), ToQColor(d->bk));
        DrawTextLine(*d, *p, x, y + d->fontAscent, l);
        y += lineH;
    }
    if (clip) p->restore();
    p->setCompositionMode(d->Composition());
    p->setPen(d->qpen);
    d->MarkDirty(ToQRect(r).united(QRect(r.left, r.top, r.Width(), textH)).translated(d->org));
    return result;
}

// ---- clipping ----
int CDC::SelectClipRgn(CRgn* rgn) {
    if (!rgn || !rgn->m_data) {
        d->hasClip = false;
        d->clip = QRegion();
    } else {
        d->hasClip = true;
        d->clip = rgn->m_data->region;
    }
    d->Invalidate();
    if (!d->Clipped()) return SIMPLEREGION;
    QRegion e = d->EffectiveClip();
    return e.isEmpty() ? NULLREGION : (e.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION);
}
int CDC::SelectClipRgn(CRgn* rgn, int mode) {
    if (mode == RGN_COPY) return SelectClipRgn(rgn);
    if (!rgn || !rgn->m_data) return ERROR;
    QRegion current =
        d->hasClip ? d->clip
                   : QRegion(QRect(QPoint(0, 0), d->surface ? d->surface->Size() : QSize()));
    const QRegion& r = rgn->m_data->region;
    switch (mode) {
        case RGN_AND:
            current = current.intersected(r);
            break;
        case RGN_OR:
            current = current.united(r);
            break;
        case RGN_XOR:
            current = current.xored(r);
            break;
        case RGN_DIFF:
            current = current.subtracted(r);
            break;
        default:
            return ERROR;
    }
    d->hasClip = true;
    d->clip = current;
    d->Invalidate();
    return current.isEmpty() ? NULLREGION : SIMPLEREGION;
}
int CDC::IntersectClipRect(int l, int t, int r, int b) {
    QRect dr = QRect(l, t, r - l, b - t).translated(d->org);
    QRegion current =
        d->hasClip ? d->clip
                   : QRegion(QRect(QPoint(0, 0), d->surface ? d->surface->Size() : QSize()));
    d->clip = current.intersected(dr);
    d->hasClip = true;
    d->Invalidate();
    return d->clip.isEmpty() ? NULLREGION : SIMPLEREGION;
}
int CDC::ExcludeClipRect(int l, int t, int r, int b) {
    QRect dr = QRect(l, t, r - l, b - t).translated(d->org);
    QRegion current =
        d->hasClip ? d->clip
                   : QRegion(QRect(QPoint(0, 0), d->surface ? d->surface->Size() : QSize()));
    d->clip = current.subtracted(dr);
    d->hasClip = true;
    d->Invalidate();
    return d->clip.isEmpty() ? NULLREGION : COMPLEXREGION;
}
int CDC::GetClipBox(LPRECT rc) const {
    if (!rc) return ERROR;
    QRect box = d->Clipped() ? d->EffectiveClip().boundingRect()
                             : QRect(QPoint(0, 0), d->surface ? d->surface->Size() : QSize());
    *rc = FromQRect(box.translated(-d->org));
    return box.isEmpty() ? NULLREGION : SIMPLEREGION;
}
BOOL CDC::PtVisible(int x, int y) const {
    QPoint dp = QPoint(x, y) + d->org;
    if (!d->surface || !QRect(QPoint(0, 0), d->surface->Size()).contains(dp)) return FALSE;
    return !d->Clipped() || d->EffectiveClip().contains(dp);
}

int CDC::GetDeviceCaps(int index) const {
    switch (index) {
        case LOGPIXELSX:
        case LOGPIXELSY:
            return 96;
        case HORZRES:
        case VERTRES: {
            const QScreen* screen = QGuiApplication::primaryScreen();
            if (!screen) return 0;
            const QSize s = screen->geometry().size();
            return index == HORZRES ? s.width() : s.height();
        }
        case BITSPIXEL:
            return 32;
        case PLANES:
            return 1;
        default:
            return 0;
    }
}
double CDC::GetPixelRatio() const {
    return d->surface ? d->surface->Ratio() : 1.0;
}
CSize CDC::GetSurfaceSize() const {
    if (!d->surface) return CSize();
    const QSize s = d->surface->Size();
    return CSize(s.width(), s.height());
}

// ---- blits ----
static QPainter::CompositionMode BltMode(DWORD rop, bool& fill, QColor& fillColor, bool& valid) {
    fill = false;
    valid = true;
    switch (rop) {
        case SRCCOPY:
            return QPainter::CompositionMode_Source;
        case SRCAND:
            return QPainter::RasterOp_SourceAndDestination;
        case SRCPAINT:
            return QPainter::RasterOp_SourceOrDestination;
        case SRCINVERT:
            return QPainter::RasterOp_SourceXorDestination;
        case NOTSRCCOPY:
            return QPainter::RasterOp_NotSource;
        case DSTINVERT:
            fill = true;
            fillColor = Qt::black;
            return QPainter::RasterOp_NotDestination;
        case BLACKNESS:
            fill = true;
            fillColor = Qt::black;
            return QPainter::CompositionMode_Source;
        case WHITENESS:
            fill = true;
            fillColor = Qt::white;
            return QPainter::CompositionMode_Source;
        case PATCOPY:
            fill = true;
            return QPainter::CompositionMode_Source;
        default:
            valid = false;
            return QPainter::CompositionMode_Source;
    }
}

BOOL CDC::BitBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, DWORD rop) {
    return StretchBlt(x, y, w, h, src, xs, ys, w, h, rop);
}

BOOL CDC::StretchBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs,
                     DWORD rop) {
    bool fill, valid;
    QColor fillColor;
    QPainter::CompositionMode mode = BltMode(rop, fill, fillColor, valid);
    if (!valid) return FALSE;
    QPainter* p = d->P();
    if (!p) return FALSE;
    QRect dst = QRect(x, y, w, h).normalized();
    p->setCompositionMode(mode);
    if (fill) {
        if (rop == PATCOPY)
            p->fillRect(dst, d->qbrush);
        else
            p->fillRect(dst, fillColor);
    } else {
        if (!src || !src->d->surface) {
            p->setCompositionMode(d->Composition());
            return FALSE;
        }
        const Surface& ssf = *src->d->surface;
        const QRectF sr = ssf.Device(QRect(xs, ys, ws, hs).translated(src->d->org));
        const QImage& simg = ssf.image;
        p->setRenderHint(QPainter::SmoothPixmapTransform, d->stretchMode == HALFTONE);
        if (src->d->surface == d->surface) {
            // overlapping source and destination: the source as it was before the blit
            QImage copy = simg.copy(sr.toRect());
            p->drawImage(QRectF(x, y, w, h), copy);
        } else {
            p->drawImage(QRectF(x, y, w, h), simg, sr);
        }
        p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    }
    p->setCompositionMode(d->Composition());
    d->MarkDirty(dst.translated(d->org));
    return TRUE;
}

BOOL CDC::TransparentBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs,
                         UINT transparent) {
    if (!src || !src->d->surface || w <= 0 || h <= 0 || ws <= 0 || hs <= 0) return FALSE;
    Surface& ssf = *src->d->surface;
    // the source with its key colour cleared, made once per source picture and key: the
    // same sprite drawn again and again is not copied each time
    const QRgb key = ToQColor(transparent).rgb() & 0xffffff;
    Surface::Keyed& k = ssf.keyed;
    if (k.image.isNull() || k.key != key || k.version != ssf.version ||
        k.cacheKey != ssf.image.cacheKey()) {
        k.image = ssf.image.convertToFormat(QImage::Format_ARGB32);
        for (int yy = 0; yy < k.image.height(); ++yy) {
            QRgb* line = reinterpret_cast<QRgb*>(k.image.scanLine(yy));
            for (int xx = 0; xx < k.image.width(); ++xx)
                if ((line[xx] & 0xffffff) == key) line[xx] = 0;
        }
        k.image.setDevicePixelRatio(ssf.Ratio());
        k.key = key;
        k.version = ssf.version;
        k.cacheKey = ssf.image.cacheKey();
    }
    QPainter* p = d->P();  // after the source was read: the source may be this surface
    if (!p) return FALSE;
    const QRectF sr = ssf.Device(QRect(xs, ys, ws, hs).translated(src->d->org));
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->drawImage(QRectF(x, y, w, h), k.image, sr);
    p->setCompositionMode(d->Composition());
    d->MarkDirty(QRect(x, y, w, h).translated(d->org));
    return TRUE;
}

BOOL CDC::AlphaBlend(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs,
                     BLENDFUNCTION blend) {
    if (!src || !src->d->surface || w <= 0 || h <= 0 || ws <= 0 || hs <= 0) return FALSE;
    QPainter* p = d->P();
    if (!p) return FALSE;
    const Surface& ssf = *src->d->surface;
    const QRectF sr = ssf.Device(QRect(xs, ys, ws, hs).translated(src->d->org));
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setOpacity(blend.SourceConstantAlpha / 255.0);
    // drawn straight from the source; a copy only where the source must be changed first
    // (its alpha to be ignored) or is the destination itself
    if (src->d->surface == d->surface || (!(blend.AlphaFormat & AC_SRC_ALPHA) &&
                                           ssf.image.hasAlphaChannel())) {
        QImage part = ssf.image.copy(sr.toRect());
        if (!(blend.AlphaFormat & AC_SRC_ALPHA)) part = part.convertToFormat(QImage::Format_RGB32);
        p->drawImage(QRectF(x, y, w, h), part);
    } else {
        p->drawImage(QRectF(x, y, w, h), ssf.image, sr);
    }
    p->setOpacity(1.0);
    p->setCompositionMode(d->Composition());
    d->MarkDirty(QRect(x, y, w, h).translated(d->org));
    return TRUE;
}

// Colour i of n steps is start + (end - start) * i / n, each channel from its 16-bit value.
BOOL CDC::GradientFill(TRIVERTEX* v, ULONG nv, void* mesh, ULONG nMesh, ULONG mode) {
    if (!v || !mesh || (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V)) return FALSE;
    QPainter* p = d->P();
    if (!p) return FALSE;
    auto* rects = static_cast<GRADIENT_RECT*>(mesh);
    p->setCompositionMode(QPainter::CompositionMode_Source);
    for (ULONG m = 0; m < nMesh; ++m) {
        if (rects[m].UpperLeft >= nv || rects[m].LowerRight >= nv) continue;
        const TRIVERTEX& a = v[rects[m].UpperLeft];
        const TRIVERTEX& b = v[rects[m].LowerRight];
        QRect r = QRect(QPoint(a.x, a.y), QPoint(b.x - 1, b.y - 1)).normalized();
        const bool horizontal = mode == GRADIENT_FILL_RECT_H;
        const TRIVERTEX& s = horizontal ? (a.x <= b.x ? a : b) : (a.y <= b.y ? a : b);
        const TRIVERTEX& e = &s == &a ? b : a;
        int n = horizontal ? r.width() : r.height();
        for (int i = 0; i < n; ++i) {
            auto ch = [&](COLOR16 c0, COLOR16 c1) {
                return (int(c0) + (int(c1) - int(c0)) * i / n) >> 8;
            };
            QColor c(ch(s.Red, e.Red), ch(s.Green, e.Green), ch(s.Blue, e.Blue));
            if (horizontal)
                p->fillRect(QRect(r.left() + i, r.top(), 1, r.height()), c);
            else
                p->fillRect(QRect(r.left(), r.top() + i, r.width(), 1), c);
        }
        d->MarkDirty(r.translated(d->org));
    }
    p->setCompositionMode(d->Composition());
    return TRUE;
}

// ---- window DCs ----
CPaintDC::CPaintDC(CWnd* wnd) : m_pWnd(wnd) {
    m_ps = PAINTSTRUCT{this, FALSE, RECT{0, 0, 0, 0}};
    if (!wnd || !wnd->d) return;
    WndPrivate* w = wnd->d.get();
    if (!w->inPaint) {
        // painting outside WM_PAINT: the whole pending region, as BeginPaint would take it
        w->paintRegion = w->invalid;
    }
    w->invalid = QRegion();
    w->paintBegun = true;
    AttachWindowSurface(wnd, true);
    m_ps.rcPaint = FromQRect(w->paintRegion.boundingRect());
    m_ps.fErase = w->erase;
    if (w->erase) {
        w->erase = false;
        m_ps.fErase = !platform::Dispatch(wnd, WM_ERASEBKGND, (WPARAM)this, 0);
    }
}
CPaintDC::~CPaintDC() {
    if (m_pWnd && m_pWnd->d && !m_pWnd->d->inPaint && m_pWnd->d->widget)
        m_pWnd->d->widget->update(m_pWnd->d->paintRegion);
}

CClientDC::CClientDC(CWnd* wnd) : m_pWnd(wnd) {
    AttachWindowSurface(wnd, false);
}
CClientDC::~CClientDC() = default;
