#include "drawtools/ToolFigure.h"

#include <algorithm>
#include <vector>

#include "ui/CommonVar.h"
#include "ui/draw/DrawHelpers.h"

void CToolFigure::AddLine(int xa, int ya, int xb, int yb, int pen, COLORREF color) {
    FigureItem& it = items.emplace_back();  // made in place: figures hold thousands
    it.kind = FigureItem::Line;
    it.a = CPoint(xa, ya);
    it.b = CPoint(xb, yb);
    it.pen = pen;
    it.color = color;
}

void CToolFigure::AddOutline(const RECT& rc, int pen) {
    FigureItem& it = items.emplace_back();
    it.kind = FigureItem::Outline;
    it.rect = rc;
    it.pen = pen;
}

void CToolFigure::AddFill(const RECT& rc, COLORREF color) {
    FigureItem& it = items.emplace_back();
    it.kind = FigureItem::Fill;
    it.rect = rc;
    it.color = color;
}

void CToolFigure::AddInvert(const RECT& rc) {
    FigureItem& it = items.emplace_back();
    it.kind = FigureItem::Invert;
    it.rect = rc;
}

void CToolFigure::AddText(const std::string& text, const RECT& rc, UINT format, int font,
                          COLORREF color) {
    FigureItem& it = items.emplace_back();
    it.kind = FigureItem::Text;
    it.text = text;
    it.rect = rc;
    it.format = format;
    it.font = font;
    it.color = color;
}

void CToolFigure::AddTradeArrow(int kind, int x, int y, double scale, COLORREF color) {
    FigureItem& it = items.emplace_back();
    it.kind = FigureItem::TradeArrow;
    it.arrowKind = kind;
    it.a = CPoint(x, y);
    it.scale = scale;
    it.color = color;
}

void CToolFigure::AddArc(const RECT& rc, int xs, int ys, int xe, int ye, int pen) {
    FigureItem& it = items.emplace_back();
    it.kind = FigureItem::Arc;
    it.rect = rc;
    it.rect.NormalizeRect();
    it.a = CPoint(xs, ys);
    it.b = CPoint(xe, ye);
    it.pen = pen;
}

int CToolFigure::Count(FigureItem::Kind kind) const {
    int n = 0;
    for (const FigureItem& it : items) n += it.kind == kind;
    return n;
}

const FigureItem* CToolFigure::FindText(const std::string& text) const {
    for (const FigureItem& it : items)
        if (it.kind == FigureItem::Text && it.text == text) return &it;
    return nullptr;
}

namespace {

CFont* FigureFont(const FigureItem& it, const FigurePaint& paint) {
    CommonVar* cv = GetCommonVar();
    switch (it.font) {
    case FigureItem::ToolFont:
        return paint.toolFont ? paint.toolFont : paint.chartFont;
    case FigureItem::SymbolFont:
        return cv->GetFont(CommonVar::Font::Symbol);
    case FigureItem::PriceTagFont:
        return cv->GetFont(CommonVar::Font::PriceTag);
    default:
        return paint.chartFont ? paint.chartFont : cv->GetFont(CommonVar::Font::Chart);
    }
}

}  // namespace

void PaintFigure(CDC* dc, const CToolFigure& figure, const FigurePaint& paint) {
    if (!dc) return;
    CBrush hollow;
    hollow.CreateStockNull();
    // Pens and text state stay selected from one item to the next while they do not
    // change: figures of many lines or labels select them once.
    CPen* selectedPen = nullptr;
    CPen* oldPen = nullptr;
    CFont* selectedFont = nullptr;
    CFont* oldFont = nullptr;
    COLORREF textColor = CLR_INVALID, oldColor = CLR_INVALID;
    int oldMode = -1;
    // What lies wholly outside the clip shows nothing (a text is clipped to its own
    // rectangle); lines keep a margin for wide pens.
    CRect clip;
    const bool clipped = dc->GetClipBox(&clip) != ERROR;
    auto outside = [&](int l, int t, int r, int b, int margin) {
        return clipped && (std::max(l, r) + margin < clip.left || std::min(l, r) - margin > clip.right ||
                           std::max(t, b) + margin < clip.top || std::min(t, b) - margin > clip.bottom);
    };
    auto selectPen = [&](CPen* pen) {
        if (pen && pen != selectedPen) {
            CPen* previous = dc->SelectObject(pen);
            if (!selectedPen) oldPen = previous;
            selectedPen = pen;
        }
    };
    // Lines in a row with one pen go to the DC together: figures are mostly many lines
    // (levels, fans, curves of short steps), and one call for them all saves a call per line.
    std::vector<POINT> run;
    CPen* runPen = nullptr;
    auto flushRun = [&] {
        if (run.empty()) return;
        selectPen(runPen);
        dc->DrawSegments(run.data(), int(run.size() / 2));
        dc->MoveTo(run.back().x, run.back().y);
        run.clear();
    };
    for (const FigureItem& it : figure.items) {
        if (it.kind == FigureItem::Line && outside(it.a.x, it.a.y, it.b.x, it.b.y, 32)) continue;
        if (it.kind == FigureItem::Line && it.pen != FigureItem::SolidPen) {
            CPen* pen = it.pen == FigureItem::DottedPen ? paint.dotPen : paint.pen;
            if (pen != runPen) flushRun();
            runPen = pen;
            run.push_back(POINT{it.a.x, it.a.y});
            run.push_back(POINT{it.b.x, it.b.y});
            continue;
        }
        flushRun();
        if ((it.kind == FigureItem::Arc || it.kind == FigureItem::Outline) &&
            outside(it.rect.left, it.rect.top, it.rect.right, it.rect.bottom, 32))
            continue;
        if (it.kind == FigureItem::Text && !(it.format & DT_NOCLIP) &&
            (it.rect.right <= it.rect.left || it.rect.bottom <= it.rect.top ||
             outside(it.rect.left, it.rect.top, it.rect.right, it.rect.bottom, 0)))
            continue;
        switch (it.kind) {
        case FigureItem::Line:
        case FigureItem::Arc:
        case FigureItem::Outline: {
            auto draw = [&] {
                if (it.kind == FigureItem::Line) {
                    dc->MoveTo(it.a.x, it.a.y);
                    dc->LineTo(it.b.x, it.b.y);
                } else if (it.kind == FigureItem::Arc) {
                    dc->Arc(it.rect.left, it.rect.top, it.rect.right, it.rect.bottom, it.a.x,
                            it.a.y, it.b.x, it.b.y);
                } else {
                    CBrush* oldBrush = dc->SelectObject(&hollow);
                    dc->Rectangle(&it.rect);
                    dc->SelectObject(oldBrush);
                }
            };
            if (it.pen == FigureItem::SolidPen) {  // a pen of this item alone
                CPen solid(PS_SOLID, 1, it.color);
                CPen* previous = dc->SelectObject(&solid);
                draw();
                if (previous) dc->SelectObject(previous);
                break;
            }
            selectPen(it.pen == FigureItem::DottedPen ? paint.dotPen : paint.pen);
            draw();
            break;
        }
        case FigureItem::Fill:
            if (!paint.erase) dc->FillSolidRect(&it.rect, it.color);
            break;
        case FigureItem::Invert:
            dc->InvertRect(&it.rect);
            break;
        case FigureItem::Text: {
            CRect rc = it.rect;
            if (paint.erase) {
                dc->FillSolidRect(&rc, paint.background);
                break;
            }
            CFont* font = FigureFont(it, paint);
            if (font && font != selectedFont) {
                CFont* previous = dc->SelectObject(font);
                if (!selectedFont) oldFont = previous;
                selectedFont = font;
            }
            const COLORREF color = it.color == CLR_INVALID ? paint.textColor : it.color;
            if (color != textColor) {
                const COLORREF previous = dc->SetTextColor(color);
                if (textColor == CLR_INVALID) oldColor = previous;
                textColor = color;
            }
            if (oldMode < 0) oldMode = dc->SetBkMode(TRANSPARENT);
            dc->DrawText(it.text, &rc, it.format);
            break;
        }
        case FigureItem::TradeArrow:
            if (!paint.erase)
                DrawTradeArrow(it.arrowKind, it.a.x, it.a.y, it.scale, it.scale, it.color, dc);
            break;
        }
    }
    flushRun();
    if (oldMode >= 0) dc->SetBkMode(oldMode);
    if (textColor != CLR_INVALID) dc->SetTextColor(oldColor);
    if (oldFont) dc->SelectObject(oldFont);
    if (oldPen) dc->SelectObject(oldPen);
}
