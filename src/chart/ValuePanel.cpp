#include "chart/ValuePanel.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "chart/ChartFormats.h"
#include "chart/ChartOverlay.h"
#include "chart/IntradayPopup.h"
#include "chart/KlineChartWnd.h"
#include "chart/PicTipOverlay.h"
#include "foundation/Config.h"
#include "marketdata/Security.h"
#include "platform/App.h"
#include "ui/CommonVar.h"
#include "ui/element/ElementWnd.h"

namespace chart {

namespace {

struct Position {
    bool read = false;
    CPoint pt{0, 0};
};
Position& SharedPosition() {
    static Position p;
    return p;
}

template <typename T>
T ReadAt(const uint8_t* p, size_t offset) {
    T v{};
    std::memcpy(&v, p + offset, sizeof v);
    return v;
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

std::string Ratio(double v, double reference) {
    if (reference == 0 || !std::isfinite(v)) return "-";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f%%", (v / reference - 1) * 100);
    return buf;
}

int Against(double v, double reference) {
    if (std::fabs(v - reference) < 0.0001) return int(CommonColor::uniEqual);
    return int(v > reference ? CommonColor::uniRise : CommonColor::uniFall);
}

int BySign(double v) {
    if (std::fabs(v) < 0.0001) return int(CommonColor::uniEqual);
    return int(v > 0 ? CommonColor::uniRise : CommonColor::uniFall);
}

bool ValidDate(int64_t y, int64_t m, int64_t d) { return y >= 1 && m >= 1 && m <= 12 && d >= 1 && d <= 31; }

}  // namespace

CDlgValueBar::CDlgValueBar() : CDlgTemplate(nullptr) { SetDialogSize(kWidth, PanelHeight(2)); }

CDlgTemplate* CDlgValueBar::Make(CWnd* parent) {
    auto* panel = new CDlgValueBar;
    if (!panel->CDlgTemplate::Create(CDlgTemplate::kTemplateId, parent)) {
        delete panel;
        return nullptr;
    }
    return panel;
}

namespace {
const DlgRegister kRegister(CDlgValueBar::kFactoryId, &CDlgValueBar::Make);
}

int CDlgValueBar::PanelHeight(int16_t dataType) {
    switch (dataType) {
    case 2: return 248;
    case 5: return 253;
    case 13: return 153;
    default: return 373;
    }
}

CPoint CDlgValueBar::ClampPosition(int left, int top, int screenWidth, int screenHeight) {
    if (top + 50 < 0 || top > screenHeight) top = 253;
    if (left < 0 || left + 50 > screenWidth) left = 1000;
    return CPoint(left, top);
}

CPoint CDlgValueBar::GetPosition() {
    Position& p = SharedPosition();
    if (!p.read) {
        p.read = true;
        p.pt = ClampPosition(GetConfigInt("system", "ValueBar", "Left", 0), GetConfigInt("system", "ValueBar", "Top", 0),
                             GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    }
    return p.pt;
}

void CDlgValueBar::SetPosition(CPoint pt) {
    SharedPosition().read = true;
    SharedPosition().pt = pt;
}

void CDlgValueBar::LoadSkin() {
    tinyxml2::XMLElement* e = LoadSkinNode("valuebar");
    if (!e) return;
    // The panel spells its close colour its own way.
    if (const char* v = e->Attribute("colorClose"); v && *v) {
        int r = 0, g = 0, b = 0;
        if (std::sscanf(v, "RGB(%d,%d,%d)", &r, &g, &b) == 3) m_clrClose = RGB(r, g, b);
    }
}

void CDlgValueBar::BuildControls() {
    CDlgTemplate::BuildControls();
    m_nWidth = kWidth;
    m_nHeight = PanelHeight(m_nDataType);
    const CPoint at = GetPosition();
    SetWindowPos(nullptr, at.x, at.y, kWidth, m_nHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    // It appears only through ShowPanel.
    ShowWindow(SW_HIDE);
}

void CDlgValueBar::ApplyPlacement(bool show) {
    if (!m_hWnd) return;
    const CPoint at = GetPosition();
    UINT flags = SWP_NOACTIVATE;
    if (show) flags |= SWP_SHOWWINDOW;
    SetWindowPos(nullptr, at.x, at.y, kWidth, PanelHeight(m_nDataType), flags | SWP_NOZORDER);
}

void CDlgValueBar::Changed(bool placement, bool tellOwner) {
    if (placement) ApplyPlacement(m_hWnd && IsWindowVisible());
    if (m_hWnd) Invalidate(FALSE);
    if (tellOwner && m_pOwnerChart && m_pOwnerChart->m_hWnd)
        m_pOwnerChart->OnUserMessage(kMsgPanelCursorMoved, 0, 0);
}

void CDlgValueBar::SetTickValues(double reference, const uint8_t* record, int16_t dataType, CSecurity* security) {
    if (!record) return;
    // Switching to ticks shrinks the panel as the other variants resize it.
    const bool placement = dataType != m_nDataType || security != m_pSecurity;
    const bool changed = placement || reference != m_fReference || std::memcmp(record, m_tick, sizeof m_tick) != 0;
    if (!changed) return;
    m_fReference = reference;
    std::memcpy(m_tick, record, sizeof m_tick);
    m_nDataType = dataType;
    m_pSecurity = security;
    Changed(placement, false);
}

void CDlgValueBar::SetMinuteValues(const uint8_t* record, double reference, int16_t dataType, CSecurity* security) {
    if (!record) return;
    const bool placement = dataType != m_nDataType || security != m_pSecurity;
    const bool changed = placement || reference != m_fReference || std::memcmp(record, m_minute, sizeof m_minute) != 0;
    if (!changed) return;
    m_fReference = reference;
    std::memcpy(m_minute, record, sizeof m_minute);
    m_nDataType = dataType;
    m_pSecurity = security;
    Changed(placement, false);
}

void CDlgValueBar::SetBarValues(const CFloatDayItem& in, double reference, int16_t dataType, CSecurity* security) {
    CFloatDayItem bar = in;
    auto tenth = [](double v) { return std::fabs(v - 0.1) < 1e-9; };
    if (tenth(bar.m_fOpen) && tenth(bar.m_fHigh) && tenth(bar.m_fLow) && tenth(bar.m_fClose)) {
        bar.m_fOpen = bar.m_fHigh = bar.m_fLow = bar.m_fClose = 0;
        reference = 0;
    }
    const bool placement = dataType != m_nDataType || security != m_pSecurity;
    const bool changed =
        placement || reference != m_fReference || std::memcmp(&bar, &m_bar, sizeof bar) != 0;
    if (!changed) return;
    m_fReference = reference;
    m_bar = bar;
    m_nDataType = dataType;
    m_pSecurity = security;
    Changed(placement, true);
}

void CDlgValueBar::ShowPanel() {
    ApplyPlacement(true);
    // The chart the panel follows shows a cursor while the panel is up.
    if (m_pOwnerChart && m_pOwnerChart->m_hWnd) m_pOwnerChart->OnUserMessage(kMsgPanelShown, 0, 0);
}

void CDlgValueBar::HidePanel(int reason) {
    if (m_pOwnerChart && m_pOwnerChart->m_hWnd)
        m_pOwnerChart->OnUserMessage(kMsgPanelHiding, static_cast<WPARAM>(reason), 0);
    if (m_hWnd) ShowWindow(SW_HIDE);
}

void CDlgValueBar::OnChartWndClosing(CWnd* window) {
    if (window && window == m_pOwnerChart && m_hWnd && IsWindowVisible()) ShowWindow(SW_HIDE);
    if (window == m_pOwnerChart) m_pOwnerChart = nullptr;
}

void CDlgValueBar::HidePopup() {
    if (m_hWnd && IsWindowVisible()) HidePanel(0);
    m_pOwnerChart = nullptr;
}

std::vector<CDlgValueBar::Line> CDlgValueBar::Lines() const {
    std::vector<Line> out;
    if (!m_pSecurity) return out;
    const PriceDigits digits = DigitsOf(m_pSecurity);
    const int text = int(CommonColor::uniText);
    auto label = [&](const char* s) { out.push_back(Line{s, false, text}); };
    auto value = [&](const std::string& s, int color) { out.push_back(Line{s, true, color}); };
    char buf[64];
    switch (m_nDataType) {
    case 13: {
        const uint32_t t = ReadAt<uint32_t>(m_tick, 0);
        const double price = ReadAt<double>(m_tick, 8);
        const double volume = ReadAt<double>(m_tick, 16);
        label("时间");
        std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", t / 10000 % 100, t % 10000 / 100, t % 100);
        value(buf, text);
        label("价格");
        value(Price(price, digits), Against(price, m_fReference));
        label("涨跌幅");
        value(Ratio(price, m_fReference), m_fReference != 0 ? BySign(price / m_fReference - 1) : text);
        label("成交");
        value(Quantity(volume), text);
        break;
    }
    case 2: {
        const uint32_t key = ReadAt<uint32_t>(m_minute, 0);
        const double price = ReadAt<double>(m_minute, 8), average = ReadAt<double>(m_minute, 16);
        const double volume = ReadAt<double>(m_minute, 24), amount = ReadAt<double>(m_minute, 32);
        const double interest = ReadAt<double>(m_minute, 40);
        std::snprintf(buf, sizeof buf, "%u月%u日", key / 1000000 % 100, key / 10000 % 100);
        label(buf);
        std::snprintf(buf, sizeof buf, "%02u:%02u", key % 10000 / 100, key % 100);
        out.back().text += "|";  // the time shares the date's line, right-aligned
        out.back().text += buf;
        label("价格");
        value(Price(price, digits), Against(price, m_fReference));
        label("均价");
        value(Price(average, digits), Against(average, m_fReference));
        label("涨跌幅");
        value(Ratio(price, m_fReference), m_fReference != 0 ? BySign(price / m_fReference - 1) : text);
        label("成交");
        value(Quantity(volume), text);
        label("金额");
        value(Quantity(amount), text);
        label("持仓量");
        std::snprintf(buf, sizeof buf, "%.0f", interest);
        value(buf, text);
        break;
    }
    case 3:
    case 4: {
        const int64_t key = m_bar.m_nTime;
        int64_t date = 0, hhmm = 0;
        if (m_nDataType == 4) {
            date = key;
        } else if (key >= 100000000000LL) {  // yyyymmddhhmm
            date = key / 10000;
            hhmm = key % 10000;
        } else {  // yymmddhhmm
            date = 20000000 + key / 10000;
            hhmm = key % 10000;
        }
        const int64_t y = date / 10000, m = date % 10000 / 100, d = date % 100;
        const bool valid = ValidDate(y, m, d);
        if (m_nDataType == 4) {
            if (valid) {
                std::snprintf(buf, sizeof buf, "%d年", int(y));
                label(buf);
                std::snprintf(buf, sizeof buf, "%02d/%02d", int(m), int(d));
                value(buf, text);
            } else {
                label("-");
                value("-/-", text);
            }
        } else {
            if (valid) {
                std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", int(y % 100), int(m), int(d));
                label(buf);
                std::snprintf(buf, sizeof buf, "%02d:%02d", int(hhmm / 100), int(hhmm % 100));
                value(buf, text);
            } else {
                label("-/-/-/");
                value("-:-", text);
            }
        }
        const double ref = m_fReference;
        const struct {
            const char* name;
            double v;
        } prices[] = {{"开盘", m_bar.m_fOpen}, {"最高", m_bar.m_fHigh}, {"最低", m_bar.m_fLow}, {"收盘", m_bar.m_fClose}};
        for (const auto& p : prices) {
            label(p.name);
            value(Price(p.v, digits), Against(p.v, ref));
        }
        label("涨跌");
        value(Price(m_bar.m_fClose - ref, digits), BySign(m_bar.m_fClose - ref));
        label("涨跌幅");
        value(Ratio(m_bar.m_fClose, ref), ref != 0 ? BySign(m_bar.m_fClose / ref - 1) : text);
        label("成交");
        value(Quantity(m_bar.m_fVolume), text);
        label("金额");
        value(Quantity(m_bar.m_fAmount), text);
        label("持仓量");
        std::snprintf(buf, sizeof buf, "%.0f", m_bar.m_fExtra[0]);
        value(buf, text);
        break;
    }
    default:
        break;
    }
    return out;
}

void CDlgValueBar::DrawTitle(CDC* dc) {
    CDlgTemplate::DrawTitle(dc);
    const std::vector<Line> lines = Lines();
    if (lines.empty()) return;
    CommonVar* var = GetCommonVar();
    CRect rc;
    GetClientRect(&rc);
    const int top = std::max(2, std::min(kTitleHeight, rc.Height() - static_cast<int>(lines.size()) * kRowPitch - 2));
    CFont* old = dc->SelectObject(var->GetFont(CommonVar::kFontSong12));
    dc->SetBkMode(TRANSPARENT);
    int y = top;
    for (const Line& line : lines) {
        CRect row(rc.left + 3, y, rc.right - 3, y + kRowPitch);
        dc->SetTextColor(var->Colors()[static_cast<size_t>(line.color)]);
        const size_t bar = line.text.find('|');
        if (bar != std::string::npos) {
            dc->DrawText(line.text.substr(0, bar), &row, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
            dc->DrawText(line.text.substr(bar + 1), &row, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
        } else {
            dc->DrawText(line.text, &row, (line.right ? DT_RIGHT : DT_LEFT) | DT_VCENTER | DT_SINGLELINE);
        }
        y += kRowPitch;
    }
    if (old) dc->SelectObject(old);
}

LRESULT CDlgValueBar::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETFOCUS: {
        const LRESULT r = CDlgTemplate::WindowProc(msg, wParam, lParam);
        // Typing stays with the chart the panel follows.
        if (m_pOwnerChart && m_pOwnerChart->m_hWnd) m_pOwnerChart->SetFocus();
        else if (CWnd* before = CWnd::FromHandle(reinterpret_cast<HWND>(wParam)); before && before->m_hWnd)
            before->SetFocus();
        return r;
    }
    default:
        break;
    }
    return CDlgTemplate::WindowProc(msg, wParam, lParam);
}

void FeedValuePanel(ChartOverlay& chart, int32_t index) {
    CKlineChartWnd* wnd = chart.GetOwner();
    PicDataLayer* layer = chart.GetDataLayer();
    if (!wnd || !wnd->m_hWnd || !layer) return;
    CDlgValueBar* current = GetValueBar(false);
    const bool following = current && current->GetOwnerChart() == wnd && current->IsWindowVisible();
    if (!chart.m_bCursorMode || !chart.m_bValuePanel) {
        if (following) current->HidePanel(0);
        return;
    }
    const int32_t bar = index >= 0 ? index : layer->GetEnd() - 1;
    if (bar < layer->GetBegin() || bar >= layer->GetEnd() || !LayerRecord(*layer, bar)) return;
    const int16_t type = layer->GetDataType();
    CSecurity* security = layer->GetSecurity();
    if (type == PicDataLayer::kHistoryIntraday) {
        // The intraday popup's own chart: its query box takes the minute.
        if (following) current->HidePanel(0);
        CDlgCurPic* popup = GetIntradayPopup(false);
        if (popup && popup->m_pChart.get() == wnd)
            popup->SetQuery(layer->GetReferencePrice1(), LayerRecord(*layer, bar), type, security);
        return;
    }
    CDlgValueBar* panel = following ? current : GetValueBar(true);
    if (!panel) return;
    if (!following) {
        CPoint anchor = chart.m_ptValueBarAnchor;
        wnd->ClientToScreen(&anchor);
        CDlgValueBar::SetPosition(anchor);
        panel->m_nDataType = type;
        panel->SetOwnerChart(wnd);
        panel->ShowPanel();
    }
    const std::string caption = security ? security->GetName() : std::string("查价");
    if (caption != panel->m_strTitle) {
        panel->m_strTitle = caption;
        panel->Invalidate(FALSE);
    }
    CommonVar* var = GetCommonVar();
    const int rows = type == PicDataLayer::kTicks || type == PicDataLayer::kHistoryIntraday ? 5
                     : type == PicDataLayer::kIntraday                                      ? 7
                                                                                            : 10;
    if (panel->m_nRequestedWidth < 8 * var->m_nChartTextWidth + 8 ||
        panel->m_nRequestedHeight != rows * 2 * var->m_nChartTextHeight + 8) {
        panel->m_nRequestedWidth = 8 * var->m_nChartTextWidth + 8;
        panel->m_nRequestedHeight = rows * 2 * var->m_nChartTextHeight + 8;
    }
    switch (type) {
    case PicDataLayer::kTicks:
        panel->SetTickValues(layer->GetReferencePrice1(), LayerRecord(*layer, bar), type, security);
        break;
    case PicDataLayer::kIntraday:
        panel->SetMinuteValues(LayerRecord(*layer, bar), layer->GetReferencePrice1(), type, security);
        break;
    default: {
        CFloatDayItem item;
        if (!LayerBar(*layer, bar, item)) return;
        const double reference = bar > layer->GetBegin() ? layer->GetClose(bar - 1) : layer->GetOpen(bar);
        panel->SetBarValues(item, reference, type, security);
        break;
    }
    }
}

void MoveValuePanelWithFrame(CPoint delta) {
    CDlgValueBar* panel = GetValueBar(false);
    if (!panel || !panel->IsWindowVisible() || (delta.x == 0 && delta.y == 0)) return;
    const CPoint at = CDlgValueBar::GetPosition();
    CDlgValueBar::SetPosition(CPoint(at.x + delta.x, at.y + delta.y));
    panel->SetWindowPos(nullptr, at.x + delta.x, at.y + delta.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CDlgValueBar* GetValueBar(bool create) {
    // Held for the life of the process; the window goes with its owner or the factory.
    static auto* held = new std::shared_ptr<CDlgTemplate>;
    auto* panel = dynamic_cast<CDlgValueBar*>(held->get());
    if (panel && panel->m_hWnd) return panel;
    if (!create) return nullptr;
    CWnd* main = AfxGetMainWnd();
    *held = GetDlgFactory()->CreateDlg(CDlgValueBar::kFactoryId, main && main->m_hWnd ? main : nullptr);
    return dynamic_cast<CDlgValueBar*>(held->get());
}

}  // namespace chart
