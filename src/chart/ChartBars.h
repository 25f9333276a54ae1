#pragma once
// The chart data layer's bars seen through the renderers' bar interface.

#include "chart/PriceRenderers.h"
#include "marketdata/PicDataLayer.h"

namespace chart {

class LayerBars : public IBarSource {
public:
    explicit LayerBars(const PicDataLayer* layer = nullptr) : m_pLayer(layer) {}
    void SetLayer(const PicDataLayer* layer) { m_pLayer = layer; }
    const PicDataLayer* GetLayer() const { return m_pLayer; }

    double GetOpen(int32_t i) const override { return m_pLayer ? m_pLayer->GetOpen(i) : 0; }
    double GetHigh(int32_t i) const override { return m_pLayer ? m_pLayer->GetHigh(i) : 0; }
    double GetLow(int32_t i) const override { return m_pLayer ? m_pLayer->GetLow(i) : 0; }
    double GetClose(int32_t i) const override { return m_pLayer ? m_pLayer->GetClose(i) : 0; }
    double GetVolume(int32_t i) const override { return m_pLayer ? m_pLayer->GetVolume(i) : 0; }
    double GetTime(int32_t i) const override { return m_pLayer ? m_pLayer->GetTime(i) : 0; }
    double GetAvgPrice(int32_t i) const override {
        return m_pLayer ? m_pLayer->GetAvgPrice(i) : 0;
    }
    int32_t GetFirst() const override { return m_pLayer ? m_pLayer->GetBegin() : 0; }
    int32_t GetLast() const override { return m_pLayer ? m_pLayer->GetEnd() : 0; }
    int16_t GetDataType() const override { return m_pLayer ? m_pLayer->GetDataType() : kTypeDay; }

private:
    const PicDataLayer* m_pLayer;
};

}  // namespace chart
