// The drawing-tool picker and the indicator bar: their content against the commands the
// chart and the drawing tools know, their icons, states through 0x8068 and the binding of
// the indicator buttons to the chart's panes; a screenshot of a chart with its bars.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "ChartTestSupport.h"
#include "chart/ChartActions.h"
#include "chart/DrawToolPicker.h"
#include "chart/IndicatorBar.h"
#include "chart/PicTipOverlay.h"
#include "chart/ValuePanel.h"
#include "marketdata/DataCenter.h"
#include "marketdata/Security.h"
#include "platform/Resource.h"
#include "platform/Services.h"

using namespace chart_test;

namespace {

class OwnerElement : public CElementWnd {
public:
    std::map<UINT, int> states;
    std::vector<std::pair<UINT, UINT>> sent;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kBarMsgState) {
            auto it = states.find(static_cast<UINT>(wParam));
            return it == states.end() ? 1 : it->second;
        }
        if (msg == WM_COMMAND || msg == kBarMsgReleased) {
            sent.emplace_back(msg, static_cast<UINT>(LOWORD(wParam)));
            // A released tool is no longer the drawing mode.
            if (msg == kBarMsgReleased) states.erase(static_cast<UINT>(LOWORD(wParam)));
            return 0;
        }
        return CElementWnd::WindowProc(msg, wParam, lParam);
    }
};

template <class Bar>
class BarFixture : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureChartEnvironment();
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 700, 100), nullptr, 0);
        ASSERT_TRUE(owner.Create(&host));
        bar.m_pOwnerElement = &owner;
        ASSERT_TRUE(bar.CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), &owner, (UINT)-1));
        host.ShowWindow(SW_SHOW);
    }
    void TearDown() override {
        bar.DestroyWindow();
        owner.DestroyWindow();
        host.DestroyWindow();
    }
    void Paint(int width) {
        bar.MoveWindow(0, 0, width, bar.m_nHeight);
        bar.Layout(width);
        Snapshot shot(width, bar.m_nHeight);
        bar.m_rcBar = CRect(0, 0, width, bar.m_nHeight);
        bar.DrawBar(&shot.dc);
    }
    CWnd host;
    OwnerElement owner;
    Bar bar;
};

using PickerTest = BarFixture<ElementBarDrawTool>;
using IndicatorBarTest = BarFixture<ElementBarInd>;

constexpr UINT S = kBarItemSeparator;
constexpr UINT G = kBarItemGroupStart;

}  // namespace

TEST(PickerTable, CommandsToolNumbersAndIcons) {
    // (command, tool, variant): tools by 49995 + number, the symbol tool's variants.
    struct Case {
        UINT command;
        bool known;
        int tool;
        int variant;
    };
    const Case cases[] = {{50000, true, 5, -1},    {50006, true, 11, -1},   {50058, true, 63, -1},
                          {50059, true, 64, -1},   {50060, true, 65, 2000}, {50061, true, 65, 2001},
                          {50062, true, 65, 0},    {50069, true, 65, 7},    {50101, true, 65, 39},
                          {50102, true, 65, 1000}, {50103, false, 0, 0},    {49999, false, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        int tool = 0, variant = 0;
        ASSERT_EQ(chart::PickerCommandToTool(c.command, tool, variant), c.known);
        if (!c.known) continue;
        EXPECT_EQ(tool, c.tool);
        EXPECT_EQ(variant, c.variant);
    }
    // The eight groups of the picker, first entry first, each entry's number and command.
    const std::vector<std::vector<std::pair<int, UINT>>> groups = {
        {{11, 50006}, {13, 50008}, {12, 50007}, {5, 50000}, {15, 50010}, {14, 50009}, {16, 50011}},
        {{22, 50017}, {23, 50018}, {24, 50019}, {25, 50020}, {26, 50021}, {27, 50022}, {28, 50023},
         {29, 50024}, {30, 50025}, {31, 50026}, {32, 50027}},
        {{17, 50012}, {18, 50013}, {19, 50014}, {20, 50015}, {21, 50016}},
        {{41, 50036}, {42, 50037}, {43, 50038}, {44, 50039}, {45, 50040}, {46, 50041}, {47, 50042},
         {48, 50043}, {49, 50044}},
        {{33, 50028}, {38, 50033}, {39, 50034}, {34, 50029}, {36, 50031}, {37, 50032}},
        {{58, 50053}, {59, 50054}, {60, 50055}, {61, 50056}, {62, 50057}, {63, 50058}, {40, 50035}},
        {{50, 50045}, {51, 50046}, {52, 50047}, {53, 50048}, {54, 50049}, {55, 50050}, {56, 50051},
         {57, 50052}},
    };
    const auto& table = chart::PickerGroups();
    ASSERT_EQ(table.size(), 8u);
    std::set<UINT> offered;
    for (size_t g = 0; g < groups.size(); ++g) {
        ASSERT_EQ(table[g].entries.size(), groups[g].size()) << g;
        for (size_t e = 0; e < groups[g].size(); ++e) {
            EXPECT_EQ(table[g].entries[e].tool, groups[g][e].first);
            EXPECT_EQ(table[g].entries[e].command, groups[g][e].second);
            EXPECT_STRNE(table[g].entries[e].name, "");
            offered.insert(groups[g][e].second);
        }
    }
    // The text group: the text tool and the 43 symbols, in command order.
    ASSERT_EQ(table[7].entries.size(), 44u);
    for (size_t e = 0; e < 44; ++e) EXPECT_EQ(table[7].entries[e].command, 50059u + e);
    // Tools 6-10 and 35 are not offered.
    for (UINT id : {50001u, 50002u, 50003u, 50004u, 50005u, 50030u}) EXPECT_EQ(offered.count(id), 0u) << id;
    EXPECT_EQ(offered.size() + 6, 59u);

    // The icon set: 118 icons, icon i for the i-th command of toolbar 49998.
    ASSERT_TRUE(ElementBarDrawTool::LoadImageList());
    int w = 0, h = 0;
    std::vector<UINT> ids;
    ASSERT_TRUE(platform::LoadToolBarResource(chart::kPickerToolBar, w, h, ids));
    EXPECT_EQ(w, 22);
    EXPECT_EQ(h, 22);
    EXPECT_EQ(ids, chart::PickerIconCommands());
    ASSERT_EQ(ids.size(), 118u);
    auto icons = ElementBarDrawTool::Icons();
    EXPECT_EQ(icons->GetCount(), 118);
    EXPECT_EQ(icons->MatchIcon(50000), 0);
    EXPECT_EQ(icons->MatchIcon(50058), 58);
    EXPECT_EQ(icons->MatchIcon(50103), 59);
    EXPECT_EQ(icons->MatchIcon(50117), 73);
    EXPECT_EQ(icons->MatchIcon(50059), 74);
    EXPECT_EQ(icons->MatchIcon(50102), 117);
    EXPECT_EQ(icons->MatchIcon(49999), -1);
    for (int look = 0; look < 3; ++look) EXPECT_EQ(ElementBarDrawTool::ImageList(look).GetImageCount(), 118) << look;
}

// At start-up the pictures are decoded on a thread of their own; the first reader waits for
// them and finds them complete.
TEST(PickerTable, BackgroundLoadIsCompleteForTheFirstReader) {
    EnsureChartEnvironment();
    ElementBarDrawTool::LoadImageListInBackground();
    ElementBarDrawTool::LoadImageListInBackground();  // a second start changes nothing
    EXPECT_EQ(ElementBarDrawTool::Icons()->GetCount(), 118);
    for (int look = 0; look < 3; ++look) EXPECT_EQ(ElementBarDrawTool::ImageList(look).GetImageCount(), 118) << look;
    ASSERT_TRUE(ElementBarDrawTool::LoadImageList());
    EXPECT_EQ(ElementBarDrawTool::ImageList(0).GetImageCount(), 118);
}

TEST(PickerTable, EveryIconIsDrawnAndDistinct) {
    EnsureChartEnvironment();
    ASSERT_TRUE(ElementBarDrawTool::LoadImageList());
    // Each icon of each look has ink, and no two icons of the normal look are the same image.
    std::set<std::vector<COLORREF>> seen;
    for (int look = 0; look < 3; ++look) {
        CImageList& list = ElementBarDrawTool::ImageList(look);
        for (int i = 0; i < 118; ++i) {
            Snapshot shot(22, 22);
            shot.dc.FillSolidRect(0, 0, 22, 22, RGB(0, 0, 0));
            list.Draw(&shot.dc, i, CPoint(0, 0), ILD_TRANSPARENT);
            int ink = 0;
            for (COLORREF c : shot.Pixels()) ink += c != RGB(0, 0, 0);
            EXPECT_GT(ink, 12) << "look " << look << " icon " << i;
            if (look == 0) {
                EXPECT_TRUE(seen.insert(shot.Pixels()).second) << "icon " << i << " repeats another";
            }
        }
    }
}

TEST_F(PickerTest, ContentGroupsAndWidths) {
    bar.AddToolItems();
    const auto& items = bar.m_aItems;
    ASSERT_EQ(items.size(), 13u);
    const UINT heads[8] = {50006, 50017, 50012, 50036, 50028, 50053, 50045, 50059};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i]->m_nCommandId, heads[i]);
        EXPECT_EQ(items[i]->m_nFlags, i == 0 ? G : 0u);
        ASSERT_EQ(items[i]->m_aChildren.size(), chart::PickerGroups()[i].entries.size());
        for (size_t e = 0; e < items[i]->m_aChildren.size(); ++e)
            EXPECT_EQ(items[i]->m_aChildren[e]->m_nCommandId, chart::PickerGroups()[i].entries[e].command);
    }
    EXPECT_EQ(items[7]->m_strText, "文本工具");
    EXPECT_TRUE(items[8]->IsSeparator());
    EXPECT_TRUE(items[9]->IsSeparator());
    EXPECT_EQ(std::make_pair(items[10]->m_nCommandId, items[10]->m_nFlags), std::make_pair(50104u, 0u));
    EXPECT_EQ(std::make_pair(items[11]->m_nCommandId, items[11]->m_nFlags), std::make_pair(50103u, G));
    EXPECT_EQ(std::make_pair(items[12]->m_nCommandId, items[12]->m_nFlags), std::make_pair(50116u, G));
    // The symbol grid breaks a column every six entries: seven columns of six and one of two.
    const auto& grid = items[7]->m_aChildren;
    for (size_t e = 0; e < grid.size(); ++e)
        EXPECT_EQ(grid[e]->m_nFlags, e % 6 == 0 ? kBarItemColumnBreak : 0u) << e;
    CPickerGridPopup popup(grid, &owner);
    std::vector<size_t> columns;
    for (const auto& c : popup.Columns()) columns.push_back(c.size());
    EXPECT_EQ(columns, (std::vector<size_t>{6, 6, 6, 6, 6, 6, 6, 2}));
    // Icon buttons: 36 pixels with a drop-down, 24 without.
    Paint(600);
    EXPECT_EQ(items[0]->m_nWidth, 36);
    EXPECT_EQ(items[10]->m_nWidth, 24);
    // The three single buttons are right-aligned.
    EXPECT_EQ(items[12]->m_rcMain.right, 600 - 1);
    EXPECT_EQ(items[10]->m_rcMain.left, 600 - 72);
}

TEST_F(PickerTest, AChosenToolShowsOnItsGroupButton) {
    bar.AddToolItems();
    auto icons = ElementBarDrawTool::Icons();
    owner.states = {{50019, 3}};  // "黄金分割B" is the drawing mode
    Paint(600);
    auto* button = dynamic_cast<BarDrawToolMenuItem*>(bar.GetItem(1).get());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->m_nCommandId, 50019u);
    EXPECT_EQ(button->m_nIconIndex, icons->MatchIcon(50019));
    EXPECT_EQ(button->m_strText, "黄金分割");  // the text is kept
    EXPECT_EQ(button->m_bPressed, 1);
    EXPECT_EQ(bar.GetItem(0)->m_bPressed, 0);
    // Clicking the pressed button releases it.
    bar.ClickAt(button->m_rcMain.CenterPoint());
    ASSERT_EQ(owner.sent.size(), 1u);
    EXPECT_EQ(owner.sent[0], std::make_pair(static_cast<UINT>(kBarMsgReleased), 50019u));
    EXPECT_EQ(button->m_bPressed, 0);
    // The eraser releases the tools of the first group.
    bar.GetItem(0)->m_bPressed = 1;
    bar.OnItemClick(10);
    EXPECT_EQ(bar.GetItem(0)->m_bPressed, 0);
    EXPECT_EQ(owner.sent.back(), std::make_pair(static_cast<UINT>(WM_COMMAND), 50104u));
    bar.ResetItem(chart::kCmdEraser);
    EXPECT_EQ(bar.GetItem(10)->m_bPressed, 0);
}

TEST_F(PickerTest, TheSymbolGridChoosesOrClosesWithoutAChoice) {
    bar.AddToolItems();
    owner.states = {{50061, 0}};  // one disabled symbol
    Paint(600);
    auto text = bar.GetItem(7);
    const CPoint arrow(text->m_rcArrow.CenterPoint());
    struct Step {
        int column, row;  // the cell clicked; -1: Escape
        UINT posted;
    };
    const Step steps[] = {{1, 0, 50065}, {-1, 0, 0}, {0, 2, 0}, {7, 1, 50102}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.column);
        owner.sent.clear();
        bool seen = false;
        platform::PostTask([&] {
            CPickerGridPopup* popup = CPickerGridPopup::Current();
            ASSERT_NE(popup, nullptr);
            seen = true;
            CRect rc;
            popup->GetWindowRect(&rc);
            EXPECT_EQ(rc.Width(), 4 + 8 * CPickerGridPopup::kCell);
            EXPECT_EQ(rc.Height(), 4 + 6 * CPickerGridPopup::kCell);
            if (s.column < 0) {
                popup->Cancel();
                return;
            }
            const CPoint at = popup->CellRect(s.column, s.row).CenterPoint();
            popup->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
            // A disabled cell chooses nothing: the grid stays open until closed.
            popup->Cancel();
        });
        bar.ClickAt(arrow);
        platform::ProcessPendingEvents();
        EXPECT_TRUE(seen);
        EXPECT_EQ(CPickerGridPopup::Current(), nullptr);
        if (s.posted) {
            ASSERT_EQ(owner.sent.size(), 1u);
            EXPECT_EQ(owner.sent[0], std::make_pair(static_cast<UINT>(WM_COMMAND), s.posted));
        } else {
            EXPECT_TRUE(owner.sent.empty());
        }
    }
}

TEST_F(IndicatorBarTest, ContentFromTheListAtMostTwelve) {
    struct Case {
        std::vector<std::string> names;
        size_t items;
    };
    const std::vector<std::string> many = {"MA",  "VOL", "BBI", "MACD", "BOLL", "CDP", "BIAS",
                                           "SAR", "KDJ", "PVT", "EMV",  "RC",   "WR",  "RSI"};
    const Case cases[] = {{many, 14}, {{}, 2}, {{"MA", "KDJ"}, 4}};
    for (const Case& c : cases) {
        ElementBarInd::FirstIndicatorIndex() = -5;
        bar.AddIndicatorItems(c.names);
        EXPECT_EQ(ElementBarInd::FirstIndicatorIndex(), 2);
        ASSERT_EQ(bar.m_aItems.size(), c.items);
        EXPECT_EQ(bar.m_aItems[0]->m_strText, "  ");
        EXPECT_EQ(bar.m_aItems[0]->m_nCommandId, 0u);
        EXPECT_EQ(bar.m_aItems[1]->m_strText, "设置指标");
        EXPECT_EQ(bar.m_aItems[1]->m_nCommandId, 0u);
        ASSERT_EQ(bar.m_aItems[1]->m_aChildren.size(), 1u);
        EXPECT_EQ(bar.m_aItems[1]->m_aChildren[0]->m_nCommandId, 45603u);
        EXPECT_EQ(bar.m_aItems[1]->m_aChildren[0]->m_strText, "设置指标参数");
        for (size_t i = 2; i < c.items; ++i) {
            EXPECT_EQ(bar.m_aItems[i]->m_nCommandId, 45000u + (i - 2));
            EXPECT_EQ(bar.m_aItems[i]->m_strText, c.names[i - 2]);
            EXPECT_EQ(bar.m_aItems[i]->m_nFlags, 0u);
            EXPECT_NE(dynamic_cast<ElementBarIndMenuItem*>(bar.m_aItems[i].get()), nullptr);
        }
    }
    // Buttons toggle on their own: no radio group.
    bar.AddIndicatorItems(many);
    bar.GetItem(3)->m_bPressed = 1;
    bar.OnItemClick(2);
    EXPECT_EQ(bar.GetItem(2)->m_bPressed, 1);
    EXPECT_EQ(bar.GetItem(3)->m_bPressed, 1);
    bar.OnItemClick(3);
    EXPECT_EQ(bar.GetItem(3)->m_bPressed, 0);
    EXPECT_EQ(owner.sent, (std::vector<std::pair<UINT, UINT>>{{WM_COMMAND, 45000u}, {kBarMsgReleased, 45001u}}));
}

namespace {
class ChartBarsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureChartEnvironment();
        if (GetDataCenter()->GetDefaultIndicatorNames().GetSize() == 0) GetDataCenter()->AddDefaultIndicatorNames();
        GetDataCenter()->GetFreqPeriods().clear();
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 900, 600), nullptr, 0);
        ASSERT_TRUE(wnd.Create(&host));
        host.ShowWindow(SW_SHOW);
        wnd.m_bShowPicMenuBar = 1;
        wnd.m_bShowBarInd = 1;
        wnd.Layer().FillBars(DayBars(300));
        wnd.OnDataChanged();
        wnd.MoveWindow(0, 0, 800, 500);
        platform::ProcessPendingEvents();
        wnd.Chart().Layout();
        wnd.Chart().RecalcPanes();
    }
    void TearDown() override {
        wnd.DestroyWindow();
        host.DestroyWindow();
    }
    // The index in the bar of an indicator name.
    int ButtonOf(const std::string& name) {
        for (const auto& item : wnd.m_indicatorBar.m_aItems)
            if (item->m_strText == name) return item->m_nIndex;
        return -1;
    }
    void PaintIndicatorBar() {
        wnd.m_indicatorBar.Layout(800);
        Snapshot shot(800, 24);
        wnd.m_indicatorBar.DrawBar(&shot.dc);
    }
    CWnd host;
    TestChartWnd wnd;
};
}  // namespace

TEST_F(ChartBarsFixture, IndicatorButtonsFollowThePanes) {
    ElementBarInd& bar = wnd.m_indicatorBar;
    ASSERT_EQ(bar.m_aItems.size(), 14u);
    CRect rc;
    bar.GetWindowRect(&rc);
    EXPECT_EQ(rc.Height(), 24);
    const int macd = ButtonOf("MACD"), kdj = ButtonOf("KDJ");
    ASSERT_GE(macd, 2);
    ASSERT_GE(kdj, 2);
    // The command of a button is 45000 + its place after the first indicator index.
    EXPECT_EQ(bar.GetItem(macd)->m_nCommandId, 45000u + (macd - ElementBarInd::FirstIndicatorIndex()));
    PaintIndicatorBar();
    EXPECT_EQ(bar.GetItem(macd)->m_bPressed, 1);  // a default pane shows MACD
    EXPECT_EQ(bar.GetItem(kdj)->m_bPressed, 0);
    // Releasing MACD takes its pane away; the next paint shows the button up.
    const size_t panes = wnd.Chart().m_aPanes.size();
    bar.OnItemClick(macd);
    EXPECT_EQ(wnd.Chart().m_aPanes.size(), panes - 1);
    PaintIndicatorBar();
    EXPECT_EQ(bar.GetItem(macd)->m_bPressed, 0);
    // Pressing KDJ shows it.
    bar.OnItemClick(kdj);
    EXPECT_GE(wnd.Chart().FindPaneByName("KDJ"), 0);
    PaintIndicatorBar();
    EXPECT_EQ(bar.GetItem(kdj)->m_bPressed, 1);
    EXPECT_EQ(wnd.SendMessage(kBarMsgState, bar.GetItem(kdj)->m_nCommandId, 0), 3);
}

TEST_F(ChartBarsFixture, ScreenshotOfAChartWithItsBars) {
    ASSERT_TRUE(ElementBarDrawTool::LoadImageList());
    wnd.SendMessage(WM_COMMAND, chart::kCmdDrawLine, 0);  // the picker shows in draw-line mode
    ASSERT_EQ(wnd.m_bDrawLineMode, 1);
    wnd.Invalidate();
    wnd.UpdateWindow();
    for (CWnd* bar : {static_cast<CWnd*>(&wnd.m_elementBar), static_cast<CWnd*>(&wnd.m_drawToolBar),
                      static_cast<CWnd*>(&wnd.m_indicatorBar)}) {
        bar->Invalidate();
        bar->UpdateWindow();
    }
    platform::ProcessPendingEvents();
    const char* dir = std::getenv("TARROW_SHOT_DIR");
    const std::string path = std::string(dir ? dir : ::testing::TempDir()) + "/chart_bars.png";
    ASSERT_TRUE(platform::SaveWindowScreenshot(&wnd, path));
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&wnd, shot));
    const double ratio = shot.GetSize().cx / 800.0;
    auto at = [&](int x, int y) {
        return shot.GetPixel(static_cast<int>(x * ratio), static_cast<int>(y * ratio)) & 0xFFFFFF;
    };
    const CommonColorTable& colors = GetCommonVar()->Colors();
    // The title bar: its background, its border line at the bottom, text on the buttons.
    EXPECT_EQ(at(795, 10), colors[CommonColor::uniMenuBar_Back]);
    EXPECT_EQ(at(400, 25), colors[CommonColor::uniWnd_Border]);
    // The checked day button is drawn pressed.
    const CRect day = wnd.m_elementBar.GetItem(1)->m_rcMain;
    EXPECT_EQ(at(day.left + 1, day.top + 1), colors[CommonColor::uniMenuBar_Active]);
    // The picker below it: group buttons on the title colour with icon ink inside.
    const CRect tool = wnd.m_drawToolBar.GetItem(0)->m_rcMain;
    EXPECT_EQ(tool.Width(), 36 - 1 - 14);  // the item less its one-pixel gap and arrow zone
    EXPECT_EQ(at(tool.left, 26 + tool.top), colors[CommonColor::uniMenuBar_Title]);
    int ink = 0;
    for (int y = tool.top; y < tool.bottom; ++y)
        for (int x = tool.left; x < tool.right; ++x) ink += at(x, 26 + y) != colors[CommonColor::uniMenuBar_Title];
    EXPECT_GT(ink, 20);
    // The indicator bar at the bottom: its border line on top.
    EXPECT_EQ(at(400, 500 - 24), colors[CommonColor::uniWnd_Border]);
    EXPECT_EQ(at(795, 500 - 12), colors[CommonColor::uniMenuBar_Back]);
}

// What a trader sees at once: the chart with its title bar and indicator bar, the cursor on a
// bar with its time and value labels, and the floating value panel beside the chart (a
// popup of its own, put into the picture where it sits on screen).
TEST_F(ChartBarsFixture, ScreenshotOfAChartWithItsBarsTheValuePanelAndAHoverTip) {
    using namespace chart;
    CSecurity security;  // the panel shows figures only for a security
    wnd.Layer().UseSecurity(&security);
    ChartOverlay& c = wnd.Chart();
    const int32_t bar = c.m_nEnd - 20;
    const ChartPicProp& price = c.m_aPanes[0]->Prop();
    c.m_bCursorMode = 1;
    c.MoveCursor(bar, price.m_axeMain.ValueToPixel(wnd.Layer().GetClose(bar), true));
    wnd.Invalidate();
    wnd.UpdateWindow();  // the pane titles feed the panel and show it beside the chart
    platform::ProcessPendingEvents();
    auto tip = wnd.TipOverlay();
    ASSERT_TRUE(tip);
    tip->OnCursorMoved();  // the labels for the cursor bar, as the keyboard cursor moves
    for (CWnd* b : {static_cast<CWnd*>(&wnd.m_elementBar), static_cast<CWnd*>(&wnd.m_indicatorBar)}) {
        b->Invalidate();
        b->UpdateWindow();
    }
    platform::ProcessPendingEvents();
    CDlgValueBar* panel = GetValueBar(false);
    ASSERT_TRUE(panel && panel->IsWindowVisible());
    ASSERT_TRUE(tip->m_timeLayer.IsShown());
    ASSERT_TRUE(tip->m_valueLayer.IsShown());

    CBitmap chartShot, panelShot;
    ASSERT_TRUE(platform::CaptureWindow(&wnd, chartShot));
    ASSERT_TRUE(platform::CaptureWindow(panel, panelShot));
    ASSERT_EQ(chartShot.GetSize().cx, 800) << "the picture is composed at one pixel per point";
    CRect chartOnScreen, panelOnScreen;
    wnd.GetWindowRect(&chartOnScreen);
    panel->GetWindowRect(&panelOnScreen);
    CRect all;
    all.UnionRect(chartOnScreen, panelOnScreen);
    Snapshot picture(all.Width(), all.Height());
    picture.dc.FillSolidRect(CRect(0, 0, all.Width(), all.Height()), RGB(0, 0, 0));
    auto put = [&](CBitmap& image, const CRect& at) {
        CDC from;
        from.CreateCompatibleDC(nullptr);
        CBitmap* old = from.SelectObject(&image);
        picture.dc.BitBlt(at.left - all.left, at.top - all.top, at.Width(), at.Height(), &from, 0, 0, SRCCOPY);
        from.SelectObject(old);
    };
    put(chartShot, chartOnScreen);
    put(panelShot, panelOnScreen);
    const char* dir = std::getenv("TARROW_SHOT_DIR");
    ASSERT_TRUE(picture.bmp.SavePng(std::string(dir ? dir : ::testing::TempDir()) + "/chart_panel_tip.png"));

    const CommonColorTable& colors = GetCommonVar()->Colors();
    const CPoint chartAt = chartOnScreen.TopLeft() - all.TopLeft();
    auto at = [&](CPoint pt) { return picture.At(chartAt.x + pt.x, chartAt.y + pt.y); };
    // The title bar at the top and the indicator bar at the bottom.
    EXPECT_EQ(at(CPoint(795, 10)), colors[CommonColor::uniMenuBar_Back]);
    EXPECT_EQ(at(CPoint(400, 500 - 24)), colors[CommonColor::uniWnd_Border]);
    EXPECT_EQ(at(CPoint(795, 500 - 12)), colors[CommonColor::uniMenuBar_Back]);
    // The two labels: filled with the highlight colour, framed, with text inside.
    for (const ChartSnapshotLayer* layer : {&tip->m_timeLayer, &tip->m_valueLayer}) {
        const CRect rc = layer->GetSavedRect();
        EXPECT_EQ(at(rc.TopLeft()), colors[CommonColor::uniWnd_Border]);
        int fill = 0, ink = 0;
        for (int y = rc.top + 1; y < rc.bottom - 1; ++y)
            for (int x = rc.left + 1; x < rc.right - 1; ++x) {
                const COLORREF p = at(CPoint(x, y));
                fill += p == colors[CommonColor::uniHigh_BackGround];
                ink += p != colors[CommonColor::uniHigh_BackGround];
            }
        EXPECT_GT(fill, rc.Width() * rc.Height() / 3) << layer->GetText();
        EXPECT_GT(ink, 10) << layer->GetText();
    }
    char close[32];
    std::snprintf(close, sizeof close, "%.2f", wnd.Layer().GetClose(bar));
    EXPECT_EQ(tip->m_valueLayer.GetText(), close) << "the cursor bar's close";
    // The panel where it sits: its own rows of figures (text of more than one colour).
    CRect inPicture = panelOnScreen;
    inPicture.OffsetRect(-all.left, -all.top);
    std::set<COLORREF> inks;
    for (int y = inPicture.top + 30; y < inPicture.bottom - 4; ++y)
        for (int x = inPicture.left + 2; x < inPicture.right - 2; ++x) inks.insert(picture.At(x, y));
    EXPECT_GT(inks.size(), 4u) << "labels and coloured values";
    panel->HidePanel(0);
    panel->SetBarValues(CFloatDayItem{}, 1.0, 4, nullptr);  // the record goes with this test
    wnd.Layer().UseSecurity(nullptr);
}

TEST_F(PickerTest, DropDownEntriesCarryTheirIconsAndColumnBreaks) {
    ASSERT_TRUE(ElementBarDrawTool::LoadImageList());
    bar.AddToolItems();
    auto icons = ElementBarDrawTool::Icons();
    owner.states = {{50008, 3}, {50010, 0}};
    CSkinMenu1 menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    for (const auto& entry : bar.GetItem(0)->m_aChildren) entry->AppendToMenu(&menu, &owner);
    ASSERT_EQ(menu.GetMenuItemCount(), 7);
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        const platform::MenuItemData* item = menu.ItemAt(i);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->image, icons->MatchIcon(static_cast<UINT>(item->id)));
        EXPECT_EQ(item->text, chart::PickerGroups()[0].entries[static_cast<size_t>(i)].name);
    }
    EXPECT_TRUE(menu.GetMenuState(1, MF_BYPOSITION) & MF_CHECKED);               // 射线
    EXPECT_TRUE(menu.GetMenuState(4, MF_BYPOSITION) & (MF_DISABLED | MF_GRAYED));  // 水平
    menu.DestroyMenu();
    // The symbols keep their column breaks when they go into a menu.
    CSkinMenu1 symbols;
    ASSERT_TRUE(symbols.CreatePopupMenu());
    for (const auto& entry : bar.GetItem(7)->m_aChildren) entry->AppendToMenu(&symbols, &owner);
    ASSERT_EQ(symbols.GetMenuItemCount(), 44);
    for (int i = 0; i < 44; ++i)
        EXPECT_EQ((symbols.ItemAt(i)->flags & MF_MENUBREAK) != 0, i % 6 == 0) << i;
    symbols.DestroyMenu();
}

TEST_F(PickerTest, HoverFollowsTheMouseAndLeavesWithIt) {
    bar.AddToolItems();
    Paint(600);
    auto first = bar.GetItem(0);
    bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(first->m_rcMain.left + 3, 10));
    EXPECT_EQ(bar.m_nHover, 0);
    bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(first->m_rcArrow.left + 5, 10));
    EXPECT_EQ(bar.m_nHover, 1000);
    bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(400, 10));
    EXPECT_EQ(bar.m_nHover, -1);
    bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(first->m_rcMain.left + 3, 10));
    bar.SendMessage(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(bar.m_nHover, -1);
}

TEST_F(PickerTest, TheSymbolGridAnswersTheArrowKeysAndReturn) {
    bar.AddToolItems();
    const auto& grid = bar.GetItem(7)->m_aChildren;
    CPickerGridPopup popup(grid, &owner);
    // Columns of six: entry = column * 6 + row; the last column holds two.
    struct Step {
        UINT key;
        int hot;
    };
    const Step steps[] = {{VK_DOWN, 0},  {VK_DOWN, 1},  {VK_RIGHT, 7},  {VK_UP, 6},   {VK_UP, 6},
                          {VK_LEFT, 0},  {VK_LEFT, 0},  {VK_DOWN, 1},   {VK_DOWN, 2}, {VK_DOWN, 3},
                          {VK_DOWN, 4},  {VK_DOWN, 5},  {VK_DOWN, 5}};
    for (const Step& s : steps) {
        EXPECT_TRUE(popup.OnKey(s.key));
        EXPECT_EQ(popup.GetHotEntry(), s.hot) << s.key;
    }
    // Into the short last column: the row is clamped to its last cell.
    for (int i = 0; i < 8; ++i) popup.OnKey(VK_RIGHT);
    EXPECT_EQ(popup.GetHotEntry(), 43);
    EXPECT_FALSE(popup.OnKey('A'));
    // Return chooses the highlighted symbol when the grid runs.
    owner.sent.clear();
    owner.states.clear();
    Paint(600);
    platform::PostTask([] {
        CPickerGridPopup* open = CPickerGridPopup::Current();
        ASSERT_NE(open, nullptr);
        open->OnKey(VK_DOWN);   // the text tool
        open->OnKey(VK_RIGHT);  // the top of the second column: Roman numeral IV
        open->OnKey(VK_RETURN);
    });
    bar.ClickAt(bar.GetItem(7)->m_rcArrow.CenterPoint());
    platform::ProcessPendingEvents();
    ASSERT_EQ(owner.sent.size(), 1u);
    EXPECT_EQ(owner.sent[0], std::make_pair(static_cast<UINT>(WM_COMMAND), 50065u));
}
