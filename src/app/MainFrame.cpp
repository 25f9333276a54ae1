#include "app/MainFrame.h"

#include <strings.h>

#include <cctype>
#include <fstream>
#include <sstream>

#include "app/AboutDlg.h"
#include "app/AppNetwork.h"
#include "app/ShellCommon.h"
#include "app/TarrowApp.h"
#include "app/TarrowView.h"
#include "chart/IntradayPopup.h"
#include "chart/TipPopups.h"
#include "chart/ValuePanel.h"
#include "ui/WebLinks.h"
#include "foundation/Config.h"
#include "foundation/MyLog.h"
#include "marketdata/AppInfo.h"
#include "marketdata/MarketHooks.h"
#include "marketdata/net/HostInfo.h"
#include "marketdata/net/LoginSession.h"
#include "marketdata/net/MarketLink.h"
#include "marketdata/net/Report.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Controls.h"
#include "platform/Services.h"
#include "ui/CommonVar.h"
#include "ui/element/ElementEnv.h"
#include "windowless/ShareDialog.h"

namespace {
constexpr const char* kFirstRunFile = "wfz_open.ini";

// The first-run marker: "[SOFT]" / "FIRSTOPEN=1" in the INI file of the current directory.
int ReadFirstOpen() {
    std::ifstream in(kFirstRunFile);
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 1 && line.front() == '[') {
            section = line.substr(1, line.find(']') - 1);
        } else if (section == "SOFT" && line.rfind("FIRSTOPEN=", 0) == 0) {
            return std::atoi(line.c_str() + 10);
        }
    }
    return 0;
}

void WriteFirstOpen() {
    std::ofstream out(kFirstRunFile, std::ios::trunc);
    out << "[SOFT]\r\nFIRSTOPEN=1\r\n";
}
}  // namespace

CMainFrame::CMainFrame() = default;
CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs) {
    return CSkinMDIFrameWnd::PreCreateWindow(cs);
}

int CMainFrame::OnCreate(LPCREATESTRUCT cs) {
    if (CSkinMDIFrameWnd::OnCreate(cs) == -1) return -1;
    SetWindowText("Tarrow");
    SetBackgroundColor(ElementColour(CommonColor::uniBackGround));
    if (CWnd* ws = GetWorkspace()) ws->SetBackgroundColor(ElementColour(CommonColor::uniBackGround));
    m_wndMenuBar.SetCallBack(nullptr);
    CStockMenuBar::Hooks hooks;
    hooks.openLayout = [](const std::string& path, const CIndSecuCode* security) {
        if (C_Tarrow_App* app = TarrowApp()) app->OpenLayoutFrame(path, security ? 1 : 0, security);
    };
    hooks.trendTrainingSecurity = []() -> std::optional<CIndSecuCode> {
        C_Tarrow_App* app = TarrowApp();
        C_Tarrow_View* view = app ? app->FindViewByTitle("趋势训练") : nullptr;
        if (!view || !view->GetRoot() || view->GetRoot()->m_code.m_strCode.empty()) return {};
        return view->GetRoot()->m_code;
    };
    hooks.giveSecurity = [](HWND frameHandle, const CIndSecuCode& security) {
        auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandle(frameHandle));
        auto* view = frame ? dynamic_cast<C_Tarrow_View*>(frame->GetActiveView()) : nullptr;
        if (view && view->GetRoot()) view->GetRoot()->SetSecurityAll(security, nullptr);
    };
    hooks.shareDialog = [this](const std::string& link) { WinlessUI::ShowShareLinkDialog(this, link); };
    if (!m_wndMenuBar.Create(this, 0x50002014, 59418)) return -1;
    m_wndMenuBar.EnableDocking(CBRS_ALIGN_ANY);
    m_wndMenuBar.SetHooks(std::move(hooks));
    if (!m_wndStatusBar.Create(this)) return -1;
    m_wndStatusBar.EnableDocking(CBRS_ALIGN_ANY);
    // The stock-code input in the status bar's slot: the bar's colours, the frame as the
    // window that opens the chosen security.
    m_wndCodeInput.m_clrBack = CBarStatus::kInputBack;
    m_wndCodeInput.m_clrBorder = m_wndCodeInput.m_clrBorderHot = CBarStatus::kInputBorder;
    m_wndCodeInput.m_clrText = CBarStatus::kInputText;
    m_wndCodeInput.m_bBorder = 1;
    m_wndCodeInput.SetNotifyWnd(this);
    m_wndCodeInput.m_onChosen = [this](const CInputResult& chosen) {
        m_nCandidateKind = chosen.kind;
        m_strCandidate = chosen.key;
    };
    if (m_wndCodeInput.Create(&m_wndStatusBar)) {
        m_wndStatusBar.SetCodeInput(&m_wndCodeInput);
        m_onCodeChar = [this](UINT ch) { m_wndCodeInput.AddChar(ch); };
    }
    m_pTestWnd1 = std::make_unique<CTestWnd>();
    m_pTestWnd2 = std::make_unique<CTestWnd>();
    MapCommand(ID_VISIT_SITE, [] {
        std::string url = GetHomePageUrl();
        if (!url.empty()) platform::ShellOpen(url);
    });
    MapCommand(ID_APP_ABOUT_DLG, [this] {
        CDlgTrainingAbout dlg(this);
        dlg.DoModal();
    });
    MapCommand(ID_HELP_PAGE, [] {
        std::string url = GetHelpPageUrl();
        if (!url.empty()) platform::ShellOpen(url);
    });
    ApplyShellSkin("skin");
    SetTimer(kClockTimer, 1000);
    return 0;
}

void CMainFrame::AddTab(const std::string& title, CWnd* frame) {
    m_wndMenuBar.AddTab(title, frame);
}

void CMainFrame::SelectTab(const std::string& title) {
    m_wndMenuBar.SelectTab(title);
}

void CMainFrame::OnChildFrameClosed(CWnd* frame) {
    if (frame && m_wndMenuBar.m_hWnd) m_wndMenuBar.OnFrameClosed(frame->m_hWnd);
}

void CMainFrame::HidePopups() {
    if (chart::CDlgCurPic* popup = chart::GetIntradayPopup(false); popup && popup->IsWindowVisible())
        popup->ShowWindow(SW_HIDE);
    // Off every screen: the trade tip goes now, whether or not the pointer is on it.
    if (chart::CTipMulti* tip = chart::GetTipMulti(false)) tip->HideUnlessHovered(CPoint(-100000, -100000));
    GetDlgFactory()->HidePopups();
}

void CMainFrame::OnChartWndClosing(CWnd* window) { GetDlgFactory()->OnChartWndClosing(window); }

std::shared_ptr<CDlgTemplate> CMainFrame::CreateFactoryDialog(int id, CWnd* parent) {
    auto dlg = GetDlgFactory()->CreateDlg(id, parent ? parent : this);
    if (dlg) m_dialogs.push_back(dlg);
    return dlg;
}

void CMainFrame::OnTimer(UINT_PTR id) {
    if (id == kClockTimer) {
        GetAppInfo()->UpdateClock();
        return;
    }
    if (id == kScreenshotTimer) {
        KillTimer(kScreenshotTimer);
        UpdateWindow();
        m_bScreenshotOk = platform::SaveWindowScreenshot(this, m_strScreenshot);
        PostMessage(WM_CLOSE);
    }
}

void CMainFrame::ScheduleScreenshot(const std::string& path, int delayMs) {
    m_strScreenshot = path;
    SetTimer(kScreenshotTimer, delayMs > 0 ? delayMs : 1);
}

void CMainFrame::FitToWorkArea() {
    CRect area;
    if (!SystemParametersWorkArea(&area)) return;
    CRect rc;
    GetWindowRect(&rc);
    if (rc.Height() >= area.Height() || rc.Width() >= area.Width()) {
        if (rc != area) MoveWindow(&area, TRUE);
    }
}

void CMainFrame::OnSize(UINT type, int cx, int cy) {
    {
        // A measuring context: a window context would give the frame, which its children
        // cover, a back buffer of the whole screen.
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        GetCommonVar()->MeasureFonts(&dc);
    }
    FitToWorkArea();
    CSkinMDIFrameWnd::OnSize(type, cx, cy);
}

void CMainFrame::OnMove(int x, int y) {
    CSkinMDIFrameWnd::OnMove(x, y);
    CRect rc;
    GetWindowRect(&rc);
    if (m_bFramePlaced) chart::MoveValuePanelWithFrame(CPoint(rc.left - m_ptFrame.x, rc.top - m_ptFrame.y));
    m_ptFrame = rc.TopLeft();
    m_bFramePlaced = true;
}

void CMainFrame::OnClose() {
    HidePopups();
    if (chart::CDlgCurPic* popup = chart::GetIntradayPopup(false)) popup->DestroyWindow();
    if (chart::CTipMulti* tip = chart::GetTipMulti(false)) tip->DestroyWindow();
    // Windows first, while every dialog object is still alive; then the frame lets go.
    GetDlgFactory()->DestroyAll();
    m_dialogs.clear();
    SendUsageAction(4, 0);
    CSkinMDIFrameWnd::OnClose();
}

bool CMainFrame::IsCodeInputChar(CWnd* target, UINT ch) {
    if (ch >= 128 || !std::isalnum(int(ch))) return false;
    // Text typed into any text control (edits, rich edits, combo boxes ...) stays there.
    return dynamic_cast<CNativeCtrl*>(target) == nullptr;
}

bool CMainFrame::DivertToCodeInput(CWnd* target, UINT ch) {
    if (!m_onCodeChar || !IsCodeInputChar(target, ch)) return false;
    m_onCodeChar(ch);
    return true;
}

BOOL CMainFrame::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_CHAR && DivertToCodeInput(CWnd::FromHandle(msg->hwnd), (UINT)msg->wParam))
        return TRUE;
    return CSkinMDIFrameWnd::PreTranslateMessage(msg);
}

void CMainFrame::OnLogin(WPARAM wParam) {
    GetAppLog().WriteLog("%s %d", "CMainFrame::OnLogin", __LINE__);
    ++m_nLoginRuns;
    if (wParam != 0 || m_bLoginStarted) return;
    CMarketLink* link = GetAppMarketLink();
    if (!link) return;
    m_bLoginStarted = true;
    CSubscriber& client = link->GetSubscriber();
    client.SetFailOver(false);
    client.Stop();

    if (m_runLoginDialog) {
        // The dialog stores the account, the password text and the guest choice.
        if (m_runLoginDialog() != IDOK) {
            m_bLoginStarted = false;
            return;
        }
    } else {
        // No login dialog: the stored account, or a guest when there is none (or when the
        // server refused it last time, so a refusal does not repeat forever).
        const std::string user = GetConfigString("system", "host", "username", "");
        const std::string password = GetConfigString("system", "host", "userpwd", "");
        const bool remembered = GetConfigInt("system", "host", "rempwd", 0) != 0;
        if (user.empty() || !remembered || password.empty() || m_bLastLoginRefused)
            SetGuestLogin();
        else
            SetLoginPassword(password);
    }

    std::string address = GetConfigString("system", "host", "address", "");
    int port = GetConfigInt("system", "host", "port", 0);
    if ((address.empty() || port <= 0) && TarrowApp() && !TarrowApp()->m_hostInfo.m_hosts.empty()) {
        const stHostDesc& first = TarrowApp()->m_hostInfo.m_hosts.front();
        address = first.ip;
        port = first.port;
    }
    if (!address.empty() && port > 0 && port <= 65535) link->Connect(address, uint16_t(port));

    if (ReadFirstOpen() == 0) {
        // Only a help page the settings name: a first start must not send the user to a
        // default address.
        std::string help = GetConfigString("system", "web", "help", "");
        if (!help.empty()) platform::ShellOpen(help);
        WriteFirstOpen();
    }
    m_bLoginStarted = false;
}

void CMainFrame::ReattachActiveView() {
    CFrameWnd* frame = GetActiveFrame();
    auto* view = frame ? dynamic_cast<C_Tarrow_View*>(frame->GetActiveView()) : nullptr;
    if (view && view->GetRoot()) view->GetRoot()->AttachAll();
}

void CMainFrame::OnServerNotice(WPARAM wParam, LPARAM lParam) {
    if (wParam == 1) {
        CMarketLink* link = GetAppMarketLink();
        if (link && link->GetSubscriber().m_nLoggedIn.load() != 0) {
            m_bLoggedIn = true;
            m_bLastLoginRefused = false;
            ReattachActiveView();
        }
        return;
    }
    if (wParam != 0) return;
    char* text = reinterpret_cast<char*>(lParam);
    std::string message = text ? text : "";
    delete[] text;
    m_bLastLoginRefused = true;
    ::MessageBox(m_hWnd, message.c_str(), "提示", MB_OK | MB_ICONINFORMATION);
    OnLogin(0);
}

void CMainFrame::OnViewText() {
    CFrameWnd* frame = GetActiveFrame();
    CView* active = frame ? frame->GetActiveView() : nullptr;
    CSplitView* target = dynamic_cast<CSplitView*>(active);
    if (target && target->m_bSplitView && TarrowApp() && TarrowApp()->GetDocTemplate()) {
        target = nullptr;
        for (CDocument* doc : TarrowApp()->GetDocTemplate()->GetDocuments()) {
            if (!doc->GetViews().empty()) {
                target = dynamic_cast<CSplitView*>(doc->GetViews().front());
                break;
            }
        }
    }
    if (target) target->OnViewNotify(m_nCandidateKind, m_strCandidate);
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case UM_LOGIN_FLOW:
            OnLogin(wParam);
            return 0;
        case UM_VIEW_TEXT:
            OnViewText();
            return 0;
        case UM_DOWNLOAD_POPUP:
            m_pDownloadRelay->OnMessage(wParam, lParam, m_pDownloadPopup);
            return 0;
        case UM_LOGIN_RESULT:
            OnServerNotice(wParam, lParam);
            return 0;
        case UM_CODE_LIST_READY: {
            m_bCodeListReady = true;
            ReattachActiveView();
            if (m_onCodeListReady) m_onCodeListReady();
            return 0;
        }
        default:
            return CSkinMDIFrameWnd::WindowProc(msg, wParam, lParam);
    }
}
