#pragma once
// Every message body of the market-data protocol, each with one encoder and one decoder,
// shared by the client and tarrow-dataserver. Fields are little-endian; strings are a u16
// byte count and the bytes, no terminator (CBuffer).
//
// Encode appends the body to a buffer. Decode reads it from the buffer's unread bytes and
// fills the object field by field; a short or malformed body throws CParseError naming
// the message and the field, and leaves the fields read before it filled, so a reader
// that keeps partial tables (the code table, the ex-rights table) can.
//
// A reply starting with a security (market, code) names the series it answers; what
// follows it is read as a whole even when the reader then drops it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/DayBar.h"

class CBuffer;

namespace wire {

// Reads one body's fields; a short read, or a value out of bounds, becomes a CParseError
// that names the body (`where`, e.g. "reply 10901") and the field.
class CFieldReader {
public:
    CFieldReader(CBuffer& in, std::string_view where) : m_in(in), m_where(where) {}

    uint8_t U8(const char* field);
    uint16_t U16(const char* field);
    uint32_t U32(const char* field);
    int64_t I64(const char* field);
    std::string String(const char* field);
    // n raw bytes.
    std::vector<uint8_t> Bytes(uint32_t n, const char* field);
    // u32 n, then n 32-byte bars. The count is checked against the bytes left before
    // anything is allocated.
    std::vector<CDayItem> Bars(const char* field);
    // A count of entries of at least minSize bytes each: more than the bytes left can
    // carry is malformed, so no reader reserves memory for a lying count.
    uint32_t Count(uint32_t n, uint32_t minSize, const char* field);

    [[noreturn]] void Fail(const std::string& problem, const char* field) const;
    std::string_view Where() const { return m_where; }
    uint32_t Left() const;

private:
    CBuffer& m_in;
    std::string_view m_where;
};

// Appends u32 n and the n bars.
void EncodeBars(CBuffer& out, const CDayItem* bars, size_t n);

// --- pieces several bodies share ----------------------------------------------------------

struct SecurityRef {
    uint32_t market = 0;
    std::string code;

    void Encode(CBuffer& out) const;
    void Decode(CFieldReader& in);
    friend bool operator==(const SecurityRef&, const SecurityRef&) = default;
};

// What the client holds of a series: count, the low 32 bits of the first and last key,
// and the check byte (CheckByte over the 32-byte bars). All zero when nothing is held.
struct HeldSummary {
    uint32_t count = 0;
    uint32_t firstKey = 0;
    uint32_t lastKey = 0;
    uint8_t check = 0;

    void Encode(CBuffer& out) const;
    void Decode(CFieldReader& in);
    friend bool operator==(const HeldSummary&, const HeldSummary&) = default;
};

// The held bars of one year of minute history, with whole 64-bit keys.
struct YearSummary {
    uint32_t year = 0;
    uint32_t count = 0;
    int64_t firstKey = 0;
    int64_t lastKey = 0;
    uint8_t check = 0;
    friend bool operator==(const YearSummary&, const YearSummary&) = default;
};

// The four u32 of the security's quote block that series replies carry.
using QuoteBlock = std::array<uint32_t, 4>;

// --- connection start ---------------------------------------------------------------------

// 13301 and 13401: the account link text (empty for a guest without a user name).
struct LoginRequest {
    std::string link;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

struct LoginReply {
    uint8_t result = 0;  // 1 logged in, anything else refused
    std::string text;    // UTF-8
    std::string account;  // GBK
    std::vector<std::string> strings;  // GBK
    void Encode(CBuffer& out) const;
    // The count of further strings is taken as a signed 16-bit number: 0x8000 and above
    // read none.
    void Decode(CBuffer& in);
};

// 10201: the CRC-16 of the held compressed code table (0 when none).
struct CodeTableRequest {
    uint16_t checksum = 0;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// 13101: the two version words of the held ex-rights table.
struct ExRightsRequest {
    uint32_t version1 = 0;
    uint32_t version2 = 0;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// How one chunked download uses its flag byte.
struct ChunkScheme {
    uint8_t first;        // a u32 total follows the flags
    uint8_t last;         // the download ends with this chunk
    int current;          // flags value meaning "the held table is current", -1 for none
    bool checksumInLast;  // a u16 checksum follows (after the total) in the last chunk
    const char* where;
};
inline constexpr ChunkScheme kCodeTableChunks{4, 2, 1, true, "reply 10201"};
// Flags 0 says "current" only as a whole answer; inside a download it marks a middle chunk.
inline constexpr ChunkScheme kExRightsChunks{2, 4, 0, false, "reply 13101"};
inline constexpr ChunkScheme kHistoryChunks{4, 2, -1, false, "reply 10801"};

// One message of a chunked reply: flags, [u32 total], [u16 checksum], u16 length and the
// chunk's bytes; a "current" reply is the flags byte alone.
struct ChunkReply {
    uint8_t flags = 0;
    uint32_t total = 0;     // when flags has the first bit
    uint16_t checksum = 0;  // when flags has the last bit and the scheme carries one
    std::vector<uint8_t> chunk;

    bool IsFirst(const ChunkScheme& s) const { return (flags & s.first) != 0; }
    bool IsLast(const ChunkScheme& s) const { return (flags & s.last) != 0; }
    // Whether this is the one-byte "current" answer; inDownload tells a middle chunk of an
    // ex-rights download (flags 0 too) from it.
    bool IsCurrent(const ChunkScheme& s, bool inDownload) const {
        return s.current >= 0 && flags == s.current && !(s.current == 0 && inDownload);
    }

    // inDownload as for IsCurrent: a middle ex-rights chunk has flags 0 as well.
    void Encode(CBuffer& out, const ChunkScheme& scheme, bool inDownload = false) const;
    void Decode(CBuffer& in, const ChunkScheme& scheme, bool inDownload = false);
    void Decode(CFieldReader& in, const ChunkScheme& scheme, bool inDownload = false);
};

// --- series -------------------------------------------------------------------------------

// 10801 and 10701.
struct HistoryRequest {
    SecurityRef security;
    uint16_t dataType = 3;
    uint16_t period = 0;
    uint32_t barsWanted = 0;
    uint32_t upperDate = 0;
    std::vector<YearSummary> years;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in, uint16_t command = 10801);
};

// Each message of the chunked 10801 reply: the security, then a chunk of the compressed
// HistoryContent.
struct HistoryChunkReply {
    SecurityRef security;
    ChunkReply chunk;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// One year of a history reply: replace its held bars when replace is set; count is the
// server's number of bars of the year.
struct YearGroup {
    uint32_t year = 0;
    uint8_t replace = 0;
    uint32_t count = 0;
    friend bool operator==(const YearGroup&, const YearGroup&) = default;
};

// The decompressed content of a complete 10801 reply.
struct HistoryContent {
    SecurityRef security;
    std::vector<YearGroup> groups;
    std::vector<CDayItem> bars;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// 10701: the years asked for, then per year its group and bars.
struct HistoryReply {
    struct Group {
        YearGroup year;
        std::vector<CDayItem> bars;
    };
    SecurityRef security;
    std::vector<uint32_t> years;
    std::vector<Group> groups;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// 10901.
struct UpdateRequest {
    SecurityRef security;
    uint16_t dataType = 0;
    uint16_t period = 0;
    uint16_t nDayCount = 0;
    uint32_t barsWanted = 0;
    HeldSummary held;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

struct UpdateReply {
    SecurityRef security;
    uint8_t reset = 0;
    uint32_t total = 0;
    QuoteBlock quote{};
    uint32_t cut = 0;  // drop held bars whose low 32 key bits are below it
    std::vector<CDayItem> bars;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// 11001.
struct TrainingBarsRequest {
    SecurityRef security;
    uint16_t dataType = 0;
    uint16_t period = 0;
    uint16_t nDayCount = 0;
    uint32_t param1 = 0;
    uint32_t param2 = 0;
    HeldSummary held;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// 10401.
struct RangeRequest {
    SecurityRef security;
    uint32_t from = 0;
    uint32_t to = 0;
    HeldSummary held;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// 10501.
struct RandomWindowRequest {
    SecurityRef security;
    uint32_t barCount = 0;
    HeldSummary held;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// The tail of the window and training replies: u8 has-bars, and only when it is set
// u8 reset, u32 cut, the bars.
struct OptionalBars {
    bool present = false;
    uint8_t reset = 0;
    uint32_t cut = 0;
    std::vector<CDayItem> bars;
    void Encode(CBuffer& out) const;
    void Decode(CFieldReader& in);
};

// 10401 and 10501.
struct WindowReply {
    SecurityRef security;
    QuoteBlock quote{};
    uint32_t from = 0;
    uint32_t to = 0;
    uint32_t total = 0;
    OptionalBars run;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in, uint16_t command = 10401);
};

// 11001.
struct TrainingBarsReply {
    SecurityRef security;
    QuoteBlock quote{};
    uint32_t total = 0;
    OptionalBars run;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// --- training services --------------------------------------------------------------------

// 12001.
struct SupportRangeRequest {
    SecurityRef security;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// The range fields are read only when the reply carries them: a reader takes them only
// for the security it asked about, so a reply about another one may end after its code.
struct SupportRangeReply {
    SecurityRef security;
    bool hasRange = true;
    uint32_t begin = 0;
    uint32_t end = 0;
    uint32_t maxDays = 0;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// 12101.
struct DataRangeRequest {
    SecurityRef security;  // market 0 and an empty code when none is chosen
    uint32_t days = 0;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// Status 0: no security supports that many days; nothing follows.
struct DataRangeReply {
    uint8_t status = 0;
    SecurityRef security;
    uint32_t begin = 0;
    uint32_t end = 0;
    uint32_t maxDays = 0;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// 13001.
struct CandidatesRequest {
    uint16_t offset = 0;
    uint16_t pageSize = 0;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

struct CandidatesReply {
    uint16_t total = 0;
    uint16_t offset = 0;
    std::vector<SecurityRef> entries;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// --- table contents (decompressed downloads, and the files that keep them) ----------------

// The decompressed code table: u32 N, then N entries.
struct CodeTableContent {
    struct Entry {
        uint32_t market = 0;
        std::string code;
        std::string name;  // GBK
    };
    std::vector<Entry> entries;
    void Encode(CBuffer& out) const;
    void Decode(CBuffer& in);
};

// One ex-rights event as the download and cq.dat carry it.
struct ExRightsRecord {
    uint32_t market = 0;
    std::string code;
    uint32_t date = 0;
    int64_t cash = 0;
    int64_t bonus = 0;
    int64_t transfer = 0;
    int64_t rights = 0;
    uint32_t rightsPrice = 0;
    void Encode(CBuffer& out) const;
    void Decode(CFieldReader& in);
};

// The decompressed ex-rights download, laid out as cq.dat: u16 format, two version words,
// u32 N, N records.
struct ExRightsContent {
    uint16_t format = 1;
    uint32_t version1 = 0;
    uint32_t version2 = 0;
    std::vector<ExRightsRecord> records;
    void Encode(CBuffer& out) const;
    // where names the file or message being read ("cq.dat", "reply 13101").
    void Decode(CBuffer& in, std::string_view where = "reply 13101");
};

}  // namespace wire
