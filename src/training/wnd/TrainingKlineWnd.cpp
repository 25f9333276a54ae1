#include "training/wnd/TrainingKlineWnd.h"

#include <algorithm>
#include <typeinfo>

#include "chart/ChartActions.h"
#include "chart/ChartPic.h"
#include "drawtools/DrawToolOverlay.h"
#include "drawtools/KlineDrawTools.h"
#include "marketdata/AppInfo.h"
#include "platform/CommonDialogs.h"
#include "training/TrainingChartRules.h"
#include "training/TrainingPicData.h"
#include "training/TrainingRecord.h"
#include "training/TrainingStepping.h"
#include "training/wnd/TrainingAssistWnd.h"

namespace {

// The training chart's own actions behave as the chart's: the range is limited only
// through the overlay's data begin, data end, clamp and layout.
class ChartOverlayAction1Ex : public chart::ChartOverlayAction1 {
public:
    using ChartOverlayAction1::ChartOverlayAction1;
};

class ChartOverlayAction3Ex : public chart::ChartOverlayAction3 {
public:
    using ChartOverlayAction3::ChartOverlayAction3;
};

// The tools of a training chart keep their figures in the session's file, not in the
// security's.
class SessionDrawTools : public ::DrawToolOverlay {
public:
    SessionDrawTools(IDrawChart* chart, IDrawToolHost* host, const TrainingKlineWnd* wnd)
        : ::DrawToolOverlay(chart, host), m_pWnd(wnd) {}
    std::string GetToolFilePath() const override { return m_pWnd->GetDrawingFilePath(); }

private:
    const TrainingKlineWnd* m_pWnd;
};

// The drawing tools' slot on a training chart: the chart's own in every way but the file.
class TrainingKlineDrawTools : public KlineDrawToolOverlay {
public:
    explicit TrainingKlineDrawTools(TrainingKlineWnd* owner)
        : KlineDrawToolOverlay(owner), m_pWnd(owner) {}

protected:
    std::unique_ptr<::DrawToolOverlay> MakeTools(IDrawChart* chart, IDrawToolHost* host) override {
        return std::make_unique<SessionDrawTools>(chart, host, m_pWnd);
    }

private:
    TrainingKlineWnd* m_pWnd;
};

CTrainingRecord* RecordOf(const PicDataLayer* layer) {
    auto* training = dynamic_cast<const TrainingPicData*>(layer);
    return training ? training->GetRecord() : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The chart overlay

TrainingChartOverlay::TrainingChartOverlay(CKlineChartWnd* owner) : ChartOverlay(owner) {}

TrainingPicData* TrainingChartOverlay::GetTrainingLayer() const {
    return dynamic_cast<TrainingPicData*>(m_pLayer);
}

void TrainingChartOverlay::Reset() {
    ChartOverlay::Reset();
    m_reveal.Reset();
}

void TrainingChartOverlay::CreateActions() {
    m_aActions.clear();
    m_aActions.push_back(std::make_shared<ChartOverlayAction1Ex>(this));
    m_aActions.push_back(std::make_shared<chart::ChartOverlayAction2>(this));
    auto third = std::make_shared<ChartOverlayAction3Ex>(this);
    third->m_bTimeBandCursor = 1;
    m_aActions.push_back(third);
}

void TrainingChartOverlay::BindDataLayer() {
    if (!m_pLayer) return;
    if (CalcIndicators(m_pLayer->GetBegin(), m_pLayer->GetEnd())) Invalidate();
    Invalidate();
    if (m_pWindow && m_pWindow->m_hWnd) m_pWindow->UpdateWindow();
}

void TrainingChartOverlay::Draw(CDC* dc, bool fill) {
    // The labels of the time axis are dates: a session that hides them keeps them hidden
    // until it has ended. Nothing here turns them on again.
    if (AreTrainingTimeLabelsHidden(RecordOf(m_pLayer))) m_bDrawLabels = 0;
    ChartOverlay::Draw(dc, fill);
}

void TrainingChartOverlay::ClampRange() {
    TrainingViewRange range{m_nStart, m_nEnd, m_nVisibleCount, m_nCursor};
    ClampTrainingRange(range, m_reveal);
    m_nStart = range.start;
    m_nEnd = range.end;
    m_nCursor = range.cursor;
}

void TrainingChartOverlay::Layout() {
    const int32_t first = m_pLayer ? m_pLayer->GetBegin() : 0;
    const int32_t last = m_pLayer ? m_pLayer->GetEnd() : 0;
    TrainingViewRange range{m_nStart, m_nEnd, m_nVisibleCount, m_nCursor};
    LayoutTrainingRange(range, m_reveal, first, last);
    // Before the first load there is no first bar to start at.
    m_nStart = std::max(range.start, 0);
    m_nEnd = std::max(range.end, m_nStart);
    m_nCursor = range.cursor;
}

bool TrainingChartOverlay::StepNextBar(bool autoPlay) {
    TrainingPicData* layer = GetTrainingLayer();
    return layer && ::StepNextBar(*layer, autoPlay);
}

// ---------------------------------------------------------------------------------------
// Tips and drawing tools

bool TrainingPicTipOverlay::IsTipEnabled() const {
    auto* wnd = dynamic_cast<TrainingKlineWnd*>(m_pOwner);
    return IsTrainingTipEnabled(wnd ? wnd->GetRecord() : nullptr);
}

std::string TrainingDrawToolOverlay::GetToolFilePath() const {
    auto* wnd = dynamic_cast<TrainingKlineWnd*>(m_pOwner);
    return wnd ? wnd->GetToolFilePath() : std::string("toolerr.xml");
}

// ---------------------------------------------------------------------------------------
// The window

TrainingKlineWnd::TrainingKlineWnd() { SetTypeName("TrainingKlineWnd"); }

TrainingKlineWnd::~TrainingKlineWnd() {
    if (m_hWnd && m_bAutoPlayTimer) KillTimer(kAutoPlayTimerId);
}

TrainingPicData* TrainingKlineWnd::GetTrainingLayer() const {
    return dynamic_cast<TrainingPicData*>(m_pDataLayer.get());
}

CTrainingRecord* TrainingKlineWnd::GetRecord() const {
    TrainingPicData* layer = GetTrainingLayer();
    return layer ? layer->GetRecord() : nullptr;
}

std::shared_ptr<TrainingChartOverlay> TrainingKlineWnd::GetTrainingOverlay() {
    if (m_aOverlays.size() < 2) return nullptr;
    return std::dynamic_pointer_cast<TrainingChartOverlay>(m_aOverlays[1]);
}

void TrainingKlineWnd::CreateDataLayer() {
    m_pDataLayer = std::make_shared<TrainingPicData>(static_cast<ITrainingChartOwner*>(this));
    m_pDataLayer->SetDataType(PicDataLayer::kDay, 1);
}

void TrainingKlineWnd::CreateDrawToolOverlay() {
    // The installed drawing tools bring their own overlay, which is taken with the
    // session's file instead of the security's; without them the slot holds the empty
    // training one, which knows the session's file all the same.
    CKlineChartWnd::CreateDrawToolOverlay();
    if (std::dynamic_pointer_cast<KlineDrawToolOverlay>(m_aOverlays[0]))
        m_aOverlays[0] = std::make_shared<TrainingKlineDrawTools>(this);
    else if (m_aOverlays[0] && typeid(*m_aOverlays[0]) == typeid(chart::DrawToolOverlay))
        m_aOverlays[0] = std::make_shared<TrainingDrawToolOverlay>(this);
}

void TrainingKlineWnd::CreateChartOverlay() {
    m_aOverlays[1] = std::make_shared<TrainingChartOverlay>(this);
}

void TrainingKlineWnd::CreateTipOverlay() {
    m_aOverlays[2] = std::make_shared<TrainingPicTipOverlay>(this);
}

int TrainingKlineWnd::SetContextObject(void* object) {
    auto* record = static_cast<CTrainingRecord*>(object);
    TrainingPicData* layer = GetTrainingLayer();
    if (!layer || layer->GetRecord() == record) return 1;
    StopAutoPlayTimer();
    layer->SetRecord(record);
    if (!record) return 1;
    // Another session starts from nothing: its bars, its reveal, its view.
    if (!CKlineChartWnd::SetSecurity(record->code, nullptr)) {
        if (auto tools = GetDrawToolOverlay()) tools->LoadTools();
        ResetLayers();
        layer->Detach();
        layer->RequestData();
    }
    return 1;
}

void TrainingKlineWnd::OnDestroying() {
    StopAutoPlayTimer();
    CKlineChartWnd::OnDestroying();
}

template <class Step>
bool TrainingKlineWnd::RunStep(Step step) {
    ++m_nStepDepth;
    const bool moved = step();
    if (--m_nStepDepth == 0 && m_bUpdatePending) {
        m_bUpdatePending = false;
        if (m_hWnd) UpdateWindow();
    }
    return moved;
}

void TrainingKlineWnd::Repaint(bool updateNow) {
    if (updateNow && m_nStepDepth > 0 && m_hWnd) {
        Invalidate(FALSE);
        m_bUpdatePending = true;
        return;
    }
    CKlineChartWnd::Repaint(updateNow);
}

LRESULT TrainingKlineWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == kAutoPlayTimerId) {
        TrainingPicData* layer = GetTrainingLayer();
        const bool moved = layer && RunStep([layer] { return OnAutoPlayTick(*layer); });
        // Without a panel to stop it, the tick stops itself.
        if (!moved && !FindTrainingPanel()) StopAutoPlayTimer();
        return 0;
    }
    return CKlineChartWnd::WindowProc(msg, wParam, lParam);
}

// --- ITrainingChartOwner ---

TrainingReveal* TrainingKlineWnd::GetReveal() {
    auto overlay = GetTrainingOverlay();
    return overlay ? &overlay->m_reveal : nullptr;
}

ITrainingPanel* TrainingKlineWnd::FindTrainingPanel() {
    if (m_pPanel) return m_pPanel;
    return FindTrainingAssist(m_pLayoutNode);
}

bool TrainingKlineWnd::ShowPrompt(const std::string& text, Prompt kind) {
    if (kind == Prompt::YesNo)
        return ::MessageBox(nullptr, text.c_str(), "提示", MB_YESNO | MB_ICONQUESTION) == IDYES;
    ::MessageBox(nullptr, text.c_str(), "提示", MB_OK | MB_ICONINFORMATION);
    return false;
}

// --- ITrainingChartControl ---

bool TrainingKlineWnd::StepNextBar(bool autoPlay) {
    auto overlay = GetTrainingOverlay();
    return overlay && RunStep([&] { return overlay->StepNextBar(autoPlay); });
}

void TrainingKlineWnd::ScrollToLastBar() {
    auto overlay = GetTrainingOverlay();
    TrainingPicData* layer = GetTrainingLayer();
    if (!overlay || !layer) return;
    if (overlay->m_bCursorMode || overlay->m_nCursor >= 0) overlay->ExitCursorMode(false);
    if (overlay->m_nEnd == overlay->m_reveal.revealedCount) return;
    overlay->m_nEnd = overlay->m_reveal.revealedCount;
    overlay->Layout();
    if (overlay->CalcIndicators(layer->GetBegin(), layer->GetEnd())) Repaint(false);
    overlay->RecalcPanes();
    Repaint(true);
}

void TrainingKlineWnd::StartAutoPlayTimer() {
    if (!m_hWnd) return;
    SetTimer(kAutoPlayTimerId, kAutoPlayTimerMs);
    m_bAutoPlayTimer = true;
}

void TrainingKlineWnd::StopAutoPlayTimer() {
    if (m_hWnd && m_bAutoPlayTimer) KillTimer(kAutoPlayTimerId);
    m_bAutoPlayTimer = false;
}

bool TrainingKlineWnd::HasRightsIssueBeforeNextBar() {
    TrainingPicData* layer = GetTrainingLayer();
    const TrainingReveal* reveal = GetReveal();
    if (!layer || !reveal) return false;
    CFloatDayItem next;
    return layer->LoadedBar(reveal->revealedCount, next) &&
           layer->HasRightsIssueFrom(layer->KeyDate(next.m_nTime));
}

void TrainingKlineWnd::RepaintChart() { Repaint(true); }

std::string TrainingKlineWnd::GetToolFilePath() const {
    const TrainingPicData* layer = GetTrainingLayer();
    if (!layer) return "toolerr.xml";
    const CIndSecuCode& code = layer->GetCode();
    const std::string name = TrainingToolFilePath(layer->GetRecord(), code.m_nMarket,
                                                  code.m_strCode, layer->GetDataType(),
                                                  layer->GetPeriod());
    if (name == "toolerr.xml") return name;
    return GetAppInfo()->GetProgramDir() + name;
}

std::string TrainingKlineWnd::GetDrawingFilePath() const {
    const std::string path = GetToolFilePath();
    // The file of ended sessions is named bare: it lives in the program's directory, not
    // wherever the program happened to be started from.
    if (path == "toolerr.xml") return GetAppInfo()->GetProgramDir() + path;
    return path;
}

void RegisterTrainingChartTypes() {
    RegisterElementType("TrainingKlineWnd", [] { return std::make_unique<TrainingKlineWnd>(); });
}
