// Repainting the share dialog (630 x 540, every control) through the paint manager, against
// drawing the same images and texts with bare device-context calls. Both draw into a
// 630 x 540 bitmap with the images the manager decoded, so the ratio is the framework's
// own cost: the tree walk, clips, image attributes and state logic.
#include <benchmark/benchmark.h>

#include "RatioReporter.h"
#include "platform/App.h"
#include "platform/Gdi.h"
#include "windowless/Render.h"
#include "windowless/ShareDialog.h"

using namespace WinlessUI;

namespace {

struct Dialog {
    CShareProductDlg dlg;
    bool ok = false;
    Dialog() {
        ok = dlg.ShowLink(nullptr, MakeShareLink("bench").c_str()) == 1;
        platform::PumpUntil([&] { return !dlg.GetPaintManager().IsFirstLayoutPending(); }, 3000);
    }
    ~Dialog() {
        if (dlg.GetWnd() && dlg.GetWnd()->GetSafeHwnd()) dlg.GetWnd()->DestroyWindow();
    }
};

Dialog& TheDialog() {
    static Dialog d;
    return d;
}

struct Target {
    CDC dc;
    CBitmap bmp;
    CBitmap* old = nullptr;
    Target() {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, 630, 540);
        old = dc.SelectObject(&bmp);
    }
    ~Target() { dc.SelectObject(old); }
};

void BM_ShareDialog_PaintManager(benchmark::State& state) {
    Dialog& d = TheDialog();
    if (!d.ok) {
        state.SkipWithError("the share dialog could not be built");
        return;
    }
    Target t;
    CControlUI* root = d.dlg.GetPaintManager().GetRoot();
    RECT all{0, 0, 630, 540};
    for (auto _ : state) {
        root->PaintControl(&t.dc, all);
        benchmark::ClobberMemory();
    }
}

void BlitImage(CDC* dc, const TImageInfo* info, const RECT& dest) {
    if (info == nullptr) return;
    CDC mem;
    mem.CreateCompatibleDC(dc);
    CBitmap* old = mem.SelectObject(info->hBitmap.get());
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (info->alphaChannel)
        dc->AlphaBlend(dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, &mem, 0, 0, info->nX,
                       info->nY, bf);
    else
        dc->StretchBlt(dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, &mem, 0, 0, info->nX,
                       info->nY, SRCCOPY);
    mem.SelectObject(old);
}

void Text(CDC* dc, CFont* font, const char* text, COLORREF colour, RECT rc, UINT style) {
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(colour);
    CFont* old = dc->SelectObject(font);
    dc->DrawText(text, &rc, style | DT_NOPREFIX);
    dc->SelectObject(old);
}

void BM_ShareDialog_BareCalls(benchmark::State& state) {
    Dialog& d = TheDialog();
    if (!d.ok) {
        state.SkipWithError("the share dialog could not be built");
        return;
    }
    CUIPaintManager& pm = d.dlg.GetPaintManager();
    const TImageInfo* bk = pm.FindImage("Skin/ShareProductDlg/BK.png");
    const TImageInfo* close = pm.FindImage("Skin/ShareProductDlg/CLOSE1.bmp");
    const TImageInfo* bt1 = pm.FindImage("Skin/ShareProductDlg/BT1.png");
    const TImageInfo* bt2 = pm.FindImage("Skin/ShareProductDlg/BT2.png");
    CFont* font = pm.GetFont(-1);
    std::string link = d.dlg.GetLinkEdit()->GetText().ToStd();
    Target t;
    CDC* dc = &t.dc;
    for (auto _ : state) {
        RECT all{0, 0, 630, 540};
        dc->FillSolidRect(&all, RGB(0x1E, 0x32, 0x42));
        RECT title{1, 1, 630, 30};
        dc->FillSolidRect(&title, RGB(0x1E, 0x5C, 0xFF));
        BlitImage(dc, close, RECT{610, 5, 628, 23});
        BlitImage(dc, bk, RECT{1, 30, 630, 510});
        RECT edit{40, 115, 570, 145};
        dc->FillSolidRect(&edit, RGB(255, 255, 255));
        Text(dc, font, link.c_str(), RGB(0, 0, 1), RECT{44, 118, 566, 142}, DT_SINGLELINE | DT_VCENTER);
        BlitImage(dc, bt1, RECT{230, 160, 370, 189});
        Text(dc, font, "点击复制", RGB(255, 255, 255), RECT{230, 160, 370, 189}, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        BlitImage(dc, bt2, RECT{490, 440, 590, 469});
        Text(dc, font, "活动详情", RGB(0, 0, 0), RECT{490, 440, 590, 469}, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        CRenderEngine::DrawRect(dc, all, 1, 0xFF000000);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_ShareDialog_PaintManager)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShareDialog_BareCalls)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenPlatform();
    static int qargc = 1;
    static char name[] = "bench_windowless";
    static char* qargv[] = {name, nullptr};
    platform::Initialize(qargc, qargv);
    RatioReporter reporter;
    reporter.AddRatio("windowless.share_dialog_repaint_over_bare_calls", "BM_ShareDialog_PaintManager",
                      "BM_ShareDialog_BareCalls", 1.5);
    return RunBenchmarks(argc, argv, reporter);
}
