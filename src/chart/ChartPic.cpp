#include "chart/ChartPic.h"

#include <algorithm>
#include <cstdio>

#include "chart/ChartOverlay.h"
#include "chart/GapBoxes.h"
#include "chart/IndicatorLines.h"
#include "chart/PriceMarks.h"
#include "chart/ValuePanel.h"
#include "foundation/Format.h"
#include "marketdata/DataCenter.h"
#include "marketdata/AppInfo.h"
#include "marketdata/CQData.h"
#include "marketdata/DayData.h"
#include "marketdata/Security.h"
#include "platform/Graphics.h"
#include "training/TrainingPicData.h"
#include "training/TrainingRecord.h"
#include "ui/CommonVar.h"
#include "ui/draw/DrawHelpers.h"

namespace chart {

namespace {

bool IsIntradayType(int16_t t) { return t == kTypeIntraday || t == kTypeHistoryIntraday; }

COLORREF Palette(int index) {
    if (CIndicatorExp::m_pColor) return CIndicatorExp::m_pColor[((index % 64) + 64) % 64];
    return GetCommonVar()->GetColor(((index % 64) + 64) % 64 < kCommonColorCount ? index % 64 : 0);
}

int TextWidth(CDC* dc, const std::string& s) { return static_cast<int>(dc->GetTextExtent(s).cx); }

// The icon strip (bitmap 223) and the folder of the formulas' own bitmaps, made on first use.
const IndicatorImages& IndicatorArt() {
    static const IndicatorImages images = [] {
        // Kept to the end of the process: bitmaps are not taken down after the platform.
        auto* strip = new CBitmap;
        strip->LoadBitmap(ChartPic::kIconStripId);
        IndicatorImages i;
        i.iconStrip = strip;
        i.bitmapDir = GetAppInfo()->GetProgramDir() + "/Self/BMP";
        return i;
    }();
    return images;
}

// A horizontal or vertical line (end point left out) in pieces: the paint engine hands a
// raster-op line of more than about a hundred pixels to a pool of threads, and the
// hand-over costs far more than the pixels. Pieces of 64 stay on this thread.
void XorLine(CDC* dc, int x1, int y1, int x2, int y2) {
    constexpr int kPiece = 64;
    if (x1 == x2) {
        for (int y = y1; y < y2; y += kPiece) {
            dc->MoveTo(x1, y);
            dc->LineTo(x1, std::min(y + kPiece, y2));
        }
    } else {
        for (int x = x1; x < x2; x += kPiece) {
            dc->MoveTo(x, y1);
            dc->LineTo(std::min(x + kPiece, x2), y1);
        }
    }
}

// Dashed lines as DrawDashedLine draws them with a one-pixel pen, but each line in one copy:
// the pattern is drawn once, with the same pen and in the target's pixel ratio, onto a
// strip of a key colour and copied with that colour left out. Drawn piece by piece, the
// grid's thousands of one-pixel dots cost as much as the rest of the chart.
class DashStrips {
public:
    void Draw(CDC* dc, COLORREF color, int gap, int dash, int x1, int y1, int x2, int y2) {
        const bool vertical = x1 == x2;
        const int length = vertical ? y2 - y1 : x2 - x1;
        if (length <= 0 || dash <= 0 || gap < 0 || (!vertical && y1 != y2)) return;
        Strip& s = Find(dc, color, gap, dash, vertical, length);
        for (int at = 0; at < length; at += s.length) {
            const int n = std::min(s.length, length - at);
            if (vertical)
                dc->TransparentBlt(x1, y1 + at, 1, n, &s.dc, 0, 0, 1, n, s.key);
            else
                dc->TransparentBlt(x1 + at, y1, n, 1, &s.dc, 0, 0, n, 1, s.key);
        }
    }

private:
    struct Strip {
        COLORREF color = 0, key = 0;
        int gap = 0, dash = 0, length = 0;
        bool vertical = false;
        double ratio = 1;
        CBitmap bmp;
        CDC dc;
    };
    Strip& Find(CDC* dc, COLORREF color, int gap, int dash, bool vertical, int length) {
        const double ratio = dc->GetPixelRatio();
        for (const auto& s : m_strips)
            if (s->color == color && s->gap == gap && s->dash == dash && s->vertical == vertical &&
                s->ratio == ratio)
                return *s;
        auto s = std::make_unique<Strip>();
        s->color = color;
        s->key = color == RGB(1, 2, 3) ? RGB(3, 2, 1) : RGB(1, 2, 3);
        s->gap = gap;
        s->dash = dash;
        s->vertical = vertical;
        s->ratio = ratio;
        // Whole periods, so a long line copied in several pieces keeps its rhythm. A copy of
        // more than about a hundred rows goes to the paint engine's thread pool, whose
        // hand-over costs more than the copy: vertical strips are 64 rows at most.
        const int period = gap + dash;
        s->length = std::max(period, (vertical ? 64 : 2048) / period * period);
        s->dc.CreateCompatibleDC(dc);
        s->bmp.CreateCompatibleBitmap(dc, vertical ? 1 : s->length, vertical ? s->length : 1);
        CBitmap* oldBmp = s->dc.SelectObject(&s->bmp);
        (void)oldBmp;
        s->dc.FillSolidRect(0, 0, vertical ? 1 : s->length, vertical ? s->length : 1, s->key);
        CPen pen(PS_SOLID, 1, color);
        CPen* oldPen = s->dc.SelectObject(&pen);
        if (vertical)
            DrawDashedLine(&s->dc, gap, dash, 0, 0, 0, s->length);
        else
            DrawDashedLine(&s->dc, gap, dash, 0, 0, s->length, 0);
        s->dc.SelectObject(oldPen);
        m_strips.push_back(std::move(s));
        (void)length;
        return *m_strips.back();
    }
    std::vector<std::unique_ptr<Strip>> m_strips;
};

}  // namespace

void DrawGridLine(CDC* dc, int width, COLORREF color, int gap, int dash, int x1, int y1, int x2,
                  int y2) {
    if (gap == 0) {  // no gaps: one line
        dc->MoveTo(x1, y1);
        dc->LineTo(x2, y2);
        return;
    }
    if (width > 1) {
        DrawDashedLine(dc, gap, dash, x1, y1, x2, y2);
        return;
    }
    // Kept to the end of the process: bitmaps are not taken down after the platform.
    static DashStrips* strips = new DashStrips;
    strips->Draw(dc, color, gap, dash, x1, y1, x2, y2);
}


ChartPic::ChartPic(ChartOverlay* overlay)
    : m_pOverlay(overlay), m_prop(std::make_shared<ChartPicProp>(this)) {}

ChartPic::~ChartPic() = default;

PaneMapping ChartPic::Mapping(bool indicatorAxis) const {
    PaneMapping m;
    m.rect = m_prop->m_rcPlot;
    m.start = m_pOverlay->m_nStart;
    m.end = m_pOverlay->m_nEnd;
    m.barWidth = m_pOverlay->GetBarWidth();
    const ChartOverlay* overlay = m_pOverlay;
    m.indexToX = [overlay](int32_t i) { return overlay->IndexToX(i); };
    const CAxeY* axis = indicatorAxis ? &m_prop->m_axeInd : &m_prop->m_axeMain;
    m.valueToY = [axis](double v) { return axis->ValueToPixel(v, true); };
    m.valueToYRaw = [axis](double v) { return axis->ValueToPixel(v, false); };
    return m;
}

void ChartPic::Draw(CDC* dc) {
    ChartOverlay* overlay = m_pOverlay;
    const IBarSource* bars = overlay ? overlay->GetBars() : nullptr;
    if (!dc || !bars) return;
    ChartPicProp& p = *m_prop;
    const CommonColorTable& colors = GetCommonVar()->Colors();
    // 1, 2
    p.m_texts.Clear();
    if (p.m_rcPane.IsRectEmpty()) return;
    dc->FillSolidRect(&p.m_rcPane, colors[CommonColor::uniPic_BackGround]);
    // 3: shaded areas left of now-x and between now-x and session-x.
    const int first = overlay->m_nNowX, second = overlay->m_nSessionX;
    if (first >= 0 && p.m_rcPane.left < first) {
        CRect rc(p.m_rcPlot.left, p.m_rcPlot.top, first, p.m_rcPlot.bottom);
        dc->FillSolidRect(&rc, colors[CommonColor::uniHigh_BackGround]);
    }
    if (second >= 0 && p.m_rcPane.left < second) {
        const int from = p.m_rcPane.left < first ? first : p.m_rcPlot.left;
        CRect rc(from, p.m_rcPlot.top, second, p.m_rcPlot.bottom);
        CBrush hatch(HS_DIAGCROSS, colors[CommonColor::uniHigh_BackGround]);
        dc->FillRect(&rc, &hatch);
    }
    // A pane narrower than its margins draws nothing more.
    if (p.m_rcPlot.Width() <= 2 || p.m_rcPlot.Height() <= 2) return;
    const int16_t type = bars->GetDataType();
    // 4
    if (IsMainPane() && (type == kTypeMinute || type == kTypeDay) && overlay->m_bGapBoxes)
        DrawGapBoxes(*dc, *bars, Mapping(false), colors,
                     GetCommonVar()->GetFont(CommonVar::Font::ChartSmall));
    // 5
    DrawFrame(dc);
    // 6
    DrawIndicator(dc);
    // 7
    DrawPrice(dc);
    // 8
    if (IsMainPane()) DrawMarks(dc);
    // 9
    if (p.m_bVolumePane && !p.m_pIndicator) {
        PriceStyle st{&colors, std::max(1, GetCommonVar()->m_nLineWidth)};
        DrawVolumeBars(*dc, *bars, Mapping(false), st);
    }
    // 10
    if (overlay->m_nCursor >= 0) DrawCrosshair(dc, overlay->m_nCursor, overlay->m_nCursorY);
    // 11
    DrawTitle(dc, overlay->m_nCursor, false);
    // 12
    if (overlay->m_paneDrawHook)
        overlay->m_paneDrawHook(dc, IsMainPane() ? std::string() : p.m_strIndicatorName);
    // 13
    if (IsMainPane() && IsIntradayType(type)) DrawLimitBox(dc);
}

void ChartPic::DrawFrame(CDC* dc) {
    ChartPicProp& p = *m_prop;
    ChartOverlay* overlay = m_pOverlay;
    const CommonColorTable& colors = GetCommonVar()->Colors();
    CPen border(PS_SOLID, 1, colors[CommonColor::uniWnd_Border]);
    CPen* oldPen = dc->SelectObject(&border);
    if (p.m_nTitleHeight > 0) {
        CRect band(p.m_rcPane.left + 1, p.m_rcPane.top, p.m_rcPane.right - 1,
                   p.m_rcPane.top + p.m_nTitleHeight);
        dc->FillSolidRect(&band, colors[CommonColor::uniPic_BackGround]);
        dc->MoveTo(p.m_rcPlot.left, p.m_rcPane.top);
        dc->LineTo(p.m_rcPlot.right, p.m_rcPane.top);
    }
    if (overlay->m_bAxeShowY) p.m_axeMain.Draw(dc);
    if (overlay->m_bAxeShowPer && IsMainPane()) p.m_axePercent.Draw(dc);
    const int gridWidth = std::max(1, GetCommonVar()->m_nGridLineWidth);
    const bool usable = IsMainPane() || p.m_bVolumePane || p.IsIndicatorUsable();
    if (usable) {
        const int base = p.m_axeMain.m_nBaseRow;
        if (base > p.m_rcPlot.top && base < p.m_rcPlot.bottom) {
            const COLORREF c = colors[CommonColor::uniPic_Axe];
            CPen axis(PS_SOLID, gridWidth, c);
            dc->SelectObject(&axis);
            DrawGridLine(dc, gridWidth, c, 1, 3, p.m_rcPlot.left, base, p.m_rcPlot.right, base);
            dc->SelectObject(&border);
        }
        if (overlay->m_bGrid) {
            const COLORREF c = colors[CommonColor::uniPic_GridLine];
            CPen grid(PS_SOLID, gridWidth, c);
            dc->SelectObject(&grid);
            for (int row : p.m_axeMain.m_aGridRows)
                if (row > p.m_rcPlot.top && row < p.m_rcPlot.bottom)
                    DrawGridLine(dc, gridWidth, c, 3, 1, p.m_rcPlot.left, row, p.m_rcPlot.right, row);
            for (const CAxeGrid& g : overlay->m_aGrid) {
                if (g.x <= p.m_rcPlot.left || g.x >= p.m_rcPlot.right) continue;
                const int gap = g.kind == 0 ? 0 : g.kind == 2 ? 1 : 3;
                const int dash = g.kind == 0 ? 4 : g.kind == 2 ? 3 : 1;
                DrawGridLine(dc, gridWidth, c, gap, dash, g.x, p.m_rcPlot.top, g.x, p.m_rcPlot.bottom);
            }
        }
    }
    dc->SelectObject(oldPen);
}

void ChartPic::DrawIndicator(CDC* dc) {
    ChartPicProp& p = *m_prop;
    const IBarSource* bars = m_pOverlay->GetBars();
    const CommonColorTable& colors = GetCommonVar()->Colors();
    if (p.m_pIndicator && p.m_bIndicatorUsable) {
        const CKlineLight& ind = *p.m_pIndicator;
        IndicatorPane pane;
        pane.map = Mapping(true);
        pane.priceZeroY = p.m_axeMain.ValueToPixel(0, true);
        pane.indicatorZeroY = p.m_axeInd.ValueToPixel(0, true);
        pane.mainPane = IsMainPane();
        pane.drawMA = !IsMainPane() || m_pOverlay->m_bDrawMA;
        PriceStyle st{&colors, std::max(1, GetCommonVar()->m_nLineWidth)};
        const int next = DrawIndicatorLines(*dc, *bars, pane, st, ind.m_aExps);
        DrawIndicatorFunctions(*dc, *bars, pane, ind.m_aDrawFuncs, ind.m_aDrawExps, next,
                               m_pOverlay->m_nCursor, &st, &p.m_texts, &IndicatorArt());
    } else if (p.m_pIndicator && !IsMainPane()) {
        CFont* old = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::Font::ChartMedium));
        const int mode = dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(colors[CommonColor::uniPic_Text]);
        CRect rc = p.m_rcPlot;
        dc->DrawText(p.m_strIndicatorName + " 指标不能用于当前分析周期", &rc,
                     DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        dc->SetBkMode(mode);
        if (old) dc->SelectObject(old);
    }
}

void ChartPic::DrawPrice(CDC* dc) {
    ChartPicProp& p = *m_prop;
    const bool overPrice = p.m_pIndicator && p.m_bIndicatorUsable && p.m_pIndicator->m_nMainChart;
    if (!IsMainPane() && !overPrice) return;
    const IBarSource* bars = m_pOverlay->GetBars();
    PriceStyle st{&GetCommonVar()->Colors(), std::max(1, GetCommonVar()->m_nLineWidth)};
    const int style = IsMainPane() ? m_pOverlay->m_nKLineType : kKLineCandles;
    DrawPriceSeries(*dc, *bars, Mapping(false), st, style, p.m_fAvgVolume, p.m_pIndicator != nullptr);
}

void ChartPic::DrawMarks(CDC* dc) {
    ChartPicProp& p = *m_prop;
    const IBarSource* bars = m_pOverlay->GetBars();
    const CommonColorTable& colors = GetCommonVar()->Colors();
    const int16_t type = bars->GetDataType();
    PicDataLayer* layer = m_pOverlay->GetDataLayer();
    // The security's name in the trend workspace.
    if (m_pOverlay->m_trendName && layer) {
        const std::string name = m_pOverlay->m_trendName();
        if (!name.empty()) {
            CFont* old = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::Font::ChartLarge));
            const int mode = dc->SetBkMode(TRANSPARENT);
            dc->SetTextColor(RGB(255, 255, 255));
            CRect rc(p.m_rcPlot.right - 112, p.m_rcPlot.top + 12, p.m_rcPlot.right - 10,
                     p.m_rcPlot.top + 58);
            dc->DrawText(name, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            dc->SetBkMode(mode);
            if (old) dc->SelectObject(old);
        }
    }
    const bool barChart = type == kTypeMinute || type == kTypeDay;
    const ChartOverlay* overlay = m_pOverlay;
    const TimeToX timeToX = [overlay](int64_t key, int32_t& index) { return overlay->TimeToX(key, index); };
    if (barChart && layer && layer->GetSeries()) {
        std::vector<int32_t> dates;
        {
            const auto view = layer->GetSeries()->Read();
            for (const CSingleCQDataPerSecu& e : view.ExRights()) dates.push_back(static_cast<int32_t>(e.m_nDate));
        }
        PriceStyle st{&colors, 1};
        DrawExRightsMarks(*dc, *bars, Mapping(false), st, dates, layer->GetAdjustMode(), timeToX);
    }
    if (m_pOverlay->m_bShowMaxMin && !IsIntradayType(type) && p.m_nMaxIndex >= 0) {
        PriceStyle st{&colors, 1};
        const PriceDigits digits = p.m_axeMain.m_pSecurity ? DigitsOf(p.m_axeMain.m_pSecurity)
                                                            : PriceDigits{};
        const int64_t divisor = DivisorOf(digits);
        DrawMaxMin(*dc, *bars, Mapping(false), st, p.m_nMaxIndex, p.m_nMinIndex,
                   [digits, divisor](double v) {
                       return FormatPriceText(static_cast<int64_t>(v * divisor + 0.5), digits);
                   },
                   GetCommonVar()->GetFont(CommonVar::Font::ChartSmall));
    }
    const auto* training = dynamic_cast<const TrainingPicData*>(layer);
    const CTrainingRecord* record = training ? training->GetRecord() : nullptr;
    if (barChart && record) {
        DrawTradeMarks(*dc, *bars, Mapping(false), record->trades, timeToX);
        if (!m_pMarkImage) m_pMarkImage = LoadMarkStrip();
        DrawTradeStartMark(*dc, *bars, Mapping(false), *m_pMarkImage, record->BeginTrainDate, timeToX);
    }
}

std::unique_ptr<CBitmap> ChartPic::LoadMarkStrip() {
    auto strip = std::make_unique<CBitmap>();
    std::unique_ptr<CImage> image(LoadImageResource(kMarkImageId, 0));
    if (!image || image->IsNull() || image->GetWidth() <= 0 || image->GetHeight() <= 0) return strip;
    // Laid on the transparent key colour, so the image's own transparent pixels stay so.
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    strip->CreateCompatibleBitmap(&dc, image->GetWidth(), image->GetHeight());
    CBitmap* old = dc.SelectObject(strip.get());
    dc.FillSolidRect(0, 0, image->GetWidth(), image->GetHeight(), RGB(0, 0, 255));
    image->Draw(&dc, 0, 0);
    dc.SelectObject(old);
    return strip;
}

void ChartPic::DrawLimitBox(CDC* dc) {
    PicDataLayer* layer = m_pOverlay->GetDataLayer();
    CSecurity* security = layer ? layer->GetSecurity() : nullptr;
    if (!security) return;
    const bool upper = security->IsAtPriceLimit(true);
    const bool lower = !upper && security->IsAtPriceLimit(false);
    if (!upper && !lower) return;
    const CRect& column = m_pOverlay->m_rcRightAxis.IsRectEmpty() ? m_pOverlay->m_rcLeftAxis
                                                                   : m_pOverlay->m_rcRightAxis;
    const int lineHeight = std::max(1, static_cast<int>(GetCommonVar()->m_nChartLineHeight));
    const double divisor = security->GetPriceDivisor();
    const double price = static_cast<double>(security->GetQuoteValue(upper ? 1021 : 1022)) / divisor;
    const double change = static_cast<double>(security->GetQuoteValue(-144)) / 100.0;
    char priceText[32], changeText[32];
    std::snprintf(priceText, sizeof priceText, "%.2f", price);
    std::snprintf(changeText, sizeof changeText, "%+.2f%%", change);
    const std::string lines[3] = {upper ? "涨停" : "跌停", priceText, changeText};
    const COLORREF band = upper ? RGB(200, 0, 0) : RGB(0, 100, 0);
    const int saved = dc->SaveDC();
    dc->SelectObject(GetCommonVar()->GetFont(CommonVar::Font::ChartMedium));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(Palette(39));
    int top = upper ? column.top : column.bottom - 3 * lineHeight;
    for (const std::string& text : lines) {
        CRect rc(column.left + 1, top, column.right, top + lineHeight);
        dc->FillSolidRect(&rc, band);
        dc->DrawText(text, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        top += lineHeight;
    }
    dc->RestoreDC(saved);
}

void ChartPic::DrawCrosshair(CDC* dc, int32_t index, int y) {
    ChartPicProp& p = *m_prop;
    if (!dc || index < 0 || p.m_rcPane.IsRectEmpty()) return;
    const bool current = m_pOverlay->m_isCurrentChart ? m_pOverlay->m_isCurrentChart() : true;
    if (!current && !m_pOverlay->m_bCursorMode) return;
    const int x = m_pOverlay->IndexToX(index);
    const int titleBottom = p.m_rcPane.top + p.m_nTitleHeight;
    CPen pen(PS_SOLID, 1, GetCommonVar()->Colors()[CommonColor::uniPic_CheckLine]);
    CPen* old = dc->SelectObject(&pen);
    const int rop = dc->SetROP2(R2_XORPEN);
    if (x > p.m_rcPane.left && x < p.m_rcPane.right) XorLine(dc, x, titleBottom + 1, x, p.m_rcPane.bottom - 1);
    if (y > titleBottom && y < p.m_rcPane.bottom) {
        const CRect& panel = m_pOverlay->m_rcValuePanel;
        const int right = panel.IsRectEmpty() ? p.m_rcPane.right - 1 : panel.left - 1;
        // Leave the crossing pixel to the vertical line so XOR does not blank it.
        if (x > p.m_rcPane.left - 29 && x < right) {
            XorLine(dc, p.m_rcPane.left - 29, y, x, y);
            XorLine(dc, x + 1, y, right, y);
        } else {
            XorLine(dc, p.m_rcPane.left - 29, y, right, y);
        }
    }
    dc->SetROP2(rop);
    dc->SelectObject(old);
}

void ChartPic::DrawTitle(CDC* dc, int32_t index, bool erase) {
    // The floating value panel reads the bar the price pane's title shows.
    if (IsMainPane()) FeedValuePanel(*m_pOverlay, index);
    ChartPicProp& p = *m_prop;
    if (!dc || p.m_nTitleHeight <= 0) return;
    const IBarSource* bars = m_pOverlay->GetBars();
    if (!bars) return;
    const CommonColorTable& colors = GetCommonVar()->Colors();
    CRect band(p.m_rcPane.left + 1, p.m_rcPane.top + 1, p.m_rcPane.right - 1,
               p.m_rcPane.top + p.m_nTitleHeight);
    if (erase) dc->FillSolidRect(&band, colors[CommonColor::uniPic_BackGround]);
    CFont* oldFont = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::Font::ChartSmall));
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    int x = band.left;
    int right = IsMainPane() ? band.right : band.right - 24;
    const int16_t type = bars->GetDataType();
    PicDataLayer* layer = m_pOverlay->GetDataLayer();
    auto text = [&](const std::string& s, COLORREF c) {
        if (x >= right) return;
        CRect rc(x, band.top, right, band.bottom);
        dc->SetTextColor(c);
        dc->DrawText(s, &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        x += TextWidth(dc, s);
    };
    if (IsMainPane() && m_pOverlay->m_reserveNameRoom && layer) {
        const int room = m_pOverlay->m_reserveNameRoom();
        if (room > 0) x += room;
    }
    int colorIndex = 39;
    if (IsMainPane() && IsIntradayType(type) && layer && !p.m_pIndicator) {
        text("分时走势 ", Palette(39));
        text("均线 ", Palette(40));
        text("成交量 ", Palette(39));
        colorIndex = 41;
    }
    std::string name;
    const bool usable = p.m_pIndicator && p.m_bIndicatorUsable;
    if (!p.m_pIndicator && !IsIntradayType(type) && !p.m_strIndicatorName.empty())
        name = " 无(" + p.m_strIndicatorName + ")指标!";
    else if (usable)
        name = " " + p.m_pIndicator->m_strName;
    else if (p.m_pIndicator && IsMainPane())
        name = p.m_strIndicatorName + "指标不能用于当前分析周期";
    if (!name.empty()) {
        const bool selected = m_pOverlay->m_nSelectedPane == p.m_nIndex && p.m_nIndex >= 0;
        const COLORREF c = colors[selected ? CommonColor::uniMenuBar_Active : CommonColor::uniMenuBar_Text];
        const int w = TextWidth(dc, name);
        CRect box(x, band.top, std::min(right, x + w + 10), band.bottom);
        if (selected) {
            CBrush frame(c);
            dc->FrameRect(&box, &frame);
        }
        text(name, c);
        CRect mark(x + 2, band.top, x + 10, band.bottom);
        if (mark.right < right) DrawTriangleLines(dc, c, 1, 4, mark);
        x = box.left + w + 14;
    }
    if (usable) {
        CKlineLight& ind = *p.m_pIndicator;
        const bool vol = ind.m_strName == "VOL" || ind.m_strName == "AMOUNT";
        const bool ma = ind.m_strName.rfind("MA", 0) == 0 &&
                        (ind.m_strName.size() == 2 ||
                         (ind.m_strName.size() == 3 && ind.m_strName[2] >= '1' && ind.m_strName[2] <= '9'));
        if (!ind.m_aParams.empty()) {
            text("(", colors[CommonColor::uniPic_Text]);
            int n = vol ? 40 : ma ? colorIndex : 39;
            bool firstShown = true;
            const int lines = static_cast<int>(ind.m_aExps.size());
            for (int k = 0; k < static_cast<int>(ind.m_aParams.size()); ++k) {
                const double v = ind.GetParamValue(k);
                if (v > 0) {
                    COLORREF c = Palette(n);
                    const int line = vol ? std::min(k + 1, lines - 1) : k;
                    if (k < lines && line >= 0) c = ind.m_aExps[static_cast<size_t>(line)].GetColor(n, 1);
                    if (!firstShown) text(",", colors[CommonColor::uniPic_Text]);
                    text(FormatCompactNumber(v), c);
                    firstShown = false;
                }
                if (vol || ma) ++n;
            }
            text(")  ", colors[CommonColor::uniPic_Text]);
        }
    }
    // Flag texts of the bar, then the line values.
    const int32_t bar = index >= 0 ? index : bars->GetLast() - 1;
    for (const CFlagText& f : p.m_texts.titleFlags)
        if (f.bar == bar)
            for (const CPosText& t : f.items) {
                text(t.text, static_cast<COLORREF>(t.color));
                x += 4;
            }
    if (usable && bar >= bars->GetFirst() && bar < bars->GetLast()) {
        const CKlineLight& ind = *p.m_pIndicator;
        bool firstLine = true;
        int n = IsMainPane() && IsIntradayType(type) ? 41 : 39;
        for (const CIndicatorExp& line : ind.m_aExps) {
            if (line.m_nStyle <= 0) continue;
            const COLORREF c = line.GetColor(n++, 1);
            if (!line.m_bComputed || line.m_nFirst > bar) continue;
            std::string value;
            if (!line.GetText(bar, value)) continue;
            std::string s = firstLine ? std::string() : ",";
            if (!line.m_strName.empty()) s += line.m_strName + "=";
            text(s + value, c);
            firstLine = false;
            if (line.m_bArrow && bar > line.m_nFirst) {
                double now = 0, before = 0;
                if (line.GetValue(bar, now) && line.GetValue(bar - 1, before) && now != before) {
                    CFont* f = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::Font::ChartLarge));
                    text(now > before ? "↑" : "↓",
                         colors[now > before ? CommonColor::uniPic_Rise : CommonColor::uniPic_Fall]);
                    dc->SelectObject(f);
                }
            }
        }
    }
    dc->SetBkMode(oldMode);
    if (oldFont) dc->SelectObject(oldFont);
}

}  // namespace chart
