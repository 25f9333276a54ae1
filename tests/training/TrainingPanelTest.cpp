// The trend-training control panel over a real training data layer: the boxes it shows,
// "下一根", auto-play, the refusals, the stop levels, the stops firing, ending and resuming,
// and the review tab beside the journal.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TrainingChartHarness.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Services.h"
#include "training/wnd/BackTraceWnd.h"
#include "training/wnd/TradeDetailWnd.h"
#include "training/wnd/TrainingAssistWnd.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"

namespace {

void EnsurePlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_training";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

// The training chart window as the panel sees it, over the harness's layer.
class ChartControl : public ITrainingChartControl {
public:
    explicit ChartControl(FakeTrainingChart& chart) : m_chart(chart) {}
    bool StepNextBar(bool autoPlay) override { return ::StepNextBar(*m_chart.layer, autoPlay); }
    void ScrollToLastBar() override { m_chart.overlay->end = m_chart.reveal.revealedCount; }
    void StartAutoPlayTimer() override { timer = true; }
    void StopAutoPlayTimer() override { timer = false; }
    bool HasRightsIssueBeforeNextBar() override {
        CFloatDayItem next;
        return m_chart.layer->LoadedBar(m_chart.reveal.revealedCount, next) &&
               m_chart.layer->HasRightsIssueFrom(uint32_t(next.m_nTime));
    }
    void RepaintChart() override {}
    bool timer = false;

private:
    FakeTrainingChart& m_chart;
};

class TrainingPanel : public TrainingChartTest {
protected:
    void SetUp() override {
        TrainingChartTest::SetUp();
        EnsurePlatform();
        GetCommonVar()->LoadColours();
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, UINT) {
            m_boxes.push_back(text);
            EXPECT_EQ(caption, "提示");
            return IDOK;
        });
        m_days = Weekdays(20230102, 130);
        WriteDays(m_days);
        m_host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 320, 1100), nullptr, 0);
    }
    void TearDown() override {
        m_panel.reset();
        if (m_host.m_hWnd) m_host.DestroyWindow();
        SetMessageBoxHook({});
        TrainingChartTest::TearDown();
    }
    // A session of days 60..last on a chart handing its bars to a real panel.
    CTrainingAssistWnd& OpenPanel(CTrainingRecord& record) {
        m_panel = std::make_unique<CTrainingAssistWnd>();
        m_panel->SetContextObject(&record);
        EXPECT_TRUE(m_panel->Create(&m_host));
        m_panel->MoveWindow(0, 0, 300, 1080);
        m_panel->SetChart(&m_control);
        m_chart.layer = std::make_shared<TrainingPicData>(&m_chart);
        m_chart.overlay->layer = m_chart.layer.get();
        m_chart.panel = m_panel.get();
        TrainingPicData& layer = *m_chart.layer;
        layer.SetCode(CIndSecuCode(1, "600000"));
        layer.SetDataType(4, 1);
        layer.SetRecord(&record);
        layer.RequestData();
        m_panel->AttachData();
        return *m_panel;
    }
    void TypeStop(CTrainingAssistWnd& panel, bool profit, const char* text) {
        panel.StopEdit(profit)->SetWindowText(text);
        platform::ProcessPendingEvents();
    }

    std::vector<uint32_t> m_days;
    std::vector<std::string> m_boxes;
    CWnd m_host;
    ChartControl m_control{m_chart};
    std::unique_ptr<CTrainingAssistWnd> m_panel;
};

TEST_F(TrainingPanel, NextBarShowsTheRevealedBarAndTheAccount) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[70]));
    CTrainingAssistWnd& panel = OpenPanel(record);
    EXPECT_EQ(panel.Item(0).text, "浦发银行");
    EXPECT_EQ(panel.Item(2).text, "600000");
    EXPECT_EQ(panel.Item(26).text, "100000.00");
    panel.OnButtonCommand(CTrainingAssistWnd::kNextBar);
    EXPECT_EQ(record.EndTrainDate, int32_t(m_days[61]));
    const double close = DayBar(m_days[61], 61).m_nClose / 1000.0;
    char text[32];
    std::snprintf(text, sizeof text, "%.02f", close);
    EXPECT_EQ(panel.Item(1).text, text);
    EXPECT_EQ(panel.Item(6).text, "2023-03-28");
    EXPECT_EQ(panel.Item(4).text, "+0.01");  // each fixture close is 0.01 above the last
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(TrainingPanel, HiddenNameAndDateShowDashesUntilTheEnd) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[61]));
    record.hideName = record.hideDate = 1;
    CTrainingAssistWnd& panel = OpenPanel(record);
    EXPECT_EQ(panel.Item(0).text, "--");
    EXPECT_EQ(panel.Item(2).text, "--");
    EXPECT_EQ(panel.Item(6).text, "--");
    panel.OnButtonCommand(CTrainingAssistWnd::kNextBar);
    panel.OnButtonCommand(CTrainingAssistWnd::kNextBar);  // the end of the period
    EXPECT_EQ(record.TrainStatus, kTrainStatusEnded);
    EXPECT_EQ(panel.Item(0).text, "浦发银行");
    EXPECT_EQ(panel.Item(2).text, "--");
}

TEST_F(TrainingPanel, AfterThePeriodEndsNothingStepsAndEndingCannotResume) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[61]));
    CTrainingAssistWnd& panel = OpenPanel(record);
    panel.OnButtonCommand(CTrainingAssistWnd::kNextBar);
    panel.OnButtonCommand(CTrainingAssistWnd::kNextBar);
    ASSERT_EQ(m_chart.prompts, std::vector<std::string>{"训练周期结束"});
    panel.OnButtonCommand(CTrainingAssistWnd::kNextBar);
    EXPECT_EQ(m_boxes.back(), "训练周期结束，无法继续训练");
    panel.EndOrResume();
    EXPECT_EQ(record.TrainStatus, kTrainStatusEnded);
    EXPECT_EQ(panel.Item(CTrainingAssistWnd::kEndItem).text, "结束交易");
}

TEST_F(TrainingPanel, EndingEarlyThenResuming) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[70]));
    CTrainingAssistWnd& panel = OpenPanel(record);
    panel.OnButtonCommand(CTrainingAssistWnd::kNextBar);
    panel.EndOrResume();
    EXPECT_EQ(record.TrainStatus, kTrainStatusEnded);
    EXPECT_EQ(panel.Item(CTrainingAssistWnd::kEndItem).text, "继续交易");
    panel.OnButtonCommand(CTrainingAssistWnd::kFirstOrder);
    EXPECT_EQ(m_boxes.back(), "目前处于终止状态请点击\"继续\"恢复训练");
    panel.EndOrResume();
    EXPECT_EQ(record.TrainStatus, kTrainStatusRunning);
    EXPECT_EQ(panel.Item(CTrainingAssistWnd::kEndItem).text, "结束交易");
    panel.OnButtonCommand(CTrainingAssistWnd::kNextBar);
    EXPECT_EQ(record.EndTrainDate, int32_t(m_days[62]));
}

TEST_F(TrainingPanel, AutoPlayRunsTheChartsTimerAndRefusesOrders) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[70]));
    CTrainingAssistWnd& panel = OpenPanel(record);
    ASSERT_TRUE(panel.StartAutoPlay());
    EXPECT_TRUE(panel.IsPlaying());
    EXPECT_TRUE(m_control.timer);
    EXPECT_EQ(record.EndTrainDate, int32_t(m_days[61]));  // the first step at once
    EXPECT_FALSE(panel.Button(6)->IsWindowEnabled());
    panel.OnButtonCommand(CTrainingAssistWnd::kFirstOrder + 1);
    EXPECT_EQ(m_boxes.back(), "请先停止自动播放");
    TypeStop(panel, true, "5");
    EXPECT_EQ(m_boxes.back(), "输入价格前请关闭自动播放");
    EXPECT_EQ(record.zy, 0.0);
    panel.ToggleAutoPlay();
    EXPECT_FALSE(panel.IsPlaying());
    EXPECT_FALSE(m_control.timer);
    EXPECT_TRUE(panel.Button(6)->IsWindowEnabled());
}

TEST_F(TrainingPanel, StopLevelsAreTypedInPercent) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[70]));
    CTrainingAssistWnd& panel = OpenPanel(record);
    struct Case {
        const char* text;
        double level;
        const char* refusal;
    } cases[] = {{"5", 0.05, nullptr},   {"120", 0.05, "请输入合法数值"}, {"abc", 0.05, "请输入数字"},
                 {"12.5", 0.125, nullptr}, {"", 0.0, nullptr}};
    for (const Case& c : cases) {
        m_boxes.clear();
        TypeStop(panel, true, c.text);
        EXPECT_DOUBLE_EQ(record.zy, c.level) << c.text;
        if (c.refusal)
            EXPECT_EQ(m_boxes, std::vector<std::string>{c.refusal}) << c.text;
        else
            EXPECT_TRUE(m_boxes.empty()) << c.text;
    }
    TypeStop(panel, false, "3");
    EXPECT_DOUBLE_EQ(record.zs, 0.03);
}

TEST_F(TrainingPanel, AStopProfitFiresOnTheNextBar) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[70]));
    m_host.ShowWindow(SW_SHOW);  // the journal is laid out once the panel is shown
    CTrainingAssistWnd& panel = OpenPanel(record);
    std::string msg;
    ASSERT_TRUE(record.Buy(5000, int64_t(m_days[60]) * 10000, msg, true, "", record.price));
    panel.UpdateAccountBox();
    EXPECT_EQ(panel.Item(34).text, "多单50");
    record.zy = 0.00001;
    panel.OnButtonCommand(CTrainingAssistWnd::kNextBar);
    EXPECT_EQ(record.GetPositionVolume(true), 0);
    ASSERT_EQ(record.trades.size(), 2u);
    EXPECT_EQ(record.trades.back().bsdir, -1);
    EXPECT_EQ(panel.Item(34).text, "多单0");
    // The journal lists both trades at once, without waiting for a resize or a scroll.
    CTradeDetailWnd& journal = *panel.Journal();
    ASSERT_EQ(journal.m_grid.m_rows.size(), 2u);
    EXPECT_EQ(static_cast<CTradeDetailField&>(*journal.m_grid.m_rows[1]->m_cells.at(1)).m_strText, "多平");
}

// The panel's own surface (its children paint their own), pixel by pixel.
std::vector<COLORREF> Pixels(CWnd& wnd) {
    CRect rc;
    wnd.GetClientRect(&rc);
    CClientDC dc(&wnd);
    std::vector<COLORREF> out;
    out.reserve(size_t(rc.Width() * rc.Height()));
    for (int y = 0; y < rc.Height(); ++y)
        for (int x = 0; x < rc.Width(); ++x) out.push_back(dc.GetPixel(x, y));
    return out;
}

TEST_F(TrainingPanel, AStepPaintsOnlyWhatChangedAndLooksAsAWholePaint) {
    // The whole panel, and a panel lower than its content scrolled down a little.
    const struct {
        int height;
        int scroll;
    } cases[] = {{1080, 0}, {700, 120}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.height);
        CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[80]));
        record.hideDate = 0;
        CTrainingAssistWnd& panel = OpenPanel(record);
        m_host.ShowWindow(SW_SHOW);
        panel.MoveWindow(0, 0, 300, c.height);
        platform::ProcessPendingEvents();
        panel.OnVScroll(SB_THUMBPOSITION, UINT(c.scroll), nullptr);
        ASSERT_EQ(panel.m_nScrollPos, c.scroll);
        panel.RedrawWindow();
        platform::ProcessPendingEvents();
        std::string msg;
        for (int step = 0; step < 8; ++step) {
            SCOPED_TRACE(step);
            if (step == 2) {  // a buy: the account box and the journal change
                ASSERT_TRUE(record.Buy(5000, int64_t(record.EndTrainDate) * 10000, msg, true, "", record.price));
                panel.UpdateAccountBox();
                panel.UpdateButtons();
            }
            if (step == 5) record.zy = 0.00001;  // the stop sells on this bar
            panel.OnButtonCommand(CTrainingAssistWnd::kNextBar);
            platform::ProcessPendingEvents();
            const std::vector<COLORREF> stepped = Pixels(panel);
            panel.RedrawWindow();
            platform::ProcessPendingEvents();
            ASSERT_EQ(stepped, Pixels(panel)) << "the step left the panel other than a whole paint";
        }
        EXPECT_EQ(record.trades.size(), 2u);

        // A mark on a part no bar changes stays through a step: the step did not paint it.
        const CPoint blank(5, 430 - c.scroll);
        {
            CClientDC dc(&panel);
            dc.SetPixel(blank.x, blank.y, RGB(255, 0, 255));
        }
        panel.OnButtonCommand(CTrainingAssistWnd::kNextBar);
        platform::ProcessPendingEvents();
        {
            CClientDC dc(&panel);
            EXPECT_EQ(dc.GetPixel(blank.x, blank.y), RGB(255, 0, 255));
        }
        panel.RedrawWindow();
        platform::ProcessPendingEvents();
        CClientDC dc(&panel);
        EXPECT_NE(dc.GetPixel(blank.x, blank.y), RGB(255, 0, 255)) << "a whole paint covers it";
    }
}

TEST_F(TrainingPanel, ABonusLeavingOddLotsShowsWholeHands) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[70]));
    CTrainingAssistWnd& panel = OpenPanel(record);
    std::string msg;
    ASSERT_TRUE(record.Buy(100, int64_t(m_days[60]) * 10000, msg, true, "", record.price));
    record.ApplyShareBonus(0.5);
    panel.UpdateAccountBox();
    EXPECT_EQ(record.GetPositionVolume(true), 150);
    EXPECT_EQ(panel.Item(34).text, "多单1");
    EXPECT_EQ(panel.OrderMaxima().closableLong, 1);
}

TEST_F(TrainingPanel, WithoutShortSellingTwoOrderButtons) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[70]));
    record.CanPut = 0;
    CTrainingAssistWnd& panel = OpenPanel(record);
    EXPECT_EQ(panel.Button(2)->GetWindowText(), "买入");
    EXPECT_EQ(panel.Button(3)->GetWindowText(), "卖出");
    EXPECT_FALSE(panel.Button(4)->IsWindowVisible());
    EXPECT_FALSE(panel.Button(5)->IsWindowVisible());
    EXPECT_FALSE(panel.Button(3)->IsWindowEnabled());  // nothing to sell yet
}

TEST_F(TrainingPanel, BuyingIsRefusedJustBeforeARightsIssue) {
    CSingleCQDataPerSecu e;
    e.m_code = CIndSecuCode(1, "600000");
    e.m_nDate = m_days[61];
    e.m_nRights = 3000000;
    e.m_nRightsPrice = 5000;
    GetAllCQData()->AddEvent(e);
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[70]));
    CTrainingAssistWnd& panel = OpenPanel(record);
    panel.OnButtonCommand(CTrainingAssistWnd::kFirstOrder);
    EXPECT_EQ(m_boxes, std::vector<std::string>{"即将配股，只能卖出不能买入"});
}

TEST_F(TrainingPanel, TheReviewTabShowsTheNewestTradeAlsoAfterAStopFired) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[70]));
    std::string msg;
    ASSERT_TRUE(record.Buy(5000, int64_t(m_days[60]) * 10000, msg, true, "", 10.0));
    CTrainingAssistWnd& panel = OpenPanel(record);
    m_host.ShowWindow(SW_SHOW);
    CBackTraceWnd* review = panel.Review();
    ASSERT_NE(review, nullptr);
    ASSERT_TRUE(review->m_hWnd);
    EXPECT_EQ(review->GetParent(), &panel);
    // The journal's tab first; the review waits hidden in the same place.
    EXPECT_FALSE(review->IsWindowVisible());
    EXPECT_TRUE(panel.Journal()->IsWindowVisible());
    CRect journal, reviewRect;
    panel.Journal()->GetWindowRect(&journal);
    review->GetWindowRect(&reviewRect);
    EXPECT_EQ(journal, reviewRect);
    // Attaching showed the session's last trade.
    EXPECT_EQ(review->m_pRecord, &record);
    EXPECT_EQ(review->ItemText(CBackTraceWnd::kDirection), "多开");

    panel.OnButtonCommand(CTrainingAssistWnd::kTabReview);
    EXPECT_TRUE(review->IsWindowVisible());
    EXPECT_FALSE(panel.Journal()->IsWindowVisible());

    // The stop sells on the next bar: the review jumps to that sale.
    record.zy = 0.00001;
    panel.OnButtonCommand(CTrainingAssistWnd::kNextBar);
    ASSERT_EQ(record.trades.size(), 2u);
    EXPECT_EQ(review->m_nCurrent, 1);
    EXPECT_EQ(review->ItemText(CBackTraceWnd::kDirection), "多平");
    EXPECT_EQ(review->ItemText(CBackTraceWnd::kShares), "5000");

    panel.OnButtonCommand(CTrainingAssistWnd::kTabJournal);
    EXPECT_FALSE(review->IsWindowVisible());
    EXPECT_TRUE(panel.Journal()->IsWindowVisible());
}

}  // namespace

namespace {
// The volume shown is the bar's, read back from its text in shares.
double ShownShares(const std::string& text) {
    double v = std::strtod(text.c_str(), nullptr);
    if (text.find("亿") != std::string::npos) return v * 1e8;
    if (text.find("万") != std::string::npos) return v * 1e4;
    return v;
}
}  // namespace

TEST_F(TrainingPanel, TheVolumeFitsItsPlaceAndKeepsItsLeadingDigits) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[70]));
    CTrainingAssistWnd& panel = OpenPanel(record);
    const CTrainingAssistWnd::TextItem& item = panel.Item(17);
    ASSERT_FALSE(item.rect.IsRectEmpty());
    const struct {
        double volume;
        double tolerance;  // relative: what rounding to the shown unit may lose
    } cases[] = {{0, 0}, {123456, 0}, {29606600, 0.001}, {812345678, 0.01}, {3.2e9, 0.01}, {4.5e11, 0.01}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.volume);
        panel.SetQuote(10, 11, 9, 10.5, 10, c.volume, 4, 1, m_days[61]);
        const std::string text = panel.Item(17).text;
        ASSERT_FALSE(text.empty());
        EXPECT_NE(text[0], '-') << "a large volume never wraps negative";
        CClientDC dc(&panel);
        CFont* old = dc.SelectObject(GetCommonVar()->GetFont(item.font));
        EXPECT_LE(dc.GetTextExtent(text).cx, item.rect.Width()) << text;
        dc.SelectObject(old);
        EXPECT_NEAR(ShownShares(text), c.volume, c.volume * c.tolerance + 0.5) << text;
    }
    panel.SetQuote(10, 11, 9, 10.5, 10, 123456, 4, 1, m_days[61]);
    EXPECT_EQ(panel.Item(17).text, "123456") << "whole shares while they fit";
}
