#include "chart/PriceMarks.h"

#include "ui/draw/DrawHelpers.h"

namespace chart {
namespace {

bool IsBarChart(int16_t type) {
    return type == kTypeMinute || type == kTypeDay;
}

void Label(CDC& dc, const PaneMapping& map, int x, int y, const std::string& text) {
    CSize size = dc.GetTextExtent(text);
    constexpr int kLeader = 20;
    bool right = x + kLeader + size.cx < map.rect.right;
    int end = right ? x + kLeader : x - kLeader;
    dc.MoveTo(x, y);
    dc.LineTo(end, y);
    CRect rc = right ? CRect(end, y - size.cy / 2, end + size.cx, y - size.cy / 2 + size.cy)
                     : CRect(end - size.cx, y - size.cy / 2, end, y - size.cy / 2 + size.cy);
    dc.DrawText(text, &rc, DT_SINGLELINE | DT_VCENTER | (right ? DT_LEFT : DT_RIGHT));
}

}  // namespace

int64_t DateKey(int16_t dataType, int32_t date, int32_t time) {
    if (dataType == kTypeMinute) return static_cast<int64_t>(date) * 10000 + time;
    return date;
}

void DrawMaxMin(CDC& dc, const IBarSource& bars, const PaneMapping& map, const PriceStyle& st,
                int32_t highest, int32_t lowest, const PriceText& text, CFont* font) {
    int16_t type = bars.GetDataType();
    if (type == kTypeIntraday || type == kTypeHistoryIntraday) return;
    if (highest < 0 || lowest < 0) return;
    CPen pen(PS_SOLID, 1, st.Color(CommonColor::uniValue_Explain));
    CPen* oldPen = dc.SelectObject(&pen);
    CFont* oldFont = font ? dc.SelectObject(font) : nullptr;
    COLORREF oldColor = dc.SetTextColor(st.Color(CommonColor::uniValue_Explain));
    int oldMode = dc.SetBkMode(TRANSPARENT);
    double high = bars.GetHigh(highest), low = bars.GetLow(lowest);
    Label(dc, map, map.indexToX(highest), map.valueToY(high), text(high));
    Label(dc, map, map.indexToX(lowest), map.valueToY(low), text(low));
    dc.SetBkMode(oldMode);
    dc.SetTextColor(oldColor);
    if (oldFont) dc.SelectObject(oldFont);
    dc.SelectObject(oldPen);
}

void DrawExRightsMarks(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                       const PriceStyle& st, const std::vector<int32_t>& dates, int exRightsMode,
                       const TimeToX& timeToX) {
    int16_t type = bars.GetDataType();
    if (!IsBarChart(type)) return;
    int32_t from = std::max(map.start, bars.GetFirst());
    int32_t to = std::min(map.end, bars.GetLast());
    if (to <= from) return;
    const int64_t begin = static_cast<int64_t>(bars.GetTime(from));
    const int64_t end = static_cast<int64_t>(bars.GetTime(to - 1));
    const int kind = exRightsMode == 1 ? 1 : exRightsMode == 2 ? -1 : 0;
    const COLORREF color = st.Color(CommonColor::uniDate_Time);
    for (int32_t date : dates) {
        if (type == kTypeMinute && date < 20000101) continue;
        int64_t key = DateKey(type, date);
        if (key < begin || key > end) continue;
        int32_t index = -1;
        int x = timeToX(key, index);
        if (index < 0 || x <= map.rect.left || x >= map.rect.right) continue;
        DrawTradeArrow(kind, x, map.rect.bottom - 7, 3.0, 3.0, color, &dc);
    }
}

void DrawTradeMarks(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                    const std::vector<TradeDetailItem>& trades, const TimeToX& timeToX) {
    int16_t type = bars.GetDataType();
    if (!IsBarChart(type)) return;
    for (const TradeDetailItem& t : trades) {
        int32_t index = -1;
        int x = timeToX(DateKey(type, t.TradeDate, t.TradeTime), index);
        if (index < bars.GetFirst() || index >= bars.GetLast()) continue;
        if (index < map.start || index >= map.end) continue;
        if (t.bsdir == 1)
            DrawTradeArrow(1, x, map.valueToY(bars.GetLow(index)) + 5, 5.0, 10.0,
                           RGB(255, 0, 0), &dc);
        else
            DrawTradeArrow(t.bsdir, x, map.valueToY(bars.GetHigh(index)) - 25, 5.0, 10.0,
                           RGB(0, 255, 0), &dc);
    }
}

void DrawTradeStartMark(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                        const CBitmap& markStrip, int32_t startDate, const TimeToX& timeToX) {
    int16_t type = bars.GetDataType();
    if (!IsBarChart(type) || markStrip.IsNull()) return;
    int32_t index = -1;
    int x = timeToX(DateKey(type, startDate), index);
    if (index < bars.GetFirst() || index >= bars.GetLast()) return;
    if (index < map.start || index >= map.end) return;
    const CSize size = markStrip.GetSize();
    const int frame = size.cx / 4;
    if (frame <= 0 || size.cy <= 0) return;
    CDC src;
    src.CreateCompatibleDC(&dc);
    src.SelectObject(const_cast<CBitmap*>(&markStrip));
    const int top = map.valueToY(bars.GetHigh(index)) - size.cy - 25;
    dc.TransparentBlt(x, top, frame, size.cy, &src, size.cx * 2 / 4, 0, frame, size.cy,
                      RGB(0, 0, 255));
}

}  // namespace chart
