// The drawing file's text is written straight out; it must be the very bytes tinyxml2's
// printer gives for the same document converted to GBK, so files stay as they were.
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <string>
#include <vector>

#include "FakeChart.h"
#include "drawtools/TextTools.h"
#include "drawtools/ToolCatalogue.h"
#include "drawtools/ToolFile.h"
#include "drawtools/ToolXml.h"
#include "drawtools/TriangleLines.h"
#include "foundation/TextCodec.h"
#include "foundation/XmlFile.h"

namespace {

// The document way: every tool into an element, printed, the whole text converted.
std::string PrintedDocument(const ToolFileInfo& info, const std::vector<std::shared_ptr<CRecRgnLines>>& tools) {
    tinyxml2::XMLDocument doc;
    AddXmlDeclaration(doc);
    tinyxml2::XMLElement* root = doc.NewElement("_Tarrow_DrawTool");
    doc.InsertEndChild(root);
    tinyxml2::XMLElement* list = root->InsertNewChildElement("ToolsInfo");
    list->SetAttribute("Station", info.station);
    list->SetAttribute("Code", info.code.c_str());
    list->SetAttribute("DataType", info.dataType);
    list->SetAttribute("Period", info.period);
    for (const auto& tool : tools) {
        tinyxml2::XMLElement* e = list->InsertNewChildElement("element");
        e->SetAttribute("Type", tool->GetTypeName());
        tool->saveToXml(e);
    }
    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    return Utf8ToAnsiXml(printer.CStr());
}

}  // namespace

TEST(ToolFileText, SameBytesAsThePrintedDocumentForEveryType) {
    FakeChart chart;  // the platform, for the text tools' fonts
    // Markup characters, GBK pairs with an ASCII second byte, a character GBK lacks,
    // line breaks, invalid UTF-8 and a NUL that ends the text.
    const std::vector<std::string> texts = {"", "a\"b'c<d>e&f", "丂乗 压力位\n第二行", "与 ☃&", "\xFF\xFEx",
                                            std::string("前\0后", 7), "&amp;"};
    std::vector<std::shared_ptr<CRecRgnLines>> tools;
    int n = 0;
    for (const std::string& name : RegisteredTypeNames()) {
        auto tool = MakeDrawTool(name);
        ASSERT_NE(tool, nullptr) << name;
        const std::string& text = texts[size_t(n) % texts.size()];
        tool->m_strChart = n % 3 ? text : "VOL";
        tool->m_lLeft = n % 2 ? 20200101 + n : 202401021500LL - n;
        tool->m_lRight = -n;
        tool->m_fTop = 10.12345 * n - 3;
        tool->m_fBottom = n % 4 ? 1e300 : -0.0005;
        tool->m_color = RGB(10, 20, n);
        tool->m_colorBK = 0xFFFFFFFFu;
        tool->m_nLineStyle = -n;
        if (auto* t = dynamic_cast<CTextAssistor*>(tool.get())) {
            t->m_strText = text + "\n第二行";
            t->SetFont(24, text, 800, n % 2);
        }
        if (auto* multi = dynamic_cast<CTriangleLines*>(tool.get())) {
            multi->m_items.resize(3);
            for (auto& it : multi->m_items) it.placed = it.begun = 1;
            multi->m_items[1].placed = 0;  // unfinished: not written
            multi->m_items[2].key2 = 202312291455LL;
            multi->m_items[2].value2 = -7.25;
        }
        tools.push_back(tool);
        ++n;
    }
    const struct {
        ToolFileInfo info;
        size_t count;
    } cases[] = {{{1, "600000", 4, 1}, tools.size()}, {{2, "代码\"<&", 3, -1}, 1}, {{0, "", 0, 0}, 0}};
    for (const auto& c : cases) {
        const std::vector<std::shared_ptr<CRecRgnLines>> some(tools.begin(), tools.begin() + long(c.count));
        EXPECT_EQ(ToolFileText(c.info, some), PrintedDocument(c.info, some)) << c.count << " tools";
    }
}
