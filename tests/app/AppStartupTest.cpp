// The application object: start-up and shut-down order through a recording service table,
// start without settings, one running copy, opening layouts in frames, and layouts saved
// when frames close or the program exits; a damaged layout file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>

#include "AppTestSupport.h"
#include "app/AppNetwork.h"
#include "app/DlgLogin.h"
#include "app/MainFrame.h"
#include "app/TarrowApp.h"
#include "app/TarrowView.h"
#include "common/ScratchDir.h"
#include "foundation/Config.h"
#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "platform/CommonDialogs.h"
#include "platform/App.h"
#include "ui/dialog/DlgTemplate.h"

namespace fs = std::filesystem;

namespace {

class CRecordingServices : public CAppServices {
public:
    explicit CRecordingServices(std::string programDir) : m_dir(std::move(programDir)) {}
    std::vector<std::string> calls;

    bool LoadConfig() override {
        calls.push_back("LoadConfig");
        return ::LoadConfig();
    }
    void InitAppInfo() override {
        calls.push_back("InitAppInfo");
        GetAppInfo()->SetProgramDir(m_dir);
    }
    void OpenLog() override { calls.push_back("OpenLog"); }
    void InitDataCenter() override { calls.push_back("InitDataCenter"); }
    void InitCommon() override { calls.push_back("InitCommon"); }
    void LoadExRights() override { calls.push_back("LoadExRights"); }
    void LoadDrawToolImages() override { calls.push_back("LoadDrawToolImages"); }
    void ReadIndicators() override { calls.push_back("ReadIndicators"); }
    void LoadDlgConfig() override { calls.push_back("LoadDlgConfig"); }
    void LoadHostInfo() override { calls.push_back("LoadHostInfo"); }
    void CreateSkinManager() override { calls.push_back("CreateSkinManager"); }
    void LoadDrawToolSettings() override { calls.push_back("LoadDrawToolSettings"); }
    void StartNetwork() override { calls.push_back("StartNetwork"); }
    void FreeSkinManager() override { calls.push_back("FreeSkinManager"); }
    void StopNetwork() override { calls.push_back("StopNetwork"); }
    // The saves run side by side, each on a thread of its own.
    void WriteIndicators() override { RecordSave("WriteIndicators"); }
    void SaveHostInfo() override { RecordSave("SaveHostInfo"); }
    void SaveCodeTable() override { RecordSave("SaveCodeTable"); }
    void SaveExRights() override { RecordSave("SaveExRights"); }
    void SaveTrainingRecords() override { RecordSave("SaveTrainingRecords"); }
    void SaveFreqPeriods() override { RecordSave("SaveFreqPeriods"); }
    void CloseLog() override { calls.push_back("CloseLog"); }

private:
    void RecordSave(const char* name) {
        std::lock_guard lock(m_savesLock);
        calls.push_back(name);
    }

    std::string m_dir;
    std::mutex m_savesLock;
};

std::string ReadText(const fs::path& p) {
    std::ifstream in(p);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A started application in a scratch home with the shipped layouts and a recording table.
struct RunningApp {
    ScratchDir home{ScratchDir::Enter};
    CRecordingServices services{home.Path().string()};
    C_Tarrow_App app;
    std::vector<std::string> messages;

    explicit RunningApp(bool withLayouts = true) {
        app.m_options.loginAuto = true;  // no login dialog to answer
        if (withLayouts) {
            fs::create_directories(home.Path() / "layout");
            for (const char* f : {"training.xlay", "trend.xlay"})
                fs::copy_file(fs::path(TARROW_RESOURCES) / "layout" / f, home.Path() / "layout" / f);
        }
        SetMessageBoxHook([this](const std::string& text, const std::string&, UINT) {
            messages.push_back(text);
            return IDOK;
        });
        app.SetServices(&services);
        app.m_strInstanceName = "_Tarrow_test_" + std::to_string(::getpid());
    }
    ~RunningApp() {
        Exit();
        SetMessageBoxHook(nullptr);
    }
    CMainFrame* Frame() { return app.GetMainFrame(); }
    std::string Layout(const char* name) { return (home.Path() / "layout" / name).string(); }
    // Closes the main window and runs what the message loop's end runs.
    void Exit() {
        if (CWnd* main = app.m_pMainWnd) {
            main->DestroyWindow();
            app.Run();
        }
    }
};

TEST(AppStartup, StartAndExitRunEveryStepInOrder) {
    CRecordingServices rec("/tmp/");
    RunStartup(rec);
    RunShutdown(rec);
    const std::vector<std::string> expected = {
        "LoadConfig", "InitAppInfo", "OpenLog", "InitDataCenter", "InitCommon", "LoadExRights",
        "LoadDrawToolImages", "ReadIndicators", "LoadDlgConfig", "LoadHostInfo",
        "CreateSkinManager", "LoadDrawToolSettings", "StartNetwork",
        // exit: the network stops before anything is saved, the log closes last
        "FreeSkinManager", "StopNetwork", "SaveCodeTable", "SaveExRights", "SaveFreqPeriods",
        "SaveHostInfo", "SaveTrainingRecords", "WriteIndicators", "CloseLog"};
    ASSERT_EQ(rec.calls.size(), expected.size());
    // The saves between the two come in any order.
    std::sort(rec.calls.end() - 7, rec.calls.end() - 1);
    EXPECT_EQ(rec.calls, expected);
}

TEST(AppStartup, WithoutSettingsTheFrameComesUpAndAsksToLogIn) {
    RunningApp t;
    ASSERT_FALSE(fs::exists(t.home.Path() / "appconfig.xml"));
    ASSERT_TRUE(t.app.InitInstance());
    CMainFrame* frame = t.Frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->IsZoomed());
    ASSERT_TRUE(platform::PumpUntil([&] { return frame->m_nLoginRuns == 1; }, 5000));
    // The training workspace is open under its mode title, with the layout's panes.
    C_Tarrow_View* view = t.app.FindViewByTitle("特训场");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetLayoutKey(), "training");
    EXPECT_EQ(view->GetRoot()->CountLeaves(), 3);
    EXPECT_EQ(view->GetRoot()->FirstLeaf()->m_pWnd->GetTypeName(), "AnalysisAndTrainingWnd");
    EXPECT_TRUE(view->IsHostActive());
    EXPECT_EQ(t.app.FindViewByTitle("特训"), nullptr);
    EXPECT_EQ(frame->GetMenuBar().GetTabText(frame->GetMenuBar().GetSelectedTab()), "特训场");
    const size_t started = t.services.calls.size();
    EXPECT_EQ(t.services.calls.back(), "StartNetwork");
    t.Exit();
    ASSERT_EQ(t.services.calls.size(), started + 9);
    EXPECT_EQ(t.services.calls[started], "FreeSkinManager");
    EXPECT_EQ(t.services.calls[started + 1], "StopNetwork");
    EXPECT_EQ(t.services.calls.back(), "CloseLog");
}

// Every connect asks for the account first; cancelling the login dialog leaves the program:
// the main window goes and the exit steps run.
TEST(AppStartup, CancellingTheLoginDialogClosesTheProgram) {
    RunningApp t;
    t.app.m_options.loginAuto = false;
    ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_RESOURCES) + "/DlgConfig.xml"));
    // Watches for the dialog with posted tasks; what they use outlives the test's frame, and
    // they stop with it.
    struct Watch {
        bool shown = false, stop = false;
    };
    auto state = std::make_shared<Watch>();
    struct StopAtEnd {
        std::shared_ptr<Watch> state;
        ~StopAtEnd() { state->stop = true; }
    } stopAtEnd{state};
    auto watch = std::make_shared<std::function<void()>>();
    *watch = [state, self = std::weak_ptr(watch)] {
        if (state->stop) return;
        auto* dlg = dynamic_cast<CDlgLogin*>(CWnd::GetActiveWindow());
        if (dlg && dlg->m_pUserEdit) {
            state->shown = true;
            dlg->SendMessage(WM_COMMAND, IDCANCEL, 0);
            return;
        }
        if (auto next = self.lock()) platform::PostTask([next] { (*next)(); });
    };
    StartAppNetwork({});  // the flow asks for the account only when there is a link to log in on
    ASSERT_TRUE(t.app.InitInstance());
    const HWND main = t.Frame()->m_hWnd;
    platform::PostTask([watch] { (*watch)(); });
    const bool closed = platform::PumpUntil([&] { return CWnd::FromHandle(main) == nullptr; }, 10000);
    state->stop = true;
    t.app.Run();  // the main loop ends on the quit the closing window asked for
    StopAppNetwork();
    EXPECT_TRUE(state->shown);
    EXPECT_TRUE(closed);
}

TEST(AppStartup, SecondInstanceRaisesTheFirstAndExits) {
    auto first = std::make_unique<RunningApp>();
    ASSERT_TRUE(first->app.InitInstance());
    CMainFrame* frame = first->Frame();
    frame->ShowWindow(SW_MINIMIZE);
    ASSERT_TRUE(frame->IsIconic());
    const size_t calls = first->services.calls.size();
    {
        CSingleInstance second;
        EXPECT_FALSE(second.Acquire(first->app.m_strInstanceName, [] {}));
    }
    EXPECT_TRUE(platform::PumpUntil([&] { return !frame->IsIconic(); }, 5000));
    // Nothing of the first was started again.
    EXPECT_EQ(first->services.calls.size(), calls);
    first.reset();
}

TEST(AppStartup, ASecondApplicationObjectStopsBeforeStarting) {
    ScratchDir lockHolderHome;
    CSingleInstance holder;
    const std::string name = "_Tarrow_test_second_" + std::to_string(::getpid());
    ASSERT_TRUE(holder.Acquire(name, [] {}));
    CRecordingServices rec(lockHolderHome.Path().string());
    C_Tarrow_App app;
    app.SetServices(&rec);
    app.m_strInstanceName = name;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(app.m_bSecondInstance);
    EXPECT_TRUE(rec.calls.empty());
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

TEST(AppLayouts, OpeningAnOpenKeyReusesItsFrame) {
    RunningApp t;
    ASSERT_TRUE(t.app.InitInstance());
    C_Tarrow_View* trend = t.app.OpenLayoutFrame(t.Layout("trend.xlay"));
    ASSERT_NE(trend, nullptr);
    EXPECT_EQ(t.app.FindViewByTitle("分析走势"), trend);
    const size_t docs = t.app.GetDocTemplate()->GetDocuments().size();
    EXPECT_EQ(docs, 2u);
    C_Tarrow_View* training = t.app.OpenLayoutFrame(t.Layout("training.xlay"));
    EXPECT_EQ(training, t.app.FindViewByTitle("特训场"));
    EXPECT_EQ(t.Frame()->GetActiveFrame()->GetActiveView(), training);
    // Open again: the same frame comes forward with its layout reloaded.
    const CIndSecuCode code(1, "600000");
    EXPECT_EQ(t.app.OpenLayoutFrame(t.Layout("trend.xlay"), 1, &code), trend);
    EXPECT_EQ(t.app.GetDocTemplate()->GetDocuments().size(), docs);
    EXPECT_EQ(t.Frame()->GetActiveFrame()->GetActiveView(), trend);
    EXPECT_EQ(trend->GetRoot()->FirstLeaf()->m_pWnd->m_code.m_strCode, "600000");
    // Keys differ by letter case: another frame.
    fs::copy_file(t.Layout("trend.xlay"), t.Layout("Trend.xlay"));
    C_Tarrow_View* other = t.app.OpenLayoutFrame(t.Layout("Trend.xlay"));
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, trend);
    EXPECT_EQ(t.app.GetDocTemplate()->GetDocuments().size(), docs + 1);
}

TEST(AppLayouts, AChosenSecurityOpensTheTrendWorkspaceWithIt) {
    RunningApp t;
    ASSERT_TRUE(t.app.InitInstance());
    auto security = std::make_unique<CSecurity>();
    security->SetCode(CIndSecuCode(1, "600519"));
    ASSERT_GE(GetDataCenter()->AddSecurity(security), 0);
    C_Tarrow_View* training = t.app.FindViewByTitle("特训场");
    ASSERT_NE(training, nullptr);
    training->OnViewNotify(3, "0001999999");  // not a known security: nothing opens
    EXPECT_EQ(t.app.FindViewByTitle("分析走势"), nullptr);
    training->OnViewNotify(3, "0001600519");
    C_Tarrow_View* trend = t.app.FindViewByTitle("分析走势");
    ASSERT_NE(trend, nullptr);
    EXPECT_EQ(t.Frame()->GetActiveFrame()->GetActiveView(), trend);
    CElementWnd* chart = trend->GetRoot()->FirstLeaf()->m_pWnd;
    EXPECT_EQ(chart->m_code.m_nMarket, 1);
    EXPECT_EQ(chart->m_code.m_strCode, "600519");
}

TEST(AppLayouts, TypingPinyinInitialsIntoTheStatusBarOpensTheTrendWorkspace) {
    RunningApp t;
    ASSERT_TRUE(t.app.InitInstance());
    auto security = std::make_unique<CSecurity>();
    security->SetCode(CIndSecuCode(2, "000001"));
    security->SetName("平安银行");
    security->SetAbbreviations({"PAYH"});
    ASSERT_GE(GetDataCenter()->AddSecurity(security), 0);
    InputCodeWnd& input = t.Frame()->GetCodeInput();
    ASSERT_NE(input.m_hWnd, nullptr);
    EXPECT_EQ(t.Frame()->GetStatusBar().GetCodeInput(), &input);
    // Typed over a pane, the letters reach the input through the frame.
    ASSERT_TRUE(t.Frame()->m_onCodeChar);
    for (char c : std::string("payh")) t.Frame()->m_onCodeChar(UINT(c));
    platform::ProcessPendingEvents();
    EXPECT_EQ(input.GetEditText(), "PAYH");
    ASSERT_TRUE(platform::PumpUntil([&] { return input.m_list.m_results.size() == 1; }, 3000));
    input.OnListKey(VK_RETURN);
    ASSERT_TRUE(platform::PumpUntil([&] { return t.app.FindViewByTitle("分析走势") != nullptr; }, 5000));
    EXPECT_EQ(t.Frame()->m_nCandidateKind, 3);
    EXPECT_EQ(t.Frame()->m_strCandidate, "0002000001");
    CElementWnd* chart = t.app.FindViewByTitle("分析走势")->GetRoot()->FirstLeaf()->m_pWnd;
    EXPECT_EQ(chart->m_code.m_strCode, "000001");
}

// Drags the cutter of the root split 100 pixels to the right, as the mouse would.
void DragRootCutter(C_Tarrow_View* view) {
    CLayoutCutter* cutter = view->GetRoot()->m_pCutter;
    ASSERT_NE(cutter, nullptr);
    CRect rc;
    cutter->GetClientRect(&rc);
    const int y = rc.Height() / 4;  // off the arrow buttons
    cutter->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, y));
    cutter->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(102, y));
    cutter->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(102, y));
}

TEST(AppLayouts, ChangedLayoutsAreSavedWhenTheirFrameCloses) {
    RunningApp t;
    ASSERT_TRUE(t.app.InitInstance());
    C_Tarrow_View* trend = t.app.OpenLayoutFrame(t.Layout("trend.xlay"));
    ASSERT_NE(trend, nullptr);
    const std::string before = ReadText(t.Layout("trend.xlay"));
    const int firstWidth = trend->GetRoot()->m_pFirst->m_rect.Width();
    DragRootCutter(trend);
    EXPECT_EQ(trend->GetRoot()->m_pFirst->m_rect.Width(), firstWidth + 100);
    EXPECT_EQ(trend->IsLayoutModified(), 1);
    trend->GetParentFrame()->SendMessage(WM_CLOSE);
    Pump();
    EXPECT_EQ(t.app.FindViewByTitle("分析走势"), nullptr);
    const std::string after = ReadText(t.Layout("trend.xlay"));
    EXPECT_NE(after, before);
    EXPECT_NE(after.find("LeftSize=\"" + std::to_string(firstWidth + 100) + "\""), std::string::npos)
        << after;
}

TEST(AppLayouts, ChangedLayoutsAreSavedAtExit) {
    RunningApp t;
    ASSERT_TRUE(t.app.InitInstance());
    C_Tarrow_View* training = t.app.FindViewByTitle("特训场");
    ASSERT_NE(training, nullptr);
    const int firstHeight = training->GetRoot()->m_pFirst->m_rect.Height();
    CLayoutCutter* cutter = training->GetRoot()->m_pCutter;
    cutter->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 2));
    cutter->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 42));
    cutter->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 42));
    EXPECT_EQ(training->GetRoot()->m_pFirst->m_rect.Height(), firstHeight + 40);
    t.Exit();
    EXPECT_NE(ReadText(t.Layout("training.xlay")).find("LeftSize=\"" + std::to_string(firstHeight + 40)),
              std::string::npos);
}

TEST(AppLayouts, DamagedLayoutResetsTellsTheUserAndIsKeptAside) {
    const std::pair<const char*, const char*> files[] = {
        {"unknown node type",
         "<view><ViewProp/><Split Type=\"1\" Style=\"1\"><Split Type=\"0\"><Element "
         "wndtype=\"CReportWnd\"/></Split><Split Type=\"9\"/></Split></view>"},
        {"not XML", "<view><Split Type=\"1\"><Split"},
    };
    for (const auto& [what, text] : files) {
        SCOPED_TRACE(what);
        RunningApp t;
        std::ofstream(t.Layout("training.xlay"), std::ios::trunc) << text;
        ASSERT_TRUE(t.app.InitInstance());
        C_Tarrow_View* view = t.app.FindViewByTitle("特训场");
        ASSERT_NE(view, nullptr);
        // No half-built tree: one plain pane.
        ASSERT_TRUE(view->GetRoot()->IsLeaf());
        ASSERT_NE(view->GetRoot()->m_pWnd, nullptr);
        EXPECT_EQ(view->GetRoot()->m_pWnd->GetTypeName(), "CElementWnd");
        ASSERT_EQ(t.messages.size(), 1u);
        EXPECT_NE(t.messages[0].find("training.xlay"), std::string::npos) << t.messages[0];
        // The damaged file is out of the way, under another name, with its bytes.
        EXPECT_FALSE(fs::exists(t.Layout("training.xlay")));
        int aside = 0;
        for (const auto& e : fs::directory_iterator(t.home.Path() / "layout")) {
            if (e.path().filename().string().rfind("training.xlay.bad", 0) == 0) {
                ++aside;
                EXPECT_EQ(ReadText(e.path()), text);
            }
        }
        EXPECT_EQ(aside, 1);
        view->SetLayoutModified();
        t.Exit();
        // Nothing was written over it at exit.
        EXPECT_FALSE(fs::exists(t.Layout("training.xlay")));
    }
}

}  // namespace
