#include "marketdata/net/ChunkedDownload.h"

#include "foundation/Buffer.h"
#include "marketdata/net/WireProtocol.h"

bool CChunkedDownload::Begin(uint32_t total) {
    Reset();
    if (total > wire::kMaxDownloadLength) {
        m_strError = "announced size " + std::to_string(total) + " is beyond any table";
        return false;
    }
    m_data.resize(total);
    m_nTotal = total;
    m_bStarted = true;
    return true;
}

bool CChunkedDownload::ReadChunk(CBuffer& body) {
    uint32_t length = body.ReadUInt16();
    if (length > body.GetLength()) throw -1;
    if (!m_bStarted) {
        body.Read(nullptr, length);
        m_strError = "chunk without a first chunk";
        return false;
    }
    if (length > m_nTotal - m_nReceived) {
        body.Read(nullptr, length);
        m_strError = "chunk passes the announced size " + std::to_string(m_nTotal);
        return false;
    }
    if (length) body.Read(m_data.data() + m_nReceived, length);
    m_nReceived += length;
    return true;
}

std::vector<uint8_t> CChunkedDownload::Take() {
    std::vector<uint8_t> out = std::move(m_data);
    Reset();
    return out;
}

void CChunkedDownload::Reset() {
    m_data.clear();
    m_nTotal = 0;
    m_nReceived = 0;
    m_bStarted = false;
}
