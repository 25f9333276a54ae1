#include "training/wnd/SelStockCellData.h"

#include <algorithm>
#include <memory>

#include "marketdata/DayData.h"
#include "marketdata/Security.h"

std::optional<HiddenWindowPlace> PlaceHiddenWindow(const CSortArray<CFloatDayItem>& bars, uint32_t windowStart,
                                                   uint32_t windowEnd, int32_t firstIndex) {
    const int s = LowerBoundKey(bars, windowStart);
    const int e = FindKey(bars, int64_t(windowEnd));
    if (e < 0) return std::nullopt;
    HiddenWindowPlace place;
    place.end = s + firstIndex;
    place.start = std::max(place.end - kSelStockHistoryBars, 0);
    place.revealLimit = e + firstIndex + 1;
    return place;
}

double RiseOverWindow(const CSortArray<CFloatDayItem>& bars, uint32_t windowStart, uint32_t windowEnd) {
    const int n = bars.GetSize();
    if (n == 0) return 0;
    int i = FindKey(bars, int64_t(windowStart));
    if (i < 0) i = 0;
    int j = FindKey(bars, int64_t(windowEnd));
    if (j < 0) j = n - 1;
    const double base = i == 0 ? bars[0].m_fOpen : bars[i - 1].m_fClose;
    if (!(base > 0)) return 0;
    return (bars[j].m_fClose - base) * 1000 / base;
}

double MeasureWindowRise(CSecurity* security, uint32_t windowStart, uint32_t windowEnd) {
    if (!security) return 0;
    // A private series: the prices must be adjusted up to the window's end only, whatever
    // the chart's shared series shows.
    auto series = std::make_shared<CDayData>("selstock-rise", security, CDayData::kDayType, 1);
    series->LoadLocal();
    auto view = series->Write();
    view.SetAdjustMode(1);
    view.MakeFloatItems(0, 0, windowEnd);
    return RiseOverWindow(view.ChartBars(), windowStart, windowEnd);
}
