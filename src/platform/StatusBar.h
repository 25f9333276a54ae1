#pragma once
// The status bar: a control bar at the bottom of a frame, divided into panes.
//
// - SetIndicators makes one pane per id. A pane whose id has a "STRING" resource shows
//   that text and is as wide as it; other panes start empty and 0 wide. The first
//   pane, when it is ID_SEPARATOR, stretches (SBPS_STRETCH) and has no border.
// - Layout: panes run from the left border, 3 pixels apart (SBPS_NOBORDERS panes too),
//   each its width plus 4 pixels of text margin; the stretching pane (the first with
//   SBPS_STRETCH) takes what the others leave. GetItemRect gives a pane's rectangle in
//   client coordinates, valid once the bar has a size.
// - SetPaneText stores the text and repaints the pane (with update); a pane's text does
//   not change its width. SetPaneInfo sets id, style and width at once.
// - CalcFixedLayout: as wide as the frame allows (32767 when stretched), as high as the
//   font's line plus the borders (at least 20 pixels).
// - Drawing: the face colour, each pane's text (SBPS_DISABLED: none) in a sunken frame
//   (SBPS_POPOUT: raised, SBPS_NOBORDERS: none). SBPS_OWNERDRAW panes send the parent
//   WM_DRAWITEM (CtlType 0, itemID the pane index, itemData 0) reflected to DrawItem.
#include <string>
#include <vector>

#include "platform/ControlBar.h"

#define ID_SEPARATOR 0
#define SBPS_NORMAL 0x0000
#define SBPS_NOBORDERS 0x0100
#define SBPS_POPOUT 0x0200
#define SBPS_OWNERDRAW 0x1000
#define SBPS_DISABLED 0x04000000
#define SBPS_STRETCH 0x08000000

class CStatusBar : public CControlBar {
public:
    CStatusBar();
    ~CStatusBar() override;
    virtual BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                        UINT id = AFX_IDW_STATUS_BAR);
    virtual BOOL CreateEx(CWnd* parent, DWORD ctrlStyle = 0,
                          DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                          UINT id = AFX_IDW_STATUS_BAR);
    BOOL SetIndicators(const UINT* ids, int count);
    int GetCount() const { return (int)m_panes.size(); }
    int CommandToIndex(UINT id) const;  // -1 when no pane has the id
    UINT GetItemID(int index) const;
    void GetItemRect(int index, LPRECT rc) const;
    void GetPaneInfo(int index, UINT& id, UINT& style, int& width) const;
    void SetPaneInfo(int index, UINT id, UINT style, int width);
    UINT GetPaneStyle(int index) const;
    void SetPaneStyle(int index, UINT style);
    BOOL SetPaneText(int index, const char* text, BOOL update = TRUE);
    std::string GetPaneText(int index) const;
    void GetPaneText(int index, std::string& text) const { text = GetPaneText(index); }
    // Draws an SBPS_OWNERDRAW pane; the default draws nothing.
    virtual void DrawItem(DRAWITEMSTRUCT* dis) {}

    CSize CalcFixedLayout(BOOL stretch, BOOL horz) override;
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    struct Pane {
        UINT id = 0;
        UINT style = 0;
        int width = 0;  // of the text, without the margins
        std::string text;
    };
    std::vector<Pane> m_panes;
    std::vector<CRect> LayoutPanes() const;
    void Paint();
};
