#pragma once
// Tools that measure: the time ruler (bars between two points), the range ruler (price
// difference and ratio), the measured target (a move projected twice below itself), the
// time-and-space rectangle, the solid rectangle, the box statistics over a range of bars,
// the vanishing point, the period ruler and the free Fibonacci lines. Labels are written
// only when a stored tool is painted, never on the rubber band.

#include "drawtools/GannTools.h"
#include "drawtools/TriangleLines.h"

// What the box statistics read from the bars of its range.
struct BoxStatistics {
    int32_t bars = 0;      // both end bars counted
    double high = 0;       // the highest high
    double low = 0;        // the lowest low
    double weighted = 0;   // the volume-weighted average close (the plain one without volume)
    double average = 0;    // the plain average close
    double firstClose = 0;
    double lastClose = 0;
};

class CSJCTool : public CRecRgnLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "SJCTool"; }
    const char* GetDisplayName() const override { return "时间尺"; }
};

class CFDCTool : public CRecRgnLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "FDCTool"; }
    const char* GetDisplayName() const override { return "幅度尺"; }
};

class CLDMBTool : public CRecRgnLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "LDMBTool"; }
    const char* GetDisplayName() const override { return "量度目标"; }
};

class CTimeAndSpaceRectRgn : public CRecRgnLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "SKJXTool"; }
    const char* GetDisplayName() const override { return "时空矩形"; }
};

class CSolidRectRgn : public CRecRgnLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "STJXTool"; }
    const char* GetDisplayName() const override { return "实体矩形"; }
};

class CXTXTool : public CRecRgnLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    // The top, the bottom, the two sides and the two average lines.
    bool HitSegments(int x, int y) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "XTXTool"; }
    const char* GetDisplayName() const override { return "箱体形"; }

    // The bars from `first` to `last` (inclusive, in either order); false when the chart
    // holds none of them.
    bool ReadStatistics(int32_t first, int32_t last, BoxStatistics& out) const;
    // The one-line summary under the box; a rise or amplitude that cannot be computed (a
    // zero first close or low) shows as "--".
    static std::string StatisticsText(const BoxStatistics& s);
};

class CJXDTool : public CJNXTool {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "JXDTool"; }
    const char* GetDisplayName() const override { return "解消点"; }

    // The vanishing point of the segment between the left anchor L and the right one R;
    // false when both share one x (no slope to build it from).
    static bool VanishingPoint(CPoint L, CPoint R, CPoint& v);
};

class CZQCTool : public CTriangleLines {
public:
    // Period marks drawn at most (a one-bar period on a chart of narrow bars stays bounded).
    static constexpr int kMaxMarks = 3000;
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawItem(int index, int final, int placing) override;
    const char* GetTypeName() const override { return "ZQCTool"; }
    const char* GetDisplayName() const override { return "周期尺"; }

private:
    void MarkLabel(int x, int count, int final);
};

// Kept for drawing files that hold it; the tool bar does not offer it.
class CZyfsxTool : public CTriangleLines {
public:
    static constexpr int kMaxLines = 64;
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawItem(int index, int final, int placing) override;
    const char* GetTypeName() const override { return "ZyfsxTool"; }
    const char* GetDisplayName() const override { return "自由费氏线"; }

private:
    // The label at the foot of the line at x; returns where its text ends.
    int FootLabel(int x, int value, int final);
};
