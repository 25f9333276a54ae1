#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <filesystem>

#include "FakeChart.h"
#include "common/ScratchDir.h"
#include "drawtools/DrawToolActions.h"
#include "drawtools/StraightLines.h"
#include "drawtools/TextTools.h"
#include "drawtools/ToolCatalogue.h"
#include "drawtools/ToolSettings.h"
#include "drawtools/TriangleLines.h"
#include "foundation/AtomicFile.h"
#include "foundation/Config.h"
#include "foundation/WriteBehind.h"
#include "ui/CommonResouce.h"
#include "ui/CommonVar.h"

namespace {

struct FakeHost : IDrawToolHost {
    std::vector<int> released;
    std::vector<int> cursors;
    int barUpdates = 0;
    bool textOk = true;
    std::string newText = "突破";
    TextToolEdit lastEdit;
    int textDialogs = 0;
    bool settingsOk = true;
    int settingsContinue = 1, settingsLock = 1;
    void ReleaseToolButton(int c) override { released.push_back(c); }
    bool IsToolBarVisible() override { return true; }
    void UpdateToolBar() override { ++barUpdates; }
    void ShowCursor(int slot) override { cursors.push_back(slot); }
    CPoint ClientToScreen(CPoint p) override { return CPoint(p.x + 1000, p.y + 100); }
    CSize ScreenSize() override { return CSize(1920, 1080); }
    bool RunTextDialog(TextToolEdit& edit) override {
        ++textDialogs;
        lastEdit = edit;
        if (!textOk) return false;
        edit.text = newText;
        edit.fontHeight = 20;
        edit.weight = 800;
        return true;
    }
    bool RunLineSettings(int& c, int& l) override {
        if (!settingsOk) return false;
        c = settingsContinue;
        l = settingsLock;
        return true;
    }
};

class Actions : public ::testing::Test {
protected:
    void SetUp() override {
        GetToolSettings() = ToolSettings{};
        GetCommonVar()->m_nDragFlag = 0;
        overlay.SetToolDirectory(dir.File("Data/Tools"));
        overlay.CreateActions();
    }
    int Send(int type, DrawMsg msg) { return overlay.DispatchAll(type, msg); }
    int Send(int type, DrawMsg msg, int64_t& result) {
        const int r = overlay.DispatchAll(type, msg);
        result = msg.result;
        return r;
    }
    int Press(int x, int y) { return Send(DrawToolOverlay::kPress, DrawMsg::Mouse(x, y)); }
    int Move(int x, int y) { return Send(DrawToolOverlay::kMove, DrawMsg::Mouse(x, y)); }
    int Release(int x, int y) { return Send(DrawToolOverlay::kRelease, DrawMsg::Mouse(x, y)); }
    int Command(int id) { return Send(DrawToolOverlay::kCommand, DrawMsg::Command(id)); }
    int64_t Key(int key, int* claimed = nullptr) {
        int64_t result = -1;
        const int r = Send(DrawToolOverlay::kKeyDown, DrawMsg::Key(key), result);
        if (claimed) *claimed = r;
        return result;
    }
    int64_t State(int command, int* claimed = nullptr) {
        int64_t result = -1;
        const int r = Send(DrawToolOverlay::kUserMessage, DrawMsg::User(0x8068, command), result);
        if (claimed) *claimed = r;
        return result;
    }
    void Drag(int ax, int ay, int bx, int by) {
        Press(ax, ay);
        Move((ax + bx) / 2, (ay + by) / 2);
        Move(bx, by);
        Release(bx, by);
    }
    int X(int i) const { return chart.IndexToX(i); }
    int SavedCount() {
        std::vector<std::shared_ptr<CRecRgnLines>> tools;
        LoadToolFile(overlay.GetToolFilePath(), tools);
        return int(tools.size());
    }

    ScratchDir dir;
    FakeChart chart;
    FakeHost host;
    DrawToolOverlay overlay{&chart, &host};
};

}  // namespace

TEST_F(Actions, ShortDragDropsTheLineAndKeepsTheMode) {
    EXPECT_EQ(Command(50006), 1);  // trend line
    EXPECT_EQ(overlay.m_nMode, 11);
    Drag(X(10), 200, X(10) + 2, 203);  // the same bar, 3 pixels down
    EXPECT_TRUE(overlay.Tools().empty());
    EXPECT_EQ(overlay.m_nMode, 11);
    Drag(X(10), 200, X(30), 120);
    ASSERT_EQ(overlay.Tools().size(), 1u);
    EXPECT_STREQ(overlay.Tools()[0]->GetTypeName(), "QSLineTool");
    EXPECT_EQ(overlay.m_nMode, 4);
    EXPECT_EQ(host.released.back(), 50006);
    EXPECT_EQ(overlay.Selected(), overlay.Tools()[0].get());
    EXPECT_EQ(SavedCount(), 1);
    EXPECT_TRUE(chart.dragFlag);
    EXPECT_EQ(GetCommonVar()->m_nDragFlag, 0);
}

TEST_F(Actions, ContinueDrawingKeepsTheToolChosen) {
    GetToolSettings().continueDraw = 1;
    Command(50007);  // segment
    Drag(X(10), 200, X(30), 120);
    Drag(X(40), 200, X(60), 120);
    EXPECT_EQ(overlay.Tools().size(), 2u);
    EXPECT_EQ(overlay.m_nMode, 12);
    EXPECT_EQ(overlay.Selected(), nullptr);
    // A right click ends it.
    EXPECT_EQ(Send(DrawToolOverlay::kRightUp, DrawMsg::Mouse(5, 5)), 1);
    EXPECT_EQ(overlay.m_nMode, 4);
}

TEST_F(Actions, SelectDragAndLock) {
    Command(50007);
    Drag(X(10), 200, X(30), 200);
    const auto line = overlay.Tools()[0];
    overlay.Select(nullptr);
    // Grab the body and move it five bars right and 20 pixels down.
    Press(X(20), 200);
    EXPECT_EQ(overlay.m_editor.m_nPart, 3);
    Move(X(22), 210);
    Move(X(25), 220);
    EXPECT_EQ(Release(X(25), 220), 1);
    EXPECT_EQ(line->m_lLeft, chart.bars[15].key);
    EXPECT_EQ(line->m_lRight, chart.bars[35].key);
    std::vector<std::shared_ptr<CRecRgnLines>> saved;
    LoadToolFile(overlay.GetToolFilePath(), saved);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0]->m_lLeft, chart.bars[15].key);
    // Locked: a press on the line selects nothing and starts a marquee that a short
    // release leaves to the chart.
    GetToolSettings().lockDrawLine = 1;
    overlay.Select(nullptr);
    EXPECT_EQ(Press(X(25), 220), 1);
    EXPECT_EQ(overlay.Selected(), nullptr);
    EXPECT_EQ(overlay.m_nActive, 1);
    EXPECT_EQ(Release(X(25) + 4, 220), 0);
    EXPECT_EQ(line->m_lLeft, chart.bars[15].key);
}

TEST_F(Actions, EraserRemovesToolsAndSwitchesOffWhenNoneRemain) {
    Command(50007);
    Drag(X(10), 200, X(30), 200);
    Command(50007);
    Drag(X(10), 100, X(30), 100);
    EXPECT_EQ(State(50104), 1);
    EXPECT_EQ(Command(50104), 1);
    EXPECT_EQ(State(50104), 3);
    EXPECT_EQ(host.cursors.back(), CommonResouce::kCursorEraser);
    EXPECT_EQ(Move(5, 5), 1);  // the eraser cursor
    EXPECT_EQ(Press(X(20), 100), 1);
    EXPECT_EQ(overlay.Tools().size(), 1u);
    EXPECT_EQ(GetToolSettings().eraser, 1);
    Press(X(20), 200);
    EXPECT_TRUE(overlay.Tools().empty());
    EXPECT_EQ(GetToolSettings().eraser, 0);
    EXPECT_EQ(SavedCount(), 0);
}

TEST_F(Actions, EscapeF5AndDelete) {
    int claimed = 0;
    Key(27, &claimed);
    EXPECT_EQ(claimed, 0);  // select mode: nothing to end
    Command(50007);
    EXPECT_EQ(Key(116, &claimed), 1);
    EXPECT_EQ(claimed, 1);
    EXPECT_EQ(overlay.m_nMode, 4);
    EXPECT_EQ(host.released.back(), 50007);
    EXPECT_EQ(Key(46, &claimed), 0);  // Delete without a selection
    EXPECT_EQ(claimed, 1);
    Command(50007);
    Drag(X(10), 200, X(30), 200);
    ASSERT_NE(overlay.Selected(), nullptr);
    EXPECT_EQ(Key(46), 1);
    EXPECT_TRUE(overlay.Tools().empty());
    EXPECT_EQ(overlay.Selected(), nullptr);
    EXPECT_EQ(SavedCount(), 0);
    // Esc while placing: the placing ends, the chart gets its mouse back.
    Command(50007);
    Press(X(10), 200);
    EXPECT_EQ(GetCommonVar()->m_nDragFlag, 1);
    EXPECT_EQ(Key(27), 0);
    EXPECT_EQ(GetCommonVar()->m_nDragFlag, 0);
    EXPECT_EQ(overlay.m_pPlacing, nullptr);
}

TEST_F(Actions, CommandStateAnswers) {
    Command(50069);
    EXPECT_EQ(overlay.m_nMode, MakeMode(65, 7));
    EXPECT_EQ(State(50069), 3);
    EXPECT_EQ(State(50068), 1);
    EXPECT_EQ(State(50007), 1);
    Command(50007);
    EXPECT_EQ(State(50069), 1);
    EXPECT_EQ(State(50007), 3);
    EXPECT_EQ(State(45601), 1);
    Command(45601);
    EXPECT_EQ(State(45601), 3);
    int claimed = -1;
    State(45000, &claimed);
    EXPECT_EQ(claimed, 0);
    // The tool bar's button released by the user.
    EXPECT_EQ(Send(DrawToolOverlay::kUserMessage, DrawMsg::User(0x465, 45601)), 1);
    EXPECT_EQ(State(45601), 1);
    EXPECT_EQ(Send(DrawToolOverlay::kUserMessage, DrawMsg::User(0x465, 50007)), 1);
    EXPECT_EQ(overlay.m_nMode, 4);
    EXPECT_EQ(Send(DrawToolOverlay::kUserMessage, DrawMsg::User(0x465, 50007)), 0);
}

TEST_F(Actions, TriangleAndFoldLineAreSavedWithTheirItems) {
    Command(50039);  // triangle
    Drag(X(10), 250, X(30), 250);
    EXPECT_NE(overlay.m_pPlacing, nullptr);
    EXPECT_EQ(overlay.Tools().size(), 1u);
    Move(X(20), 150);  // between the clicks
    Drag(X(20), 150, X(20), 120);
    EXPECT_EQ(overlay.m_pPlacing, nullptr);
    EXPECT_EQ(overlay.m_nMode, 4);
    ASSERT_EQ(overlay.Tools().size(), 1u);

    Command(50000);  // fold line: press at A, drag to B, then a click at C, right click
    Drag(X(40), 200, X(50), 150);
    Press(X(60), 250);
    Release(X(60), 250);
    EXPECT_EQ(Send(DrawToolOverlay::kRightUp, DrawMsg::Mouse(X(60), 250)), 1);
    EXPECT_EQ(overlay.m_pPlacing, nullptr);
    EXPECT_EQ(GetCommonVar()->m_nDragFlag, 0);
    ASSERT_EQ(overlay.Tools().size(), 2u);

    tinyxml2::XMLDocument doc;
    std::string bytes;
    GetWriteBehind().Drain();
    ASSERT_TRUE(ReadWholeFile(overlay.GetToolFilePath(), bytes));
    ASSERT_EQ(doc.Parse(bytes.c_str()), tinyxml2::XML_SUCCESS);
    const auto* info = doc.FirstChildElement("_Tarrow_DrawTool")->FirstChildElement("ToolsInfo");
    const auto* tri = info->FirstChildElement("element");
    const auto* fold = tri->NextSiblingElement("element");
    EXPECT_STREQ(tri->Attribute("Type"), "TriangleTool");
    EXPECT_STREQ(fold->Attribute("Type"), "FoldLineTool");
    auto count = [](const tinyxml2::XMLElement* e) {
        int n = 0;
        for (auto* c = e->FirstChildElement("element"); c; c = c->NextSiblingElement("element")) ++n;
        return n;
    };
    EXPECT_EQ(count(tri), 2);
    EXPECT_EQ(count(fold), 2);
    EXPECT_STREQ(tri->FirstChildElement("element")->Attribute("fTopBL"), "0.000");
}

TEST_F(Actions, EscapeKeepsTheFoldLinePointsFixedSoFar) {
    Command(50000);
    Drag(X(40), 200, X(50), 150);
    Drag(X(60), 250, X(70), 250);
    Press(X(80), 200);  // third press, not released
    EXPECT_EQ(Key(27), 0);
    ASSERT_EQ(overlay.Tools().size(), 1u);
    auto* fold = dynamic_cast<CPolygonLines*>(overlay.Tools()[0].get());
    ASSERT_NE(fold, nullptr);
    EXPECT_EQ(fold->m_items.size(), 2u);
}

TEST_F(Actions, TextToolAsksForItsTextAndIsDroppedOnCancel) {
    Command(50059);  // text tool
    Drag(X(90), 100, X(91), 101);
    ASSERT_EQ(overlay.Tools().size(), 1u);
    auto* text = dynamic_cast<CTextAssistor*>(overlay.Tools()[0].get());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(host.lastEdit.text, "请输入文字");
    EXPECT_EQ(host.lastEdit.anchor, CPoint(1920 - 374, text->y2 + 200));  // kept on screen
    EXPECT_EQ(text->m_strText, "突破");
    EXPECT_EQ(text->m_nFontHeight, 20);
    // Double-click edits it.
    host.newText = "回调";
    text->BuildFigure();
    EXPECT_EQ(Send(DrawToolOverlay::kDoubleClick, DrawMsg::Mouse(text->m_rcText.left + 3,
                                                                   text->m_rcText.top + 3)), 1);
    EXPECT_EQ(text->m_strText, "回调");
    host.textOk = false;
    Command(50059);
    Drag(X(20), 100, X(21), 101);
    EXPECT_EQ(overlay.Tools().size(), 1u);
    // The saved file keeps the edited text and the font.
    std::vector<std::shared_ptr<CRecRgnLines>> saved;
    LoadToolFile(overlay.GetToolFilePath(), saved);
    ASSERT_EQ(saved.size(), 1u);
    auto* back = dynamic_cast<CTextAssistor*>(saved[0].get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->m_strText, "回调");
    EXPECT_EQ(back->GetLogFont().lfWeight, 800);
}

TEST_F(Actions, TimeAxisPanScrollsByWholeBars) {
    chart.first = 50;
    const CRect axis = chart.GetTimeAxisRect();
    EXPECT_EQ(Press(300, axis.top + 5), 1);
    Move(300 + 6 * 5, axis.top + 5);
    EXPECT_EQ(chart.first, 45);
    Move(300, axis.top + 2);  // no horizontal move: four bars
    EXPECT_EQ(chart.first, 46);
    Release(300, axis.top + 2);
    EXPECT_TRUE(overlay.Tools().empty());
    EXPECT_EQ(overlay.m_nActive, 1);
    // Intraday charts do not pan by the time axis.
    chart.dataType = 2;
    chart.first = 50;
    Press(300, axis.top + 5);
    Move(360, axis.top + 5);
    EXPECT_EQ(chart.first, 50);
}

TEST_F(Actions, PanModeMovesValuesWithTheVerticalTravel) {
    chart.first = 50;
    EXPECT_EQ(Command(45601), 1);
    // Main pane 10..20 over 300 px: 30 px down is one unit of value.
    EXPECT_EQ(Press(300, 100), 1);
    EXPECT_EQ(overlay.m_nActive, 3);
    Move(300, 130);
    EXPECT_NEAR(chart.GetValueOffset(0), 1.0, 1e-9);
    EXPECT_EQ(chart.first, 46);  // no horizontal travel still scrolls four bars
    Move(300 + 6 * 3, 70);        // back up past the start: the values go the other way
    EXPECT_NEAR(chart.GetValueOffset(0), -1.0, 1e-9);
    EXPECT_EQ(chart.first, 47);
    Release(300 + 6 * 3, 70);
    EXPECT_EQ(overlay.m_nActive, 1);
    // A second pan starts from the offset the first one left.
    Press(300, 350);
    Move(300, 360);  // the volume pane: 0..100 over 100 px
    EXPECT_NEAR(chart.GetValueOffset(1), 10.0, 1e-9);
    EXPECT_NEAR(chart.GetValueOffset(0), -1.0, 1e-9);
    Release(300, 360);
    // The time-axis pan never moves values.
    const CRect axis = chart.GetTimeAxisRect();
    Press(300, axis.top + 2);
    Move(300, axis.top + 15);
    Release(300, axis.top + 15);
    EXPECT_NEAR(chart.GetValueOffset(0), -1.0, 1e-9);
}

TEST_F(Actions, LineSettingsAreStoredOnOkOnly) {
    const std::string config = dir.File("appconfig.xml");
    WriteFileAtomic(config, "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<system/>");
    ASSERT_TRUE(LoadConfig(config));
    host.settingsOk = false;
    EXPECT_EQ(Command(50116), 1);
    EXPECT_EQ(GetToolSettings().continueDraw, 0);
    std::string bytes;
    ReadWholeFile(config, bytes);
    EXPECT_EQ(bytes.find("lineset"), std::string::npos);
    host.settingsOk = true;
    EXPECT_EQ(Command(50116), 1);
    EXPECT_EQ(host.released.back(), 50116);
    EXPECT_EQ(GetToolSettings().continueDraw, 1);
    EXPECT_EQ(GetToolSettings().lockDrawLine, 1);
    ReadWholeFile(config, bytes);
    EXPECT_NE(bytes.find("continuedraw=\"1\""), std::string::npos);
    GetToolSettings() = ToolSettings{};
    LoadDrawToolSettings();
    EXPECT_EQ(GetToolSettings().lockDrawLine, 1);
    ResetConfig();
}

TEST_F(Actions, ToolsComeBackFromTheirOwnFile) {
    Command(50007);
    Drag(X(10), 200, X(30), 120);
    const std::string dayFile = overlay.GetToolFilePath();
    DrawToolOverlay again(&chart, &host);
    again.SetToolDirectory(dir.File("Data/Tools"));
    EXPECT_TRUE(again.LoadTools());
    ASSERT_EQ(again.Tools().size(), 1u);
    EXPECT_EQ(again.Tools()[0]->m_pOwner, &chart);
    chart.period = 2;  // the week chart of the same security
    EXPECT_TRUE(again.LoadTools());
    EXPECT_TRUE(again.Tools().empty());
    EXPECT_NE(again.GetToolFilePath(), dayFile);
    // Overlapping tools: the later one is hit first.
    chart.period = 1;
    again.LoadTools();
    auto later = std::make_shared<CSegmentLine>(*static_cast<CSegmentLine*>(again.Tools()[0].get()));
    again.AddTool(later);
    for (auto& t : again.Tools()) t->BuildFigure();
    int part = 0;
    EXPECT_EQ(again.HitTestTools(X(20), 160, part), later.get());
}

TEST_F(Actions, DamagedFileGivesNoToolsAndIsKept) {
    WriteFile(overlay.GetToolFilePath(), "<_Tarrow_DrawTool><ToolsInfo>");
    EXPECT_FALSE(overlay.LoadTools());
    EXPECT_TRUE(overlay.Tools().empty());
    Command(50007);
    Drag(X(10), 200, X(30), 120);
    int kept = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.File("Data/Tools")))
        kept += e.path().filename().string().find(".bad-") != std::string::npos;
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(SavedCount(), 1);
}
