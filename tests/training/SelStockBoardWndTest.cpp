// The stock-selection board as a window over a scripted server: the pages it asks for, the
// cells a page fills and clears, the frames of the chosen cell, and the two buttons'
// refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "marketdata/FakeChannel.h"
#include "marketdata/MarketFixture.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Services.h"
#include "protocol/Bodies.h"
#include "protocol/Wire.h"
#include "chart/ChartOverlay.h"
#include "training/wnd/MultiItemKlinePicData.h"
#include "training/wnd/MultiTrainingKlineWnd.h"
#include "training/wnd/SelStockTraining.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"

namespace {

void EnsurePlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_training";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

std::string CodeOf(int k) { return std::to_string(600100 + k); }

class BoardWindowTest : public MarketTest {
protected:
    void SetUp() override {
        MarketTest::SetUp();
        EnsurePlatform();
        GetCommonVar()->LoadColours();
        GetSelStockSettings() = {};
        GetSelStockSettings().periods = 10;
        GetSelStockSettings().riseTenths = 25;
        for (int k = 0; k < 12; ++k) Add(1, CodeOf(k), "股票" + std::to_string(k));
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, UINT) {
            boxes.push_back(caption + ":" + text);
            return IDOK;
        });
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 1000, 640), nullptr, 0);
        ASSERT_TRUE(board.Create(&host));
        host.ShowWindow(SW_SHOW);
        board.MoveWindow(0, 0, 980, 620);
        platform::ProcessPendingEvents();
    }
    void TearDown() override {
        board.DetachData();
        board.DestroyWindow();
        host.DestroyWindow();
        SetMessageBoxHook(nullptr);
        GetSelStockSettings() = {};
        MarketTest::TearDown();
    }
    // The offsets of the 13001 requests sent so far.
    std::vector<int> Asked() const {
        std::vector<int> offsets;
        for (const FakeChannel::Sent& s : channel.m_sent) {
            if (s.head.m_wCommand != wire::kCandidates) continue;
            CBuffer b;
            b.Write(s.body.data(), uint32_t(s.body.size()));
            wire::CandidatesRequest r;
            r.Decode(b);
            EXPECT_EQ(r.pageSize, 6);
            offsets.push_back(r.offset);
        }
        return offsets;
    }
    // Answers the newest 13001 with n candidates from the offset.
    void Answer(uint16_t total, uint16_t offset, int n) {
        int64_t serial = -1;
        for (const FakeChannel::Sent& s : channel.m_sent)
            if (s.head.m_wCommand == wire::kCandidates) serial = s.head.m_nSerial;
        ASSERT_GE(serial, 0);
        wire::CandidatesReply reply;
        reply.total = total;
        reply.offset = offset;
        for (int i = 0; i < n; ++i) reply.entries.push_back({1, CodeOf(offset + i)});
        CBuffer body;
        reply.Encode(body);
        channel.Reply(serial, body, wire::kCandidates);
        platform::ProcessPendingEvents();
    }
    void Press(const CRect& arrow) { board.OnElementLButtonUp(0, arrow.CenterPoint().x, arrow.CenterPoint().y); }
    std::string CellCode(int i) { return board.Cell(i)->Layer()->GetCode().m_strCode; }

    FakeChannel channel;
    std::vector<std::string> boxes;
    CWnd host;
    MultiTrainingKlineWnd board;
};

TEST_F(BoardWindowTest, PagesStayWithinTheCandidates) {
    Press(board.m_rcNext);  // nothing known yet: the arrows do nothing
    EXPECT_TRUE(Asked().empty());
    board.AttachData();
    ASSERT_EQ(Asked(), std::vector<int>{0});
    Answer(10, 0, 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(CellCode(i), CodeOf(i));
    Press(board.m_rcPrev);  // already on the first page
    EXPECT_EQ(Asked(), std::vector<int>{0});
    Press(board.m_rcNext);
    ASSERT_EQ(Asked(), (std::vector<int>{0, 4})) << "the last full page, not 6";
    Answer(10, 4, 6);
    EXPECT_EQ(CellCode(0), CodeOf(4));
    Press(board.m_rcNext);
    EXPECT_EQ(Asked(), (std::vector<int>{0, 4})) << "no page after the last";
    Press(board.m_rcPrev);
    EXPECT_EQ(Asked(), (std::vector<int>{0, 4, 0}));
    // A reply that arrives after the board was detached changes nothing.
    board.DetachData();
    Answer(10, 0, 6);
    EXPECT_EQ(CellCode(0), CodeOf(4));
}

TEST_F(BoardWindowTest, FewerCandidatesThanCellsNeverPageBelowZero) {
    board.AttachData();
    Answer(4, 0, 4);
    Press(board.m_rcNext);
    Press(board.m_rcPrev);
    EXPECT_EQ(Asked(), std::vector<int>{0});
}

TEST_F(BoardWindowTest, AShortPageClearsTheCellsItDoesNotFill) {
    board.AttachData();
    Answer(10, 0, 6);
    Press(board.m_rcNext);
    Answer(10, 6, 4);  // a server that pages past the last full page
    for (int i = 0; i < 4; ++i) EXPECT_EQ(CellCode(i), CodeOf(6 + i));
    for (int i : {4, 5}) {
        EXPECT_TRUE(board.Cell(i)->Layer()->GetCode().IsEmpty()) << i;
        EXPECT_EQ(board.Cell(i)->Layer()->GetSeries(), nullptr) << "its series went back to the pool";
        EXPECT_EQ(board.Cell(i)->Security(), nullptr);
    }
    // An empty cell cannot be chosen.
    board.Cell(5)->OnElementLButtonUp(0, 10, 10);
    EXPECT_EQ(board.Board().Selected(), -1);
    // An empty page leaves the cells as they are.
    Answer(10, 12, 0);
    EXPECT_EQ(CellCode(0), CodeOf(6));
}

TEST_F(BoardWindowTest, TheChoiceIsFramedHandedInAndThenFixed) {
    board.AttachData();
    Answer(10, 0, 6);
    board.OnBoardCommand(MultiTrainingKlineWnd::kRevealId);
    board.OnBoardCommand(MultiTrainingKlineWnd::kJudgeId);
    EXPECT_EQ(boxes, (std::vector<std::string>{"提示:请用鼠标选中您看中的股票", "提示:请先提交您选中的股票"}));
    EXPECT_EQ(board.Cell(0)->m_bRevealed, 0);

    // Cells report clicks and hovering to the board.
    board.Cell(2)->OnElementMouseMove(0, 10, 10);
    EXPECT_EQ(board.Board().Hovered(), 2);
    board.Cell(2)->OnElementLButtonUp(0, 10, 10);
    EXPECT_EQ(board.Board().Selected(), 2);
    board.Cell(2)->OnElementMouseLeave();
    EXPECT_EQ(board.Board().Hovered(), -1);
    board.RedrawWindow();
    platform::ProcessPendingEvents();
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&board, shot));
    CRect chosen, other;
    board.Cell(2)->GetWindowRect(&chosen);
    board.Cell(1)->GetWindowRect(&other);
    board.ScreenToClient(&chosen);
    board.ScreenToClient(&other);
    EXPECT_EQ(shot.GetPixel(chosen.left - 1, chosen.CenterPoint().y), MultiTrainingKlineWnd::kChosenFrame);
    EXPECT_NE(shot.GetPixel(other.left - 1, other.CenterPoint().y), MultiTrainingKlineWnd::kChosenFrame);

    // Not handed in yet: no verdict.
    boxes.clear();
    board.OnBoardCommand(MultiTrainingKlineWnd::kJudgeId);
    EXPECT_EQ(boxes, std::vector<std::string>{"提示:请先提交您选中的股票"});
    // "选择" hands it in; every cell shows its future and the choice stays.
    boxes.clear();
    board.OnBoardCommand(MultiTrainingKlineWnd::kRevealId);
    EXPECT_TRUE(boxes.empty());
    for (int i = 0; i < 6; ++i) EXPECT_EQ(board.Cell(i)->m_bRevealed, 1) << i;
    board.Cell(4)->OnElementLButtonUp(0, 10, 10);
    EXPECT_EQ(board.Board().Selected(), 2);
    std::vector<std::string> verdicts;
    board.SetVerdictShower([&](CDlgSelStockTip& tip) {
        verdicts.push_back(tip.m_strCode);
        EXPECT_EQ(tip.m_strName, "股票2");
        EXPECT_EQ(tip.m_bPassed, SelStockBoard::Passes(tip.m_fRise, 25) ? 1 : 0);
    });
    board.OnBoardCommand(MultiTrainingKlineWnd::kJudgeId);
    EXPECT_EQ(verdicts, std::vector<std::string>{CodeOf(2)});
    EXPECT_TRUE(boxes.empty());

    // A new page hides everything again and forgets the choice.
    Press(board.m_rcNext);
    Answer(10, 4, 6);
    EXPECT_EQ(board.Board().Selected(), -1);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(board.Cell(i)->m_bRevealed, 0) << i;
}

TEST_F(BoardWindowTest, CellsSitInThreeColumnsBesideThePagingPanel) {
    const CRect& c = board.m_rcContent;
    const int a = (c.Width() - 49) / 3, b = (c.Height() - 10) / 2;
    for (int i = 0; i < 6; ++i) {
        CRect rc;
        board.Cell(i)->GetWindowRect(&rc);
        board.ScreenToClient(&rc);
        EXPECT_EQ(rc, CRect(c.left + a * (i % 3) + 7, c.top + (i / 3) * b + 7, c.left + a * (i % 3) + a,
                            c.top + (i / 3) * b + b))
            << i;
    }
    CRect reveal;
    board.Button(0)->GetWindowRect(&reveal);
    board.ScreenToClient(&reveal);
    EXPECT_EQ(reveal, CRect(c.right - 47, c.top + 277, c.right - 1, c.top + 373));
    EXPECT_EQ(board.m_rcNext, CRect(c.right - 36, c.top + 236, c.right - 14, c.top + 249));
    // Double-clicking a cell does nothing to the board.
    board.Cell(0)->OnElementLButtonDblClk(0, 10, 10);
    EXPECT_EQ(board.Board().Selected(), -1);
}

TEST_F(BoardWindowTest, TheSetUpPagesFlagsHideNamesAndDates) {
    MultiKlineItemWnd& cell = *board.Cell(0);
    auto chart = cell.GetChartOverlayPtr();
    auto tip = std::dynamic_pointer_cast<chart::PicTipOverlay>(cell.GetTipOverlay());
    ASSERT_TRUE(chart && tip);
    cell.RecalcLayout();
    EXPECT_EQ(chart->m_rcChart.top, cell.m_rcContent.top + MultiKlineItemWnd::kNameStrip) << "the name strip";
    EXPECT_TRUE(tip->IsTipEnabled());
    cell.RedrawWindow();
    platform::ProcessPendingEvents();
    EXPECT_EQ(chart->m_bDrawLabels, 1);

    GetSelStockSettings().hideName = true;
    GetSelStockSettings().hideDate = true;
    cell.RecalcLayout();
    EXPECT_EQ(chart->m_rcChart.top, cell.m_rcContent.top) << "no strip: the chart fills the cell";
    EXPECT_FALSE(tip->IsTipEnabled());
    cell.RedrawWindow();
    platform::ProcessPendingEvents();
    EXPECT_EQ(chart->m_bDrawLabels, 0) << "no dates on the time axis";
}

}  // namespace
