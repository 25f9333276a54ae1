// The most-used indicators picker: categories switch pages, picks show checked on every page
// and in the result strip, and the strip's remove mark takes a pick back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "formula/wnd/DlgMostUsedInd.h"
#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Input.h"
#include "platform/Services.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/ScrollControlWnd.h"

namespace {

void EnsurePlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_formula";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

struct MostUsedIndTest : ::testing::Test {
    CDlgMostUsedInd dlg;
    void SetUp() override {
        EnsurePlatform();
        ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_SOURCE_DIR) +
                                                       "/resources/DlgConfig.xml"));
        ASSERT_TRUE(dlg.Create(CDlgTemplate::kTemplateId, nullptr));
        dlg.ShowWindow(SW_SHOW);
        platform::ProcessPendingEvents();
    }
    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();
    }
    int Check(int page, int item) { return dlg.m_pages.at(size_t(page))->m_buttons.at(size_t(item))->GetCheck(); }
    // A click on a page's toggle button, as a user makes it.
    void Toggle(int page, int item) {
        MyButton* b = dlg.m_pages.at(size_t(page))->m_buttons.at(size_t(item)).get();
        ASSERT_TRUE(b->m_hWnd);
        b->SendMessage(BM_SETCHECK, b->GetCheck() ? 0 : 1, 0);
        dlg.SendMessage(UM_STRIP_CHECK, WPARAM(1000 + item), LPARAM(b->GetCheck()));
    }
    void ClickCategory(int index) {
        CWnd* b = dlg.m_pLayout->GetControl(CDlgMostUsedInd::kFirstCategoryId + index).get();
        ASSERT_NE(b, nullptr);
        platform::InjectMouse(b, WM_LBUTTONDOWN, 5, 5);
        platform::InjectMouse(b, WM_LBUTTONUP, 5, 5);
    }
    std::vector<std::string> Strip() {
        std::vector<std::string> texts;
        for (auto& item : dlg.m_pResult->m_items) texts.push_back(item->m_strText);
        return texts;
    }
};

TEST_F(MostUsedIndTest, EightCategoriesWithTheFirstShown) {
    ASSERT_EQ(dlg.m_categories.size(), 8u);
    ASSERT_EQ(dlg.m_pages.size(), 8u);
    ASSERT_NE(dlg.m_pResult, nullptr);
    EXPECT_EQ(dlg.m_nCategory, 0);
    EXPECT_EQ(dlg.m_categories[0]->GetCheck(), 1);
    EXPECT_EQ(dlg.m_pages[0]->m_buttons.size(), 100u);
    EXPECT_EQ(dlg.m_pages[0]->m_titles.at(42), "42");
    EXPECT_TRUE(dlg.m_pages[0]->IsWindowVisible());
    EXPECT_FALSE(dlg.m_pages[1]->IsWindowVisible());
    EXPECT_TRUE(dlg.m_pages[1]->m_buttons.empty());  // made when first shown
}

TEST_F(MostUsedIndTest, APickShowsOnEveryPageAndUncheckingAnywhereTakesItBack) {
    Toggle(0, 3);
    Toggle(0, 7);
    EXPECT_EQ(dlg.m_picked, (std::vector<std::string>{"3", "7"}));
    EXPECT_EQ(Strip(), (std::vector<std::string>{"3", "7"}));
    ClickCategory(2);
    EXPECT_EQ(dlg.m_nCategory, 2);
    EXPECT_TRUE(dlg.m_pages[2]->IsWindowVisible());
    EXPECT_FALSE(dlg.m_pages[0]->IsWindowVisible());
    EXPECT_EQ(Check(2, 3), 1);
    EXPECT_EQ(Check(2, 7), 1);
    EXPECT_EQ(Check(2, 4), 0);
    Toggle(2, 3);  // unchecked on another page
    EXPECT_EQ(dlg.m_picked, (std::vector<std::string>{"7"}));
    ClickCategory(0);
    EXPECT_EQ(Check(0, 3), 0);  // refreshed when shown again
    EXPECT_EQ(Check(0, 7), 1);
}

TEST_F(MostUsedIndTest, RemovingFromTheStripUnchecksOnTheCurrentPageOnly) {
    Toggle(0, 5);
    ClickCategory(1);
    Toggle(1, 9);
    ASSERT_EQ(dlg.m_picked, (std::vector<std::string>{"5", "9"}));
    dlg.SendMessage(UM_STRIP_REMOVE, 0, 0);  // "5"
    EXPECT_EQ(dlg.m_picked, (std::vector<std::string>{"9"}));
    EXPECT_EQ(Strip(), (std::vector<std::string>{"9"}));
    EXPECT_EQ(Check(1, 5), 0);
    EXPECT_EQ(Check(0, 5), 1);  // not the current page: still as it was
    ClickCategory(0);
    EXPECT_EQ(Check(0, 5), 0);  // until it is shown
    dlg.SendMessage(UM_STRIP_REMOVE, 7, 0);  // no such pick
    dlg.SendMessage(UM_STRIP_CHECK, 1000 + 100, 1);  // no such item
    dlg.SendMessage(UM_STRIP_CHECK, 999, 1);
    EXPECT_EQ(dlg.m_picked, (std::vector<std::string>{"9"}));
}

TEST_F(MostUsedIndTest, SelectingTheCurrentCategoryAgainChangesNothing) {
    Toggle(0, 1);
    MyButton* b = dlg.m_pages[0]->m_buttons[1].get();
    b->SendMessage(BM_SETCHECK, 0, 0);  // a check state out of step with the picks
    dlg.SelectCategory(0);
    EXPECT_EQ(b->GetCheck(), 0);  // not refreshed: nothing happened
    dlg.SelectCategory(3);
    dlg.SelectCategory(0);
    EXPECT_EQ(b->GetCheck(), 1);
}

// The categories above the page, the page's toggle buttons, the strip with a pick, all
// inside the dialog.
TEST_F(MostUsedIndTest, LooksRightOnTheDarkSkin) {
    Toggle(0, 2);
    dlg.Invalidate();
    dlg.UpdateWindow();
    platform::ProcessPendingEvents();
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&dlg, shot));
    if (const char* dir = std::getenv("TARROW_TEST_SHOTS")) shot.SavePng(std::string(dir) + "/most_used_ind.png");
    const CSize size = shot.GetSize();
    for (CWnd* w : {static_cast<CWnd*>(dlg.m_categories[7]), static_cast<CWnd*>(dlg.m_pages[0].get()),
                    static_cast<CWnd*>(dlg.m_pResult.get()), dlg.m_pLayout->GetControl(IDOK).get()}) {
        CRect rc;
        w->GetWindowRect(&rc);
        dlg.ScreenToClient(&rc);
        EXPECT_GE(rc.left, 0);
        EXPECT_LE(rc.right, size.cx);
        EXPECT_LE(rc.bottom, size.cy);
    }
    // The chosen category in the hover/checked colour of the skin differs from the others.
    CRect first, second;
    dlg.m_categories[0]->GetWindowRect(&first);
    dlg.m_categories[1]->GetWindowRect(&second);
    dlg.ScreenToClient(&first);
    dlg.ScreenToClient(&second);
    EXPECT_NE(shot.GetPixel(first.left + 2, first.top + 2), shot.GetPixel(second.left + 2, second.top + 2));
}

}  // namespace
