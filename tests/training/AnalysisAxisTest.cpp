// The value axis of the report and analysis panels: values to rows with the maximum at the
// top, clamping, a flat range or an empty rectangle at the middle row, and the tick rows it
// records for the panels' grid lines.
#include <gtest/gtest.h>

#include "ReviewWindowSupport.h"
#include "platform/Gdi.h"
#include "training/wnd/AnalysisAxis.h"

namespace {

TEST(AnalysisAxis, MapsValuesToRowsWithTheMaximumAtTheTop) {
    CAnalysisAxis axis;
    axis.m_rcValue = CRect(0, 100, 40, 201);  // 101 rows: one per unit
    axis.m_fMax = 200;
    axis.m_fMin = 100;
    axis.CalcScale();
    EXPECT_EQ(axis.ValueToPixel(200, true), 100);
    EXPECT_EQ(axis.ValueToPixel(100, true), 200);
    EXPECT_EQ(axis.ValueToPixel(150, true), 150);
    EXPECT_EQ(axis.ValueToPixel(300, true), 100) << "clamped to the top";
    EXPECT_EQ(axis.ValueToPixel(0, true), 200) << "clamped to the bottom row";
    EXPECT_EQ(axis.ValueToPixel(300, false), 0) << "unclamped: above the rectangle";
    axis.m_fMax = 100.00001;
    EXPECT_EQ(axis.ValueToPixel(100, true), 150) << "a flat range maps to the middle";
    axis.m_fMax = 200;
    axis.m_rcValue = CRect(0, 100, 40, 100);
    EXPECT_EQ(axis.ValueToPixel(180, true), 100) << "an empty rectangle maps to its middle";
}

TEST(AnalysisAxis, RecordsTheRowsOfItsTicks) {
    EnsureReviewPlatform();
    CBitmap bitmap;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    bitmap.CreateBitmap(80, 320, 1, 32, nullptr);
    CBitmap* old = dc.SelectObject(&bitmap);
    CAnalysisAxis axis;
    axis.m_rcValue = CRect(0, 10, 70, 310);
    axis.m_nType = CAnalysisAxis::kPercent;
    axis.m_fBaseValue = 1000000;
    axis.m_fMax = 1100000;
    axis.m_fMin = 900000;
    axis.CalcScale();
    axis.Draw(&dc);
    ASSERT_GE(axis.m_aGridRows.size(), 3u);
    EXPECT_LE(axis.m_aGridRows.size(), 11u) << "labels at least 30 pixels apart";
    for (int row : axis.m_aGridRows) {
        EXPECT_GE(row, 10);
        EXPECT_LT(row, 310);
    }
    // 0% lies on the base value, half way down.
    bool zero = false;
    for (int row : axis.m_aGridRows) zero |= row == axis.ValueToPixel(1000000, false);
    EXPECT_TRUE(zero);
    CAnalysisAxis flat;
    flat.m_rcValue = CRect(0, 10, 70, 310);
    flat.m_fMax = flat.m_fMin = 5;
    flat.CalcScale();
    flat.Draw(&dc);
    EXPECT_TRUE(flat.m_aGridRows.empty()) << "nothing to scale, no ticks";
    dc.SelectObject(old);
}

}  // namespace
