// The status bar's placement, clock text and connection states.
#include "ui/status/StatusLayout.h"

#include <gtest/gtest.h>

namespace {

TEST(StatusBarPlacement, AThousandPixelBar) {
    StatusBarPlacement p = ComputeStatusBarPlacement(CRect(0, 0, 1000, 32));
    EXPECT_EQ(p.codeInput, CRect(723, 2, 843, 26));
    EXPECT_EQ(p.connection, CRect(878, 0, 900, 32));
    EXPECT_EQ(p.clock, CRect(900, 0, 1000, 32));
    EXPECT_EQ(p.title, CRect(0, 0, 150, 32));
}

TEST(StatusBarPlacement, FollowsTheClientRectangle) {
    StatusBarPlacement p = ComputeStatusBarPlacement(CRect(10, 5, 1610, 37));
    EXPECT_EQ(p.title, CRect(10, 5, 160, 37));
    EXPECT_EQ(p.clock.right, 1610);
    EXPECT_EQ(p.codeInput.top, 7);
    EXPECT_EQ(p.codeInput.Width(), 120);
    EXPECT_EQ(p.codeInput.Height(), 24);
    EXPECT_EQ(p.connection.Width(), 22);
}

TEST(ClockText, MonthDayHourMinute) {
    struct Case {
        uint32_t date, time;
        const char* text;
    } cases[] = {
        {20190305, 93005, "3月5日 09:30"},
        {20201231, 235959, "12月31日 23:59"},
        {20240101, 0, "1月1日 00:00"},
        {0, 93005, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatClockText(c.date, c.time), c.text) << c.date;
}

TEST(ConnectionState, LoggedInWinsAndEachStateHasItsCell) {
    EXPECT_EQ(ComputeConnectionState(false, true, true), 0);
    EXPECT_EQ(ComputeConnectionState(true, false, false), 0);
    EXPECT_EQ(ComputeConnectionState(true, true, false), 3);
    EXPECT_EQ(ComputeConnectionState(true, false, true), 4);
    EXPECT_EQ(ComputeConnectionState(true, true, true), 4);
    EXPECT_EQ(ConnectionIconCell(4), 0);
    EXPECT_EQ(ConnectionIconCell(0), 1);
    EXPECT_EQ(ConnectionIconCell(3), 2);
    EXPECT_EQ(ConnectionIconCell(1), 2);
    EXPECT_EQ(ConnectionIconCell(2), 2);
}

}  // namespace
