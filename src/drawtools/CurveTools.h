#pragma once
// Tools that draw curves from their anchors: circle, ellipse, sine line, parabola,
// logarithmic spiral and the three-point curve. Sampled curves record every step as a
// segment, so the hit test walks the polyline.

#include "drawtools/GannTools.h"
#include "drawtools/TriangleLines.h"

class CCircleTool : public CRecRgnLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    bool HitSegments(int x, int y) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "CircleTool"; }
    const char* GetDisplayName() const override { return "圆形"; }
    double Radius() const;

protected:
    bool FigureFollowsAnchors() const override { return true; }
};

class CEllipseTool : public CRecRgnLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    bool HitSegments(int x, int y) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "EllipseTool"; }
    const char* GetDisplayName() const override { return "椭圆"; }

protected:
    bool FigureFollowsAnchors() const override { return true; }
};

class CSinLineTool : public CRecRgnLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "SinLineTool"; }
    const char* GetDisplayName() const override { return "正弦线"; }

protected:
    bool FigureFollowsAnchors() const override { return true; }
};

class CParaBolaLines : public CRecRgnLines {
public:
    static constexpr int kMaxSamples = 100000;
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "PWXTool"; }
    const char* GetDisplayName() const override { return "抛物线"; }

protected:
    bool FigureFollowsAnchors() const override { return true; }
};

class CDSLXTool : public CJNXTool {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "DSLXTool"; }
    const char* GetDisplayName() const override { return "对数螺旋线"; }

protected:
    bool FigureFollowsAnchors() const override { return true; }
};

class CSDQXTool : public CTriangleLines {
public:
    // a parabola through the three points, across the pane
    bool FigureFollowsAnchors() const override { return true; }
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawItem(int index, int final, int placing) override;
    const char* GetTypeName() const override { return "SDQXTool"; }
    const char* GetDisplayName() const override { return "三点曲线"; }
};
