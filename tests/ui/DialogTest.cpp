// The skinned dialog toolkit: skin keys of a dialog, the factory, the XML layout, the
// skinned button (state choice, press sequences, radio groups, image quarters), the combo
// box, the edit, the progress bar, the skinned scroll bar, and a dialog from the shipped
// "DlgConfig.xml" as a picture.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "platform/App.h"
#include "platform/Input.h"
#include "platform/Services.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/DlgTemplate.h"
#include "ui/dialog/ScrollControlWnd.h"
#include "ui/dialog/SkinControls.h"
#include "ui/dialog/SkinScroll.h"

using grid_test::Canvas;
using grid_test::EnsurePlatform;

namespace {

std::string WriteConfig(const std::string& body) {
    auto path = std::filesystem::temp_directory_path() / ("dlgconfig_" + std::to_string(::getpid()) + ".xml");
    std::ofstream(path) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DlgConfig>\n" << body << "</DlgConfig>\n";
    return path.string();
}

// A dialog that names its element and may preset what the skin must not replace.
struct TestDlg : CDlgTemplate {
    std::string element;
    explicit TestDlg(std::string name) : element(std::move(name)) {}
    void LoadSkin() override { LoadSkinNode(element); }
};

// A window that records the commands its children send.
struct CommandHost : CWnd {
    std::vector<WPARAM> commands;
    std::vector<UINT> posted;
    CommandHost(int w = 300, int h = 200) {
        EnsurePlatform();
        CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, w, h), nullptr, 0);
    }
    ~CommandHost() override {
        if (m_hWnd) DestroyWindow();
    }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_COMMAND) {
            commands.push_back(wp);
            return 0;
        }
        if (msg == UM_COMBO_CHOSEN || msg == UM_EDIT_RETURN) posted.push_back(msg);
        return CWnd::WindowProc(msg, wp, lp);
    }
};

tinyxml2::XMLElement* Parse(tinyxml2::XMLDocument& doc, const std::string& xml) {
    doc.Parse(xml.c_str());
    return doc.RootElement();
}

}  // namespace

// ---------------------------------------------------------------- skin keys, factory

TEST(DlgTemplateSkin, KeyRules) {
    EnsurePlatform();
    ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(WriteConfig(
        "<Full text=\"标题\" width=\"300\" height=\"200\" titleAlign=\"LEFT\" colorbk=\"RGB(1,2,3)\""
        " colorborder=\"RGB(4,5,6)\" colorclose=\"\" titlebk=\"RGB(0,0,0)\"/>\n"
        "<Bad colorbk=\"RGB(9,8,7)\" colorbk2=\"RGB(5\" titleAlign=\"right\"/>\n")));
    struct Case {
        const char* element;
        std::string presetTitle;
        int presetWidth, presetHeight;
        std::string title;
        int width, height;
        bool left;
    } cases[] = {
        {"Full", "", 0, 0, "标题", 300, 200, true},
        {"Full", "自定", 0, 0, "自定", 300, 200, true},   // a title set before stays
        {"Full", "", 120, 0, "标题", 120, 200, true},     // a width set before stays
        {"Full", "", 0, 90, "标题", 300, 90, true},
        {"Bad", "", 0, 0, "", 0, 0, false},              // any other alignment centres
        {"Missing", "x", 0, 0, "x", 0, 0, false},
    };
    for (const Case& c : cases) {
        TestDlg dlg(c.element);
        dlg.m_strTitle = c.presetTitle;
        dlg.m_nWidth = c.presetWidth;
        dlg.m_nHeight = c.presetHeight;
        COLORREF closeBefore = dlg.m_clrClose;
        tinyxml2::XMLElement* e = dlg.LoadSkinNode(c.element);
        EXPECT_EQ(e != nullptr, std::string(c.element) != "Missing");
        EXPECT_EQ(dlg.m_strTitle, c.title) << c.element;
        EXPECT_EQ(dlg.m_nWidth, c.width) << c.element;
        EXPECT_EQ(dlg.m_nHeight, c.height) << c.element;
        EXPECT_EQ(dlg.IsTitleLeft(), c.left) << c.element;
        if (std::string(c.element) == "Full") {
            EXPECT_EQ(dlg.m_clrBk, RGB(1, 2, 3));
            EXPECT_EQ(dlg.m_clrBorder, RGB(4, 5, 6));
            EXPECT_EQ(dlg.m_clrClose, closeBefore);  // empty: unchanged
            EXPECT_EQ(dlg.m_clrTitleBk, 0u);          // all zero: no band fill
        }
        if (std::string(c.element) == "Bad") {
            // A colour that parses only in part keeps what the key before it left.
            EXPECT_EQ(dlg.m_clrBk2, RGB(5, 8, 7));
        }
    }
}

TEST(DlgTemplateSkin, WindowGeometryCloseAndDragStrip) {
    EnsurePlatform();
    ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(WriteConfig("<Geo width=\"300\" height=\"200\" text=\"t\"/>\n")));
    struct Dlg : TestDlg {
        Dlg() : TestDlg("Geo") {}
        LRESULT HitTest(CPoint) override { return HTBOTTOM; }
    } dlg;
    ASSERT_TRUE(dlg.Create(CDlgTemplate::kTemplateId, nullptr));
    dlg.ShowWindow(SW_SHOW);
    CRect rc;
    dlg.GetClientRect(&rc);
    EXPECT_EQ(rc.Width(), 300);
    EXPECT_EQ(dlg.m_rcClose, CRect(281, 8, 288, 15));
    dlg.SetWindowPos(nullptr, 0, 0, 400, 250, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(dlg.m_rcClose, CRect(381, 8, 388, 15));  // follows the right edge
    auto hit = [&](int x, int y) {
        CPoint p(x, y);
        dlg.ClientToScreen(&p);
        return dlg.OnNcHitTest(p);
    };
    EXPECT_EQ(hit(100, 29), HTCAPTION);
    EXPECT_EQ(hit(100, 31), HTBOTTOM);  // the strip is 30 pixels, the band 34
    EXPECT_EQ(hit(384, 11), HTCLIENT);   // the cross stays clickable
    dlg.DestroyWindow();
}

TEST(DlgTemplateSkin, CloseCrossCancelsOnlyOnReleaseInside) {
    EnsurePlatform();
    ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(WriteConfig("<C width=\"200\" height=\"100\"/>\n")));
    struct Dlg : TestDlg {
        int cancels = 0;
        Dlg() : TestDlg("C") {}
        void OnCancel() override { ++cancels; }
    } dlg;
    ASSERT_TRUE(dlg.Create(CDlgTemplate::kTemplateId, nullptr));
    dlg.ShowWindow(SW_SHOW);
    dlg.OnLButtonDown(0, CPoint(184, 11));
    dlg.OnLButtonUp(0, CPoint(100, 60));
    EXPECT_EQ(dlg.cancels, 0);
    dlg.OnLButtonDown(0, CPoint(100, 60));
    dlg.OnLButtonUp(0, CPoint(184, 11));
    EXPECT_EQ(dlg.cancels, 1);
    dlg.DestroyWindow();
}

namespace {
int g_created = 0;
CDlgTemplate* MakeFirst(CWnd* parent) {
    ++g_created;
    auto* d = new TestDlg("none");
    d->Create(CDlgTemplate::kTemplateId, parent);
    return d;
}
CDlgTemplate* MakeSecond(CWnd*) { return nullptr; }
}  // namespace

TEST(DlgFactoryTest, RegistersCreatesAndDestroys) {
    EnsurePlatform();
    DlgFactory f;
    EXPECT_TRUE(f.Register(77, MakeFirst));
    EXPECT_FALSE(f.Register(77, MakeSecond));  // the first creator stays
    EXPECT_EQ(f.CreateDlg(78, nullptr), nullptr);
    g_created = 0;
    auto dlg = f.CreateDlg(77, nullptr);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(g_created, 1);
    EXPECT_TRUE(dlg->m_hWnd != nullptr);
    int hidden = 0;
    f.ForEachDialog([&](CDlgTemplate* d) { hidden += d == dlg.get(); });
    EXPECT_EQ(hidden, 1);
    {
        // The factory's record alone does not keep a dialog alive.
        auto other = f.CreateDlg(77, nullptr);
        EXPECT_EQ(f.RecordCount(), 2u);
    }
    int alive = 0;
    f.ForEachDialog([&](CDlgTemplate*) { ++alive; });
    EXPECT_EQ(alive, 1);
    f.DestroyAll();
    EXPECT_EQ(f.RecordCount(), 0u);
    EXPECT_EQ(dlg->m_hWnd, nullptr);
}

TEST(DlgFactoryTest, MissingFileLeavesNoRootAndDefaults) {
    EnsurePlatform();
    DlgFactory f;
    EXPECT_FALSE(f.LoadDlgConfigFile("/nonexistent/DlgConfig.xml"));
    EXPECT_EQ(f.GetRoot(), nullptr);
    EXPECT_FALSE(f.LoadDlgConfigFile(WriteConfig("<Broken")));
}

// ---------------------------------------------------------------- layout

TEST(CtrlLayoutTest, KindsInFixedOrderAndLookups) {
    EnsurePlatform();
    tinyxml2::XMLDocument doc;
    auto* e = Parse(doc,
                    "<D><edit rect=\"10,10,80,20\" commandid=\"5\"/>"
                    "<button rect=\"0,0,40,20\" commandid=\"5\"/><static text=\"a\" staticID=\"3\" rect=\"1,2,30,10\"/>"
                    "<button rect=\"50,0,40,20\" commandid=\"IDCANCEL\"/><Progress rect=\"0,40,100,10\" commandid=\"9\"/></D>");
    CtrlLayout layout;
    layout.LoadFromXml(e);
    ASSERT_EQ(layout.m_statics.size(), 1u);
    EXPECT_EQ(layout.m_statics[0]->m_rect, CRect(1, 2, 31, 12));
    ASSERT_EQ(layout.m_controls.size(), 4u);
    EXPECT_NE(dynamic_cast<MyButton*>(layout.m_controls[0].get()), nullptr);
    EXPECT_NE(dynamic_cast<MyButton*>(layout.m_controls[1].get()), nullptr);
    EXPECT_NE(dynamic_cast<CMyEditCtrl*>(layout.m_controls[2].get()), nullptr);
    EXPECT_NE(dynamic_cast<CMyProgressCtrl*>(layout.m_controls[3].get()), nullptr);
    EXPECT_EQ(layout.GetControl(5), layout.m_controls[0]);  // the first of two with id 5
    EXPECT_EQ(static_cast<MyButton*>(layout.GetControl(IDCANCEL).get()), layout.m_controls[1].get());
    EXPECT_EQ(layout.GetControl(9), layout.m_controls[3]);
    EXPECT_EQ(layout.GetControl(42), nullptr);
    EXPECT_EQ(layout.GetStatic(3), layout.m_statics[0]);
    EXPECT_EQ(layout.GetStatic(4), nullptr);

    CommandHost host;
    layout.CreateControls(&host);
    for (auto& c : layout.m_controls) EXPECT_TRUE(c->m_hWnd != nullptr);
    EXPECT_EQ(layout.m_controls[0]->GetDlgCtrlID(), 5u);
    EXPECT_GE(int(layout.m_controls[3]->GetDlgCtrlID()), 1000);  // from the shared counter
    layout.DestroyControls();
    for (auto& c : layout.m_controls) EXPECT_EQ(c->m_hWnd, nullptr);
}

TEST(CtrlLayoutTest, RichEditsGetScrollFramesAtTheEnd) {
    EnsurePlatform();
    tinyxml2::XMLDocument doc;
    auto* e = Parse(doc,
                    "<D><RichEdit rect=\"0,0,100,60\" commandid=\"7\"/><RichEdit rect=\"0,70,100,60\"/>"
                    "<button rect=\"0,140,40,20\"/></D>");
    CommandHost host(200, 200);
    CtrlLayout layout;
    layout.LoadFromXml(e);
    layout.CreateControls(&host);
    ASSERT_EQ(layout.m_controls.size(), 5u);
    EXPECT_NE(dynamic_cast<CSkinScrollWnd*>(layout.m_controls[3].get()), nullptr);
    EXPECT_NE(dynamic_cast<CSkinScrollWnd*>(layout.m_controls[4].get()), nullptr);
    EXPECT_TRUE(static_cast<MyRichEditCtrl*>(layout.m_controls[1].get())->m_bFramed);
    EXPECT_EQ(layout.GetControl(7), layout.m_controls[1]);
}

// ---------------------------------------------------------------- button

TEST(MyButtonTest, StateChoice) {
    EnsurePlatform();
    struct Case {
        bool enabled;
        int checked, pressed, hover;
        unsigned look;
        int state;
    } cases[] = {
        {false, 1, 1, 1, 3, MyButton::kDisabled},
        {true, 1, 1, 1, 3, MyButton::kChecked},
        {true, 0, 1, 1, 3, MyButton::kPressed},
        {true, 0, 1, 1, 2, MyButton::kHover},  // no pressed look
        {true, 0, 0, 1, 2, MyButton::kHover},
        {true, 0, 0, 1, 1, MyButton::kNormal},  // no hover look
        {true, 0, 0, 0, 3, MyButton::kNormal},
    };
    CommandHost host;
    for (const Case& c : cases) {
        MyButton b;
        ASSERT_TRUE(b.Create("", 0, CRect(0, 0, 20, 20), &host, 1));
        b.EnableWindow(c.enabled);
        b.m_nChecked = c.checked;
        b.m_bPressed = c.pressed;
        b.m_bHover = c.hover;
        b.m_nLook = c.look;
        EXPECT_EQ(b.ChooseState(), c.state);
    }
}

TEST(MyButtonTest, PressSequences) {
    EnsurePlatform();
    struct Case {
        const char* name;
        std::vector<std::tuple<UINT, int, int>> events;  // message, x, y in button coordinates
        size_t commands;
    } cases[] = {
        {"click", {{WM_LBUTTONDOWN, 5, 5}, {WM_LBUTTONUP, 6, 6}}, 1},
        {"drag off", {{WM_LBUTTONDOWN, 5, 5}, {WM_MOUSEMOVE, 90, 90}, {WM_LBUTTONUP, 90, 90}}, 0},
        {"drag off and back", {{WM_LBUTTONDOWN, 5, 5}, {WM_MOUSEMOVE, 90, 90}, {WM_LBUTTONUP, 10, 10}}, 1},
    };
    for (const Case& c : cases) {
        CommandHost host;
        MyButton b;
        b.m_nCommandId = 31;
        b.m_nLook = MyButton::kLookPressed;
        ASSERT_TRUE(b.Create("", 0, CRect(10, 10, 50, 40), &host, 31));
        for (auto [msg, x, y] : c.events) platform::InjectMouse(&b, msg, x, y);
        platform::ProcessPendingEvents();
        EXPECT_EQ(host.commands.size(), c.commands) << c.name;
        EXPECT_EQ(b.m_bPressed, 0) << c.name;  // never stuck pressed
        EXPECT_EQ(b.ChooseState(), MyButton::kNormal) << c.name;
        if (c.commands) EXPECT_EQ(LOWORD(host.commands[0]), 31) << c.name;
    }
    // A release over the button after a press elsewhere is no click.
    CommandHost host;
    MyButton b;
    ASSERT_TRUE(b.Create("", 0, CRect(10, 10, 50, 40), &host, 31));
    platform::InjectMouse(&host, WM_LBUTTONDOWN, 150, 150);
    b.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(host.commands.empty());
}

TEST(MyButtonTest, RadioGroupsAndChecks) {
    EnsurePlatform();
    CommandHost host;
    MyButton r1, r2, r3, chk, other;
    r1.m_nType = r2.m_nType = r3.m_nType = MyButton::kRadio;
    chk.m_nType = MyButton::kCheck;
    r1.m_bGroup = 1;
    other.m_nType = MyButton::kRadio;
    other.m_bGroup = 1;  // a group of its own
    r1.m_nCommandId = 1, r2.m_nCommandId = 2, r3.m_nCommandId = 3, chk.m_nCommandId = 4, other.m_nCommandId = 5;
    int x = 0;
    for (MyButton* b : {&r1, &r2, &chk, &r3, &other}) {
        ASSERT_TRUE(b->Create("", 0, CRect(x, 0, x + 20, 20), &host, UINT(b->m_nCommandId)));
        x += 30;
    }
    r1.m_nChecked = 1;
    chk.m_nChecked = 1;
    other.m_nChecked = 1;
    platform::InjectMouse(&r2, WM_LBUTTONDOWN, 5, 5);
    platform::InjectMouse(&r2, WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(r1.m_nChecked, 0);
    EXPECT_EQ(r2.m_nChecked, 1);
    EXPECT_EQ(chk.m_nChecked, 1);    // check buttons of the group are left alone
    EXPECT_EQ(other.m_nChecked, 1);  // another group is untouched
    ASSERT_FALSE(host.commands.empty());
    EXPECT_EQ(host.commands.back(), MAKEWPARAM(2, 1));  // the new state travels with it
    platform::InjectMouse(&chk, WM_LBUTTONDOWN, 5, 5);
    platform::InjectMouse(&chk, WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(chk.m_nChecked, 0);
    EXPECT_EQ(host.commands.back(), MAKEWPARAM(4, 0));
    EXPECT_EQ(chk.SendMessage(BM_GETCHECK), 0);
}

TEST(MyButtonTest, ImageStripQuarters) {
    EnsurePlatform();
    CommandHost host;
    struct Case {
        bool enabled;
        int checked, pressed, hover;
        COLORREF colour;
    } cases[] = {
        {true, 0, 0, 0, RGB(255, 0, 0)},   // normal: quarter 0
        {true, 0, 0, 1, RGB(255, 0, 0)},   // hover draws quarter 0 too
        {true, 0, 1, 0, RGB(0, 255, 0)},   // pressed: quarter 1
        {true, 1, 1, 1, RGB(0, 0, 255)},   // checked wins over hover and pressed: quarter 2
        {false, 1, 0, 0, RGB(255, 255, 0)},  // disabled: quarter 3
    };
    for (const Case& c : cases) {
        MyButton b;
        b.m_nDrawType = MyButton::kDrawImage;
        b.m_nLook = MyButton::kLookPressed | MyButton::kLookHover;
        ASSERT_TRUE(b.LoadImageStrip(225));
        ASSERT_TRUE(b.Create("", 0, CRect(0, 0, 16, 16), &host, 9));
        b.EnableWindow(c.enabled);
        b.m_nChecked = c.checked;
        b.m_bPressed = c.pressed;
        b.m_bHover = c.hover;
        Canvas canvas(16, 16);
        b.DrawButton(&canvas.dc);
        EXPECT_EQ(canvas.Pixel(8, 8), c.colour);
    }
    MyButton missing;
    missing.m_nDrawType = MyButton::kDrawImage;
    EXPECT_FALSE(missing.LoadImageStrip(9999));
    missing.m_bErase = 1;
    missing.m_clrErase = RGB(1, 2, 3);
    ASSERT_TRUE(missing.Create("", 0, CRect(0, 0, 16, 16), &host, 9));
    Canvas canvas(16, 16);
    missing.DrawButton(&canvas.dc);
    EXPECT_EQ(canvas.Pixel(8, 8), RGB(1, 2, 3));  // only the erase fill
}

TEST(MyButtonTest, ColourKeysRepeatTheLastColour) {
    tinyxml2::XMLDocument doc;
    auto* e = Parse(doc,
                    "<button drawtype=\"color\" colornormal=\"RGB(10,20,30)\" colornormaltext=\"RGB(1,1,1)\""
                    " colorHover=\"RGB(40,50,60)\" colordisable=\"RGB(7,7,7)\" colordisabletext=\"RGB(8,8,8)\""
                    " type=\"radio\" group=\"true\" commandid=\"IDOK\" BtnText=\"确定\"/>");
    MyButton b;
    b.LoadFromXml(e);
    ASSERT_EQ(b.m_colors.size(), 3u);
    EXPECT_EQ(b.m_colors[1].text, RGB(40, 50, 60));  // no hover text: the hover background
    EXPECT_EQ(b.m_clrErase, RGB(8, 8, 8));           // no "clrBK": the last colour parsed
    EXPECT_EQ(b.m_nType, MyButton::kRadio);
    EXPECT_EQ(b.m_bGroup, 1);
    EXPECT_EQ(b.m_nCommandId, IDOK);
    EXPECT_EQ(b.m_strText, "确定");
}

// ---------------------------------------------------------------- combo box

namespace {
const char* kCombo =
    "<combobox rect=\"10,10,100,24\" commandid=\"12\" comboBK=\"RGB(255,255,255)\">"
    "<combolist rect=\"0,0,100,%d\"><GridUI lineheight=\"20\" columnsize=\"1\"/></combolist></combobox>";

std::unique_ptr<MyComboBox> MakeCombo(CWnd* parent, int listHeight, int items) {
    char xml[512];
    std::snprintf(xml, sizeof xml, kCombo, listHeight);
    tinyxml2::XMLDocument doc;
    doc.Parse(xml);
    auto combo = std::make_unique<MyComboBox>();
    combo->LoadFromXml(doc.RootElement());
    combo->m_list.m_grid.AddTitle("", 100);
    combo->CreateCombo(parent);
    for (int i = 0; i < items; ++i) combo->AddItem("item" + std::to_string(i));
    return combo;
}
}  // namespace

TEST(MyComboBoxTest, DropHeight) {
    EnsurePlatform();
    CommandHost host;
    struct Case {
        int listHeight, items, height;
    } cases[] = {{100, 3, 62}, {100, 10, 100}, {100, 0, 0}, {0, 5, 0}};  // rows + 2 border pixels
    for (const Case& c : cases) {
        auto combo = MakeCombo(&host, c.listHeight, c.items);
        EXPECT_EQ(combo->DropHeight(), c.height) << c.listHeight << "/" << c.items;
        ASSERT_TRUE(combo->m_hWnd && combo->m_list.m_hWnd);
        combo->ToggleDropDown();
        EXPECT_EQ(bool(combo->IsDroppedDown()), c.height > 0);
        combo->ToggleDropDown();  // a second click closes it
        EXPECT_FALSE(combo->IsDroppedDown());
    }
}

TEST(MyComboBoxTest, HoverHighlightsClickChooses) {
    EnsurePlatform();
    CommandHost host;
    auto combo = MakeCombo(&host, 100, 3);
    combo->SetCurSel(0);
    combo->ToggleDropDown();
    ASSERT_TRUE(combo->IsDroppedDown());
    MyComboList& list = combo->m_list;
    CRect rc;
    list.GetClientRect(&rc);
    EXPECT_EQ(rc.Height(), 62);
    EXPECT_EQ(list.m_grid.m_nPageRows, 3);  // every row fits
    platform::InjectMouse(&list, WM_MOUSEMOVE, 50, 31);  // over row 1
    EXPECT_EQ(list.m_grid.m_nSelectedRow, 1);
    EXPECT_EQ(combo->GetCurSel(), 0);  // hovering only highlights
    platform::InjectMouse(&list, WM_LBUTTONDOWN, 50, 51);
    platform::InjectMouse(&list, WM_LBUTTONUP, 50, 51);  // row 2
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetCurText(), "item2");
    EXPECT_FALSE(combo->IsDroppedDown());
    platform::PumpUntil([&] { return !host.posted.empty(); }, 2000);
    ASSERT_EQ(host.posted.size(), 1u);
    EXPECT_EQ(host.posted[0], UM_COMBO_CHOSEN);

    // A release over no row keeps the item and posts nothing.
    combo->ToggleDropDown();
    list.m_grid.m_nSelectedRow = -1;
    list.OnLButtonUp(0, CPoint(50, 200));
    EXPECT_EQ(combo->GetCurSel(), 2);
    platform::ProcessPendingEvents();
    EXPECT_EQ(host.posted.size(), 1u);
    combo->SetCurSel(7);
    EXPECT_EQ(combo->GetCurText(), "");
}

// ---------------------------------------------------------------- edit, progress

TEST(MyEditTest, ReturnAndEscape) {
    EnsurePlatform();
    struct Dlg : CDlgTemplate {
        int cancels = 0;
        void OnCancel() override { ++cancels; }
    } dlg;
    ASSERT_TRUE(dlg.Create(CDlgTemplate::kTemplateId, nullptr));
    dlg.ShowWindow(SW_SHOW);
    tinyxml2::XMLDocument doc;
    auto* e = Parse(doc, "<edit rect=\"10,40,100,24\" hasborder=\"TRUE\" TranslateReturn=\"1\" commandid=\"100\"/>");
    CMyEditCtrl edit;
    edit.LoadFromXml(e);
    EXPECT_TRUE(edit.m_bHasBorder);
    EXPECT_TRUE(edit.m_bTranslateReturn);
    ASSERT_TRUE(edit.CreateEdit(&dlg));
    EXPECT_EQ(edit.GetDlgCtrlID(), 100u);
    EXPECT_EQ(edit.m_nLeftInset, 2);
    EXPECT_EQ(edit.m_nVertInset, 2);
    bool returned = false;
    struct Watch {
        bool* flag;
    };
    int cookie = dlg.SubclassWindowProc([&](UINT m, WPARAM w, LPARAM l, const CWnd::WndProcPrevious& prev) {
        if (m == UM_EDIT_RETURN) returned = true;
        return prev(m, w, l);
    });
    edit.SetFocus();
    platform::InjectKey(VK_ESCAPE, "", 0, false, &edit);
    platform::ProcessPendingEvents();
    EXPECT_EQ(dlg.cancels, 0);  // Escape never closes the dialog
    edit.SetFocus();
    platform::InjectKey(VK_RETURN, "\r", 0, false, &edit);
    platform::PumpUntil([&] { return returned; }, 2000);
    EXPECT_TRUE(returned);
    EXPECT_EQ(edit.GetWindowText().find('\n'), std::string::npos);  // consumed, not typed
    dlg.RestoreWindowProc(cookie);

    CMyEditCtrl plain;  // no "hasborder": no insets, even with an icon id
    tinyxml2::XMLDocument doc2;
    plain.LoadFromXml(Parse(doc2, "<edit rect=\"10,80,100,24\" icondid=\"225\"/>"));
    ASSERT_TRUE(plain.CreateEdit(&dlg));
    EXPECT_EQ(plain.m_nLeftInset, 0);
    dlg.DestroyWindow();
}

TEST(MyProgressTest, BarGeometry) {
    struct Case {
        int width, height, minimum, maximum, position;
        CRect bar;
    } cases[] = {
        {104, 20, 0, 100, 100, CRect(2, 2, 100, 18)},  // full: width - 4
        {104, 20, 0, 100, 50, CRect(2, 2, 50, 18)},
        {104, 20, 10, 20, 15, CRect(2, 2, 50, 18)},
        {104, 20, 5, 5, 5, CRect(0, 0, 0, 0)},        // no range: no bar, no division by zero
        {104, 20, 0, 100, 1, CRect(0, 0, 0, 0)},       // not past x = 2: no bar
    };
    for (const Case& c : cases)
        EXPECT_EQ(CMyProgressCtrl::BarRect(c.width, c.height, c.minimum, c.maximum, c.position), c.bar)
            << c.minimum << ".." << c.maximum << " @" << c.position;
}

// ---------------------------------------------------------------- scroll bar

TEST(SkinScrollBarTest, ThumbGeometryAndDragClamp) {
    EnsurePlatform();
    CommandHost host;
    CSkinScrollBar bar;
    ASSERT_TRUE(bar.Create(SBS_VERT | WS_VISIBLE, CRect(0, 0, 19, 200), &host, 101));
    EXPECT_EQ(bar.m_nLength, 200);
    struct Case {
        int minimum, maximum;
        UINT page;
        int position;
        int thumb, offset;
    } cases[] = {
        {0, 99, 50, 0, 100, 0},
        {0, 99, 50, 50, 100, 100},
        {0, 999, 10, 0, 6, 0},  // never below 6 pixels
        {10, 109, 50, 60, 100, 100},
        {0, 9, 10, 0, 200, 0},
    };
    for (const Case& c : cases) {
        SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, c.minimum, c.maximum, c.page, c.position, 0};
        bar.SetScrollInfo(&si, TRUE);
        EXPECT_EQ(bar.ThumbLength(), c.thumb) << c.maximum;
        EXPECT_EQ(bar.ThumbOffset(), c.offset) << c.maximum;
    }
    // A drag far past the end stops at the largest position, minimum + range.
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 10, 109, 50, 10, 0};
    bar.SetScrollInfo(&si, TRUE);
    bar.m_nDragStartPos = 10;
    EXPECT_EQ(bar.DragPosition(1000), 60);
    EXPECT_EQ(bar.DragPosition(-1000), 10);
    EXPECT_EQ(bar.DragPosition(50), 35);
    EXPECT_EQ(bar.HitTest(CPoint(9, 10)), SB_THUMBTRACK);
    EXPECT_EQ(bar.HitTest(CPoint(9, 150)), SB_PAGEDOWN);
    EXPECT_EQ(bar.HitTest(CPoint(40, 150)), -1);

    platform::InjectMouse(&bar, WM_LBUTTONDOWN, 9, 10);
    platform::InjectMouse(&bar, WM_MOUSEMOVE, 9, 500);
    platform::InjectMouse(&bar, WM_LBUTTONUP, 9, 500);
    EXPECT_EQ(bar.m_si.nTrackPos, -1);
    EXPECT_FALSE(bar.m_bDragging);
    EXPECT_EQ(bar.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(9, 10)), 1);
}

// ---------------------------------------------------------------- picture

TEST(DialogPicture, SampleFromShippedConfig) {
    EnsurePlatform();
    ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_SOURCE_DIR) + "/resources/DlgConfig.xml"));
    static const char* const names[] = {"DlgLogin", "DlgDownload", "NetHost", "ConfigHost", "DlgAbout",
                                        "editGridDlg", "DlgTrainingBS", "DlgSelStockTip", "DlgSetPeriod",
                                        "FormulaEdit", "FormulaParam", "forbidPeriod", "insertfunc",
                                        "mostUsedInd", "picLineSetting", "texttool", "valuebar"};
    for (const char* n : names) EXPECT_NE(GetDlgFactory()->GetRoot()->FirstChildElement(n), nullptr) << n;
    TestDlg dlg("DlgSample");
    ASSERT_TRUE(dlg.Create(CDlgTemplate::kTemplateId, nullptr));
    dlg.ShowWindow(SW_SHOW);
    ASSERT_GE(dlg.m_pLayout->m_controls.size(), 6u);
    if (auto combo = std::dynamic_pointer_cast<MyComboBox>(dlg.m_pLayout->GetControl(20))) {
        combo->AddItem("日线");
        combo->AddItem("周线");
        combo->SetCurSel(0);
    }
    if (auto p = std::dynamic_pointer_cast<CMyProgressCtrl>(dlg.m_pLayout->GetControl(40))) {
        p->m_nMax = 100;
        p->m_nPos = 60;
    }
    dlg.Invalidate();
    dlg.UpdateWindow();
    platform::ProcessPendingEvents();
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&dlg, shot));
    shot.SavePng("dialog_sample.png");
    CSize size = shot.GetSize();
    EXPECT_GT(size.cx, 0);
    // Background and border from the skin.
    EXPECT_EQ(shot.GetPixel(size.cx / 2, size.cy - 5), dlg.m_clrBk);
    EXPECT_EQ(shot.GetPixel(0, size.cy / 2), dlg.m_clrBorder);
    dlg.DestroyWindow();
}

TEST(SkinScrollWndTest, MirrorsTheControlAndScrollsIt) {
    EnsurePlatform();
    tinyxml2::XMLDocument doc;
    auto* e = Parse(doc, "<D><RichEdit rect=\"10,10,200,80\" richEditbk=\"RGB(20,22,28)\" commandid=\"7\"/></D>");
    CommandHost host(300, 200);
    CtrlLayout layout;
    layout.LoadFromXml(e);
    layout.CreateControls(&host);
    ASSERT_EQ(layout.m_controls.size(), 2u);
    auto* rich = static_cast<MyRichEditCtrl*>(layout.m_controls[0].get());
    auto* frame = static_cast<CSkinScrollWnd*>(layout.m_controls[1].get());
    CRect rc;
    frame->GetWindowRect(&rc);
    host.ScreenToClient(&rc);
    EXPECT_EQ(rc, CRect(10, 10, 210, 90));  // in the control's place
    EXPECT_EQ(rich->GetParent(), &frame->m_wndLimit);
    CRect limit;
    frame->m_wndLimit.GetClientRect(&limit);
    EXPECT_EQ(limit.Width(), 200 - 19);  // the control's own bar lies past the edge
    platform::ProcessPendingEvents();
    EXPECT_FALSE(frame->m_sbVert.IsWindowVisible());  // short text: no bar
    std::string text;
    for (int i = 0; i < 60; ++i) text += "line " + std::to_string(i) + "\n";
    rich->SetWindowText(text);
    rich->Invalidate();
    rich->UpdateWindow();
    platform::PumpUntil([&] { return bool(frame->m_sbVert.IsWindowVisible()); }, 2000);
    frame->Mirror();
    ASSERT_TRUE(frame->m_sbVert.IsWindowVisible());
    SCROLLINFO before{sizeof(SCROLLINFO), SIF_ALL};
    rich->GetScrollInfo(SB_VERT, &before, SIF_ALL);
    EXPECT_EQ(frame->m_sbVert.m_si.nMax, before.nMax);
    frame->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), (LPARAM)frame->m_sbVert.m_hWnd);
    SCROLLINFO after{sizeof(SCROLLINFO), SIF_ALL};
    rich->GetScrollInfo(SB_VERT, &after, SIF_ALL);
    EXPECT_GT(after.nPos, before.nPos);                 // the control scrolled
    EXPECT_EQ(frame->m_sbVert.m_si.nPos, after.nPos);  // and the bar follows
    // The corner square and a hidden bar's place take the skin's background, not white.
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(frame, shot));
    EXPECT_NE(shot.GetPixel(shot.GetSize().cx - 2, 2), RGB(255, 255, 255));
}

TEST(SkinScrollBarTest, PageRepeatStopsUnderTheCursorPart) {
    EnsurePlatform();
    CommandHost host;
    CSkinScrollBar bar;
    ASSERT_TRUE(bar.Create(SBS_VERT | WS_VISIBLE, CRect(0, 0, 19, 200), &host, 101));
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 50, 0, 0};
    bar.SetScrollInfo(&si, TRUE);
    platform::InjectMouse(&bar, WM_LBUTTONDOWN, 9, 150);  // page-down part
    EXPECT_EQ(bar.m_nPressedPart, SB_PAGEDOWN);
    // After the first delay the 100 ms repeat takes over.
    bar.SendMessage(WM_TIMER, CSkinScrollBar::kTimerDelay, 0);
    EXPECT_TRUE(bar.m_bRepeating);
    platform::InjectMouse(&bar, WM_MOUSEMOVE, 60, 150);  // off the pressed part: pauses
    EXPECT_TRUE(bar.m_bOutside);
    platform::InjectMouse(&bar, WM_MOUSEMOVE, 9, 150);
    EXPECT_FALSE(bar.m_bOutside);
    platform::InjectMouse(&bar, WM_LBUTTONUP, 9, 150);
    EXPECT_EQ(bar.m_nPressedPart, -1);
    EXPECT_FALSE(bar.m_bRepeating);
}

// Every dialog finds, in its element of the shipped layouts, the controls it looks up by id.
TEST(ShippedDlgConfig, DialogsFindTheControlsTheyLookUp) {
    EnsurePlatform();
    ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_SOURCE_DIR) + "/resources/DlgConfig.xml"));
    enum Kind { Edit, Rich, Push, Check, Radio, Progress, Combo };
    struct Need {
        const char* dialog;
        std::vector<std::pair<int, Kind>> controls;
        std::vector<int> statics;
        bool grid;
    } needs[] = {
        {"DlgLogin", {{100, Edit}, {101, Edit}, {102, Check}, {103, Push}, {104, Push}}, {}, false},
        {"DlgDownload", {{101, Progress}}, {1}, false},
        {"FormulaEdit",
         {{100, Rich}, {110, Rich}, {109, Edit}, {103, Push}, {104, Push}, {105, Push}, {106, Push},
          {107, Check}, {108, Push}, {IDOK, Push}},
         {1},
         false},
        {"FormulaParam", {{IDOK, Push}, {IDCANCEL, Push}}, {}, true},
        {"DlgTrainingBS",
         {{100, Radio}, {101, Radio}, {102, Radio}, {103, Radio}, {104, Radio}, {105, Radio}, {111, Edit},
          {112, Edit}, {IDOK, Push}},
         {},
         false},
        {"NetHost", {{100, Push}, {IDOK, Push}}, {}, true},
        {"ConfigHost",
         {{100, Edit}, {101, Edit}, {102, Edit}, {103, Edit}, {104, Edit}, {105, Edit}, {106, Edit},
          {107, Check}, {108, Radio}, {109, Radio}, {110, Radio}, {IDOK, Push}},
         {2, 10},
         true},
        {"picLineSetting",
         {{100, Radio}, {101, Radio}, {102, Radio}, {103, Radio}, {104, Radio}, {105, Radio}, {106, Radio},
          {107, Radio}, {108, Radio}, {109, Radio}, {110, Check}, {111, Check}, {112, Check}, {IDOK, Push}},
         {},
         false},
        {"texttool", {{100, Push}, {101, Push}, {102, Push}, {103, Push}, {104, Rich}, {105, Combo}, {IDOK, Push}}, {}, false},
    };
    for (const Need& n : needs) {
        const tinyxml2::XMLElement* node = GetDlgFactory()->GetRoot()->FirstChildElement(n.dialog);
        ASSERT_NE(node, nullptr) << n.dialog;
        CtrlLayout layout;
        layout.LoadFromXml(node);
        for (auto [id, kind] : n.controls) {
            std::shared_ptr<CWnd> c = layout.GetControl(id);
            ASSERT_NE(c, nullptr) << n.dialog << " " << id;
            auto* button = dynamic_cast<MyButton*>(c.get());
            switch (kind) {
                case Edit: EXPECT_NE(dynamic_cast<CMyEditCtrl*>(c.get()), nullptr) << n.dialog << " " << id; break;
                case Rich: EXPECT_NE(dynamic_cast<MyRichEditCtrl*>(c.get()), nullptr) << n.dialog << " " << id; break;
                case Combo: EXPECT_NE(dynamic_cast<MyComboBox*>(c.get()), nullptr) << n.dialog << " " << id; break;
                case Progress:
                    EXPECT_NE(dynamic_cast<CMyProgressCtrl*>(c.get()), nullptr) << n.dialog << " " << id;
                    break;
                case Push:
                case Check:
                case Radio:
                    ASSERT_NE(button, nullptr) << n.dialog << " " << id;
                    EXPECT_EQ(button->m_nType, kind == Push    ? MyButton::kPush
                                               : kind == Check ? MyButton::kCheck
                                                               : MyButton::kRadio)
                        << n.dialog << " " << id;
                    break;
            }
        }
        for (int id : n.statics) EXPECT_NE(layout.GetStatic(id), nullptr) << n.dialog << " static " << id;
        EXPECT_EQ(node->FirstChildElement("Grid") != nullptr, n.grid) << n.dialog;
    }
    // The function dialog's two grids and description box.
    const tinyxml2::XMLElement* insert = GetDlgFactory()->GetRoot()->FirstChildElement("insertfunc");
    ASSERT_NE(insert, nullptr);
    ASSERT_NE(insert->FirstChildElement("Grid"), nullptr);
    EXPECT_NE(insert->FirstChildElement("Grid")->NextSiblingElement("Grid"), nullptr);
    {
        CtrlLayout layout;
        layout.LoadFromXml(insert);
        EXPECT_NE(dynamic_cast<MyRichEditCtrl*>(layout.GetControl(101).get()), nullptr);
    }
    // The most-used indicators dialog builds its two strips from these children.
    const tinyxml2::XMLElement* most = GetDlgFactory()->GetRoot()->FirstChildElement("mostUsedInd");
    ASSERT_NE(most, nullptr);
    for (const char* child : {"IndGroup", "mostUsedIndResult"}) {
        CScrollControlWnd strip;
        strip.LoadSkin(most->FirstChildElement(child));
        EXPECT_FALSE(strip.m_rcPlace.IsRectEmpty()) << child;
        EXPECT_GT(strip.m_scroll.m_nColumnCount, 0) << child;
        EXPECT_GT(strip.m_scroll.m_nLineHeight, 0) << child;
    }
    // The value panel reads its close-box colour under its own key.
    const tinyxml2::XMLElement* valuebar = GetDlgFactory()->GetRoot()->FirstChildElement("valuebar");
    ASSERT_NE(valuebar, nullptr);
    for (const char* key : {"colorbk", "colorborder", "colorClose", "text"})
        EXPECT_NE(valuebar->Attribute(key), nullptr) << key;
}
