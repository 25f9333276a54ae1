#pragma once
// The arc tools: the arc, half an ellipse from anchor 1 through anchor 2 to anchor 1's
// mirror point, and the Fibonacci arcs, half circles around anchor 2 on anchor 1's side
// whose radii are fractions of the anchors' distance. Arcs are hit by their curve, not by
// recorded segments.

#include "drawtools/GannTools.h"

class CArcLines : public CRecRgnLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    bool HitSegments(int x, int y) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "ArcTool"; }
    const char* GetDisplayName() const override { return "圆弧"; }

protected:
    bool FigureFollowsAnchors() const override { return true; }
};

class CFiboArcLines : public CSZTool {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    bool HitSegments(int x, int y) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "F_ArcTool"; }
    const char* GetDisplayName() const override { return "斐波拉契圆弧"; }
    // The radius of ratio k in pixels.
    int Radius(double k) const;
};
