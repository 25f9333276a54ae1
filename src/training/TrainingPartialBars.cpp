// Partial bars and ex-rights events of a training chart: the operations of
// TrainingPicData that keep a coarser bar from showing what lies after the clock, and
// that settle the events the clock passes on the session record.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "marketdata/CQData.h"
#include "marketdata/DayData.h"
#include "marketdata/DayDataPool.h"
#include "marketdata/PeriodBars.h"
#include "training/TrainingPicData.h"
#include "training/TrainingRecord.h"

namespace {
// A private series of the local store: it sends no request and is shared with no one, so
// rebuilding its chart bars disturbs no other chart.
std::shared_ptr<CDayData> CreateDayData(CSecurity* security, const CIndSecuCode& code,
                                        int16_t dataType, int16_t period, uint8_t adjustMode) {
    if (!security || (dataType != CDayData::kMinuteType && dataType != CDayData::kDayType))
        return nullptr;
    auto series = std::make_shared<CDayData>(CDayDataPool::MakeKey(dataType, code, period),
                                             security, dataType, period);
    series->LoadLocal();
    series->Write().SetAdjustMode(adjustMode);
    return series;
}

// Index of the first bar whose key is above `key`.
int FirstAfter(const CSortArray<CFloatDayItem>& bars, int64_t key) {
    return LowerBoundKey(bars, uint64_t(key) + 1);
}

void Fold(std::vector<CFloatDayItem>& into, const CSortArray<CFloatDayItem>& bars, int first,
          int last) {
    for (int k = std::max(first, 0); k <= last && k < int(bars.GetSize()); ++k)
        into.push_back(bars[k]);
}

bool MultipleOfFiveBoth(int16_t a, int16_t b) {
    return a % 5 == 0 && b % 5 == 0;
}

constexpr double kAmountScale = 1e7;  // event amounts per share
constexpr double kRightsPriceScale = 1000.0;
}  // namespace

void TrainingPicData::BuildPartialBar(int32_t index, int64_t clockKey) {
    CFloatDayItem target;
    if (!LoadedBar(index, target)) return;
    CFloatDayItem prev;
    const bool hasPrev = index > m_nBegin && LoadedBar(index - 1, prev);
    const int64_t prevKey = hasPrev ? prev.m_nTime : -1;
    const bool minuteClock = m_nClockType == kMinute;
    const uint32_t clockDate = uint32_t(minuteClock ? clockKey / 10000 : clockKey);
    const uint32_t clockYear = clockDate / 10000;
    // Without a bar before it, the partial bar starts where its own period starts.
    const auto samePeriod = [&](int16_t type, int64_t key, int64_t last) {
        return hasPrev || key == last || IsSamePeriod(type, key, last, uint16_t(m_nPeriod));
    };

    std::vector<CFloatDayItem> folded;
    if (m_nDataType == kDay) {
        std::shared_ptr<CDayData> days =
            CreateDayData(m_pSecurity, m_code, kDay, 1, m_nAdjustMode);
        if (!days) return;
        {
            auto view = days->Write();
            view.MakeFloatItems(0, 0, clockDate);
            const CSortArray<CFloatDayItem>& bars = view.ChartBars();
            if (!minuteClock) {
                if (hasPrev && clockKey <= prevKey) return;
                const int last = FindKey(bars, clockKey);
                if (last < 0) return;
                int first = hasPrev ? FirstAfter(bars, prevKey) : last;
                while (!hasPrev && first > 0 && samePeriod(kDay, bars[first - 1].m_nTime, clockKey))
                    --first;
                Fold(folded, bars, first, last);
            } else {
                const int end = LowerBoundKey(bars, clockDate);  // days before the clock's
                int first = hasPrev ? FirstAfter(bars, prevKey) : end;
                while (!hasPrev && first > 0 &&
                       samePeriod(kDay, bars[first - 1].m_nTime, int64_t(clockDate)))
                    --first;
                Fold(folded, bars, first, end - 1);
            }
        }
        if (minuteClock) {
            std::shared_ptr<CDayData> minutes =
                CreateDayData(m_pSecurity, m_code, kMinute, m_nClockPeriod, m_nAdjustMode);
            if (!minutes) return;
            auto view = minutes->Write();
            view.MakeFloatItems(m_nClockPeriod == 1 ? clockYear : clockYear - 1, clockYear,
                                clockDate);
            const CSortArray<CFloatDayItem>& bars = view.ChartBars();
            const int last = FindKey(bars, clockKey);
            if (last < 0) return;
            Fold(folded, bars, LowerBoundKey(bars, uint64_t(clockDate) * 10000), last);
        }
    } else if (m_nDataType == kMinute && minuteClock) {
        if (hasPrev && clockKey <= prevKey) return;
        const int16_t base = MultipleOfFiveBoth(m_nClockPeriod, m_nPeriod) ? 5 : 1;
        std::shared_ptr<CDayData> minutes =
            CreateDayData(m_pSecurity, m_code, kMinute, base, m_nAdjustMode);
        if (!minutes) return;
        auto view = minutes->Write();
        view.MakeFloatItems(base == 1 ? clockYear : clockYear - 1, clockYear, clockDate);
        const CSortArray<CFloatDayItem>& bars = view.ChartBars();
        const int last = FindKey(bars, clockKey);
        if (last < 0) return;
        int first = hasPrev ? FirstAfter(bars, prevKey) : last;
        while (!hasPrev && first > 0 && samePeriod(kMinute, bars[first - 1].m_nTime, clockKey))
            --first;
        Fold(folded, bars, first, last);
    }
    if (folded.empty()) return;

    CFloatDayItem bar;
    bar.m_fOpen = folded.front().m_fOpen;
    bar.m_fHigh = folded.front().m_fHigh;
    bar.m_fLow = folded.front().m_fLow;
    for (const CFloatDayItem& item : folded) {
        bar.m_fHigh = MaxOf(bar.m_fHigh, item.m_fHigh);
        bar.m_fLow = MinOf(bar.m_fLow, item.m_fLow);
        bar.m_fVolume += item.m_fVolume;
    }
    bar.m_fClose = folded.back().m_fClose;
    const int64_t key = folded.back().m_nTime;
    bar.m_nTime = m_nDataType == kDay && key > 99999999 ? key / 10000 : key;
    StoreBar(index, bar);
}

void TrainingPicData::SyncDayBar(int32_t index) {
    if (m_nDataType != kDay || m_nPeriod == 1 || !m_pRecord) return;
    CFloatDayItem bar;
    if (!LoadedBar(index, bar) || bar.m_nTime <= m_pRecord->EndDate) return;
    const int16_t type = m_nClockType, period = m_nClockPeriod;
    const CFloatDayItem current = m_current;
    const bool native = m_bNative;
    m_nClockType = kDay;
    m_nClockPeriod = 1;
    m_current.m_nTime = m_pRecord->EndDate;
    BuildPartialBar(index, m_pRecord->EndDate);
    m_nClockType = type;
    m_nClockPeriod = period;
    m_current = current;
    m_bNative = native;
}

bool TrainingPicData::FirstEventFrom(uint32_t date, CSingleCQDataPerSecu& event) const {
    if (!m_pSeries) return false;
    auto view = m_pSeries->Read();
    const CSortArray<CSingleCQDataPerSecu>& events = view.ExRights();
    for (int k = 0; k < int(events.GetSize()); ++k) {
        if (events[k].m_nDate >= date) {
            event = events[k];
            return true;
        }
    }
    return false;
}

bool TrainingPicData::CompleteCurrentBar() {
    if (m_bNative) return true;
    if (!m_pSeries) return false;
    std::shared_ptr<CDayData> series = m_pSeries;
    const uint32_t clockDate = GetClockDate();
    const int64_t key = m_nDataType == kMinute && m_nClockType == kMinute ? m_current.m_nTime
                                                                          : int64_t(clockDate);
    const auto wholeBar = [&](CFloatDayItem& whole) {
        auto view = series->Read();
        const CSortArray<CFloatDayItem>& bars = view.ChartBars();
        const int i = LowerBoundKey(bars, uint64_t(key));
        if (i >= int(bars.GetSize())) return false;
        whole = bars[i];
        return true;
    };
    CFloatDayItem whole;
    if (!wholeBar(whole)) return false;
    if (m_nDataType == kDay && m_nPeriod != 1) {
        CSingleCQDataPerSecu event;
        const uint32_t wholeDate = uint32_t(whole.m_nTime);
        if (FirstEventFrom(clockDate, event) && event.m_nDate > clockDate &&
            event.m_nDate <= wholeDate) {
            if (!CheckRightsIssue(event.m_nDate, wholeDate)) return false;
            if (!wholeBar(whole)) return false;
        }
    }
    const TrainingReveal* reveal = m_pTrainingOwner ? m_pTrainingOwner->GetReveal() : nullptr;
    const int32_t top = reveal ? reveal->revealedCount - 1 : m_nLoadedEnd - 1;
    for (int32_t i = top; i >= m_nBegin; --i) {
        CFloatDayItem item;
        if (LoadedBar(i, item) && item.m_nTime == key) {
            StoreBar(i, whole);
            SyncDayBar(i);
            break;
        }
    }
    return true;
}

bool TrainingPicData::HasRightsIssueFrom(uint32_t date) {
    if (!m_pSeries) return false;
    const uint32_t clockDate =
        m_pRecord && m_pRecord->EndTrainDate ? uint32_t(m_pRecord->EndTrainDate) : GetClockDate();
    auto view = m_pSeries->Read();
    const CSortArray<CSingleCQDataPerSecu>& events = view.ExRights();
    for (int k = 0; k < int(events.GetSize()); ++k) {
        const CSingleCQDataPerSecu& event = events[k];
        if (event.m_nDate <= clockDate) continue;
        if (event.m_nDate > date) break;
        if (event.m_nRights != 0 && event.m_nRightsPrice != 0) return true;
    }
    return false;
}

bool TrainingPicData::CheckRightsIssue(uint32_t from, uint32_t to) {
    if (!m_pSeries) return true;
    std::shared_ptr<CDayData> series = m_pSeries;
    if (m_pSettledRecord != m_pRecord) {
        m_pSettledRecord = m_pRecord;
        m_nSharesSettledDate = m_nRightsSettledDate = 0;
    }
    std::vector<CSingleCQDataPerSecu> events;
    {
        auto view = series->Read();
        const CSortArray<CSingleCQDataPerSecu>& all = view.ExRights();
        for (int k = 0; k < int(all.GetSize()); ++k)
            if (all[k].m_nDate >= from && all[k].m_nDate <= to) events.push_back(all[k]);
    }
    if (m_pRecord) {
        CTrainingRecord& r = *m_pRecord;
        // The rights shares are bought on the bar the clock stands on, never on a bar the
        // user has not seen.
        const int32_t clockDate = r.EndTrainDate ? r.EndTrainDate : int32_t(GetClockDate());
        for (const CSingleCQDataPerSecu& event : events) {
            if (event.m_nDate > m_nSharesSettledDate) {
                if (event.m_nCash > 0)
                    r.ApplyCashDividend(int32_t(event.m_nDate), double(event.m_nCash) / kAmountScale);
                double ratio = double(event.m_nBonus + event.m_nTransfer) / kAmountScale;
                if (event.m_nRightsPrice == 0 && event.m_nRights != 0)
                    ratio += double(event.m_nRights) / kAmountScale - 1.0;
                r.ApplyShareBonus(ratio);
                m_nSharesSettledDate = event.m_nDate;
            }
            if (event.m_nRights == 0 || event.m_nRightsPrice == 0 ||
                r.GetPositionVolume(true) <= 0 || event.m_nDate <= m_nRightsSettledDate)
                continue;
            const bool subscribe = m_pTrainingOwner->ShowPrompt(
                event.GetDescription() + "是否配股?", ITrainingChartOwner::Prompt::YesNo);
            if (subscribe) {
                std::string msg;
                if (!r.BuyRightsIssue(clockDate, msg, double(event.m_nRights) / kAmountScale,
                                      double(event.m_nRightsPrice) / kRightsPriceScale)) {
                    ShowPrompt("账户余额不足，请卖出一部分！");
                    return false;
                }
            }
            m_nRightsSettledDate = event.m_nDate;
            if (m_pTrainingOwner->ShowPrompt("配股后股价下跌，是否停止播放准备卖出?",
                                             ITrainingChartOwner::Prompt::YesNo))
                return false;
        }
    }
    {
        auto view = series->Write();
        if (m_nDataType == kMinute) {
            const uint32_t year = m_nTrainingYear ? m_nTrainingYear : to / 10000;
            view.MakeFloatItems(m_nPeriod % 5 == 0 ? year - 1 : year, year, to);
        } else {
            view.MakeFloatItems(0, 0, to);
        }
        LoadItems(view, m_nBegin, m_nLoadedEnd, 0, 0);
    }
    return true;
}
