#pragma once
// A plain window whose messages go to a paint manager: the smallest framework window,
// for tests of controls, layouts and message handling.
#include <string>
#include <vector>

#include "platform/App.h"
#include "windowless/Builder.h"
#include "windowless/Control.h"
#include "windowless/PaintManager.h"

namespace wltest {

class HostWnd : public CWnd {
public:
    WinlessUI::CUIPaintManager* pm = nullptr;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        LRESULT r = 0;
        if (pm && pm->HandleWindowMessage(msg, wParam, lParam, r)) return r;
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

// Records every notification.
struct Recorder : WinlessUI::INotifyUI {
    std::vector<std::string> log;  // "type:sender"
    void Notify(WinlessUI::UINotify& msg) override {
        log.push_back(msg.sType.ToStd() + ":" + (msg.pSender ? msg.pSender->GetName().ToStd() : ""));
    }
    int Count(const std::string& entry) const {
        int n = 0;
        for (auto& e : log) n += e == entry;
        return n;
    }
};

struct Host {
    HostWnd wnd;
    WinlessUI::CUIPaintManager pm;
    Recorder recorder;
    explicit Host(int width = 400, int height = 300) {
        RECT rc{0, 0, width, height};
        wnd.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, rc, nullptr, 0);
        wnd.pm = &pm;
        pm.AttachWindow(&wnd);
        pm.AddListener(&recorder);
    }
    ~Host() {
        wnd.pm = nullptr;
        pm.RemoveListener(&recorder);
        if (wnd.GetSafeHwnd()) wnd.DestroyWindow();
    }
    // Builds the layout, attaches it and lays it out.
    WinlessUI::CControlUI* Load(const char* xml) {
        WinlessUI::CDialogBuilder builder;
        WinlessUI::CControlUI* root = builder.Create(xml, nullptr, nullptr, &pm);
        if (root == nullptr) return nullptr;
        pm.AttachRoot(root);
        Layout();
        return root;
    }
    void Layout() {
        wnd.Invalidate(FALSE);
        wnd.UpdateWindow();
        platform::ProcessPendingEvents();
    }
    WinlessUI::CControlUI* Find(const char* name) { return pm.FindControlByName(name); }
    LRESULT Send(UINT msg, WPARAM wParam, int x, int y) {
        return ::SendMessage(wnd.GetSafeHwnd(), msg, wParam, MAKELPARAM(x, y));
    }
    void Click(int x, int y) {
        Send(WM_MOUSEMOVE, 0, x, y);
        Send(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
        Send(WM_LBUTTONUP, 0, x, y);
    }
};

// A white bitmap to draw or paint a control tree into, and read back.
struct Surface {
    CDC dc;
    CBitmap bmp;
    CBitmap* old = nullptr;
    int w, h;
    Surface(int width, int height) : w(width), h(height) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateBitmap(w, h, 1, 32, nullptr);
        old = dc.SelectObject(&bmp);
        RECT all{0, 0, w, h};
        dc.FillSolidRect(&all, RGB(255, 255, 255));
    }
    ~Surface() { dc.SelectObject(old); }
    void Paint(WinlessUI::CControlUI* root) {
        RECT all{0, 0, w, h};
        root->PaintControl(&dc, all);
    }
    std::vector<COLORREF> Pixels() {
        std::vector<COLORREF> px;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) px.push_back(dc.GetPixel(x, y));
        return px;
    }
    int Count(COLORREF c) {
        int n = 0;
        for (COLORREF p : Pixels()) n += p == c;
        return n;
    }
};

inline POINT Centre(WinlessUI::CControlUI* c) {
    const RECT& r = c->GetPos();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace wltest
