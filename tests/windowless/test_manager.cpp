// The paint manager: archives and images, timers, groups, focus, and the events it
// makes out of window messages.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "WinlessHost.h"
#include "ZipFixture.h"
#include "common/ScratchDir.h"
#include "platform/Services.h"
#include "platform/ToolTip.h"
#include "windowless/Button.h"
#include "windowless/Container.h"
#include "windowless/Render.h"

using namespace WinlessUI;
using wltest::Host;

namespace {

// A control that logs the events it gets.
class Probe : public CControlUI {
public:
    std::vector<int>* log = nullptr;
    UINT flags = 0;
    UINT GetBehaviourFlags() const override { return flags; }
    void HandleEvent(UIEvent& e) override {
        if (log) log->push_back(e.Type * 100 + int(e.wParam & 0xFF));
        CControlUI::HandleEvent(e);
    }
};

std::string Bmp(int w, int h, const std::vector<uint32_t>& argbTopDown) {
    std::string s = "BM";
    int stride = w * 4;
    ziptest::Put32(s, 54 + stride * h);
    ziptest::Put32(s, 0);
    ziptest::Put32(s, 54);
    ziptest::Put32(s, 40);
    ziptest::Put32(s, w);
    ziptest::Put32(s, h);
    ziptest::Put16(s, 1);
    ziptest::Put16(s, 32);
    ziptest::Put32(s, 0);
    ziptest::Put32(s, stride * h);
    ziptest::Put32(s, 2835);
    ziptest::Put32(s, 2835);
    ziptest::Put32(s, 0);
    ziptest::Put32(s, 0);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) ziptest::Put32(s, argbTopDown[size_t(y) * w + x]);
    return s;
}

}  // namespace

TEST(PaintManager, SharedArchiveIsSetOnceAndReadByName) {
    CUIPaintManager::ResetSharedArchiveForTests();
    static std::string first = ziptest::Build({{"Skin/a.txt", "first"}});
    static std::string second = ziptest::Build({{"Skin/a.txt", "second"}});
    CUIPaintManager::UseArchiveInMemory((const unsigned char*)first.data(), (unsigned)first.size());
    CUIPaintManager::UseArchiveInMemory((const unsigned char*)second.data(), (unsigned)second.size());
    std::string out;
    ASSERT_TRUE(CUIPaintManager::ReadResourceFile("skin\\A.TXT", nullptr, &out));
    EXPECT_EQ(out, "first");
    ASSERT_TRUE(CUIPaintManager::ReadResourceFile("Skin/a.txt", nullptr, &out));  // again, whole
    EXPECT_EQ(out, "first");
    EXPECT_FALSE(CUIPaintManager::ReadResourceFile("Skin/none", nullptr, &out));
    CUIPaintManager::ResetSharedArchiveForTests();
}

TEST(PaintManager, ImagesMaskAndPremultiply) {
    CUIPaintManager::ResetSharedArchiveForTests();
    // magenta (the mask), half-transparent red, opaque blue
    static std::string zip = ziptest::Build({{"m.bmp", ziptest::Png(3, 1, {0xFFFF00FF, 0x80FF0000, 0xFF0000FF})}});
    CUIPaintManager::UseArchiveInMemory((const unsigned char*)zip.data(), (unsigned)zip.size());
    CUIPaintManager pm;
    const TImageInfo* info = pm.GetOrLoadImage("M.BMP", nullptr, 0xFFFF00FF);
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->alphaChannel);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap target;
    target.CreateBitmap(3, 1, 1, 32, nullptr);
    CBitmap* old = dc.SelectObject(&target);
    RECT rc{0, 0, 3, 1};
    dc.FillSolidRect(&rc, RGB(255, 255, 255));
    CRenderEngine::DrawImage(&dc, info->hBitmap.get(), rc, rc, rc, RECT{0, 0, 0, 0}, true);
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(255, 255, 255));  // masked: transparent
    EXPECT_EQ(dc.GetPixel(2, 0), RGB(0, 0, 255));
    COLORREF half = dc.GetPixel(1, 0);
    EXPECT_NEAR(GetRValue(half), 255, 2);
    EXPECT_NEAR(GetGValue(half), 127, 3);
    dc.SelectObject(old);
    EXPECT_EQ(pm.AddImage("letters", "PNG", 0), nullptr);  // a typed name must be a number
    EXPECT_EQ(pm.AddImage("M.BMP", nullptr, 0), nullptr);  // already there
    CUIPaintManager::ResetSharedArchiveForTests();
}

TEST(PaintManager, TimerIdsWrapAndKilledTimersGo) {
    Host host;
    Probe p;
    p.BindManager(&host.pm, nullptr, false);
    EXPECT_TRUE(host.pm.SetControlTimer(&p, 1, 1000));
    EXPECT_EQ(host.pm.GetNativeTimerId(&p, 1), 17);  // (4096 + 1) mod 240
    EXPECT_TRUE(host.pm.SetControlTimer(&p, 2, 1000));
    EXPECT_EQ(host.pm.GetNativeTimerId(&p, 2), 18);
    EXPECT_FALSE(host.pm.SetControlTimer(&p, 1, 1000));  // live already
    EXPECT_TRUE(host.pm.KillControlTimer(&p, 1));
    EXPECT_EQ(host.pm.GetTimerRecordCount(), 1);  // the killed record is gone
    EXPECT_TRUE(host.pm.SetControlTimer(&p, 1, 1000));
    EXPECT_EQ(host.pm.GetNativeTimerId(&p, 1), 19);
    // Through 239 to 0 (legal), skipping ids still held by live timers.
    std::vector<int> ids;
    for (UINT key = 100; key < 100 + 225; ++key) {
        ASSERT_TRUE(host.pm.SetControlTimer(&p, key, 1000));
        ids.push_back(host.pm.GetNativeTimerId(&p, key));
    }
    EXPECT_EQ(ids[219], 239);
    EXPECT_EQ(ids[220], 0);
    EXPECT_EQ(ids[221], 1);
    host.pm.KillControlTimer(&p);
    EXPECT_EQ(host.pm.GetTimerRecordCount(), 0);
    // A timer message reaches its control as event 24 with its key.
    std::vector<int> log;
    p.log = &log;
    ASSERT_TRUE(host.pm.SetControlTimer(&p, 7, 1000));
    int id = host.pm.GetNativeTimerId(&p, 7);
    ::SendMessage(host.wnd.GetSafeHwnd(), WM_TIMER, (WPARAM)id, 0);
    EXPECT_EQ(log, (std::vector<int>{UIEVENT_TIMER * 100 + 7}));
    EXPECT_EQ(host.recorder.Count("timer:"), 1);
}

TEST(PaintManager, ResourceChainDefaultsAndOpacity) {
    Host host;
    CUIPaintManager a, b;
    EXPECT_FALSE(a.SetResourceParent(&a));
    EXPECT_TRUE(a.SetResourceParent(&b));
    EXPECT_FALSE(b.SetResourceParent(&a));
    b.AddClassDefaults("Button", "text=\"first\"");
    b.AddClassDefaults("Button", "text=\"second\"");
    EXPECT_STREQ(a.GetClassDefaults("Button"), "text=\"first\"");
    b.SetDefaultFontColor(0xFF123456);
    EXPECT_EQ(a.GetDefaultFontColor(), 0xFF123456u);

    struct Case {
        int in, stored;
        bool layered;
    } cases[] = {{300, 255, false}, {255, 255, false}, {128, 128, true}, {-5, 0, true}};
    for (const Case& c : cases) {
        host.pm.SetOpacity(c.in);
        EXPECT_EQ(host.pm.GetOpacity(), c.stored) << c.in;
        EXPECT_EQ((host.wnd.GetExStyle() & WS_EX_LAYERED) != 0, c.layered) << c.in;
    }
    short h, s, l;
    CUIPaintManager::GetColourAdjustment(&h, &s, &l);
    EXPECT_EQ(h, 180);
    EXPECT_EQ(s, 100);
    EXPECT_EQ(l, 100);
    CControlUI hsl;
    hsl.SetColorHSL(true);
    EXPECT_EQ(hsl.AdjustedColour(0xFF336699), 0xFF336699u);  // neutral: bit for bit
}

TEST(PaintManager, SetModuleAndArchiveSetUpAreIdempotent) {
    int module = 0;
    CUIPaintManager::SetModule(&module);
    CUIPaintManager::SetModule(&module);
    EXPECT_EQ(CUIPaintManager::GetModule(), &module);
    CUIPaintManager::ResetSharedArchiveForTests();
    static std::string zip = ziptest::Build({{"x", "1"}});
    CUIPaintManager::UseArchiveInMemory((const unsigned char*)zip.data(), (unsigned)zip.size());
    ZipHandle first = CUIPaintManager::GetSharedArchive();
    CUIPaintManager::UseArchiveInMemory((const unsigned char*)zip.data(), (unsigned)zip.size());
    EXPECT_EQ(CUIPaintManager::GetSharedArchive(), first);
    CUIPaintManager::ResetSharedArchiveForTests();
}

TEST(MessageHandling, CaptureHoverWheelAndInit) {
    Host host(300, 100);
    CDialogBuilder builder;
    CControlUI* root = builder.Create("<Window><HorizontalLayout><Control name=\"a\" width=\"100\"/>"
                                      "<Control name=\"b\" width=\"100\"/></HorizontalLayout></Window>",
                                      nullptr, nullptr, &host.pm);
    ASSERT_NE(root, nullptr);
    auto* layout = static_cast<CContainerUI*>(root);
    // Replace the children by probes that log their events.
    layout->RemoveAll();
    std::vector<int> logA, logB;
    auto* a = new Probe;
    a->log = &logA;
    a->SetFixedWidth(100);
    auto* b = new Probe;
    b->log = &logB;
    b->SetFixedWidth(100);
    layout->Add(a);
    layout->Add(b);
    host.pm.AttachRoot(root);
    host.Layout();
    EXPECT_EQ(host.recorder.Count("windowinit:"), 1);
    host.Layout();
    host.wnd.Invalidate(FALSE);
    host.wnd.UpdateWindow();
    EXPECT_EQ(host.recorder.Count("windowinit:"), 1);

    host.Send(WM_MOUSEMOVE, 0, 50, 50);
    host.Send(WM_MOUSEMOVE, 0, 150, 50);
    EXPECT_EQ(logA, (std::vector<int>{1100, 900, 1000}));  // enter, move, leave
    EXPECT_EQ(logB, (std::vector<int>{1100, 900}));
    logA.clear();
    logB.clear();
    // Down on b, up over a: both go to b (capture); the move in between too.
    host.Send(WM_LBUTTONDOWN, MK_LBUTTON, 150, 50);
    host.Send(WM_MOUSEMOVE, MK_LBUTTON, 50, 50);
    host.Send(WM_LBUTTONUP, 0, 50, 50);
    EXPECT_NE(std::find(logB.begin(), logB.end(), UIEVENT_BUTTONDOWN * 100 + MK_LBUTTON), logB.end());
    EXPECT_NE(std::find(logB.begin(), logB.end(), UIEVENT_BUTTONUP * 100), logB.end());
    EXPECT_EQ(std::count(logA.begin(), logA.end(), UIEVENT_BUTTONUP * 100), 0);
    EXPECT_EQ(std::count(logB.begin(), logB.end(), UIEVENT_MOUSEMOVE * 100 + MK_LBUTTON), 1);
    logB.clear();
    // Wheel towards the user: wParam 1.
    POINT screen{150, 50};
    host.wnd.ClientToScreen(&screen);
    ::SendMessage(host.wnd.GetSafeHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    ::SendMessage(host.wnd.GetSafeHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    std::vector<int> wheels;
    for (int e : logB)
        if (e / 100 == UIEVENT_SCROLLWHEEL) wheels.push_back(e % 100);
    EXPECT_EQ(wheels, (std::vector<int>{1, 0}));
}

TEST(MessageHandling, AsyncNotificationsKeepTheirOrder) {
    Host host;
    CControlUI* root = host.Load("<Window><VerticalLayout name=\"r\"/></Window>");
    ASSERT_NE(root, nullptr);
    host.recorder.log.clear();
    host.pm.SendNotification(root, "first", 0, 0, true);
    host.pm.SendNotification(root, "second", 0, 0, true);
    host.pm.SendNotification(root, "now", 0, 0, false);
    EXPECT_EQ(host.recorder.log, (std::vector<std::string>{"now:r"}));
    ::SendMessage(host.wnd.GetSafeHwnd(), WM_NULL, 0, 0);
    EXPECT_EQ(host.recorder.log, (std::vector<std::string>{"now:r", "first:r", "second:r"}));
}

TEST(MessageHandling, FocusAndTabOrder) {
    Host host(300, 100);
    ASSERT_NE(host.Load("<Window><HorizontalLayout><Button name=\"one\"/><Button name=\"two\" enabled=\"false\"/>"
                        "<Button name=\"three\"/><Button name=\"four\" visible=\"false\"/></HorizontalLayout></Window>"),
              nullptr);
    // The first paint moved the focus to the first tab stop.
    EXPECT_EQ(host.pm.GetFocusControl(), host.Find("one"));
    host.pm.MoveTabFocus(true);
    EXPECT_EQ(host.pm.GetFocusControl(), host.Find("three"));
    host.pm.MoveTabFocus(true);
    EXPECT_EQ(host.pm.GetFocusControl(), host.Find("one"));  // wraps
    host.pm.MoveTabFocus(false);
    EXPECT_EQ(host.pm.GetFocusControl(), host.Find("three"));
    host.pm.SetFocusControl(host.Find("two"));  // disabled: focus removed, none given
    EXPECT_EQ(host.pm.GetFocusControl(), nullptr);
    host.pm.SetFocusControl(host.Find("three"));
    host.Find("three")->SetVisible(false);
    EXPECT_EQ(host.pm.GetFocusControl(), nullptr);
}

TEST(RenderEngine, NineGridGradientAndTransparentColour) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap target;
    target.CreateBitmap(300, 40, 1, 32, nullptr);
    CBitmap* old = dc.SelectObject(&target);
    RECT all{0, 0, 300, 40};
    dc.FillSolidRect(&all, RGB(255, 255, 255));
    // A 100 x 20 source: red 4-pixel frame, green middle.
    std::vector<DWORD> px(100 * 20, 0xFF00FF00);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 100; ++x)
            if (x < 4 || x >= 96 || y < 4 || y >= 16) px[size_t(y) * 100 + x] = 0xFFFF0000;
    px[0] = 0xFF0000FF;  // a blue top-left corner pixel
    auto bmp = CRenderEngine::CreateArgbBitmap(100, 20, px.data());
    RECT dest{0, 0, 300, 20};
    CRenderEngine::DrawImage(&dc, bmp.get(), dest, all, RECT{0, 0, 100, 20}, RECT{4, 4, 4, 4}, false);
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(0, 0, 255));     // the corner kept, unstretched
    EXPECT_EQ(dc.GetPixel(1, 0), RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(3, 10), RGB(255, 0, 0));    // left edge 4 wide
    EXPECT_EQ(dc.GetPixel(4, 10), RGB(0, 255, 0));
    EXPECT_EQ(dc.GetPixel(295, 10), RGB(0, 255, 0));  // middle stretched to 296
    EXPECT_EQ(dc.GetPixel(296, 10), RGB(255, 0, 0));
    // hole: the middle stays as it was
    RECT dest2{0, 20, 300, 40};
    CRenderEngine::DrawImage(&dc, bmp.get(), dest2, all, RECT{0, 0, 100, 20}, RECT{4, 4, 4, 4}, false, 255, true);
    EXPECT_EQ(dc.GetPixel(150, 30), RGB(255, 255, 255));
    EXPECT_EQ(dc.GetPixel(150, 21), RGB(255, 0, 0));

    dc.FillSolidRect(&all, RGB(255, 255, 255));
    CRenderEngine::DrawColor(&dc, all, 0x00FFFFFF & 0x00000000);
    CRenderEngine::DrawColor(&dc, all, 0x00123456);  // alpha 0: nothing
    EXPECT_EQ(dc.GetPixel(10, 10), RGB(255, 255, 255));
    CRenderEngine::DrawGradient(&dc, all, 0x00000000, 0x00000000, true, 16);
    EXPECT_EQ(dc.GetPixel(10, 10), RGB(255, 255, 255));
    CRenderEngine::DrawGradient(&dc, all, 0x80000000, 0x80000000, true, 16);  // half-strength black
    EXPECT_NEAR(GetRValue(dc.GetPixel(10, 10)), 127, 3);
    EXPECT_EQ(CRenderEngine::AdjustColor(0xFF336699, 180, 100, 100), 0xFF336699u);
    // A dashed border line leaves gaps; a solid one none.
    dc.FillSolidRect(&all, RGB(255, 255, 255));
    CRenderEngine::DrawLine(&dc, RECT{0, 5, 300, 5}, 2, 0xFF000000, PS_DASH);
    CRenderEngine::DrawLine(&dc, RECT{0, 25, 300, 25}, 2, 0xFF000000, PS_SOLID);
    int dashGaps = 0, solidGaps = 0;
    for (int x = 2; x < 290; ++x) {
        dashGaps += dc.GetPixel(x, 5) == RGB(255, 255, 255);
        solidGaps += dc.GetPixel(x, 25) == RGB(255, 255, 255);
    }
    EXPECT_GT(dashGaps, 20);
    EXPECT_EQ(solidGaps, 0);
    dc.SelectObject(old);
}

TEST(Builder, DefaultsIncludesAndUnknownElements) {
    ScratchDir dir;
    std::ofstream(dir.File("part.xml")) << "<Window><Button name=\"inc\" text=\"x\"/></Window>";
    CUIPaintManager::ResetSharedArchiveForTests();
    CUIPaintManager::SetResourcePath(dir.Path().c_str());
    Host host;
    CControlUI* root = host.Load(
        "<Window size=\"320,200\"><Font name=\"f\" /><Default name=\"Button\" value=\"text=&quot;default&quot; "
        "width=&quot;30&quot;\"/>"
        "<VerticalLayout><Button name=\"own\" text=\"own\"/><Button name=\"plain\"/>"
        "<Mystery><Button name=\"hidden\"/></Mystery>"
        "<Include source=\"part.xml\" count=\"3\"/></VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(host.Find("own")->GetText().ToStd(), "own");
    EXPECT_EQ(host.Find("own")->GetFixedWidth(), 30);
    EXPECT_EQ(host.Find("plain")->GetText().ToStd(), "default");
    EXPECT_EQ(host.Find("hidden"), nullptr);
    EXPECT_EQ(static_cast<CContainerUI*>(root)->GetCount(), 5);
    EXPECT_EQ(host.pm.GetFontInfo(0)->iSize, 12);
    EXPECT_EQ(host.pm.GetInitialSize().cx, 320);
    CUIPaintManager::SetResourcePath("");

    // A child under something that holds no children is dropped; the label stays.
    CDialogBuilder bad;
    CControlUI* label = bad.Create("<Window><Label name=\"l\"><Button/></Label></Window>", nullptr, nullptr, &host.pm);
    ASSERT_NE(label, nullptr);
    EXPECT_STREQ(label->GetClassName(), "LabelUI");
    delete label;
    EXPECT_TRUE(RegisterControlClass("Gadget", [] { return new CLabelUI; }));
    EXPECT_FALSE(RegisterControlClass("Gadget", [] { return new CLabelUI; }));
    CDialogBuilder gadget;
    CControlUI* g = gadget.Create("<Window><Gadget name=\"g\"/></Window>");
    ASSERT_NE(g, nullptr);
    EXPECT_STREQ(g->GetClassName(), "LabelUI");
    delete g;
}

namespace {
class FakeRichEdit : public CControlUI, public ITabKeyUI {
public:
    const char* GetClassName() const override { return "RichEditUI"; }
    UINT GetBehaviourFlags() const override { return UIFLAG_TABSTOP; }
    void* GetInterface(const char* name) override {
        if (strcmp(name, "ITabKey") == 0) return static_cast<ITabKeyUI*>(this);
        return CControlUI::GetInterface(name);
    }
    bool WantsTab() const override { return true; }
};
}  // namespace

TEST(MessageHandling, RichEditThatWantsTabsKeepsTheKey) {
    Host host(300, 100);
    CControlUI* root = host.Load("<Window><HorizontalLayout name=\"row\"><Button name=\"one\"/></HorizontalLayout></Window>");
    ASSERT_NE(root, nullptr);
    auto* rich = new FakeRichEdit;
    static_cast<CContainerUI*>(root)->Add(rich);
    host.Layout();
    host.pm.SetFocusControl(rich);
    LRESULT r = 0;
    EXPECT_FALSE(host.pm.PreMessage(WM_KEYDOWN, VK_TAB, 0, r));
    EXPECT_EQ(host.pm.GetFocusControl(), rich);
}

TEST(MessageHandling, TabKeysMoveTheFocusBeforeDispatch) {
    Host host(300, 100);
    ASSERT_NE(host.Load("<Window><HorizontalLayout><Button name=\"one\"/><Button name=\"two\"/>"
                        "<Button name=\"three\"/></HorizontalLayout></Window>"),
              nullptr);
    EXPECT_EQ(host.pm.GetFocusControl(), host.Find("one"));
    LRESULT r = 0;
    EXPECT_TRUE(host.pm.PreMessage(WM_KEYDOWN, VK_TAB, 0, r));
    EXPECT_EQ(host.pm.GetFocusControl(), host.Find("two"));
    EXPECT_FALSE(host.pm.PreMessage(WM_KEYDOWN, 'A', 0, r));
    // Alt + shortcut letter focuses and activates the control that has it.
    host.Find("three")->SetShortcut('t');
    host.recorder.log.clear();
    EXPECT_TRUE(host.pm.PreMessage(WM_SYSCHAR, 'T', 0, r));
    EXPECT_EQ(host.pm.GetFocusControl(), host.Find("three"));
    EXPECT_EQ(host.recorder.Count("click:three"), 1);
}

TEST(TextControls, LabelsMeasureTheirFontAndDrawHtmlAsPlainText) {
    Host host(300, 100);
    ASSERT_NE(host.Load("<Window><VerticalLayout>"
                        "<Label name=\"l\" text=\"plain\" autocalcwidth=\"true\"/>"
                        "<Text name=\"t\" text=\"&lt;b&gt;bold&lt;/b&gt;\" showhtml=\"true\"/>"
                        "<Control/></VerticalLayout></Window>"),
              nullptr);
    CControlUI* l = host.Find("l");
    EXPECT_EQ(l->GetHeight(), host.pm.GetDefaultFontInfo()->tm.tmHeight + 4);
    EXPECT_GT(l->GetFixedWidth(), 0);
    EXPECT_EQ(host.Find("t")->GetBehaviourFlags(), 0u);  // no links: no cursor changes
    // The label's text is painted: some pixel in it differs from the background.
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&host.wnd, shot));
    const RECT& r = l->GetPos();
    bool ink = false;
    COLORREF bg = shot.GetPixel(r.right + 5, (r.top + r.bottom) / 2);
    for (int x = r.left; x < r.right && !ink; ++x)
        for (int y = r.top; y < r.bottom && !ink; ++y) ink = shot.GetPixel(x, y) != bg;
    EXPECT_TRUE(ink);
}

TEST(MessageHandling, LayeredWindowKeepsAlphaAndTheRichEditCornerOpaque) {
    Host host(200, 100);
    ASSERT_NE(host.Load("<Window bktrans=\"true\" richeditcorner=\"100,50,10,10\">"
                        "<VerticalLayout bkcolor=\"#80FF0000\"/></Window>"),
              nullptr);
    EXPECT_TRUE(host.pm.IsBackgroundTransparent());
    EXPECT_TRUE(host.wnd.GetExStyle() & WS_EX_LAYERED);
    EXPECT_EQ(host.recorder.Count("windowinit:"), 1);
    DWORD translucent = host.pm.GetLayeredPixel(20, 20);
    EXPECT_NEAR(int(translucent >> 24), 0x80, 2);
    EXPECT_NEAR(int((translucent >> 16) & 0xFF), 0x80, 2);  // premultiplied red
    EXPECT_EQ(host.pm.GetLayeredPixel(150, 70) >> 24, 0xFFu);  // inside the corner: opaque
    EXPECT_NEAR(int(host.pm.GetLayeredPixel(195, 70) >> 24), 0x80, 2);
}

TEST(MessageHandling, HoverShowsTheControlsToolTip) {
    Host host(300, 100);
    ASSERT_NE(host.Load("<Window><HorizontalLayout><Button name=\"b\" tooltip=\"first&lt;n&gt;second\"/>"
                        "</HorizontalLayout></Window>"),
              nullptr);
    host.Send(WM_MOUSEMOVE, 0, 50, 50);
    host.Send(WM_MOUSEHOVER, 0, 50, 50);
    ASSERT_NE(host.pm.GetToolTipWindow(), nullptr);
    EXPECT_EQ(host.pm.GetToolTipWindow()->GetShownText(), "first\r\nsecond");
    host.Send(WM_MOUSELEAVE, 0, 0, 0);
    EXPECT_EQ(host.pm.GetToolTipWindow()->GetShownTool(), -1);
}

namespace {
bool g_destroyed = false;
bool NoteDestroyed(void*) {
    g_destroyed = true;
    return true;
}
}  // namespace

TEST(PaintManager, RemovedChildIsDeletedAtTheCleanupMessage) {
    Host host(200, 100);
    CControlUI* root = host.Load("<Window><VerticalLayout><Control name=\"gone\"/></VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    CControlUI* gone = host.Find("gone");
    g_destroyed = false;
    gone->OnDestroy += NoteDestroyed;
    EXPECT_TRUE(static_cast<CContainerUI*>(root)->Remove(gone));
    EXPECT_FALSE(g_destroyed);  // queued: deleting it now could pull it from under a handler
    platform::PumpUntil([] { return g_destroyed; }, 2000);
    EXPECT_TRUE(g_destroyed);
    EXPECT_EQ(host.Find("gone"), nullptr);
}

TEST(ImageAttribute, FailedLoadIsNotRetriedUntilTheStringChanges) {
    CUIPaintManager::ResetSharedArchiveForTests();
    static std::string zip = ziptest::Build({{"ok.png", ziptest::Png(2, 2, {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000})}});
    CUIPaintManager::UseArchiveInMemory((const unsigned char*)zip.data(), (unsigned)zip.size());
    CUIPaintManager pm;
    CImageAttribute a;
    a.SetImage("file='missing.png'");
    EXPECT_FALSE(a.LoadImage(&pm));
    EXPECT_FALSE(a.IsValid());
    a.SetImage("file='missing.png'");
    EXPECT_FALSE(a.IsValid());  // the same string: still failed, not retried
    a.SetImage("file='ok.png' source='0,0,10,10'");
    EXPECT_TRUE(a.LoadImage(&pm));
    EXPECT_EQ(a.m_rcSource.right, 2);  // clamped to the image
    const TImageInfo* info = a.m_imageInfo;
    a.SetImage("file='ok.png' source='0,0,10,10'");
    EXPECT_EQ(a.m_imageInfo, info);  // the same string keeps the loaded image
    CUIPaintManager::ResetSharedArchiveForTests();
}

TEST(RenderEngine, AdjustColorShiftsHueSaturationAndLightness) {
    // Bytes in the order of a GDI colour: the lowest is red.
    struct Case {
        DWORD in;
        short h, s, l;
        DWORD out;
    } cases[] = {
        {0xFF0000FF, 180, 100, 100, 0xFF0000FF},  // neutral: unchanged
        {0xFF0000FF, 300, 100, 100, 0xFF00FF00},  // red + 120 degrees: green
        {0x800000FF, 60, 100, 100, 0x80FF0000},   // red - 120 degrees: blue; alpha kept
        {0xFF0000FF, 180, 0, 100, 0xFF7F7F7F},    // no saturation: grey
        {0xFF0000FF, 180, 100, 50, 0xFF00007F},   // half the lightness
    };
    for (const Case& c : cases)
        EXPECT_EQ(CRenderEngine::AdjustColor(c.in, c.h, c.s, c.l), c.out) << std::hex << c.in << " " << c.h;
}
