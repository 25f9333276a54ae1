#include "training/TradeAnalysis.h"

#include <algorithm>
#include <cmath>

#include "training/RecordText.h"

namespace {

uint64_t TradeKey(const TradeDetailItem& item) {
    return uint64_t(uint32_t(item.TradeDate)) * 10000u + uint32_t(item.TradeTime);
}

bool DateBefore(const AnalysisBar& bar, uint32_t date) {
    return bar.date < date;
}

}  // namespace

bool TradeTimeLess::operator()(const TradeDetailItem& a, const TradeDetailItem& b) const {
    return TradeKey(a) < TradeKey(b);
}

CIndSecuCode SamePeriodIndexCode(const CIndSecuCode& security) {
    return security.m_nMarket == 1 ? CIndSecuCode(1, "000001") : CIndSecuCode(2, "399001");
}

BarSpan BarsInDates(const std::vector<AnalysisBar>& bars, uint32_t from, uint32_t to) {
    const auto first = std::lower_bound(bars.begin(), bars.end(), from, DateBefore);
    const auto last = std::upper_bound(bars.begin(), bars.end(), to,
                                       [](uint32_t date, const AnalysisBar& bar) { return date < bar.date; });
    BarSpan span{size_t(first - bars.begin()), size_t(last - bars.begin())};
    if (span.end < span.begin) span.end = span.begin;
    return span;
}

bool IsFallingBar(const std::vector<AnalysisBar>& bars, size_t i) {
    if (i >= bars.size()) return false;
    const AnalysisBar& bar = bars[i];
    if (bar.close < bar.open) return true;
    if (bar.close > bar.open) return false;
    const double reference = i > 0 ? bars[i - 1].close : bar.open;
    return bar.close < reference;
}

void WidenFlatRange(double& max, double& min) {
    if (max - min > -0.0001 && max - min < 0.0001) max = min + 0.0001;
}

bool CalcPreviewRange(const std::vector<AnalysisBar>& bars, BarSpan span, ValueRange& range) {
    span.end = std::min(span.end, bars.size());
    if (span.empty()) return false;
    const AnalysisBar& first = bars[span.begin];
    double max = first.high, min = first.low;
    for (size_t i = span.begin + 1; i < span.end; ++i) {
        max = std::max(max, bars[i].high);
        min = std::min(min, bars[i].low);
    }
    WidenFlatRange(max, min);
    range.max = max;
    range.min = min;
    range.base = first.open;
    range.reference = span.begin > 0 ? bars[span.begin - 1].close : first.open;
    return true;
}

int SlotCount(size_t items) {
    const double spare = double(items) * 1.05;
    return spare > 20 ? int(std::min(spare, 1e9)) : 20;
}

int SlotCentreX(int plotLeft, int plotRight, int slots, size_t position) {
    if (slots <= 0) return plotLeft + 1;
    const double width = double(plotRight - plotLeft - 2) / slots;
    return int(width * (double(position) + 0.5)) + plotLeft + 1;
}

int CandleHalfWidth(int plotLeft, int plotRight, int slots) {
    if (slots <= 0) return 0;
    const double half = double(plotRight - plotLeft - 2) / slots / 2.75;
    return half > 0 ? int(half) : 0;
}

int TradeMarkKind(const TradeDetailItem& item) {
    // Opening a long book and covering a short one both buy; the other two sell.
    return int(item.bsdir) * int(item.opdir);
}

std::vector<TradeMark> TradeMarksOfDay(const std::vector<TradeDetailItem>& trades, uint32_t date) {
    TradeDetailItem key;
    key.TradeDate = int32_t(date);
    std::vector<TradeMark> marks;
    int buys = 0, sales = 0;
    for (auto it = std::lower_bound(trades.begin(), trades.end(), key, TradeTimeLess());
         it != trades.end() && uint32_t(it->TradeDate) == date; ++it) {
        const int kind = TradeMarkKind(*it);
        if (kind == 0) continue;
        marks.push_back({size_t(it - trades.begin()), kind, kind > 0 ? buys++ : sales++});
    }
    return marks;
}

SamePeriodRatios BuildSamePeriodRatios(const std::vector<AnalysisBar>& indexBars, uint32_t from,
                                       uint32_t to, const std::vector<AssetPoint>& assets,
                                       double initCapital) {
    SamePeriodRatios out;
    if (!(initCapital > 0) || !std::isfinite(initCapital)) return out;
    const BarSpan span = BarsInDates(indexBars, from, to);
    for (size_t i = span.begin; i < span.end; ++i) {
        const AnalysisBar& bar = indexBars[i];
        const auto point = std::lower_bound(assets.begin(), assets.end(), bar.date,
                                            [](const AssetPoint& p, uint32_t d) { return p.date < d; });
        if (point == assets.end() || point->date != bar.date) continue;
        const double base = i == span.begin ? bar.open : indexBars[i - 1].close;
        // A bar without a price (a damaged store) has no change to show.
        if (!(base > 0)) continue;
        out.index.push_back(bar.close / base);
        out.asset.push_back(point->asset / initCapital);
        out.dates.push_back(bar.date);
    }
    return out;
}

bool CalcRatioRange(const SamePeriodRatios& ratios, ValueRange& range) {
    const size_t n = std::min(ratios.asset.size(), ratios.index.size());
    if (n == 0) return false;
    double max = std::max(ratios.asset[0], ratios.index[0]);
    double min = std::min(ratios.asset[0], ratios.index[0]);
    for (size_t i = 1; i < n; ++i) {
        max = std::max({max, ratios.asset[i], ratios.index[i]});
        min = std::min({min, ratios.asset[i], ratios.index[i]});
    }
    WidenFlatRange(max, min);
    range.max = max;
    range.min = min;
    range.base = 1.0;
    range.reference = 1.0;
    return true;
}

std::string FormatUnsignedZero(double value, int decimals) {
    std::string text = FormatFixed(value, decimals);
    if (!text.empty() && text[0] == '-' &&
        text.find_first_not_of("0.", 1) == std::string::npos)
        text.erase(0, 1);
    return text;
}
