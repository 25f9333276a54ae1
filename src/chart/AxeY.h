#pragma once
// The vertical value axis of a chart pane: maps values to rows and back for five scale
// types, chooses tick and label steps that fit the pane's height, and draws the axis
// column (ticks, labels, caption, the 万/亿 multiplier box). It knows nothing of series:
// the owner writes a range, a type, a base and rectangles, then calls CalcScale.
//
// Every mapping is defined for degenerate input: a zero-height rectangle or a range
// narrower than 0.0001 maps to the middle row, logarithmic types raise values to 0.0001.

#include <cstdint>
#include <string>
#include <vector>

#include "chart/ChartFormats.h"
#include "foundation/CommonColors.h"
#include "foundation/IndSecuCode.h"
#include "platform/Gdi.h"

class CSecurity;

namespace chart {

// Scale types.
inline constexpr int16_t kAxisNormal = 0;
inline constexpr int16_t kAxisPercent = 1;        // percent of the first visible value
inline constexpr int16_t kAxisLog = 2;
inline constexpr int16_t kAxisChange = 3;         // percent change from the base price
inline constexpr int16_t kAxisEqualRatio = 4;     // equal-ratio logarithmic

class CAxeY {
public:
    CAxeY() = default;
    virtual ~CAxeY() = default;

    virtual void Draw(CDC* dc);
    virtual int ValueToPixel(double value, bool clamp) const;
    virtual double PixelToValue(int row) const;
    // The printf format of labels ("%.2f", "%.1f%%", ...).
    virtual std::string FormatLabel() const;
    virtual int GetHeight() const { return m_rcValue.bottom - m_rcValue.top; }
    // Twice the chart text height.
    virtual int GetLabelHeight() const;

    void CalcScale();
    void GetTickBounds(double* top, double* bottom) const;
    int GetLabelWidth(CDC* dc) const;
    // The tick and label pass without background, axis line and caption.
    void DrawScaledLabels(CDC* dc);

    // The record (price digits) of a security; null keeps 3 stored and 2 shown digits.
    void SetSecurity(const CIndSecuCode& code, const CSecurity* record) {
        m_code = code;
        m_pSecurity = record;
    }

    // One tick of the tick pass: its row, whether it is a labelled (major) tick, the
    // label's value (percent for types 1 and 3) and the plotted value.
    struct Tick {
        int row = 0;
        bool major = false;
        double label = 0;
        double value = 0;
    };
    // The ticks from the bottom of the range up (down on a flipped axis) while they stay
    // inside the column; at most 1,001.
    std::vector<Tick> BuildTicks() const;

    // The multiplier labels of a label step are divided by: 1 below 10,000, else the
    // smallest power of ten that brings the step below 10,000.
    static uint32_t MultiplierFor(double labelStep);
    // Text of a multiplier box ("x10", "x100万", "x1亿"); empty below 2.
    static std::string MultiplierText(uint32_t multiplier);

    // --- fields (the owner writes most of them directly) ---
    COLORREF m_clrBack = 0;  // 0: uniPic_AxeBackGround
    COLORREF m_clrLine = 0;  // 0: uniPic_Axe
    CRect m_rcValue;         // rows values map onto
    CRect m_rcLabels;        // the axis column; empty: m_rcValue
    std::string m_strCaption;
    double m_fMax = 1.5;
    double m_fMin = 0.5;
    double m_fBasePrice = 1.0;    // type 3: the previous close
    double m_fBaseValue = 1.0;    // type 1: the first visible price
    double m_fPercentMax = 100.0; // types 1 and 3, written by CalcScale
    double m_fPercentMin = 0;
    int m_bPriceMode = 0;
    int m_bAllowTopLabels = 1;
    int m_bIntradayBaseLabel = 0;
    CIndSecuCode m_code;
    const CSecurity* m_pSecurity = nullptr;
    int16_t m_nType = kAxisNormal;
    int m_bFlipped = 0;
    uint8_t m_bLeftAligned = 0;
    int16_t m_nDecimals = 2;      // negative: automatic
    std::vector<int> m_aGridRows; // rows of the major ticks, for grid lines
    int m_nBaseRow = -1;
    uint8_t m_bPlainPrices = 0;
    double m_fStep = 1.0;
    double m_fLabelStep = 1.0;
    int m_nLabelEvery = 1;
    uint32_t m_nMultiplier = 1;
    int m_bScaleValid = 0;

    // The colours drawn with; null: the common variables'.
    const CommonColorTable* m_pColors = nullptr;

private:
    const CommonColorTable& Colors() const;
    PriceDigits Digits() const;
    void DrawTicks(CDC* dc, const CRect& column, CRect labels);
};

}  // namespace chart
