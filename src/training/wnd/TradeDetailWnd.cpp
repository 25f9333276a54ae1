#include "training/wnd/TradeDetailWnd.h"

#include <algorithm>
#include <cstdio>

#include "foundation/CommonColors.h"
#include "training/TrainingRecord.h"
#include "ui/CommonVar.h"

namespace {

constexpr COLORREF kRed = RGB(255, 77, 77);
constexpr COLORREF kGreen = RGB(77, 255, 77);
constexpr COLORREF kTitleText = RGB(133, 145, 157);
constexpr COLORREF kDateText = RGB(208, 178, 120);
constexpr COLORREF kGridBack = RGB(20, 29, 37);
constexpr COLORREF kScrollThumb = RGB(35, 51, 67);

}  // namespace

const char* TradeActionText(const TradeDetailItem& item) {
    if (item.opdir == 1) return item.bsdir == 1 ? "多开" : "多平";
    return item.bsdir == 1 ? "空开" : "空平";
}

void CTradeDetailTitle::Draw(CDC* dc) {
    if (!m_pGrid) return;
    CFont* old = m_pGrid->m_titleFont.m_created ? dc->SelectObject(&m_pGrid->m_titleFont) : nullptr;
    dc->SetTextColor(m_nSort == 1 ? kRed : m_nSort == 2 ? kGreen : m_pGrid->m_gridTitle);
    CRect rc = m_rect;
    dc->DrawText(m_strText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) dc->SelectObject(old);
}

void CTradeDetailField::Draw(CDC* dc) {
    const CGridUI* grid = m_pLine ? m_pLine->m_pGrid : nullptr;
    if (!grid) return;
    CRect rc = m_rect;
    rc.DeflateRect(1, 1);
    dc->FillSolidRect(&rc, IsSelected() ? grid->m_gridhighbk : grid->m_gridbk);
    COLORREF colour = RGB(255, 255, 255);
    if (m_nColumn == 0) colour = kDateText;
    if (m_nColumn == 1) colour = m_strText == "多开" || m_strText == "空开" ? kRed : kGreen;
    dc->SetTextColor(colour);
    CFont* font = m_nColumn == 1 ? GetCommonVar()->GetFont(CommonVar::kFontSong12)
                                 : GetCommonVar()->GetFont(CommonVar::kFontTimes16);
    CFont* old = font && font->m_created ? dc->SelectObject(font) : nullptr;
    dc->DrawText(m_strText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) dc->SelectObject(old);
}

CTradeDetailWnd::CTradeDetailWnd() {
    SetTypeName("CTradeDetailWnd");
}

int CTradeDetailWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CElementWnd::OnCreate(cs) == -1) return -1;
    static const struct {
        const char* text;
        int width;
    } kColumns[] = {{"成交日期", 70}, {"操作", 40}, {"成交价", 50}, {"成交股数", 70}};
    std::vector<std::shared_ptr<GridTitle>> titles;
    for (const auto& c : kColumns)
        titles.push_back(std::make_shared<CTradeDetailTitle>(&m_grid, c.text, c.width));
    m_grid.SetTitles(std::move(titles));
    m_grid.m_nColumnCount = 4;
    m_grid.m_gridbk = kGridBack;
    m_grid.m_gridhighbk = RGB(49, 106, 197);
    m_grid.m_gridTitleBK = GetCommonVar()->GetColor(CommonColor::uniMenuBar_Title);
    m_grid.m_gridTitle = kTitleText;
    m_grid.m_bShowTitle = 1;
    m_grid.m_bShowGridline = 0;
    m_grid.m_bCanDrag = 1;
    m_grid.m_bNeedVScroll = 1;
    // The look names no row height; 20 pixels hold the 16-pixel figures with a pixel of
    // fill above and below.
    m_grid.m_nLineHeight = 20;
    m_grid.m_nFontSize = 12;
    m_grid.m_strFontName = "Times New Roman";
    m_grid.m_nTitleFontSize = 12;
    m_grid.m_strTitleFontName = "宋体";
    m_grid.m_vScroll.SetColors(kGridBack, kScrollThumb);
    m_grid.m_hScroll.SetColors(kGridBack, kScrollThumb);
    m_grid.m_fnFillPage = [this] { FillPage(); };
    m_grid.Attach(this);
    return 0;
}

void CTradeDetailWnd::RecalcLayout() {
    CElementWnd::RecalcLayout();
    const CRect& c = m_rcContent;
    m_grid.SetRect(c.left + 1, c.top + 23, c.right - 1, c.bottom);
}

void CTradeDetailWnd::DrawClient(CDC* dc) {
    if (m_bPaintSuspended) return;
    CommonVar* common = GetCommonVar();
    const CRect& c = m_rcContent;
    dc->FillSolidRect(&c, common->GetColor(CommonColor::uniBackGround));
    CRect band(c.left + 1, c.top, c.right - 1, c.top + 22);
    if (band.Width() > 0) {
        dc->FillSolidRect(&band, common->GetColor(CommonColor::uniMenuBar_Title));
        CFont* old = dc->SelectObject(common->GetFont(CommonVar::kFontSong12));
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(kTitleText);
        dc->DrawText(kTitle, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        dc->SelectObject(old);
    }
    m_grid.Draw(dc);
}

void CTradeDetailWnd::SetRecord(CTrainingRecord* record) {
    if (!record) return;
    m_pRecord = record;
    const int count = int(std::min<size_t>(record->trades.size(), INT16_MAX));
    if (m_grid.m_nRowCount != count) {
        m_grid.m_nTopRow = 0;
        m_grid.m_nRowCount = int16_t(count);
        // The page, the scroll bar and the rows are laid out again at once: the rows of a
        // new trade must not wait for the next resize or scroll.
        m_grid.SetRect(m_grid.m_rcOuter);
    }
    if (m_hWnd) Invalidate(FALSE);
}

std::string CTradeDetailWnd::CellText(size_t index, int column) const {
    if (!m_pRecord || index >= m_pRecord->trades.size()) return {};
    const TradeDetailItem& item = m_pRecord->trades[index];
    char text[64];
    switch (column) {
        case 0:
            if (m_pRecord->hideDate && m_pRecord->TrainStatus != kTrainStatusEnded) return "--";
            std::snprintf(text, sizeof text, "%d", item.TradeDate);
            return text;
        case 1:
            return TradeActionText(item);
        case 2:
            std::snprintf(text, sizeof text, "%.02f", item.TradePrice);
            return text;
        case 3:
            std::snprintf(text, sizeof text, "%d", item.vol);
            return text;
        default:
            return {};
    }
}

void CTradeDetailWnd::FillPage() {
    if (!m_pRecord) return;
    const int count = int(std::min<size_t>(m_pRecord->trades.size(), INT16_MAX));
    if (m_grid.m_nRowCount != count) return;  // SetRecord has not seen this size yet
    const int top = m_grid.m_nTopRow;
    const int n = std::max(0, std::min<int>(m_grid.m_nPageRows, count - top));
    m_grid.ResizePage(n, 4, [] { return std::make_shared<CTradeDetailField>(); });
    for (int i = 0; i < n; ++i) {
        auto& cells = m_grid.m_rows[size_t(i)]->m_cells;
        for (size_t c = 0; c < cells.size() && c < 4; ++c)
            static_cast<CTradeDetailField&>(*cells[c]).m_strText = CellText(size_t(top + i), int(c));
    }
}

void CTradeDetailWnd::OnElementLButtonDown(UINT flags, int x, int y) {
    m_grid.OnLButtonDown(flags, x, y);
}

void CTradeDetailWnd::OnElementMouseMove(UINT flags, int x, int y) {
    m_grid.OnMouseMove(flags, x, y);
}

void CTradeDetailWnd::OnElementLButtonUp(UINT flags, int x, int y) {
    if (m_grid.OnLButtonUp(flags, x, y) && m_hWnd) Invalidate(FALSE);
}

int CTradeDetailWnd::OnElementMouseWheel(UINT, int delta, int, int) {
    if (!m_grid.m_bNeedVScroll || !m_grid.m_bVScrollShown) return 0;
    if (m_grid.SetTopRow(m_grid.m_nTopRow - delta / 120)) m_grid.InvalidateHost();
    if (m_hWnd) Invalidate(FALSE);
    return 1;
}
