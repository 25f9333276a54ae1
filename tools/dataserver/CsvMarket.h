#pragma once
// Market data read from a directory of CSV files (see README.md, "CSV data directory"):
//   <market>_<code>.csv       day bars:    date,open,high,low,close,volume
//   <market>_<code>.1m.csv    1-minute:    date,time,open,high,low,close,volume
//   <market>_<code>.5m.csv    5-minute bars (made from the 1-minute file when missing)
//   names.csv                 optional:    market,code,name[,index]
//   exrights.csv              optional:    market,code,date,cash,bonus,transfer,rights,rights_price
// Dates are yyyymmdd or yyyy-mm-dd, times hh:mm or hhmm, prices in yuan. Lines that do not
// parse (a header, a comment) are skipped and counted.

#include <map>
#include <mutex>

#include "MarketSource.h"

class CCsvMarket : public CMarketSource {
public:
    // Reads the directory listing and the name and ex-rights files; bars are read when
    // first asked for. False with error set when the directory holds no bar file.
    bool Open(const std::string& directory, std::string& error);

    const std::vector<ServedSecurity>& Securities() const override { return m_securities; }
    BarList DayBars(const ServedSecurity& security) override;
    BarList MinuteBars(const ServedSecurity& security, int granularity, int year) override;
    const std::vector<ServedExRights>& ExRights() const override { return m_exRights; }
    std::pair<uint32_t, uint32_t> ExRightsVersion() const override { return m_version; }

    size_t GetSkippedLines() const { return m_nSkipped; }

private:
    BarList Load(const ServedSecurity& security, const std::string& suffix, bool minutes);
    std::string FileOf(const ServedSecurity& security, const std::string& suffix) const;

    std::string m_strDirectory;
    std::vector<ServedSecurity> m_securities;
    std::vector<ServedExRights> m_exRights;
    std::pair<uint32_t, uint32_t> m_version{0, 0};
    std::mutex m_mutex;
    std::map<std::string, BarList> m_cache;
    size_t m_nSkipped = 0;
};
