#pragma once
// Control bars: windows a frame docks along its edges (menu bar, tool bars, status bar).
//
// - The style given to Create holds two parts: the CBRS_* bits (the low 16 bits) are the
//   bar's own style (GetBarStyle), the rest the window style.
// - Docking: the frame's RecalcLayout walks its child control bars in creation order and
//   asks each visible one for its size: CalcDynamicLayout(-1, LM_HORZ | LM_HORZDOCK |
//   LM_STRETCH) for a bar with CBRS_SIZE_DYNAMIC, CalcFixedLayout(TRUE, horizontal)
//   otherwise. A bar aligned to the top (CBRS_ALIGN_TOP) is placed at the top of what is
//   left, as high as the answer's cy and as wide as the smaller of its cx and the room;
//   one aligned to the bottom likewise at the bottom, left and right bars take the cx.
//   The rest of the frame's client area is the view's (or the workspace's).
// - The defaults: CalcFixedLayout answers (32767 when stretched, else the window's
//   width) by the window's current height for horizontal bars, and the transposed for
//   vertical ones; CalcDynamicLayout answers CalcFixedLayout(mode & LM_STRETCH,
//   mode & LM_HORZ).
// - EnableDocking records the sides the bar may dock on (the frame keeps bars on the
//   side their CBRS_ALIGN_* bits name; there is no floating).
// - OnUpdateCmdUI is called by the frame when the bar should bring its items up to date.
#include "platform/Wnd.h"

// control bar styles
#define CBRS_FLOATING 0x0001L
#define CBRS_SIZE_FIXED 0x0002L
#define CBRS_SIZE_DYNAMIC 0x0004L
#define CBRS_HIDE_INPLACE 0x0008L
#define CBRS_TOOLTIPS 0x0010L
#define CBRS_FLYBY 0x0020L
#define CBRS_FLOAT_MULTI 0x0040L
#define CBRS_BORDER_3D 0x0080L
#define CBRS_BORDER_LEFT 0x0100L
#define CBRS_BORDER_TOP 0x0200L
#define CBRS_BORDER_RIGHT 0x0400L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_BORDER_ANY 0x0F00L
#define CBRS_ALIGN_LEFT 0x1000L
#define CBRS_ALIGN_TOP 0x2000L
#define CBRS_ALIGN_RIGHT 0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_ALIGN_ANY 0xF000L
#define CBRS_ORIENT_HORZ (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)
#define CBRS_ORIENT_VERT (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)
#define CBRS_ALL 0x0040FFFFL
#define CBRS_GRIPPER 0x00400000L
#define CBRS_TOP (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)
#define CBRS_LEFT (CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT)
#define CBRS_RIGHT (CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT)
// layout modes of CalcDynamicLayout
#define LM_STRETCH 0x01
#define LM_HORZ 0x02
#define LM_MRUWIDTH 0x04
#define LM_HORZDOCK 0x08
#define LM_VERTDOCK 0x10
#define LM_LENGTHY 0x20
#define LM_COMMIT 0x40
// standard ids of the frame's bars
#define AFX_IDW_TOOLBAR 0xE800
#define AFX_IDW_STATUS_BAR 0xE801
#define AFX_IDW_MENUBAR 0xE81A

class CFrameWnd;

class CControlBar : public CWnd {
public:
    CControlBar();
    ~CControlBar() override;
    virtual CSize CalcFixedLayout(BOOL stretch, BOOL horz);
    virtual CSize CalcDynamicLayout(int length, DWORD mode);
    DWORD GetBarStyle() const { return m_dwStyle; }
    virtual void SetBarStyle(DWORD style) { m_dwStyle = style & CBRS_ALL; }
    void EnableDocking(DWORD align) { m_dwDockStyle = align & CBRS_ALIGN_ANY; }
    DWORD GetDockStyle() const { return m_dwDockStyle; }
    BOOL IsFloating() const { return FALSE; }
    BOOL IsHorz() const { return (m_dwStyle & CBRS_ORIENT_HORZ) != 0; }
    // The frame the bar belongs to: its parent when that is a frame.
    CFrameWnd* GetDockingFrame() const;
    virtual void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) {}
    // The size the frame gives the bar when it lays out its edges.
    CSize GetLayoutSize(BOOL stretch);

    // Borders around the bar's contents, in pixels.
    int m_cxLeftBorder = 0, m_cxRightBorder = 0, m_cyTopBorder = 0, m_cyBottomBorder = 0;
    DWORD m_dwStyle = 0;
    DWORD m_dwDockStyle = 0;

protected:
    // Creates the window with the window bits of style; keeps the CBRS_* bits.
    BOOL CreateBar(DWORD style, const RECT& rect, CWnd* parent, UINT id,
                   const char* className = nullptr);
};
