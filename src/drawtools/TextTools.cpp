#include "drawtools/TextTools.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "drawtools/DrawGeometry.h"
#include "foundation/XmlAttr.h"
#include "ui/CommonVar.h"

#ifndef DT_EDITCONTROL
#define DT_EDITCONTROL 0x00002000
#endif

void CPointAssistor::PaintHandles(CDC* dc) {
    InvertHandle(dc, x2, y2);
}

// ---- text tool ----

CTextAssistor::CTextAssistor() {
    SetFont(14, "宋体", 400, false);
}

void CTextAssistor::SetFont(int height, const std::string& face, int weight, bool italic) {
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic ? 1 : 0;
    lf.lfCharSet = 134;
    lf.lfOutPrecision = 3;
    lf.lfClipPrecision = 2;
    lf.lfQuality = 1;
    lf.lfPitchAndFamily = 2;
    lf.lfFaceName = face.empty() ? "宋体" : face;
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&lf);
    m_nFontHeight = height;
}

std::shared_ptr<CRecRgnLines> CTextAssistor::Clone() const {
    auto copy = std::make_shared<CTextAssistor>();
    CopyBaseTo(*copy);
    copy->m_strText = m_strText;
    copy->SetFont(m_nFontHeight, m_font.m_lf.lfFaceName, m_font.m_lf.lfWeight,
                  m_font.m_lf.lfItalic != 0);
    return copy;
}

std::vector<std::string> CTextAssistor::SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        const size_t nl = text.find('\n', start);
        if (nl == std::string::npos) {
            if (start < text.size()) lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    return lines;
}

CSize CTextAssistor::TextBoxSize(const std::vector<CSize>& extents) {
    CSize box;
    for (const CSize& e : extents) {
        box.cx = std::max<LONG>(box.cx, std::min<LONG>(e.cx, kWrapWidth));
        box.cy += e.cx < kWrapWidth ? e.cy : (e.cx / kWrapWidth + 1) * e.cy;
    }
    return box;
}

void CTextAssistor::DrawShape(int final, int placing) {
    const int lineHeight = MeasureText("国", FigureItem::ToolFont).cy;
    std::vector<CSize> extents;
    for (const std::string& line : SplitLines(m_strText)) {
        CSize e = line.empty() ? CSize(0, lineHeight) : MeasureText(line, FigureItem::ToolFont);
        if (e.cy <= 0) e.cy = lineHeight;
        extents.push_back(e);
    }
    const CSize box = TextBoxSize(extents);
    m_rcText = CRect(x2, y2 - box.cy, x2 + box.cx, y2);
    m_leaderStart = CPoint(x1, y1);
    m_leaderEnd = CPoint(m_rcText.right < x1 ? m_rcText.right : m_rcText.left,
                         y1 < m_rcText.bottom ? m_rcText.top : m_rcText.bottom);
    m_figure.AddLine(x1, y1, m_leaderEnd.x, m_leaderEnd.y);
    RECT mark{x1 - 2, y1 - 2, x1 + 3, y1 + 3};
    if (RectTouchesRect(mark, PaneRect())) m_figure.AddInvert(mark);
    if (final) {
        m_figure.AddFill(m_rcText, m_colorBK);
        m_figure.AddText(m_strText, m_rcText, DT_WORDBREAK | DT_BOTTOM | DT_EDITCONTROL,
                         FigureItem::ToolFont);
    } else {
        m_figure.AddOutline(m_rcText);
    }
}

int CTextAssistor::HitTest(int x, int y) {
    const CRect pane = PaneRect();
    const CPoint p(x, y);
    RECT a{x1 - 3, y1 - 3, x1 + 3, y1 + 3};
    if (RectTouchesRect(a, pane) && CRect(a).PtInRect(p)) return 1;
    RECT b{m_rcText.left - 3, m_rcText.bottom - 3, m_rcText.left + 3, m_rcText.bottom + 3};
    if (RectTouchesRect(b, pane) && CRect(b).PtInRect(p)) return 2;
    return m_rcText.PtInRect(p) ? 3 : 0;
}

bool CTextAssistor::HitSegments(int x, int y) {
    return IsNearSegment(m_leaderStart.x, m_leaderStart.y, m_leaderEnd.x, m_leaderEnd.y, x, y) ||
           m_rcText.PtInRect(CPoint(x, y));
}

int CTextAssistor::loadFromXml(const tinyxml2::XMLElement* e) {
    CRecRgnLines::loadFromXml(e);
    m_strText = GetXmlAttrString(e, "TextContent");
    int height = GetXmlAttrInt(e, "FontH");
    if (height == 0) height = 14;
    // Face, weight and italic are ours: older files without them get the default font.
    std::string face = GetXmlAttrString(e, "FontFace");
    int weight = GetXmlAttrInt(e, "FontWeight");
    if (weight <= 0 || weight > 1000) weight = 400;
    const bool italic = GetXmlAttrInt(e, "FontItalic") != 0;
    SetFont(height, face, weight, italic);
    return 1;
}

int CTextAssistor::saveToXml(ToolXmlOut e) const {
    if (!e) return 1;
    CRecRgnLines::saveToXml(e);
    e.Text("TextContent", m_strText);
    e.Int("FontH", m_font.m_created ? m_nFontHeight : 18);
    e.Text("FontFace", m_font.m_lf.lfFaceName);
    e.Int("FontWeight", static_cast<int>(m_font.m_lf.lfWeight));
    e.Int("FontItalic", m_font.m_lf.lfItalic ? 1 : 0);
    return 1;
}

// ---- symbol tool ----

namespace {

const char* const kSymbols[40] = {
    "Ⅰ", "Ⅱ", "Ⅲ", "Ⅳ", "Ⅴ", "Ⅵ", "Ⅶ", "Ⅷ", "Ⅸ", "Ⅹ", "①", "②", "③", "④",
    "⑤", "⑥", "⑦", "⑧", "⑨", "⑩", "■", "□", "▲", "△", "▼", "▽", "◆", "◇",
    "●", "○", "★", "☆", "←", "→", "↓", "↑", "↗", "↖", "↙", "↘",
};

}  // namespace

std::string CBMPPaster::SymbolText(int variant) {
    return variant >= 0 && variant < 40 ? kSymbols[variant] : std::string();
}

std::shared_ptr<CRecRgnLines> CBMPPaster::Clone() const {
    auto copy = std::make_shared<CBMPPaster>(m_nVariant);
    CopyBaseTo(*copy);
    return copy;
}

int CBMPPaster::ArrowSize() const {
    return m_pOwner ? static_cast<int>(m_pOwner->GetBarWidth() + 0.5) : 0;
}

void CBMPPaster::DrawShape(int final, int placing) {
    m_segments.clear();
    const int e = ArrowSize();
    const double h = e / 2;
    CommonVar* cv = GetCommonVar();
    if (m_nVariant == kDownArrow) {
        m_figure.AddTradeArrow(-1, x2, y2 - e, h, cv->GetColor(CommonColor::uniPic_Fall));
    } else if (m_nVariant == kUpArrow) {
        m_figure.AddTradeArrow(1, x2, y2, h, cv->GetColor(CommonColor::uniPic_Rise));
    } else if (m_nVariant == kPriceTag) {
        if (!final) return;
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", m_fBottom);
        m_figure.AddFill(CRect(x2 - 2, y2 - 2, x2 + 2, y2 + 2), kPriceTagColor);
        const CSize size = MeasureText(text, FigureItem::PriceTagFont);
        const CRect pane = PaneRect();
        int left = x2 - size.cx - 24;
        if (left < pane.left) left = x2 + 20;
        int top = y2 - size.cy - 28;
        if (top < pane.top) top = y2 + 24;
        const CRect box(left, top, left + size.cx + 4, top + size.cy + 4);
        const CPoint c = box.CenterPoint();
        m_figure.AddLine(c.x, c.y, x2, y2, FigureItem::SolidPen, kPriceTagColor);
        m_segments.emplace_back(c.x, c.y);
        m_segments.emplace_back(x2, y2);
        m_figure.AddFill(box, kPriceTagColor);
        const CPoint corners[5] = {{box.left, box.top}, {box.right, box.top},
                                   {box.right, box.bottom}, {box.left, box.bottom},
                                   {box.left, box.top}};
        for (int i = 0; i < 4; ++i) {
            m_segments.push_back(corners[i]);
            m_segments.push_back(corners[i + 1]);
        }
        m_figure.AddText(text, box, DT_CENTER | DT_VCENTER | DT_SINGLELINE,
                         FigureItem::PriceTagFont, RGB(0, 0, 0));
    } else if (m_nVariant >= 0 && m_nVariant < 40) {
        if (!final) return;
        const std::string s = SymbolText(m_nVariant);
        const CSize size = MeasureText(s, FigureItem::SymbolFont);
        m_figure.AddText(s, CRect(x2, y2 - size.cy - 1, x2 + size.cx + 1, y2),
                         DT_CENTER | DT_SINGLELINE, FigureItem::SymbolFont);
    }
}

int CBMPPaster::HitTest(int x, int y) {
    RECT sq{x2 - 2, y2 - 2, x2 + 2, y2 + 2};
    if (RectTouchesRect(sq, PaneRect()) && CRect(sq).PtInRect(CPoint(x, y))) return 2;
    return HitSegments(x, y) ? 3 : 0;
}

bool CBMPPaster::HitSegments(int x, int y) {
    if (m_nVariant == kPriceTag) return CRecRgnLines::HitSegments(x, y);
    const int e = ArrowSize();
    const CPoint p(x, y);
    // The arrow areas follow the arrows as drawn: the down arrow above the point, the up
    // arrow below it.
    if (m_nVariant == kDownArrow)
        return CRect(x2 - (e + 1) / 2, y2 - e, x2 + (e + 1) / 2, y2).PtInRect(p);
    if (m_nVariant == kUpArrow)
        return CRect(x2 - (e + 1) / 2, y2, x2 + (e + 1) / 2, y2 + e).PtInRect(p);
    return CRect(x2 - 10, y2 - 10, x2 + 10, y2 + 10).PtInRect(p);
}

int CBMPPaster::loadFromXml(const tinyxml2::XMLElement* e) {
    CRecRgnLines::loadFromXml(e);
    if (e && e->Attribute("BMP")) m_nVariant = GetXmlAttrInt(e, "BMP");
    return 1;
}

int CBMPPaster::saveToXml(ToolXmlOut e) const {
    if (!e) return 1;
    CRecRgnLines::saveToXml(e);
    e.Int("BMP", m_nVariant);
    return 1;
}
