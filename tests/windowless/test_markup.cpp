// The skin markup reader.
#include <gtest/gtest.h>

#include <cstring>

#include "windowless/Markup.h"

using namespace WinlessUI;

TEST(Markup, Utf8WithMarkAndChineseValues) {
    std::string xml = "\xEF\xBB\xBF<?xml version=\"1.0\"?><!-- skin --><Window size=\"630,540\">"
                      "<Font name=\"微软雅黑\" size=\"16\"/><Label text=\"分享\" /></Window>";
    CMarkup m;
    ASSERT_TRUE(m.LoadFromMem((const unsigned char*)xml.data(), xml.size(), 0)) << m.GetLastErrorMessage();
    CMarkupNode root = m.GetRoot();
    EXPECT_STREQ(root.GetName(), "Window");
    EXPECT_STREQ(root.GetAttributeValue("size"), "630,540");
    CMarkupNode font = root.GetChild();
    EXPECT_STREQ(font.GetName(), "Font");
    EXPECT_STREQ(font.GetAttributeValue("name"), "微软雅黑");
    EXPECT_EQ(font.GetAttributeCount(), 2);
    EXPECT_FALSE(font.HasChildren());
    CMarkupNode label = font.GetSibling();
    EXPECT_STREQ(label.GetAttributeValue("text"), "分享");
    EXPECT_FALSE(label.GetSibling().IsValid());
    char buf[4];
    EXPECT_TRUE(label.GetAttributeValue("text", buf, sizeof(buf)));
    EXPECT_FALSE(label.GetAttributeValue("none", buf, sizeof(buf)));
    EXPECT_STREQ(label.GetAttributeName(5), "");
}

TEST(Markup, Utf16WithByteOrderMarks) {
    auto encode = [](const std::u16string& s, bool big) {
        std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t c : s) {
            char hi = char(c >> 8), lo = char(c & 0xFF);
            out += big ? hi : lo;
            out += big ? lo : hi;
        }
        return out;
    };
    for (bool big : {false, true}) {
        std::string bytes = encode(u"<a t=\"分享\"/>", big);
        CMarkup m;
        ASSERT_TRUE(m.LoadFromMem((const unsigned char*)bytes.data(), bytes.size(), 1));
        EXPECT_STREQ(m.GetRoot().GetAttributeValue("t"), "分享");
    }
    CMarkup m;
    EXPECT_FALSE(m.LoadFromMem((const unsigned char*)"<a/>", 4, 1));
}

TEST(Markup, Errors) {
    struct Case {
        const char* xml;
        const char* error;
    } cases[] = {
        {"<a></b>", "Unmatched closing tag"},
        {"<a x=1/>", "Expected attribute value"},
        {"<a x \"1\"/>", "Error while parsing attributes"},
        {"<a x=\"1/>", "Error while parsing attribute string"},
        {"<a><b></a>", "Unmatched closing tag"},
        {"<a><b><c/></a>", "Unmatched closing tag"},
        {"<a><b>text", "Expected end-tag start"},
        {"<a><b><c/>", "Expected start tag"},
        {"x<a/>", "Expected start tag"},
        {"<a x=\"1\" $>", "Error while parsing attributes"},
        {"<a", "Error parsing element name"},
        {"<a x=\"1\"", "Expected start-tag closing"},
    };
    for (const Case& c : cases) {
        CMarkup m;
        EXPECT_FALSE(m.Load(c.xml)) << c.xml;
        EXPECT_STREQ(m.GetLastErrorMessage(), c.error) << c.xml;
        EXPECT_FALSE(m.GetRoot().IsValid()) << c.xml;
    }
    std::string big(5 * 1024 * 1024, ' ');
    CMarkup m;
    EXPECT_FALSE(m.LoadFromMem((const unsigned char*)big.data(), big.size(), 0));
    EXPECT_STREQ(m.GetLastErrorMessage(), "File too large");
}

TEST(Markup, ContentIsNeverTakenForAttributes) {
    CMarkup m;
    ASSERT_TRUE(m.Load("<a>x=\"1\" y=\"2\"<b k=\"v\">k2=\"v2\"</b></a>"));
    CMarkupNode a = m.GetRoot();
    EXPECT_EQ(a.GetAttributeCount(), 0);
    EXPECT_STREQ(a.GetValue(), "x=\"1\" y=\"2\"");
    EXPECT_EQ(a.GetChild().GetAttributeCount(), 1);
    EXPECT_STREQ(a.GetChild().GetAttributeValue("k"), "v");
}

TEST(Markup, TextWithoutElementsHasNoRoot) {
    for (const char* text : {"", "   ", "<!-- only a comment -->", "<?xml version=\"1.0\"?>"}) {
        CMarkup m;
        EXPECT_TRUE(m.LoadFromMem((const unsigned char*)text, strlen(text), 0)) << text;
        EXPECT_FALSE(m.GetRoot().IsValid()) << text;
    }
}

TEST(Markup, ToleratesOnlyTheRootsMissingEndTag) {
    CMarkup m;
    ASSERT_TRUE(m.Load("<!-- c --><Window a=\"1\"><Label/><Button b=\"2\"></Button>"));
    CMarkupNode root = m.GetRoot();
    EXPECT_STREQ(root.GetName(), "Window");
    EXPECT_STREQ(root.GetChild().GetSibling().GetName(), "Button");
    EXPECT_STREQ(root.GetChild().GetSibling().GetAttributeValue("b"), "2");
}

TEST(Markup, EntitiesAndText) {
    CMarkup m;
    ASSERT_TRUE(m.Load("<a v=\"&lt;b&gt; &amp; &quot;q&quot; &apos; &nbsp;\" w=\"2\">x &amp; y<c/></a>"));
    CMarkupNode a = m.GetRoot();
    EXPECT_STREQ(a.GetAttributeValue("v"), "<b> & \"q\" ' &nbsp;");
    EXPECT_STREQ(a.GetAttributeValue("w"), "2");
    EXPECT_STREQ(a.GetValue(), "x & y");
    EXPECT_STREQ(a.GetChild().GetName(), "c");
}

TEST(Markup, FirstSixtyFourAttributes) {
    std::string xml = "<a";
    for (int i = 0; i < 70; ++i) xml += " k" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    xml += "/>";
    CMarkup m;
    ASSERT_TRUE(m.Load(xml.c_str()));
    CMarkupNode a = m.GetRoot();
    EXPECT_EQ(a.GetAttributeCount(), 64);
    EXPECT_STREQ(a.GetAttributeName(63), "k63");
    EXPECT_STREQ(a.GetAttributeValue(63), "63");
    EXPECT_STREQ(a.GetAttributeValue("k64"), "");
}
