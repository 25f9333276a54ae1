#pragma once
// Buttons and static texts. Both are windows the layer draws itself (no toolkit widget),
// so a subclass changes their look by owner drawing and their behaviour by handling
// the mouse messages without calling the default, exactly as with the classic controls.
//
// CButton
// - Kinds (the low four style bits): push, default push, check box, auto check box,
//   three-state, auto three-state, radio, auto radio, group box, owner draw.
// - BM_GETCHECK / BM_SETCHECK: the check state (BST_UNCHECKED, BST_CHECKED,
//   BST_INDETERMINATE). Setting it repaints; only check boxes and radio buttons keep it,
//   push buttons answer BST_UNCHECKED. The member functions send the messages, so a
//   subclass that answers them itself is what GetCheck and SetCheck see.
// - BM_GETSTATE: the check state | BST_PUSHED while the button is held down | BST_FOCUS
//   while it has the focus. BM_SETSTATE (wParam nonzero) shows or clears the pushed look.
// - A click (left button down and up over the button, space down and up while focused,
//   or BM_CLICK) first updates an auto button: an auto check box toggles (an auto
//   three-state one steps unchecked, checked, indeterminate), an auto radio button is
//   checked and every other radio button of its group (GetNextDlgGroupItem: from a
//   WS_GROUP child to the next) is unchecked. Then the parent gets WM_COMMAND with
//   MAKEWPARAM(id, BN_CLICKED) and the button's handle. A double-click counts as a
//   second press. The button holds the capture between press and release; releasing
//   outside it clicks nothing.
// - Owner draw (BS_OWNERDRAW): each paint sends the parent WM_DRAWITEM (ODT_BUTTON, a
//   DRAWITEMSTRUCT whose hDC is the paint DC and whose itemState has ODS_SELECTED while
//   pushed, ODS_FOCUS, ODS_DISABLED, ODS_CHECKED). A parent that leaves the message to
//   the default handling reflects it to the button, whose DrawItem draws.
// - WM_GETDLGCODE: DLGC_BUTTON with DLGC_DEFPUSHBUTTON or DLGC_UNDEFPUSHBUTTON for push
//   buttons, DLGC_RADIOBUTTON for radio buttons, DLGC_STATIC for group boxes.
// - Colours: the parent is asked with WM_CTLCOLORBTN (check boxes, radios and group
//   boxes with WM_CTLCOLORSTATIC); a CBrush* answer is the background, the DC's text
//   colour the text.
//
// CStatic
// - Text aligned by SS_LEFT / SS_CENTER / SS_RIGHT, vertically centred with
//   SS_CENTERIMAGE, on one line unless it wraps at words (SS_LEFT without SS_LEFTNOWORDWRAP).
// - SS_OWNERDRAW sends WM_DRAWITEM (ODT_STATIC), reflected to DrawItem like a button's.
// - SS_NOTIFY: a click sends STN_CLICKED, a double-click STN_DBLCLK.
// - WM_GETDLGCODE: DLGC_STATIC (a dialog's keyboard passes it by).
// - Colours are asked for with WM_CTLCOLORSTATIC.
#include <string>

#include "platform/Dialog.h"
#include "platform/Wnd.h"

// button kinds and styles
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_RADIOBUTTON 0x00000004L
#define BS_3STATE 0x00000005L
#define BS_AUTO3STATE 0x00000006L
#define BS_GROUPBOX 0x00000007L
#define BS_AUTORADIOBUTTON 0x00000009L
#define BS_TYPEMASK 0x0000000FL
#define BS_LEFTTEXT 0x00000020L
#define BS_PUSHLIKE 0x00001000L
#define BS_NOTIFY 0x00004000L
#define BS_FLAT 0x00008000L
// button messages, states and notifications (BM_GETCHECK, BM_SETCHECK, BST_CHECKED and
// BST_UNCHECKED are in WinTypes.h)
#define BM_GETSTATE 0x00F2
#define BM_SETSTATE 0x00F3
#define BM_SETSTYLE 0x00F4
#define BM_CLICK 0x00F5
#define BST_INDETERMINATE 0x0002
#define BST_PUSHED 0x0004
#define BST_FOCUS 0x0008
#define BN_CLICKED 0
#define BN_DOUBLECLICKED 5
// static styles and notifications
#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L
#define SS_ICON 0x00000003L
#define SS_LEFTNOWORDWRAP 0x0000000CL
#define SS_OWNERDRAW 0x0000000DL
#define SS_TYPEMASK 0x0000001FL
#define SS_NOPREFIX 0x00000080L
#define SS_NOTIFY 0x00000100L
#define SS_CENTERIMAGE 0x00000200L
#define STN_CLICKED 0
#define STN_DBLCLK 1
// owner drawing
#define ODT_BUTTON 4
#define ODT_STATIC 5
#define ODA_FOCUS 0x0004
#define ODS_FOCUS 0x0010
#define WM_CTLCOLORBTN 0x0135
#define DLGC_RADIOBUTTON 0x0040
#define DLGC_STATIC 0x0100
#define OCM_DRAWITEM (OCM__BASE + WM_DRAWITEM)

class CButton : public CWnd {
public:
    BOOL Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int GetCheck() const;
    void SetCheck(int check);
    UINT GetState() const;
    void SetState(BOOL highlight);
    UINT GetButtonStyle() const;
    void SetButtonStyle(UINT style, BOOL redraw = TRUE);
    // Draws an owner-drawn button; the default draws nothing.
    virtual void DrawItem(DRAWITEMSTRUCT* dis) {}

    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void Click();
    void Paint();
    void DrawLook(CDC* dc, const CRect& rc);
    int m_check = BST_UNCHECKED;
    bool m_pushed = false;    // the pushed look
    bool m_tracking = false;  // held down by the left button, with the capture
    bool m_spaceDown = false;
};

class CStatic : public CWnd {
public:
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
    // Draws an owner-drawn static; the default draws nothing.
    virtual void DrawItem(DRAWITEMSTRUCT* dis) {}

    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void Paint();
};

namespace platform {
// Asks the parent (after reflecting to the control) for a control's colours, the
// classic way: msg is WM_CTLCOLORBTN, WM_CTLCOLORSTATIC, ... on dc. Returns the
// background colour the answer gave, or fallback without an answer.
COLORREF AskControlColors(CWnd* ctl, UINT msg, CDC* dc, COLORREF fallback);
// Sends an owner-drawn control's WM_DRAWITEM to its parent, whose default reflects it back
// (OCM_DRAWITEM); a control without a parent gets the reflection at once.
void SendDrawItem(CWnd* ctl, DRAWITEMSTRUCT* dis);
}  // namespace platform
