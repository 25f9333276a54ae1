// Services: the single-instance lock across processes, screenshots, clipboard,
// resources, message-box hooks and crash reports.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "common/ScratchDir.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/CrashDump.h"
#include "platform/Graphics.h"
#include "platform/Resource.h"
#include "platform/Services.h"
#include "platform/SingleInstance.h"
#include "platform/SkinMenu.h"

namespace fs = std::filesystem;

namespace {

// The second process: this same test program, run with one test and a marker.
int RunSecondInstance(const std::string& name) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("TARROW_SI_CHILD", name.c_str(), 1);
        char self[] = "/proc/self/exe";
        char filter[] = "--gtest_filter=SingleInstance.DISABLED_ChildProcess";
        char disabled[] = "--gtest_also_run_disabled_tests";
        char* argv[] = {self, filter, disabled, nullptr};
        execv(self, argv);
        _exit(99);
    }
    int status = 0;
    // pump while waiting so the holder can answer the second start
    bool done = platform::PumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 20000);
    if (!done) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Disabled in the normal run; the test below starts it in a second process.
TEST(SingleInstance, DISABLED_ChildProcess) {
    const char* name = getenv("TARROW_SI_CHILD");
    if (!name) GTEST_SKIP() << "runs only as the second process";
    CSingleInstance si;
    bool first = si.Acquire(name, [] {});
    // exit codes the parent reads: 10 = was first, 20 = found the holder
    fflush(stdout);
    _exit(first ? 10 : 20);
}

TEST(SingleInstance, SecondStartFindsTheHolderAndAsksItToActivate) {
    const std::string name = "_Tarrow_test_" + std::to_string(getpid());
    int activations = 0;
    {
        CSingleInstance holder;
        ASSERT_TRUE(holder.Acquire(name, [&] { ++activations; }));
        EXPECT_TRUE(holder.IsHolder());
        EXPECT_EQ(RunSecondInstance(name), 20);
        platform::PumpUntil([&] { return activations == 1; }, 5000);
        EXPECT_EQ(activations, 1);
    }
    // released: the next start is the first again
    EXPECT_EQ(RunSecondInstance(name), 10);
}

TEST(Screenshot, RoundTripThroughPng) {
    struct Painted : CWnd {
        void OnPaint() override {
            CPaintDC dc(this);
            CRect rc;
            GetClientRect(&rc);
            dc.FillSolidRect(&rc, RGB(20, 30, 40));
            CRect box(10, 10, 30, 20);
            dc.FillSolidRect(&box, RGB(250, 200, 0));
        }
    } w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 64, 48), nullptr, 0));
    CWnd child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(40, 30, 60, 40), &w, 1));
    child.SetBackgroundColor(RGB(0, 0, 255));
    child.Invalidate();
    ScratchDir dir;
    const std::string path = dir.File("w.png");
    ASSERT_TRUE(platform::SaveWindowScreenshot(&w, path));
    CBitmap back;
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(back.GetSize(), CSize(64, 48));
    EXPECT_EQ(back.GetPixel(0, 0), RGB(20, 30, 40));
    EXPECT_EQ(back.GetPixel(15, 15), RGB(250, 200, 0));
    EXPECT_EQ(back.GetPixel(45, 35), RGB(0, 0, 255));  // children are in the picture
    EXPECT_FALSE(platform::SaveWindowScreenshot(nullptr, path));
}

TEST(Services, ClipboardOpenUrlAndDialogHooks) {
    ASSERT_TRUE(platform::SetClipboardText("600000 浦发银行"));
    EXPECT_EQ(platform::GetClipboardText(), "600000 浦发银行");
    std::string opened;
    platform::SetShellOpenHook([&](const std::string& u) { opened = u; });
    EXPECT_TRUE(platform::ShellOpen("https://example.com/help"));
    EXPECT_EQ(opened, "https://example.com/help");
    EXPECT_FALSE(platform::ShellOpen(""));
    platform::SetShellOpenHook(nullptr);

    std::string seenText, seenCaption;
    SetMessageBoxHook([&](const std::string& t, const std::string& c, UINT type) {
        seenText = t;
        seenCaption = c;
        return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    });
    EXPECT_EQ(MessageBox(nullptr, "确定删除?", "提示", MB_YESNO), IDNO);
    EXPECT_EQ(seenText, "确定删除?");
    EXPECT_EQ(seenCaption, "提示");
    SetMessageBoxHook(nullptr);

    CColorDialog::SetHook([](COLORREF& c) {
        c = RGB(1, 2, 3);
        return true;
    });
    CColorDialog cd(RGB(9, 9, 9));
    EXPECT_EQ(cd.DoModal(), IDOK);
    EXPECT_EQ(cd.GetColor(), RGB(1, 2, 3));
    CColorDialog::SetHook([](COLORREF&) { return false; });
    CColorDialog cancel(RGB(9, 9, 9));
    EXPECT_EQ(cancel.DoModal(), IDCANCEL);
    EXPECT_EQ(cancel.GetColor(), RGB(9, 9, 9));
    CColorDialog::SetHook(nullptr);

    CFileDialog::SetHook([](BOOL open, std::string& path) {
        path = open ? "/tmp/a.xml" : "/tmp/layout";
        return true;
    });
    CFileDialog save(FALSE, "xlay", nullptr, OFN_OVERWRITEPROMPT, "Layout (*.xlay)|*.xlay||");
    EXPECT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(save.GetPathName(), "/tmp/layout.xlay");  // the default extension is added
    EXPECT_EQ(save.GetFileExt(), "xlay");
    CFileDialog::SetHook(nullptr);
}

TEST(Resources, LookupByTypeAndIdAndImagesWithAMaskColour) {
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(platform::LoadResourceBytes("BITMAP", 301, bytes));
    EXPECT_FALSE(bytes.empty());
    EXPECT_FALSE(platform::LoadResourceBytes("BITMAP", 9999, bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(platform::HasResource("WQNRES", 301));

    CBitmap strip;
    ASSERT_TRUE(strip.LoadBitmap(301));
    EXPECT_EQ(strip.GetSize(), CSize(8, 4));
    CImageList list;
    ASSERT_TRUE(list.Create(4, 4, ILC_COLOR32 | ILC_MASK, 0, 4));
    EXPECT_EQ(list.Add(&strip, RGB(0, 0, 255)), 0);
    EXPECT_EQ(list.GetImageCount(), 2);
    // draw image 1 (green frame, blue middle) on white: the blue middle stays white
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap target;
    target.CreateCompatibleBitmap(&dc, 10, 10);
    dc.SelectObject(&target);
    CRect all(0, 0, 10, 10);
    dc.FillSolidRect(&all, RGB(255, 255, 255));
    ASSERT_TRUE(list.Draw(&dc, 1, POINT{2, 2}, ILD_TRANSPARENT));
    EXPECT_EQ(dc.GetPixel(2, 2), RGB(0, 255, 0));
    EXPECT_EQ(dc.GetPixel(3, 3), RGB(255, 255, 255));
    EXPECT_FALSE(list.Draw(&dc, 2, POINT{0, 0}, 0));

    CImage png;
    ASSERT_TRUE(png.LoadResource("PNG", 302));
    EXPECT_EQ(png.GetWidth(), 8);
    EXPECT_EQ(png.GetPixel(0, 0), 0xFFFF0000u);

    // menu icons keyed by command id from a tool bar resource
    CSkinMenuIcons icons;
    EXPECT_EQ(icons.LoadToolBar(301, RGB(0, 0, 255)), 2);
    EXPECT_EQ(icons.MatchIcon(32771), 0);
    EXPECT_EQ(icons.MatchIcon(32772), 1);
    EXPECT_EQ(icons.MatchIcon(1), -1);
}

TEST(CrashReport, FatalSignalWritesAReportAndStillEndsTheProcess) {
    ScratchDir scratch;
    const std::string dir = scratch.Path().string();
    pid_t pid = fork();
    if (pid == 0) {
        InstallCrashHandler(dir);
        raise(SIGSEGV);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    std::vector<fs::path> reports;
    for (auto& e : fs::directory_iterator(dir)) reports.push_back(e.path());
    ASSERT_EQ(reports.size(), 1u);
    const std::string name = reports[0].filename().string();
    EXPECT_EQ(name.rfind("VKLM_", 0), 0u) << name;
    EXPECT_EQ(name.substr(name.size() - 4), ".txt");
    const std::string body = ReadFile(reports[0]);
    EXPECT_NE(body.find("signal: 11 (SIGSEGV)"), std::string::npos) << body;
    EXPECT_NE(body.find("time: 20"), std::string::npos) << body;
    EXPECT_NE(body.find("backtrace:\n"), std::string::npos) << body;
    EXPECT_GT(std::count(body.begin(), body.end(), '\n'), 8);

    // a directory that cannot be written: the failure is reported, the signal still ends it
    int pipefd[2];
    ASSERT_EQ(pipe(pipefd), 0);
    pid = fork();
    if (pid == 0) {
        dup2(pipefd[1], STDOUT_FILENO);
        InstallCrashHandler(dir + "/missing/deeper");
        abort();
    }
    close(pipefd[1]);
    char buf[256] = {0};
    ssize_t n = read(pipefd[0], buf, sizeof(buf) - 1);
    close(pipefd[0]);
    waitpid(pid, &status, 0);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(buf).rfind("Failed to write crash dump (errno == ", 0), 0u) << buf;
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGABRT);
}

}  // namespace
