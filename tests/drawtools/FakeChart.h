#pragma once
// A chart for the drawing tools without a chart window: synthetic bars, named panes, a
// linear or logarithmic value axis and a settable visible range.

#include <cmath>
#include <string>
#include <vector>

#include "drawtools/DrawChart.h"
#include "platform/App.h"

struct FakeBar {
    int64_t key;
    double open, high, low, close;
    double volume = 0;
};

class FakeChart : public IDrawChart {
public:
    struct Pane {
        std::string name;
        CRect rect;
        double minValue, maxValue;
    };

    FakeChart() {
        static int argc = 1;
        static char name[] = "test_drawtools";
        static char* argv[] = {name, nullptr};
        platform::Initialize(argc, argv);
        panes = {{"", CRect(10, 20, 610, 320), 10.0, 20.0}, {"VOL", CRect(10, 330, 610, 430), 0, 100}};
        for (int i = 0; i < 200; ++i) {
            const double base = 12 + (i % 20) * 0.25;
            bars.push_back({20200101LL + i, base, base + 1, base - 1, base + 0.5, 1000.0 + i});
        }
    }

    // Minute bars from 2023 on: keys yyyymmddhhmm.
    void UseMinuteKeys() {
        for (size_t i = 0; i < bars.size(); ++i) bars[i].key = 202301020931LL + int64_t(i);
        dataType = 3;
        period = 1;
    }

    CWnd* GetChartWindow() override { return window; }
    int GetPaneCount() const override { return int(panes.size()); }
    std::string GetPaneName(int index) const override {
        return index >= 0 && index < GetPaneCount() ? panes[index].name : std::string();
    }
    const Pane* Find(int index, const std::string& name) const {
        if (index >= 0 && index < GetPaneCount()) return &panes[index];
        for (const Pane& p : panes)
            if (p.name == name) return &p;
        return nullptr;
    }
    CRect GetPaneRect(int index, const std::string& name) const override {
        const Pane* p = Find(index, name);
        return p ? p->rect : CRect(0, 0, 620, 460);
    }
    int PaneAtPoint(int x, int y) const override {
        for (int i = 0; i < GetPaneCount(); ++i)
            if (panes[i].rect.PtInRect(CPoint(x, y))) return i;
        return -1;
    }
    double Axis(double v) const { return logAxis ? std::log(std::max(v, 0.0001)) : v; }
    double Unaxis(double a) const { return logAxis ? std::exp(a) : a; }
    double YToValue(int index, const std::string& name, int y) const override {
        const Pane* p = Find(index, name);
        if (!p) return 0;
        const double off = Offset(p);
        const double lo = Axis(p->minValue + off), hi = Axis(p->maxValue + off);
        return Unaxis(hi - (y - p->rect.top) * (hi - lo) / p->rect.Height());
    }
    int ValueToY(int index, const std::string& name, double v) const override {
        const Pane* p = Find(index, name);
        if (!p) return 0;
        const double off = Offset(p);
        const double lo = Axis(p->minValue + off), hi = Axis(p->maxValue + off);
        return p->rect.top + int(std::lround((hi - Axis(v)) * p->rect.Height() / (hi - lo)));
    }
    double Offset(const Pane* p) const { return offsets.empty() ? 0 : offsets[size_t(p - panes.data())]; }
    double GetValueOffset(int index) const override {
        return index >= 0 && size_t(index) < offsets.size() ? offsets[size_t(index)] : 0;
    }
    void SetValueOffset(int index, double offset) override {
        offsets.resize(panes.size());
        if (index >= 0 && index < GetPaneCount()) offsets[size_t(index)] = offset;
    }
    CRect GetTimeAxisRect() const override { return CRect(10, 440, 610, 460); }
    int32_t XToIndex(int x) const override {
        int32_t i = first + (x - panes[0].rect.left) / int(barWidth);
        return std::clamp<int32_t>(i, first, first + visible - 1);
    }
    int IndexToX(int32_t i) const override {
        return panes[0].rect.left + (i - first) * int(barWidth) + int(barWidth) / 2;
    }
    double GetBarWidth() const override { return barWidth; }
    int32_t GetFirstVisibleIndex() const override { return first; }
    int32_t GetVisibleCount() const override { return visible; }
    void ScrollToFirstIndex(int32_t index) override {
        first = std::clamp<int32_t>(index, 0, int32_t(bars.size()) - visible);
        ++scrolls;
    }
    int64_t GetTimeAtX(int x) override { return bars[XToIndex(x)].key; }
    int TimeToX(int64_t key) override {
        for (int32_t i = first; i < first + visible; ++i)
            if (bars[i].key >= key) return IndexToX(i);
        return 0;
    }
    double GetBarPrice(int32_t i, int kind) const override {
        if (i < 0 || i >= int32_t(bars.size())) return 0;
        switch (kind) {
        case 1: return bars[i].close;
        case 2: return bars[i].high;
        case 3: return bars[i].low;
        case 4: return bars[i].open;
        case 5: return bars[i].volume;
        default: return 0;
        }
    }
    double CloseAtTime(int64_t key) const override {
        for (const FakeBar& b : bars)
            if (b.key >= key) return b.close;
        return 0;
    }
    int16_t GetDataType() const override { return dataType; }
    int16_t GetPeriod() const override { return period; }
    CIndSecuCode GetSecurity() const override { return security; }
    void Invalidate() override { ++invalidations; }
    void SetDragFlag(bool on) override { dragFlag = on; }

    std::vector<Pane> panes;
    std::vector<FakeBar> bars;
    std::vector<double> offsets;  // per pane, moved by the pan tool
    CWnd* window = nullptr;
    bool logAxis = false;
    double barWidth = 6;
    int32_t first = 0;
    int32_t visible = 100;
    int16_t dataType = 4;
    int16_t period = 1;
    CIndSecuCode security{1, "600000"};
    int invalidations = 0;
    int scrolls = 0;
    bool dragFlag = true;
};

// A two-anchor tool put on pane 0 of the fake chart at pixel anchors, its figure made.
template <class T>
void PlaceTwoPoints(T& t, FakeChart& chart, int x1, int y1, int x2, int y2) {
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    t.x1 = x1, t.y1 = y1, t.x2 = x2, t.y2 = y2;
    t.MakeFigure(1, 0);
}
