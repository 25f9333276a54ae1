#pragma once
// Tools whose line is not where the anchors were dropped but the least-squares fit of the
// closes between the anchors' bars (the chart's regression channel): the regression line,
// the band (with parallels through the highest high and the lowest low), the ray (line and
// band carried on to the pane's right edge) and the up-down channel (the band and its
// continuation without the line itself). Only the anchors' bars are stored; the fit is
// made again at every paint, so the y the mouse was dropped at does not matter.
//
// Also the multi-channel line: a line across the pane and five parallels dividing the
// gap to a third point into fifths.

#include "drawtools/ParallelLines.h"
#include "drawtools/StraightLines.h"

class CXXHGLineTool : public CSegmentLine {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    bool HitSegments(int x, int y) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "XXHGLineTool"; }
    const char* GetDisplayName() const override { return "线性回归"; }

    int32_t m_nFirst = 0, m_nLast = 0;
    double m_fLine1 = 0, m_fLine2 = 0;  // the fitted line at anchor 1 and at anchor 2
    double m_fAbove = 0, m_fBelow = 0;
    int32_t m_nHighIndex = -1, m_nLowIndex = -1;
    bool m_bFitted = false;  // the last drawing found a line

protected:
    // The fit over the anchors' bars; on success the anchors' y move onto the line (and,
    // while placing, guides mark the range). False when the chart cannot fit one.
    bool FitChannel(int final);
    // Whether the fitted line itself is drawn (and hit).
    virtual bool ShowsLine() const { return true; }
};

class CHGDLineTool : public CXXHGLineTool {
public:
    struct Band {
        bool shown = false;
        int xa = 0, ya = 0, xb = 0, yb = 0;
    };

    std::shared_ptr<CRecRgnLines> Clone() const override;
    bool HitSegments(int x, int y) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "HGDLineTool"; }
    const char* GetDisplayName() const override { return "回归带"; }

    Band m_upper, m_lower;

protected:
    // The parallels through the highest high and the lowest low (those that stray from
    // the line at all).
    void DrawBands();
};

class CRegressHalfLines : public CHGDLineTool {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    bool HitSegments(int x, int y) override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "HGSXLineTool"; }
    const char* GetDisplayName() const override { return "回归射线"; }

    // The far ends on the pane's right edge; `shown` false when that line is not carried on.
    Band m_lineExt, m_upperExt, m_lowerExt;

protected:
    void Extend(const Band& from, Band& ext, int pen);
};

class CUpDownPassageWay : public CRegressHalfLines {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawShape(int final, int placing) override;
    const char* GetTypeName() const override { return "SXTDTool"; }
    const char* GetDisplayName() const override { return "上下通道"; }

protected:
    bool ShowsLine() const override { return false; }
};

class CDTDXTool : public CZLXTool {
public:
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawItem(int index, int final, int placing) override;
    const char* GetTypeName() const override { return "DDTDTool"; }
    const char* GetDisplayName() const override { return "多通道线"; }
};
