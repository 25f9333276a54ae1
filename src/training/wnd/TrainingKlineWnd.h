#pragma once
// The K-line chart of a trend-training session ("TrainingKlineWnd", leaf 1 of the trend
// training workspace). It is the ordinary chart window with four things changed: its data
// layer is a TrainingPicData, its three overlays hide everything after the training clock,
// it keeps the session record the workspace hands it, and it runs the auto-play tick
// (timer 20000, set and killed by the control panel).
//
// The control panel (leaf 2) drives it through ITrainingChartControl; its data layer and
// the bar stepping reach it through ITrainingChartOwner.
//
// UI thread only.

#include <memory>
#include <string>

#include "chart/ChartOverlay.h"
#include "chart/KlineChartWnd.h"
#include "training/TrainingChartHost.h"

class CTrainingRecord;
class TrainingPicData;

// The chart overlay of a training chart: the view never shows a bar after the clock, and
// the clock moves only through StepNextBar.
class TrainingChartOverlay : public chart::ChartOverlay {
public:
    explicit TrainingChartOverlay(CKlineChartWnd* owner);

    void Reset() override;
    void CreateActions() override;
    int32_t GetDataEnd() const override { return m_reveal.revealedCount; }
    int32_t GetDataBegin() const override { return m_reveal.dataBegin; }
    void BindDataLayer() override;
    void Draw(CDC* dc, bool fill) override;
    void ClampRange() override;
    void Layout() override;

    // Reveals one bar (or completes the partial current bar); false when nothing moved.
    bool StepNextBar(bool autoPlay);
    TrainingPicData* GetTrainingLayer() const;

    TrainingReveal m_reveal;
};

// Hover tips show dates: off while a session with hidden dates runs.
class TrainingPicTipOverlay : public chart::PicTipOverlay {
public:
    using PicTipOverlay::PicTipOverlay;
    bool IsTipEnabled() const override;
};

// The drawing-tool slot of a training chart: each running session keeps its drawings in a
// file of its own per chart period.
class TrainingDrawToolOverlay : public chart::DrawToolOverlay {
public:
    using DrawToolOverlay::DrawToolOverlay;
    std::string GetToolFilePath() const;
};

class TrainingKlineWnd : public CKlineChartWnd,
                         public ITrainingChartOwner,
                         public ITrainingChartControl {
public:
    TrainingKlineWnd();
    ~TrainingKlineWnd() override;

    // --- CKlineChartWnd ---
    int SetContextObject(void* object) override;
    void CreateDataLayer() override;
    void CreateDrawToolOverlay() override;
    void CreateChartOverlay() override;
    void CreateTipOverlay() override;
    void OnDestroying() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // --- IPicDataOwner (both bases name it; the chart window answers) ---
    void* GetWindowHandle() const override { return CKlineChartWnd::GetWindowHandle(); }
    std::shared_ptr<IChartOverlay> GetChartOverlay() override {
        return CKlineChartWnd::GetChartOverlay();
    }
    bool GetDrawToolMode(uint16_t& mode) override { return CKlineChartWnd::GetDrawToolMode(mode); }
    void ResetSeries() override { CKlineChartWnd::ResetSeries(); }
    void OnDataNotify(WPARAM wParam, LPARAM lParam) override {
        CKlineChartWnd::OnDataNotify(wParam, lParam);
    }
    void RefreshTipAtCursor() override { CKlineChartWnd::RefreshTipAtCursor(); }
    // During a step the update waits for the step's end, so that the chart and the panel it
    // hands the bar to are painted together.
    void Repaint(bool updateNow) override;
    void ShowIntradayPicture(const CIndSecuCode& code, uint32_t date, const CFloatDayItem& bar,
                             double referencePrice) override {}

    // --- ITrainingChartOwner ---
    TrainingReveal* GetReveal() override;
    ITrainingPanel* FindTrainingPanel() override;
    bool ShowPrompt(const std::string& text, Prompt kind) override;

    // --- ITrainingChartControl ---
    bool StepNextBar(bool autoPlay) override;
    void ScrollToLastBar() override;
    void StartAutoPlayTimer() override;
    void StopAutoPlayTimer() override;
    bool HasRightsIssueBeforeNextBar() override;
    void RepaintChart() override;

    // The session shown (null before the workspace handed one over).
    CTrainingRecord* GetRecord() const;
    std::shared_ptr<TrainingChartOverlay> GetTrainingOverlay();
    TrainingPicData* GetTrainingLayer() const;
    // Where this chart's drawings are kept: a file per running session and period under
    // the program's "Data/Tools/", "toolerr.xml" without a session or once it ended.
    std::string GetToolFilePath() const;
    // The same as a file the drawing tools read and write: the ended sessions' bare
    // "toolerr.xml" is taken in the program's directory.
    std::string GetDrawingFilePath() const;
    // The panel the revealed bars go to instead of layout leaf 2 (tests); null: leaf 2.
    void SetPanel(ITrainingPanel* panel) { m_pPanel = panel; }
    bool IsAutoPlayTimerSet() const { return m_bAutoPlayTimer; }

private:
    // Runs one step of the clock (a press of "下一根", an auto-play tick).
    template <class Step>
    bool RunStep(Step step);

    ITrainingPanel* m_pPanel = nullptr;
    bool m_bAutoPlayTimer = false;
    int m_nStepDepth = 0;
    bool m_bUpdatePending = false;
};

// Registers "TrainingKlineWnd" with the layout's window factory.
void RegisterTrainingChartTypes();
