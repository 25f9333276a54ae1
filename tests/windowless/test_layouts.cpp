// Tab, tile and child layouts: selection rules and their notification, the grid, and a
// layout filled from another file of the skin archive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WinlessHost.h"
#include "ZipFixture.h"
#include "windowless/Button.h"
#include "windowless/Layouts.h"

using namespace WinlessUI;
using wltest::Host;

namespace {

struct TabSelects : INotifyUI {
    std::vector<std::pair<int, int>> seen;  // new, old
    void Notify(UINotify& msg) override {
        if (msg.sType == "tabselect") seen.emplace_back((int)msg.wParam, (int)msg.lParam);
    }
};

CControlUI* Named(const char* name, bool visible = true) {
    auto* c = new CControlUI;
    c->SetName(name);
    c->SetVisible(visible);
    return c;
}

std::string Shown(CTabLayoutUI* tab) {
    std::string s;
    for (int i = 0; i < tab->GetCount(); ++i) s += tab->GetItemAt(i)->IsVisible() ? '1' : '0';
    return s;
}

}  // namespace

TEST(TabLayout, AddInsertAndRemoveKeepOneSelection) {
    struct Case {
        const char* what;
        void (*act)(CTabLayoutUI*);
        int sel;
        const char* shown;
    } cases[] = {
        {"three added: the first is selected", [](CTabLayoutUI*) {}, 0, "100"},
        {"a hidden first child is not selected",
         [](CTabLayoutUI* t) {
             t->RemoveAll();
             t->Add(Named("h", false));
             t->Add(Named("v"));
         },
         1, "01"},
        {"removing the selection selects the first left",
         [](CTabLayoutUI* t) {
             t->SelectTabAt(2);
             t->Remove(t->GetItemAt(2));
         },
         0, "10"},
        {"removing a child before the selection moves it down",
         [](CTabLayoutUI* t) {
             t->SelectTabAt(2);
             t->Remove(t->GetItemAt(0));
         },
         1, "01"},
        {"inserting before the selection moves it up, the child keeps its visibility",
         [](CTabLayoutUI* t) { t->AddAt(Named("x"), 0); }, 1, "1100"},
        {"inserting after the selection hides the child", [](CTabLayoutUI* t) { t->AddAt(Named("x"), 3); }, 0,
         "1000"},
        {"removing every child one by one leaves no selection",
         [](CTabLayoutUI* t) {
             while (t->GetCount() > 0) t->Remove(t->GetItemAt(0));
         },
         -1, ""},
        {"RemoveAll leaves no selection", [](CTabLayoutUI* t) { t->RemoveAll(); }, -1, ""},
        {"removing null or a stranger changes nothing",
         [](CTabLayoutUI* t) {
             EXPECT_FALSE(t->Remove(nullptr));
             CControlUI stranger;
             EXPECT_FALSE(t->Remove(&stranger));
             EXPECT_FALSE(t->SelectTab(&stranger));
         },
         0, "100"},
    };
    for (const Case& c : cases) {
        Host host;
        auto* root = static_cast<CTabLayoutUI*>(host.Load("<Window><TabLayout name=\"tabs\"/></Window>"));
        ASSERT_NE(root, nullptr);
        for (const char* n : {"a", "b", "c"}) root->Add(Named(n));
        c.act(root);
        EXPECT_EQ(root->GetCurSel(), c.sel) << c.what;
        EXPECT_EQ(Shown(root), c.shown) << c.what;
    }
}

TEST(TabLayout, SelectingNotifiesAndLaysOutOnlyTheSelection) {
    Host host(300, 200);
    TabSelects selects;
    host.pm.AddListener(&selects);
    auto* tabs = static_cast<CTabLayoutUI*>(
        host.Load("<Window><TabLayout name=\"tabs\" inset=\"5,5,5,5\" selectedid=\"2\">"
                  "<Control name=\"a\"/><Control name=\"b\"/><Control name=\"c\" padding=\"10,10,0,0\" width=\"50\"/>"
                  "</TabLayout></Window>"));
    ASSERT_NE(tabs, nullptr);
    ASSERT_STREQ(tabs->GetClassName(), "TabLayoutUI");
    EXPECT_EQ(tabs->GetCurSel(), 2);
    EXPECT_EQ(Shown(tabs), "001");
    RECT c = host.Find("c")->GetPos();
    EXPECT_EQ(c.left, 15);
    EXPECT_EQ(c.top, 15);
    EXPECT_EQ(c.right, 65);  // its own width
    EXPECT_EQ(c.bottom, 195);
    selects.seen.clear();  // the attribute was applied before the manager listened

    EXPECT_TRUE(tabs->SelectTabAt(2));  // the selection already: no notification
    EXPECT_FALSE(tabs->SelectTabAt(3));
    EXPECT_FALSE(tabs->SelectTabAt(-1));
    EXPECT_TRUE(selects.seen.empty());
    EXPECT_TRUE(tabs->SelectTab(host.Find("a")));
    EXPECT_EQ(selects.seen, (std::vector<std::pair<int, int>>{{0, 2}}));
    EXPECT_EQ(Shown(tabs), "100");
    RECT a = host.Find("a")->GetPos();
    EXPECT_EQ(a.left, 5);
    EXPECT_EQ(a.right, 295);
    host.pm.RemoveListener(&selects);
}

TEST(TabLayout, BoundButtonSwitchesTheTab) {
    Host host(300, 100);
    ASSERT_NE(host.Load("<Window><VerticalLayout><Button name=\"go\" height=\"30\" bindtabindex=\"1\" "
                        "bindtablayoutname=\"tabs\"/><TabLayout name=\"tabs\"><Control name=\"p0\"/>"
                        "<Control name=\"p1\"/></TabLayout></VerticalLayout></Window>"),
              nullptr);
    auto* tabs = static_cast<CTabLayoutUI*>(host.Find("tabs"));
    ASSERT_EQ(tabs->GetCurSel(), 0);
    host.Click(50, 15);
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_EQ(Shown(tabs), "01");
    EXPECT_EQ(host.recorder.Count("tabselect:tabs"), 1);
}

TEST(TileLayout, ColumnsRowsAndCentring) {
    struct Case {
        const char* what;
        int width;
        const char* attrs;
        int children;
        int columns;
        std::vector<RECT> expect;  // positions of children 0.. (only those listed)
    } cases[] = {
        {"tile width 100 in 300: three columns", 300, "itemsize=\"100,50\"", 3, 3,
         {{0, 0, 100, 40}, {100, 0, 200, 40}, {200, 0, 300, 40}}},
        {"tile width 100 in 250: two columns of 125", 250, "itemsize=\"100,50\"", 2, 2,
         {{0, 0, 125, 40}, {125, 0, 250, 40}}},
        {"columns 0 keeps the count", 200, "columns=\"2\" columns=\"0\"", 2, 2, {{0, 0, 100, 40}, {100, 0, 200, 40}}},
        {"the fifth of two columns starts a third row at the left", 200, "columns=\"2\" childpadding=\"10\"", 5, 2,
         {{0, 0, 95, 40}, {105, 0, 200, 40}, {0, 50, 95, 90}, {105, 50, 200, 90}, {0, 100, 95, 140}}},
    };
    for (const Case& c : cases) {
        Host host(c.width, 300);
        std::string xml = "<Window><TileLayout name=\"t\" " + std::string(c.attrs) + ">";
        for (int i = 0; i < c.children; ++i) xml += "<Control height=\"40\"/>";
        xml += "</TileLayout></Window>";
        auto* tile = static_cast<CTileLayoutUI*>(host.Load(xml.c_str()));
        ASSERT_NE(tile, nullptr) << c.what;
        EXPECT_EQ(tile->GetColumns(), c.columns) << c.what;
        for (size_t i = 0; i < c.expect.size(); ++i) {
            RECT r = tile->GetItemAt((int)i)->GetPos();
            EXPECT_EQ(r.left, c.expect[i].left) << c.what << " child " << i;
            EXPECT_EQ(r.top, c.expect[i].top) << c.what << " child " << i;
            EXPECT_EQ(r.right, c.expect[i].right) << c.what << " child " << i;
            EXPECT_EQ(r.bottom, c.expect[i].bottom) << c.what << " child " << i;
        }
    }
}

TEST(TileLayout, RowIsAsHighAsItsTallestAndSmallChildrenAreCentred) {
    Host host(200, 300);
    auto* tile = static_cast<CTileLayoutUI*>(
        host.Load("<Window><TileLayout columns=\"2\"><Control height=\"20\" width=\"40\"/><Control height=\"60\"/>"
                  "<Control height=\"10\"/></TileLayout></Window>"));
    ASSERT_NE(tile, nullptr);
    RECT small = tile->GetItemAt(0)->GetPos();
    EXPECT_EQ(small.left, 30);  // 40 wide in a 100-wide column
    EXPECT_EQ(small.top, 20);   // 20 high in a 60-high row
    EXPECT_EQ(small.right, 70);
    EXPECT_EQ(tile->GetItemAt(2)->GetPos().top, 60);  // the second row starts below the tallest
}

TEST(ChildLayout, FillsItselfFromAnotherArchiveFile) {
    CUIPaintManager::ResetSharedArchiveForTests();
    static std::string zip = ziptest::Build(
        {{"Skin/panel.xml", "<Window><HorizontalLayout name=\"panel\"><Button name=\"inner\" width=\"40\"/>"
                            "</HorizontalLayout></Window>"},
         {"Skin/broken.xml", "<Window><HorizontalLayout"}});
    CUIPaintManager::UseArchiveInMemory((const unsigned char*)zip.data(), (unsigned)zip.size());
    Host host(200, 100);
    ASSERT_NE(host.Load("<Window><VerticalLayout><ChildLayout name=\"good\" xmlfile=\"Skin/panel.xml\"/>"
                        "<ChildLayout name=\"bad\" xmlfile=\"Skin/broken.xml\"/>"
                        "<ChildLayout name=\"none\" xmlfile=\"Skin/missing.xml\"/></VerticalLayout></Window>"),
              nullptr);
    auto* good = static_cast<CChildLayoutUI*>(host.Find("good"));
    ASSERT_NE(good, nullptr);
    ASSERT_EQ(good->GetCount(), 1);
    CControlUI* inner = host.Find("inner");
    ASSERT_NE(inner, nullptr);  // the built tree belongs to the window
    EXPECT_EQ(inner->GetOwnerManager(), &host.pm);
    EXPECT_EQ(inner->GetWidth(), 40);
    EXPECT_EQ(static_cast<CContainerUI*>(host.Find("bad"))->GetCount(), 0);
    EXPECT_EQ(static_cast<CContainerUI*>(host.Find("none"))->GetCount(), 0);
    host.Click(20, 25);
    EXPECT_EQ(host.recorder.Count("click:inner"), 1);
    CUIPaintManager::ResetSharedArchiveForTests();
}
