// The list, its header and its rows: column rectangles, selection bookkeeping, keyboard and
// wheel navigation, header dragging and scaling, row backgrounds and links in cells.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WinlessHost.h"
#include "windowless/List.h"
#include "windowless/ListElements.h"
#include "windowless/ScrollBar.h"

using namespace WinlessUI;
using wltest::Host;
using wltest::Surface;

namespace {

struct Seen : INotifyUI {
    std::vector<std::string> types;
    std::vector<std::pair<WPARAM, LPARAM>> params;
    void Notify(UINotify& msg) override {
        types.push_back(msg.sType.ToStd());
        params.emplace_back(msg.wParam, msg.lParam);
    }
    int Count(const char* type) const {
        int n = 0;
        for (auto& t : types) n += t == type;
        return n;
    }
    std::pair<WPARAM, LPARAM> Last(const char* type) const {
        for (size_t i = types.size(); i-- > 0;)
            if (types[i] == type) return params[i];
        return {WPARAM(-99), LPARAM(-99)};
    }
};

std::string Rows(int n, const char* element = "ListTextElement") {
    std::string s;
    for (int i = 0; i < n; ++i) s += "<" + std::string(element) + " name=\"r" + std::to_string(i) + "\" text=\"row " + std::to_string(i) + "\"/>";
    return s;
}

std::string ListXml(const std::string& listAttrs, const std::string& body, const char* header =
    "<ListHeader height=\"24\"><ListHeaderItem name=\"h0\" text=\"A\" width=\"100\"/>"
    "<ListHeaderItem name=\"h1\" text=\"B\" width=\"120\"/><ListHeaderItem name=\"h2\" text=\"C\" width=\"80\"/></ListHeader>") {
    return "<Window><List name=\"list\" " + listAttrs + ">" + header + body + "</List></Window>";
}

CListUI* LoadList(Host& h, const std::string& xml) {
    CControlUI* root = h.Load(xml.c_str());
    return root ? static_cast<CListUI*>(root->GetInterface("List")) : nullptr;
}

int RowHeight(Host& h) { return h.pm.GetDefaultFontInfo()->tm.tmHeight + 8; }

void Wheel(Host& h, CControlUI* over, bool down) {
    POINT pt = wltest::Centre(static_cast<CListUI*>(over->GetInterface("List"))->GetList());
    h.wnd.ClientToScreen(&pt);
    ::SendMessage(h.wnd.GetSafeHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, down ? -120 : 120), MAKELPARAM(pt.x, pt.y));
}

void Key(Host& h, UINT vk) { ::SendMessage(h.wnd.GetSafeHwnd(), WM_KEYDOWN, vk, 0); }

}  // namespace

TEST(List, HeaderGivesColumnRectanglesAndRowsStackBelowIt) {
    Host h(400, 300);
    CListUI* list = LoadList(h, ListXml("", Rows(3)));
    ASSERT_NE(list, nullptr);
    ListInfoUI* info = list->GetListInfo();
    EXPECT_EQ(info->nColumns, 3);
    EXPECT_EQ(info->rcColumn[1].left, 100);
    EXPECT_EQ(info->rcColumn[1].right, 220);
    EXPECT_EQ(info->rcColumn[2].right, 300);
    EXPECT_EQ(list->GetCount(), 3);
    const int rh = RowHeight(h);
    for (int i = 0; i < 3; ++i) {
        RECT rc = list->GetItemAt(i)->GetPos();
        EXPECT_EQ(rc.top, 24 + i * rh) << i;
        EXPECT_EQ(rc.right - rc.left, 400) << "rows span the wider of the columns and the list";
        EXPECT_EQ(AsListItem(list->GetItemAt(i))->GetIndex(), i);
    }

    // A hidden header still hands out its columns; the rows start at the top.
    Host h2(400, 300);
    CListUI* hidden = LoadList(h2, ListXml("header=\"hidden\"", Rows(2)));
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(hidden->GetListInfo()->rcColumn[1].left, 100);
    EXPECT_EQ(hidden->GetListInfo()->rcColumn[1].right, 220);
    EXPECT_EQ(hidden->GetItemAt(0)->GetPos().top, 0);

    // Forty header items: only 32 columns are kept.
    std::string many = "<ListHeader>";
    for (int i = 0; i < 40; ++i) many += "<ListHeaderItem width=\"10\"/>";
    many += "</ListHeader>";
    Host h3(600, 100);
    CListUI* wide = LoadList(h3, ListXml("", "", many.c_str()));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->GetHeader()->GetCount(), 40);
    EXPECT_EQ(wide->GetListInfo()->nColumns, kMaxListColumns);
    EXPECT_EQ(wide->GetListInfo()->rcColumn[31].left, 31 * 16) << "items are at least 16 wide";
}

TEST(List, SelectionFollowsInsertsRemovalsAndHiding) {
    Host h(400, 300);
    CListUI* list = LoadList(h, ListXml("", Rows(5, "ListLabelElement")));
    ASSERT_NE(list, nullptr);
    Seen seen;
    h.pm.AddListener(&seen);

    EXPECT_TRUE(list->SelectItem(2));
    EXPECT_EQ(seen.Count("itemselect"), 1);
    EXPECT_EQ(seen.Last("itemselect"), std::make_pair(WPARAM(2), LPARAM(-1)));
    EXPECT_TRUE(list->SelectItem(2)) << "the current row again";
    EXPECT_EQ(seen.Count("itemselect"), 1) << "... sends nothing";

    // Removing a row before the selection shifts it without a notification.
    list->RemoveAt(0);
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(seen.Count("itemselect"), 1);
    EXPECT_EQ(AsListItem(list->GetItemAt(1))->GetIndex(), 1);
    EXPECT_TRUE(AsListItem(list->GetItemAt(1))->IsSelected());

    // Inserting before it shifts it up.
    auto* fresh = new CListLabelElementUI;
    fresh->SetText("new");
    ASSERT_TRUE(list->AddAt(fresh, 0));
    EXPECT_EQ(list->GetCurSel(), 2);
    for (int i = 0; i < list->GetCount(); ++i) EXPECT_EQ(AsListItem(list->GetItemAt(i))->GetIndex(), i);

    // Removing the selected row selects its neighbour before it, with a notification.
    list->RemoveAt(2);
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(seen.Count("itemselect"), 2);
    EXPECT_TRUE(AsListItem(list->GetItemAt(1))->IsSelected());

    // Moving rows keeps the selection on its row.
    CControlUI* selected = list->GetItemAt(1);
    ASSERT_TRUE(list->SetItemIndex(selected, 3));
    EXPECT_EQ(list->GetCurSel(), 3);
    EXPECT_EQ(list->GetItemAt(3), selected);

    // Hiding the selected row clears the selection.
    selected->SetVisible(false);
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_FALSE(AsListItem(selected)->IsSelected());

    // -1 clears and answers false; a disabled row refuses.
    list->SelectItem(0);
    EXPECT_FALSE(list->SelectItem(-1));
    EXPECT_EQ(list->GetCurSel(), -1);
    list->GetItemAt(0)->SetEnabled(false);
    EXPECT_FALSE(list->SelectItem(0));
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_FALSE(list->ExpandItem(1)) << "plain rows do not expand";
    h.pm.RemoveListener(&seen);
}

TEST(List, KeyboardAndWheelNavigation) {
    Host h(300, 200);
    CListUI* list = LoadList(h, ListXml("vscrollbar=\"true\"", Rows(30)));
    ASSERT_NE(list, nullptr);
    h.Layout();
    const int rh = RowHeight(h);
    ASSERT_TRUE(list->GetVerticalScrollBar()->IsVisible());

    list->GetItemAt(0)->SetFocus();
    Key(h, VK_DOWN);
    EXPECT_EQ(list->GetCurSel(), 0) << "from no selection Down finds the first row";
    Key(h, VK_DOWN);
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(h.pm.GetFocusControl(), list->GetItemAt(1)) << "the selected row takes the focus";
    Key(h, VK_END);
    EXPECT_EQ(list->GetCurSel(), 29);
    RECT band = list->GetList()->GetPos();
    EXPECT_LE(list->GetItemAt(29)->GetPos().bottom, band.bottom) << "the last row was scrolled into view";
    EXPECT_GT(list->GetScrollPos().cy, 0);
    Key(h, VK_HOME);
    EXPECT_EQ(list->GetCurSel(), 0);
    EXPECT_EQ(list->GetScrollPos().cy, 0);
    Key(h, VK_UP);
    EXPECT_EQ(list->GetCurSel(), 0) << "Up at the top stays";

    // Without scroll-select the wheel scrolls one line.
    Wheel(h, list, true);
    EXPECT_EQ(list->GetScrollPos().cy, rh);
    EXPECT_EQ(list->GetCurSel(), 0);
    Wheel(h, list, false);
    EXPECT_EQ(list->GetScrollPos().cy, 0);

    // With it the wheel moves the selection.
    list->SetSelectOnScroll(true);
    Wheel(h, list, true);
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(list->GetScrollPos().cy, 0);
    for (int i = 0; i < 12; ++i) Wheel(h, list, true);
    EXPECT_EQ(list->GetCurSel(), 13);
    EXPECT_LE(list->GetItemAt(13)->GetPos().bottom, band.bottom);
    EXPECT_GE(list->GetItemAt(13)->GetPos().top, band.top);
}

TEST(List, HorizontalScrollMovesHeaderAndRowsTogether) {
    Host h(200, 200);
    CListUI* list = LoadList(h, ListXml("hscrollbar=\"true\"", Rows(3)));
    ASSERT_NE(list, nullptr);
    h.Layout();
    ASSERT_TRUE(list->GetHorizontalScrollBar()->IsVisible());
    EXPECT_EQ(list->GetScrollRange().cx, 100);
    list->SetScrollPos(SIZE{40, 0});
    EXPECT_EQ(h.Find("h0")->GetPos().left, -40);
    EXPECT_EQ(list->GetListInfo()->rcColumn[1].left, 60);
    EXPECT_EQ(list->GetItemAt(0)->GetPos().left, -40);
    // A new layout keeps them scrolled alike.
    list->SetPos(list->GetPos());
    EXPECT_EQ(h.Find("h1")->GetPos().left, 60);
    EXPECT_EQ(list->GetListInfo()->rcColumn[1].left, 60);
    EXPECT_EQ(list->GetItemAt(0)->GetPos().left, -40);
}

TEST(ListHeader, SeparatorDragResizesTheColumnDownToItsMinimum) {
    Host h(400, 200);
    CListUI* list = LoadList(h, ListXml("", Rows(1)));
    ASSERT_NE(list, nullptr);
    Seen seen;
    h.pm.AddListener(&seen);
    auto* h0 = static_cast<CListHeaderItemUI*>(h.Find("h0"));
    // 3 pixels left of the 4-pixel separator at 96..100 still grabs it.
    h.Send(WM_MOUSEMOVE, 0, 93, 10);
    h.Send(WM_LBUTTONDOWN, MK_LBUTTON, 93, 10);
    EXPECT_EQ(seen.Count("headerclick"), 0);
    h.Send(WM_MOUSEMOVE, MK_LBUTTON, 53, 10);
    h.Layout();
    EXPECT_EQ(h0->GetPos().right, 60);
    EXPECT_EQ(list->GetListInfo()->rcColumn[1].left, 60) << "the columns follow";
    h.Send(WM_MOUSEMOVE, MK_LBUTTON, 10, 10);  // would be 17
    h.Send(WM_MOUSEMOVE, MK_LBUTTON, 5, 10);   // would be 12: refused
    h.Send(WM_LBUTTONUP, 0, 5, 10);
    h.Layout();
    EXPECT_EQ(h0->GetFixedWidth(), 17);
    EXPECT_EQ(list->GetListInfo()->rcColumn[0].right, 17);

    // A press away from the separator is a click.
    h.Click(150, 10);
    EXPECT_EQ(seen.Count("headerclick"), 1);
    // Without a separator zone every press is a click and nothing drags.
    auto* h1 = static_cast<CListHeaderItemUI*>(h.Find("h1"));
    h1->SetSepWidth(0);
    EXPECT_EQ(h1->GetBehaviourFlags(), 0u);
    RECT r1 = h1->GetPos();
    h.Click(r1.right - 1, 10);
    EXPECT_EQ(seen.Count("headerclick"), 2);
    EXPECT_EQ(h1->GetButtonState() & UISTATE_CAPTURED, 0u);
    h.pm.RemoveListener(&seen);
}

TEST(ListHeader, ScaledWidthsAndDefaultHeight) {
    Host h(500, 100);
    CListUI* list = LoadList(h,
                             "<Window><List vscrollbar=\"true\"><ListHeader scaleheader=\"true\">"
                             "<ListHeaderItem name=\"a\" scale=\"20\"/><ListHeaderItem name=\"b\" scale=\"50\"/>"
                             "</ListHeader>" + Rows(20) + "</List></Window>");
    ASSERT_NE(list, nullptr);
    h.Layout();
    list->SetPos(list->GetPos());
    ASSERT_TRUE(list->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(h.Find("a")->GetWidth(), 96) << "20 % of 500 less the 16-pixel bar";
    EXPECT_EQ(h.Find("b")->GetWidth(), 242);
    EXPECT_EQ(h.Find("a")->GetHeight(), h.pm.GetDefaultFontInfo()->tm.tmHeight + 14);
}

TEST(ListElements, AlternateRowsStateColoursAndLines) {
    Host h(200, 200);
    CListUI* list = LoadList(h, ListXml("itemaltbk=\"true\" itembkcolor=\"#FFFF0000\" itemhotbkcolor=\"#FF00FF00\" "
                                        "itemselectedbkcolor=\"#FF0000FF\" itemlinecolor=\"#FF000000\"",
                                        Rows(6, "ListLabelElement"), ""));
    ASSERT_NE(list, nullptr);
    const int rh = RowHeight(h);
    auto colourAt = [&](int row, int dy) {
        Surface s(200, 200);
        s.Paint(list);
        return s.dc.GetPixel(2, list->GetItemAt(row)->GetPos().top + dy);
    };
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(colourAt(i, 2), i % 2 == 0 ? RGB(255, 0, 0) : RGB(255, 255, 255)) << "row " << i;
    EXPECT_EQ(colourAt(1, rh - 1), RGB(0, 0, 0)) << "the separator line";
    h.Send(WM_MOUSEMOVE, 0, 5, list->GetItemAt(1)->GetPos().top + 3);
    EXPECT_EQ(colourAt(1, 2), RGB(0, 255, 0)) << "hot wins on an odd row";
    list->SelectItem(3);
    EXPECT_EQ(colourAt(3, 2), RGB(0, 0, 255)) << "selected wins";
}

TEST(ListElements, LabelRowClickComesAfterTheSelection) {
    Host h(200, 200);
    CListUI* list = LoadList(h, ListXml("", Rows(3, "ListLabelElement")));
    ASSERT_NE(list, nullptr);
    Seen seen;
    h.pm.AddListener(&seen);
    h.Click(10, wltest::Centre(list->GetItemAt(1)).y);
    ASSERT_EQ(seen.Count("itemselect"), 1);
    ASSERT_EQ(seen.Count("itemclick"), 1);
    int select = -1, click = -1;
    for (int i = 0; i < (int)seen.types.size(); ++i) {
        if (seen.types[i] == "itemselect") select = i;
        if (seen.types[i] == "itemclick") click = i;
    }
    EXPECT_LT(select, click);
    EXPECT_EQ(list->GetCurSel(), 1);
    ::SendMessage(h.wnd.GetSafeHwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, wltest::Centre(list->GetItemAt(1)).y));
    EXPECT_EQ(seen.Count("itemactivate"), 1);
    h.pm.RemoveListener(&seen);
}

namespace {
struct LinkCells : IListTextCallback {
    int links = 4;
    CUIString GetItemText(CControlUI*, int row, int column) override {
        std::string s;
        for (int i = 0; i < links; ++i)
            s += "{a r" + std::to_string(row) + "c" + std::to_string(column) + "l" + std::to_string(i) + "}x{/a} ";
        return CUIString(s);
    }
};
}  // namespace

TEST(ListElements, TextRowCellsFromTheCallbackWithAtMostEightLinks) {
    Host h(400, 200);
    CListUI* list = LoadList(h, ListXml("itemshowhtml=\"true\"", Rows(2)));
    ASSERT_NE(list, nullptr);
    LinkCells cells;
    list->SetCellTextSource(&cells);
    Surface s(400, 200);
    s.Paint(list);
    auto* row = static_cast<CListTextElementUI*>(list->GetItemAt(1)->GetInterface("ListTextElement"));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->GetLinkCount(), 8) << "12 links drawn, 8 kept";
    EXPECT_STREQ(row->GetLinkContent(0)->GetData(), "r1c0l0");
    EXPECT_STREQ(row->GetLinkContent(4)->GetData(), "r1c1l0") << "the second column's links follow";
    EXPECT_EQ(row->GetBehaviourFlags(), UIFLAG_WANTRETURN | UIFLAG_SETCURSOR);
    RECT link = row->GetLinkRect(4);
    EXPECT_GE(link.left, 100);
    EXPECT_LT(link.right, 220);

    Seen seen;
    h.pm.AddListener(&seen);
    h.Click((link.left + link.right) / 2, (link.top + link.bottom) / 2);
    EXPECT_EQ(seen.Count("link"), 1);
    EXPECT_EQ(seen.Last("link").first, WPARAM(4));
    h.pm.RemoveListener(&seen);

    // Plain rows keep no links; without a callback the row's own texts are drawn.
    list->SetCellTextSource(nullptr);
    row->SetText(1, "own");
    EXPECT_STREQ(row->GetText(1).GetData(), "own");
    s.Paint(list);
    EXPECT_EQ(row->GetLinkCount(), 0);
    EXPECT_EQ(row->GetBehaviourFlags(), UIFLAG_WANTRETURN);
}

namespace {

// Counts the cells a paint asks for, by row.
struct CellLog : IListTextCallback {
    std::vector<int> asked;  // per row
    CUIString GetItemText(CControlUI*, int row, int column) override {
        if (row >= 0 && row < (int)asked.size()) ++asked[size_t(row)];
        return CUIString(("r" + std::to_string(row) + "c" + std::to_string(column)).c_str());
    }
    // The rows asked for, as [first, last]; {-1, -1} for none, {-2, -2} when not contiguous
    // or not every column was asked once.
    std::pair<int, int> Span(int columns) const {
        int first = -1, last = -1;
        for (int r = 0; r < (int)asked.size(); ++r) {
            if (asked[size_t(r)] == 0) continue;
            if (asked[size_t(r)] != columns || (last >= 0 && r != last + 1)) return {-2, -2};
            if (first < 0) first = r;
            last = r;
        }
        return {first, last};
    }
};

}  // namespace

TEST(List, ScrollingALongListPaintsOnlyItsVisibleRowsWhereTheyAre) {
    constexpr int kRows = 2000;
    Host h(300, 200);
    CListUI* list = LoadList(h, ListXml("vscrollbar=\"true\"", Rows(kRows)));
    ASSERT_NE(list, nullptr);
    CellLog cells;
    list->SetCellTextSource(&cells);
    h.Layout();
    const int rh = RowHeight(h);
    const RECT band = list->GetList()->GetPos();
    auto paint = [&] {
        cells.asked.assign(kRows, 0);
        Surface s(300, 200);
        s.Paint(h.pm.GetRoot());
    };
    // Every row where the layout put it, scrolled by pos: the rows moved out of sight too.
    auto rowsInPlace = [&](int pos, int hidden = -1) {
        int y = band.top - pos;
        for (int i = 0; i < kRows; ++i) {
            if (i == hidden) continue;
            const RECT& rc = list->GetItemAt(i)->GetPos();
            if (rc.top != y || rc.bottom != y + rh) return i;
            y += rh;
        }
        return -1;
    };
    auto visible = [&](int pos, int skipped = 0) {
        const int first = pos / rh;
        const int last = (pos + int(band.bottom - band.top) - 1) / rh + skipped;
        return std::pair<int, int>{first, last};
    };

    paint();
    EXPECT_EQ(cells.Span(3), visible(0));

    struct Step {
        const char* name;
        void (CListUI::*scroll)();
    } steps[] = {
        {"page down", &CListUI::PageDown}, {"page down again", &CListUI::PageDown}, {"line down", &CListUI::LineDown},
        {"line up", &CListUI::LineUp},     {"to the bottom", &CListUI::ScrollToBottom}, {"page up", &CListUI::PageUp},
        {"to the top", &CListUI::ScrollToTop},
    };
    for (const Step& step : steps) {
        (list->*step.scroll)();
        const int pos = list->GetScrollPos().cy;
        EXPECT_EQ(rowsInPlace(pos), -1) << step.name << ": the first row out of place";
        paint();
        EXPECT_EQ(cells.Span(3), visible(pos)) << step.name;
    }
    list->SetScrollPos(SIZE{0, 100 * rh});
    ASSERT_EQ(list->GetScrollPos().cy, 100 * rh);

    // A row hidden since the last layout: the paint before the next layout still asks for
    // no row outside the band, and the layout closes the gap.
    auto paintedOutside = [&] {
        for (int r = 0; r < list->GetCount(); ++r) {
            if (cells.asked[size_t(r)] == 0) continue;
            const RECT& rc = list->GetItemAt(r)->GetPos();
            if (rc.bottom <= band.top || rc.top >= band.bottom) return r;
        }
        return -1;
    };
    list->GetItemAt(101)->SetVisible(false);
    paint();
    EXPECT_EQ(cells.asked[100], 3);
    EXPECT_EQ(cells.asked[101], 0);
    EXPECT_EQ(paintedOutside(), -1);
    h.Layout();
    EXPECT_EQ(rowsInPlace(list->GetScrollPos().cy, 101), -1);
    paint();
    EXPECT_EQ(cells.asked[101], 0);
    EXPECT_EQ(cells.asked[100], 3);
    EXPECT_EQ(cells.asked[size_t(visible(100 * rh, 1).second)], 3) << "one more row comes into the band";

    // Rows added and removed since the last layout: only rows inside the band are painted.
    list->RemoveAt(100);
    list->AddAt(new CListTextElementUI, 0);
    paint();
    EXPECT_EQ(paintedOutside(), -1);
    EXPECT_GT(cells.asked[102], 0);
}
