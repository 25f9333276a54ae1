#include "drawtools/AssistLines.h"
#include "drawtools/ToolXml.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "drawtools/DrawGeometry.h"
#include "drawtools/ToolSettings.h"
#include "foundation/XmlAttr.h"
#include "platform/Wnd.h"
#include "ui/CommonVar.h"

namespace {

struct PlacingContext {
    std::unique_ptr<CClientDC> dc;
    CWnd* window = nullptr;
};

PlacingContext& Placing() {
    static PlacingContext ctx;
    return ctx;
}

}  // namespace

int RubberBandRop() {
    return GetCommonVar()->m_nFlag ? R2_XORPEN : R2_NOT;
}

// ---- CAssistLines ----

CRect CAssistLines::PaneRect() const {
    return m_pOwner ? m_pOwner->GetPaneRect(m_nPaneIndex, m_strChart) : CRect();
}

bool CAssistLines::InPane(int x, int y) const {
    return PaneRect().PtInRect(CPoint(x, y));
}

CDC* CAssistLines::DrawingDC() {
    return Placing().dc.get();
}

void CAssistLines::AttachDrawingDC(CWnd* window) {
    PlacingContext& ctx = Placing();
    ctx.dc.reset();
    ctx.window = window;
    if (window && window->GetSafeHwnd()) {
        ctx.dc = std::make_unique<CClientDC>(window);
        ctx.dc->SetBkMode(TRANSPARENT);
    }
}

void CAssistLines::ReleaseDrawingDC() {
    Placing().dc.reset();
    Placing().window = nullptr;
}

void CAssistLines::SetGlobalDragFlag(int on) {
    GetCommonVar()->m_nDragFlag = on;
}

void CAssistLines::AbandonPlacing(CWnd* window) {
    ReleaseDrawingDC();
    if (window && window->GetSafeHwnd() && CWnd::GetCapture() == window) ReleaseCapture();
    SetGlobalDragFlag(0);
}

void CAssistLines::OnMouseDown(CWnd* window, int x, int y, int snapKind) {
    SetGlobalDragFlag(1);
    if (window && window->GetSafeHwnd()) window->SetCapture();
    AttachDrawingDC(window);
    BeginPlace(x, y, snapKind);
}

void CAssistLines::OnMouseMove(int x, int y, int snapKind) {
    if (InPane(x, y)) DragPlace(x, y, snapKind);
}

void CAssistLines::OnMouseUp(CWnd* window) {
    EndPlace();
    ReleaseDrawingDC();
    if (window && window->GetSafeHwnd()) ReleaseCapture();
    SetGlobalDragFlag(0);
}

// ---- CRecRgnLines ----

CRecRgnLines::CRecRgnLines() {
    const ToolSettings& s = GetToolSettings();
    m_nLineWidth = s.lineWidth;
    m_nLineStyle = s.lineType;
    CommonVar* cv = GetCommonVar();
    m_color = cv->m_clrDrawDefault;
    m_colorBK = cv->GetColor(CommonColor::uniPic_BackGround);
}

CRecRgnLines::~CRecRgnLines() = default;

void CRecRgnLines::CopyBaseTo(CRecRgnLines& o) const {
    o.m_pOwner = m_pOwner;
    o.m_strChart = m_strChart;
    o.m_nPaneIndex = m_nPaneIndex;
    o.m_nMultiFlag = m_nMultiFlag;
    o.m_nLineWidth = m_nLineWidth;
    o.m_nLineStyle = m_nLineStyle;
    o.x1 = x1;
    o.y1 = y1;
    o.x2 = x2;
    o.y2 = y2;
    o.m_rcLabel = m_rcLabel;
    o.m_lLeft = m_lLeft;
    o.m_lRight = m_lRight;
    o.m_fTop = m_fTop;
    o.m_fBottom = m_fBottom;
    o.m_color = m_color;
    o.m_nLeftXF = m_nLeftXF;
    o.m_nRightXF = m_nRightXF;
    o.m_segments = m_segments;
}

std::shared_ptr<CRecRgnLines> CRecRgnLines::Clone() const {
    auto copy = std::make_shared<CRecRgnLines>();
    CopyBaseTo(*copy);
    return copy;
}

CSize CRecRgnLines::MeasureText(const std::string& text, int font) const {
    static CDC* measure = [] {
        auto* dc = new CDC;
        dc->CreateCompatibleDC(nullptr);
        return dc;
    }();
    CommonVar* cv = GetCommonVar();
    CFont* f = nullptr;
    switch (font) {
    case FigureItem::ToolFont:
        f = const_cast<CRecRgnLines*>(this)->ToolFont();
        break;
    case FigureItem::SymbolFont:
        f = cv->GetFont(CommonVar::Font::Symbol);
        break;
    case FigureItem::PriceTagFont:
        f = cv->GetFont(CommonVar::Font::PriceTag);
        break;
    default:
        break;
    }
    if (!f) f = cv->GetFont(CommonVar::Font::Chart);
    CFont* old = measure->SelectObject(f);
    const CSize size = measure->GetTextExtent(text);
    if (old) measure->SelectObject(old);
    return size;
}

void CRecRgnLines::ShowRubberBand(int final, int placing) {
    m_figureKey.reset();
    m_figure.Clear();
    DrawShape(final, placing);
    CDC* dc = DrawingDC();
    m_bRubberShown = true;
    if (!dc) return;
    CommonVar* cv = GetCommonVar();
    CPen pen(PS_SOLID, 1, cv->m_clrDrawDefault);
    CPen dot(PS_DOT, 1, cv->m_clrDrawDefault);
    const int saved = dc->SaveDC();
    const CRect pane = PaneRect();
    dc->IntersectClipRect(&pane);
    dc->SetROP2(RubberBandRop());
    FigurePaint paint;
    paint.pen = &pen;
    paint.dotPen = &dot;
    paint.chartFont = cv->GetFont(CommonVar::Font::Chart);
    paint.toolFont = ToolFont();
    paint.textColor = m_color;
    PaintFigure(dc, m_figure, paint);
    dc->RestoreDC(saved);
}

void CRecRgnLines::HideRubberBand() {
    if (!m_bRubberShown) return;
    m_bRubberShown = false;
    CDC* dc = DrawingDC();
    if (!dc) return;
    CommonVar* cv = GetCommonVar();
    CPen pen(PS_SOLID, 1, cv->m_clrDrawDefault);
    CPen dot(PS_DOT, 1, cv->m_clrDrawDefault);
    const int saved = dc->SaveDC();
    const CRect pane = PaneRect();
    dc->IntersectClipRect(&pane);
    dc->SetROP2(RubberBandRop());
    FigurePaint paint;
    paint.pen = &pen;
    paint.dotPen = &dot;
    paint.erase = true;
    paint.background = cv->GetColor(CommonColor::uniPic_BackGround);
    PaintFigure(dc, m_figure, paint);
    dc->RestoreDC(saved);
}

void CRecRgnLines::BeginPlace(int x, int y, int snapKind) {
    x1 = x2 = x;
    y1 = y2 = y;
    m_nLeftXF = snapKind;
    PixelsToData(1);
    DataToPixels(1);
    x2 = x1;
    y2 = y1;
    m_lRight = m_lLeft;
    m_fBottom = m_fTop;
    ShowRubberBand(0, 1);
}

void CRecRgnLines::DragPlace(int x, int y, int snapKind) {
    HideRubberBand();
    x2 = x;
    y2 = y;
    m_nRightXF = snapKind;
    PixelsToData(2);
    DataToPixels(2);
    ShowRubberBand(0, 1);
}

void CRecRgnLines::EndPlace() {
    HideRubberBand();
    m_rcLabel.SetRectEmpty();
    PixelsToData(2);
    DataToPixels(2);
}

void CRecRgnLines::BuildFigure() {
    DataToPixels(0);
    std::optional<FigureKey> key;
    if (FigureFollowsAnchors()) {
        key = FigureKey{x1, y1, x2, y2, PaneRect(), {}};
        AppendFigureAnchors(key->more);
        if (m_figureKey == key) return;
    }
    m_figureKey.reset();  // unset while rebuilding, should the figure code throw
    m_figure.Clear();
    DrawShape(1, 0);
    m_figureKey = key;
}

void CRecRgnLines::Paint(CDC* dc, int inverted) {
    BuildFigure();
    if (!dc) return;
    const COLORREF color = inverted ? 0xFFFFFF - (m_color & 0xFFFFFF) : m_color;
    CPen pen(m_nLineStyle, m_nLineWidth, color);
    CPen dot(PS_DOT, 1, color);
    const int saved = dc->SaveDC();
    const CRect pane = PaneRect();
    dc->IntersectClipRect(&pane);
    FigurePaint paint;
    paint.pen = &pen;
    paint.dotPen = &dot;
    paint.chartFont = GetCommonVar()->GetFont(CommonVar::Font::Chart);
    paint.toolFont = ToolFont();
    paint.textColor = color;
    PaintFigure(dc, m_figure, paint);
    dc->RestoreDC(saved);
}

bool CRecRgnLines::IsBigEnough() const {
    return std::abs(x2 - x1) > 5 || std::abs(y2 - y1) > 5;
}

void CRecRgnLines::InvertHandle(CDC* dc, int x, int y) {
    RECT sq{x - 2, y - 2, x + 3, y + 3};
    const CRect pane = PaneRect();
    if (dc && RectTouchesRect(sq, pane)) dc->InvertRect(&sq);
}

void CRecRgnLines::PaintHandles(CDC* dc) {
    InvertHandle(dc, x1, y1);
    if (x1 != x2 || y1 != y2) InvertHandle(dc, x2, y2);
}

int CRecRgnLines::HitTest(int x, int y) {
    const CRect pane = PaneRect();
    const CPoint p(x, y);
    RECT a{x1 - 3, y1 - 3, x1 + 3, y1 + 3};
    if (RectTouchesRect(a, pane) && CRect(a).PtInRect(p)) return 1;
    RECT b{x2 - 3, y2 - 3, x2 + 3, y2 + 3};
    if (RectTouchesRect(b, pane) && CRect(b).PtInRect(p)) return 2;
    return HitSegments(x, y) ? 3 : 0;
}

bool CRecRgnLines::HitSegments(int x, int y) {
    constexpr int tol = static_cast<int>(kPickTolerance);
    for (size_t i = 0; i + 1 < m_segments.size(); i += 2) {
        const CPoint& a = m_segments[i];
        const CPoint& b = m_segments[i + 1];
        // A point within the tolerance of a segment lies within its box grown by as much;
        // most segments are ruled out here without a distance.
        if (x < std::min(a.x, b.x) - tol || x > std::max(a.x, b.x) + tol ||
            y < std::min(a.y, b.y) - tol || y > std::max(a.y, b.y) + tol)
            continue;
        if (IsNearSegment(a.x, a.y, b.x, b.y, x, y)) return true;
    }
    return false;
}

int CRecRgnLines::SetAnchor(int x, int y, int which, int ax1, int ay1, int ax2, int ay2, int dx,
                            int dy) {
    if (which == 1) {
        x1 = x;
        y1 = y;
    } else if (which == 2) {
        x2 = x;
        y2 = y;
    } else {
        x1 = ax1 + dx;
        y1 = ay1 + dy;
        x2 = ax2 + dx;
        y2 = ay2 + dy;
    }
    return 1;
}

CRect CRecRgnLines::GetAnchorRect(int, int) {
    return CRect(x1, y1, x2, y2);
}

void CRecRgnLines::DrawSegment(int xa, int ya, int xb, int yb, int pen) {
    m_figure.AddLine(xa, ya, xb, yb, pen);
    m_segments.emplace_back(xa, ya);
    m_segments.emplace_back(xb, yb);
}

void CRecRgnLines::DrawShape(int final, int placing) {
    m_segments.clear();
    DrawSegment(x1, y1, x2, y1);
    DrawSegment(x1, y1, x1, y2);
    DrawSegment(x1, y2, x2, y2);
    DrawSegment(x2, y2, x2, y1);
}

void CRecRgnLines::DrawRay(int xa, int ya, int xb, int yb, int pen, int final, int placing) {
    const CRect pane = PaneRect();
    int ex, ey;
    if (xa == xb) {
        ex = xb;
        ey = pane.bottom;
    } else {
        ex = xb < xa ? pane.left : pane.right;
        ey = static_cast<int>(ya + int64_t(ex - xa) * (yb - ya) / (xb - xa));
    }
    DrawSegment(xa, ya, ex, ey, pen);
    if (!final && placing) DrawValueLabel();
}

void CRecRgnLines::DrawLine(int xa, int ya, int xb, int yb, int pen) {
    if (xa == xb || ya == yb) return;
    const CRect pane = PaneRect();
    auto yAt = [&](int x) { return static_cast<int>(ya + int64_t(x - xa) * (yb - ya) / (xb - xa)); };
    auto xAt = [&](int y) { return static_cast<int>(xa + int64_t(y - ya) * (xb - xa) / (yb - ya)); };
    int lx = pane.left, ly = yAt(pane.left);
    int rx = pane.right, ry = yAt(pane.right);
    if (ly < pane.top) ly = pane.top, lx = xAt(pane.top);
    else if (ly > pane.bottom) ly = pane.bottom, lx = xAt(pane.bottom);
    if (ry < pane.top) ry = pane.top, rx = xAt(pane.top);
    else if (ry > pane.bottom) ry = pane.bottom, rx = xAt(pane.bottom);
    m_figure.AddLine(lx, ly, rx, ry, pen);
}

double CRecRgnLines::PriceAtX(int kind, int x) const {
    if (!m_pOwner || kind < 1 || kind > 4) return 0.0;
    return m_pOwner->GetBarPrice(m_pOwner->XToIndex(x), kind);
}

void CRecRgnLines::SetSnapKind(int which, int kind) {
    if (which == 1) m_nLeftXF = kind;
    else if (which == 2) m_nRightXF = kind;
    else m_nLeftXF = m_nRightXF = 0;
}

void CRecRgnLines::PixelsToData(int which) {
    if (!m_pOwner) return;
    auto value = [&](int x, int y, int snap) {
        if (m_nPaneIndex == 0 && snap >= 1) return PriceAtX(snap, x);
        return m_pOwner->YToValue(m_nPaneIndex, m_strChart, y);
    };
    if (which == 0 || which == 1) {
        m_lLeft = m_pOwner->GetTimeAtX(x1);
        m_fTop = value(x1, y1, m_nLeftXF);
    }
    if (which == 0 || which == 2) {
        m_lRight = m_pOwner->GetTimeAtX(x2);
        m_fBottom = value(x2, y2, m_nRightXF);
    }
}

void CRecRgnLines::DataToPixels(int which) {
    if (!m_pOwner) return;
    if (which == 0 || which == 1) {
        x1 = m_pOwner->TimeToX(m_lLeft);
        y1 = m_pOwner->ValueToY(m_nPaneIndex, m_strChart, m_fTop);
    }
    if (which == 0 || which == 2) {
        x2 = m_pOwner->TimeToX(m_lRight);
        y2 = m_pOwner->ValueToY(m_nPaneIndex, m_strChart, m_fBottom);
    }
}

double CRecRgnLines::CloseAtTime(int64_t timeKey) const {
    return m_pOwner ? m_pOwner->CloseAtTime(timeKey) : 0.0;
}

void CRecRgnLines::DrawValueLabel() {
    if (!m_pOwner) return;
    const int a = m_pOwner->XToIndex(x1);
    const int b = m_pOwner->XToIndex(x2);
    char text[96];
    if (a == b || x1 == x2) {
        std::snprintf(text, sizeof text, "%s", m_fTop < m_fBottom ? "90'" : "270'");
    } else {
        const double perBar = (m_fBottom - m_fTop) / (b - a);
        const int angle = static_cast<int>(std::atan(double(y1 - y2) / double(x2 - x1)) * 180 /
                                           3.1415926);
        std::snprintf(text, sizeof text, "%.03f/D,%d'", perBar, angle);
    }
    const CSize size = MeasureText(text, FigureItem::ChartFont);
    m_rcLabel = CRect(x1 - 2 - size.cx, y1 - 2 - size.cy, x1 - 2, y1 - 2);
    m_figure.AddText(text, m_rcLabel, DT_CENTER | DT_SINGLELINE);
}

int CRecRgnLines::loadFromXml(const tinyxml2::XMLElement* e) {
    // In the order saveToXml writes them: each look-up is then one comparison.
    ToolAttrReader a(e);
    m_strChart = a.Text("strChart");
    m_lLeft = a.Key("lLeft");
    m_lRight = a.Key("lRight");
    m_fTop = a.Number("fTop");
    m_fBottom = a.Number("fBottom");
    m_color = static_cast<COLORREF>(a.Int("color"));
    m_colorBK = static_cast<COLORREF>(a.Int("colorBK"));
    m_nLineStyle = a.Int("linetype");
    m_nLineWidth = a.Int("linewidth");
    m_fTopOriginal = a.Number("fTopOriginal");
    m_fBottomOriginal = a.Number("fBottomOriginal");
    m_nLeftXF = a.Int("iLeftXF");
    m_nRightXF = a.Int("iRightXF");
    return 1;
}

int CRecRgnLines::saveToXml(ToolXmlOut e) const {
    if (!e) return 1;
    e.Text("strChart", m_strChart);
    e.Key("lLeft", m_lLeft);
    e.Key("lRight", m_lRight);
    e.Fixed3("fTop", m_fTop);
    e.Fixed3("fBottom", m_fBottom);
    e.Int("color", static_cast<int>(m_color));
    e.Int("colorBK", static_cast<int>(m_colorBK));
    e.Int("linetype", m_nLineStyle);
    e.Int("linewidth", m_nLineWidth);
    e.Fixed3("fTopOriginal", m_fTopOriginal);
    e.Fixed3("fBottomOriginal", m_fBottomOriginal);
    e.Int("iLeftXF", m_nLeftXF);
    e.Int("iRightXF", m_nRightXF);
    return 1;
}
