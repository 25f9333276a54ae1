#include "training/wnd/TrainingDetailAndBenefitWnd.h"

#include <algorithm>
#include <cstdio>

#include "foundation/CommonColors.h"
#include "marketdata/DataCenter.h"
#include "training/TotalTrainingRecord.h"
#include "training/TradeAnalysis.h"
#include "training/TrainingRecord.h"
#include "training/wnd/TradeDetailGrid.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/draw/DrawHelpers.h"
#include "ui/element/ElementHost.h"
#include "ui/layout/LayoutManager.h"

namespace {

constexpr COLORREF kRed = RGB(255, 77, 77);
constexpr COLORREF kGreen = RGB(77, 255, 77);
constexpr COLORREF kStatLabel = RGB(142, 183, 216);
constexpr COLORREF kLossCount = RGB(92, 255, 38);
constexpr COLORREF kAxisText = RGB(143, 183, 216);
constexpr COLORREF kPanelBack = RGB(20, 29, 37);
constexpr UINT kLeftLine = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
constexpr UINT kCentred = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

// Items of the statistics column.
enum StatItem {
    kTotalValue = 7,
    kProfitValue = 8,
    kRateValue = 9,
    kCountValue = 10,
    kWinsValue = 11,
    kLossesValue = 13,
    kBestValue = 14,
    kWorstValue = 15
};

std::string Printf(const char* format, auto... args) {
    char text[96];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// "+12.3" for a positive value; a value that rounds to zero carries no sign.
std::string Signed(double value, int decimals, const char* suffix = "") {
    std::string text = FormatUnsignedZero(value, decimals);
    if (value > 0 && text.find_first_not_of("0.") != std::string::npos) text.insert(0, "+");
    return text + suffix;
}

}  // namespace

TrainingDetailAndBenefitWnd::TrainingDetailAndBenefitWnd() {
    SetTypeName("TrainingDetailAndBenefitWnd");
    for (chart::CAxeY* axis : {&m_leftAxis, &m_rightAxis}) {
        axis->m_clrBack = kPanelBack;
        axis->m_clrLine = kAxisText;
        axis->m_fMax = m_fMax;
        axis->m_fMin = m_fMin;
    }
    m_rightAxis.m_bLeftAligned = 1;
    m_pageFont.CreateFont(16, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "宋体");
}

TrainingDetailAndBenefitWnd::~TrainingDetailAndBenefitWnd() = default;

int TrainingDetailAndBenefitWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CElementWnd::OnCreate(cs) == -1) return -1;
    OnCreated(0);
    CreatePeriodButtons();
    CreateDetailGrid();
    CreateStatisticItems();
    return 0;
}

void TrainingDetailAndBenefitWnd::OnDestroy() {
    for (auto& b : m_periodButtons)
        if (b && b->m_hWnd) b->DestroyWindow();
    CElementWnd::OnDestroy();
}

void TrainingDetailAndBenefitWnd::CreatePeriodButtons() {
    CommonVar* common = GetCommonVar();
    const COLORREF title = common->GetColor(CommonColor::uniMenuBar_Title);
    const COLORREF active = common->GetColor(CommonColor::uniMenuBar_Active);
    static const char* const kTexts[3] = {"周", "月", "年"};
    m_periodButtons.clear();
    for (int i = 0; i < 3; ++i) {
        auto b = std::make_shared<MyButton>();
        b->m_nType = MyButton::kRadio;
        b->m_nDrawType = MyButton::kDrawColors;
        b->m_bGroup = i == 0;
        b->m_colors = {{title, kAxisText}, {active, RGB(0, 0, 0)}, {active, RGB(0, 0, 0)}};
        b->m_strText = kTexts[i];
        b->m_nCommandId = kFirstPeriodId + i;
        b->Create("", 0, CRect(), this, UINT(kFirstPeriodId + i));
        m_periodButtons.push_back(std::move(b));
    }
    if (m_periodButtons[0]->m_hWnd) m_periodButtons[0]->SetCheck(1);
}

void TrainingDetailAndBenefitWnd::CreateDetailGrid() {
    std::vector<std::shared_ptr<GridTitle>> titles;
    for (int c = 0; c < kTradeDetailColumns; ++c)
        titles.push_back(std::make_shared<TradeDetailTitle>(&m_grid, TradeDetailColumnTitle(c), TradeDetailColumnWidth(c)));
    m_grid.SetTitles(std::move(titles));
    m_grid.m_nColumnCount = kTradeDetailColumns;
    m_grid.m_fnFillPage = [this] { FillDetailPage(); };
    CommonVar* common = GetCommonVar();
    m_grid.m_gridbk = kPanelBack;
    m_grid.m_gridhighbk = RGB(49, 106, 197);
    m_grid.m_gridline = common->GetColor(CommonColor::uniWnd_Border);
    m_grid.m_gridTitleBK = common->GetColor(CommonColor::uniMenuBar_Title);
    m_grid.m_gridTitle = RGB(133, 145, 157);
    m_grid.m_bShowGridline = 0;
    m_grid.m_bDashedRowLines = 1;
    m_grid.m_bCanDrag = 1;
    m_grid.m_nFontSize = m_grid.m_nTitleFontSize = 14;
    m_grid.m_strFontName = m_grid.m_strTitleFontName = "宋体";
    m_grid.m_bShowTitle = 1;
    m_grid.m_nLineHeight = 35;
    m_grid.m_bNeedVScroll = 1;
    m_grid.m_bNeedHScroll = 1;
    m_grid.m_vScroll.SetColors(kPanelBack, RGB(35, 51, 67));
    m_grid.m_hScroll.SetColors(kPanelBack, RGB(35, 51, 67));
    m_grid.Attach(this);
}

void TrainingDetailAndBenefitWnd::CreateStatisticItems() {
    CommonVar* common = GetCommonVar();
    CFont* times = common->GetFont(CommonVar::kFontTimes16);
    const struct {
        const char* text;
        bool times;
        COLORREF colour;
    } kItems[kStatisticItems] = {
        {"总资产", false, kStatLabel}, {"盈利", false, kStatLabel},   {"盈亏率", false, kStatLabel},
        {"训练次数", false, kStatLabel}, {"盈损", false, kStatLabel}, {"最大盈利", false, kStatLabel},
        {"最大亏损", false, kStatLabel}, {"", true, kStatLabel},      {"", true, kRed},
        {"", true, kRed},               {"", true, kStatLabel},       {"", false, kRed},
        {"/", false, kStatLabel},       {"", false, kLossCount},      {"", true, kRed},
        {"", true, kRed},
    };
    m_items.clear();
    for (const auto& look : kItems) {
        auto item = std::make_shared<StaticEx>();
        item->m_strText = look.text;
        item->m_pFont = look.times ? times : &m_pageFont;
        item->m_nFormat = kLeftLine;
        item->m_clrText = look.colour;
        m_items.push_back(std::move(item));
    }
}

// ---------------------------------------------------------------- layout

void TrainingDetailAndBenefitWnd::RecalcLayout() {
    CElementWnd::RecalcLayout();
    const int L = m_rcContent.left, T = m_rcContent.top, R = m_rcContent.right;
    m_rcTab1 = CRect(L + 10, T, L + 120, T + 22);
    m_rcTab2 = CRect(L + 130, T, L + 240, T + 22);
    const int M = L + (R - L) / 2;
    m_rcToggle = CRect(M, T, M + 12, T + 16);
    if (m_nTab == 1)
        LayoutBenefitTab();
    else
        LayoutDetailTab();
}

void TrainingDetailAndBenefitWnd::LayoutBenefitTab() {
    const int L = m_rcContent.left, T = m_rcContent.top, R = m_rcContent.right, B = m_rcContent.bottom;
    LayoutPeriodButtons();
    m_leftAxis.m_rcValue = CRect(L, T + 34, L + 70, B - 30);
    m_leftAxis.CalcScale();
    m_rcChart = CRect(L + 70, T + 34, R - 190, B - 30);
    m_rightAxis.m_rcValue = CRect(R - 260, T + 34, R - 190, B - 30);
    m_rightAxis.CalcScale();
    LayoutStatisticItems();
}

void TrainingDetailAndBenefitWnd::LayoutPeriodButtons() {
    if (m_periodButtons.size() != 3) return;
    const int R = m_rcContent.right, T = m_rcContent.top;
    for (int i = 0; i < 3; ++i)
        if (m_periodButtons[size_t(i)]->m_hWnd) m_periodButtons[size_t(i)]->MoveWindow(R - 73 + 24 * i, T + 25, 21, 23, TRUE);
}

void TrainingDetailAndBenefitWnd::HidePeriodButtons() {
    for (auto& b : m_periodButtons)
        if (b && b->m_hWnd) b->MoveWindow(0, 0, 0, 0, TRUE);
}

void TrainingDetailAndBenefitWnd::LayoutStatisticItems() {
    if (m_items.size() != size_t(kStatisticItems) || !m_hWnd) return;
    const int T = m_rcContent.top, R = m_rcContent.right;
    const int x0 = R - 165;
    static const char* const kMeasure[7] = {"平均资产", "盈利", "盈亏率", "训练次数", "盈损", "最大盈利", "最大亏损"};
    CClientDC dc(this);
    for (int r = 0; r < 7; ++r) {
        const int y = r <= 2 ? T + 78 + 26 * r : T + 82 + 26 * r;
        m_items[size_t(r)]->m_rect = CRect(x0, y, R - 65, y + 16);
        const int left = x0 + dc.GetTextExtent(kMeasure[r]).cx + 10;
        if (r <= 3) {
            m_items[size_t(7 + r)]->m_rect = CRect(left, y, left + 60, y + 16);
        } else if (r == 4) {
            CRect& wins = m_items[kWinsValue]->m_rect;
            wins = CRect(left, y, left + 30, y + 16);
            CRect& slash = m_items[12]->m_rect;
            slash = CRect(wins.right + 5, y, wins.right + 15, y + 16);
            m_items[kLossesValue]->m_rect = CRect(slash.right, y, slash.right + 30, y + 16);
        } else {
            m_items[size_t(r == 5 ? kBestValue : kWorstValue)]->m_rect = CRect(left, y, left + 60, y + 16);
        }
    }
}

void TrainingDetailAndBenefitWnd::LayoutDetailTab() {
    const CRect area(m_rcContent.left, m_rcContent.top + 22, m_rcContent.right, m_rcContent.bottom);
    m_grid.SetRect(area);
    m_grid.RecalcPage();
    if (m_grid.m_hScroll.m_hWnd || m_grid.m_vScroll.m_hWnd) {
        m_grid.UpdateHScroll();
        m_grid.UpdateVScroll();
    }
}

// ---------------------------------------------------------------- data

int TrainingDetailAndBenefitWnd::SetContextObject(void* object) {
    m_pRecord = static_cast<CTrainingRecord*>(object);
    return 1;
}

void TrainingDetailAndBenefitWnd::SetRecord(CTrainingRecord* record) {
    if (!record) return;
    m_pRecord = record;
    m_grid.m_nTopRow = 0;
    m_grid.m_nRowCount = int16_t(std::min<size_t>(record->trades.size(), INT16_MAX));
    m_grid.UpdateVScroll();
}

void TrainingDetailAndBenefitWnd::ShowTrainingRecord(const std::shared_ptr<CTrainingRecord>& record) {
    if (!record) return;
    m_pShown = record;
    SetRecord(record.get());
    if (m_hWnd) {
        Invalidate(TRUE);
        UpdateWindow();
    }
}

void TrainingDetailAndBenefitWnd::AttachData() {
    const auto list = GetDataCenter()->GetTrainingRecords();
    if (!list || list->records.empty()) return;
    if (m_nTab == 1) {
        m_finalAssets.clear();
        m_gains.clear();
        for (const auto& record : list->records) {
            if (!record) continue;
            m_finalAssets.push_back(FinalAsset(*record));
            m_gains.push_back(EndedWithGain(*record));
        }
        CalcAssetRange();
        UpdateStatistics();
    } else if (m_pRecord) {
        m_grid.m_nRowCount = int16_t(std::min<size_t>(m_pRecord->trades.size(), INT16_MAX));
        m_grid.UpdateVScroll();
    }
}

void TrainingDetailAndBenefitWnd::CalcAssetRange() {
    if (!::CalcAssetRange(m_finalAssets, m_fMax, m_fMin)) return;
    m_leftAxis.m_nType = chart::kAxisPercent;
    for (chart::CAxeY* axis : {&m_leftAxis, &m_rightAxis}) {
        axis->m_fMax = m_fMax;
        axis->m_fMin = m_fMin;
        axis->m_fBaseValue = BenefitBaseCapital;
        axis->CalcScale();
    }
}

void TrainingDetailAndBenefitWnd::UpdateStatistics() {
    const auto list = GetDataCenter()->GetTrainingRecords();
    if (!list || m_items.size() != size_t(kStatisticItems)) return;
    CTotalTrainingRecord::RecordList chosen;
    if (m_nPeriod == 0)
        list->SelectThisWeek(chosen);
    else if (m_nPeriod == 1)
        list->SelectThisMonth(chosen);
    else
        list->SelectThisYear(chosen);
    const PeriodStatistics s = CalcPeriodStatistics(chosen);
    m_nWinCount = s.wins;
    m_nLossCount = s.losses;
    auto set = [this](int item, std::string text, double value, bool colour = true) {
        StaticEx& i = *m_items[size_t(item)];
        i.m_strText = std::move(text);
        if (colour) i.m_clrText = value > 0 ? kRed : kLossCount;
    };
    m_items[kTotalValue]->m_strText = FormatUnsignedZero(s.totalAssets, 1);
    set(kProfitValue, Signed(s.profit, 1), s.profit);
    set(kRateValue, Signed(s.profitRate * 100, 1, "%"), s.profitRate);
    set(kCountValue, Printf("%d", s.count), 0, false);
    set(kWinsValue, Printf("%d盈", s.wins), 0, false);
    set(kLossesValue, Printf("%d亏", s.losses), 0, false);
    set(kBestValue, Signed(s.bestRate * 100, 2, "%"), s.bestRate);
    set(kWorstValue, Signed(s.worstRate * 100, 2, "%"), s.worstRate);
}

const std::string& TrainingDetailAndBenefitWnd::StatisticText(int item) const {
    static const std::string none;
    return item >= 0 && size_t(item) < m_items.size() ? m_items[size_t(item)]->m_strText : none;
}

COLORREF TrainingDetailAndBenefitWnd::StatisticColour(int item) const {
    return item >= 0 && size_t(item) < m_items.size() ? m_items[size_t(item)]->m_clrText : 0;
}

BOOL TrainingDetailAndBenefitWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (id >= kFirstPeriodId && id < kFirstPeriodId + 3) {
        m_nPeriod = id - kFirstPeriodId;
        UpdateStatistics();
        if (m_hWnd) {
            CRect column(m_rcContent.right - 172, m_rcContent.top + 54, m_rcContent.right, m_rcContent.bottom);
            InvalidateRect(&column, FALSE);
        }
        return TRUE;
    }
    return CElementWnd::OnCommand(wParam, lParam);
}

// ---------------------------------------------------------------- details tab

void TrainingDetailAndBenefitWnd::FillDetailPage() {
    const int total = m_grid.m_nRowCount;
    const int top = m_grid.m_nTopRow;
    if (top >= total || !m_pRecord || total != int(std::min<size_t>(m_pRecord->trades.size(), INT16_MAX))) {
        if (total == 0) m_grid.ResizePage(0, kTradeDetailColumns, [] { return std::make_shared<TradeDetailField>(); });
        return;
    }
    const int n = std::min<int>(m_grid.m_nRowsPerPage, total - top);
    m_grid.ResizePage(n, kTradeDetailColumns, [] { return std::make_shared<TradeDetailField>(); });
    CommonVar* common = GetCommonVar();
    for (int i = 0; i < n; ++i) {
        const TradeDetailItem& trade = m_pRecord->trades[size_t(top + i)];
        auto& cells = m_grid.m_rows[size_t(i)]->m_cells;
        for (size_t c = 0; c < cells.size() && c < size_t(kTradeDetailColumns); ++c) {
            const TradeDetailCell cell = MakeTradeDetailCell(*m_pRecord, trade, int(c));
            auto& field = static_cast<TradeDetailField&>(*cells[c]);
            field.m_strText = cell.text;
            field.m_clrText = cell.colour;
            field.m_clrSelText = cell.selectedColour;
            field.m_pFont = common->GetFont(cell.timesFont ? CommonVar::kFontTimes16 : CommonVar::kFontSong14);
        }
    }
}

void TrainingDetailAndBenefitWnd::OnElementLButtonDown(UINT flags, int x, int y) {
    if (m_nTab == 2) m_grid.OnLButtonDown(flags, x, y);
}

void TrainingDetailAndBenefitWnd::OnElementMouseMove(UINT flags, int x, int y) {
    if (m_nTab == 2) m_grid.OnMouseMove(flags, x, y);
}

int TrainingDetailAndBenefitWnd::OnElementMouseWheel(UINT, int delta, int, int) {
    if (m_nTab == 1) return 1;
    if (!m_grid.m_bNeedVScroll || !m_grid.m_bVScrollShown) return 0;
    if (m_grid.SetTopRow(m_grid.m_nTopRow - int16_t(delta) / 120)) {
        m_grid.UpdateVScroll();
        m_grid.InvalidateHost();
    }
    if (m_hWnd) {
        Invalidate(TRUE);
        UpdateWindow();
    }
    return 1;
}

int TrainingDetailAndBenefitWnd::GetTipText(int x, int y, std::vector<std::string>& lines) {
    if (m_nTab != 2) return 0;
    for (const auto& row : m_grid.m_rows) {
        if (!row || row->m_cells.size() < size_t(kTradeDetailColumns)) continue;
        const auto& reason = static_cast<const TradeDetailField&>(*row->m_cells[kTradeDetailColumns - 1]);
        if (reason.m_rect.PtInRect(CPoint(x, y)) && !reason.m_strText.empty()) {
            lines.push_back(reason.m_strText);
            return 1;
        }
    }
    return 0;
}

// ---------------------------------------------------------------- clicks

void TrainingDetailAndBenefitWnd::ShowTab(int tab) {
    m_nTab = tab == 2 ? 2 : 1;
    if (m_nTab == 1) {
        LayoutBenefitTab();
        AttachData();
    } else {
        LayoutDetailTab();
        if (m_pRecord) SetRecord(m_pRecord);
        HidePeriodButtons();
    }
    if (m_hWnd) {
        Invalidate(TRUE);
        UpdateWindow();
    }
}

void TrainingDetailAndBenefitWnd::ToggleCollapsed() {
    m_bCollapsed = !m_bCollapsed;
    CLayoutManager* node = m_pLayoutNode ? m_pLayoutNode->m_pParent : nullptr;
    CElementHost* host = GetHost();
    CWnd* view = host ? host->GetHostWnd() : nullptr;
    if (!node || !view || !m_hWnd) return;
    const int L = m_rcContent.left, R = m_rcContent.right, B = m_rcContent.bottom;
    CRect viewClient;
    view->GetClientRect(&viewClient);
    CRect target = m_bCollapsed ? CRect(L, B - kCollapsedHeight, R, B)
                                : CRect(L, B - viewClient.Height() / 2 - 6, R, B);
    MapWindowPoints(view, &target);
    node->MoveSplitter(target);
}

void TrainingDetailAndBenefitWnd::OnElementLButtonUp(UINT flags, int x, int y) {
    const CPoint pt(x, y);
    if (m_rcTab1.PtInRect(pt)) {
        ShowTab(1);
    } else if (m_rcTab2.PtInRect(pt)) {
        ShowTab(2);
    } else if (m_rcToggle.PtInRect(pt)) {
        ToggleCollapsed();
    }
    if (m_nTab == 2 && m_grid.OnLButtonUp(flags, x, y) && m_hWnd) {
        CRect below(m_rcContent.left, m_rcContent.top + 22, m_rcContent.right, m_rcContent.bottom);
        InvalidateRect(&below, TRUE);
    }
}

// ---------------------------------------------------------------- painting

int TrainingDetailAndBenefitWnd::PointX(size_t i, size_t n) const {
    const int wc = m_rcChart.Width() - m_rightAxis.m_rcValue.Width();
    const double step = n > 1 ? double(wc - 85) / double(n - 1) : 1.0;
    return m_rcChart.left + 35 + int(step * double(i));
}

void TrainingDetailAndBenefitWnd::DrawClient(CDC* dc) {
    if (m_bPaintSuspended) return;
    CElementWnd::DrawClient(dc);
    dc->FillSolidRect(&m_rcContent, GetCommonVar()->GetColor(CommonColor::uniBenefitWndBK));
    dc->SetBkMode(TRANSPARENT);
    DrawTabs(dc);
    DrawTriangleAA(RGB(195, 195, 195), dc, 6, m_rcToggle);
    if (m_bCollapsed) return;
    if (m_nTab == 1)
        DrawBenefitTab(dc);
    else
        m_grid.Draw(dc);
}

void TrainingDetailAndBenefitWnd::DrawTabs(CDC* dc) {
    const CRect& c = m_rcContent;
    dc->FillSolidRect(CRect(c.left, c.top, c.right, c.top + 22), GetCommonVar()->GetColor(CommonColor::uniBackGround));
    CFont* old = dc->SelectObject(&m_pageFont);
    const struct {
        const CRect* rect;
        const char* text;
        int tab;
    } tabs[2] = {{&m_rcTab1, "资金收益分析", 1}, {&m_rcTab2, "交易明细", 2}};
    for (const auto& t : tabs) {
        CRect rc = *t.rect;
        if (t.tab == m_nTab) dc->FillSolidRect(&rc, RGB(255, 191, 0));
        dc->SetTextColor(t.tab == m_nTab ? RGB(0, 0, 0) : kStatLabel);
        dc->DrawText(t.text, &rc, kCentred);
    }
    dc->SelectObject(old);
}

void TrainingDetailAndBenefitWnd::DrawBenefitTab(CDC* dc) {
    // Before the first session there is no asset to scale an axis by.
    if (m_finalAssets.empty()) return;
    DrawAxes(dc);
    DrawAssetCurve(dc);
    CPen border(PS_SOLID, 1, GetCommonVar()->GetColor(CommonColor::uniWnd_Border));
    CPen* old = dc->SelectObject(&border);
    dc->MoveTo(m_rcContent.right - 175, m_rcContent.top + 22);
    dc->LineTo(m_rcContent.right - 175, m_rcContent.bottom);
    dc->SelectObject(old);
    DrawStatistics(dc);
}

void TrainingDetailAndBenefitWnd::DrawAxes(CDC* dc) {
    m_leftAxis.Draw(dc);
    m_rightAxis.DrawScaledLabels(dc);
    DrawXAxis(dc);
    CPen pen(PS_SOLID, 1, RGB(58, 85, 112));
    CPen* old = dc->SelectObject(&pen);
    for (int y : m_leftAxis.m_aGridRows) DrawDashedLine(dc, 2, 2, m_rcChart.left, y, m_rcChart.right, y);
    dc->SelectObject(old);
}

void TrainingDetailAndBenefitWnd::DrawXAxis(CDC* dc) {
    CPen pen(PS_SOLID, 1, kAxisText);
    CPen* oldPen = dc->SelectObject(&pen);
    dc->MoveTo(m_rcChart.left, m_rcChart.bottom);
    dc->LineTo(m_rcChart.right, m_rcChart.bottom);
    dc->SelectObject(oldPen);
    dc->SetTextColor(kAxisText);
    CommonVar* common = GetCommonVar();
    CFont* oldFont = dc->SelectObject(common->GetFont(CommonVar::kFontSong14));
    CRect caption(m_rcChart.left - 60, m_rcChart.bottom, m_rcChart.left + 10, m_rcChart.bottom + 16);
    dc->DrawText("交易次数：", &caption, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(common->GetFont(CommonVar::kFontTimes14));
    const size_t n = m_finalAssets.size();
    for (size_t i = 0; i < n; ++i) {
        const int x = PointX(i, n);
        CRect label(x, m_rcChart.bottom + 9, x + 10, m_rcChart.bottom + 19);
        dc->DrawText(Printf("%d", int(i + 1)), &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    }
    dc->SelectObject(oldFont);
}

void TrainingDetailAndBenefitWnd::DrawAssetCurve(CDC* dc) {
    const size_t n = m_finalAssets.size();
    if (n == 0) return;
    CPen pen(PS_SOLID, 1, RGB(180, 183, 186));
    CPen* old = dc->SelectObject(&pen);
    std::vector<CPoint> points;
    for (size_t i = 0; i < n; ++i) points.emplace_back(PointX(i, n), m_leftAxis.ValueToPixel(m_finalAssets[i], true));
    dc->MoveTo(points[0].x, points[0].y);
    for (size_t i = 1; i < n; ++i) dc->LineTo(points[i].x, points[i].y);
    dc->SelectObject(old);
    // Dots over the line, each session against its own capital.
    for (size_t i = 0; i < n; ++i) {
        const COLORREF colour = i < m_gains.size() && m_gains[i] ? kRed : kGreen;
        DrawEllipseAA(colour, dc, points[i].x - 6, points[i].y - 6, 12, 12);
    }
}

void TrainingDetailAndBenefitWnd::DrawStatistics(CDC* dc) {
    if (m_nWinCount == 0 && m_nLossCount == 0) return;
    const int R = m_rcContent.right, T = m_rcContent.top;
    const int x0 = R - 171, x1 = R - 8;
    const int split = x0 + int(163.0 * m_nLossCount / (m_nWinCount + m_nLossCount));
    dc->FillSolidRect(CRect(x0, T + 54, split, T + 74), RGB(77, 166, 255));
    dc->FillSolidRect(CRect(split, T + 54, x1, T + 74), kRed);
    CPen pen(PS_SOLID, 1, GetCommonVar()->GetColor(CommonColor::uniWnd_Border));
    CPen* old = dc->SelectObject(&pen);
    DrawDashedLine(dc, 3, 1, R - 170, T + 154, R - 5, T + 154);
    dc->SelectObject(old);
    for (const auto& item : m_items) item->Draw(dc);
}
