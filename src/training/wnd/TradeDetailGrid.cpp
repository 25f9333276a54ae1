#include "training/wnd/TradeDetailGrid.h"

#include <cstdio>

#include "training/TrainingRecord.h"
#include "training/wnd/TradeDetailWnd.h"
#include "ui/CommonVar.h"

namespace {

constexpr COLORREF kRed = RGB(255, 77, 77);
constexpr COLORREF kGreen = RGB(77, 255, 77);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kDate = RGB(208, 177, 120);

struct Column {
    const char* title;
    int width;
};
const Column kColumns[kTradeDetailColumns] = {
    {"成交日期", 86}, {"操作", 48},     {"成交价", 53},   {"平均成本价", 100}, {"成交股数", 96},
    {"盈亏", 80},     {"盈亏比", 69},   {"成交金额", 68}, {"手续费", 68},      {"交易理由", 100},
};

std::string Printf(const char* format, auto value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

const char* TradeDetailColumnTitle(int column) {
    return column >= 0 && column < kTradeDetailColumns ? kColumns[column].title : "";
}

int TradeDetailColumnWidth(int column) {
    return column >= 0 && column < kTradeDetailColumns ? kColumns[column].width : 0;
}

TradeDetailCell MakeTradeDetailCell(const CTrainingRecord& record, const TradeDetailItem& t, int column) {
    TradeDetailCell c;
    c.colour = c.selectedColour = kWhite;
    c.timesFont = true;
    const bool opening = t.bsdir == 1;
    switch (column) {
        case 0:
            c.text = record.hideDate && record.TrainStatus != kTrainStatusEnded ? "--" : Printf("%d", t.TradeDate);
            c.colour = kDate;
            break;
        case 1:
            c.text = TradeActionText(t);
            c.colour = c.selectedColour = opening ? kRed : kGreen;
            c.timesFont = false;
            break;
        case 2: c.text = Printf("%.02f", t.TradePrice); break;
        case 3: c.text = Printf("%.02f", t.cost); break;
        case 4: c.text = Printf("%d", t.vol); break;
        case 5:
            if (!opening) {
                c.text = Printf("%.02f", t.GainLoss);
                c.colour = c.selectedColour = t.GainLoss > 0 ? kRed : kGreen;
            } else {
                c.text = "-";
            }
            break;
        case 6:
            if (!opening) {
                c.text = Printf("%.02f%%", t.GLPercent * 100);
                c.colour = c.selectedColour = t.GLPercent > 0 ? kRed : kGreen;
            } else {
                c.text = "-";
            }
            c.timesFont = false;
            break;
        case 7: c.text = Printf("%.02f", t.Turnover); break;
        case 8: c.text = Printf("%.02f", t.commit); break;
        case 9:
            c.text = t.comment;
            c.colour = kDate;
            break;
        default: break;
    }
    return c;
}

void TradeDetailTitle::Draw(CDC* dc) {
    if (!m_pGrid) return;
    CFont* old = m_pGrid->m_titleFont.m_created ? dc->SelectObject(&m_pGrid->m_titleFont) : nullptr;
    dc->SetTextColor(m_nSort == 1 ? kRed : m_nSort == -1 ? kGreen : m_pGrid->m_gridTitle);
    CRect rc = m_rect;
    dc->DrawText(m_strText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) dc->SelectObject(old);
}

void TradeDetailField::Draw(CDC* dc) {
    const CGridUI* grid = m_pLine ? m_pLine->m_pGrid : nullptr;
    if (!grid) return;
    CRect inner = m_rect;
    inner.DeflateRect(1, 1);
    const bool selected = IsSelected();
    if (inner.Width() > 0 && inner.Height() > 0)
        dc->FillSolidRect(&inner, selected ? grid->m_gridhighbk : grid->m_gridbk);
    dc->SetTextColor(selected ? m_clrSelText : m_clrText);
    CFont* font = m_pFont ? m_pFont : GetCommonVar()->GetFont(CommonVar::kFontSong14);
    CFont* old = font && font->m_created ? dc->SelectObject(font) : nullptr;
    CRect rc = m_rect;
    dc->DrawText(m_strText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) dc->SelectObject(old);
}
