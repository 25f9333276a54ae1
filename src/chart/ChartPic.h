#pragma once
// One horizontal pane of a K-line chart (price, volume or indicator) and its drawing.
//
// Paint order of ChartPic::Draw, each step skipped when its condition fails:
//  1 empty the flag-text lists        8 main pane: marks (ex-rights, highest/lowest,
//  2 background                          trades, training start)
//  3 shaded areas (now-x, session-x)  9 volume bars (volume pane without indicator)
//  4 price-gap boxes                 10 crosshair (XOR)
//  5 frame, axes and grid            11 title band
//  6 indicator curves                12 drawing tools of the pane (PaneDrawHook)
//  7 price series                    13 limit-price box (intraday)

#include <functional>
#include <memory>
#include <string>

#include "chart/ChartPicProp.h"
#include "platform/Gdi.h"

namespace chart {

class ChartOverlay;

// A horizontal or vertical dashed line exactly as DrawDashedLine draws it with the DC's pen
// (gap and dash in pixels from the start; the end point left out) of that width and colour,
// the pen being selected by the caller. Lines of the one-pixel pen are copied from a
// pattern strip made once.
void DrawGridLine(CDC* dc, int width, COLORREF color, int gap, int dash, int x1, int y1, int x2,
                  int y2);

// Step 12: draws the tools of the pane with this indicator name (empty: the price pane).
using PaneDrawHook = std::function<void(CDC* dc, const std::string& paneName)>;

class ChartPic {
public:
    explicit ChartPic(ChartOverlay* overlay);
    virtual ~ChartPic();

    void Draw(CDC* dc);
    // Title band for bar index (negative: the last bar); erase first when asked.
    void DrawTitle(CDC* dc, int32_t index, bool erase);
    void DrawCrosshair(CDC* dc, int32_t index, int y);

    ChartPicProp& Prop() { return *m_prop; }
    const ChartPicProp& Prop() const { return *m_prop; }
    ChartOverlay* Overlay() const { return m_pOverlay; }
    bool IsMainPane() const { return m_prop->m_bPricePane != 0; }

    // The training start mark: a strip of four frames (PNG resource 320).
    static constexpr UINT kMarkImageId = 320;
    // The icons of the indicators' icon functions: square, black and white, in one row.
    static constexpr UINT kIconStripId = 223;

    int m_nReserved = 0;
    int m_nIndex = -1;
    int m_bVisible = 1;
    COLORREF m_clrCaption1 = RGB(0, 26, 48);
    COLORREF m_clrCaption2 = RGB(0, 81, 123);

private:
    void DrawFrame(CDC* dc);
    void DrawIndicator(CDC* dc);
    void DrawPrice(CDC* dc);
    void DrawMarks(CDC* dc);
    void DrawLimitBox(CDC* dc);
    PaneMapping Mapping(bool indicatorAxis) const;
    static std::unique_ptr<CBitmap> LoadMarkStrip();

    ChartOverlay* m_pOverlay;
    std::shared_ptr<ChartPicProp> m_prop;
    // Made on first use, kept with the pane (empty when the resource is missing).
    std::unique_ptr<CBitmap> m_pMarkImage;
};

}  // namespace chart
