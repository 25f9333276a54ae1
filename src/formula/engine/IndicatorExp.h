#pragma once
// One output line of an indicator (or one argument of a draw function) with its display
// settings and, once computed, its values over the formula's bars.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formula/engine/ValueRecord.h"

using COLORREF = uint32_t;

class CIndicatorExp {
public:
    // First valid index of a line without values. Deliberately not a bar count: minute series
    // run far past 30,000 bars.
    static constexpr int32_t kNoValid = INT32_MAX;
    static constexpr int kPaletteSize = 64;
    // The colour table lines take their colours from (the skin's live table once installed).
    static COLORREF* m_pColor;

    // Line styles the chart draws.
    enum Style : int16_t {
        kNoDraw = 0,
        kLine = 1,
        kVolStick = 2,
        kColorStick = 3,
        kStick = 4,
        kCircleDot = 5,
        kPointDot = 6,
        kCrossDot = 7,
        kLineStick = 8,
        kColorBar = 9,
        kDotLine = 10,
        kDashLine = 11,
    };

    // Non-zero for numbers and number series (the kinds a line can be drawn from).
    int IsValue() const { return IsValueKind(m_nKind); }
    static int IsValueKind(uint8_t kind) {
        return kind == CValueRecord::kNumber || kind == CValueRecord::kSeries;
    }
    // Non-zero when bar i has a value.
    int GetValue(int i, double& value) const;
    int GetText(int i, std::string& text) const;
    // Widens max/min by the values of bars [first, end); bFirst set means max/min hold nothing
    // yet, and is cleared by the first value found. Returns non-zero when a value was found.
    int GetMaxMin(int first, int end, double& dMax, double& dMin, int& bFirst) const;
    // The same over the bars where cond holds (its value rounded is not 0).
    int GetCondMaxMin(const CIndicatorExp& cond, int first, int end, double& dMax, double& dMin,
                      int& bFirst) const;
    // The line's own colour when it has one, else entry index of the colour table.
    COLORREF GetColor(int index, int flag) const;
    int GetThick(int flag) const { return m_nThick; }
    bool HasValues() const { return m_bComputed && m_nFirst != kNoValid && m_nLast >= m_nFirst; }

    // Takes the result of an evaluation; series values are copied over their valid range.
    void Assign(const CValueRecord& rec, int barCount);
    // The same, taking a series' array from rec instead of copying it (rec gets this line's
    // old array) when CanTake, else copying.
    void Take(CValueRecord& rec, int barCount);
    static bool CanTake(const CValueRecord& rec, int barCount) {
        return rec.m_nKind == CValueRecord::kSeries && !rec.IsView() &&
               rec.Capacity() == barCount && rec.m_pData && rec.m_nFirst >= 0 &&
               rec.m_nFirst <= rec.m_nLast && rec.m_nLast < barCount;
    }
    void Clear();    // drops values, keeps settings
    void Release();  // drops values and frees their storage

    std::string m_strName;
    int16_t m_nStyle = kLine;
    int16_t m_nLayer = 0;
    int16_t m_nShift = 0;
    int16_t m_nHAlign = 0;
    int16_t m_nVAlign = 0;
    int32_t m_bMainChart = 0;
    int32_t m_bOwnColor = 0;
    COLORREF m_crColor = 0;
    int16_t m_nThick = 1;
    int32_t m_bArrow = 0;
    int32_t m_bNoTitle = 0;

    int32_t m_bComputed = 0;
    uint8_t m_nKind = CValueRecord::kSeries;
    double m_dValue = 0;
    std::vector<double> m_aValues;
    std::vector<std::array<char, CValueRecord::kTextSize>> m_aTexts;
    std::string m_strText;
    int32_t m_nFirst = kNoValid;
    int32_t m_nLast = -1;
};
