#pragma once
// The share dialog: a modal pop-up titled "分享" showing the invitation link in an edit
// field, with buttons that copy the link and open its page. Its look is the skin file
// "Skin/ShareProductDlg.xml" of the skin archive among the program's resources.
#include <string>

#include "windowless/Edit.h"
#include "windowless/SkinArchive.h"
#include "windowless/WindowImplBase.h"

namespace WinlessUI {

// The invitation page; the account is appended as "?from=<account>".
extern const char* const kSharePromotionUrl;

class CShareProductDlg : public WindowImplBase {
public:
    CShareProductDlg() = default;
    ~CShareProductDlg() override = default;

    const char* WindowClassName() const override { return "CShareProductDlg"; }
    CUIString SkinFileName() override { return m_sSkinFile; }
    LRESULT OnWmNcHitTest(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnOtherMessage(UINT, WPARAM, LPARAM, bool& handled) override {
        handled = false;
        return 0;
    }
    void Notify(UINotify& msg) override;

    // Creates the window owned by `owner` and shows the link: 1, or 0 when the skin could
    // not be loaded (the user was told; nothing else changes).
    int ShowLink(CWnd* owner, const char* link);
    void Finish();
    bool IsShown() const { return m_bShown; }
    CEditUI* GetLinkEdit() const { return m_pEdit; }

private:
    CUIString m_sSkinFile;
    CEditUI* m_pEdit = nullptr;
    bool m_bShown = false;
};

// The link the dialog shows for an account (none: the bare page).
std::string MakeShareLink(const std::string& account);
// Opens the dialog modally over `owner` and returns when it is closed: the close code
// (1 for the close button), or 0 when the dialog could not be shown.
int ShowShareDialog(CWnd* owner, const std::string& account);
// The same with the link made by the caller (the menu bar's configured invitation page).
int ShowShareLinkDialog(CWnd* owner, const std::string& link);

}  // namespace WinlessUI
