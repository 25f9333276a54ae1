#include "marketdata/PeriodBars.h"

#include <algorithm>

#include "foundation/DateTime.h"
#include "marketdata/DataCenter.h"
#include "marketdata/DayData.h"
#include "marketdata/Security.h"

bool IsSamePeriod(int16_t dataType, int64_t a, int64_t b, uint16_t period) {
    if (dataType == 4) {
        uint32_t da = uint32_t(a), db = uint32_t(b);
        switch (period) {
            case 2:
                if (!IsValidDate(da) || !IsValidDate(db)) return false;
                return SameWeek(CivilDayIndex(da), CivilDayIndex(db));
            case 3:
                return da / 100 == db / 100;
            case 4:
                return da / 10000 == db / 10000 &&
                       (da / 100 % 100 - 1) / 3 == (db / 100 % 100 - 1) / 3;
            case 5:
                return da / 10000 == db / 10000 &&
                       (da / 100 % 100 - 1) / 6 == (db / 100 % 100 - 1) / 6;
            case 6:
                return da / 10000 == db / 10000;
            default:
                return false;
        }
    }
    if (dataType == 3 && period > 1) {
        if (a / 10000 != b / 10000) return false;
        const TradingSessions& sessions = GetDataCenter()->GetTradingSessions();
        return MinutesSinceOpen(sessions, int(a % 10000)) / period ==
               MinutesSinceOpen(sessions, int(b % 10000)) / period;
    }
    return false;
}

std::vector<CFloatDayItem> GetPeriodBars(int16_t sourceType, const CSecurity* security,
                                         const CFloatDayItem* source, int count, int first, int end,
                                         int16_t targetType, int16_t targetPeriod) {
    std::vector<CFloatDayItem> out;
    if (source && count > 0 && sourceType == targetType) {
        first = std::clamp(first, 0, count);
        end = std::clamp(end, first, count);
        out.reserve(size_t(end - first));
        for (int i = first; i < end; ++i) {
            const CFloatDayItem& s = source[i];
            if (!out.empty()) {
                CFloatDayItem& l = out.back();
                if (s.m_nTime == l.m_nTime ||
                    IsSamePeriod(targetType, l.m_nTime, s.m_nTime, uint16_t(targetPeriod))) {
                    FoldIntoPeriodBar(l, s);
                    l.m_nReserved += s.m_nReserved;
                    continue;
                }
            }
            out.push_back(s);
        }
        return out;
    }
    if (!security) return out;
    std::string key = CDayDataPool::MakeKey(targetType, security->GetCode(), targetPeriod);
    {
        std::shared_ptr<CDayData> series =
            GetDayData(targetType, security->GetCode(), targetPeriod);
        if (!series) return out;
        CDayData::ReadView view = series->Read();
        out.assign(view.ChartBars().begin(), view.ChartBars().end());
    }
    // Borrowed only for the copy: give it back, or the pool would keep it for good.
    GetDataCenter()->GetPool().Release(OwnerTag(), key);
    return out;
}
