// The real program against the data server on an ephemeral loopback port: it logs in,
// receives the code table, and saves and stops cleanly at exit; and what its main window
// looks like with the training workspace.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "TestSupport.h"
#include "app/StockMenuBar.h"
#include "common/ScratchDir.h"
#include "ui/status/BarStatus.h"
#include "foundation/CommonColors.h"
#include "platform/Gdi.h"
#include "ui/SkinResManager.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the program in the home with the arguments; its exit status, or -1 when it had to
// be killed after the time-out.
int RunProgram(const fs::path& home, std::vector<std::string> args, int timeoutSeconds = 90) {
    std::vector<std::string> env = {"TARROW_HOME=" + home.string(),
                                    "XDG_RUNTIME_DIR=" + home.string(),
                                    "QT_QPA_PLATFORM=offscreen", "TZ=Europe/London"};
    for (char** e = environ; *e; ++e) {
        std::string v = *e;
        if (v.rfind("TARROW_HOME=", 0) == 0 || v.rfind("XDG_RUNTIME_DIR=", 0) == 0 ||
            v.rfind("QT_QPA_PLATFORM=", 0) == 0 || v.rfind("TZ=", 0) == 0)
            continue;
        env.push_back(v);
    }
    // Unattended: no login dialog to answer.
    args.insert(args.begin(), "--login-auto");
    args.insert(args.begin(), TARROW_EXE);
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, TARROW_EXE, nullptr, nullptr, argv.data(), envp.data()) != 0) return -2;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void WriteHome(const fs::path& home, uint16_t port) {
    std::ofstream(home / "appconfig.xml")
        << "<config><system><host address=\"127.0.0.1\" port=\"" << port
        << "\"/></system></config>";
    std::ofstream(home / "HostInfo.xml")
        << "<HostInfo><HostList><item name=\"local\" ip=\"127.0.0.1\" port=\"" << port
        << "\"/></HostList></HostInfo>";
}

TEST(Program, LogsInReceivesTheCodeTableAndSavesAtExit) {
    CServerProcess server;
    ASSERT_TRUE(server.Running());
    ScratchDir home;
    WriteHome(home.Path(), server.Port());
    const std::string hostsBefore = ReadText(home.Path() / "HostInfo.xml");

    ASSERT_EQ(RunProgram(home.Path(), {"--exit-when-ready"}), 0);

    EXPECT_EQ(server.CountLines("login accepted"), 1u);
    EXPECT_EQ(server.CountLines("code table: sent"), 1u);
    // The home was seeded around the user's own files, which stayed theirs until exit.
    EXPECT_TRUE(fs::exists(home.Path() / "layout" / "training.xlay"));
    EXPECT_TRUE(fs::exists(home.Path() / "Sys.xml"));
    EXPECT_NE(ReadText(home.Path() / "appconfig.xml").find(std::to_string(server.Port())),
              std::string::npos);
    // What exit saves: the code table, the ex-rights table, the server list (rewritten in
    // the program's own form), the training records.
    EXPECT_GT(fs::file_size(home.Path() / "code.dat"), 6u);
    EXPECT_TRUE(fs::exists(home.Path() / "cq.dat"));
    const std::string hostsAfter = ReadText(home.Path() / "HostInfo.xml");
    EXPECT_NE(hostsAfter, hostsBefore);
    EXPECT_NE(hostsAfter.find("port=\"" + std::to_string(server.Port()) + "\""), std::string::npos);
    EXPECT_TRUE(fs::exists(home.Path() / "Data" / "training" / "totalRecord.xml"));

    // A second start finds its tables current and its files as it left them.
    ASSERT_EQ(RunProgram(home.Path(), {"--exit-when-ready"}), 0);
    EXPECT_EQ(server.CountLines("login accepted"), 2u);
    EXPECT_EQ(server.CountLines("code table: current"), 1u);
}

TEST(Program, ScreenshotShowsTheTrainingWorkspace) {
    CServerProcess server;
    ASSERT_TRUE(server.Running());
    ScratchDir home;
    WriteHome(home.Path(), server.Port());
    const fs::path shot = home.Path() / "shot.png";
    ASSERT_EQ(RunProgram(home.Path(),
                         {"--screenshot", shot.string(), "--screenshot-delay", "1500"}),
              0);
    CBitmap picture;
    ASSERT_TRUE(picture.LoadFromFile(shot.string()));
    const CSize size = picture.GetSize();
    ASSERT_GE(size.cx, 400);
    ASSERT_GE(size.cy, 300);

    CSkinResManager skin;
    skin.SetSkinDir((fs::path(TARROW_RESOURCES) / "Skin").string());
    ASSERT_TRUE(skin.SelectSkin("skin"));
    auto colour = [&](const char* key) { return skin.GetColor(kCommonColorElement, key); };
    const COLORREF border = colour("uniWnd_Border");
    const COLORREF background = colour("uniBackGround");
    ASSERT_NE(border, background);

    // The tab strip: the first tab ("特训场", selected) is drawn in the first tab colour.
    const COLORREF tab1 = skin.GetColor("FrameTitle", "Tab1");
    int tabPixels = 0;
    for (int x = 8; x < 100; ++x)
        for (int y = 0; y < 30; ++y) tabPixels += picture.GetPixel(x, y) == tab1;
    EXPECT_GT(tabPixels, 500);

    // Below the bar, the training layout: the left pane's left border runs down the window's
    // left edge, its inside is the background; the bottom pane spans the width.
    const int y = size.cy / 3;
    EXPECT_EQ(picture.GetPixel(0, y), border);
    EXPECT_EQ(picture.GetPixel(40, y), background);
    int verticalBorders = 0;  // pane borders crossed along one row
    for (int x = 0; x < size.cx; ++x) verticalBorders += picture.GetPixel(x, y) == border;
    EXPECT_EQ(verticalBorders, 4);
    // The status bar along the bottom: the clock shows its text (light, anti-aliased) on the
    // bar's dark background.
    const CRect bar(0, size.cy - CBarStatus::kHeight, size.cx, size.cy);
    const StatusBarPlacement panes = ComputeStatusBarPlacement(CRect(0, 0, bar.Width(), bar.Height()));
    auto lightness = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); };
    const int barBack = lightness(colour("uniStatus_Back"));
    int clockText = 0;
    for (int x = panes.clock.left; x < panes.clock.right; ++x)
        for (int yy = panes.clock.top; yy < panes.clock.bottom; ++yy)
            clockText += lightness(picture.GetPixel(x, bar.top + yy)) > barBack + 200;
    EXPECT_GT(clockText, 20);

    int horizontalBorders = 0;  // down one column: top and bottom of two stacked panes
    for (int yy = CStockMenuBar::kBarHeight; yy < bar.top; ++yy) horizontalBorders += picture.GetPixel(40, yy) == border;
    EXPECT_EQ(horizontalBorders, 4);
}

}  // namespace
