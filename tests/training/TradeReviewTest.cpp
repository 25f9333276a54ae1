// The trade review panel: the last trade first, stepping clamped at both ends, hidden dates
// while the session runs, the texts and colours of opening and closing trades, a journal
// that grows under the panel, and the reason's round trip through the record file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ReviewWindowSupport.h"
#include "common/ScratchDir.h"
#include "marketdata/DataCenter.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Gdi.h"
#include "platform/Services.h"
#include "training/TotalTrainingRecord.h"
#include "training/TrainingRecord.h"
#include "training/wnd/BackTraceWnd.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"

namespace {

constexpr COLORREF kRed = RGB(255, 77, 77);
constexpr COLORREF kGreen = RGB(77, 255, 77);

TradeDetailItem Trade(int32_t date, int opdir, int bsdir, double price, int32_t vol, double gain = 0,
                      double percent = 0) {
    TradeDetailItem t;
    t.TradeDate = date;
    t.opdir = int8_t(opdir);
    t.bsdir = int8_t(bsdir);
    t.TradePrice = price;
    t.vol = vol;
    t.Turnover = price * vol;
    if (bsdir == -1) {
        t.GainLoss = gain;
        t.GLPercent = percent;
        t.praise = gain > 0 ? 1 : -1;
    }
    return t;
}

struct ReviewTest : ::testing::Test {
    ScratchDir dir;
    std::shared_ptr<CTotalTrainingRecord> list;
    std::shared_ptr<CTrainingRecord> record;
    CWnd host;
    CBackTraceWnd panel;
    std::vector<std::string> boxes;

    void SetUp() override {
        EnsureReviewPlatform();
        GetCommonVar()->LoadColours();
        list = std::make_shared<CTotalTrainingRecord>((dir.Path() / "totalRecord.xml").string());
        GetDataCenter()->SetTrainingRecords(list, nullptr);
        record = std::make_shared<CTrainingRecord>();
        record->InitCapital = 1000000;
        record->TrainStatus = kTrainStatusEnded;
        record->trades = {Trade(20150309, 1, 1, 10.5, 1000), Trade(20150310, 1, -1, 11.05, 1000, 525, 0.0525),
                          Trade(20150311, -1, 1, 11.2, 500), Trade(20150312, -1, -1, 11.2, 500, 0, 0)};
        list->records.push_back(record);
        SetMessageBoxHook([this](const std::string& text, const std::string&, UINT) {
            boxes.push_back(text);
            return IDOK;
        });
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 260, 440), nullptr, 0);
        ASSERT_TRUE(panel.Create(&host));
        host.ShowWindow(SW_SHOW);
        panel.MoveWindow(0, 0, 240, 420);
        platform::ProcessPendingEvents();
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        GetDataCenter()->SetTrainingRecords(nullptr, nullptr);
        panel.DestroyWindow();
        host.DestroyWindow();
    }
    void Click(const CRect& rc) { panel.OnElementLButtonUp(0, rc.CenterPoint().x, rc.CenterPoint().y); }
    void Previous() { Click(panel.m_rcPrev); }
    void Next() { Click(panel.m_rcNext); }
    std::string Text(int item) { return panel.ItemText(item); }
    void Submit(const std::string& text) {
        panel.m_pReasonEdit->SetWindowText(text);
        panel.SendMessage(WM_COMMAND, CBackTraceWnd::kSubmitId, 0);
    }
};

TEST_F(ReviewTest, NothingToShowLeavesThePanelAsItWas) {
    EXPECT_EQ(panel.ShowRecord(nullptr), 0);
    CTrainingRecord empty;
    EXPECT_EQ(panel.ShowRecord(&empty), 0);
    EXPECT_EQ(panel.m_nCurrent, -1);
    EXPECT_EQ(Text(CBackTraceWnd::kShares), "");
    Next();  // no record: nothing happens
    EXPECT_EQ(panel.m_nCurrent, -1);
    ASSERT_EQ(panel.ShowRecord(record.get()), 1);
    EXPECT_EQ(panel.ShowRecord(&empty), 0);
    EXPECT_EQ(panel.m_pRecord, record.get()) << "an empty record keeps what was shown";
    EXPECT_EQ(Text(CBackTraceWnd::kDirection), "空平");
}

TEST_F(ReviewTest, ShowsTheLastTradeAndStepsClampedAtBothEnds) {
    ASSERT_EQ(panel.ShowRecord(record.get()), 1);
    EXPECT_EQ(panel.m_nCurrent, 3);
    // A short covered at no gain: a closing trade judged wrong, in green.
    EXPECT_EQ(Text(CBackTraceWnd::kDirection), "空平");
    EXPECT_EQ(panel.ItemColour(CBackTraceWnd::kDirection), kGreen);
    EXPECT_EQ(Text(CBackTraceWnd::kGainLoss), "0.00");
    EXPECT_EQ(Text(CBackTraceWnd::kVerdict), "错误");
    EXPECT_EQ(panel.ItemColour(CBackTraceWnd::kVerdict), kGreen);
    Next();
    EXPECT_EQ(panel.m_nCurrent, 3) << "the next arrow does nothing at the last trade";

    Previous();  // the short sale: an opening trade
    EXPECT_EQ(Text(CBackTraceWnd::kDirection), "空开");
    EXPECT_EQ(panel.ItemColour(CBackTraceWnd::kDirection), kRed);
    for (int item : {CBackTraceWnd::kGainLoss, CBackTraceWnd::kGainLossRatio, CBackTraceWnd::kVerdict})
        EXPECT_EQ(Text(item), "-");

    Previous();  // the profitable sale
    EXPECT_EQ(Text(CBackTraceWnd::kDirection), "多平");
    EXPECT_EQ(Text(CBackTraceWnd::kShares), "1000");
    EXPECT_EQ(Text(CBackTraceWnd::kPrice), "11.05");
    EXPECT_EQ(Text(CBackTraceWnd::kAmount), "11050.00");
    EXPECT_EQ(Text(CBackTraceWnd::kGainLoss), "525.00");
    EXPECT_EQ(Text(CBackTraceWnd::kGainLossRatio), "5.25%");
    EXPECT_EQ(Text(CBackTraceWnd::kVerdict), "正确");
    EXPECT_EQ(panel.ItemColour(CBackTraceWnd::kGainLoss), kRed);

    Previous();
    EXPECT_EQ(panel.m_nCurrent, 0);
    EXPECT_EQ(Text(CBackTraceWnd::kDirection), "多开");
    EXPECT_EQ(Text(CBackTraceWnd::kDate), "2015.3.9") << "no zero padding";
    Previous();
    EXPECT_EQ(panel.m_nCurrent, 0) << "the previous arrow does nothing at the first trade";
    panel.OnElementLButtonUp(0, 120, 200);  // elsewhere
    EXPECT_EQ(panel.m_nCurrent, 0);
}

TEST_F(ReviewTest, DatesStayHiddenUntilTheSessionEnds) {
    record->hideDate = 1;
    record->TrainStatus = kTrainStatusRunning;
    panel.ShowRecord(record.get());
    EXPECT_EQ(Text(CBackTraceWnd::kDate), "--");
    record->TrainStatus = kTrainStatusEnded;
    panel.ShowRecord(record.get());
    EXPECT_EQ(Text(CBackTraceWnd::kDate), "2015.3.12");
}

TEST_F(ReviewTest, AJournalThatGrowsUnderThePanelIsReadByPosition) {
    panel.ShowRecord(record.get());
    Previous();
    Previous();  // the profitable sale, position 1
    // Orders placed while the panel shows an old trade move the journal in memory.
    for (int i = 0; i < 200; ++i) record->trades.push_back(Trade(20150401 + i % 20, 1, 1, 12, 100));
    ASSERT_NE(panel.CurrentTrade(), nullptr);
    EXPECT_EQ(panel.CurrentTrade()->GainLoss, 525);
    Next();
    EXPECT_EQ(panel.m_nCurrent, 2);
    EXPECT_EQ(Text(CBackTraceWnd::kDirection), "空开");
    record->trades.resize(1);  // and one that shrank (a damaged list): nothing is read past it
    EXPECT_EQ(panel.CurrentTrade(), nullptr);
    Next();
    EXPECT_EQ(panel.m_nCurrent, 2);
}

TEST_F(ReviewTest, ASubmittedReasonIsKeptInTheTradeAndTheRecordFile) {
    panel.ShowRecord(record.get());
    Previous();
    Submit("突破平台，放量");
    EXPECT_EQ(record->trades[2].comment, "突破平台，放量");
    EXPECT_EQ(Text(CBackTraceWnd::kReason), "突破平台，放量");
    Next();
    EXPECT_EQ(Text(CBackTraceWnd::kReason), "");
    Previous();
    EXPECT_EQ(Text(CBackTraceWnd::kReason), "突破平台，放量") << "stored in the trade itself";
    EXPECT_TRUE(boxes.empty());

    CTotalTrainingRecord reread(list->GetFilePath());
    ASSERT_TRUE(reread.Load()) << "saved at once";
    ASSERT_EQ(reread.records.size(), 1u);
    ASSERT_EQ(reread.records[0]->trades.size(), 4u);
    EXPECT_EQ(reread.records[0]->trades[2].comment, "突破平台，放量");
}

TEST_F(ReviewTest, ATooLongReasonIsRefusedWithAMessage) {
    panel.ShowRecord(record.get());
    std::string fifty;
    for (int i = 0; i < 50; ++i) fifty += "涨";
    Submit(fifty);
    EXPECT_TRUE(boxes.empty()) << "fifty characters are allowed";
    EXPECT_EQ(record->trades[3].comment, fifty);
    Submit(fifty + "x");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], CBackTraceWnd::kReasonTooLong);
    EXPECT_EQ(record->trades[3].comment, fifty) << "the stored reason is kept";
    EXPECT_EQ(Text(CBackTraceWnd::kReason), fifty);
}

TEST_F(ReviewTest, PaintsTitleLegendAndArrows) {
    panel.ShowRecord(record.get());
    panel.RedrawWindow();
    platform::ProcessPendingEvents();
    const std::string png = (dir.Path() / "review.png").string();
    ASSERT_TRUE(platform::SaveWindowScreenshot(&panel, png));
    if (const char* keep = std::getenv("TARROW_KEEP_SCREENSHOTS"))
        std::filesystem::copy_file(png, std::string(keep) + "/review.png",
                                   std::filesystem::copy_options::overwrite_existing);
    CClientDC dc(&panel);
    const CRect& right = panel.m_items[2]->m_rect;
    const CRect& wrong = panel.m_items[3]->m_rect;
    EXPECT_EQ(dc.GetPixel(right.left + 3, right.top + 3), kRed) << "the legend box of 正确";
    EXPECT_EQ(dc.GetPixel(wrong.left + 3, wrong.top + 3), kGreen) << "the legend box of 错误";
    EXPECT_EQ(dc.GetPixel(right.left, right.top), RGB(0, 0, 0)) << "framed in black";
    const CRect& prev = panel.m_rcPrev;
    int white = 0;
    for (int y = prev.top; y < prev.bottom; ++y)
        for (int x = prev.left; x < prev.right; ++x) white += dc.GetPixel(x, y) == RGB(255, 255, 255);
    EXPECT_GT(white, 10) << "the previous arrow is drawn";
}

}  // namespace
