// Stock-selection training before the board: the set-up page's checks and the settings it
// writes, the page driven like a user, and the verdict dialog's lines and look.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Gdi.h"
#include "platform/Services.h"
#include "training/wnd/SelStockTraining.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"

namespace {

TEST(SelStockSettingsTest, TextsAreCheckedInOrderAndWritten) {
    struct Case {
        const char* periods;
        const char* rise;
        const char* message;
        int periodsOut, riseOut;
    } cases[] = {
        {"", "", "期数没有设置!!!", 0, 0},
        {"5", "", "涨跌幅没有设置!!!", 0, 0},
        {"-5", "3", "期数输入有误!!!", 0, 0},
        {"5", "3a", "涨跌幅输入有误!!!", 0, 0},
        {"1.5", "2.55", "", 1, 25},  // whole periods; tenths, the rest dropped
        {"0", "2", "期数输入有误!!!", 0, 0},  // no period to judge
        {"0.5", "2", "期数输入有误!!!", 0, 0},
        {"3", "2.3", "", 3, 23},  // 2.3 × 10 is 22.99... in binary: still 23
        {"12", "10", "", 12, 100},
    };
    for (const Case& c : cases) {
        GetSelStockSettings() = {};
        std::string message;
        const bool ok = ApplySelStockInput(c.periods, c.rise, true, false, message);
        SCOPED_TRACE(testing::Message() << "'" << c.periods << "' '" << c.rise << "'");
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(ok, message.empty());
        EXPECT_EQ(GetSelStockSettings().periods, c.periodsOut);
        EXPECT_EQ(GetSelStockSettings().riseTenths, c.riseOut);
        EXPECT_EQ(GetSelStockSettings().hideDate, ok);
    }
}

void EnsurePlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_training";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

struct Host : CWnd {
    Host() {
        EnsurePlatform();
        CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 420, 400), nullptr, 0);
    }
    ~Host() override {
        if (m_hWnd) DestroyWindow();
    }
};

struct SelStockPageTest : ::testing::Test {
    Host host;
    SelStockSetWnd page;
    std::vector<std::string> boxes, opened;
    void SetUp() override {
        GetCommonVar()->LoadColours();
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, UINT) {
            boxes.push_back(caption + ":" + text);
            return IDOK;
        });
        SetTrainingLayoutOpener([this](const std::string& path) { opened.push_back(path); });
        GetSelStockSettings() = {};
        ASSERT_TRUE(page.Create(&host));
        host.ShowWindow(SW_SHOW);
        page.MoveWindow(0, 0, 400, 380);
        platform::ProcessPendingEvents();
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        SetTrainingLayoutOpener(nullptr);
    }
    void Click(int id) {
        MyButton* b = page.m_buttons[id - SelStockSetWnd::kHideDateId].get();
        b->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        b->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
};

TEST_F(SelStockPageTest, StartChecksTheTextsThenWritesTheSettingsAndOpensTheBoard) {
    Click(SelStockSetWnd::kStartId);
    EXPECT_EQ(boxes, (std::vector<std::string>{"提示:期数没有设置!!!"}));
    EXPECT_TRUE(opened.empty());
    page.m_pPeriods->SetWindowText("8");
    page.m_pRise->SetWindowText("15");
    Click(SelStockSetWnd::kHideDateId);
    Click(SelStockSetWnd::kHideNameId);
    Click(SelStockSetWnd::kHideNameId);  // on and off again
    Click(SelStockSetWnd::kStartId);
    EXPECT_EQ(boxes.size(), 1u);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_NE(opened[0].find("layout/selstocktraining.xlay"), std::string::npos);
    EXPECT_EQ(GetSelStockSettings().periods, 8);
    EXPECT_EQ(GetSelStockSettings().riseTenths, 150);
    EXPECT_TRUE(GetSelStockSettings().hideDate);
    EXPECT_FALSE(GetSelStockSettings().hideName);
}

TEST_F(SelStockPageTest, LooksLikeAPageWithItsRedStartButton) {
    page.Invalidate();
    page.UpdateWindow();
    platform::ProcessPendingEvents();
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&host, shot));
    if (const char* dir = std::getenv("TARROW_TEST_SHOTS")) shot.SavePng(std::string(dir) + "/selstock_page.png");
    // The start button at (105, 490) lies below the window: scrolled into view it is red.
    page.m_nScrollPos = 200;
    page.RepositionControls();
    page.UpdateWindow();
    platform::ProcessPendingEvents();
    ASSERT_TRUE(platform::CaptureWindow(&host, shot));
    EXPECT_EQ(shot.GetPixel(105 + 10, 490 - 200 + 10), RGB(203, 76, 76));
    EXPECT_EQ(shot.GetPixel(105, 490 - 200 + 10), RGB(0, 0, 0));  // its frame
    int white = 0;  // the intro text, white on the page, scrolled up out of sight now
    for (int y = 0; y < 60; ++y)
        for (int x = 30; x < 370; ++x) white += shot.GetPixel(x, y) == RGB(255, 255, 255);
    EXPECT_EQ(white, 0);
}

TEST(SelStockVerdict, LinesForPassedAndFailedChoices) {
    GetSelStockSettings() = {};
    GetSelStockSettings().periods = 10;
    GetSelStockSettings().riseTenths = 150;
    CDlgSelStockTip tip;
    tip.m_bPassed = 1;
    tip.m_fRise = 150;  // equal to the threshold: passed, showing the rise
    tip.m_strName = "浦发银行";
    tip.m_strCode = "600000";
    EXPECT_EQ(tip.Lines(), (std::vector<std::string>{"恭喜您！", "浦发银行 (600000) 在10天内，最高涨幅为15.00%，真棒！"}));
    tip.m_bPassed = 0;
    tip.m_fRise = 37;
    EXPECT_EQ(tip.Lines(), (std::vector<std::string>{"真遗憾！", "浦发银行 (600000) 在10天内，最高涨幅未达到15.00%，",
                                                     "加油！继续努力呦！"}));
    tip.m_strName.clear();
    tip.m_strCode.clear();
    EXPECT_EQ(tip.Lines()[1].rfind(" () 在10天内", 0), 0u);
}

TEST(SelStockVerdict, DrawsItsLinesInBlackOnTheLightBox) {
    EnsurePlatform();
    ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_SOURCE_DIR) + "/resources/DlgConfig.xml"));
    GetSelStockSettings().periods = 10;
    CDlgSelStockTip tip;
    tip.m_bPassed = 0;
    ASSERT_TRUE(tip.Create(CDlgTemplate::kTemplateId, nullptr));
    tip.ShowWindow(SW_SHOW);
    tip.Invalidate();
    tip.UpdateWindow();
    platform::ProcessPendingEvents();
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&tip, shot));
    if (const char* dir = std::getenv("TARROW_TEST_SHOTS")) shot.SavePng(std::string(dir) + "/selstock_tip.png");
    EXPECT_GE(shot.GetSize().cx, 436);
    EXPECT_EQ(shot.GetPixel(18, 36), tip.m_clrBk2);
    EXPECT_EQ(shot.GetPixel(420, 120), tip.m_clrBk2);
    for (int top : {50, 76, 102}) {
        int dark = 0;
        for (int y = top; y < top + 16; ++y)
            for (int x = 25; x < 300; ++x) dark += GetRValue(shot.GetPixel(x, y)) < 80;
        EXPECT_GT(dark, 10) << top;
    }
    tip.DestroyWindow();
}

}  // namespace
