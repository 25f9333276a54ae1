// The owner-drawn date field and its month calendar: the calendar model (day grid, views,
// limits, ranges, every click), automation dates, format patterns and the field's answers
// to the calendar closing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "ui/dialog/DateTimeCtrl.h"

using grid_test::EnsurePlatform;

namespace {
CalendarModel Model(CalDate shown, CalDate today = {2024, 6, 1}, bool clear = false) {
    CalendarModel m;
    m.m_today = today;
    m.m_bAllowClear = clear;
    m.Layout(202, 254);
    m.SetDate(shown);
    return m;
}
int CellOf(const CalendarModel& m, CalDate d) {
    auto cells = m.DayGrid();
    for (int i = 0; i < 42; ++i)
        if (cells[size_t(i)].date == d) return i;
    return -1;
}
}  // namespace

TEST(CalendarModelTest, DayGridFromSunday) {
    struct Case {
        CalDate month;
        int leading;
        CalDate first, last;
    } cases[] = {
        {{2023, 10, 1}, 7, {2023, 9, 24}, {2023, 11, 4}},  // starts on Sunday: a whole week before
        {{2024, 3, 5}, 5, {2024, 2, 25}, {2024, 4, 6}},
        {{2024, 2, 1}, 4, {2024, 1, 28}, {2024, 3, 9}},    // leap February
        {{2099, 12, 1}, 2, {2099, 11, 29}, {2100, 1, 9}},
    };
    for (const Case& c : cases) {
        CalendarModel m = Model(c.month);
        EXPECT_EQ(m.Leading(), c.leading) << c.month.y << "-" << c.month.m;
        auto cells = m.DayGrid();
        EXPECT_EQ(cells[0].date, c.first);
        EXPECT_EQ(cells[41].date, c.last);
        EXPECT_TRUE(cells[0].other);
    }
    CalendarModel jan1900 = Model({1900, 1, 1});
    EXPECT_TRUE(jan1900.DayGrid()[0].blank);                   // 1899 is never shown
    EXPECT_EQ(jan1900.Click(CalendarModel::kDay, 0), CalendarModel::kNothing);
    CalendarModel dec2099 = Model({2099, 12, 31});
    EXPECT_TRUE(dec2099.DayGrid()[41].blank);
}

TEST(CalendarModelTest, ClicksLimitsAndRanges) {
    CalendarModel m = Model({1900, 1, 15});
    EXPECT_EQ(m.Click(CalendarModel::kPrev, -1), CalendarModel::kNothing);
    EXPECT_EQ(m.Click(CalendarModel::kNext, -1), CalendarModel::kMoved);
    EXPECT_EQ(m.m_shownMonth, 2);
    m = Model({2099, 12, 1});
    EXPECT_EQ(m.Click(CalendarModel::kNext, -1), CalendarModel::kNothing);
    EXPECT_EQ(m.Click(CalendarModel::kPrev, -1), CalendarModel::kMoved);
    EXPECT_EQ(m.m_shownMonth, 11);

    // A range from 2020-03-15 to 2020-05-10.
    m = Model({2020, 4, 1});
    ASSERT_TRUE(m.SetRange({2020, 3, 15}, {2020, 5, 10}));
    EXPECT_FALSE(m.SetRange({2020, 5, 10}, {2020, 3, 15}));  // refused, the range stays
    m.SetDate({2020, 3, 20});
    EXPECT_EQ(m.Click(CalendarModel::kDay, CellOf(m, {2020, 3, 1})), CalendarModel::kNothing);
    EXPECT_EQ(m.Click(CalendarModel::kToday, -1), CalendarModel::kNothing);  // today is 2024
    EXPECT_EQ(m.Click(CalendarModel::kPrev, -1), CalendarModel::kNothing);   // March is the first month
    EXPECT_EQ(m.Click(CalendarModel::kDay, CellOf(m, {2020, 3, 20})), CalendarModel::kChosen);
    EXPECT_EQ(m.m_chosen, (CalDate{2020, 3, 20}));
    m.SetDate({2019, 1, 1});  // before the minimum: the minimum
    EXPECT_EQ(m.m_chosen, (CalDate{2020, 3, 15}));

    // Views: title to months to years; a year cell back to months, a month cell to days.
    m = Model({2024, 3, 5});
    EXPECT_EQ(m.Title(), "三月 2024");
    EXPECT_EQ(m.Click(CalendarModel::kTitle, -1), CalendarModel::kMoved);
    EXPECT_EQ(m.Title(), "2024");
    EXPECT_EQ(m.Click(CalendarModel::kTitle, -1), CalendarModel::kMoved);
    EXPECT_EQ(m.Title(), "2020-2029");
    EXPECT_EQ(m.Click(CalendarModel::kYear, 0), CalendarModel::kMoved);  // 2019
    EXPECT_EQ(m.m_shownYear, 2019);
    EXPECT_EQ(m.m_nView, CalendarModel::kMonths);
    EXPECT_EQ(m.Click(CalendarModel::kMonth, 6), CalendarModel::kMoved);
    EXPECT_EQ(m.m_nView, CalendarModel::kDays);
    EXPECT_EQ(m.m_shownMonth, 7);

    // The 1900s: the first cell (1899) cannot be chosen and the 1890s are never reached.
    m = Model({1905, 1, 1});
    m.m_nView = CalendarModel::kYears;
    EXPECT_FALSE(m.IsUsable(CalendarModel::kYear, 0));
    EXPECT_EQ(m.Click(CalendarModel::kPrev, -1), CalendarModel::kNothing);
    EXPECT_TRUE(m.IsUsable(CalendarModel::kYear, 1));

    // Today and clear.
    m = Model({2024, 3, 5}, {2024, 6, 1}, true);
    EXPECT_EQ(m.Click(CalendarModel::kToday, -1), CalendarModel::kChosen);
    EXPECT_EQ(m.m_chosen, (CalDate{2024, 6, 1}));
    EXPECT_EQ(m.Click(CalendarModel::kClear, -1), CalendarModel::kCleared);
    EXPECT_FALSE(m.m_bHasDate);
    CalendarModel noClear = Model({2024, 3, 5});
    EXPECT_EQ(noClear.Click(CalendarModel::kClear, -1), CalendarModel::kNothing);
}

TEST(CalendarModelTest, HitTestsFollowTheLayout) {
    CalendarModel m = Model({2024, 3, 5}, {2024, 6, 1}, true);
    EXPECT_EQ(m.HitTest(CPoint(10, 10)).first, CalendarModel::kPrev);
    EXPECT_EQ(m.HitTest(CPoint(190, 10)).first, CalendarModel::kNext);
    EXPECT_EQ(m.HitTest(CPoint(100, 10)).first, CalendarModel::kTitle);
    auto day = m.HitTest(m.m_rcDays[8].CenterPoint());
    EXPECT_EQ(day, std::make_pair(int(CalendarModel::kDay), 8));
    EXPECT_EQ(m.HitTest(CPoint(20, 240)).first, CalendarModel::kToday);
    EXPECT_EQ(m.HitTest(CPoint(180, 240)).first, CalendarModel::kClear);
    m.m_nView = CalendarModel::kYears;
    EXPECT_EQ(m.HitTest(CPoint(100, 10)).first, CalendarModel::kNone);  // no title in the year view
}

TEST(CalendarDates, OleDatesAndFormats) {
    struct Case {
        CalDate date;
        double ole;
    } cases[] = {{{1899, 12, 30}, 0}, {{1900, 1, 1}, 2}, {{2024, 3, 5}, 45356}, {{1899, 12, 29}, -1}, {{1970, 1, 1}, 25569}};
    for (const Case& c : cases) {
        EXPECT_EQ(ToOleDate(c.date), c.ole);
        EXPECT_EQ(FromOleDate(c.ole), c.date);
    }
    EXPECT_EQ(FromOleDate(45356.75), (CalDate{2024, 3, 5}));  // the time of day is dropped
    EXPECT_EQ(WeekdayOf({2023, 10, 1}), 0);
    struct Fmt {
        const char* pattern;
        const char* strftime;
        const char* text;
    } formats[] = {
        {"yyyy-MM-dd", "%Y-%m-%d", "2024-03-05"},
        {"yy/MM/dd", "%y/%m/%d", "24/03/05"},
        {"MMmm", "%m%M", "0300"},     // mixed patterns convert token by token
        {"yyyyMMdd", "%Y%m%d", "20240305"},
        {"100%", "100%%", "100%"},
    };
    for (const Fmt& f : formats) {
        EXPECT_EQ(ToStrftimeFormat(f.pattern), f.strftime);
        EXPECT_EQ(FormatCalDate({2024, 3, 5}, f.pattern), f.text);
    }
    EXPECT_EQ(FormatCalDate({2024, 2, 30}, "yyyy"), "Invalid DateTime");
}

TEST(DateFieldTest, ClosingNotifiesOnlyChanges) {
    EnsurePlatform();
    struct Parent : CWnd {
        std::vector<UINT> codes;
        Parent() { CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 200, 100), nullptr, 0); }
        ~Parent() override { DestroyWindow(); }
        LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
            if (msg == WM_NOTIFY) codes.push_back(reinterpret_cast<NMHDR*>(lp)->code);
            return CWnd::WindowProc(msg, wp, lp);
        }
    } parent;
    CPBQOwnerDrawDateTimeCtrl field;
    ASSERT_TRUE(field.Create(WS_VISIBLE, CRect(0, 0, 120, 24), &parent, 55));
    EXPECT_NE(field.m_clrText, field.m_clrBk);  // readable as it comes
    field.m_value = {2024, 3, 5};
    EXPECT_EQ(field.DisplayText(), "2024-03-05");
    field.OnCalendarClosed(true, true, {2024, 3, 5});  // the same date: nothing to tell
    EXPECT_TRUE(parent.codes.empty());
    field.OnCalendarClosed(false, true, {2024, 4, 1});  // focus lost: no choice
    EXPECT_TRUE(parent.codes.empty());
    field.OnCalendarClosed(true, true, {2024, 4, 1});
    ASSERT_EQ(parent.codes.size(), 1u);
    EXPECT_EQ(parent.codes[0], UINT(DTN_DATETIMECHANGE));
    EXPECT_EQ(field.m_value, (CalDate{2024, 4, 1}));
    field.OnCalendarClosed(true, false, {2024, 4, 1});  // "清除": empty, and the parent hears of it
    EXPECT_TRUE(field.m_bEmpty);
    EXPECT_EQ(field.DisplayText(), "");
    EXPECT_EQ(parent.codes.size(), 2u);
    field.OnCalendarClosed(true, false, {2024, 4, 1});  // already empty
    EXPECT_EQ(parent.codes.size(), 2u);
    field.OnCalendarClosed(true, true, {2024, 4, 1});  // a date again, though the same one
    EXPECT_EQ(parent.codes.size(), 3u);
    EXPECT_FALSE(field.m_bEmpty);

    int64_t t = 0;
    field.m_value = {1969, 7, 20};
    ASSERT_TRUE(field.GetTime(t));
    EXPECT_LT(t, 0);  // before 1970 is returned, not 0
    field.m_value = {1970, 1, 2};
    ASSERT_TRUE(field.GetTime(t));
    EXPECT_GT(t, 0);
}

TEST(DateFieldTest, DropDownChooseAndClose) {
    EnsurePlatform();
    CWnd parent;
    parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 100), nullptr, 0);
    CPBQOwnerDrawDateTimeCtrl field;
    ASSERT_TRUE(field.Create(WS_VISIBLE, CRect(10, 10, 130, 34), &parent, 56));
    field.m_value = {2024, 3, 5};
    field.m_bAllowClear = true;
    field.DropDown();
    CPBQOwnerDrawMonthCalCtrl* cal = GetSharedCalendar();
    ASSERT_TRUE(cal->m_hWnd && cal->IsWindowVisible());
    EXPECT_FALSE(field.IsWindowEnabled());
    EXPECT_FALSE(field.m_bClosed);
    EXPECT_EQ(cal->m_model.m_chosen, (CalDate{2024, 3, 5}));
    CBitmap shot;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    shot.CreateCompatibleBitmap(&dc, CPBQOwnerDrawMonthCalCtrl::kWidth, CPBQOwnerDrawMonthCalCtrl::kHeight);
    CBitmap* old = dc.SelectObject(&shot);
    cal->Paint(&dc);
    dc.SelectObject(old);
    shot.SavePng("calendar_sample.png");
    CPoint day = cal->m_model.m_rcDays[size_t(cal->m_model.Leading() + 19)].CenterPoint();  // the 20th
    cal->OnLButtonDown(0, day);
    cal->OnLButtonUp(0, day);
    EXPECT_FALSE(cal->IsWindowVisible());
    EXPECT_TRUE(field.IsWindowEnabled());
    EXPECT_TRUE(field.m_bClosed);
    EXPECT_EQ(field.m_value, (CalDate{2024, 3, 20}));
    parent.DestroyWindow();
}
