#pragma once
// The time-cycle tools: full-height vertical lines at bars derived from the two anchors.
// The period lines repeat the bar distance between the anchors; the Fibonacci lines mark
// Fibonacci bar counts from anchor 2; the Fibonacci time periods mark Fibonacci multiples
// of the anchors' span. Each records the x of the lines it drew for hit testing.

#include "drawtools/RatioLines.h"

class CPeriodLines : public CSymmetricLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    bool HitSegments(int x, int y) override;
    void DrawShape(int final, int placing) override;
    void PixelsToData(int which) override;
    void DataToPixels(int which) override;
    const char* GetTypeName() const override { return "PeriodLineTool"; }
    const char* GetDisplayName() const override { return "周期线"; }
    int loadFromXml(const tinyxml2::XMLElement* element) override;
    int saveToXml(ToolXmlOut out) const override;

    int16_t m_nPeriod = 0;  // bars from anchor 1 to anchor 2, signed

protected:
    // The bar's x, or INT_MAX for a bar an int16 cannot name (past any pane).
    int BarX(int index) const;
    // A bottom-aligned number at line x unless it would crowd the previous one (`end`,
    // the right end of the last number drawn, moves on).
    void DrawLineLabel(const std::string& text, int x, int& end);
    // The box with the cycle length left of line x while the tool is placed.
    void DrawPlacingLabel(int cycle, int x, bool filled);
};

class CFiboLines : public CSymmetricLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void PaintHandles(CDC* dc) override;
    bool HitSegments(int x, int y) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "F_PerLineTool"; }
    const char* GetDisplayName() const override { return "斐波拉契线"; }
};

class CFiboPeriodLines : public CPeriodLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "F_SJZQTool"; }
    const char* GetDisplayName() const override { return "斐波拉契时间周期"; }

private:
    void AddLineLabel(const std::string& text, int x);
};

// Within the pick tolerance of one of the recorded x positions (y plays no part).
bool NearRecordedX(const std::vector<int>& xs, int x);
