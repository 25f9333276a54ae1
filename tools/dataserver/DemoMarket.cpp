#include "DemoMarket.h"

#include <algorithm>
#include <cmath>

#include "TradingCalendar.h"
#include "foundation/DateTime.h"

namespace {

// splitmix64: small, fast, and the same everywhere.
class CRandom {
public:
    explicit CRandom(uint64_t seed) : m_state(seed) {}
    uint64_t Next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Normal() {
        double u1 = std::max(Uniform(), 1e-12), u2 = Uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }
    int Below(int n) { return int(Next() % uint64_t(n)); }

private:
    uint64_t m_state;
};

uint64_t HashCode(uint64_t seed, uint32_t market, const std::string& code) {
    uint64_t h = seed ^ (uint64_t(market) << 56);
    for (char c : code) h = (h ^ uint8_t(c)) * 0x100000001B3ull;
    return h;
}

struct Row {
    uint32_t market;
    const char* code;
    const char* name;
    uint32_t listed;
    double price;
    bool index = false;
};

// Indices first, then Shanghai and Shenzhen main-board and ChiNext stocks.
constexpr Row kRows[] = {
    {1, "000001", "上证指数", 19901219, 1260.0, true},
    {2, "399001", "深证成指", 19910403, 3030.0, true},
    {1, "000300", "沪深300", 20050408, 1000.0, true},
    {2, "399006", "创业板指", 20100601, 1000.0, true},
    {1, "600000", "浦发银行", 19991110, 8.5},
    {1, "600009", "上海机场", 19980218, 12.1},
    {1, "600028", "中国石化", 20010808, 4.2},
    {1, "600030", "中信证券", 20030106, 5.8},
    {1, "600036", "招商银行", 20020409, 6.3},
    {1, "600048", "保利发展", 20060731, 11.5},
    {1, "600050", "中国联通", 20021009, 2.9},
    {1, "600104", "上汽集团", 19971125, 4.6},
    {1, "600276", "恒瑞医药", 20001018, 16.2},
    {1, "600519", "贵州茅台", 20010827, 48.0},
    {1, "600585", "海螺水泥", 20020207, 7.4},
    {1, "600690", "海尔智家", 19931119, 4.1},
    {1, "600887", "伊利股份", 19960312, 13.6},
    {1, "600900", "长江电力", 20031118, 6.9},
    {1, "601088", "中国神华", 20071009, 58.0},
    {1, "601166", "兴业银行", 20070205, 15.3},
    {1, "601318", "中国平安", 20070301, 50.0},
    {1, "601398", "工商银行", 20061027, 3.4},
    {1, "601857", "中国石油", 20071105, 43.0},
    {1, "601988", "中国银行", 20060705, 3.1},
    {2, "000001", "平安银行", 19910403, 6.1},
    {2, "000002", "万科A", 19910129, 5.4},
    {2, "000063", "中兴通讯", 19971118, 29.0},
    {2, "000100", "TCL科技", 20040130, 3.2},
    {2, "000333", "美的集团", 20130918, 44.0},
    {2, "000538", "云南白药", 19931215, 19.8},
    {2, "000568", "泸州老窖", 19940509, 9.6},
    {2, "000625", "长安汽车", 19970610, 6.7},
    {2, "000651", "格力电器", 19961118, 16.5},
    {2, "000725", "京东方A", 20010112, 2.6},
    {2, "000776", "广发证券", 19970611, 5.3},
    {2, "000858", "五 粮 液", 19980427, 11.2},
    {2, "002415", "海康威视", 20100528, 68.0},
    {2, "002594", "比亚迪", 20110630, 18.0},
    {2, "300014", "亿纬锂能", 20091030, 22.0},
    {2, "300015", "爱尔眼科", 20091030, 28.0},
    {2, "300059", "东方财富", 20100319, 37.0},
    {2, "300122", "智飞生物", 20100916, 33.0},
    {2, "300124", "汇川技术", 20100928, 71.0},
    {2, "300750", "宁德时代", 20180611, 25.0},
    {2, "300760", "迈瑞医疗", 20181016, 71.0},
};

int32_t ToThousandths(double price, bool index) {
    // Stocks trade in whole fen; index points keep three decimals.
    if (index) return int32_t(std::llround(price * 1000.0));
    return int32_t(std::llround(price * 100.0) * 10);
}

}  // namespace

const ServedSecurity* CMarketSource::Find(uint32_t market, const std::string& code) const {
    for (const auto& s : Securities())
        if (s.m_nMarket == market && s.m_strCode == code) return &s;
    return nullptr;
}

CDemoMarket::CDemoMarket(uint32_t lastTradingDay, int minuteDays, uint64_t seed)
    : m_nSeed(seed), m_nLastDay(lastTradingDay ? lastTradingDay : LastClosedTradingDay()) {
    m_nFirstMinuteDay = AddDays(m_nLastDay, -minuteDays);
    for (const Row& row : kRows) {
        Listing listing;
        listing.m_security = {row.market, row.code, row.name, row.index};
        listing.m_nListed = row.listed;
        listing.m_fStartPrice = row.price;
        listing.m_fVolatility = listing.m_security.m_bIndex ? 0.012 : 0.022;
        listing.m_fBaseVolume = listing.m_security.m_bIndex ? 8.0e9 : 2.0e7;
        m_listings.push_back(listing);
        m_securities.push_back(listing.m_security);
    }
    for (const Listing& listing : m_listings) {
        auto bars = std::make_shared<std::vector<CDayItem>>();
        Generate(listing, *bars);
        m_dayBars.push_back(std::move(bars));
    }
    std::sort(m_exRights.begin(), m_exRights.end(),
              [](const ServedExRights& a, const ServedExRights& b) {
                  return std::tie(a.m_nMarket, a.m_strCode, a.m_nDate) <
                         std::tie(b.m_nMarket, b.m_strCode, b.m_nDate);
              });
}

std::pair<uint32_t, uint32_t> CDemoMarket::ExRightsVersion() const {
    return {m_nLastDay, uint32_t(m_exRights.size())};
}

void CDemoMarket::Generate(const Listing& listing, std::vector<CDayItem>& bars) {
    const ServedSecurity& sec = listing.m_security;
    CRandom rng(HashCode(m_nSeed, sec.m_nMarket, sec.m_strCode));
    uint32_t first = std::max<uint32_t>(20050104, listing.m_nListed);
    std::vector<uint32_t> days = TradingDays(first, m_nLastDay);
    bars.reserve(days.size());

    // Ex-rights dates: one trading day in June or July of most years after listing.
    std::vector<std::pair<uint32_t, int>> events;
    if (!sec.m_bIndex) {
        int kind = rng.Below(5);
        for (uint32_t year = first / 10000 + 1; year <= m_nLastDay / 10000; ++year) {
            if (rng.Uniform() < 0.2) continue;
            uint32_t date = AddDays(year * 10000 + 615, rng.Below(40));
            while (date <= m_nLastDay && !IsTradingDay(date)) date = AddDays(date, 1);
            if (date > m_nLastDay || date <= first) continue;
            events.emplace_back(date, kind);
            kind = (kind + 1 + rng.Below(2)) % 5;
        }
    }

    double close = listing.m_fStartPrice;
    double drift = 0.0003 + 0.0002 * rng.Normal();
    size_t nextEvent = 0;
    const double vol = listing.m_fVolatility;
    for (uint32_t day : days) {
        double reference = close;
        if (nextEvent < events.size() && events[nextEvent].first == day) {
            ServedExRights e;
            e.m_nMarket = sec.m_nMarket;
            e.m_strCode = sec.m_strCode;
            e.m_nDate = day;
            switch (events[nextEvent].second) {
                case 0:  // cash dividend
                    e.m_nCash =
                        std::max<int64_t>(100000, std::llround(close * 0.02 * 10 * 100) * 10000);
                    break;
                case 1:  // cash and bonus shares
                    e.m_nCash =
                        std::max<int64_t>(100000, std::llround(close * 0.01 * 10 * 100) * 10000);
                    e.m_nBonus = (1 + rng.Below(5)) * 1000000;
                    break;
                case 2:  // shares from reserves
                    e.m_nTransfer = (2 + rng.Below(9)) * 1000000;
                    break;
                case 3:  // rights issue
                    e.m_nRights = (1 + rng.Below(3)) * 1000000;
                    e.m_nRightsPrice = uint32_t(ToThousandths(close * 0.7, false));
                    break;
                default:  // share expansion: 10 old shares become 11 to 13
                    e.m_nRights = (11 + rng.Below(3)) * 1000000;
                    break;
            }
            double c = e.m_nCash / 1e7, s = (e.m_nBonus + e.m_nTransfer) / 1e7, r = 0, p = 0;
            if (e.m_nRights > 0) {
                r = e.m_nRights / 1e7 - (e.m_nRightsPrice == 0 ? 1 : 0);
                p = e.m_nRightsPrice / 1000.0;
            }
            reference = std::max(0.5, (close - c + p * r) / (1 + s + r));
            m_exRights.push_back(e);
            ++nextEvent;
        }
        // Mean-reverting drift keeps prices within a believable band over twenty years.
        double target = std::log(listing.m_fStartPrice) + 0.0002 * double(bars.size());
        double pull = 0.002 * (target - std::log(reference));
        double ret = std::clamp(drift * 0.3 + pull + vol * rng.Normal(), -0.095, 0.095);
        double gap = std::clamp(vol * 0.3 * rng.Normal(), -0.05, 0.05);
        double open = reference * (1 + gap);
        double newClose = reference * (1 + ret);
        double high = std::max(open, newClose) * (1 + std::fabs(rng.Normal()) * vol * 0.4);
        double low = std::min(open, newClose) * (1 - std::fabs(rng.Normal()) * vol * 0.4);
        high = std::min(high, reference * 1.1);
        low = std::max(low, reference * 0.9);

        CDayItem bar;
        bar.m_nTime = day;
        bar.m_nOpen = ToThousandths(open, sec.m_bIndex);
        bar.m_nClose = ToThousandths(newClose, sec.m_bIndex);
        bar.m_nHigh = std::max({ToThousandths(high, sec.m_bIndex), bar.m_nOpen, bar.m_nClose});
        bar.m_nLow = std::min({ToThousandths(low, sec.m_bIndex), bar.m_nOpen, bar.m_nClose});
        double activity = 1.0 + 12.0 * std::fabs(ret);
        double volume = listing.m_fBaseVolume * activity * std::exp(0.35 * rng.Normal());
        bar.m_nVolume =
            sec.m_bIndex ? int64_t(volume) : std::max<int64_t>(100, int64_t(volume / 100) * 100);
        bars.push_back(bar);
        close = bar.m_nClose / 1000.0;
    }
}

size_t CDemoMarket::IndexOf(const ServedSecurity& security) const {
    for (size_t i = 0; i < m_securities.size(); ++i)
        if (m_securities[i].m_nMarket == security.m_nMarket &&
            m_securities[i].m_strCode == security.m_strCode)
            return i;
    return m_securities.size();
}

BarList CDemoMarket::DayBars(const ServedSecurity& security) {
    size_t i = IndexOf(security);
    if (i == m_securities.size()) return std::make_shared<std::vector<CDayItem>>();
    return m_dayBars[i];
}

std::vector<CDayItem> CDemoMarket::MinutesOfDay(const ServedSecurity& security,
                                                const CDayItem& day) const {
    const std::vector<int>& times = TradingMinutes();
    const size_t n = times.size();
    CRandom rng(HashCode(m_nSeed ^ uint64_t(day.m_nTime) * 0x2545F4914F6CDD1Dull,
                         security.m_nMarket, security.m_strCode));
    const int32_t tick = security.m_bIndex ? 1 : 10;
    auto snap = [&](double v) {
        int32_t x = int32_t(std::llround(v / tick)) * tick;
        return std::clamp(x, day.m_nLow, day.m_nHigh);
    };

    // A bridge from open to close; then its extremes are placed exactly on the day's.
    std::vector<double> walk(n + 1);
    for (size_t i = 1; i <= n; ++i) walk[i] = walk[i - 1] + rng.Normal();
    std::vector<double> path(n + 1);
    double span = std::max(1.0, double(day.m_nHigh - day.m_nLow));
    for (size_t i = 0; i <= n; ++i) {
        double t = double(i) / n;
        double bridge = walk[i] - t * walk[n];
        path[i] = day.m_nOpen + (day.m_nClose - day.m_nOpen) * t + bridge * span * 0.04;
    }
    path[0] = day.m_nOpen;
    path[n] = day.m_nClose;

    std::vector<CDayItem> bars(n);
    int64_t dateKey = day.m_nTime * 10000;
    for (size_t i = 0; i < n; ++i) {
        CDayItem& b = bars[i];
        b.m_nTime = dateKey + times[i];
        b.m_nOpen = i == 0 ? day.m_nOpen : bars[i - 1].m_nClose;
        b.m_nClose = i + 1 == n ? day.m_nClose : snap(path[i + 1]);
        double wiggle = std::fabs(rng.Normal()) * span * 0.01;
        b.m_nHigh =
            std::max({b.m_nOpen, b.m_nClose, snap(std::max(b.m_nOpen, b.m_nClose) + wiggle)});
        b.m_nLow =
            std::min({b.m_nOpen, b.m_nClose, snap(std::min(b.m_nOpen, b.m_nClose) - wiggle)});
    }
    // The day's high and low are reached in the minutes nearest the bridge's extremes.
    size_t hi = std::max_element(path.begin() + 1, path.end()) - path.begin() - 1;
    size_t lo = std::min_element(path.begin() + 1, path.end()) - path.begin() - 1;
    bars[hi].m_nHigh = day.m_nHigh;
    bars[lo].m_nLow = day.m_nLow;

    // Volume: busy at the open and the close, quiet at noon; adds up to the day's.
    std::vector<double> weight(n);
    double total = 0;
    for (size_t i = 0; i < n; ++i) {
        double x = double(i % 120) / 120.0;
        weight[i] = (0.6 + 2.0 * (x - 0.5) * (x - 0.5) * 4) * std::exp(0.3 * rng.Normal());
        total += weight[i];
    }
    int64_t lot = security.m_bIndex ? 1 : 100;
    int64_t left = day.m_nVolume;
    for (size_t i = 0; i + 1 < n; ++i) {
        int64_t v = int64_t(day.m_nVolume * weight[i] / total) / lot * lot;
        v = std::min(v, left);
        bars[i].m_nVolume = v;
        left -= v;
    }
    bars[n - 1].m_nVolume = left;
    return bars;
}

BarList CDemoMarket::MinuteBars(const ServedSecurity& security, int granularity, int year) {
    size_t index = IndexOf(security);
    if (index == m_securities.size() || (granularity != 1 && granularity != 5))
        return std::make_shared<std::vector<CDayItem>>();
    auto key = std::make_tuple(index, granularity, year);
    {
        std::lock_guard lock(m_cacheMutex);
        if (auto found = m_minuteCache.find(key); found != m_minuteCache.end())
            return found->second;
    }
    auto bars = std::make_shared<std::vector<CDayItem>>();
    const auto& days = *m_dayBars[index];
    uint32_t from = std::max<uint32_t>(m_nFirstMinuteDay, uint32_t(year) * 10000 + 101);
    uint32_t to = uint32_t(year) * 10000 + 1231;
    for (const CDayItem& day : days) {
        if (day.m_nTime < from || day.m_nTime > to) continue;
        std::vector<CDayItem> minutes = MinutesOfDay(security, day);
        if (granularity == 1) {
            bars->insert(bars->end(), minutes.begin(), minutes.end());
            continue;
        }
        for (size_t i = 0; i + 5 <= minutes.size(); i += 5) {
            CDayItem five = minutes[i];
            for (size_t j = i + 1; j < i + 5; ++j) {
                five.m_nHigh = std::max(five.m_nHigh, minutes[j].m_nHigh);
                five.m_nLow = std::min(five.m_nLow, minutes[j].m_nLow);
                five.m_nVolume += minutes[j].m_nVolume;
            }
            five.m_nClose = minutes[i + 4].m_nClose;
            five.m_nTime = minutes[i + 4].m_nTime;
            bars->push_back(five);
        }
    }
    std::lock_guard lock(m_cacheMutex);
    if (m_minuteCache.size() > 256) m_minuteCache.clear();
    m_minuteCache[key] = bars;
    return bars;
}
