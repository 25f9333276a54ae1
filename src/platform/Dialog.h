#pragma once
// Dialogs: popup windows of class "#32770" with the classic keyboard interface. There are
// no dialog templates: a dialog sizes itself (constructor size, or OnInitDialog) and
// builds its own controls.
//
// Keys (PreTranslateMessage, for modal and modeless dialogs alike), unless the focused
// control's WM_GETDLGCODE answer asks for the key itself (DLGC_WANTTAB for Tab,
// DLGC_WANTALLKEYS or DLGC_WANTMESSAGE for the others):
//   Tab, Shift+Tab  the focus moves to the next (previous) visible, enabled child with
//                   WS_TABSTOP, in creation order, wrapping around; Tab from outside the
//                   dialog's children goes to the first;
//   Return          a focused push button is clicked; otherwise the default button
//                   (DM_GETDEFID: the id set with SetDefID/DM_SETDEFID, IDOK at first) is,
//                   as WM_COMMAND(id, BN_CLICKED) with the button's handle when there is
//                   one; a multi-line edit keeps Return;
//   Escape          WM_COMMAND(IDCANCEL).
// Only the dialog's direct children take part (no nested control parents).
#include "platform/Wnd.h"

#define WM_GETDLGCODE 0x0087
#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTMESSAGE 0x0004
#define DLGC_HASSETSEL 0x0008
#define DLGC_DEFPUSHBUTTON 0x0010
#define DLGC_UNDEFPUSHBUTTON 0x0020
#define DLGC_WANTCHARS 0x0080
#define DLGC_BUTTON 0x2000
#define DM_GETDEFID (WM_USER + 0)  // answers MAKELRESULT(id, DC_HASDEFID)
#define DM_SETDEFID (WM_USER + 1)  // wParam: the id
#define DC_HASDEFID 0x534B

class CDialog : public CWnd {
public:
    explicit CDialog(UINT idTemplate = 0, CWnd* parent = nullptr);
    ~CDialog() override;
    // Modal: disables the owner, runs a nested loop until EndDialog, destroys the window
    // and returns the code EndDialog was given (-1 when the window cannot be created).
    virtual LRESULT DoModal();
    // Modeless: creates and shows the window; the dialog stays until DestroyWindow.
    virtual BOOL Create(UINT idTemplate, CWnd* parent = nullptr);
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    void EndDialog(int result);
    void SetDialogSize(int cx, int cy) { m_size = CSize(cx, cy); }
    void SetDialogStyle(DWORD style, DWORD exStyle = 0) {
        m_style = style;
        m_exStyle = exStyle;
    }
    void CenterWindow(CWnd* alternateOwner = nullptr);
    // The default button's id (DM_GETDEFID answers it); IDOK until set.
    DWORD GetDefID() const { return MAKELONG(m_nDefID, DC_HASDEFID); }
    void SetDefID(UINT id) { m_nDefID = id; }
    // Focus to the next (previous) tab stop, or to ctl.
    void NextDlgCtrl();
    void PrevDlgCtrl();
    void GotoDlgCtrl(CWnd* ctl);
    BOOL IsModal() const { return m_bModal; }

    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnClose() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

protected:
    CSize m_size{320, 200};
    DWORD m_style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    DWORD m_exStyle = 0;
    bool m_bModal = false;
    int m_nModalResult = -1;
    bool m_bEnded = false;
    UINT m_nDefID = IDOK;

private:
    BOOL CreateDialogWindow(CWnd* parent);
};
