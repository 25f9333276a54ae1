#include "marketdata/CQData.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

#include "foundation/AtomicFile.h"
#include "foundation/Buffer.h"
#include "foundation/Format.h"
#include "foundation/MyLog.h"
#include "foundation/ParseError.h"
#include "marketdata/Lzhuf.h"
#include "marketdata/MarketHooks.h"

namespace {
int CompareCode(const CIndSecuCode& a, const CIndSecuCode& b) {
    if (a.m_nMarket != b.m_nMarket) return a.m_nMarket < b.m_nMarket ? -1 : 1;
    int c = strcasecmp(a.m_strCode.c_str(), b.m_strCode.c_str());
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}
}  // namespace

int SortArrayCompare(const CSingleCQDataPerSecu& a, const CSingleCQDataPerSecu& b) {
    if (int c = CompareCode(a.m_code, b.m_code)) return c;
    return a.m_nDate < b.m_nDate ? -1 : a.m_nDate > b.m_nDate ? 1 : 0;
}

int SortArrayCompare(const CQDataPerSecu& a, const CQDataPerSecu& b) {
    return CompareCode(a.m_code, b.m_code);
}

void CSingleCQDataPerSecu::GetAdjustment(int mode, double& factor, double& offset) const {
    if (mode != 1 && mode != 2) return;
    double c = m_nCash > 0 ? double(m_nCash) / 1e7 : 0.0;
    double s = (m_nBonus > 0 || m_nTransfer > 0) ? double(m_nBonus + m_nTransfer) / 1e7 : 0.0;
    double r = 0, p = 0;
    if (m_nRights > 0) {
        r = double(m_nRights) / 1e7;
        if (m_nRightsPrice == 0) r -= 1;  // expansion: the amount is the holding after it
        p = double(m_nRightsPrice) / 1000.0;
    }
    double k = 1 + s + r;
    if (mode == 1) {
        factor = k;
        offset = c - p * r;
    } else {
        factor = 1 / k;
        offset = (p * r - c) / k;
    }
}

std::string CSingleCQDataPerSecu::GetDescription() const {
    char head[64];
    snprintf(head, sizeof head, "%04d/%02d/%02d(每10股", int(m_nDate / 10000),
             int(m_nDate % 10000 / 100), int(m_nDate % 100));
    std::string text = head;
    std::vector<std::string> parts;
    if (m_nCash > 0) parts.push_back("红利" + FormatScaledInt64(m_nCash, 1000000) + "元");
    if (m_nBonus > 0) parts.push_back("送股" + FormatScaledInt64(m_nBonus, 1000000) + "股");
    if (m_nTransfer > 0) parts.push_back("转赠" + FormatScaledInt64(m_nTransfer, 1000000) + "股");
    if (m_nRights > 0) {
        if (m_nRightsPrice != 0)
            parts.push_back("配股" + FormatScaledInt64(m_nRights, 1000000) + "股," + "配股价" +
                            FormatScaledInt64(m_nRightsPrice, 1000) + "元");
        else
            parts.push_back("扩股" + FormatScaledInt64(m_nRights, 1000000) + "股");
    }
    for (size_t i = 0; i < parts.size(); ++i) text += (i ? "," : "") + parts[i];
    return text + ")";
}

bool CSingleCQDataPerSecu::FromWire(const wire::ExRightsRecord& record) {
    m_code = CIndSecuCode(int32_t(record.market), record.code);
    m_nDate = record.date;
    m_nCash = record.cash;
    m_nBonus = record.bonus;
    m_nTransfer = record.transfer;
    m_nRights = record.rights;
    m_nRightsPrice = record.rightsPrice;
    return record.code.size() <= kMaxCodeLength;
}

wire::ExRightsRecord CSingleCQDataPerSecu::ToWire() const {
    return {uint32_t(m_code.m_nMarket), m_code.m_strCode, m_nDate,  m_nCash,
            m_nBonus,                   m_nTransfer,      m_nRights, m_nRightsPrice};
}

void CAllCQData::Table::Add(const CSingleCQDataPerSecu& event) {
    CQDataPerSecu probe;
    probe.m_code = event.m_code;
    int i = perSecurity.Find(probe);
    if (i < 0) i = perSecurity.Insert(probe);
    auto& events = perSecurity[i].m_events;
    if (int j = events.Find(event); j >= 0)
        events[j] = event;
    else
        events.Insert(event);
    if (int j = all.Find(event); j >= 0)
        all[j] = event;
    else
        all.Insert(event);
}

CAllCQData::CAllCQData() = default;
CAllCQData::~CAllCQData() = default;

void CAllCQData::AddEvent(const CSingleCQDataPerSecu& event) {
    std::lock_guard lock(m_lock);
    m_table.Add(event);
}

bool CAllCQData::GetEvents(CSortArray<CSingleCQDataPerSecu>& out, const CIndSecuCode& code) const {
    std::lock_guard lock(m_lock);
    CQDataPerSecu probe;
    probe.m_code = code;
    int i = m_table.perSecurity.Find(probe);
    if (i < 0) return false;
    out = m_table.perSecurity[i].m_events;
    return true;
}

std::vector<CSingleCQDataPerSecu> CAllCQData::GetAllEvents() const {
    std::lock_guard lock(m_lock);
    return {m_table.all.begin(), m_table.all.end()};
}

size_t CAllCQData::GetEventCount() const {
    std::lock_guard lock(m_lock);
    return m_table.all.size();
}

uint32_t CAllCQData::GetVersion1() const {
    std::lock_guard lock(m_lock);
    return m_table.version1;
}

uint32_t CAllCQData::GetVersion2() const {
    std::lock_guard lock(m_lock);
    return m_table.version2;
}

void CAllCQData::Clear() {
    std::lock_guard lock(m_lock);
    m_table = Table();
}

void CAllCQData::ParseInto(CBuffer& in, Table& table, std::string_view where) {
    wire::ExRightsContent content;
    // Records are gathered and sorted once: inserting tens of thousands one by one in
    // arbitrary order would move the arrays around for every record. A content shorter
    // than it declares keeps the records read before the break.
    auto keep = [&] {
        table.version1 = content.version1;
        table.version2 = content.version2;
        std::vector<CSingleCQDataPerSecu> records;
        records.reserve(content.records.size());
        CSingleCQDataPerSecu event;
        for (const wire::ExRightsRecord& record : content.records) {
            bool fits = event.FromWire(record);
            if (fits && (event.m_code.m_nMarket == 1 || event.m_code.m_nMarket == 2))
                records.push_back(event);
        }
        std::stable_sort(records.begin(), records.end(),
                         [](const auto& a, const auto& b) { return SortArrayCompare(a, b) < 0; });
        for (size_t i = 0; i < records.size(); ++i)
            if (i + 1 == records.size() || SortArrayCompare(records[i], records[i + 1]) != 0)
                table.Add(records[i]);  // of equal keys the later record wins
    };
    try {
        content.Decode(in, where);
    } catch (const CParseError&) {
        keep();
        throw;
    }
    keep();
}

void CAllCQData::Parse(CBuffer& in, std::string_view where) {
    std::lock_guard lock(m_lock);
    ParseInto(in, m_table, where);
}

bool CAllCQData::Load(const std::string& path) {
    CBuffer file;
    if (!file.AppendFile(path)) return false;
    file.m_bShrinkLocked = true;
    Table table;
    bool whole = true;
    try {
        ParseInto(file, table, path);
    } catch (const CParseError& e) {
        GetAppLog().WriteLog("ex-rights file damaged, kept aside: %s", e.what());
        whole = false;
    }
    {
        std::lock_guard lock(m_lock);
        m_table = std::move(table);
    }
    if (!whole) KeepAside(path);  // the next save must not be the only copy of what was there
    return whole;
}

bool CAllCQData::Save(const std::string& path) const {
    wire::ExRightsContent content;
    {
        std::lock_guard lock(m_lock);
        content.version1 = m_table.version1;
        content.version2 = m_table.version2;
        content.records.reserve(m_table.all.size());
        for (const auto& event : m_table.all) content.records.push_back(event.ToWire());
    }
    CBuffer out;
    content.Encode(out);
    return out.SaveToFile(path) == 1;
}

void CAllCQData::BuildRequestBody(CBuffer& out) const {
    wire::ExRightsRequest request;
    {
        std::lock_guard lock(m_lock);
        request.version1 = m_table.version1;
        request.version2 = m_table.version2;
    }
    request.Encode(out);
}

void CAllCQData::DropDownload() {
    m_download.clear();
    m_download.shrink_to_fit();
    m_nDownloadTotal = m_nDownloadReceived = 0;
    m_bDownloading = false;
}

bool CAllCQData::OnCQReply(CBuffer& body) {
    // Flags 0 says "current" when no download is under way, and marks a middle chunk
    // inside one (a download runs 2, 0, ..., 4).
    const wire::ChunkScheme& scheme = wire::kExRightsChunks;
    wire::ChunkReply reply;
    bool current = false;
    try {
        reply.Decode(body, scheme, m_bDownloading);
        current = reply.IsCurrent(scheme, m_bDownloading);
        if (!current) {
            if (reply.IsFirst(scheme)) {
                DropDownload();
                if (reply.total > kMaxDownload)
                    throw CParseError("announced size " + std::to_string(reply.total) +
                                          " is beyond any ex-rights table",
                                      scheme.where, "total size");
                m_download.resize(reply.total);
                m_nDownloadTotal = reply.total;
                m_bDownloading = true;
            }
            if (!m_bDownloading)
                throw CParseError("a chunk without its first one", scheme.where, "flags");
            if (uint64_t(m_nDownloadReceived) + reply.chunk.size() > m_nDownloadTotal)
                throw CParseError("chunk passes the announced size " +
                                      std::to_string(m_nDownloadTotal),
                                  scheme.where, "chunk length");
            std::copy(reply.chunk.begin(), reply.chunk.end(),
                      m_download.begin() + m_nDownloadReceived);
            m_nDownloadReceived += uint32_t(reply.chunk.size());
        }
    } catch (const CParseError& e) {
        // A broken download ends here; the held table stays as it is.
        GetAppLog().WriteLog("ex-rights download dropped: %s", e.what());
        DropDownload();
        if (HasMainFrame()) PostToMainFrame(UM_DOWNLOAD_PROGRESS, 0, 1);
        return true;
    }

    if (!current && !reply.IsLast(scheme)) {
        if (HasMainFrame()) {
            if (reply.IsFirst(scheme)) {
                SetDownloadRange("正在下载除权数据...", m_nDownloadTotal);
                PostToMainFrame(UM_DOWNLOAD_PROGRESS, 0, 0);
            } else {
                SetDownloadPosition(m_nDownloadReceived);
            }
        }
        return false;
    }
    if (HasMainFrame()) PostToMainFrame(UM_DOWNLOAD_PROGRESS, 0, 1);
    if (!current) DecodeDownload();
    return true;
}

bool CAllCQData::DecodeDownload() {
    std::vector<uint8_t> plain;
    bool complete = m_bDownloading && m_nDownloadReceived == m_nDownloadTotal;
    bool decoded = complete && DecodeLzhuf(m_download.data(), m_nDownloadTotal, plain);
    DropDownload();
    if (!decoded) return false;
    CBuffer in;
    in.Write(plain.data(), uint32_t(plain.size()));
    in.m_bShrinkLocked = true;
    Table table;
    try {
        ParseInto(in, table, wire::kExRightsChunks.where);
    } catch (const CParseError& e) {
        GetAppLog().WriteLog("ex-rights download not taken: %s", e.what());
        return false;
    }
    std::lock_guard lock(m_lock);
    m_table = std::move(table);
    return true;
}

CAllCQData* GetAllCQData() {
    static CAllCQData* table = new CAllCQData;  // lives until the process ends
    return table;
}
