// ".xlay" files: what is written reads back the same (borders, security, group, sizes,
// leaf order), older attribute names still load, and damaged files never leave a half-built
// tree.
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include "AppTestSupport.h"
#include "common/ScratchDir.h"
#include "foundation/XmlFile.h"

namespace {

std::string SaveTree(CLayoutManager& root) {
    tinyxml2::XMLDocument doc;
    tinyxml2::XMLElement* view = doc.NewElement("view");
    doc.InsertEndChild(view);
    root.WriteViewProp(view->InsertNewChildElement("ViewProp"));
    root.Save(view);
    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    return printer.CStr();
}

void LoadTree(CLayoutManager& root, const std::string& text) {
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse(text.c_str()), tinyxml2::XML_SUCCESS);
    root.ReadViewProp(doc.RootElement()->FirstChildElement("ViewProp"));
    root.Load(doc.RootElement());
}

TEST(LayoutFile, RoundTripKeepsEverythingItWrites) {
    RegisterRecordingElement();
    CTestHost host;
    CLayoutManager& root = host.Root();
    // (Chart | (Report / Recording)), with sizes, a fixed pane, cutter settings, borders,
    // the layout's security and group.
    ASSERT_TRUE(root.CreateLeafWindow("CKlineChartWnd"));
    ASSERT_TRUE(root.SplitLeaf(1, "CReportWnd", 3));
    ASSERT_TRUE(root.m_pSecond->SplitLeaf(0, "RecordingElement", 0));
    root.m_nFirstSize = 700;
    root.m_nSecondSize = 290;
    root.m_pCutter->m_nHiddenSide = 2;
    root.m_pSecond->m_pSecond->m_nFixedSize = 120;
    root.m_nNextBlockID = 7;
    root.m_bThinSplitter = 1;
    root.m_nChartStyle = 2;
    root.m_code = CIndSecuCode(1, "600000");
    root.m_group.m_nId = (int64_t(-3) << 32) | 0x89ABCDEF;
    root.m_group.m_strClass = "板块";
    root.m_group.m_strGroup = "银行";
    CElementWnd* chart = root.m_pFirst->m_pWnd;
    chart->m_nUuid = 11;
    chart->m_bTopBorder = 0;
    chart->m_bLeftBorder = 1;
    chart->m_bRightBorder = 0;
    chart->m_bBottomBorder = 1;
    chart->m_bHideSelf = 1;
    const std::string first = SaveTree(root);

    CTestHost other;
    CLayoutManager& back = other.Root();
    LoadTree(back, first);
    EXPECT_EQ(SaveTree(back), first);

    EXPECT_EQ(back.m_bThinSplitter, 1);
    EXPECT_EQ(back.m_nChartStyle, 2);
    EXPECT_EQ(back.m_code.m_nMarket, 1);
    EXPECT_EQ(back.m_code.m_strCode, "600000");
    EXPECT_EQ(back.m_group.m_nId, root.m_group.m_nId);
    EXPECT_EQ(back.m_group.m_strClass, "板块");
    EXPECT_EQ(back.m_group.m_strGroup, "银行");
    EXPECT_EQ(back.m_nNextBlockID, 7);
    EXPECT_EQ(back.m_nFirstSize, 700);
    EXPECT_EQ(back.m_nSecondSize, 290);
    EXPECT_EQ(back.GetOrientation(), 1);
    EXPECT_EQ(back.m_pCutter->m_nSplitCtrl, 3);
    EXPECT_EQ(back.m_pCutter->m_nStyleEx, 0);
    EXPECT_EQ(back.m_pCutter->m_nHiddenSide, 2);
    EXPECT_EQ(back.m_pSecond->GetOrientation(), 0);
    EXPECT_EQ(back.m_pSecond->m_pSecond->m_nFixedSize, 120);
    // Leaf order and types, including ones this program has no class for yet.
    EXPECT_EQ(back.m_pFirst->m_pWnd->GetTypeName(), "CKlineChartWnd");
    EXPECT_EQ(back.m_pSecond->m_pFirst->m_pWnd->GetTypeName(), "CReportWnd");
    EXPECT_NE(dynamic_cast<CRecordingElement*>(back.m_pSecond->m_pSecond->m_pWnd), nullptr);
    CElementWnd* c = back.m_pFirst->m_pWnd;
    EXPECT_EQ(c->m_nUuid, 11);
    EXPECT_EQ(c->m_bTopBorder, 0);
    EXPECT_EQ(c->m_bLeftBorder, 1);
    EXPECT_EQ(c->m_bRightBorder, 0);
    EXPECT_EQ(c->m_bBottomBorder, 1);
    EXPECT_EQ(c->m_bHideSelf, 1);
    EXPECT_EQ(back.FindLeafById(11), c);
    EXPECT_EQ(back.FindLeafById(99), nullptr);
}

TEST(LayoutFile, ReadsTheNamesOlderFilesUse) {
    CTestHost host;
    CLayoutManager& root = host.Root();
    LoadTree(root,
             "<view><ViewProp Station=\"2\" NameCode=\"399001\" dwGroup=\"5\"/>"
             "<Split Type=\"0\"><Element wndtype=\"CElementWnd\" TopBorder=\"0\" "
             "LeftBorder=\"1\" RightBorder=\"0\" BottomBorder=\"1\"/></Split></view>");
    EXPECT_EQ(root.m_code.m_nMarket, 2);
    EXPECT_EQ(root.m_code.m_strCode, "399001");
    EXPECT_EQ(root.m_group.m_nId, 5);
    ASSERT_NE(root.m_pWnd, nullptr);
    EXPECT_EQ(root.m_pWnd->m_bTopBorder, 0);
    EXPECT_EQ(root.m_pWnd->m_bLeftBorder, 1);
    EXPECT_EQ(root.m_pWnd->m_bBottomBorder, 1);
    // A missing "bHideSelf" keeps the element's value; missing "Style" means stacked.
    LoadTree(root,
             "<view><Split Type=\"1\" SplitCtrl=\"1\"><Split Type=\"0\"><Element/></Split>"
             "<Other Type=\"0\"/></Split></view>");
    EXPECT_EQ(root.GetOrientation(), 0);
    // The second child is whatever element follows the first, and a leaf without
    // "Element" stays empty.
    EXPECT_NE(root.m_pFirst->m_pWnd, nullptr);
    EXPECT_EQ(root.m_pSecond->m_pWnd, nullptr);
    EXPECT_TRUE(root.m_pSecond->IsLeaf());
}

TEST(LayoutFile, EmptyLeafIsWrittenAsALeaf) {
    CTestHost host;
    CLayoutManager& root = host.Root();
    LoadTree(root, "<view><Split Type=\"0\"/></view>");
    const std::string text = SaveTree(root);
    EXPECT_NE(text.find("Type=\"0\""), std::string::npos) << text;
    EXPECT_EQ(text.find("Type=\"1\""), std::string::npos) << text;
}

TEST(LayoutFile, UnknownNodeTypeThrows) {
    CTestHost host;
    CLayoutManager& root = host.Root();
    EXPECT_THROW(LoadTree(root,
                          "<view><Split Type=\"1\"><Split Type=\"0\"><Element/></Split>"
                          "<Split Type=\"7\"/></Split></view>"),
                 CLayoutError);
    // "Type" is read as a 16-bit value: 65536 is 0, a leaf.
    EXPECT_NO_THROW(LoadTree(root, "<view><Split Type=\"65536\"><Element/></Split></view>"));
    EXPECT_NE(root.m_pWnd, nullptr);
}

}  // namespace
