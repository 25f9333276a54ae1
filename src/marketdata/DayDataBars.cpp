// Chart bars of a series: prices divided by the security's price divisor, adjusted for
// ex-rights events, and aggregated into the series' period. Reached through the series'
// views, which hold its lock (the network thread may merge replies meanwhile).

#include <algorithm>

#include "marketdata/DataCenter.h"
#include "marketdata/DayData.h"
#include "marketdata/MarketHooks.h"
#include "marketdata/PeriodBars.h"
#include "marketdata/Security.h"

namespace {
// A stored bar as the chart sees it: prices in units of the security, before adjustment.
CFloatDayItem ChartBarOf(const CDayItem& raw, double divisor) {
    CFloatDayItem bar;
    bar.m_nTime = raw.m_nTime;
    bar.m_fOpen = raw.m_nOpen / divisor;
    bar.m_fHigh = raw.m_nHigh / divisor;
    bar.m_fLow = raw.m_nLow / divisor;
    bar.m_fClose = raw.m_nClose / divisor;
    bar.m_fVolume = double(raw.m_nVolume);
    return bar;
}
}  // namespace

uint32_t CDayData::BarDate(int64_t key) const {
    return m_nDataType == kMinuteType ? uint32_t(key / 10000) : uint32_t(key);
}

void CDayData::MakeFloatItems(uint32_t fromYear, uint32_t toYear, uint32_t endDate) {
    m_chartBars.clear();
    m_lastMerged = CFloatDayItem();
    // Every rebuild starts from the identity transform; carrying the last build's factor
    // over would apply the events twice.
    m_fAdjustFactor = 1.0;
    m_fAdjustOffset = 0.0;
    double divisor = m_pSecurity ? m_pSecurity->GetPriceDivisor() : 1000.0;
    bool yearFilter = fromYear && toYear && m_nDataType == kMinuteType;
    bool adjust = m_nAdjustMode != 0 && !m_exRights.empty();
    m_sessions = GetDataCenter()->GetTradingSessions();
    m_nSlotKey = -1;
    std::vector<CFloatDayItem> bars;  // only when adjusting: the backward walk needs them all
    for (const CDayItem& raw : m_rawBars) {  // ascending and unique already
        if (yearFilter) {
            uint64_t year = uint64_t(raw.m_nTime) / 100000000ULL;
            if (year < fromYear || year > toYear) continue;
        }
        const CFloatDayItem bar = ChartBarOf(raw, divisor);
        if (adjust)
            bars.push_back(bar);
        else
            MergeBar(bar);
    }
    if (adjust && !bars.empty()) {
        AdjustForExRights(bars, endDate, m_nAdjustMode, m_fAdjustFactor, m_fAdjustOffset);
        for (const CFloatDayItem& bar : bars) MergeBar(bar);
    }
    m_nTotalCount = std::max(m_nTotalCount.load(), int32_t(m_chartBars.size()));
}

void CDayData::BuildOneMinuteBarsOfYear(uint32_t year, uint8_t adjustMode,
                                        std::vector<CFloatDayItem>& out) const {
    out.clear();
    if (m_nDataType != kMinuteType || m_nPeriod != 1) return;
    const double divisor = m_pSecurity ? m_pSecurity->GetPriceDivisor() : 1000.0;
    const int from = LowerBoundKey(m_rawBars, uint64_t(YearKeyBegin(year)));
    const int to = LowerBoundKey(m_rawBars, uint64_t(YearKeyEnd(year)) + 1);
    if (to <= from) return;
    out.reserve(size_t(to - from));
    // Raw bars are ascending and unique, and a 1-minute period never folds two of them into
    // one chart bar, so each raw bar is one chart bar here as in MakeFloatItems.
    for (int i = from; i < to; ++i) {
        out.push_back(ChartBarOf(m_rawBars[i], divisor));
    }
    if (adjustMode != 0 && !m_exRights.empty()) {
        double factor = 1.0, offset = 0.0;
        AdjustForExRights(out, 0, adjustMode, factor, offset);
    }
}

void CDayData::AdjustForExRights(std::vector<CFloatDayItem>& bars, uint32_t endDate, uint8_t mode,
                                 double& factor, double& offset) const {
    auto apply = [&](const CSingleCQDataPerSecu& event) {
        double f = 1.0, o = 0.0;
        event.GetAdjustment(mode, f, o);
        offset = factor * o + offset;
        factor = factor * f;
    };
    auto adjust = [&](CFloatDayItem& bar) {
        double f = factor, o = offset;
        bar.m_fOpen = bar.m_fOpen * f + o;
        bar.m_fHigh = bar.m_fHigh * f + o;
        bar.m_fLow = bar.m_fLow * f + o;
        bar.m_fClose = bar.m_fClose * f + o;
        if (bar.m_fLow > bar.m_fHigh) bar.m_fHigh = bar.m_fLow = bar.m_fClose;
        if (f != 0) {
            bar.m_fVolume /= f;
            bar.m_fSum /= f;
        }
    };
    const auto& events = m_exRights;
    const int eventCount = int(events.size());

    if (mode == 1) {
        // Forward: oldest first; later prices carried to the scale before each event.
        int cursor = 0;
        uint32_t lastDate = 0;
        for (size_t i = 0; i < bars.size(); ++i) {
            uint32_t d = BarDate(bars[i].m_nTime);
            if (endDate && d > endDate) break;
            if (i == 0 || d != lastDate) {
                while (cursor < eventCount && events[cursor].m_nDate <= d) apply(events[cursor++]);
                lastDate = d;
            }
            adjust(bars[i]);
        }
        return;
    }

    // Backward: newest first; earlier prices carried to the scale after each event. An
    // event dated on a bar's own date waits (pending) until the walk reaches an older date.
    uint32_t limit = endDate ? endDate : BarDate(bars.back().m_nTime);
    int cursor = eventCount - 1;
    const CSingleCQDataPerSecu* pending = nullptr;
    uint32_t lastDate = 0;
    for (size_t k = bars.size(); k-- > 0;) {
        CFloatDayItem& bar = bars[k];
        uint32_t d = BarDate(bar.m_nTime);
        if (k + 1 == bars.size() || d != lastDate) {
            lastDate = d;
            if (pending && k > 0 && bar.m_fClose > 0) {
                apply(*pending);
                pending = nullptr;
            } else {
                while (cursor >= 0) {
                    const CSingleCQDataPerSecu& event = events[cursor];
                    if (event.m_nDate > limit) {
                        --cursor;
                    } else if (event.m_nDate < d) {
                        break;
                    } else if (event.m_nDate == d) {
                        pending = &event;
                        --cursor;
                    } else {
                        apply(event);
                        --cursor;
                    }
                }
            }
        }
        adjust(bar);
    }
}

bool CDayData::SamePeriod(int64_t a, int64_t b) {
    if (m_nDataType == kDayType && m_nPeriod == 2) {
        // Weeks: the day index of the newest chart bar is remembered from the last call.
        if (!IsValidDate(uint32_t(b)) || (a != m_nSlotKey && !IsValidDate(uint32_t(a))))
            return false;
        int64_t dayA = a == m_nSlotKey ? m_nSlot : CivilDayIndex(uint32_t(a));
        int64_t dayB = CivilDayIndex(uint32_t(b));
        m_nSlotKey = b;
        m_nSlot = dayB;
        return SameWeek(dayA, dayB);
    }
    if (m_nDataType != kMinuteType || m_nPeriod <= 1)
        return IsSamePeriod(m_nDataType, a, b, uint16_t(m_nPeriod));
    // The same test as IsSamePeriod over the sessions taken at the start of the build,
    // with the slot of the newest chart bar remembered from the previous call.
    if (a / 10000 != b / 10000) return false;
    int slotA =
        a == m_nSlotKey ? m_nSlot : MinutesSinceOpen(m_sessions, int(a % 10000)) / m_nPeriod;
    int slotB = MinutesSinceOpen(m_sessions, int(b % 10000)) / m_nPeriod;
    m_nSlotKey = b;
    m_nSlot = slotB;
    return slotA == slotB;
}

void CDayData::MergeBar(const CFloatDayItem& bar) {
    if (m_chartBars.empty()) {
        m_chartBars.push_back(bar);
        m_lastMerged = bar;
        return;
    }
    CFloatDayItem& newest = m_chartBars.back();
    bool merge = false;
    if (m_nPeriod != -1) {
        bool sameSegment = m_nDataType != kMinuteType || newest.m_nSegment == bar.m_nSegment;
        merge = sameSegment &&
                (newest.m_nTime == bar.m_nTime || SamePeriod(newest.m_nTime, bar.m_nTime));
    } else if (m_nDataType == kDayType) {
        int n = GetUserNDayCount();
        if (n <= 0) n = 1;
        int i = FindKey(m_rawBars, newest.m_nTime);
        int j = FindKey(m_rawBars, bar.m_nTime);
        if (j < 0) j = m_rawBars.GetSize();
        merge = i >= 0 && i / n == j / n;
    }
    if (merge) {
        FoldIntoPeriodBar(newest, bar);
        newest.m_fLast = bar.m_fLast;
        newest.m_nCounter1 = bar.m_nCounter1;
        newest.m_nCounter2 = bar.m_nCounter2;
    } else {
        m_chartBars.push_back(bar);
    }
    m_lastMerged = bar;
}

void CDayData::GetItemsInDates(CSortArray<CFloatDayItem>& out, uint32_t fromYear,
                               uint32_t toYear) const {
    int from = LowerBoundKey(m_chartBars, uint64_t(YearKeyBegin(fromYear)));
    int to = LowerBoundKey(m_chartBars, uint64_t(YearKeyEnd(toYear)) + 1);
    if (to <= from) return;
    out.assign(m_chartBars.begin() + from, m_chartBars.begin() + to);
}

uint32_t CDayData::CountItemsInDates(uint32_t fromYear, uint32_t toYear) const {
    int from = LowerBoundKey(m_chartBars, uint64_t(YearKeyBegin(fromYear)));
    int to = LowerBoundKey(m_chartBars, uint64_t(YearKeyEnd(toYear)) + 1);
    uint32_t n = uint32_t(std::max(0, to - from));
    if (auto it = m_countsByRange.find({fromYear, toYear}); it != m_countsByRange.end())
        n = std::min(n, it->second);
    return n;
}

uint32_t CDayData::GetItemCountInDates(uint32_t fromYear, uint32_t toYear) const {
    if (auto it = m_countsByRange.find({fromYear, toYear}); it != m_countsByRange.end())
        return it->second;
    return CountItemsInDates(fromYear, toYear);
}

uint32_t CDayData::CountItemsOfDate(uint32_t year) const {
    int from = LowerBoundKey(m_chartBars, uint64_t(YearKeyBegin(year)));
    int to = LowerBoundKey(m_chartBars, uint64_t(YearKeyEnd(year)) + 1);
    uint32_t n = uint32_t(std::max(0, to - from));
    if (auto it = m_countsByYear.find(year); it != m_countsByYear.end())
        n = std::min(n, it->second);
    return n;
}

uint32_t CDayData::GetItemCountOfDate(uint32_t year) const {
    if (auto it = m_countsByYear.find(year); it != m_countsByYear.end()) return it->second;
    return CountItemsOfDate(year);
}

void CDayData::CopyItemsOfYear(uint32_t year, CSortArray<CDayItem>& out) const {
    int from = LowerBoundKey(m_rawBars, uint64_t(YearKeyBegin(year)));
    int to = LowerBoundKey(m_rawBars, uint64_t(YearKeyEnd(year)) + 1);
    if (to <= from) return;
    out.assign(m_rawBars.begin() + from, m_rawBars.begin() + to);
}
