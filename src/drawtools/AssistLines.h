#pragma once
// The drawing-tool family's base classes. `CAssistLines` is the root (mouse capture and
// the three placing steps); `CRecRgnLines` is the two-anchor tool: anchors in pixels and
// in chart data (bar time key and value), rubber-band placing, painting, handles, hit
// testing and the tool's XML attributes. It is also the rectangle tool itself.
//
// A tool remembers its anchors in data terms; pixels are recomputed from them at every
// paint, so a tool follows scrolling, zooming and value-scale changes. DrawShape builds
// the tool's figure (CToolFigure) and records the segments it drew for hit testing;
// painting the figure is a separate step.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "drawtools/DrawChart.h"
#include "drawtools/ToolFigure.h"
#include "drawtools/ToolXml.h"
#include "platform/Gdi.h"

namespace tinyxml2 {
class XMLElement;
}
class CWnd;

class CAssistLines {
public:
    CAssistLines() = default;
    virtual ~CAssistLines() = default;

    // Capture, the shared drawing context, then BeginPlace.
    virtual void OnMouseDown(CWnd* window, int x, int y, int snapKind);
    // DragPlace, only inside the plot rectangle of the tool's pane.
    virtual void OnMouseMove(int x, int y, int snapKind);
    // EndPlace, then the context and the capture are released.
    virtual void OnMouseUp(CWnd* window);
    virtual bool IsMultiClick() const { return false; }
    virtual bool IsComplete() const { return true; }
    virtual void BeginPlace(int x, int y, int snapKind) {}
    virtual void DragPlace(int x, int y, int snapKind) {}
    virtual void EndPlace() {}

    IDrawChart* m_pOwner = nullptr;
    std::string m_strChart;   // pane name; empty for the main pane
    int32_t m_nPaneIndex = -1;  // a real position only for a tool placed since the last load

    // Ends a placing that will not be finished: the shared context, the capture and the
    // drag flag are released (a multi-point tool keeps them between its clicks).
    static void AbandonPlacing(CWnd* window);

    // The plot rectangle of the tool's pane (an empty rectangle without an owner).
    CRect PaneRect() const;
    bool InPane(int x, int y) const;

protected:
    // The one placing or dragging operation of the process: the window's client context
    // that rubber bands are drawn on (null when the tool's chart has no window).
    static CDC* DrawingDC();
    static void AttachDrawingDC(CWnd* window);
    static void ReleaseDrawingDC();
    static void SetGlobalDragFlag(int on);
};

class CRecRgnLines : public CAssistLines {
public:
    CRecRgnLines();
    ~CRecRgnLines() override;

    bool IsMultiClick() const override { return (m_nMultiFlag & 0xFF) != 0; }
    bool IsComplete() const override { return true; }
    void BeginPlace(int x, int y, int snapKind) override;
    void DragPlace(int x, int y, int snapKind) override;
    void EndPlace() override;

    // A copy of the tool (base fields; derived tools copy their own).
    virtual std::shared_ptr<CRecRgnLines> Clone() const;
    // Paints a stored tool; inverted paints in the complementary colour.
    virtual void Paint(CDC* dc, int inverted);
    // A two-anchor tool must span more than 5 pixels in x or y to be kept.
    virtual bool IsBigEnough() const;
    // Inverts the handle squares (twice restores the pixels).
    virtual void PaintHandles(CDC* dc);
    // 1 anchor 1, 2 anchor 2, 3 body, 0 nothing.
    virtual int HitTest(int x, int y);
    virtual bool HitSegments(int x, int y);
    // which 1 or 2 moves that anchor to (x, y); otherwise both anchors move by (dx, dy)
    // from the drag-start rectangle (x1, y1, x2, y2).
    virtual int SetAnchor(int x, int y, int which, int x1, int y1, int x2, int y2, int dx, int dy);
    // The anchors as (x1, y1, x2, y2); (x, y) is the drag start point (multi-point tools
    // pick the item under it).
    virtual CRect GetAnchorRect(int x, int y);
    // The tool's figure from its pixel anchors: `final` for a stored tool, `placing` while
    // the user places or drags it.
    virtual void DrawShape(int final, int placing);
    virtual double PriceAtX(int kind, int x) const;
    virtual void SetSnapKind(int which, int kind);
    virtual void PixelsToData(int which);
    virtual void DataToPixels(int which);
    virtual double CloseAtTime(int64_t timeKey) const;
    virtual const char* GetTypeName() const { return "BoxTool"; }
    virtual const char* GetDisplayName() const { return "矩形"; }
    virtual int loadFromXml(const tinyxml2::XMLElement* element);
    virtual int saveToXml(ToolXmlOut out) const;

    // Pixels from data, then the figure (what Paint draws, without a device context).
    void BuildFigure();
    // The figure from the pixel anchors as they stand.
    void MakeFigure(int final, int placing) {
        m_figureKey.reset();
        m_figure.Clear();
        DrawShape(final, placing);
    }
    const CToolFigure& Figure() const { return m_figure; }
    const std::vector<CPoint>& Segments() const { return m_segments; }

    // ---- fields ----
    int32_t m_nMultiFlag = 0;
    int32_t m_nReserved = 0;
    int32_t m_nLineWidth = 1;
    int32_t m_nLineStyle = 0;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    CRect m_rcLabel;
    int64_t m_lLeft = 0, m_lRight = 0;
    double m_fTop = 0, m_fBottom = 0;
    int32_t m_nLeftXF = 0, m_nRightXF = 0;
    double m_fTopOriginal = 0, m_fBottomOriginal = 0;
    COLORREF m_color = 0;
    COLORREF m_colorBK = 0;

protected:
    friend class CEncircleLines;
    // Line drawn and recorded for hit testing.
    void DrawSegment(int xa, int ya, int xb, int yb, int pen = FigureItem::ToolPen);
    // From (xa, ya) through (xb, yb) to the pane border (straight down when xa = xb),
    // recorded; the value label while placing.
    void DrawRay(int xa, int ya, int xb, int yb, int pen, int final, int placing);
    // The part of the infinite line through both points inside the pane (not recorded).
    void DrawLine(int xa, int ya, int xb, int yb, int pen);
    // The slope label beside anchor 1 while a line is placed.
    void DrawValueLabel();
    void CopyBaseTo(CRecRgnLines& other) const;

    // The rubber band: the figure is drawn on the shared context with the inverting raster
    // mode, and erased by drawing the same figure again.
    void ShowRubberBand(int final, int placing);
    void HideRubberBand();
    // Inverts the 5 x 5 handle square at (x, y) when it touches the pane.
    void InvertHandle(CDC* dc, int x, int y);
    // Text measured in one of the figure fonts (CDC-free callers).
    CSize MeasureText(const std::string& text, int font) const;
    virtual CFont* ToolFont() { return nullptr; }

    // True for tools whose stored figure (and recorded segments) follow from the pixel
    // anchors and the pane rectangle alone, and nothing else of the tool or the chart: a
    // repaint keeps their figure while those stay the same. A tool that reads anything more
    // (ratios, labels, bars, value mapping) must leave this false.
    virtual bool FigureFollowsAnchors() const { return false; }
    // The pixel anchors such a figure follows besides anchors 1 and 2 (a multi-point tool's
    // points), added to `anchors`.
    virtual void AppendFigureAnchors(std::vector<int>& anchors) const {}

    CToolFigure m_figure;
    std::vector<CPoint> m_segments;
    bool m_bRubberShown = false;

private:
    // What the kept stored figure was built from; empty when the figure is not a stored one.
    struct FigureKey {
        int x1, y1, x2, y2;
        CRect pane;
        std::vector<int> more;  // AppendFigureAnchors
        bool operator==(const FigureKey&) const = default;
    };
    std::optional<FigureKey> m_figureKey;
};

// The raster mode rubber bands use: XOR when the common switch is on, otherwise the
// inverting mode (either way drawing a figure twice restores the screen).
int RubberBandRop();
