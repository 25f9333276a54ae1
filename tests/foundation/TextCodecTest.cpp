#include <gtest/gtest.h>
#include <tinyxml2.h>

#include "foundation/TextCodec.h"

TEST(TextCodec, ChineseRoundTripsThroughGbkBytes) {
    const std::string utf8 = "浦发银行 600000 重庆";
    std::string gbk = Utf8ToAnsi(utf8);
    EXPECT_EQ(gbk, "\xC6\xD6\xB7\xA2\xD2\xF8\xD0\xD0 600000 \xD6\xD8\xC7\xEC");
    EXPECT_EQ(AnsiToUtf8(gbk), utf8);
    EXPECT_EQ(Utf8ToAnsi(""), "");
    EXPECT_EQ(AnsiToUtf8("plain ascii"), "plain ascii");
}

TEST(TextCodec, XmlVariantKeepsCharactersGbkLacksAsReferences) {
    EXPECT_EQ(Utf8ToAnsiXml("重\xF0\x9F\x98\x80x"), "\xD6\xD8&#x1F600;x");
    EXPECT_EQ(Utf8ToAnsiXml("a\x80"), "a?") << "broken input is still replaced";
}

TEST(TextCodec, StopsAtFirstNul) {
    EXPECT_EQ(Utf8ToAnsi(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(AnsiToUtf8(std::string("\xD6\xD8\0\xC7\xEC", 5)), "重");
}

TEST(TextCodec, InvalidInputIsReplacedNotFatal) {
    struct Case {
        const char* name;
        std::string in;
        std::string out;
        bool toAnsi;
    } cases[] = {
        {"stray continuation byte",
         "a\x80"
         "b",
         "a?b", true},
        {"truncated sequence at end", "a\xE6\xB5", "a?", true},
        {"no GBK form (emoji)", "x\xF0\x9F\x98\x80y", "x?y", true},
        {"overlong form", "\xC0\xAF", "??", true},
        {"lone GBK lead byte at end", "ab\xD6", "ab\xEF\xBF\xBD", false},
        {"lead byte with bad trail", "\xD6\x20z", "\xEF\xBF\xBD z", false},
        {"0xFF is no GBK byte",
         "\xFF"
         "a",
         "\xEF\xBF\xBD"
         "a",
         false},
    };
    for (const Case& c : cases) {
        std::string got = c.toAnsi ? Utf8ToAnsi(c.in) : AnsiToUtf8(c.in);
        EXPECT_EQ(got, c.out) << c.name;
    }
}

TEST(TextCodec, LongTextConvertsWhole) {
    std::string utf8;
    for (int i = 0; i < 5000; ++i) utf8 += "行情";
    std::string gbk = Utf8ToAnsi(utf8);
    EXPECT_EQ(gbk.size(), 20000u);
    EXPECT_EQ(AnsiToUtf8(gbk), utf8);
}

TEST(TextCodec, XmlAttributeAsGbk) {
    tinyxml2::XMLDocument doc;
    doc.Parse("<r name=\"重庆\"/>");
    EXPECT_EQ(GetXmlAttrAnsi(doc.RootElement(), "name"), "\xD6\xD8\xC7\xEC");
    EXPECT_EQ(GetXmlAttrAnsi(doc.RootElement(), "missing"), "");
    EXPECT_EQ(GetXmlAttrAnsi(nullptr, "name"), "");
}
