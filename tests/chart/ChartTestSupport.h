#pragma once
// A chart window over bars written straight into its data layer, for tests that need a
// real window, overlay and panes without the network.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "chart/ChartOverlay.h"
#include "chart/ChartPic.h"
#include "chart/KlineChartWnd.h"
#include "formula/YBIndClass.h"
#include "marketdata/DayData.h"
#include "marketdata/DayItem.h"
#include "platform/App.h"
#include "platform/home/ProgramDir.h"
#include "ui/CommonVar.h"

namespace chart_test {

inline void EnsureChartEnvironment() {
    if (!platform::IsInitialized()) {
        static int argc = 1;
        static char name[] = "test_chart";
        static char* argv[] = {name, nullptr};
        platform::Initialize(argc, argv);
    }
    static bool once = [] {
        CommonVar* var = GetCommonVar();
        var->Init();
        // The shipped skin's colours are not loaded in tests: the built-in defaults.
        SetDefaultCommonColours(var->Colors());
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        var->MeasureFonts(&dc);
        GetYBIndClass()->Read(platform::InstalledResourcesDir() + "/Sys.xml");
        CYBIndClass::SetUp();
        return true;
    }();
    (void)once;
}

// Writes records into the item buffer the way the series would.
class TestLayer : public PicDataLayer {
public:
    using PicDataLayer::PicDataLayer;
    void FillBars(const std::vector<CFloatDayItem>& bars, int16_t type = kDay, int16_t period = 1) {
        SetDataType(type, period);
        m_nItemCount = static_cast<int32_t>(bars.size());
        Reserve();
        m_nBegin = 0;
        m_nEnd = m_nItemCount;
        std::memcpy(m_items.data(), bars.data(), bars.size() * sizeof(CFloatDayItem));
    }
    // Intraday records: time (u32 yymmddhhmm), price, average, volume.
    void FillIntraday(const std::vector<std::array<double, 4>>& rows, int16_t type = kIntraday) {
        SetDataType(type, 0);
        m_nItemCount = static_cast<int32_t>(rows.size());
        Reserve();
        m_nBegin = 0;
        m_nEnd = m_nItemCount;
        const size_t size = static_cast<size_t>(RecordSize());
        for (size_t i = 0; i < rows.size(); ++i) {
            uint8_t* r = m_items.data() + i * size;
            const uint32_t t = static_cast<uint32_t>(rows[i][0]);
            std::memcpy(r, &t, 4);
            if (type == kIntraday) {
                std::memcpy(r + 8, &rows[i][1], 8);
                std::memcpy(r + 16, &rows[i][2], 8);
                std::memcpy(r + 24, &rows[i][3], 8);
            } else {
                std::memcpy(r + 4, &rows[i][1], 8);
                std::memcpy(r + 12, &rows[i][2], 8);
            }
        }
    }
    // No network in tests.
    void RequestData() override {}
    void Detach() override {}
    void SetPreviousClose(double v) { m_fRefPrice1 = v; }
    // The security record the layer would have found (what the value panel names).
    void UseSecurity(CSecurity* security) { m_pSecurity = security; }
    // A series of the test's own (its ex-rights events); never given back to the pool.
    void AttachSeries(std::shared_ptr<CDayData> series) { m_pSeries = std::move(series); }
    ~TestLayer() override { m_pSeries.reset(); }
};

// A deterministic walk: day bars from 2023-01-02, one a weekday.
inline std::vector<CFloatDayItem> DayBars(int n, double start = 10.0) {
    std::vector<CFloatDayItem> v;
    double close = start;
    int y = 2023, m = 1, d = 2;
    for (int i = 0; i < n; ++i) {
        CFloatDayItem b;
        const double open = close;
        const double move = std::sin(i * 0.37) * 0.3 + std::cos(i * 0.11) * 0.15;
        close = std::max(1.0, open + move);
        b.m_fOpen = open;
        b.m_fClose = close;
        b.m_fHigh = std::max(open, close) + 0.12 + 0.05 * std::fabs(std::sin(i * 1.3));
        b.m_fLow = std::min(open, close) - 0.1 - 0.05 * std::fabs(std::cos(i * 0.9));
        b.m_fVolume = 100000 + 40000 * std::fabs(std::sin(i * 0.5));
        b.m_fAmount = b.m_fVolume * close;
        b.m_nTime = int64_t(y) * 10000 + m * 100 + d;
        v.push_back(b);
        if (++d > 28) {
            d = 1;
            if (++m > 12) m = 1, ++y;
        }
    }
    return v;
}

// 5-minute bars (48 a day) keyed yyyymmddhhmm.
inline std::vector<CFloatDayItem> FiveMinuteBars(int days) {
    std::vector<CFloatDayItem> v = DayBars(days * 48, 20.0);
    static const int times[] = {935, 940, 945, 950, 955, 1000, 1005, 1010, 1015, 1020, 1025, 1030,
                                1035, 1040, 1045, 1050, 1055, 1100, 1105, 1110, 1115, 1120, 1125, 1130,
                                1305, 1310, 1315, 1320, 1325, 1330, 1335, 1340, 1345, 1350, 1355, 1400,
                                1405, 1410, 1415, 1420, 1425, 1430, 1435, 1440, 1445, 1450, 1455, 1500};
    for (size_t i = 0; i < v.size(); ++i)
        v[i].m_nTime = (20240102LL + static_cast<int64_t>(i / 48)) * 10000 + times[i % 48];
    return v;
}

class TestChartWnd : public CKlineChartWnd {
public:
    void CreateDataLayer() override {
        m_pDataLayer = std::make_shared<TestLayer>(this);
        m_pDataLayer->SetDataType(PicDataLayer::kDay, 1);
    }
    TestLayer& Layer() { return static_cast<TestLayer&>(*m_pDataLayer); }
    chart::ChartOverlay& Chart() { return *GetChartOverlayPtr(); }
};

class TestIntradayWnd : public CBlockPicCur {
public:
    void CreateDataLayer() override {
        m_pDataLayer = std::make_shared<TestLayer>(this);
        m_pDataLayer->SetDataType(PicDataLayer::kHistoryIntraday, 0);
    }
    TestLayer& Layer() { return static_cast<TestLayer&>(*m_pDataLayer); }
    chart::ChartOverlay& Chart() { return *GetChartOverlayPtr(); }
};

// An offscreen image of a window's paint.
struct Snapshot {
    CBitmap bmp;
    CDC dc;
    int w, h;
    Snapshot(int width, int height) : w(width), h(height) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, w, h);
        dc.SelectObject(&bmp);
    }
    COLORREF At(int x, int y) const { return dc.GetPixel(x, y) & 0xFFFFFF; }
    std::vector<COLORREF> Pixels() const {
        std::vector<COLORREF> v;
        v.reserve(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) v.push_back(At(x, y));
        return v;
    }
    int Count(const CRect& rc, COLORREF c) const {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) n += At(x, y) == c;
        return n;
    }
};

}  // namespace chart_test
