#include "chart/ChartOverlay.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>

#include "chart/ChartActions.h"
#include "chart/ChartPic.h"
#include "foundation/Format.h"
#include "marketdata/Security.h"
#include "platform/Wnd.h"
#include "ui/CommonVar.h"

namespace chart {

namespace {

bool IsIntradayType(int16_t t) { return t == kTypeIntraday || t == kTypeHistoryIntraday; }

}  // namespace

ChartOverlay::ChartOverlay(CKlineChartWnd* owner) : PicOverlay(owner, kOverlayChart) {}

ChartOverlay::~ChartOverlay() = default;

void ChartOverlay::SetDataLayer(PicDataLayer* layer) {
    m_pLayer = layer;
    m_layerBars.SetLayer(layer);
}

const IBarSource* ChartOverlay::GetBars() const {
    if (m_pBarsOverride) return m_pBarsOverride;
    return m_pLayer ? &m_layerBars : nullptr;
}

int16_t ChartOverlay::GetDataType() const {
    if (m_pBarsOverride) return m_pBarsOverride->GetDataType();
    return m_pLayer ? m_pLayer->GetDataType() : kTypeDay;
}

int16_t ChartOverlay::GetPeriod() const { return m_pLayer ? m_pLayer->GetPeriod() : 1; }

int32_t ChartOverlay::GetDataEnd() const {
    const IBarSource* bars = GetBars();
    return bars ? bars->GetLast() : 0;
}

int ChartOverlay::CharWidth() const {
    const int w = GetCommonVar()->m_nChartCharWidth;
    return w > 0 ? w : 7;
}

void ChartOverlay::CreateActions() {
    m_aActions.clear();
    auto first = std::make_shared<ChartOverlayAction1>(this);
    // PgUp and PgDn page through the window's group on the plain chart.
    first->m_bSecurityStep = 1;
    m_aActions.push_back(first);
    m_aActions.push_back(std::make_shared<ChartOverlayAction2>(this));
    auto third = std::make_shared<ChartOverlayAction3>(this);
    third->m_bTimeBandCursor = 1;
    m_aActions.push_back(third);
}

void ChartOverlay::BindDataLayer() {
    if (m_pLayer) m_pLayer->RequestData();
}

// ---- mapping ----

double ChartOverlay::GetBarWidth() const {
    if (m_nVisibleCount <= 0) return 1.0;
    const double w = static_cast<double>(m_rcPlot.Width() - 2) / m_nVisibleCount;
    // A plot narrower than its frame still maps every bar somewhere, never by 0 or less.
    return w > 0 ? w : 1.0 / m_nVisibleCount;
}

int ChartOverlay::IndexToX(int32_t i) const {
    const double off = GetBarWidth() * (static_cast<double>(i) - m_nStart + 0.5);
    return m_rcPlot.left + 1 + static_cast<int>(std::clamp(off, -1e9, 1e9));
}

int32_t ChartOverlay::XToIndexUnclamped(int x) const {
    const double v = (x - m_rcPlot.left - 1) / GetBarWidth() + m_nStart;
    return static_cast<int32_t>(std::clamp(std::floor(v), -2e9, 2e9));
}

int32_t ChartOverlay::XToIndex(int x) const {
    const double v = (x - m_rcPlot.left - 1) / GetBarWidth() + m_nStart;
    int32_t i = static_cast<int32_t>(std::clamp(v, -2e9, 2e9));
    const IBarSource* bars = GetBars();
    if (!bars || bars->GetLast() <= bars->GetFirst()) return i;
    return std::clamp(i, bars->GetFirst(), bars->GetLast() - 1);
}

void ChartOverlay::SetVisibleRange(int32_t start, int32_t end) {
    if (end < start) std::swap(start, end);
    m_nStart = std::max(0, start);
    m_nEnd = std::max(m_nStart, end);
    if (m_nEnd > m_nStart) m_nVisibleCount = m_nEnd - m_nStart;
    ClampRange();
    RecalcPanes();
    Invalidate();
}

int ChartOverlay::TimeToX(int64_t key, int32_t& index) const {
    index = -1;
    const IBarSource* bars = GetBars();
    if (!bars) return 0;
    // Binary search over the loaded bars: keys ascend.
    int32_t lo = bars->GetFirst(), hi = bars->GetLast();
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (static_cast<int64_t>(bars->GetTime(mid)) < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo >= bars->GetLast()) return 0;
    index = lo;
    return IndexToX(lo);
}

int64_t ChartOverlay::GetTimeAtX(int x) const {
    const IBarSource* bars = GetBars();
    if (!bars || bars->GetLast() <= bars->GetFirst()) return 0;
    const int32_t i = std::clamp(XToIndexUnclamped(x), bars->GetFirst(), bars->GetLast() - 1);
    return static_cast<int64_t>(bars->GetTime(i));
}

void ChartOverlay::Invalidate() {
    if (m_pWindow && m_pWindow->m_hWnd) m_pWindow->Invalidate(FALSE);
}

// ---- range ----

void ChartOverlay::Layout() {
    const IBarSource* bars = GetBars();
    const int32_t count = bars ? bars->GetLast() : 0;
    const int32_t n = m_nVisibleCount;
    if (IsIntradayType(GetDataType())) {
        m_nStart = std::max(0, count - n);
        m_nEnd = count;
    } else {
        const int32_t first = bars ? bars->GetFirst() : 0;
        if (m_nCursor >= first && m_nCursor < count) m_nEnd = m_nCursor + n / 2;
        m_nEnd = std::min(m_nEnd, count);
        m_nStart = m_nEnd - n;
        if (m_nEnd == count) m_nStart += n / 20 > 1 ? n / 20 : 2;
        if (m_nStart < 0) {
            m_nStart = 0;
            m_nEnd = std::min(n, count);
        }
    }
    if (m_nCursor >= 0 && m_nEnd > m_nStart) m_nCursor = std::clamp(m_nCursor, m_nStart, m_nEnd - 1);
}

void ChartOverlay::ClampRange() {
    const int32_t count = GetDataEnd();
    m_nStart = std::max(0, std::min(m_nStart, count - 2));
    m_nEnd = std::min(m_nStart + m_nVisibleCount, count);
    if (m_nCursor >= 0 && m_nEnd > m_nStart) m_nCursor = std::clamp(m_nCursor, m_nStart, m_nEnd - 1);
}

void ChartOverlay::RelayoutKeepCursor() {
    const int32_t cursor = m_nCursor;
    m_nCursor = -1;
    Layout();
    m_nCursor = cursor;
    if (m_nCursor >= 0 && m_nEnd > m_nStart) m_nCursor = std::clamp(m_nCursor, m_nStart, m_nEnd - 1);
}

// ---- panes ----

std::shared_ptr<ChartPic> ChartOverlay::NewPane(bool mainPane) {
    auto pane = std::make_shared<ChartPic>(this);
    ChartPicProp& p = pane->Prop();
    p.m_bPricePane = mainPane ? 1 : 0;
    p.m_nHeightPer = mainPane ? 500 : 200;
    p.m_bShowTitle = 1;
    return pane;
}

ChartPic* ChartOverlay::FindPane(int index, const std::string& name) const {
    if (index >= 0 && index < GetPaneCount()) return m_aPanes[static_cast<size_t>(index)].get();
    if (m_aPanes.empty()) return nullptr;
    if (name.empty()) return m_aPanes.front().get();
    for (const auto& pane : m_aPanes)
        if (pane->Prop().m_strIndicatorName == name) return pane.get();
    return nullptr;
}

int ChartOverlay::FindPaneIndex(int index, const std::string& name) const {
    const ChartPic* pane = FindPane(index, name);
    for (size_t k = 0; k < m_aPanes.size(); ++k)
        if (m_aPanes[k].get() == pane) return static_cast<int>(k);
    return -1;
}

int ChartOverlay::FindPaneByName(const std::string& name) const {
    for (size_t k = 0; k < m_aPanes.size(); ++k)
        if (m_aPanes[k]->Prop().m_strIndicatorName == name) return static_cast<int>(k);
    return -1;
}

ChartPic* ChartOverlay::AddMainPane() {
    if (!m_aPanes.empty() && m_aPanes.front()->IsMainPane()) return m_aPanes.front().get();
    auto pane = NewPane(true);
    pane->Prop().ResetSecurity();
    m_aPanes.insert(m_aPanes.begin(), pane);
    for (size_t k = 0; k < m_aPanes.size(); ++k) m_aPanes[k]->m_nIndex = m_aPanes[k]->Prop().m_nIndex = static_cast<int>(k);
    m_nPaneCount = GetPaneCount();
    CalcRects();
    return pane.get();
}

ChartPic* ChartOverlay::AddPane() {
    auto pane = NewPane(false);
    pane->Prop().ResetSecurity();
    pane->m_nIndex = pane->Prop().m_nIndex = GetPaneCount();
    m_aPanes.push_back(pane);
    m_nPaneCount = GetPaneCount();
    if (m_nSelectedPane < 0 || m_nSelectedPane >= m_nPaneCount) m_nSelectedPane = m_nPaneCount - 1;
    CalcRects();
    return pane.get();
}

void ChartOverlay::RemovePane(int index) {
    if (index < 0 || index >= GetPaneCount()) return;
    m_aPanes.erase(m_aPanes.begin() + index);
    for (size_t k = 0; k < m_aPanes.size(); ++k) m_aPanes[k]->m_nIndex = m_aPanes[k]->Prop().m_nIndex = static_cast<int>(k);
    m_nPaneCount = GetPaneCount();
    ClampSelectedPane();
    CalcRects();
}

void ChartOverlay::ClampSelectedPane() {
    if (m_nSelectedPane < 0 || m_nSelectedPane >= m_nPaneCount) m_nSelectedPane = m_nPaneCount - 1;
}

void ChartOverlay::LayoutPanes() {
    if (m_rcPlot.Height() <= 9) return;
    int sum = 0;
    std::vector<ChartPic*> visible;
    for (const auto& pane : m_aPanes) {
        sum += std::max(0, pane->Prop().m_nHeightPer);
        if (pane->m_bVisible) visible.push_back(pane.get());
    }
    if (sum <= 0) sum = 1;
    int top = m_rcPlot.top;
    for (size_t k = 0; k < visible.size(); ++k) {
        ChartPicProp& p = visible[k]->Prop();
        int bottom;
        if (k + 1 == visible.size()) {
            bottom = m_rcPlot.bottom;
        } else {
            bottom = top + static_cast<int>(static_cast<int64_t>(p.m_nHeightPer) * m_rcPlot.Height() / sum);
        }
        p.m_rcPane = CRect(m_rcPlot.left, top, m_rcPlot.right, bottom);
        p.Layout();
        top = bottom;
    }
    m_aSplitBars.clear();
    for (size_t k = 1; k < visible.size(); ++k) {
        CSplitBar bar;
        bar.m_nOrientation = 1;
        bar.m_nSpare = 2;
        const CRect& upper = visible[k - 1]->Prop().m_rcPane;
        const CRect& lower = visible[k]->Prop().m_rcPane;
        bar.m_rcBounds = CRect(m_rcChart.left, upper.top, m_rcChart.right, lower.bottom);
        bar.m_nPos = lower.top;
        bar.m_x1 = m_rcChart.left;
        bar.m_x2 = m_rcChart.right;
        bar.m_y1 = bar.m_y2 = lower.top;
        bar.m_nSpare = static_cast<int>(k) - 1;  // the upper pane's place in the visible list
        m_aSplitBars.push_back(bar);
    }
    m_nDragSplit = -1;
}

void ChartOverlay::CalcAxisRects() {
    if (m_rcChart.IsRectEmpty()) return;
    const int16_t type = GetDataType();
    m_bAxeShowPer = m_bAxeShowRight && IsIntradayType(type) ? 1 : 0;
    m_rcPlot.left = m_rcChart.left;
    m_rcPlot.right = m_rcChart.right;
    m_rcLeftAxis = m_rcRightAxis = CRect();
    int c = 0;
    if (m_bAxeShowY) {
        if (m_nWidthAxeY <= 0) m_nWidthAxeY = 6 * CharWidth();
        c = m_nWidthAxeY;
    }
    const int top = m_rcPlot.top, bottom = m_rcPlot.bottom;
    if (m_bAxeRight) {
        m_rcRightAxis = CRect(m_rcChart.right - c, top, m_rcChart.right, bottom);
        m_rcPlot.right -= c;
    } else {
        c = std::max(c, m_nValueBarWidth - 10);
        if (!m_bAxeShowY) c = 0;
        m_rcLeftAxis = CRect(m_rcChart.left, top, m_rcChart.left + c, bottom);
        m_rcPlot.left += c;
        if (m_nWidthAxeRight <= 0) m_nWidthAxeRight = 6 * CharWidth();
    }
    if (m_bAxeShowPer) {
        const int w = m_nPendingWidth > 0 ? m_nPendingWidth : 5 * CharWidth() + 10;
        if (m_bAxeRight) {
            m_rcLeftAxis = CRect(m_rcChart.left, top, m_rcChart.left + w, bottom);
            m_rcPlot.left += w;
        } else {
            m_rcRightAxis = CRect(m_rcChart.right - w, top, m_rcChart.right, bottom);
            m_rcPlot.right -= w;
        }
    }
    if (m_rcPlot.right < m_rcPlot.left) m_rcPlot.right = m_rcPlot.left;
}

void ChartOverlay::CalcRects() {
    m_rcPlot = m_rcLeftAxis = m_rcRightAxis = m_rcTimeBand = m_rcChart;
    if (m_bAxeShowX) {
        if (m_nHeightAxeTime == 0) {
            const int h = GetCommonVar()->m_nTimeAxisHeight;
            m_nHeightAxeTime = (h > 0 ? h : 14) + 2;
        }
        m_rcTimeBand.top = std::max(m_rcChart.top, m_rcTimeBand.bottom - m_nHeightAxeTime);
    } else {
        m_rcTimeBand = CRect();
    }
    m_rcPlot.bottom = m_bAxeShowX ? m_rcTimeBand.top : m_rcChart.bottom;
    CalcAxisRects();
    m_rcPlot.bottom = m_bAxeShowX ? m_rcTimeBand.top : m_rcChart.bottom;
    m_rcLeftAxis.bottom = std::min(m_rcLeftAxis.bottom, m_rcPlot.bottom);
    m_rcRightAxis.bottom = std::min(m_rcRightAxis.bottom, m_rcPlot.bottom);
    LayoutPanes();
    FitAxisWidth();
    m_ptValueBarAnchor = CPoint(m_rcChart.left - 5, m_rcPlot.top + 10);
}

void ChartOverlay::RelayoutAxes() {
    CalcAxisRects();
    m_rcLeftAxis.bottom = std::min(m_rcLeftAxis.bottom, m_rcPlot.bottom);
    m_rcRightAxis.bottom = std::min(m_rcRightAxis.bottom, m_rcPlot.bottom);
    for (const auto& pane : m_aPanes) {
        ChartPicProp& p = pane->Prop();
        p.m_rcPane.left = m_rcPlot.left;
        p.m_rcPane.right = m_rcPlot.right;
        p.Layout();
    }
}

void ChartOverlay::FitAxisWidth() {
    int needed = 0;
    if (m_bAxeShowX) {
        const std::string name = GetPeriodName(GetPeriod(), GetDataType(), false, false);
        const int w = static_cast<int>(name.size()) / 3 * 2 * CharWidth() +
                      static_cast<int>(name.size()) % 3 * CharWidth();
        needed = m_rcTimeBand.Height() + w;
        if (needed < 0) needed = 0;
    }
    // Labels of the price pane need their own width too.
    for (const auto& pane : m_aPanes)
        if (pane->IsMainPane() && pane->Prop().m_axeMain.m_bScaleValid) {
            CDC measure;
            measure.CreateCompatibleDC(nullptr);
            needed = std::max(needed, pane->Prop().m_axeMain.GetLabelWidth(&measure));
        }
    if (needed > 0 && (needed != m_nWidthAxeY || (IsIntradayType(GetDataType()) && m_nPendingWidth))) {
        m_nWidthAxeY = needed;
        m_nPendingWidth = 0;
        RelayoutAxes();
    }
}

void ChartOverlay::RecalcPanes() {
    ClearPaneComputed();
    const IBarSource* bars = GetBars();
    const int32_t first = bars ? bars->GetFirst() : 0;
    const int32_t last = bars ? bars->GetLast() : 0;
    bool changed = false;
    for (const auto& pane : m_aPanes) {
        ChartPicProp& p = pane->Prop();
        const double mx = p.m_fMax, mn = p.m_fMin;
        // A new visible range: results already computed for these bars are kept.
        if (p.m_pIndicator)
            changed |= p.UpdateIndicator(first, last) != 0;
        else
            p.CalcRange();
        changed |= mx != p.m_fMax || mn != p.m_fMin;
    }
    if (changed) FitAxisWidth();
}

bool ChartOverlay::CalcIndicators(int32_t first, int32_t last) {
    bool changed = false;
    for (const auto& pane : m_aPanes) changed |= pane->Prop().CalcIndicator(first, last) != 0;
    if (changed) FitAxisWidth();
    return changed;
}

void ChartOverlay::ResizePaneResults() {
    for (const auto& pane : m_aPanes) pane->Prop().ResizeResults();
}

void ChartOverlay::ClearPaneComputed() {
    for (const auto& pane : m_aPanes) pane->Prop().m_bRangeComputed = 0;
}

void ChartOverlay::Reset() {
    m_nStart = m_nEnd = 0;
    for (const auto& pane : m_aPanes) {
        ChartPicProp& p = pane->Prop();
        p.ResetSecurity();
        if (!p.m_strIndicatorName.empty()) {
            p.BindIndicatorByName(p.m_strIndicatorName);
            p.SetIndicatorPeriod(GetDataType(), GetPeriod());
        }
        p.ResizeResults();
        p.CalcRange();
    }
    m_bCursorMode = 0;
    m_nCursor = -1;
    m_nCursorY = -1;
}

// ---- painting ----

void ChartOverlay::Draw(CDC* dc, bool fill) {
    const CommonColorTable& colors = GetCommonVar()->Colors();
    if (m_bAxeShowX && fill && !m_rcTimeBand.IsRectEmpty())
        dc->FillSolidRect(&m_rcTimeBand, colors[CommonColor::uniBackGround]);
    m_aGrid.clear();
    m_nNowX = m_nSessionX = -1;
    CPen border(PS_SOLID, 1, colors[CommonColor::uniWnd_Border]);
    CPen* oldPen = dc->SelectObject(&border);
    CFont* oldFont = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::Font::Chart));
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    const CRect band = m_rcTimeBand;
    if (m_bAxeShowX && !band.IsRectEmpty()) {
        dc->MoveTo(band.left, band.top);
        dc->LineTo(band.right, band.top);
    }
    if (m_bAxeShowX && m_bAxeShowY && !band.IsRectEmpty()) {
        const std::string name = GetPeriodName(GetPeriod(), GetDataType(), false, false);
        const int w = static_cast<int>(dc->GetTextExtent(name).cx) + 4;
        CRect corner = m_bAxeRight ? CRect(m_rcPlot.right, band.top + 1, m_rcPlot.right + w, band.bottom)
                                   : CRect(band.left, band.top + 1, band.left + w, band.bottom);
        if (m_bAxeRight) corner.OffsetRect(std::max(0, (m_rcRightAxis.Width() - w) / 2), 0);
        dc->SetTextColor(colors[CommonColor::uniTitle]);
        dc->DrawText(name, &corner, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (m_bAxeRight && m_bTickLines) {
            dc->MoveTo(m_rcPlot.right, band.top);
            dc->LineTo(m_rcPlot.right, band.bottom);
        }
    }
    dc->SelectObject(GetCommonVar()->GetFont(CommonVar::Font::ChartSmall));
    const IBarSource* bars = GetBars();
    if (bars && bars->GetLast() > bars->GetFirst()) {
        TimeAxisSource src;
        src.dataType = bars->GetDataType();
        src.period = GetPeriod();
        src.userMinutes = GetCommonVar()->m_nMinuteCount;
        src.start = m_nStart;
        src.end = m_nEnd;
        src.visibleCount = m_nVisibleCount;
        src.count = bars->GetLast();
        src.first = bars->GetFirst();
        src.indexToX = [this](int32_t i) { return IndexToX(i); };
        src.xToIndex = [this](int x) { return XToIndex(x); };
        src.timeAt = [bars](int32_t i) {
            return i >= bars->GetFirst() && i < bars->GetLast() ? static_cast<int64_t>(bars->GetTime(i)) : 0;
        };
        src.textWidth = [dc](const std::string& t) { return static_cast<int>(dc->GetTextExtent(t).cx); };
        src.charWidth = CharWidth();
        src.showX = m_bAxeShowX != 0 && !band.IsRectEmpty();
        src.drawLabels = m_bDrawLabels != 0;
        if (m_pLayer && m_pLayer->GetSecurity()) src.sessions = m_pLayer->GetSecurity()->GetSessions();
        m_lastAxis = ScanTimeAxis(src);
        m_aGrid = m_lastAxis.grid;
        if (src.showX) {
            const int labelRight = m_bAxeRight ? m_rcPlot.right : m_rcChart.right;
            const bool intraday = IsIntradayType(src.dataType);
            CPen grid(PS_SOLID, std::max(1, GetCommonVar()->m_nGridLineWidth), colors[CommonColor::uniPic_GridLine]);
            dc->SelectObject(&grid);
            if (!intraday || m_bTickLines)
                for (int x : m_lastAxis.ticks)
                    if (x < labelRight) {
                        dc->MoveTo(x, band.top);
                        dc->LineTo(x, band.bottom);
                    }
            dc->SelectObject(&border);
            dc->SetTextColor(colors[CommonColor::uniPic_Text]);
            for (const TimeLabel& label : m_lastAxis.labels) {
                if (label.erase) {
                    CRect erase(label.eraseX, band.top + 1, label.eraseX + label.eraseWidth, band.bottom);
                    dc->FillSolidRect(&erase, colors[CommonColor::uniBackGround]);
                }
                CRect rc(label.x + 1, band.top + 1, labelRight, band.bottom);
                if (rc.left >= labelRight) continue;
                dc->DrawText(label.text, &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
            }
        }
    }
    dc->SetBkMode(oldMode);
    if (oldFont) dc->SelectObject(oldFont);
    dc->SelectObject(oldPen);
}

void ChartOverlay::Paint(CDC* dc) {
    if (!dc) return;
    const CommonColorTable& colors = GetCommonVar()->Colors();
    CPen border(PS_SOLID, 1, colors[CommonColor::uniWnd_Border]);
    CPen* old = dc->SelectObject(&border);
    Draw(dc, true);
    bool first = true;
    for (const auto& pane : m_aPanes) {
        if (!pane->m_bVisible) continue;
        pane->Draw(dc);
        if (!first) {
            dc->SelectObject(&border);
            dc->MoveTo(m_rcChart.left, pane->Prop().m_rcPane.top);
            dc->LineTo(m_rcChart.right, pane->Prop().m_rcPane.top);
        }
        first = false;
    }
    dc->SelectObject(old);
}

void ChartOverlay::DrawPaneTitles(CDC* dc) {
    if (!dc) return;
    for (const auto& pane : m_aPanes)
        if (pane->m_bVisible) pane->DrawTitle(dc, m_nCursor, true);
}

void ChartOverlay::DrawCrosshairs(CDC* dc) {
    if (!dc || m_nCursor < 0) return;
    for (const auto& pane : m_aPanes)
        if (pane->m_bVisible) pane->DrawCrosshair(dc, m_nCursor, m_nCursorY);
}

bool ChartOverlay::MoveCursor(int32_t index, int y, CDC* dc) {
    if (index == m_nCursor && y == m_nCursorY) return false;
    std::unique_ptr<CClientDC> own;
    if (!dc && m_pWindow && m_pWindow->m_hWnd) {
        own = std::make_unique<CClientDC>(m_pWindow);
        dc = own.get();
    }
    if (dc) DrawCrosshairs(dc);  // XOR: erases the old one
    const bool changed = index != m_nCursor;
    m_nCursor = index;
    m_nCursorY = y;
    if (dc) DrawCrosshairs(dc);
    (void)changed;
    return true;
}

void ChartOverlay::ExitCursorMode(bool hideValueBar) {
    m_bCursorMode = 0;
    m_bValuePanel = 1;
    MoveCursor(-1, -1);
    if (m_pWindow && m_pWindow->m_hWnd) {
        CClientDC dc(m_pWindow);
        DrawPaneTitles(&dc);
    }
}

// ---- IChartView over panes ----

CRect ChartOverlay::GetPaneRect(int index, const std::string& name) const {
    const ChartPic* pane = FindPane(index, name);
    if (!pane) return m_rcPlot;
    CRect rc = pane->Prop().m_rcPlot;
    rc.top = pane->Prop().m_rcPane.top + pane->Prop().m_nTitleHeight + 1;
    return rc;
}

int ChartOverlay::ValueToY(int index, const std::string& name, double value) const {
    const ChartPic* pane = FindPane(index, name);
    return pane ? pane->Prop().m_axeMain.ValueToPixel(value, false) : 0;
}

double ChartOverlay::YToValue(int index, const std::string& name, int y) const {
    const ChartPic* pane = FindPane(index, name);
    return pane ? pane->Prop().m_axeMain.PixelToValue(y) : 0;
}

double ChartOverlay::GetValueOffset(int index) const {
    const ChartPic* pane = FindPane(index, std::string());
    return pane ? pane->Prop().m_fOffset : 0;
}

void ChartOverlay::SetValueOffset(int index, double offset) {
    if (index < 0 || index >= GetPaneCount()) return;
    ChartPicProp& p = m_aPanes[static_cast<size_t>(index)]->Prop();
    p.m_fOffset = std::isfinite(offset) ? offset : 0;
    p.UpdateAxes();
}

int ChartOverlay::HitTestPane(int index, CPoint pt) const {
    if (index < 0 || index >= GetPaneCount()) return kHitNone;
    return m_aPanes[static_cast<size_t>(index)]->Prop().HitTest(pt);
}

std::string ChartOverlay::GetPaneName(int index) const {
    if (index < 0 || index >= GetPaneCount()) return {};
    const ChartPic& pane = *m_aPanes[static_cast<size_t>(index)];
    return pane.IsMainPane() ? std::string() : pane.Prop().m_strIndicatorName;
}

// ---- settings ----

void ChartOverlay::SaveXml(tinyxml2::XMLElement* node) const {
    if (!node) return;
    node->SetAttribute("HeightAxeTime", m_nHeightAxeTime);
    node->SetAttribute("WidthAxeRight", m_nWidthAxeRight);
    node->SetAttribute("WidthAxeY", m_nWidthAxeY);
    node->SetAttribute("AxeShowY", static_cast<int>(m_bAxeShowY));
    node->SetAttribute("AxeShowRight", static_cast<int>(m_bAxeShowRight));
    node->SetAttribute("AxeShowPer", static_cast<int>(m_bAxeShowPer));
    node->SetAttribute("AxeShowX", static_cast<int>(m_bAxeShowX));
    node->SetAttribute("AxeRight", static_cast<int>(m_bAxeRight));
    node->SetAttribute("KLineType", m_nKLineType);
    node->SetAttribute("ShowMaxMin", m_bShowMaxMin);
    node->SetAttribute("DrawMA", m_bDrawMA);
    if (m_aPanes.empty()) return;
    node->SetAttribute("AxeType", static_cast<int>(m_aPanes.front()->Prop().m_nAxisType));
    for (const auto& pane : m_aPanes) pane->Prop().Save(node->InsertNewChildElement("Chart"));
}

void ChartOverlay::LoadXml(const tinyxml2::XMLElement* node) {
    if (!node) return;
    auto byte = [node](const char* name, uint8_t& v) {
        v = static_cast<uint8_t>(node->IntAttribute(name, v) != 0);
    };
    m_nHeightAxeTime = std::clamp(node->IntAttribute("HeightAxeTime", m_nHeightAxeTime), 0, 200);
    m_nWidthAxeRight = std::clamp(node->IntAttribute("WidthAxeRight", m_nWidthAxeRight), 0, 400);
    m_nWidthAxeY = std::clamp(node->IntAttribute("WidthAxeY", m_nWidthAxeY), 0, 400);
    byte("AxeShowY", m_bAxeShowY);
    byte("AxeShowRight", m_bAxeShowRight);
    byte("AxeShowPer", m_bAxeShowPer);
    byte("AxeShowX", m_bAxeShowX);
    byte("AxeRight", m_bAxeRight);
    m_nKLineType = std::clamp(node->IntAttribute("KLineType", m_nKLineType), 0, 6);
    m_bShowMaxMin = node->IntAttribute("ShowMaxMin", m_bShowMaxMin);
    m_bDrawMA = node->IntAttribute("DrawMA", m_bDrawMA);
    const int16_t axisType = static_cast<int16_t>(std::clamp(node->IntAttribute("AxeType", 0), 0, 4));
    const tinyxml2::XMLElement* child = node->FirstChildElement("Chart");
    if (!child) return;
    m_aPanes.clear();
    const int16_t type = GetDataType();
    for (; child; child = child->NextSiblingElement("Chart")) {
        const bool main = m_aPanes.empty();
        auto pane = NewPane(main);
        ChartPicProp& p = pane->Prop();
        p.m_bShowTitle = 0;
        if (main) {
            p.SetAxisType(axisType == kAxisChange ? kAxisNormal : axisType);
        } else if (m_aPanes.size() == 1 && IsIntradayType(type)) {
            p.m_bVolumePane = 1;
        }
        p.Load(child);
        p.ResetSecurity();
        if (p.m_pIndicator) p.SetIndicatorPeriod(type, GetPeriod());
        pane->m_nIndex = p.m_nIndex = static_cast<int>(m_aPanes.size());
        m_aPanes.push_back(pane);
    }
    m_nPaneCount = GetPaneCount();
    ClampSelectedPane();
}

}  // namespace chart
