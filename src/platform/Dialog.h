#pragma once
// Dialogs: a popup window with Enter/Escape mapped to IDOK/IDCANCEL. There are no
// dialog templates: a dialog sizes itself (constructor size, or OnInitDialog) and
// builds its own controls.
#include "platform/Wnd.h"

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

private:
    BOOL CreateDialogWindow(CWnd* parent);
};
