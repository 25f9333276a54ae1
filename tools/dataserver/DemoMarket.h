#pragma once
// Deterministic demo market: a fixed list of indices and stocks, daily bars from 2005 (or
// listing) to the last closed trading day, 1- and 5-minute bars for the most recent
// years, and ex-rights events of every kind. The same seed gives the same data on every
// machine: the generator uses its own random numbers, not the library's distributions.
//
// Day bars and events are made at start-up (a few hundred thousand bars, milliseconds);
// minute bars are derived from the day bars when first asked for, one year of one
// security at a time, so that each day's minutes open at its open, close at its close,
// reach exactly its high and low, and their volumes add up to its volume.

#include <map>
#include <mutex>

#include "MarketSource.h"

class CDemoMarket : public CMarketSource {
public:
    // minuteDays: how far back from the last trading day minute bars go.
    explicit CDemoMarket(uint32_t lastTradingDay = 0, int minuteDays = 731,
                         uint64_t seed = 20050104);

    const std::vector<ServedSecurity>& Securities() const override { return m_securities; }
    BarList DayBars(const ServedSecurity& security) override;
    BarList MinuteBars(const ServedSecurity& security, int granularity, int year) override;
    const std::vector<ServedExRights>& ExRights() const override { return m_exRights; }
    std::pair<uint32_t, uint32_t> ExRightsVersion() const override;

    uint32_t GetLastTradingDay() const { return m_nLastDay; }
    uint32_t GetFirstMinuteDay() const { return m_nFirstMinuteDay; }

    // The 240 one-minute bars of one day bar of one security.
    std::vector<CDayItem> MinutesOfDay(const ServedSecurity& security, const CDayItem& day) const;

private:
    struct Listing {
        ServedSecurity m_security;
        uint32_t m_nListed;
        double m_fStartPrice;
        double m_fVolatility;
        double m_fBaseVolume;
    };
    void Generate(const Listing& listing, std::vector<CDayItem>& bars);
    size_t IndexOf(const ServedSecurity& security) const;

    uint64_t m_nSeed;
    uint32_t m_nLastDay;
    uint32_t m_nFirstMinuteDay;
    std::vector<Listing> m_listings;
    std::vector<ServedSecurity> m_securities;
    std::vector<std::shared_ptr<const std::vector<CDayItem>>> m_dayBars;
    std::vector<ServedExRights> m_exRights;

    std::mutex m_cacheMutex;
    std::map<std::tuple<size_t, int, int>, BarList> m_minuteCache;
};
