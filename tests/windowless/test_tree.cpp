// The tree view: rows in display order, indentation, expanding and collapsing, check
// propagation, and adding and removing nodes.
#include <gtest/gtest.h>

#include <string>

#include "WinlessHost.h"
#include "windowless/Tree.h"

using namespace WinlessUI;
using wltest::Host;

namespace {

const char* kTree =
    "<Window><TreeView name=\"tv\" visiblecheckbtn=\"true\" itemtextcolor=\"#FF112233\">"
    "<TreeNode name=\"p\" text=\"parent\"><TreeNode name=\"c\" text=\"child\"><TreeNode name=\"g\" text=\"grand\"/>"
    "</TreeNode><TreeNode name=\"c2\" text=\"child2\"/></TreeNode><TreeNode name=\"q\" text=\"other\"/>"
    "</TreeView></Window>";

CTreeNodeUI* Node(Host& h, const char* name) { return static_cast<CTreeNodeUI*>(h.Find(name)); }

std::string Order(CTreeViewUI* tv) {
    std::string s;
    for (int i = 0; i < tv->GetCount(); ++i) s += tv->GetItemAt(i)->GetName().ToStd() + (tv->GetItemAt(i)->IsVisible() ? "+" : "-") + " ";
    return s;
}

struct LowerCaseNode : CTreeNodeUI {
    const char* GetClassName() const override { return "treenodeui"; }
};

}  // namespace

TEST(TreeView, RowsIndentationAndFolders) {
    Host h(300, 300);
    auto* tv = static_cast<CTreeViewUI*>(h.Load(kTree));
    ASSERT_NE(tv, nullptr);
    EXPECT_EQ(Order(tv), "p+ c- g- c2- q+ ");
    EXPECT_FALSE(tv->GetHeader()->IsVisible());
    EXPECT_EQ(Node(h, "c")->GetDottedLine()->GetFixedWidth(), 18);
    EXPECT_EQ(Node(h, "g")->GetDottedLine()->GetFixedWidth(), 34);
    EXPECT_TRUE(Node(h, "p")->GetFolderButton()->IsVisible());
    EXPECT_FALSE(Node(h, "q")->GetFolderButton()->IsVisible()) << "leaves show no folder button";
    EXPECT_EQ(Node(h, "g")->GetItemButton()->GetTextColor(), 0xFF112233u) << "the view colours the node texts";
    EXPECT_EQ(tv->GetListInfo()->dwTextColor, 0xFF000000u) << "... not the list info";
    EXPECT_EQ(Node(h, "g")->GetParentNode(), Node(h, "c"));
    EXPECT_EQ(Node(h, "c2")->GetIndexInTree(), 3);
    EXPECT_EQ(Node(h, "p")->GetLastDescendant(), Node(h, "c2"));

    // Opening the parent shows every descendant, also those under a collapsed node.
    Node(h, "p")->GetFolderButton()->SetSelected(true);
    EXPECT_EQ(Order(tv), "p+ c+ g+ c2+ q+ ");
    EXPECT_TRUE(Node(h, "g")->GetCheckBox()->IsVisible()) << "the view's check boxes, set after its nodes";
    // A double click toggles it closed again.
    ::SendMessage(h.wnd.GetSafeHwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON,
                  MAKELPARAM(Node(h, "p")->GetPos().right - 5, wltest::Centre(Node(h, "p")).y));
    EXPECT_EQ(Order(tv), "p+ c- g- c2- q+ ");
    EXPECT_FALSE(Node(h, "p")->GetFolderButton()->IsSelected());
}

TEST(TreeView, ChecksPropagateDownAndUp) {
    Host h(300, 300);
    auto* tv = static_cast<CTreeViewUI*>(h.Load(kTree));
    ASSERT_NE(tv, nullptr);
    auto checked = [&](const char* n) { return Node(h, n)->GetCheckBox()->IsSelected(); };
    Node(h, "g")->GetCheckBox()->SetSelected(true);
    EXPECT_TRUE(checked("c")) << "its only child checked: the parent follows";
    EXPECT_FALSE(checked("p")) << "one of two children: unchanged";
    Node(h, "c2")->GetCheckBox()->SetSelected(true);
    EXPECT_TRUE(checked("p")) << "the last unchecked child checks the parent";
    Node(h, "g")->GetCheckBox()->SetSelected(false);
    EXPECT_FALSE(checked("c")) << "the only checked child unchecked";
    EXPECT_TRUE(checked("p")) << "mixed children leave the parent";
    Node(h, "p")->GetCheckBox()->SetSelected(true);
    EXPECT_TRUE(checked("c"));
    EXPECT_TRUE(checked("g")) << "a checked parent checks its whole subtree";
    Node(h, "p")->GetCheckBox()->SetSelected(false);
    EXPECT_FALSE(checked("g"));
    EXPECT_FALSE(checked("c2"));
    EXPECT_FALSE(checked("q"));
}

TEST(TreeView, AddingInsertingAndRemovingNodes) {
    Host h(300, 300);
    auto* tv = static_cast<CTreeViewUI*>(h.Load(kTree));
    ASSERT_NE(tv, nullptr);
    // A child added under a collapsed leaf is hidden and gives the leaf a folder.
    auto* n = new CTreeNodeUI;
    n->SetName("n");
    ASSERT_TRUE(Node(h, "q")->AddChildNode(n));
    EXPECT_EQ(Order(tv), "p+ c- g- c2- q+ n- ");
    EXPECT_TRUE(Node(h, "q")->GetFolderButton()->IsVisible());
    // Inserted before a sibling.
    auto* m = new CTreeNodeUI;
    m->SetName("m");
    ASSERT_TRUE(Node(h, "p")->AddChildNodeAt(m, 1));
    EXPECT_EQ(Order(tv), "p+ c- g- m- c2- q+ n- ");
    EXPECT_EQ(Node(h, "p")->GetChildNode(1), m);
    // Appended at the end of a subtree.
    auto* e = new CTreeNodeUI;
    e->SetName("e");
    ASSERT_TRUE(Node(h, "p")->AddChildNodeAt(e, 9));
    EXPECT_EQ(Order(tv), "p+ c- g- m- c2- e- q+ n- ");
    for (int i = 0; i < tv->GetCount(); ++i) EXPECT_EQ(AsListItem(tv->GetItemAt(i))->GetIndex(), i);

    // Class names are compared without case; other rows are refused.
    auto* lower = new LowerCaseNode;
    lower->SetName("lower");
    EXPECT_TRUE(tv->Add(lower));
    CListLabelElementUI label;
    EXPECT_FALSE(tv->Add(&label));

    // A leaf goes by index; a node with children takes them along.
    EXPECT_TRUE(tv->RemoveAt(tv->GetItemIndex(Node(h, "g"))));
    EXPECT_FALSE(Node(h, "c")->HasChildNodes());
    EXPECT_FALSE(tv->RemoveAt(99));
    EXPECT_TRUE(Node(h, "p")->RemoveAt(Node(h, "c")));
    EXPECT_EQ(Order(tv), "p+ m- c2- e- q+ n- lower+ ");
    EXPECT_TRUE(tv->Remove(Node(h, "p")));
    EXPECT_EQ(Order(tv), "q+ n- lower+ ");
    EXPECT_FALSE(Node(h, "q")->RemoveAt(Node(h, "lower"))) << "not its child";
}
