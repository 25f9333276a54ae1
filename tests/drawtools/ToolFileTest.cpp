#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "FakeChart.h"
#include "common/ScratchDir.h"
#include "drawtools/TextTools.h"
#include "drawtools/ToolCatalogue.h"
#include "drawtools/ToolFile.h"
#include "drawtools/ToolXml.h"
#include "drawtools/TriangleLines.h"
#include "foundation/AtomicFile.h"

namespace fs = std::filesystem;

TEST(ToolFile, NamesFollowMarketCodeAndPeriod) {
    EXPECT_EQ(ToolFileName(1, "600000", 4, 1), "1_600000_4001.xml");
    EXPECT_EQ(ToolFileName(2, "000001", 3, 5), "2_000001_3005.xml");
    EXPECT_EQ(ToolFileName(1, "600000", 4, -1), "1_600000_3999.xml");
}

TEST(ToolFile, EveryRegisteredTypeRoundTrips) {
    ScratchDir dir;
    const std::string path = dir.File("Data/Tools/1_600000_4001.xml");
    std::vector<std::shared_ptr<CRecRgnLines>> tools;
    int n = 0;
    for (const std::string& name : RegisteredTypeNames()) {
        auto tool = MakeDrawTool(name);
        ASSERT_NE(tool, nullptr) << name;
        tool->m_strChart = n % 2 ? "VOL" : "";
        tool->m_lLeft = 20200101 + n;
        tool->m_lRight = 202401021500LL + n;
        tool->m_fTop = 10.12345 + n;
        tool->m_fBottom = -3.5;
        tool->m_color = RGB(10, 20, n);
        tool->m_nLineStyle = n % 5;
        tool->m_nLineWidth = 1 + n % 3;
        tool->m_nLeftXF = n % 5;
        if (auto* text = dynamic_cast<CTextAssistor*>(tool.get())) {
            text->m_strText = "上涨\n第二行";
            text->SetFont(24, "微软雅黑", 800, true);
        }
        if (auto* multi = dynamic_cast<CTriangleLines*>(tool.get())) {
            multi->m_items.resize(2);
            for (auto& it : multi->m_items) it.placed = it.begun = 1;
            multi->m_items[1].key2 = 202312291455LL;
            multi->m_items[1].value2 = 7.25;
        }
        tools.push_back(tool);
        ++n;
    }
    ToolFileInfo info{1, "600000", 4, 1};
    ASSERT_TRUE(SaveToolFile(path, info, tools));
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    EXPECT_NE(bytes.find("encoding=\"gb2312\""), std::string::npos);
    EXPECT_EQ(bytes.find("上涨"), std::string::npos);  // stored as GBK, not UTF-8

    std::vector<std::shared_ptr<CRecRgnLines>> loaded;
    ToolFileInfo back;
    ASSERT_EQ(LoadToolFile(path, loaded, &back), ToolFileLoad::Ok);
    EXPECT_EQ(back.code, "600000");
    EXPECT_EQ(back.period, 1);
    ASSERT_EQ(loaded.size(), tools.size());
    for (size_t i = 0; i < tools.size(); ++i) {
        const auto& a = *tools[i];
        const auto& b = *loaded[i];
        EXPECT_STREQ(a.GetTypeName(), b.GetTypeName());
        EXPECT_EQ(a.m_strChart, b.m_strChart);
        EXPECT_EQ(a.m_lLeft, b.m_lLeft);
        EXPECT_EQ(a.m_lRight, b.m_lRight);
        EXPECT_NEAR(b.m_fTop, a.m_fTop, 0.0005);
        EXPECT_EQ(a.m_color, b.m_color);
        EXPECT_EQ(a.m_nLineStyle, b.m_nLineStyle);
        EXPECT_EQ(a.m_nLineWidth, b.m_nLineWidth);
        EXPECT_EQ(a.m_nLeftXF, b.m_nLeftXF);
        EXPECT_EQ(b.m_nPaneIndex, -1);
        if (auto* text = dynamic_cast<const CTextAssistor*>(&b)) {
            EXPECT_EQ(text->m_strText, "上涨\n第二行");
            EXPECT_EQ(text->m_nFontHeight, 24);
            EXPECT_EQ(text->GetLogFont().lfFaceName, "微软雅黑");
            EXPECT_EQ(text->GetLogFont().lfWeight, 800);
            EXPECT_TRUE(text->GetLogFont().lfItalic);
        }
        if (auto* multi = dynamic_cast<const CTriangleLines*>(&b)) {
            ASSERT_EQ(multi->m_items.size(), 2u);
            EXPECT_EQ(multi->m_items[1].key2, 202312291455LL);  // whole minute key
            EXPECT_DOUBLE_EQ(multi->m_items[1].value2, 7.25);
        }
    }
}

TEST(ToolFile, TextsConvertExactlyAsWholeFilesWould) {
    ScratchDir dir;
    const std::string path = dir.File("1_600000_4001.xml");
    // Second GBK bytes in the ASCII range (丂 81 40, 乗 81 5C), texts at the ends of
    // attributes, a character GBK lacks (kept as a reference) and a pane name in Chinese.
    const std::vector<std::string> texts = {"丂乗亐", "a乗b", "压力位\n第二行", "乗", "与 ☃"};
    std::vector<std::shared_ptr<CRecRgnLines>> tools;
    for (const std::string& t : texts) {
        auto text = std::make_shared<CTextAssistor>();
        text->m_strText = t;
        text->m_strChart = "指标乗";
        tools.push_back(text);
    }
    ASSERT_TRUE(SaveToolFile(path, ToolFileInfo{1, "600000", 4, 1}, tools));
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    EXPECT_NE(bytes.find("\x81\x40\x81\x5C"), std::string::npos);
    EXPECT_NE(bytes.find("&#x2603;"), std::string::npos);  // the snowman has no GBK code

    std::vector<std::shared_ptr<CRecRgnLines>> loaded;
    ASSERT_EQ(LoadToolFile(path, loaded), ToolFileLoad::Ok);
    ASSERT_EQ(loaded.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(static_cast<CTextAssistor&>(*loaded[i]).m_strText, texts[i]);
        EXPECT_EQ(loaded[i]->m_strChart, "指标乗");
    }

    // Files written elsewhere (UTF-8, or GBK under another declaration) still load.
    const std::string utf8 =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<_Tarrow_DrawTool><ToolsInfo>"
        "<element Type=\"TextTool\" TextContent=\"丂乗\"/></ToolsInfo></_Tarrow_DrawTool>";
    for (const auto& [content, want] : std::vector<std::pair<std::string, std::string>>{
             {utf8, "丂乗"},
             {"<?xml version='1.0' encoding='GBK'?><_Tarrow_DrawTool><ToolsInfo><element Type=\"TextTool\" "
              "TextContent=\"\x81\x40\xD6\xD0\"/></ToolsInfo></_Tarrow_DrawTool>",
              "丂中"}}) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        ASSERT_EQ(LoadToolFile(path, loaded), ToolFileLoad::Ok) << content;
        ASSERT_EQ(loaded.size(), 1u);
        EXPECT_EQ(static_cast<CTextAssistor&>(*loaded[0]).m_strText, want);
    }
}

TEST(ToolXml, NumbersReadAndWrittenAsTheCLibraryDoes) {
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<e k1=\"202401021455\" k2=\" 42\" k3=\"+7x\" k4=\"junk\" d1=\"12.345\" "
                        "d2=\"1e3\" d3=\"inf\" d4=\"nan\" d5=\"0x10\" d6=\" 2.5\" i1=\"-3\" "
                        "i2=\"0x1F\" i3=\"4.9\" i4=\"x\" i5=\"99999999999\" t=\"乗\"/>"),
              tinyxml2::XML_SUCCESS);
    ToolAttrReader a(doc.RootElement());
    // Out of order and repeated look-ups still find every attribute.
    EXPECT_STREQ(a.Find("t"), "乗");
    EXPECT_EQ(a.Key("k1"), 202401021455LL);
    EXPECT_EQ(a.Key("k1"), 202401021455LL);
    const struct {
        const char* name;
        int64_t key;
        double number;
        int integer;
    } cases[] = {
        {"k2", 42, 42, 42},    {"k3", 7, 7, 7},      {"k4", 0, 0, 0},     {"d1", 12, 12.345, 12},
        {"d2", 1, 1000, 1},    {"d3", 0, 0, 0},      {"d4", 0, 0, 0},     {"d5", 0, 16, 16},
        {"d6", 2, 2.5, 2},     {"i1", -3, -3, -3},   {"i2", 0, 31, 31},   {"i3", 4, 4.9, 4},
        {"i4", 0, 0, 0},       {"missing", 0, 0, 0},
    };
    for (const auto& c : cases) {
        const char* text = a.Find(c.name);
        EXPECT_EQ(a.Key(c.name), text ? std::strtoll(text, nullptr, 10) : 0) << c.name;
        EXPECT_EQ(a.Key(c.name), c.key) << c.name;
        EXPECT_DOUBLE_EQ(a.Number(c.name), c.number) << c.name;
        int viaTinyxml = 0;
        doc.RootElement()->QueryIntAttribute(c.name, &viaTinyxml);
        EXPECT_EQ(a.Int(c.name), viaTinyxml) << c.name;
        EXPECT_EQ(a.Int(c.name), c.integer) << c.name;
    }
    EXPECT_EQ(a.Text("missing"), "");

    for (double v : {0.0, -0.0, 0.0005, 0.0015, -0.0004, 12.3455, 1e20, -7.125, 123456789.98765, 1e-300}) {
        char want[400];
        std::snprintf(want, sizeof want, "%.3f", v);
        EXPECT_STREQ(Fixed3Text(v).c_str(), want) << v;
    }
    for (int64_t k : {int64_t(0), int64_t(-1), int64_t(20240102), int64_t(202312291455LL), INT64_MIN})
        EXPECT_EQ(std::string(KeyText(k).c_str()), std::to_string(k));
}

TEST(ToolFile, UnknownTypesAreSkippedAndEmptyListsLoad) {
    ScratchDir dir;
    const std::string path = dir.File("t.xml");
    std::ofstream(path) << "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n"
                           "<_Tarrow_DrawTool><ToolsInfo Station=\"1\" Code=\"600000\" "
                           "DataType=\"4\" Period=\"1\">"
                           "<element Type=\"LineTool\" lLeft=\"20200101\" fTop=\"1.5\"/>"
                           "<element Type=\"NoSuchTool\"/>"
                           "<element Type=\"TriangleTool\" lLeft=\"20200102\">"
                           "<element lLeft=\"20200105\" lRight=\"20200107\" fTop=\"1\" fBottom=\"2\"/>"
                           "</element></ToolsInfo></_Tarrow_DrawTool>";
    std::vector<std::shared_ptr<CRecRgnLines>> tools;
    ASSERT_EQ(LoadToolFile(path, tools), ToolFileLoad::Ok);
    ASSERT_EQ(tools.size(), 2u);
    EXPECT_STREQ(tools[0]->GetTypeName(), "LineTool");
    auto* tri = dynamic_cast<CTriangleLines*>(tools[1].get());
    ASSERT_NE(tri, nullptr);
    ASSERT_EQ(tri->m_items.size(), 1u);  // day keys of older files still load
    EXPECT_EQ(tri->m_items[0].key2, 20200107);

    ASSERT_TRUE(SaveToolFile(path, ToolFileInfo{1, "600000", 4, 1}, {}));
    ASSERT_EQ(LoadToolFile(path, tools), ToolFileLoad::Ok);
    EXPECT_TRUE(tools.empty());
    EXPECT_EQ(LoadToolFile(dir.File("none.xml"), tools), ToolFileLoad::Missing);
}

TEST(ToolFile, DamagedFileIsKeptAsideNeverOverwritten) {
    ScratchDir dir;
    const std::string path = dir.File("1_600000_4001.xml");
    for (const char* bytes : {"<_Tarrow_DrawTool><ToolsInfo><element", "<other/>"}) {
        std::ofstream(path, std::ios::trunc) << bytes;
        std::vector<std::shared_ptr<CRecRgnLines>> tools;
        std::string aside;
        EXPECT_EQ(LoadToolFile(path, tools, nullptr, &aside), ToolFileLoad::Damaged);
        EXPECT_TRUE(tools.empty());
        ASSERT_FALSE(aside.empty());
        std::string kept;
        ASSERT_TRUE(ReadWholeFile(aside, kept));
        EXPECT_EQ(kept, bytes);
        EXPECT_FALSE(fs::exists(path));
    }
}

TEST(ToolFile, PanToolIsNeverWritten) {
    ScratchDir dir;
    const std::string path = dir.File("p.xml");
    ASSERT_TRUE(SaveToolFile(path, ToolFileInfo{}, {std::make_shared<CHorizontalMoveAssistor>()}));
    std::vector<std::shared_ptr<CRecRgnLines>> tools;
    ASSERT_EQ(LoadToolFile(path, tools), ToolFileLoad::Ok);
    EXPECT_TRUE(tools.empty());
}

TEST(ToolCatalogue, NamesNumbersAndCommands) {
    EXPECT_EQ(MakeDrawTool("linetool"), nullptr);
    EXPECT_STREQ(MakeDrawTool("LineTool")->GetTypeName(), "LineTool");
    auto fall = std::dynamic_pointer_cast<CBMPPaster>(MakeDrawTool("FallTool"));
    ASSERT_NE(fall, nullptr);
    EXPECT_EQ(fall->m_nVariant, 1);
    EXPECT_EQ(CommandForMode(MakeMode(65, 1000)), 50102);
    EXPECT_EQ(CommandForMode(MakeMode(65, 7)), 50069);
    EXPECT_EQ(CommandForMode(MakeMode(65, 2000)), 50060);
    EXPECT_EQ(CommandForMode(MakeMode(65, 2001)), 50061);
    EXPECT_EQ(CommandForMode(12), 50007);
    for (int command = 50000; command <= 50102; ++command)
        EXPECT_EQ(CommandForMode(ModeForCommand(command)), command) << command;
    for (int number : {2, 4, 7, 8, 9, 10, 35}) EXPECT_EQ(CreateToolByNumber(number), nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<CHorizontalMoveAssistor>(CreateToolByNumber(3)), nullptr);
    auto sym = std::dynamic_pointer_cast<CBMPPaster>(CreateToolByNumber(65, 7));
    ASSERT_NE(sym, nullptr);
    EXPECT_EQ(sym->m_nVariant, 7);
    EXPECT_STREQ(CreateToolByNumber(41)->GetTypeName(), "BoxTool");
    EXPECT_STREQ(CreateToolByNumber(44)->GetTypeName(), "TriangleTool");
    // Every number the tool bar offers has a row.
    for (int n = 5; n <= 65; ++n)
        if ((n < 7 || n > 10) && n != 35) {
            EXPECT_NE(FindToolByNumber(n), nullptr) << n;
        }
    EXPECT_EQ(FindToolByNumber(35), nullptr);
}
