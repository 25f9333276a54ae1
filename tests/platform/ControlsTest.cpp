// Native controls: text, notifications to the parent, and key subclassing.
#include <gtest/gtest.h>

#include "platform/App.h"
#include "platform/Controls.h"
#include "platform/Input.h"
#include "platform/Services.h"
#include "platform/ToolTip.h"

namespace {

struct Parent : CWnd {
    std::vector<std::pair<UINT, UINT>> commands;  // (id, code)
    std::vector<std::pair<UINT, UINT>> scrolls;   // (code, pos)
    std::vector<UINT> notifies;
    SYSTEMTIME lastDate{};
    BOOL OnCommand(WPARAM wp, LPARAM lp) override {
        EXPECT_NE(CWnd::FromHandle(reinterpret_cast<HWND>(lp)), nullptr);
        commands.emplace_back(LOWORD(wp), HIWORD(wp));
        return TRUE;
    }
    BOOL OnNotify(WPARAM, LPARAM lp, LRESULT*) override {
        auto* h = reinterpret_cast<NMHDR*>(lp);
        notifies.push_back(h->code);
        if (h->code == DTN_DATETIMECHANGE) lastDate = reinterpret_cast<NMDATETIMECHANGE*>(lp)->st;
        return TRUE;
    }
    void OnVScroll(UINT code, UINT pos, CWnd*) override { scrolls.emplace_back(code, pos); }
    size_t Count(UINT code) const {
        size_t n = 0;
        for (auto& c : commands) n += c.second == code;
        return n;
    }
    Parent() { CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 300), nullptr, 0); }
};

TEST(NativeEdit, TypedTextAndNotificationsReachTheParent) {
    Parent p;
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 10, 110, 30), &p, 42));
    edit.SetFocus();
    EXPECT_EQ(p.Count(EN_SETFOCUS), 1u);
    platform::InjectText("ab中");
    EXPECT_EQ(edit.GetWindowText(), "ab中");
    EXPECT_EQ(p.Count(EN_CHANGE), 3u);
    EXPECT_EQ(p.commands.front().first, 42u);
    // Backspace edits through WM_CHAR like the classic control
    platform::InjectKey(VK_BACK, "\b");
    EXPECT_EQ(edit.GetWindowText(), "ab");
    // setting the text notifies too
    edit.SetWindowText("12345");
    EXPECT_EQ(p.Count(EN_CHANGE), 5u);
    // the limit refuses more and says so
    edit.SetLimitText(5);
    edit.SetSel(5, 5);
    platform::InjectText("6");
    EXPECT_EQ(edit.GetWindowText(), "12345");
    EXPECT_EQ(p.Count(EN_MAXTEXT), 1u);
    int s = 0, e = 0;
    edit.SetSel(1, 3);
    edit.GetSel(s, e);
    EXPECT_EQ(s, 1);
    EXPECT_EQ(e, 3);
    edit.ReplaceSel("x");
    EXPECT_EQ(edit.GetWindowText(), "1x45");
    // moving the focus away reports it
    CWnd other;
    ASSERT_TRUE(other.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 50, 10, 60), &p, 7));
    other.SetFocus();
    EXPECT_EQ(p.Count(EN_KILLFOCUS), 1u);
}

TEST(NativeEdit, ProceduresPutInFrontOfAControlSeeAndChangeItsMessages) {
    Parent p;
    CEdit edit;  // made by someone else: no class of ours to override in
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 110, 30), &p, 43));
    edit.SetFocus();
    std::vector<std::string> order;
    // mirroring: the old handling runs first and its result is given back
    std::string textAfterChar;
    const int mirror =
        edit.SubclassWindowProc([&](UINT msg, WPARAM wp, LPARAM lp, const auto& previous) {
            LRESULT r = previous(msg, wp, lp);
            if (msg == WM_CHAR) {
                order.push_back("mirror");
                textAfterChar = edit.GetWindowText();
            }
            return r;
        });
    // a newer one runs first; it turns lower case into upper and eats '#'
    const int upper =
        edit.SubclassWindowProc([&](UINT msg, WPARAM wp, LPARAM lp, const auto& previous) {
            if (msg == WM_CHAR) {
                order.push_back("upper");
                if (wp == '#') return LRESULT(0);
                if (wp >= 'a' && wp <= 'z') wp -= 'a' - 'A';
            }
            return previous(msg, wp, lp);
        });
    EXPECT_NE(mirror, upper);
    platform::InjectText("a#1");
    EXPECT_EQ(edit.GetWindowText(), "A1");
    EXPECT_EQ(textAfterChar, "A1");
    EXPECT_EQ(order, (std::vector<std::string>{"upper", "mirror", "upper", "upper", "mirror"}));
    // answers pass back through every procedure
    EXPECT_EQ(edit.SendMessage(WM_GETTEXTLENGTH), 2);
    EXPECT_TRUE(edit.RestoreWindowProc(upper));
    EXPECT_FALSE(edit.RestoreWindowProc(upper));
    platform::InjectText("b");
    EXPECT_EQ(edit.GetWindowText(), "A1b");
    EXPECT_TRUE(edit.RestoreWindowProc(mirror));
    order.clear();
    platform::InjectText("c");
    EXPECT_EQ(edit.GetWindowText(), "A1bc");
    EXPECT_TRUE(order.empty());

    // a procedure that removes itself and destroys the window while it runs
    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 20, 20), nullptr, 0));
    int cookie = 0, seen = 0;
    cookie = w.SubclassWindowProc([&](UINT msg, WPARAM wp, LPARAM lp, const auto& previous) {
        if (msg == WM_USER + 5) {
            ++seen;
            w.RestoreWindowProc(cookie);
            w.DestroyWindow();
            return previous(msg, wp, lp);
        }
        return previous(msg, wp, lp);
    });
    w.SendMessage(WM_USER + 5);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(w.m_hWnd, nullptr);
}

TEST(NativeEdit, ASubclassFiltersCharactersBeforeTheControlSeesThem) {
    struct DigitsOnly : CEdit {
        void OnChar(UINT ch, UINT rep, UINT flags) override {
            if ((ch >= '0' && ch <= '9') || ch == '\b') CEdit::OnChar(ch, rep, flags);
        }
        int enters = 0;
        void OnKeyDown(UINT vk, UINT rep, UINT flags) override {
            if (vk == VK_RETURN) ++enters;
            CEdit::OnKeyDown(vk, rep, flags);
        }
    };
    Parent p;
    DigitsOnly edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 110, 30), &p, 1));
    edit.SetFocus();
    platform::InjectText("1a2b3");
    platform::InjectKey(VK_RETURN, "\r");
    EXPECT_EQ(edit.GetWindowText(), "123");
    EXPECT_EQ(edit.enters, 1);
    // Left moves the caret: a key without text is handled on WM_KEYDOWN
    platform::InjectKey(VK_LEFT);
    platform::InjectText("9");
    EXPECT_EQ(edit.GetWindowText(), "1293");
}

TEST(NativeEdit, SkinnedFrameInsetsAndReflectedColours) {
    struct SkinEdit : CEdit {
        CBrush bk{RGB(255, 255, 0)};
        int colourQueries = 0;
        LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
            if (msg == WM_NCCALCSIZE) {
                auto* rc = reinterpret_cast<RECT*>(lp);
                rc->left += 6;
                rc->top += 3;
                rc->right -= 2;
                rc->bottom -= 3;
                return Default();
            }
            if (msg == OCM__BASE + WM_CTLCOLOREDIT) {
                ++colourQueries;
                reinterpret_cast<CDC*>(wp)->SetTextColor(RGB(0, 0, 160));
                return reinterpret_cast<LRESULT>(&bk);
            }
            if (msg == WM_PAINT) {
                Default();
                CWindowDC dc(this);
                CRect rc;
                GetWindowRect(&rc);
                CRect frame(0, 0, rc.Width(), rc.Height());
                CBrush red(RGB(255, 0, 0));
                dc.FrameRect(&frame, &red);
                return 0;
            }
            return CEdit::WindowProc(msg, wp, lp);
        }
    };
    Parent p;
    SkinEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE, CRect(20, 20, 120, 44), &p, 11));
    CRect client;
    platform::ProcessPendingEvents();
    edit.GetClientRect(&client);
    EXPECT_EQ(client, CRect(0, 0, 92, 18));
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&p, shot));
    EXPECT_EQ(shot.GetPixel(20, 20), RGB(255, 0, 0));  // the frame at the window's corner
    EXPECT_EQ(shot.GetPixel(119, 43), RGB(255, 0, 0));
    EXPECT_EQ(shot.GetPixel(100, 32), RGB(255, 255, 0));  // the background from the brush
    EXPECT_GT(edit.colourQueries, 0);
}

TEST(NativeControls, ComboBoxItemsSelectionAndData) {
    Parent p;
    CComboBox combo;
    ASSERT_TRUE(
        combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 0, 100, 24), &p, 2));
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    EXPECT_EQ(combo.AddString("日线"), 0);
    EXPECT_EQ(combo.AddString("周线"), 1);
    EXPECT_EQ(combo.InsertString(0, "分时"), 0);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    EXPECT_EQ(combo.SetCurSel(2), 2);
    std::string t;
    combo.GetLBText(2, t);
    EXPECT_EQ(t, "周线");
    EXPECT_EQ(combo.FindStringExact(-1, "日线"), 1);
    combo.SetItemData(1, 77);
    EXPECT_EQ(combo.GetItemData(1), 77u);
    EXPECT_EQ(p.Count(CBN_SELCHANGE), 0u);  // only the user's choice notifies
    EXPECT_EQ(combo.SetCurSel(9), CB_ERR);
}

TEST(NativeControls, ListBoxItemsAndSelection) {
    Parent p;
    std::string t;
    CListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_NOTIFY, CRect(0, 30, 100, 130), &p, 3));
    for (const char* s : {"a", "b", "c"}) list.AddString(s);
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.SetCurSel(1), 1);
    EXPECT_EQ(list.GetCurSel(), 1);
    EXPECT_EQ(list.DeleteString(0), 2);
    list.GetText(0, t);
    EXPECT_EQ(t, "b");
}

TEST(NativeControls, ProgressStepsWrapAndClamp) {
    Parent p;
    CProgressCtrl prog;
    ASSERT_TRUE(prog.Create(WS_CHILD | WS_VISIBLE, CRect(0, 140, 100, 150), &p, 4));
    prog.SetRange32(0, 100);
    prog.SetStep(40);
    prog.StepIt();
    prog.StepIt();
    EXPECT_EQ(prog.GetPos(), 80);
    prog.StepIt();  // past the end it wraps
    EXPECT_EQ(prog.GetPos(), 19);
    EXPECT_EQ(prog.SetPos(500), 19);
    EXPECT_EQ(prog.GetPos(), 100);
}

TEST(NativeControls, ScrollBarInfoPositionAndMessages) {
    Parent p;
    CScrollBar sb;
    ASSERT_TRUE(sb.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(200, 0, 217, 200), &p, 5));
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 30, 0};
    ASSERT_TRUE(sb.SetScrollInfo(&si));
    SCROLLINFO got{};
    got.cbSize = sizeof(got);
    sb.GetScrollInfo(&got);
    EXPECT_EQ(got.nMin, 0);
    EXPECT_EQ(got.nMax, 99);
    EXPECT_EQ(got.nPage, 10u);
    EXPECT_EQ(got.nPos, 30);
    EXPECT_EQ(sb.SetScrollPos(95), 30);
    EXPECT_EQ(sb.GetScrollPos(), 90);  // the last position is max - page + 1
    EXPECT_TRUE(p.scrolls.empty());
    // the same through the control's messages, which a procedure in front of it sees
    int setsSeen = 0;
    sb.SubclassWindowProc([&](UINT msg, WPARAM wp, LPARAM lp, const auto& previous) {
        setsSeen += msg == SBM_SETSCROLLINFO;
        return previous(msg, wp, lp);
    });
    SCROLLINFO byMsg{sizeof(byMsg), SIF_POS, 0, 0, 0, 12, 0};
    EXPECT_EQ(sb.SendMessage(SBM_SETSCROLLINFO, TRUE, (LPARAM)&byMsg), 12);
    SCROLLINFO range{sizeof(range), SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    EXPECT_TRUE(sb.SendMessage(SBM_GETSCROLLINFO, 0, (LPARAM)&range));
    EXPECT_EQ(range.nMax, 99);
    EXPECT_EQ(range.nPage, 10u);
    EXPECT_EQ(setsSeen, 1);
}

TEST(NativeControls, DateTimeSetIsSilentAndAKeyStepNotifies) {
    Parent p;
    CDateTimeCtrl date;
    ASSERT_TRUE(date.Create(WS_CHILD | WS_VISIBLE, CRect(0, 160, 120, 184), &p, 6));
    SYSTEMTIME st{2024, 2, 0, 29, 0, 0, 0, 0};
    ASSERT_TRUE(date.SetTime(&st));
    SYSTEMTIME back{};
    EXPECT_EQ(date.GetTime(&back), 0u);
    EXPECT_EQ(back.wYear, 2024);
    EXPECT_EQ(back.wMonth, 2);
    EXPECT_EQ(back.wDay, 29);
    EXPECT_TRUE(p.notifies.empty());  // setting it is not a change by the user
    date.SetFocus();
    platform::InjectKey(VK_UP);  // the user steps the day: the parent hears of it
    ASSERT_EQ(p.notifies.size(), 1u);
    EXPECT_EQ(p.notifies[0], (UINT)DTN_DATETIMECHANGE);
    EXPECT_EQ(p.lastDate.wYear, 2025);  // the year section has the caret
    EXPECT_EQ(p.lastDate.wDay, 28);     // 29 February does not exist in 2025
}

TEST(NativeControls, MonthCalendarSelection) {
    Parent p;
    CMonthCalCtrl cal;
    ASSERT_TRUE(cal.Create(WS_CHILD | WS_VISIBLE, CRect(0, 190, 250, 300), &p, 8));
    SYSTEMTIME day{2023, 12, 0, 31, 0, 0, 0, 0};
    ASSERT_TRUE(cal.SetCurSel(&day));
    SYSTEMTIME sel{};
    ASSERT_TRUE(cal.GetCurSel(&sel));
    EXPECT_EQ(sel.wDay, 31);
    EXPECT_EQ(sel.wDayOfWeek, 0);  // a Sunday
}

TEST(NativeControls, RichEditLinesSelectionAndBackground) {
    Parent p;
    CRichEditCtrl rich;
    ASSERT_TRUE(rich.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(120, 0, 200, 100), &p, 9));
    rich.SetWindowText("第一行\n第二行");
    EXPECT_EQ(rich.GetLineCount(), 2);
    rich.SetSel(0, 3);
    EXPECT_EQ(rich.GetSelText(), "第一行");
    // the background colour message answers the colour it replaces
    EXPECT_EQ(rich.SendMessage(EM_SETBKGNDCOLOR, FALSE, RGB(10, 20, 30)), RGB(255, 255, 255));
    EXPECT_EQ(rich.SendMessage(EM_SETBKGNDCOLOR, FALSE, RGB(1, 2, 3)), RGB(10, 20, 30));
}

TEST(ToolTip, ToolsAreShownByTheirMessagesAndGoWithTheirOwner) {
    auto* owner = new CWnd;
    ASSERT_TRUE(owner->CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(100, 100, 400, 300),
                                nullptr, 0));
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(owner, TTS_NOPREFIX | TTS_ALWAYSTIP));
    EXPECT_EQ(tip.SendMessage(TTM_GETDELAYTIME, TTDT_INITIAL), 500);
    TOOLINFO ti;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = owner->m_hWnd;
    ti.uId = (UINT_PTR)owner->m_hWnd;
    ti.lpszText = "涨跌幅";
    EXPECT_TRUE(tip.SendMessage(TTM_ADDTOOL, 0, (LPARAM)&ti));
    EXPECT_EQ(tip.SendMessage(TTM_GETTOOLCOUNT), 1);
    EXPECT_EQ(tip.SendMessage(TTM_SETMAXTIPWIDTH, 0, 300), -1);
    EXPECT_FALSE(tip.IsWindowVisible());

    // a tracked tool at an absolute point
    std::string longText = "当前价 12.34 涨跌幅 +5.67% 成交量 123456 手";
    ti.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
    ti.lpszText = longText.c_str();
    tip.SendMessage(TTM_SETTOOLINFO, 0, (LPARAM)&ti);
    tip.SendMessage(TTM_TRACKPOSITION, 0, MAKELPARAM(150, 160));
    tip.SendMessage(TTM_TRACKACTIVATE, TRUE, (LPARAM)&ti);
    EXPECT_TRUE(tip.IsWindowVisible());
    EXPECT_EQ(tip.GetShownText(), longText);
    CRect wide;
    tip.GetWindowRect(&wide);
    EXPECT_EQ(wide.TopLeft(), CPoint(150, 160));
    // the text is drawn inside a frame on the tip colour
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&tip, shot));
    EXPECT_EQ(shot.GetPixel(0, 0), RGB(118, 118, 118));
    EXPECT_EQ(shot.GetPixel(1, 1), RGB(255, 255, 225));
    int ink = 0;
    for (int y = 1; y < wide.Height() - 1; ++y)
        for (int x = 1; x < wide.Width() - 1; ++x) {
            COLORREF c = shot.GetPixel(x, y);
            ink += GetRValue(c) < 128 && GetBValue(c) < 128;
        }
    EXPECT_GT(ink, 20);
    // a narrower maximum width wraps the text onto more lines
    EXPECT_EQ(tip.SendMessage(TTM_SETMAXTIPWIDTH, 0, 80), 300);
    CRect narrow;
    tip.GetWindowRect(&narrow);
    EXPECT_LE(narrow.Width(), 80 + 8);
    EXPECT_GT(narrow.Height(), wide.Height());
    tip.SendMessage(TTM_TRACKACTIVATE, FALSE, (LPARAM)&ti);
    EXPECT_FALSE(tip.IsWindowVisible());
    EXPECT_EQ(tip.GetShownTool(), -1);
    // an unknown tool shows nothing
    TOOLINFO other;
    other.hwnd = owner->m_hWnd;
    other.uId = 99;
    tip.SendMessage(TTM_TRACKACTIVATE, TRUE, (LPARAM)&other);
    EXPECT_FALSE(tip.IsWindowVisible());
    tip.SendMessage(TTM_DELTOOL, 0, (LPARAM)&ti);
    EXPECT_EQ(tip.SendMessage(TTM_GETTOOLCOUNT), 0);
    // the tip is owned: it goes with its owner
    owner->DestroyWindow();
    EXPECT_EQ(tip.m_hWnd, nullptr);
    delete owner;
}

}  // namespace
