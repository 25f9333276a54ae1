#pragma once
// The thin scroll bar of the grids: a flat track with a flat thumb, 6 pixels thick. It
// keeps its own scroll state (never the system's) and reports straight to the grid that
// owns it instead of sending scroll messages.
#include "platform/Wnd.h"

class CScrollUI;

class CXScrollBar : public CWnd {
public:
    static constexpr int kThickness = 6;

    explicit CXScrollBar(CScrollUI* owner = nullptr);

    // SBS_VERT in the style makes a vertical bar.
    BOOL CreateBar(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // Takes what the mask names, then keeps maximum >= minimum and the position inside
    // the range. Never repaints: the owner invalidates.
    int SetScrollInfo(const SCROLLINFO* info, BOOL redraw = TRUE);
    // The position clamped into the range; returns the previous one.
    int SetScrollPos(int pos, BOOL redraw = TRUE);
    const SCROLLINFO& GetInfo() const { return m_info; }

    // The thumb in bar coordinates; empty when there is nothing to show.
    CRect GetThumbRect() const;
    // Drag step: d is the mouse coordinate along the bar less the drag offset.
    void DragTo(int d);
    // Mouse steps in bar coordinates (the window handlers call these; tests too).
    void PressAt(CPoint pt);
    void MoveTo(CPoint pt);
    void ReleaseAt(CPoint pt);

    void SetColors(COLORREF back, COLORREF thumb) {
        m_clrBack = back;
        m_clrThumb = thumb;
    }
    // For an owner-less bar or a host that sizes it without a window (tests).
    void SetClientRect(const CRect& rc) {
        m_rcClient = rc;
        Normalize();
    }
    void Paint(CDC* dc);

    CScrollUI* m_pOwner;
    BOOL m_bHorizontal = TRUE;
    SCROLLINFO m_info{};
    CRect m_rcClient;
    BOOL m_bDragging = FALSE;
    int m_nDragOffset = 0;
    COLORREF m_clrBack = 0;   // 0: the colour-table entry "uniScrollBar_Back"
    COLORREF m_clrThumb = 0;  // 0: "uniScrollBar_ThumbBack"

    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void OnLButtonDown(UINT flags, CPoint pt) override;
    void OnMouseMove(UINT flags, CPoint pt) override;
    void OnLButtonUp(UINT flags, CPoint pt) override;
    void OnSize(UINT type, int cx, int cy) override;

private:
    void Normalize();
    int Length() const;
    void Report(int code, int pos);
};
