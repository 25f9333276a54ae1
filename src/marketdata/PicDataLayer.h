#pragma once
// The binding between one chart window and one K-line series. The layer borrows the
// series from the pool, subscribes to it, copies the bars the chart shows into a flat
// item buffer and answers the chart's questions about them by index. It also owns the
// chart's horizontal zoom, because a wider view may need older bars from the server.
//
// Threads: series replies complete on the network thread and call NotifyOwner, which
// posts UM_DATA_NOTIFY to the owner window (or calls the owner directly when already on
// the UI thread); the owner's handler calls OnDataNotify. So the item buffer is only
// ever touched on the UI thread, and the series is read under its own lock.
//
// The chart window and its overlay live above market data; the layer reaches them only
// through the two small interfaces below, which the chart implements.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foundation/IndSecuCode.h"
#include "marketdata/DayItem.h"

class CDayData;
class CDayDataAccess;
class CSecurity;

// Posted to a chart window when its series changed (wParam 0, lParam 0).
inline constexpr uint32_t UM_LAYER_DATA_NOTIFY = 0x8067;

// The visible range of a chart and the work the layer asks of it. Start and end are item
// indexes (end one past the last visible bar); the visible count is 100 on a new chart.
class IChartOverlay {
public:
    virtual ~IChartOverlay() = default;
    virtual int32_t GetStartIndex() const = 0;
    virtual void SetStartIndex(int32_t index) = 0;
    virtual int32_t GetEndIndex() const = 0;
    virtual void SetEndIndex(int32_t index) = 0;
    virtual int32_t GetVisibleCount() const = 0;
    virtual void SetVisibleCount(int32_t count) = 0;
    // Recomputes start/end from the visible count and the widths.
    virtual void Layout() = 0;
    // Lays the chart out again after new data, the cursor staying on its bar.
    virtual void RelayoutKeepCursor() = 0;
    virtual void RecalcPanes() = 0;
    // Indicators over [begin, end); true when any result changed.
    virtual bool CalcIndicators(int32_t begin, int32_t end) = 0;
    // The chart's x <-> item index mapping (client coordinates).
    virtual int32_t IndexAtX(int x) const = 0;
    virtual int XOfIndex(int32_t index) const = 0;
};

// The chart window that owns a layer. Called on the UI thread only.
class IPicDataOwner {
public:
    virtual ~IPicDataOwner() = default;
    // The window UM_LAYER_DATA_NOTIFY is posted to (opaque here).
    virtual void* GetWindowHandle() const = 0;
    // Empty when the window has no chart overlay.
    virtual std::shared_ptr<IChartOverlay> GetChartOverlay() = 0;
    // False when the window has no drawing-tool overlay; else its mode.
    virtual bool GetDrawToolMode(uint16_t& mode) = 0;
    // Reserves the layer's items (PicDataLayer::Reserve) and sizes the indicator results.
    virtual void ResetSeries() = 0;
    // The window's data-notification slot; it calls PicDataLayer::OnDataNotify.
    virtual void OnDataNotify(uint64_t wParam, int64_t lParam) = 0;
    // Re-reads the hover tip at the cursor.
    virtual void RefreshTipAtCursor() = 0;
    // Invalidates the whole window (erasing); paints at once when updateNow.
    virtual void Repaint(bool updateNow) = 0;
    // Shows one day's intraday picture in the current-picture dialog (date 0: today).
    virtual void ShowIntradayPicture(const CIndSecuCode& code, uint32_t date,
                                     const CFloatDayItem& bar, double referencePrice) = 0;
};

// How a layer reaches the window system without depending on it: the application
// installs a poster and names its UI thread at start-up. Without a poster (tests that do
// not install one) a notification off the UI thread is dropped.
struct DataLayerHooks {
    std::function<void(void* window, uint32_t msg, uint64_t wParam, int64_t lParam)> post;
    std::thread::id uiThread;
};
void SetDataLayerHooks(DataLayerHooks hooks);

class PicDataLayer {
public:
    // Data types of the layer.
    static constexpr int16_t kIntraday = 2;
    static constexpr int16_t kMinute = 3;
    static constexpr int16_t kDay = 4;
    static constexpr int16_t kHistoryIntraday = 5;
    static constexpr int16_t kTicks = 13;

    // Records of the item buffer by data type.
    static constexpr int kIntradayRecord = 61;
    static constexpr int kHistoryIntradayRecord = 28;
    static constexpr int kTickRecord = 40;
    static constexpr int kBarRecord = 124;

    static constexpr int32_t kSpareRecords = 100;

    explicit PicDataLayer(IPicDataOwner* owner);

    // --- virtual slots, in their fixed order ---
    // Gives the series back when it is still held (its callback points at this layer).
    virtual ~PicDataLayer();
    virtual void SetPeriod(int16_t dataType, int16_t period) {}
    virtual void RequestData();
    virtual void Detach();
    virtual void OnDataChanged(bool zoomIn, int steps);
    virtual void OnDataNotify(uint64_t code1, int64_t code2);
    virtual uint32_t GetCurrentYear();
    // Copies the series' bars for [first, last) into the items; view is the series read
    // under the lock the notification holds. The two trailing arguments are unused.
    virtual void LoadItems(const CDayDataAccess& view, int32_t first, int32_t last, int, int);
    virtual int32_t GetStartIndex();
    virtual void Reset();
    virtual void RefreshData();

    bool IsIntraday() const { return m_nDataType == kIntraday || m_nDataType == kHistoryIntraday; }
    // Frees the items and allocates item count + 100 zeroed records of the type's size.
    void Reserve();

    // Accessors by item index; 0 for an index outside [begin, end) or without items.
    double GetOpen(int32_t i) const;
    double GetHigh(int32_t i) const;
    double GetLow(int32_t i) const;
    double GetClose(int32_t i) const;
    double GetVolume(int32_t i) const;
    double GetAvgPrice(int32_t i) const;
    double GetTime(int32_t i) const;
    int64_t GetTimeAtX(int x);
    // The x of the first loaded item not before time; index -1 and 0 when there is none.
    int TimeToX(int64_t time, int32_t& index);

    // Least-squares channel of the closes of first..last (drawing tools).
    bool CalcRegressionChannel(int32_t last, int32_t first, double& lineStart, double& lineEnd,
                               double& maxAbove, double& maxBelow, int32_t& highestIndex,
                               int32_t& lowestIndex) const;
    // Day bars only: shows bar i's intraday picture through the owner.
    bool ShowIntradayPopup(int32_t i);
    // The series callback (any thread); code goes to the owner as lParam.
    void NotifyOwner(int64_t code = 0);

    // --- state ---
    int16_t GetDataType() const { return m_nDataType; }
    int16_t GetPeriod() const { return m_nPeriod; }
    void SetDataType(int16_t dataType, int16_t period) {
        m_nDataType = dataType;
        m_nPeriod = period;
    }
    uint8_t GetAdjustMode() const { return m_nAdjustMode; }
    void SetAdjustMode(uint8_t mode) { m_nAdjustMode = mode; }
    const CIndSecuCode& GetCode() const { return m_code; }
    void SetCode(const CIndSecuCode& code) { m_code = code; }
    int32_t GetItemCount() const { return m_nItemCount; }
    int32_t GetCapacity() const { return m_nCapacity; }
    int32_t GetBegin() const { return m_nBegin; }
    int32_t GetEnd() const { return m_nEnd; }
    double GetPriceStep() const { return m_fPriceStep; }
    double GetReferencePrice1() const { return m_fRefPrice1; }
    double GetReferencePrice2() const { return m_fRefPrice2; }
    bool IsFirstLoadDone() const { return m_nFirstLoad != 0; }
    const std::shared_ptr<CDayData>& GetSeries() const { return m_pSeries; }
    CSecurity* GetSecurity() const { return m_pSecurity; }
    IPicDataOwner* GetOwner() const { return m_pOwner; }
    int RecordSize() const;
    // The item buffer (records of RecordSize bytes from item 0), null when empty; what the
    // formula engine computes over.
    const void* GetRecords() const { return m_items.empty() ? nullptr : m_items.data(); }

protected:
    // Finds the layer's security and takes its price step and reference prices from its
    // quote values (left as they were while the divisor is unknown). False without one.
    bool TakeQuoteValues();
    // The record of item i, or null when i is outside the loaded range or the buffer.
    const uint8_t* Record(int32_t i) const;
    // A price of item i: the f64 at barOffset of a 124-byte bar, the single price of the
    // smaller records.
    double BarField(int32_t i, size_t barOffset) const;
    // Bar i of a 124-byte buffer, copied out (the records are packed).
    bool Bar(int32_t i, CFloatDayItem& bar) const;
    // The year list and item count of a minute request for the current year.
    std::vector<uint32_t> MinuteYears(uint32_t year) const;
    void SendRequests();

    std::vector<uint8_t> m_items;
    int32_t m_nItemCount = 0;
    int32_t m_nCapacity = 0;
    int32_t m_nBegin = 0;
    int32_t m_nEnd = 0;
    int16_t m_nDataType = kIntraday;
    int16_t m_nPeriod = 0;
    uint8_t m_nAdjustMode = 2;
    double m_fPriceStep = 0;
    double m_fRefPrice1 = 0;
    double m_fRefPrice2 = 0;
    int32_t m_nFirstLoad = 0;
    IPicDataOwner* m_pOwner;
    std::shared_ptr<CDayData> m_pSeries;
    CIndSecuCode m_code;
    CSecurity* m_pSecurity = nullptr;
};
