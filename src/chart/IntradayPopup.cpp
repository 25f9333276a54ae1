#include "chart/IntradayPopup.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "chart/ChartFormats.h"
#include "chart/KlineChartWnd.h"
#include "marketdata/DataCenter.h"
#include "marketdata/Security.h"
#include "platform/App.h"
#include "ui/CommonVar.h"
#include "ui/draw/DrawHelpers.h"

namespace chart {

namespace {

constexpr uint32_t kMsgCursorMoved = 0x806B;

template <typename T>
T ReadAt(const uint8_t* p, size_t offset) {
    T v{};
    std::memcpy(&v, p + offset, sizeof v);
    return v;
}

int Against(double v, double reference) {
    if (std::fabs(v - reference) < 0.0001) return int(CommonColor::uniEqual);
    return int(v > reference ? CommonColor::uniRise : CommonColor::uniFall);
}

std::string Price(double v, const PriceDigits& digits) {
    if (!std::isfinite(v)) return "-";
    const int64_t scaled = std::llround(v * static_cast<double>(DivisorOf(digits)));
    return (scaled < 0 ? "-" : "") + FormatPriceText(scaled, digits);
}

std::string Quantity(double v) {
    if (!std::isfinite(v)) return "-";
    std::string number, unit;
    FormatBigNumber(static_cast<int64_t>(std::llround(v)), number, unit);
    return number + unit;
}

// 0 Sunday .. 6 Saturday, -1 off the calendar.
int WeekdayOf(int32_t date) {
    int y = date / 10000, m = date % 10000 / 100;
    const int d = date % 100;
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > 31) return -1;
    static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (m < 3) y -= 1;
    return (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
}

}  // namespace

CDlgCurPic::CDlgCurPic() : CDialog(kTemplateId, nullptr) {
    SetDialogSize(640, 420);
    // A popup beside the chart: shown without taking the keyboard from it.
    SetDialogStyle(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, WS_EX_NOACTIVATE);
}

CDlgCurPic::~CDlgCurPic() {
    if (m_hWnd) DestroyWindow();
}

std::string CDlgCurPic::TitleFor(int32_t date, const CSecurity* security) {
    char buf[160];
    const std::string name = security ? security->GetName() : std::string();
    if (date != 0) {
        if (security)
            std::snprintf(buf, sizeof buf, "历史走势-%s-%02d年%d月%d日", name.c_str(), date / 10000 % 100,
                          date % 10000 / 100, date % 100);
        else
            std::snprintf(buf, sizeof buf, "历史走势-%02d年%d月%d日", date / 10000 % 100, date % 10000 / 100, date % 100);
    } else if (security) {
        std::snprintf(buf, sizeof buf, "今日走势-%s", name.c_str());
    } else {
        std::snprintf(buf, sizeof buf, "今日走势");
    }
    return buf;
}

CRect CDlgCurPic::PanelRect() const {
    CRect rc;
    if (m_hWnd) GetClientRect(&rc);
    return CRect(rc.right - kPanelWidth, rc.top, rc.right, rc.bottom);
}

void CDlgCurPic::PlaceChildren() {
    CRect rc;
    GetClientRect(&rc);
    if (m_pChart && m_pChart->m_hWnd)
        m_pChart->SetWindowPos(nullptr, rc.left, rc.top, std::max(0, rc.Width() - kPanelWidth), rc.Height(),
                               SWP_NOZORDER | SWP_NOACTIVATE);
    const int mid = (2 * rc.right - kPanelWidth) / 2;
    if (m_prev.m_hWnd) m_prev.MoveWindow(rc.right - kPanelWidth, rc.top, mid - (rc.right - kPanelWidth), 22);
    if (m_next.m_hWnd) m_next.MoveWindow(mid, rc.top, rc.right - mid, 22);
}

BOOL CDlgCurPic::OnInitDialog() {
    CDialog::OnInitDialog();
    CenterWindow();
    m_pChart = std::make_unique<CBlockPicCur>();
    if (!m_pChart->Create(this)) m_pChart.reset();
    if (m_pChart) m_pChart->OnDataChanged();
    CRect rc;
    GetClientRect(&rc);
    const int mid = (2 * rc.right - kPanelWidth) / 2;
    m_prev.Create("前一日", WS_CHILD | WS_VISIBLE, CRect(rc.right - 116, rc.top + 3, mid - 3, rc.top + 19), this, kPrevId);
    m_next.Create("后一日", WS_CHILD | WS_VISIBLE, CRect(mid + 3, rc.top + 3, rc.right - 4, rc.top + 19), this, kNextId);
    CFont* font = GetCommonVar()->GetFont(CommonVar::kFontSong12);
    m_prev.SetFont(font);
    m_next.SetFont(font);
    PlaceChildren();
    return TRUE;
}

void CDlgCurPic::ShowDay(CKlineChartWnd* source, int32_t index, int32_t date, double reference,
                         const CIndSecuCode& code, const CFloatDayItem& bar) {
    m_pSource = source;
    m_nIndex = index;
    m_nDate = date;
    m_fReference = reference;
    m_code = code;
    m_bar = bar;
    m_pSecurity = GetDataCenter()->FindSecurity(code);
    if (!m_hWnd) {
        CWnd* parent = source ? source->GetTopLevelParent() : AfxGetMainWnd();
        if (!Create(kTemplateId, parent)) return;
    }
    if (m_pChart) {
        // The day first: setting another security already asks for its data.
        if (HistoryIntradayPicData* layer = m_pChart->GetDayLayer()) {
            layer->SetDay(uint32_t(date), reference);
            if (auto from = source ? source->GetDataLayer() : nullptr) layer->SetAdjustMode(from->GetAdjustMode());
        }
        if (m_pChart->SetSecurity(code, nullptr) == 0)
            if (auto layer = m_pChart->GetDataLayer()) layer->RequestData();
    }
    SetWindowText(TitleFor(date, m_pSecurity));
    ShowWindow(SW_SHOWNOACTIVATE);
    m_bQueryShown = false;
    CRect panel = PanelRect();
    InvalidateRect(&panel, FALSE);
}

void CDlgCurPic::SetQuery(double reference, const uint8_t* record, int16_t dataType, CSecurity* security) {
    if (!record) return;
    bool changed = !m_bQueryShown;
    if (dataType != m_nQueryType || security != m_pQuerySecurity || reference != m_fReference) changed = true;
    if (std::memcmp(record, m_query, sizeof m_query) != 0) changed = true;
    m_nQueryType = dataType;
    m_pQuerySecurity = security;
    m_fReference = reference;
    std::memcpy(m_query, record, sizeof m_query);
    m_bQueryShown = true;
    if (!changed || !m_hWnd) return;
    CRect panel = PanelRect();
    InvalidateRect(&panel, FALSE);
    if (m_pChart && m_pChart->m_hWnd) m_pChart->OnUserMessage(kMsgCursorMoved, 0, 0);
}

std::vector<CDlgCurPic::Row> CDlgCurPic::DayRows() const {
    std::vector<Row> rows;
    const PriceDigits digits = DigitsOf(m_pSecurity);
    const int plain = int(CommonColor::uniText);
    const int32_t date = static_cast<int32_t>(m_bar.m_nTime % 100000000);
    static const char* const kFormats[] = {"%02d/%02d/%02d 日", "%02d/%02d/%02d 一", "%02d/%02d/%02d 二",
                                           "%02d/%02d/%02d 三", "%02d/%02d/%02d 四", "%02d/%02d/%02d 五",
                                           "%02d/%02d/%02d 六"};
    char buf[64] = "-";
    if (const int w = WeekdayOf(date); w >= 0)
        std::snprintf(buf, sizeof buf, kFormats[w], date / 10000 % 100, date % 10000 / 100, date % 100);
    rows.push_back({"日期", buf, plain});
    const double ref = m_fReference;
    rows.push_back({"开盘", Price(m_bar.m_fOpen, digits), Against(m_bar.m_fOpen, ref)});
    rows.push_back({"最高", Price(m_bar.m_fHigh, digits), Against(m_bar.m_fHigh, ref)});
    rows.push_back({"最低", Price(m_bar.m_fLow, digits), Against(m_bar.m_fLow, ref)});
    rows.push_back({"收盘", Price(m_bar.m_fClose, digits), Against(m_bar.m_fClose, ref)});
    rows.push_back({"涨跌", Price(m_bar.m_fClose - ref, digits), Against(m_bar.m_fClose, ref)});
    if (ref != 0) {
        std::snprintf(buf, sizeof buf, "%.2f%%", (m_bar.m_fClose / ref - 1) * 100);
        rows.push_back({"涨跌幅", buf, Against(m_bar.m_fClose, ref)});
    } else {
        rows.push_back({"涨跌幅", "-", plain});
    }
    rows.push_back({"成交", Quantity(m_bar.m_fVolume), plain});
    rows.push_back({"金额", Quantity(m_bar.m_fAmount), plain});
    return rows;
}

std::vector<CDlgCurPic::Row> CDlgCurPic::QueryRows() const {
    std::vector<Row> rows;
    if (!m_bQueryShown) return rows;
    const PriceDigits digits = DigitsOf(m_pSecurity);
    const int plain = int(CommonColor::uniText);
    const int32_t time = ReadAt<int32_t>(m_query, 0);
    const double price = ReadAt<double>(m_query, 4), average = ReadAt<double>(m_query, 12);
    const double volume = ReadAt<double>(m_query, 20);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d:%02d", time % 10000 / 100, time % 100);
    rows.push_back({"时间", buf, plain});
    rows.push_back({"价格", Price(price, digits), Against(price, m_fReference)});
    rows.push_back({"均价", Price(average, digits), Against(average, m_fReference)});
    if (m_fReference != 0) {
        const double change = price / m_fReference - 1;
        std::snprintf(buf, sizeof buf, "%.2f%%", change * 100);
        rows.push_back({"涨跌幅", buf, Against(change, 0)});
    }
    std::snprintf(buf, sizeof buf, "%.0f", volume);
    rows.push_back({"成交", buf, plain});
    return rows;
}

void CDlgCurPic::PaintPanel(CDC* dc) {
    const CRect panel = PanelRect();
    CommonVar* var = GetCommonVar();
    const CommonColorTable& colors = var->Colors();
    dc->FillSolidRect(&panel, colors[CommonColor::uniBackGround]);
    CFont* old = dc->SelectObject(var->GetFont(CommonVar::kFontSong12));
    dc->SetBkMode(TRANSPARENT);
    auto drawRows = [&](const std::vector<Row>& rows, int top) {
        int y = top;
        for (const Row& r : rows) {
            CRect line(panel.left + 13, y, panel.right - 13, y + kRowPitch);
            dc->SetTextColor(colors[CommonColor::uniDate_Time]);
            dc->DrawText(r.label, &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
            dc->SetTextColor(colors[static_cast<size_t>(r.color)]);
            dc->DrawText(r.value, &line, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
            y += kRowPitch;
        }
    };
    drawRows(DayRows(), panel.top + 22);
    if (m_bQueryShown) {
        CRect box(panel.left, panel.bottom - kQueryHeight, panel.right, panel.bottom);
        dc->FillSolidRect(&box, colors[CommonColor::uniBackGround]);
        CBrush frame(colors[CommonColor::uniWnd_Border]);
        dc->FrameRect(&box, &frame);
        // Caption band: a vertical blend of the two small-title colours.
        const CRect band(box.left + 1, box.top + 1, box.right - 1, box.top + 21);
        FillGradient(colors[CommonColor::uniSmallTitle], band, dc, colors[CommonColor::uniBackGround], 0);
        CRect caption(box.left, box.top + 1, box.right, box.top + 21);
        dc->SetTextColor(colors[CommonColor::uniText]);
        dc->DrawText("查价框", &caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        drawRows(QueryRows(), box.top + 22);
    }
    CPen edge(PS_SOLID, 1, colors[CommonColor::uniWnd_Border]);
    CPen* oldPen = dc->SelectObject(&edge);
    dc->MoveTo(panel.left, panel.top);
    dc->LineTo(panel.left, panel.bottom);
    dc->SelectObject(oldPen);
    if (old) dc->SelectObject(old);
}

void CDlgCurPic::OnCancel() { DestroyWindow(); }

LRESULT CDlgCurPic::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        CPaintDC dc(this);
        const CRect panel = PanelRect();
        CDC mem;
        CBitmap bmp;
        if (mem.CreateCompatibleDC(&dc) && bmp.CreateCompatibleBitmap(&dc, panel.right, panel.bottom)) {
            mem.SelectObject(&bmp);
            PaintPanel(&mem);
            dc.BitBlt(panel.left, panel.top, panel.Width(), panel.Height(), &mem, panel.left, panel.top, SRCCOPY);
        } else {
            PaintPanel(&dc);
        }
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE: {
        const LRESULT r = CDialog::WindowProc(msg, wParam, lParam);
        PlaceChildren();
        return r;
    }
    case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        if (id == kPrevId || id == kNextId) {
            if (m_pSource)
                if (auto layer = m_pSource->GetDataLayer())
                    layer->ShowIntradayPopup(id == kPrevId ? m_nIndex - 1 : m_nIndex + 1);
            return 0;
        }
        break;
    }
    case WM_CLOSE:
        DestroyWindow();
        return 0;
    case WM_DESTROY:
        if (m_pChart && m_pChart->m_hWnd) m_pChart->DestroyWindow();
        m_pChart.reset();
        if (m_prev.m_hWnd) m_prev.DestroyWindow();
        if (m_next.m_hWnd) m_next.DestroyWindow();
        break;
    default:
        break;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

CDlgCurPic* GetIntradayPopup(bool create) {
    static auto* popup = new CDlgCurPic;
    if (!create && !popup->m_hWnd) return nullptr;
    return popup;
}

}  // namespace chart
