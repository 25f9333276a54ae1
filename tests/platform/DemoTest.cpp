// The demo program, built only on the layer, renders its window offscreen.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "common/ScratchDir.h"
#include "platform/Gdi.h"

namespace fs = std::filesystem;

namespace {

TEST(Demo, ScreenshotShowsMenuEditDrawingAndTimer) {
    const fs::path exe = fs::path(TARROW_BINARY_DIR) / "tools/platform-demo/tarrow-platform-demo";
    ASSERT_TRUE(fs::exists(exe)) << exe;
    ScratchDir dir;
    const fs::path png = dir.Path() / "demo.png";
    pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(exe.c_str(), exe.c_str(), "--screenshot", png.c_str(), (char*)nullptr);
        _exit(99);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    CBitmap shot;
    ASSERT_TRUE(shot.LoadFromFile(png.string()));
    ASSERT_EQ(shot.GetSize(), CSize(800, 500));
    // the menu bar across the top, in its own colour, with its item texts on it
    EXPECT_EQ(shot.GetPixel(780, 3), RGB(38, 41, 46));
    int barInk = 0;
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 26; ++y) barInk += shot.GetPixel(x, y) != RGB(38, 41, 46);
    EXPECT_GT(barInk, 50);
    // the native edit: a light field at (10, 36)-(200, 60) on the dark frame
    COLORREF field = shot.GetPixel(150, 48);
    EXPECT_GT(GetRValue(field) + GetGValue(field) + GetBValue(field), 600);
    EXPECT_EQ(shot.GetPixel(300, 48), RGB(32, 34, 40));
    // the drawing: rising and falling candles on the chart background
    int red = 0, green = 0;
    for (int y = 70; y < 500; ++y)
        for (int x = 0; x < 800; ++x) {
            COLORREF c = shot.GetPixel(x, y);
            red += c == RGB(255, 77, 77);
            green += c == RGB(77, 255, 77);
        }
    EXPECT_GT(red, 500);
    EXPECT_GT(green, 200);
    EXPECT_EQ(shot.GetPixel(790, 200), RGB(16, 18, 24));
    // the timer ran three times: three strip cells, no fourth
    const int y = 500 - 16;
    EXPECT_EQ(shot.GetPixel(10 + 2 * 40 + 5, y), RGB(60, 140, 255));
    EXPECT_NE(shot.GetPixel(10 + 3 * 40 + 5, y), RGB(60, 140, 255));
}

}  // namespace
