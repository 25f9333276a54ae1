#include "chart/PicTipOverlay.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "chart/ChartOverlay.h"
#include "chart/ChartPic.h"
#include "chart/KlineChartWnd.h"
#include "chart/TipPopups.h"
#include "chart/ValuePanel.h"
#include "platform/App.h"
#include "training/TrainingPicData.h"
#include "training/TrainingRecord.h"
#include "ui/CommonVar.h"

namespace chart {

namespace {

constexpr uint32_t kMsgCursorMoved = 0x806B;

bool IsLeap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// 0 Sunday .. 6 Saturday; -1 for a date that is not on the calendar.
int Weekday(int64_t y, int64_t m, int64_t d) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return -1;
    const int last = kDays[m - 1] + (m == 2 && IsLeap(y) ? 1 : 0);
    if (d > last) return -1;
    // Sakamoto's rule.
    static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (m < 3) y -= 1;
    return static_cast<int>((y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7);
}

}  // namespace

std::string FormatTipTime(int16_t dataType, int64_t t) {
    char buf[64] = "";
    switch (dataType) {
    case 2:
        std::snprintf(buf, sizeof buf, "%02" PRId64 ":%02" PRId64, t % 10000 / 100, t % 100);
        break;
    case 3:
        std::snprintf(buf, sizeof buf, "%02" PRId64 "/%02" PRId64 "/%02" PRId64 ":%02" PRId64, t / 1000000 % 100,
                      t / 10000 % 100, t % 10000 / 100, t % 100);
        break;
    case 4: {
        static const char* const kWeek[] = {"日", "一", "二", "三", "四", "五", "六"};
        const int w = Weekday(t / 10000, t % 10000 / 100, t % 100);
        if (w >= 0)
            std::snprintf(buf, sizeof buf, "%04" PRId64 "/%02" PRId64 "/%02" PRId64 ",%s", t / 10000,
                          t % 10000 / 100, t % 100, kWeek[w]);
        else
            std::snprintf(buf, sizeof buf, "%04" PRId64 "/%02" PRId64 "/%02" PRId64, t / 10000, t % 10000 / 100,
                          t % 100);
        break;
    }
    case 5:
        std::snprintf(buf, sizeof buf, "%02" PRId64 "/%02" PRId64 ":%02" PRId64, t / 10000 % 100, t % 10000 / 100,
                      t % 100);
        break;
    case 13:
        std::snprintf(buf, sizeof buf, "%02" PRId64 ":%02" PRId64 ":%02" PRId64, t / 10000, t % 10000 / 100,
                      t % 100);
        break;
    default:
        break;
    }
    return buf;
}

int TextColumns(const std::string& text) {
    int n = 0;
    for (unsigned char c : text) {
        if (c < 0x80) ++n;
        else if ((c & 0xC0) == 0xC0) n += 2;  // the lead byte of a multi-byte character
    }
    return n;
}

const uint8_t* LayerRecord(const PicDataLayer& layer, int32_t i) {
    const auto* base = static_cast<const uint8_t*>(layer.GetRecords());
    if (!base || i < 0 || i < layer.GetBegin() || i >= layer.GetEnd() || i >= layer.GetCapacity()) return nullptr;
    return base + size_t(i) * size_t(layer.RecordSize());
}

bool LayerBar(const PicDataLayer& layer, int32_t i, CFloatDayItem& bar) {
    const uint8_t* r = LayerRecord(layer, i);
    if (!r || layer.RecordSize() != PicDataLayer::kBarRecord) return false;
    std::memcpy(&bar, r, sizeof bar);
    return true;
}

// ---- ChartSnapshotLayer ----

void ChartSnapshotLayer::Update(CDC* dc, const CRect& rc) {
    if (!m_pOwner || !m_pOwner->m_hWnd) return;
    std::unique_ptr<CClientDC> own;
    if (!dc) {
        own = std::make_unique<CClientDC>(m_pOwner);
        dc = own.get();
    }
    Lift(dc);
    m_rcRequested = rc;
    if (rc.IsRectEmpty()) {
        if (m_bMemDC) m_memDC.DeleteDC();
        m_image.DeleteObject();
        m_bMemDC = false;
        m_imageSize = CSize(0, 0);
        return;
    }
    Place(dc);
}

void ChartSnapshotLayer::Lift(CDC* dc) {
    if (m_rcSaved.IsRectEmpty()) return;
    if (m_bMemDC && dc)
        dc->BitBlt(m_rcSaved.left, m_rcSaved.top, m_rcSaved.Width(), m_rcSaved.Height(), &m_memDC, 0, 0, SRCCOPY);
    m_rcSaved.SetRectEmpty();
}

void ChartSnapshotLayer::Place(CDC* dc) {
    if (m_rcRequested.IsRectEmpty() || !m_rcSaved.IsRectEmpty() || !dc) return;
    Save(dc, m_rcRequested);
    if (!m_rcSaved.IsRectEmpty()) DrawLabel(dc, m_rcRequested);
}

void ChartSnapshotLayer::Save(CDC* dc, const CRect& rc) {
    if (!m_bMemDC) m_bMemDC = m_memDC.CreateCompatibleDC(dc) != FALSE;
    if (!m_bMemDC) return;
    if (m_image.IsNull() || m_imageSize != rc.Size()) {
        m_memDC.SelectObject(static_cast<CBitmap*>(nullptr));
        m_image.DeleteObject();
        if (!m_image.CreateCompatibleBitmap(dc, rc.Width(), rc.Height())) return;
        m_imageSize = rc.Size();
        m_memDC.SelectObject(&m_image);
    }
    m_memDC.BitBlt(0, 0, rc.Width(), rc.Height(), dc, rc.left, rc.top, SRCCOPY);
    m_rcSaved = rc;
}

void ChartSnapshotLayer::DrawLabel(CDC* dc, const CRect& rc) {
    CommonVar* var = GetCommonVar();
    const CommonColorTable& colors = var->Colors();
    // Straight onto the window: a fill, a frame and one line of text inside the rectangle
    // show no intermediate state the eye could catch.
    dc->FillSolidRect(&rc, colors[CommonColor::uniHigh_BackGround]);
    CBrush border(colors[CommonColor::uniWnd_Border]);
    dc->FrameRect(&rc, &border);
    CFont* old = dc->SelectObject(var->GetFont(CommonVar::Font::Chart));
    const COLORREF oldText = dc->SetTextColor(colors[CommonColor::uniText]);
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    CRect text(rc);
    dc->DrawText(m_strText, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc->SetBkMode(oldMode);
    dc->SetTextColor(oldText);
    if (old) dc->SelectObject(old);
}

// ---- the action ----

namespace {

class PicTipAction1 : public POMsgAction {
public:
    using POMsgAction::POMsgAction;
    int OnMsg(int type, OverlayMsgArgs& args) override {
        auto* tip = dynamic_cast<PicTipOverlay*>(m_pOverlay);
        if (!tip) return 0;
        if (type == kMsgMouseMove) {
            const CPoint pt(args.x, args.y);
            bool plotHit = false;
            if (CKlineChartWnd* wnd = tip->GetOwner(); wnd && wnd->m_aOverlays.size() > 1)
                if (auto chart = wnd->GetChartOverlayPtr())
                    for (const auto& pane : chart->m_aPanes)
                        plotHit |= pane->m_bVisible && pane->Prop().HitTest(pt) == kHitPlot;
            tip->UpdateTip(plotHit, pt);
            tip->CollectTips(pt);
            return 0;
        }
        if (type == kMsgUserMessage && args.message == kMsgCursorMoved) {
            tip->OnCursorMoved();
            args.result = 1;
            return 1;
        }
        return 0;
    }
};

}  // namespace

// ---- PicTipOverlay ----

PicTipOverlay::PicTipOverlay(CKlineChartWnd* owner)
    : PicOverlay(owner, kOverlayTip), m_timeLayer(owner), m_valueLayer(owner) {}

void PicTipOverlay::CreateActions() {
    m_aActions.clear();
    m_aActions.push_back(std::make_shared<PicTipAction1>(this));
}

ChartOverlay* PicTipOverlay::Chart() const {
    if (!m_pOwner || m_pOwner->m_aOverlays.size() < 2) return nullptr;
    return dynamic_cast<ChartOverlay*>(m_pOwner->m_aOverlays[1].get());
}

void PicTipOverlay::HideLabels(CDC* dc) {
    if (m_nChanging > 0) {
        m_timeLayer.Request(CRect());
        m_valueLayer.Request(CRect());
        return;
    }
    m_timeLayer.Update(dc, CRect());
    m_valueLayer.Update(dc, CRect());
}

void PicTipOverlay::BeginPaint() {
    m_timeLayer.Forget();
    m_valueLayer.Forget();
    ++m_nChanging;
}

void PicTipOverlay::EndPaint(CDC* dc) {
    if (m_nChanging > 0 && --m_nChanging > 0) return;  // the change around the paint places them
    m_timeLayer.Place(dc);
    m_valueLayer.Place(dc);
}

void PicTipOverlay::BeginChartChange() {
    if (m_nChanging++ > 0 || !m_pOwner || !m_pOwner->m_hWnd) return;
    if (!m_timeLayer.IsShown() && !m_valueLayer.IsShown()) return;
    CClientDC dc(m_pOwner);
    m_timeLayer.Lift(&dc);
    m_valueLayer.Lift(&dc);
}

void PicTipOverlay::EndChartChange() {
    if (m_nChanging == 0 || --m_nChanging > 0 || !m_pOwner || !m_pOwner->m_hWnd) return;
    if (m_timeLayer.GetRequestedRect().IsRectEmpty() && m_valueLayer.GetRequestedRect().IsRectEmpty()) return;
    CClientDC dc(m_pOwner);
    m_timeLayer.Place(&dc);
    m_valueLayer.Place(&dc);
}

void PicTipOverlay::UpdateTip(bool show, CPoint pt, CDC* dc) {
    ChartOverlay* chart = Chart();
    if (!chart || !m_pOwner || !m_pOwner->m_hWnd) return;
    if (!show || !chart->m_rcChart.PtInRect(pt)) {
        HideLabels(dc);
        return;
    }
    std::unique_ptr<CClientDC> own;
    if (!dc && m_nChanging == 0) {
        own = std::make_unique<CClientDC>(m_pOwner);
        dc = own.get();
    }
    CommonVar* var = GetCommonVar();
    PicDataLayer* layer = chart->GetDataLayer();
    const int bandHeight = std::max(chart->m_rcTimeBand.Height(), var->m_nChartTextHeight + 2);
    // Time label.
    CRect timeRect;
    const int32_t bar = chart->XToIndex(pt.x);
    if (layer && LayerRecord(*layer, bar) && bar >= layer->GetBegin() && bar < layer->GetEnd() && IsTipEnabled()) {
        const std::string text = FormatTipTime(layer->GetDataType(), static_cast<int64_t>(layer->GetTime(bar)));
        if (!text.empty() && !chart->m_rcTimeBand.IsRectEmpty()) {
            const int w = (TextColumns(text) + 2) * std::max(1, var->m_nChartCharWidth);
            timeRect = CRect(pt.x - w / 2, chart->m_rcTimeBand.top, pt.x - w / 2 + w, chart->m_rcTimeBand.bottom);
            m_timeLayer.SetText(text);
        }
    }
    // Value label. Both labels come off first, so neither saves a piece of the other.
    std::string value;
    CRect remembered;
    for (const auto& pane : chart->m_aPanes)
        if (pane->m_bVisible && pane->Prop().HitTest(pt) == kHitPlot) {
            value = pane->Prop().FormatValueAt(pt.y);
            break;
        }
    CRect valueRect;
    if (!value.empty()) {
        if (chart->m_bCursorMode && layer && chart->m_nCursor >= chart->m_nStart && chart->m_nCursor < chart->m_nEnd &&
            LayerRecord(*layer, chart->m_nCursor)) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.2f", layer->GetClose(chart->m_nCursor));
            value = buf;
        }
        const int top = pt.y - bandHeight / 2;
        if (chart->m_bAxeRight)
            valueRect = CRect(chart->m_rcPlot.right, top, chart->m_rcChart.right, top + bandHeight);
        else
            valueRect = CRect(chart->m_rcChart.left, top, chart->m_rcPlot.left, top + bandHeight);
        // The floating value panel over the label pushes it to the chart's right edge.
        CRect onScreen(valueRect);
        m_pOwner->ClientToScreen(&onScreen);
        CRect panel;
        CDlgValueBar* bar = GetValueBar(false);
        if (bar && bar->m_hWnd && bar->IsWindowVisible()) {
            bar->GetWindowRect(&panel);
            CRect overlap;
            if (overlap.IntersectRect(onScreen, panel)) {
                const int w = valueRect.Width();
                valueRect = CRect(chart->m_rcChart.right - w, top, chart->m_rcChart.right, top + bandHeight);
                remembered = valueRect;
            }
        }
    }
    // The crosshair stops short of a label at the right edge. It is redrawn when that
    // changes, so that it is erased later as long as it was drawn.
    auto remember = [&](CDC* on) {
        // Only where the line stops matters to it: the label's left edge, or none.
        auto stop = [](const CRect& r) { return r.IsRectEmpty() ? INT32_MIN : r.left; };
        if (stop(remembered) == stop(chart->m_rcValuePanel)) {
            chart->m_rcValuePanel = remembered;
            return;
        }
        std::unique_ptr<CClientDC> window;
        if (!on) {
            window = std::make_unique<CClientDC>(m_pOwner);
            on = window.get();
        }
        chart->DrawCrosshairs(on);
        chart->m_rcValuePanel = remembered;
        chart->DrawCrosshairs(on);
    };
    m_valueLayer.SetText(value);
    if (m_nChanging > 0) {
        remember(dc);
        m_timeLayer.Request(timeRect);
        m_valueLayer.Request(valueRect);
        return;
    }
    // Both come off before either saves, so neither keeps a piece of the other.
    HideLabels(dc);
    remember(dc);
    if (!timeRect.IsRectEmpty()) m_timeLayer.Update(dc, timeRect);
    if (!valueRect.IsRectEmpty()) m_valueLayer.Update(dc, valueRect);
}

void PicTipOverlay::OnCursorMoved() {
    ChartOverlay* chart = Chart();
    if (!chart || !chart->m_bCursorMode || chart->m_nCursor < 0) return;
    const CPoint pt(chart->IndexToX(chart->m_nCursor), chart->m_nCursorY);
    UpdateTip(true, pt);
    CollectTips(pt);
}

void PicTipOverlay::CollectTips(CPoint pt) {
    CTipMulti* tip = GetTipMulti(AfxGetMainWnd() != nullptr);
    ChartOverlay* chart = Chart();
    if (!tip || !tip->m_hWnd || !chart) return;
    tip->m_pending.clear();
    int added = 0;
    for (const auto& pane : chart->m_aPanes)
        if (pane->m_bVisible && pane->Prop().HitTest(pt) > 0) {
            added = GetPaneTipText(*chart, pane->m_nIndex, tip->m_pending, pt);
            break;
        }
    tip->ShowTip(m_pOwner, added != 0, false);
}

// ---- what a pane says ----

int GetPaneTipText(const ChartOverlay& chart, int paneIndex, CTipArray& tips, CPoint pt) {
    if (paneIndex < 0 || paneIndex >= chart.GetPaneCount()) return 0;
    const ChartPicProp& p = chart.m_aPanes[static_cast<size_t>(paneIndex)]->Prop();
    const int32_t bar = chart.XToIndex(pt.x);
    // Flag texts near the point.
    bool any = false;
    for (const CFlagText& f : p.m_texts.hoverTips) {
        if (f.bar != bar) continue;
        for (const CPosText& t : f.items) {
            if (t.y < pt.y - 8 || t.y > pt.y + 8) continue;
            if (!any) tips.AddTipLine("提示文字");
            tips.AddTipLine(t.text);
            any = true;
        }
    }
    if (any) return 1;
    // Training trade marks.
    PicDataLayer* layer = chart.GetDataLayer();
    auto* training = dynamic_cast<TrainingPicData*>(layer);
    const CTrainingRecord* record = training ? training->GetRecord() : nullptr;
    if (!record || !p.m_bPricePane) return 0;
    const int16_t type = layer->GetDataType();
    if (type != PicDataLayer::kDay && type != PicDataLayer::kMinute) return 0;
    for (const TradeDetailItem& t : record->trades) {
        const int64_t key = type == PicDataLayer::kDay ? int64_t(t.TradeDate)
                                                        : int64_t(t.TradeDate) * 10000 + t.TradeTime;
        int32_t index = -1;
        const int x = layer->TimeToX(key, index);
        if (index < layer->GetBegin() || index >= layer->GetEnd()) continue;
        CRect box;
        if (t.bsdir == 1) {
            const int top = p.PriceToY(layer->GetLow(index), false) + 5;
            box = CRect(x - 5, top, x + 5, top + 20);
        } else {
            const int top = p.PriceToY(layer->GetHigh(index), false) - 25;
            box = CRect(x - 5, top, x + 5, top + 20);
        }
        if (!box.PtInRect(pt)) continue;
        char line[96];
        std::snprintf(line, sizeof line, "买卖记录-%d-%" PRId64 "-%d", int(type), key, t.bsdir == 1 ? 1 : 255);
        tips.AddTipLine(line);
        return 1;
    }
    return 0;
}

}  // namespace chart
