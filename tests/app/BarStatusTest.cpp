// The status bar with its logo, clock and connection icon, as the program shows them.
#include "ui/status/BarStatus.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "marketdata/AppInfo.h"
#include "platform/App.h"
#include "platform/Services.h"
#include "ui/CommonResouce.h"
#include "ui/CommonVar.h"
#include "ui/SkinResManager.h"

namespace {

class StatusBarTest : public ::testing::Test {
protected:
    CWnd host;
    CBarStatus bar;
    CWnd input;

    void SetUp() override {
        DeleteSkinResManager();
        GetSkinResManager()->SetSkinDir(std::string(TARROW_SOURCE_DIR) + "/resources/Skin");
        ASSERT_TRUE(GetSkinResManager()->SelectSkin("skin"));
        GetCommonVar()->Init();
        GetCommonResouce()->Init();
        GetAppInfo()->SetClock(20190305, 93005);
        CConnectionStatusWnd::SetStateSource([this] { return state; });
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1000, 32),
                                  nullptr, 0));
        ASSERT_TRUE(bar.Create(&host));
        bar.MoveWindow(CRect(0, 0, 1000, CBarStatus::kHeight));
    }
    void TearDown() override {
        CConnectionStatusWnd::SetStateSource(nullptr);
        bar.DestroyWindow();
        host.DestroyWindow();
        DeleteSkinResManager();
    }
    CRect RectIn(CWnd& w) {
        CRect rc;
        w.GetWindowRect(&rc);
        bar.ScreenToClient(&rc);
        return rc;
    }
    CBitmap Shot(CWnd& w) {
        CBitmap b;
        platform::CaptureWindow(&w, b);
        return b;
    }
    int state = 0;
};

TEST_F(StatusBarTest, PanesOfAThousandPixelBar) {
    EXPECT_EQ(bar.CalcFixedLayout(TRUE, TRUE), CSize(32767, 32));
    EXPECT_EQ(RectIn(bar.m_wndTitle), CRect(0, 0, 150, 32));
    EXPECT_EQ(RectIn(bar.m_wndConnection), CRect(878, 0, 900, 32));
    EXPECT_EQ(RectIn(bar.m_wndClock), CRect(900, 0, 1000, 32));
    EXPECT_EQ(bar.GetCodeInputRect(), CRect(723, 2, 843, 26));
    // The code input, when it comes, takes its slot and keeps it as the bar resizes.
    ASSERT_TRUE(input.CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &bar, 120));
    bar.SetCodeInput(&input);
    EXPECT_EQ(RectIn(input), CRect(723, 2, 843, 26));
    bar.MoveWindow(CRect(0, 0, 1200, CBarStatus::kHeight));
    EXPECT_EQ(RectIn(input), CRect(923, 2, 1043, 26));
    EXPECT_EQ(RectIn(bar.m_wndClock), CRect(1100, 0, 1200, 32));
}

TEST_F(StatusBarTest, TheClockShowsMonthDayAndTimeAndRepaintsWhenTheMinuteTurns) {
    EXPECT_EQ(bar.m_wndClock.GetText(), "3月5日 09:30");
    bar.m_wndClock.SendMessage(WM_TIMER, CClockWnd::kTimer, 0);
    EXPECT_EQ(bar.m_wndClock.m_nHour, 9);
    EXPECT_EQ(bar.m_wndClock.m_nMinute, 30);
    GetAppInfo()->SetClock(20190305, 93059);  // same minute: nothing to do
    bar.m_wndClock.SendMessage(WM_TIMER, CClockWnd::kTimer, 0);
    EXPECT_EQ(bar.m_wndClock.m_nMinute, 30);
    GetAppInfo()->SetClock(20190305, 93200);
    bar.m_wndClock.SendMessage(WM_TIMER, CClockWnd::kTimer, 0);
    EXPECT_EQ(bar.m_wndClock.m_nMinute, 32);

    // Text pixels appear on the status ground; with no date only the ground.
    auto inked = [&] {
        CBitmap b = Shot(bar.m_wndClock);
        COLORREF ground = GetCommonVar()->GetColor(CommonColor::uniStatus_Back);
        int n = 0;
        for (int y = 0; y < b.GetSize().cy; ++y)
            for (int x = 0; x < b.GetSize().cx; ++x) n += b.GetPixel(x, y) != ground;
        return n;
    };
    EXPECT_GT(inked(), 40);
    GetAppInfo()->SetClock(0, 0);
    bar.m_wndClock.Invalidate();
    EXPECT_EQ(inked(), 0);
}

TEST_F(StatusBarTest, TheConnectionIconFollowsTheLoginState) {
    auto cellColour = [&] {
        // The brightest pixel of the icon tells the cell: green logged in, amber
        // connecting, grey with red offline.
        CBitmap b = Shot(bar.m_wndConnection);
        int green = 0, amber = 0, red = 0;
        for (int y = 0; y < b.GetSize().cy; ++y)
            for (int x = 0; x < b.GetSize().cx; ++x) {
                COLORREF c = b.GetPixel(x, y);
                int r = GetRValue(c), g = GetGValue(c), bl = GetBValue(c);
                if (g > 150 && r < 100) ++green;
                if (r > 200 && g > 150 && bl < 100) ++amber;
                if (r > 200 && g < 100) ++red;
            }
        if (green > 10) return 'G';
        if (amber > 10) return 'A';
        if (red > 4) return 'R';
        return '?';
    };
    bar.m_wndConnection.UpdateState();
    EXPECT_EQ(bar.m_wndConnection.m_nState, 0);
    EXPECT_EQ(cellColour(), 'R');
    state = 3;  // connected, waiting for the login reply
    bar.m_wndConnection.SendMessage(WM_TIMER, CConnectionStatusWnd::kTimer, 0);
    EXPECT_EQ(bar.m_wndConnection.m_nState, 3);
    EXPECT_EQ(cellColour(), 'A');
    state = 4;
    bar.m_wndConnection.SendMessage(WM_TIMER, CConnectionStatusWnd::kTimer, 0);
    EXPECT_EQ(cellColour(), 'G');
    state = 0;  // the connection dropped
    bar.m_wndConnection.SendMessage(WM_TIMER, CConnectionStatusWnd::kTimer, 0);
    EXPECT_EQ(cellColour(), 'R');
}

// The main window as far as the bubble's click reaches it: the user messages it was posted.
class CRecordingMain : public CWnd {
public:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg >= 0x8000) posted.push_back({msg, wParam, lParam});
        return CWnd::WindowProc(msg, wParam, lParam);
    }
    struct Posted {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Posted> posted;
};

TEST_F(StatusBarTest, ALateLoginReplyShowsTheTimeOutBubbleAboveTheIconAndItsClickTellsTheMainWindow) {
    CWinApp app;
    CRecordingMain main;
    ASSERT_TRUE(main.CreateEx(0, nullptr, "main", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0));
    app.m_pMainWnd = &main;
    {
        // As the main frame does when it is sized: the bubble's size comes from these.
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        GetCommonVar()->MeasureFonts(&dc);
    }
    CConnectionStatusWnd& icon = bar.m_wndConnection;
    CTipBS& bubble = icon.m_tip;
    ASSERT_NE(bubble.m_hWnd, nullptr) << "the icon makes its bubble with itself";
    EXPECT_EQ(bubble.m_nStyle, 1);

    state = 3;  // connected, the login reply still out
    icon.SendMessage(WM_TIMER, CConnectionStatusWnd::kTimer, 0);
    ASSERT_NE(icon.m_nTipTime, 0u);
    const uint32_t since = icon.m_nTipTime;
    icon.CheckTipTime(since + CConnectionStatusWnd::kLoginTimeoutMs - 1);
    platform::ProcessPendingEvents();
    EXPECT_FALSE(bubble.IsWindowVisible()) << "not late yet";
    icon.CheckTipTime(since + CConnectionStatusWnd::kLoginTimeoutMs);
    platform::ProcessPendingEvents();
    ASSERT_TRUE(bubble.IsWindowVisible());
    EXPECT_EQ(bubble.m_strText, "超时, 详情请点击...");
    EXPECT_EQ(icon.m_nTipTime, 0u) << "one notice per wait";
    CRect iconRect, tipRect;
    icon.GetWindowRect(&iconRect);
    bubble.GetWindowRect(&tipRect);
    // Its pointer touches the icon's top centre from above-left.
    EXPECT_EQ(tipRect.right, (iconRect.left + iconRect.right) / 2);
    EXPECT_EQ(tipRect.bottom, iconRect.top + 4);
    EXPECT_GT(tipRect.Width(), 100) << "wide enough for the text";
    CBitmap shot;
    platform::CaptureWindow(&bubble, shot);
    shot.SavePng(std::string(TARROW_BINARY_DIR) + "/screenshots/statusbubble.png");
    int text = 0;
    const COLORREF ink = GetCommonVar()->GetColor(CommonColor::uniSocket_Tip);
    for (int y = 0; y < shot.GetSize().cy; ++y)
        for (int x = 0; x < shot.GetSize().cx; ++x) {
            const COLORREF c = shot.GetPixel(x, y);  // smoothed glyphs: near the ink
            text += std::abs(GetRValue(c) - GetRValue(ink)) + std::abs(GetGValue(c) - GetGValue(ink)) +
                        std::abs(GetBValue(c) - GetBValue(ink)) < 90;
        }
    EXPECT_GT(text, 20) << "the notice is written in the socket-tip colour";

    bubble.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(10, 5));
    platform::ProcessPendingEvents();
    EXPECT_FALSE(bubble.IsWindowVisible());
    ASSERT_EQ(main.posted.size(), 1u);
    EXPECT_EQ(main.posted[0].msg, 0x8070u);
    EXPECT_EQ(main.posted[0].wParam, 11u);
    EXPECT_EQ(main.posted[0].lParam, 1);

    // A new wait that ends in time: the reply takes the pending notice away.
    state = 0;
    icon.UpdateState();
    state = 3;
    icon.UpdateState();
    ASSERT_NE(icon.m_nTipTime, 0u);
    state = 4;
    icon.UpdateState();
    EXPECT_EQ(icon.m_nTipTime, 0u);
    icon.CheckTipTime(UINT32_MAX);
    platform::ProcessPendingEvents();
    EXPECT_FALSE(bubble.IsWindowVisible());
    app.m_pMainWnd = nullptr;
    main.DestroyWindow();
}

TEST_F(StatusBarTest, TheLogoOpensTheHomePage) {
    std::vector<std::string> urls;
    platform::SetShellOpenHook([&](const std::string& url) { urls.push_back(url); });
    bar.m_wndTitle.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    bar.m_wndTitle.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    platform::SetShellOpenHook(nullptr);
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0].rfind("https://", 0), 0u);
}

TEST_F(StatusBarTest, LooksRightOnTheShippedSkin) {
    ASSERT_TRUE(input.CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &bar, 120));
    input.SetBackgroundColor(CBarStatus::kInputBack);  // where the code input will sit
    bar.SetCodeInput(&input);
    state = 4;
    bar.m_wndConnection.UpdateState();
    CBitmap shot = Shot(bar);
    std::filesystem::create_directories(std::string(TARROW_BINARY_DIR) + "/screenshots");
    shot.SavePng(std::string(TARROW_BINARY_DIR) + "/screenshots/statusbar.png");
    const COLORREF ground = GetCommonVar()->GetColor(CommonColor::uniStatus_Back);
    EXPECT_EQ(shot.GetPixel(400, 16), ground);
    EXPECT_EQ(shot.GetPixel(760, 12), RGB(157, 169, 187));
    // The logo: the red candle of the mark at its left.
    int logo = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 150; ++x) logo += GetRValue(shot.GetPixel(x, y)) > 200 && GetGValue(shot.GetPixel(x, y)) < 100;
    EXPECT_GT(logo, 20);
}

}  // namespace
