#pragma once
// The chart's house style for numbers: integer prices with stored and shown decimals,
// big quantities in 万 and 亿, and the routines that draw them.

#include <cstdint>
#include <string>

#include "platform/Gdi.h"

class CSecurity;

namespace chart {

// Stored decimals of an integer price and the decimals to show.
struct PriceDigits {
    int stored = 3;
    int shown = 2;
};
// The security's digits: stored from its price divisor, two shown (fewer when fewer are
// stored). Without a record: 3 stored, 2 shown.
PriceDigits DigitsOf(const CSecurity* security);
// The divisor of the digits (10^stored).
int64_t DivisorOf(const PriceDigits& digits);

// Integer and fraction text of an integer price, rounded to the shown decimals.
// 12345 with (3, 2) gives "12" and "35"; with (3, 0) "12" and no fraction.
void SplitPrice(int64_t value, const PriceDigits& digits, std::string& integer,
                std::string& fraction);
// "12.35": the absolute value's integer text and, when there is one, "." and the fraction.
std::string FormatPriceText(int64_t value, const PriceDigits& digits);

// Writes the price text single line, vertically centred, left- or right-aligned in the
// rectangle with the font (null: the context's own); returns its width.
int DrawPriceText(CDC& dc, int64_t value, COLORREF color, const PriceDigits& digits,
                  bool leftAligned, const CRect& rect, CFont* font);
int MeasurePriceText(CDC& dc, int64_t value, CFont* font, const PriceDigits& digits);

// A quantity as number text and unit ("", "万" or "亿"), each quotient rounded half up,
// the sign kept in the number: 100000 -> "10.00" "万"; 123456789 -> "1.235" "亿".
void FormatBigNumber(int64_t value, std::string& number, std::string& unit);

// The number of a percentage given in hundredths of a percent: "0.00" for 0, two decimals
// with a sign while the magnitude is at most 99.99 %, else one ("+123.5" for 12345).
std::string FormatPercentNumber(int64_t hundredths);
// Writes "%" right-aligned in the rectangle in the sign font and the number right-aligned
// just left of it in the number font (null fonts: the context's own). Returns the width
// of both.
int DrawPercentValue(CDC& dc, int64_t hundredths, COLORREF color, const CRect& rect,
                     CFont* numberFont, CFont* signFont);
// A quantity right-aligned: the unit (万/亿) in the unit font, the number just left of it in
// the number font; 0 writes " — ". Returns the width of what was written.
int DrawBigNumber(CDC& dc, int64_t value, CFont* numberFont, CFont* unitFont, COLORREF color,
                  const CRect& rect);

}  // namespace chart
