#pragma once
// Tools that divide the span between two anchors by a list of ratios: the symmetric
// lines, the golden section family (golden, band and percentage lines, levels in
// thousandths), the golden section lines A and B, the free ratio and the turning ruler.
// The level lists are the constructors'; they are not stored in the tool file.

#include <vector>

#include "drawtools/AssistLines.h"
#include "drawtools/GannTools.h"

class CSymmetricLines : public CRecRgnLines {
public:
    CSymmetricLines() : m_levels(3, 0) {}
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "DCLineTool"; }
    const char* GetDisplayName() const override { return "对称线"; }

    // The symmetric lines keep their three x positions here; the golden family its levels
    // in thousandths; the time-cycle tools the x of every line they drew.
    std::vector<int> m_levels;
};

class CGoldLineTool : public CSymmetricLines {
public:
    CGoldLineTool() { m_levels = {0, 236, 382, 500, 618, 809, 1000, 1618, 2618}; }
    std::shared_ptr<CRecRgnLines> Clone() const override;
    bool IsBigEnough() const override;
    bool HitSegments(int x, int y) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "GoldLineTool"; }
    const char* GetDisplayName() const override { return "黄金分割线"; }
    // The y of level `thousandths` between the anchors.
    int LevelY(int thousandths) const { return y1 + thousandths * (y2 - y1) / 1000; }
};

class CBDLineTool : public CGoldLineTool {
public:
    CBDLineTool() { m_levels = {0, 250, 333, 500, 1000}; }
    std::shared_ptr<CRecRgnLines> Clone() const override;
    const char* GetTypeName() const override { return "BDLineTool"; }
    const char* GetDisplayName() const override { return "波段线"; }
};

class CBFBLineTool : public CGoldLineTool {
public:
    CBFBLineTool() { m_levels = {0, 125, 250, 330, 375, 500, 625, 670, 750, 875, 1000}; }
    std::shared_ptr<CRecRgnLines> Clone() const override;
    const char* GetTypeName() const override { return "BFBLineTool"; }
    const char* GetDisplayName() const override { return "百分比线"; }
};

class CZYBLTool : public CJNXTool {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "ZYBLTool"; }
    const char* GetDisplayName() const override { return "自由比例"; }

    std::vector<double> m_ratios{0.382, 0.618, 0.809};

protected:
    double ValueAtY(int y) const;
};

class CZZCTool : public CZYBLTool {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "ZZCTool"; }
    const char* GetDisplayName() const override { return "转折尺"; }
    // The leg (a, b)-(c, d) with a 20-pixel tick at each ratio of its width.
    void DrawTickedLeg(int a, int b, int c, int d);
};

class CHJFGX_ATool : public CZYBLTool {
public:
    CHJFGX_ATool() { m_ratios = {0.618, 0.5, 0.382, 1.382, 1.5, 1.618}; }
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "HJFGX_ATool"; }
    const char* GetDisplayName() const override { return "黄金分割线A"; }

protected:
    void DrawRatioLabel(double ratio, double value, int y);
};

class CHJFGX_BTool : public CHJFGX_ATool {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "HJFGX_BTool"; }
    const char* GetDisplayName() const override { return "黄金分割线B"; }
};
