#pragma once
// Tools that radiate lines from anchor 1: the Gann fan, the speed resistance lines, the
// symmetric angle lines; and the Gann box, a rectangle with quarter divisions and rays.

#include "drawtools/AssistLines.h"

class CGumpLine : public CRecRgnLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    bool HitSegments(int x, int y) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "GanTool"; }
    const char* GetDisplayName() const override { return "甘氏线"; }

    int32_t m_nLineCount = 0;
    CPoint m_ends[7];

protected:
    // A line from anchor 1 to (x, y), its end kept for hit testing.
    void FanLine(int x, int y, int pen);
    // The single line of a fan whose anchors share one x; false when x1 != x2.
    bool VerticalCase();
};

class CSZTool : public CGumpLine {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "SZTool"; }
    const char* GetDisplayName() const override { return "速度阻力线"; }

    double m_ratios[5] = {double(0.333f), double(0.382f), 0.5, double(0.618f), double(0.667f)};
};

class CSymmetricAngleLine : public CGumpLine {
public:
    CSymmetricAngleLine() { m_nLineCount = 4; }
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "DCJDLineTool"; }
    const char* GetDisplayName() const override { return "对称角度线"; }
};

class CJNXTool : public CRecRgnLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "JNXTool"; }
    const char* GetDisplayName() const override { return "江恩箱"; }
};
