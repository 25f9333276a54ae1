// Mark-up text: tags, escapes, line breaking, ellipsis and the links it reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WinlessHost.h"
#include "ZipFixture.h"
#include "windowless/Label.h"
#include "windowless/Render.h"

using namespace WinlessUI;
using wltest::Host;
using wltest::Surface;

namespace {

struct Fmt {
    Host host{200, 100};
    CUIPaintManager& pm = host.pm;
    // The rectangle a calculating call gives for the text in a box of that size.
    RECT Calc(const char* text, UINT style = 0, int width = 9999, int height = 9999) {
        Surface s(4, 4);
        RECT rc{0, 0, width, height};
        int links = 0;
        CRenderEngine::DrawFormattedText(&s.dc, &pm, rc, text, 0xFF000000, nullptr, nullptr, links,
                                         style | DT_CALCRECT);
        return rc;
    }
    std::vector<COLORREF> Draw(const char* text, UINT style = 0, int width = 200, int height = 40) {
        Surface s(width, height);
        RECT rc{0, 0, width, height};
        int links = 0;
        CRenderEngine::DrawFormattedText(&s.dc, &pm, rc, text, 0xFF000000, nullptr, nullptr, links, style);
        return s.Pixels();
    }
    int Extent(const std::string& text, int font = -1) {
        Surface s(4, 4);
        CFont* old = s.dc.SelectObject(pm.GetFontInfo(font)->hFont.get());
        int cx = s.dc.GetTextExtent(text).cx;
        s.dc.SelectObject(old);
        return cx;
    }
    int LineHeight() {
        TFontInfo* f = pm.GetDefaultFontInfo();
        return f->tm.tmHeight + f->tm.tmExternalLeading;
    }
};

}  // namespace

TEST(FormattedText, TagsAndEscapesMeasureAsTheirText) {
    Fmt f;
    struct Case {
        const char* markup;
        std::string plain;  // what the default font shows
    } cases[] = {
        {"abc", "abc"},
        {"<{>a<}>", "{a}"},
        {"{<}b{>}", "<b>"},
        {"<r><b>x</b></r>", "<b>x</b>"},
        {"{r}<c #FF0000>y</c>{/r}", "<c #FF0000>y</c>"},
        {"a<c FF0000>b</c>c", "abc"},
        {"<s>sel</s>", "sel"},
        {"x<x 7>y", ""},  // measured below
        {"a < b", "a < b"},  // a bracket that opens no tag is text
    };
    for (const Case& c : cases) {
        RECT rc = f.Calc(c.markup);
        int expect = c.plain.empty() ? f.Extent("x") + 7 + f.Extent("y") : f.Extent(c.plain);
        EXPECT_EQ(rc.right - rc.left, expect) << c.markup;
        EXPECT_EQ(rc.bottom, f.LineHeight()) << c.markup;
    }
}

TEST(FormattedText, BraceAndAngleTagsDrawTheSame) {
    Fmt f;
    auto angle = f.Draw("<b>bold</b> text");
    EXPECT_EQ(f.Draw("{b}bold{/b} text"), angle);
    EXPECT_EQ(f.Draw("<b>bold{/b} text"), angle);
    EXPECT_NE(f.Draw("bold text"), angle);  // and bold is not plain
}

TEST(FormattedText, FontsByIndexAndByName) {
    Fmt f;
    f.pm.AddFont("", 9, false, false, false);
    f.pm.AddFont("", 14, false, false, false);
    f.pm.AddFont("", 24, false, false, false);
    RECT rc = f.Calc("<f 2>abc</f>");
    EXPECT_EQ(rc.right, f.Extent("abc", 2));
    TFontInfo* big = f.pm.GetFontInfo(2);
    EXPECT_EQ(rc.bottom, big->tm.tmHeight + big->tm.tmExternalLeading);
    rc = f.Calc("<f 2>abc</f>abc");  // popped back to the default font
    EXPECT_EQ(rc.right, f.Extent("abc", 2) + f.Extent("abc"));

    CUIString face = CUIPaintManager::GetDefaultFontName();
    EXPECT_EQ(f.pm.GetFont(face, 12, true, false, false), nullptr);
    std::string tag = "<f " + face.ToStd() + " 12 Bold>x</f>";
    f.Calc(tag.c_str());
    CFont* made = f.pm.GetFont(face, 12, true, false, false);
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(f.pm.GetFontInfo(made)->bBold);
    EXPECT_EQ(f.pm.GetFontInfo(made)->iSize, 12);
}

TEST(FormattedText, LinesParagraphsWordBreakAndEllipsis) {
    Fmt f;
    const int line = f.LineHeight();
    EXPECT_EQ(f.Calc("a<n>b").bottom, 2 * line);
    EXPECT_EQ(f.Calc("a\nb").bottom, 2 * line);
    EXPECT_EQ(f.Calc("a<n>b", DT_SINGLELINE).bottom, line);
    EXPECT_EQ(f.Calc("a<p 5>b</p>c").bottom, 3 * line + 5);
    EXPECT_EQ(f.Calc("<y 30>a").bottom, 30);

    // Word break keeps "bbb" whole on the second line.
    const int width = f.Extent("aaa bb");
    RECT rc = f.Calc("aaa bbb", DT_WORDBREAK, width);
    EXPECT_EQ(rc.bottom, 2 * line);
    EXPECT_EQ(rc.right, std::max(f.Extent("aaa "), f.Extent("bbb")));
    // Without it the line is cut where the width ends.
    rc = f.Calc("aaa bbb", 0, width);
    EXPECT_EQ(rc.bottom, 2 * line);
    EXPECT_EQ(rc.right, width);

    // The end ellipsis: what shows is the start of the text and "...", never past the edge.
    const int room = f.Extent("abcdefg");
    auto cut = f.Draw("abcdefghijkl", DT_SINGLELINE | DT_END_ELLIPSIS, room, 30);
    // Up to two characters make room for the dots.
    std::string expect = "abcde...";
    for (const char* shown : {"abcdefg...", "abcdef..."})
        if (f.Extent(shown) <= room) {
            expect = shown;
            break;
        }
    EXPECT_EQ(cut, f.Draw(expect.c_str(), DT_SINGLELINE, room, 30)) << expect;
    EXPECT_NE(cut, f.Draw("abcdefghijkl", DT_SINGLELINE, room, 30));
}

TEST(FormattedText, LinksReportRectanglesAndHoverColour) {
    Fmt f;
    Surface s(200, 30);
    RECT rc{0, 0, 200, 30};
    RECT rects[2] = {};
    CUIString targets[2];
    int count = 2;
    CRenderEngine::DrawFormattedText(&s.dc, &f.pm, rc, "x<a go>link</a>y", 0xFF000000, rects, targets, count, 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(targets[0].ToStd(), "go");
    EXPECT_EQ(rects[0].left, f.Extent("x"));
    EXPECT_EQ(rects[0].top, 0);
    EXPECT_GT(rects[0].right, rects[0].left + f.Extent("link") - 2);  // underlined: at least as wide
    EXPECT_EQ(rects[0].bottom, f.LineHeight());
    const COLORREF link = RGB(0, 0, 255), hover = RGB(0xD3, 0x21, 0x5F);
    EXPECT_GT(s.Count(link), 0);
    EXPECT_EQ(s.Count(hover), 0);

    // The mouse over the link: drawn in the hover colour.
    f.host.Send(WM_MOUSEMOVE, 0, rects[0].left + 2, 5);
    Surface s2(200, 30);
    count = 2;
    CRenderEngine::DrawFormattedText(&s2.dc, &f.pm, rc, "x<a go>link</a>y", 0xFF000000, rects, targets, count, 0);
    EXPECT_EQ(s2.Count(link), 0);
    EXPECT_GT(s2.Count(hover), 0);

    // More links than room: all drawn, as many reported as fit.
    RECT one[1] = {};
    CUIString oneTarget[1];
    count = 1;
    Surface s3(200, 30);
    CRenderEngine::DrawFormattedText(&s3.dc, &f.pm, rc, "<a p>a</a><a q>b</a><a r>c</a>", 0xFF000000, one, oneTarget,
                                     count, 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(oneTarget[0].ToStd(), "p");
    EXPECT_GT(s3.Count(link), 0);
}

TEST(FormattedText, InlineImageFrames) {
    CUIPaintManager::ResetSharedArchiveForTests();
    std::vector<uint32_t> px(40 * 10);
    const uint32_t colours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF000000};
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 40; ++x) px[size_t(y) * 40 + x] = colours[x / 10];
    static std::string zip = ziptest::Build({{"strip.png", ziptest::Png(40, 10, px)}});
    CUIPaintManager::UseArchiveInMemory((const unsigned char*)zip.data(), (unsigned)zip.size());
    Fmt f;
    Surface s(40, 40);
    RECT rc{0, 0, 40, 40};
    int count = 0;
    CRenderEngine::DrawFormattedText(&s.dc, &f.pm, rc, "<i strip.png 4 1>", 0xFF000000, nullptr, nullptr, count, 0);
    const int top = std::max(0, (10 - 10) / 2);
    EXPECT_EQ(s.dc.GetPixel(5, top + 5), RGB(0, 255, 0));  // the second quarter
    EXPECT_EQ(s.dc.GetPixel(15, top + 5), RGB(255, 255, 255));
    Surface s2(40, 40);
    CRenderEngine::DrawFormattedText(&s2.dc, &f.pm, rc, "<i strip.png 4 9>", 0xFF000000, nullptr, nullptr, count, 0);
    EXPECT_EQ(s2.dc.GetPixel(5, 5), RGB(255, 0, 0));  // an index out of range is the first frame
    RECT calc{0, 0, 999, 999};
    CRenderEngine::DrawFormattedText(&s2.dc, &f.pm, calc, "<i strip.png 4>", 0, nullptr, nullptr, count, DT_CALCRECT);
    EXPECT_EQ(calc.right, 10);
    EXPECT_GE(calc.bottom, 10);
    CUIPaintManager::ResetSharedArchiveForTests();
}

TEST(FormattedText, ShowHtmlTextControlReportsLinks) {
    Host host(300, 60);
    ASSERT_NE(host.Load("<Window><VerticalLayout><Text name=\"t\" showhtml=\"true\" height=\"40\" "
                        "text=\"see {a http://x}here{/a}\"/></VerticalLayout></Window>"),
              nullptr);
    auto* text = static_cast<CTextUI*>(host.Find("t"));
    ASSERT_EQ(text->GetLinkCount(), 1);
    EXPECT_EQ(text->GetLinkContent(0)->ToStd(), "http://x");
    EXPECT_EQ(text->GetBehaviourFlags(), (UINT)UIFLAG_SETCURSOR);
}

TEST(FormattedText, TextAfterALinkIsNoLongerUnderlined) {
    Fmt f;
    // The link's underline ends with it: what follows draws as plain text does.
    EXPECT_EQ(f.Draw("<a x>l</a>abc"), f.Draw("<a x>l</a><c #000000>abc</c>"));
    EXPECT_NE(f.Draw("<a x>l</a>abc"), f.Draw("<a x>l</a><u>abc</u>"));
}

TEST(FormattedText, LabelsAndButtonsDrawMarkupOnlyWithShowHtml) {
    Host host(200, 60);
    CControlUI* root = host.Load(
        "<Window><VerticalLayout><Label name=\"on\" height=\"20\" showhtml=\"true\" "
        "text=\"{c #FF0000}red{/c}\"/><Label name=\"off\" height=\"20\" text=\"{c #FF0000}red{/c}\"/>"
        "<Button name=\"b\" height=\"20\" showhtml=\"true\" text=\"{c #00FF00}go{/c}\"/></VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    Surface s(200, 60);
    s.Paint(root);
    // Pixels of a row whose colour leans clearly to one channel (text edges are blended).
    auto count = [&](int top, int channel) {
        int n = 0;
        for (int y = top; y < top + 20; ++y)
            for (int x = 0; x < 200; ++x) {
                COLORREF p = s.dc.GetPixel(x, y);
                int c[3] = {GetRValue(p), GetGValue(p), GetBValue(p)};
                n += c[channel] - c[(channel + 1) % 3] > 100 && c[channel] - c[(channel + 2) % 3] > 100;
            }
        return n;
    };
    auto drawn = [&](int top) {
        int n = 0;
        for (int y = top; y < top + 20; ++y)
            for (int x = 0; x < 200; ++x) n += s.dc.GetPixel(x, y) != RGB(255, 255, 255);
        return n;
    };
    EXPECT_GT(count(0, 0), 0);
    EXPECT_EQ(count(20, 0), 0);  // the tags drawn as they stand, in the text colour
    EXPECT_GT(drawn(20), drawn(0));
    EXPECT_GT(count(40, 1), 0);
}

TEST(FormattedText, MalformedMarkupEndsCleanly) {
    Fmt f;
    const char* cases[] = {"<", "{", "</", "<a", "<a ", "<i", "<i >", "<f >", "<f x 99999999999>", "<p -5>a</p>",
                           "<y -10>a<n>b", "<x -1000>abc", "<r x>raw<b>", "{/a}{/b}{/c}{/p}{/s}", "<c>", "<c #zz>a",
                           "<i missing.png 0 -3>", "\n\n\n\n\n\n\n\n\n\n\n\n\n\n", "<n><n><n><n><n><n><n>"};
    for (const char* text : cases) {
        RECT rc = f.Calc(text, DT_WORDBREAK, 50, 40);
        EXPECT_LE(rc.right, 50) << text;
        f.Draw(text, DT_WORDBREAK | DT_CENTER | DT_VCENTER, 50, 40);
    }
    // Random mixes of the characters that matter, drawn narrow enough to break lines often.
    const char alphabet[] = "<>{}/abcfinprsuxy 0123#'\n";
    unsigned seed = 12345;
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int i = 0; i < 40; ++i) {
            seed = seed * 1103515245u + 12345u;
            text += alphabet[(seed >> 16) % (sizeof(alphabet) - 1)];
        }
        RECT rc = f.Calc(text.c_str(), DT_WORDBREAK, 30, 60);
        EXPECT_LE(rc.right, 30) << text;
        f.Draw(text.c_str(), DT_SINGLELINE | DT_END_ELLIPSIS, 30, 20);
    }
    RECT narrow = f.Calc("<r x>raw<b>", 0);
    EXPECT_EQ(narrow.right, f.Extent("raw<b>"));  // raw with an argument is still raw
}
