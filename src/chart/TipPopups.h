#pragma once
// Two popups that show tips outside the chart's own drawing.
//  - CTipBS (ui/status/TipBS.h): the speech bubble the status bar shows beside a point.
//  - CTipMulti: the main window's multi-line tip under the mouse. The chart's hover action
//    fills its pending lines; a single line "买卖记录-<type>-<key>-<direction>" turns it into
//    a small table of the training trades made on the bar under the mouse.
// Neither ever takes the keyboard: they are shown without activation, and one that gets
// the focus hands it straight back.

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/IndSecuCode.h"
#include "platform/Gdi.h"
#include "platform/Wnd.h"
#include "training/TrainingTypes.h"
#include "ui/status/TipBS.h"

class CTrainingRecord;

namespace chart {

// One tip line: a text, the security it names and a value (-1 for a plain line).
struct CTipItem {
    std::string text;
    CIndSecuCode code{-1, ""};
    int value = -1;
};

struct CTipArray : std::vector<CTipItem> {
    // Appends a plain line; its index.
    int AddTipLine(const std::string& text) {
        push_back(CTipItem{text, CIndSecuCode{-1, ""}, -1});
        return static_cast<int>(size()) - 1;
    }
};

// The trade rows of a training record for a tip line: day data (type 4) lists the trades
// of date = key with buy/sell byte direction, minute data (type 3) those whose yyyymmddhhmm
// equals the key; other types none.
std::vector<TradeDetailItem> TradeRowsOf(const CTrainingRecord& record, int16_t type, int64_t key, int direction);
// "多开", "空开", "多平", "空平" by opening/closing and long/short.
const char* TradeOperationText(int8_t bsdir, int8_t opdir);

class CTipMulti : public CWnd {
public:
    static constexpr UINT_PTR kShowTimer = 1;
    static constexpr UINT_PTR kHideTimer = 10001;
    static constexpr int kTableWidth = 250;
    static constexpr int kRowHeight = 17;
    static constexpr int kHeaderBand = 25;

    BOOL Create(CWnd* parent);
    // Show: the pending lines are shown beside the cursor soon (300 ms, 500 ms when already
    // visible); hide: the tip goes 300 ms later unless the cursor is on it.
    void ShowTip(CWnd* owner, bool show, bool anchorRight);
    // Timer 1's work: the pending lines become the shown ones and the tip is placed by
    // the cursor within a screen of that size.
    void PlaceAt(CPoint cursor, CSize screen);
    // Timer 10001's work: true when the tip went away.
    bool HideUnlessHovered(CPoint cursor);
    bool IsTradeTable() const;
    CSize MeasureSize();
    void Paint(CDC* dc);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    CTipArray m_pending;
    CTipArray m_shown;
    CWnd* m_pOwner = nullptr;
    std::vector<TradeDetailItem> m_trades;
    int m_nFirstRow = 0;
    int m_nAnchorStyle = 0;
    bool m_bHiding = false;
    bool m_bShowTimer = false;
    bool m_bHideTimer = false;
    CPoint m_ptLast{-1, -1};
    CPoint m_ptCursor{-1, -1};
    int m_nCharWidth = 0;
    int m_nTextHeight = 0;

private:
    void LoadTradeRows(const std::string& line);
    void StopTimer(UINT_PTR id);
    void StartTimer(UINT_PTR id, UINT ms);
};

// Element windows other than charts show their tip lines in the main window's tip (their
// mouse moves and leaves reach it through the element tip sink this installs).
void InstallElementTips();

// The main window's tip; made on first use (owned by the main window when there is one).
// create false: null while none exists.
CTipMulti* GetTipMulti(bool create = true);

}  // namespace chart
