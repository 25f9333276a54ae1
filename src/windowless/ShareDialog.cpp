#include "windowless/ShareDialog.h"

#include <cstring>

#include "foundation/MyLog.h"
#include "platform/Services.h"

namespace WinlessUI {

const char* const kSharePromotionUrl = "https://www.tarrow-invest.com/activity/invite.html";

namespace {
// The framework's module: this program. Any stable address names it.
const int kProgramModule = 0;
}  // namespace

std::string MakeShareLink(const std::string& account) {
    std::string link = kSharePromotionUrl;
    if (!account.empty()) link += "?from=" + account;
    return link;
}

LRESULT CShareProductDlg::OnWmNcHitTest(UINT, WPARAM, LPARAM lParam, bool&) {
    static const char* const kClient[] = {"ButtonUI", "OptionUI", "SliderUI", "EditUI", "RichEditUI"};
    return HitTest(lParam, kClient, 5);
}

void CShareProductDlg::Notify(UINotify& msg) {
    CUIString sender = msg.pSender ? msg.pSender->GetName() : CUIString();
    GetAppLog().WriteLog("MSG Sender=%s,Type=%s", sender.GetData(), msg.sType.GetData());
    if (msg.sType == "click") {
        if (sender == "CloseButton") {
            PostClose(1);
        } else if (sender == "CopyLink") {
            if (m_pEdit) platform::SetClipboardText(m_pEdit->GetText().ToStd());
        } else if (sender == "OpenLink") {
            if (m_pEdit) {
                std::string link = m_pEdit->GetText().ToStd();
                std::size_t q = link.find('?');
                platform::ShellOpen(q == std::string::npos ? link : link.substr(0, q));
            }
        }
    }
    RouteNotification(msg);
}

int CShareProductDlg::ShowLink(CWnd* owner, const char* link) {
    m_sSkinFile = "Skin/ShareProductDlg.xml";
    CUIPaintManager::SetModule(const_cast<int*>(&kProgramModule));
    RegisterSkinArchiveResource();
    CUIPaintManager::LoadSkinArchive(kSkinArchiveResourceId);
    // The skin builds a borderless window; the caption style goes at creation already.
    HWND hwnd = CreateNativeWindow(owner, "分享", WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU,
                                   0x100, 0, 0, 630, 540);
    if (hwnd == nullptr) return 0;
    SetClientSize(630, 540);
    m_pEdit = static_cast<CEditUI*>(m_pm.FindControlByName("ShareLink"));
    CentreOnOwner();
    if (m_pEdit) m_pEdit->SetText(link);
    m_bShown = true;
    return 1;
}

void CShareProductDlg::Finish() {
    m_sSkinFile.Empty();
    m_bShown = false;
}

int ShowShareDialog(CWnd* owner, const std::string& account) {
    return ShowShareLinkDialog(owner, MakeShareLink(account));
}

int ShowShareLinkDialog(CWnd* owner, const std::string& link) {
    CShareProductDlg dlg;
    if (!dlg.ShowLink(owner, link.c_str())) return 0;
    if (dlg.GetWnd()) dlg.GetWnd()->SetForegroundWindow();
    int result = (int)dlg.RunModalLoop();
    dlg.Finish();
    return result;
}

}  // namespace WinlessUI
