#include "ui/draw/DrawHelpers.h"

#include <cmath>
#include <memory>
#include <sstream>
#include <vector>

#include "platform/Resource.h"
#include "platform/Wnd.h"

namespace {
bool g_transparencyOn = false;
COLORREF g_transparencyKey = 0;

// Selects a pen and optionally a brush for the duration of one helper call.
class SelectGuard {
public:
    SelectGuard(CDC* dc, CPen* pen, CBrush* brush) : m_dc(dc) {
        m_oldPen = dc->SelectObject(pen);
        if (brush) m_oldBrush = dc->SelectObject(brush);
    }
    ~SelectGuard() {
        if (m_oldPen) m_dc->SelectObject(m_oldPen);
        if (m_oldBrush) m_dc->SelectObject(m_oldBrush);
    }

private:
    CDC* m_dc;
    CPen* m_oldPen = nullptr;
    CBrush* m_oldBrush = nullptr;
};

TRIVERTEX Vertex(LONG x, LONG y, COLORREF c) {
    return TRIVERTEX{
        x, y, COLOR16(GetRValue(c) << 8), COLOR16(GetGValue(c) << 8), COLOR16(GetBValue(c) << 8),
        0};
}
}  // namespace

void DrawTriangleLines(CDC* dc, COLORREF color, int kind, int size, const RECT& rect) {
    if (!dc || (kind != 1 && kind != 3 && kind != 4)) return;
    CPen pen(PS_SOLID, 1, color);
    SelectGuard guard(dc, &pen, nullptr);
    const int cx = (rect.left + rect.right) / 2;
    const int cy = (rect.top + rect.bottom) / 2;
    for (int k = 0; k < size; ++k) {
        if (kind == 1) {
            int y = cy + size / 2 - k;
            dc->MoveTo(cx - k, y);
            dc->LineTo(cx + k + 1, y);
        } else {
            int x = kind == 3 ? cx - size / 2 + k : cx + size / 2 - k;
            dc->MoveTo(x, cy - k);
            dc->LineTo(x, cy + k + 1);
        }
    }
}

void DrawTriangleAA(COLORREF color, CDC* dc, int size, const RECT& rect) {
    if (!dc || size <= 0) return;
    CGraphics g(dc);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    const float cx = float((rect.left + rect.right) / 2);
    const float cy = float((rect.top + rect.bottom) / 2);
    CGraphicsPath path;
    for (int k = 0; k < size; ++k) {
        float y = cy + float(size / 2 - k);
        path.StartFigure();
        path.AddLine(cx - k, y, cx + k, y);
    }
    g.DrawPath(ArgbFromColorref(color), 1.0f, path);
    g.SetSmoothingMode(SmoothingModeHighSpeed);
}

void DrawDashedLine(CDC* dc, int gap, int dash, int x1, int y1, int x2, int y2) {
    if (!dc || dash <= 0 || gap < 0) return;
    const int step = gap + dash;
    if (x1 == x2 && y1 < y2) {
        for (int y = y1; y < y2; y += step) {
            dc->MoveTo(x1, y);
            dc->LineTo(x1, std::min(y + dash, y2));
        }
    } else if (y1 == y2 && x1 < x2) {
        for (int x = x1; x < x2; x += step) {
            dc->MoveTo(x, y1);
            dc->LineTo(std::min(x + dash, x2), y1);
        }
    }
}

void DrawEllipseAA(COLORREF color, CDC* dc, int x, int y, int width, int height) {
    if (!dc) return;
    CGraphics g(dc);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    ARGB c = ArgbFromColorref(color);
    g.DrawEllipse(c, 1.0f, (float)x, (float)y, (float)width, (float)height);
    g.FillEllipse(c, (float)x, (float)y, (float)width, (float)height);
}

void FillRightTriangle(COLORREF color, CDC* dc, int left, int top, int right, int bottom) {
    if (!dc) return;
    const int my = (top + bottom) >> 1;
    const int half = right - left;
    POINT pts[3] = {{right, my}, {left, my - half}, {left, my + half}};
    CPen pen(PS_SOLID, 1, color);
    CBrush brush(color);
    SelectGuard guard(dc, &pen, &brush);
    dc->Polygon(pts, 3);
}

void DrawTradeArrow(int kind, int x, int y, double xScale, double yScale, COLORREF color, CDC* dc) {
    if (!dc) return;
    const bool hollow = kind > 1;
    const int k = hollow ? kind - 10 : kind;
    static const POINT up[7] = {{0, 0}, {-3, 3}, {-1, 3}, {-1, 6}, {1, 6}, {1, 3}, {3, 3}};
    static const POINT down[7] = {{0, 6}, {3, 3}, {1, 3}, {1, 0}, {-1, 0}, {-1, 3}, {-3, 3}};
    static const POINT diamond[4] = {{0, 0}, {-3, 3}, {0, 6}, {3, 3}};
    const POINT* shape = k == 1 ? up : k == 0 ? diamond : down;
    const int n = k == 0 ? 4 : 7;
    if (k > 1) return;
    const double sx = std::max(xScale / 3.0, 1.0);
    const double sy = std::max(yScale / 3.0, 1.0);
    POINT pts[7];
    for (int i = 0; i < n; ++i)
        pts[i] = POINT{x + (int)std::trunc(sx * shape[i].x), y + (int)std::trunc(sy * shape[i].y)};
    CPen pen(PS_SOLID, 1, color);
    CBrush solid(color);
    CBrush none;
    none.CreateStockNull();
    SelectGuard guard(dc, &pen, hollow ? &none : &solid);
    int oldMode = dc->SetPolyFillMode(ALTERNATE);
    dc->Polygon(pts, n);
    dc->SetPolyFillMode(oldMode);
}

void FillChevronAA(CDC* dc, int direction, int x1, int y1, int x2, int y2) {
    if (!dc || (direction != 0 && direction != 1)) return;
    const float mx = float((x1 + x2) / 2);
    PointF pts[6];
    if (direction == 0) {
        PointF p[6] = {{mx, (float)y1},     {(float)x1, float(y2 - 4)}, {float(x1 + 4), (float)y2},
                       {mx, float(y1 + 5)}, {float(x2 - 4), (float)y2}, {(float)x2, float(y2 - 4)}};
        std::copy(p, p + 6, pts);
    } else {
        PointF p[6] = {{mx, (float)y2},     {(float)x1, float(y1 + 4)}, {float(x1 + 4), (float)y1},
                       {mx, float(y2 - 5)}, {float(x2 - 4), (float)y1}, {(float)x2, float(y1 + 4)}};
        std::copy(p, p + 6, pts);
    }
    CGraphics g(dc);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    g.FillPolygon(0xFF86ABCA, pts, 6, FillModeAlternate);
}

void DrawRoundRectAA(CGraphics* g, ARGB c, int x, int y, int w, int h) {
    if (!g) return;
    const float fx = (float)x, fy = (float)y, fw = (float)w, fh = (float)h;
    g->DrawLine(c, 1.0f, fx + 2, fy, fx + fw - 2, fy);
    g->DrawLine(c, 1.0f, fx + fw, fy + 2, fx + fw, fy + fh - 2);
    g->DrawLine(c, 1.0f, fx + 2, fy + fh, fx + fw - 2, fy + fh);
    g->DrawLine(c, 1.0f, fx, fy + 2, fx, fy + fh - 2);
    g->DrawArc(c, 1.0f, fx, fy, 4, 4, 180, 90);
    g->DrawArc(c, 1.0f, fx + fw - 4, fy, 4, 4, 270, 90);
    g->DrawArc(c, 1.0f, fx + fw - 4, fy + fh - 4, 4, 4, 0, 90);
    g->DrawArc(c, 1.0f, fx, fy + fh - 4, 4, 4, 90, 90);
}

void FillRoundRectAA(CGraphics* g, ARGB c, int x, int y, int w, int h) {
    if (!g) return;
    const float fx = (float)x, fy = (float)y, fw = (float)w, fh = (float)h;
    g->FillRectangle(c, fx, fy + 2, fw, fh - 4);
    g->FillRectangle(c, fx + 2, fy, fw - 4, fh);
    g->FillPie(c, fx, fy, 6, 6, 180, 90);
    g->FillPie(c, fx + fw - 6, fy, 6, 6, 270, 90);
    g->FillPie(c, fx + fw - 6, fy + fh - 6, 6, 6, 0, 90);
    g->FillPie(c, fx, fy + fh - 6, 6, 6, 90, 90);
}

void FillGradient(COLORREF endColor, const RECT& rect, CDC* dc, COLORREF startColor,
                  int direction) {
    if (!dc) return;
    if (endColor == startColor) {
        CRect r(rect);
        dc->FillSolidRect(&r, startColor);
        return;
    }
    TRIVERTEX v[2] = {Vertex(rect.left, rect.top, startColor),
                      Vertex(rect.right, rect.bottom, endColor)};
    GRADIENT_RECT g{0, 1};
    dc->GradientFill(v, 2, &g, 1, direction == 1 ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V);
}

void FillGradient3(CDC* dc, COLORREF a, const RECT& rect, COLORREF b) {
    if (!dc) return;
    const LONG third = (rect.right + 2 * rect.left) / 3;
    TRIVERTEX v[4] = {Vertex(rect.left, rect.top, a), Vertex(third, rect.bottom, b),
                      Vertex(third, rect.top, b), Vertex(rect.right, rect.bottom, a)};
    GRADIENT_RECT g[2] = {{0, 1}, {2, 3}};
    dc->GradientFill(v, 4, g, 2, GRADIENT_FILL_RECT_H);
}

// One character is one code point here (the text is UTF-8); the classic form stepped
// two bytes at a time, which split every ASCII pair into one cell.
void DrawWrappedChars(const std::string& text, RECT& rect, CDC* dc) {
    if (!dc || text.empty()) return;
    const int lineH = dc->GetTextExtent("国").cy + 17;
    int x = rect.left, y = rect.top;
    int lastBottom = -1;
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = (unsigned char)text[i];
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        n = std::min(n, text.size() - i);
        std::string ch = text.substr(i, n);
        i += n;
        const int w = dc->GetTextExtent(ch).cx;
        if (x + w > rect.right && x > rect.left) {
            x = rect.left;
            y += lineH;
        }
        if (y + lineH > rect.bottom) break;
        CRect cell(x, y, x + w, y + lineH);
        dc->DrawText(ch, &cell, DT_SINGLELINE | DT_NOPREFIX);
        lastBottom = y + lineH;
        x += w;
    }
    if (lastBottom >= 0) rect.top = lastBottom;
}

void SetWindowTransparencyOptions(bool enabled, COLORREF colorKey) {
    g_transparencyOn = enabled;
    g_transparencyKey = colorKey;
}

void ApplyWindowTransparency(HWND hwnd) {
    if (!g_transparencyOn) return;
    CWnd* w = CWnd::FromHandle(hwnd);
    if (!w) return;
    const bool layered = w->GetExStyle() & WS_EX_LAYERED;
    if (layered)
        w->ModifyStyleEx(WS_EX_LAYERED, 0);
    else
        w->ModifyStyleEx(0, WS_EX_LAYERED);
    w->SetLayeredWindowAttributes(g_transparencyKey, 242, LWA_COLORKEY | LWA_ALPHA);
}

CImage* LoadImageResource(UINT id, int kind) {
    const char* type = kind == 0 ? "PNG" : kind == 1 ? "TIF" : "";
    if (!*type) return nullptr;
    auto img = std::make_unique<CImage>();
    if (!img->LoadResource(type, id)) return nullptr;
    return img.release();
}

bool LoadToolBarImages(CSkinMenuIcons* toolbar) {
    if (!toolbar) return false;
    std::vector<unsigned char> bytes;
    if (!platform::LoadResourceBytes("TOOLBAR", 49998, bytes)) return false;
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    int w = 0, h = 0;
    if (!(in >> w >> h) || w <= 0 || h <= 0 || w > 256 || h > 256) return false;
    std::vector<UINT> ids;
    long id;
    while (in >> id && ids.size() < 4096)
        if (id != 0) ids.push_back((UINT)id);
    return toolbar->LoadBitmap(49998, ids, w, h, RGB(0, 0, 255));
}

void LoadImageList(CImageList& list, UINT bitmapId, int cx, int cy) {
    list.Create(cx, cy, ILC_COLORDDB, 0, 10);
    CBitmap bmp;
    if (bmp.LoadBitmap(bitmapId)) list.Add(&bmp, (CBitmap*)nullptr);
}

void LoadMaskedImageList(CImageList& list, int cx, int cy) {
    list.Create(cx, cy, ILC_COLOR32 | ILC_MASK, 0, 0);
    CBitmap bmp;
    if (bmp.LoadBitmap(199)) list.Add(&bmp, RGB(0, 0, 255));
}
