#include "chart/ChartFormats.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "marketdata/Security.h"

namespace chart {

namespace {

int64_t Pow10(int n) {
    int64_t p = 1;
    for (int i = 0; i < n; ++i) p *= 10;
    return p;
}

std::string Printf(const char* fmt, long long a) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, a);
    return buf;
}

std::string Printf2(const char* fmt, long long a, long long b) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, a, b);
    return buf;
}

}  // namespace

PriceDigits DigitsOf(const CSecurity* security) {
    PriceDigits d;
    if (!security) return d;
    const double divisor = security->GetPriceDivisor();
    int stored = 0;
    for (double v = divisor; v >= 10 && stored < 9; v /= 10) ++stored;
    d.stored = stored;
    d.shown = stored < 2 ? stored : 2;
    return d;
}

int64_t DivisorOf(const PriceDigits& digits) { return Pow10(digits.stored); }

void SplitPrice(int64_t v, const PriceDigits& digits, std::string& integer,
                std::string& fraction) {
    const int s = digits.stored < 0 ? 0 : digits.stored;
    const int d = digits.shown < 0 ? 0 : digits.shown;
    int64_t m = 1;
    if (d < s) {
        m = Pow10(s - d);
        v = (v + m / 2) / m * m;
    }
    fraction.clear();
    if (s == 0) {
        integer = Printf("%lld", static_cast<long long>(v));
        return;
    }
    const int64_t p = Pow10(s);
    integer = Printf("%lld", static_cast<long long>(v / p));
    if (d == 0) return;
    char fmt[16];
    std::snprintf(fmt, sizeof fmt, "%%0%dlld", d < s ? d : s);
    fraction = Printf(fmt, static_cast<long long>((v % p) / m));
}

std::string FormatPriceText(int64_t value, const PriceDigits& digits) {
    std::string integer, fraction;
    SplitPrice(value < 0 ? -value : value, digits, integer, fraction);
    return fraction.empty() ? integer : integer + "." + fraction;
}

int DrawPriceText(CDC& dc, int64_t value, COLORREF color, const PriceDigits& digits,
                  bool leftAligned, const CRect& rect, CFont* font) {
    const std::string text = FormatPriceText(value, digits);
    CFont* old = font ? dc.SelectObject(font) : nullptr;
    const COLORREF oldColor = dc.SetTextColor(color);
    CRect rc = rect;
    dc.DrawText(text, &rc, DT_SINGLELINE | DT_VCENTER | (leftAligned ? DT_LEFT : DT_RIGHT));
    const int width = dc.GetTextExtent(text).cx;
    dc.SetTextColor(oldColor);
    if (old) dc.SelectObject(old);
    return width;
}

int MeasurePriceText(CDC& dc, int64_t value, CFont* font, const PriceDigits& digits) {
    CFont* old = font ? dc.SelectObject(font) : nullptr;
    const int width = dc.GetTextExtent(FormatPriceText(value, digits)).cx;
    if (old) dc.SelectObject(old);
    return width;
}

void FormatBigNumber(int64_t v, std::string& number, std::string& unit) {
    const bool negative = v < 0;
    const int64_t a = negative ? -v : v;
    const char* sign = negative ? "-" : "";
    auto withSign = [&](const std::string& s) { return std::string(sign) + s; };
    unit.clear();
    if (a < 100000) {
        number = Printf("%lld", static_cast<long long>(v));
        return;
    }
    if (a < 100000000) {
        unit = "万";
        if (a < 1000000) {
            const int64_t x = (a + 50) / 100;
            number = withSign(Printf2("%lld.%02lld", x / 100, x % 100));
        } else if (a < 10000000) {
            const int64_t x = (a + 500) / 1000;
            number = withSign(Printf2("%lld.%lld", x / 10, x % 10));
        } else {
            number = withSign(Printf("%lld", (a + 5000) / 10000));
        }
        return;
    }
    unit = "亿";
    if (a < 1000000000LL) {
        const int64_t x = (a + 50000) / 100000;
        number = withSign(Printf2("%lld.%03lld", x / 1000, x % 1000));
    } else if (a < 10000000000LL) {
        const int64_t x = (a + 500000) / 1000000;
        number = withSign(Printf2("%lld.%02lld", x / 100, x % 100));
    } else if (a < 100000000000LL) {
        const int64_t x = (a + 5000000) / 10000000;
        number = withSign(Printf2("%lld.%lld", x / 10, x % 10));
    } else {
        number = withSign(Printf("%lld", (a + 50000000) / 100000000));
    }
}

namespace {

// Right-aligned single-line text ending at `right`; its width.
int DrawRightAligned(CDC& dc, const std::string& text, CFont* font, const CRect& rect, int right) {
    CFont* old = font ? dc.SelectObject(font) : nullptr;
    CRect rc(rect.left, rect.top, right, rect.bottom);
    if (rc.right > rc.left) dc.DrawText(text, &rc, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    const int width = static_cast<int>(dc.GetTextExtent(text).cx);
    if (old) dc.SelectObject(old);
    return width;
}

}  // namespace

std::string FormatPercentNumber(int64_t hundredths) {
    if (hundredths == 0) return "0.00";
    const double p = static_cast<double>(hundredths) / 100.0;
    char buf[64];
    std::snprintf(buf, sizeof buf, std::fabs(p) <= 99.99 ? "%+.02f" : "%+.01f", p);
    return buf;
}

int DrawPercentValue(CDC& dc, int64_t hundredths, COLORREF color, const CRect& rect,
                     CFont* numberFont, CFont* signFont) {
    const COLORREF oldColor = dc.SetTextColor(color);
    const int oldMode = dc.SetBkMode(TRANSPARENT);
    const int sign = DrawRightAligned(dc, "%", signFont, rect, rect.right);
    const int number = DrawRightAligned(dc, FormatPercentNumber(hundredths), numberFont, rect,
                                        rect.right - sign);
    dc.SetBkMode(oldMode);
    dc.SetTextColor(oldColor);
    return sign + number;
}

int DrawBigNumber(CDC& dc, int64_t value, CFont* numberFont, CFont* unitFont, COLORREF color,
                  const CRect& rect) {
    const COLORREF oldColor = dc.SetTextColor(color);
    const int oldMode = dc.SetBkMode(TRANSPARENT);
    int width = 0;
    if (value == 0) {
        width = DrawRightAligned(dc, " — ", numberFont, rect, rect.right);
    } else {
        std::string number, unit;
        FormatBigNumber(value, number, unit);
        const int u = unit.empty() ? 0 : DrawRightAligned(dc, unit, unitFont, rect, rect.right);
        width = u + DrawRightAligned(dc, number, numberFont, rect, rect.right - u);
    }
    dc.SetBkMode(oldMode);
    dc.SetTextColor(oldColor);
    return width;
}

}  // namespace chart
