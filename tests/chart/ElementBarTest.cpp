// The element bar: two-pass layout in three groups, radio groups, states from the owner's
// 0x8068 answers, drop-downs; the chart's title-bar content.
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <map>
#include <utility>
#include <vector>

#include "ChartTestSupport.h"
#include "chart/ChartActions.h"
#include "chart/ChartElementBar.h"
#include "marketdata/DataCenter.h"
#include "ui/element/ElementBar.h"
#include "ui/element/ElementWnd.h"

using namespace chart_test;

namespace {

// An owner that answers 0x8068 from a table (1 for ids it does not know) and records
// the commands and releases the bar sends it.
class OwnerElement : public CElementWnd {
public:
    std::map<UINT, int> states;
    std::vector<std::pair<UINT, UINT>> sent;  // (message, id)
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kBarMsgState) {
            auto it = states.find(static_cast<UINT>(wParam));
            return it == states.end() ? 1 : it->second;
        }
        if (msg == WM_COMMAND || msg == kBarMsgReleased) {
            sent.emplace_back(msg, static_cast<UINT>(LOWORD(wParam)));
            return 0;
        }
        return CElementWnd::WindowProc(msg, wParam, lParam);
    }
};

// Items whose width is their value, so layouts do not depend on the font.
class FixedItem : public CElementMenuItem {
public:
    using CElementMenuItem::CElementMenuItem;
    int Measure(CDC*, CFont*, int, int) override { return m_nWidth = IsSeparator() ? 0 : m_nValue; }
};

class TestBar : public CElementBarMenu {
public:
    std::shared_ptr<CElementMenuItem> CreateItem(UINT flags, UINT id, const std::string& text, int value) override {
        return std::make_shared<FixedItem>(flags, id, text, value);
    }
    // The drop-down is answered by the test instead of a person.
    UINT answer = 0;
    int opened = 0;
    UINT TrackDropDown(CElementMenuItem& item, CPoint) override {
        ++opened;
        return answer;
    }
};

class BarFixture : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureChartEnvironment();
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 600, 100), nullptr, 0);
        ASSERT_TRUE(owner.Create(&host));
        bar.m_pOwnerElement = &owner;
        ASSERT_TRUE(bar.CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), &owner, (UINT)-1));
    }
    void TearDown() override {
        bar.DestroyWindow();
        owner.DestroyWindow();
        host.DestroyWindow();
    }
    // Sizes the bar, lays it out and paints it into an image; the items' hit areas follow.
    void Paint(int width) {
        bar.MoveWindow(0, 0, width, 26);
        bar.Layout(width);
        Snapshot shot(width, 26);
        bar.m_rcBar = CRect(0, 0, width, 26);
        bar.DrawBar(&shot.dc);
    }
    CWnd host;
    OwnerElement owner;
    TestBar bar;
};

constexpr UINT S = kBarItemSeparator;
constexpr UINT G = kBarItemGroupStart;

}  // namespace

TEST_F(BarFixture, LayoutTwoPassesThreeGroupsAndCentring) {
    struct Case {
        const char* what;
        int width;
        std::vector<std::pair<UINT, int>> items;  // flags, width (separators: width ignored)
        std::vector<int> lefts;                    // drawn left edge, -1 not drawn
        std::array<int, 3> groups;
        int offset;
    };
    const Case cases[] = {
        {"wider than the content: left flush left, middle after half the free space, right flush right",
         300,
         {{0, 40}, {0, 30}, {S, 0}, {0, 20}, {S, 0}, {0, 50}, {0, 10}},
         {0, 40, -1, 145, -1, 240, 290},
         {70, 20, 60},
         75},
        {"narrower: what does not fit is hidden, a later narrow item still shows",
         100,
         {{0, 60}, {0, 50}, {0, 30}, {S, 0}, {0, 20}},
         {0, -1, 60, -1, -1},
         {90, 0, 0},
         5},
        {"a third separator hides everything after it",
         400,
         {{0, 10}, {S, 0}, {0, 10}, {S, 0}, {0, 10}, {S, 0}, {0, 10}},
         {0, -1, 195, -1, 390, -1, -1},
         {10, 10, 10},
         185},
        {"two separators, empty middle group: the rest is right-aligned",
         200,
         {{0, 30}, {S, 0}, {S, 0}, {0, 40}},
         {0, -1, -1, 160},
         {30, 0, 40},
         65},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bar.RemoveAllItems();
        for (const auto& [flags, width] : c.items) bar.AppendItem(flags, 0, "x", width);
        Paint(c.width);
        EXPECT_EQ(bar.m_aGroupWidth[0], c.groups[0]);
        EXPECT_EQ(bar.m_aGroupWidth[1], c.groups[1]);
        EXPECT_EQ(bar.m_aGroupWidth[2], c.groups[2]);
        EXPECT_EQ(bar.m_nCenterOffset, c.offset);
        for (size_t i = 0; i < c.lefts.size(); ++i) {
            SCOPED_TRACE(i);
            const CElementMenuItem& item = *bar.GetItem(static_cast<int>(i));
            if (c.lefts[i] < 0)
                EXPECT_TRUE(item.m_rcMain.IsRectEmpty());
            else
                EXPECT_EQ(item.m_rcMain.left, c.lefts[i]);
        }
    }
    EXPECT_EQ(bar.GetItem(99), nullptr);
    EXPECT_EQ(bar.GetItem(-1), nullptr);
}

TEST_F(BarFixture, RadioGroupsRunBetweenGroupStartsAndWrap) {
    struct Case {
        const char* what;
        std::vector<UINT> flags;
        std::vector<int> pressedBefore;
        int click;
        std::vector<int> pressedAfter;
        UINT message;
    };
    // The chart's bar: five periods, two separators, settings, draw-line, pan.
    const std::vector<UINT> chartBar = {G, 0, 0, 0, 0, S, S, G, G, G};
    // The picker: eight groups, separators, eraser in the first group, bin and gear alone.
    const std::vector<UINT> picker = {G, 0, 0, 0, 0, 0, 0, 0, S, S, 0, G, G};
    const Case cases[] = {
        {"a period clears the other periods only", chartBar, {0, 1, 0, 0, 1, 0, 0, 0, 1, 1}, 2,
         {0, 0, 1, 0, 0, 0, 0, 0, 1, 1}, WM_COMMAND},
        {"a pressed period clicked again is released", chartBar, {0, 0, 1, 0, 0, 0, 0, 0, 0, 0}, 2,
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kBarMsgReleased},
        {"draw-line toggles alone", chartBar, {1, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 8, {1, 0, 0, 0, 0, 0, 0, 0, 1, 1},
         WM_COMMAND},
        {"pan, the last item, wraps to itself", chartBar, {1, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 9,
         {1, 0, 0, 0, 0, 0, 0, 0, 1, 1}, WM_COMMAND},
        {"the eraser releases every tool", picker, {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1}, 10,
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1}, WM_COMMAND},
        {"a tool releases the eraser", picker, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}, 3,
         {0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}, WM_COMMAND},
        {"items before the first group start belong to the last group", {0, G, 0, G, 0}, {0, 1, 0, 0, 1}, 0,
         {1, 1, 0, 0, 0}, WM_COMMAND},
        {"no group start at all: one group", {0, 0, 0}, {1, 0, 1}, 1, {0, 1, 0}, WM_COMMAND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bar.RemoveAllItems();
        owner.sent.clear();
        for (size_t i = 0; i < c.flags.size(); ++i) {
            auto item = bar.AppendItem(c.flags[i], c.flags[i] == S ? 0 : 100 + static_cast<UINT>(i), "x", 10);
            item->m_bPressed = c.pressedBefore[i];
        }
        bar.OnItemClick(c.click);
        std::vector<int> after;
        for (const auto& item : bar.m_aItems) after.push_back(item->m_bPressed);
        EXPECT_EQ(after, c.pressedAfter);
        ASSERT_EQ(owner.sent.size(), 1u);
        EXPECT_EQ(owner.sent[0].first, c.message);
        EXPECT_EQ(owner.sent[0].second, 100u + static_cast<UINT>(c.click));
    }
}

TEST_F(BarFixture, StatesComeFromTheOwnerAndADropDownShowsItsCheckedEntry) {
    auto plain = bar.AppendItem(G, 39988, "日线", 40);
    auto list = bar.AppendItem(0, 39989, "周线", 40);
    list->AddChild(bar, 0, 39981, "每笔", 101);
    list->AddChild(bar, S, 0, "", 0);
    list->AddChild(bar, 0, 39990, "月线", 101);
    struct Case {
        std::map<UINT, int> states;
        int plainPressed;
        UINT listId;
        const char* listText;
        int listPressed;
    };
    const Case cases[] = {
        {{{39988, 3}}, 1, 39989, "周线", 0},
        {{{39988, 1}, {39990, 3}}, 0, 39990, "月线", 1},
        // Nothing checked: the button keeps what it showed last, un-pressed.
        {{}, 0, 39990, "月线", 0},
        {{{39981, 3}, {39990, 3}}, 0, 39981, "每笔", 1},
    };
    for (const Case& c : cases) {
        owner.states = c.states;
        Paint(300);
        EXPECT_EQ(plain->m_bPressed, c.plainPressed);
        EXPECT_EQ(list->m_nCommandId, c.listId);
        EXPECT_EQ(list->m_strText, c.listText);
        EXPECT_EQ(list->m_bPressed, c.listPressed);
    }
    owner.states = {{39988, 3}};
    Paint(300);
    bar.ResetItem(39988);
    EXPECT_EQ(plain->m_bPressed, 0);
    bar.ResetItem(12345);  // unknown: nothing
}

TEST_F(BarFixture, ClicksOnZonesAndDropDowns) {
    auto a = bar.AppendItem(G, 501, "a", 40);
    auto b = bar.AppendItem(0, 502, "b", 60);
    b->AddChild(bar, 0, 601, "c", 101);
    bar.AppendItem(0, 0, "silent", 30);
    owner.states = {};
    Paint(300);
    ASSERT_FALSE(b->m_rcArrow.IsRectEmpty());
    EXPECT_EQ(b->m_rcArrow.right, b->m_rcMain.left + 60 - 1);
    EXPECT_EQ(bar.HitTest(b->m_rcMain.CenterPoint()), 1);
    EXPECT_EQ(bar.HitTest(CPoint(b->m_rcArrow.right - 2, 10)), 1001);
    EXPECT_EQ(bar.HitTest(CPoint(299, 10)), -1);

    bar.ClickAt(a->m_rcMain.CenterPoint());
    ASSERT_EQ(owner.sent.size(), 1u);
    EXPECT_EQ(owner.sent[0], std::make_pair(static_cast<UINT>(WM_COMMAND), 501u));
    // An item without a command sends nothing.
    bar.ClickAt(bar.GetItem(2)->m_rcMain.CenterPoint());
    EXPECT_EQ(owner.sent.size(), 1u);
    // The arrow opens the drop-down; closing it without a choice sends nothing.
    bar.answer = 0;
    bar.ClickAt(CPoint(b->m_rcArrow.right - 2, 10));
    platform::ProcessPendingEvents();
    EXPECT_EQ(bar.opened, 1);
    EXPECT_EQ(owner.sent.size(), 1u);
    EXPECT_EQ(bar.m_bPopupOpen, 0);
    // A choice is posted to the owner as a command.
    bar.answer = 601;
    bar.ClickAt(CPoint(b->m_rcArrow.right - 2, 10));
    platform::ProcessPendingEvents();
    ASSERT_EQ(owner.sent.size(), 2u);
    EXPECT_EQ(owner.sent[1], std::make_pair(static_cast<UINT>(WM_COMMAND), 601u));
    // Without an owner window clicks do nothing.
    bar.m_pOwnerElement = nullptr;
    bar.ClickAt(a->m_rcMain.CenterPoint());
    EXPECT_EQ(owner.sent.size(), 2u);
}

TEST_F(BarFixture, DropDownMenusCarryChecksDisabledEntriesAndSubMenus) {
    auto settings = bar.AppendItem(G, 45602, "设置", 101);
    auto style = settings->AddChild(bar, 0, static_cast<UINT>(-1), "线型", 0);
    style->AddChild(bar, 0, 39941, "k线", 101);
    style->AddChild(bar, 0, 39942, "美国线", 101);
    settings->AddChild(bar, S, 0, "", 0);
    settings->AddChild(bar, 0, 700, "禁用", 101);
    settings->AddChild(bar, G, 701, "not a menu entry", 101);
    owner.states = {{39942, 3}, {700, 0}};
    CSkinMenu1 menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    for (const auto& child : settings->m_aChildren) child->AppendToMenu(&menu, &owner);
    ASSERT_EQ(menu.GetMenuItemCount(), 3);
    CMenu* sub = menu.GetSubMenu(0);
    ASSERT_NE(sub, nullptr);
    std::string text;
    menu.GetMenuString(0, text, MF_BYPOSITION);
    EXPECT_EQ(text, "线型");
    ASSERT_EQ(sub->GetMenuItemCount(), 2);
    EXPECT_EQ(sub->GetMenuItemID(0), 39941u);
    EXPECT_FALSE(sub->GetMenuState(0, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_TRUE(sub->GetMenuState(1, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_TRUE(menu.GetMenuState(1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(menu.GetMenuItemID(2), 700u);
    EXPECT_TRUE(menu.GetMenuState(2, MF_BYPOSITION) & (MF_DISABLED | MF_GRAYED));
    menu.DestroyMenu();
}

// ---- the chart's title bar ----

namespace {
struct Expected {
    UINT flags;
    UINT id;
    const char* text;
    int value;
};
void ExpectItems(const std::vector<std::shared_ptr<CElementMenuItem>>& items, const std::vector<Expected>& want) {
    ASSERT_EQ(items.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i]->m_nFlags, want[i].flags);
        EXPECT_EQ(items[i]->m_nCommandId, want[i].id);
        EXPECT_EQ(items[i]->m_strText, want[i].text);
        EXPECT_EQ(items[i]->m_nValue, want[i].value);
        EXPECT_EQ(items[i]->m_nIndex, static_cast<int>(i));
    }
}
}  // namespace

TEST(ChartTitleBar, DefaultPeriodButtonsSettingsAndModes) {
    EnsureChartEnvironment();
    CElementBarMenu bar;
    chart::FillChartTitleBar(bar, {});
    ExpectItems(bar.m_aItems, {{G, 39982, "分时", 101},
                               {0, 39988, "日线", 102},
                               {0, 39987, "60分", 102},
                               {0, 39986, "30分", 102},
                               {0, 39989, "周线", 103},
                               {S, 0, "", 0},
                               {S, 0, "", 0},
                               {G, 45602, "设置", 101},
                               {G, 45600, "画线", 101},
                               {G, 45601, "平移", 101}});
    ExpectItems(bar.m_aItems[4]->m_aChildren, {{0, 39981, "每笔", 101},
                                               {S, 0, "", 0},
                                               {0, 39983, "1分", 101},
                                               {0, 39984, "5分", 101},
                                               {0, 39985, "15分", 101},
                                               {S, 0, "", 0},
                                               {0, 39989, "周线", 101},
                                               {0, 39990, "月线", 101},
                                               {0, 39991, "季线", 101},
                                               {0, 39992, "半年线", 101},
                                               {0, 39993, "年线", 101},
                                               {S, 0, "", 0},
                                               {0, 39998, "设置常用周期...", 101}});
    const auto& settings = bar.m_aItems[7]->m_aChildren;
    ExpectItems(settings, {{0, static_cast<UINT>(-1), "线型", 0},
                           {0, static_cast<UINT>(-1), "除权", 0},
                           {0, static_cast<UINT>(-1), "坐标类型", 0}});
    ExpectItems(settings[0]->m_aChildren, {{0, 39941, "k线", 101},
                                           {0, 39942, "美国线", 101},
                                           {0, 39943, "价格线", 101},
                                           {0, 39945, "宝塔线", 101},
                                           {0, 39946, "压缩线", 101}});
    ExpectItems(settings[1]->m_aChildren,
                {{0, 50123, "上除权", 101}, {0, 50124, "下除权", 101}, {0, 50122, "不除权", 101}});
    ExpectItems(settings[2]->m_aChildren, {{0, 50125, "普通坐标", 101},
                                           {0, 50126, "百分比坐标", 101},
                                           {0, 50127, "对数坐标", 101},
                                           {0, 50129, "等比对数坐标", 101}});
    // A list that names no period falls back to the defaults too.
    chart::FillChartTitleBar(bar, {(7u << 16) | 4, 99});
    EXPECT_EQ(bar.m_aItems[0]->m_nCommandId, 39982u);
}

TEST(ChartTitleBar, CommonPeriodsBecomeButtonsAndTheRestTheDropDown) {
    EnsureChartEnvironment();
    CElementBarMenu bar;
    // Day, week, an unknown key, 5 minutes.
    chart::AddPeriodItems(bar, {(1u << 16) | 4, (2u << 16) | 4, (7u << 16) | 4, (5u << 16) | 3});
    ExpectItems(bar.m_aItems, {{G, 39988, "日线", 101}, {0, 39989, "周线", 102}, {0, 39984, "5分", 103}});
    ExpectItems(bar.m_aItems[2]->m_aChildren, {{0, 39982, "分时", 101},
                                               {S, 0, "", 0},
                                               {0, 39981, "每笔", 101},
                                               {S, 0, "", 0},
                                               {0, 39983, "1分", 101},
                                               {0, 39984, "5分", 101},
                                               {0, 39985, "15分", 101},
                                               {0, 39986, "30分", 101},
                                               {0, 39987, "60分", 101},
                                               {0, 39994, "多分钟", 101},
                                               {S, 0, "", 0},
                                               {0, 39990, "月线", 101},
                                               {0, 39991, "季线", 101},
                                               {0, 39992, "半年线", 101},
                                               {0, 39993, "年线", 101},
                                               {0, 39995, "多日线", 101},
                                               {S, 0, "", 0},
                                               {0, 39998, "设置常用周期...", 101}});
}

TEST(ChartTitleBar, TheChartAnswersTheBarAndAChosenMonthShowsOnTheLastButton) {
    EnsureChartEnvironment();
    CWnd host;
    host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 900, 600), nullptr, 0);
    TestChartWnd wnd;
    ASSERT_TRUE(wnd.Create(&host));
    GetDataCenter()->GetFreqPeriods().clear();
    wnd.m_bShowPicMenuBar = 1;
    wnd.Layer().FillBars(DayBars(200));
    wnd.OnDataChanged();
    host.ShowWindow(SW_SHOW);
    wnd.MoveWindow(0, 0, 800, 500);
    platform::ProcessPendingEvents();
    ASSERT_TRUE(wnd.m_elementBar.m_hWnd);
    EXPECT_EQ(wnd.m_elementBar.m_aItems.size(), 10u);
    // The band above the chart is the title bar's.
    CRect barRect;
    wnd.m_elementBar.GetWindowRect(&barRect);
    EXPECT_EQ(barRect.Height(), 26);
    EXPECT_EQ(wnd.m_rcContent.top, 26);
    CElementBarMenu& bar = wnd.m_elementBar;
    auto repaint = [&] {
        bar.Layout(800);
        Snapshot shot(800, 26);
        bar.DrawBar(&shot.dc);
    };
    repaint();
    auto day = bar.GetItem(1);
    auto last = bar.GetItem(4);
    EXPECT_EQ(day->m_bPressed, 1);  // a day chart
    EXPECT_EQ(last->m_bPressed, 0);
    // "月线" chosen from the drop-down of the last button.
    wnd.SendMessage(WM_COMMAND, 39990, 0);
    repaint();
    EXPECT_EQ(wnd.GetDataLayer()->GetPeriod(), 3);
    EXPECT_EQ(day->m_bPressed, 0);
    EXPECT_EQ(last->m_nCommandId, 39990u);
    EXPECT_EQ(last->m_strText, "月线");
    EXPECT_EQ(last->m_bPressed, 1);
    // Clicking the pressed button releases it; the chart still reports the month, so the
    // next paint shows it pressed again.
    bar.OnItemClick(4);
    EXPECT_EQ(last->m_bPressed, 0);
    repaint();
    EXPECT_EQ(last->m_bPressed, 1);
    // The settings: line style and axis type answered by the chart.
    wnd.SendMessage(WM_COMMAND, 39943, 0);
    EXPECT_EQ(wnd.SendMessage(kBarMsgState, 39943, 0), 3);
    EXPECT_EQ(wnd.SendMessage(kBarMsgState, 39941, 0), 1);
    // Draw-line mode: the picker appears under the title bar and goes away on release.
    bar.OnItemClick(8);
    EXPECT_EQ(wnd.m_bDrawLineMode, 1);
    CRect picker;
    wnd.m_drawToolBar.GetWindowRect(&picker);
    EXPECT_EQ(picker.Height(), 26);
    bar.OnItemClick(8);
    EXPECT_EQ(wnd.m_bDrawLineMode, 0);
    // Off: the band is given back to the chart.
    wnd.m_bShowPicMenuBar = 0;
    wnd.RecreateElementBar();
    wnd.RecalcLayout();
    EXPECT_TRUE(bar.m_aItems.empty());
    EXPECT_EQ(wnd.m_rcContent.top, 0);
    wnd.DestroyWindow();
    host.DestroyWindow();
}

TEST(ChartTitleBar, TheAnalysisLayoutShowsTheChartsBars) {
    EnsureChartEnvironment();
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.LoadFile((platform::InstalledResourcesDir() + "/layout/trend.xlay").c_str()), tinyxml2::XML_SUCCESS);
    // The chart's element node, wherever the split tree puts it.
    const tinyxml2::XMLElement* chartNode = nullptr;
    std::vector<const tinyxml2::XMLElement*> open = {doc.RootElement()};
    while (!open.empty() && !chartNode) {
        const tinyxml2::XMLElement* e = open.back();
        open.pop_back();
        if (e->Name() == std::string("Element") && e->Attribute("wndtype", "CKlineChartWnd")) chartNode = e;
        for (const tinyxml2::XMLElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement()) open.push_back(c);
    }
    ASSERT_NE(chartNode, nullptr);
    CWnd host;
    host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 900, 600), nullptr, 0);
    TestChartWnd wnd;
    ASSERT_TRUE(wnd.Create(&host));
    wnd.LoadFromXml(chartNode);
    host.ShowWindow(SW_SHOW);
    wnd.MoveWindow(0, 0, 800, 500);
    platform::ProcessPendingEvents();
    EXPECT_EQ(wnd.m_bShowPicMenuBar, 1);
    EXPECT_EQ(wnd.m_bShowBarInd, 1);
    EXPECT_EQ(wnd.m_elementBar.m_aItems.size(), 10u);
    EXPECT_FALSE(wnd.m_indicatorBar.m_aItems.empty());
    EXPECT_GT(wnd.m_rcContent.top, 26 - 1);  // below the title bar (and the top border)
    wnd.DestroyWindow();
    host.DestroyWindow();
}
