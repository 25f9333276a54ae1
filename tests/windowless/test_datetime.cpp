// The date field: today's date at first, the native picker over it, and what Escape,
// Delete and leaving the picker do to the text.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "WinlessHost.h"
#include "platform/Controls.h"
#include "windowless/DateTime.h"

using namespace WinlessUI;
using wltest::Host;

namespace {

std::string Today() {
    SYSTEMTIME t = CDateTimeUI::Now();
    char text[16];
    snprintf(text, sizeof text, "%4d-%02d-%02d", t.wYear, t.wMonth, t.wDay);
    return text;
}

SYSTEMTIME Date(int y, int m, int d) {
    SYSTEMTIME t{};
    t.wYear = WORD(y), t.wMonth = WORD(m), t.wDay = WORD(d);
    return t;
}

}  // namespace

TEST(DateTime, TextIsTheDateWithFourDigitYearAndTwoDigitMonthAndDay) {
    CDateTimeUI fresh;
    EXPECT_EQ(fresh.GetText().ToStd(), Today());
    fresh.SetTime(Date(2024, 3, 7));
    EXPECT_STREQ(fresh.GetText().GetData(), "2024-03-07");
    EXPECT_EQ(fresh.GetInterface("Button"), nullptr) << "a date field is no button";
    EXPECT_NE(fresh.GetInterface("DateTime"), nullptr);
}

TEST(DateTime, PickerEscapeDeleteAndLeaving) {
    Host h(300, 100);
    auto* root = h.Load("<Window><HorizontalLayout><DateTime name=\"d\" width=\"120\"/><Button name=\"b\"/>"
                        "</HorizontalLayout></Window>");
    ASSERT_NE(root, nullptr);
    auto* field = static_cast<CDateTimeUI*>(h.Find("d"));
    field->SetTime(Date(2024, 3, 7));

    // Escape closes the picker and keeps the text.
    field->SetFocus();
    ASSERT_NE(field->GetPickerWindow(), nullptr);
    HWND picker = field->GetPickerWindow()->GetHWND();
    RECT rc;
    field->GetPickerWindow()->GetWnd()->GetWindowRect(&rc);
    EXPECT_EQ(rc.right - rc.left, 120) << "laid over the control";
    ::SendMessage(picker, WM_KEYUP, VK_ESCAPE, 0);
    platform::ProcessPendingEvents();
    EXPECT_EQ(field->GetPickerWindow(), nullptr);
    EXPECT_STREQ(field->GetText().GetData(), "2024-03-07");

    // Delete empties it; the next opening starts at today's date.
    h.Find("b")->SetFocus();
    field->SetFocus();
    ASSERT_NE(field->GetPickerWindow(), nullptr);
    ::SendMessage(field->GetPickerWindow()->GetHWND(), WM_KEYUP, VK_DELETE, 0);
    platform::ProcessPendingEvents();
    EXPECT_STREQ(field->GetText().GetData(), "");
    h.Find("b")->SetFocus();
    field->SetFocus();
    ASSERT_NE(field->GetPickerWindow(), nullptr);
    auto* ctrl = static_cast<CDateTimeCtrl*>(field->GetPickerWindow()->GetWnd());
    SYSTEMTIME shown{};
    ctrl->GetTime(&shown);
    SYSTEMTIME now = CDateTimeUI::Now();
    EXPECT_EQ(shown.wYear, now.wYear);
    EXPECT_EQ(shown.wDay, now.wDay);

    // A date picked and the focus gone elsewhere: the date becomes the text.
    SYSTEMTIME picked = Date(2021, 12, 31);
    ctrl->SetTime(&picked);
    ::SendMessage(field->GetPickerWindow()->GetHWND(), WM_KILLFOCUS, (WPARAM)h.wnd.GetSafeHwnd(), 0);
    platform::ProcessPendingEvents();
    EXPECT_EQ(field->GetPickerWindow(), nullptr);
    EXPECT_STREQ(field->GetText().GetData(), "2021-12-31");
}
