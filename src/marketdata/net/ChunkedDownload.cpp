#include "marketdata/net/ChunkedDownload.h"

#include <algorithm>

#include "protocol/Wire.h"

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

bool CChunkedDownload::Add(const std::vector<uint8_t>& chunk) {
    if (!m_bStarted) {
        m_strError = "chunk without a first chunk";
        return false;
    }
    if (chunk.size() > m_nTotal - m_nReceived) {
        m_strError = "chunk passes the announced size " + std::to_string(m_nTotal);
        return false;
    }
    std::copy(chunk.begin(), chunk.end(), m_data.begin() + m_nReceived);
    m_nReceived += uint32_t(chunk.size());
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
    m_strError.clear();
}
