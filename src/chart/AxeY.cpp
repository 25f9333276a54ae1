#include "chart/AxeY.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "foundation/Format.h"
#include "ui/CommonVar.h"

namespace chart {

namespace {

constexpr double kEps = 0.0001;
constexpr int kMaxTicks = 1001;
constexpr int kMaxDecades = 400;  // candidate passes; far beyond any double range

double LogFloor(double v) { return v > kEps ? v : kEps; }

bool IsLogType(int16_t t) { return t == kAxisLog || t == kAxisEqualRatio; }

int ChartTextHeight(CDC* dc) {
    const int h = GetCommonVar()->m_nChartTextHeight;
    if (h > 0) return h;
    return dc ? std::max(1, static_cast<int>(dc->GetTextExtent("0").cy)) : 12;
}

std::string Format(const std::string& fmt, double v) {
    char buf[128];
    std::snprintf(buf, sizeof buf, fmt.c_str(), v);
    return buf;
}

}  // namespace

const CommonColorTable& CAxeY::Colors() const {
    return m_pColors ? *m_pColors : GetCommonVar()->Colors();
}

PriceDigits CAxeY::Digits() const { return DigitsOf(m_pSecurity); }

int CAxeY::GetLabelHeight() const {
    const int h = GetCommonVar()->m_nChartTextHeight;
    return 2 * (h > 0 ? h : 12);
}

int CAxeY::ValueToPixel(double v, bool clamp) const {
    const int top = m_rcValue.top;
    const int bottom = m_rcValue.bottom;
    const int h = bottom - top;
    const double d = m_fMax - m_fMin;
    if (h <= 0 || (d >= -kEps && d <= kEps) || !std::isfinite(v)) return (top + bottom) / 2;
    double f;
    if (IsLogType(m_nType)) {
        const double lmax = std::log(LogFloor(m_fMax));
        const double lmin = std::log(LogFloor(m_fMin));
        const double lv = std::log(LogFloor(v));
        if (std::fabs(lmax - lmin) < 1e-12) return (top + bottom) / 2;
        f = m_bFlipped ? (lv - lmin) / (lmax - lmin) : (lmax - lv) / (lmax - lmin);
    } else {
        f = m_bFlipped ? (v - m_fMin) / d : (m_fMax - v) / d;
    }
    // Far-off values are kept inside int range before the truncation.
    const double off = std::clamp(f * h, -1e9, 1e9);
    int row = top + static_cast<int>(off);
    if (clamp) {
        if (row < top) row = top;
        if (row > bottom - 1) row = bottom - 1;
    }
    return row;
}

double CAxeY::PixelToValue(int row) const {
    const int h = m_rcValue.bottom - m_rcValue.top;
    if (h <= 0) return (m_fMax + m_fMin) / 2;
    const double r = row - m_rcValue.top;
    if (IsLogType(m_nType)) {
        const double lmax = std::log(LogFloor(m_fMax));
        const double lmin = std::log(LogFloor(m_fMin));
        return m_bFlipped ? std::exp(lmin + r * (lmax - lmin) / h)
                          : std::exp(lmax - r * (lmax - lmin) / h);
    }
    const double d = m_fMax - m_fMin;
    return m_bFlipped ? m_fMin + r * d / h : m_fMax - r * d / h;
}

std::string CAxeY::FormatLabel() const {
    std::string fmt;
    if (m_nDecimals < 0 || m_nType == kAxisPercent || m_nType == kAxisChange) {
        if (m_fLabelStep < 0.001)
            fmt = "%.4f";
        else if (m_fLabelStep < 0.01)
            fmt = "%.3f";
        else if (m_fLabelStep < 0.1)
            fmt = "%.2f";
        else if (m_fLabelStep < 1)
            fmt = "%.1f";
        else
            fmt = "%.0f";
    } else {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%%.%df", static_cast<int>(m_nDecimals));
        fmt = buf;
    }
    if (m_nType == kAxisPercent || m_nType == kAxisChange) fmt += "%%";
    return fmt;
}

void CAxeY::CalcScale() {
    m_bScaleValid = 0;
    const int n = GetHeight();
    if (n < 1) return;
    double c[3] = {1, 2, 5};
    if (m_nDecimals < 0) {
        c[0] = 0.0001, c[1] = 0.0002, c[2] = 0.0005;
    } else {
        for (int i = 0; i < m_nDecimals; ++i)
            for (double& x : c) x /= 10;
    }
    if (!std::isfinite(m_fMax) || !std::isfinite(m_fMin)) return;
    double r;
    if (m_nType == kAxisPercent || m_nType == kAxisChange) {
        const bool change = m_nType == kAxisChange;
        const double base = change ? m_fBasePrice : m_fBaseValue;
        if (!(base > kEps)) return;
        const double shift = change ? 100 : 0;
        m_fPercentMax = m_fMax / base * 100 - shift;
        m_fPercentMin = m_fMin / base * 100 - shift;
        r = std::fabs(m_fPercentMax - m_fPercentMin);
        if (r < 2 * c[0]) {
            m_fPercentMax += c[0];
            m_fPercentMin -= c[0];
            m_fMax = (m_fPercentMax + shift) / 100 * base;
            m_fMin = (m_fPercentMin + shift) / 100 * base;
            r = 2 * c[0];
        }
    } else {
        if (IsLogType(m_nType)) {
            m_fMin = LogFloor(m_fMin);
            m_fMax = LogFloor(m_fMax);
        }
        r = std::fabs(m_fMax - m_fMin);
        if (m_nDecimals == 0) {
            if (r < c[0]) {
                m_fMax += c[0];
                r = c[0];
            }
        } else if (r < 2 * c[0]) {
            m_fMax += c[0];
            m_fMin -= c[0];
            r = 2 * c[0];
        }
    }
    const int q = std::max(1, n / 4);
    const double rough = r / q;
    double step = 0;
    int decade = 0;
    for (double scale = 1; decade < kMaxDecades && step == 0; ++decade, scale *= 10)
        for (double x : c)
            if (x * scale > rough) {
                step = x * scale;
                break;
            }
    if (step == 0) return;
    --decade;
    const double count = r / step + 0.5;
    if (!(count >= 1)) return;
    const double p = n / (r / step);
    const int k = std::max(1, static_cast<int>(GetLabelHeight() / p + 0.5));
    m_fStep = step;
    m_fLabelStep = k * step;
    m_nLabelEvery = k;
    double scale = std::pow(10.0, decade);
    bool found = false;
    for (int pass = 0; pass < kMaxDecades && !found; ++pass, scale *= 10)
        for (double x : c) {
            const double cand = x * scale;
            if (cand < m_fLabelStep * (1 - 1e-12)) continue;
            const double ratio = cand / step;
            const double m = std::round(ratio);
            if (std::fabs(ratio - m) <= 0.001 && m >= 1) {
                m_fLabelStep = cand;
                m_nLabelEvery = static_cast<int>(m);
                found = true;
                break;
            }
        }
    m_nMultiplier = MultiplierFor(m_fLabelStep);
    m_bScaleValid = 1;
}

void CAxeY::GetTickBounds(double* top, double* bottom) const {
    const bool percent = m_nType == kAxisPercent || m_nType == kAxisChange;
    const double hi = percent ? m_fPercentMax : m_fMax;
    const double lo = percent ? m_fPercentMin : m_fMin;
    const double s = m_fStep > 0 ? m_fStep : 1;
    if (top) *top = s * static_cast<double>(static_cast<int64_t>(hi / s));
    if (bottom) *bottom = s * static_cast<double>(static_cast<int64_t>(lo / s));
}

uint32_t CAxeY::MultiplierFor(double labelStep) {
    if (!(labelStep >= 10000)) return 1;
    uint32_t mult = 10;
    while (labelStep / mult >= 10000 && mult < 1000000000u) mult *= 10;
    return mult;
}

std::string CAxeY::MultiplierText(uint32_t multiplier) {
    if (multiplier < 2) return {};
    char buf[64];
    if (multiplier <= 9999)
        std::snprintf(buf, sizeof buf, "x%u", multiplier);
    else if (multiplier <= 99999999u)
        std::snprintf(buf, sizeof buf, "x%u万", multiplier / 10000);
    else
        std::snprintf(buf, sizeof buf, "x%u亿", multiplier / 100000000u);
    return buf;
}

int CAxeY::GetLabelWidth(CDC* dc) const {
    if (!m_bScaleValid || !dc) return 0;
    CFont* old = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::Font::Chart));
    double top = 0, bottom = 0;
    GetTickBounds(&top, &bottom);
    int w = 0;
    auto widen = [&](const std::string& s) { w = std::max(w, static_cast<int>(dc->GetTextExtent(s).cx)); };
    const bool priceNormal = m_bPriceMode && m_nType == kAxisNormal;
    const PriceDigits digits = Digits();
    if (!priceNormal) {
        const std::string fmt = FormatLabel();
        widen(Format(fmt, top / m_nMultiplier));
        widen(Format(fmt, bottom / m_nMultiplier));
    } else if (!m_bPlainPrices && m_fLabelStep < 1) {
        const PriceDigits axis{3, digits.shown};
        widen(FormatPriceText(static_cast<int64_t>(top * 1000), axis));
        if (m_fMin > 0) widen(FormatPriceText(static_cast<int64_t>(bottom * 1000), axis));
    } else {
        const char* fmt = m_fLabelStep >= 1 ? "%.0f" : m_fLabelStep >= 0.1 ? "%.01f" : "%.02f";
        widen(Format(fmt, top));
        widen(Format(fmt, bottom));
    }
    if (m_nType == kAxisChange && m_bPriceMode && m_bIntradayBaseLabel && m_fBasePrice < 1000)
        widen(FormatPriceText(static_cast<int64_t>(m_fBasePrice * DivisorOf(digits) + 0.5), digits));
    if (old) dc->SelectObject(old);
    return w + 14;
}

void CAxeY::Draw(CDC* dc) {
    if (!dc) return;
    const CommonColorTable& colors = Colors();
    const CRect column = m_rcLabels.IsRectEmpty() ? m_rcValue : m_rcLabels;
    dc->FillSolidRect(&column, m_clrBack ? m_clrBack : colors[CommonColor::uniPic_AxeBackGround]);
    const COLORREF line = m_clrLine ? m_clrLine : colors[CommonColor::uniPic_Axe];
    CPen pen(PS_SOLID, 1, line);
    CPen* oldPen = dc->SelectObject(&pen);
    const int x = m_bLeftAligned ? column.left : column.right;
    dc->MoveTo(x, column.top);
    dc->LineTo(x, column.bottom);
    dc->SelectObject(oldPen);
    if (!m_bScaleValid) return;
    CFont* oldFont = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::Font::Chart));
    CRect labels = column;
    if (!m_strCaption.empty()) {
        const int th = ChartTextHeight(dc);
        CRect band(column.left, column.top, column.right, column.top + th);
        const COLORREF old = dc->SetTextColor(colors[CommonColor::uniTitle]);
        const int oldMode = dc->SetBkMode(TRANSPARENT);
        dc->DrawText(m_strCaption, &band, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
        dc->SetBkMode(oldMode);
        dc->SetTextColor(old);
        labels.top = band.bottom;
    }
    if (oldFont) dc->SelectObject(oldFont);
    DrawTicks(dc, column, labels);
}

void CAxeY::DrawScaledLabels(CDC* dc) {
    if (!dc || !m_bScaleValid) return;
    const CRect column = m_rcLabels.IsRectEmpty() ? m_rcValue : m_rcLabels;
    DrawTicks(dc, column, column);
}

std::vector<CAxeY::Tick> CAxeY::BuildTicks() const {
    std::vector<Tick> ticks;
    if (!m_bScaleValid) return ticks;
    const CRect column = m_rcLabels.IsRectEmpty() ? m_rcValue : m_rcLabels;
    const double step = m_fStep > 0 ? m_fStep : 1;
    const double dir = m_fMin > m_fMax ? -1 : 1;
    const int every = m_nLabelEvery > 0 ? m_nLabelEvery : 1;
    int64_t i = 0;
    double v = 0;
    switch (m_nType) {
    case kAxisPercent:
        i = static_cast<int64_t>(m_fPercentMin / step);
        v = static_cast<double>(i) * step - 100;
        break;
    case kAxisChange:
        i = static_cast<int64_t>(m_fPercentMin / step);
        v = static_cast<double>(i) * step;
        break;
    case kAxisEqualRatio:
        v = m_fMin;
        break;
    default:
        i = static_cast<int64_t>(m_fMin / step);
        v = static_cast<double>(i) * step;
        break;
    }
    for (int t = 0; t < kMaxTicks; ++t) {
        double plotted = v;
        if (m_nType == kAxisPercent)
            plotted = m_fBaseValue * (1 + v / 100);
        else if (m_nType == kAxisChange)
            plotted = m_fBasePrice * (1 + v / 100);
        const int row = ValueToPixel(plotted, false);
        if (m_bFlipped ? row > column.bottom : row < column.top) break;
        ticks.push_back({row, m_nType == kAxisEqualRatio || i % every == 0, v, plotted});
        ++i;
        if (m_nType == kAxisEqualRatio) {
            if (!(v > 0)) break;
            v += dir * v * 0.1;
        } else {
            v += dir * step;
        }
    }
    return ticks;
}

void CAxeY::DrawTicks(CDC* dc, const CRect& column, CRect area) {
    const CommonColorTable& colors = Colors();
    m_aGridRows.clear();
    CFont* oldFont = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::Font::Chart));
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    const COLORREF oldColor = dc->GetTextColor();
    const int th = ChartTextHeight(dc);
    const COLORREF line = m_clrLine ? m_clrLine : colors[CommonColor::uniPic_Axe];
    const bool priceNormal = m_bPriceMode && m_nType == kAxisNormal;
    const PriceDigits digits = Digits();
    const int64_t divisor = DivisorOf(digits);

    CRect L(column.left, area.top, column.right, column.bottom);
    if (m_bLeftAligned) {
        L.left = column.left + 10;
        if (priceNormal && m_fLabelStep < 1 && !m_bPlainPrices) {
            const int right = L.left + GetLabelWidth(dc) - 2;
            if (right < column.right) L.right = right;
        }
    } else {
        L.right = column.right - 10;
    }
    const UINT align = DT_SINGLELINE | DT_VCENTER | (m_bLeftAligned ? DT_LEFT : DT_RIGHT);

    m_nBaseRow = m_fBasePrice > 0 ? ValueToPixel(m_fBasePrice, false) : -1;

    int labelBottom = L.bottom;
    if (m_nMultiplier >= 2) {
        CRect band(L.left, column.bottom - th, L.right, column.bottom);
        CRect frame = band;
        if (m_bLeftAligned) {
            frame.left -= 2;
            frame.right += 1;
        } else {
            frame.left -= 1;
            frame.right += 2;
        }
        dc->SetTextColor(line);
        dc->DrawText(MultiplierText(m_nMultiplier), &band, align);
        CBrush border(colors[CommonColor::uniWnd_Border]);
        dc->FrameRect(&frame, &border);
        labelBottom = frame.top;
    }

    CRect baseLabel;
    if (m_bIntradayBaseLabel && m_bPriceMode && m_nType == kAxisChange && m_fBasePrice < 1000 &&
        m_nBaseRow >= 0) {
        baseLabel = CRect(L.left, m_nBaseRow - th / 2, L.right, m_nBaseRow - th / 2 + th);
        DrawPriceText(*dc, static_cast<int64_t>(m_fBasePrice * divisor + 0.5),
                      colors[CommonColor::uniEqual], digits, m_bLeftAligned != 0, baseLabel,
                      nullptr);
    }

    CPen tickPen(PS_SOLID, 1, line);
    CPen* oldPen = dc->SelectObject(&tickPen);
    const int lineX = m_bLeftAligned ? column.left : column.right;
    const int inward = m_bLeftAligned ? 1 : -1;
    const std::string fmt = FormatLabel();
    for (const Tick& t : BuildTicks()) {
        const int row = t.row;
        const int x0 = lineX + inward;
        dc->MoveTo(x0, row);
        dc->LineTo(x0 + inward * (t.major ? 8 : 3), row);
        if (!t.major) continue;
        const double shown = std::fabs(t.label) < kEps ? 0 : t.label;
        CRect box(L.left, row - th / 2, L.right, row - th / 2 + th);
        if (box.top < area.top) box.OffsetRect(0, area.top - box.top);
        if (box.bottom > L.bottom) box.OffsetRect(0, L.bottom - box.bottom);
        const bool fits = box.bottom <= labelBottom;
        const bool clear = baseLabel.IsRectEmpty() || box.bottom <= baseLabel.top ||
                           box.top >= baseLabel.bottom;
        const bool topOk = m_bAllowTopLabels || box.top > area.top;
        if (fits && clear && topOk) {
            if (m_nType == kAxisChange) {
                dc->SetTextColor(shown > kEps    ? colors[CommonColor::uniRise]
                                 : shown < -kEps ? colors[CommonColor::uniFall]
                                                 : colors[CommonColor::uniEqual]);
                dc->DrawText(Format(fmt, shown / m_nMultiplier), &box, align);
            } else if (priceNormal) {
                const COLORREF c = GetRiseFallColor(shown, m_fBasePrice, colors);
                if (!m_bPlainPrices && m_fLabelStep < 1) {
                    DrawPriceText(*dc, static_cast<int64_t>(shown * divisor + 0.5), c, digits,
                                  m_bLeftAligned != 0, box, nullptr);
                } else {
                    dc->SetTextColor(c);
                    const char* pf = m_fLabelStep >= 1     ? "%.0f"
                                     : m_fLabelStep >= 0.1 ? "%.01f"
                                                           : "%.02f";
                    dc->DrawText(Format(pf, shown), &box, align);
                }
            } else {
                dc->SetTextColor(line);
                dc->DrawText(Format(fmt, shown / m_nMultiplier), &box, align);
            }
        }
        if (row != m_nBaseRow && row != column.top && row != column.bottom)
            m_aGridRows.push_back(row);
    }
    dc->SelectObject(oldPen);
    dc->SetTextColor(oldColor);
    dc->SetBkMode(oldMode);
    if (oldFont) dc->SelectObject(oldFont);
}

}  // namespace chart
