#include "protocol/Bodies.h"

#include <algorithm>

#include "foundation/Buffer.h"
#include "foundation/ParseError.h"

namespace wire {

// --- CFieldReader -------------------------------------------------------------------------

namespace {
template <class Read>
auto Located(std::string_view where, const char* field, Read read) {
    try {
        return read();
    } catch (CParseError& e) {
        e.Locate(where, field);
        throw;
    }
}
}  // namespace

uint8_t CFieldReader::U8(const char* field) {
    return Located(m_where, field, [&] { return m_in.ReadUInt8(); });
}
uint16_t CFieldReader::U16(const char* field) {
    return Located(m_where, field, [&] { return m_in.ReadUInt16(); });
}
uint32_t CFieldReader::U32(const char* field) {
    return Located(m_where, field, [&] { return m_in.ReadUInt32(); });
}
int64_t CFieldReader::I64(const char* field) {
    return Located(m_where, field, [&] { return m_in.ReadInt64(); });
}
std::string CFieldReader::String(const char* field) {
    return Located(m_where, field, [&] {
        std::string s;
        m_in.ReadString(s);
        return s;
    });
}

std::vector<uint8_t> CFieldReader::Bytes(uint32_t n, const char* field) {
    if (n > Left())
        Fail(std::to_string(n) + " bytes announced, " + std::to_string(Left()) + " left", field);
    std::vector<uint8_t> bytes(n);
    if (n) m_in.Read(bytes.data(), n);
    return bytes;
}

std::vector<CDayItem> CFieldReader::Bars(const char* field) {
    uint32_t n = U32(field);
    if (uint64_t(n) * sizeof(CDayItem) > Left())
        Fail(std::to_string(n) + " bars announced, " + std::to_string(Left()) + " bytes left",
             field);
    std::vector<CDayItem> bars(n);
    if (n) m_in.Read(bars.data(), uint32_t(n * sizeof(CDayItem)));
    return bars;
}

uint32_t CFieldReader::Count(uint32_t n, uint32_t minSize, const char* field) {
    if (uint64_t(n) * minSize > Left())
        Fail(std::to_string(n) + " entries announced, " + std::to_string(Left()) + " bytes left",
             field);
    return n;
}

void CFieldReader::Fail(const std::string& problem, const char* field) const {
    throw CParseError(problem, std::string(m_where), field);
}

uint32_t CFieldReader::Left() const {
    return m_in.m_bPeekMode ? (m_in.m_nPeekCursor <= m_in.GetLength()
                                   ? m_in.GetLength() - m_in.m_nPeekCursor
                                   : 0)
                            : m_in.GetLength();
}

void EncodeBars(CBuffer& out, const CDayItem* bars, size_t n) {
    out.WriteUInt32(uint32_t(n));
    if (n) out.Write(bars, uint32_t(n * sizeof(CDayItem)));
}

namespace {
void EncodeQuote(CBuffer& out, const QuoteBlock& quote) {
    for (uint32_t q : quote) out.WriteUInt32(q);
}
void DecodeQuote(CFieldReader& in, QuoteBlock& quote) {
    for (uint32_t& q : quote) q = in.U32("quote block");
}
void EncodeYearSummary(CBuffer& out, const YearSummary& y) {
    out.WriteUInt32(y.year);
    out.WriteUInt32(y.count);
    out.WriteInt64(y.firstKey);
    out.WriteInt64(y.lastKey);
    out.WriteUInt8(y.check);
}
void EncodeYearGroup(CBuffer& out, const YearGroup& g) {
    out.WriteUInt32(g.year);
    out.WriteUInt8(g.replace);
    out.WriteUInt32(g.count);
}
void DecodeYearGroup(CFieldReader& in, YearGroup& g) {
    g.year = in.U32("year");
    g.replace = in.U8("replace flag");
    g.count = in.U32("year bar count");
}
}  // namespace

// --- shared pieces ------------------------------------------------------------------------

void SecurityRef::Encode(CBuffer& out) const {
    out.WriteUInt32(market);
    out.WriteString(code);
}
void SecurityRef::Decode(CFieldReader& in) {
    market = in.U32("market");
    code = in.String("code");
}

void HeldSummary::Encode(CBuffer& out) const {
    out.WriteUInt32(count);
    out.WriteUInt32(firstKey);
    out.WriteUInt32(lastKey);
    out.WriteUInt8(check);
}
void HeldSummary::Decode(CFieldReader& in) {
    count = in.U32("held count");
    firstKey = in.U32("held first key");
    lastKey = in.U32("held last key");
    check = in.U8("held check byte");
}

// --- connection start ---------------------------------------------------------------------

void LoginRequest::Encode(CBuffer& out) const {
    out.WriteString(link);
}
void LoginRequest::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "request 13301");
    link = in.String("account link");
}

void LoginReply::Encode(CBuffer& out) const {
    out.WriteUInt8(result);
    out.WriteString(text);
    out.WriteString(account);
    out.WriteUInt16(uint16_t(strings.size()));
    for (const std::string& s : strings) out.WriteString(s);
}
void LoginReply::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "reply 13301");
    result = in.U8("result");
    text = in.String("message text");
    account = in.String("account name");
    const int16_t count = int16_t(in.U16("string count"));
    strings.clear();
    for (int16_t i = 0; i < count; ++i) strings.push_back(in.String("further string"));
}

void CodeTableRequest::Encode(CBuffer& out) const {
    out.WriteUInt16(checksum);
}
void CodeTableRequest::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "request 10201");
    checksum = in.U16("checksum");
}

void ExRightsRequest::Encode(CBuffer& out) const {
    out.WriteUInt32(version1);
    out.WriteUInt32(version2);
}
void ExRightsRequest::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "request 13101");
    version1 = in.U32("version word 1");
    version2 = in.U32("version word 2");
}

void ChunkReply::Encode(CBuffer& out, const ChunkScheme& scheme, bool inDownload) const {
    out.WriteUInt8(flags);
    if (IsCurrent(scheme, inDownload)) return;
    if (IsFirst(scheme)) out.WriteUInt32(total);
    if (IsLast(scheme) && scheme.checksumInLast) out.WriteUInt16(checksum);
    out.WriteUInt16(uint16_t(chunk.size()));
    if (!chunk.empty()) out.Write(chunk.data(), uint32_t(chunk.size()));
}
void ChunkReply::Decode(CBuffer& buffer, const ChunkScheme& scheme, bool inDownload) {
    CFieldReader in(buffer, scheme.where);
    Decode(in, scheme, inDownload);
}
void ChunkReply::Decode(CFieldReader& in, const ChunkScheme& scheme, bool inDownload) {
    flags = in.U8("flags");
    total = 0;
    checksum = 0;
    chunk.clear();
    if (IsCurrent(scheme, inDownload)) return;
    if (IsFirst(scheme)) total = in.U32("total size");
    if (IsLast(scheme) && scheme.checksumInLast) checksum = in.U16("checksum");
    chunk = in.Bytes(in.U16("chunk length"), "chunk");
}

// --- series -------------------------------------------------------------------------------

void HistoryRequest::Encode(CBuffer& out) const {
    security.Encode(out);
    out.WriteUInt16(dataType);
    out.WriteUInt16(period);
    out.WriteUInt32(barsWanted);
    out.WriteUInt32(upperDate);
    out.WriteUInt16(uint16_t(years.size()));
    for (const YearSummary& y : years) EncodeYearSummary(out, y);
}
void HistoryRequest::Decode(CBuffer& buffer, uint16_t command) {
    const std::string where = "request " + std::to_string(command);
    CFieldReader in(buffer, where);
    security.Decode(in);
    dataType = in.U16("data type");
    period = in.U16("period");
    barsWanted = in.U32("bars wanted");
    upperDate = in.U32("upper date");
    uint32_t n = in.Count(in.U16("year count"), 25, "year count");
    years.clear();
    years.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
        YearSummary y;
        y.year = in.U32("year");
        y.count = in.U32("held count");
        y.firstKey = in.I64("held first key");
        y.lastKey = in.I64("held last key");
        y.check = in.U8("held check byte");
        years.push_back(y);
    }
}

void HistoryChunkReply::Encode(CBuffer& out) const {
    security.Encode(out);
    chunk.Encode(out, kHistoryChunks, true);
}
void HistoryChunkReply::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, kHistoryChunks.where);
    security.Decode(in);
    chunk.Decode(in, kHistoryChunks);
}

void HistoryContent::Encode(CBuffer& out) const {
    security.Encode(out);
    out.WriteUInt16(uint16_t(groups.size()));
    for (const YearGroup& g : groups) EncodeYearGroup(out, g);
    EncodeBars(out, bars.data(), bars.size());
}
void HistoryContent::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "reply 10801 content");
    security.Decode(in);
    uint32_t n = in.Count(in.U16("year count"), 9, "year count");
    groups.assign(n, YearGroup{});
    for (YearGroup& g : groups) DecodeYearGroup(in, g);
    bars = in.Bars("bars");
}

void HistoryReply::Encode(CBuffer& out) const {
    security.Encode(out);
    out.WriteUInt16(uint16_t(years.size()));
    for (uint32_t y : years) out.WriteUInt32(y);
    out.WriteUInt16(uint16_t(groups.size()));
    for (const Group& g : groups) {
        EncodeYearGroup(out, g.year);
        EncodeBars(out, g.bars.data(), g.bars.size());
    }
}
void HistoryReply::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "reply 10701");
    security.Decode(in);
    uint32_t k = in.Count(in.U16("year count"), 4, "year count");
    years.assign(k, 0);
    for (uint32_t& y : years) y = in.U32("year");
    uint32_t n = in.Count(in.U16("group count"), 13, "group count");
    groups.clear();
    groups.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
        Group g;
        DecodeYearGroup(in, g.year);
        g.bars = in.Bars("bars");
        groups.push_back(std::move(g));
    }
}

void UpdateRequest::Encode(CBuffer& out) const {
    security.Encode(out);
    out.WriteUInt16(dataType);
    out.WriteUInt16(period);
    out.WriteUInt16(nDayCount);
    out.WriteUInt32(barsWanted);
    held.Encode(out);
}
void UpdateRequest::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "request 10901");
    security.Decode(in);
    dataType = in.U16("data type");
    period = in.U16("period");
    nDayCount = in.U16("n-day count");
    barsWanted = in.U32("bars wanted");
    held.Decode(in);
}

void UpdateReply::Encode(CBuffer& out) const {
    security.Encode(out);
    out.WriteUInt8(reset);
    out.WriteUInt32(total);
    EncodeQuote(out, quote);
    out.WriteUInt32(cut);
    EncodeBars(out, bars.data(), bars.size());
}
void UpdateReply::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "reply 10901");
    security.Decode(in);
    reset = in.U8("reset flag");
    total = in.U32("total count");
    DecodeQuote(in, quote);
    cut = in.U32("front cut");
    bars = in.Bars("bars");
}

void TrainingBarsRequest::Encode(CBuffer& out) const {
    security.Encode(out);
    out.WriteUInt16(dataType);
    out.WriteUInt16(period);
    out.WriteUInt16(nDayCount);
    out.WriteUInt32(param1);
    out.WriteUInt32(param2);
    held.Encode(out);
}
void TrainingBarsRequest::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "request 11001");
    security.Decode(in);
    dataType = in.U16("data type");
    period = in.U16("period");
    nDayCount = in.U16("n-day count");
    param1 = in.U32("training parameter 1");
    param2 = in.U32("training parameter 2");
    held.Decode(in);
}

void RangeRequest::Encode(CBuffer& out) const {
    security.Encode(out);
    out.WriteUInt32(from);
    out.WriteUInt32(to);
    held.Encode(out);
}
void RangeRequest::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "request 10401");
    security.Decode(in);
    from = in.U32("range from");
    to = in.U32("range to");
    held.Decode(in);
}

void RandomWindowRequest::Encode(CBuffer& out) const {
    security.Encode(out);
    out.WriteUInt32(barCount);
    held.Encode(out);
}
void RandomWindowRequest::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "request 10501");
    security.Decode(in);
    barCount = in.U32("window bar count");
    held.Decode(in);
}

void OptionalBars::Encode(CBuffer& out) const {
    out.WriteUInt8(present ? 1 : 0);
    if (!present) return;
    out.WriteUInt8(reset);
    out.WriteUInt32(cut);
    EncodeBars(out, bars.data(), bars.size());
}
void OptionalBars::Decode(CFieldReader& in) {
    present = in.U8("has-bars flag") != 0;
    reset = 0;
    cut = 0;
    bars.clear();
    if (!present) return;
    reset = in.U8("reset flag");
    cut = in.U32("front cut");
    bars = in.Bars("bars");
}

void WindowReply::Encode(CBuffer& out) const {
    security.Encode(out);
    EncodeQuote(out, quote);
    out.WriteUInt32(from);
    out.WriteUInt32(to);
    out.WriteUInt32(total);
    run.Encode(out);
}
void WindowReply::Decode(CBuffer& buffer, uint16_t command) {
    const std::string where = "reply " + std::to_string(command);
    CFieldReader in(buffer, where);
    security.Decode(in);
    DecodeQuote(in, quote);
    from = in.U32("range from");
    to = in.U32("range to");
    total = in.U32("total count");
    run.Decode(in);
}

void TrainingBarsReply::Encode(CBuffer& out) const {
    security.Encode(out);
    EncodeQuote(out, quote);
    out.WriteUInt32(total);
    run.Encode(out);
}
void TrainingBarsReply::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "reply 11001");
    security.Decode(in);
    DecodeQuote(in, quote);
    total = in.U32("total count");
    run.Decode(in);
}

// --- training services --------------------------------------------------------------------

void SupportRangeRequest::Encode(CBuffer& out) const {
    security.Encode(out);
}
void SupportRangeRequest::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "request 12001");
    security.Decode(in);
}

void SupportRangeReply::Encode(CBuffer& out) const {
    security.Encode(out);
    if (!hasRange) return;
    out.WriteUInt32(begin);
    out.WriteUInt32(end);
    out.WriteUInt32(maxDays);
}
void SupportRangeReply::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "reply 12001");
    security.Decode(in);
    hasRange = in.Left() > 0;
    begin = end = maxDays = 0;
    if (!hasRange) return;
    begin = in.U32("begin date");
    end = in.U32("end date");
    maxDays = in.U32("maximum days");
}

void DataRangeRequest::Encode(CBuffer& out) const {
    security.Encode(out);
    out.WriteUInt32(days);
}
void DataRangeRequest::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "request 12101");
    security.Decode(in);
    days = in.U32("wanted days");
}

void DataRangeReply::Encode(CBuffer& out) const {
    out.WriteUInt8(status);
    if (!status) return;
    security.Encode(out);
    out.WriteUInt32(begin);
    out.WriteUInt32(end);
    out.WriteUInt32(maxDays);
}
void DataRangeReply::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "reply 12101");
    status = in.U8("status");
    if (!status) return;
    security.Decode(in);
    begin = in.U32("begin date");
    end = in.U32("end date");
    maxDays = in.U32("maximum days");
}

void CandidatesRequest::Encode(CBuffer& out) const {
    out.WriteUInt16(offset);
    out.WriteUInt16(pageSize);
}
void CandidatesRequest::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "request 13001");
    offset = in.U16("offset");
    pageSize = in.U16("page size");
}

void CandidatesReply::Encode(CBuffer& out) const {
    out.WriteUInt16(total);
    out.WriteUInt16(offset);
    out.WriteUInt16(uint16_t(entries.size()));
    for (const SecurityRef& e : entries) e.Encode(out);
}
void CandidatesReply::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "reply 13001");
    total = in.U16("total");
    offset = in.U16("offset");
    uint32_t n = in.Count(in.U16("entry count"), 6, "entry count");
    entries.assign(n, SecurityRef{});
    for (SecurityRef& e : entries) e.Decode(in);
}

// --- table contents -----------------------------------------------------------------------

void CodeTableContent::Encode(CBuffer& out) const {
    out.WriteUInt32(uint32_t(entries.size()));
    for (const Entry& e : entries) {
        out.WriteUInt32(e.market);
        out.WriteString(e.code);
        out.WriteString(e.name);
    }
}
void CodeTableContent::Decode(CBuffer& buffer) {
    CFieldReader in(buffer, "code table");
    entries.clear();
    uint32_t n = in.U32("entry count");
    // Entries are kept as read: a table shorter than it declares keeps what came before
    // the break, so the count only bounds the reservation.
    entries.reserve(std::min<uint32_t>(n, in.Left() / 8));
    for (uint32_t i = 0; i < n; ++i) {
        Entry e;
        e.market = in.U32("market");
        e.code = in.String("code");
        e.name = in.String("name");
        entries.push_back(std::move(e));
    }
}

void ExRightsRecord::Encode(CBuffer& out) const {
    out.WriteUInt32(market);
    out.WriteString(code);
    out.WriteUInt32(date);
    out.WriteInt64(cash);
    out.WriteInt64(bonus);
    out.WriteInt64(transfer);
    out.WriteInt64(rights);
    out.WriteUInt32(rightsPrice);
}
void ExRightsRecord::Decode(CFieldReader& in) {
    market = in.U32("market");
    code = in.String("code");
    date = in.U32("date");
    cash = in.I64("cash");
    bonus = in.I64("bonus");
    transfer = in.I64("transfer");
    rights = in.I64("rights");
    rightsPrice = in.U32("rights price");
}

void ExRightsContent::Encode(CBuffer& out) const {
    out.WriteUInt16(format);
    out.WriteUInt32(version1);
    out.WriteUInt32(version2);
    out.WriteUInt32(uint32_t(records.size()));
    for (const ExRightsRecord& r : records) r.Encode(out);
}
void ExRightsContent::Decode(CBuffer& buffer, std::string_view where) {
    CFieldReader in(buffer, where);
    records.clear();
    format = in.U16("format version");
    version1 = in.U32("version word 1");
    version2 = in.U32("version word 2");
    uint32_t n = in.U32("record count");
    // As for the code table: a short file keeps the records before the break.
    records.reserve(std::min<uint32_t>(n, in.Left() / 46));
    for (uint32_t i = 0; i < n; ++i) {
        ExRightsRecord record;
        record.Decode(in);
        records.push_back(std::move(record));
    }
}

}  // namespace wire
