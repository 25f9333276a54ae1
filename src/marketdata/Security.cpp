#include "marketdata/Security.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
int Minutes(int from, int to) {
    return (to / 100 - from / 100) * 60 + to % 100 - from % 100;
}
}  // namespace

bool IsIndexSecurity(const CIndSecuCode& code) {
    int n = atoi(code.m_strCode.c_str());
    return (code.m_nMarket == 1 && n / 1000 == 0) || (code.m_nMarket == 2 && n / 10000 == 39);
}

CSecurity::CSecurity() = default;

std::string CSecurity::GetName() const {
    std::lock_guard lock(m_lock);
    return m_strName;
}
void CSecurity::SetName(const std::string& name) {
    std::lock_guard lock(m_lock);
    m_strName = name;
}
std::vector<std::string> CSecurity::GetAbbreviations() const {
    std::lock_guard lock(m_lock);
    return m_abbreviations;
}
void CSecurity::SetAbbreviations(std::vector<std::string> abbreviations) {
    std::lock_guard lock(m_lock);
    m_abbreviations = std::move(abbreviations);
}

void CSecurity::SetSecurityType() {
    int n = atoi(m_code.m_strCode.c_str());
    uint32_t mask = 0;
    if (m_code.m_nMarket == 1) {
        if (IsIndexSecurity(m_code))
            mask = 0x1;
        else if (n >= 600000 && n <= 699999)
            mask = 0x2;
        else if (n >= 900000 && n <= 999999)
            mask = 0x4;
        else if (n >= 500000 && n <= 599999)
            mask = 0x8;
        else if (n >= 120000 && n <= 129999)
            mask = 0x10;
        else if (n >= 100000 && n <= 119999)
            mask = 0x20;
        else if (n >= 201000 && n <= 204999)
            mask = 0x40;
        else
            mask = 0x400;
        if (n == 300) mask |= 0x40000000;
    } else if (m_code.m_nMarket == 2) {
        int h = n / 10000;
        if (IsIndexSecurity(m_code))
            mask = 0x1000;
        else if (h == 0 && n > 2000 && n < 3000)
            mask = 0x2000000;
        else if (h == 0)
            mask = 0x2000;
        else if (h == 10 || h == 13)
            mask = 0x10000;
        else if (h == 11 || h == 12)
            mask = 0x20000;
        else if (h >= 15 && h <= 18)
            mask = 0x8000;
        else if (h == 20)
            mask = 0x4000;
        else if (h == 30)
            mask = 0x10000000;
        else if (n / 100000 == 4)
            mask = 0x800;
        else
            mask = 0x20000000;
    }
    m_nTypeMask = mask;
}

int64_t CSecurity::VolumeToHands(int64_t volume) const {
    return IsIndexSecurity(m_code) ? volume : volume / 100;
}

std::string CSecurity::GetMarketPrefix() const {
    if (m_code.m_nMarket == 1) return "sh";
    if (m_code.m_nMarket == 2) return "sz";
    return {};
}

TradingSessions CSecurity::GetSessions() const {
    std::lock_guard lock(m_lock);
    TradingSessions s;
    uint16_t size = 0;
    const uint8_t* blob = m_values.GetBlob(kQuoteSessions, &size);
    if (!blob || size < 34) return s;
    s.count = blob[0] > 8 ? 8 : blob[0];
    memcpy(s.start, blob + 2, 16);
    memcpy(s.end, blob + 18, 16);
    return s;
}

void CSecurity::SetSessions(const TradingSessions& sessions) {
    std::lock_guard lock(m_lock);
    uint8_t blob[34] = {};
    blob[0] = sessions.count > 8 ? 8 : sessions.count;
    memcpy(blob + 2, sessions.start, 16);
    memcpy(blob + 18, sessions.end, 16);
    m_values.SetBlob(kQuoteSessions, blob, sizeof blob);
}

int16_t CSecurity::GetDayOpenTime() const {
    TradingSessions s = GetSessions();
    for (int i = 0; i < s.count; ++i)
        if (s.start[i] >= 0) return s.start[i];
    return 0;
}

bool CSecurity::IsSessionEndTime(int16_t hhmm) const {
    TradingSessions s = GetSessions();
    for (int i = 0; i < s.count; ++i) {
        int end = s.start[i] <= 0 ? s.end[i] + 2400 : s.end[i];
        if (hhmm == end) return true;
    }
    return false;
}

uint16_t CSecurity::GetBarMinute(uint32_t hhmmss) const {
    int hh = int(hhmmss / 10000), mm = int(hhmmss / 100 % 100);
    int m = mm == 59 ? hh * 100 + 100 : hh * 100 + mm + 1;
    TradingSessions s = GetSessions();
    if (s.count > 0) {
        int lastEnd = s.end[s.count - 1];
        if (s.start[0] < 0 && m > lastEnd + 200) m -= 2400;
        if (m >= lastEnd) {
            m = lastEnd;
        } else {
            for (int i = 0; i < s.count; ++i) {
                if (i == 0 && m < s.start[0] + 1) {
                    m = s.start[0] + 1;
                    break;
                }
                if (i > 0 && m < s.start[i]) {
                    m = s.end[i - 1];
                    break;
                }
                if (m <= s.end[i]) break;
            }
        }
    }
    if (m < 0) m += 2400;
    return uint16_t(m);
}

// The session table's first trading session is its first entry, as everywhere else in
// this module (MinutesSinceOpen counts the same way).
int32_t CSecurity::TimeToMinuteIndex(int16_t hhmm) const {
    TradingSessions s = GetSessions();
    if (s.count == 0) return 0;
    int t = hhmm;
    if (s.start[0] < 0 && t > s.end[s.count - 1] + 200) t -= 2400;
    int sum = 0;
    for (int i = 0; i < s.count; ++i) {
        int start = s.start[i], end = s.end[i];
        if (t <= start) return i == 0 ? 0 : sum - 1;
        if (t <= end) return (t / 100 - start / 100) * 60 - start % 100 + sum + t % 100 - 1;
        sum += Minutes(start, end);
    }
    return sum - 1;
}

uint16_t CSecurity::MinuteIndexToTime(uint16_t index) const {
    TradingSessions s = GetSessions();
    if (s.count == 0) return 0;
    int sum = 0;
    for (int i = 0; i < s.count; ++i) {
        int start = s.start[i], end = s.end[i];
        int len = Minutes(start, end);
        if (int(index) < sum + len) {
            int minutes = start % 100 + (index - sum) + 1;
            int t = (start / 100 + minutes / 60) * 100 + minutes % 60;
            return uint16_t(t < 0 ? t + 2400 : t);
        }
        sum += len;
    }
    int t = s.end[s.count - 1];
    return uint16_t(t < 0 ? t + 2400 : t);
}

uint32_t CSecurity::ToLocalTime(uint32_t t) const {
    int market = m_code.m_nMarket;
    if (market != 6 && market < 8) return t;
    int64_t zone = m_values.GetValue(kQuoteTimeZone);
    if (zone == 480 || t / 10000 == 0) return t;
    uint32_t date = t / 10000 + 20000000, time = (t % 10000) * 100;
    if (!ShiftDateTime(int(zone - 480), date, time)) return t;
    return (date % 1000000) * 10000 + time / 100;
}

int64_t CSecurity::GetQuoteValue(int16_t id) const {
    std::lock_guard lock(m_lock);
    const IndValueArray& v = m_values;
    auto ratio = [](int64_t diff, int64_t base) -> int64_t {
        // Tenths of a per mille, rounded half away from zero.
        if (base == 0) return 0;
        return diff > 0 ? (diff * 100000 / base + 5) / 10 : (diff * 100000 / base - 5) / 10;
    };
    if (id == -149) {
        int64_t r = v.GetBlobU32(kQuoteReplyBlock, 1), s = v.GetBlobU32(kQuoteReplyBlock, 2);
        return r == s ? 0 : ratio(r - s, v.GetValue(0));
    }
    if (id == -148) return v.GetValue(1004) - v.GetValue(1012);
    if (id == -147) return int32_t(v.GetBlobU32(kQuoteReplyBlock, 3) - uint32_t(v.GetValue(0)));
    if (id == -146) return v.GetValue(1020) - int64_t(v.GetBlobU32(kQuoteReplyBlock, 3));
    if (id == -145) {
        int64_t divisor = v.GetValue(kQuoteVolumeDivisor);
        if (divisor == 0) return 0;
        int32_t minutes = TimeToMinuteIndex(int16_t(GetBarMinute(uint32_t(v.GetValue(1005))))) + 1;
        if (minutes <= 0) return 0;
        double x = double(v.GetValue(1004)) * 240.0 / minutes / double(divisor) * 100.0;
        return int64_t(x + 0.5);
    }
    if (id == -144) {
        int64_t x = v.GetBlobU32(kQuoteReplyBlock, 3), base = v.GetValue(0);
        if (x == 0 || base <= 0 || x == base) return 0;
        return ratio(x - base, base);
    }
    if (id >= -143 && id <= -124) {
        uint16_t size = 0;
        const uint8_t* blob = v.GetBlob(1002, &size);
        int i = id + 143;
        if (!blob || size_t(i + 1) * 8 > size) return 0;
        int64_t x;
        memcpy(&x, blob + i * 8, 8);
        return x;
    }
    if (id >= -123 && id <= -104) return v.GetBlobU32(1001, id + 123);
    if (id >= -103 && id <= -100) return v.GetBlobU32(kQuoteReplyBlock, id + 103);
    return v.GetValue(id);
}

bool CSecurity::IsAtPriceLimit(bool upper) const {
    std::lock_guard lock(m_lock);
    int64_t limit = m_values.GetValue(upper ? 1021 : 1022);
    return int32_t(limit) == int32_t(GetQuoteValue(-100)) &&
           GetQuoteValue(upper ? -113 : -114) <= 0 && m_values.GetValue(1004) > 0;
}

double CSecurity::GetPriceDivisor() const {
    int64_t d = m_values.GetValue(kQuotePriceDivisor);
    return d > 0 ? double(d) : 1000.0;
}

void CSecurity::SetReplyQuote(uint32_t q1, uint32_t q2, uint32_t q3, uint32_t q4) {
    std::lock_guard lock(m_lock);
    m_values.SetBlobU32(kQuoteReplyBlock, 0, q1);
    m_values.SetBlobU32(kQuoteReplyBlock, 1, q2);
    m_values.SetBlobU32(kQuoteReplyBlock, 2, q3);
    m_values.SetBlobU32(kQuoteReplyBlock, 3, q4);
    m_values.SetValue(kQuoteMinPriceUnit, int64_t(int32_t(q4)));
}
