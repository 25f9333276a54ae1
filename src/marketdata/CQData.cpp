#include "marketdata/CQData.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

#include "foundation/AtomicFile.h"
#include "foundation/Buffer.h"
#include "foundation/Format.h"
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

bool CSingleCQDataPerSecu::Read(CBuffer& in) {
    int32_t market = int32_t(in.ReadUInt32());
    std::string code;
    in.ReadString(code);
    m_nDate = in.ReadUInt32();
    m_nCash = in.ReadInt64();
    m_nBonus = in.ReadInt64();
    m_nTransfer = in.ReadInt64();
    m_nRights = in.ReadInt64();
    m_nRightsPrice = in.ReadUInt32();
    m_code = CIndSecuCode(market, code);
    return code.size() <= kMaxCodeLength;
}

void CSingleCQDataPerSecu::Write(CBuffer& out) const {
    out.WriteUInt32(uint32_t(m_code.m_nMarket));
    out.WriteString(m_code.m_strCode);
    out.WriteUInt32(m_nDate);
    out.WriteInt64(m_nCash);
    out.WriteInt64(m_nBonus);
    out.WriteInt64(m_nTransfer);
    out.WriteInt64(m_nRights);
    out.WriteUInt32(m_nRightsPrice);
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

void CAllCQData::ParseInto(CBuffer& in, Table& table) {
    in.ReadUInt16();  // format version, not checked
    table.version1 = in.ReadUInt32();
    table.version2 = in.ReadUInt32();
    uint32_t n = in.ReadUInt32();
    // Records are gathered and sorted once: inserting tens of thousands one by one in
    // arbitrary order would move the arrays around for every record.
    std::vector<CSingleCQDataPerSecu> records;
    records.reserve(std::min<size_t>(n, in.GetLength() / 46 + 1));
    auto flush = [&] {
        std::stable_sort(records.begin(), records.end(),
                         [](const auto& a, const auto& b) { return SortArrayCompare(a, b) < 0; });
        for (size_t i = 0; i < records.size(); ++i)
            if (i + 1 == records.size() || SortArrayCompare(records[i], records[i + 1]) != 0)
                table.Add(records[i]);  // of equal keys the later record wins
        records.clear();
    };
    CSingleCQDataPerSecu event;
    try {
        for (uint32_t i = 0; i < n; ++i) {
            bool fits = event.Read(in);
            if (fits && (event.m_code.m_nMarket == 1 || event.m_code.m_nMarket == 2))
                records.push_back(event);
        }
    } catch (int) {
        flush();
        throw;
    }
    flush();
}

void CAllCQData::Parse(CBuffer& in) {
    std::lock_guard lock(m_lock);
    ParseInto(in, m_table);
}

bool CAllCQData::Load(const std::string& path) {
    CBuffer file;
    if (!file.AppendFile(path)) return false;
    file.m_bShrinkLocked = true;
    Table table;
    bool whole = true;
    try {
        ParseInto(file, table);
    } catch (int) {
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
    CBuffer out;
    {
        std::lock_guard lock(m_lock);
        out.WriteUInt16(1);
        out.WriteUInt32(m_table.version1);
        out.WriteUInt32(m_table.version2);
        out.WriteUInt32(uint32_t(m_table.all.size()));
        for (const auto& event : m_table.all) event.Write(out);
    }
    return out.SaveToFile(path) == 1;
}

void CAllCQData::BuildRequestBody(CBuffer& out) const {
    std::lock_guard lock(m_lock);
    out.WriteUInt32(m_table.version1);
    out.WriteUInt32(m_table.version2);
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
    uint8_t flags = 0;
    bool current = false;
    try {
        flags = body.ReadUInt8();
        current = flags == 0 && !m_bDownloading;
        if (!current) {
            if (flags & 2) {
                uint32_t total = body.ReadUInt32();
                DropDownload();
                if (total > kMaxDownload) throw -1;
                m_download.resize(total);
                m_nDownloadTotal = total;
                m_bDownloading = true;
            }
            if (!m_bDownloading) throw -1;  // a chunk without its first one
            uint32_t length = body.ReadUInt16();
            if (uint64_t(m_nDownloadReceived) + length > m_nDownloadTotal)
                throw -1;  // past the announced total
            body.Read(m_download.data() + m_nDownloadReceived, length);
            m_nDownloadReceived += length;
        }
    } catch (int) {
        // A broken download ends here; the held table stays as it is.
        DropDownload();
        if (HasMainFrame()) PostToMainFrame(UM_DOWNLOAD_PROGRESS, 0, 1);
        return true;
    }

    if (!current && !(flags & 4)) {
        if (HasMainFrame()) {
            if (flags & 2) {
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
        ParseInto(in, table);
    } catch (int) {
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
