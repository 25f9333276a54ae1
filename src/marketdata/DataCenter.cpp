#include "marketdata/DataCenter.h"

#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <mutex>

#include "foundation/Config.h"
#include "foundation/MyLog.h"
#include "foundation/Pinyin.h"
#include "foundation/Random.h"
#include "foundation/Singleton.h"
#include "foundation/TextCodec.h"
#include "marketdata/AppInfo.h"
#include "marketdata/DayData.h"

namespace {
// Kinds offered for random picks: Shanghai A shares and funds, Shenzhen A shares, SME and
// ChiNext boards (the type-mask bits of CSecurity::SetSecurityType).
constexpr uint64_t kRandomPickMask = 0x12006006;

int CompareCodeNoCase(const CIndSecuCode& a, const CIndSecuCode& b) {
    if (a.m_nMarket != b.m_nMarket) return a.m_nMarket < b.m_nMarket ? -1 : 1;
    int c = strcasecmp(a.m_strCode.c_str(), b.m_strCode.c_str());
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

LazySingleton<CDataCenter>& Instance() {
    static LazySingleton<CDataCenter> slot;
    return slot;
}
}  // namespace

CDataCenter::CDataCenter() {
    m_stores[kBarFile] = std::make_unique<CDataFile>(25, 999, 25000);
    m_stores[kDayFile] = std::make_unique<CDataFile>(32, 399, 12800);
    m_stores[kMin1File] = std::make_unique<CDataFile>(32, 32767, 1048576);
    m_stores[kMin5File] = std::make_unique<CDataFile>(32, 32767, 1048576);
    m_stores[kTrendFile] = std::make_unique<CDataFile>(48, 599, 28800);
    m_sessions.count = 2;
    m_sessions.start[0] = 930;
    m_sessions.end[0] = 1130;
    m_sessions.start[1] = 1300;
    m_sessions.end[1] = 1500;
}

CDataCenter::~CDataCenter() {
    DeleteSecurities();
    m_pool.Clear();
}

bool CDataCenter::Init() {
    GetAppLog().WriteLog("%s %d %s", "CDataCenter::Init", 27, GetAppInfo()->GetDataPath().c_str());
    bool stores = OpenStores(GetAppInfo()->GetDataPath());
    LoadFreqPeriods();
    AddDefaultIndicatorNames();
    BuildPinyinTables();
    BuildAbbreviations();
    if (m_loadTrainingRecords) m_loadTrainingRecords();
    GetAppLog().WriteLog("%s %d", "CDataCenter::Init", 45);
    return stores;
}

bool CDataCenter::OpenStores(const std::string& dataPath) {
    static const char* const kNames[kStoreCount] = {"bar.dat", "day.dat", "mk1.dat", "mk5.dat",
                                                    "trend.dat"};
    std::string dir = dataPath + "Data/";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    bool all = true;
    for (int i = 0; i < kStoreCount; ++i) all = m_stores[i]->Open(dir + kNames[i]) && all;
    return all;
}

int CDataCenter::AddSecurity(std::unique_ptr<CSecurity>& security) {
    if (!security) return -1;
    CWriteGuard lock(m_guard);
    const CIndSecuCode& code = security->GetCode();
    auto it = std::lower_bound(m_securities.begin(), m_securities.end(), code,
                               [](const std::unique_ptr<CSecurity>& s, const CIndSecuCode& c) {
                                   return CompareCodeNoCase(s->GetCode(), c) < 0;
                               });
    if (it != m_securities.end() && CompareCodeNoCase((*it)->GetCode(), code) == 0) return -1;
    it = m_securities.insert(it, std::move(security));
    return int(it - m_securities.begin());
}

CSecurity* CDataCenter::FindSecurity(const CIndSecuCode& code) {
    CReadGuard lock(m_guard);
    auto it = std::lower_bound(m_securities.begin(), m_securities.end(), code,
                               [](const std::unique_ptr<CSecurity>& s, const CIndSecuCode& c) {
                                   return CompareCodeNoCase(s->GetCode(), c) < 0;
                               });
    if (it != m_securities.end() && CompareCodeNoCase((*it)->GetCode(), code) == 0)
        return it->get();
    return nullptr;
}

CSecurity* CDataCenter::PickRandomSecurity(const CSecurity* current) {
    CReadGuard lock(m_guard);
    std::vector<CSecurity*> candidates;
    bool currentIsCandidate = false;
    for (auto& s : m_securities) {
        if (!(s->GetTypeMask() & kRandomPickMask)) continue;
        if (s.get() == current)
            currentIsCandidate = true;
        else
            candidates.push_back(s.get());
    }
    // Drawing among the others only: a table whose one candidate is the current security
    // can never give another, and a redraw loop would never end.
    if (candidates.empty()) return currentIsCandidate ? const_cast<CSecurity*>(current) : nullptr;
    return candidates[RandomIndex(candidates.size())];
}

void CDataCenter::DeleteSecurities() {
    CWriteGuard lock(m_guard);
    m_securities.clear();
}

std::vector<CSecurity*> CDataCenter::GetSecurities() {
    CReadGuard lock(m_guard);
    std::vector<CSecurity*> out;
    out.reserve(m_securities.size());
    for (auto& s : m_securities) out.push_back(s.get());
    return out;
}

size_t CDataCenter::GetSecurityCount() {
    CReadGuard lock(m_guard);
    return m_securities.size();
}

void CDataCenter::LoadFreqPeriods() {
    m_freqPeriods.clear();
    int n = GetConfigInt("self", "freqPeriod", "size", 0);
    if (n == 0) {
        m_freqPeriods = {65540, 3932163, 1966083, 131076};
        return;
    }
    for (int i = 1; i <= n && i <= 1000; ++i) {
        std::string attr = "p" + std::to_string(i);
        uint32_t v = uint32_t(GetConfigInt("self", "freqPeriod", attr, 0));
        if (v != 0) m_freqPeriods.push_back(v);
    }
}

void CDataCenter::SaveFreqPeriods() {
    // The file is written once, with the last value set.
    SetConfigInt("self", "freqPeriod", "size", int(m_freqPeriods.size()), m_freqPeriods.empty());
    for (size_t i = 0; i < m_freqPeriods.size(); ++i)
        SetConfigInt("self", "freqPeriod", "p" + std::to_string(i + 1), int(m_freqPeriods[i]),
                     i + 1 == m_freqPeriods.size());
}

void CDataCenter::AddDefaultIndicatorNames() {
    for (const char* name :
         {"MA", "VOL", "BBI", "MACD", "BOLL", "CDP", "BIAS", "SAR", "KDJ", "PVT", "EMV", "RC"})
        m_defaultIndicators.Insert(name);
}

void CDataCenter::BuildPinyinTables() {
    m_pinyinGroups = DefaultPinyinLevel2Groups();
}

void CDataCenter::BuildAbbreviations() {
    m_polyphonic = DefaultPinyinPolyphonic();
    CReadGuard lock(m_guard);
    for (auto& security : m_securities) {
        std::string name = security->GetName();
        name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
        security->SetName(name);
        security->SetAbbreviations(MakeAbbreviations(name));
    }
}

std::vector<std::string> CDataCenter::MakeAbbreviations(const std::string& name) const {
    std::string text = name;
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    std::vector<std::string> out;
    if (m_pinyinGroups.empty() || m_polyphonic.empty())
        BuildPinyinInitials(Utf8ToAnsi(text), out);
    else
        BuildPinyinInitials(Utf8ToAnsi(text), out, m_pinyinGroups, m_polyphonic);
    return out;
}

void CDataCenter::SetTrainingRecords(std::shared_ptr<CTotalTrainingRecord> records,
                                     std::function<void()> load) {
    m_pTrainingRecords = std::move(records);
    m_loadTrainingRecords = std::move(load);
}

CDataCenter* GetDataCenter() {
    return Instance().Get();
}

void ResetDataCenter() {
    Instance().Reset();
}
