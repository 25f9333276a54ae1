#pragma once
// The value axis of the training report and analysis panels: maps values to rows of its
// rectangle (maximum at the top) and draws its column of ticks and labels, plain or as a
// percent of a base value. The rows of the ticks drawn are kept for the panels' grid lines.
#include <cstdint>
#include <vector>

#include "platform/Gdi.h"

class CAnalysisAxis {
public:
    static constexpr int16_t kNormal = 0;
    static constexpr int16_t kPercent = 1;  // labels: value / base - 1, in percent

    // Chooses the tick step for the range and the rectangle's height.
    void CalcScale();
    // y of a value; the middle row for a range under 0.0001 or an empty rectangle; kept
    // within [top, bottom - 1] when clamping.
    int ValueToPixel(double value, bool clamp) const;
    // Background, axis line, ticks and labels.
    void Draw(CDC* dc);
    // Ticks and labels only.
    void DrawScaledLabels(CDC* dc);

    COLORREF m_clrBack = 0;  // 0: the skin's axis background
    COLORREF m_clrLine = 0;  // 0: the skin's axis colour
    CRect m_rcValue;
    double m_fMax = 1.5;
    double m_fMin = 0.5;
    double m_fBaseValue = 1.0;  // the percent base
    double m_fBasePrice = 1.0;  // the close before the first bar (kept for the owner)
    int16_t m_nType = kNormal;
    uint8_t m_bLeftAligned = 0;  // axis line on the left edge, labels left-aligned
    std::vector<int> m_aGridRows;

private:
    // The label value of a raw value (percent of the base for kPercent).
    double Shown(double value) const;
    double Raw(double shown) const;
    void DrawTicks(CDC* dc);
    double m_fStep = 0;  // in shown units
    int m_nDecimals = 2;
};
