// Repainting the share dialog (630 x 540, every control) through the paint manager, against
// drawing the same images and texts with bare device-context calls. Both draw into a
// 630 x 540 bitmap with the images the manager decoded, so the ratio is the framework's
// own cost: the tree walk, clips, image attributes and state logic.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "RatioReporter.h"
#include "platform/App.h"
#include "platform/Gdi.h"
#include "windowless/List.h"
#include "windowless/ListElements.h"
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

// A list of 10,000 rows by 5 columns in a 600 x 400 window, scrolled one page down and
// back and painted each time, against drawing the texts of the visible rows with bare
// device-context calls: only the visible rows may cost.
constexpr int kRows = 10000, kColumns = 5, kWidth = 600, kHeight = 400;

struct Cells : IListTextCallback {
    char text[32];
    CUIString GetItemText(CControlUI*, int row, int column) override {
        snprintf(text, sizeof text, "%d.%d", row, column);
        return text;
    }
};

struct ListHost {
    CWnd wnd;
    CUIPaintManager pm;
    CListUI* list = nullptr;
    Cells cells;
    ListHost() {
        wnd.CreateEx(0, nullptr, "list", WS_POPUP, RECT{0, 0, kWidth, kHeight}, nullptr, 0);
        pm.AttachWindow(&wnd);
        list = new CListUI;
        list->EnableScrollBar(true, false);
        for (int c = 0; c < kColumns; ++c) {
            auto* item = new CListHeaderItemUI;
            item->SetFixedWidth(110);
            list->Add(item);
        }
        for (int r = 0; r < kRows; ++r) list->Add(new CListTextElementUI);
        list->SetCellTextSource(&cells);
        pm.AttachRoot(list);
        list->SetPos(RECT{0, 0, kWidth, kHeight});
        list->SetPos(RECT{0, 0, kWidth, kHeight});
    }
};

ListHost& TheList() {
    static ListHost h;
    return h;
}

void BM_List_ScrollPage(benchmark::State& state) {
    ListHost& h = TheList();
    Target t;
    RECT all{0, 0, kWidth, kHeight};
    bool down = true;
    for (auto _ : state) {
        if (down) h.list->PageDown();
        else h.list->PageUp();
        down = !down;
        h.list->PaintControl(&t.dc, all);
        benchmark::ClobberMemory();
    }
}

void BM_List_BareVisibleTexts(benchmark::State& state) {
    ListHost& h = TheList();
    Target t;
    CDC* dc = &t.dc;
    CFont* font = h.pm.GetFont(-1);
    const int rowHeight = h.list->GetItemAt(0)->GetHeight();
    const int header = h.list->GetHeader()->GetHeight();
    const int visible = (kHeight - header) / rowHeight + 1;
    int first = 0;
    char text[32];
    for (auto _ : state) {
        first = first == 0 ? visible : 0;
        RECT all{0, 0, kWidth, kHeight};
        dc->FillSolidRect(&all, RGB(255, 255, 255));
        CFont* old = dc->SelectObject(font);
        dc->SetBkMode(TRANSPARENT);
        for (int r = 0; r < visible; ++r)
            for (int c = 0; c < kColumns; ++c) {
                snprintf(text, sizeof text, "%d.%d", first + r, c);
                RECT rc{c * 110, header + r * rowHeight, c * 110 + 110, header + (r + 1) * rowHeight};
                dc->DrawText(text, &rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            }
        dc->SelectObject(old);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_List_ScrollPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_List_BareVisibleTexts)->Unit(benchmark::kMicrosecond);

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
    reporter.AddRatio("windowless.list_scroll_page_over_bare_texts", "BM_List_ScrollPage", "BM_List_BareVisibleTexts",
                      2.0);
    return RunBenchmarks(argc, argv, reporter);
}
