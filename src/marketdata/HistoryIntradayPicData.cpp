#include "marketdata/HistoryIntradayPicData.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "marketdata/DayData.h"
#include "marketdata/DayDataPool.h"
#include "marketdata/Security.h"

namespace {
// The 1-minute series the day is cut from.
constexpr int16_t kSourcePeriod = 1;
// A trading day has 240 minutes; the bound keeps a malformed series (duplicate keys from
// another granularity, say) from growing one day's buffer without end.
constexpr size_t kMaxMinutesOfDay = 24 * 60;

template <typename T>
void WriteAt(uint8_t* record, size_t offset, T value) {
    std::memcpy(record + offset, &value, sizeof value);
}
}  // namespace

HistoryIntradayPicData::HistoryIntradayPicData(IPicDataOwner* owner) : PicDataLayer(owner) {
    SetDataType(kHistoryIntraday, 0);
}

void HistoryIntradayPicData::SetDay(uint32_t date, double reference) {
    if (date != m_nDate) m_bAnswered = false;
    m_nDate = date;
    m_fDayReference = reference > 0 ? reference : 0;
}

uint32_t HistoryIntradayPicData::ResolveDay() const {
    if (m_nDate != 0) return m_nDate;
    if (CSecurity* security = GetDataCenter()->FindSecurity(m_code)) {
        std::lock_guard lock(security->GetLock());
        const auto latest = uint32_t(uint64_t(security->GetValues().GetValue(1)) & 0xFFFFFFFFu);
        if (latest != 0) return latest;
    }
    return GetAppInfo()->GetToday();
}

std::vector<uint8_t> HistoryIntradayPicData::BuildRecords(const CFloatDayItem* bars, size_t count,
                                                          uint32_t date) {
    std::vector<uint8_t> out;
    if (!bars || date == 0) return out;
    const int64_t first = int64_t(date) * 10000;
    const int64_t last = first + 9999;
    const CFloatDayItem* begin = std::lower_bound(bars, bars + count, first,
                                                  [](const CFloatDayItem& b, int64_t key) { return b.m_nTime < key; });
    double volumeSum = 0, valueSum = 0;
    for (const CFloatDayItem* b = begin; b != bars + count && b->m_nTime <= last; ++b) {
        if (out.size() / kHistoryIntradayRecord >= kMaxMinutesOfDay) break;
        const double close = b->m_fClose, volume = b->m_fVolume;
        // The average is that of the day's closes weighted by their volumes: prices and
        // volumes of one series, whatever unit the amount is counted in.
        if (volume > 0) {
            volumeSum += volume;
            valueSum += close * volume;
        }
        const double average = volumeSum > 0 ? valueSum / volumeSum : close;
        uint8_t record[kHistoryIntradayRecord] = {};
        WriteAt(record, 0, uint32_t(b->m_nTime % 10000000000LL));  // yymmddhhmm
        WriteAt(record, 4, close);
        WriteAt(record, 12, average);
        WriteAt(record, 20, volume);
        out.insert(out.end(), record, record + kHistoryIntradayRecord);
    }
    return out;
}

void HistoryIntradayPicData::RequestData() {
    std::shared_ptr<CDayData> series = GetDayData(kMinute, m_code, kSourcePeriod);
    if (!series) return;
    if (series != m_pSeries) {
        Detach();
        m_pSeries = series;
    }
    // Another day of the same series is asked for again: the reply (or, offline, the
    // callback at once) rebuilds the records of the new day.
    SendDayRequest();
}

void HistoryIntradayPicData::RefreshData() {
    SendDayRequest();
}

void HistoryIntradayPicData::SendDayRequest() {
    if (!m_pSeries) return;
    std::shared_ptr<CDayData> series = m_pSeries;  // a callback run at once may detach us
    const uint32_t year = ResolveDay() / 10000;
    series->RequestHistory({year}, uint32_t(kMaxMinutesOfDay), year * 10000 + 9999, false, OwnerTag(this),
                           [this] { NotifyOwner(); });
}

void HistoryIntradayPicData::OnDataNotify(uint64_t, int64_t) {
    try {
        if (!TakeQuoteValues()) return;
        // A past day is measured against the close of the day before it, not today's.
        if (m_fDayReference > 0) m_fRefPrice1 = m_fDayReference;
        if (!m_pSeries) return;

        const uint32_t date = ResolveDay();
        const uint32_t year = date / 10000;
        std::vector<uint8_t> records;
        {
            // Built aside: the series is shared with any 1-minute chart of the security,
            // whose bars, years and adjustment stay as that chart made them.
            std::shared_ptr<CDayData> series = m_pSeries;
            std::vector<CFloatDayItem> bars;
            series->Read().BuildOneMinuteBarsOfYear(year, m_nAdjustMode, bars);
            records = BuildRecords(bars.data(), bars.size(), date);
        }
        m_nItemCount = int32_t(records.size() / kHistoryIntradayRecord);
        if (m_pOwner) m_pOwner->ResetSeries();
        if (m_items.size() < records.size()) Reserve();
        if (!records.empty()) std::memcpy(m_items.data(), records.data(), records.size());
        m_nBegin = 0;
        m_nEnd = m_nItemCount;
        m_nFirstLoad = 1;
        m_bAnswered = true;

        std::shared_ptr<IChartOverlay> overlay = m_pOwner ? m_pOwner->GetChartOverlay() : nullptr;
        if (overlay) {
            overlay->SetEndIndex(m_nItemCount);
            overlay->RelayoutKeepCursor();
            overlay->CalcIndicators(m_nBegin, m_nEnd);
            overlay->RecalcPanes();
        }
        if (m_pOwner) m_pOwner->Repaint(false);
    } catch (...) {
        // A notification that fails leaves the chart as it was; the next one rebuilds it.
    }
}
