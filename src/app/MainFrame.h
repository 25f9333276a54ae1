#pragma once
// The one top-level window: hosts the menu bar with its workspace tabs, the status bar and
// the child frames of the layouts, and is the target of the program's application-wide
// user messages (login, download popup, server notices, security list ready).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/DownloadRelay.h"
#include "app/StockMenuBar.h"
#include "ui/dialog/DlgTemplate.h"
#include "ui/input/InputCodeWnd.h"
#include "ui/status/BarStatus.h"
#include "platform/Dialog.h"
#include "platform/SkinMenu.h"

class CTestWnd;

// Application-wide user messages.
inline constexpr UINT UM_LOGIN_FLOW = 0x8064;
inline constexpr UINT UM_VIEW_TEXT = 0x8065;
inline constexpr UINT UM_DOWNLOAD_POPUP = 0x8066;
inline constexpr UINT UM_LOGIN_RESULT = 0x8070;
inline constexpr UINT UM_CODE_LIST_READY = 0x8075;

// The menu button's popup (the menu bar's ids).
inline constexpr UINT ID_VISIT_SITE = CStockMenuBar::kCmdHomePage;
inline constexpr UINT ID_APP_ABOUT_DLG = CStockMenuBar::kCmdAbout;
inline constexpr UINT ID_HELP_PAGE = CStockMenuBar::kCmdHelp;

class CMainFrame : public CSkinMDIFrameWnd {
public:
    static constexpr const char* kClassName = "__Tarrow_MainWnd";
    static constexpr UINT kClockTimer = 1;
    static constexpr UINT kScreenshotTimer = 2;

    CMainFrame();
    ~CMainFrame() override;

    // -- workspace tabs (the menu bar's) --
    void AddTab(const std::string& title, CWnd* frame);
    void SelectTab(const std::string& title);
    // A child frame is going away: its tab forgets it.
    void OnChildFrameClosed(CWnd* frame);
    CStockMenuBar& GetMenuBar() { return m_wndMenuBar; }
    CBarStatus& GetStatusBar() { return m_wndStatusBar; }
    InputCodeWnd& GetCodeInput() { return m_wndCodeInput; }

    // Hides the popups that belong to a workspace (tips, the intraday chart, the factory's
    // popup dialogs).
    void HidePopups();
    // A chart window goes away: the dialogs that belong to it hide themselves.
    void OnChartWndClosing(CWnd* window);
    // A dialog from the dialog factory, kept alive by the frame until it closes (the
    // factory itself only remembers it).
    std::shared_ptr<CDlgTemplate> CreateFactoryDialog(int id, CWnd* parent = nullptr);
    size_t OwnedDialogCount() const { return m_dialogs.size(); }
    // The login flow: runs the login dialog (m_runLoginDialog) and connects to the server
    // it chose ("system"/"host" address and port); without a dialog, the stored account
    // or a guest. wParam other than 0 does nothing.
    void OnLogin(WPARAM wParam);
    // Shows the login dialog modally and returns how it ended: IDOK connects; anything
    // else leaves the program without a connection (the dialog's cancel closes the frame).
    std::function<int()> m_runLoginDialog;
    // Whether a character typed into the window goes to the stock-code input instead:
    // letters and digits typed anywhere but into a text control.
    static bool IsCodeInputChar(CWnd* target, UINT ch);
    // Hands a character typed over target to the code input when it takes it there; true
    // when it did.
    bool DivertToCodeInput(CWnd* target, UINT ch);

    // The stock-code input of the status bar: receives the characters diverted to it.
    std::function<void(UINT ch)> m_onCodeChar;
    // The candidate last chosen in the code input (kind, text), delivered by 0x8065.
    int m_nCandidateKind = 0;
    std::string m_strCandidate;
    // Takes a screenshot of the frame after delayMs, writes it to path and closes.
    void ScheduleScreenshot(const std::string& path, int delayMs);
    bool ScreenshotWritten() const { return m_bScreenshotOk; }
    // Set when the login succeeded, and when the security list arrived.
    bool m_bLoggedIn = false;
    // How many times the login flow was asked for.
    int m_nLoginRuns = 0;
    bool m_bCodeListReady = false;
    // Called once the security list is ready (after the views re-attached their data).
    std::function<void()> m_onCodeListReady;
    // Download progress from the network thread (shared with the market-data hooks, which
    // may outlive the window), and the popup it drives on UM_DOWNLOAD_POPUP.
    const std::shared_ptr<CDownloadRelay>& GetDownloadRelay() const { return m_pDownloadRelay; }
    IDownloadPopup* m_pDownloadPopup = nullptr;
    // The dialog behind m_pDownloadPopup (created with the frame through the factory).
    std::shared_ptr<CDialog> m_pDownloadDlg;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnClose() override;
    void OnTimer(UINT_PTR id) override;
    void OnSize(UINT type, int cx, int cy) override;
    // The floating value panel travels with the frame while it is shown.
    void OnMove(int x, int y) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnViewText();
    void OnServerNotice(WPARAM wParam, LPARAM lParam);
    void ReattachActiveView();
    void FitToWorkArea();

    CStockMenuBar m_wndMenuBar;
    CBarStatus m_wndStatusBar;
    InputCodeWnd m_wndCodeInput;
    bool m_bLoginStarted = false;
    CPoint m_ptFrame{0, 0};  // the frame's screen position at its last move
    bool m_bFramePlaced = false;
    bool m_bLastLoginRefused = false;
    std::string m_strScreenshot;
    bool m_bScreenshotOk = false;
    std::unique_ptr<CTestWnd> m_pTestWnd1, m_pTestWnd2;
    std::shared_ptr<CDownloadRelay> m_pDownloadRelay = std::make_shared<CDownloadRelay>();
    std::vector<std::shared_ptr<CDlgTemplate>> m_dialogs;
};
