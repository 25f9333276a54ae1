#pragma once
// The layer of a one-day intraday chart (data type 5, historical intraday), as the intraday
// popup shows a bar of a day chart. The wire protocol has no intraday request for a past
// day: the day's minutes come from the security's 1-minute K-line series, asked for the
// day's year exactly as the 1-minute chart asks for it (so both share the series and its
// cache in mk1.dat), and become 28-byte intraday records: the time yymmddhhmm, the
// minute's close as the price, the running volume-weighted average and the minute's volume.
//
// Threads: as every layer, the records are built on the UI thread in OnDataNotify, from
// the series read under its lock.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "marketdata/PicDataLayer.h"

class HistoryIntradayPicData : public PicDataLayer {
public:
    explicit HistoryIntradayPicData(IPicDataOwner* owner);

    // The day shown (yyyymmdd; 0 the security's latest trading day) and the close of the
    // day before it, which centres the price axis and colours the values (0: the
    // security's own reference price).
    void SetDay(uint32_t date, double reference);
    uint32_t GetRequestedDay() const { return m_nDate; }
    // The day the records are of: the requested one, or for 0 the security's latest
    // trading day (today without one).
    uint32_t ResolveDay() const;

    // The day was answered (by the server, or offline by what is held) and has no minutes:
    // a day older than the minute data, or one without trading.
    bool HasNoMinutes() const { return m_bAnswered && m_nItemCount == 0; }

    void RequestData() override;
    void RefreshData() override;
    void OnDataNotify(uint64_t code1, int64_t code2) override;
    uint32_t GetCurrentYear() override { return ResolveDay() / 10000; }

    // The intraday records of one day from chart bars of a 1-minute series (keys
    // yyyymmddhhmm, ascending), kHistoryIntradayRecord bytes each.
    static std::vector<uint8_t> BuildRecords(const CFloatDayItem* bars, size_t count, uint32_t date);

private:
    void SendDayRequest();

    uint32_t m_nDate = 0;
    bool m_bAnswered = false;
    double m_fDayReference = 0;
};
