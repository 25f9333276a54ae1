// One window built from markup with the framework's list, tab, combo, tree and slider
// controls together, painted offscreen and kept as a screenshot.
#include <gtest/gtest.h>

#include <string>

#include "WinlessHost.h"
#include "platform/Services.h"
#include "windowless/Combo.h"
#include "windowless/Layouts.h"
#include "windowless/List.h"
#include "windowless/Progress.h"
#include "windowless/Tree.h"

using namespace WinlessUI;
using wltest::Host;

namespace {

const char* kGallery =
    "<Window>"
    "<HorizontalLayout bkcolor=\"#FFF4F6F9\" inset=\"8,8,8,8\" childpadding=\"8\">"
    " <VerticalLayout width=\"280\" childpadding=\"6\">"
    "  <HorizontalLayout height=\"24\" childpadding=\"4\">"
    "   <Option name=\"tab0\" text=\"行情\" width=\"60\" group=\"pages\" selected=\"true\" bkcolor=\"#FFDDE4EE\""
    "           selectedbkcolor=\"#FF3A6FD8\" selectedtextcolor=\"#FFFFFFFF\" bindtabindex=\"0\" bindtablayoutname=\"pages\"/>"
    "   <Option name=\"tab1\" text=\"说明\" width=\"60\" group=\"pages\" bkcolor=\"#FFDDE4EE\""
    "           selectedbkcolor=\"#FF3A6FD8\" selectedtextcolor=\"#FFFFFFFF\" bindtabindex=\"1\" bindtablayoutname=\"pages\"/>"
    "  </HorizontalLayout>"
    "  <TabLayout name=\"pages\">"
    "   <List name=\"list\" bkcolor=\"#FFFFFFFF\" bordercolor=\"#FFB8C2D0\" bordersize=\"1\" itemaltbk=\"true\""
    "         itemtextpadding=\"4,0,0,0\" itembkcolor=\"#FFEEF3FA\" itemselectedbkcolor=\"#FFC9DCF7\" vscrollbar=\"true\">"
    "    <ListHeader height=\"24\" bkcolor=\"#FFDDE4EE\">"
    "     <ListHeaderItem text=\"代码\" width=\"80\" sepwidth=\"1\"/><ListHeaderItem text=\"名称\" width=\"100\"/>"
    "     <ListHeaderItem text=\"涨幅\" width=\"80\" align=\"right\" textpadding=\"2,0,8,0\"/>"
    "    </ListHeader>"
    "    <ListTextElement/><ListTextElement/><ListTextElement/><ListTextElement/><ListTextElement/><ListTextElement/>"
    "   </List>"
    "   <Label text=\"说明页\"/>"
    "  </TabLayout>"
    " </VerticalLayout>"
    " <VerticalLayout childpadding=\"8\">"
    "  <Combo name=\"period\" height=\"26\" bkcolor=\"#FFFFFFFF\" bordercolor=\"#FF9AA6B8\" bordersize=\"1\""
    "         textpadding=\"6,0,6,0\" itemtextpadding=\"6,0,0,0\">"
    "   <ListLabelElement text=\"日线\"/><ListLabelElement text=\"周线\"/><ListLabelElement text=\"月线\"/>"
    "  </Combo>"
    "  <Slider name=\"speed\" height=\"16\" bkcolor=\"#FFD0D7E2\" value=\"40\"/>"
    "  <TreeView name=\"tree\" bkcolor=\"#FFFFFFFF\" bordercolor=\"#FFB8C2D0\" bordersize=\"1\" visiblecheckbtn=\"false\""
    "            itemtextcolor=\"#FF203040\">"
    "   <TreeNode text=\"沪市\" defaultexpand=\"true\"><TreeNode text=\"600000 浦发银行\"/><TreeNode text=\"600036 招商银行\"/></TreeNode>"
    "   <TreeNode text=\"深市\"><TreeNode text=\"000001 平安银行\"/></TreeNode>"
    "  </TreeView>"
    " </VerticalLayout>"
    "</HorizontalLayout></Window>";

struct Quotes : IListTextCallback {
    CUIString GetItemText(CControlUI*, int row, int column) override {
        static const char* names[] = {"浦发银行", "招商银行", "平安银行", "万科Ａ", "贵州茅台", "中国平安"};
        static const char* codes[] = {"600000", "600036", "000001", "000002", "600519", "601318"};
        if (column == 0) return codes[row % 6];
        if (column == 1) return names[row % 6];
        char text[16];
        snprintf(text, sizeof text, "%+.2f%%", (row * 37 % 11 - 5) * 0.73);
        return text;
    }
};

}  // namespace

TEST(Gallery, ListTabComboTreeAndSliderFromMarkup) {
    Host h(600, 300);
    ASSERT_NE(h.Load(kGallery), nullptr);
    auto* list = static_cast<CListUI*>(h.Find("list"));
    auto* combo = static_cast<CComboUI*>(h.Find("period"));
    auto* tree = static_cast<CTreeViewUI*>(h.Find("tree"));
    auto* tabs = static_cast<CTabLayoutUI*>(h.Find("pages"));
    ASSERT_TRUE(list && combo && tree && tabs && h.Find("speed"));
    Quotes quotes;
    list->SetCellTextSource(&quotes);
    list->SelectItem(1);
    combo->SelectItem(0);
    h.Layout();
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_EQ(list->GetListInfo()->nColumns, 3);
    EXPECT_EQ(tree->GetCount(), 5);
    EXPECT_TRUE(tree->GetItemAt(1)->IsVisible()) << "the first market is expanded";
    EXPECT_FALSE(tree->GetItemAt(4)->IsVisible());
    EXPECT_STREQ(combo->GetText().GetData(), "日线");

    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&h.wnd, shot));
    shot.SavePng(std::string(TARROW_BINARY_DIR) + "/windowless-gallery.png");
    // The alternate rows, the selected row and the header are there.
    RECT row0 = list->GetItemAt(0)->GetPos(), row1 = list->GetItemAt(1)->GetPos();
    EXPECT_EQ(shot.GetPixel(row0.left + 2, row0.top + 2), RGB(0xEE, 0xF3, 0xFA));
    EXPECT_EQ(shot.GetPixel(row1.left + 2, row1.top + 2), RGB(0xC9, 0xDC, 0xF7));
    RECT header = list->GetHeader()->GetPos();
    EXPECT_EQ(shot.GetPixel(header.left + 30, header.top + 2), RGB(0xDD, 0xE4, 0xEE));
    // Text is drawn in the cells, the combo and the tree.
    auto inked = [&](const RECT& rc) {
        int dark = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) {
                COLORREF c = shot.GetPixel(x, y);
                dark += GetRValue(c) < 0x80 && GetGValue(c) < 0x80 && GetBValue(c) < 0x80;
            }
        return dark;
    };
    RECT cell = list->GetListInfo()->rcColumn[1];
    EXPECT_GT(inked(RECT{cell.left, row0.top, cell.right, row0.bottom}), 10);
    EXPECT_GT(inked(combo->GetPos()), 10);
    EXPECT_GT(inked(tree->GetItemAt(1)->GetPos()), 10);
}

namespace {
struct CountingFactory : IDialogBuilderCallback {
    int asked = 0;
    CControlUI* CreateControl(const char*) override {
        ++asked;
        return nullptr;
    }
};
}  // namespace

TEST(Gallery, HostedObjectElementsBuildNothing) {
    Host h(200, 100);
    CountingFactory factory;
    CDialogBuilder builder;
    CControlUI* root = builder.Create("<Window><VerticalLayout><ActiveX name=\"a\"/><WebBrowser homepage=\"x\" autonavi=\"true\"/>"
                                      "<Flash/><Label name=\"l\"/></VerticalLayout></Window>",
                                      nullptr, &factory, &h.pm);
    ASSERT_NE(root, nullptr);
    auto* layout = static_cast<CContainerUI*>(root->GetInterface("Container"));
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->GetCount(), 1);
    EXPECT_EQ(factory.asked, 0) << "known names: nothing is asked of the application";
    delete root;
}
