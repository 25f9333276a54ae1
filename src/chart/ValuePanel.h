#pragma once
// The floating value panel: a narrow window (64 pixels) beside the chart that shows the
// values of the bar, minute or tick under the chart cursor - date and time, prices,
// change, volume and amount. One panel serves the whole application; its position is
// process-wide ("system"/"ValueBar" Left and Top of the settings, read once). The chart's
// pane title drawing feeds it as the cursor moves; showing it puts the chart into cursor
// mode (0x806C to the chart) and hiding it takes the chart out (0x806D). It never keeps
// the keyboard: a focus it gets goes back to its chart.

#include <cstdint>
#include <string>
#include <vector>

#include "marketdata/DayItem.h"
#include "ui/dialog/DlgTemplate.h"

class CSecurity;
class CElementWnd;

namespace chart {

inline constexpr uint32_t kMsgPanelCursorMoved = 0x806B;
inline constexpr uint32_t kMsgPanelShown = 0x806C;
inline constexpr uint32_t kMsgPanelHiding = 0x806D;

class CDlgValueBar : public CDlgTemplate {
public:
    static constexpr int kFactoryId = 0;
    static constexpr int kWidth = 64;
    static constexpr int kRowPitch = 16;

    // One painted line: a label on the left, or a value on the right in a colour.
    struct Line {
        std::string text;
        bool right = false;
        int color = 0;  // CommonColor index
    };

    CDlgValueBar();
    static CDlgTemplate* Make(CWnd* parent);

    // Height by data type: 248 intraday, 253 historical intraday, 153 ticks, 373 K-lines.
    static int PanelHeight(int16_t dataType);
    // A saved position brought back on screen: Top 253 when less than 50 pixels of the
    // panel's top would show, Left 1000 likewise.
    static CPoint ClampPosition(int left, int top, int screenWidth, int screenHeight);
    // The process-wide position (read from the settings when the first panel is made).
    static CPoint GetPosition();
    static void SetPosition(CPoint pt);

    // The tick record (40 bytes), the intraday minute record (61 bytes), a K-line bar.
    // Each stores what changed and repaints only then. A bar whose four prices are all 0.1
    // is a placeholder: the figures and the reference become 0.
    void SetTickValues(double reference, const uint8_t* record, int16_t dataType, CSecurity* security);
    void SetMinuteValues(const uint8_t* record, double reference, int16_t dataType, CSecurity* security);
    void SetBarValues(const CFloatDayItem& bar, double reference, int16_t dataType, CSecurity* security);

    // Places the panel and shows it without taking the keyboard; the owner chart goes into
    // cursor mode.
    void ShowPanel();
    // reason 0: hidden by the program, 1: the close box. The owner chart leaves cursor mode.
    void HidePanel(int reason);
    void SetOwnerChart(CElementWnd* chart) { m_pOwnerChart = chart; }
    CElementWnd* GetOwnerChart() const { return m_pOwnerChart; }

    // The lines the panel paints, in order (empty without a security).
    std::vector<Line> Lines() const;

    // --- CDlgTemplate ---
    void LoadSkin() override;
    void BuildControls() override;
    void OnChartWndClosing(CWnd* window) override;
    void HidePopup() override;
    void DrawTitle(CDC* dc) override;
    void OnCancel() override { HidePanel(1); }
    void OnOK() override {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    int16_t m_nDataType = 2;
    CSecurity* m_pSecurity = nullptr;
    double m_fReference = 1.0;
    uint8_t m_tick[40] = {};
    uint8_t m_minute[61] = {};
    CFloatDayItem m_bar{};
    int m_nRequestedWidth = 100;
    int m_nRequestedHeight = 100;

private:
    void ApplyPlacement(bool show);
    void Changed(bool placement, bool tellOwner);
    CElementWnd* m_pOwnerChart = nullptr;
};

class ChartOverlay;

// The pane title of the price pane was drawn for bar index (negative: the last bar). In
// cursor mode the panel follows this chart: shown beside it when it was hidden or showed
// another chart, then filled with the bar's record; a historical intraday chart fills the
// intraday popup's query box instead. Outside cursor mode a panel that follows this chart
// is hidden.
void FeedValuePanel(ChartOverlay& chart, int32_t index);

// The main window moved by delta (screen pixels): a shown panel moves with it, so it stays
// beside the chart it serves, and the process-wide position follows; a hidden one keeps its
// place (a chart anchors it beside itself before showing it).
void MoveValuePanelWithFrame(CPoint delta);

// The application's one panel; made through the dialog factory on first use (owned by the
// main window when there is one). create false: null while none exists.
CDlgValueBar* GetValueBar(bool create = true);

}  // namespace chart
