// The main frame's application-wide messages and commands, and which typed characters go
// to the stock-code input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <thread>

#include "AppTestSupport.h"
#include "TestSupport.h"
#include "app/AboutDlg.h"
#include "app/AppNetwork.h"
#include "app/DlgDownload.h"
#include "app/DlgLogin.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"
#include "app/LoginLinks.h"
#include "app/ContextMenus.h"
#include "app/MainFrame.h"
#include "app/TarrowApp.h"
#include "app/TarrowView.h"
#include "chart/ChartPic.h"
#include "formula/YBIndClass.h"
#include "chart/IntradayPopup.h"
#include "chart/KlineChartWnd.h"
#include "chart/ValuePanel.h"
#include "chart/ChartActions.h"
#include "marketdata/DataCenter.h"
#include "marketdata/HistoryIntradayPicData.h"
#include "common/ScratchDir.h"
#include "foundation/Config.h"
#include "marketdata/AppInfo.h"
#include "marketdata/net/LoginSession.h"
#include "platform/CommonDialogs.h"
#include "platform/Controls.h"
#include "platform/Input.h"
#include "platform/Services.h"

namespace {

class CQuietServices : public CAppServices {
public:
    explicit CQuietServices(std::string dir) : m_dir(std::move(dir)) {}
    bool LoadConfig() override { return false; }
    void InitAppInfo() override { GetAppInfo()->SetProgramDir(m_dir); }
    void OpenLog() override {}
    void InitDataCenter() override {}
    void InitCommon() override {}
    void LoadExRights() override {}
    void LoadDrawToolImages() override {}
    void ReadIndicators() override {}
    void LoadDlgConfig() override {}
    void LoadHostInfo() override {}
    void CreateSkinManager() override {}
    void LoadDrawToolSettings() override {}
    void StartNetwork() override {}
    void FreeSkinManager() override {}
    void StopNetwork() override {}
    void WriteIndicators() override {}
    void SaveHostInfo() override {}
    void SaveCodeTable() override {}
    void SaveExRights() override {}
    void SaveTrainingRecords() override {}
    void SaveFreqPeriods() override {}
    void CloseLog() override {}

private:
    std::string m_dir;
};

struct FrameFixture {
    ScratchDir home{ScratchDir::Enter};
    CQuietServices services{home.Path().string()};
    C_Tarrow_App app;
    std::vector<std::string> boxes;
    std::vector<std::string> opened;
    CMainFrame* frame = nullptr;

    FrameFixture() {
        std::filesystem::create_directories(home.Path() / "layout");
        for (const char* f : {"training.xlay", "trend.xlay"})
            std::filesystem::copy_file(std::string(TARROW_RESOURCES) + "/layout/" + f,
                                       home.Path() / "layout" / f);
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, UINT) {
            boxes.push_back(caption + ":" + text);
            return IDOK;
        });
        platform::SetShellOpenHook([this](const std::string& url) { opened.push_back(url); });
        app.SetServices(&services);
        app.m_options.loginAuto = true;  // tests set their own login dialog
        app.m_strInstanceName = "_Tarrow_frame_" + std::to_string(::getpid());
        EXPECT_TRUE(app.InitInstance());
        frame = app.GetMainFrame();
        Pump();
    }
    ~FrameFixture() {
        if (app.m_pMainWnd) {
            app.m_pMainWnd->DestroyWindow();
            app.Run();
        }
        SetMessageBoxHook(nullptr);
        platform::SetShellOpenHook(nullptr);
    }
    CElementWnd* FirstPane() {
        auto* view = dynamic_cast<C_Tarrow_View*>(frame->GetActiveFrame()->GetActiveView());
        return view ? view->GetRoot()->FirstLeaf()->m_pWnd : nullptr;
    }
};

TEST(MainFrame, LettersGoToTheCodeInputExceptInTextControls) {
    FrameFixture f;
    std::string diverted;
    f.frame->m_onCodeChar = [&](UINT ch) { diverted += char(ch); };
    CElementWnd* pane = f.FirstPane();
    ASSERT_NE(pane, nullptr);
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 200, 40), pane, 500));
    CRichEditCtrl rich;
    ASSERT_TRUE(rich.Create(WS_CHILD | WS_VISIBLE, CRect(10, 50, 200, 90), pane, 501));

    platform::InjectText("a1", &edit);
    EXPECT_EQ(edit.GetWindowText(), "a1");
    platform::InjectText("Zz9", &rich);
    EXPECT_EQ(rich.GetWindowText(), "Zz9");
    EXPECT_EQ(diverted, "");

    // Over a pane: letters and digits go to the code input, other characters do not.
    platform::InjectText("60a,", pane);
    EXPECT_EQ(diverted, "60a");
    platform::InjectText("中", pane);
    EXPECT_EQ(diverted, "60a");
    EXPECT_FALSE(CMainFrame::IsCodeInputChar(&edit, 'a'));
    EXPECT_TRUE(CMainFrame::IsCodeInputChar(pane, 'a'));
    EXPECT_FALSE(CMainFrame::IsCodeInputChar(pane, VK_TAB));
}

TEST(MainFrame, RefusedLoginShowsTheServerTextAndLogsInAgain) {
    FrameFixture f;
    ASSERT_TRUE(platform::PumpUntil([&] { return f.frame->m_nLoginRuns == 1; }, 5000));
    const char* text = "用户名或密码错误";
    char* copy = new char[std::strlen(text) + 1];
    std::strcpy(copy, text);
    f.frame->PostMessage(UM_LOGIN_RESULT, 0, (LPARAM)copy);
    ASSERT_TRUE(platform::PumpUntil([&] { return f.frame->m_nLoginRuns == 2; }, 5000));
    ASSERT_EQ(f.boxes.size(), 1u);
    EXPECT_EQ(f.boxes[0], std::string("提示:") + text);
    // Other result codes change nothing; login flow messages with wParam 1 are ignored.
    f.frame->SendMessage(UM_LOGIN_RESULT, 11, 1);
    f.frame->SendMessage(UM_LOGIN_FLOW, 1, 0);
    EXPECT_EQ(f.boxes.size(), 1u);
    EXPECT_FALSE(f.frame->m_bLoggedIn);  // no network client: nothing to re-attach
}

TEST(MainFrame, ModeTabsOpenAndSwitchWorkspaces) {
    FrameFixture f;
    CStockMenuBar& bar = f.frame->GetMenuBar();
    ASSERT_GE(bar.GetTabCount(), 2);
    EXPECT_EQ(bar.GetTabText(1), "分析走势");
    EXPECT_EQ(f.app.FindViewByTitle("分析走势"), nullptr);
    bar.SelectTabByIndex(1);  // a mode tab without a frame opens its layout
    C_Tarrow_View* trend = f.app.FindViewByTitle("分析走势");
    ASSERT_NE(trend, nullptr);
    EXPECT_EQ(f.frame->GetActiveFrame()->GetActiveView(), trend);
    EXPECT_EQ(trend->GetLayoutKey(), "trend");
    EXPECT_EQ(bar.GetTabFrame(1), trend->GetParentFrame()->m_hWnd);
    bar.SelectTabByIndex(0);  // back to training: its frame comes forward
    C_Tarrow_View* training = f.app.FindViewByTitle("特训场");
    EXPECT_EQ(f.frame->GetActiveFrame()->GetActiveView(), training);
    EXPECT_TRUE(training->IsHostActive());
    EXPECT_FALSE(trend->IsHostActive());
    EXPECT_EQ(bar.GetSelectedTab(), 0);
}

TEST(MainFrame, CodeListReadyReattachesTheActiveWorkspace) {
    FrameFixture f;
    int ready = 0;
    f.frame->m_onCodeListReady = [&] { ++ready; };
    f.frame->SendMessage(UM_CODE_LIST_READY, 0, 0);
    EXPECT_TRUE(f.frame->m_bCodeListReady);
    EXPECT_EQ(ready, 1);
    f.frame->SendMessage(UM_DOWNLOAD_POPUP, 0, 0);  // no popup yet: nothing happens
}

TEST(MainFrame, MenuCommandsOpenPagesAndTheAboutBox) {
    FrameFixture f;
    f.frame->SendMessage(WM_COMMAND, ID_VISIT_SITE, 0);
    f.frame->SendMessage(WM_COMMAND, ID_HELP_PAGE, 0);
    ASSERT_EQ(f.opened.size(), 2u);
    EXPECT_NE(f.opened[0].find("http"), std::string::npos);
    EXPECT_NE(f.opened[1], f.opened[0]);
    EXPECT_EQ(CDlgTrainingAbout::CentredOrigin(1920, 1080, 400, 300), CPoint(760, 390));
    EXPECT_EQ(CDlgTrainingAbout::VersionText(), "0.1.0");
}

TEST(ContextMenus, EditAndExplorerMenus) {
    EXPECT_EQ(ContextMenuName(IDR_POPUP_EDIT), "编辑");
    EXPECT_EQ(ContextMenuName(IDR_POPUP_EXPLORER), "资源管理器");
    CMenu edit;
    edit.CreatePopupMenu();
    ASSERT_TRUE(BuildContextMenu(IDR_POPUP_EDIT, edit));
    ASSERT_EQ(edit.GetMenuItemCount(), 3);
    std::string text;
    edit.GetMenuString(1, text, MF_BYPOSITION);
    EXPECT_EQ(text, "复制(&C)\tCtrl+C");
    CMenu explorer;
    explorer.CreatePopupMenu();
    ASSERT_TRUE(BuildContextMenu(IDR_POPUP_EXPLORER, explorer));
    int commands = 0;
    for (int i = 0; i < explorer.GetMenuItemCount(); ++i) commands += explorer.GetMenuItemID(i) != 0;
    EXPECT_EQ(commands, 7);
    CMenu none;
    none.CreatePopupMenu();
    EXPECT_FALSE(BuildContextMenu(120, none));
    EXPECT_EQ(none.GetMenuItemCount(), 0);
}

TEST(ChildFrame, SystemCommandsGoToTheMainFrame) {
    FrameFixture f;
    auto* child = dynamic_cast<CChildFrame*>(f.frame->GetActiveFrame());
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(f.frame->IsZoomed());
    child->SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(platform::PumpUntil([&] { return f.frame->IsIconic(); }, 5000));
    EXPECT_TRUE(child->IsWindow());
    f.frame->ShowWindow(SW_RESTORE);
    f.frame->ShowWindow(SW_SHOWNORMAL);
    Pump();
    child->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);  // restore of a child: the frame maximises
    EXPECT_TRUE(platform::PumpUntil([&] { return f.frame->IsZoomed(); }, 5000));
}

// The login dialog decides: OK connects to the server it stored, anything else leaves the
// program without a connection.
TEST(MainFrame, LoginFlowConnectsOnlyWhenTheLoginDialogEndsWithOk) {
    FrameFixture f;
    ASSERT_TRUE(platform::PumpUntil([&] { return f.frame->m_nLoginRuns == 1; }, 5000));
    CLoopbackListener listener;
    WriteFile(f.home.Path() / "appconfig.xml",
              "<config><system><host address=\"127.0.0.1\" port=\"" +
                  std::to_string(listener.Port()) + "\"/></system></config>");
    ASSERT_TRUE(LoadConfig((f.home.Path() / "appconfig.xml").string()));
    StartAppNetwork({});
    int shown = 0;
    int answer = IDCANCEL;
    f.frame->m_runLoginDialog = [&] {
        ++shown;
        return answer;
    };

    f.frame->PostMessage(UM_LOGIN_FLOW, 0, 0);
    ASSERT_TRUE(platform::PumpUntil([&] { return shown == 1; }, 5000));
    EXPECT_LT(listener.Accept(std::chrono::milliseconds(300)), 0);  // cancelled: no connect

    answer = IDOK;
    f.frame->PostMessage(UM_LOGIN_FLOW, 0, 0);
    ASSERT_TRUE(platform::PumpUntil([&] { return shown == 2; }, 5000));
    const int fd = listener.Accept();
    EXPECT_GE(fd, 0);
    if (fd >= 0) CloseSocket(fd);
    f.frame->SendMessage(UM_LOGIN_FLOW, 1, 0);  // wParam 1: no dialog
    EXPECT_EQ(shown, 2);
    StopAppNetwork();
    ResetConfig();
}

// A server that refuses the login: its text is shown and the login dialog comes back.
TEST(MainFrame, RefusedLoginFromTheServerShowsItsTextAndReturnsToTheLoginDialog) {
    FrameFixture f;
    ASSERT_TRUE(platform::PumpUntil([&] { return f.frame->m_nLoginRuns == 1; }, 5000));
    CServerProcess server({"--fault", "refuse-login"});
    ASSERT_TRUE(server.Running());
    WriteFile(f.home.Path() / "appconfig.xml",
              "<config><system><host address=\"127.0.0.1\" port=\"" +
                  std::to_string(server.Port()) + "\"/></system></config>");
    ASSERT_TRUE(LoadConfig((f.home.Path() / "appconfig.xml").string()));
    StartAppNetwork({});
    int shown = 0;
    f.frame->m_runLoginDialog = [&] { return ++shown == 1 ? IDOK : IDCANCEL; };
    f.frame->PostMessage(UM_LOGIN_FLOW, 0, 0);
    ASSERT_TRUE(platform::PumpUntil([&] { return shown == 2; }, 20000));
    ASSERT_EQ(f.boxes.size(), 1u);
    EXPECT_EQ(f.boxes[0], "提示:服务器暂停登录，请稍后再试");
    EXPECT_FALSE(f.frame->m_bLoggedIn);
    StopAppNetwork();
    ResetConfig();
}

// Runs fn once the login dialog's window and controls exist (inside its modal loop); gives
// up when the dialog has ended first.
void WhenLoginShown(CDlgLogin* dlg, std::shared_ptr<bool> running,
                    std::function<void(CDlgLogin*)> fn) {
    platform::PostTask([dlg, running, fn] {
        if (!*running) return;
        if (dlg->m_hWnd && dlg->m_pUserEdit && dlg->m_pPasswordEdit && dlg->m_pRemember)
            fn(dlg);
        else
            WhenLoginShown(dlg, running, fn);
    });
}

// The dialog run modally with fn as its user.
int RunLoginDialog(CWnd* parent, std::function<void(CDlgLogin*)> fn) {
    CDlgLogin dlg(parent);
    auto running = std::make_shared<bool>(true);
    WhenLoginShown(&dlg, running, std::move(fn));
    const int result = int(dlg.DoModal());
    *running = false;
    return result;
}

void ClickControl(CDlgLogin* dlg, int id) {
    CWnd* c = dlg->m_pLayout ? dlg->m_pLayout->GetControl(id).get() : nullptr;
    ASSERT_NE(c, nullptr);
    platform::InjectMouse(c, WM_LBUTTONDOWN, 5, 5);
    platform::InjectMouse(c, WM_LBUTTONUP, 5, 5);
}

// The real login dialog, typed into and clicked like a user would: the account is stored,
// the remembered password too, and the program logs in with them at the data server.
TEST(LoginDialog, TypedAccountLogsInAtTheServerAndIsRemembered) {
    FrameFixture f;
    ASSERT_TRUE(platform::PumpUntil([&] { return f.frame->m_nLoginRuns == 1; }, 5000));
    ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_RESOURCES) + "/DlgConfig.xml"));
    CServerProcess server;
    ASSERT_TRUE(server.Running());
    WriteFile(f.home.Path() / "appconfig.xml",
              "<config><system><host address=\"127.0.0.1\" port=\"" +
                  std::to_string(server.Port()) + "\"/></system></config>");
    ASSERT_TRUE(LoadConfig((f.home.Path() / "appconfig.xml").string()));
    StartAppNetwork({});
    int shown = 0;
    std::string startUser = "?";
    f.frame->m_runLoginDialog = [&] {
        ++shown;
        return RunLoginDialog(f.frame, [&](CDlgLogin* d) {
            startUser = d->m_pUserEdit->GetWindowText();
            EXPECT_EQ(d->m_pRemember->GetCheck(), 0);
            d->m_pUserEdit->SetFocus();
            platform::InjectText("trader", d->m_pUserEdit);
            d->m_pPasswordEdit->SetFocus();
            platform::InjectText("secret", d->m_pPasswordEdit);
            ClickControl(d, CDlgLogin::kRememberId);
            ClickControl(d, CDlgLogin::kLoginId);
        });
    };
    f.frame->PostMessage(UM_LOGIN_FLOW, 0, 0);
    ASSERT_TRUE(platform::PumpUntil([&] { return f.frame->m_bLoggedIn; }, 20000));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(startUser, "");
    EXPECT_EQ(GetConfigString("system", "host", "username", ""), "dHJhZGVy");  // "trader"
    EXPECT_EQ(GetConfigInt("system", "host", "rempwd", 0), 1);
    EXPECT_EQ(GetConfigString("system", "host", "userpwd", ""), "c2VjcmV0");  // "secret"
    EXPECT_EQ(GetLoginValues().m_nGuest, 0);
    EXPECT_EQ(GetLoginValues().m_strPasswordText, "c2VjcmV0");

    // Next time the dialog starts with them; unticking remember removes the password.
    std::string user, password;
    f.frame->m_runLoginDialog = [&] {
        return RunLoginDialog(f.frame, [&](CDlgLogin* d) {
            user = d->m_pUserEdit->GetWindowText();
            password = d->m_pPasswordEdit->GetWindowText();
            EXPECT_EQ(d->m_pRemember->GetCheck(), 1);
            ClickControl(d, CDlgLogin::kRememberId);
            ClickControl(d, CDlgLogin::kLoginId);
        });
    };
    f.frame->m_bLoggedIn = false;
    f.frame->PostMessage(UM_LOGIN_FLOW, 0, 0);
    ASSERT_TRUE(platform::PumpUntil([&] { return f.frame->m_bLoggedIn; }, 20000));
    EXPECT_EQ(user, "trader");
    EXPECT_EQ(password, "secret");
    EXPECT_EQ(GetConfigInt("system", "host", "rempwd", 1), 0);
    EXPECT_EQ(GetConfigString("system", "host", "userpwd", ""), "");
    StopAppNetwork();
    ResetConfig();
}

// The guest link logs in as a guest without reading the boxes; a refused login shows the
// server's text and brings the real dialog back, whose close cross leaves unconnected.
TEST(LoginDialog, GuestLinkAndRefusedLoginBringTheDialogBack) {
    FrameFixture f;
    ASSERT_TRUE(platform::PumpUntil([&] { return f.frame->m_nLoginRuns == 1; }, 5000));
    ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_RESOURCES) + "/DlgConfig.xml"));
    CServerProcess server({"--fault", "refuse-login"});
    ASSERT_TRUE(server.Running());
    WriteFile(f.home.Path() / "appconfig.xml",
              "<config><system><host address=\"127.0.0.1\" port=\"" +
                  std::to_string(server.Port()) + "\"/></system></config>");
    ASSERT_TRUE(LoadConfig((f.home.Path() / "appconfig.xml").string()));
    StartAppNetwork({});
    int shown = 0;
    int result = 0;
    f.frame->m_runLoginDialog = [&] {
        const int n = ++shown;
        result = RunLoginDialog(f.frame, [&, n](CDlgLogin* d) {
            if (n == 1) {
                platform::InjectText("ignored", d->m_pUserEdit);
                EXPECT_FALSE(d->m_rcGuest.IsRectEmpty());
                const CPoint guest = d->m_rcGuest.CenterPoint();
                platform::InjectMouse(d, WM_LBUTTONDOWN, guest.x, guest.y);
                platform::InjectMouse(d, WM_LBUTTONUP, guest.x, guest.y);
            } else {
                d->EndDialog(IDCANCEL);
            }
        });
        return result;
    };
    f.frame->PostMessage(UM_LOGIN_FLOW, 0, 0);
    ASSERT_TRUE(platform::PumpUntil([&] { return shown == 2 && result == IDCANCEL; }, 20000));
    ASSERT_EQ(f.boxes.size(), 1u);
    EXPECT_EQ(f.boxes[0], "提示:服务器暂停登录，请稍后再试");
    EXPECT_FALSE(f.frame->m_bLoggedIn);
    EXPECT_EQ(GetConfigString("system", "host", "username", ""), "");  // boxes not read
    StopAppNetwork();
    ResetConfig();
}

// The dialog on the dark skin: the picture band under the title, the account filled in, the
// three links drawn in their places beside the remember box.
TEST(LoginDialog, LooksRightOnTheDarkSkin) {
    FrameFixture f;
    ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_RESOURCES) + "/DlgConfig.xml"));
    WriteFile(f.home.Path() / "appconfig.xml",
              "<config><system><host username=\"dHJhZGVy\"/></system></config>");
    ASSERT_TRUE(LoadConfig((f.home.Path() / "appconfig.xml").string()));
    CDlgLogin dlg(f.frame);
    ASSERT_TRUE(dlg.Create(CDlgTemplate::kTemplateId, f.frame));
    dlg.ShowWindow(SW_SHOW);
    dlg.Invalidate();
    dlg.UpdateWindow();
    platform::ProcessPendingEvents();
    ASSERT_NE(dlg.m_pUserEdit, nullptr);
    EXPECT_EQ(dlg.m_pUserEdit->GetWindowText(), "trader");
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&dlg, shot));
    // TARROW_TEST_SHOTS=dir keeps a copy for looking at it.
    if (const char* dir = std::getenv("TARROW_TEST_SHOTS")) shot.SavePng(std::string(dir) + "/login_dialog.png");
    EXPECT_EQ(shot.GetSize().cx, 400);
    EXPECT_EQ(shot.GetPixel(200, 80), dlg.m_clrBk2);  // the band below the title
    EXPECT_EQ(shot.GetPixel(200, dlg.m_nHeight - 6), dlg.m_clrBk);
    for (const CRect* link : {&dlg.m_rcRecover, &dlg.m_rcServer, &dlg.m_rcGuest}) {
        ASSERT_FALSE(link->IsRectEmpty());
        EXPECT_LE(link->right, dlg.m_nWidth);
        int drawn = 0;
        for (int y = link->top; y < link->bottom; ++y)
            for (int x = link->left; x < link->right; ++x)
                drawn += GetBValue(shot.GetPixel(x, y)) > 150;
        EXPECT_GT(drawn, 20);  // text, visible on the dark ground
    }
    dlg.DestroyWindow();
    ResetConfig();
}

// The download popup exists from the start, hidden; 0x8066 shows and hides it, and progress
// handed over on another thread reaches its bar through the frame's queue.
TEST(MainFrame, DownloadPopupFollowsTheDownloadMessages) {
    FrameFixture f;
    ASSERT_NE(dynamic_cast<CDlgDownload*>(f.frame->m_pDownloadPopup), nullptr);  // made at start
    // Again with the program's dialog layouts (the quiet start-up reads none).
    ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_RESOURCES) + "/DlgConfig.xml"));
    auto dlg = GetDlgFactory()->CreateDlg(CDlgDownload::kFactoryId, f.frame);
    auto* popup = dynamic_cast<CDlgDownload*>(dlg.get());
    ASSERT_NE(popup, nullptr);
    f.frame->m_pDownloadPopup = popup;
    f.frame->m_pDownloadDlg = dlg;
    ASSERT_TRUE(popup->m_hWnd);
    ASSERT_NE(popup->m_pProgress, nullptr);
    EXPECT_FALSE(popup->IsPopupVisible());
    std::thread network([&] {
        f.frame->GetDownloadRelay()->SetRange("正在下载码表...", 1000);
        f.frame->PostMessage(UM_DOWNLOAD_POPUP, 0, 0);
        for (uint32_t p = 100; p <= 600; p += 100) f.frame->GetDownloadRelay()->SetPosition(p);
    });
    network.join();
    ASSERT_TRUE(platform::PumpUntil([&] { return popup->IsPopupVisible(); }, 5000));
    ASSERT_TRUE(platform::PumpUntil(
        [&] { return popup->m_pProgress && popup->m_pProgress->m_nPos == 600; }, 5000));
    EXPECT_EQ(popup->m_strTitle, "正在下载码表...");
    EXPECT_EQ(popup->m_pProgress->m_nMax, 1000);
    CRect r;
    popup->GetWindowRect(&r);
    EXPECT_EQ(r.left, ::GetSystemMetrics(SM_CXSCREEN) / 2);
    EXPECT_EQ(r.top, ::GetSystemMetrics(SM_CYSCREEN) / 4);
    f.frame->PostMessage(UM_DOWNLOAD_POPUP, 0, 1);
    ASSERT_TRUE(platform::PumpUntil([&] { return !popup->IsPopupVisible(); }, 5000));
}

TEST(MainFrame, AccountPagesOpenThroughTheUrlOpenerWithTheConfiguredHost) {
    FrameFixture f;
    WriteFile(f.home.Path() / "appconfig.xml",
              "<config><system><web account=\"https://accounts.test\"/></system></config>");
    ASSERT_TRUE(LoadConfig((f.home.Path() / "appconfig.xml").string()));
    f.opened.clear();
    OpenRegisterPage();  // no wfz_open.ini in the current directory: the default source
    OpenRecoverPasswordPage();
    WriteFile(f.home.Path() / "wfz_open.ini", "[SOFT]\nREG_SRC=shop@2\n");
    OpenRegisterPage();
    EXPECT_EQ(f.opened,
              (std::vector<std::string>{
                  "https://accounts.test/account/toRegisterPage.do?reg_source=9@tqrmbe@pc@guanwang",
                  "https://accounts.test/account/toForgetPswd.do",
                  "https://accounts.test/account/toRegisterPage.do?reg_source=shop@2"}));
    ResetConfig();
}

}  // namespace

namespace {
// A popup dialog that belongs to one chart window and records what the frame tells it.
struct ChartPopupDlg : CDlgTemplate {
    static inline int chartClosings = 0, hides = 0;
    static inline CWnd* chart = nullptr;
    void OnChartWndClosing(CWnd* window) override { chartClosings += window == chart; }
    void HidePopup() override { ++hides; }
};
constexpr int kChartPopupId = 9001;
CDlgTemplate* MakeChartPopup(CWnd* parent) {
    auto* d = new ChartPopupDlg;
    d->Create(CDlgTemplate::kTemplateId, parent);
    return d;
}
}  // namespace

TEST(MainFrame, KeepsItsFactoryDialogsAndTellsThemAboutChartsAndClosing) {
    FrameFixture f;
    GetDlgFactory()->Register(kChartPopupId, MakeChartPopup);
    std::weak_ptr<CDlgTemplate> weak = f.frame->CreateFactoryDialog(kChartPopupId);
    // The frame keeps it although the caller let go.
    ASSERT_FALSE(weak.expired());
    EXPECT_TRUE(weak.lock()->m_hWnd);
    EXPECT_EQ(f.frame->OwnedDialogCount(), 1u);

    CWnd chart;
    ChartPopupDlg::chart = &chart;
    ChartPopupDlg::chartClosings = ChartPopupDlg::hides = 0;
    f.frame->OnChartWndClosing(&chart);
    EXPECT_EQ(ChartPopupDlg::chartClosings, 1);
    f.frame->HidePopups();  // a workspace deactivated
    EXPECT_EQ(ChartPopupDlg::hides, 1);

    // Closing the frame destroys the dialogs' windows and lets go of them.
    f.frame->SendMessage(WM_CLOSE);
    Pump();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(GetDlgFactory()->RecordCount(), 0u);
}

// The floating value panel is a top-level popup: while shown it travels with the frame, so
// it stays beside the chart it serves; hidden, it keeps its place for the next anchoring.
TEST(MainFrame, AShownValuePanelMovesWithTheFrameAndAHiddenOneStays) {
    FrameFixture f;
    f.frame->ShowWindow(SW_RESTORE);  // a maximised frame does not move
    f.frame->MoveWindow(CRect(50, 50, 850, 650));
    Pump();
    chart::CDlgValueBar* panel = chart::GetValueBar(true);
    ASSERT_NE(panel, nullptr);
    chart::CDlgValueBar::SetPosition(CPoint(300, 200));
    panel->ShowPanel();
    Pump();
    ASSERT_TRUE(panel->IsWindowVisible());
    auto moveFrame = [&](int dx, int dy) {
        CRect before, after;
        f.frame->GetWindowRect(&before);
        f.frame->SetWindowPos(nullptr, before.left + dx, before.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Pump();
        f.frame->GetWindowRect(&after);
        return after.TopLeft() - before.TopLeft();
    };
    const CPoint moved = moveFrame(40, 25);
    ASSERT_NE(moved, CPoint(0, 0)) << "the frame moved";
    CRect rc;
    panel->GetWindowRect(&rc);
    EXPECT_EQ(rc.TopLeft(), CPoint(300, 200) + moved);
    EXPECT_EQ(chart::CDlgValueBar::GetPosition(), CPoint(300, 200) + moved);

    panel->HidePanel(1);  // the close box
    Pump();
    EXPECT_FALSE(panel->IsWindowVisible());
    moveFrame(-40, -25);
    panel->GetWindowRect(&rc);
    EXPECT_EQ(rc.TopLeft(), CPoint(300, 200) + moved);
    EXPECT_EQ(chart::CDlgValueBar::GetPosition(), CPoint(300, 200) + moved);
}

// The analysis workspace as a trader uses it, against the data server: a security on the
// chart, a period from the title bar, a double-click that shows the value panel beside the
// chart, the hover labels, Return on a day bar for its intraday popup with that day's
// minutes, and the panel's close box.
TEST(MainFrame, TheAnalysisChartShowsThePanelTheLabelsAndADaysIntradayPopup) {
    FrameFixture f;
    ASSERT_TRUE(platform::PumpUntil([&] { return f.frame->m_nLoginRuns == 1; }, 5000));
    ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_RESOURCES) + "/DlgConfig.xml"));
    CServerProcess server;
    ASSERT_TRUE(server.Running());
    WriteFile(f.home.Path() / "appconfig.xml", "<config><system><host address=\"127.0.0.1\" port=\"" +
                                                   std::to_string(server.Port()) + "\"/></system></config>");
    ASSERT_TRUE(LoadConfig((f.home.Path() / "appconfig.xml").string()));
    StartAppNetwork({});
    struct NetworkStop {
        ~NetworkStop() {
            StopAppNetwork();
            ResetConfig();
        }
    } stop;
    f.frame->m_runLoginDialog = nullptr;  // the guest
    f.frame->PostMessage(UM_LOGIN_FLOW, 0, 0);
    ASSERT_TRUE(platform::PumpUntil([&] { return f.frame->m_bCodeListReady; }, 20000));

    // The program's indicator catalogue, as start-up reads it.
    GetYBIndClass()->Read(std::string(TARROW_RESOURCES) + "/Sys.xml");
    CYBIndClass::SetUp();
    if (GetDataCenter()->GetDefaultIndicatorNames().GetSize() == 0) GetDataCenter()->AddDefaultIndicatorNames();
    f.frame->GetMenuBar().SelectTabByIndex(1);
    C_Tarrow_View* trend = f.app.FindViewByTitle("分析走势");
    ASSERT_NE(trend, nullptr);
    auto* chartWnd = dynamic_cast<CKlineChartWnd*>(trend->GetRoot()->FindLeafById(1));
    ASSERT_NE(chartWnd, nullptr);
    chartWnd->SetSecurity(CIndSecuCode(1, "600036"), nullptr);
    auto layer = chartWnd->GetDataLayer();
    ASSERT_TRUE(platform::PumpUntil([&] { return layer->GetEnd() - layer->GetBegin() >= 50; }, 20000));
    // Week from the title bar's command, and back to days.
    chartWnd->SendMessage(WM_COMMAND, chart::kCmdPeriodFirst + 8, 0);
    EXPECT_EQ(layer->GetPeriod(), 2);
    chartWnd->SendMessage(WM_COMMAND, chart::kCmdPeriodFirst + 7, 0);
    EXPECT_EQ(layer->GetPeriod(), 1);
    ASSERT_TRUE(platform::PumpUntil([&] { return layer->GetEnd() - layer->GetBegin() >= 50; }, 20000));
    Pump();

    chart::ChartOverlay& overlay = *chartWnd->GetChartOverlayPtr();
    const CRect plot = overlay.m_aPanes[0]->Prop().m_rcPlot;
    const CPoint at(plot.right - 60, plot.CenterPoint().y);
    platform::InjectMouse(chartWnd, WM_MOUSEMOVE, at.x, at.y);
    Pump();
    auto tip = chartWnd->TipOverlay();
    ASSERT_TRUE(tip);
    EXPECT_TRUE(tip->m_timeLayer.IsShown()) << "the time of the bar under the mouse";
    EXPECT_TRUE(tip->m_valueLayer.IsShown());
    // A double-click as the system delivers it: press, release, double-click, release.
    platform::InjectMouse(chartWnd, WM_LBUTTONDOWN, at.x, at.y);
    platform::InjectMouse(chartWnd, WM_LBUTTONUP, at.x, at.y);
    platform::InjectMouse(chartWnd, WM_LBUTTONDBLCLK, at.x, at.y);
    platform::InjectMouse(chartWnd, WM_LBUTTONUP, at.x, at.y);
    Pump();
    ASSERT_TRUE(overlay.m_bCursorMode);
    chart::CDlgValueBar* panel = chart::GetValueBar(false);
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->IsWindowVisible()) << "beside the chart";
    EXPECT_EQ(panel->GetOwnerChart(), chartWnd);
    EXPECT_EQ(panel->m_pSecurity, layer->GetSecurity());
    EXPECT_EQ(+panel->m_bar.m_nTime, int64_t(layer->GetTime(overlay.m_nCursor)));

    const auto date = uint32_t(layer->GetTime(overlay.m_nCursor));
    EXPECT_EQ(trend->GetActiveElement(), chartWnd) << "the click made the chart the active element";
    platform::InjectKey(0x0D);  // on the focused window; the view hands it to the active element
    ASSERT_TRUE(platform::PumpUntil(
        [&] { return chart::GetIntradayPopup(false) && chart::GetIntradayPopup(false)->IsWindowVisible(); }, 5000));
    chart::CDlgCurPic* popup = chart::GetIntradayPopup(false);
    EXPECT_EQ(popup->m_nDate, int32_t(date));
    HistoryIntradayPicData* day = popup->m_pChart->GetDayLayer();
    ASSERT_TRUE(platform::PumpUntil([&] { return day->GetEnd() == 240; }, 30000)) << "the day's minutes";
    EXPECT_EQ(uint32_t(day->GetTime(0)) / 10000, date % 1000000);
    const std::string shots = std::string(TARROW_BINARY_DIR) + "/screenshots";
    std::filesystem::create_directories(shots);
    f.frame->RedrawWindow();
    Pump();
    EXPECT_TRUE(platform::SaveWindowScreenshot(f.frame, shots + "/analysis_workspace.png"));
    EXPECT_TRUE(platform::SaveWindowScreenshot(popup, shots + "/analysis_intraday.png"));

    // Its close box, clicked.
    ASSERT_FALSE(panel->m_rcClose.IsRectEmpty());
    const CPoint box = panel->m_rcClose.CenterPoint();
    platform::InjectMouse(panel, WM_LBUTTONDOWN, box.x, box.y);
    platform::InjectMouse(panel, WM_LBUTTONUP, box.x, box.y);
    Pump();
    EXPECT_FALSE(panel->IsWindowVisible());
    EXPECT_FALSE(overlay.m_bCursorMode) << "the chart leaves cursor mode with it";
    // Another workspace: the popup belongs to this one and goes out of sight.
    f.frame->GetMenuBar().SelectTabByIndex(0);
    Pump();
    EXPECT_FALSE(popup->IsWindowVisible());
    EXPECT_EQ(chart::GetIntradayPopup(false), popup) << "hidden, kept for the next day shown";
    f.frame->SendMessage(WM_CLOSE);
    Pump();
    EXPECT_EQ(chart::GetIntradayPopup(false), nullptr) << "the frame's close takes its window";
}
