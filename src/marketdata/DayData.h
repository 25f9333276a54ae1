#pragma once
// One K-line series: the raw bars of one security for one data type and period, held
// locally and fetched from the server, the chart bars built from them, and the
// subscribers that want to hear when it changes.
//
// Road of a reply: the request goes out through the request channel with a summary of
// what is held; the reply handler runs on the network thread, decodes the whole reply
// first, then merges it under the series' writer lock, releases the lock, and posts the
// save to the block file and the subscriber calls so that they run after the channel
// has left its pending-reply lock.
//
// Created only by the series pool (CDayDataPool), which loads it from its store at once.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <string>
#include <utility>
#include <vector>

#include "foundation/DateTime.h"
#include "foundation/WRGuard.h"
#include "marketdata/CQData.h"
#include "marketdata/DayItem.h"
#include "marketdata/RequestChannel.h"
#include "foundation/SortArray.h"
#include "protocol/Wire.h"

class CBuffer;
namespace wire {
struct SecurityRef;
struct HeldSummary;
}  // namespace wire
class CDataFile;
class CSecurity;
struct CDataHead;

class CData : public std::enable_shared_from_this<CData> {
public:
    using Callback = std::function<void()>;

    CData(std::string name, CSecurity* security);
    virtual ~CData();
    CData(const CData&) = delete;
    CData& operator=(const CData&) = delete;

    virtual int32_t GetTotalCount() const { return 0; }
    virtual void LoadLocal() {}
    virtual bool SaveLocal() { return true; }

    // Inserts or replaces the owner's callback.
    void Subscribe(OwnerTag owner, Callback callback);
    void Unsubscribe(OwnerTag owner);
    bool IsSubscribed(OwnerTag owner);
    // Calls every callback in owner order, with no lock held. A callback may subscribe
    // and unsubscribe (itself or others). Once Unsubscribe returned, the owner is not
    // called again and no call of it is still running (but a call from the thread that
    // unsubscribes, i.e. the callback unsubscribing itself).
    void Notify();

    const std::string& GetName() const { return m_strName; }
    CSecurity* GetSecurity() const { return m_pSecurity; }

protected:
    CSecurity* m_pSecurity;
    std::string m_strName;
    // Guards the bar arrays and the per-series fields of a series; taken only through
    // the series' views, so that no reference to guarded data outlives its lock.
    mutable CWRGuard m_guard;

private:
    std::map<OwnerTag, Callback> m_subscribers;
    std::mutex m_subscriberLock;
    // The owners whose callback runs now, with the threads running them: Unsubscribe
    // from another thread waits for them, Unsubscribe from within a callback does not.
    std::multimap<OwnerTag, std::thread::id> m_running;
    std::condition_variable m_callbackDone;
};

class CDayDataAccess;

class CDayData : public CData {
    friend class CDayDataAccess;
public:
    static constexpr int16_t kMinuteType = 3;
    static constexpr int16_t kDayType = 4;

    CDayData(std::string name, CSecurity* security, int16_t dataType, int16_t period);
    ~CDayData() override;

    // Atomic: status displays read it without a view.
    int32_t GetTotalCount() const override { return m_nTotalCount.load(); }
    void LoadLocal() override;
    // Replaces the security's chain in its store with the raw bars (but a day series'
    // newest bar while its volume is 0). False when the store refused the write.
    bool SaveLocal() override;

    // --- Requests. Each subscribes the caller when it sends; offline it answers at once
    //     from what is held (see each).
    void RequestHistory(const std::vector<uint32_t>& years, uint32_t barsWanted, uint32_t upperDate,
                        bool withChunks, OwnerTag owner, Callback callback);
    void RequestUpdate(uint32_t barsWanted, OwnerTag owner, Callback callback);
    void RequestRange(uint32_t from, uint32_t to, OwnerTag owner, Callback callback);
    void RequestTrainingBars(uint32_t param1, uint32_t param2, OwnerTag owner, Callback callback);
    void RequestRandomWindow(uint32_t barCount, OwnerTag owner, Callback callback);

    // --- Request bodies (after the 28-byte header), as sent; exposed for the server side
    //     and the tests. The summaries are taken under the read lock.
    void BuildHistoryBody(CBuffer& out, const std::vector<uint32_t>& years, uint32_t barsWanted,
                          uint32_t upperDate);
    void BuildUpdateBody(CBuffer& out, uint32_t barsWanted);
    void BuildTrainingBody(CBuffer& out);
    void BuildRangeBody(CBuffer& out);
    void BuildRandomWindowBody(CBuffer& out);

    // --- Reply handlers (network thread). Each returns true when the reply is complete.
    //     A malformed or short reply leaves the series as it was and ends the reply.
    bool OnHistoryReply(CBuffer& body);
    bool OnUpdateReply(CBuffer& body);
    bool OnWindowReply(CBuffer& body, uint16_t command = wire::kRange);
    bool OnTrainingBarsReply(CBuffer& body);

    int16_t GetDataType() const { return m_nDataType; }
    int16_t GetPeriod() const { return m_nPeriod; }

    // --- Views. A view holds the series' lock for as long as it lives; references it
    //     hands out are valid only as long as the view. Keep views short: the network
    //     thread waits for them before it merges a reply. The lock is not re-entrant:
    //     never take a second view of one series on the thread that holds one, and call
    //     nothing that may take one (requests, SaveLocal, Notify) while holding one.
    class ReadView;
    class WriteView;
    // The bars and every field a merge writes, under the read lock.
    ReadView Read() const;
    // The same, under the write lock, plus building the chart bars and editing the raw
    // bars (loaders and tests).
    WriteView Write();
    // The write view when the lock is free now; nullopt when anyone holds it.
    std::optional<WriteView> TryWrite();

    // The store this series reads and writes: day.dat for the day family; mk5.dat for
    // minute periods that are multiples of 5; mk1.dat otherwise. Null when the data
    // centre has no such store open.
    CDataFile* ChooseStore() const;

private:
    struct BarMerge;  // one decoded reply, applied in one go

    // Chart bars and queries; the callers (the views) hold the lock.
    void MakeFloatItems(uint32_t fromYear, uint32_t toYear, uint32_t endDate);
    void MergeBar(const CFloatDayItem& bar);
    void GetItemsInDates(CSortArray<CFloatDayItem>& out, uint32_t fromYear, uint32_t toYear) const;
    uint32_t GetItemCountInDates(uint32_t fromYear, uint32_t toYear) const;
    uint32_t CountItemsInDates(uint32_t fromYear, uint32_t toYear) const;
    uint32_t GetItemCountOfDate(uint32_t year) const;
    uint32_t CountItemsOfDate(uint32_t year) const;
    void CopyItemsOfYear(uint32_t year, CSortArray<CDayItem>& out) const;
    void BuildOneMinuteBarsOfYear(uint32_t year, uint8_t adjustMode,
                                  std::vector<CFloatDayItem>& out) const;
    struct HistoryDownload;

    bool IsOwnSecurity(const wire::SecurityRef& security);
    void ApplyMerge(const BarMerge& merge);
    void Merge(const BarMerge& merge);  // ApplyMerge, then AfterMerge
    void AfterMerge();
    void Upsert(const CDayItem& bar);
    void RemoveYear(uint32_t year);
    void FrontCut(uint32_t cut);
    wire::HeldSummary HeldOnWire();
    wire::SecurityRef SecurityOnWire() const;
    // Builds the message (header placeholder, then the body writeBody appends), registers
    // handler for its serial and sends it.
    bool SendRequest(CRequestChannel& channel, uint16_t command,
                     const std::function<void(CBuffer&)>& writeBody,
                     std::function<bool(CDayData&, CBuffer&)> handler);
    bool OnHistoryChunk(HistoryDownload& download, CBuffer& body);
    // Reads the decompressed 10801 reply and applies it in one go; false (nothing
    // changed) when it is for another security or short or malformed.
    bool DecodeHistory(CBuffer& plain);
    // Adjusts bars for the ex-rights events in `mode`, carrying the running transform in
    // factor and offset (both start at the identity).
    void AdjustForExRights(std::vector<CFloatDayItem>& bars, uint32_t endDate, uint8_t mode,
                           double& factor, double& offset) const;
    uint32_t BarDate(int64_t key) const;
    bool SamePeriod(int64_t a, int64_t b);

    CSortArray<CDayItem> m_rawBars;
    CSortArray<CFloatDayItem> m_chartBars;
    CFloatDayItem m_lastMerged;
    CSortArray<CSingleCQDataPerSecu> m_exRights;
    std::atomic<int32_t> m_nTotalCount{0};
    int16_t m_nDataType;
    int16_t m_nPeriod;
    uint32_t m_nRangeFrom = 0;
    uint32_t m_nRangeTo = 0;
    uint32_t m_nWindowBars = 0;
    uint32_t m_nTrainParam1 = 0;
    uint32_t m_nTrainParam2 = 0;
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> m_countsByRange;
    std::map<uint32_t, uint32_t> m_countsByYear;
    double m_fAdjustFactor = 1.0;
    double m_fAdjustOffset = 0.0;
    uint8_t m_nAdjustMode = 2;
    // Minute slot look-ups while building chart bars.
    TradingSessions m_sessions;
    int64_t m_nSlotKey = -1;
    int64_t m_nSlot = 0;
};

// What both views read. Each accessor reads under the lock its view holds.
class CDayDataAccess {
public:
    const CSortArray<CDayItem>& RawBars() const { return m_pSeries->m_rawBars; }
    const CSortArray<CFloatDayItem>& ChartBars() const { return m_pSeries->m_chartBars; }
    // The last bar the chart-bar build merged (before folding into its period).
    const CFloatDayItem& LastMergedBar() const { return m_pSeries->m_lastMerged; }
    const CSortArray<CSingleCQDataPerSecu>& ExRights() const { return m_pSeries->m_exRights; }
    uint8_t AdjustMode() const { return m_pSeries->m_nAdjustMode; }
    double AdjustFactor() const { return m_pSeries->m_fAdjustFactor; }
    double AdjustOffset() const { return m_pSeries->m_fAdjustOffset; }
    int32_t TotalCount() const { return m_pSeries->m_nTotalCount.load(); }
    uint32_t RangeFrom() const { return m_pSeries->m_nRangeFrom; }
    uint32_t RangeTo() const { return m_pSeries->m_nRangeTo; }
    uint32_t WindowBarCount() const { return m_pSeries->m_nWindowBars; }
    // Bar counts the server reported, per year (period 1) and per year range.
    const std::map<uint32_t, uint32_t>& CountsByYear() const { return m_pSeries->m_countsByYear; }
    const std::map<std::pair<uint32_t, uint32_t>, uint32_t>& CountsByYearRange() const {
        return m_pSeries->m_countsByRange;
    }

    // Chart bars of the years fromYear..toYear (replacing out's contents).
    void GetItemsInDates(CSortArray<CFloatDayItem>& out, uint32_t fromYear, uint32_t toYear) const {
        m_pSeries->GetItemsInDates(out, fromYear, toYear);
    }
    void GetItemsOfDate(uint32_t year, CSortArray<CFloatDayItem>& out) const {
        m_pSeries->GetItemsInDates(out, year, year);
    }
    // The count the server reported when there is one, else the held count.
    uint32_t GetItemCountInDates(uint32_t fromYear, uint32_t toYear) const {
        return m_pSeries->GetItemCountInDates(fromYear, toYear);
    }
    // The held count, never more than the server reported.
    uint32_t CountItemsInDates(uint32_t fromYear, uint32_t toYear) const {
        return m_pSeries->CountItemsInDates(fromYear, toYear);
    }
    uint32_t GetItemCountOfDate(uint32_t year) const { return m_pSeries->GetItemCountOfDate(year); }
    uint32_t CountItemsOfDate(uint32_t year) const { return m_pSeries->CountItemsOfDate(year); }
    // Raw bars of one year (replacing out's contents).
    void CopyItemsOfYear(uint32_t year, CSortArray<CDayItem>& out) const {
        m_pSeries->CopyItemsOfYear(year, out);
    }
    // One year of a 1-minute series as chart bars, adjusted in `adjustMode` exactly as the
    // chart-bar build of that year alone would adjust them, written to out and nowhere
    // else: a reader of another year or another adjustment (the intraday popup of a past
    // day) leaves the bars, mode and factors that charts of this series show untouched.
    void BuildOneMinuteBarsOfYear(uint32_t year, uint8_t adjustMode,
                                  std::vector<CFloatDayItem>& out) const {
        m_pSeries->BuildOneMinuteBarsOfYear(year, adjustMode, out);
    }

protected:
    explicit CDayDataAccess(const CDayData& series) : m_pSeries(&series) {}
    const CDayData* m_pSeries;
};

class CDayData::ReadView : public CDayDataAccess {
public:
    ReadView(ReadView&&) noexcept = default;

private:
    friend class CDayData;
    explicit ReadView(const CDayData& series)
        : CDayDataAccess(series), m_lock(series.m_guard) {}
    CReadGuard m_lock;
};

class CDayData::WriteView : public CDayDataAccess {
public:
    WriteView(WriteView&&) noexcept = default;

    CSortArray<CDayItem>& RawBars() { return Series().m_rawBars; }
    using CDayDataAccess::RawBars;
    CSortArray<CSingleCQDataPerSecu>& ExRights() { return Series().m_exRights; }
    using CDayDataAccess::ExRights;
    std::map<uint32_t, uint32_t>& CountsByYear() { return Series().m_countsByYear; }
    using CDayDataAccess::CountsByYear;
    std::map<std::pair<uint32_t, uint32_t>, uint32_t>& CountsByYearRange() {
        return Series().m_countsByRange;
    }
    using CDayDataAccess::CountsByYearRange;
    // 0 none, 1 forward, 2 backward; applies at the next MakeFloatItems.
    void SetAdjustMode(uint8_t mode) { Series().m_nAdjustMode = mode; }
    void SetTotalCount(int32_t count) { Series().m_nTotalCount = count; }
    // Rebuilds the chart bars from the raw bars (of the years fromYear..toYear for a
    // minute series when both are set), adjusted for ex-rights up to endDate (0: all).
    void MakeFloatItems(uint32_t fromYear, uint32_t toYear, uint32_t endDate) {
        Series().MakeFloatItems(fromYear, toYear, endDate);
    }
    // Folds one more bar into the newest chart bar or appends it.
    void MergeBar(const CFloatDayItem& bar) { Series().MergeBar(bar); }

private:
    friend class CDayData;
    WriteView(CDayData& series, CWriteGuard lock)
        : CDayDataAccess(series), m_lock(std::move(lock)) {}
    CDayData& Series() { return const_cast<CDayData&>(*m_pSeries); }
    CWriteGuard m_lock;
};

inline CDayData::ReadView CDayData::Read() const {
    return ReadView(*this);
}

inline CDayData::WriteView CDayData::Write() {
    return WriteView(*this, CWriteGuard(m_guard));
}
