// The rich edit over the native text control: Enter handling, limits, read-only, password
// masking, notifications and the tip shown while the text is empty.
#include <gtest/gtest.h>

#include <string>

#include "WinlessHost.h"
#include "platform/Controls.h"
#include "platform/Input.h"
#include "windowless/RichEdit.h"

using namespace WinlessUI;
using wltest::Host;
using wltest::Surface;

namespace {

CRichEditUI* LoadEdit(Host& h, const std::string& attrs) {
    std::string xml = "<Window><VerticalLayout><RichEdit name=\"e\" " + attrs + "/><Button name=\"b\"/></VerticalLayout></Window>";
    if (h.Load(xml.c_str()) == nullptr) return nullptr;
    return static_cast<CRichEditUI*>(h.Find("e"));
}

void Type(CRichEditUI* e, const char* text, UINT modifiers = 0) {
    for (const char* p = text; *p; ++p) {
        if (*p == '\r') platform::InjectKey(VK_RETURN, "\r", modifiers, false, e->GetHostWindow());
        else platform::InjectKey(0, std::string(1, *p), 0, false, e->GetHostWindow());
    }
}

}  // namespace

TEST(RichEdit, EnterLimitsReadOnlyAndNotifications) {
    struct Case {
        const char* attrs;
        const char* typed;
        const char* text;
        int returns;
        UINT modifiers = 0;
    } cases[] = {
        {"wantctrlreturn=\"false\"", "a\rb", "ab", 1, MK_CONTROL},
        {"", "ab\rc", "ab\nc", 0},
        {"wantreturn=\"false\"", "ab\rc", "abc", 1},
        {"multiline=\"false\"", "a\rb", "ab", 1},
        {"maxchar=\"3\"", "abcd", "abc", 0},
        {"readonly=\"true\"", "abc", "", 0},
    };
    for (const Case& c : cases) {
        Host h(300, 200);
        CRichEditUI* e = LoadEdit(h, c.attrs);
        ASSERT_NE(e, nullptr) << c.attrs;
        ASSERT_NE(e->GetHostWindow(), nullptr);
        wltest::Recorder& r = h.recorder;
        e->SetFocus();
        Type(e, c.typed, c.modifiers);
        std::string text = e->GetText().ToStd();
        for (auto& ch : text)
            if (ch == '\r') ch = '\n';
        EXPECT_EQ(text, c.text) << c.attrs;
        EXPECT_EQ(r.Count("return:e"), c.returns) << c.attrs;
        if (std::string(c.text).size() > 0) EXPECT_GE(r.Count("textchanged:e"), 1) << c.attrs;
        else EXPECT_EQ(r.Count("textchanged:e"), 0) << c.attrs;
    }
}

TEST(RichEdit, TextOperationsAndPasswordMask) {
    Host h(300, 200);
    CRichEditUI* e = LoadEdit(h, "");
    ASSERT_NE(e, nullptr);
    e->SetText("hello");
    EXPECT_STREQ(e->GetText().GetData(), "hello");
    EXPECT_EQ(e->GetTextLength(), 5);
    e->SetSel(0, 1);
    e->ReplaceSel("J");
    EXPECT_STREQ(e->GetText().GetData(), "Jello");
    e->SetLimitText(0);
    Type(e, "!");
    EXPECT_EQ(e->GetTextLength(), 6) << "a limit of 0 means the default, not nothing";

    Host h2(300, 200);
    CRichEditUI* p = LoadEdit(h2, "password=\"true\"");
    ASSERT_NE(p, nullptr);
    auto* edit = dynamic_cast<CEdit*>(p->GetHostWindow());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetPasswordChar(), '*') << "a password field masks what is typed";
    p->SetFocus();
    Type(p, "pw");
    EXPECT_STREQ(p->GetText().GetData(), "pw");
}

TEST(RichEdit, TipWhileEmpty) {
    Host h(300, 200);
    CRichEditUI* e = LoadEdit(h, "height=\"40\" tipvalue=\"请输入\" bkcolor=\"#FFFFFFFF\"");
    ASSERT_NE(e, nullptr);
    h.Find("b")->SetFocus();
    EXPECT_TRUE(e->IsTipShown());
    EXPECT_FALSE(e->GetHostWindow()->IsWindowVisible()) << "the tip is not covered";
    // The tip's grey text is the only thing drawn on the white field.
    auto inked = [&](Surface& s) {
        RECT rc = e->GetPos();
        int n = 0;
        for (int y = rc.top + 1; y < rc.bottom - 1; ++y)
            for (int x = rc.left + 1; x < rc.right - 1; ++x) n += s.dc.GetPixel(x, y) != RGB(255, 255, 255);
        return n;
    };
    Surface s(300, 200);
    s.Paint(h.pm.GetRoot());
    EXPECT_GT(inked(s), 10);
    e->SetFocus();
    EXPECT_FALSE(e->IsTipShown());
    EXPECT_TRUE(e->GetHostWindow()->IsWindowVisible());
    Type(e, "x");
    h.Find("b")->SetFocus();
    EXPECT_FALSE(e->IsTipShown()) << "text hides the tip";
    Surface s2(300, 200);
    s2.Paint(h.pm.GetRoot());
    EXPECT_EQ(inked(s2), 0);
}

TEST(RichEdit, AFullControlRefusesTypingWhereverTheCaretIs) {
    struct Case {
        const char* name;
        int selStart, selEnd;
        const char* typed;
        const char* text;
    } cases[] = {
        {"caret at the start", 0, 0, "x", "abc"},
        {"caret in the middle", 1, 1, "x", "abc"},
        {"a selection is replaced", 0, 1, "x", "xbc"},
        {"a selection makes room", 1, 3, "xyz", "axy"},
        {"backspace still edits", 3, 3, "\b", "ab"},
    };
    for (const Case& c : cases) {
        Host h(300, 200);
        CRichEditUI* e = LoadEdit(h, "maxchar=\"3\"");
        ASSERT_NE(e, nullptr);
        e->SetFocus();
        e->SetText("abc");
        e->SetSel(c.selStart, c.selEnd);
        for (const char* p = c.typed; *p; ++p) {
            if (*p == '\b') platform::InjectKey(VK_BACK, "\b", 0, false, e->GetHostWindow());
            else platform::InjectKey(0, std::string(1, *p), 0, false, e->GetHostWindow());
        }
        EXPECT_STREQ(e->GetText().GetData(), c.text) << c.name;
    }
}

TEST(RichEdit, ADoubleByteCharacterIsOneCharacter) {
    Host h(300, 200);
    CRichEditUI* e = LoadEdit(h, "maxchar=\"2\"");
    ASSERT_NE(e, nullptr);
    e->SetFocus();
    for (const char* ch : {"中", "文", "字"}) platform::InjectKey(0, ch, 0, false, e->GetHostWindow());
    EXPECT_STREQ(e->GetText().GetData(), "中文");
    EXPECT_EQ(e->GetTextLength(), 2);
}

TEST(RichEdit, ScrollingMovesTheTextInsideTheNativeControl) {
    Host h(300, 200);
    CRichEditUI* e = LoadEdit(h, "height=\"60\" vscrollbar=\"true\"");
    ASSERT_NE(e, nullptr);
    e->SetText("one line");
    h.Layout();
    EXPECT_EQ(e->GetScrollRange().cy, 0) << "a short text has nothing to scroll";
    std::string lines;
    for (int i = 0; i < 40; ++i) lines += "line " + std::to_string(i) + "\n";
    e->SetText(lines.c_str());
    h.Layout();
    const int range = e->GetScrollRange().cy;
    ASSERT_GT(range, 0) << "forty lines overflow a 60-pixel field";
    e->ScrollToTop();
    EXPECT_EQ(e->GetScrollPos().cy, 0);
    e->LineDown();
    const int line = e->GetScrollPos().cy;
    EXPECT_GT(line, 0);
    e->PageDown();
    EXPECT_GT(e->GetScrollPos().cy, line);
    e->ScrollToBottom();
    EXPECT_EQ(e->GetScrollPos().cy, range);
    e->LineUp();
    EXPECT_LT(e->GetScrollPos().cy, range);
    e->SetScrollPos(SIZE{0, range / 2});
    EXPECT_EQ(e->GetScrollPos().cy, range / 2);
    e->SetScrollPos(SIZE{0, range + 1000});
    EXPECT_EQ(e->GetScrollPos().cy, range) << "clamped to the end";
    e->SetText("short again");
    h.Layout();
    EXPECT_EQ(e->GetScrollRange().cy, 0);
    EXPECT_EQ(e->GetScrollPos().cy, 0);
}

TEST(RichEdit, PasswordCharacterChosenAfterCreation) {
    Host h(300, 200);
    CRichEditUI* p = LoadEdit(h, "password=\"true\"");
    ASSERT_NE(p, nullptr);
    auto* edit = dynamic_cast<CEdit*>(p->GetHostWindow());
    ASSERT_NE(edit, nullptr);
    p->SetPasswordChar('#');
    EXPECT_EQ(edit->GetPasswordChar(), '#');
    p->SetPasswordChar(0);
    EXPECT_EQ(edit->GetPasswordChar(), CRichEditUI::kDefaultPasswordChar) << "no choice masks with the default";
}

TEST(RichEdit, TabStaysInTheTextOnlyWhenWanted) {
    for (bool want : {true, false}) {
        Host h(300, 200);
        CRichEditUI* e = LoadEdit(h, want ? "" : "wanttab=\"false\"");
        ASSERT_NE(e, nullptr);
        h.Find("b")->SetAttribute("text", "b");
        e->SetFocus();
        platform::InjectKey(VK_TAB, "\t", 0, false, e->GetHostWindow());
        if (want) {
            EXPECT_STREQ(e->GetText().GetData(), "\t");
            EXPECT_EQ(h.pm.GetFocusControl(), e);
        } else {
            EXPECT_STREQ(e->GetText().GetData(), "") << "Tab is not typed";
            EXPECT_EQ(h.pm.GetFocusControl(), h.Find("b")) << "Tab moves on to the next control";
        }
    }
}
