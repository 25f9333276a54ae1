#pragma once
// The straight two-anchor tools: segment, trend line, ray, vertical and horizontal lines,
// the vertical line through all panes and the arrow. The ray derives from the Gann box
// (GannTools.h) only for its place in the class tree; its drawing replaces the box's.

#include "drawtools/AssistLines.h"
#include "drawtools/GannTools.h"

class CSegmentLine : public CRecRgnLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    bool HitSegments(int x, int y) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "LineTool"; }
    const char* GetDisplayName() const override { return "线段"; }

    // The drawn segment, left end first.
    int m_nLeftX = 0, m_nLeftY = 0, m_nRightX = 0, m_nRightY = 0;
};

class CQSLineTool : public CSegmentLine {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "QSLineTool"; }
    const char* GetDisplayName() const override { return "趋势线"; }
};

class CSHEXIANTool : public CJNXTool {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "SHEXIANTool"; }
    const char* GetDisplayName() const override { return "射线"; }
};

class CVerticalLines : public CRecRgnLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    bool IsBigEnough() const override { return true; }
    void PaintHandles(CDC* dc) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "ChuiZhiTool"; }
    const char* GetDisplayName() const override { return "垂直线"; }
};

class CShuiPingTool : public CVerticalLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "ShuiPingTool"; }
    const char* GetDisplayName() const override { return "水平线"; }
};

class CGuanChuanChuiZhiTool : public CVerticalLines {
public:
    void OnMouseMove(int x, int y, int snapKind) override { DragPlace(x, y, snapKind); }
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void Paint(CDC* dc, int inverted) override;
    int HitTest(int x, int y) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "GuanChuanChuiZhiTool"; }
    const char* GetDisplayName() const override { return "贯穿垂直线"; }
};

class CJianTouTool : public CRecRgnLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "JianTouTool"; }
    const char* GetDisplayName() const override { return "箭头线"; }
};
