#pragma once
// The data of the trade-analysis page: two daily series borrowed from the data centre's
// pool for the page's session, its own security and the market index of its exchange,
// and what the page's two chart panels draw from them: the security's bars of the training
// period and the same-period ratios.
//
// Road of a reply: the series calls back on the thread that merged the reply; off the UI
// thread the callback only posts UM_DATA_NOTIFY (lParam 0 security, 1 index) to the page's
// window, which hands it back here on the UI thread. The bars are copied out under the
// series' lock, so painting never holds one. The series are given back (and the callbacks
// unsubscribed) before each new request and when the object goes.
#include <cstdint>
#include <memory>

#include "foundation/IndSecuCode.h"
#include "platform/WinTypes.h"
#include "training/TradeAnalysis.h"

class CDayData;
class CSecurity;
class CTrainingRecord;
class TradeAnalysisWnd;

class TradeAnyalysisData {
public:
    static constexpr int kSecurityData = 0;
    static constexpr int kIndexData = 1;

    explicit TradeAnyalysisData(TradeAnalysisWnd* owner);
    virtual ~TradeAnyalysisData();
    TradeAnyalysisData(const TradeAnyalysisData&) = delete;
    TradeAnyalysisData& operator=(const TradeAnyalysisData&) = delete;

    // Borrows both series for the record (null: nothing) and asks for the training period.
    void RequestData(CTrainingRecord* record);
    void ReleaseSeries();
    // UI thread: rebuilds the bars (kSecurityData) or the ratios (kIndexData).
    void OnDataNotify(int which);

    CTrainingRecord* Record() const { return m_pRecord; }
    const CIndSecuCode& IndexCode() const { return m_indexCode; }

    std::vector<AnalysisBar> m_bars;  // the security's bars, oldest first
    BarSpan m_preview;                // the training period within them
    SamePeriodRatios m_ratios;
    CSecurity* m_pSecurity = nullptr;
    CSecurity* m_pIndex = nullptr;
    std::shared_ptr<CDayData> m_pSecurityData;
    std::shared_ptr<CDayData> m_pIndexData;

private:
    void OnSecurityData();
    void OnIndexData();
    // Copies a series' bars, rebuilt with ex-rights events up to endDate (0: all).
    static std::vector<AnalysisBar> CopyBars(CDayData& series, uint32_t endDate);

    TradeAnalysisWnd* m_pOwner;
    CTrainingRecord* m_pRecord = nullptr;
    CIndSecuCode m_indexCode;
};
