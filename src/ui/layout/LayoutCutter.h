#pragma once
// The splitter window between the two children of an inner layout node. The user drags it
// to resize the panes, may collapse one side with the arrow buttons drawn on it, and uses
// its context menu to hide the bar or allow collapsing each side. Every change the user
// makes marks the host's layout modified, so the layout file keeps it.
//
// CSplitBar is the windowless divider the chart panes drag: an XOR line drawn on the host
// window while the drag lasts.
#include "platform/Wnd.h"

class CLayoutManager;
class CElementHost;

inline constexpr UINT ID_CUTTER_ALLOW_FIRST = 42130;
inline constexpr UINT ID_CUTTER_ALLOW_SECOND = 42131;
inline constexpr UINT ID_CUTTER_HIDE_BAR = 42132;

class CLayoutCutter : public CWnd {
public:
    CLayoutCutter(CElementHost* holder, CLayoutManager* node);
    ~CLayoutCutter() override;

    // Records the orientation (1: vertical bar between side-by-side panes) and creates
    // the window as a visible child of the holder.
    BOOL Init(int orientation);
    // 0 when the bar is hidden or no side may collapse, else 10.
    int GetGap() const;
    // side 0: hidden side 0 <-> 1; side 1: 0 <-> 2. Lays the node out again.
    void ToggleHideSide(int side);
    void RecalcButtons();
    // The distance a dragged bar keeps from the node's far edge.
    int DragExtent() const;
    // Control id the next cutter takes (ids run 10000, 10001, ... process-wide).
    static UINT PeekNextControlId();

    int OnCreate(LPCREATESTRUCT cs) override;
    void OnPaint() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnLButtonDown(UINT flags, CPoint pt) override;
    void OnMouseMove(UINT flags, CPoint pt) override;
    void OnLButtonUp(UINT flags, CPoint pt) override;
    void OnMouseLeave() override;
    void OnRButtonUp(UINT flags, CPoint pt) override;
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Handles 42130-42132; false for any other id.
    bool HandleCommand(UINT id);
    // Draws the bar into dc (what WM_PAINT shows).
    void Draw(CDC* dc);

    CElementHost* m_pHolder;
    int m_bVertical = 0;
    CLayoutManager* m_pNode;
    CRect m_rcClient;
    CRect m_rcDrag;
    CPoint m_ptGrab;
    int m_bDragging = 0;
    int m_nStyleEx = 1;
    BYTE m_nSplitCtrl = 0;
    CRect m_rcButton1, m_rcButton2;
    BYTE m_nHotButton = 0;
    BYTE m_nHiddenSide = 0;

private:
    HCURSOR ResizeCursor() const;
    void DrawArrow(CDC* dc, const CRect& button, int direction, bool hot);
    void MarkModified();
};

class CSplitBar {
public:
    CSplitBar();
    virtual ~CSplitBar();
    virtual void BeginDrag(CWnd* wnd, int x, int y);
    virtual BOOL Track(int x, int y);
    virtual void EndDrag(CWnd* wnd);
    virtual void DrawLine(CDC* dc);
    virtual BOOL HitTest(int x, int y) const;
    virtual HCURSOR GetCursor() const;
    virtual void ShowLine(int x, int y);
    virtual void MoveLine(int x, int y);
    virtual void HideLine();

    int m_nOrientation = 1;  // 1: a horizontal line that moves up and down
    CRect m_rcBounds;
    int m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
    int m_nPos = 0;
    int m_nPenWidth = 2;
    int m_nSpare = 0;
    bool IsDragging() const { return m_pDC != nullptr; }

private:
    void DrawXor();
    CDC* m_pDC = nullptr;
    CWnd* m_pWnd = nullptr;
};
