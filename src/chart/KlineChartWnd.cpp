#include "chart/KlineChartWnd.h"

#include <tinyxml2.h>

#include <algorithm>

#include "chart/ChartActions.h"
#include "chart/ChartElementBar.h"
#include "chart/ChartPic.h"
#include "chart/IntradayPopup.h"
#include "chart/TipPopups.h"
#include "chart/ValuePanel.h"
#include "marketdata/DataCenter.h"
#include "marketdata/Security.h"
#include "ui/CommonVar.h"

namespace chart {

namespace {

DrawToolOverlayFactory& ToolFactory() {
    static DrawToolOverlayFactory factory;
    return factory;
}

}  // namespace

void SetDrawToolOverlayFactory(DrawToolOverlayFactory factory) { ToolFactory() = std::move(factory); }

}  // namespace chart

using namespace chart;

CKlineChartWnd::CKlineChartWnd() {
    SetTypeName("CKlineChartWnd");
    m_nElementBarKind = 1;  // the title bar with periods, settings and modes
}

CKlineChartWnd::~CKlineChartWnd() {
    if (m_hWnd) DestroyWindow();
    // The overlays and panes point back at the window and the layer; they go first.
    for (auto& overlay : m_aOverlays)
        if (auto chart = std::dynamic_pointer_cast<ChartOverlay>(overlay)) {
            chart->m_paneDrawHook = nullptr;
            chart->m_pWindow = nullptr;
            chart->m_aPanes.clear();
        }
    m_aOverlays.clear();
    m_pDataLayer.reset();
}

// ---- factories ----

void CKlineChartWnd::CreateDataLayer() {
    m_pDataLayer = std::make_shared<PicDataLayer>(this);
    m_pDataLayer->SetDataType(PicDataLayer::kDay, 1);
}

void CKlineChartWnd::CreateDrawToolOverlay() {
    std::shared_ptr<DrawToolOverlay> tools;
    if (ToolFactory()) tools = ToolFactory()(this);
    if (!tools) tools = std::make_shared<DrawToolOverlay>(this);
    m_aOverlays[0] = tools;
}

void CKlineChartWnd::CreateChartOverlay() { m_aOverlays[1] = std::make_shared<ChartOverlay>(this); }

void CKlineChartWnd::CreateTipOverlay() { m_aOverlays[2] = std::make_shared<PicTipOverlay>(this); }

std::shared_ptr<ChartOverlay> CKlineChartWnd::GetChartOverlayPtr() {
    return std::dynamic_pointer_cast<ChartOverlay>(m_aOverlays.at(1));
}

std::shared_ptr<PicDataLayer> CKlineChartWnd::GetDataLayer() { return m_pDataLayer; }

std::shared_ptr<DrawToolOverlay> CKlineChartWnd::GetDrawToolOverlay() {
    return std::dynamic_pointer_cast<DrawToolOverlay>(m_aOverlays.at(0));
}

std::shared_ptr<PicOverlay> CKlineChartWnd::GetTipOverlay() { return m_aOverlays.at(2); }

std::shared_ptr<IChartOverlay> CKlineChartWnd::GetChartOverlay() {
    if (m_aOverlays.size() < 2) return nullptr;
    return std::dynamic_pointer_cast<ChartOverlay>(m_aOverlays[1]);
}

bool CKlineChartWnd::GetDrawToolMode(uint16_t& mode) {
    if (m_aOverlays.empty() || !m_aOverlays[0]) return false;
    auto tools = std::dynamic_pointer_cast<DrawToolOverlay>(m_aOverlays[0]);
    mode = tools ? tools->GetMode() : 0;
    return tools != nullptr;
}

void CKlineChartWnd::CreateOverlays() {
    m_aOverlays.assign(3, nullptr);
    CreateDrawToolOverlay();
    CreateChartOverlay();
    CreateTipOverlay();
    if (auto chart = GetChartOverlayPtr()) {
        chart->SetDataLayer(m_pDataLayer.get());
        chart->m_pWindow = this;
        chart->m_paneDrawHook = [this](CDC* dc, const std::string& name) {
            if (m_aOverlays.empty()) return;
            if (auto tools = std::dynamic_pointer_cast<DrawToolOverlay>(m_aOverlays[0]))
                tools->DrawPane(dc, name);
        };
        chart->m_isCurrentChart = [this] {
            return GetCommonVar()->GetCurrentElement() == this;
        };
        chart->m_trendName = [this]() -> std::string {
            if (GetWorkspaceKey() != "trend" || !m_pDataLayer) return {};
            CSecurity* s = m_pDataLayer->GetSecurity();
            return s ? s->GetName() : std::string();
        };
    }
    for (auto& overlay : m_aOverlays)
        if (overlay) overlay->CreateActions();
}

// ---- window ----

BOOL CKlineChartWnd::Create(CWnd* parent) {
    if (!CElementWnd::Create(parent)) return FALSE;
    for (CElementBarMenu* bar : {static_cast<CElementBarMenu*>(&m_drawToolBar),
                                 static_cast<CElementBarMenu*>(&m_indicatorBar)}) {
        bar->m_pOwnerElement = this;
        bar->CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, (UINT)-1);
    }
    m_indicatorBar.m_nPosition = 3;
    m_indicatorBar.m_nHeight = 24;
    CreateDataLayer();
    CreateOverlays();
    return TRUE;
}

void CKlineChartWnd::AddDefaultPanes() {
    auto chart = GetChartOverlayPtr();
    if (!chart || !chart->m_aPanes.empty()) return;
    ChartPic* main = chart->AddMainPane();
    main->Prop().BindIndicatorByName("MA");
    chart->m_bDrawMA = 1;
    for (const char* name : {"VOL", "MACD"}) chart->AddPane()->Prop().BindIndicatorByName(name);
    for (const auto& pane : chart->m_aPanes) {
        pane->Prop().ResetSecurity();
        pane->Prop().SetIndicatorPeriod(chart->GetDataType(), chart->GetPeriod());
    }
    chart->m_nSelectedPane = 0;
}

void CKlineChartWnd::DrawClient(CDC* dc) {
    if (m_bPaintSuspended || !dc) return;
    dc->FillSolidRect(&m_rcClient, GetCommonVar()->Colors()[CommonColor::uniBackGround]);
    // The hover labels sit on top of what is painted now.
    auto tip = TipOverlay();
    if (tip) tip->BeginPaint();
    if (m_aOverlays.size() > 1)
        if (auto chart = GetChartOverlayPtr()) chart->Paint(dc);
    if (tip) tip->EndPaint(dc);
}

void CKlineChartWnd::RecalcLayout() {
    if (!m_bShowPicMenuBar) m_bShowTitleBar = 0;
    m_elementBar.m_bShow = m_bShowTitleBar;
    CElementWnd::RecalcLayout();
    CRect rc = m_rcContent;
    if (m_drawToolBar.m_hWnd) {
        if (m_bShowTitleBar && m_bDrawLineMode) {
            m_drawToolBar.Layout(rc.Width());
            m_drawToolBar.MoveWindow(rc.left, rc.top, rc.Width(), 26);
            rc.top += 26;
        } else {
            m_drawToolBar.MoveWindow(0, 0, 0, 0);
        }
    }
    if (m_indicatorBar.m_hWnd) {
        if (m_bShowBarInd) {
            m_indicatorBar.Layout(rc.Width());
            m_indicatorBar.MoveWindow(rc.left, rc.bottom - 24, rc.Width(), 24);
            rc.bottom -= 24;
        } else {
            m_indicatorBar.MoveWindow(0, 0, 0, 0);
        }
    }
    if (rc.IsRectEmpty() || m_aOverlays.size() < 2) return;
    if (auto chart = GetChartOverlayPtr()) {
        chart->m_rcChart = rc;
        chart->m_rcOuter = rc;
        chart->CalcRects();
        if (chart->m_nEnd <= chart->m_nStart) {
            chart->Layout();
            chart->RecalcPanes();
        }
    }
}

bool CKlineChartWnd::Dispatch(int type, OverlayMsgArgs& args) {
    // Actions may destroy nothing but may replace overlays; hold them for the call.
    const std::vector<std::shared_ptr<PicOverlay>> overlays = m_aOverlays;
    // The hover labels come off while the actions draw in place (the crosshair is XORed)
    // and go back on top afterwards.
    auto tip = TipOverlay();
    if (tip) tip->BeginChartChange();
    const bool claimed = DispatchOverlayMessage(overlays, type, args);
    if (tip) tip->EndChartChange();
    return claimed;
}

namespace {
OverlayMsgArgs Mouse(UINT flags, int x, int y) {
    OverlayMsgArgs a;
    a.flags = static_cast<int>(flags);
    a.x = x;
    a.y = y;
    return a;
}
}  // namespace

void CKlineChartWnd::OnElementLButtonDown(UINT flags, int x, int y) {
    OverlayMsgArgs a = Mouse(flags, x, y);
    Dispatch(kMsgLButtonDown, a);
}

void CKlineChartWnd::OnElementLButtonDblClk(UINT flags, int x, int y) {
    OverlayMsgArgs a = Mouse(flags, x, y);
    Dispatch(kMsgLButtonDblClk, a);
}

void CKlineChartWnd::OnElementLButtonUp(UINT flags, int x, int y) {
    OverlayMsgArgs a = Mouse(flags, x, y);
    Dispatch(kMsgLButtonUp, a);
}

void CKlineChartWnd::OnElementMouseMove(UINT flags, int x, int y) {
    OverlayMsgArgs a = Mouse(flags, x, y);
    Dispatch(kMsgMouseMove, a);
    if (m_nHoverTimer < 0 && m_hWnd) {
        auto chart = m_aOverlays.size() > 1 ? GetChartOverlayPtr() : nullptr;
        if (chart && (chart->m_nHoverFlags & 1)) {
            SetTimer(kHoverTimerId, 200);
            m_nHoverTimer = static_cast<int>(kHoverTimerId);
        }
    }
}

void CKlineChartWnd::OnElementMouseHover() {
    CElementWnd* before = GetCommonVar()->GetCurrentElement();
    GetCommonVar()->SetCurrentElement(this);
    OverlayMsgArgs a;
    Dispatch(kMsgMouseHover, a);
    if (before != this && m_hWnd) Repaint(true);
}

void CKlineChartWnd::OnElementMouseLeave() {
    CElementWnd::OnElementMouseLeave();
    OverlayMsgArgs a;
    Dispatch(kMsgMouseLeave, a);
    if (m_nHoverTimer >= 0 && m_hWnd) KillTimer(static_cast<UINT_PTR>(m_nHoverTimer));
    m_nHoverTimer = -1;
    if (auto tip = TipOverlay()) tip->HideLabels();
    if (m_hWnd) Repaint(true);
}

void CKlineChartWnd::OnElementRButtonUp(UINT flags, int x, int y) {
    OverlayMsgArgs a = Mouse(flags, x, y);
    Dispatch(kMsgRButtonUp, a);
}

int CKlineChartWnd::OnElementMouseWheel(UINT flags, int delta, int x, int y) {
    if (delta == 0) return 0;
    // The wheel zooms like the Up and Down keys: forward zooms in.
    return OnElementKeyDown(delta > 0 ? 0x26 : 0x28, 1, 0) ? 1 : 0;
}

int CKlineChartWnd::OnTypedText(int kind, const std::string& text) {
    if (m_aOverlays.empty()) return CElementWnd::OnTypedText(kind, text);
    OverlayMsgArgs a;
    a.value = kind;
    a.SetText(text);
    if (Dispatch(kMsgTypedText, a)) return static_cast<int>(a.result);
    return CElementWnd::OnTypedText(kind, text);
}

int CKlineChartWnd::OnElementKeyDown(UINT key, UINT count, UINT flags) {
    OverlayMsgArgs a;
    a.key = static_cast<int>(key);
    a.count = std::max<int>(1, static_cast<int>(count));
    a.modifiers = (GetKeyState(VK_CONTROL) < 0 ? kModCtrl : 0) | (GetKeyState(VK_MENU) < 0 ? kModAlt : 0) |
                  (GetKeyState(VK_SHIFT) < 0 ? kModShift : 0);
    if (Dispatch(kMsgKeyDown, a)) return static_cast<int>(a.result);
    return CElementWnd::OnElementKeyDown(key, count, flags);
}

int CKlineChartWnd::OnLayoutCommand(UINT id, UINT code) {
    OverlayMsgArgs a;
    a.commandId = static_cast<int>(id);
    a.commandArg = static_cast<int>(code);
    if (Dispatch(kMsgCommand, a)) return static_cast<int>(a.result);
    if (id == static_cast<UINT>(kCmdDrawLine)) {
        m_bDrawLineMode = 1;
        RecalcLayout();
        Repaint(true);
        return 1;
    }
    return CElementWnd::OnLayoutCommand(id, code);
}

int CKlineChartWnd::OnUpdateLayoutCommand(CCmdUI* cmdUI) {
    OverlayMsgArgs a;
    a.cmdUI = cmdUI;
    if (Dispatch(kMsgUpdateCommand, a)) return static_cast<int>(a.result);
    return CElementWnd::OnUpdateLayoutCommand(cmdUI);
}

LRESULT CKlineChartWnd::OnUserMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    OverlayMsgArgs a;
    a.message = msg;
    a.wParam = wParam;
    a.lParam = lParam;
    if (Dispatch(kMsgUserMessage, a)) return static_cast<LRESULT>(a.result);
    if (msg == kMsgButtonReleased && wParam == static_cast<WPARAM>(kCmdDrawLine)) {
        m_bDrawLineMode = 0;
        m_drawToolBar.ResetItem(chart::kCmdEraser);
        RecalcLayout();
        Repaint(true);
        return 0;
    }
    return CElementWnd::OnUserMessage(msg, wParam, lParam);
}

LRESULT CKlineChartWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == kHoverTimerId) {
            KillTimer(kHoverTimerId);
            m_nHoverTimer = -1;
            if (auto chart = m_aOverlays.size() > 1 ? GetChartOverlayPtr() : nullptr) chart->m_nHoverFlags &= ~1;
            Invalidate(FALSE);
        }
        break;
    case kMsgCommandState: {
        const LRESULT r = OnUserMessage(msg, wParam, lParam);
        if (r) return r;
        if (wParam == static_cast<WPARAM>(kCmdDrawLine)) return m_bDrawLineMode ? 3 : 1;
        return QueryCommandState(static_cast<UINT>(wParam));
    }
    case kMsgButtonReleased:
        return OnUserMessage(msg, wParam, lParam);
    default:
        break;
    }
    return CElementWnd::WindowProc(msg, wParam, lParam);
}

void CKlineChartWnd::OnDestroying() {
    if (m_drawToolBar.m_hWnd) m_drawToolBar.DestroyWindow();
    if (m_indicatorBar.m_hWnd) m_indicatorBar.DestroyWindow();
    GetCommonVar()->ForgetElement(this);
    // The popups that follow this chart let go of it.
    if (CDlgValueBar* panel = GetValueBar(false)) panel->OnChartWndClosing(this);
    if (CTipMulti* tip = GetTipMulti(false); tip && tip->m_pOwner == this) tip->ShowTip(nullptr, false, false);
    if (CDlgCurPic* popup = GetIntradayPopup(false); popup && popup->m_pSource == this) popup->m_pSource = nullptr;
}

std::shared_ptr<PicTipOverlay> CKlineChartWnd::TipOverlay() const {
    return m_aOverlays.size() > 2 ? std::dynamic_pointer_cast<PicTipOverlay>(m_aOverlays[2]) : nullptr;
}

void CKlineChartWnd::RefreshTipAtCursor() {
    auto tip = TipOverlay();
    if (!tip || !m_hWnd) return;
    POINT pt{0, 0};
    GetCursorPos(&pt);
    ScreenToClient(&pt);
    tip->UpdateTip(true, CPoint(pt));
}

void CKlineChartWnd::ShowIntradayPicture(const CIndSecuCode& code, uint32_t date, const CFloatDayItem& bar,
                                         double referencePrice) {
    int32_t index = -1;
    if (m_pDataLayer)
        for (int32_t i = m_pDataLayer->GetBegin(); i < m_pDataLayer->GetEnd(); ++i)
            if (static_cast<int64_t>(m_pDataLayer->GetTime(i)) == bar.m_nTime) {
                index = i;
                break;
            }
    if (CDlgCurPic* popup = GetIntradayPopup(true))
        popup->ShowDay(this, index, static_cast<int32_t>(date), referencePrice, code, bar);
}

void CKlineChartWnd::OnDataChanged() {
    if (m_bShowTitleBar) RecreateElementBar();
    m_drawToolBar.AddToolItems();
    m_drawToolBar.Relayout();
    if (m_bShowBarInd) {
        m_indicatorBar.AddIndicatorItems();
        m_indicatorBar.Relayout();
    }
    if (m_aOverlays.size() < 2) return;
    auto chart = GetChartOverlayPtr();
    if (!chart) return;
    if (chart->m_aPanes.empty()) AddDefaultPanes();
    chart->SetDataLayer(m_pDataLayer.get());
    chart->ClampSelectedPane();
    if (m_bIndependentBlock)
        SetPeriod(GetCommonVar()->m_nSharedDataType, GetCommonVar()->m_nSharedPeriod);
}

void CKlineChartWnd::OnDataNotify(WPARAM wParam, LPARAM lParam) {
    if (m_pDataLayer) m_pDataLayer->OnDataNotify(wParam, lParam);
}

void CKlineChartWnd::ResetSeries() {
    if (m_pDataLayer) m_pDataLayer->Reserve();
    if (auto chart = m_aOverlays.size() > 1 ? GetChartOverlayPtr() : nullptr) chart->ResizePaneResults();
}

void CKlineChartWnd::Repaint(bool updateNow) {
    if (!m_hWnd) return;
    Invalidate(FALSE);
    if (updateNow) UpdateWindow();
}

void CKlineChartWnd::ResetLayers() {
    if (m_pDataLayer) m_pDataLayer->Reset();
    for (auto& overlay : m_aOverlays)
        if (overlay) overlay->Reset();
}

void CKlineChartWnd::SetPeriod(int16_t dataType, int16_t period) {
    if (m_aOverlays.size() < 3 || !m_aOverlays[0] || !m_aOverlays[1] || !m_pDataLayer) return;
    if (m_pDataLayer->GetDataType() == dataType && m_pDataLayer->GetPeriod() == period) return;
    m_pDataLayer->SetPeriod(dataType, period);
    m_pDataLayer->SetDataType(dataType, period);
    if (m_bIndependentBlock) {
        GetCommonVar()->m_nSharedDataType = dataType;
        GetCommonVar()->m_nSharedPeriod = period;
    }
    auto chart = GetChartOverlayPtr();
    chart->LayoutPanes();
    ResetLayers();
    chart->CalcRects();
    if (auto tools = GetDrawToolOverlay()) tools->LoadTools();
    m_pDataLayer->RequestData();
    Repaint(false);
}

void CKlineChartWnd::SetRightsMode(uint8_t mode) {
    if (m_aOverlays.size() < 3 || !m_pDataLayer || m_pDataLayer->GetAdjustMode() == mode) return;
    m_pDataLayer->SetAdjustMode(mode);
    GetChartOverlayPtr()->LayoutPanes();
    ResetLayers();
    if (auto tools = GetDrawToolOverlay()) tools->LoadTools();
    m_pDataLayer->RequestData();
    Repaint(false);
}

int CKlineChartWnd::SetSecurity(const CIndSecuCode& code, const CGroup* group) {
    if (m_pDataLayer && code.m_nMarket == m_pDataLayer->GetCode().m_nMarket &&
        CompareSecuCode(code, m_pDataLayer->GetCode()) == 0)
        return 0;
    CElementWnd::SetSecurity(code, group);
    if (m_pDataLayer) m_pDataLayer->SetCode(code);
    RecreateElementBar();
    if (m_aOverlays.size() < 3) return 1;
    if (auto tools = GetDrawToolOverlay()) tools->LoadTools();
    if (auto tip = TipOverlay()) tip->HideLabels();
    ResetLayers();
    if (m_pDataLayer) m_pDataLayer->RequestData();
    return 1;
}

void CKlineChartWnd::DetachData() {
    if (m_pDataLayer) m_pDataLayer->Detach();
}

void CKlineChartWnd::AttachData() {
    if (m_pDataLayer) m_pDataLayer->RequestData();
}

void CKlineChartWnd::RecreateElementBar() {
    if (!m_bShowPicMenuBar) {
        m_bShowTitleBar = 0;
        m_elementBar.RemoveAllItems();
        return;
    }
    CElementWnd::RecreateElementBar();
    m_bShowTitleBar = 1;
    chart::FillChartTitleBar(m_elementBar, GetDataCenter()->GetFreqPeriods());
    m_elementBar.Relayout();
}

int CKlineChartWnd::LoadFromXml(const tinyxml2::XMLElement* element) {
    CElementWnd::LoadFromXml(element);
    if (!element) return -1;
    m_bShowPicMenuBar = element->IntAttribute("ShowPicMenuBar", m_bShowPicMenuBar);
    m_bIndependentBlock = element->IntAttribute("IndependentBlock", m_bIndependentBlock);
    m_bShowBarInd = element->IntAttribute("ShowBarInd", m_bShowBarInd);
    if (const tinyxml2::XMLElement* data = element->FirstChildElement("DataLayer"); data && m_pDataLayer) {
        int type = data->IntAttribute("DataType", m_pDataLayer->GetDataType());
        int period = data->IntAttribute("Period", m_pDataLayer->GetPeriod());
        static const int kTypes[] = {2, 3, 4, 5, 13};
        if (std::find(std::begin(kTypes), std::end(kTypes), type) == std::end(kTypes)) type = 4;
        period = std::clamp(period, -1, 1440);
        m_pDataLayer->SetDataType(static_cast<int16_t>(type), static_cast<int16_t>(period));
        CIndSecuCode code = m_pDataLayer->GetCode();
        code.Read(data);
        m_pDataLayer->SetCode(code);
        m_code = code;
    }
    if (const tinyxml2::XMLElement* node = element->FirstChildElement("ChartOverlay"))
        if (auto chart = m_aOverlays.size() > 1 ? GetChartOverlayPtr() : nullptr) chart->LoadXml(node);
    OnDataChanged();
    return -1;
}

void CKlineChartWnd::SaveToXml(tinyxml2::XMLElement* element) {
    CElementWnd::SaveToXml(element);
    if (!element) return;
    element->SetAttribute("ShowPicMenuBar", m_bShowPicMenuBar);
    // Written too: a chart saved as following the shared period must keep following it.
    element->SetAttribute("IndependentBlock", m_bIndependentBlock);
    element->SetAttribute("ShowBarInd", m_bShowBarInd);
    if (m_pDataLayer) {
        tinyxml2::XMLElement* data = element->InsertNewChildElement("DataLayer");
        data->SetAttribute("DataType", static_cast<int>(m_pDataLayer->GetDataType()));
        data->SetAttribute("Period", static_cast<int>(m_pDataLayer->GetPeriod()));
        m_pDataLayer->GetCode().Write(data);
    }
    if (auto chart = m_aOverlays.size() > 1 ? GetChartOverlayPtr() : nullptr)
        chart->SaveXml(element->InsertNewChildElement("ChartOverlay"));
}

// ---- the intraday chart of one day ----

CBlockPicCur::CBlockPicCur() {
    SetTypeName("CBlockPicCur");
    m_bShowTitleBar = 0;
}

void CBlockPicCur::CreateDataLayer() {
    m_pDataLayer = std::make_shared<HistoryIntradayPicData>(this);
}

HistoryIntradayPicData* CBlockPicCur::GetDayLayer() const {
    return dynamic_cast<HistoryIntradayPicData*>(m_pDataLayer.get());
}

void CBlockPicCur::DrawClient(CDC* dc) {
    CKlineChartWnd::DrawClient(dc);
    HistoryIntradayPicData* layer = GetDayLayer();
    if (!dc || m_bPaintSuspended || !layer || !layer->HasNoMinutes() || m_aOverlays.size() < 2) return;
    auto chart = GetChartOverlayPtr();
    if (!chart || chart->m_aPanes.empty()) return;
    CRect rc = chart->m_aPanes.front()->Prop().m_rcPlot;
    CommonVar* var = GetCommonVar();
    CFont* old = dc->SelectObject(var->GetFont(CommonVar::kFontSong12));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(var->Colors()[CommonColor::uniText]);
    dc->DrawText(kNoMinutesText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) dc->SelectObject(old);
}

void CBlockPicCur::CreateChartOverlay() {
    auto chart = std::make_shared<ChartOverlay>(this);
    chart->m_bShowMaxMin = 0;
    chart->m_bAxeShowX = 1;
    chart->m_bAxeShowPer = 1;
    chart->m_bAxeShowRight = 1;
    chart->m_bAxeRight = 0;
    m_aOverlays[1] = chart;
}

void CBlockPicCur::OnDataChanged() {
    if (m_aOverlays.size() < 2) return;
    auto chart = GetChartOverlayPtr();
    if (!chart) return;
    chart->SetDataLayer(m_pDataLayer.get());
    chart->m_nVisibleCount = 240;
    chart->m_aPanes.clear();
    ChartPic* main = chart->AddMainPane();
    main->Prop().m_nHeightPer = 500;
    main->Prop().SetAxisType(kAxisNormal);
    ChartPic* volume = chart->AddPane();
    volume->Prop().m_nHeightPer = 250;
    volume->Prop().m_bVolumePane = 1;
    for (const auto& pane : chart->m_aPanes) {
        pane->Prop().m_bShowTitle = 1;
        pane->Prop().ResetSecurity();
        pane->Prop().CalcRange();
    }
    chart->m_nPaneCount = chart->GetPaneCount();
    chart->ClampSelectedPane();
    chart->FitAxisWidth();
}

int CBlockPicCur::SetSecurity(const CIndSecuCode& code, const CGroup* group) {
    const int r = CKlineChartWnd::SetSecurity(code, group);
    if (m_aOverlays.size() > 1)
        if (auto chart = GetChartOverlayPtr(); chart && !chart->m_aPanes.empty())
            chart->m_aPanes.front()->Prop().BindIndicatorByName("");
    return r;
}

void RegisterChartElementTypes() {
    chart::InstallElementTips();
    RegisterElementType("CKlineChartWnd", [] { return std::make_unique<CKlineChartWnd>(); });
    RegisterElementType("CBlockPicCur", [] { return std::make_unique<CBlockPicCur>(); });
}
