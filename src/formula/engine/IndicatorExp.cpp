#include "formula/engine/IndicatorExp.h"

#include <cmath>
#include <cstring>

namespace {
// Colours used before the system installs its table: the chart's own indicator line colours.
COLORREF g_defaultPalette[CIndicatorExp::kPaletteSize] = {};
struct DefaultPaletteInit {
    DefaultPaletteInit() {
        static constexpr COLORREF kLines[8] = {0xFFFFFF, 0x40FFFF, 0xFF60FF, 0x6060FF,
                                               0xFFFF00, 0x60FF00, 0xFF8000, 0x808080};
        for (int i = 0; i < CIndicatorExp::kPaletteSize; ++i) g_defaultPalette[i] = kLines[i % 8];
    }
} g_defaultPaletteInit;

// Takes v into a running range; bFirst says the range is still empty.
void Widen(double v, double& dMax, double& dMin, int& bFirst) {
    if (bFirst) {
        dMax = dMin = v;
        bFirst = 0;
    } else {
        if (v > dMax) dMax = v;
        if (v < dMin) dMin = v;
    }
}
}  // namespace

COLORREF* CIndicatorExp::m_pColor = g_defaultPalette;

int CIndicatorExp::GetValue(int i, double& value) const {
    if (!m_bComputed) return 0;
    if (m_nKind == CValueRecord::kNumber) {
        value = m_dValue;
        return 1;
    }
    if (m_nKind != CValueRecord::kSeries || i < m_nFirst || i > m_nLast ||
        i >= static_cast<int>(m_aValues.size()))
        return 0;
    value = m_aValues[static_cast<size_t>(i)];
    return 1;
}

int CIndicatorExp::GetText(int i, std::string& text) const {
    if (!m_bComputed) return 0;
    if (m_nKind == CValueRecord::kText) {
        text = m_strText;
        return !text.empty();
    }
    if (m_nKind != CValueRecord::kTextSeries || i < m_nFirst || i > m_nLast ||
        i >= static_cast<int>(m_aTexts.size()))
        return 0;
    text = m_aTexts[static_cast<size_t>(i)].data();
    return !text.empty();
}

int CIndicatorExp::GetMaxMin(int first, int end, double& dMax, double& dMin, int& bFirst) const {
    int found = 0;
    double v;
    if (m_nKind == CValueRecord::kNumber) {
        if (!m_bComputed) return 0;
        first = 0;
        end = 1;
    }
    for (int i = first; i < end; ++i) {
        if (!GetValue(i, v) || !std::isfinite(v)) continue;
        Widen(v, dMax, dMin, bFirst);
        found = 1;
    }
    return found;
}

int CIndicatorExp::GetCondMaxMin(const CIndicatorExp& cond, int first, int end, double& dMax,
                                 double& dMin, int& bFirst) const {
    int found = 0;
    double c, v;
    for (int i = first; i < end; ++i) {
        if (!cond.GetValue(i, c) || std::lround(c) == 0 || !GetValue(i, v) || !std::isfinite(v))
            continue;
        Widen(v, dMax, dMin, bFirst);
        found = 1;
    }
    return found;
}

COLORREF CIndicatorExp::GetColor(int index, int flag) const {
    if (m_bOwnColor) return m_crColor;
    COLORREF* table = m_pColor ? m_pColor : g_defaultPalette;
    int i = index % kPaletteSize;
    if (i < 0) i += kPaletteSize;
    return table[i];
}

void CIndicatorExp::Assign(const CValueRecord& rec, int barCount) {
    m_nKind = rec.m_nKind;
    m_bComputed = 1;
    m_nFirst = kNoValid;
    m_nLast = -1;
    switch (rec.m_nKind) {
        case CValueRecord::kNumber:
            m_dValue = rec.m_dValue;
            m_nFirst = 0;
            m_nLast = barCount - 1;
            break;
        case CValueRecord::kText:
            m_strText = rec.m_szText;
            m_nFirst = 0;
            m_nLast = barCount - 1;
            break;
        case CValueRecord::kSeries:
            if (static_cast<int>(m_aValues.size()) != barCount)
                m_aValues.assign(static_cast<size_t>(barCount), 0.0);
            if (rec.m_pData && rec.m_nFirst <= rec.m_nLast && rec.m_nFirst >= 0 &&
                rec.m_nLast < barCount && rec.m_nLast < rec.Capacity()) {
                std::memcpy(m_aValues.data() + rec.m_nFirst, rec.m_pData + rec.m_nFirst,
                            sizeof(double) * static_cast<size_t>(rec.m_nLast - rec.m_nFirst + 1));
                m_nFirst = rec.m_nFirst;
                m_nLast = rec.m_nLast;
            }
            break;
        case CValueRecord::kTextSeries:
            m_aTexts.assign(static_cast<size_t>(barCount), {});
            if (rec.m_pTexts && rec.m_nFirst <= rec.m_nLast && rec.m_nFirst >= 0 &&
                rec.m_nLast < barCount) {
                for (int i = rec.m_nFirst; i <= rec.m_nLast; ++i)
                    std::memcpy(m_aTexts[static_cast<size_t>(i)].data(), rec.m_pTexts[i],
                                CValueRecord::kTextSize);
                m_nFirst = rec.m_nFirst;
                m_nLast = rec.m_nLast;
            }
            break;
    }
}

void CIndicatorExp::Take(CValueRecord& rec, int barCount) {
    if (!CanTake(rec, barCount)) {
        Assign(rec, barCount);
        return;
    }
    m_nKind = CValueRecord::kSeries;
    m_bComputed = 1;
    rec.SwapData(m_aValues);
    m_nFirst = rec.m_nFirst;
    m_nLast = rec.m_nLast;
    rec.Reserve(barCount);
}

void CIndicatorExp::Clear() {
    m_bComputed = 0;
    m_nFirst = kNoValid;
    m_nLast = -1;
}

void CIndicatorExp::Release() {
    Clear();
    std::vector<double>().swap(m_aValues);
    decltype(m_aTexts)().swap(m_aTexts);
    m_strText.clear();
}
