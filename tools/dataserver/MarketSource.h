#pragma once
// Where the server's market data comes from: the built-in demo generator or a directory
// of CSV files. Bars are the wire's CDayItem (prices in thousandths of a yuan); day keys
// are yyyymmdd, minute keys yyyymmddhhmm.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "protocol/DayBar.h"

struct ServedSecurity {
    uint32_t m_nMarket = 0;
    std::string m_strCode;
    std::string m_strName;  // UTF-8
    bool m_bIndex = false;
};

struct ServedExRights {
    uint32_t m_nMarket = 0;
    std::string m_strCode;
    uint32_t m_nDate = 0;
    int64_t m_nCash = 0;          // yuan per 10 shares, 6 decimals
    int64_t m_nBonus = 0;         // shares per 10, 6 decimals
    int64_t m_nTransfer = 0;      // shares per 10, 6 decimals
    int64_t m_nRights = 0;        // shares per 10, 6 decimals; with price 0: shares after expansion
    uint32_t m_nRightsPrice = 0;  // yuan, 3 decimals
};

using BarList = std::shared_ptr<const std::vector<CDayItem>>;

class CMarketSource {
public:
    virtual ~CMarketSource() = default;
    virtual const std::vector<ServedSecurity>& Securities() const = 0;
    virtual const ServedSecurity* Find(uint32_t market, const std::string& code) const;
    // Every day bar, oldest first.
    virtual BarList DayBars(const ServedSecurity& security) = 0;
    // Minute bars (granularity 1 or 5) with keys in the given year, oldest first.
    virtual BarList MinuteBars(const ServedSecurity& security, int granularity, int year) = 0;
    virtual const std::vector<ServedExRights>& ExRights() const = 0;
    // Changes whenever the ex-rights table does: the two version words of the table.
    virtual std::pair<uint32_t, uint32_t> ExRightsVersion() const = 0;
};
