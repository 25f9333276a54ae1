#pragma once
// Two-segment tools placed one segment after the other: the parallel lines, the
// parallelogram, the fence lines and the pitchfork. The second segment starts where the
// first ends; what the tool draws follows from segment 0's direction and segment 1's end.

#include "drawtools/TriangleLines.h"

class CNewPXXLines : public CTriangleLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawItem(int index, int final, int placing) override;
    const char* GetTypeName() const override { return "NewPXXTool"; }
    const char* GetDisplayName() const override { return "平行线"; }

protected:
    // The line through segment 0, across the pane, recorded (a vertical one from the pane's
    // top to its bottom).
    void DrawBaseLine();
    // The parallel to segment 0 through (x, y), across the pane, recorded.
    void DrawParallelThrough(int x, int y, int pen = FigureItem::ToolPen);
};

class CPxsbxTool : public CNewPXXLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawItem(int index, int final, int placing) override;
    const char* GetTypeName() const override { return "PxsbxTool"; }
    const char* GetDisplayName() const override { return "平行四边形"; }
};

class CZLXTool : public CNewPXXLines {
public:
    // Lines drawn each way at most (a one-pixel spacing on a steep line stays bounded).
    static constexpr int kMaxLinesEachWay = 1000;
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawItem(int index, int final, int placing) override;
    const char* GetTypeName() const override { return "ZLXTool"; }
    const char* GetDisplayName() const override { return "栅栏形线"; }
};

class CADLYCXTool : public CTriangleLines {
public:
    // the handle's rays run to the pane's edge
    bool FigureFollowsAnchors() const override { return true; }
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawItem(int index, int final, int placing) override;
    const char* GetTypeName() const override { return "ADLYCXTool"; }
    const char* GetDisplayName() const override { return "安德鲁音叉线"; }
};
