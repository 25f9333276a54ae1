#include "ui/dialog/DateTimeCtrl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/App.h"
#include "platform/Resource.h"

// ---------------------------------------------------------------- dates

bool CalDate::IsValid() const { return y >= 1 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m); }

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

namespace {
// Days from 1970-01-01 (civil calendar, any year).
long long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}
CalDate CivilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int d = int(doy - (153 * mp + 2) / 5 + 1);
    const int m = int(mp < 10 ? mp + 3 : mp - 9);
    return CalDate{int(yoe + era * 400 + (m <= 2)), m, d};
}
const long long kOleEpoch = DaysFromCivil(1899, 12, 30);
}  // namespace

int WeekdayOf(const CalDate& date) {
    long long z = DaysFromCivil(date.y, date.m, date.d);  // 1970-01-01 was a Thursday
    return int(((z % 7) + 7 + 4) % 7);
}

double ToOleDate(const CalDate& date) { return double(DaysFromCivil(date.y, date.m, date.d) - kOleEpoch); }

CalDate FromOleDate(double value) { return CivilFromDays((long long)std::floor(value) + kOleEpoch); }

CalDate TodayLocal() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return CalDate{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

std::string ToStrftimeFormat(const std::string& p) {
    static const std::pair<const char*, const char*> tokens[] = {
        {"yyyy", "%Y"}, {"yy", "%y"}, {"MM", "%m"}, {"dd", "%d"}, {"HH", "%H"}, {"mm", "%M"}, {"ss", "%S"}};
    std::string out;
    for (size_t i = 0; i < p.size();) {
        bool matched = false;
        for (auto& [from, to] : tokens) {
            const size_t n = std::char_traits<char>::length(from);
            if (p.compare(i, n, from) == 0) {
                out += to;
                i += n;
                matched = true;
                break;
            }
        }
        if (matched) continue;
        if (p[i] == '%') out += '%';
        out += p[i++];
    }
    return out;
}

std::string FormatCalDate(const CalDate& date, const std::string& pattern) {
    if (!date.IsValid()) return "Invalid DateTime";
    std::tm tm{};
    tm.tm_year = date.y - 1900;
    tm.tm_mon = date.m - 1;
    tm.tm_mday = date.d;
    tm.tm_wday = WeekdayOf(date);
    char buf[128];
    const std::string f = ToStrftimeFormat(pattern);
    const size_t n = std::strftime(buf, sizeof buf, f.c_str(), &tm);
    return std::string(buf, n);
}

// ---------------------------------------------------------------- model

const CalDate CalendarModel::kFirst{1900, 1, 1};
const CalDate CalendarModel::kLast{2099, 12, 31};

void CalendarModel::Layout(int width, int height) {
    m_rcPrev = CRect(2, 2, 30, 30);
    m_rcNext = CRect(width - 30, 2, width - 2, 30);
    m_rcTitle = CRect(30, 2, width - 30, 30);
    const int x0 = (width - 196) / 2, top = 30;
    for (int i = 0; i < 7; ++i) m_rcWeek[size_t(i)] = CRect(x0 + 28 * i, top, x0 + 28 * i + 28, top + 28);
    for (int i = 0; i < 42; ++i) {
        const int x = x0 + 28 * (i % 7), y = top + 28 + 28 * (i / 7);
        m_rcDays[size_t(i)] = CRect(x, y, x + 28, y + 28);
    }
    const int cw = (width - 10) / 4, ch = (height - top - 30) / 3;
    for (int i = 0; i < 12; ++i) {
        const int x = 5 + cw * (i % 4), y = top + ch * (i / 4);
        m_rcCells[size_t(i)] = CRect(x, y, x + cw, y + ch);
    }
    const int mid = width / 2;
    if (m_bAllowClear) {
        m_rcToday = CRect(2, height - 30, mid + 2, height - 2);
        m_rcClear = CRect(width - 2 - mid, height - 30, width - 2, height - 2);
    } else {
        m_rcToday = CRect(2, height - 30, width - 2, height - 2);
        m_rcClear = CRect(0, 0, 0, 0);
    }
}

void CalendarModel::SetDate(const CalDate& date) {
    CalDate d = date.IsValid() ? date : m_today;
    if (m_bRange && d < m_min) d = m_min;
    m_chosen = d;
    m_shownYear = d.y;
    m_shownMonth = d.m;
}

bool CalendarModel::SetRange(const CalDate& minimum, const CalDate& maximum) {
    if (!minimum.IsValid() || !maximum.IsValid() || maximum < minimum) return false;
    m_min = minimum;
    m_max = maximum;
    m_bRange = true;
    return true;
}

int CalendarModel::Leading() const {
    const int w = WeekdayOf(CalDate{m_shownYear, m_shownMonth, 1});
    return w == 0 ? 7 : w;
}

std::array<CalendarModel::Cell, 42> CalendarModel::DayGrid() const {
    std::array<Cell, 42> cells{};
    const int lead = Leading();
    const int py = m_shownMonth == 1 ? m_shownYear - 1 : m_shownYear, pm = m_shownMonth == 1 ? 12 : m_shownMonth - 1;
    const int ny = m_shownMonth == 12 ? m_shownYear + 1 : m_shownYear, nm = m_shownMonth == 12 ? 1 : m_shownMonth + 1;
    const int days = DaysInMonth(m_shownYear, m_shownMonth), prevDays = DaysInMonth(py, pm);
    for (int i = 0; i < 42; ++i) {
        Cell& c = cells[size_t(i)];
        if (i < lead) {
            c.date = CalDate{py, pm, prevDays - lead + 1 + i};
            c.other = true;
        } else if (i < lead + days) {
            c.date = CalDate{m_shownYear, m_shownMonth, i - lead + 1};
        } else {
            c.date = CalDate{ny, nm, i - lead - days + 1};
            c.other = true;
        }
        c.blank = c.date < kFirst || kLast < c.date;
    }
    return cells;
}

std::string CalendarModel::Title() const {
    static const char* const months[] = {"一月", "二月", "三月", "四月", "五月", "六月",
                                         "七月", "八月", "九月", "十月", "十一月", "十二月"};
    char buf[64];
    if (m_nView == kDays) std::snprintf(buf, sizeof buf, "%s %d", months[m_shownMonth - 1], m_shownYear);
    else if (m_nView == kMonths) std::snprintf(buf, sizeof buf, "%d", m_shownYear);
    else std::snprintf(buf, sizeof buf, "%d-%d", DecadeStart(), DecadeStart() + 9);
    return buf;
}

std::pair<int, int> CalendarModel::HitTest(CPoint pt) const {
    if (m_nView == kDays) {
        for (int i = 0; i < 42; ++i)
            if (m_rcDays[size_t(i)].PtInRect(pt)) return {kDay, i};
    } else {
        for (int i = 0; i < 12; ++i)
            if (m_rcCells[size_t(i)].PtInRect(pt)) return {m_nView == kMonths ? kMonth : kYear, i};
    }
    if (m_rcPrev.PtInRect(pt)) return {kPrev, -1};
    if (m_rcNext.PtInRect(pt)) return {kNext, -1};
    if (m_nView != kYears && m_rcTitle.PtInRect(pt)) return {kTitle, -1};
    if (m_rcToday.PtInRect(pt)) return {kToday, -1};
    if (m_bAllowClear && m_rcClear.PtInRect(pt)) return {kClear, -1};
    return {kNone, -1};
}

namespace {
int MonthIndex(int y, int m) { return y * 12 + (m - 1); }
}  // namespace

bool CalendarModel::IsUsable(int hit, int index) const {
    const CalDate lo = Minimum(), hi = Maximum();
    switch (hit) {
        case kPrev:
            if (m_nView == kDays) return MonthIndex(m_shownYear, m_shownMonth) > MonthIndex(lo.y, lo.m);
            if (m_nView == kMonths) return m_shownYear > lo.y;
            return DecadeStart() >= 1910 && DecadeStart() - 10 > lo.y - 10;
        case kNext:
            if (m_nView == kDays) return MonthIndex(m_shownYear, m_shownMonth) < MonthIndex(hi.y, hi.m);
            if (m_nView == kMonths) return m_shownYear < hi.y;
            return DecadeStart() < 2090 && DecadeStart() + 10 <= hi.y;
        case kTitle:
            return m_nView != kYears;
        case kDay: {
            if (index < 0 || index >= 42) return false;
            const Cell c = DayGrid()[size_t(index)];
            return !c.blank && InRange(c.date);
        }
        case kMonth: {
            if (index < 0 || index >= 12) return false;
            const int mi = MonthIndex(m_shownYear, index + 1);
            return mi >= MonthIndex(lo.y, lo.m) && mi <= MonthIndex(hi.y, hi.m);
        }
        case kYear: {
            if (index < 0 || index >= 12) return false;
            const int year = DecadeStart() - 1 + index;
            return year >= lo.y && year <= hi.y;
        }
        case kToday:
            return InRange(m_today);
        case kClear:
            return m_bAllowClear;
        default:
            return false;
    }
}

CalendarModel::Result CalendarModel::Click(int hit, int index) {
    if (!IsUsable(hit, index)) return kNothing;
    switch (hit) {
        case kPrev:
        case kNext: {
            const int step = hit == kPrev ? -1 : 1;
            if (m_nView == kDays) {
                int mi = MonthIndex(m_shownYear, m_shownMonth) + step;
                m_shownYear = mi / 12;
                m_shownMonth = mi % 12 + 1;
            } else {
                m_shownYear += step * (m_nView == kMonths ? 1 : 10);
            }
            return kMoved;
        }
        case kTitle:
            m_nView = m_nView == kDays ? kMonths : kYears;
            return kMoved;
        case kDay:
            m_chosen = DayGrid()[size_t(index)].date;
            m_bHasDate = true;
            return kChosen;
        case kMonth:
            m_shownMonth = index + 1;
            m_nView = kDays;
            return kMoved;
        case kYear:
            m_shownYear = DecadeStart() - 1 + index;
            m_nView = kMonths;
            return kMoved;
        case kToday:
            m_chosen = m_today;
            m_bHasDate = true;
            m_nView = kDays;
            return kChosen;
        case kClear:
            m_bHasDate = false;
            m_nView = kDays;
            return kCleared;
        default:
            return kNothing;
    }
}

// ---------------------------------------------------------------- date field

CPBQOwnerDrawDateTimeCtrl::CPBQOwnerDrawDateTimeCtrl() : m_value(TodayLocal()) {
    m_font.CreateFont(-12, 0, 0, 0, 500, 0, 0, 0, 0, 0, 0, 5 /* ClearType */, 0, "microsoft yahei");
}

CPBQOwnerDrawDateTimeCtrl::~CPBQOwnerDrawDateTimeCtrl() {
    CPBQOwnerDrawMonthCalCtrl* cal = GetSharedCalendar();
    if (cal->m_hOwner == m_hWnd && m_hWnd) {
        cal->m_hOwner = nullptr;
        if (cal->m_hWnd) cal->ShowWindow(SW_HIDE);
    }
    if (m_hWnd) DestroyWindow();
}

bool CPBQOwnerDrawDateTimeCtrl::RegisterWndClass() { return true; }

BOOL CPBQOwnerDrawDateTimeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(nullptr, "", style | WS_CHILD, rect, parent, id);
}

int CPBQOwnerDrawDateTimeCtrl::OnCreate(LPCREATESTRUCT cs) {
    int r = CWnd::OnCreate(cs);
    ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
    auto icon = std::make_unique<CBitmap>();
    if (icon->LoadResourcePicture("PNG", 226)) m_pIcon = std::move(icon);
    return r;
}

std::string CPBQOwnerDrawDateTimeCtrl::DisplayText() const {
    return m_bEmpty ? std::string() : FormatCalDate(m_value, m_strFormat);
}

void CPBQOwnerDrawDateTimeCtrl::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    dc.FillSolidRect(&rc, m_clrBk);
    if (m_bDrawBorder) {
        CBrush b(m_clrBorder);
        dc.FrameRect(&rc, &b);
    }
    if (m_pIcon && !m_pIcon->IsNull()) {
        CDC mem;
        mem.CreateCompatibleDC(&dc);
        CBitmap* old = mem.SelectObject(m_pIcon.get());
        CSize s = m_pIcon->GetSize();
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        dc.AlphaBlend(rc.right - 17, (rc.Height() - 16) / 2, s.cx, s.cy, &mem, 0, 0, s.cx, s.cy, blend);
        mem.SelectObject(old);
    }
    if (!m_bEmpty) {
        CFont* old = dc.SelectObject(&m_font);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(m_clrText);
        CRect t(rc.left + 5, rc.top, rc.right, rc.bottom);
        dc.DrawText(DisplayText(), &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        dc.SelectObject(old);
    }
}

void CPBQOwnerDrawDateTimeCtrl::OnLButtonDown(UINT flags, CPoint pt) {
    DropDown();
    CWnd::OnLButtonDown(flags, pt);
}

void CPBQOwnerDrawDateTimeCtrl::DropDown() {
    CPBQOwnerDrawMonthCalCtrl* cal = GetSharedCalendar();
    if (cal->m_hWnd) cal->DestroyWindow();
    if (!cal->Create(CPBQOwnerDrawMonthCalCtrl::kTemplateId, AfxGetMainWnd())) return;
    cal->m_hOwner = m_hWnd;
    CalendarModel& m = cal->m_model;
    m.ClearRange();
    m.m_bHasDate = true;
    m.m_bAllowClear = m_bAllowClear;
    m.m_nView = CalendarModel::kDays;
    m.m_today = TodayLocal();
    m.Layout(CPBQOwnerDrawMonthCalCtrl::kWidth, CPBQOwnerDrawMonthCalCtrl::kHeight);
    if (m_bRange) m.SetRange(m_min, m_max);
    m.SetDate(m_value);
    EnableWindow(FALSE);
    m_bClosed = false;
    GetWindowRect(&cal->m_rcOwner);
    cal->SetWindowPos(nullptr, cal->m_rcOwner.left, cal->m_rcOwner.bottom, CPBQOwnerDrawMonthCalCtrl::kWidth,
                      CPBQOwnerDrawMonthCalCtrl::kHeight, SWP_NOZORDER);
    cal->ShowWindow(SW_SHOW);
    cal->SetFocus();
}

bool CPBQOwnerDrawDateTimeCtrl::GetTime(int64_t& out) const {
    std::tm tm{};
    tm.tm_year = m_value.y - 1900;
    tm.tm_mon = m_value.m - 1;
    tm.tm_mday = m_value.d;
    tm.tm_isdst = -1;
    // mktime answers -1 both for an error and for 23:59:59 on 1969-12-31; midnight never is.
    out = int64_t(std::mktime(&tm));
    return true;
}

bool CPBQOwnerDrawDateTimeCtrl::Enable(bool enable) {
    EnableWindow(enable);
    Invalidate(FALSE);
    return true;
}

void CPBQOwnerDrawDateTimeCtrl::NotifyChange() {
    if (m_hNotify && ::IsWindow(m_hNotify)) ::PostMessage(m_hNotify, UM_DATE_CHANGED, GetDlgCtrlID(), 0);
    if (CWnd* parent = GetParent()) {
        NMHDR hdr{m_hWnd, GetDlgCtrlID(), DTN_DATETIMECHANGE};
        parent->SendMessage(WM_NOTIFY, GetDlgCtrlID(), (LPARAM)&hdr);
    }
    Invalidate(FALSE);
    UpdateWindow();
}

void CPBQOwnerDrawDateTimeCtrl::OnCalendarClosed(bool chosen, bool hasDate, const CalDate& date) {
    EnableWindow(TRUE);
    Invalidate(FALSE);
    m_bClosed = true;
    const bool wasEmpty = m_bEmpty;
    if (chosen) m_bEmpty = false;
    if (!hasDate) {
        // Clearing is a change the parent must hear of, unless the field was empty already.
        m_bEmpty = true;
        if (!wasEmpty) NotifyChange();
        return;
    }
    if (!chosen) return;
    if (!(date == m_value) || wasEmpty != m_bEmpty) {
        m_value = date;
        NotifyChange();
    }
}

LRESULT CPBQOwnerDrawDateTimeCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == UM_CALENDAR_CLOSED) {
        CPBQOwnerDrawMonthCalCtrl* cal = GetSharedCalendar();
        OnCalendarClosed(lParam == 1, cal->m_model.m_bHasDate, cal->m_model.m_chosen);
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

// ---------------------------------------------------------------- calendar

namespace {
const COLORREF kArrow = RGB(0x33, 0x33, 0x33), kBack = RGB(255, 255, 255), kText = RGB(0x33, 0x33, 0x33),
               kOther = RGB(0x80, 0x80, 0x80), kSelText = RGB(255, 255, 255), kSelFill = RGB(0x00, 0x4B, 0xCC),
               kHoverFill = RGB(0xEE, 0xEE, 0xEE);
}

CPBQOwnerDrawMonthCalCtrl::CPBQOwnerDrawMonthCalCtrl() : CDialog(kTemplateId, nullptr) {
    SetDialogSize(kWidth, kHeight);
    SetDialogStyle(WS_POPUP, WS_EX_TOOLWINDOW);
    m_font.CreateFont(-14, 0, 0, 0, 500, 0, 0, 0, 0, 0, 0, 0, 0, "microsoft yahei");
    m_fontBold.CreateFont(-14, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "microsoft yahei");
    m_model.Layout(kWidth, kHeight);
}

BOOL CPBQOwnerDrawMonthCalCtrl::OnInitDialog() {
    SetWindowPos(nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
    m_model.m_nView = CalendarModel::kDays;
    m_hover = {0, -1};
    return TRUE;
}

void CPBQOwnerDrawMonthCalCtrl::Paint(CDC* dc) {
    CRect rc(0, 0, kWidth, kHeight);
    dc->FillSolidRect(&rc, kBack);
    dc->SetBkMode(TRANSPARENT);
    const CalendarModel& m = m_model;
    auto rectOf = [&](std::pair<int, int> h) -> CRect {
        switch (h.first) {
            case CalendarModel::kPrev: return m.m_rcPrev;
            case CalendarModel::kNext: return m.m_rcNext;
            case CalendarModel::kTitle: return m.m_rcTitle;
            case CalendarModel::kDay: return m.m_rcDays[size_t(h.second)];
            case CalendarModel::kMonth:
            case CalendarModel::kYear: return m.m_rcCells[size_t(h.second)];
            case CalendarModel::kToday: return m.m_rcToday;
            case CalendarModel::kClear: return m.m_rcClear;
            default: return CRect(0, 0, 0, 0);
        }
    };
    auto rounded = [&](const CRect& r, COLORREF fill) {
        CBrush b(fill);
        CPen p(PS_SOLID, 1, fill);
        CBrush* ob = dc->SelectObject(&b);
        CPen* op = dc->SelectObject(&p);
        dc->RoundRect(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, 5, 5);
        dc->SelectObject(ob);
        dc->SelectObject(op);
    };
    auto text = [&](const std::string& s, CRect r, COLORREF c, CFont* f) {
        CFont* old = dc->SelectObject(f);
        dc->SetTextColor(c);
        dc->DrawText(s, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        dc->SelectObject(old);
    };
    if (m_hover.first != CalendarModel::kNone) rounded(rectOf(m_hover), kHoverFill);
    // Arrows.
    for (int side = 0; side < 2; ++side) {
        const CRect& r = side == 0 ? m.m_rcPrev : m.m_rcNext;
        const int c = (r.top + r.bottom) / 2, L = r.left, R = r.right;
        POINT prev[7] = {{R - 7, c - 1}, {R - 16, c - 1}, {R - 16, c - 4}, {L + 8, c}, {R - 16, c + 4}, {R - 16, c + 1}, {R - 7, c + 1}};
        if (side == 1)
            for (auto& p : prev) p.x = L + R - p.x;
        CBrush b(kArrow);
        CPen pen(PS_SOLID, 1, kArrow);
        CBrush* ob = dc->SelectObject(&b);
        CPen* op = dc->SelectObject(&pen);
        dc->Polygon(prev, 7);
        dc->SelectObject(ob);
        dc->SelectObject(op);
    }
    text(m.Title(), m.m_rcTitle, kText, &m_fontBold);
    static const char* const week[] = {"日", "一", "二", "三", "四", "五", "六"};
    static const char* const months[] = {"一月", "二月", "三月", "四月", "五月", "六月",
                                         "七月", "八月", "九月", "十月", "十一月", "十二月"};
    if (m.m_nView == CalendarModel::kDays) {
        for (int i = 0; i < 7; ++i) text(week[i], m.m_rcWeek[size_t(i)], kText, &m_fontBold);
        auto cells = m.DayGrid();
        for (int i = 0; i < 42; ++i) {
            const auto& c = cells[size_t(i)];
            if (c.blank) continue;
            const bool sel = m.m_bHasDate && c.date == m.m_chosen && !c.other;
            if (sel) rounded(m.m_rcDays[size_t(i)], kSelFill);
            text(std::to_string(c.date.d), m.m_rcDays[size_t(i)], sel ? kSelText : c.other ? kOther : kText, &m_font);
        }
    } else {
        for (int i = 0; i < 12; ++i) {
            std::string s;
            bool sel = false, other = false;
            if (m.m_nView == CalendarModel::kMonths) {
                s = months[i];
                sel = m.m_chosen.y == m.m_shownYear && m.m_chosen.m == i + 1;
            } else {
                const int year = m.DecadeStart() - 1 + i;
                if (year < 1900 || year > 2099) continue;
                s = std::to_string(year);
                sel = m.m_chosen.y == year;
                other = i == 0 || i == 11;
            }
            if (sel) rounded(m.m_rcCells[size_t(i)], kSelFill);
            text(s, m.m_rcCells[size_t(i)], sel ? kSelText : other ? kOther : kText, &m_font);
        }
    }
    text("今日", m.m_rcToday, kText, &m_fontBold);
    if (m.m_bAllowClear) text("清除", m.m_rcClear, kText, &m_fontBold);
}

void CPBQOwnerDrawMonthCalCtrl::OnPaint() {
    CPaintDC dc(this);
    Paint(&dc);
}

void CPBQOwnerDrawMonthCalCtrl::OnLButtonDown(UINT flags, CPoint pt) {
    m_pressed = m_model.HitTest(pt);
    m_rcPressed = CRect(0, 0, 0, 0);
    if (m_model.IsUsable(m_pressed.first, m_pressed.second)) {
        const auto& h = m_pressed;
        m_rcPressed = h.first == CalendarModel::kDay ? m_model.m_rcDays[size_t(h.second)]
                      : h.first == CalendarModel::kMonth || h.first == CalendarModel::kYear ? m_model.m_rcCells[size_t(h.second)]
                      : h.first == CalendarModel::kPrev ? m_model.m_rcPrev
                      : h.first == CalendarModel::kNext ? m_model.m_rcNext
                      : h.first == CalendarModel::kTitle ? m_model.m_rcTitle
                      : h.first == CalendarModel::kToday ? m_model.m_rcToday
                                                          : m_model.m_rcClear;
    }
    CDialog::OnLButtonDown(flags, pt);
}

void CPBQOwnerDrawMonthCalCtrl::OnLButtonUp(UINT flags, CPoint pt) {
    if (!m_rcPressed.IsRectEmpty() && m_rcPressed.PtInRect(pt)) {
        auto r = m_model.Click(m_pressed.first, m_pressed.second);
        m_rcPressed = CRect(0, 0, 0, 0);
        if (r == CalendarModel::kChosen || r == CalendarModel::kCleared) {
            Close(true);
            return;
        }
        Invalidate(FALSE);
    }
    CDialog::OnLButtonUp(flags, pt);
}

void CPBQOwnerDrawMonthCalCtrl::OnMouseMove(UINT flags, CPoint pt) {
    auto h = m_model.HitTest(pt);
    if (!m_model.IsUsable(h.first, h.second)) h = {CalendarModel::kNone, -1};
    if (h != m_hover) {
        m_hover = h;
        Invalidate(FALSE);
    }
    TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_hWnd, 0};
    ::TrackMouseEvent(&tme);
    CDialog::OnMouseMove(flags, pt);
}

void CPBQOwnerDrawMonthCalCtrl::OnMouseLeave() {
    m_hover = {CalendarModel::kNone, -1};
    Invalidate(FALSE);
}

void CPBQOwnerDrawMonthCalCtrl::Close(bool chosen) {
    m_model.m_nView = CalendarModel::kDays;
    m_hover = {CalendarModel::kNone, -1};
    HWND owner = m_hOwner;
    m_hOwner = nullptr;
    if (m_hWnd && IsWindowVisible()) ShowWindow(SW_HIDE);
    if (owner && ::IsWindow(owner)) ::SendMessage(owner, CPBQOwnerDrawDateTimeCtrl::UM_CALENDAR_CLOSED, 0, chosen ? 1 : 0);
}

void CPBQOwnerDrawMonthCalCtrl::OnKillFocus(CWnd* newWnd) {
    CDialog::OnKillFocus(newWnd);
    if (m_hOwner) Close(false);
}

void CPBQOwnerDrawMonthCalCtrl::OnActivate(UINT state, CWnd* other, BOOL minimized) {
    CDialog::OnActivate(state, other, minimized);
    if (state == 0 && m_hOwner) Close(false);
}

CPBQOwnerDrawMonthCalCtrl* GetSharedCalendar() {
    static CPBQOwnerDrawMonthCalCtrl* calendar = new CPBQOwnerDrawMonthCalCtrl;  // to process end
    return calendar;
}
