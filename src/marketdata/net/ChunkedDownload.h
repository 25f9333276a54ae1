#pragma once
// Collects the chunks of one table download (code table, ex-rights table) into a private
// buffer. Nothing the program holds is touched until the last chunk has arrived and the
// bytes add up to the announced total, so a broken or interrupted download never replaces
// a good table, and no chunk is ever written past the announced size.

#include <cstdint>
#include <string>
#include <vector>

class CChunkedDownload {
public:
    // Starts over with an announced total. False when the total is beyond any table.
    bool Begin(uint32_t total);
    // Stores one chunk (as wire::ChunkReply decodes it). False, with the error set, when
    // no download was begun or the chunk would pass the announced total.
    bool Add(const std::vector<uint8_t>& chunk);
    // True when the announced total has been received.
    bool IsComplete() const { return m_bStarted && m_nReceived == m_nTotal; }
    bool IsStarted() const { return m_bStarted; }

    uint32_t GetTotal() const { return m_nTotal; }
    uint32_t GetReceived() const { return m_nReceived; }
    const std::string& GetError() const { return m_strError; }
    // Hands the finished bytes over and forgets the download.
    std::vector<uint8_t> Take();
    void Reset();

private:
    std::vector<uint8_t> m_data;
    uint32_t m_nTotal = 0;
    uint32_t m_nReceived = 0;
    bool m_bStarted = false;
    std::string m_strError;
};
