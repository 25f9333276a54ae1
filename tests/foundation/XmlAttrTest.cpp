#include <gtest/gtest.h>
#include <tinyxml2.h>

#include "foundation/XmlAttr.h"

namespace {

tinyxml2::XMLElement* Parse(tinyxml2::XMLDocument& doc, const char* xml) {
    doc.Parse(xml);
    return doc.RootElement();
}

}  // namespace

TEST(XmlAttr, ReadsIntegersAndTextWithSafeFallbacks) {
    tinyxml2::XMLDocument doc;
    auto* e = Parse(doc, "<e n=\"42\" neg=\"-7\" bad=\"abc\" s=\"文本\"/>");
    EXPECT_EQ(GetXmlAttrInt(e, "n"), 42);
    EXPECT_EQ(GetXmlAttrInt(e, "neg"), -7);
    EXPECT_EQ(GetXmlAttrInt(e, "bad"), 0);
    EXPECT_EQ(GetXmlAttrInt(e, "missing"), 0);
    EXPECT_EQ(GetXmlAttrInt(nullptr, "n"), 0);
    EXPECT_EQ(GetXmlAttrString(e, "s"), "文本");
    EXPECT_EQ(GetXmlAttrString(e, "missing"), "");
    EXPECT_EQ(GetXmlAttrString(nullptr, "s"), "");
}

TEST(XmlAttr, QueryLeavesOutValueUntouchedWhenAbsentOrNotNumeric) {
    tinyxml2::XMLDocument doc;
    auto* e = Parse(doc, "<e nFixedSize=\"12\" bad=\"x\"/>");
    int v = 99;
    EXPECT_EQ(QueryXmlAttrInt(e, "bad", v), 0);
    EXPECT_EQ(v, 99);
    EXPECT_EQ(QueryXmlAttrInt(e, "none", v), 0);
    EXPECT_EQ(v, 99);
    EXPECT_EQ(QueryXmlAttrInt(e, "m_nFixedSize", v, 2), 1);
    EXPECT_EQ(v, 12);
    EXPECT_EQ(QueryXmlAttrInt(e, "m_", v, 5), 0) << "offset past the name";
}

TEST(XmlAttr, SettersHonourNameOffsetAndIgnoreNull) {
    tinyxml2::XMLDocument doc;
    auto* e = Parse(doc, "<e/>");
    SetXmlAttrInt(e, "m_nFixedSize", 5, 2);
    SetXmlAttrString(e, "m_strName", "名称", 2);
    SetXmlAttrString(e, "plain", "v");
    SetXmlAttrInt(e, "ab", 1, 2);  // nothing left of the name
    SetXmlAttrInt(nullptr, "x", 1);
    EXPECT_STREQ(e->Attribute("nFixedSize"), "5");
    EXPECT_STREQ(e->Attribute("strName"), "名称");
    EXPECT_STREQ(e->Attribute("plain"), "v");
    EXPECT_EQ(e->FirstAttribute()->Next()->Next()->Next(), nullptr);
}

TEST(XmlAttr, SecurityCodeAttributesAndKeys) {
    tinyxml2::XMLDocument doc;
    auto* e = Parse(doc, "<e/>");
    WriteSecurityCode(e, "mk", "cd", CIndSecuCode(2, "000001"));
    EXPECT_EQ(ReadSecurityCode(e, "mk", "cd"), CIndSecuCode(2, "000001"));

    e->SetAttribute("cd", std::string(300, 'A').c_str());
    EXPECT_EQ(ReadSecurityCode(e, "mk", "cd").m_strCode.size(), 128u);

    CIndSecuCode viaMembers;
    CIndSecuCode(1, "600000").Write(e);
    viaMembers.Read(e);
    EXPECT_EQ(viaMembers, CIndSecuCode(1, "600000"));

    EXPECT_EQ(MakeSecurityKey(CIndSecuCode(1, "600000")), "0001600000");
    EXPECT_EQ(ParseSecurityKey("0001600000"), CIndSecuCode(1, "600000"));
    EXPECT_EQ(ParseSecurityKey("0002"), CIndSecuCode(2, ""));
    EXPECT_EQ(ParseSecurityKey("12"), CIndSecuCode(12, ""));
    EXPECT_EQ(ParseSecurityKey(""), CIndSecuCode());
}

TEST(XmlAttr, CompareSecuCodeIgnoresCaseOnly) {
    EXPECT_EQ(CompareSecuCode(CIndSecuCode(1, "abc"), CIndSecuCode(1, "ABC")), 0);
    EXPECT_NE(CompareSecuCode(CIndSecuCode(1, "abc"), CIndSecuCode(2, "abc")), 0);
    EXPECT_NE(CompareSecuCode(CIndSecuCode(1, "abc"), CIndSecuCode(1, "abd")), 0);
    EXPECT_LT(CompareSecuCodeOrder(CIndSecuCode(-1, "z"), CIndSecuCode(1, "a")), 0);
    EXPECT_LT(CompareSecuCodeOrder(CIndSecuCode(1, "a1"), CIndSecuCode(1, "B1")), 0);
}
