#pragma once
// An owner-drawn date field and the popup month calendar it opens. The field shows a date
// as text with a calendar icon; a click opens the calendar under it (one calendar serves
// every field of the process). A change is told to the parent the way the system date
// picker tells it: WM_NOTIFY with DTN_DATETIMECHANGE.
//
// CalendarModel is the calendar without a window: the day, month and year views, the range
// (1900-01-01 to 2099-12-31 unless one is set), and what every click does.
#include <array>
#include <ctime>
#include <memory>
#include <string>

#include "platform/Dialog.h"

struct CalDate {
    int y = 0, m = 0, d = 0;
    bool IsValid() const;
    friend bool operator==(const CalDate& a, const CalDate& b) { return a.y == b.y && a.m == b.m && a.d == b.d; }
    friend bool operator<(const CalDate& a, const CalDate& b) {
        return a.y != b.y ? a.y < b.y : a.m != b.m ? a.m < b.m : a.d < b.d;
    }
};

int DaysInMonth(int year, int month);
int WeekdayOf(const CalDate& date);  // 0 Sunday .. 6 Saturday
// Days since 1899-12-30, as automation dates count them.
double ToOleDate(const CalDate& date);
CalDate FromOleDate(double value);
CalDate TodayLocal();
// "yyyy-MM-dd" style patterns to the C library's; read left to right, so that mixed
// patterns ("MMmm") convert token by token. '%' stays a literal percent sign.
std::string ToStrftimeFormat(const std::string& pattern);
std::string FormatCalDate(const CalDate& date, const std::string& pattern);

class CalendarModel {
public:
    enum View { kDays = 0, kMonths = 1, kYears = 2 };
    enum Hit { kNone = 0, kPrev = 1, kNext = 2, kTitle = 3, kDay = 4, kMonth = 5, kYear = 6, kToday = 7, kClear = 8 };
    enum Result { kNothing = 0, kMoved = 1, kChosen = 2, kCleared = 3 };
    struct Cell {
        CalDate date;
        bool blank = false;  // before 1900-01-01 or after 2099-12-31
        bool other = false;  // a day of the month before or after
    };

    static const CalDate kFirst;
    static const CalDate kLast;

    void Layout(int width, int height);
    void SetDate(const CalDate& date);
    // Ignored when either date is invalid or maximum < minimum.
    bool SetRange(const CalDate& minimum, const CalDate& maximum);
    void ClearRange() { m_bRange = false; }
    CalDate Minimum() const { return m_bRange ? m_min : kFirst; }
    CalDate Maximum() const { return m_bRange ? m_max : kLast; }
    bool InRange(const CalDate& d) const { return !(d < Minimum()) && !(Maximum() < d); }

    int Leading() const;  // 1..7: a month starting on Sunday shows a whole week before it
    std::array<Cell, 42> DayGrid() const;
    int DecadeStart() const { return m_shownYear - m_shownYear % 10; }
    std::string Title() const;
    // (kind, index) of the point; kNone when nothing.
    std::pair<int, int> HitTest(CPoint pt) const;
    // Whether the item can be used now (the hover and the press skip those that cannot).
    bool IsUsable(int hit, int index) const;
    Result Click(int hit, int index);

    CRect m_rcPrev, m_rcNext, m_rcTitle, m_rcToday, m_rcClear;
    std::array<CRect, 7> m_rcWeek;
    std::array<CRect, 42> m_rcDays;
    std::array<CRect, 12> m_rcCells;  // the month and year grids share their cells
    int m_nView = kDays;
    int m_shownYear = 2000, m_shownMonth = 1;
    CalDate m_chosen{2000, 1, 1};
    CalDate m_today{2000, 1, 1};
    bool m_bAllowClear = false;
    bool m_bHasDate = true;

private:
    bool m_bRange = false;
    CalDate m_min, m_max;
};

class CPBQOwnerDrawMonthCalCtrl;

class CPBQOwnerDrawDateTimeCtrl : public CWnd {
public:
    static constexpr UINT UM_CALENDAR_CLOSED = WM_USER + 1001;
    static constexpr UINT UM_DATE_CHANGED = 0xB00;

    CPBQOwnerDrawDateTimeCtrl();
    ~CPBQOwnerDrawDateTimeCtrl() override;
    static bool RegisterWndClass();
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    void DropDown();
    // Local time of the date's midnight; dates before 1970 give negative times.
    bool GetTime(int64_t& out) const;
    bool Enable(bool enable);
    void NotifyChange();
    // What the calendar's closing does to the field (lParam 1 after a choice).
    void OnCalendarClosed(bool chosen, bool hasDate, const CalDate& date);
    std::string DisplayText() const;

    int OnCreate(LPCREATESTRUCT cs) override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void OnLButtonDown(UINT flags, CPoint pt) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    std::unique_ptr<CBitmap> m_pIcon;
    CalDate m_value;
    CalDate m_min, m_max;
    bool m_bRange = false;
    bool m_bAllowClear = false;
    bool m_bClosed = true;
    bool m_bEmpty = false;
    bool m_bDrawBorder = false;
    CFont m_font;
    // Dark text on the white field: readable as it comes.
    COLORREF m_clrText = RGB(0x33, 0x33, 0x33);
    COLORREF m_clrBk = RGB(255, 255, 255);
    COLORREF m_clrBorder = RGB(255, 255, 255);
    HWND m_hNotify = nullptr;
    std::string m_strFormat = "yyyy-MM-dd";
};

class CPBQOwnerDrawMonthCalCtrl : public CDialog {
public:
    static constexpr UINT kTemplateId = 118;
    static constexpr int kWidth = 202, kHeight = 254;

    CPBQOwnerDrawMonthCalCtrl();
    BOOL OnInitDialog() override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void OnLButtonDown(UINT flags, CPoint pt) override;
    void OnLButtonUp(UINT flags, CPoint pt) override;
    void OnMouseMove(UINT flags, CPoint pt) override;
    void OnMouseLeave() override;
    void OnKillFocus(CWnd* newWnd) override;
    void OnActivate(UINT state, CWnd* other, BOOL minimized) override;
    void Paint(CDC* dc);
    // Hides and tells the owner (lParam 1 after a choice or "清除").
    void Close(bool chosen);

    CalendarModel m_model;
    HWND m_hOwner = nullptr;
    CRect m_rcOwner;
    std::pair<int, int> m_hover{0, -1};
    std::pair<int, int> m_pressed{0, -1};
    CRect m_rcPressed;
    CFont m_font, m_fontBold;
};

// The calendar every date field shares; created on first use.
CPBQOwnerDrawMonthCalCtrl* GetSharedCalendar();
