// The classic messages of the native controls and the scroll bars of windows.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/App.h"
#include "platform/Controls.h"
#include "platform/Input.h"

namespace {

using platform::InjectMouse;

struct Parent : CWnd {
    std::vector<std::pair<UINT, UINT>> commands;  // (id, code)
    Parent() { CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 400), nullptr, 0); }
    BOOL OnCommand(WPARAM wp, LPARAM) override {
        commands.emplace_back(LOWORD(wp), HIWORD(wp));
        return TRUE;
    }
    std::vector<UINT> Codes() const {
        std::vector<UINT> v;
        for (auto& c : commands) v.push_back(c.second);
        return v;
    }
};

LRESULT Send(CWnd& w, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    return w.SendMessage(msg, wp, lp);
}
LPARAM Str(const char* s) {
    return reinterpret_cast<LPARAM>(s);
}

TEST(EditMessages, SelectionTextLimitReadOnlyAndPassword) {
    Parent p;
    CEdit e;
    ASSERT_TRUE(e.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 24), &p, 1));
    e.SetWindowText("600000");
    // every change of the text: EN_UPDATE, then EN_CHANGE
    EXPECT_EQ(p.Codes(), (std::vector<UINT>{EN_UPDATE, EN_CHANGE}));
    Send(e, EM_SETSEL, 1, 3);
    DWORD s = 0, t = 0;
    EXPECT_EQ(Send(e, EM_GETSEL, (WPARAM)&s, (LPARAM)&t), MAKELONG(1, 3));
    EXPECT_EQ(s, 1u);
    EXPECT_EQ(t, 3u);
    Send(e, EM_REPLACESEL, TRUE, Str("ab"));
    EXPECT_EQ(e.GetWindowText(), "6ab000");
    EXPECT_TRUE(Send(e, EM_CANUNDO));
    Send(e, EM_UNDO);
    EXPECT_EQ(e.GetWindowText(), "600000");
    Send(e, EM_SETSEL, 0, -1);  // -1: to the end
    EXPECT_EQ(Send(e, EM_GETSEL), MAKELONG(0, 6));
    Send(e, WM_CLEAR);
    EXPECT_EQ(e.GetWindowText(), "");
    // the limit: typing beyond it is refused and reported
    Send(e, EM_LIMITTEXT, 3);
    EXPECT_EQ(Send(e, EM_GETLIMITTEXT), 3);
    e.SetFocus();
    platform::InjectText("1234");
    EXPECT_EQ(e.GetWindowText(), "123");
    EXPECT_EQ(std::count(p.commands.begin(), p.commands.end(), std::make_pair(1u, (UINT)EN_MAXTEXT)),
              1);
    // typing marks the text modified; the owner clears the mark
    EXPECT_TRUE(Send(e, EM_GETMODIFY));
    Send(e, EM_SETMODIFY, FALSE);
    EXPECT_FALSE(Send(e, EM_GETMODIFY));
    // read-only refuses typing but not the program
    Send(e, EM_SETREADONLY, TRUE);
    EXPECT_TRUE(e.GetStyle() & ES_READONLY);
    Send(e, EM_SETSEL, 3, 3);
    platform::InjectText("x");
    EXPECT_EQ(e.GetWindowText(), "123");
    Send(e, EM_SETREADONLY, FALSE);
    // password character on and off
    EXPECT_EQ(Send(e, EM_GETPASSWORDCHAR), 0);
    Send(e, EM_SETPASSWORDCHAR, '*');
    EXPECT_EQ(Send(e, EM_GETPASSWORDCHAR), '*');
    Send(e, EM_SETPASSWORDCHAR, 0);
    EXPECT_EQ(Send(e, EM_GETPASSWORDCHAR), 0);
    // margins, one side at a time
    Send(e, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(4, 6));
    Send(e, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELONG(9, 2));
    EXPECT_EQ(Send(e, EM_GETMARGINS), MAKELONG(4, 2));
}

TEST(EditMessages, StyleBitsSetAfterCreationTakeEffect) {
    Parent p;
    CEdit e;
    ASSERT_TRUE(e.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 24), &p, 12));
    std::vector<std::pair<DWORD, DWORD>> told;
    e.SubclassWindowProc([&](UINT msg, WPARAM wp, LPARAM lp, const auto& previous) {
        if (msg == WM_STYLECHANGED && (LONG_PTR)wp == GWL_STYLE) {
            auto* ss = reinterpret_cast<const STYLESTRUCT*>(lp);
            told.emplace_back(ss->styleOld, ss->styleNew);
        }
        return previous(msg, wp, lp);
    });
    e.SetFocus();
    e.ModifyStyle(0, ES_NUMBER);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_TRUE(told[0].second & ES_NUMBER);
    EXPECT_FALSE(told[0].first & ES_NUMBER);
    platform::InjectText("6a0b0");
    EXPECT_EQ(e.GetWindowText(), "600");
    e.ModifyStyle(0, ES_NUMBER);  // no change, nothing told
    EXPECT_EQ(told.size(), 1u);
    SetWindowLongPtr(e.m_hWnd, GWL_STYLE, (LONG_PTR)((e.GetStyle() & ~ES_NUMBER) | ES_READONLY));
    EXPECT_EQ(told.size(), 2u);
    platform::InjectText("x");
    EXPECT_EQ(e.GetWindowText(), "600");
    e.ModifyStyle(ES_READONLY, 0);
    platform::InjectText("x");
    EXPECT_EQ(e.GetWindowText(), "600x");
}

TEST(EditMessages, LinesOfAMultiLineEdit) {
    Parent p;
    CEdit e;
    ASSERT_TRUE(e.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(0, 0, 200, 100), &p, 2));
    e.SetWindowText("first\nsecond line\n\nlast");
    EXPECT_EQ(Send(e, EM_GETLINECOUNT), 4);
    struct Case {
        int charIndex, line, lineStart, length;
    };
    // "first\n" 0-5, "second line\n" 6-17, "\n" 18, "last" 19-22
    for (const Case& c : {Case{0, 0, 0, 5}, Case{5, 0, 0, 5}, Case{6, 1, 6, 11}, Case{17, 1, 6, 11},
                          Case{18, 2, 18, 0}, Case{22, 3, 19, 4}}) {
        EXPECT_EQ(Send(e, EM_LINEFROMCHAR, (WPARAM)c.charIndex), c.line) << c.charIndex;
        EXPECT_EQ(Send(e, EM_LINEINDEX, (WPARAM)c.line), c.lineStart) << c.line;
        EXPECT_EQ(Send(e, EM_LINELENGTH, (WPARAM)c.charIndex), c.length) << c.charIndex;
    }
    EXPECT_EQ(Send(e, EM_LINEINDEX, 4), -1);
    // -1: the caret's line
    Send(e, EM_SETSEL, 8, 8);
    EXPECT_EQ(Send(e, EM_LINEFROMCHAR, (WPARAM)-1), 1);
    EXPECT_EQ(Send(e, EM_LINEINDEX, (WPARAM)-1), 6);
    // EM_GETLINE: the buffer's first word is its size; no terminator is written
    char buf[16];
    memset(buf, 'z', sizeof(buf));
    *reinterpret_cast<WORD*>(buf) = 6;
    EXPECT_EQ(Send(e, EM_GETLINE, 1, (LPARAM)buf), 6);
    EXPECT_EQ(std::string(buf, 7), "secondz");
}

TEST(RichEditMessages, ExtendedSelectionLimitAndSelectedText) {
    Parent p;
    CRichEditCtrl r;
    ASSERT_TRUE(r.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(0, 0, 200, 100), &p, 3));
    r.SetWindowText("训练周期结束");
    CHARRANGE cr{2, 4};
    EXPECT_EQ(Send(r, EM_EXSETSEL, 0, (LPARAM)&cr), 4);
    CHARRANGE got{};
    Send(r, EM_EXGETSEL, 0, (LPARAM)&got);
    EXPECT_EQ(got.cpMin, 2);
    EXPECT_EQ(got.cpMax, 4);
    char text[32] = {};
    EXPECT_EQ(Send(r, EM_GETSELTEXT, 0, (LPARAM)text), 6);  // two characters, UTF-8
    EXPECT_STREQ(text, "周期");
    // the whole text or the selection, UTF-8 or UTF-16, lengths in either
    r.SetWindowText("训练\n结束");
    GETTEXTLENGTHEX len{GTL_NUMCHARS, CP_UTF16};
    EXPECT_EQ(Send(r, EM_GETTEXTLENGTHEX, (WPARAM)&len), 5);
    len = {GTL_NUMBYTES | GTL_USECRLF, CP_UTF8};
    EXPECT_EQ(Send(r, EM_GETTEXTLENGTHEX, (WPARAM)&len), 14);
    char utf8[32] = {};
    GETTEXTEX gt{sizeof(utf8), GT_USECRLF, CP_UTF8, nullptr, nullptr};
    EXPECT_EQ(Send(r, EM_GETTEXTEX, (WPARAM)&gt, (LPARAM)utf8), 14);
    EXPECT_STREQ(utf8, "训练\r\n结束");
    gt.cb = 5;  // room for one character and a bit: the second is not cut in two
    EXPECT_EQ(Send(r, EM_GETTEXTEX, (WPARAM)&gt, (LPARAM)utf8), 3);
    EXPECT_STREQ(utf8, "训");
    char16_t utf16[8] = {};
    CHARRANGE two{3, 5};
    Send(r, EM_EXSETSEL, 0, (LPARAM)&two);
    GETTEXTEX sel{sizeof(utf16), GT_SELECTION, CP_UTF16, nullptr, nullptr};
    EXPECT_EQ(Send(r, EM_GETTEXTEX, (WPARAM)&sel, (LPARAM)utf16), 2);
    EXPECT_EQ(std::u16string(utf16), u"结束");
    r.SetWindowText("训练周期结束");
    Send(r, EM_EXSETSEL, 0, (LPARAM)&cr);
    Send(r, EM_EXLIMITTEXT, 0, 8);
    Send(r, EM_REPLACESEL, 0, Str("一二三四五"));
    EXPECT_LE(r.GetWindowText().size(), 8u * 3);
    EXPECT_EQ(p.commands.back().second, (UINT)EN_MAXTEXT);
}

TEST(ComboBoxMessages, ItemsSearchDataAndNotifications) {
    Parent p;
    CComboBox c;
    ASSERT_TRUE(c.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 0, 150, 24), &p, 4));
    EXPECT_EQ(Send(c, CB_ADDSTRING, 0, Str("日线")), 0);
    EXPECT_EQ(Send(c, CB_ADDSTRING, 0, Str("周线")), 1);
    EXPECT_EQ(Send(c, CB_ADDSTRING, 0, Str("Minute 5")), 2);
    EXPECT_EQ(Send(c, CB_INSERTSTRING, 1, Str("minute 1")), 1);
    EXPECT_EQ(Send(c, CB_INSERTSTRING, (WPARAM)-1, Str("月线")), 4);
    EXPECT_EQ(Send(c, CB_GETCOUNT), 5);
    EXPECT_EQ(Send(c, CB_GETCURSEL), CB_ERR);
    // prefix search without regard to case, from after start, wrapping
    EXPECT_EQ(Send(c, CB_FINDSTRING, (WPARAM)-1, Str("MIN")), 1);
    EXPECT_EQ(Send(c, CB_FINDSTRING, 1, Str("min")), 3);
    EXPECT_EQ(Send(c, CB_FINDSTRING, 3, Str("min")), 1);
    EXPECT_EQ(Send(c, CB_FINDSTRINGEXACT, (WPARAM)-1, Str("minute")), CB_ERR);
    EXPECT_EQ(Send(c, CB_FINDSTRINGEXACT, (WPARAM)-1, Str("MINUTE 5")), 3);
    char buf[32] = {};
    EXPECT_EQ(Send(c, CB_GETLBTEXTLEN, 4), 6);
    EXPECT_EQ(Send(c, CB_GETLBTEXT, 4, (LPARAM)buf), 6);
    EXPECT_STREQ(buf, "月线");
    EXPECT_EQ(Send(c, CB_GETLBTEXT, 9, (LPARAM)buf), CB_ERR);
    EXPECT_EQ(Send(c, CB_SETITEMDATA, 2, 0x8075), 0);
    EXPECT_EQ(Send(c, CB_GETITEMDATA, 2), 0x8075);
    // the program's selection notifies nothing; the user's does
    EXPECT_EQ(Send(c, CB_SETCURSEL, 2), 2);
    EXPECT_EQ(Send(c, CB_SELECTSTRING, (WPARAM)-1, Str("周")), 2);
    EXPECT_TRUE(p.commands.empty());
    c.SetFocus();
    p.commands.clear();
    platform::InjectKey(VK_DOWN, {}, 0, false, &c);
    EXPECT_EQ(Send(c, CB_GETCURSEL), 3);
    EXPECT_NE(std::find(p.commands.begin(), p.commands.end(), std::make_pair(4u, (UINT)CBN_SELCHANGE)),
              p.commands.end());
    // the user opening and closing the list is told
    p.commands.clear();
    platform::InjectKey(VK_F4, {}, 0, false, &c);
    EXPECT_TRUE(Send(c, CB_GETDROPPEDSTATE));
    Send(c, CB_SHOWDROPDOWN, FALSE);
    EXPECT_FALSE(Send(c, CB_GETDROPPEDSTATE));
    EXPECT_EQ(p.Codes(), (std::vector<UINT>{CBN_DROPDOWN, CBN_CLOSEUP}));
    EXPECT_EQ(Send(c, CB_DELETESTRING, 0), 4);
    EXPECT_EQ(Send(c, CB_DELETESTRING, 7), CB_ERR);
    Send(c, CB_RESETCONTENT);
    EXPECT_EQ(Send(c, CB_GETCOUNT), 0);
    EXPECT_EQ(Send(c, CB_GETCURSEL), CB_ERR);
    // a drop-down list has no edit to limit or select in
    EXPECT_FALSE(Send(c, CB_LIMITTEXT, 4));
    EXPECT_EQ(Send(c, CB_GETEDITSEL), CB_ERR);
}

TEST(ComboBoxMessages, AnEditableComboBoxEditsAndLimitsItsText) {
    Parent p;
    CComboBox c;
    ASSERT_TRUE(c.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, CRect(0, 0, 150, 24), &p, 5));
    EXPECT_TRUE(Send(c, CB_LIMITTEXT, 4));
    c.SetWindowText("600519");
    EXPECT_EQ(c.GetWindowText(), "6005");
    Send(c, CB_SETEDITSEL, 0, MAKELONG(1, 3));
    DWORD s = 0, t = 0;
    Send(c, CB_GETEDITSEL, (WPARAM)&s, (LPARAM)&t);
    EXPECT_EQ(s, 1u);
    EXPECT_EQ(t, 3u);
    Send(c, WM_CLEAR);
    EXPECT_EQ(c.GetWindowText(), "65");
}

TEST(ListBoxMessages, ItemsSelectionAndTheUsersChangesOnly) {
    Parent p;
    CListBox single, multi;
    ASSERT_TRUE(single.Create(WS_CHILD | WS_VISIBLE | LBS_NOTIFY, CRect(0, 0, 150, 200), &p, 6));
    ASSERT_TRUE(multi.Create(WS_CHILD | WS_VISIBLE | LBS_MULTIPLESEL, CRect(160, 0, 310, 200), &p, 7));
    for (const char* s : {"上证指数", "深证成指", "创业板指", "沪深300"}) {
        Send(single, LB_ADDSTRING, 0, Str(s));
        Send(multi, LB_ADDSTRING, 0, Str(s));
    }
    EXPECT_EQ(Send(single, LB_GETCOUNT), 4);
    EXPECT_EQ(Send(single, LB_FINDSTRING, (WPARAM)-1, Str("深证")), 1);
    EXPECT_EQ(Send(single, LB_FINDSTRINGEXACT, (WPARAM)-1, Str("沪深300")), 3);
    EXPECT_EQ(Send(single, LB_FINDSTRING, (WPARAM)-1, Str("中证")), LB_ERR);
    EXPECT_EQ(Send(single, LB_GETTEXTLEN, 3), 9);
    char buf[32] = {};
    EXPECT_EQ(Send(single, LB_GETTEXT, 2, (LPARAM)buf), 12);
    EXPECT_STREQ(buf, "创业板指");
    EXPECT_EQ(Send(single, LB_SETITEMDATA, 3, 300), 0);
    EXPECT_EQ(Send(single, LB_GETITEMDATA, 3), 300);
    EXPECT_EQ(Send(single, LB_SETCURSEL, 1), 1);
    EXPECT_EQ(Send(single, LB_GETCURSEL), 1);
    EXPECT_GT(Send(single, LB_GETSEL, 1), 0);
    EXPECT_EQ(Send(single, LB_GETSEL, 2), 0);
    // a single-selection list has no multiple selection
    EXPECT_EQ(Send(single, LB_SETSEL, TRUE, 2), LB_ERR);
    EXPECT_EQ(Send(single, LB_GETSELCOUNT), LB_ERR);
    // the program's changes notify nothing, deleting the selected item included
    Send(single, LB_DELETESTRING, 1);
    EXPECT_TRUE(p.commands.empty());
    // a click does
    CRect item(0, 0, 150, 10);
    InjectMouse(&single, WM_LBUTTONDOWN, 20, 5);
    InjectMouse(&single, WM_LBUTTONUP, 20, 5);
    EXPECT_EQ(Send(single, LB_GETCURSEL), 0);
    ASSERT_FALSE(p.commands.empty());
    EXPECT_EQ(p.commands.back(), std::make_pair(6u, (UINT)LBN_SELCHANGE));

    EXPECT_EQ(Send(multi, LB_SETSEL, TRUE, 0), 0);
    EXPECT_EQ(Send(multi, LB_SETSEL, TRUE, 2), 0);
    EXPECT_EQ(Send(multi, LB_GETSELCOUNT), 2);
    int items[4] = {-1, -1, -1, -1};
    EXPECT_EQ(Send(multi, LB_GETSELITEMS, 4, (LPARAM)items), 2);
    EXPECT_EQ(items[0], 0);
    EXPECT_EQ(items[1], 2);
    EXPECT_EQ(Send(multi, LB_GETSELITEMS, 1, (LPARAM)items), 1);
    Send(multi, LB_SETSEL, FALSE, (LPARAM)-1);
    EXPECT_EQ(Send(multi, LB_GETSELCOUNT), 0);
    Send(single, LB_RESETCONTENT);
    EXPECT_EQ(Send(single, LB_GETCOUNT), 0);
}

TEST(ScrollBarMessages, MembersSendTheirMessagesSoASkinnedBarAnswers) {
    struct SkinnedBar : CScrollBar {
        SCROLLINFO mine{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
        LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
            if (msg == SBM_SETSCROLLINFO) {
                auto* si = reinterpret_cast<const SCROLLINFO*>(lp);
                if (si->fMask & SIF_RANGE) mine.nMin = si->nMin, mine.nMax = si->nMax;
                if (si->fMask & SIF_PAGE) mine.nPage = si->nPage;
                if (si->fMask & SIF_POS) mine.nPos = si->nPos;
                return 1;
            }
            if (msg == SBM_GETSCROLLINFO) {
                auto* si = reinterpret_cast<SCROLLINFO*>(lp);
                si->nMin = mine.nMin, si->nMax = mine.nMax, si->nPage = mine.nPage, si->nPos = mine.nPos;
                return 1;
            }
            return CScrollBar::WindowProc(msg, wp, lp);
        }
    };
    Parent p;
    SkinnedBar skin;
    CScrollBar plain;
    ASSERT_TRUE(skin.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(0, 0, 20, 200), &p, 8));
    ASSERT_TRUE(plain.Create(WS_CHILD | WS_VISIBLE | SBS_HORZ, CRect(30, 0, 230, 20), &p, 9));
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 199, 50, 120, 0};
    EXPECT_TRUE(skin.SetScrollInfo(&si));
    EXPECT_EQ(skin.mine.nMax, 199);
    EXPECT_EQ(skin.GetScrollPos(), 0);  // SBM_GETPOS is the control's own
    SCROLLINFO back{sizeof(back), SIF_ALL, 0, 0, 0, 0, 0};
    EXPECT_TRUE(skin.GetScrollInfo(&back));
    EXPECT_EQ(back.nPos, 120);
    EXPECT_EQ(back.nPage, 50u);
    // the plain bar: the classic range includes the page, the position stops before it
    plain.SetScrollInfo(&si);
    EXPECT_EQ(plain.GetScrollPos(), 120);
    EXPECT_EQ(plain.GetScrollLimit(), 150);
    EXPECT_EQ(plain.SetScrollPos(500), 120);
    EXPECT_EQ(Send(plain, SBM_GETPOS), 150);
    Send(plain, SBM_SETRANGE, 10, 20);
    int lo = 0, hi = 0;
    Send(plain, SBM_GETRANGE, (WPARAM)&lo, (LPARAM)&hi);
    EXPECT_EQ(lo, 10);
    EXPECT_EQ(hi, 20);
    // SB_CTL through the window's own scroll calls
    EXPECT_EQ(plain.CWnd::GetScrollPos(SB_CTL), plain.GetScrollPos());
    EXPECT_FALSE(plain.CWnd::GetScrollInfo(SB_VERT, &back));
}

struct Scrolled : CWnd {
    std::vector<std::pair<UINT, int>> scrolls;  // (code, position carried)
    std::vector<CSize> sizes;
    int wheels = 0;
    bool follow = true;  // sets the position the way the user asked
    void OnVScroll(UINT code, UINT pos, CWnd* bar) override {
        EXPECT_EQ(bar, nullptr);
        scrolls.emplace_back(code, (int)pos);
        if (!follow) return;
        SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(SB_VERT, &si);
        int p = si.nPos;
        if (code == SB_LINEDOWN) p += 1;
        if (code == SB_LINEUP) p -= 1;
        if (code == SB_PAGEDOWN) p += (int)si.nPage;
        if (code == SB_PAGEUP) p -= (int)si.nPage;
        if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) p = si.nTrackPos;
        SetScrollPos(SB_VERT, p);
    }
    void OnSize(UINT, int cx, int cy) override { sizes.emplace_back(cx, cy); }
    BOOL OnMouseWheel(UINT, short, CPoint) override {
        ++wheels;
        return TRUE;
    }
};

TEST(WindowScrollBars, InfoClientAreaAndTheUsersScrolling) {
    Scrolled w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE | WS_VSCROLL, CRect(0, 0, 200, 300),
                           nullptr, 0));
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    CRect rc;
    w.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 200 - bar, 300));
    ASSERT_FALSE(w.sizes.empty());
    EXPECT_EQ(w.sizes.back(), CSize(200 - bar, 300));  // WM_SIZE carries the client size
    int lo = -1, hi = -1;
    w.GetScrollRange(SB_VERT, &lo, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 100);
    EXPECT_FALSE(w.GetScrollInfo(SB_HORZ, nullptr));
    SCROLLINFO none{sizeof(none), SIF_ALL, 0, 0, 0, 0, 0};
    EXPECT_FALSE(w.GetScrollInfo(SB_HORZ, &none));

    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 0, 0};
    EXPECT_TRUE(w.SetScrollInfo(SB_VERT, &si));
    // positions stop where the page reaches the end
    EXPECT_EQ(w.SetScrollPos(SB_VERT, 95), 0);
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 90);
    EXPECT_EQ(w.GetScrollLimit(SB_VERT), 90);
    w.SetScrollPos(SB_VERT, 0);

    // a press on the track below the thumb pages down, the release ends the scrolling
    InjectMouse(&w, WM_LBUTTONDOWN, 200 - bar + 5, 250);
    InjectMouse(&w, WM_LBUTTONUP, 200 - bar + 5, 250);
    ASSERT_GE(w.scrolls.size(), 2u);
    EXPECT_EQ(w.scrolls.front().first, (UINT)SB_PAGEDOWN);
    EXPECT_EQ(w.scrolls.back().first, (UINT)SB_ENDSCROLL);
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 10);
    // a window that does not follow keeps its position
    w.follow = false;
    w.scrolls.clear();
    InjectMouse(&w, WM_LBUTTONDOWN, 200 - bar + 5, 280);
    InjectMouse(&w, WM_LBUTTONUP, 200 - bar + 5, 280);
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 10);
    w.follow = true;
    // the wheel over the bar is the window's
    InjectMouse(&w, WM_MOUSEWHEEL, 200 - bar + 5, 150, 0, -120);
    EXPECT_EQ(w.wheels, 1);

    // a range the page covers hides the bar: the client area grows and WM_SIZE says so
    SCROLLINFO all{sizeof(all), SIF_RANGE | SIF_PAGE, 0, 99, 100, 0, 0};
    w.SetScrollInfo(SB_VERT, &all);
    w.GetClientRect(&rc);
    EXPECT_EQ(rc.Width(), 200);
    EXPECT_EQ(w.sizes.back(), CSize(200, 300));
    EXPECT_FALSE(w.GetStyle() & WS_VSCROLL);
    // ... unless told to stay; ShowScrollBar adds the other one outright
    all.fMask |= SIF_DISABLENOSCROLL;
    w.SetScrollInfo(SB_VERT, &all);
    w.ShowScrollBar(SB_HORZ, TRUE);
    w.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 200 - bar, 300 - bar));
    EXPECT_TRUE(w.GetStyle() & WS_HSCROLL);
    w.ShowScrollBar(SB_BOTH, FALSE);
    w.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 200, 300));
    // the same over the handle; a stale handle answers nothing
    SCROLLINFO again{sizeof(again), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 49, 10, 45, 0};
    EXPECT_EQ(::SetScrollInfo(w.m_hWnd, SB_VERT, &again, TRUE), 40);
    EXPECT_EQ(::GetScrollPos(w.m_hWnd, SB_VERT), 40);
    SCROLLINFO read{sizeof(read), SIF_RANGE, 0, 0, 0, 0, 0};
    EXPECT_TRUE(::GetScrollInfo(w.m_hWnd, SB_VERT, &read));
    EXPECT_EQ(read.nMax, 49);
    EXPECT_TRUE(::ShowScrollBar(w.m_hWnd, SB_VERT, FALSE));
    const HWND gone = w.m_hWnd;
    w.DestroyWindow();
    EXPECT_EQ(::GetScrollPos(gone, SB_VERT), 0);
    EXPECT_FALSE(::GetScrollInfo(gone, SB_VERT, &read));
    EXPECT_FALSE(::ShowScrollBar(gone, SB_VERT, TRUE));
}

TEST(WindowScrollBars, DraggingTheThumbTracksThenSetsThePosition) {
    Scrolled w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE | WS_VSCROLL, CRect(0, 0, 200, 300),
                           nullptr, 0));
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 199, 100, 0, 0};
    w.SetScrollInfo(SB_VERT, &si);
    w.follow = false;
    // the thumb fills half the track at the top
    const int x = 200 - bar + 5;
    InjectMouse(&w, WM_LBUTTONDOWN, x, 60);
    InjectMouse(&w, WM_MOUSEMOVE, x, 160);
    ASSERT_FALSE(w.scrolls.empty());
    EXPECT_EQ(w.scrolls.back().first, (UINT)SB_THUMBTRACK);
    const int tracked = w.scrolls.back().second;
    EXPECT_GT(tracked, 0);
    SCROLLINFO now{sizeof(now), SIF_ALL, 0, 0, 0, 0, 0};
    w.GetScrollInfo(SB_VERT, &now);
    EXPECT_EQ(now.nTrackPos, tracked);
    EXPECT_EQ(now.nPos, 0);  // not moved until the window says so
    InjectMouse(&w, WM_LBUTTONUP, x, 160);
    ASSERT_GE(w.scrolls.size(), 2u);
    EXPECT_EQ(w.scrolls[w.scrolls.size() - 2], std::make_pair((UINT)SB_THUMBPOSITION, tracked));
    EXPECT_EQ(w.scrolls.back().first, (UINT)SB_ENDSCROLL);
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 0);
}

TEST(WindowScrollBars, AControlsOwnBarsAreItsScrollState) {
    Parent p;
    CEdit text;
    ASSERT_TRUE(text.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, CRect(0, 0, 200, 100),
                            &p, 11));
    std::string lines;
    for (int i = 0; i < 60; ++i) lines += "第" + std::to_string(i) + "行\n";
    text.SetWindowText(lines);
    int paints = 0;
    text.SubclassWindowProc([&](UINT msg, WPARAM wp, LPARAM lp, const auto& previous) {
        if (msg == WM_PAINT) ++paints;
        return previous(msg, wp, lp);
    });
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(text.GetScrollInfo(SB_VERT, &si));
    EXPECT_GT(si.nMax, (int)si.nPage);
    EXPECT_EQ(si.nPos, 0);
    EXPECT_FALSE(text.GetScrollInfo(SB_HORZ, &si));  // created without WS_HSCROLL
    text.UpdateWindow();
    platform::PumpUntil([] { return false; }, 50);
    paints = 0;
    // WM_VSCROLL moves it as its own bar would; the repaint tells whoever mirrors it
    text.SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
    const int afterPage = text.GetScrollPos(SB_VERT);
    EXPECT_GT(afterPage, 0);
    text.SendMessage(WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(text.GetScrollPos(SB_VERT), afterPage - 1);
    text.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(text.GetScrollPos(SB_VERT), text.GetScrollLimit(SB_VERT));
    text.SetScrollPos(SB_VERT, 3);
    EXPECT_EQ(text.GetScrollPos(SB_VERT), 3);
    EXPECT_TRUE(platform::PumpUntil([&] { return paints > 0; }, 2000));
}

}  // namespace
