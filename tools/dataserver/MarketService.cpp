#include "MarketService.h"

#include <algorithm>
#include <map>

#include "foundation/Base64.h"
#include "foundation/Buffer.h"
#include "foundation/Crc16.h"
#include "foundation/LzhufEncoder.h"
#include "foundation/TextCodec.h"
#include "marketdata/net/LoginSession.h"
#include "marketdata/net/WireProtocol.h"

namespace {

struct HeldRun {
    uint32_t m_nCount = 0;
    uint64_t m_nFirst = 0;
    uint64_t m_nLast = 0;
    uint8_t m_nCheck = 0;
};

// The 32-bit summary of the update, window and training requests.
HeldRun ReadShortSummary(CBuffer& in) {
    HeldRun held;
    held.m_nCount = in.ReadUInt32();
    held.m_nFirst = in.ReadUInt32();
    held.m_nLast = in.ReadUInt32();
    held.m_nCheck = in.ReadUInt8();
    return held;
}

// Where the bars after the held run start, or -1 when the held run is not a run of these
// bars (the client then gets them again, with its copy reset).
long Continuation(const std::vector<CDayItem>& bars, const HeldRun& held, bool low32) {
    if (held.m_nCount == 0) return 0;
    auto key = [low32](const CDayItem& b) {
        return low32 ? uint64_t(uint32_t(b.m_nTime)) : uint64_t(b.m_nTime);
    };
    size_t first = bars.size();
    if (low32) {
        for (size_t i = 0; i < bars.size(); ++i)
            if (key(bars[i]) == held.m_nFirst) {
                first = i;
                break;
            }
    } else {
        auto it =
            std::lower_bound(bars.begin(), bars.end(), held.m_nFirst,
                             [](const CDayItem& b, uint64_t k) { return uint64_t(b.m_nTime) < k; });
        if (it != bars.end() && uint64_t(it->m_nTime) == held.m_nFirst)
            first = size_t(it - bars.begin());
    }
    if (first == bars.size() || first + held.m_nCount > bars.size()) return -1;
    size_t last = first + held.m_nCount - 1;
    if (key(bars[last]) != held.m_nLast) return -1;
    if (wire::CheckByte(&bars[first], held.m_nCount * sizeof(CDayItem)) != held.m_nCheck) return -1;
    return long(last + 1);
}

void WriteBars(CBuffer& out, const CDayItem* bars, size_t n) {
    out.WriteUInt32(uint32_t(n));
    if (n) out.Write(bars, uint32_t(n * sizeof(CDayItem)));
}

// A flag, then (when there are bars) no reset, no front cut and bars [begin, end).
void WriteOptionalBars(CBuffer& out, const std::vector<CDayItem>& bars, size_t begin, size_t end) {
    out.WriteUInt8(end > begin ? 1 : 0);
    if (end > begin) {
        out.WriteUInt8(0);
        out.WriteUInt32(0);
        WriteBars(out, bars.data() + begin, end - begin);
    }
}

std::vector<uint8_t> Bytes(const CBuffer& b) {
    return std::vector<uint8_t>(b.GetData(), b.GetData() + b.GetLength());
}

std::vector<ReplyMessage> One(const CBuffer& b) {
    return {ReplyMessage{Bytes(b), false}};
}

uint32_t DateOf(int64_t key) {
    return key > 99999999 ? uint32_t(key / 10000) : uint32_t(key);
}

// The value of one query parameter of the login link, "" when absent.
std::string QueryValue(const std::string& link, const std::string& name) {
    size_t q = link.find('?');
    if (q == std::string::npos) return "";
    std::string query = link.substr(q + 1);
    size_t pos = 0;
    while (pos <= query.size()) {
        size_t amp = query.find('&', pos);
        std::string pair =
            query.substr(pos, amp == std::string::npos ? std::string::npos : amp - pos);
        size_t eq = pair.find('=');
        if (eq != std::string::npos && pair.substr(0, eq) == name) return pair.substr(eq + 1);
        if (amp == std::string::npos) break;
        pos = amp + 1;
    }
    return "";
}

}  // namespace

std::vector<uint8_t> PackTable(const std::vector<uint8_t>& plain) {
    return LzhufEncode(plain.data(), plain.size());
}

CMarketService::CMarketService(CMarketSource& source, const ServerFaults& faults)
    : m_source(source), m_faults(faults) {
    CBuffer codes;
    const auto& securities = source.Securities();
    codes.WriteUInt32(uint32_t(securities.size()));
    for (const auto& s : securities) {
        codes.WriteUInt32(s.m_nMarket);
        codes.WriteString(s.m_strCode);
        codes.WriteString(Utf8ToAnsi(s.m_strName));
    }
    m_codeTable = PackTable(Bytes(codes));
    m_nCodeTableCrc = Crc16(m_codeTable.size(), m_codeTable.data());

    CBuffer cq;
    auto version = source.ExRightsVersion();
    cq.WriteUInt16(1);
    cq.WriteUInt32(version.first);
    cq.WriteUInt32(version.second);
    cq.WriteUInt32(uint32_t(source.ExRights().size()));
    for (const auto& e : source.ExRights()) {
        cq.WriteUInt32(e.m_nMarket);
        cq.WriteString(e.m_strCode);
        cq.WriteUInt32(e.m_nDate);
        cq.WriteInt64(e.m_nCash);
        cq.WriteInt64(e.m_nBonus);
        cq.WriteInt64(e.m_nTransfer);
        cq.WriteInt64(e.m_nRights);
        cq.WriteUInt32(e.m_nRightsPrice);
    }
    m_exRightsTable = PackTable(Bytes(cq));
}

size_t CMarketService::ChunkSize() const {
    return m_faults.m_bSlowChunks || m_faults.m_bCutDownload ? 512 : 60000;
}

std::vector<ReplyMessage> CMarketService::Answer(uint16_t command, CBuffer& body,
                                                 std::string& log) {
    switch (command) {
        case wire::kKeepAlive:
            return {};
        case wire::kLogin:
        case wire::kGuestLogin:
            return Login(command, body, log);
        case wire::kCodeTable:
            return CodeTable(body, log);
        case wire::kExRights:
            return ExRights(body, log);
        case wire::kHistory:
            return History(body, true, log);
        case wire::kHistoryPlain:
            return History(body, false, log);
        case wire::kUpdate:
            return Update(body, log);
        case wire::kRange:
            return Window(body, false);
        case wire::kRandomWindow:
            return Window(body, true);
        case wire::kTrainingBars:
            return TrainingBars(body);
        case wire::kSupportRange:
            return SupportRange(body);
        case wire::kDataRange:
            return DataRange(body);
        case wire::kCandidates:
            return Candidates(body);
        default:
            log = "unknown command " + std::to_string(command) + ", not answered";
            return {};
    }
}

std::vector<ReplyMessage> CMarketService::Login(uint16_t command, CBuffer& body, std::string& log) {
    std::string link;
    body.ReadString(link);
    uint8_t result = 1;
    std::string text = "登录成功";
    std::string account = "游客";
    if (command == wire::kLogin || !link.empty()) {
        std::string user = QueryValue(link, "mya");
        std::string password = QueryValue(link, "ppp");
        std::string sign = QueryValue(link, "sign");
        if (user.empty() || sign != MakeLoginSign(user, password)) {
            result = 0;
            text = "用户名或密码错误";
        } else {
            std::optional<std::string> decoded = Base64DecodeString(user);
            account = decoded && !decoded->empty() ? *decoded : user;
            // A name typed on a GBK system arrives as GBK; everything here is UTF-8.
            if (!IsValidUtf8(account)) account = AnsiToUtf8(account);
        }
    }
    if (m_faults.m_bRefuseLogin) {
        result = 0;
        text = "服务器暂停登录，请稍后再试";
    }
    log = std::string(result == 1 ? "login accepted: " : "login refused: ") + account;
    CBuffer out;
    out.WriteUInt8(result);
    out.WriteString(text);
    out.WriteString(result == 1 ? Utf8ToAnsi(account) : std::string());  // wire text is GBK
    out.WriteUInt16(1);
    out.WriteString("tarrow-dataserver");
    return One(out);
}

std::vector<ReplyMessage> CMarketService::Chunk(const std::vector<uint8_t>& prefix,
                                                const std::vector<uint8_t>& packed,
                                                uint8_t firstFlag, uint8_t lastFlag,
                                                bool checksumInLast) {
    std::vector<ReplyMessage> messages;
    const size_t size = ChunkSize();
    size_t offset = 0;
    // With the overrun fault the first chunk announces less than the stream holds.
    uint32_t announced =
        m_faults.m_bOverrunChunk ? uint32_t(packed.size() / 2) : uint32_t(packed.size());
    do {
        size_t n = std::min(size, packed.size() - offset);
        bool first = offset == 0, last = offset + n == packed.size();
        CBuffer out;
        if (!prefix.empty()) out.Write(prefix.data(), uint32_t(prefix.size()));
        out.WriteUInt8(uint8_t((first ? firstFlag : 0) | (last ? lastFlag : 0)));
        if (first) out.WriteUInt32(announced);
        if (last && checksumInLast) out.WriteUInt16(Crc16(packed.size(), packed.data()));
        out.WriteUInt16(uint16_t(n));
        out.Write(packed.data() + offset, uint32_t(n));
        messages.push_back({Bytes(out), true});
        offset += n;
    } while (offset < packed.size());
    return messages;
}

std::vector<ReplyMessage> CMarketService::CodeTable(CBuffer& body, std::string& log) {
    uint16_t held = body.ReadUInt16();
    if (held != 0 && held == m_nCodeTableCrc) {
        CBuffer out;
        out.WriteUInt8(wire::kCodeTableCurrent);
        log = "code table: current";
        return One(out);
    }
    log = "code table: sent " + std::to_string(m_codeTable.size()) + " bytes";
    return Chunk({}, m_codeTable, wire::kCodeTableFirst, wire::kCodeTableLast, true);
}

std::vector<ReplyMessage> CMarketService::ExRights(CBuffer& body, std::string& log) {
    uint32_t v1 = body.ReadUInt32();
    uint32_t v2 = body.ReadUInt32();
    auto version = m_source.ExRightsVersion();
    if (v1 == version.first && v2 == version.second) {
        CBuffer out;
        out.WriteUInt8(wire::kExRightsCurrent);
        log = "ex-rights: current";
        return One(out);
    }
    log = "ex-rights: sent " + std::to_string(m_exRightsTable.size()) + " bytes";
    return Chunk({}, m_exRightsTable, wire::kExRightsFirst, wire::kExRightsLast, false);
}

std::vector<CDayItem> CMarketService::StoreBars(const ServedSecurity& security, uint16_t type,
                                                int16_t period) {
    if (type == 4) {
        BarList days = m_source.DayBars(security);
        return *days;
    }
    int granularity = (period > 0 && period % 5 == 0) ? 5 : 1;
    std::vector<CDayItem> all;
    BarList days = m_source.DayBars(security);
    if (days->empty()) return all;
    int lastYear = int(DateOf(days->back().m_nTime) / 10000);
    for (int year = lastYear - 30; year <= lastYear; ++year) {
        BarList bars = m_source.MinuteBars(security, granularity, year);
        all.insert(all.end(), bars->begin(), bars->end());
    }
    return all;
}

void CMarketService::QuoteBlock(CBuffer& out, const std::vector<CDayItem>& bars) {
    // Date of the newest bar, the previous and the latest close, and the bar count.
    uint32_t date = bars.empty() ? 0 : DateOf(bars.back().m_nTime);
    uint32_t last = bars.empty() ? 0 : uint32_t(bars.back().m_nClose);
    uint32_t previous = bars.size() < 2 ? last : uint32_t(bars[bars.size() - 2].m_nClose);
    out.WriteUInt32(date);
    out.WriteUInt32(previous);
    out.WriteUInt32(last);
    out.WriteUInt32(uint32_t(bars.size()));
}

std::vector<ReplyMessage> CMarketService::History(CBuffer& body, bool chunked, std::string& log) {
    std::vector<uint8_t> request(body.GetData(), body.GetData() + body.GetLength());
    if (chunked) {
        for (const auto& [key, replies] : m_historyCache)
            if (key == request) {
                log = m_strHistoryLog + " (again)";
                return replies;
            }
    }
    const size_t cap = chunked ? kMaxBarsPerHistory : kMaxBarsPerReply;
    uint32_t market = body.ReadUInt32();
    std::string code;
    body.ReadString(code);
    uint16_t type = body.ReadUInt16();
    int16_t period = int16_t(body.ReadUInt16());
    body.ReadUInt32();  // bars wanted: whole years are sent
    uint32_t upperDate = body.ReadUInt32();
    uint16_t years = body.ReadUInt16();
    if (years > 64) throw -1;
    struct Group {
        uint32_t m_nYear;
        uint8_t m_nReplace;
        uint32_t m_nCount;
        std::vector<CDayItem> m_bars;
    };
    std::vector<Group> groups;
    const ServedSecurity* security = m_source.Find(market, code);
    int granularity = (period > 0 && period % 5 == 0) ? 5 : 1;
    size_t sent = 0;
    for (uint16_t i = 0; i < years; ++i) {
        HeldRun held;
        uint32_t year = body.ReadUInt32();
        held.m_nCount = body.ReadUInt32();
        held.m_nFirst = body.ReadUInt64();
        held.m_nLast = body.ReadUInt64();
        held.m_nCheck = body.ReadUInt8();
        Group g{year, 0, 0, {}};
        if (security && type == 3 && year >= 1990 && year <= 2100) {
            BarList bars = m_source.MinuteBars(*security, granularity, int(year));
            std::vector<CDayItem> inYear;
            for (const CDayItem& b : *bars)
                if (upperDate == 0 || DateOf(b.m_nTime) <= upperDate) inYear.push_back(b);
            long from = Continuation(inYear, held, false);
            if (from < 0) {
                g.m_nReplace = 1;
                from = 0;
            }
            g.m_nCount = uint32_t(inYear.size());
            size_t take = std::min(inYear.size() - size_t(from), cap - sent);
            g.m_bars.assign(inYear.begin() + from, inYear.begin() + from + long(take));
            sent += take;
        }
        groups.push_back(std::move(g));
    }

    log = std::to_string(chunked ? 10801 : 10701) + " " + std::to_string(market) + ":" + code +
          ": " + std::to_string(sent) + " bars";
    CBuffer out;
    out.WriteUInt32(market);
    out.WriteString(code);
    if (chunked) {
        out.WriteUInt16(uint16_t(groups.size()));
        for (const Group& g : groups) {
            out.WriteUInt32(g.m_nYear);
            out.WriteUInt8(g.m_nReplace);
            out.WriteUInt32(g.m_nCount);
        }
        out.WriteUInt32(uint32_t(sent));
        for (const Group& g : groups)
            if (!g.m_bars.empty())
                out.Write(g.m_bars.data(), uint32_t(g.m_bars.size() * sizeof(CDayItem)));
        CBuffer prefix;
        prefix.WriteUInt32(market);
        prefix.WriteString(code);
        auto replies = Chunk(Bytes(prefix), PackTable(Bytes(out)), wire::kHistoryFirst,
                             wire::kHistoryLast, false);
        if (sent > 0) {
            if (m_historyCache.size() >= 4) m_historyCache.erase(m_historyCache.begin());
            m_historyCache.emplace_back(std::move(request), replies);
            m_strHistoryLog = log;
        }
        return replies;
    }
    out.WriteUInt16(uint16_t(groups.size()));
    for (const Group& g : groups) out.WriteUInt32(g.m_nYear);
    out.WriteUInt16(uint16_t(groups.size()));
    for (const Group& g : groups) {
        out.WriteUInt32(g.m_nYear);
        out.WriteUInt8(g.m_nReplace);
        out.WriteUInt32(g.m_nCount);
        WriteBars(out, g.m_bars.data(), g.m_bars.size());
    }
    return One(out);
}

std::vector<ReplyMessage> CMarketService::Update(CBuffer& body, std::string& log) {
    uint32_t market = body.ReadUInt32();
    std::string code;
    body.ReadString(code);
    uint16_t type = body.ReadUInt16();
    int16_t period = int16_t(body.ReadUInt16());
    body.ReadUInt16();  // n-day count: the client builds its own periods from day bars
    uint32_t wanted = body.ReadUInt32();
    HeldRun held = ReadShortSummary(body);

    const ServedSecurity* security = m_source.Find(market, code);
    std::vector<CDayItem> bars;
    if (security && (type == 3 || type == 4)) bars = StoreBars(*security, type, period);
    long from = Continuation(bars, held, true);
    uint8_t reset = 0;
    if (from < 0) {
        reset = 1;
        from = 0;
    }
    if (from == 0) {
        // A fresh start: the newest bars the client asked for (all when it did not say).
        size_t want = wanted ? std::max<size_t>(wanted, held.m_nCount) : bars.size();
        want = std::min(want, kMaxBarsPerReply);
        if (bars.size() > want) from = long(bars.size() - want);
    }
    CBuffer out;
    out.WriteUInt32(market);
    out.WriteString(code);
    out.WriteUInt8(reset);
    out.WriteUInt32(uint32_t(bars.size()));
    QuoteBlock(out, bars);
    out.WriteUInt32(0);  // no front cut
    size_t n = std::min(bars.size() - size_t(from), kMaxBarsPerReply);
    WriteBars(out, bars.data() + from, n);
    log = "10901 " + std::to_string(market) + ":" + code + ": " + std::to_string(n) + " bars" +
          (reset ? " (reset)" : "");
    return One(out);
}

std::vector<ReplyMessage> CMarketService::Window(CBuffer& body, bool random) {
    uint32_t market = body.ReadUInt32();
    std::string code;
    body.ReadString(code);
    uint32_t from = 0, to = 0, count = 0;
    if (random)
        count = body.ReadUInt32();
    else {
        from = body.ReadUInt32();
        to = body.ReadUInt32();
    }
    ReadShortSummary(body);

    const ServedSecurity* security = m_source.Find(market, code);
    std::vector<CDayItem> bars = security ? *m_source.DayBars(*security) : std::vector<CDayItem>();
    size_t begin = 0, end = 0;
    if (random) {
        if (count > 0 && count <= bars.size()) {
            std::lock_guard lock(m_randomMutex);
            m_nRandomState = m_nRandomState * 6364136223846793005ull + 1442695040888963407ull;
            begin = size_t((m_nRandomState >> 33) % (bars.size() - count + 1));
            end = begin + count;
        }
    } else {
        auto lo =
            std::lower_bound(bars.begin(), bars.end(), from,
                             [](const CDayItem& b, uint32_t k) { return uint32_t(b.m_nTime) < k; });
        auto hi = std::upper_bound(bars.begin(), bars.end(), to, [](uint32_t k, const CDayItem& b) {
            return k < uint32_t(b.m_nTime);
        });
        begin = size_t(lo - bars.begin());
        end = std::max(begin, size_t(hi - bars.begin()));
    }
    end = std::min(end, begin + kMaxBarsPerReply);
    CBuffer out;
    out.WriteUInt32(market);
    out.WriteString(code);
    QuoteBlock(out, bars);
    out.WriteUInt32(end > begin ? uint32_t(bars[begin].m_nTime) : from);
    out.WriteUInt32(end > begin ? uint32_t(bars[end - 1].m_nTime) : to);
    out.WriteUInt32(uint32_t(bars.size()));
    WriteOptionalBars(out, bars, begin, end);
    return One(out);
}

std::vector<ReplyMessage> CMarketService::TrainingBars(CBuffer& body) {
    uint32_t market = body.ReadUInt32();
    std::string code;
    body.ReadString(code);
    uint16_t type = body.ReadUInt16();
    int16_t period = int16_t(body.ReadUInt16());
    body.ReadUInt16();
    uint32_t date = body.ReadUInt32();
    uint32_t count = body.ReadUInt32();
    ReadShortSummary(body);

    const ServedSecurity* security = m_source.Find(market, code);
    std::vector<CDayItem> bars;
    if (security && (type == 3 || type == 4)) bars = StoreBars(*security, type, period);
    size_t end = size_t(
        std::upper_bound(bars.begin(), bars.end(), date,
                         [](uint32_t d, const CDayItem& b) { return d < DateOf(b.m_nTime); }) -
        bars.begin());
    size_t want = std::min<size_t>(count ? count : end, kMaxBarsPerReply);
    size_t begin = end > want ? end - want : 0;
    CBuffer out;
    out.WriteUInt32(market);
    out.WriteString(code);
    QuoteBlock(out, bars);
    out.WriteUInt32(uint32_t(bars.size()));
    WriteOptionalBars(out, bars, begin, end);
    return One(out);
}

std::vector<ReplyMessage> CMarketService::SupportRange(CBuffer& body) {
    uint32_t market = body.ReadUInt32();
    std::string code;
    body.ReadString(code);
    const ServedSecurity* security = m_source.Find(market, code);
    BarList bars =
        security ? m_source.DayBars(*security) : BarList(std::make_shared<std::vector<CDayItem>>());
    CBuffer out;
    out.WriteUInt32(market);
    out.WriteString(code);
    out.WriteUInt32(bars->empty() ? 0 : uint32_t(bars->front().m_nTime));
    out.WriteUInt32(bars->empty() ? 0 : uint32_t(bars->back().m_nTime));
    out.WriteUInt32(uint32_t(bars->size()));
    return One(out);
}

std::vector<ReplyMessage> CMarketService::DataRange(CBuffer& body) {
    uint32_t market = body.ReadUInt32();
    std::string code;
    body.ReadString(code);
    uint32_t days = body.ReadUInt32();
    // The asked-for security when it has enough days, else the first stock that has.
    const ServedSecurity* chosen = nullptr;
    if (const ServedSecurity* asked = m_source.Find(market, code);
        asked && m_source.DayBars(*asked)->size() >= days)
        chosen = asked;
    for (const auto& s : m_source.Securities()) {
        if (chosen) break;
        if (!s.m_bIndex && m_source.DayBars(s)->size() >= days) chosen = &s;
    }
    CBuffer out;
    out.WriteUInt8(chosen ? 1 : 0);
    if (chosen) {
        BarList bars = m_source.DayBars(*chosen);
        out.WriteUInt32(chosen->m_nMarket);
        out.WriteString(chosen->m_strCode);
        out.WriteUInt32(uint32_t(bars->front().m_nTime));
        out.WriteUInt32(uint32_t(bars->back().m_nTime));
        out.WriteUInt32(uint32_t(bars->size()));
    }
    return One(out);
}

std::vector<ReplyMessage> CMarketService::Candidates(CBuffer& body) {
    uint16_t offset = body.ReadUInt16();
    uint16_t page = std::min<uint16_t>(body.ReadUInt16(), 100);
    std::vector<const ServedSecurity*> stocks;
    for (const auto& s : m_source.Securities())
        if (!s.m_bIndex && !m_source.DayBars(s)->empty()) stocks.push_back(&s);
    CBuffer out;
    out.WriteUInt16(uint16_t(stocks.size()));
    out.WriteUInt16(offset);
    size_t begin = std::min<size_t>(offset, stocks.size());
    size_t n = std::min<size_t>(page, stocks.size() - begin);
    out.WriteUInt16(uint16_t(n));
    for (size_t i = begin; i < begin + n; ++i) {
        out.WriteUInt32(stocks[i]->m_nMarket);
        out.WriteString(stocks[i]->m_strCode);
    }
    return One(out);
}
