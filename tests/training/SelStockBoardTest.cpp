// The stock-selection board's state: paging, the page of candidates, the choice and the
// two buttons' answers.
#include <gtest/gtest.h>

#include "protocol/Bodies.h"
#include "training/wnd/SelStockBoard.h"

namespace {

wire::CandidatesReply Page(uint16_t total, uint16_t offset, int n) {
    wire::CandidatesReply reply;
    reply.total = total;
    reply.offset = offset;
    for (int i = 0; i < n; ++i) reply.entries.push_back({1, "6000" + std::to_string(10 + offset + i)});
    return reply;
}

TEST(SelStockBoardTest, PagingStaysWithinTheCandidates) {
    SelStockBoard board;
    int16_t offset = -1;
    EXPECT_FALSE(board.NextPage(offset));  // no reply yet
    EXPECT_FALSE(board.PreviousPage(offset));
    ASSERT_TRUE(board.ApplyCandidates(Page(10, 0, 6)));
    EXPECT_FALSE(board.PreviousPage(offset));
    ASSERT_TRUE(board.NextPage(offset));
    EXPECT_EQ(offset, 4);  // the last full page
    board.ApplyCandidates(Page(10, 4, 6));
    EXPECT_FALSE(board.NextPage(offset));
    ASSERT_TRUE(board.PreviousPage(offset));
    EXPECT_EQ(offset, 0);
    // Fewer candidates than a page: nowhere to go, never below 0.
    board.ApplyCandidates(Page(4, 0, 4));
    EXPECT_FALSE(board.NextPage(offset));
    EXPECT_EQ(offset, 0);
    board.ApplyCandidates(Page(40, 12, 6));
    ASSERT_TRUE(board.NextPage(offset));
    EXPECT_EQ(offset, 18);
    ASSERT_TRUE(board.PreviousPage(offset));
    EXPECT_EQ(offset, 6);
}

TEST(SelStockBoardTest, APageFillsItsCellsAndClearsTheRest) {
    SelStockBoard board;
    ASSERT_TRUE(board.ApplyCandidates(Page(10, 0, 6)));
    EXPECT_EQ(board.ShownCells(), 6);
    EXPECT_EQ(board.CellSecurity(5), CIndSecuCode(1, "600015"));
    ASSERT_TRUE(board.Select(2));
    ASSERT_TRUE(board.Hover(4));
    // A short last page: the surplus cells show nothing and cannot be chosen.
    ASSERT_TRUE(board.ApplyCandidates(Page(10, 6, 4)));
    EXPECT_EQ(board.ShownCells(), 4);
    EXPECT_EQ(board.CellSecurity(3), CIndSecuCode(1, "600019"));
    EXPECT_TRUE(board.CellSecurity(4).IsEmpty());
    EXPECT_TRUE(board.CellSecurity(5).IsEmpty());
    EXPECT_EQ(board.Selected(), -1);
    EXPECT_EQ(board.Hovered(), -1);
    EXPECT_FALSE(board.Select(5));
    // An empty page only empties the candidates.
    ASSERT_TRUE(board.Select(1));
    EXPECT_FALSE(board.ApplyCandidates(Page(10, 12, 0)));
    EXPECT_TRUE(board.Candidates().empty());
    EXPECT_EQ(board.ShownCells(), 4);
    EXPECT_EQ(board.Selected(), 1);
    EXPECT_EQ(board.CellSecurity(0), CIndSecuCode(1, "600016"));
}

TEST(SelStockBoardTest, TheChoiceIsHandedInBeforeTheVerdictAndThenStays) {
    SelStockBoard board;
    board.ApplyCandidates(Page(10, 0, 6));
    EXPECT_EQ(board.Reveal(), "请用鼠标选中您看中的股票");
    EXPECT_FALSE(board.Revealed());
    EXPECT_EQ(board.CanJudge(), "请先提交您选中的股票");
    ASSERT_TRUE(board.Select(3));
    EXPECT_EQ(board.CanJudge(), "请先提交您选中的股票");  // chosen, but not handed in
    EXPECT_EQ(board.Reveal(), "");
    EXPECT_TRUE(board.Revealed());
    EXPECT_FALSE(board.Select(0));  // the future is out: the choice stays
    EXPECT_EQ(board.Selected(), 3);
    EXPECT_TRUE(board.Hover(0));
    EXPECT_EQ(board.CanJudge(), "");
    // A new page hides the charts again.
    board.ApplyCandidates(Page(10, 4, 6));
    EXPECT_FALSE(board.Revealed());
    EXPECT_TRUE(board.Select(0));
    EXPECT_TRUE(SelStockBoard::Passes(150, 150));  // reaching the threshold is enough
    EXPECT_FALSE(SelStockBoard::Passes(149.9, 150));
    EXPECT_FALSE(SelStockBoard::Passes(0, 1));
}

}  // namespace
