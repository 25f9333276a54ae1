// A small window built only on the platform layer: a menu bar, a native edit, drawing
// and a timer. `--screenshot <file.png>` renders it after three timer ticks, writes the
// picture and exits (the tests check it).
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/App.h"
#include "platform/Controls.h"
#include "platform/Frame.h"
#include "platform/Services.h"
#include "platform/SkinMenu.h"

namespace {

constexpr UINT kCmdExit = 100;
constexpr UINT kCmdAbout = 101;
constexpr UINT kCmdBold = 102;
constexpr int kTickWidth = 40;

// The drawing: a few candles, an axis, a caption and one strip cell per timer tick.
class ChartView : public CWnd {
public:
    int ticks = 0;
    void OnPaint() override {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(&rc, RGB(16, 18, 24));
        CPen grid(PS_DOT, 1, RGB(70, 70, 90));
        CPen* oldPen = dc.SelectObject(&grid);
        dc.SetBkMode(TRANSPARENT);
        for (int y = 60; y < rc.bottom - 40; y += 60) {
            dc.MoveTo(0, y);
            dc.LineTo(rc.right, y);
        }
        const int closes[] = {120, 140, 130, 160, 150, 180, 170, 200, 190, 175, 210, 230};
        int prev = 110;
        for (int i = 0; i < 12; ++i) {
            const int open = prev, close = closes[i];
            const bool up = close >= open;
            const COLORREF c = up ? RGB(255, 77, 77) : RGB(77, 255, 77);
            const int x = 20 + i * 36, top = rc.bottom - 60 - std::max(open, close);
            const int bottom = rc.bottom - 60 - std::min(open, close);
            CPen pen(PS_SOLID, 1, c);
            CBrush brush(c);
            dc.SelectObject(&pen);
            CBrush* oldBrush = dc.SelectObject(&brush);
            dc.MoveTo(x + 10, top - 12);
            dc.LineTo(x + 10, bottom + 12);
            dc.Rectangle(x, top, x + 21, std::max(bottom, top + 2));
            dc.SelectObject(oldBrush);
            prev = close;
        }
        dc.SelectObject(oldPen);
        CFont font;
        font.CreatePointFont(120, "宋体");
        CFont* oldFont = dc.SelectObject(&font);
        dc.SetTextColor(RGB(230, 230, 230));
        CRect caption(10, 8, rc.right - 10, 32);
        dc.DrawText("浦发银行 600000 日线", &caption, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
        dc.SelectObject(oldFont);
        for (int i = 0; i < ticks; ++i) {
            CRect cell(10 + i * kTickWidth, rc.bottom - 24, 10 + (i + 1) * kTickWidth - 4,
                       rc.bottom - 8);
            dc.FillSolidRect(&cell, RGB(60, 140, 255));
        }
    }
};

class DemoFrame : public CFrameWnd {
public:
    CSkinMenuBar bar;
    CEdit edit;
    ChartView chart;
    std::string screenshot;
    int exitCode = 0;

    int OnCreate(LPCREATESTRUCT cs) override {
        if (CFrameWnd::OnCreate(cs) == -1) return -1;
        SetBackgroundColor(RGB(32, 34, 40));
        if (!bar.Create(this, WS_CHILD | WS_VISIBLE, 1)) return -1;
        CMenu top, file, view;
        top.CreateMenu();
        file.CreatePopupMenu();
        view.CreatePopupMenu();
        file.AppendMenu(MF_STRING, kCmdExit, "退出(&X)");
        view.AppendMenu(MF_STRING, kCmdBold, "粗体");
        top.AppendMenu(MF_POPUP, (UINT_PTR)file.Detach(), "文件");
        top.AppendMenu(MF_POPUP, (UINT_PTR)view.Detach(), "视图");
        top.AppendMenu(MF_STRING, kCmdAbout, "关于");
        bar.LoadMenuBar(&top);
        // the menu bar is a control bar: the frame docks it at the top by itself
        if (!edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 36, 200, 60), this, 2))
            return -1;
        edit.SetWindowText("600000");
        if (!chart.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 70, 10, 80), this, 3))
            return -1;
        MapCommand(kCmdExit, [this] { DestroyWindow(); });
        MapCommand(kCmdAbout, [] { AfxMessageBoxDemo(); });
        SetTimer(0, 40);
        return 0;
    }
    static void AfxMessageBoxDemo() {}
    void RecalcLayout(BOOL notify) override {
        CFrameWnd::RecalcLayout(notify);
        CRect rc = GetClientArea();
        if (chart.m_hWnd) chart.MoveWindow(rc.left, rc.top + 44, rc.Width(), rc.Height() - 44);
    }
    void OnTimer(UINT_PTR id) override {
        if (id != 0) return;
        ++chart.ticks;
        chart.Invalidate(FALSE);
        if (!screenshot.empty() && chart.ticks >= 3) {
            KillTimer(0);
            UpdateWindow();
            chart.UpdateWindow();
            exitCode = platform::SaveWindowScreenshot(this, screenshot) ? 0 : 2;
            DestroyWindow();
        }
    }
    void PostNcDestroy() override {}
};

}  // namespace

int main(int argc, char** argv) {
    platform::Initialize(argc, argv);
    std::string shot;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--screenshot") == 0) shot = argv[i + 1];
    CWinApp app("Tarrow platform demo");
    CSkinMenuBar::InitCommonResource();
    DemoFrame frame;
    frame.screenshot = shot;
    if (!frame.CreateEx(0, nullptr, "Tarrow 平台演示", WS_OVERLAPPEDWINDOW, CRect(0, 0, 800, 500),
                        nullptr, 0)) {
        std::fprintf(stderr, "cannot create the demo window\n");
        return 1;
    }
    app.m_pMainWnd = &frame;
    frame.ShowWindow(SW_SHOW);
    app.Run();
    return frame.exitCode;
}
