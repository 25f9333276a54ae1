#pragma once
// Tools with more than two anchors, placed click by click: each item is a two-point
// segment with its own anchors in pixels and in data; each press begins the next unplaced
// item and each release fixes it. `CTriangleLines` is also the triangle tool itself;
// `CPolygonLines` is the fold line. Time keys are kept whole (64 bits): the low half of a
// minute key alone names no bar.

#include <vector>

#include "drawtools/AssistLines.h"

struct CLineItem {
    int32_t number = 0;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int32_t placed = 0;
    int64_t key1 = 0, key2 = 0;
    double value1 = 0, value2 = 0;
    double spare1 = 0, spare2 = 0;  // saved as "fTopBL", "fBottomBL" (always 0)
    int32_t snap1 = 0, snap2 = 0;
    int32_t begun = 0;  // its first press happened (points are meaningful)
};

class CTriangleLines : public CRecRgnLines {
public:
    explicit CTriangleLines(int itemCount = 2);

    void OnMouseDown(CWnd* window, int x, int y, int snapKind) override;
    void OnMouseUp(CWnd* window) override;
    bool IsComplete() const override;
    void BeginPlace(int x, int y, int snapKind) override;
    void DragPlace(int x, int y, int snapKind) override;
    void EndPlace() override;
    std::shared_ptr<CRecRgnLines> Clone() const override;
    bool IsBigEnough() const override { return true; }
    void PaintHandles(CDC* dc) override;
    int HitTest(int x, int y) override;
    int SetAnchor(int x, int y, int which, int x1, int y1, int x2, int y2, int dx, int dy) override;
    CRect GetAnchorRect(int x, int y) override;
    void DrawShape(int final, int placing) override;
    void SetSnapKind(int which, int kind) override;
    void PixelsToData(int which) override;
    void DataToPixels(int which) override;
    const char* GetTypeName() const override { return "TriangleTool"; }
    const char* GetDisplayName() const override { return "三角形"; }
    int loadFromXml(const tinyxml2::XMLElement* element) override;
    int saveToXml(ToolXmlOut out) const override;

    virtual void DrawItem(int index, int final, int placing);
    // Every item's points and state, for the tools whose figure follows their anchors.
    void AppendFigureAnchors(std::vector<int>& anchors) const override;
    virtual int BeginItem(int index, int x, int y, int snapKind);
    virtual int DragItem(int index, int x, int y, int snapKind);
    virtual int EndItem(int index);
    virtual void ItemPixelsToData(int index, int which);
    virtual void ItemDataToPixels(int index, int which);

    int PlacedCount() const;

    std::vector<CLineItem> m_items;
    std::vector<CRect> m_dragRects;
    int m_nCurItem = -1;

protected:
    void CopyItemsTo(CTriangleLines& other) const;
    // The rubber band of one item.
    void ShowItem(int index);
    // Items drawn as one open chain: item 0 is a segment, each later begun item continues
    // from the end of the item before it.
    void DrawChainedItem(int index);
    int m_nRubberItem = -1;
    std::vector<int> m_segmentItems;  // the item each recorded pair belongs to
};

class CPolygonLines : public CTriangleLines {
public:
    static constexpr int kMaxItems = 500;
    CPolygonLines();
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawItem(int index, int final, int placing) override;
    const char* GetTypeName() const override { return "FoldLineTool"; }
    const char* GetDisplayName() const override { return "折线"; }
    // Keeps exactly the placed items.
    virtual int FinishPolyline();
};

// The invisible tool whose drag scrolls the chart (a press on the time axis, or pan mode).
class CHorizontalMoveAssistor : public CRecRgnLines {
public:
    void OnMouseMove(int x, int y, int snapKind) override { DragPlace(x, y, snapKind); }
    void BeginPlace(int x, int y, int snapKind) override;
    void DragPlace(int x, int y, int snapKind) override;
    void EndPlace() override {}
    void DrawShape(int, int) override {}
    std::shared_ptr<CRecRgnLines> Clone() const override;

    int32_t m_nStartIndex = 0;
    double m_fStartOffset = 0;
};
