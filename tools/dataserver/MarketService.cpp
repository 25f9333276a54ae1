#include "MarketService.h"

#include <algorithm>
#include <map>

#include "foundation/Base64.h"
#include "foundation/Buffer.h"
#include "foundation/Crc16.h"
#include "foundation/LzhufEncoder.h"
#include "foundation/ParseError.h"
#include "foundation/TextCodec.h"
#include "protocol/LoginLink.h"
#include "protocol/Bodies.h"
#include "protocol/Wire.h"

namespace {

struct HeldRun {
    uint32_t m_nCount = 0;
    uint64_t m_nFirst = 0;
    uint64_t m_nLast = 0;
    uint8_t m_nCheck = 0;
};

// The 32-bit summary of the update, window and training requests.
HeldRun ShortSummary(const wire::HeldSummary& held) {
    return {held.count, held.firstKey, held.lastKey, held.check};
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

// When there are bars: no reset, no front cut and bars [begin, end).
wire::OptionalBars SomeBars(const std::vector<CDayItem>& bars, size_t begin, size_t end) {
    wire::OptionalBars run;
    run.present = end > begin;
    if (run.present) run.bars.assign(bars.begin() + long(begin), bars.begin() + long(end));
    return run;
}

std::vector<uint8_t> Bytes(const CBuffer& b) {
    return std::vector<uint8_t>(b.GetData(), b.GetData() + b.GetLength());
}

template <class Body>
std::vector<uint8_t> Encoded(const Body& body) {
    CBuffer out;
    body.Encode(out);
    return Bytes(out);
}

template <class Body>
std::vector<ReplyMessage> One(const Body& body) {
    return {ReplyMessage{Encoded(body), false}};
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
    wire::CodeTableContent codes;
    for (const auto& s : source.Securities())
        codes.entries.push_back({s.m_nMarket, s.m_strCode, Utf8ToAnsi(s.m_strName)});
    m_codeTable = PackTable(Encoded(codes));
    m_nCodeTableCrc = Crc16(m_codeTable.size(), m_codeTable.data());

    wire::ExRightsContent cq;
    std::tie(cq.version1, cq.version2) = source.ExRightsVersion();
    for (const auto& e : source.ExRights())
        cq.records.push_back({e.m_nMarket, e.m_strCode, e.m_nDate, e.m_nCash, e.m_nBonus,
                              e.m_nTransfer, e.m_nRights, e.m_nRightsPrice});
    m_exRightsTable = PackTable(Encoded(cq));
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
    wire::LoginRequest request;
    request.Decode(body);
    const std::string& link = request.link;
    uint8_t result = 1;
    std::string text = "登录成功";
    // A guest has no account name: per-account limits on the client key on it.
    std::string account;
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
        if (command == wire::kGuestLogin) account.clear();
    }
    if (m_faults.m_bRefuseLogin) {
        result = 0;
        text = "服务器暂停登录，请稍后再试";
    }
    log = std::string(result == 1 ? "login accepted: " : "login refused: ") +
          (account.empty() ? std::string("(guest)") : account);
    wire::LoginReply reply;
    reply.result = result;
    reply.text = text;
    reply.account = result == 1 ? Utf8ToAnsi(account) : std::string();  // wire text is GBK
    reply.strings = {"tarrow-dataserver"};
    return One(reply);
}

std::vector<ReplyMessage> CMarketService::Chunk(const wire::SecurityRef* security,
                                                const std::vector<uint8_t>& packed,
                                                const wire::ChunkScheme& scheme) {
    std::vector<ReplyMessage> messages;
    const size_t size = ChunkSize();
    size_t offset = 0;
    // With the overrun fault the first chunk announces less than the stream holds.
    uint32_t announced =
        m_faults.m_bOverrunChunk ? uint32_t(packed.size() / 2) : uint32_t(packed.size());
    do {
        size_t n = std::min(size, packed.size() - offset);
        bool first = offset == 0, last = offset + n == packed.size();
        wire::ChunkReply chunk;
        chunk.flags = uint8_t((first ? scheme.first : 0) | (last ? scheme.last : 0));
        chunk.total = announced;
        if (last && scheme.checksumInLast) chunk.checksum = Crc16(packed.size(), packed.data());
        chunk.chunk.assign(packed.begin() + long(offset), packed.begin() + long(offset + n));
        CBuffer out;
        if (security) security->Encode(out);
        chunk.Encode(out, scheme, /*inDownload=*/!first);
        messages.push_back({Bytes(out), true});
        offset += n;
    } while (offset < packed.size());
    return messages;
}

std::vector<ReplyMessage> CMarketService::CodeTable(CBuffer& body, std::string& log) {
    wire::CodeTableRequest request;
    request.Decode(body);
    if (request.checksum != 0 && request.checksum == m_nCodeTableCrc) {
        log = "code table: current";
        CBuffer out;
        wire::ChunkReply{wire::kCodeTableCurrent}.Encode(out, wire::kCodeTableChunks);
        return {ReplyMessage{Bytes(out), false}};
    }
    log = "code table: sent " + std::to_string(m_codeTable.size()) + " bytes";
    return Chunk(nullptr, m_codeTable, wire::kCodeTableChunks);
}

std::vector<ReplyMessage> CMarketService::ExRights(CBuffer& body, std::string& log) {
    wire::ExRightsRequest request;
    request.Decode(body);
    auto version = m_source.ExRightsVersion();
    if (request.version1 == version.first && request.version2 == version.second) {
        log = "ex-rights: current";
        CBuffer out;
        wire::ChunkReply{wire::kExRightsCurrent}.Encode(out, wire::kExRightsChunks);
        return {ReplyMessage{Bytes(out), false}};
    }
    log = "ex-rights: sent " + std::to_string(m_exRightsTable.size()) + " bytes";
    return Chunk(nullptr, m_exRightsTable, wire::kExRightsChunks);
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

wire::QuoteBlock CMarketService::QuoteBlock(const std::vector<CDayItem>& bars) {
    // Date of the newest bar, the previous and the latest close, and the bar count.
    uint32_t date = bars.empty() ? 0 : DateOf(bars.back().m_nTime);
    uint32_t last = bars.empty() ? 0 : uint32_t(bars.back().m_nClose);
    uint32_t previous = bars.size() < 2 ? last : uint32_t(bars[bars.size() - 2].m_nClose);
    return {date, previous, last, uint32_t(bars.size())};
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
    wire::HistoryRequest req;
    req.Decode(body, chunked ? wire::kHistory : wire::kHistoryPlain);
    const uint32_t market = req.security.market;
    const std::string& code = req.security.code;
    // Whole years are sent, whatever the bars wanted.
    const uint16_t command = chunked ? wire::kHistory : wire::kHistoryPlain;
    if (req.years.size() > 64)
        throw CParseError(std::to_string(req.years.size()) + " years asked for, at most 64",
                          "request " + std::to_string(command), "year count");
    const uint16_t type = req.dataType;
    const int16_t period = int16_t(req.period);
    std::vector<wire::HistoryReply::Group> groups;
    const ServedSecurity* security = m_source.Find(market, code);
    int granularity = (period > 0 && period % 5 == 0) ? 5 : 1;
    size_t sent = 0;
    for (const wire::YearSummary& asked : req.years) {
        HeldRun held{asked.count, uint64_t(asked.firstKey), uint64_t(asked.lastKey), asked.check};
        const uint32_t year = asked.year;
        wire::HistoryReply::Group g{{year, 0, 0}, {}};
        if (security && type == 3 && year >= 1990 && year <= 2100) {
            BarList bars = m_source.MinuteBars(*security, granularity, int(year));
            std::vector<CDayItem> inYear;
            for (const CDayItem& b : *bars)
                if (req.upperDate == 0 || DateOf(b.m_nTime) <= req.upperDate) inYear.push_back(b);
            long from = Continuation(inYear, held, false);
            if (from < 0) {
                g.year.replace = 1;
                from = 0;
            }
            g.year.count = uint32_t(inYear.size());
            size_t take = std::min(inYear.size() - size_t(from), cap - sent);
            g.bars.assign(inYear.begin() + from, inYear.begin() + from + long(take));
            sent += take;
        }
        groups.push_back(std::move(g));
    }

    log = std::to_string(chunked ? 10801 : 10701) + " " + std::to_string(market) + ":" + code +
          ": " + std::to_string(sent) + " bars";
    if (chunked) {
        wire::HistoryContent content;
        content.security = req.security;
        content.bars.reserve(sent);
        for (const auto& g : groups) {
            content.groups.push_back(g.year);
            content.bars.insert(content.bars.end(), g.bars.begin(), g.bars.end());
        }
        auto replies = Chunk(&req.security, PackTable(Encoded(content)), wire::kHistoryChunks);
        if (sent > 0) {
            if (m_historyCache.size() >= 4) m_historyCache.erase(m_historyCache.begin());
            m_historyCache.emplace_back(std::move(request), replies);
            m_strHistoryLog = log;
        }
        return replies;
    }
    wire::HistoryReply reply;
    reply.security = req.security;
    for (const auto& g : groups) reply.years.push_back(g.year.year);
    reply.groups = std::move(groups);
    return One(reply);
}

std::vector<ReplyMessage> CMarketService::Update(CBuffer& body, std::string& log) {
    wire::UpdateRequest req;
    req.Decode(body);
    const uint32_t market = req.security.market;
    const std::string& code = req.security.code;
    const uint16_t type = req.dataType;
    const int16_t period = int16_t(req.period);
    // The n-day count is not used: the client builds its own periods from day bars.
    const uint32_t wanted = req.barsWanted;
    HeldRun held = ShortSummary(req.held);

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
    wire::UpdateReply reply;
    reply.security = req.security;
    reply.reset = reset;
    reply.total = uint32_t(bars.size());
    reply.quote = QuoteBlock(bars);
    reply.cut = 0;  // no front cut
    size_t n = std::min(bars.size() - size_t(from), kMaxBarsPerReply);
    reply.bars.assign(bars.begin() + from, bars.begin() + from + long(n));
    log = "10901 " + std::to_string(market) + ":" + code + ": " + std::to_string(n) + " bars" +
          (reset ? " (reset)" : "");
    return One(reply);
}

std::vector<ReplyMessage> CMarketService::Window(CBuffer& body, bool random) {
    wire::SecurityRef asked;
    uint32_t from = 0, to = 0, count = 0;
    if (random) {
        wire::RandomWindowRequest req;
        req.Decode(body);
        asked = req.security;
        count = req.barCount;
    } else {
        wire::RangeRequest req;
        req.Decode(body);
        asked = req.security;
        from = req.from;
        to = req.to;
    }
    const uint32_t market = asked.market;
    const std::string& code = asked.code;

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
    wire::WindowReply reply;
    reply.security = asked;
    reply.quote = QuoteBlock(bars);
    reply.from = end > begin ? uint32_t(bars[begin].m_nTime) : from;
    reply.to = end > begin ? uint32_t(bars[end - 1].m_nTime) : to;
    reply.total = uint32_t(bars.size());
    reply.run = SomeBars(bars, begin, end);
    return One(reply);
}

std::vector<ReplyMessage> CMarketService::TrainingBars(CBuffer& body) {
    wire::TrainingBarsRequest req;
    req.Decode(body);
    const uint32_t market = req.security.market;
    const std::string& code = req.security.code;
    const uint16_t type = req.dataType;
    const int16_t period = int16_t(req.period);
    const uint32_t date = req.param1;
    const uint32_t count = req.param2;

    const ServedSecurity* security = m_source.Find(market, code);
    std::vector<CDayItem> bars;
    if (security && (type == 3 || type == 4)) bars = StoreBars(*security, type, period);
    size_t end = size_t(
        std::upper_bound(bars.begin(), bars.end(), date,
                         [](uint32_t d, const CDayItem& b) { return d < DateOf(b.m_nTime); }) -
        bars.begin());
    size_t want = std::min<size_t>(count ? count : end, kMaxBarsPerReply);
    size_t begin = end > want ? end - want : 0;
    wire::TrainingBarsReply reply;
    reply.security = req.security;
    reply.quote = QuoteBlock(bars);
    reply.total = uint32_t(bars.size());
    reply.run = SomeBars(bars, begin, end);
    return One(reply);
}

std::vector<ReplyMessage> CMarketService::SupportRange(CBuffer& body) {
    wire::SupportRangeRequest req;
    req.Decode(body);
    const ServedSecurity* security = m_source.Find(req.security.market, req.security.code);
    BarList bars =
        security ? m_source.DayBars(*security) : BarList(std::make_shared<std::vector<CDayItem>>());
    wire::SupportRangeReply reply;
    reply.security = req.security;
    reply.begin = bars->empty() ? 0 : uint32_t(bars->front().m_nTime);
    reply.end = bars->empty() ? 0 : uint32_t(bars->back().m_nTime);
    reply.maxDays = uint32_t(bars->size());
    return One(reply);
}

std::vector<ReplyMessage> CMarketService::DataRange(CBuffer& body) {
    wire::DataRangeRequest req;
    req.Decode(body);
    const uint32_t market = req.security.market;
    const std::string& code = req.security.code;
    const uint32_t days = req.days;
    // The asked-for security when it has enough days, else the first stock that has.
    const ServedSecurity* chosen = nullptr;
    if (const ServedSecurity* asked = m_source.Find(market, code);
        asked && m_source.DayBars(*asked)->size() >= days)
        chosen = asked;
    for (const auto& s : m_source.Securities()) {
        if (chosen) break;
        if (!s.m_bIndex && m_source.DayBars(s)->size() >= days) chosen = &s;
    }
    wire::DataRangeReply reply;
    reply.status = chosen ? 1 : 0;
    if (chosen) {
        BarList bars = m_source.DayBars(*chosen);
        reply.security = {chosen->m_nMarket, chosen->m_strCode};
        reply.begin = uint32_t(bars->front().m_nTime);
        reply.end = uint32_t(bars->back().m_nTime);
        reply.maxDays = uint32_t(bars->size());
    }
    return One(reply);
}

std::vector<ReplyMessage> CMarketService::Candidates(CBuffer& body) {
    wire::CandidatesRequest req;
    req.Decode(body);
    const uint16_t offset = req.offset;
    const uint16_t page = std::min<uint16_t>(req.pageSize, 100);
    std::vector<const ServedSecurity*> stocks;
    for (const auto& s : m_source.Securities())
        if (!s.m_bIndex && !m_source.DayBars(s)->empty()) stocks.push_back(&s);
    wire::CandidatesReply reply;
    reply.total = uint16_t(stocks.size());
    reply.offset = offset;
    size_t begin = std::min<size_t>(offset, stocks.size());
    size_t n = std::min<size_t>(page, stocks.size() - begin);
    for (size_t i = begin; i < begin + n; ++i)
        reply.entries.push_back({stocks[i]->m_nMarket, stocks[i]->m_strCode});
    return One(reply);
}
