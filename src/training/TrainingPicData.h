#pragma once
// The data layer of a trend-training chart. It binds the chart to the session's series,
// chooses the request a session needs (a date range, a random window, bars up to the
// training date, minute years), and turns each reply into the chart's items without
// letting anything after the training clock out:
//   - the layer's end index stops at the revealed count, so every reader that goes
//     through the layer's accessors (indicators, axis, marks, tips) sees the revealed
//     bars only; the bars after the clock stay in the buffer for stepping, reachable
//     through LoadedBar alone;
//   - a bar of a coarser period than the clock is replaced by a partial bar folded from
//     the finer bars up to the clock (TrainingPartialBars.cpp);
//   - prices are adjusted only for ex-rights events up to the training date, and the
//     events the clock passes are settled on the record (TrainingPartialBars.cpp).
//
// Threads: series callbacks run on the network thread (or at once when offline) and go
// through NotifyOwner(code), which posts 0x8067 with the code as lParam; everything else
// runs on the UI thread.

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "marketdata/DayItem.h"
#include "marketdata/PicDataLayer.h"
#include "training/TrainingChartHost.h"

class CTrainingRecord;
struct CSingleCQDataPerSecu;

class TrainingPicData : public PicDataLayer, public std::enable_shared_from_this<TrainingPicData> {
public:
    // lParam of 0x8067 for a training chart.
    enum NotifyCode : int64_t {
        kRangeLoaded = 0,       // 10401
        kRandomWindow = 1,      // 10501
        kBarsToDate = 2,        // 11001
        kMinuteYears = 3,       // 10801 / 10701
        kNextYearPlaying = 4,   // next year's minute bars during auto-play
        kNextYearStepped = 5,   // next year's minute bars after a manual step
    };
    // Bars shown before the first training bar when the series holds them.
    static constexpr int32_t kHistoryBars = 50;

    explicit TrainingPicData(ITrainingChartOwner* owner);
    ~TrainingPicData() override;

    // --- slots of the base ---
    void SetPeriod(int16_t dataType, int16_t period) override;
    void RequestData() override;
    // Zoom.
    void OnDataChanged(bool zoomIn, int steps) override;
    void OnDataNotify(uint64_t flag, int64_t code) override;
    uint32_t GetCurrentYear() override;
    void Reset() override;
    void RefreshData() override;

    // The session record (not owned); null outside a session.
    void SetRecord(CTrainingRecord* record);
    CTrainingRecord* GetRecord() const { return m_pRecord; }
    ITrainingChartOwner* GetTrainingOwner() const { return m_pTrainingOwner; }

    // Copies the bar and makes it the clock.
    void SetCurrentBar(int16_t period, const CFloatDayItem& bar, int16_t dataType, bool native);
    // Date of the last revealed bar and the bar count a refresh asks for.
    std::pair<uint32_t, int32_t> GetRefreshRange();

    // --- partial bars and ex-rights events ---
    // Makes item `index` show only what lies at or before the clock key; left as it was
    // when a key it needs is not held locally.
    void BuildPartialBar(int32_t index, int64_t clockKey);
    // Cuts a multi-day bar that runs past the session's EndDate.
    void SyncDayBar(int32_t index);
    // Puts the whole bar back in place of the partial current bar; false when the series
    // holds none or a rights-issue prompt stopped it.
    bool CompleteCurrentBar();
    // True when a rights issue falls after the clock's date and on or before `date` (the
    // date of the next bar): buying now would buy into it.
    bool HasRightsIssueFrom(uint32_t date);
    // Settles the events dated from..to on the record and rebuilds the adjusted bars;
    // false when the step must stop (the user wants to sell first, or the money does not
    // cover the rights shares).
    bool CheckRightsIssue(uint32_t from, uint32_t to);
    // The first ex-rights event of the security dated on or after `date`.
    bool FirstEventFrom(uint32_t date, CSingleCQDataPerSecu& event) const;

    // --- clock ---
    bool IsNative() const { return m_bNative; }
    void SetNative(bool native) { m_bNative = native; }
    int16_t GetClockType() const { return m_nClockType; }
    int16_t GetClockPeriod() const { return m_nClockPeriod; }
    const CFloatDayItem& GetCurrentBar() const { return m_current; }
    int64_t GetClockKey() const { return m_current.m_nTime; }
    uint32_t GetClockDate() const;
    int32_t GetRevealedMinuteCount() const { return m_nRevealedMinutes; }
    uint32_t GetTrainingYear() const { return m_nTrainingYear; }
    void SetTrainingYear(uint32_t year) { m_nTrainingYear = year; }

    // Bar i of the loaded items, revealed or not (stepping only); false outside them.
    bool LoadedBar(int32_t i, CFloatDayItem& bar) const;
    int32_t GetLoadedEnd() const { return m_nLoadedEnd; }
    // Keeps the layer's end index at the revealed count (after the reveal moved).
    void SyncVisibleEnd();
    // Date of a bar key of this layer.
    uint32_t KeyDate(int64_t key) const;
    // The close of the bar before i, or bar i's own open for the first loaded bar.
    double PreCloseOf(int32_t i) const;
    // Gives bar i to the panel of leaf 2: quote, repaint, account box (and, when
    // `advanced`, the record's clock and the stop checks in between).
    void HandBarToPanel(const CFloatDayItem& bar, double preclose, bool advanced);
    // Asks for next year's minute bars after the clock ran out of this year's.
    void RequestNextYear(const std::vector<uint32_t>& years, uint32_t date, bool autoPlay);
    // The callback for a notification code (posts or calls the owner).
    void NotifyOwner(int64_t code);

private:
    // The request of a session whose series is bound: its dates, a drawn window, minute years
    // or the bars up to its training date.
    void SendSessionRequest();
    // A minute or multi-day session by number of days: its window was drawn among the day
    // bars; it now trains over the window's dates.
    void OnWindowDrawn();
    void ReleaseWindowSeries();
    void OnRangeLoaded(int64_t code);
    void OnBarsToDate();
    void OnMinuteYears(int64_t code);
    // Starts a session whose record is still at status 0.
    void StartSession(uint32_t firstDate, int32_t trainDays);
    std::vector<uint32_t> TrainingYears() const;
    // Overwrites item i (loaded or revealed range).
    void StoreBar(int32_t i, const CFloatDayItem& bar);
    // Lays the overlay out, recomputes the indicators over the revealed bars and repaints
    // when they changed.
    void RefreshChart(bool updateNow);
    void ShowPrompt(const char* text);
    const char* MissingMinutesText() const;

    ITrainingChartOwner* m_pTrainingOwner;
    CTrainingRecord* m_pRecord = nullptr;
    bool m_bNative = true;
    int16_t m_nClockType = 0;
    int16_t m_nClockPeriod = 0;
    CFloatDayItem m_current;
    int32_t m_nRevealedMinutes = 0;
    uint32_t m_nTrainingYear = 0;
    int32_t m_nLoadedEnd = 0;
    bool m_bHistoryAsked = false;
    // The day series a window of days is drawn from for a minute or multi-day session.
    std::shared_ptr<CDayData> m_pWindowSeries;
    // The number of days of that window once drawn: the session's length, also where its
    // minute bars of a later year are not loaded yet.
    int32_t m_nWindowDays = 0;
    // How far the record has been settled for ex-rights events: a step stopped at a
    // rights prompt is taken again later and must not pay a dividend twice, while the
    // rights question of an event whose subscription failed is asked again.
    const CTrainingRecord* m_pSettledRecord = nullptr;
    uint32_t m_nSharesSettledDate = 0;
    uint32_t m_nRightsSettledDate = 0;
};
