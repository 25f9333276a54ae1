// The training chart window over fixture bars: what it shows and computes never reaches past
// the training clock, a step puts exactly one more bar on screen, the auto-play tick, the
// drawing file and the date-hiding rules as the window applies them.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <cstring>
#include <string>
#include <vector>

#include "TrainingChartHarness.h"
#include "chart/ChartPic.h"
#include "drawtools/KlineDrawTools.h"
#include "drawtools/ToolFile.h"
#include "drawtools/ToolSettings.h"
#include "formula/YBIndClass.h"
#include "formula/engine/KlineLight.h"
#include "marketdata/AppInfo.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/home/ProgramDir.h"
#include "training/TrainingChartRules.h"
#include "chart/ChartTestSupport.h"
#include "training/wnd/TrainingKlineWnd.h"
#include "ui/CommonVar.h"

namespace {

using chart_test::EnsureChartEnvironment;

class TrainingChartWindow : public TrainingChartTest {
protected:
    void SetUp() override {
        TrainingChartTest::SetUp();
        EnsureChartEnvironment();
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, UINT) {
            m_boxes.push_back(text);
            EXPECT_EQ(caption, "提示");
            return IDOK;
        });
        m_host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 900, 640), nullptr, 0);
        m_host.ShowWindow(SW_SHOW);
    }
    void TearDown() override {
        // The window's layer gives its series back before the data centre goes.
        if (m_wnd && m_wnd->m_hWnd) m_wnd->DestroyWindow();
        m_wnd.reset();
        if (m_host.m_hWnd) m_host.DestroyWindow();
        SetMessageBoxHook({});
        TrainingChartTest::TearDown();
    }

    // Days 0..n-1; from `spike` on the bars jump far above everything before them, so that
    // any range or indicator that saw one of them would show it.
    void WriteSpikedDays(const std::vector<uint32_t>& dates, size_t spike) {
        std::vector<CDayItem> bars;
        for (size_t k = 0; k < dates.size(); ++k) {
            if (k < spike) {
                bars.push_back(DayBar(dates[k], int(k)));
            } else {
                const int32_t open = 40000 + 37 * int32_t(k % 7);
                bars.push_back(MakeBar(dates[k], open, 50000, 39000, open + 900, 90000));
            }
        }
        ASSERT_TRUE(GetDataCenter()->GetStore(CDataCenter::kDayFile)
                        .ReplaceItems(uint32_t(bars.size()), 1, "600000", bars.data()));
    }

    // The chart of a session with the price pane (MA) and four indicator panes.
    TrainingKlineWnd& OpenChart(CTrainingRecord& record) {
        m_wnd = std::make_unique<TrainingKlineWnd>();
        EXPECT_TRUE(m_wnd->Create(&m_host));
        m_wnd->MoveWindow(0, 0, 880, 620);
        m_panel.record = &record;
        m_wnd->SetPanel(&m_panel);
        m_wnd->OnDataChanged();  // the default panes: MA over the price, VOL, MACD
        auto overlay = m_wnd->GetTrainingOverlay();
        for (const char* name : {"KDJ", "BIAS"}) {
            chart::ChartPicProp& p = overlay->AddPane()->Prop();
            p.BindIndicatorByName(name);
            p.SetIndicatorPeriod(4, 1);
        }
        m_wnd->SetContextObject(&record);
        m_wnd->RecalcLayout();
        return *m_wnd;
    }

    int32_t Shown() { return m_wnd->GetTrainingOverlay()->m_reveal.revealedCount; }

    // Every indicator value of every pane over the visible bars, against the same
    // indicator run over a buffer that holds the revealed bars and nothing else.
    void ExpectOnlyRevealedBarsComputed() {
        auto overlay = m_wnd->GetTrainingOverlay();
        TrainingPicData* layer = m_wnd->GetTrainingLayer();
        const int32_t revealed = overlay->m_reveal.revealedCount;
        ASSERT_GT(revealed, 0);
        EXPECT_EQ(layer->GetEnd(), revealed);
        EXPECT_LE(overlay->m_nEnd, revealed);
        EXPECT_GE(overlay->m_nStart, overlay->m_reveal.dataBegin);
        const size_t size = size_t(layer->RecordSize());
        std::vector<uint8_t> alone(size * size_t(revealed));
        std::memcpy(alone.data(), layer->GetRecords(), alone.size());
        int panes = 0;
        for (const auto& pane : overlay->m_aPanes) {
            const chart::ChartPicProp& p = pane->Prop();
            if (!p.m_pIndicator) continue;
            ++panes;
            CKlineLight ref(*p.m_pIndicator);
            ref.Varialized();
            ref.m_pBars = alone.data();
            ref.m_nBarCount = revealed;
            ref.m_nCalcFirst = layer->GetBegin();
            ref.m_nCalcEnd = revealed;
            ref.m_nShowFirst = overlay->m_nStart;
            ref.m_nShowEnd = overlay->m_nEnd;
            ref.MakeRoom(revealed);
            ref.Calc(layer->GetBegin(), revealed);
            auto compare = [&](const std::vector<CIndicatorExp>& shown,
                               const std::vector<CIndicatorExp>& expected, const char* kind) {
                ASSERT_EQ(shown.size(), expected.size());
                for (size_t k = 0; k < shown.size(); ++k) {
                    const CIndicatorExp& a = shown[k];
                    const CIndicatorExp& b = expected[k];
                    if (!a.HasValues()) {
                        EXPECT_FALSE(b.HasValues()) << p.m_strIndicatorName << " " << kind << k;
                        continue;
                    }
                    EXPECT_LT(a.m_nLast, revealed)
                        << p.m_strIndicatorName << " computed a value after the clock";
                    EXPECT_EQ(a.m_nFirst, b.m_nFirst) << p.m_strIndicatorName << " " << kind << k;
                    for (int32_t i = std::max(overlay->m_nStart, a.m_nFirst);
                         i < overlay->m_nEnd && i <= a.m_nLast; ++i) {
                        const double x = a.m_aValues[size_t(i)], y = b.m_aValues[size_t(i)];
                        if (std::isnan(x) && std::isnan(y)) continue;
                        ASSERT_NEAR(x, y, 1e-9 * std::max(1.0, std::fabs(y)))
                            << p.m_strIndicatorName << " " << kind << k << " at bar " << i
                            << " with " << revealed << " bars revealed";
                    }
                }
            };
            compare(p.m_pIndicator->m_aExps, ref.m_aExps, "line ");
            compare(p.m_pIndicator->m_aDrawExps, ref.m_aDrawExps, "draw ");
        }
        EXPECT_EQ(panes, 5) << "MA, VOL, MACD, KDJ and BIAS";
    }

    std::vector<std::string> m_boxes;
    CWnd m_host;
    std::unique_ptr<TrainingKlineWnd> m_wnd;
};

TEST_F(TrainingChartWindow, EveryValueShownIsComputedFromTheRevealedBarsAlone) {
    const std::vector<uint32_t> days = Weekdays(20230102, 220);
    const size_t spike = 140;
    WriteSpikedDays(days, spike);
    CTrainingRecord record = MakeRecord(int32_t(days[120]), int32_t(days[200]));
    OpenChart(record);
    ASSERT_EQ(record.TrainStatus, kTrainStatusRunning);
    ASSERT_EQ(Shown(), 121);
    auto overlay = m_wnd->GetTrainingOverlay();
    for (int step = 0; step < 30; ++step) {
        SCOPED_TRACE(step);
        ExpectOnlyRevealedBarsComputed();
        if (size_t(Shown()) <= spike) {
            // The price axis and its highest mark know nothing of the jump ahead.
            const chart::ChartPicProp& price = overlay->m_aPanes.front()->Prop();
            EXPECT_LT(price.m_fMax, 39.0);
            EXPECT_LT(price.m_nMaxIndex, Shown());
        }
        ASSERT_TRUE(m_wnd->StepNextBar(false));
    }
    EXPECT_EQ(Shown(), 151);
    EXPECT_GT(overlay->m_aPanes.front()->Prop().m_fMax, 39.0) << "the jump, once revealed, is shown";
    EXPECT_TRUE(m_boxes.empty());
}

// The pixels of a colour in one bar's column of the price pane, from above its high to below
// its low (read from the loaded bars, revealed or not).
int PixelsInColumn(TrainingKlineWnd& wnd, int32_t bar, COLORREF colour) {
    wnd.RedrawWindow();
    platform::ProcessPendingEvents();
    auto overlay = wnd.GetTrainingOverlay();
    const chart::ChartPicProp& price = overlay->m_aPanes.front()->Prop();
    CFloatDayItem item;
    if (!wnd.GetTrainingLayer()->LoadedBar(bar, item)) return -1;
    CClientDC dc(&wnd);
    const int x = overlay->IndexToX(bar);
    int count = 0;
    for (int y = price.PriceToY(item.m_fHigh, true) - 2; y <= price.PriceToY(item.m_fLow, true) + 2; ++y)
        count += dc.GetPixel(x, y) == colour;
    return count;
}

// The colour the clock's bar is drawn in (its upper shadow: every fixture bar rises).
COLORREF CandleColour(TrainingKlineWnd& wnd) {
    wnd.RedrawWindow();
    platform::ProcessPendingEvents();
    auto overlay = wnd.GetTrainingOverlay();
    const int32_t bar = overlay->m_reveal.revealedCount - 1;
    const chart::ChartPicProp& price = overlay->m_aPanes.front()->Prop();
    CClientDC dc(&wnd);
    return dc.GetPixel(overlay->IndexToX(bar),
                       price.PriceToY(wnd.GetTrainingLayer()->GetHigh(bar), true) + 1);
}

TEST_F(TrainingChartWindow, AStepPutsOneMoreBarOnScreen) {
    const std::vector<uint32_t> days = Weekdays(20230102, 140);
    WriteDays(days);
    CTrainingRecord record = MakeRecord(int32_t(days[100]), int32_t(days[130]));
    OpenChart(record);
    const int32_t before = Shown();
    ASSERT_LT(before - m_wnd->GetTrainingOverlay()->m_reveal.dataBegin, 100) << "the view is not full";
    const COLORREF candle = CandleColour(*m_wnd);
    ASSERT_NE(candle, GetCommonVar()->Colors()[CommonColor::uniPic_BackGround]);
    EXPECT_GT(PixelsInColumn(*m_wnd, before - 1, candle), 2) << "the clock's bar is drawn";
    EXPECT_EQ(PixelsInColumn(*m_wnd, before, candle), 0) << "the next bar is not drawn yet";
    ASSERT_TRUE(m_wnd->StepNextBar(false));
    EXPECT_EQ(Shown(), before + 1);
    EXPECT_EQ(m_wnd->GetTrainingOverlay()->m_nEnd, before + 1);
    EXPECT_GT(PixelsInColumn(*m_wnd, before, candle), 2) << "the revealed bar is drawn";
    EXPECT_EQ(PixelsInColumn(*m_wnd, before + 1, candle), 0) << "and nothing after it";
    EXPECT_EQ(record.EndTrainDate, int32_t(days[101]));
    EXPECT_EQ(m_panel.quotes.back(), int64_t(days[101]));
}

TEST_F(TrainingChartWindow, ScrolledBackTheStepWaitsUntilTheViewIsBackAtTheClock) {
    const std::vector<uint32_t> days = Weekdays(20230102, 300);
    WriteDays(days);
    CTrainingRecord record = MakeRecord(int32_t(days[250]), int32_t(days[290]));
    OpenChart(record);
    auto overlay = m_wnd->GetTrainingOverlay();
    overlay->m_nVisibleCount = 20;
    overlay->Layout();
    const int32_t revealed = Shown();
    EXPECT_EQ(overlay->m_nEnd, revealed);
    overlay->m_nStart -= 30;
    overlay->m_nEnd -= 30;
    overlay->ClampRange();
    EXPECT_LT(overlay->m_nEnd, revealed);
    EXPECT_FALSE(m_wnd->StepNextBar(false));
    EXPECT_EQ(Shown(), revealed);
    m_wnd->ScrollToLastBar();
    EXPECT_EQ(overlay->m_nEnd, revealed);
    EXPECT_TRUE(m_wnd->StepNextBar(false));
    EXPECT_EQ(overlay->m_nEnd, revealed + 1);
    // However far the range is pushed, it ends at the clock.
    overlay->m_nStart = revealed + 50;
    overlay->ClampRange();
    EXPECT_LE(overlay->m_nEnd, Shown());
    EXPECT_EQ(overlay->m_nStart, Shown() - 2);
}

TEST_F(TrainingChartWindow, AutoPlayTickStepsAndStopsAtTheEndWithOneMessage) {
    const std::vector<uint32_t> days = Weekdays(20230102, 100);
    WriteDays(days);
    CTrainingRecord record = MakeRecord(int32_t(days[90]), int32_t(days[92]));
    OpenChart(record);
    m_wnd->StartAutoPlayTimer();
    EXPECT_TRUE(m_wnd->IsAutoPlayTimerSet());
    auto tick = [&] { m_wnd->SendMessage(WM_TIMER, kAutoPlayTimerId, 0); };
    tick();
    tick();
    EXPECT_EQ(record.EndTrainDate, int32_t(days[92]));
    EXPECT_EQ(m_panel.stops, 0);
    tick();  // the period is over
    EXPECT_EQ(record.TrainStatus, kTrainStatusEnded);
    EXPECT_EQ(m_panel.stops, 1);
    tick();  // a late tick: no second message
    EXPECT_EQ(m_boxes, std::vector<std::string>{"训练周期结束"});
    // Without a panel the tick that moves nothing stops its own timer.
    m_wnd->SetPanel(nullptr);
    m_wnd->StartAutoPlayTimer();
    tick();
    EXPECT_FALSE(m_wnd->IsAutoPlayTimerSet());
}

TEST_F(TrainingChartWindow, HiddenDatesKeepTipsAndTimeLabelsOffUntilTheEnd) {
    const std::vector<uint32_t> days = Weekdays(20230102, 100);
    WriteDays(days);
    CTrainingRecord record = MakeRecord(int32_t(days[90]), int32_t(days[91]));
    record.hideDate = 1;
    record.TrainingDate = 20240305;
    record.TrainingTime = 93015;
    OpenChart(record);
    auto overlay = m_wnd->GetTrainingOverlay();
    auto tip = std::dynamic_pointer_cast<chart::PicTipOverlay>(m_wnd->GetTipOverlay());
    ASSERT_NE(tip, nullptr);
    EXPECT_FALSE(tip->IsTipEnabled());
    m_wnd->RedrawWindow();
    platform::ProcessPendingEvents();
    EXPECT_EQ(overlay->m_bDrawLabels, 0);
    EXPECT_EQ(m_wnd->GetToolFilePath(),
              GetAppInfo()->GetProgramDir() + "Data/Tools/trainRecord_20240305_93015_1_600000_4001.xml");
    ASSERT_TRUE(m_wnd->StepNextBar(false));
    EXPECT_FALSE(m_wnd->StepNextBar(false));  // the end of the period
    EXPECT_EQ(record.TrainStatus, kTrainStatusEnded);
    EXPECT_TRUE(tip->IsTipEnabled());
    EXPECT_EQ(m_wnd->GetToolFilePath(), "toolerr.xml");
    // A session showing its dates has tips from the start.
    record.hideDate = 0;
    record.TrainStatus = kTrainStatusRunning;
    EXPECT_TRUE(tip->IsTipEnabled());
}

TEST_F(TrainingChartWindow, ToolsDrawnInASessionAreKeptInTheSessionsFile) {
    InstallKlineDrawTools();  // as the program does at start-up
    struct Uninstall {
        ~Uninstall() { chart::SetDrawToolOverlayFactory(nullptr); }
    } uninstall;
    GetToolSettings() = ToolSettings{};
    GetCommonVar()->m_nDragFlag = 0;
    const std::vector<uint32_t> days = Weekdays(20230102, 120);
    WriteDays(days);
    CTrainingRecord record = MakeRecord(int32_t(days[90]), int32_t(days[110]));
    record.TrainingDate = 20240305;
    record.TrainingTime = 93015;
    const std::string dir = GetAppInfo()->GetProgramDir() + "Data/Tools/";
    const std::string session = dir + "trainRecord_20240305_93015_1_600000_4001.xml";
    auto tools = [this] { return std::dynamic_pointer_cast<KlineDrawToolOverlay>(m_wnd->GetDrawToolOverlay()); };

    OpenChart(record);
    platform::ProcessPendingEvents();
    ASSERT_TRUE(tools()) << "the installed tools hold the training chart's slot";
    EXPECT_EQ(tools()->Tools().GetToolFilePath(), session);
    // A trend line drawn with the window's own mouse handlers.
    KlineDrawChart& chart = tools()->DrawChart();
    const int32_t first = chart.GetFirstVisibleIndex();
    const CRect pane = chart.GetPaneRect(0, std::string());
    const CPoint a(chart.IndexToX(first + 5), pane.bottom - 40), b(chart.IndexToX(first + 30), pane.top + 40);
    EXPECT_EQ(m_wnd->OnLayoutCommand(UINT(49995 + 11), 0), 1);
    m_wnd->OnElementLButtonDown(0, a.x, a.y);
    m_wnd->OnElementMouseMove(1, b.x, b.y);
    m_wnd->OnElementLButtonUp(0, b.x, b.y);
    ASSERT_EQ(tools()->Tools().Tools().size(), 1u);
    std::vector<std::shared_ptr<CRecRgnLines>> saved;
    EXPECT_EQ(LoadToolFile(session, saved), ToolFileLoad::Ok);
    EXPECT_EQ(saved.size(), 1u) << "the line is in the session's file";
    EXPECT_FALSE(std::filesystem::exists(dir + "1_600000_4001.xml")) << "not in the security's";

    // The session opened again shows its line.
    m_wnd->DestroyWindow();
    m_wnd.reset();
    OpenChart(record);
    platform::ProcessPendingEvents();
    ASSERT_TRUE(tools());
    m_wnd->RedrawWindow();
    EXPECT_EQ(tools()->Tools().Tools().size(), 1u);

    // Once the session has ended its chart keeps drawings in "toolerr.xml" beside the program.
    record.TrainStatus = kTrainStatusEnded;
    EXPECT_EQ(tools()->Tools().GetToolFilePath(), GetAppInfo()->GetProgramDir() + "toolerr.xml");
}

TEST_F(TrainingChartWindow, TheWindowIsMadeByTheLayoutFactory) {
    RegisterTrainingChartTypes();
    std::unique_ptr<CElementWnd> made = CreateElementByType("TrainingKlineWnd");
    ASSERT_NE(dynamic_cast<TrainingKlineWnd*>(made.get()), nullptr);
    EXPECT_EQ(made->GetTypeName(), "TrainingKlineWnd");
}

}  // namespace
