#include "windowless/Render.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/Graphics.h"
#include "windowless/ImageAttribute.h"
#include "windowless/PaintManager.h"

namespace WinlessUI {
namespace {

COLORREF ToColorref(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// Selects the bitmap into a memory context for the duration of one draw.
struct BitmapDC {
    CDC dc;
    CBitmap* old = nullptr;
    BitmapDC(CDC* compatible, CBitmap* bmp) {
        dc.CreateCompatibleDC(compatible);
        old = dc.SelectObject(bmp);
    }
    ~BitmapDC() { dc.SelectObject(old); }
};

}  // namespace

// ---------------- clips ----------------

CRenderClip::~CRenderClip() {
    if (hDC != nullptr) {
        if (hadClip)
            hDC->SelectClipRgn(&hOldRgn);
        else
            hDC->SelectClipRgn(nullptr);
    }
}

void CRenderClip::GenerateClip(CDC* dc, RECT rc, CRenderClip& clip) {
    RECT rcClip{0, 0, 0, 0};
    dc->GetClipBox(&rcClip);
    clip.hOldRgn.CreateRectRgnIndirect(&rcClip);
    clip.hadClip = true;
    clip.hRgn.CreateRectRgnIndirect(&rc);
    clip.hRgn.CombineRgn(&clip.hRgn, &clip.hOldRgn, RGN_AND);
    dc->SelectClipRgn(&clip.hRgn);
    clip.hDC = dc;
    clip.rcItem = rc;
}

void CRenderClip::GenerateRoundClip(CDC* dc, RECT rc, RECT rcItem, int width, int height, CRenderClip& clip) {
    RECT rcClip{0, 0, 0, 0};
    dc->GetClipBox(&rcClip);
    clip.hOldRgn.CreateRectRgnIndirect(&rcClip);
    clip.hadClip = true;
    clip.hRgn.CreateRectRgnIndirect(&rc);
    CRgn round;
    round.CreateRoundRectRgn(rcItem.left, rcItem.top, rcItem.right + 1, rcItem.bottom + 1, width, height);
    clip.hRgn.CombineRgn(&clip.hRgn, &round, RGN_AND);
    clip.hRgn.CombineRgn(&clip.hRgn, &clip.hOldRgn, RGN_AND);
    dc->SelectClipRgn(&clip.hRgn);
    clip.hDC = dc;
    clip.rcItem = rc;
}

void CRenderClip::UseOldClipBegin(CDC* dc, CRenderClip& clip) {
    dc->SelectClipRgn(&clip.hOldRgn);
}
void CRenderClip::UseOldClipEnd(CDC* dc, CRenderClip& clip) {
    dc->SelectClipRgn(&clip.hRgn);
}

// ---------------- bitmaps ----------------

std::unique_ptr<CBitmap> CRenderEngine::CreateArgbBitmap(int width, int height, const DWORD* pixels) {
    auto bmp = std::make_unique<CBitmap>();
    if (!bmp->CreateBitmap(width, height, 1, 32, pixels)) return nullptr;
    return bmp;
}

DWORD CRenderEngine::AdjustColor(DWORD colour, short h, short s, short l) {
    if (h == 180 && s == 100 && l == 100) return colour;
    // The lowest byte is taken as red and the third as blue (the order of a GDI colour
    // value), in both directions, so the round trip keeps the bytes where they were.
    double r = (colour & 0xFF) / 255.0, g = ((colour >> 8) & 0xFF) / 255.0, b = ((colour >> 16) & 0xFF) / 255.0;
    double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    double hue = 0, sat = 0, lig = (mx + mn) / 2;
    if (mx != mn) {
        double d = mx - mn;
        sat = lig > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
        if (mx == r)
            hue = (g - b) / d + (g < b ? 6 : 0);
        else if (mx == g)
            hue = (b - r) / d + 2;
        else
            hue = (r - g) / d + 4;
        hue *= 60;
    }
    hue += h - 180;
    if (hue <= 0) hue += 360;
    if (hue >= 360) hue -= 360;
    sat *= s / 100.0;
    lig *= l / 100.0;
    auto hueToRgb = [](double p, double q, double t) {
        if (t < 0) t += 1;
        if (t > 1) t -= 1;
        if (t < 1.0 / 6) return p + (q - p) * 6 * t;
        if (t < 1.0 / 2) return q;
        if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
        return p;
    };
    double rr, gg, bb;
    if (sat == 0) {
        rr = gg = bb = lig;
    } else {
        double q = lig < 0.5 ? lig * (1 + sat) : lig + sat - lig * sat;
        double p = 2 * lig - q;
        double hh = hue / 360;
        rr = hueToRgb(p, q, hh + 1.0 / 3);
        gg = hueToRgb(p, q, hh);
        bb = hueToRgb(p, q, hh - 1.0 / 3);
    }
    auto byte = [](double v) { return DWORD(std::clamp(v * 255, 0.0, 255.0)); };
    return (colour & 0xFF000000) | byte(rr) | (byte(gg) << 8) | (byte(bb) << 16);
}

void CRenderEngine::DrawImage(CDC* dc, CBitmap* bitmap, const RECT& rc, const RECT& rcPaint, const RECT& rcBmpPart,
                              const RECT& rcCorners, bool alpha, BYTE fade, bool hole, bool xtiled,
                              bool ytiled) {
    if (dc == nullptr || bitmap == nullptr || bitmap->IsNull()) return;
    BitmapDC mem(dc, bitmap);
    CDC* src = &mem.dc;
    const bool blend = alpha || fade < 255;
    BLENDFUNCTION bf{AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
    dc->SetStretchBltMode(HALFTONE);
    RECT rcTemp, rcDest;

    // One piece: dest rect d from source (sx, sy, sw, sh), stretched or copied.
    auto piece = [&](const RECT& d, int sx, int sy, int sw, int sh) {
        if (!IntersectRect(&rcTemp, rcPaint, d)) return;
        if (sw <= 0 || sh <= 0) return;
        int dw = d.right - d.left, dh = d.bottom - d.top;
        if (blend)
            dc->AlphaBlend(d.left, d.top, dw, dh, src, sx, sy, sw, sh, bf);
        else if (dw == sw && dh == sh)
            dc->BitBlt(d.left, d.top, dw, dh, src, sx, sy, SRCCOPY);
        else
            dc->StretchBlt(d.left, d.top, dw, dh, src, sx, sy, sw, sh, SRCCOPY);
    };

    if (!blend && rc.right - rc.left == rcBmpPart.right - rcBmpPart.left &&
        rc.bottom - rc.top == rcBmpPart.bottom - rcBmpPart.top && rcCorners.left == 0 && rcCorners.right == 0 &&
        rcCorners.top == 0 && rcCorners.bottom == 0) {
        if (IntersectRect(&rcTemp, rcPaint, rc)) {
            dc->BitBlt(rcTemp.left, rcTemp.top, rcTemp.right - rcTemp.left, rcTemp.bottom - rcTemp.top, src,
                       rcBmpPart.left + rcTemp.left - rc.left, rcBmpPart.top + rcTemp.top - rc.top, SRCCOPY);
        }
        return;
    }

    // middle
    if (!hole) {
        rcDest = {rc.left + rcCorners.left, rc.top + rcCorners.top, rc.right - rcCorners.right,
                  rc.bottom - rcCorners.bottom};
        int sx = rcBmpPart.left + rcCorners.left, sy = rcBmpPart.top + rcCorners.top;
        int sw = rcBmpPart.right - rcBmpPart.left - rcCorners.left - rcCorners.right;
        int sh = rcBmpPart.bottom - rcBmpPart.top - rcCorners.top - rcCorners.bottom;
        if (IntersectRect(&rcTemp, rcPaint, rcDest)) {
            if (!xtiled && !ytiled) {
                piece(rcDest, sx, sy, sw, sh);
            } else if (sw > 0 && sh > 0) {
                // Tiles keep their size; the last one in a row or column is cut, never squeezed.
                int tileW = xtiled ? sw : rcDest.right - rcDest.left;
                int tileH = ytiled ? sh : rcDest.bottom - rcDest.top;
                if (tileW > 0 && tileH > 0) {
                    for (int y = rcDest.top; y < rcDest.bottom; y += tileH) {
                        int h = std::min(tileH, (int)rcDest.bottom - y);
                        for (int x = rcDest.left; x < rcDest.right; x += tileW) {
                            int w = std::min(tileW, (int)rcDest.right - x);
                            RECT d{x, y, x + w, y + h};
                            piece(d, sx, sy, xtiled ? w : sw, ytiled ? h : sh);
                        }
                    }
                }
            }
        }
    }
    const RECT& c = rcCorners;
    const RECT& s = rcBmpPart;
    // corners
    if (c.left > 0 && c.top > 0) piece({rc.left, rc.top, rc.left + c.left, rc.top + c.top}, s.left, s.top, c.left, c.top);
    if (c.right > 0 && c.top > 0)
        piece({rc.right - c.right, rc.top, rc.right, rc.top + c.top}, s.right - c.right, s.top, c.right, c.top);
    if (c.left > 0 && c.bottom > 0)
        piece({rc.left, rc.bottom - c.bottom, rc.left + c.left, rc.bottom}, s.left, s.bottom - c.bottom, c.left,
              c.bottom);
    if (c.right > 0 && c.bottom > 0)
        piece({rc.right - c.right, rc.bottom - c.bottom, rc.right, rc.bottom}, s.right - c.right, s.bottom - c.bottom,
              c.right, c.bottom);
    // edges
    int midSW = s.right - s.left - c.left - c.right, midSH = s.bottom - s.top - c.top - c.bottom;
    if (c.top > 0)
        piece({rc.left + c.left, rc.top, rc.right - c.right, rc.top + c.top}, s.left + c.left, s.top, midSW, c.top);
    if (c.bottom > 0)
        piece({rc.left + c.left, rc.bottom - c.bottom, rc.right - c.right, rc.bottom}, s.left + c.left,
              s.bottom - c.bottom, midSW, c.bottom);
    if (c.left > 0)
        piece({rc.left, rc.top + c.top, rc.left + c.left, rc.bottom - c.bottom}, s.left, s.top + c.top, c.left, midSH);
    if (c.right > 0)
        piece({rc.right - c.right, rc.top + c.top, rc.right, rc.bottom - c.bottom}, s.right - c.right, s.top + c.top,
              c.right, midSH);
}

bool CRenderEngine::DrawImage(CDC* dc, CUIPaintManager* manager, const RECT& rcItem, const RECT& rcPaint,
                              CImageAttribute& image) {
    if (dc == nullptr || manager == nullptr || image.m_sImage.IsEmpty()) return false;
    if (!image.LoadImage(manager) || image.m_imageInfo == nullptr) return false;
    const TImageInfo* info = image.m_imageInfo;
    RECT rcDest = rcItem;
    const RECT& d = image.m_rcDest;
    if (d.left != 0 || d.top != 0 || d.right != 0 || d.bottom != 0) {
        rcDest = {d.left + rcItem.left, d.top + rcItem.top, d.right + rcItem.left, d.bottom + rcItem.top};
        if (rcDest.right > rcItem.right) rcDest.right = rcItem.right;
        if (rcDest.bottom > rcItem.bottom) rcDest.bottom = rcItem.bottom;
    }
    RECT rcTemp;
    if (!IntersectRect(&rcTemp, rcDest, rcItem)) return true;
    if (!IntersectRect(&rcTemp, rcDest, rcPaint)) return true;
    DrawImage(dc, info->hBitmap.get(), rcDest, rcPaint, image.m_rcSource, image.m_rcCorner,
              manager->IsBackgroundTransparent() || info->alphaChannel, image.m_bFade, image.m_bHole,
              image.m_bTiledX, image.m_bTiledY);
    return true;
}

// ---------------- shapes ----------------

void CRenderEngine::DrawColor(CDC* dc, const RECT& rc, DWORD colour) {
    if (dc == nullptr || colour <= 0x00FFFFFF || IsRectEmpty(rc)) return;
    if ((colour >> 24) == 0xFF) {
        // Opaque: a plain fill gives the same pixels without the anti-aliasing machinery.
        dc->FillSolidRect(&rc, ToColorref(colour));
        return;
    }
    CGraphics g(dc);
    g.FillRectangle(colour, (float)rc.left, (float)rc.top, (float)(rc.right - rc.left), (float)(rc.bottom - rc.top));
}

void CRenderEngine::DrawGradient(CDC* dc, const RECT& rc, DWORD first, DWORD second, bool vertical, int steps) {
    if (dc == nullptr || IsRectEmpty(rc)) return;
    int alpha = (int((first >> 24) & 0xFF) + int((second >> 24) & 0xFF)) / 2;
    if (alpha == 0) return;
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    auto fill = [&](CDC* target, int ox, int oy) {
        TRIVERTEX v[2] = {
            {ox, oy, COLOR16(((first >> 16) & 0xFF) << 8), COLOR16(((first >> 8) & 0xFF) << 8),
             COLOR16((first & 0xFF) << 8), 0xFF00},
            {ox + w, oy + h, COLOR16(((second >> 16) & 0xFF) << 8), COLOR16(((second >> 8) & 0xFF) << 8),
             COLOR16((second & 0xFF) << 8), 0xFF00},
        };
        GRADIENT_RECT gr{0, 1};
        target->GradientFill(v, 2, &gr, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
    };
    (void)steps;
    if (alpha < 255) {
        CDC mem;
        mem.CreateCompatibleDC(dc);
        CBitmap bmp;
        bmp.CreateCompatibleBitmap(dc, w, h);
        CBitmap* old = mem.SelectObject(&bmp);
        fill(&mem, 0, 0);
        BLENDFUNCTION bf{AC_SRC_OVER, 0, (BYTE)alpha, 0};
        dc->AlphaBlend(rc.left, rc.top, w, h, &mem, 0, 0, w, h, bf);
        mem.SelectObject(old);
    } else {
        fill(dc, rc.left, rc.top);
    }
}

void CRenderEngine::DrawLine(CDC* dc, const RECT& rc, int size, DWORD colour, int style) {
    if (dc == nullptr || colour <= 0x00FFFFFF) return;
    CGraphics g(dc);
    if (style >= DashStyleSolid && style <= DashStyleDashDotDot) g.SetDashStyle(static_cast<DashStyle>(style));
    g.DrawLine(colour, (float)size, (float)rc.left, (float)rc.top, (float)rc.right, (float)rc.bottom);
}

void CRenderEngine::DrawRect(CDC* dc, const RECT& rc, int size, DWORD colour) {
    if (dc == nullptr || colour <= 0x00FFFFFF || size <= 0) return;
    // An inset pen: the whole stroke lies inside the rectangle.
    float half = size / 2.0f;
    CGraphics g(dc);
    g.DrawRectangle(colour, (float)size, rc.left + half, rc.top + half, rc.right - rc.left - 1 - 2 * half + 1,
                    rc.bottom - rc.top - 1 - 2 * half + 1);
}

void CRenderEngine::DrawRoundRect(CDC* dc, const RECT& rc, int size, int width, int height, DWORD colour) {
    if (dc == nullptr || colour <= 0x00FFFFFF || size <= 0) return;
    float l = (float)rc.left, t = (float)rc.top, r = (float)rc.right, b = (float)rc.bottom;
    float rw = (float)width, rh = (float)height;
    CGraphicsPath path;
    path.AddLine(l, b - rh, l, t + rh);
    path.AddArc(l, t, 2 * rw, 2 * rh, 180, 90);
    path.AddLine(l + rw, t, r - rw, t);
    path.AddArc(r - 2 * rw - 1, t, 2 * rw, 2 * rh, 270, 90);
    path.AddLine(r - 1, t + rh, r - 1, b - rh);
    path.AddArc(r - 2 * rw - 1, b - 2 * rh - 1, 2 * rw, 2 * rh, 0, 90);
    path.AddLine(r - rw, b - 1, l + rw, b - 1);
    path.AddArc(l, b - 2 * rh - 1, 2 * rw, 2 * rh, 90, 90);
    path.CloseFigure();
    CGraphics g(dc);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    g.DrawPath(colour, (float)size, path);
}

void CRenderEngine::DrawText(CDC* dc, CUIPaintManager* manager, RECT& rc, const char* text, DWORD colour, int font,
                             UINT style) {
    if (dc == nullptr || manager == nullptr || text == nullptr || *text == '\0') return;
    CFont* hFont = manager->GetFont(font);
    if (manager->IsBackgroundTransparent() || manager->IsUseGdiplusText()) {
        LOGFONT lf;
        if (hFont) hFont->GetLogFont(&lf);
        CGraphics g(dc);
        if (style & DT_CALCRECT) {
            RectF m = g.MeasureString(text, lf);
            rc.bottom = rc.top + (LONG)m.Height + 1;
            rc.right = rc.left + (LONG)m.Width + 1;
            return;
        }
        StringAlignment ha = (style & DT_CENTER) ? StringAlignmentCenter
                             : (style & DT_RIGHT) ? StringAlignmentFar
                                                  : StringAlignmentNear;
        StringAlignment va = (style & DT_VCENTER) ? StringAlignmentCenter
                             : (style & DT_BOTTOM) ? StringAlignmentFar
                                                   : StringAlignmentNear;
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        g.DrawString(text, lf, (colour & 0x00FFFFFF) | 0xFE000000,
                     RectF{(float)rc.left, (float)rc.top, (float)(rc.right - rc.left), (float)(rc.bottom - rc.top)}, ha,
                     va);
        return;
    }
    // Selecting a font or a mode the context already has is not free: a run of texts in one
    // font (a list's cells) selects it once.
    const int oldMode = dc->GetBkMode();
    if (oldMode != TRANSPARENT) dc->SetBkMode(TRANSPARENT);
    COLORREF oldColour = dc->SetTextColor(ToColorref(colour));
    const bool swapFont = hFont != nullptr && dc->GetCurrentFont() != hFont;
    CFont* oldFont = swapFont ? dc->SelectObject(hFont) : nullptr;
    dc->DrawText(text, &rc, style | DT_NOPREFIX);
    if (swapFont) dc->SelectObject(oldFont);
    dc->SetTextColor(oldColour);
    if (oldMode != TRANSPARENT) dc->SetBkMode(oldMode);
}

std::u16string CRenderEngine::WideFromMultiByte(const char* text) {
    std::u16string out;
    if (text == nullptr) return out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        unsigned cp;
        int extra;
        if (*p < 0x80) cp = *p, extra = 0;
        else if ((*p & 0xE0) == 0xC0) cp = *p & 0x1F, extra = 1;
        else if ((*p & 0xF0) == 0xE0) cp = *p & 0x0F, extra = 2;
        else if ((*p & 0xF8) == 0xF0) cp = *p & 0x07, extra = 3;
        else cp = 0xFFFD, extra = 0;
        ++p;
        for (int i = 0; i < extra; ++i) {
            if ((*p & 0xC0) != 0x80) {
                cp = 0xFFFD;
                break;
            }
            cp = (cp << 6) | (*p++ & 0x3F);
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}

}  // namespace WinlessUI
