// 10,000 candles (a body rectangle and a high-low line each) on a 1920x1080 image:
// through the layer's device context, against the same drawing with QPainter directly.
// Twice: on a bitmap, and on a window's back buffer at device-pixel ratio 2 (the process
// runs as on a HiDPI screen) against QPainter on an image of that ratio.
// The baselines are measured in the same run; the ratios are printed at the end.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <map>
#include <random>
#include <vector>

#include "RatioReporter.h"
#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Wnd.h"

namespace {

struct Candle {
    int x, open, close, high, low;
};

const std::vector<Candle>& Candles() {
    static const std::vector<Candle> candles = [] {
        std::vector<Candle> v;
        std::mt19937 rng(20240601);
        std::uniform_int_distribution<int> step(-12, 12), wick(0, 20);
        int price = 540;
        for (int i = 0; i < 10000; ++i) {
            int open = price, close = std::clamp(price + step(rng), 40, 1040);
            int high = std::max(open, close) + wick(rng), low = std::min(open, close) - wick(rng);
            v.push_back({i * 1920 / 10000, open, close, std::min(high, 1079), std::max(low, 0)});
            price = close;
        }
        return v;
    }();
    return candles;
}

constexpr COLORREF kUp = RGB(255, 77, 77);
constexpr COLORREF kDown = RGB(77, 255, 77);

// The candles with QPainter on an image of the given device-pixel ratio. At ratio 1 the
// pens are cosmetic; above it a one-pixel line is a logical pixel wide along the pixel
// centres, as the device context draws it there.
void QPainterCandles(benchmark::State& state, qreal ratio) {
    QImage img(int(1920 * ratio), int(1080 * ratio), QImage::Format_RGB32);
    img.setDevicePixelRatio(ratio);
    const bool hidpi = ratio > 1;
    const qreal half = hidpi ? 0.5 : 0.0;
    const QColor up(255, 77, 77), down(77, 255, 77);
    QPen upPen(up, hidpi ? 1 : 0), downPen(down, hidpi ? 1 : 0);
    upPen.setCapStyle(Qt::FlatCap);
    downPen.setCapStyle(Qt::FlatCap);
    const QBrush upBrush(up), downBrush(down);
    for (auto _ : state) {
        img.fill(0xff101218);
        QPainter p(&img);
        for (const Candle& c : Candles()) {
            const bool rising = c.close >= c.open;
            p.setPen(rising ? upPen : downPen);
            p.setBrush(rising ? upBrush : downBrush);
            int top = 1080 - std::max(c.open, c.close), bottom = 1080 - std::min(c.open, c.close);
            p.drawLine(QPointF(c.x + 1 + half, 1080 - c.high),
                       QPointF(c.x + 1 + half, 1080 - c.low + (hidpi ? 1 : 0)));
            p.drawRect(QRectF(c.x + half, top + half, 2, std::max(bottom - top, 1)));
        }
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
}

// The same candles through a device context.
void DeviceContextCandles(benchmark::State& state, CDC& dc) {
    CPen upPen(PS_SOLID, 1, kUp), downPen(PS_SOLID, 1, kDown);
    CBrush upBrush(kUp), downBrush(kDown);
    const CRect all(0, 0, 1920, 1080);
    for (auto _ : state) {
        dc.FillSolidRect(&all, RGB(24, 18, 16));
        for (const Candle& c : Candles()) {
            const bool rising = c.close >= c.open;
            dc.SelectObject(rising ? &upPen : &downPen);
            dc.SelectObject(rising ? &upBrush : &downBrush);
            int top = 1080 - std::max(c.open, c.close), bottom = 1080 - std::min(c.open, c.close);
            dc.MoveTo(c.x + 1, 1080 - c.high);
            dc.LineTo(c.x + 1, 1080 - c.low + 1);
            dc.Rectangle(c.x, top, c.x + 3, top + std::max(bottom - top, 1) + 1);
        }
        benchmark::DoNotOptimize(dc.GetPixel(0, 0));
    }
}

void BM_Candles_QPainter(benchmark::State& state) {
    QPainterCandles(state, 1);
}

void BM_Candles_DeviceContext(benchmark::State& state) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap bmp;
    bmp.CreateCompatibleBitmap(&dc, 1920, 1080);
    dc.SelectObject(&bmp);
    DeviceContextCandles(state, dc);
}

void BM_Candles_QPainter_HiDpi(benchmark::State& state) {
    QPainterCandles(state, 2);
}

// A window's back buffer, at the ratio 2 this process runs with.
void BM_Candles_WindowDC_HiDpi(benchmark::State& state) {
    CWnd wnd;
    if (!wnd.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 1920, 1080), nullptr, 0)) {
        state.SkipWithError("no window");
        return;
    }
    CClientDC dc(&wnd);
    DeviceContextCandles(state, dc);
}

BENCHMARK(BM_Candles_QPainter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Candles_DeviceContext)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Candles_QPainter_HiDpi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Candles_WindowDC_HiDpi)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenPlatform();
    setenv("QT_SCALE_FACTOR", "2", 1);  // windows get back buffers of device-pixel ratio 2
    static int qargc = 1;
    static char name[] = "bench_platform";
    static char* qargv[] = {name, nullptr};
    platform::Initialize(qargc, qargv);
    RatioReporter reporter;
    // Candles drawn through the device context against QPainter drawing the same.
    reporter.AddRatio("platform.device_context_over_qpainter", "BM_Candles_DeviceContext",
                      "BM_Candles_QPainter", 1.2);
    // The same on a window's back buffer at device-pixel ratio 2.
    reporter.AddRatio("platform.hidpi_window_dc_over_qpainter", "BM_Candles_WindowDC_HiDpi",
                      "BM_Candles_QPainter_HiDpi", 1.2);
    return RunBenchmarks(argc, argv, reporter);
}
