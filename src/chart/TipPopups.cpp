#include "chart/TipPopups.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "chart/KlineChartWnd.h"
#include "chart/PicTipOverlay.h"
#include "platform/App.h"
#include "training/TrainingPicData.h"
#include "training/TrainingRecord.h"
#include "ui/CommonVar.h"
#include "ui/draw/DrawHelpers.h"
#include "ui/element/ElementWnd.h"

namespace chart {

namespace {

CFont* TipFont() { return GetCommonVar()->GetFont(CommonVar::Font::Tip); }

// Gives the keyboard back to whoever had it: a tip is never where typing goes.
void HandFocusBack(WPARAM lost) {
    CWnd* before = CWnd::FromHandle(reinterpret_cast<HWND>(lost));
    if (before && before->m_hWnd) before->SetFocus();
}

}  // namespace

// ---------------------------------------------------------------- trade rows

const char* TradeOperationText(int8_t bsdir, int8_t opdir) {
    if (bsdir == 1) return opdir == 1 ? "多开" : "空开";
    return opdir == 1 ? "多平" : "空平";
}

std::vector<TradeDetailItem> TradeRowsOf(const CTrainingRecord& record, int16_t type, int64_t key, int direction) {
    std::vector<TradeDetailItem> rows;
    if (type != 4 && type != 3) return rows;
    const int64_t date = type == 4 ? key : key / 10000;
    const int64_t time = type == 4 ? 0 : key % 10000;
    const auto& trades = record.trades;
    size_t i = 0;
    while (i < trades.size() && (trades[i].TradeDate < date || (trades[i].TradeDate == date && trades[i].TradeTime < time)))
        ++i;
    for (; i < trades.size(); ++i) {
        const TradeDetailItem& t = trades[i];
        if (type == 4 ? t.TradeDate != date : int64_t(t.TradeDate) * 10000 + t.TradeTime != key) break;
        if (static_cast<uint8_t>(t.bsdir) == static_cast<uint8_t>(direction)) rows.push_back(t);
    }
    return rows;
}

// ---------------------------------------------------------------- CTipMulti

BOOL CTipMulti::Create(CWnd* parent) {
    if (!CreateEx(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, nullptr, "", WS_POPUP, CRect(0, 0, 100, 100), parent, 0))
        return FALSE;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CFont* old = dc.SelectObject(TipFont());
    const CSize five = dc.GetTextExtent("abcde");
    if (old) dc.SelectObject(old);
    m_nCharWidth = (five.cx + 4) / 5;
    m_nTextHeight = std::max<int>(1, five.cy);
    // The corners around the balloon are the colour key: see-through where the system has it.
    ApplyWindowTransparency(m_hWnd);
    return TRUE;
}

bool CTipMulti::IsTradeTable() const {
    return m_shown.size() == 1 && m_shown[0].text.find("买卖记录") != std::string::npos;
}

void CTipMulti::LoadTradeRows(const std::string& line) {
    // "买卖记录-<type>-<key>-<direction>"
    const size_t a = line.find('-');
    const size_t b = a == std::string::npos ? a : line.find('-', a + 1);
    const size_t c = b == std::string::npos ? b : line.find('-', b + 1);
    const size_t before = m_trades.size();
    m_trades.clear();
    if (c != std::string::npos) {
        const int type = std::atoi(line.c_str() + a + 1);
        const long long key = std::atoll(line.c_str() + b + 1);
        const int direction = std::atoi(line.c_str() + c + 1);
        auto* chart = dynamic_cast<CKlineChartWnd*>(m_pOwner);
        auto* layer = chart ? dynamic_cast<TrainingPicData*>(chart->GetDataLayer().get()) : nullptr;
        if (layer && layer->GetRecord())
            m_trades = TradeRowsOf(*layer->GetRecord(), static_cast<int16_t>(type), key, direction);
    }
    if (m_trades.size() != before) m_nFirstRow = 0;
}

void CTipMulti::StopTimer(UINT_PTR id) {
    if (m_hWnd) KillTimer(id);
    (id == kShowTimer ? m_bShowTimer : m_bHideTimer) = false;
}

void CTipMulti::StartTimer(UINT_PTR id, UINT ms) {
    if (m_hWnd) SetTimer(id, ms);
    (id == kShowTimer ? m_bShowTimer : m_bHideTimer) = true;
}

void CTipMulti::ShowTip(CWnd* owner, bool show, bool anchorRight) {
    m_nAnchorStyle = anchorRight ? 1 : 0;
    if (show) {
        m_pOwner = owner;
        if (m_pending.size() == 1 && m_pending[0].text.find("买卖记录") != std::string::npos)
            LoadTradeRows(m_pending[0].text);
        m_bHiding = false;
        StopTimer(kHideTimer);
        if (m_hWnd && IsWindowVisible())
            StartTimer(kShowTimer, 500);
        else if (!m_bShowTimer)
            StartTimer(kShowTimer, 300);
        return;
    }
    StopTimer(kShowTimer);
    if (m_hWnd && IsWindowVisible() && !m_bHiding) {
        m_bHiding = true;
        StartTimer(kHideTimer, 300);
    }
}

CSize CTipMulti::MeasureSize() {
    if (IsTradeTable()) {
        const int rows = static_cast<int>(m_trades.size());
        return CSize(kTableWidth, std::min(rows + 1, 4) * kRowHeight + 40);
    }
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CFont* old = dc.SelectObject(TipFont());
    int widest = 0;
    for (const CTipItem& line : m_shown) widest = std::max<int>(widest, dc.GetTextExtent(line.text).cx);
    const int pad = dc.GetTextExtent("    ").cx;
    if (old) dc.SelectObject(old);
    const int w = std::min(widest, 400) + pad + 26;
    const int h = (m_nTextHeight + 10) * static_cast<int>(m_shown.size()) + 15;
    return CSize(w, h);
}

void CTipMulti::PlaceAt(CPoint cursor, CSize screen) {
    m_shown = m_pending;
    m_ptCursor = cursor;
    const CSize size = MeasureSize();
    int x, y;
    if (cursor.x + size.cx + 20 < screen.cx - 4)
        x = m_nAnchorStyle == 1 ? cursor.x + 2 : cursor.x - 38;
    else
        x = cursor.x - size.cx - 2 + (m_nAnchorStyle == 1 ? 0 : 40);
    y = cursor.y + 20;
    if (y + size.cy >= screen.cy - 4 && size.cy < cursor.y) y = cursor.y - size.cy - 2;
    m_ptLast = CPoint(x, y);
    if (m_hWnd) {
        SetWindowPos(nullptr, x, y, size.cx, size.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
        Invalidate(FALSE);
    }
}

bool CTipMulti::HideUnlessHovered(CPoint cursor) {
    if (m_hWnd && IsWindowVisible()) {
        CRect rc;
        GetWindowRect(&rc);
        if (rc.PtInRect(cursor)) {
            StopTimer(kShowTimer);
            return false;
        }
    }
    if (m_hWnd) ShowWindow(SW_HIDE);
    m_pending.clear();
    m_shown.clear();
    m_pOwner = nullptr;
    StopTimer(kShowTimer);
    StopTimer(kHideTimer);
    m_bHiding = false;
    m_ptLast = CPoint(-1, -1);
    return true;
}

void CTipMulti::Paint(CDC* dc) {
    CRect rc;
    GetClientRect(&rc);
    CommonVar* var = GetCommonVar();
    const COLORREF yellow = RGB(255, 255, 153);
    dc->SetBkMode(TRANSPARENT);
    if (IsTradeTable()) {
        dc->FillSolidRect(&rc, yellow);
        CFont* old = dc->SelectObject(var->GetFont(CommonVar::Font::TipHeader));
        dc->SetTextColor(RGB(0, 0, 0));
        if (!m_trades.empty()) {
            const int d = m_trades.front().TradeDate;
            char date[32];
            std::snprintf(date, sizeof date, "%d.%d.%d", d / 10000, d % 10000 / 100, d % 100);
            CRect band(rc.left + 12, rc.top, rc.right, rc.top + kHeaderBand);
            dc->DrawText(date, &band, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        }
        // The table: a title row and at most three trade rows.
        static const struct {
            const char* title;
            int width;
        } kColumns[] = {{"时间", 70}, {"价格", 40}, {"操作", 50}, {"数量（股）", 70}};
        CPen grid(PS_SOLID, 1, RGB(189, 189, 116));
        CPen* oldPen = dc->SelectObject(&grid);
        const int rows = std::min<int>(static_cast<int>(m_trades.size()) - m_nFirstRow, 3);
        int top = rc.top + kHeaderBand;
        for (int r = -1; r < rows; ++r, top += kRowHeight) {
            int x = rc.left + 5;
            for (int col = 0; col < 4; ++col) {
                CRect cell(x, top, x + kColumns[col].width, top + kRowHeight);
                dc->Rectangle(cell.left, cell.top, cell.right + 1, cell.bottom + 1);
                dc->FillSolidRect(cell.left + 1, cell.top + 1, cell.Width() - 1, cell.Height() - 1, yellow);
                std::string text;
                COLORREF color = RGB(0, 0, 0);
                if (r < 0) {
                    text = kColumns[col].title;
                } else {
                    const TradeDetailItem& t = m_trades[static_cast<size_t>(m_nFirstRow + r)];
                    char buf[48];
                    switch (col) {
                    case 0: std::snprintf(buf, sizeof buf, "%02d:%02d", t.TradeTime / 100, t.TradeTime % 100); break;
                    case 1: std::snprintf(buf, sizeof buf, "%.02f", t.TradePrice); break;
                    case 2:
                        std::snprintf(buf, sizeof buf, "%s", TradeOperationText(t.bsdir, t.opdir));
                        color = t.bsdir == 1 ? RGB(255, 77, 77) : RGB(77, 255, 77);
                        break;
                    default: std::snprintf(buf, sizeof buf, "%d", t.vol); break;
                    }
                    text = buf;
                }
                dc->SetTextColor(color);
                dc->SelectObject(r < 0 ? var->GetFont(CommonVar::Font::TipHeader) : TipFont());
                dc->DrawText(text, &cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
                x += kColumns[col].width;
            }
        }
        dc->SelectObject(oldPen);
        if (old) dc->SelectObject(old);
        return;
    }
    dc->FillSolidRect(&rc, var->Colors()[CommonColor::uniTransParent]);
    const int x = std::clamp<int>(m_ptCursor.x - m_ptLast.x, rc.left + 6, rc.right - 6);
    const POINT balloon[] = {{x, rc.top},          {x - 5, rc.top + 5}, {rc.left, rc.top + 5}, {rc.left, rc.bottom},
                             {rc.right, rc.bottom}, {rc.right, rc.top + 5}, {x + 5, rc.top + 5}};
    CBrush fill(yellow);
    CPen edge(PS_SOLID, 1, RGB(189, 189, 116));
    CBrush* oldBrush = dc->SelectObject(&fill);
    CPen* oldPen = dc->SelectObject(&edge);
    dc->Polygon(balloon, 7);
    dc->SelectObject(oldBrush);
    dc->SelectObject(oldPen);
    CFont* old = dc->SelectObject(TipFont());
    dc->SetTextColor(RGB(0, 0, 0));
    for (size_t i = 0; i < m_shown.size(); ++i) {
        CRect line(rc.left + 13, rc.top + 5 + int(i) * (m_nTextHeight + 10) + 10, rc.left + 13 + 400,
                   rc.top + 5 + int(i + 1) * (m_nTextHeight + 10) + 10);
        dc->DrawText(m_shown[i].text, &line, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    if (old) dc->SelectObject(old);
}

LRESULT CTipMulti::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == kShowTimer) {
            StopTimer(kShowTimer);
            POINT pt{0, 0};
            GetCursorPos(&pt);
            PlaceAt(CPoint(pt), CSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
            return 0;
        }
        if (wParam == kHideTimer) {
            POINT pt{0, 0};
            GetCursorPos(&pt);
            HideUnlessHovered(CPoint(pt));
            return 0;
        }
        break;
    case WM_PAINT: {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        CDC mem;
        CBitmap bmp;
        if (mem.CreateCompatibleDC(&dc) && bmp.CreateCompatibleBitmap(&dc, rc.Width(), rc.Height())) {
            mem.SelectObject(&bmp);
            Paint(&mem);
            dc.BitBlt(0, 0, rc.Width(), rc.Height(), &mem, 0, 0, SRCCOPY);
        } else {
            Paint(&dc);
        }
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFOCUS:
        HandFocusBack(wParam);
        return 0;
    case WM_DESTROY:
        StopTimer(kShowTimer);
        StopTimer(kHideTimer);
        break;
    default:
        break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

void InstallElementTips() {
    ElementTipSink sink;
    sink.show = [](CElementWnd* owner, const std::vector<std::string>& lines, bool show) {
        CTipMulti* tip = GetTipMulti(show && AfxGetMainWnd() != nullptr);
        if (!tip || !tip->m_hWnd) return;
        tip->m_pending.clear();
        for (const std::string& line : lines) tip->m_pending.AddTipLine(line);
        tip->ShowTip(owner, show, false);
    };
    sink.leave = [](CElementWnd* owner) {
        CTipMulti* tip = GetTipMulti(false);
        if (tip && tip->m_pOwner == owner) tip->ShowTip(owner, false, false);
    };
    SetElementTipSink(std::move(sink));
}

CTipMulti* GetTipMulti(bool create) {
    // Never freed: the window goes with its owner, and the object must outlive the last
    // chart that asks for it.
    static CTipMulti* tip = new CTipMulti;
    if (!tip->m_hWnd) {
        if (!create) return nullptr;
        CWnd* main = AfxGetMainWnd();
        if (!tip->Create(main && main->m_hWnd ? main : nullptr)) return nullptr;
    }
    return tip;
}

}  // namespace chart
