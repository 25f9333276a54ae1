#include "marketdata/AppInfo.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "foundation/AtomicFile.h"
#include "foundation/Buffer.h"
#include "foundation/Crc16.h"
#include "foundation/DateTime.h"
#include "foundation/MyLog.h"
#include "foundation/ParseError.h"
#include "foundation/TextCodec.h"
#include "marketdata/DataCenter.h"
#include "marketdata/Lzhuf.h"
#include "platform/home/ProgramDir.h"
#include "protocol/Bodies.h"

void CAppInfo::Init() {
    SetProgramDir(platform::GetProgramDir());
    UpdateClock();
    LoadCodeTable();
}

void CAppInfo::SetProgramDir(const std::string& dir) {
    m_strProgramDir = dir;
    if (m_strProgramDir.empty() || m_strProgramDir.back() != '/') m_strProgramDir += '/';
    m_strDataPath = m_strProgramDir;
}

void CAppInfo::UpdateClock() {
    ChinaDateTime now = ChinaNow();
    m_nToday = now.date;
    m_nNow = now.time;
    m_nSecondsOfDay = now.secondsOfDay;
}

std::vector<uint8_t> CAppInfo::GetCodeTable() const {
    std::lock_guard lock(m_codeLock);
    return m_codeTable;
}

uint32_t CAppInfo::GetCodeTableLength() const {
    std::lock_guard lock(m_codeLock);
    return uint32_t(m_codeTable.size());
}

uint16_t CAppInfo::GetCodeTableChecksum() const {
    std::lock_guard lock(m_codeLock);
    return m_nCodeChecksum;
}

void CAppInfo::SetCodeTableChecksum(uint16_t checksum) {
    std::lock_guard lock(m_codeLock);
    m_nCodeChecksum = checksum;
}

void CAppInfo::SetCodeTable(std::vector<uint8_t> block) {
    std::lock_guard lock(m_codeLock);
    m_codeTable = std::move(block);
    m_nCodeChecksum = Crc16(m_codeTable.size(), m_codeTable.data());
}

uint16_t CAppInfo::RecomputeChecksum() {
    std::lock_guard lock(m_codeLock);
    m_nCodeChecksum = Crc16(m_codeTable.size(), m_codeTable.data());
    return m_nCodeChecksum;
}

bool CAppInfo::BeginCodeTableDownload(uint32_t total) {
    std::lock_guard lock(m_codeLock);
    m_download.clear();
    m_bDownloading = total <= kMaxCodeTable;
    m_nDownloadTotal = m_bDownloading ? total : 0;
    if (m_bDownloading) m_download.reserve(total);
    return m_bDownloading;
}

bool CAppInfo::AppendCodeTableChunk(const uint8_t* data, uint32_t length) {
    std::lock_guard lock(m_codeLock);
    if (!m_bDownloading || uint64_t(m_download.size()) + length > m_nDownloadTotal) {
        m_download.clear();
        m_bDownloading = false;
        return false;
    }
    m_download.insert(m_download.end(), data, data + length);
    return true;
}

bool CAppInfo::CommitCodeTableDownload() {
    std::lock_guard lock(m_codeLock);
    bool complete = m_bDownloading && m_download.size() == m_nDownloadTotal;
    if (complete) {
        m_codeTable = std::move(m_download);
        m_nCodeChecksum = Crc16(m_codeTable.size(), m_codeTable.data());
    }
    m_download = {};
    m_bDownloading = false;
    return complete;
}

void CAppInfo::AbortCodeTableDownload() {
    std::lock_guard lock(m_codeLock);
    m_download = {};
    m_bDownloading = false;
}

bool CAppInfo::LoadCodeTable() {
    std::string path = m_strDataPath + "code.dat";
    CBuffer file;
    if (!file.AppendFile(path) || file.GetLength() == 0) return false;
    file.m_bShrinkLocked = true;
    std::vector<uint8_t> block;
    uint16_t checksum = 0;
    try {
        wire::CFieldReader in(file, path);
        checksum = in.U16("checksum");
        uint32_t length = in.U32("block length");
        if (length > kMaxCodeTable)
            in.Fail("length " + std::to_string(length) + " is beyond any code table",
                    "block length");
        block = in.Bytes(length, "compressed block");
    } catch (const CParseError& e) {
        GetAppLog().WriteLog("code table file damaged, kept aside: %s", e.what());
        KeepAside(path);
        return false;
    }
    // The checksum names the held version to the server; a block that does not match it
    // was damaged on disk and must not be offered as current.
    if (!block.empty() && Crc16(block.size(), block.data()) != checksum) {
        KeepAside(path);
        return false;
    }
    {
        std::lock_guard lock(m_codeLock);
        m_codeTable = block;
        m_nCodeChecksum = checksum;
    }
    if (block.empty()) return true;
    return ParseCodeTable(block, false);
}

bool CAppInfo::SaveCodeTable() {
    CBuffer out;
    {
        std::lock_guard lock(m_codeLock);
        if (m_codeTable.empty() || m_nCodeChecksum == 0) return true;
        out.WriteUInt16(m_nCodeChecksum);
        out.WriteUInt32(uint32_t(m_codeTable.size()));
        out.Write(m_codeTable.data(), uint32_t(m_codeTable.size()));
    }
    return out.SaveToFile(m_strDataPath + "code.dat") == 1;
}

void CAppInfo::Release() {
    std::lock_guard lock(m_codeLock);
    m_codeTable = {};
    m_download = {};
    m_nCodeChecksum = 0;
    m_strProgramDir.clear();
    m_strDataPath.clear();
}

void CAppInfo::SetClock(uint32_t date, uint32_t time) {
    m_nToday = date;
    m_nNow = time;
    m_nSecondsOfDay = time / 10000 * 3600 + time / 100 % 100 * 60 + time % 100;
}

CAppInfo* GetAppInfo() {
    static CAppInfo* info = new CAppInfo;  // lives until the process ends
    return info;
}

bool ParseCodeTable(const std::vector<uint8_t>& compressed, bool forWorker, uint32_t* entries) {
    if (entries) *entries = 0;
    std::vector<uint8_t> plain;
    if (!DecodeLzhuf(compressed.data(), compressed.size(), plain)) return false;
    CBuffer in;
    in.Write(plain.data(), uint32_t(plain.size()));
    in.m_bShrinkLocked = true;
    // A table shorter than it declares keeps the entries before the break.
    wire::CodeTableContent table;
    try {
        table.Decode(in);
    } catch (const CParseError& e) {
        GetAppLog().WriteLog("code table cut short: %s", e.what());
    }
    CDataCenter* centre = GetDataCenter();
    for (const wire::CodeTableContent::Entry& entry : table.entries) {
        const std::string& code = entry.code;
        if (code.empty() || code.size() > 127) continue;  // not a code any store or table can hold
        CIndSecuCode id(int32_t(entry.market), code);
        CSecurity* security = centre->FindSecurity(id);
        if (!security) {
            auto fresh = std::make_unique<CSecurity>();
            fresh->SetCode(id);
            CSecurity* raw = fresh.get();
            security = centre->AddSecurity(fresh) >= 0 ? raw : centre->FindSecurity(id);
            if (!security) continue;
        }
        std::string text = AnsiToUtf8(entry.name);
        static const uint8_t kFlags13[2] = {3, 3};
        if (forWorker) {
            text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
            security->SetName(text);
            security->GetValues().SetValue(kQuotePriceDivisor, 1000);
            security->GetValues().SetBlob(kQuoteFlags13, kFlags13, 2);
            security->SetAbbreviations(centre->MakeAbbreviations(text));
            security->SetSecurityType();
        } else {
            security->SetName(text);
            security->GetValues().SetValue(kQuotePriceDivisor, 1000);
            security->SetSecurityType();
            security->GetValues().SetBlob(kQuoteFlags13, kFlags13, 2);
        }
        if (entries) ++*entries;
    }
    return true;
}
