#pragma once
// The chart's own message actions (second in the dispatch after the drawing tools'):
//  1: split-bar drag start/end, hover, leave, double-click cursor, keys (zoom, cursor,
//     paging), typed codes and style letters, the chart's commands, 0x8068 answers;
//  2: pane selection on button-up, split-bar tracking;
//  3: mouse move: cursors, hover states, the cursor following the mouse.

#include <cstdint>
#include <functional>
#include <string>

#include "chart/PicOverlay.h"
#include "platform/Gdi.h"

class CDlgTemplate;

namespace chart {

class ChartOverlay;

// User messages the chart answers.
inline constexpr uint32_t kMsgButtonReleased = 0x465;
inline constexpr uint32_t kMsgCommandState = 0x8068;
inline constexpr uint32_t kMsgValueBarShown = 0x806C;
inline constexpr uint32_t kMsgValueBarHiding = 0x806D;

// Chart commands.
inline constexpr int kCmdMostUsedInd = 39938;
inline constexpr int kCmdKLineFirst = 39941;  // .. 39946, KLineType 1..6
inline constexpr int kCmdPeriodFirst = 39981;  // .. 39995
inline constexpr int kCmdMostUsedPeriod = 39998;
inline constexpr int kCmdIndicatorFirst = 45000;  // .. 45011
inline constexpr int kCmdFormula = 45018;
inline constexpr int kCmdDrawLine = 45600;
inline constexpr int kCmdPan = 45601;
inline constexpr int kCmdSettings = 45602;
inline constexpr int kCmdIndicatorParams = 45603;
inline constexpr int kCmdRightsFirst = 50122;  // .. 50124
inline constexpr int kCmdAxisFirst = 50125;    // .. 50129

// Every modal dialog the chart's commands open (most-used indicators, formula editor,
// indicator parameters, common periods) is handed to this observer right before it runs;
// tests drive the dialog from there. Null: nobody is told.
using ChartDialogObserver = std::function<void(CDlgTemplate& dialog)>;
void SetChartDialogObserver(ChartDialogObserver observer);

// The period a typed code selects; false for texts that are no period code.
bool TypedCodeToPeriod(const std::string& text, int16_t dataType, int16_t period,
                       int16_t& newType, int16_t& newPeriod);
// Visible count after zoom steps (in: two thirds while at least 26; out: half again, up
// to 110 % of the bars and never below the start).
int32_t ZoomedCount(int32_t visible, bool zoomIn, int steps, int32_t barCount);

class ChartOverlayAction1 : public POMsgAction {
public:
    using POMsgAction::POMsgAction;
    int OnMsg(int type, OverlayMsgArgs& args) override;
    int m_bPanKeys = 0;     // Ctrl + paging keys scroll the range
    int m_bSecurityStep = 0; // PgUp/PgDn step through the security's group

private:
    ChartOverlay* Chart() const;
    int OnKey(ChartOverlay& c, OverlayMsgArgs& args);
    int OnText(ChartOverlay& c, OverlayMsgArgs& args);
    int OnCommand(ChartOverlay& c, OverlayMsgArgs& args);
    int OnUser(ChartOverlay& c, OverlayMsgArgs& args);
    void EnterCursorAt(ChartOverlay& c, int32_t bar);
};

class ChartOverlayAction2 : public POMsgAction {
public:
    using POMsgAction::POMsgAction;
    int OnMsg(int type, OverlayMsgArgs& args) override;
};

class ChartOverlayAction3 : public POMsgAction {
public:
    using POMsgAction::POMsgAction;
    int OnMsg(int type, OverlayMsgArgs& args) override;
    int m_bTimeBandCursor = 1;
    // The cursor the last mouse move set (null: the arrow).
    HCURSOR m_hLastCursor = nullptr;

private:
    // The time band's zoom cursor (none on intraday charts) and a split bar's cursor; claim
    // is set for both places, which no later action sees.
    HCURSOR ChooseCursor(ChartOverlay& c, CPoint pt, bool& claim) const;
};

}  // namespace chart
