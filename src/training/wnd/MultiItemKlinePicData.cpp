#include "training/wnd/MultiItemKlinePicData.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "marketdata/DayData.h"
#include "marketdata/DayDataPool.h"
#include "marketdata/RequestChannel.h"
#include "training/wnd/SelStockCellData.h"
#include "training/wnd/SelStockTraining.h"

MultiItemKlinePicData::MultiItemKlinePicData(ITrainingChartOwner* owner) : TrainingPicData(owner) {
    SetDataType(kDay, 1);
    SetTrainingYear(0);
    SetCurrentBar(0, CFloatDayItem(), 0, true);
}

void MultiItemKlinePicData::RequestData() {
    std::shared_ptr<CDayData> series = GetDayData(kDay, m_code, 1);
    if (!series) return;
    if (series == m_pSeries) {
        if (series->Read().AdjustMode() == m_nAdjustMode) return;
    } else {
        Detach();
        m_pSeries = series;
        m_bHistoryAsked = false;
        // Another security: its own window, never the last one's dates. The same one
        // attached again keeps its window: the board hides the same future again.
        if (!(m_windowCode == m_code)) {
            m_nWindowStart = m_nWindowEnd = 0;
            m_nWindowLimit = 0;
        }
    }
    series->Write().SetAdjustMode(2);
    const OwnerTag owner(this);
    if (m_nWindowStart != 0 && m_nWindowEnd != 0) {
        series->RequestRange(m_nWindowStart, m_nWindowEnd, owner, [this] { NotifyOwner(kRangeLoaded); });
        return;
    }
    // Offline the window is drawn among the held chart bars: build them first.
    if (!GetConnectedChannel()) series->Write().MakeFloatItems(0, 0, 0);
    const int periods = std::max(1, GetSelStockSettings().periods);
    series->RequestRandomWindow(uint32_t(periods), owner, [this] { NotifyOwner(kRandomWindow); });
}

void MultiItemKlinePicData::OnDataNotify(uint64_t flag, int64_t code) {
    TrainingPicData::OnDataNotify(flag, code);  // the reference prices; no record, nothing more
    if (flag != 0 || !m_pSeries) return;
    try {
        std::shared_ptr<CDayData> series = m_pSeries;
        std::optional<HiddenWindowPlace> place;
        {
            auto view = series->Write();
            if (code == kRandomWindow) {
                m_nWindowStart = view.RangeFrom();
                m_nWindowEnd = view.RangeTo();
                m_windowCode = m_code;
            }
            if (m_nWindowStart == 0 || m_nWindowEnd == 0) return;
            // No event from the window on may show in the prices: it would give the
            // future away.
            view.MakeFloatItems(0, 0, m_nWindowStart);
            const CSortArray<CFloatDayItem>& bars = view.ChartBars();
            const int32_t floatCount = int32_t(bars.GetSize());
            // Offline no total is reported: the stored bars are all there is.
            const int32_t total = std::max(view.TotalCount(), floatCount);
            if (total <= 0) return;
            m_nItemCount = total;
            if (m_pOwner) m_pOwner->ResetSeries();
            const int32_t held = std::min(int32_t(view.RawBars().GetSize()), floatCount);
            m_nCellEnd = total;
            m_nBegin = total - held;
            m_nEnd = total;
            LoadItems(view, m_nBegin, m_nEnd, 0, 0);
            // Float bar k sits at item total - floatCount + k.
            place = PlaceHiddenWindow(bars, m_nWindowStart, m_nWindowEnd, total - floatCount);
        }
        if (!place) return;
        // A window drawn by the server comes without the days before it, and a chart of
        // nothing but its hidden future gives the user nothing to choose by: ask once for
        // the history shown before the window; its reply places the window again.
        if (!m_bHistoryAsked && place->end - m_nBegin < kSelStockHistoryBars && GetConnectedChannel()) {
            m_bHistoryAsked = true;
            series->RequestTrainingBars(m_nWindowStart, uint32_t(kSelStockHistoryBars + 1), OwnerTag(this),
                                        [this] { NotifyOwner(kRangeLoaded); });
        }
        m_nWindowLimit = place->revealLimit;
        // Readers of the layer see the bars before the window only.
        m_nEnd = std::clamp(place->end, m_nBegin, m_nCellEnd);
        if (TrainingReveal* reveal = GetTrainingOwner() ? GetTrainingOwner()->GetReveal() : nullptr) {
            reveal->dataBegin = place->start;
            reveal->revealedCount = m_nEnd;
            reveal->revealLimit = place->revealLimit;
        }
        std::shared_ptr<IChartOverlay> overlay = m_pOwner ? m_pOwner->GetChartOverlay() : nullptr;
        if (!overlay) return;
        overlay->SetEndIndex(m_nEnd);
        overlay->SetStartIndex(place->start);
        if (overlay->CalcIndicators(m_nBegin, m_nEnd)) m_pOwner->Repaint(false);
    } catch (...) {
        // A notification that fails leaves the cell as it was; the next one rebuilds it.
    }
}

void MultiItemKlinePicData::RevealWindow() {
    if (m_nCellEnd <= m_nBegin) return;
    m_nEnd = m_nCellEnd;
    if (TrainingReveal* reveal = GetTrainingOwner() ? GetTrainingOwner()->GetReveal() : nullptr)
        reveal->revealedCount = m_nCellEnd;
    std::shared_ptr<IChartOverlay> overlay = m_pOwner ? m_pOwner->GetChartOverlay() : nullptr;
    if (!overlay) return;
    const int32_t start = overlay->GetStartIndex();
    overlay->SetEndIndex(m_nCellEnd);
    if (overlay->GetVisibleCount() < m_nCellEnd - start) overlay->SetVisibleCount(m_nCellEnd - start);
    if (overlay->CalcIndicators(m_nBegin, m_nEnd)) m_pOwner->Repaint(true);
}

void MultiItemKlinePicData::Reset() {
    TrainingPicData::Reset();
    m_nWindowStart = m_nWindowEnd = 0;
    m_nWindowLimit = 0;
    m_nCellEnd = 0;
    m_windowCode = CIndSecuCode();
    m_bHistoryAsked = false;
}

double MultiItemKlinePicData::GetWindowRise() {
    if (!m_pSeries) return 0;
    return MeasureWindowRise(m_pSeries->GetSecurity(), m_nWindowStart, m_nWindowEnd);
}
