#include "chart/ChartPicProp.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "chart/ChartOverlay.h"
#include "chart/ChartPic.h"
#include "chart/PriceMarks.h"
#include "marketdata/CQData.h"
#include "marketdata/DayData.h"
#include "training/TrainingPicData.h"
#include "training/TrainingRecord.h"
#include "formula/YBIndClass.h"
#include "marketdata/DataCenter.h"
#include "marketdata/Security.h"
#include "ui/CommonVar.h"

namespace chart {

namespace {

constexpr double kEps = 0.0001;

bool IsIntradayType(int16_t t) { return t == kTypeIntraday || t == kTypeHistoryIntraday; }

// Draw kinds whose argument lines widen the indicator range, by pairs (value, condition).
void WidenByFunctions(const CKlineLight& ind, int32_t first, int32_t end, double& mx, double& mn,
                      int& fresh) {
    const auto& args = ind.m_aDrawExps;
    const int n = static_cast<int>(args.size());
    auto line = [&](int k) -> const CIndicatorExp* {
        return k >= 0 && k < n ? &args[static_cast<size_t>(k)] : nullptr;
    };
    auto cond = [&](int value, int condition) {
        const CIndicatorExp* v = line(value);
        const CIndicatorExp* c = line(condition);
        if (v && c) v->GetCondMaxMin(*c, first, end, mx, mn, fresh);
    };
    auto plain = [&](int k) {
        if (const CIndicatorExp* v = line(k)) v->GetMaxMin(first, end, mx, mn, fresh);
    };
    for (const CIndicatorDrawFunc& f : ind.m_aDrawFuncs) {
        const int e = f.ExpWant();
        const int F = f.m_nFirst;
        if (e <= 0 || F < 0 || F + e > n) continue;
        bool ok = true;
        for (int k = F; k < F + e; ++k) ok = ok && args[static_cast<size_t>(k)].HasValues();
        if (!ok) continue;
        switch (f.m_nKind) {
        case 0: case 2: case 3: case 8: case 18: case 22: case 23: cond(F + 1, F); break;
        case 1: cond(F + 1, F); cond(F + 3, F + 2); break;
        case 4: cond(F + 1, F); cond(F + 2, F); break;
        case 7: case 10: case 12: plain(F); break;
        case 11: plain(F); plain(F + 1); break;
        case 21:
            plain(F);
            plain(F + 1);
            if (!fresh && mn > 0) mn = 0;
            break;
        default: break;
        }
    }
}

}  // namespace

ChartPicProp::ChartPicProp(ChartPic* owner) : m_pOwner(owner) {
    m_axeMain.m_nDecimals = 3;
    m_axeInd.m_nDecimals = 3;
    m_axePercent.m_nType = kAxisChange;
    m_axePercent.m_nDecimals = 2;
    m_axePercent.m_bLeftAligned = 1;
}

ChartPicProp::~ChartPicProp() {
    if (m_pIndicator) UnbindIndicatorSecurity(*m_pIndicator);
}

ChartOverlay* ChartPicProp::Overlay() const { return m_pOwner ? m_pOwner->Overlay() : nullptr; }

void ChartPicProp::BindIndicatorByName(const std::string& name) {
    if (m_pIndicator) UnbindIndicatorSecurity(*m_pIndicator);
    m_pIndicator.reset();
    InvalidateResults();
    m_strIndicatorName = name;
    const int index = name.empty() ? -1 : GetYBIndClass()->Find(name);
    if (index < 0) {
        m_bIndicatorUsable = IsIndicatorUsable();
        return;
    }
    BindIndicatorByIndex(index);
}

void ChartPicProp::BindIndicatorByIndex(int index) {
    CYBIndClass* catalogue = GetYBIndClass();
    if (index < 0 || index >= catalogue->GetSize()) return;
    if (m_pIndicator) UnbindIndicatorSecurity(*m_pIndicator);
    auto ind = std::make_shared<CKlineLight>(catalogue->GetAt(index));
    m_strIndicatorName = ind->m_strName;
    ChartOverlay* overlay = Overlay();
    PicDataLayer* layer = overlay ? overlay->GetDataLayer() : nullptr;
    const CIndSecuCode code = layer ? layer->GetCode() : CIndSecuCode();
    BindIndicatorSecurity(code, *ind);
    ind->InitialCalc(code, overlay ? overlay->GetDataType() : kTypeDay,
                     overlay ? overlay->GetPeriod() : 1);
    std::string message;
    int first = 0, last = 0;
    ind->EvalLight(message, first, last);
    const std::string formula = ind->m_strFormula;
    ind->GetAxeInfo(formula, message, first, last);
    m_pIndicator = std::move(ind);
    InvalidateResults();
    m_bIndicatorUsable = IsIndicatorUsable();
}

void ChartPicProp::SetIndicatorPeriod(int16_t dataType, int16_t period) {
    if (m_pIndicator) {
        m_pIndicator->m_nDataType = dataType;
        m_pIndicator->m_nPeriod = period;
    }
    InvalidateResults();
    m_bIndicatorUsable = IsIndicatorUsable();
}

bool ChartPicProp::IsIndicatorUsable() const {
    if (m_strIndicatorName == "PHJ") {
        ChartOverlay* overlay = Overlay();
        return m_pIndicator && overlay && overlay->GetDataType() == kTypeDay &&
               overlay->GetPeriod() == 1;
    }
    return m_pIndicator != nullptr;
}

bool ChartPicProp::IsIndicatorReady() const {
    return m_pIndicator && m_bIndicatorUsable && m_pIndicator->IsCompiled();
}

void ChartPicProp::ResizeResults() {
    ChartOverlay* overlay = Overlay();
    const IBarSource* bars = overlay ? overlay->GetBars() : nullptr;
    if (m_pIndicator) m_pIndicator->MakeRoom(bars ? std::max(0, bars->GetLast()) : 0);
    InvalidateResults();
    m_bRangeComputed = 0;
}

ChartPicProp::CalcStamp ChartPicProp::CurrentStamp() const {
    CalcStamp s;
    ChartOverlay* overlay = Overlay();
    PicDataLayer* layer = overlay ? overlay->GetDataLayer() : nullptr;
    if (!layer) return s;
    s.records = layer->GetRecords();
    s.count = layer->GetEnd();
    s.begin = layer->GetBegin();
    s.end = layer->GetEnd();
    // Only a formula that reads the shown range depends on it.
    if (m_pIndicator && m_pIndicator->m_bShowDepend) {
        s.showFirst = overlay->m_nStart;
        s.showEnd = overlay->m_nEnd;
    }
    return s;
}

bool ChartPicProp::ResultsCurrent() const {
    if (!m_stamp.valid || !m_pIndicator) return false;
    const CalcStamp now = CurrentStamp();
    return now.records == m_stamp.records && now.count == m_stamp.count &&
           now.begin == m_stamp.begin && now.end == m_stamp.end &&
           now.showFirst == m_stamp.showFirst && now.showEnd == m_stamp.showEnd;
}

int ChartPicProp::UpdateIndicator(int32_t first, int32_t last) {
    if (!m_pIndicator || !m_bIndicatorUsable || !ResultsCurrent()) return CalcIndicator(first, last);
    const double oldMax = m_fMax, oldMin = m_fMin;
    if (ChartOverlay* overlay = Overlay()) {
        m_pIndicator->m_nShowFirst = overlay->m_nStart;
        m_pIndicator->m_nShowEnd = overlay->m_nEnd;
    }
    CalcRange();
    return std::fabs(oldMax - m_fMax) > kEps || std::fabs(oldMin - m_fMin) > kEps ? 1 : 0;
}

int ChartPicProp::CalcIndicator(int32_t first, int32_t last) {
    const double oldMax = m_fMax, oldMin = m_fMin;
    ChartOverlay* overlay = Overlay();
    PicDataLayer* layer = overlay ? overlay->GetDataLayer() : nullptr;
    if (m_pIndicator && overlay && layer && m_bIndicatorUsable) {
        CKlineLight& ind = *m_pIndicator;
        ind.m_pBars = const_cast<void*>(layer->GetRecords());
        ind.m_nBarCount = layer->GetEnd();
        ind.m_nCalcFirst = layer->GetBegin();
        ind.m_nCalcEnd = layer->GetEnd();
        ind.m_nShowFirst = overlay->m_nStart;
        ind.m_nShowEnd = overlay->m_nEnd;
        if (ind.m_pBars && ind.m_nBarCount > 0) {
            if (static_cast<int32_t>(ind.m_aExps.empty() ? 0 : ind.m_aExps[0].m_aValues.size()) <
                ind.m_nBarCount)
                ind.MakeRoom(ind.m_nBarCount);
            ind.Calc(first, last);
            m_stamp = CurrentStamp();
            m_stamp.valid = true;
        }
    }
    CalcRange();
    return std::fabs(oldMax - m_fMax) > kEps || std::fabs(oldMin - m_fMin) > kEps ? 1 : 0;
}

void ChartPicProp::CalcRange() {
    if (m_bRangeComputed && Overlay() && Overlay()->m_bPanMode) {
        UpdateAxes();
        return;
    }
    m_fFirstPrice = 1;
    m_bRangeComputed = 1;
    m_fMax = 1.5, m_fMin = 0.5, m_nMaxIndex = m_nMinIndex = -1;
    m_fIndMax = 1.5, m_fIndMin = 0.5;
    ChartOverlay* overlay = Overlay();
    const IBarSource* bars = overlay ? overlay->GetBars() : nullptr;
    if (!bars || bars->GetLast() <= bars->GetFirst()) {
        UpdateAxes();
        return;
    }
    const int16_t type = bars->GetDataType();
    const bool intraday = IsIntradayType(type);
    const bool ready = IsIndicatorReady();
    // Prices seed the range only where prices are drawn: an oscillator pane seeded with
    // prices would squash its lines into a sliver.
    const bool overPrice = m_bPricePane || (ready && m_pIndicator->m_nMainChart);
    const int32_t from = std::max(overlay->m_nStart, bars->GetFirst());
    const int32_t to = std::min(overlay->m_nEnd, bars->GetLast());
    bool any = false;
    if (overPrice) {
        double volume = 0;
        int counted = 0;
        for (int32_t i = from; i < to; ++i) {
            if (intraday) {
                const double p = bars->GetClose(i);
                const double avg = bars->GetAvgPrice(i);
                if (!any) {
                    m_fFirstPrice = p;
                    m_fMax = m_fMin = p;
                    m_nMaxIndex = m_nMinIndex = i;
                    any = true;
                }
                for (double v : {p, avg}) {
                    if (v <= 0) continue;
                    if (v > m_fMax) m_fMax = v, m_nMaxIndex = i;
                    if (v < m_fMin) m_fMin = v, m_nMinIndex = i;
                }
            } else {
                const double hi = bars->GetHigh(i), lo = bars->GetLow(i);
                if (!any) {
                    m_fFirstPrice = bars->GetOpen(i);
                    m_fMax = hi, m_fMin = lo;
                    m_nMaxIndex = m_nMinIndex = i;
                    any = true;
                } else {
                    if (hi > m_fMax) m_fMax = hi, m_nMaxIndex = i;
                    if (lo < m_fMin) m_fMin = lo, m_nMinIndex = i;
                }
            }
            volume += bars->GetVolume(i);
            ++counted;
        }
        m_fAvgVolume = counted ? volume / counted : 0;
    }
    if (m_bVolumePane && !m_pIndicator) {
        m_fMax = 1, m_fMin = 0;
        for (int32_t i = from; i < to; ++i) m_fMax = std::max(m_fMax, bars->GetVolume(i));
    }
    int fresh = 1;
    if (ready && any && overPrice) {
        m_fIndMax = m_fMax, m_fIndMin = m_fMin;
        fresh = 0;
    }
    if (m_pIndicator && m_bIndicatorUsable && (!m_bPricePane || overlay->m_bDrawMA)) {
        const CKlineLight& ind = *m_pIndicator;
        // Declared axis values fix the range; a single value (a reference line such as
        // MACD's 0) would leave a range of nothing and every line clipped, so it does not.
        const auto& axis = ind.m_aAxeValues;
        if (axis.size() >= 2 && axis.back() - axis.front() > kEps) {
            m_fIndMin = axis.front();
            m_fIndMax = axis.back();
            fresh = 0;
        } else {
            for (const CIndicatorExp& line : ind.m_aExps) {
                if (line.m_nStyle <= 0 || line.GetThick(1) <= 0 || !line.IsValue() ||
                    !line.HasValues())
                    continue;
                line.GetMaxMin(from, to, m_fIndMax, m_fIndMin, fresh);
                if (line.m_nStyle == CIndicatorExp::kVolStick && !fresh && m_fIndMin > 0)
                    m_fIndMin = 0;
            }
            WidenByFunctions(ind, from, to, m_fIndMax, m_fIndMin, fresh);
        }
        if (ready || !m_bPricePane) {
            m_fMax = m_fIndMax;
            m_fMin = m_fIndMin;
        }
    }
    if (!std::isfinite(m_fMax) || !std::isfinite(m_fMin)) m_fMax = 1.5, m_fMin = 0.5;
    if (std::fabs(m_fMax - m_fMin) <= kEps) m_fMax = m_fMin + kEps;
    PicDataLayer* layer = overlay->GetDataLayer();
    const double prevClose = layer ? layer->GetReferencePrice1() : 0;
    m_axeMain.m_fBasePrice = m_bPricePane ? prevClose : 0;
    if (intraday && m_bPricePane && prevClose > 0) {
        m_fMax = std::max(m_fMax, prevClose);
        m_fMin = std::min(m_fMin, prevClose);
        const double half = std::max(m_fMax - prevClose, prevClose - m_fMin);
        m_fMax = prevClose + half;
        m_fMin = prevClose - half;
        if (ready) m_fIndMax = m_fMax, m_fIndMin = m_fMin;
    }
    UpdateAxes();
}

void ChartPicProp::UpdateAxes() {
    m_axeMain.m_fMax = m_fOffset + m_fMax;
    m_axeMain.m_fMin = m_fOffset + m_fMin;
    if (m_nAxisType == kAxisPercent) m_axeMain.m_fBaseValue = m_fOffset + m_fFirstPrice;
    m_axeMain.CalcScale();
    m_axeInd.m_fMax = m_fOffset + m_fIndMax;
    m_axeInd.m_fMin = m_fOffset + m_fIndMin;
    m_axeInd.m_nType = m_nAxisType;
    m_axeInd.CalcScale();
    ChartOverlay* overlay = Overlay();
    if (m_bPricePane && overlay && IsIntradayType(overlay->GetDataType())) {
        m_axePercent.m_fMax = m_axeMain.m_fMax;
        m_axePercent.m_fMin = m_axeMain.m_fMin;
        m_axePercent.m_fBasePrice = m_axeMain.m_fBasePrice;
        m_axePercent.CalcScale();
    }
}

void ChartPicProp::ResetSecurity() {
    ChartOverlay* overlay = Overlay();
    PicDataLayer* layer = overlay ? overlay->GetDataLayer() : nullptr;
    const CIndSecuCode code = layer ? layer->GetCode() : CIndSecuCode();
    if (m_pIndicator) {
        BindIndicatorSecurity(code, *m_pIndicator);
        m_pIndicator->Varialized();
    }
    InvalidateResults();
    m_fOffset = 0;
    m_fMax = m_fIndMax = 1.5;
    m_fMin = m_fIndMin = 0.5;
    m_nMaxIndex = m_nMinIndex = -1;
    const CSecurity* record = GetDataCenter()->FindSecurity(code);
    m_axeMain.SetSecurity(code, record);
    m_axePercent.SetSecurity(code, record);
    m_axeMain.m_bPriceMode = m_axePercent.m_bPriceMode = m_bPricePane;
    if (m_bPricePane) {
        const int16_t digits = static_cast<int16_t>(DigitsOf(record).shown);
        m_axeMain.m_nDecimals = record ? digits : 2;
        m_axeInd.m_nDecimals = digits;
    } else if (m_bVolumePane && !m_pIndicator) {
        m_axeMain.m_nDecimals = m_axeInd.m_nDecimals = 0;
    } else {
        m_axeMain.m_nDecimals = m_axeInd.m_nDecimals = -1;
    }
}

void ChartPicProp::SetAxisType(int16_t type) {
    m_nAxisType = type;
    m_axeMain.m_nType = type;
    m_axeInd.m_nType = type;
    m_bFlipped = 0;
    m_axeMain.m_bFlipped = m_axePercent.m_bFlipped = m_axeInd.m_bFlipped = 0;
}

void ChartPicProp::Layout() {
    if (m_rcPane.Height() <= 10) return;
    const int textHeight = std::max(1, static_cast<int>(GetCommonVar()->m_nChartTextHeight));
    m_nTitleHeight = !m_bVolumePane && m_bTitleAllowed ? textHeight + 2 : 0;
    if (!m_bShowTitle) m_nTitleHeight = 0;
    LayoutAxes();
    m_axeMain.m_bPriceMode = m_bPricePane;
    const int allowTop = m_nTitleHeight > 0;
    m_axeMain.m_bAllowTopLabels = m_axePercent.m_bAllowTopLabels = m_axeInd.m_bAllowTopLabels = allowTop;
    m_axeMain.CalcScale();
    m_axeInd.CalcScale();
    ChartOverlay* overlay = Overlay();
    const bool intraday = overlay && IsIntradayType(overlay->GetDataType());
    if (intraday && m_bPricePane) m_axePercent.CalcScale();
    m_axeMain.m_bIntradayBaseLabel = m_axePercent.m_bIntradayBaseLabel = intraday ? 1 : 0;
}

void ChartPicProp::LayoutAxes() {
    m_rcPlot = m_rcPane;
    m_rcPlot.top = m_rcPane.top + m_nTitleHeight + 1;
    m_rcPlot2 = m_rcPlot;
    ChartOverlay* overlay = Overlay();
    if (!overlay) return;
    int top = 0, bottom = 0;
    if (m_bPricePane) {
        top = 2;
        const int16_t t = overlay->GetDataType();
        bottom = t == kTypeDay || t == kTypeMinute ? 9 : 2;
    }
    const bool right = overlay->m_bAxeRight != 0;
    const CRect& column = right ? overlay->m_rcRightAxis : overlay->m_rcLeftAxis;
    const CRect labels(column.left, m_rcPlot.top, column.right, m_rcPlot.bottom);
    const CRect values(column.left, m_rcPlot.top + top, column.right, m_rcPlot.bottom - bottom);
    for (CAxeY* a : {&m_axeMain, &m_axeInd}) {
        a->m_rcLabels = labels;
        a->m_rcValue = values;
        a->m_bLeftAligned = right ? 1 : 0;
    }
    if (overlay->m_bAxeShowPer) {
        const CRect& other = right ? overlay->m_rcLeftAxis : overlay->m_rcRightAxis;
        m_axePercent.m_rcLabels = CRect(other.left, m_rcPlot.top, other.right, m_rcPlot.bottom);
        m_axePercent.m_rcValue = CRect(other.left, values.top, other.right, values.bottom);
        m_axePercent.m_bLeftAligned = right ? 0 : 1;
    }
}

int ChartPicProp::HitTest(CPoint pt) const {
    ChartOverlay* overlay = Overlay();
    if (!overlay) return kHitNone;
    if (m_rcPlot.PtInRect(pt)) return kHitPlot;
    if (m_nTitleHeight > 0) {
        const CRect band(m_rcPane.left + 1, m_rcPane.top + 1, m_rcPane.right - 1,
                         m_rcPane.top + 1 + m_nTitleHeight);
        if (band.PtInRect(pt)) {
            if (!m_bPricePane && overlay->GetPaneCount() > 2 && pt.x >= band.right - 12)
                return kHitClose;
            if (m_pIndicator && !m_pIndicator->m_strHelp.empty() && pt.x >= band.right - 24 &&
                pt.x < band.right - 12)
                return kHitIndicator;
            return kHitTitle;
        }
    }
    if (pt.y >= m_rcPane.top && pt.y < m_rcPane.bottom && pt.x >= overlay->m_rcChart.left &&
        pt.x < overlay->m_rcChart.right)
        return kHitAxis;
    return kHitNone;
}

int ChartPicProp::GetTipText(std::vector<std::string>& lines, CPoint pt) const {
    ChartOverlay* overlay = Overlay();
    const IBarSource* bars = overlay ? overlay->GetBars() : nullptr;
    if (!bars) return 0;
    int added = 0;
    const int32_t bar = overlay->XToIndex(pt.x);
    for (const CFlagText& f : m_texts.hoverTips) {
        if (f.bar != bar) continue;
        for (const CPosText& t : f.items) {
            if (std::abs(t.y - pt.y) > 8) continue;
            if (!added) lines.emplace_back("提示文字");
            lines.push_back(t.text);
            added = 1;
        }
    }
    const int16_t type = bars->GetDataType();
    if (type != kTypeDay && type != kTypeMinute) return added;
    const int32_t from = std::max(overlay->m_nStart, bars->GetFirst());
    const int32_t to = std::min(overlay->m_nEnd, bars->GetLast());
    if (to <= from) return added;
    PicDataLayer* layer = overlay->GetDataLayer();
    if (layer && layer->GetSeries()) {
        std::vector<CSingleCQDataPerSecu> events;
        {
            const auto view = layer->GetSeries()->Read();
            events.assign(view.ExRights().begin(), view.ExRights().end());
        }
        const int64_t begin = static_cast<int64_t>(bars->GetTime(from));
        const int64_t end = static_cast<int64_t>(bars->GetTime(to - 1));
        for (const CSingleCQDataPerSecu& e : events) {
            // Minute keys are yyyymmddhhmm: an event's day starts at yyyymmdd0000.
            if (type == kTypeMinute && e.m_nDate < 20000101) continue;
            const int64_t key = DateKey(type, static_cast<int32_t>(e.m_nDate));
            if (key < begin || key > end) continue;
            int32_t index = -1;
            const int x = overlay->TimeToX(key, index);
            if (index < 0 || x <= m_rcPane.left || x >= m_rcPane.right) continue;
            const CRect marker(x - 5, m_rcPane.bottom - 11, x + 6, m_rcPane.bottom);
            if (!marker.PtInRect(pt)) continue;
            const uint8_t mode = layer->GetAdjustMode();
            lines.emplace_back(mode == 1 ? "上除权" : mode == 2 ? "下除权" : "不除权");
            lines.push_back(e.GetDescription());
            return 1;
        }
    }
    const auto* training = dynamic_cast<const TrainingPicData*>(layer);
    const CTrainingRecord* record = training ? training->GetRecord() : nullptr;
    if (!record) return added;
    for (const TradeDetailItem& t : record->trades) {
        const int64_t key = DateKey(type, t.TradeDate, t.TradeTime);
        int32_t index = -1;
        const int x = overlay->TimeToX(key, index);
        if (index < bars->GetFirst() || index >= bars->GetLast()) continue;
        const int top = t.bsdir == 1 ? PriceToY(bars->GetLow(index), true) + 5
                                     : PriceToY(bars->GetHigh(index), true) - 25;
        const CRect box(x - 5, top, x + 5, top + 20);
        if (!box.PtInRect(pt)) continue;
        char text[96];
        std::snprintf(text, sizeof text, "买卖记录-%d-%lld-%d", static_cast<int>(type),
                      static_cast<long long>(key), static_cast<int>(t.bsdir));
        lines.emplace_back(text);
        return 1;
    }
    return added;
}

std::string ChartPicProp::FormatValueAt(int row) const {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", m_axeMain.PixelToValue(row));
    return buf;
}

void ChartPicProp::Load(const tinyxml2::XMLElement* node) {
    if (!node) return;
    int share = node->IntAttribute("HeightPer", 200);
    m_nHeightPer = share >= 1 && share <= 999 ? share : 200;
    const char* name = node->Attribute("IndicatorName");
    BindIndicatorByName(name ? name : "");
    m_bShowTitle = static_cast<uint8_t>(node->IntAttribute("ShowTitle", m_bShowTitle));
    if (m_pIndicator) {
        auto& lines = m_pIndicator->m_aExps;
        size_t k = 0;
        for (const tinyxml2::XMLElement* item = node->FirstChildElement("IndExpItem"); item;
             item = item->NextSiblingElement("IndExpItem")) {
            while (k < lines.size() && (lines[k].m_nStyle <= 0 || lines[k].m_nStyle == 2)) ++k;
            if (k >= lines.size()) break;
            CIndicatorExp& line = lines[k++];
            line.m_bOwnColor = item->IntAttribute("hascolor", line.m_bOwnColor);
            line.m_crColor = static_cast<COLORREF>(item->Int64Attribute("color", line.m_crColor));
            const int hasThick = item->IntAttribute("hasthick", 0);
            if (hasThick) line.m_nThick = static_cast<int16_t>(item->IntAttribute("thick", line.m_nThick));
        }
    }
    if (m_bVolumePane) BindIndicatorByName("");
}

void ChartPicProp::Save(tinyxml2::XMLElement* node) const {
    if (!node) return;
    node->SetAttribute("HeightPer", m_nHeightPer);
    node->SetAttribute("IndicatorName", m_strIndicatorName.c_str());
    node->SetAttribute("ShowTitle", static_cast<int>(m_bShowTitle));
    if (!m_pIndicator) return;
    for (const CIndicatorExp& line : m_pIndicator->m_aExps) {
        if (line.m_nStyle <= 0 || line.m_nStyle == 2) continue;
        tinyxml2::XMLElement* item = node->InsertNewChildElement("IndExpItem");
        item->SetAttribute("hascolor", line.m_bOwnColor);
        item->SetAttribute("hasthick", 1);
        item->SetAttribute("color", static_cast<int64_t>(line.m_crColor));
        item->SetAttribute("thick", static_cast<int>(line.m_nThick));
    }
}

}  // namespace chart
