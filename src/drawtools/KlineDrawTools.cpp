#include "drawtools/KlineDrawTools.h"

#include <algorithm>

#include "chart/ChartActions.h"
#include "chart/ChartOverlay.h"
#include "chart/ChartPic.h"
#include "drawtools/DrawToolActions.h"
#include "drawtools/ToolSettings.h"
#include "marketdata/PicDataLayer.h"
#include "platform/Wnd.h"

using chart::ChartOverlay;
using chart::OverlayMsgArgs;

// ---- the chart as the tools see it ----

ChartOverlay* KlineDrawChart::Chart() const {
    if (!m_pWnd || m_pWnd->m_aOverlays.size() < 2) return nullptr;
    return dynamic_cast<ChartOverlay*>(m_pWnd->m_aOverlays[1].get());
}

int KlineDrawChart::GetPaneCount() const {
    const ChartOverlay* c = Chart();
    return c ? c->GetPaneCount() : 0;
}

std::string KlineDrawChart::GetPaneName(int index) const {
    const ChartOverlay* c = Chart();
    return c ? c->GetPaneName(index) : std::string();
}

CRect KlineDrawChart::GetPaneRect(int index, const std::string& name) const {
    const ChartOverlay* c = Chart();
    return c ? c->GetPaneRect(index, name) : CRect();
}

int KlineDrawChart::PaneAtPoint(int x, int y) const {
    const ChartOverlay* c = Chart();
    if (!c) return -1;
    for (size_t k = 0; k < c->m_aPanes.size(); ++k)
        if (c->m_aPanes[k]->m_bVisible && c->HitTestPane(int(k), CPoint(x, y)) > chart::kHitNone)
            return int(k);
    return -1;
}

double KlineDrawChart::YToValue(int index, const std::string& name, int y) const {
    const ChartOverlay* c = Chart();
    return c ? c->YToValue(index, name, y) : 0;
}

int KlineDrawChart::ValueToY(int index, const std::string& name, double value) const {
    const ChartOverlay* c = Chart();
    return c ? c->ValueToY(index, name, value) : 0;
}

double KlineDrawChart::GetValueOffset(int index) const {
    const ChartOverlay* c = Chart();
    return c && index >= 0 && index < c->GetPaneCount() ? c->GetValueOffset(index) : 0;
}

void KlineDrawChart::SetValueOffset(int index, double offset) {
    if (ChartOverlay* c = Chart()) c->SetValueOffset(index, offset);
}

CRect KlineDrawChart::GetTimeAxisRect() const {
    const ChartOverlay* c = Chart();
    return c ? c->GetTimeBand() : CRect();
}

int32_t KlineDrawChart::XToIndex(int x) const {
    const ChartOverlay* c = Chart();
    return c ? c->XToIndex(x) : 0;
}

int KlineDrawChart::IndexToX(int32_t index) const {
    const ChartOverlay* c = Chart();
    return c ? c->IndexToX(index) : 0;
}

double KlineDrawChart::GetBarWidth() const {
    const ChartOverlay* c = Chart();
    return c ? c->GetBarWidth() : 1.0;
}

int32_t KlineDrawChart::GetFirstVisibleIndex() const {
    const ChartOverlay* c = Chart();
    return c ? c->GetStartIndex() : 0;
}

int32_t KlineDrawChart::GetVisibleCount() const {
    const ChartOverlay* c = Chart();
    return c ? c->GetVisibleCount() : 0;
}

void KlineDrawChart::ScrollToFirstIndex(int32_t index) {
    ChartOverlay* c = Chart();
    if (!c) return;
    c->m_nStart = index;
    c->ClampRange();
    if (PicDataLayer* layer = c->GetDataLayer()) layer->RefreshData();
    c->RecalcPanes();
    c->Invalidate();
}

int64_t KlineDrawChart::GetTimeAtX(int x) {
    const ChartOverlay* c = Chart();
    return c ? c->GetTimeAtX(x) : 0;
}

int KlineDrawChart::TimeToX(int64_t key) {
    const ChartOverlay* c = Chart();
    int32_t index = -1;
    return c ? c->TimeToX(key, index) : 0;
}

double KlineDrawChart::GetBarPrice(int32_t index, int kind) const {
    const ChartOverlay* c = Chart();
    const chart::IBarSource* bars = c ? c->GetBars() : nullptr;
    if (!bars || index < bars->GetFirst() || index >= bars->GetLast()) return 0;
    switch (kind) {
    case 1: return bars->GetClose(index);
    case 2: return bars->GetHigh(index);
    case 3: return bars->GetLow(index);
    case 4: return bars->GetOpen(index);
    case 5: return bars->GetVolume(index);
    default: return 0;
    }
}

bool KlineDrawChart::CalcRegressionChannel(int32_t first, int32_t last,
                                           RegressionChannel& c) const {
    if (!m_pWnd || !m_pWnd->m_pDataLayer) return false;
    return m_pWnd->m_pDataLayer->CalcRegressionChannel(last, first, c.lineFirst, c.lineLast,
                                                       c.maxAbove, c.maxBelow, c.highestIndex,
                                                       c.lowestIndex);
}

double KlineDrawChart::CloseAtTime(int64_t key) const {
    const ChartOverlay* c = Chart();
    if (!c) return 0;
    int32_t index = -1;
    c->TimeToX(key, index);
    return index >= 0 ? GetBarPrice(index, 1) : 0;
}

int16_t KlineDrawChart::GetDataType() const {
    if (m_pWnd && m_pWnd->m_pDataLayer) return m_pWnd->m_pDataLayer->GetDataType();
    const ChartOverlay* c = Chart();
    return c ? c->GetDataType() : 0;
}

int16_t KlineDrawChart::GetPeriod() const {
    if (m_pWnd && m_pWnd->m_pDataLayer) return m_pWnd->m_pDataLayer->GetPeriod();
    const ChartOverlay* c = Chart();
    return c ? c->GetPeriod() : 0;
}

CIndSecuCode KlineDrawChart::GetSecurity() const {
    return m_pWnd && m_pWnd->m_pDataLayer ? m_pWnd->m_pDataLayer->GetCode() : CIndSecuCode();
}

void KlineDrawChart::Invalidate() {
    if (m_pWnd && m_pWnd->GetSafeHwnd()) m_pWnd->Invalidate(FALSE);
}

// ---- the window side ----

void KlineDrawToolHost::ReleaseToolButton(int command) {
    if (!m_pWnd || !m_pWnd->m_drawToolBar.GetSafeHwnd()) return;
    m_pWnd->m_drawToolBar.ResetItem(UINT(command));
    m_pWnd->m_drawToolBar.Invalidate(FALSE);
}

bool KlineDrawToolHost::IsToolBarVisible() {
    return m_pWnd && m_pWnd->m_bDrawLineMode && m_pWnd->m_drawToolBar.GetSafeHwnd() &&
           m_pWnd->m_drawToolBar.IsWindowVisible();
}

void KlineDrawToolHost::UpdateToolBar() {
    if (!m_pWnd || !m_pWnd->m_drawToolBar.GetSafeHwnd()) return;
    m_pWnd->m_drawToolBar.Relayout();
    m_pWnd->m_drawToolBar.Invalidate(FALSE);
}

// ---- the overlay in the chart's slot ----

namespace {

// One of the four places the chart's dispatch gives the drawing tools.
class KlineDrawToolAction : public chart::POMsgAction {
public:
    KlineDrawToolAction(KlineDrawToolOverlay* overlay, size_t index)
        : POMsgAction(overlay), m_pTools(overlay), m_nIndex(index) {}
    int OnMsg(int type, OverlayMsgArgs& args) override { return m_pTools->Forward(m_nIndex, type, args); }

private:
    KlineDrawToolOverlay* m_pTools;
    size_t m_nIndex;
};

}  // namespace

KlineDrawToolOverlay::KlineDrawToolOverlay(CKlineChartWnd* owner)
    : chart::DrawToolOverlay(owner), m_chart(owner), m_host(owner, &m_chart) {}

KlineDrawToolOverlay::~KlineDrawToolOverlay() = default;

std::unique_ptr<::DrawToolOverlay> KlineDrawToolOverlay::MakeTools(IDrawChart* chart, IDrawToolHost* host) {
    return std::make_unique<::DrawToolOverlay>(chart, host);
}

void KlineDrawToolOverlay::Reset() {
    if (m_pTools) m_pTools->Reset();
    SyncPanMode();
}

void KlineDrawToolOverlay::CreateActions() {
    if (!m_pTools) m_pTools = MakeTools(&m_chart, &m_host);
    m_pTools->CreateActions();
    m_aActions.clear();
    for (size_t i = 0; i < m_pTools->ActionCount(); ++i)
        m_aActions.push_back(std::make_shared<KlineDrawToolAction>(this, i));
}

void KlineDrawToolOverlay::DrawPane(CDC* dc, const std::string& paneName) {
    if (!m_pTools || !dc) return;
    FollowWindow();
    m_pTools->DrawPaneTools(dc, paneName);
}

void KlineDrawToolOverlay::LoadTools() {
    if (!m_pTools) return;
    const CIndSecuCode code = m_chart.GetSecurity();
    m_bLoaded = true;
    m_loadedCode = code;
    m_nLoadedType = m_chart.GetDataType();
    m_nLoadedPeriod = m_chart.GetPeriod();
    // A damaged file was kept aside and logged by the load; the chart starts without tools.
    m_pTools->LoadTools();
}

uint16_t KlineDrawToolOverlay::GetMode() const {
    return m_pTools ? uint16_t(m_pTools->m_nMode & 0xFFFF) : 0;
}

void KlineDrawToolOverlay::FollowWindow() {
    if (m_bLoaded && m_chart.GetSecurity() == m_loadedCode && m_chart.GetDataType() == m_nLoadedType &&
        m_chart.GetPeriod() == m_nLoadedPeriod)
        return;
    LoadTools();
}

void KlineDrawToolOverlay::SyncPanMode() {
    if (!m_pOwner || m_pOwner->m_aOverlays.size() < 2) return;
    if (auto* c = dynamic_cast<ChartOverlay*>(m_pOwner->m_aOverlays[1].get()))
        c->m_bPanMode = GetToolSettings().panMode != 0 ? 1 : 0;
}

int KlineDrawToolOverlay::Forward(size_t index, int type, OverlayMsgArgs& args) {
    if (!m_pTools) return 0;
    if (index == 0) FollowWindow();
    DrawMsg block;
    switch (type) {
    case chart::kMsgLButtonDown:
    case chart::kMsgLButtonUp:
    case chart::kMsgMouseMove:
    case chart::kMsgLButtonDblClk:
    case chart::kMsgRButtonUp:
        block = DrawMsg{args.flags, args.x, args.y, 0};
        break;
    case chart::kMsgKeyDown:
        block = DrawMsg{args.key, args.count, args.modifiers, 0};
        break;
    case chart::kMsgCommand:
        block = DrawMsg{args.commandId, args.commandArg, 0, 0};
        break;
    case chart::kMsgUserMessage:
        // Leaving draw-line mode hides the bar: no tool or eraser stays chosen with it.
        // The chart itself then hides the bar, so this is not claimed.
        if (index == 0 && args.message == chart::kMsgButtonReleased && args.wParam == uint64_t(chart::kCmdDrawLine)) {
            m_pTools->m_nMode = 4;
            GetToolSettings().eraser = 0;
            return 0;
        }
        block = DrawMsg{int64_t(args.message), int64_t(args.wParam), args.lParam, 0};
        break;
    default:
        // Hover, leave, typed text and command-UI updates are the chart's.
        return 0;
    }
    const int claimed = m_pTools->Dispatch(index, type, block);
    SyncPanMode();
    if (claimed) args.result = block.result;
    return claimed;
}

void InstallKlineDrawTools() {
    ::LoadDrawToolSettings();
    chart::SetDrawToolOverlayFactory(
        [](CKlineChartWnd* wnd) -> std::shared_ptr<chart::DrawToolOverlay> {
            return std::make_shared<KlineDrawToolOverlay>(wnd);
        });
}
