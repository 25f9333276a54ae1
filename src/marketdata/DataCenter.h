#pragma once
// The process-wide owner of market data: the five block-file stores, the table of all
// securities, the pool of shared K-line series, and a few start-up tables (frequently
// used chart periods, default indicator names, pinyin tables, trading sessions).
// Reached through GetDataCenter, which creates it on first use.
//
// Threads: the security table is guarded by a reader/writer lock (the code-table worker
// inserts, the network and UI threads look up); each store and the pool have their own
// locks.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/DateTime.h"
#include "foundation/IndSecuCode.h"
#include "foundation/WRGuard.h"
#include "marketdata/DataFile.h"
#include "marketdata/DayDataPool.h"
#include "marketdata/Security.h"
#include "foundation/SortArray.h"

// The training-record list lives in the training module; the data centre only holds it
// and has it loaded during Init.
class CTotalTrainingRecord;

class CDataCenter {
public:
    enum Store { kBarFile, kDayFile, kMin1File, kMin5File, kTrendFile, kStoreCount };

    CDataCenter();
    ~CDataCenter();
    CDataCenter(const CDataCenter&) = delete;
    CDataCenter& operator=(const CDataCenter&) = delete;

    // Start-up: opens the stores under the application's data path, loads the frequent
    // periods, the default indicator names, the pinyin tables and the abbreviations, and
    // has the training records loaded. False when a store could not be opened (the
    // others still are; the program runs without that cache).
    bool Init();
    // Opens (or reopens) the five stores under dataPath + "Data/".
    bool OpenStores(const std::string& dataPath);
    CDataFile& GetStore(Store which) { return *m_stores[which]; }

    // Takes the record when no security with the same market and code (letter case
    // ignored) is held, and returns its index; -1 and the record stays with the caller.
    int AddSecurity(std::unique_ptr<CSecurity>& security);
    CSecurity* FindSecurity(const CIndSecuCode& code);
    // A random security of the kinds shown for training (stocks and funds), other than
    // current when any other exists; current itself when it is the only candidate; null
    // when there is none.
    CSecurity* PickRandomSecurity(const CSecurity* current);
    void DeleteSecurities();
    // The records in table order (they live until exit, so the pointers stay valid).
    std::vector<CSecurity*> GetSecurities();
    size_t GetSecurityCount();
    CWRGuard& GetGuard() { return m_guard; }

    CDayDataPool& GetPool() { return m_pool; }

    // Frequently used chart periods: period * 65,536 + data type, kept in "appconfig.xml".
    void LoadFreqPeriods();
    void SaveFreqPeriods();
    std::vector<uint32_t>& GetFreqPeriods() { return m_freqPeriods; }

    void AddDefaultIndicatorNames();
    const CSortArray<std::string>& GetDefaultIndicatorNames() const { return m_defaultIndicators; }

    // Pinyin initial groups of the level-2 characters (GBK) and the polyphonic overrides;
    // then every security's keyboard abbreviations.
    void BuildPinyinTables();
    void BuildAbbreviations();
    const std::vector<std::string>& GetPinyinGroups() const { return m_pinyinGroups; }
    const std::vector<std::string>& GetPolyphonicOverrides() const { return m_polyphonic; }
    // Abbreviations of a UTF-8 name (spaces removed first), with both tables above.
    std::vector<std::string> MakeAbbreviations(const std::string& name) const;

    const TradingSessions& GetTradingSessions() const { return m_sessions; }

    // The training-record list and how it is loaded; installed by the application
    // before Init.
    void SetTrainingRecords(std::shared_ptr<CTotalTrainingRecord> records,
                            std::function<void()> load);
    std::shared_ptr<CTotalTrainingRecord> GetTrainingRecords() const { return m_pTrainingRecords; }

private:
    std::unique_ptr<CDataFile> m_stores[kStoreCount];
    CWRGuard m_guard;
    std::vector<std::unique_ptr<CSecurity>> m_securities;  // sorted by market, then code (no case)
    CDayDataPool m_pool;
    std::shared_ptr<CTotalTrainingRecord> m_pTrainingRecords;
    std::function<void()> m_loadTrainingRecords;
    std::vector<std::string> m_pinyinGroups;
    std::vector<std::string> m_polyphonic;
    std::vector<uint32_t> m_freqPeriods;
    CSortArray<std::string> m_defaultIndicators;
    TradingSessions m_sessions;
};

CDataCenter* GetDataCenter();
// Destroys the data centre (tests; the next GetDataCenter makes a new one). Nothing else
// may be using it.
void ResetDataCenter();
