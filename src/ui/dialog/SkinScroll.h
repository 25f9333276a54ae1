#pragma once
// A skinned scroll bar and the frame that puts two of them in place of a text control's
// own bars. The frame takes the control's place among its parent's children, moves the
// control into a clipping window narrower (lower) than the control by the bars' width, so
// that the control's own bars lie outside what is shown, and mirrors the control's scroll
// state into the skinned bars; the bars' scrolling goes back to the control.
#include "platform/Controls.h"

class CSkinScrollBar : public CScrollBar {
public:
    enum { kTimerDelay = 200, kTimerRepeat = 100 };
    // A window of the layer's own (SBS_VERT for a vertical bar).
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    bool IsVertical() const;
    int Usable() const;
    int ThumbLength() const;
    int Range() const;
    int ThumbOffset() const;
    // Part rectangles (inset to the 6-pixel track) and the hit test (SB_ codes, -1 none).
    CRect PartRect(int part) const;
    int HitTest(CPoint pt) const;
    // The position a drag of delta pixels from the drag start gives (clamped).
    int DragPosition(int delta) const;
    COLORREF BackColor() const { return m_clrBk ? m_clrBk : RGB(204, 204, 204); }
    COLORREF ThumbColor() const { return m_clrThumb ? m_clrThumb : RGB(138, 147, 161); }

    COLORREF m_clrBk = 0;
    COLORREF m_clrThumb = 0;
    SCROLLINFO m_si{};
    int m_nLength = 0;
    int m_nArrowLength = 0;
    bool m_bDragging = false;
    bool m_bRepeating = false;
    bool m_bOutside = false;
    CPoint m_ptDrag;
    int m_nDragStartPos = -1;
    int m_nPressedPart = -1;

private:
    void Notify(int code, int pos);
    void Paint(CDC* dc);
    void OnTimerTick();
    int Along(CPoint pt) const { return IsVertical() ? pt.y : pt.x; }
};

class CSkinScrollWnd : public CWnd {
public:
    enum { kHorzId = 100, kVertId = 101, kLimitId = 102 };
    static constexpr UINT UM_RELAYOUT = WM_USER + 104;

    CSkinScrollWnd();
    ~CSkinScrollWnd() override;
    // Called on a new frame once the control's window exists.
    BOOL AttachCtrl(CWnd* control);
    // The control's scroll state into the bars.
    void Mirror();
    void LayoutBars();
    void RelayoutLimit();

    int OnCreate(LPCREATESTRUCT cs) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void OnHScroll(UINT code, UINT pos, CWnd* bar) override;
    void OnVScroll(UINT code, UINT pos, CWnd* bar) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    CWnd* m_pCtrl = nullptr;
    CWnd m_wndLimit;
    CSkinScrollBar m_sbHorz;
    CSkinScrollBar m_sbVert;
    int m_nHookCookie = 0;
    bool m_bSuspended = false;
    int m_nExtraWidth = 1;
    CRect m_rcCtrl;
    bool m_bLeftBar = false;
    // What shows where a bar is hidden: the control's background when its owner sets it,
    // else the bars' own.
    COLORREF m_clrFill = CLR_NONE;

private:
    void MirrorBar(int bar, DWORD styleBit, CSkinScrollBar& sb);
    void ScrollCtrl(UINT msg, UINT code, UINT pos, int bar, CSkinScrollBar& sb);
};
