// One chart pane drawn with the platform layer: a trend line, a Gann fan, a text box and
// two symbols, painted by the overlay as the chart's pane painting asks for them.
#include <gtest/gtest.h>

#include "FakeChart.h"
#include "drawtools/DrawToolOverlay.h"
#include "drawtools/ArcLines.h"
#include "drawtools/CurveTools.h"
#include "drawtools/GannTools.h"
#include "drawtools/PeriodLines.h"
#include "drawtools/RegressionTools.h"
#include "drawtools/RulerTools.h"
#include "drawtools/StraightLines.h"
#include "drawtools/TextTools.h"
#include "drawtools/WaveTools.h"
#include "platform/Services.h"
#include "platform/Wnd.h"
#include "ui/CommonVar.h"

namespace {

class PaneView : public CWnd {
public:
    PaneView(FakeChart& chart, DrawToolOverlay& overlay) : m_chart(chart), m_overlay(overlay) {}
    void OnPaint() override {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(&rc, RGB(0, 0, 0));
        CBrush frame(RGB(120, 0, 0));
        for (int i = 0; i < m_chart.GetPaneCount(); ++i) {
            CRect pane = m_chart.GetPaneRect(i, "");
            dc.FrameRect(&pane, &frame);
            m_overlay.DrawPaneTools(&dc, m_chart.GetPaneName(i));
        }
    }
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }

private:
    FakeChart& m_chart;
    DrawToolOverlay& m_overlay;
};

template <class T>
std::shared_ptr<T> Tool(FakeChart& chart, int i1, double v1, int i2, double v2) {
    auto t = std::make_shared<T>();
    t->m_pOwner = &chart;
    t->m_nPaneIndex = 0;
    t->m_lLeft = chart.bars[i1].key;
    t->m_lRight = chart.bars[i2].key;
    t->m_fTop = v1;
    t->m_fBottom = v2;
    t->m_color = RGB(255, 255, 0);
    return t;
}

}  // namespace

TEST(Screenshot, TrendLineFanTextAndSymbols) {
    FakeChart chart;
    GetCommonVar()->Init();
    GetCommonVar()->Colors()[CommonColor::uniPic_Rise] = RGB(255, 50, 50);
    GetCommonVar()->Colors()[CommonColor::uniPic_Fall] = RGB(50, 255, 50);
    chart.barWidth = 10;
    chart.visible = 60;
    DrawToolOverlay overlay(&chart);
    PaneView view(chart, overlay);
    ASSERT_TRUE(view.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 620, 460),
                              nullptr, 0));
    chart.window = &view;

    auto trend = Tool<CQSLineTool>(chart, 5, 11.0, 50, 14.0);
    auto fan = Tool<CGumpLine>(chart, 40, 13.0, 55, 15.0);
    fan->m_color = RGB(0, 255, 255);
    auto text = Tool<CTextAssistor>(chart, 48, 17.2, 40, 18.6);
    text->m_strText = "突破前高\n注意回踩";
    text->m_color = RGB(255, 255, 255);
    text->m_colorBK = RGB(40, 40, 90);
    auto up = Tool<CBMPPaster>(chart, 20, 12.0, 20, 12.0);
    up->m_nVariant = CBMPPaster::kUpArrow;
    auto down = Tool<CBMPPaster>(chart, 33, 16.5, 33, 16.5);
    down->m_nVariant = CBMPPaster::kDownArrow;
    auto star = Tool<CBMPPaster>(chart, 52, 16.0, 52, 16.0);
    star->m_nVariant = 30;  // ★
    for (auto t : std::vector<std::shared_ptr<CRecRgnLines>>{trend, fan, text, up, down, star})
        overlay.AddTool(t);
    overlay.Select(trend.get());

    view.Invalidate();
    view.UpdateWindow();
    const std::string png = std::string(TARROW_BINARY_DIR) + "/drawtools-screenshot.png";
    ASSERT_TRUE(platform::SaveWindowScreenshot(&view, png));

    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&view, shot));
    const double ratio = shot.GetPixelRatio();
    auto at = [&](int x, int y) { return shot.GetPixel(int(x * ratio), int(y * ratio)) & 0xFFFFFF; };
    // The trend line crosses the pane at the x of bar 30 in the tool colour.
    const int x30 = chart.IndexToX(30);
    int yellow = 0;
    for (int y = 20; y < 320; ++y) yellow += at(x30, y) == RGB(255, 255, 0);
    EXPECT_GE(yellow, 1);
    // The text box is filled with its background colour.
    text->BuildFigure();
    int filled = 0;
    const CRect box = text->m_rcText;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) filled += at(x, y) == RGB(40, 40, 90);
    EXPECT_GT(filled, box.Width() * box.Height() / 4);  // the rest is the text
    // The fan's 1:1 line reaches the pane's right edge in its colour.
    fan->BuildFigure();
    int cyan = 0;
    for (int y = 20; y < 320; ++y) cyan += at(608, y) == RGB(0, 255, 255);
    EXPECT_GE(cyan, 1);
    // The up arrow under its point in the rise colour.
    int red = 0;
    for (int y = up->y2; y < up->y2 + 12; ++y)
        for (int x = up->x2 - 6; x <= up->x2 + 6; ++x) red += at(x, y) == RGB(255, 50, 50);
    EXPECT_GE(red, 3);
    // Nothing is drawn outside the main pane's plot.
    for (int x = 11; x < 609; x += 7) EXPECT_EQ(at(x, 326), RGB(0, 0, 0)) << x;
    view.DestroyWindow();
}

TEST(Screenshot, LevelsCyclesArcsAndCurves) {
    FakeChart chart;
    GetCommonVar()->Init();
    chart.barWidth = 10;
    chart.visible = 60;
    DrawToolOverlay overlay(&chart);
    PaneView view(chart, overlay);
    ASSERT_TRUE(view.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 620, 460),
                              nullptr, 0));
    chart.window = &view;

    auto gold = Tool<CGoldLineTool>(chart, 2, 19.0, 12, 15.0);
    auto period = Tool<CPeriodLines>(chart, 5, 11.0, 13, 11.0);
    period->m_nPeriod = 8;
    period->m_color = RGB(255, 128, 0);
    auto arcs = Tool<CFiboArcLines>(chart, 20, 11.0, 30, 14.0);
    arcs->m_color = RGB(0, 255, 255);
    auto circle = Tool<CCircleTool>(chart, 45, 15.0, 50, 15.0);
    circle->m_color = RGB(255, 0, 255);
    auto sine = Tool<CSinLineTool>(chart, 30, 18.0, 34, 18.8);
    sine->m_color = RGB(0, 255, 0);
    for (auto t : std::vector<std::shared_ptr<CRecRgnLines>>{gold, period, arcs, circle, sine})
        overlay.AddTool(t);

    view.Invalidate();
    view.UpdateWindow();
    const std::string png = std::string(TARROW_BINARY_DIR) + "/drawtools-screenshot-2.png";
    ASSERT_TRUE(platform::SaveWindowScreenshot(&view, png));

    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&view, shot));
    const double ratio = shot.GetPixelRatio();
    auto at = [&](int x, int y) { return shot.GetPixel(int(x * ratio), int(y * ratio)) & 0xFFFFFF; };
    auto countNear = [&](int cx, int cy, int r, COLORREF c) {
        int n = 0;
        for (int y = cy - r; y <= cy + r; ++y)
            for (int x = cx - r; x <= cx + r; ++x) n += at(x, y) == c;
        return n;
    };
    for (auto t : std::vector<std::shared_ptr<CRecRgnLines>>{gold, period, arcs, circle, sine})
        t->BuildFigure();
    // The golden 50 % level runs dotted across the pane in the tool colour.
    const int y500 = gold->LevelY(500);
    int dots = 0;
    for (int x = 11; x < 609; ++x) dots += at(x, y500) == RGB(255, 255, 0);
    EXPECT_GT(dots, 100);
    // A period line every 8 bars, full height.
    EXPECT_GE(countNear(chart.IndexToX(21), 100, 1, RGB(255, 128, 0)), 1);
    // The circle's rightmost point and the 50 % Fibonacci arc below anchor 2.
    const int r = static_cast<int>(circle->Radius());
    EXPECT_GE(countNear(circle->x1 + r, circle->y1, 2, RGB(255, 0, 255)), 1);
    EXPECT_GE(countNear(arcs->x2, arcs->y2 + arcs->Radius(0.5), 2, RGB(0, 255, 255)), 1);
    // The sine passes through its anchor 1.
    EXPECT_GE(countNear(sine->x1, sine->y1, 2, RGB(0, 255, 0)), 1);
    view.DestroyWindow();
}

TEST(Screenshot, WavesRulersAndRegression) {
    FakeChart chart;
    GetCommonVar()->Init();
    chart.barWidth = 10;
    chart.visible = 60;
    DrawToolOverlay overlay(&chart);
    PaneView view(chart, overlay);
    ASSERT_TRUE(view.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 620, 460),
                              nullptr, 0));
    chart.window = &view;

    // A five-wave line grown from its first leg, bars 2 to 6.
    auto wave = std::make_shared<C5LANGTool>();
    wave->m_pOwner = &chart;
    wave->m_nPaneIndex = 0;
    wave->m_color = RGB(0, 255, 0);
    CLineItem& leg = wave->m_items[0];
    leg.key1 = chart.bars[2].key;
    leg.key2 = chart.bars[6].key;
    leg.value1 = 12.0;
    leg.value2 = 13.5;
    leg.placed = leg.begun = 1;
    wave->DataToPixels(0);
    wave->BuildLegs();
    wave->PixelsToData(0);
    auto range = Tool<CFDCTool>(chart, 30, 18.0, 36, 19.5);
    range->m_color = RGB(255, 128, 0);
    auto box = Tool<CXTXTool>(chart, 40, 0, 50, 0);
    box->m_color = RGB(255, 255, 255);
    auto band = Tool<CHGDLineTool>(chart, 28, 0, 55, 0);
    band->m_color = RGB(0, 255, 255);
    for (auto t : std::vector<std::shared_ptr<CRecRgnLines>>{wave, range, box, band})
        overlay.AddTool(t);

    view.Invalidate();
    view.UpdateWindow();
    const std::string png = std::string(TARROW_BINARY_DIR) + "/drawtools-screenshot-3.png";
    ASSERT_TRUE(platform::SaveWindowScreenshot(&view, png));

    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&view, shot));
    const double ratio = shot.GetPixelRatio();
    auto at = [&](int x, int y) { return shot.GetPixel(int(x * ratio), int(y * ratio)) & 0xFFFFFF; };
    auto countIn = [&](const CRect& rc, COLORREF c) {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) n += at(x, y) == c;
        return n;
    };
    for (auto t : std::vector<std::shared_ptr<CRecRgnLines>>{wave, range, box, band})
        t->BuildFigure();
    // Every leg of the wave is drawn: a green pixel near the middle of each.
    ASSERT_EQ(wave->m_items.size(), 5u);
    for (size_t k = 1; k < wave->m_items.size(); ++k) {
        const CLineItem& a = wave->m_items[k - 1];
        const CLineItem& b = wave->m_items[k];
        const int mx = (a.x2 + b.x2) / 2, my = (a.y2 + b.y2) / 2;
        EXPECT_GE(countIn(CRect(mx - 2, my - 2, mx + 3, my + 3), RGB(0, 255, 0)), 1) << k;
    }
    // The range ruler's ratio text right of its middle, between its levels.
    const FigureItem* ratioText = range->Figure().FindText("108.33%");
    ASSERT_NE(ratioText, nullptr);
    EXPECT_GT(countIn(ratioText->rect, RGB(255, 128, 0)), 5);
    // The box statistics' line of text under the box.
    int boxText = 0;
    for (const FigureItem& it : box->Figure().items)
        if (it.kind == FigureItem::Text)
            boxText += countIn(CRect(it.rect.left, it.rect.top, it.rect.left + 200,
                                     it.rect.top + 14),
                               RGB(255, 255, 255));
    EXPECT_GT(boxText, 20);
    // The regression band's upper line in its colour, halfway along.
    ASSERT_TRUE(band->m_upper.shown);
    const int bx = (band->m_upper.xa + band->m_upper.xb) / 2;
    const int by = (band->m_upper.ya + band->m_upper.yb) / 2;
    EXPECT_GE(countIn(CRect(bx - 2, by - 2, bx + 3, by + 3), RGB(0, 255, 255)), 1);
    // Nothing is drawn outside the main pane's plot.
    for (int x = 11; x < 609; x += 7) EXPECT_EQ(at(x, 326), RGB(0, 0, 0)) << x;
    view.DestroyWindow();
}
