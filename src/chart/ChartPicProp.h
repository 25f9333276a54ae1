#pragma once
// The state of one chart pane: its rectangles, value range and three value axes (main,
// percent, indicator), the indicator bound to it, the texts that indicator placed on
// bars, hit tests and the pane's settings.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "chart/AxeY.h"
#include "chart/IndicatorFunctions.h"
#include "formula/engine/KlineLight.h"
#include "platform/Gdi.h"

namespace tinyxml2 {
class XMLElement;
}

namespace chart {

class ChartPic;
class ChartOverlay;

class ChartPicProp {
public:
    explicit ChartPicProp(ChartPic* owner);
    ~ChartPicProp();

    // Binds the catalogue's indicator of that name (none when it is not there; the name
    // is kept either way).
    void BindIndicatorByName(const std::string& name);
    void BindIndicatorByIndex(int index);
    void SetIndicatorPeriod(int16_t dataType, int16_t period);
    void ResizeResults();
    // Runs the indicator over [first, last) and the range; 1 when the pane's maximum or
    // minimum changed. Always evaluates: for new data or a changed indicator.
    int CalcIndicator(int32_t first, int32_t last);
    // The same for a new visible range (zoom, pan): the indicator is evaluated only when its
    // cached results no longer answer for the loaded bars (other records, another count or
    // loaded range, a binding, period, security or parameter change since), or when its
    // formula reads the shown range and that moved. Otherwise only the range is taken.
    int UpdateIndicator(int32_t first, int32_t last);
    // Forgets the cached results: the next UpdateIndicator evaluates again.
    void InvalidateResults() { m_stamp = CalcStamp{}; }
    // True while the indicator's results answer for the loaded bars as they are now.
    bool ResultsCurrent() const;
    void CalcRange();
    void UpdateAxes();
    void ResetSecurity();
    // Stores the scale type into the pane, its main and indicator axes; unflips all three.
    void SetAxisType(int16_t type);
    void Layout();
    void LayoutAxes();
    int HitTest(CPoint pt) const;
    // The hover tip's lines at pt, all plain text: the indicator's tip texts near the point
    // (after "提示文字"), else an ex-rights mark's mode and description, else a training
    // trade's mark ("买卖记录-<data type>-<key>-<direction>"). 1 when it added lines.
    int GetTipText(std::vector<std::string>& lines, CPoint pt) const;
    int PriceToY(double value, bool clamp) const { return m_axeMain.ValueToPixel(value, clamp); }
    int IndicatorToY(double value, bool clamp) const { return m_axeInd.ValueToPixel(value, clamp); }
    std::string FormatValueAt(int row) const;
    bool IsIndicatorUsable() const;
    // Ready: the indicator is bound, compiled and usable.
    bool IsIndicatorReady() const;
    void Load(const tinyxml2::XMLElement* node);
    void Save(tinyxml2::XMLElement* node) const;

    ChartOverlay* Overlay() const;

    // --- fields ---
    CRect m_rcPlot, m_rcPlot2, m_rcPane;
    int m_nTitleHeight = 0;
    int m_nIndex = -1;
    int m_nHeightPer = 200;
    int m_bPricePane = 0;
    int m_bVolumePane = 0;
    int m_bTitleAllowed = 1;
    int m_bIndicatorUsable = 0;
    int m_bFlipped = 0;
    uint8_t m_bRangeComputed = 0;
    int16_t m_nAxisType = kAxisNormal;
    uint8_t m_bShowTitle = 0;
    double m_fOffset = 0;
    double m_fMax = 1.5, m_fMin = 0.5;
    int32_t m_nMaxIndex = -1, m_nMinIndex = -1;
    double m_fIndMax = 1.5, m_fIndMin = 0.5;
    double m_fFirstPrice = 1;
    double m_fAvgVolume = 0;
    CAxeY m_axeMain, m_axePercent, m_axeInd;
    ChartPic* m_pOwner;
    std::shared_ptr<CKlineLight> m_pIndicator;
    std::string m_strIndicatorName;
    IndicatorTextLists m_texts;
    int m_nHover = 0;  // the pane's last hit code under the mouse

private:
    // What the cached results were computed over.
    struct CalcStamp {
        bool valid = false;
        const void* records = nullptr;
        int32_t count = 0, begin = 0, end = 0;
        int32_t showFirst = 0, showEnd = 0;
    };
    CalcStamp CurrentStamp() const;
    CalcStamp m_stamp;
};

}  // namespace chart
