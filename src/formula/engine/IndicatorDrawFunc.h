#pragma once
// One draw function of an indicator: a drawing primitive over a run of argument
// expressions held in the indicator's second expression array.

#include <cstdint>

class CIndicatorDrawFunc {
public:
    // The draw kinds the chart renders (0..23); kind 6 has no renderer.
    enum Kind : int32_t {
        kIcon = 0,
        kLine = 1,
        kText = 2,
        kPolyline = 3,
        kStickLine = 4,
        kCircle = 5,
        kNone = 6,
        kTickLine = 7,
        kBand = 8,
        kVertLine = 9,
        kPartLine = 10,
        kFillBetween = 11,
        kFillBelow = 12,
        kRectPixels = 13,
        kRectRelative = 14,
        kTextPixels = 15,
        kTextRelative = 16,
        kFlagText = 17,
        kBitmap = 18,
        kBackground = 19,
        kBackgroundLast = 20,
        kBarPair = 21,
        kPosText = 22,
        kTipIcon = 23,
    };

    // Fewest argument expressions the kind needs (the renderer checks its exact counts).
    int ExpWant() const;

    int32_t m_nKind = kNone;
    int32_t m_nFirst = 0;  // first argument index
    int32_t m_nEnd = 0;    // end argument index (exclusive)

    friend bool operator==(const CIndicatorDrawFunc&, const CIndicatorDrawFunc&) = default;
};
