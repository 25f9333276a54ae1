// The share dialog driven headless: clicks through the paint manager's mouse handling,
// a fake clipboard reader and a hooked URL opener.
#include <gtest/gtest.h>

#include "platform/App.h"
#include "platform/Input.h"
#include "platform/Services.h"
#include "windowless/ShareDialog.h"

using namespace WinlessUI;

namespace {

class OwnerWnd : public CWnd {};

struct Host {
    OwnerWnd owner;
    Host() {
        RECT rc{100, 100, 900, 700};
        owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, rc, nullptr, 0);
    }
    ~Host() {
        if (owner.GetSafeHwnd()) owner.DestroyWindow();
    }
};

POINT Centre(CControlUI* c) {
    const RECT& r = c->GetPos();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void Click(HWND hwnd, POINT pt) {
    ::SendMessage(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    ::SendMessage(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    ::SendMessage(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
}

}  // namespace

TEST(ShareDialog, CopyOpenAndCloseThroughTheModalLoop) {
    Host host;
    std::vector<std::string> opened;
    platform::SetShellOpenHook([&](const std::string& url) { opened.push_back(url); });
    CShareProductDlg dlg;
    std::string link = MakeShareLink("trader01");
    ASSERT_EQ(dlg.ShowLink(&host.owner, link.c_str()), 1);
    HWND hwnd = dlg.GetHWND();
    ASSERT_NE(hwnd, nullptr);
    CUIPaintManager& pm = dlg.GetPaintManager();
    platform::PumpUntil([&] { return !pm.IsFirstLayoutPending(); }, 3000);
    ASSERT_FALSE(pm.IsFirstLayoutPending());
    ASSERT_NE(dlg.GetLinkEdit(), nullptr);
    EXPECT_EQ(dlg.GetLinkEdit()->GetText().ToStd(), link);
    CControlUI* copy = pm.FindControlByName("CopyLink");
    CControlUI* open = pm.FindControlByName("OpenLink");
    CControlUI* close = pm.FindControlByName("CloseButton");
    ASSERT_TRUE(copy && open && close);
    EXPECT_EQ(copy->GetPos().left, 230);
    EXPECT_EQ(close->GetPos().right, 628);

    int result = -1;
    platform::PostTask([&] {
        Click(hwnd, Centre(copy));
        Click(hwnd, Centre(open));
        Click(hwnd, Centre(close));
    });
    result = (int)dlg.RunModalLoop();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(platform::GetClipboardText(), link);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], kSharePromotionUrl);
    EXPECT_TRUE(host.owner.IsWindowEnabled());
    platform::SetShellOpenHook(nullptr);
}

TEST(ShareDialog, ScreenshotShowsTheSkin) {
    Host host;
    CShareProductDlg dlg;
    ASSERT_EQ(dlg.ShowLink(&host.owner, MakeShareLink("trader01").c_str()), 1);
    CUIPaintManager& pm = dlg.GetPaintManager();
    platform::PumpUntil([&] { return !pm.IsFirstLayoutPending(); }, 3000);
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(dlg.GetWnd(), shot));
    std::string path = std::string(TARROW_BINARY_DIR) + "/share-dialog.png";
    shot.SavePng(path);
    EXPECT_EQ(shot.GetSize().cx, 630);
    EXPECT_EQ(shot.GetSize().cy, 540);
    // Title bar blue, body from the background image, the copy button's blue.
    EXPECT_EQ(shot.GetPixel(100, 10), RGB(0x1E, 0x5C, 0xFF));
    EXPECT_EQ(shot.GetPixel(232, 185), RGB(0x1E, 0x5C, 0xFF));
    EXPECT_EQ(shot.GetPixel(0, 300), RGB(0, 0, 0));  // the one-pixel border
    dlg.GetWnd()->DestroyWindow();
}

TEST(ShareDialog, TitleDragsTheWindowAndButtonsDoNot) {
    Host host;
    CShareProductDlg dlg;
    ASSERT_EQ(dlg.ShowLink(&host.owner, MakeShareLink("").c_str()), 1);
    CUIPaintManager& pm = dlg.GetPaintManager();
    platform::PumpUntil([&] { return !pm.IsFirstLayoutPending(); }, 3000);
    std::vector<LRESULT> ncDowns;
    dlg.GetWnd()->SubclassWindowProc([&](UINT msg, WPARAM w, LPARAM l, const CWnd::WndProcPrevious& prev) {
        if (msg == WM_NCLBUTTONDOWN) {
            ncDowns.push_back((LRESULT)w);
            return (LRESULT)0;  // the system move itself is the toolkit's
        }
        return prev(msg, w, l);
    });
    platform::InjectMouse(dlg.GetWnd(), WM_LBUTTONDOWN, 100, 10, MK_LBUTTON);   // the title label
    platform::InjectMouse(dlg.GetWnd(), WM_LBUTTONUP, 100, 10);
    platform::InjectMouse(dlg.GetWnd(), WM_LBUTTONDOWN, 619, 14, MK_LBUTTON);  // the close button
    platform::InjectMouse(dlg.GetWnd(), WM_LBUTTONUP, 619, 14);
    platform::ProcessPendingEvents();
    EXPECT_EQ(ncDowns, (std::vector<LRESULT>{HTCAPTION}));
    EXPECT_EQ(MakeShareLink(""), kSharePromotionUrl);
    if (dlg.GetWnd()->GetSafeHwnd()) dlg.GetWnd()->DestroyWindow();
}
