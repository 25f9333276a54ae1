#include "chart/ChartFormats.h"

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

}  // namespace chart
