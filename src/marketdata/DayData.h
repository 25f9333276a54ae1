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

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "foundation/DateTime.h"
#include "foundation/WRGuard.h"
#include "marketdata/CQData.h"
#include "marketdata/DayItem.h"
#include "marketdata/RequestChannel.h"
#include "foundation/SortArray.h"

class CBuffer;
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
    // Calls every callback in owner order. A callback may unsubscribe (itself or others);
    // an owner unsubscribed from another thread is not called once Unsubscribe returned.
    void Notify();

    const std::string& GetName() const { return m_strName; }
    CSecurity* GetSecurity() const { return m_pSecurity; }
    // Guards the bar arrays and the per-series fields; readers of the chart bars hold
    // its read lock.
    CWRGuard& GetGuard() { return m_guard; }

protected:
    CSecurity* m_pSecurity;
    std::string m_strName;
    CWRGuard m_guard;

private:
    std::map<OwnerTag, Callback> m_subscribers;
    std::recursive_mutex m_subscriberLock;
};

class CDayData : public CData {
public:
    static constexpr int16_t kMinuteType = 3;
    static constexpr int16_t kDayType = 4;

    CDayData(std::string name, CSecurity* security, int16_t dataType, int16_t period);
    ~CDayData() override;

    int32_t GetTotalCount() const override { return m_nTotalCount; }
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
    bool OnWindowReply(CBuffer& body);
    bool OnTrainingBarsReply(CBuffer& body);

    // --- Chart bars (callers hold the guard).
    void MakeFloatItems(uint32_t fromYear, uint32_t toYear, uint32_t endDate);
    void MergeBar(const CFloatDayItem& bar);
    void GetItemsInDates(CSortArray<CFloatDayItem>& out, uint32_t fromYear, uint32_t toYear);
    void GetItemsOfDate(uint32_t year, CSortArray<CFloatDayItem>& out);
    uint32_t GetItemCountInDates(uint32_t fromYear, uint32_t toYear);
    uint32_t CountItemsInDates(uint32_t fromYear, uint32_t toYear);
    uint32_t GetItemCountOfDate(uint32_t year);
    uint32_t CountItemsOfDate(uint32_t year);
    void CopyItemsOfYear(uint32_t year, CSortArray<CDayItem>& out);

    // --- Fields (callers hold the guard).
    int16_t GetDataType() const { return m_nDataType; }
    int16_t GetPeriod() const { return m_nPeriod; }
    CSortArray<CDayItem>& GetRawBars() { return m_rawBars; }
    CSortArray<CFloatDayItem>& GetChartBars() { return m_chartBars; }
    const CFloatDayItem& GetLastMergedBar() const { return m_lastMerged; }
    CSortArray<CSingleCQDataPerSecu>& GetExRights() { return m_exRights; }
    uint8_t GetAdjustMode() const { return m_nAdjustMode; }
    void SetAdjustMode(uint8_t mode) { m_nAdjustMode = mode; }
    double GetAdjustFactor() const { return m_fAdjustFactor; }
    double GetAdjustOffset() const { return m_fAdjustOffset; }
    void SetTotalCount(int32_t count) { m_nTotalCount = count; }
    uint32_t GetRangeFrom() const { return m_nRangeFrom; }
    uint32_t GetRangeTo() const { return m_nRangeTo; }
    uint32_t GetWindowBarCount() const { return m_nWindowBars; }
    std::map<uint32_t, uint32_t>& GetCountsByYear() { return m_countsByYear; }
    std::map<std::pair<uint32_t, uint32_t>, uint32_t>& GetCountsByYearRange() {
        return m_countsByRange;
    }

    // The store this series reads and writes: day.dat for the day family; mk5.dat for
    // minute periods that are multiples of 5; mk1.dat otherwise. Null when the data
    // centre has no such store open.
    CDataFile* ChooseStore() const;

private:
    struct BarMerge;  // one decoded reply, applied in one go
    struct HistoryDownload;

    bool IsOwnSecurity(CBuffer& body);
    void ApplyMerge(const BarMerge& merge);
    void AfterMerge();
    void Upsert(const CDayItem& bar);
    void RemoveYear(uint32_t year);
    void FrontCut(uint32_t cut);
    void WriteSummary(CBuffer& out);
    void WriteCode(CBuffer& out) const;
    // Builds the message (header placeholder, then the body writeBody appends), registers
    // handler for its serial and sends it.
    bool SendRequest(CRequestChannel& channel, uint16_t command,
                     const std::function<void(CBuffer&)>& writeBody,
                     std::function<bool(CDayData&, CBuffer&)> handler);
    bool OnHistoryChunk(HistoryDownload& download, CBuffer& body);
    bool DecodeHistory(CBuffer& plain);
    // Decodes a reply for this series and applies it in one go; false (nothing changed)
    // when it is for another security or short or malformed.
    bool DecodeAndMerge(CBuffer& body, const std::function<void(BarMerge&)>& decode);
    void AdjustForExRights(std::vector<CFloatDayItem>& bars, uint32_t endDate);
    uint32_t BarDate(int64_t key) const;
    bool SamePeriod(int64_t a, int64_t b);

    CSortArray<CDayItem> m_rawBars;
    CSortArray<CFloatDayItem> m_chartBars;
    CFloatDayItem m_lastMerged;
    CSortArray<CSingleCQDataPerSecu> m_exRights;
    int32_t m_nTotalCount = 0;
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
