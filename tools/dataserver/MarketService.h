#pragma once
// The answers of the server: one request body in, the bodies of its reply messages out.
// No sockets here; CDataServer frames and writes what this returns.
//
// Series requests carry a summary of what the client holds (count, first and last key,
// check byte); when it matches the server's bars the reply carries only what is newer,
// otherwise the run is sent again with its reset or replace flag set.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "MarketSource.h"
#include "protocol/Bodies.h"
#include "ServerOptions.h"

class CBuffer;

struct ReplyMessage {
    std::vector<uint8_t> m_body;
    bool m_bChunk = false;  // one chunk of a chunked reply (paced by the slow-chunks fault)
};

class CMarketService {
public:
    // Largest number of bars one plain reply carries (it must stay below the body bound),
    // and one chunked history reply.
    static constexpr size_t kMaxBarsPerReply = 600000;
    static constexpr size_t kMaxBarsPerHistory = 2000000;

    CMarketService(CMarketSource& source, const ServerFaults& faults);

    // Replies to one request, in order; empty when the command has no reply (keep-alive)
    // or is unknown. Throws CParseError on a short or malformed request.
    std::vector<ReplyMessage> Answer(uint16_t command, CBuffer& body, std::string& log);

    // The compressed tables as served, and their versions.
    const std::vector<uint8_t>& GetCodeTable() const { return m_codeTable; }
    uint16_t GetCodeTableChecksum() const { return m_nCodeTableCrc; }
    const std::vector<uint8_t>& GetExRightsTable() const { return m_exRightsTable; }

    size_t ChunkSize() const;

private:
    std::vector<ReplyMessage> Login(uint16_t command, CBuffer& body, std::string& log);
    std::vector<ReplyMessage> CodeTable(CBuffer& body, std::string& log);
    std::vector<ReplyMessage> ExRights(CBuffer& body, std::string& log);
    std::vector<ReplyMessage> History(CBuffer& body, bool chunked, std::string& log);
    std::vector<ReplyMessage> Update(CBuffer& body, std::string& log);
    std::vector<ReplyMessage> Window(CBuffer& body, bool random);
    std::vector<ReplyMessage> TrainingBars(CBuffer& body);
    std::vector<ReplyMessage> SupportRange(CBuffer& body);
    std::vector<ReplyMessage> DataRange(CBuffer& body);
    std::vector<ReplyMessage> Candidates(CBuffer& body);

    // Bars of the store the client keeps for (data type, period): day bars, or 1- or
    // 5-minute bars of every year that has them.
    std::vector<CDayItem> StoreBars(const ServedSecurity& security, uint16_t type, int16_t period);
    wire::QuoteBlock QuoteBlock(const std::vector<CDayItem>& bars);
    // Splits a compressed stream into chunk messages. A security opens every message of
    // bar history; the scheme names the first and last chunk.
    std::vector<ReplyMessage> Chunk(const wire::SecurityRef* security,
                                    const std::vector<uint8_t>& packed,
                                    const wire::ChunkScheme& scheme);

    CMarketSource& m_source;
    ServerFaults m_faults;
    std::vector<uint8_t> m_codeTable;
    uint16_t m_nCodeTableCrc = 0;
    std::vector<uint8_t> m_exRightsTable;
    // The last compressed history replies by request: the same request (several clients,
    // a benchmark) is answered without packing again. The data does not change while the
    // server runs.
    std::vector<std::pair<std::vector<uint8_t>, std::vector<ReplyMessage>>> m_historyCache;
    std::string m_strHistoryLog;
    uint64_t m_nRandomState = 0x5DEECE66Dull;
    std::mutex m_randomMutex;
};

// LZHUF-packs bytes as the client's decoder expects them (u32 size, then the stream).
std::vector<uint8_t> PackTable(const std::vector<uint8_t>& plain);
