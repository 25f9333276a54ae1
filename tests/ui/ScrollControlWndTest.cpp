// The scroll control strip as a window: skin reading, check buttons built once, tags with a
// close cross, scrolling rows out of view, and what the parent hears.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "platform/App.h"
#include "platform/Input.h"
#include "ui/dialog/ScrollControlWnd.h"
#include "ui/grid/ScrollStripLayout.h"

using grid_test::EnsurePlatform;

namespace {

struct StripHost : CWnd {
    std::vector<std::pair<WPARAM, LPARAM>> checks;
    std::vector<WPARAM> removals;
    StripHost() {
        EnsurePlatform();
        CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 500, 300), nullptr, 0);
    }
    ~StripHost() override {
        if (m_hWnd) DestroyWindow();
    }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == UM_STRIP_CHECK) checks.emplace_back(wp, lp);
        if (msg == UM_STRIP_REMOVE) removals.push_back(wp);
        return CWnd::WindowProc(msg, wp, lp);
    }
};

// 4 columns of 100 pixels, lines of 30, two rows on a page of 60 + bar room.
const char* kSkin =
    "<strip rect=\"10,10,400,64\" colorbk=\"RGB(240,240,240)\">"
    "<ScrollUI columnsize=\"4\" lineheight=\"30\" needvscroll=\"1\"/></strip>";

void LoadStrip(CScrollControlWnd& strip, tinyxml2::XMLDocument& doc, const char* xml = kSkin) {
    doc.Parse(xml);
    strip.LoadSkin(doc.RootElement());
}

}  // namespace

TEST(ScrollControlWndTest, SkinAndCreation) {
    StripHost host;
    tinyxml2::XMLDocument doc;
    CScrollControlWnd strip;
    LoadStrip(strip, doc,
              "<strip rect=\"5,6,200,100\" colorbk=\"RGB(1,2,3)\"><ScrollUI columnsize=\"2\" lineheight=\"20\"/>"
              "<button id=\"1500\" rect=\"300,10,40,20\" text=\"OK\"/><static text=\"a\" rect=\"0,0,10,10\"/>"
              "<button id=\"1501\" rect=\"300,40,40,20\"/><button id=\"1502\" rect=\"300,70,40,20\"/></strip>");
    EXPECT_EQ(strip.m_rcPlace, CRect(5, 6, 205, 106));
    EXPECT_EQ(strip.m_clrBk, RGB(1, 2, 3));
    EXPECT_EQ(strip.m_buttons.size(), 3u);
    EXPECT_EQ(strip.m_items.size(), 1u);
    EXPECT_EQ(strip.m_scroll.m_nRowCount, 2);  // 3 / 2 + 1
    ASSERT_TRUE(strip.Create(&host));
    EXPECT_GE(strip.GetDlgCtrlID(), 1000);
    // Skin buttons are the dialog's children, not the strip's.
    ASSERT_TRUE(strip.m_buttons[0]->m_hWnd);
    EXPECT_EQ(strip.m_buttons[0]->GetParent(), &host);
}

TEST(ScrollControlWndTest, CheckButtonsBuiltOnceAndReported) {
    StripHost host;
    tinyxml2::XMLDocument doc;
    CScrollControlWnd strip;
    LoadStrip(strip, doc);
    ASSERT_TRUE(strip.Create(&host));
    strip.CreateButtons({"MA", "MACD", "KDJ", "RSI", "BOLL", "VOL", "OBV", "WR", "CCI"}, {"macd", "Vol"});
    ASSERT_EQ(strip.m_buttons.size(), 9u);
    EXPECT_EQ(strip.m_items.size(), 9u);
    EXPECT_EQ(strip.m_scroll.m_nRowCount, 3);  // 9 / 4 + 1
    std::vector<LRESULT> checks;
    for (auto& b : strip.m_buttons) checks.push_back(b->SendMessage(BM_GETCHECK, 0, 0));
    EXPECT_EQ(checks, (std::vector<LRESULT>{0, 1, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(strip.m_buttons[5]->m_nCommandId, 1005);
    EXPECT_EQ(strip.m_buttons[5]->GetParent(), &strip);
    EXPECT_EQ(strip.m_items[5]->m_strText, "VOL");

    // A second call with other titles keeps buttons and captions and checks by the stored titles.
    strip.CreateButtons({"X", "Y"}, {"kdj"});
    EXPECT_EQ(strip.m_buttons.size(), 9u);
    EXPECT_EQ(strip.m_items[0]->m_strText, "MA");
    EXPECT_EQ(strip.m_buttons[1]->SendMessage(BM_GETCHECK, 0, 0), 0);
    EXPECT_EQ(strip.m_buttons[2]->SendMessage(BM_GETCHECK, 0, 0), 1);
    strip.UncheckButton("KDJ");
    EXPECT_EQ(strip.m_buttons[2]->SendMessage(BM_GETCHECK, 0, 0), 0);

    // A click on a visible check button reaches the parent with its id and new state.
    MyButton& first = *strip.m_buttons[0];
    platform::InjectMouse(&first, WM_LBUTTONDOWN, 4, 4);
    platform::InjectMouse(&first, WM_LBUTTONUP, 4, 4);
    platform::ProcessPendingEvents();
    ASSERT_EQ(host.checks.size(), 1u);
    EXPECT_EQ(host.checks[0].first, 1000u);
    EXPECT_EQ(host.checks[0].second, 1);
}

TEST(ScrollControlWndTest, ScrollingHidesRowsOutOfView) {
    StripHost host;
    tinyxml2::XMLDocument doc;
    CScrollControlWnd strip;
    LoadStrip(strip, doc);
    ASSERT_TRUE(strip.Create(&host));
    std::vector<std::string> titles;
    for (int i = 0; i < 12; ++i) titles.push_back("T" + std::to_string(i));
    strip.CreateButtons(titles, {});
    ASSERT_EQ(strip.m_scroll.m_nPageRows, 2);
    ASSERT_EQ(strip.m_scroll.m_nRowCount, 4);
    strip.m_scroll.SetTopRow(0);
    EXPECT_FALSE(strip.m_items[0]->m_bHidden);
    EXPECT_TRUE(strip.m_items[8]->m_bHidden);
    CRect rc;
    strip.m_buttons[8]->GetWindowRect(&rc);
    EXPECT_TRUE(rc.IsRectEmpty());

    // One row down: row 0 leaves, row 2 comes in at the first line.
    strip.m_scroll.SetTopRow(1);
    EXPECT_TRUE(strip.m_items[0]->m_bHidden);
    EXPECT_FALSE(strip.m_items[8]->m_bHidden);
    EXPECT_EQ(strip.m_items[8]->m_rect.top, 30 + 10 + (30 - 16) / 2);
    strip.m_buttons[0]->GetWindowRect(&rc);
    EXPECT_TRUE(rc.IsRectEmpty());
    strip.m_buttons[8]->GetWindowRect(&rc);
    EXPECT_EQ(rc.Size(), CSize(16, 16));
}

TEST(ScrollControlWndTest, TagClicksSelectAndClose) {
    StripHost host;
    tinyxml2::XMLDocument doc;
    CScrollControlWnd strip;
    LoadStrip(strip, doc);
    ASSERT_TRUE(strip.Create(&host));
    strip.SetItems({"MA", "MACD", "KDJ"});
    ASSERT_EQ(strip.m_items.size(), 3u);
    strip.m_scroll.SetTopRow(0);
    const CRect tag1 = strip.m_items[1]->m_rect;
    const CRect close1 = scroll_strip::TagCloseBox(tag1);

    // The cross area of an unselected tag only selects it.
    platform::InjectMouse(&strip, WM_LBUTTONUP, close1.CenterPoint().x, close1.CenterPoint().y);
    platform::ProcessPendingEvents();
    EXPECT_TRUE(strip.m_items[1]->m_bSelected);
    EXPECT_TRUE(host.removals.empty());

    // Another tag takes the selection.
    CPoint mid0 = strip.m_items[0]->m_rect.CenterPoint();
    platform::InjectMouse(&strip, WM_LBUTTONUP, mid0.x, mid0.y);
    platform::ProcessPendingEvents();
    EXPECT_TRUE(strip.m_items[0]->m_bSelected);
    EXPECT_FALSE(strip.m_items[1]->m_bSelected);

    // Selected again and painted (the close box is where it was drawn): its cross posts index 1.
    platform::InjectMouse(&strip, WM_LBUTTONUP, close1.CenterPoint().x, close1.CenterPoint().y);
    strip.UpdateWindow();
    platform::ProcessPendingEvents();
    EXPECT_TRUE(host.removals.empty());
    platform::InjectMouse(&strip, WM_LBUTTONUP, close1.CenterPoint().x, close1.CenterPoint().y);
    platform::ProcessPendingEvents();
    ASSERT_EQ(host.removals.size(), 1u);
    EXPECT_EQ(host.removals[0], 1u);
    // Inside the selected tag but off its cross: nothing posted, still selected.
    platform::InjectMouse(&strip, WM_LBUTTONUP, tag1.left + 3, tag1.top + 3);
    platform::ProcessPendingEvents();
    EXPECT_EQ(host.removals.size(), 1u);
    EXPECT_TRUE(strip.m_items[1]->m_bSelected);
}
