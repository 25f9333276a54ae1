// The top-level window base and the edit control.
#include <gtest/gtest.h>

#include "WinlessHost.h"
#include "platform/CommonDialogs.h"
#include "platform/Input.h"
#include "windowless/Edit.h"
#include "windowless/WindowImplBase.h"

using namespace WinlessUI;

namespace {

class OwnerWnd : public CWnd {};

class SkinWindow : public WindowImplBase {
public:
    std::string skin;
    std::vector<std::string> notes;
    const char* WindowClassName() const override { return "WinlessTestWindow"; }
    CUIString SkinFileName() override { return CUIString(skin); }
    void Notify(UINotify& msg) override {
        notes.push_back(msg.sType.ToStd() + ":" + (msg.pSender ? msg.pSender->GetName().ToStd() : ""));
        WindowImplBase::Notify(msg);
    }
    bool Open(CWnd* owner) {
        return CreateNativeWindow(owner, "test", WS_POPUP | WS_VISIBLE, 0, 50, 50, 300, 200) != nullptr;
    }
    void Settle() {
        platform::PumpUntil([&] { return !m_pm.IsFirstLayoutPending(); }, 3000);
    }
};

const char* kSkin =
    "<Window size=\"300,200\" caption=\"0,0,0,20\">"
    "<VerticalLayout><HorizontalLayout height=\"30\">"
    "<Label name=\"title\"/><Button name=\"maxbtn\" width=\"20\"/><Button name=\"restorebtn\" width=\"20\" "
    "visible=\"false\"/><Button name=\"closebtn\" width=\"20\"/></HorizontalLayout>"
    "<Edit name=\"e\" height=\"30\"/><Control/></VerticalLayout></Window>";

}  // namespace

TEST(WindowBase, CaptionHitTestAndCloseButton) {
    OwnerWnd owner;
    RECT rc{0, 0, 600, 400};
    owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, rc, nullptr, 0);
    SkinWindow w;
    w.skin = kSkin;
    ASSERT_TRUE(w.Open(&owner));
    w.Settle();
    auto hit = [&](int x, int y) {
        POINT p{x, y};
        w.GetWnd()->ClientToScreen(&p);
        return ::SendMessage(w.GetHWND(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
    };
    CControlUI* close = w.GetPaintManager().FindControlByName("closebtn");
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(hit(10, 19), HTCAPTION);                        // over the label
    EXPECT_EQ(hit(close->GetPos().left + 5, 19), HTCLIENT);  // over a button
    EXPECT_EQ(hit(10, 20), HTCLIENT);                         // below the caption

    platform::PostTask([&] {
        POINT c = wltest::Centre(close);
        ::SendMessage(w.GetHWND(), WM_MOUSEMOVE, 0, MAKELPARAM(c.x, c.y));
        ::SendMessage(w.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
        ::SendMessage(w.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    });
    EXPECT_EQ(w.RunModalLoop(), 1u);
    EXPECT_EQ(w.GetHWND(), nullptr);
    EXPECT_TRUE(owner.IsWindowEnabled());
    owner.DestroyWindow();
}

TEST(WindowBase, SkinThatFailsToLoadShowsAMessageAndTheProgramGoesOn) {
    std::vector<std::string> shown;
    SetMessageBoxHook([&](const std::string& text, const std::string& caption, UINT type) {
        shown.push_back(caption + "|" + text);
        EXPECT_TRUE(type & MB_ICONERROR);
        return IDOK;
    });
    SkinWindow w;
    w.skin = "Skin/NoSuchSkin.xml";
    EXPECT_FALSE(w.Open(nullptr));
    EXPECT_TRUE(w.SkinLoadFailed());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "WinlessUI|加载资源文件失败");
    SetMessageBoxHook(nullptr);
}

TEST(WindowBase, MaximiseSwapsTheButtons) {
    SkinWindow w;
    w.skin = kSkin;
    ASSERT_TRUE(w.Open(nullptr));
    w.Settle();
    CControlUI* maxBtn = w.GetPaintManager().FindControlByName("maxbtn");
    CControlUI* restoreBtn = w.GetPaintManager().FindControlByName("restorebtn");
    w.SendToWindow(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    platform::ProcessPendingEvents();
    EXPECT_FALSE(maxBtn->IsVisible());
    EXPECT_TRUE(restoreBtn->IsVisible());
    w.SendToWindow(WM_SYSCOMMAND, SC_RESTORE, 0);
    platform::ProcessPendingEvents();
    EXPECT_TRUE(maxBtn->IsVisible());
    EXPECT_FALSE(restoreBtn->IsVisible());
    w.GetWnd()->DestroyWindow();
}

TEST(Edit, NativeWindowTypingAndReturn) {
    SkinWindow w;
    w.skin = kSkin;
    ASSERT_TRUE(w.Open(nullptr));
    w.Settle();
    auto* edit = static_cast<CEditUI*>(w.GetPaintManager().FindControlByName("e"));
    ASSERT_NE(edit, nullptr);
    edit->SetTipValue("tip");
    EXPECT_EQ(edit->GetNativeWindow(), nullptr);
    edit->SetFocus();
    ASSERT_NE(edit->GetNativeWindow(), nullptr);
    HWND native = edit->GetNativeWindow()->GetHWND();
    RECT r;
    edit->GetNativeWindow()->GetWnd()->GetWindowRect(&r);
    w.notes.clear();
    platform::InjectText("abc");
    platform::ProcessPendingEvents();
    EXPECT_EQ(std::count(w.notes.begin(), w.notes.end(), "textchanged:e"), 3);
    EXPECT_EQ(edit->GetText().ToStd(), "abc");
    platform::InjectKey(VK_RETURN, "\r");
    EXPECT_EQ(std::count(w.notes.begin(), w.notes.end(), "return:e"), 1);
    EXPECT_EQ(edit->GetText().ToStd(), "abc");
    // Losing the focus closes the native window; the control keeps the text.
    w.GetPaintManager().SetFocusControl(nullptr);
    ::SendMessage(native, WM_KILLFOCUS, 0, 0);
    platform::PumpUntil([&] { return edit->GetNativeWindow() == nullptr; }, 2000);
    EXPECT_EQ(edit->GetNativeWindow(), nullptr);
    EXPECT_EQ(edit->GetText().ToStd(), "abc");
    w.GetWnd()->DestroyWindow();
}

namespace {
class Pump : public CNotifyPump {
public:
    std::vector<std::string> calls;
    void Any(UINotify&) { calls.push_back("any"); }
    void Copy(UINotify&) { calls.push_back("copy"); }
    void Params(WPARAM w, LPARAM) { calls.push_back("params" + std::to_string(w)); }
    UI_DECLARE_MESSAGE_MAP()
};
UI_BEGIN_MESSAGE_MAP(Pump, CNotifyPump)
UI_ON_NOTIFY("click", "", Any)
UI_ON_NOTIFY("click", "CopyLink", Copy)
UI_ON_NOTIFY_PARAMS("timer", "", Params)
UI_END_MESSAGE_MAP()
}  // namespace

TEST(NotifyPump, NamedEntryWinsWhateverTheOrder) {
    Pump pump;
    CControlUI copy, other;
    copy.SetName("CopyLink");
    other.SetName("Other");
    UINotify msg;
    msg.sType = "click";
    msg.pSender = &copy;
    EXPECT_TRUE(pump.DispatchThroughMaps(msg));
    msg.pSender = &other;
    EXPECT_TRUE(pump.DispatchThroughMaps(msg));
    msg.sType = "timer";
    msg.wParam = 7;
    EXPECT_TRUE(pump.DispatchThroughMaps(msg));
    msg.sType = "none";
    EXPECT_FALSE(pump.DispatchThroughMaps(msg));
    EXPECT_EQ(pump.calls, (std::vector<std::string>{"copy", "any", "params7"}));
}

TEST(Edit, LayeredWindowsKeepTheNativeEditOverTheTextArea) {
    SkinWindow w;
    w.skin = "<Window size=\"300,200\" bktrans=\"true\"><VerticalLayout>"
             "<Edit name=\"e\" float=\"true\" pos=\"20,40,220,70\" textpadding=\"4,3,4,3\"/></VerticalLayout></Window>";
    ASSERT_TRUE(w.Open(nullptr));
    w.Settle();
    auto* edit = static_cast<CEditUI*>(w.GetPaintManager().FindControlByName("e"));
    ASSERT_NE(edit, nullptr);
    edit->SetFocus();
    ASSERT_NE(edit->GetNativeWindow(), nullptr);
    CWnd* native = edit->GetNativeWindow()->GetWnd();
    // A popup in screen coordinates, or (where native controls are always children) a
    // child at client coordinates: either way over the padded text area.
    RECT r;
    native->GetWindowRect(&r);
    POINT origin{0, 0};
    w.GetWnd()->ClientToScreen(&origin);
    EXPECT_EQ(r.left, origin.x + 24);
    w.GetPaintManager().SetFocusControl(nullptr);
    w.GetWnd()->DestroyWindow();
}

TEST(WindowBase, AnObjectDestroyedWithItsWindowOpenClosesItCleanly) {
    auto w = std::make_unique<SkinWindow>();
    w->skin = kSkin;
    ASSERT_TRUE(w->Open(nullptr));
    w->Settle();
    auto* edit = static_cast<CEditUI*>(w->GetPaintManager().FindControlByName("e"));
    edit->SetFocus();  // a native child edit is open
    ASSERT_NE(edit->GetNativeWindow(), nullptr);
    HWND hwnd = w->GetHWND();
    w.reset();
    EXPECT_FALSE(::IsWindow(hwnd));
    platform::ProcessPendingEvents();
}
