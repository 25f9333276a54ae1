#include "marketdata/PicDataLayer.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "foundation/Format.h"
#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "marketdata/DayData.h"
#include "marketdata/DayDataPool.h"
#include "marketdata/Security.h"

namespace {
std::mutex g_hooksLock;
DataLayerHooks g_hooks;

DataLayerHooks Hooks() {
    std::lock_guard lock(g_hooksLock);
    return g_hooks;
}

template <typename T>
T ReadAt(const uint8_t* record, size_t offset) {
    T value;
    std::memcpy(&value, record + offset, sizeof value);
    return value;
}

bool MultipleOfFive(int16_t period) {
    return period % 5 == 0;
}
}  // namespace

void SetDataLayerHooks(DataLayerHooks hooks) {
    std::lock_guard lock(g_hooksLock);
    g_hooks = std::move(hooks);
}

PicDataLayer::PicDataLayer(IPicDataOwner* owner) : m_pOwner(owner), m_code(-1, "") {}

PicDataLayer::~PicDataLayer() {
    // The series' subscriber list still holds a callback into this layer: give the
    // series back, which unsubscribes and waits for a call of it still running.
    if (m_pSeries) PicDataLayer::Detach();
}

int PicDataLayer::RecordSize() const {
    switch (m_nDataType) {
    case kIntraday: return kIntradayRecord;
    case kHistoryIntraday: return kHistoryIntradayRecord;
    case kTicks: return kTickRecord;
    default: return kBarRecord;
    }
}

uint32_t PicDataLayer::GetCurrentYear() {
    return GetAppInfo()->GetToday() / 10000;
}

std::vector<uint32_t> PicDataLayer::MinuteYears(uint32_t year) const {
    if (m_nPeriod == 1) return {year};
    return {year - 1, year};
}

// --- subscribing ---

void PicDataLayer::RequestData() {
    std::shared_ptr<CDayData> series = GetDayData(m_nDataType, m_code, m_nPeriod);
    if (!series) return;
    if (series == m_pSeries) {
        if (series->Read().AdjustMode() == m_nAdjustMode) return;
    } else {
        Detach();
        m_pSeries = series;
    }
    series->Write().SetAdjustMode(m_nAdjustMode);

    if (m_nDataType == kDay) {
        m_nItemCount = series->GetTotalCount();
    } else if (m_nDataType == kMinute) {
        const uint32_t year = GetAppInfo()->GetToday() / 10000;
        auto view = series->Read();
        m_nItemCount = int32_t(m_nPeriod == 1 ? view.CountItemsOfDate(year)
                                              : view.CountItemsInDates(year - 1, year));
    }
    SendRequests();
}

void PicDataLayer::SendRequests() {
    if (!m_pSeries) return;
    // Held by value: a callback run at once may detach the layer.
    std::shared_ptr<CDayData> series = m_pSeries;
    auto callback = [this] { NotifyOwner(); };
    if (m_nDataType == kDay) {
        series->RequestUpdate(uint32_t(std::max(0, GetStartIndex())), OwnerTag(this), callback);
    } else if (m_nDataType == kMinute) {
        const uint32_t year = GetAppInfo()->GetToday() / 10000;
        series->RequestHistory(MinuteYears(year), uint32_t(std::max(0, GetStartIndex())),
                               year * 10000 + 9999, false, OwnerTag(this), callback);
    }
}

void PicDataLayer::RefreshData() {
    SendRequests();
}

void PicDataLayer::Detach() {
    if (m_pSeries) {
        const std::string key = m_pSeries->GetName();
        m_pSeries.reset();
        GetDataCenter()->GetPool().Release(OwnerTag(this), key);
    }
    m_nFirstLoad = 0;
}

int32_t PicDataLayer::GetStartIndex() {
    if (m_nDataType == kIntraday || m_nDataType == kHistoryIntraday) return 0;
    std::shared_ptr<IChartOverlay> overlay = m_pOwner ? m_pOwner->GetChartOverlay() : nullptr;
    if (!overlay) return 0;
    const int32_t needed = m_nItemCount < 1 ? 0 : m_nItemCount - overlay->GetStartIndex();
    return std::max(needed, overlay->GetVisibleCount());
}

void PicDataLayer::Reset() {
    m_fPriceStep = 0.001;
    m_nCapacity = 0;
    m_nFirstLoad = 0;
    m_nBegin = m_nEnd = 0;
}

void PicDataLayer::Reserve() {
    m_items.clear();
    m_items.shrink_to_fit();
    m_nCapacity = std::max(0, m_nItemCount) + kSpareRecords;
    m_items.assign(size_t(m_nCapacity) * size_t(RecordSize()), 0);
}

// --- notification ---

void PicDataLayer::NotifyOwner(int64_t code) {
    if (!m_pOwner) return;
    const DataLayerHooks hooks = Hooks();
    if (std::this_thread::get_id() == hooks.uiThread) {
        m_pOwner->OnDataNotify(0, code);
    } else if (hooks.post) {
        hooks.post(m_pOwner->GetWindowHandle(), UM_LAYER_DATA_NOTIFY, 0, code);
    }
}

bool PicDataLayer::TakeQuoteValues() {
    CSecurity* security = GetDataCenter()->FindSecurity(m_code);
    if (!security) return false;
    m_pSecurity = security;
    std::lock_guard lock(security->GetLock());
    const IndValueArray& values = security->GetValues();
    const double divisor = double(values.GetValue(kQuotePriceDivisor));
    if (divisor > 0) {
        m_fPriceStep = double(values.GetValue(kQuoteMinPriceUnit)) / divisor;
        m_fRefPrice1 = double(values.GetBlobU32(kQuoteReplyBlock, 1)) / divisor;
        m_fRefPrice2 = double(values.GetBlobU32(kQuoteReplyBlock, 2)) / divisor;
    }
    return true;
}

void PicDataLayer::OnDataNotify(uint64_t, int64_t) {
    try {
        if (!TakeQuoteValues()) return;
        if (!m_pSeries) return;

        const int32_t oldCount = m_nItemCount;
        std::shared_ptr<IChartOverlay> overlay = m_pOwner ? m_pOwner->GetChartOverlay() : nullptr;
        std::shared_ptr<CDayData> series = m_pSeries;
        const uint32_t year = GetAppInfo()->GetToday() / 10000;
        const bool twoYears = MultipleOfFive(m_nPeriod);
        {
            // The chart bars are rebuilt here, so the view is the writer's. Views hold the
            // lock only for their scope, whatever throws inside it, and none is held while
            // the owner is called.
            auto view = series->Write();
            if (m_nDataType == kDay)
                view.MakeFloatItems(0, 0, 0);
            else
                view.MakeFloatItems(twoYears ? year - 1 : year, year, 0);
            if (m_nDataType == kMinute)
                m_nItemCount = int32_t(twoYears ? view.GetItemCountInDates(year - 1, year)
                                                : view.GetItemCountOfDate(year));
            else
                m_nItemCount = view.TotalCount();
        }
        if (m_nFirstLoad == 0 && overlay) {
            overlay->SetEndIndex(m_nItemCount);
            m_nFirstLoad = 1;
        }
        if (m_pOwner) m_pOwner->ResetSeries();
        {
            // Chart bars are rebuilt only on the UI thread: they are as built above.
            auto view = series->Read();
            int32_t n = 0;
            if (m_nDataType == kDay)
                n = std::min(int32_t(view.ChartBars().GetSize()), view.TotalCount());
            else if (m_nDataType == kMinute)
                n = int32_t(twoYears ? view.CountItemsInDates(year - 1, year)
                                     : view.CountItemsOfDate(year));
            n = std::clamp(n, 0, std::max(0, m_nItemCount));
            m_nEnd = m_nItemCount;
            m_nBegin = m_nItemCount - n;
            LoadItems(view, m_nBegin, m_nEnd, 0, 0);
        }

        if (overlay) {
            bool endMoved = false;
            if (overlay->GetEndIndex() == oldCount) {
                endMoved = oldCount != m_nItemCount;
                overlay->SetEndIndex(m_nItemCount);
            }
            const bool inside =
                overlay->GetStartIndex() >= m_nBegin && overlay->GetEndIndex() <= m_nEnd;
            uint16_t mode = 0;
            if (!(inside && !endMoved) && m_pOwner->GetDrawToolMode(mode) && mode != 2 &&
                mode != 3)
                overlay->RelayoutKeepCursor();
            if (overlay->CalcIndicators(m_nBegin, m_nEnd)) m_pOwner->Repaint(false);
        }
    } catch (...) {
        // A notification that fails leaves the chart as it was; the next one rebuilds it.
    }
}

void PicDataLayer::LoadItems(const CDayDataAccess& view, int32_t first, int32_t last, int, int) {
    if (!m_pSecurity || (m_nDataType != kMinute && m_nDataType != kDay)) return;
    if (first < 0 || last <= first) return;
    // An owner that did not reserve (or reserved for fewer items) must not make us write
    // past the buffer.
    if (last > m_nCapacity || m_items.size() < size_t(m_nCapacity) * kBarRecord) Reserve();
    const int32_t n = last - first;
    uint8_t* out = m_items.data() + size_t(first) * kBarRecord;
    if (m_nDataType == kDay) {
        const CSortArray<CFloatDayItem>& bars = view.ChartBars();
        const int32_t size = int32_t(bars.GetSize());
        const int32_t count = std::min(n, size);
        // The newest bars end the loaded range.
        for (int32_t k = 0; k < count; ++k)
            std::memcpy(out + size_t(n - count + k) * kBarRecord, &bars[size - count + k],
                        kBarRecord);
    } else {
        const uint32_t year = GetCurrentYear();
        CSortArray<CFloatDayItem> bars;
        if (MultipleOfFive(m_nPeriod))
            view.GetItemsInDates(bars, year - 1, year);
        else
            view.GetItemsOfDate(year, bars);
        const int32_t size = int32_t(bars.GetSize());
        const int32_t count = std::min(n, size);
        for (int32_t k = 0; k < count; ++k)
            std::memcpy(out + size_t(n - count + k) * kBarRecord, &bars[size - count + k],
                        kBarRecord);
    }
}

// --- zoom ---

void PicDataLayer::OnDataChanged(bool zoomIn, int steps) {
    std::shared_ptr<IChartOverlay> overlay = m_pOwner ? m_pOwner->GetChartOverlay() : nullptr;
    if (!overlay || m_nItemCount == 0) return;
    const int32_t before = overlay->GetVisibleCount();
    int32_t visible = before;
    if (zoomIn) {
        for (int k = 0; k < steps; ++k) {
            if (visible <= 25) break;
            visible = int32_t(2LL * visible / 3);
        }
    } else {
        for (int k = 0; k < steps; ++k) {
            visible = int32_t(3LL * visible / 2);
            const int32_t cap = int32_t(int64_t(m_nItemCount) * 11 / 10);
            if (visible > cap) {
                visible = cap;
                break;
            }
        }
        if (visible < before) visible = before;
    }
    if (visible == before) return;
    overlay->SetVisibleCount(visible);

    const int32_t start = overlay->GetStartIndex();
    const int32_t end = overlay->GetEndIndex();
    overlay->Layout();
    if (overlay->GetStartIndex() != start || overlay->GetEndIndex() != end) {
        SendRequests();
        overlay->RecalcPanes();
    }
    m_pOwner->RefreshTipAtCursor();
    m_pOwner->Repaint(true);
}

// --- accessors ---

const uint8_t* PicDataLayer::Record(int32_t i) const {
    if (m_items.empty() || i < m_nBegin || i >= m_nEnd || i < 0) return nullptr;
    const size_t size = size_t(RecordSize());
    if ((size_t(i) + 1) * size > m_items.size()) return nullptr;
    return m_items.data() + size_t(i) * size;
}

bool PicDataLayer::Bar(int32_t i, CFloatDayItem& bar) const {
    const uint8_t* record = Record(i);
    if (!record) return false;
    std::memcpy(&bar, record, sizeof bar);
    return true;
}

namespace {
// Offsets of the price, average price and volume in the small records.
double SinglePrice(const uint8_t* r, int16_t type) {
    switch (type) {
    case PicDataLayer::kIntraday: return ReadAt<double>(r, 8);
    case PicDataLayer::kHistoryIntraday: return ReadAt<double>(r, 4);
    default: return ReadAt<double>(r, 8);  // ticks
    }
}
}  // namespace

double PicDataLayer::BarField(int32_t i, size_t barOffset) const {
    const uint8_t* r = Record(i);
    if (!r) return 0;
    if (RecordSize() == kBarRecord) return ReadAt<double>(r, barOffset);
    return SinglePrice(r, m_nDataType);
}

double PicDataLayer::GetOpen(int32_t i) const {
    return BarField(i, offsetof(CFloatDayItem, m_fOpen));
}

double PicDataLayer::GetHigh(int32_t i) const {
    return BarField(i, offsetof(CFloatDayItem, m_fHigh));
}

double PicDataLayer::GetLow(int32_t i) const {
    return BarField(i, offsetof(CFloatDayItem, m_fLow));
}

double PicDataLayer::GetClose(int32_t i) const {
    return BarField(i, offsetof(CFloatDayItem, m_fClose));
}

double PicDataLayer::GetVolume(int32_t i) const {
    const uint8_t* r = Record(i);
    if (!r) return 0;
    switch (m_nDataType) {
    case kIntraday: return ReadAt<double>(r, 24);
    case kHistoryIntraday: return 0;
    case kTicks: return ReadAt<double>(r, 16);
    default: return ReadAt<double>(r, offsetof(CFloatDayItem, m_fVolume));
    }
}

double PicDataLayer::GetAvgPrice(int32_t i) const {
    const uint8_t* r = Record(i);
    if (!r) return 0;
    switch (m_nDataType) {
    case kIntraday: return ReadAt<double>(r, 16);
    case kHistoryIntraday: return ReadAt<double>(r, 12);
    default: return 0;
    }
}

double PicDataLayer::GetTime(int32_t i) const {
    const uint8_t* r = Record(i);
    if (!r) return 0;
    if (RecordSize() == kBarRecord) return double(ReadAt<int64_t>(r, 0));
    return double(ReadAt<uint32_t>(r, 0));
}

int64_t PicDataLayer::GetTimeAtX(int x) {
    std::shared_ptr<IChartOverlay> overlay = m_pOwner ? m_pOwner->GetChartOverlay() : nullptr;
    if (!overlay || m_items.empty() || m_nEnd <= m_nBegin) return 0;
    int32_t index = overlay->IndexAtX(x);
    if (index < 0) return 0;
    index = std::clamp(index, m_nBegin, m_nEnd - 1);
    return int64_t(GetTime(index));
}

int PicDataLayer::TimeToX(int64_t time, int32_t& index) {
    index = -1;
    std::shared_ptr<IChartOverlay> overlay = m_pOwner ? m_pOwner->GetChartOverlay() : nullptr;
    for (int32_t i = m_nBegin; i < m_nEnd; ++i) {
        if (!Record(i)) break;
        if (int64_t(GetTime(i)) >= time) {
            index = i;
            return overlay ? overlay->XOfIndex(i) : 0;
        }
    }
    return 0;
}

bool PicDataLayer::CalcRegressionChannel(int32_t last, int32_t first, double& lineStart,
                                         double& lineEnd, double& maxAbove, double& maxBelow,
                                         int32_t& highestIndex, int32_t& lowestIndex) const {
    if (m_items.empty() || first < m_nBegin || last >= m_nEnd || last < first) return false;
    const int n = last - first + 1;
    std::vector<double> closes(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) closes[size_t(k)] = GetClose(first + k);
    LinearRegressionEnds(closes.data(), n, lineStart, lineEnd);
    maxAbove = GetHigh(first) - lineStart;
    maxBelow = GetLow(first) - lineStart;
    highestIndex = lowestIndex = first;
    if (last == first) return true;
    double highest = GetHigh(first);
    double lowest = GetLow(first);
    for (int k = 0; k < n; ++k) {
        const int32_t i = first + k;
        const double line = lineStart + (lineEnd - lineStart) * k / (last - first);
        const double high = GetHigh(i);
        const double low = GetLow(i);
        maxAbove = std::max(maxAbove, high - line);
        maxBelow = std::min(maxBelow, low - line);
        if (high > highest) {
            highest = high;
            highestIndex = i;
        }
        if (low < lowest) {
            lowest = low;
            lowestIndex = i;
        }
    }
    return true;
}

bool PicDataLayer::ShowIntradayPopup(int32_t i) {
    if (m_nDataType != kDay || m_nPeriod != 1) return false;
    CFloatDayItem bar;
    if (!Bar(i, bar)) return false;
    uint32_t date = uint32_t(uint64_t(bar.m_nTime) & 0xFFFFFFFFu);
    if (CSecurity* security = GetDataCenter()->FindSecurity(m_code)) {
        std::lock_guard lock(security->GetLock());
        if (date == uint32_t(security->GetValues().GetValue(1))) date = 0;
    }
    const double reference = i > m_nBegin ? GetClose(i - 1) : GetOpen(i);
    if (m_pOwner) m_pOwner->ShowIntradayPicture(m_code, date, bar, reference);
    return true;
}
