#include "CsvMarket.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/Crc16.h"

namespace {

std::vector<std::string> SplitLine(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, ',')) {
        while (!field.empty() && (field.back() == '\r' || field.back() == ' ')) field.pop_back();
        size_t start = field.find_first_not_of(' ');
        fields.push_back(start == std::string::npos ? std::string() : field.substr(start));
    }
    return fields;
}

bool ParseUnsigned(std::string text, uint64_t& out) {
    text.erase(std::remove(text.begin(), text.end(), '-'), text.end());
    text.erase(std::remove(text.begin(), text.end(), ':'), text.end());
    if (text.empty() || text.size() > 12 || !std::all_of(text.begin(), text.end(), ::isdigit))
        return false;
    out = std::stoull(text);
    return true;
}

bool ParseDecimal(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end && *end == '\0' && std::isfinite(out) && out >= 0 && out < 1e12;
}

int32_t Thousandths(double yuan) {
    return int32_t(std::llround(yuan * 1000.0));
}

}  // namespace

bool CCsvMarket::Open(const std::string& directory, std::string& error) {
    namespace fs = std::filesystem;
    m_strDirectory = directory;
    std::error_code ec;
    if (!fs::is_directory(directory, ec)) {
        error = "not a directory: " + directory;
        return false;
    }
    std::map<std::pair<uint32_t, std::string>, ServedSecurity> found;
    for (const auto& entry : fs::directory_iterator(directory, ec)) {
        std::string name = entry.path().filename().string();
        if (!name.ends_with(".csv")) continue;
        std::string stem = name.substr(0, name.size() - 4);
        if (stem.ends_with(".1m") || stem.ends_with(".5m")) stem = stem.substr(0, stem.size() - 3);
        size_t underscore = stem.find('_');
        if (underscore == std::string::npos) continue;
        uint64_t market = 0;
        if (!ParseUnsigned(stem.substr(0, underscore), market) || market == 0 || market > 255)
            continue;
        std::string code = stem.substr(underscore + 1);
        if (code.empty() || code.size() > 31) continue;
        ServedSecurity& s = found[{uint32_t(market), code}];
        s.m_nMarket = uint32_t(market);
        s.m_strCode = code;
        s.m_strName = code;
    }
    if (found.empty()) {
        error = "no <market>_<code>.csv files in " + directory;
        return false;
    }
    std::ifstream names(fs::path(directory) / "names.csv");
    for (std::string line; std::getline(names, line);) {
        auto f = SplitLine(line);
        uint64_t market = 0;
        if (f.size() < 3 || !ParseUnsigned(f[0], market)) {
            ++m_nSkipped;
            continue;
        }
        auto it = found.find({uint32_t(market), f[1]});
        if (it == found.end()) continue;
        it->second.m_strName = f[2];
        it->second.m_bIndex = f.size() > 3 && (f[3] == "1" || f[3] == "index");
    }
    for (auto& [key, security] : found) m_securities.push_back(security);

    std::ifstream events(fs::path(directory) / "exrights.csv");
    std::string all;
    for (std::string line; std::getline(events, line);) {
        auto f = SplitLine(line);
        uint64_t market = 0, date = 0;
        double cash = 0, bonus = 0, transfer = 0, rights = 0, price = 0;
        if (f.size() < 8 || !ParseUnsigned(f[0], market) || !ParseUnsigned(f[2], date) ||
            !ParseDecimal(f[3], cash) || !ParseDecimal(f[4], bonus) ||
            !ParseDecimal(f[5], transfer) || !ParseDecimal(f[6], rights) ||
            !ParseDecimal(f[7], price) || f[1].empty() || f[1].size() > 31) {
            ++m_nSkipped;
            continue;
        }
        ServedExRights e;
        e.m_nMarket = uint32_t(market);
        e.m_strCode = f[1];
        e.m_nDate = uint32_t(date);
        e.m_nCash = std::llround(cash * 1e6);
        e.m_nBonus = std::llround(bonus * 1e6);
        e.m_nTransfer = std::llround(transfer * 1e6);
        e.m_nRights = std::llround(rights * 1e6);
        e.m_nRightsPrice = uint32_t(std::llround(price * 1000));
        m_exRights.push_back(e);
        all += line;
    }
    std::sort(m_exRights.begin(), m_exRights.end(),
              [](const ServedExRights& a, const ServedExRights& b) {
                  return std::tie(a.m_nMarket, a.m_strCode, a.m_nDate) <
                         std::tie(b.m_nMarket, b.m_strCode, b.m_nDate);
              });
    m_version = {uint32_t(m_exRights.size()),
                 Crc16(all.size(), reinterpret_cast<const uint8_t*>(all.data())) + 1u};
    return true;
}

std::string CCsvMarket::FileOf(const ServedSecurity& security, const std::string& suffix) const {
    return (std::filesystem::path(m_strDirectory) /
            (std::to_string(security.m_nMarket) + "_" + security.m_strCode + suffix + ".csv"))
        .string();
}

BarList CCsvMarket::Load(const ServedSecurity& security, const std::string& suffix, bool minutes) {
    std::string path = FileOf(security, suffix);
    {
        std::lock_guard lock(m_mutex);
        if (auto it = m_cache.find(path); it != m_cache.end()) return it->second;
    }
    auto bars = std::make_shared<std::vector<CDayItem>>();
    std::ifstream in(path);
    size_t skipped = 0;
    for (std::string line; std::getline(in, line);) {
        auto f = SplitLine(line);
        size_t p = minutes ? 2 : 1;
        uint64_t date = 0, time = 0;
        double o, h, l, c, v;
        if (f.size() < p + 5 || !ParseUnsigned(f[0], date) || date < 19900101 || date > 20991231 ||
            (minutes && (!ParseUnsigned(f[1], time) || time > 2359)) || !ParseDecimal(f[p], o) ||
            !ParseDecimal(f[p + 1], h) || !ParseDecimal(f[p + 2], l) ||
            !ParseDecimal(f[p + 3], c) || !ParseDecimal(f[p + 4], v) || h < std::max({o, c, l}) ||
            l > std::min(o, c)) {
            ++skipped;
            continue;
        }
        CDayItem bar;
        bar.m_nTime = minutes ? int64_t(date) * 10000 + int64_t(time) : int64_t(date);
        bar.m_nOpen = Thousandths(o);
        bar.m_nHigh = Thousandths(h);
        bar.m_nLow = Thousandths(l);
        bar.m_nClose = Thousandths(c);
        bar.m_nVolume = int64_t(v);
        bars->push_back(bar);
    }
    std::stable_sort(bars->begin(), bars->end(),
                     [](const CDayItem& a, const CDayItem& b) { return a.m_nTime < b.m_nTime; });
    // One bar per key: the later line wins.
    std::vector<CDayItem> unique;
    for (const CDayItem& b : *bars) {
        if (!unique.empty() && unique.back().m_nTime == b.m_nTime)
            unique.back() = b;
        else
            unique.push_back(b);
    }
    BarList result = std::make_shared<std::vector<CDayItem>>(std::move(unique));
    std::lock_guard lock(m_mutex);
    m_nSkipped += skipped;
    m_cache[path] = result;
    return result;
}

BarList CCsvMarket::DayBars(const ServedSecurity& security) {
    return Load(security, "", false);
}

BarList CCsvMarket::MinuteBars(const ServedSecurity& security, int granularity, int year) {
    BarList all;
    if (granularity == 5 && std::filesystem::exists(FileOf(security, ".5m")))
        all = Load(security, ".5m", true);
    else
        all = Load(security, ".1m", true);
    auto out = std::make_shared<std::vector<CDayItem>>();
    int64_t from = int64_t(year) * 100000000, to = from + 99999999;
    const bool aggregate = granularity == 5 && !std::filesystem::exists(FileOf(security, ".5m"));
    for (const CDayItem& b : *all) {
        if (b.m_nTime < from || b.m_nTime > to) continue;
        if (!aggregate) {
            out->push_back(b);
            continue;
        }
        // A 5-minute bar ends on a time whose minute is a multiple of five.
        int hhmm = int(b.m_nTime % 10000);
        int up = (hhmm / 100 * 60 + hhmm % 100 + 4) / 5 * 5;
        int64_t end = b.m_nTime - hhmm + up / 60 * 100 + up % 60;
        if (!out->empty() && out->back().m_nTime == end) {
            CDayItem& f = out->back();
            f.m_nHigh = std::max(f.m_nHigh, b.m_nHigh);
            f.m_nLow = std::min(f.m_nLow, b.m_nLow);
            f.m_nClose = b.m_nClose;
            f.m_nVolume += b.m_nVolume;
        } else {
            CDayItem f = b;
            f.m_nTime = end;
            out->push_back(f);
        }
    }
    return out;
}
