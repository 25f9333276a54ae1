// The chart's dialog commands driven offscreen (most-used indicators, formula editor,
// indicator parameters), PgUp/PgDn through the window's group, the hover tip's lines of
// a pane, and the marks of ex-rights events drawn from the pane's paint.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ChartTestSupport.h"
#include "chart/ChartActions.h"
#include "formula/wnd/DlgFormula.h"
#include "formula/wnd/DlgFormulaParam.h"
#include "formula/wnd/DlgMostUsedInd.h"
#include "marketdata/CQData.h"
#include "marketdata/DataCenter.h"
#include "marketdata/DayData.h"
#include "marketdata/Security.h"
#include "platform/App.h"
#include "ui/dialog/DlgTemplate.h"
#include "training/TrainingChartHost.h"
#include "training/TrainingPicData.h"
#include "training/TrainingRecord.h"
#include "ui/dialog/SkinControls.h"
#include "ui/draw/DrawHelpers.h"

using namespace chart_test;
using chart::ChartOverlay;

namespace {

// Runs fn on the dialog once it is on screen, from the dialog's own modal loop.
void WhenShown(CDlgTemplate* dlg, std::shared_ptr<bool> running, std::function<void(CDlgTemplate*)> fn) {
    platform::PostTask([dlg, running, fn] {
        if (!*running) return;
        if (dlg->m_hWnd && dlg->IsWindowVisible())
            fn(dlg);
        else
            WhenShown(dlg, running, fn);
    });
}

class ChartCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureChartEnvironment();
        ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_SOURCE_DIR) +
                                                       "/resources/DlgConfig.xml"));
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 900, 600), nullptr, 0);
        ASSERT_TRUE(wnd.Create(&host));
        host.ShowWindow(SW_SHOW);
        wnd.Layer().FillBars(DayBars(300));
        wnd.OnDataChanged();
        wnd.MoveWindow(0, 0, 800, 500);
        platform::ProcessPendingEvents();
        wnd.Chart().m_nEnd = 300;  // the newest bars in view
        wnd.Chart().Layout();
        wnd.Chart().RecalcPanes();
        running = std::make_shared<bool>(true);
    }
    void TearDown() override {
        *running = false;
        chart::SetChartDialogObserver(nullptr);
        wnd.DestroyWindow();
        host.DestroyWindow();
    }
    // Every dialog a command opens goes to fn once shown; the names of their classes are kept.
    void Answer(std::function<void(CDlgTemplate*)> fn) {
        chart::SetChartDialogObserver([this, fn](CDlgTemplate& d) {
            opened.push_back(&d);
            WhenShown(&d, running, fn);
        });
    }
    std::vector<double> Values(const chart::ChartPicProp& p, size_t line) {
        std::vector<double> v;
        for (int32_t i = 0; i < 300; ++i) {
            double x = 0;
            v.push_back(p.m_pIndicator->m_aExps.at(line).GetValue(i, x) ? x : -1e300);
        }
        return v;
    }
    CWnd host;
    TestChartWnd wnd;
    std::shared_ptr<bool> running;
    std::vector<CDlgTemplate*> opened;
};

TEST_F(ChartCommandsTest, MostUsedIndicatorsOpensModal) {
    bool shown = false;
    Answer([&](CDlgTemplate* d) {
        shown = dynamic_cast<CDlgMostUsedInd*>(d) != nullptr;
        d->EndDialog(IDCANCEL);
    });
    EXPECT_EQ(wnd.OnLayoutCommand(chart::kCmdMostUsedInd, 0), 1);
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_TRUE(shown);
}

// 45603 on the selected MACD pane: OK gives the rows to the pane and to the catalogue, and the
// pane is computed again with them; Cancel changes nothing.
TEST_F(ChartCommandsTest, IndicatorParametersGoToThePaneAndTheCatalogue) {
    ChartOverlay& c = wnd.Chart();
    c.m_nSelectedPane = 2;
    chart::ChartPicProp& macd = c.m_aPanes[2]->Prop();
    ASSERT_EQ(macd.m_strIndicatorName, "MACD");
    CYBIndClass* catalogue = GetYBIndClass();
    const CKlineLight original = catalogue->GetAt(catalogue->Find("MACD"));
    const std::vector<double> before = Values(macd, 0);

    std::vector<double> offered;
    Answer([&](CDlgTemplate* d) {
        auto* params = dynamic_cast<CDlgFormulaParam*>(d);
        ASSERT_NE(params, nullptr);
        for (const CIndicatorParam& p : params->m_params) offered.push_back(p.m_dDefault);
        params->m_params.at(0).m_dDefault = 5;  // SHORT 12 -> 5
        d->EndDialog(IDOK);
    });
    EXPECT_EQ(wnd.OnLayoutCommand(chart::kCmdIndicatorParams, 0), 1);
    EXPECT_EQ(offered, (std::vector<double>{12, 26, 9}));
    EXPECT_EQ(catalogue->GetAt(catalogue->Find("MACD")).m_aParams.at(0).m_dDefault, 5);
    ASSERT_TRUE(macd.m_pIndicator);
    EXPECT_EQ(macd.m_pIndicator->m_aParams.at(0).m_dDefault, 5);
    EXPECT_DOUBLE_EQ(macd.m_pIndicator->GetParamValue(0), 5);
    const std::vector<double> after = Values(macd, 0);
    EXPECT_NE(after, before);

    Answer([&](CDlgTemplate* d) {
        dynamic_cast<CDlgFormulaParam*>(d)->m_params.at(0).m_dDefault = 7;
        d->EndDialog(IDCANCEL);
    });
    EXPECT_EQ(wnd.OnLayoutCommand(chart::kCmdIndicatorParams, 0), 1);
    EXPECT_EQ(catalogue->GetAt(catalogue->Find("MACD")).m_aParams.at(0).m_dDefault, 5);
    EXPECT_EQ(Values(macd, 0), after);
    catalogue->Update(original);
}

// 45018 opens the editor with the selected pane's own indicator; OK keeps the edited
// formula and the pane computes it at once.
TEST_F(ChartCommandsTest, FormulaEditorOpensWithThePanesIndicatorAndRecomputesIt) {
    ChartOverlay& c = wnd.Chart();
    c.m_nSelectedPane = 2;
    chart::ChartPicProp& macd = c.m_aPanes[2]->Prop();
    CYBIndClass* catalogue = GetYBIndClass();
    const CKlineLight original = catalogue->GetAt(catalogue->Find("MACD"));
    const std::string edited = "DIF:EMA(CLOSE,SHORT)-EMA(CLOSE,LONG);\nDEA:EMA(DIF,MID);\nMACD:(DIF-DEA)*4,COLORSTICK;";
    std::string name, text;
    Answer([&](CDlgTemplate* d) {
        auto* editor = dynamic_cast<CDlgFormula*>(d);
        ASSERT_NE(editor, nullptr);
        name = editor->m_indicator.m_strName;
        ASSERT_NE(editor->m_pEditor, nullptr);
        text = editor->m_pEditor->GetWindowText();
        editor->m_pEditor->SetWindowText(edited);
        editor->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
        if (editor->m_hWnd && editor->IsWindowVisible()) editor->EndDialog(IDCANCEL);  // OK refused
    });
    const std::vector<double> before = Values(macd, 2);
    EXPECT_EQ(wnd.OnLayoutCommand(chart::kCmdFormula, 0), 1);
    EXPECT_EQ(name, "MACD");
    EXPECT_EQ(text, original.m_strFormula);
    EXPECT_EQ(catalogue->GetAt(catalogue->Find("MACD")).m_strFormula, edited);
    ASSERT_TRUE(macd.m_pIndicator);
    EXPECT_EQ(macd.m_pIndicator->m_strFormula, edited);
    const std::vector<double> after = Values(macd, 2);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 100; i < after.size(); ++i)
        if (before[i] > -1e299) {
            EXPECT_NEAR(after[i], 2 * before[i], 1e-9) << i;
        }
    catalogue->Update(original);
}

TEST_F(ChartCommandsTest, PageKeysStepThroughTheGroup) {
    CGroup group;
    std::vector<std::unique_ptr<CSecurity>> keep;
    for (const char* code : {"600000", "600036", "000001"}) {
        auto s = std::make_unique<CSecurity>();
        s->SetCode(CIndSecuCode(1, code));
        group.m_members.push_back(s.get());
        keep.push_back(std::move(s));
    }
    wnd.SetSecurity(CIndSecuCode(1, "600000"), &group);
    EXPECT_EQ(wnd.OnElementKeyDown(0x22, 1, 0), 1);  // PgDn: the next member
    EXPECT_EQ(wnd.GetDataLayer()->GetCode(), CIndSecuCode(1, "600036"));
    EXPECT_EQ(wnd.OnElementKeyDown(0x22, 2, 0), 1);  // twice more: round to the first
    EXPECT_EQ(wnd.GetDataLayer()->GetCode(), CIndSecuCode(1, "600000"));
    EXPECT_EQ(wnd.OnElementKeyDown(0x21, 1, 0), 1);  // PgUp wraps to the last
    EXPECT_EQ(wnd.GetDataLayer()->GetCode(), CIndSecuCode(1, "000001"));
    wnd.m_group.m_members.clear();
}

// An ex-rights event inside the view: its mark sits at the foot of the price pane under
// the first bar of its day, and the tip over the mark names the mode and the event.
struct ExRightsCase {
    const char* name;
    bool minutes;
};

class ExRightsTest : public ChartCommandsTest, public ::testing::WithParamInterface<ExRightsCase> {};

TEST_P(ExRightsTest, MarkAndTipAtTheEventsFirstBar) {
    const bool minutes = GetParam().minutes;
    ChartOverlay& c = wnd.Chart();
    if (minutes) {
        wnd.Layer().FillBars(FiveMinuteBars(6), PicDataLayer::kMinute, 5);
        c.Reset();
        c.CalcRects();
        c.m_nEnd = 288;
        c.Layout();
        c.RecalcPanes();
    }
    const int32_t bar = minutes ? 48 * 5 : 250;  // minutes: the first bar of the sixth day
    ASSERT_GE(bar, c.m_nStart);
    ASSERT_LT(bar, c.m_nEnd);
    const int64_t barKey = static_cast<int64_t>(wnd.Layer().GetTime(bar));
    CSingleCQDataPerSecu event;
    event.m_nDate = static_cast<uint32_t>(minutes ? barKey / 10000 : barKey);
    event.m_nCash = 2500000;  // 2.5 yuan per 10 shares
    auto series = std::make_shared<CDayData>("test", nullptr, minutes ? 3 : 4, minutes ? 5 : 1);
    series->Write().ExRights().Insert(event);

    const chart::ChartPicProp& main = c.m_aPanes[0]->Prop();
    const int x = c.IndexToX(bar);
    const CRect foot(x - 8, main.m_rcPane.bottom - 16, x + 9, main.m_rcPane.bottom);
    Snapshot plain(800, 500);
    wnd.DrawClient(&plain.dc);
    wnd.Layer().AttachSeries(series);
    Snapshot marked(800, 500);
    wnd.DrawClient(&marked.dc);
    const COLORREF ink = GetCommonVar()->Colors()[CommonColor::uniDate_Time];
    EXPECT_GT(marked.Count(foot, ink), plain.Count(foot, ink));
    int elsewhere = 0;  // nothing else changed
    for (int yy = 0; yy < 500; ++yy)
        for (int xx = 0; xx < 800; ++xx)
            elsewhere += !foot.PtInRect(CPoint(xx, yy)) && plain.At(xx, yy) != marked.At(xx, yy);
    EXPECT_EQ(elsewhere, 0);

    std::vector<std::string> lines;
    EXPECT_EQ(main.GetTipText(lines, CPoint(x, main.m_rcPane.bottom - 3)), 1);
    EXPECT_EQ(lines, (std::vector<std::string>{"下除权", event.GetDescription()}));
    lines.clear();
    EXPECT_EQ(main.GetTipText(lines, CPoint(x + 20, main.m_rcPane.bottom - 3)), 0);
    EXPECT_TRUE(lines.empty());
    wnd.Layer().SetAdjustMode(1);
    EXPECT_EQ(main.GetTipText(lines, CPoint(x, main.m_rcPane.bottom - 3)), 1);
    EXPECT_EQ(lines.at(0), "上除权");
    wnd.Layer().AttachSeries(nullptr);
}

INSTANTIATE_TEST_SUITE_P(DayAndMinute, ExRightsTest,
                         ::testing::Values(ExRightsCase{"day", false}, ExRightsCase{"five_minutes", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- a training session's marks ----

// The training window's side of its layer, enough for a chart that only paints.
class StubTrainingOwner : public ITrainingChartOwner {
public:
    CKlineChartWnd* wnd = nullptr;
    void* GetWindowHandle() const override { return nullptr; }
    std::shared_ptr<IChartOverlay> GetChartOverlay() override { return wnd ? wnd->GetChartOverlay() : nullptr; }
    bool GetDrawToolMode(uint16_t& mode) override {
        mode = 0;
        return true;
    }
    void ResetSeries() override {}
    void OnDataNotify(uint64_t, int64_t) override {}
    void RefreshTipAtCursor() override {}
    void Repaint(bool) override {}
    void ShowIntradayPicture(const CIndSecuCode&, uint32_t, const CFloatDayItem&, double) override {}
    TrainingReveal* GetReveal() override { return nullptr; }
    ITrainingPanel* FindTrainingPanel() override { return nullptr; }
    bool ShowPrompt(const std::string&, Prompt) override { return false; }
};

class TestTrainingLayer : public TrainingPicData {
public:
    using TrainingPicData::TrainingPicData;
    void FillBars(const std::vector<CFloatDayItem>& bars) {
        SetDataType(kDay, 1);
        m_nItemCount = static_cast<int32_t>(bars.size());
        Reserve();
        m_nBegin = 0;
        m_nEnd = m_nItemCount;
        std::memcpy(m_items.data(), bars.data(), bars.size() * sizeof(CFloatDayItem));
    }
    void RequestData() override {}
    void Detach() override {}
};

class TrainingChartWnd : public CKlineChartWnd {
public:
    void CreateDataLayer() override {
        owner.wnd = this;
        m_pDataLayer = std::make_shared<TestTrainingLayer>(&owner);
        m_pDataLayer->SetDataType(PicDataLayer::kDay, 1);
    }
    TestTrainingLayer& Layer() { return static_cast<TestTrainingLayer&>(*m_pDataLayer); }
    StubTrainingOwner owner;
};

TEST(ChartTrainingMarks, TradesStartMarkAndTradeTip) {
    EnsureChartEnvironment();
    CWnd host;
    host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 900, 600), nullptr, 0);
    TrainingChartWnd wnd;
    ASSERT_TRUE(wnd.Create(&host));
    host.ShowWindow(SW_SHOW);
    wnd.Layer().FillBars(DayBars(300));
    wnd.OnDataChanged();
    wnd.MoveWindow(0, 0, 800, 500);
    platform::ProcessPendingEvents();
    ChartOverlay& c = *wnd.GetChartOverlayPtr();
    c.m_nEnd = 300;
    c.Layout();
    c.RecalcPanes();
    const chart::ChartPicProp& main = c.m_aPanes[0]->Prop();
    auto key = [&](int32_t i) { return static_cast<int32_t>(wnd.Layer().GetTime(i)); };

    CTrainingRecord record;
    record.BeginTrainDate = key(240);
    TradeDetailItem buy, sell;
    buy.TradeDate = key(260), buy.bsdir = 1;
    sell.TradeDate = key(280), sell.bsdir = -1;
    record.trades = {buy, sell};

    Snapshot plain(800, 500);
    wnd.DrawClient(&plain.dc);
    wnd.Layer().SetRecord(&record);
    Snapshot marked(800, 500);
    wnd.DrawClient(&marked.dc);
    marked.bmp.SavePng(::testing::TempDir() + "/chart_training_marks.png");

    const int xb = c.IndexToX(260), xs = c.IndexToX(280), x0 = c.IndexToX(240);
    const int low = main.PriceToY(wnd.Layer().GetLow(260), true);
    const int high = main.PriceToY(wnd.Layer().GetHigh(280), true);
    const CRect under(xb - 6, low + 4, xb + 7, low + 26), over(xs - 6, high - 26, xs + 7, high - 4);
    EXPECT_GT(marked.Count(under, RGB(255, 0, 0)), plain.Count(under, RGB(255, 0, 0)));
    EXPECT_GT(marked.Count(over, RGB(0, 255, 0)), plain.Count(over, RGB(0, 255, 0)));
    // The start mark: the third frame of resource 320, its flag above the start bar's high.
    std::unique_ptr<CImage> strip(LoadImageResource(chart::ChartPic::kMarkImageId, 0));
    ASSERT_TRUE(strip && !strip->IsNull());
    const int top = main.PriceToY(wnd.Layer().GetHigh(240), true) - strip->GetHeight() - 25;
    const CRect flag(x0, top, x0 + strip->GetWidth() / 4, top + strip->GetHeight());
    const COLORREF cloth = RGB(0xE8, 0x38, 0x2C);
    EXPECT_GT(marked.Count(flag, cloth), 20);
    EXPECT_EQ(marked.Count(flag, RGB(0, 0, 255)), 0);  // blue is the transparent colour

    std::vector<std::string> lines;
    EXPECT_EQ(main.GetTipText(lines, CPoint(xb, low + 12)), 1);
    EXPECT_EQ(lines, std::vector<std::string>{"买卖记录-4-" + std::to_string(key(260)) + "-1"});
    lines.clear();
    EXPECT_EQ(main.GetTipText(lines, CPoint(xs, high - 12)), 1);
    EXPECT_EQ(lines, std::vector<std::string>{"买卖记录-4-" + std::to_string(key(280)) + "--1"});
    wnd.Layer().SetRecord(nullptr);
    wnd.DestroyWindow();
    host.DestroyWindow();
}

// The icon strip is square icons of its height; icon 3 (a dot) is white at its centre.
TEST(ChartArt, IconStripOfSquareBlackAndWhiteIcons) {
    EnsureChartEnvironment();
    CBitmap strip;
    ASSERT_TRUE(strip.LoadBitmap(chart::ChartPic::kIconStripId));
    const CSize size = strip.GetSize();
    ASSERT_EQ(size.cy, 17);
    ASSERT_EQ(size.cx % size.cy, 0);
    EXPECT_GE(size.cx / size.cy, 10);
    for (int x = 0; x < size.cx; ++x)
        for (int y = 0; y < size.cy; ++y) {
            const COLORREF px = strip.GetPixel(x, y) & 0xFFFFFF;
            ASSERT_TRUE(px == 0 || px == 0xFFFFFF) << x << "," << y;
        }
    EXPECT_EQ(strip.GetPixel(2 * 17 + 8, 8) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(strip.GetPixel(2 * 17 + 0, 0) & 0xFFFFFF, 0u);
}

// Grid lines copied from a pattern strip put the very pixels the piece-by-piece dashes put,
// also over a background that is not blank and for lines longer than one strip.
TEST(ChartGrid, StripLinesEqualPieceByPieceDashes) {
    EnsureChartEnvironment();
    const struct {
        int gap, dash, width;
        bool vertical;
        int length;
    } cases[] = {{3, 1, 1, false, 1800}, {3, 1, 1, true, 333}, {1, 3, 1, false, 5000},
                 {1, 3, 1, true, 901},   {0, 4, 1, true, 200},  {3, 1, 2, false, 300},
                 {3, 1, 1, false, 0}};
    const COLORREF ink = RGB(90, 90, 140);
    for (const auto& c : cases) {
        Snapshot a(5200, 40), b(5200, 40);
        for (Snapshot* s : {&a, &b}) {
            s->dc.FillSolidRect(0, 0, 5200, 40, RGB(10, 20, 30));
            s->dc.FillSolidRect(100, 0, 50, 40, RGB(200, 0, 0));  // something under the line
        }
        CPen pa(PS_SOLID, c.width, ink), pb(PS_SOLID, c.width, ink);
        CPen* oa = a.dc.SelectObject(&pa);
        CPen* ob = b.dc.SelectObject(&pb);
        const int x2 = c.vertical ? 7 : 7 + c.length, y2 = c.vertical ? 3 + std::min(c.length, 36) : 3;
        chart::DrawGridLine(&a.dc, c.width, ink, c.gap, c.dash, 7, 3, x2, y2);
        DrawDashedLine(&b.dc, c.gap, c.dash, 7, 3, x2, y2);
        a.dc.SelectObject(oa);
        b.dc.SelectObject(ob);
        EXPECT_EQ(a.Pixels(), b.Pixels()) << c.gap << "/" << c.dash << " width " << c.width
                                          << (c.vertical ? " vertical " : " horizontal ") << c.length;
    }
}

}  // namespace
