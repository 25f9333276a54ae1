#include "training/wnd/TradeAnyalysisData.h"

#include "marketdata/DataCenter.h"
#include "marketdata/DayData.h"
#include "marketdata/DayDataPool.h"
#include "platform/App.h"
#include "platform/Wnd.h"
#include "training/TrainingRecord.h"
#include "training/wnd/TradeAnalysisWnd.h"
#include "ui/element/ElementWnd.h"

TradeAnyalysisData::TradeAnyalysisData(TradeAnalysisWnd* owner) : m_pOwner(owner) {}

TradeAnyalysisData::~TradeAnyalysisData() {
    // A reply after this must find no callback of ours.
    ReleaseSeries();
}

void TradeAnyalysisData::RequestData(CTrainingRecord* record) {
    if (!record) return;
    ReleaseSeries();
    m_pRecord = record;
    m_bars.clear();
    m_preview = BarSpan{};
    m_ratios = SamePeriodRatios{};
    m_indexCode = SamePeriodIndexCode(record->code);
    CDataCenter* centre = GetDataCenter();
    m_pSecurity = centre->FindSecurity(record->code);
    m_pIndex = centre->FindSecurity(m_indexCode);
    m_pSecurityData = centre->GetPool().GetDayData(CDayData::kDayType, record->code, 1);
    m_pIndexData = centre->GetPool().GetDayData(CDayData::kDayType, m_indexCode, 1);
    const uint32_t from = uint32_t(record->StartDate), to = uint32_t(record->EndTrainDate);
    const HWND page = m_pOwner ? m_pOwner->m_hWnd : nullptr;
    // Each callback may run on the network thread, where it only posts; on the UI thread it
    // hands over at once (the offline answer comes from inside the request).
    auto deliver = [this, page](int which) {
        if (!platform::IsUiThread()) {
            if (page) ::PostMessage(page, UM_DATA_NOTIFY, 0, which);
            return;
        }
        if (m_pOwner)
            m_pOwner->OnDataNotify(0, which);
        else
            OnDataNotify(which);
    };
    // Copies of the pointers: an offline answer runs the callback inside the request, and a
    // page that moves on to another record from there releases ours.
    if (std::shared_ptr<CDayData> security = m_pSecurityData)
        security->RequestRange(from, to, OwnerTag(this), [deliver] { deliver(kSecurityData); });
    if (std::shared_ptr<CDayData> index = m_pIndexData)
        index->RequestRange(from, to, OwnerTag(this), [deliver] { deliver(kIndexData); });
}

void TradeAnyalysisData::ReleaseSeries() {
    CDayDataPool& pool = GetDataCenter()->GetPool();
    for (std::shared_ptr<CDayData>* held : {&m_pSecurityData, &m_pIndexData}) {
        if (!*held) continue;
        const std::string key = (*held)->GetName();
        held->reset();
        pool.Release(OwnerTag(this), key);
    }
    m_pSecurity = nullptr;
    m_pIndex = nullptr;
}

std::vector<AnalysisBar> TradeAnyalysisData::CopyBars(CDayData& series, uint32_t endDate) {
    std::vector<AnalysisBar> bars;
    auto view = series.Write();
    view.MakeFloatItems(0, 0, endDate);
    const CSortArray<CFloatDayItem>& items = view.ChartBars();
    bars.reserve(size_t(items.GetSize()));
    for (int i = 0; i < items.GetSize(); ++i) {
        const CFloatDayItem item = items[i];
        // Day bars are keyed by their date; the high half of the key is 0.
        bars.push_back({uint32_t(uint64_t(item.m_nTime)), item.m_fOpen, item.m_fHigh, item.m_fLow, item.m_fClose});
    }
    return bars;
}

void TradeAnyalysisData::OnDataNotify(int which) {
    if (!m_pRecord) return;
    const uint32_t from = uint32_t(m_pRecord->StartDate), to = uint32_t(m_pRecord->EndTrainDate);
    if (which == kSecurityData) {
        if (!m_pSecurityData) return;
        // Ex-rights events after the training's last day are not the trainee's to know.
        m_bars = CopyBars(*m_pSecurityData, to);
        m_preview = BarsInDates(m_bars, from, to);
        if (m_pOwner) m_pOwner->OnSecurityBars();
    } else if (which == kIndexData) {
        m_ratios = SamePeriodRatios{};
        if (!m_pIndexData) return;
        const std::vector<AnalysisBar> index = CopyBars(*m_pIndexData, 0);
        m_ratios = BuildSamePeriodRatios(index, from, to, m_pRecord->assets, m_pRecord->InitCapital);
        if (m_pOwner) m_pOwner->OnIndexRatios();
    }
}
