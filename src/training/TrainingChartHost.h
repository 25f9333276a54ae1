#pragma once
// What a training chart's data layer and its bar stepping need of the windows around
// them: the chart window that owns the layer (with its training overlay's reveal state),
// the control panel the revealed bar goes to, and the message boxes of a session. The
// training chart window and the panel implement these; the stepping itself stays
// portable and is tested headless against fakes.
//
// UI thread only.

#include <cstdint>
#include <string>

#include "marketdata/PicDataLayer.h"

// The three fields the training overlay adds to a chart overlay. Bars at and after
// revealedCount are hidden; revealLimit is one past the session's last bar (the bar of
// EndDate); dataBegin is the first index the view may show (-1: not loaded yet).
struct TrainingReveal {
    int32_t revealLimit = 0;
    int32_t dataBegin = -1;
    int32_t revealedCount = 0;

    void Reset() { *this = TrainingReveal(); }
};

// The visible range of a chart overlay with its cursor (-1: none).
struct TrainingViewRange {
    int32_t start = 0;
    int32_t end = 0;
    int32_t visible = 0;
    int32_t cursor = -1;
};

// The training overlay's range rules, for its ClampRange and Layout slots. The end never
// passes the revealed count; once the whole period is revealed a right margin stays empty.
void ClampTrainingRange(TrainingViewRange& range, const TrainingReveal& reveal);
void LayoutTrainingRange(TrainingViewRange& range, const TrainingReveal& reveal,
                         int32_t dataFirst, int32_t dataEnd);

// The control panel of a trend-training workspace (layout leaf 2), as the chart sees it.
class ITrainingPanel {
public:
    virtual ~ITrainingPanel() = default;
    virtual void SetQuote(double open, double high, double low, double close, double preclose,
                          double volume, int16_t dataType, int16_t period, int64_t time) = 0;
    virtual void RepaintPanel() = 0;
    // Stops, journal and review after a revealed bar.
    virtual void OnBarAdvanced() = 0;
    virtual void UpdateAccountBox() = 0;
    virtual void StopAutoPlay() = 0;
    // Starts auto-play when it is not running (next year's minute bars arrived).
    virtual void EnsureAutoPlay() = 0;
    // The clock reached the end of the period; the session has just ended.
    virtual void OnPeriodEnded() = 0;
};

// The training chart window as its data layer sees it.
class ITrainingChartOwner : public IPicDataOwner {
public:
    enum class Prompt { Info, YesNo };

    // The reveal state of the window's training overlay; null when it has none.
    virtual TrainingReveal* GetReveal() = 0;
    // The panel at layout leaf 2; null when the workspace has none.
    virtual ITrainingPanel* FindTrainingPanel() = 0;
    // A message box captioned "提示" with no owner window. True when a Yes/No box was
    // answered Yes.
    virtual bool ShowPrompt(const std::string& text, Prompt kind) = 0;
};

// The training chart window (layout leaf 1) as the control panel drives it.
class ITrainingChartControl {
public:
    virtual ~ITrainingChartControl() = default;
    // The overlay's StepNextBar.
    virtual bool StepNextBar(bool autoPlay) = 0;
    // Scrolls the view back to the revealed bars and leaves crosshair mode.
    virtual void ScrollToLastBar() = 0;
    // Timer 20000 on the chart window, every 1000 ms; each tick steps one bar.
    virtual void StartAutoPlayTimer() = 0;
    virtual void StopAutoPlayTimer() = 0;
    // True when the bar the next step reveals exists and buying now would buy into a
    // rights issue before it (TrainingPicData::HasRightsIssueFrom).
    virtual bool HasRightsIssueBeforeNextBar() = 0;
    virtual void RepaintChart() = 0;
};
