#include "training/TrainingPicData.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>

#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "marketdata/DayData.h"
#include "marketdata/DayDataPool.h"
#include "marketdata/IndValueArray.h"
#include "marketdata/RequestChannel.h"
#include "marketdata/Security.h"
#include "training/TrainingRecord.h"

namespace {
bool MultipleOfFive(int16_t period) {
    return period % 5 == 0;
}

// Index of the last bar whose key is not above `key`, -1 when every bar is later.
int LastAtOrBefore(const CSortArray<CFloatDayItem>& bars, int64_t key) {
    return LowerBoundKey(bars, uint64_t(key) + 1) - 1;
}
}  // namespace

TrainingPicData::TrainingPicData(ITrainingChartOwner* owner)
    : PicDataLayer(owner), m_pTrainingOwner(owner) {}

TrainingPicData::~TrainingPicData() {
    // A window still being drawn must not call back into a layer that is gone.
    ReleaseWindowSeries();
}

void TrainingPicData::ReleaseWindowSeries() {
    if (!m_pWindowSeries) return;
    const std::string key = m_pWindowSeries->GetName();
    m_pWindowSeries.reset();
    GetDataCenter()->GetPool().Release(OwnerTag(this), key);
}

void TrainingPicData::SetRecord(CTrainingRecord* record) {
    if (record != m_pRecord) {
        m_bHistoryAsked = false;
        m_nWindowDays = 0;
    }
    m_pRecord = record;
}

uint32_t TrainingPicData::KeyDate(int64_t key) const {
    return m_nDataType == kMinute ? uint32_t(key / 10000) : uint32_t(key);
}

uint32_t TrainingPicData::GetClockDate() const {
    return m_nClockType == kMinute ? uint32_t(m_current.m_nTime / 10000)
                                   : uint32_t(m_current.m_nTime);
}

uint32_t TrainingPicData::GetCurrentYear() {
    return m_nTrainingYear ? m_nTrainingYear : PicDataLayer::GetCurrentYear();
}

void TrainingPicData::Reset() {
    PicDataLayer::Reset();
    m_nLoadedEnd = 0;
}

void TrainingPicData::SetCurrentBar(int16_t period, const CFloatDayItem& bar, int16_t dataType,
                                    bool native) {
    m_current = bar;
    m_nClockType = dataType;
    m_nClockPeriod = period;
    m_bNative = native;
}

bool TrainingPicData::LoadedBar(int32_t i, CFloatDayItem& bar) const {
    if (i < m_nBegin || i < 0 || i >= m_nLoadedEnd) return false;
    if ((size_t(i) + 1) * kBarRecord > m_items.size()) return false;
    std::memcpy(&bar, m_items.data() + size_t(i) * kBarRecord, sizeof bar);
    return true;
}

void TrainingPicData::StoreBar(int32_t i, const CFloatDayItem& bar) {
    if (i < m_nBegin || i < 0 || i >= m_nLoadedEnd) return;
    if ((size_t(i) + 1) * kBarRecord > m_items.size()) return;
    std::memcpy(m_items.data() + size_t(i) * kBarRecord, &bar, sizeof bar);
}

void TrainingPicData::SyncVisibleEnd() {
    const TrainingReveal* reveal = m_pTrainingOwner ? m_pTrainingOwner->GetReveal() : nullptr;
    const int32_t revealed = reveal ? reveal->revealedCount : 0;
    m_nEnd = std::clamp(revealed, m_nBegin, std::max(m_nBegin, m_nLoadedEnd));
}

double TrainingPicData::PreCloseOf(int32_t i) const {
    CFloatDayItem bar;
    if (i > m_nBegin && LoadedBar(i - 1, bar)) return bar.m_fClose;
    return LoadedBar(i, bar) ? bar.m_fOpen : 0.0;
}

void TrainingPicData::ShowPrompt(const char* text) {
    if (m_pTrainingOwner) m_pTrainingOwner->ShowPrompt(text, ITrainingChartOwner::Prompt::Info);
}

const char* TrainingPicData::MissingMinutesText() const {
    return MultipleOfFive(m_nPeriod) ? "当前时间区间内没有5分钟k线数据"
                                     : "当前时间区间内没有1分钟k线数据";
}

std::vector<uint32_t> TrainingPicData::TrainingYears() const {
    if (m_nPeriod == 1) return {m_nTrainingYear};
    return {m_nTrainingYear - 1, m_nTrainingYear};
}

void TrainingPicData::NotifyOwner(int64_t code) {
    PicDataLayer::NotifyOwner(code);
}

// ---------------------------------------------------------------------------------------
// Requests

void TrainingPicData::RequestData() {
    if (!m_pRecord) return;
    std::shared_ptr<CDayData> series = GetDayData(m_nDataType, m_code, m_nPeriod);
    if (!series) return;
    if (series != m_pSeries) {
        Detach();
        m_pSeries = series;
    } else if (series->Read().AdjustMode() == m_nAdjustMode) {
        return;
    }
    CTrainingRecord& r = *m_pRecord;
    {
        auto view = series->Write();
        view.SetAdjustMode(m_nAdjustMode);
        // Offline the window and range requests answer from the chart bars: a series just
        // loaded from its store has built none yet.
        if (m_nDataType == kDay && view.ChartBars().empty() && !view.RawBars().empty())
            view.MakeFloatItems(0, 0, uint32_t(r.EndTrainDate));
    }

    SendSessionRequest();
}

void TrainingPicData::SendSessionRequest() {
    if (!m_pRecord || !m_pSeries) return;
    std::shared_ptr<CDayData> series = m_pSeries;
    CTrainingRecord& r = *m_pRecord;
    // A session not started yet trains from its first day.
    if (r.TrainStatus == kTrainStatusStart && r.StartDate != 0 && r.EndTrainDate == 0) {
        r.BeginTrainDate = r.StartDate;
        r.EndTrainDate = r.StartDate;
    }
    std::shared_ptr<IChartOverlay> overlay = m_pOwner ? m_pOwner->GetChartOverlay() : nullptr;
    const uint32_t visible = overlay ? uint32_t(std::max(0, overlay->GetVisibleCount())) : 100;
    const OwnerTag owner(this);

    const bool byDays = r.TrainPeriodType == 0 && (r.StartDate == 0 || r.EndDate == 0);
    if (byDays && !(m_nDataType == kDay && m_nPeriod == 1)) {
        // Minute and multi-day bars hold no window of days to draw from: the window is drawn
        // among the day bars, and the session then runs over its dates.
        std::shared_ptr<CDayData> days = GetDayData(kDay, m_code, 1);
        if (!days) return;
        if (m_pWindowSeries != days) ReleaseWindowSeries();
        m_pWindowSeries = days;
        {
            auto view = days->Write();
            if (view.ChartBars().empty() && !view.RawBars().empty()) view.MakeFloatItems(0, 0, 0);
        }
        days->RequestRandomWindow(uint32_t(std::max(0, r.WantDays)), owner,
                                  [this] { NotifyOwner(kRandomWindow); });
        return;
    }
    if (m_nDataType == kMinute) {
        if (m_nTrainingYear == 0) m_nTrainingYear = uint32_t(r.EndTrainDate) / 10000;
        series->RequestHistory(TrainingYears(), visible, uint32_t(r.EndTrainDate), true, owner,
                               [this] { NotifyOwner(kMinuteYears); });
        return;
    }
    if (r.TrainPeriodType == 0 && (r.StartDate == 0 || r.EndDate == 0)) {
        series->RequestRandomWindow(uint32_t(std::max(0, r.WantDays)), owner,
                                    [this] { NotifyOwner(kRandomWindow); });
        return;
    }
    if (r.TrainPeriodType != 0 && r.TrainPeriodType != 1) return;
    if (m_nDataType == kDay && m_nPeriod == 1) {
        series->RequestRange(uint32_t(r.StartDate), uint32_t(r.EndDate), owner,
                             [this] { NotifyOwner(kRangeLoaded); });
        return;
    }
    // A multi-day chart of a session not started yet asks for its whole period: the
    // session cannot step past what the reply holds.
    const uint32_t date =
        uint32_t(r.TrainStatus == kTrainStatusStart ? r.EndDate : r.EndTrainDate);
    series->RequestTrainingBars(date, visible, owner, [this] { NotifyOwner(kBarsToDate); });
}

std::pair<uint32_t, int32_t> TrainingPicData::GetRefreshRange() {
    const TrainingReveal* reveal = m_pTrainingOwner ? m_pTrainingOwner->GetReveal() : nullptr;
    std::shared_ptr<IChartOverlay> overlay = m_pOwner ? m_pOwner->GetChartOverlay() : nullptr;
    if (!reveal || !overlay || m_nDataType == kIntraday || m_nDataType == kHistoryIntraday)
        return {0, 0};
    CFloatDayItem bar;
    const uint32_t date = LoadedBar(reveal->revealedCount - 1, bar) ? KeyDate(bar.m_nTime) : 0;
    const int32_t count = std::max(reveal->revealedCount - overlay->GetStartIndex(),
                                   overlay->GetVisibleCount());
    return {date, count};
}

void TrainingPicData::RefreshData() {
    if (!m_pSeries) return;
    std::shared_ptr<CDayData> series = m_pSeries;
    const auto [date, count] = GetRefreshRange();
    if (m_nDataType == kDay) {
        series->RequestTrainingBars(date, uint32_t(std::max(0, count)), OwnerTag(this),
                                    [this] { NotifyOwner(kBarsToDate); });
    } else if (m_nDataType == kMinute && m_pRecord) {
        series->RequestHistory(TrainingYears(), uint32_t(std::max(0, count)), date, false,
                               OwnerTag(this), [this] { NotifyOwner(kMinuteYears); });
    }
}

void TrainingPicData::RequestNextYear(const std::vector<uint32_t>& years, uint32_t date,
                                      bool autoPlay) {
    if (!m_pSeries || years.empty()) return;
    std::shared_ptr<CDayData> series = m_pSeries;
    std::shared_ptr<IChartOverlay> overlay = m_pOwner ? m_pOwner->GetChartOverlay() : nullptr;
    const uint32_t visible = overlay ? uint32_t(std::max(0, overlay->GetVisibleCount())) : 100;
    m_nTrainingYear = years.back();
    // Held weakly: the series keeps its subscribers' callbacks, and a strong reference
    // there would keep the layer (and through it the series) alive for ever.
    std::weak_ptr<TrainingPicData> weak = weak_from_this();
    TrainingPicData* self = this;
    const bool owned = !weak.expired();
    const int64_t code = autoPlay ? kNextYearPlaying : kNextYearStepped;
    series->RequestHistory(years, visible, date, true, OwnerTag(this), [weak, self, owned, code] {
        if (!owned) {
            self->NotifyOwner(code);
        } else if (std::shared_ptr<TrainingPicData> layer = weak.lock()) {
            layer->NotifyOwner(code);
        }
    });
}

// ---------------------------------------------------------------------------------------
// Notifications

void TrainingPicData::OnDataNotify(uint64_t flag, int64_t code) {
    try {
        if (!TakeQuoteValues()) return;
        if (flag != 0 || !m_pSeries || !m_pRecord) return;
        if (code == kRandomWindow && m_pWindowSeries) {
            OnWindowDrawn();
            return;
        }
        switch (code) {
        case kRangeLoaded:
        case kRandomWindow: OnRangeLoaded(code); break;
        case kBarsToDate: OnBarsToDate(); break;
        case kMinuteYears:
        case kNextYearStepped: OnMinuteYears(code); break;
        case kNextYearPlaying:
            OnMinuteYears(code);
            if (ITrainingPanel* panel = m_pTrainingOwner->FindTrainingPanel())
                panel->EnsureAutoPlay();
            break;
        default: break;
        }
    } catch (...) {
        // A notification that fails leaves the chart as it was; the next one rebuilds it.
    }
}

void TrainingPicData::OnWindowDrawn() {
    uint32_t from = 0, to = 0;
    {
        auto view = m_pWindowSeries->Write();
        from = view.RangeFrom();
        to = view.RangeTo();
        const CSortArray<CFloatDayItem>& bars = view.ChartBars();
        const int first = LowerBoundKey(bars, from);
        const int last = LastAtOrBefore(bars, to);
        m_nWindowDays = last >= first ? last - first + 1 : 0;
    }
    ReleaseWindowSeries();
    CTrainingRecord& r = *m_pRecord;
    if (from == 0 || to == 0 || r.TrainStatus != kTrainStatusStart) return;  // nothing drawn
    r.StartDate = int32_t(from);
    r.EndDate = int32_t(to);
    SendSessionRequest();
}

void TrainingPicData::StartSession(uint32_t firstDate, int32_t trainDays) {
    CTrainingRecord& r = *m_pRecord;
    r.BeginTrainDate = int32_t(firstDate);
    r.EndTrainDate = int32_t(firstDate);
    r.StartDate = int32_t(firstDate);
    r.TrainDays = trainDays;
    r.AddStartAssetPoint();
    r.TrainStatus = kTrainStatusRunning;
}

void TrainingPicData::OnRangeLoaded(int64_t code) {
    CTrainingRecord& r = *m_pRecord;
    TrainingReveal* reveal = m_pTrainingOwner->GetReveal();
    std::shared_ptr<IChartOverlay> overlay = m_pOwner->GetChartOverlay();
    std::shared_ptr<CDayData> series = m_pSeries;

    int32_t b = 0, t = 0, e = 0;
    {
        auto view = series->Write();
        const CSortArray<CFloatDayItem>& bars = view.ChartBars();
        if (r.TrainStatus == kTrainStatusStart) {
            // The session trains over the bars the reply holds between its two dates.
            if (view.RangeFrom() == 0 || view.RangeTo() == 0) return;  // nothing served
            view.MakeFloatItems(0, 0, view.RangeFrom());
            const int first = LowerBoundKey(bars, view.RangeFrom());
            const int last = LastAtOrBefore(bars, view.RangeTo());
            if (first >= int(bars.GetSize()) || last < first) return;
            StartSession(uint32_t(bars[first].m_nTime),
                         code == kRandomWindow ? int32_t(view.WindowBarCount()) : 0);
            r.EndDate = int32_t(bars[last].m_nTime);
        }
        view.MakeFloatItems(0, 0, uint32_t(r.EndTrainDate));
        const int32_t floatCount = int32_t(bars.GetSize());
        if (floatCount == 0) return;
        m_nItemCount = std::max(view.TotalCount(), floatCount);
        const int32_t held = std::min(int32_t(view.RawBars().GetSize()), floatCount);
        m_nEnd = m_nLoadedEnd = m_nItemCount;
        m_nBegin = m_nItemCount - held;
        const int32_t offset = m_nItemCount - floatCount;  // float bar k sits at offset + k
        m_pOwner->ResetSeries();
        LoadItems(view, m_nBegin, m_nLoadedEnd, 0, 0);
        // The reply should hold the bars of both dates; when it lacks one, the last bar
        // before it stands in, so that nothing later is ever revealed.
        b = LowerBoundKey(bars, uint64_t(uint32_t(r.BeginTrainDate))) + offset;
        t = std::max(LastAtOrBefore(bars, r.EndTrainDate), 0) + offset;
        e = std::max(LastAtOrBefore(bars, r.EndDate) + offset, t);
        b = std::clamp(b, m_nBegin, t);
        t = std::max(t, m_nBegin);
        e = std::max(e, t);
        if (code == kRangeLoaded) r.TrainDays = e - b + 1;
    }

    bool built = false;
    if (code == kRangeLoaded && (!m_bNative || m_nClockType == kMinute || r.EndTrainTime != 0)) {
        if (m_nClockType == 0 && m_nClockPeriod == 0) {
            m_nClockType = kMinute;
            m_nClockPeriod = r.EndTrainTime % 5 == 0 ? 5 : 1;
            m_current.m_nTime = int64_t(r.EndTrainDate) * 10000 + r.EndTrainTime;
        }
        m_bNative = false;
        BuildPartialBar(t, m_current.m_nTime);
        built = true;
    }

    if (reveal) {
        const int32_t historyStart = std::max(b - kHistoryBars, 0);
        if (reveal->dataBegin == -1) {
            reveal->dataBegin = historyStart;
            if (overlay) overlay->SetStartIndex(historyStart);
        }
        reveal->revealedCount = t + 1;
        reveal->revealLimit = e + 1;
    }
    if (overlay) overlay->SetEndIndex(t + 1);
    SyncVisibleEnd();

    CFloatDayItem bar;
    LoadedBar(t, bar);
    const double preclose = PreCloseOf(t);
    if (!built && m_bNative) SetCurrentBar(m_nPeriod, bar, m_nDataType, true);
    HandBarToPanel(bar, preclose, false);
    RefreshChart(false);

    // A session's window rarely comes with the bars before it: ask once for the history
    // the view shows before the first training bar; its reply runs this load again.
    if (!m_bHistoryAsked && b - m_nBegin < kHistoryBars && GetConnectedChannel()) {
        m_bHistoryAsked = true;
        series->RequestTrainingBars(uint32_t(r.BeginTrainDate), uint32_t(kHistoryBars + 1),
                                    OwnerTag(this), [this, code] { NotifyOwner(code); });
    }
}

void TrainingPicData::OnBarsToDate() {
    CTrainingRecord& r = *m_pRecord;
    TrainingReveal* reveal = m_pTrainingOwner->GetReveal();
    std::shared_ptr<IChartOverlay> overlay = m_pOwner->GetChartOverlay();
    std::shared_ptr<CDayData> series = m_pSeries;

    int32_t limit = 0, c = 0;
    {
        auto view = series->Write();
        if (r.TrainStatus == kTrainStatusStart) {
            // The raw bars of a multi-day series are day bars: the session trains from the
            // first of them on or after its start.
            const CSortArray<CDayItem>& raw = view.RawBars();
            CDayItem probe;
            probe.m_nTime = r.StartDate;
            const int first = raw.LowerBound(probe);
            if (first >= int(raw.GetSize())) return;
            probe.m_nTime = int64_t(r.EndDate) + 1;
            const int last = raw.LowerBound(probe);
            StartSession(uint32_t(raw[first].m_nTime), std::max(last - first, 1));
            // The first bar of a week is a partial week: the clock stands on its day.
            m_nClockType = kDay;
            m_nClockPeriod = 1;
            m_current = CFloatDayItem();
            m_current.m_nTime = raw[first].m_nTime;
            m_bNative = false;
        }
        view.MakeFloatItems(0, 0, uint32_t(r.EndTrainDate));
        const CSortArray<CFloatDayItem>& bars = view.ChartBars();
        const int32_t floatCount = int32_t(bars.GetSize());
        if (floatCount == 0) return;
        m_nItemCount = std::max(view.TotalCount(), floatCount);
        const int32_t held = std::min(int32_t(view.RawBars().GetSize()), floatCount);
        m_nEnd = m_nLoadedEnd = m_nItemCount;
        m_nBegin = m_nItemCount - std::min(held, floatCount);
        const int32_t offset = m_nItemCount - floatCount;
        m_pOwner->ResetSeries();
        LoadItems(view, m_nBegin, m_nLoadedEnd, 0, 0);
        limit = std::min(LowerBoundKey(bars, uint64_t(uint32_t(r.EndDate))), floatCount - 1) + offset;
        c = std::min(LowerBoundKey(bars, uint64_t(uint32_t(r.EndTrainDate))), floatCount - 1) +
            offset;
        c = std::max(c, m_nBegin);
        limit = std::max(limit, c);
    }

    CFloatDayItem bar;
    LoadedBar(c, bar);
    bool built = false;
    if (!m_bNative ||
        (m_nClockType == kDay && m_current.m_nTime < bar.m_nTime) || m_nClockType == kMinute) {
        // The clock's bar stands for the bar of this period that holds it.
        BuildPartialBar(c, m_current.m_nTime);
        built = true;
    }
    if (reveal) {
        if (reveal->dataBegin == -1) {
            if (overlay) overlay->SetEndIndex(c + 1);
        } else if (overlay) {
            overlay->SetStartIndex(std::max(overlay->GetStartIndex(), m_nBegin));
        }
        reveal->dataBegin = m_nBegin;
        reveal->revealedCount = c + 1;
        reveal->revealLimit = limit + 1;
    }
    if (overlay) overlay->SetEndIndex(std::min(overlay->GetEndIndex(), c + 1));
    SyncVisibleEnd();

    LoadedBar(c, bar);
    if (m_bNative || built) {
        const bool native = !built;
        m_current = bar;
        m_nClockType = m_nDataType;
        m_nClockPeriod = m_nPeriod;
        m_bNative = native;
    }
    HandBarToPanel(bar, PreCloseOf(c), false);
    RefreshChart(false);
}

void TrainingPicData::OnMinuteYears(int64_t) {
    if (m_nDataType != kMinute) return;
    CTrainingRecord& r = *m_pRecord;
    TrainingReveal* reveal = m_pTrainingOwner->GetReveal();
    std::shared_ptr<IChartOverlay> overlay = m_pOwner->GetChartOverlay();
    std::shared_ptr<CDayData> series = m_pSeries;
    if (m_nTrainingYear == 0) m_nTrainingYear = uint32_t(r.EndTrainDate) / 10000;

    const bool coarser = m_nClockType == kMinute && r.EndTrainTime != 0 &&
                         (m_nClockPeriod == 5 ? (m_nPeriod > 5 && MultipleOfFive(m_nPeriod))
                                              : (m_nPeriod > 1 && !MultipleOfFive(m_nPeriod)));
    bool build = !m_bNative || coarser;

    const uint32_t fromYear = MultipleOfFive(m_nPeriod) ? m_nTrainingYear - 1 : m_nTrainingYear;
    int32_t revealed = 0, limit = 0;
    {
        auto view = series->Write();
        view.MakeFloatItems(fromYear, m_nTrainingYear, uint32_t(r.EndTrainDate));
        CSortArray<CFloatDayItem> work;
        view.GetItemsInDates(work, fromYear, m_nTrainingYear);
        const int32_t n = int32_t(work.GetSize());
        if (r.TrainStatus == kTrainStatusStart && n > 0) {
            // A minute session starts at the first bar of its first day.
            const int first = LowerBoundKey(work, uint64_t(uint32_t(r.StartDate)) * 10000);
            if (first < n) {
                const uint32_t day = uint32_t(work[first].m_nTime / 10000);
                std::set<uint32_t> days;
                for (int k = first; k < n && work[k].m_nTime / 10000 <= r.EndDate; ++k)
                    days.insert(uint32_t(work[k].m_nTime / 10000));
                StartSession(day, m_nWindowDays > 0 ? m_nWindowDays : int32_t(days.size()));
                r.EndTrainTime = int32_t(work[first].m_nTime % 10000);
            }
        }
        // Minute bars that do not reach the training date leave revealed at 0: the
        // prompt below comes once the view (and its lock) is gone.
        if (n > 0 && uint32_t(work[n - 1].m_nTime / 10000) >= uint32_t(r.EndTrainDate)) {
            m_nItemCount = std::max(
                int32_t(MultipleOfFive(m_nPeriod)
                            ? view.GetItemCountInDates(fromYear, m_nTrainingYear)
                            : view.GetItemCountOfDate(m_nTrainingYear)),
                n);
            m_nEnd = m_nLoadedEnd = m_nItemCount;
            m_nBegin = m_nItemCount - n;
            m_pOwner->ResetSeries();
            LoadItems(view, m_nBegin, m_nLoadedEnd, 0, 0);
            const int64_t clockTime = r.EndTrainTime != 0 ? r.EndTrainTime : 9999;
            int32_t at = LowerBoundKey(work, uint64_t(int64_t(r.EndTrainDate) * 10000 + clockTime));
            if (at == 0 || r.EndTrainTime != 0) ++at;
            revealed = std::min(at, n) + m_nBegin;
            limit = LowerBoundKey(work, uint64_t(int64_t(r.EndDate) * 10000 + 9999)) + m_nBegin;
            limit = std::max(limit, revealed);
        }
    }
    if (revealed == 0) {
        ShowPrompt(MissingMinutesText());
        return;
    }
    if (build) BuildPartialBar(revealed - 1, m_current.m_nTime);

    if (reveal) {
        if (overlay && overlay->GetEndIndex() == m_nRevealedMinutes) overlay->SetEndIndex(revealed);
        reveal->dataBegin = m_nBegin;
        reveal->revealedCount = revealed;
        reveal->revealLimit = limit;
    }
    if (overlay) overlay->SetEndIndex(std::min(overlay->GetEndIndex(), revealed));
    m_nRevealedMinutes = revealed;
    SyncVisibleEnd();

    CFloatDayItem bar;
    LoadedBar(revealed - 1, bar);
    if (m_bNative) SetCurrentBar(m_nPeriod, bar, m_nDataType, !build);
    HandBarToPanel(bar, PreCloseOf(revealed - 1), false);
    // The clock is the bar shown last (after a year change, the new year's first bar).
    r.EndTrainDate = int32_t(bar.m_nTime / 10000);
    r.EndTrainTime = int32_t(bar.m_nTime % 10000);
    RefreshChart(false);
}

// ---------------------------------------------------------------------------------------
// The panel and the chart

void TrainingPicData::HandBarToPanel(const CFloatDayItem& bar, double preclose, bool advanced) {
    ITrainingPanel* panel = m_pTrainingOwner ? m_pTrainingOwner->FindTrainingPanel() : nullptr;
    if (!panel) return;
    panel->SetQuote(bar.m_fOpen, bar.m_fHigh, bar.m_fLow, bar.m_fClose, preclose, bar.m_fVolume,
                    m_nDataType, m_nPeriod, bar.m_nTime);
    if (advanced && m_pRecord) {
        if (m_nDataType == kMinute) {
            m_pRecord->EndTrainDate = int32_t(bar.m_nTime / 10000);
            m_pRecord->EndTrainTime = int32_t(bar.m_nTime % 10000);
        } else {
            m_pRecord->EndTrainDate = int32_t(bar.m_nTime);
            m_pRecord->EndTrainTime = 0;
        }
    }
    panel->RepaintPanel();
    if (advanced) panel->OnBarAdvanced();
    panel->UpdateAccountBox();
}

void TrainingPicData::RefreshChart(bool updateNow) {
    std::shared_ptr<IChartOverlay> overlay = m_pOwner ? m_pOwner->GetChartOverlay() : nullptr;
    if (overlay) {
        overlay->Layout();
        SyncVisibleEnd();
        if (overlay->CalcIndicators(m_nBegin, m_nEnd)) m_pOwner->Repaint(false);
    }
    if (updateNow && m_pOwner) m_pOwner->Repaint(true);
}

// ---------------------------------------------------------------------------------------
// Zoom and period

void TrainingPicData::OnDataChanged(bool zoomIn, int steps) {
    std::shared_ptr<IChartOverlay> overlay = m_pOwner ? m_pOwner->GetChartOverlay() : nullptr;
    if (!overlay || m_nItemCount == 0) return;
    const int32_t before = overlay->GetVisibleCount();
    int32_t visible = before;
    if (zoomIn) {
        for (int k = 0; k < steps && visible >= 26; ++k) visible = int32_t(2LL * visible / 3);
    } else {
        const int32_t cap = int32_t(int64_t(m_nItemCount) * 11 / 10);
        for (int k = 0; k < steps; ++k) {
            visible = int32_t(int64_t(visible) * 3 / 2);
            if (cap < visible) {
                visible = cap;
                break;
            }
        }
        visible = std::max(visible, before);
    }
    if (visible == before) return;
    overlay->SetVisibleCount(visible);
    TrainingReveal* reveal = m_pTrainingOwner->GetReveal();
    if (reveal) reveal->dataBegin = 0;
    const int32_t start = overlay->GetStartIndex();
    const int32_t end = overlay->GetEndIndex();
    overlay->Layout();
    SyncVisibleEnd();
    if ((overlay->GetStartIndex() != start || overlay->GetEndIndex() != end) && m_pSeries) {
        std::shared_ptr<CDayData> series = m_pSeries;
        if (m_nDataType == kDay) {
            const auto [date, count] = GetRefreshRange();
            series->RequestTrainingBars(date, uint32_t(std::max(0, count)), OwnerTag(this),
                                        [this] { NotifyOwner(kBarsToDate); });
        } else if (m_nDataType == kMinute && m_pRecord) {
            series->RequestHistory(TrainingYears(), uint32_t(visible),
                                   uint32_t(m_pRecord->EndTrainDate), false, OwnerTag(this),
                                   [this] { NotifyOwner(kMinuteYears); });
        }
        overlay->RecalcPanes();
    }
    m_pOwner->RefreshTipAtCursor();
    m_pOwner->Repaint(true);
}

void TrainingPicData::SetPeriod(int16_t type, int16_t period) {
    if (m_nClockType == 0) return;
    if (ITrainingPanel* panel = m_pTrainingOwner ? m_pTrainingOwner->FindTrainingPanel() : nullptr)
        panel->StopAutoPlay();
    m_nRevealedMinutes = 0;
    if (m_nClockType == kDay) {
        m_nClockPeriod = 1;
        m_bNative = type != kDay || period == 1;
    } else if (m_nClockPeriod == 1) {
        m_bNative = type == kMinute ? period <= 1 : type != kDay;
    } else {
        if (type == kMinute)
            m_bNative = !((period > 5 && MultipleOfFive(period)) ||
                          (!MultipleOfFive(period) && period > 1));
        else
            m_bNative = type != kDay;
    }
    // Indexes of another period mean nothing here: the next load places the view anew.
    if (type != m_nDataType || period != m_nPeriod) {
        if (TrainingReveal* reveal = m_pTrainingOwner->GetReveal()) reveal->Reset();
    }
}
