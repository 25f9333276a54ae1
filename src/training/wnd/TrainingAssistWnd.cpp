// The panel's behaviour: what the chart hands over, the commands and their refusals,
// auto-play, the stops, ending and resuming. Its look is in TrainingAssistPaint.cpp.
#include "training/wnd/TrainingAssistWnd.h"

#include <cstdio>
#include <cstdlib>

#include "foundation/Format.h"
#include "foundation/TextCodec.h"
#include "marketdata/DataCenter.h"
#include "marketdata/Security.h"
#include "marketdata/net/Report.h"
#include "platform/CommonDialogs.h"
#include "training/TotalTrainingRecord.h"
#include "training/TrainingRecord.h"
#include "training/wnd/BackTraceWnd.h"
#include "training/wnd/DlgTrainingBS.h"
#include "training/wnd/TradeDetailWnd.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"
#include "ui/dialog/SkinScroll.h"
#include "ui/element/ElementEnv.h"
#include "ui/layout/LayoutManager.h"

namespace {
std::function<void()>& EndedHook() {
    static std::function<void()> hook;
    return hook;
}

CLayoutManager* RootOf(CLayoutManager* node) {
    while (node && node->m_pParent) node = node->m_pParent;
    return node;
}
}  // namespace

void SetTrainingEndedHook(std::function<void()> hook) {
    EndedHook() = std::move(hook);
}

CTrainingAssistWnd* FindTrainingAssist(CLayoutManager* node) {
    CLayoutManager* root = RootOf(node);
    auto* wrapper = root ? dynamic_cast<TraningAssitWrapper*>(root->FindLeafById(2)) : nullptr;
    return wrapper ? wrapper->GetPanel() : nullptr;
}

CTrainingAssistWnd::CTrainingAssistWnd() {
    SetTypeName("CTrainingAssistWnd");
    m_nContentHeight = kContentHeight;
    CreateItems();
}

CTrainingAssistWnd::~CTrainingAssistWnd() {
    // The chart's timer must not outlive the panel that handles its ticks' results.
    if (m_bPlaying) StopAutoPlay();
}

ITrainingChartControl* CTrainingAssistWnd::FindChart() {
    if (m_pChart) return m_pChart;
    CLayoutManager* root = RootOf(m_pLayoutNode);
    return root ? dynamic_cast<ITrainingChartControl*>(root->FindLeafById(1)) : nullptr;
}

void CTrainingAssistWnd::Tell(const char* text) {
    MessageBox(m_hWnd, text, "提示", MB_OK | MB_ICONINFORMATION);
}

void CTrainingAssistWnd::TellEnded() {
    if (m_pRecord->EndTrainDate == m_pRecord->EndDate)
        Tell("训练周期结束，无法继续训练");
    else
        Tell("目前处于终止状态请点击\"继续\"恢复训练");
}

void CTrainingAssistWnd::SaveRecords() {
    if (std::shared_ptr<CTotalTrainingRecord> list = GetDataCenter()->GetTrainingRecords())
        list->Save();
}

int32_t CTrainingAssistWnd::HandUnit() const {
    return m_pRecord && IsIndexSecurity(m_pRecord->code) ? 1 : 100;
}

double CTrainingAssistWnd::CurrentAsset() const {
    if (!m_pRecord) return 0;
    return m_pRecord->assets.empty() ? m_pRecord->InitCapital : m_pRecord->assets.back().asset;
}

TrainingOrderMaxima CTrainingAssistWnd::OrderMaxima() const {
    TrainingOrderMaxima m;
    if (!m_pRecord) return m;
    const bool index = IsIndexSecurity(m_pRecord->code);
    m.buyable = BuyableHands(*m_pRecord, m_pRecord->price, index);
    // Closable hands come from the books themselves, not from the texts shown (which
    // differ with and without short selling).
    const int32_t unit = SharesPerHand(index);
    m.closableLong = m_pRecord->GetPositionVolume(true) / unit;
    m.closableShort = m_pRecord->CanPut ? m_pRecord->GetPositionVolume(false) / unit : 0;
    return m;
}

// ---------------------------------------------------------------------------------------
// Context and hand-over

int CTrainingAssistWnd::SetContextObject(void* object) {
    m_pRecord = static_cast<CTrainingRecord*>(object);
    if (m_pJournal) m_pJournal->SetRecord(m_pRecord);
    if (m_hWnd) {
        LayoutButtons();
        RepositionControls();
    }
    return 1;
}

void CTrainingAssistWnd::AttachData() {
    UpdateQuoteBox();
    UpdateAccountBox();
    UpdateButtons();
    RefreshJournal();
}

void CTrainingAssistWnd::SetQuote(double open, double high, double low, double close,
                                  double preclose, double volume, int16_t dataType,
                                  int16_t period, int64_t time) {
    if (!m_pRecord) return;
    CTrainingRecord& r = *m_pRecord;
    r.open = open;
    r.high = high;
    r.low = low;
    r.price = close;
    r.preclose = preclose;
    r.volume = volume;
    r.dataType = dataType;
    r.period = period;
    r.quoteTime = time;
    UpdateQuoteBox();
}

void CTrainingAssistWnd::OnBarAdvanced() {
    if (!m_pRecord) return;
    CTrainingRecord& r = *m_pRecord;
    const uint32_t date = uint32_t(r.dataType == 3 ? r.quoteTime / 10000 : r.quoteTime);
    r.UpdateAsset(date, r.price);
    bool ordered = r.CheckStopProfitLoss(false);
    if (!ordered) ordered = r.CheckStopProfitLoss(true);
    if (ordered) {
        RefreshJournal();
        UpdateButtons();
        SaveRecords();
    }
}

void CTrainingAssistWnd::RefreshJournal() {
    if (m_pJournal) m_pJournal->SetRecord(m_pRecord);
    // The review jumps to the newest trade, the one just made.
    if (m_pReview) m_pReview->ShowRecord(m_pRecord);
}

// ---------------------------------------------------------------------------------------
// Commands

BOOL CTrainingAssistWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (id >= 100 && id <= 116 && code == BN_CLICKED) {
        OnButtonCommand(id);
        return TRUE;
    }
    if (code == EN_CHANGE && (id == kStopProfitEdit || id == kStopLossEdit)) {
        OnStopLevelChange(id == kStopProfitEdit);
        return TRUE;
    }
    return ScrollElementWnd::OnCommand(wParam, lParam);
}

void CTrainingAssistWnd::OnButtonCommand(UINT id) {
    if (!m_pRecord) return;
    CTrainingRecord& r = *m_pRecord;
    if (id == kTabJournal || id == kTabReview) {
        const bool review = id == kTabReview;
        if (m_pJournal && m_pJournal->m_hWnd) m_pJournal->ShowWindow(review ? SW_HIDE : SW_SHOW);
        if (m_pReview && m_pReview->m_hWnd) m_pReview->ShowWindow(review ? SW_SHOW : SW_HIDE);
        return;
    }
    if (r.TrainStatus == kTrainStatusEnded) {
        TellEnded();
        return;
    }
    ITrainingChartControl* chart = FindChart();
    if (id == kNextBar) {
        if (!chart) return;
        chart->ScrollToLastBar();
        if (chart->StepNextBar(false) && r.TrainStatus != kTrainStatusEnded)
            r.TrainStatus = kTrainStatusRunning;
        return;
    }
    if (id < kFirstOrder || id > kFirstOrder + 3) return;
    if ((id == kFirstOrder || id == kFirstOrder + 2) && chart &&
        chart->HasRightsIssueBeforeNextBar()) {
        Tell("即将配股，只能卖出不能买入");
        return;
    }
    if (m_bPlaying) {
        Tell("请先停止自动播放");
        return;
    }
    CDlgTrainingBS dialog(this);
    dialog.SetOrder(m_pRecord, r.CanPut ? int(id) - 100 : int(id) - 102, OrderMaxima());
    if (dialog.DoModal() == IDOK) {
        UpdateAccountBox();
        UpdateButtons();
        if (chart) chart->RepaintChart();
        RefreshJournal();
        SaveRecords();
    }
}

void CTrainingAssistWnd::OnStopLevelChange(bool profit) {
    CMyEditCtrl* edit = StopEdit(profit);
    if (!m_pRecord || !edit || m_bFilling) return;
    double& level = profit ? m_pRecord->zy : m_pRecord->zs;
    const std::string text = edit->GetWindowText();
    if (m_bPlaying) {
        Tell("输入价格前请关闭自动播放");
        m_bFilling = true;
        char shown[32];
        std::snprintf(shown, sizeof shown, "%.01f", level * 100);
        edit->SetWindowText(shown);
        m_bFilling = false;
        return;
    }
    if (text.empty()) {
        level = 0;
        return;
    }
    if (!IsNumericText(text)) {
        Tell("请输入数字");
        return;
    }
    const double value = std::strtod(text.c_str(), nullptr);
    if (value > 99) {
        Tell("请输入合法数值");
        return;
    }
    level = value / 100;
}

// ---------------------------------------------------------------------------------------
// Auto-play, end and resume

bool CTrainingAssistWnd::StartAutoPlay() {
    ITrainingChartControl* chart = FindChart();
    if (!chart || m_bPlaying) return false;
    if (!chart->StepNextBar(true)) return false;
    if (m_buttons[6] && m_buttons[6]->m_hWnd) m_buttons[6]->EnableWindow(FALSE);
    chart->StartAutoPlayTimer();
    m_bPlaying = true;
    InvalidateContent(m_rcSwitch);
    return true;
}

void CTrainingAssistWnd::StopAutoPlay() {
    if (!m_bPlaying) return;
    if (m_buttons[6] && m_buttons[6]->m_hWnd) m_buttons[6]->EnableWindow(TRUE);
    if (ITrainingChartControl* chart = FindChart()) chart->StopAutoPlayTimer();
    m_bPlaying = false;
    InvalidateContent(m_rcSwitch);
}

void CTrainingAssistWnd::EnsureAutoPlay() {
    if (!m_bPlaying) StartAutoPlay();
}

void CTrainingAssistWnd::ToggleAutoPlay() {
    if (!m_pRecord) return;
    if (m_pRecord->TrainStatus == kTrainStatusEnded) {
        TellEnded();
        return;
    }
    if (ITrainingChartControl* chart = FindChart()) chart->ScrollToLastBar();
    if (m_bPlaying)
        StopAutoPlay();
    else
        StartAutoPlay();
}

void CTrainingAssistWnd::SendResult() {
    CTrainingRecord& r = *m_pRecord;
    const double asset = CurrentAsset();
    const double rate = r.InitCapital != 0 ? (asset - r.InitCapital) / r.InitCapital * 100 : 0;
    // Queued on the network thread; the UI never waits for the post.
    SendTrainingResult(uint32_t(r.BeginTrainDate), uint32_t(r.EndTrainDate), r.TrainDays,
                       r.InitCapital, asset, rate, r.name);
}

void CTrainingAssistWnd::OnPeriodEnded() {
    StopAutoPlay();
    if (!m_pRecord) return;
    SendResult();
    UpdateQuoteBox();  // a hidden name shows once the session is over
    UpdateButtons();
    SaveRecords();
    RepaintPanel();
}

void CTrainingAssistWnd::EndOrResume() {
    if (!m_pRecord) return;
    CTrainingRecord& r = *m_pRecord;
    std::shared_ptr<CTotalTrainingRecord> list = GetDataCenter()->GetTrainingRecords();
    if (r.TrainStatus == kTrainStatusEnded && r.EndTrainDate != r.EndDate) {
        if (list)
            list->ResumeSession(r);
        else
            r.TrainStatus = kTrainStatusRunning;
        SetItem(kEndItem, "结束交易");
        UpdateQuoteBox();
        RepaintPanel();
        return;
    }
    StopAutoPlay();
    // One report per session end: a session that ended already was reported then.
    if (r.TrainStatus != kTrainStatusEnded) {
        SendResult();
        if (list)
            list->EndSession(r);
        else
            r.TrainStatus = kTrainStatusEnded;
        SetItem(kEndItem, r.EndTrainDate != r.EndDate ? "继续交易" : "结束交易");
    }
    UpdateQuoteBox();
    RepaintPanel();
    if (EndedHook()) EndedHook()();
}

// ---------------------------------------------------------------------------------------
// The wrapper

TraningAssitWrapper::TraningAssitWrapper()
    : m_pPanel(std::make_shared<CTrainingAssistWnd>()),
      m_pFrame(std::make_unique<CSkinScrollWnd>()) {
    SetTypeName("TraningAssitWrapper");
}

TraningAssitWrapper::~TraningAssitWrapper() = default;

int TraningAssitWrapper::OnCreate(LPCREATESTRUCT cs) {
    if (CElementWnd::OnCreate(cs) == -1) return -1;
    OnCreated(0);
    if (m_pPanel->Create(this)) {
        m_pFrame->AttachCtrl(m_pPanel.get());
        m_pFrame->m_sbVert.m_clrBk = RGB(35, 51, 67);
        m_pFrame->m_sbVert.m_clrThumb = RGB(20, 29, 37);
    }
    return 0;
}

void TraningAssitWrapper::RecalcLayout() {
    CElementWnd::RecalcLayout();
    if (m_pFrame->m_hWnd)
        m_pFrame->MoveWindow(m_rcContent.left, m_rcContent.top, m_rcContent.Width(),
                             m_rcContent.Height());
}

void TraningAssitWrapper::SetLayoutNode(CLayoutManager* node) {
    CElementWnd::SetLayoutNode(node);
    m_pPanel->SetLayoutNode(node);
}

void TraningAssitWrapper::AttachData() {
    m_pPanel->AttachData();
}

int TraningAssitWrapper::SetContextObject(void* object) {
    return m_pPanel ? m_pPanel->SetContextObject(object) : 0;
}

void RegisterTrainingPanelTypes() {
    RegisterElementType("TraningAssitWrapper", [] { return std::make_unique<TraningAssitWrapper>(); });
}
