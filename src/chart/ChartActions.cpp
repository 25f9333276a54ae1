#include "chart/ChartActions.h"

#include <algorithm>

#include "chart/ChartOverlay.h"
#include "chart/ChartPic.h"
#include "chart/DlgMostUsedPeriod.h"
#include "chart/KlineChartWnd.h"
#include "formula/YBIndClass.h"
#include "formula/wnd/DlgFormula.h"
#include "formula/wnd/DlgFormulaParam.h"
#include "formula/wnd/DlgMostUsedInd.h"
#include "foundation/Format.h"
#include "marketdata/DataCenter.h"
#include "platform/Input.h"
#include "ui/CommonResouce.h"
#include "ui/CommonVar.h"

namespace chart {

namespace {

constexpr int kVkReturn = 0x0D, kVkEsc = 0x1B, kVkSpace = 0x20, kVkPgUp = 0x21, kVkPgDn = 0x22, kVkEnd = 0x23,
              kVkHome = 0x24, kVkLeft = 0x25, kVkUp = 0x26, kVkRight = 0x27, kVkDown = 0x28;

CKlineChartWnd* Window(const ChartOverlay& c) { return c.GetOwner(); }

ChartDialogObserver& DialogObserver() {
    static ChartDialogObserver observer;
    return observer;
}

LRESULT RunModal(CDlgTemplate& dialog) {
    if (DialogObserver()) DialogObserver()(dialog);
    return dialog.DoModal();
}

// The selected pane, the first when none is selected; null without panes.
ChartPic* SelectedOrFirstPane(ChartOverlay& c) {
    if (c.m_aPanes.empty()) return nullptr;
    if (c.m_nSelectedPane >= 0 && c.m_nSelectedPane < c.GetPaneCount())
        return c.m_aPanes[static_cast<size_t>(c.m_nSelectedPane)].get();
    return c.m_aPanes.front().get();
}

// Binds the catalogue's current entry of the pane's indicator again and computes it over
// the loaded bars (after the formula or the parameters changed).
void Recompute(ChartOverlay& c, ChartPicProp& p) {
    p.BindIndicatorByName(p.m_strIndicatorName);
    p.SetIndicatorPeriod(c.GetDataType(), c.GetPeriod());
    p.ResizeResults();
    const IBarSource* bars = c.GetBars();
    if (bars && p.CalcIndicator(bars->GetFirst(), bars->GetLast())) c.FitAxisWidth();
}

int CloseY(ChartOverlay& c, int32_t bar) {
    const IBarSource* bars = c.GetBars();
    if (!bars || bar < bars->GetFirst() || bar >= bars->GetLast()) return c.m_nCursorY;
    return c.ValueToY(0, std::string(), bars->GetClose(bar));
}

void Repaint(ChartOverlay& c) {
    if (CKlineChartWnd* w = Window(c)) w->Repaint(false);
}

void RedrawTitles(ChartOverlay& c) {
    if (c.m_pWindow && c.m_pWindow->m_hWnd) {
        CClientDC dc(c.m_pWindow);
        c.DrawPaneTitles(&dc);
    }
}

}  // namespace

void SetChartDialogObserver(ChartDialogObserver observer) { DialogObserver() = std::move(observer); }

bool TypedCodeToPeriod(const std::string& text, int16_t dataType, int16_t period,
                       int16_t& t, int16_t& p) {
    struct Code {
        const char* text;
        int16_t type, period;
    };
    static const Code codes[] = {{"91", 4, 1},  {"92", 4, 2},  {"93", 4, 3},  {"94", 4, 4},
                                 {"95", 4, 6},  {"96", 3, 5},  {"97", 3, 15}, {"98", 3, 30},
                                 {"99", 3, 60}, {"90", 4, -1}, {"9.", 3, 1},  {"9/", 3, -1}};
    if (text == "05") {
        if (dataType == kTypeDay)
            t = kTypeIntraday, p = 0;
        else
            t = kTypeDay, p = 1;
        return true;
    }
    if (text == "08") {
        t = kTypeDay, p = 1;
        if (dataType == kTypeDay && period >= 1 && period <= 5) {
            p = static_cast<int16_t>(period + 1);
        } else if (dataType == kTypeDay && period == 6) {
            t = kTypeMinute, p = 1;
        } else if (dataType == kTypeMinute) {
            t = kTypeMinute;
            if (period <= 4)
                p = 5;
            else if (period <= 14)
                p = 15;
            else if (period <= 29)
                p = 30;
            else if (period <= 59)
                p = 60;
            else
                t = kTypeDay, p = 1;
        }
        return true;
    }
    for (const Code& c : codes)
        if (text == c.text) {
            t = c.type, p = c.period;
            return true;
        }
    return false;
}

int32_t ZoomedCount(int32_t visible, bool zoomIn, int steps, int32_t barCount) {
    const int32_t before = visible;
    if (zoomIn) {
        for (int k = 0; k < steps && visible >= 26; ++k) visible = static_cast<int32_t>(2LL * visible / 3);
        return visible;
    }
    const int32_t cap = static_cast<int32_t>(static_cast<int64_t>(barCount) * 11 / 10);
    for (int k = 0; k < steps; ++k) {
        visible = static_cast<int32_t>(3LL * visible / 2);
        if (visible > cap) {
            visible = cap;
            break;
        }
    }
    return std::max(visible, before);
}

// ---- action 1 ----

ChartOverlay* ChartOverlayAction1::Chart() const { return dynamic_cast<ChartOverlay*>(m_pOverlay); }

void ChartOverlayAction1::EnterCursorAt(ChartOverlay& c, int32_t bar) {
    c.m_bCursorMode = 1;
    c.MoveCursor(bar, CloseY(c, bar));
    RedrawTitles(c);
}

int ChartOverlayAction1::OnMsg(int type, OverlayMsgArgs& args) {
    ChartOverlay* chart = Chart();
    if (!chart) return 0;
    ChartOverlay& c = *chart;
    CKlineChartWnd* wnd = Window(c);
    switch (type) {
    case kMsgLButtonDown:
        for (size_t k = 0; k < c.m_aSplitBars.size(); ++k)
            if (c.m_aSplitBars[k].HitTest(args.x, args.y)) {
                c.m_nDragSplit = static_cast<int>(k);
                if (wnd && wnd->m_hWnd) c.m_aSplitBars[k].BeginDrag(wnd, args.x, args.y);
                if (wnd) wnd->m_nSplitDragState = 0;
                return 1;
            }
        return 0;
    case kMsgLButtonUp: {
        if (c.m_nDragSplit < 0 || c.m_nDragSplit >= static_cast<int>(c.m_aSplitBars.size())) return 0;
        CSplitBar& bar = c.m_aSplitBars[static_cast<size_t>(c.m_nDragSplit)];
        if (bar.IsDragging() && wnd) bar.EndDrag(wnd);
        if (wnd) wnd->m_nSplitDragState = 1;
        const int upper = bar.m_nSpare;
        if (upper >= 0 && upper + 1 < c.GetPaneCount()) {
            ChartPicProp& a = c.m_aPanes[static_cast<size_t>(upper)]->Prop();
            ChartPicProp& b = c.m_aPanes[static_cast<size_t>(upper) + 1]->Prop();
            const int y = std::clamp(args.y, a.m_rcPane.top + 11, b.m_rcPane.bottom - 11);
            if (a.m_rcPane.top + 11 <= b.m_rcPane.bottom - 11) {
                a.m_rcPane.bottom = y;
                b.m_rcPane.top = y;
                a.Layout();
                b.Layout();
                bar.m_nPos = y;
            }
        }
        c.m_nDragSplit = -1;
        Repaint(c);
        return 1;
    }
    case kMsgMouseHover:
        if (c.m_nHoverFlags & 1) RedrawTitles(c);
        if (c.GetDataType() == kTypeMinute || c.GetDataType() == kTypeDay) c.m_nHoverFlags = 0;
        return 1;
    case kMsgMouseLeave:
        for (const auto& pane : c.m_aPanes) pane->Prop().m_nHover = 0;
        return 1;
    case kMsgLButtonDblClk: {
        if (c.m_nCursor >= 0) return 1;
        for (const auto& pane : c.m_aPanes) {
            if (!pane->m_bVisible) continue;
            const int hit = pane->Prop().HitTest(CPoint(args.x, args.y));
            if (hit <= 0) continue;
            c.m_nSelectedPane = pane->m_nIndex;
            if (hit != kHitPlot) continue;
            const int32_t bar = c.XToIndex(args.x);
            if (bar >= c.m_nStart && bar < c.m_nEnd) {
                const bool was = c.m_bCursorMode != 0;
                if (c.MoveCursor(bar, args.y) && !was) c.m_bCursorMode = 1;
            }
            RedrawTitles(c);
            return 1;
        }
        return 0;
    }
    case kMsgKeyDown: return OnKey(c, args);
    case kMsgTypedText: return OnText(c, args);
    case kMsgCommand: return OnCommand(c, args);
    case kMsgUserMessage: return OnUser(c, args);
    default: return 0;
    }
}

int ChartOverlayAction1::OnKey(ChartOverlay& c, OverlayMsgArgs& args) {
    const int key = args.key;
    const int count = std::max(1, args.count);
    const IBarSource* bars = c.GetBars();
    const int32_t n = bars ? bars->GetLast() : 0;
    auto claim = [&] {
        args.result = 1;
        return 1;
    };
    if ((key == kVkUp || key == kVkDown) && c.GetOwner()) {
        auto tools = c.GetOwner()->GetDrawToolOverlay();
        if (tools && tools->GetMode() > 4) return claim();
    }
    if ((args.modifiers & kModCtrl) && m_bPanKeys &&
        (key == kVkPgUp || key == kVkPgDn || key == kVkEnd || key == kVkHome || key == kVkLeft ||
         key == kVkRight)) {
        if (n > 0) {
            const int32_t v = c.m_nVisibleCount, e = c.m_nEnd;
            int32_t end = e, start = c.m_nStart;
            switch (key) {
            case kVkPgUp: end = e - v * count; start = std::max(0, end - v); break;
            case kVkPgDn: end = e + v * count; break;
            case kVkHome: start = 0; end = v; break;
            case kVkLeft: end = e - count; start = std::max(0, end - v); break;
            case kVkRight: end = e + count; break;
            case kVkEnd: end = n; break;
            default: break;
            }
            const int32_t cursor = c.m_nCursor;
            c.m_nCursor = -1;
            c.m_nStart = start;
            c.m_nEnd = std::clamp(end, std::min(v, n), n);
            c.Layout();
            c.m_nCursor = cursor;
            if (c.m_nCursor >= 0 && c.m_nEnd > c.m_nStart)
                c.m_nCursor = std::clamp(c.m_nCursor, c.m_nStart, c.m_nEnd - 1);
            c.RecalcPanes();
            Repaint(c);
        }
        return claim();
    }
    if (key == kVkSpace) {
        if (count % 2 == 1) {
            c.m_bDrawMA = !c.m_bDrawMA;
            if (!c.m_aPanes.empty()) c.m_aPanes.front()->Prop().CalcRange();
            Repaint(c);
        }
        return claim();
    }
    if ((key == kVkPgUp || key == kVkPgDn) && m_bSecurityStep && c.GetOwner() &&
        !c.GetOwner()->m_group.m_members.empty()) {
        CKlineChartWnd* wnd = c.GetOwner();
        const CIndSecuCode now = wnd->GetDataLayer() ? wnd->GetDataLayer()->GetCode() : wnd->m_code;
        CIndSecuCode code = now;
        for (int k = 0; k < count; ++k) {
            const CIndSecuCode next = key == kVkPgUp ? wnd->m_group.GetPrevCode(code)
                                                     : wnd->m_group.GetNextCode(code);
            if (next.m_strCode.empty()) break;  // not a member: stay
            code = next;
        }
        if (code.m_nMarket != now.m_nMarket || CompareSecuCode(code, now) != 0) {
            wnd->SetSecurity(code, nullptr);
            Repaint(c);
        }
        return claim();
    }
    if (key == kVkUp || key == kVkDown) {
        PicDataLayer* layer = c.GetDataLayer();
        if (layer && layer->GetOwner() && layer->GetEnd() > layer->GetBegin() &&
            c.GetBars() && c.GetBars()->GetLast() == layer->GetEnd()) {
            layer->OnDataChanged(key == kVkUp, count);
        } else {
            const int32_t before = c.m_nVisibleCount;
            const int32_t v = ZoomedCount(before, key == kVkUp, count, n);
            if (v != before) {
                c.m_nVisibleCount = v;
                c.RelayoutKeepCursor();
                c.RecalcPanes();
                Repaint(c);
            }
        }
        return claim();
    }
    if (c.m_bCursorMode) {
        if (key == kVkEsc) {
            c.ExitCursorMode(true);
            return claim();
        }
        // Return on a day bar opens that day's intraday chart; the layer knows which
        // charts have one (day bars of period 1).
        if (key == kVkReturn) {
            PicDataLayer* layer = c.GetDataLayer();
            if (layer && c.m_nCursor >= 0 && layer->ShowIntradayPopup(c.m_nCursor)) return claim();
            return 0;
        }
        if (key != kVkLeft && key != kVkRight && key != kVkHome && key != kVkEnd) return 0;
        int32_t cursor = c.m_nCursor;
        bool scrolled = false;
        const int32_t oldEnd = c.m_nEnd;
        for (int k = 0; k < (key == kVkLeft || key == kVkRight ? count : 1); ++k) {
            if (key == kVkLeft) {
                if (cursor >= 0 && c.m_nStart >= cursor) {
                    if (c.GetDataBegin() >= c.m_nStart) break;
                    --c.m_nStart, --c.m_nEnd;
                    scrolled = true;
                }
                cursor = cursor < 0 ? c.m_nEnd - 1 : std::max(cursor - 1, 0);
            } else if (key == kVkRight) {
                if (cursor < 0 || cursor >= c.m_nEnd - 1) {
                    if (c.m_nEnd >= c.GetDataEnd()) {
                        cursor = c.m_nEnd - 1;
                        break;
                    }
                    ++c.m_nEnd, ++c.m_nStart;
                    scrolled = true;
                }
                cursor = cursor < 0 ? c.m_nEnd - 1 : cursor + 1;
            } else if (key == kVkHome) {
                cursor = c.m_nStart;
            } else {
                cursor = c.m_nEnd - 1;
            }
        }
        if (!scrolled) {
            c.MoveCursor(cursor, CloseY(c, cursor));
            RedrawTitles(c);
        } else {
            c.m_nCursor = cursor;
            c.RelayoutKeepCursor();
            if (c.m_nEnd != oldEnd) c.RecalcPanes();
            c.m_nCursor = std::clamp(cursor, c.m_nStart, std::max(c.m_nStart, c.m_nEnd - 1));
            c.m_nCursorY = CloseY(c, c.m_nCursor);
            Repaint(c);
        }
        return claim();
    }
    if (key == kVkLeft) {
        int32_t bar = c.m_nEnd - 1;
        if (bars && bars->GetLast() > bars->GetFirst())
            bar = std::clamp(bar, bars->GetFirst(), bars->GetLast() - 1);
        EnterCursorAt(c, bar);
        return claim();
    }
    return 0;
}

int ChartOverlayAction1::OnText(ChartOverlay& c, OverlayMsgArgs& args) {
    CKlineChartWnd* wnd = c.GetOwner();
    if (!c.GetDataLayer() && !c.GetBars()) return 0;
    const std::string text = args.Text();
    if (args.value == 2) {
        if (c.m_aPanes.empty()) return 0;
        if (text.size() == 1) {
            static const char letters[] = "KBPCTV";
            const char* at = std::char_traits<char>::find(letters, 6, text[0]);
            if (!at || !wnd) return 0;
            args.result = wnd->OnLayoutCommand(static_cast<UINT>(kCmdKLineFirst + (at - letters)), 0);
            return 1;
        }
        if (c.m_nSelectedPane < 0 || c.m_nSelectedPane >= c.GetPaneCount()) return 0;
        ChartPicProp& p = c.m_aPanes[static_cast<size_t>(c.m_nSelectedPane)]->Prop();
        p.BindIndicatorByName(text);
        p.SetIndicatorPeriod(c.GetDataType(), c.GetPeriod());
        p.ResizeResults();
        const IBarSource* bars = c.GetBars();
        if (bars && p.CalcIndicator(bars->GetFirst(), bars->GetLast())) c.FitAxisWidth();
        Repaint(c);
        args.result = 1;
        return 1;
    }
    if (args.value == 1) {
        int16_t t = 0, period = 0;
        if (!TypedCodeToPeriod(text, c.GetDataType(), c.GetPeriod(), t, period)) return 0;
        if (wnd) wnd->SetPeriod(t, period);
        args.result = 1;
        return 1;
    }
    return 0;
}

int ChartOverlayAction1::OnCommand(ChartOverlay& c, OverlayMsgArgs& args) {
    const int id = args.commandId;
    CKlineChartWnd* wnd = c.GetOwner();
    auto result = [&](int64_t r) {
        args.result = r;
        return 1;
    };
    if (id >= kCmdKLineFirst && id <= kCmdKLineFirst + 5) {
        const int style = id - 39940;
        if (style == c.m_nKLineType) return result(0);
        c.m_nKLineType = style;
        if (!c.m_aPanes.empty()) c.m_aPanes.front()->Prop().CalcRange();
        Repaint(c);
        return result(1);
    }
    if (id == kCmdMostUsedInd) {
        CDlgMostUsedInd dlg(wnd);
        RunModal(dlg);
        return result(1);
    }
    if (id == kCmdFormula) {
        // The editor opens with the selected pane's own indicator (MA for a pane without
        // one); after OK the panes showing it compute again from the kept formula.
        CYBIndClass* catalogue = GetYBIndClass();
        ChartPic* pane = SelectedOrFirstPane(c);
        int at = pane ? catalogue->Find(pane->Prop().m_strIndicatorName) : -1;
        if (at < 0) at = catalogue->Find(std::string("MA"));
        CDlgFormula dlg(wnd);
        if (at >= 0) dlg.m_indicator = catalogue->GetAt(at);
        ChartOverlay* chart = &c;
        dlg.m_onSaved = [chart, wnd](const CKlineLight& saved) {
            for (const auto& p : chart->m_aPanes)
                if (p->Prop().m_strIndicatorName == saved.m_strName) Recompute(*chart, p->Prop());
            if (wnd) wnd->Repaint(false);
        };
        RunModal(dlg);
        return result(1);
    }
    if (id == kCmdIndicatorParams) {
        ChartPic* pane = SelectedOrFirstPane(c);
        if (!pane || !pane->Prop().m_pIndicator) return result(1);
        ChartPicProp& p = pane->Prop();
        CDlgFormulaParam dlg(wnd);
        dlg.m_params = p.m_pIndicator->m_aParams;
        if (RunModal(dlg) == IDOK) {
            CYBIndClass* catalogue = GetYBIndClass();
            const int at = catalogue->Find(p.m_strIndicatorName);
            if (at >= 0) {
                CKlineLight entry = catalogue->GetAt(at);
                entry.m_aParams = dlg.m_params;
                catalogue->Update(entry);
            }
            // The pane keeps its indicator and line settings; only the rows change.
            p.m_pIndicator->m_aParams = dlg.m_params;
            p.InvalidateResults();
            const IBarSource* bars = c.GetBars();
            if (bars && p.CalcIndicator(bars->GetFirst(), bars->GetLast())) c.FitAxisWidth();
            if (wnd) wnd->Repaint(true);
        }
        return result(1);
    }
    if (id == 39981 || id == 39982 || id == 39996 || id == 39997 || id == kCmdSettings) return result(1);
    if (id >= 39983 && id <= 39995) {
        int16_t t = 0, p = 0;
        CommandIdToPeriod(id, t, p);
        if (id == 39994) t = kTypeMinute, p = GetCommonVar()->m_nMinuteCount;
        if (id == 39995) t = kTypeDay, p = -1;
        if (wnd) wnd->SetPeriod(t, p);
        return result(1);
    }
    if (id == kCmdMostUsedPeriod) {
        CDlgMostUsedPeriod dlg(wnd);
        if (RunModal(dlg) == IDOK) {
            std::vector<uint32_t>& list = GetDataCenter()->GetFreqPeriods();
            list.clear();
            static const uint32_t keys[11] = {(1u << 16) | 4, (2u << 16) | 4,  (3u << 16) | 4,
                                              (4u << 16) | 4, (5u << 16) | 4,  (6u << 16) | 4,
                                              (1u << 16) | 3, (5u << 16) | 3,  (15u << 16) | 3,
                                              (30u << 16) | 3, (60u << 16) | 3};
            for (int b = 0; b < 11; ++b)
                if (dlg.m_nSelection & (1u << b)) list.push_back(keys[b]);
            if (wnd) {
                wnd->RecreateElementBar();
                wnd->RecalcLayout();
                wnd->Repaint(true);
            }
        }
        return result(1);
    }
    if (id >= kCmdIndicatorFirst && id <= kCmdIndicatorFirst + 11) {
        const auto& names = GetDataCenter()->GetDefaultIndicatorNames();
        const int k = id - kCmdIndicatorFirst;
        if (k >= names.GetSize()) return result(0);
        const std::string name = names[static_cast<size_t>(k)];
        CYBIndClass* catalogue = GetYBIndClass();
        const int at = catalogue->Find(name);
        if (at < 0) return result(0);
        const bool mainInd = catalogue->GetAt(at).m_nMainChart != 0;
        ChartPic* target = nullptr;
        if (!mainInd || c.m_nSelectedPane > 0) {
            target = c.GetPaneCount() <= 3 ? c.AddPane() : c.m_aPanes.back().get();
        } else if (!c.m_aPanes.empty()) {
            target = c.m_aPanes.front().get();
        }
        if (!target) return result(0);
        ChartPicProp& p = target->Prop();
        p.BindIndicatorByName(name);
        p.SetIndicatorPeriod(c.GetDataType(), c.GetPeriod());
        p.ResizeResults();
        if (const IBarSource* bars = c.GetBars()) p.CalcIndicator(bars->GetFirst(), bars->GetLast());
        if (wnd) wnd->Repaint(true);
        return result(1);
    }
    if (id >= kCmdRightsFirst && id <= kCmdRightsFirst + 2) {
        const uint8_t mode = static_cast<uint8_t>(id - kCmdRightsFirst);
        PicDataLayer* layer = c.GetDataLayer();
        if (layer && layer->GetAdjustMode() == mode) return result(0);
        if (wnd) wnd->SetRightsMode(mode);
        return result(1);
    }
    if (id >= kCmdAxisFirst && id <= kCmdAxisFirst + 4) {
        if (c.m_aPanes.empty()) return result(0);
        ChartPicProp& p = c.m_aPanes.front()->Prop();
        const int16_t type = static_cast<int16_t>(id - kCmdAxisFirst);
        if (p.m_nAxisType != type) {
            p.SetAxisType(type);
            p.CalcRange();
            Repaint(c);
        }
        return result(1);
    }
    return 0;
}

int ChartOverlayAction1::OnUser(ChartOverlay& c, OverlayMsgArgs& args) {
    const uint32_t msg = args.message;
    const int id = static_cast<int>(args.wParam);
    if (msg == kMsgButtonReleased && id >= kCmdIndicatorFirst && id <= kCmdIndicatorFirst + 11) {
        const auto& names = GetDataCenter()->GetDefaultIndicatorNames();
        const int k = id - kCmdIndicatorFirst;
        if (k >= names.GetSize()) return 0;
        const int pane = c.FindPaneByName(names[static_cast<size_t>(k)]);
        if (pane < 0) return 0;
        ChartPic& p = *c.m_aPanes[static_cast<size_t>(pane)];
        if (p.IsMainPane()) {
            p.Prop().BindIndicatorByName("");
            p.Prop().CalcRange();
        } else {
            c.RemovePane(pane);
        }
        Repaint(c);
        args.result = 1;
        return 1;
    }
    if (msg == kMsgCommandState) {
        auto answer = [&](bool on) {
            args.result = on ? 3 : 1;
            return 1;
        };
        if (id >= kCmdPeriodFirst && id <= 39995) {
            int16_t t = 0, p = 0;
            CommandIdToPeriod(id, t, p);
            if (id == 39995) t = kTypeDay, p = -1;
            return answer(t == c.GetDataType() && p == c.GetPeriod());
        }
        if (id >= kCmdKLineFirst && id <= kCmdKLineFirst + 5) return answer(c.m_nKLineType == id - 39940);
        if (id >= kCmdRightsFirst && id <= kCmdRightsFirst + 2) {
            PicDataLayer* layer = c.GetDataLayer();
            return answer(layer && layer->GetAdjustMode() == id - kCmdRightsFirst);
        }
        if (id >= kCmdAxisFirst && id <= kCmdAxisFirst + 4) {
            if (c.m_aPanes.empty()) {
                args.result = 1;
                return 1;
            }
            return answer(c.m_aPanes.front()->Prop().m_nAxisType == id - kCmdAxisFirst);
        }
        if (id >= kCmdIndicatorFirst && id <= kCmdIndicatorFirst + 11) {
            const auto& names = GetDataCenter()->GetDefaultIndicatorNames();
            const int k = id - kCmdIndicatorFirst;
            return answer(k < names.GetSize() && c.FindPaneByName(names[static_cast<size_t>(k)]) >= 0);
        }
        return 0;
    }
    if (msg == kMsgValueBarShown) {
        c.m_bCursorMode = c.m_bValuePanel;
        return 1;
    }
    if (msg == kMsgValueBarHiding) {
        if (c.m_bCursorMode) c.ExitCursorMode(false);
        return 1;
    }
    return 0;
}

// ---- action 2 ----

int ChartOverlayAction2::OnMsg(int type, OverlayMsgArgs& args) {
    auto* c = dynamic_cast<ChartOverlay*>(m_pOverlay);
    if (!c) return 0;
    if (type == kMsgLButtonUp) {
        for (const auto& pane : c->m_aPanes)
            if (pane->m_bVisible && pane->Prop().HitTest(CPoint(args.x, args.y)) > 0)
                c->m_nSelectedPane = pane->m_nIndex;
        return 1;
    }
    if (type == kMsgMouseMove && c->m_nDragSplit >= 0 &&
        c->m_nDragSplit < static_cast<int>(c->m_aSplitBars.size())) {
        CSplitBar& bar = c->m_aSplitBars[static_cast<size_t>(c->m_nDragSplit)];
        if (bar.IsDragging()) bar.Track(args.x, args.y);
        return 1;
    }
    return 0;
}

// ---- action 3 ----

HCURSOR ChartOverlayAction3::ChooseCursor(ChartOverlay& c, CPoint pt, bool& claim) const {
    claim = false;
    CRect band = c.m_rcTimeBand;
    band.DeflateRect(1, 1);
    const int16_t type = c.GetDataType();
    if (m_bTimeBandCursor && !band.IsRectEmpty() && band.PtInRect(pt)) {
        claim = true;
        if (type == kTypeIntraday || type == kTypeHistoryIntraday) return nullptr;
        return GetCommonResouce()->GetCursorOrArrow(CommonResouce::kCursorTimePan);
    }
    for (const CSplitBar& bar : c.m_aSplitBars)
        if (bar.HitTest(pt.x, pt.y)) {
            claim = true;
            return bar.GetCursor();
        }
    return nullptr;
}

int ChartOverlayAction3::OnMsg(int type, OverlayMsgArgs& args) {
    auto* c = dynamic_cast<ChartOverlay*>(m_pOverlay);
    if (!c || type != kMsgMouseMove) return 0;
    const CPoint pt(args.x, args.y);
    bool claim = false;
    HCURSOR cursor = ChooseCursor(*c, pt, claim);
    if (claim) {
        ::SetCursor(cursor ? cursor : GetCommonResouce()->GetCursorOrArrow(CommonResouce::kCursorArrow));
        m_hLastCursor = cursor;
        return 1;
    }
    bool hoverChanged = false;
    bool plotHit = false;
    for (const auto& pane : c->m_aPanes) {
        if (!pane->m_bVisible) continue;
        const int hit = pane->Prop().HitTest(pt);
        if (hit != pane->Prop().m_nHover) hoverChanged = true;
        pane->Prop().m_nHover = hit;
        plotHit |= hit == kHitPlot;
    }
    // Over a plot the drawing tools choose (placing, erasing, moving a tool).
    if (plotHit && c->GetOwner())
        if (auto tools = c->GetOwner()->GetDrawToolOverlay()) cursor = tools->GetCursor(pt);
    if (plotHit && c->m_bCursorMode && !c->m_bCursorLock) {
        const int32_t bar = c->XToIndex(args.x);
        if (bar >= c->m_nStart && bar < c->m_nEnd && (bar != c->m_nCursor || args.y != c->m_nCursorY)) {
            c->MoveCursor(bar, args.y);
            c->m_nHoverFlags |= 1;
            RedrawTitles(*c);
        }
    }
    c->m_bPointerMoved = 0;
    if (c->GetDataType() == kTypeMinute || c->GetDataType() == kTypeDay) {
        c->m_nHoverFlags |= 2;
        c->m_nLastMouseX = args.x;
        c->m_nLastMouseY = args.y;
    }
    m_hLastCursor = cursor;
    ::SetCursor(cursor ? cursor : GetCommonResouce()->GetCursorOrArrow(CommonResouce::kCursorArrow));
    (void)hoverChanged;
    return 0;
}

}  // namespace chart
