#pragma once
// The soft drop shadow of a top-level framework window: a layered, click-through pop-up
// under the host whose per-pixel-alpha picture is computed from the host's outline or
// stretched from a skin image. It follows the host through a procedure placed in front
// of the host's own.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Wnd.h"
#include "windowless/UIUtils.h"

namespace WinlessUI {

class CUIPaintManager;

class CShadowUI {
public:
    CShadowUI() = default;
    virtual ~CShadowUI();
    CShadowUI(const CShadowUI&) = delete;
    CShadowUI& operator=(const CShadowUI&) = delete;

    static bool RegisterShadowClass(void* module);

    void SetShow(bool show) { m_bIsShowShadow = show; }
    bool IsShowShadow() const { return m_bIsShowShadow; }
    bool SetSize(int n);
    bool SetSharpness(unsigned n);
    bool SetDarkness(unsigned n);
    bool SetPosition(int x, int y);
    bool SetColor(DWORD colour);
    bool SetImage(const char* name);
    bool SetShadowCorner(RECT rc);
    void CreateShadow(CUIPaintManager* manager);
    CWnd* GetShadowWindow() const { return m_pShadow.get(); }
    bool IsShadowVisible() const { return (m_Status & SS_VISABLE) != 0; }

    // The shadow's pixels for a host of width w and height h whose outline is `inside`
    // (a pixel test), as premultiplied BGRA words, rows from the top; size (w + 2s, h + 2s).
    template <class Inside>
    static std::vector<DWORD> ComputeShadow(int w, int h, Inside inside, int size, int sharpness, int darkness,
                                            DWORD colour, int xOffset, int yOffset);

private:
    enum { SS_ENABLED = 1, SS_VISABLE = 2, SS_PARENTVISIBLE = 4 };
    LRESULT HostProc(UINT msg, WPARAM wParam, LPARAM lParam, const CWnd::WndProcPrevious& previous);
    void Update();
    void MoveShadow();

    CUIPaintManager* m_pManager = nullptr;
    std::unique_ptr<CWnd> m_pShadow;
    CWnd* m_pHost = nullptr;
    int m_hookCookie = 0;
    BYTE m_Status = 0;
    bool m_bIsShowShadow = false;
    unsigned char m_nDarkness = 150;
    unsigned char m_nSharpness = 5;
    signed char m_nSize = 0;
    signed char m_nxOffset = 0;
    signed char m_nyOffset = 0;
    WORD m_lastWidth = 0;
    WORD m_lastHeight = 0;
    bool m_bUpdate = false;
    DWORD m_Color = 0;
    CUIString m_sShadowImage;
    bool m_bIsImageMode = false;
    RECT m_rcShadowCorner{0, 0, 0, 0};
};

template <class Inside>
std::vector<DWORD> CShadowUI::ComputeShadow(int W, int H, Inside inside, int s, int S, int D, DWORD C, int xo,
                                            int yo) {
    const int SW = W + 2 * s, SH = H + 2 * s;
    std::vector<DWORD> px(size_t(std::max(SW, 0)) * size_t(std::max(SH, 0)), 0);
    if (SW <= 0 || SH <= 0 || W <= 0 || H <= 0) return px;
    auto premul = [](DWORD c, int a) {
        DWORD r = ((c >> 16) & 0xFF) * DWORD(a) / 255, g = ((c >> 8) & 0xFF) * DWORD(a) / 255,
              b = (c & 0xFF) * DWORD(a) / 255;
        return (DWORD(a) << 24) | (r << 16) | (g << 8) | b;
    };
    // host spans
    std::vector<int> L0(H, W), R0(H, 0);
    for (int y = 0; y < H; ++y) {
        int x = 0;
        while (x < W && !inside(x, y)) ++x;
        if (x == W) continue;
        L0[y] = x;
        int r = W - 1;
        while (r >= x && !inside(r, y)) --r;
        R0[y] = r + 1;
    }
    // working spans, with one empty row before and after
    const int rows = std::max(H, SH);
    std::vector<int> wl(rows + 2, W), wr(rows + 2, 0);
    for (int y = 0; y < H && y + s < rows; ++y) {
        if (L0[y] < R0[y]) {
            wl[y + s + 1] = L0[y] + s;
            wr[y + s + 1] = R0[y] + s;
        }
    }
    for (int n = 0; n < S - s; ++n) {
        std::vector<int> nl = wl, nr = wr;
        for (int r = 1; r <= rows; ++r) {
            nl[r] = 1 + std::max({wl[r - 1], wl[r], wl[r + 1]});
            nr[r] = std::min({wr[r - 1], wr[r], wr[r + 1]}) - 1;
        }
        wl = nl, wr = nr;
    }
    const int K = std::max(s, S);
    const int c = s > S ? s - S : 0;
    const int kw = 2 * K + 1;
    std::vector<DWORD> kernel(size_t(kw) * kw, 0);
    for (int i = 0; i < kw; ++i)
        for (int j = 0; j < kw; ++j) {
            double d = std::sqrt(double((i - K) * (i - K) + (j - K) * (j - K)));
            if (d < c)
                kernel[i * kw + j] = premul(C, D);
            else if (d <= K)
                kernel[i * kw + j] = premul(C, int((1 - (d - c) / (S + 1)) * D + 1e-9));  // no float truncation artefacts
        }
    auto at = [&](int x, int row) -> DWORD& { return px[size_t(row) * SW + x]; };
    auto lay = [&](int cx, int row) {
        for (int i = 0; i < kw; ++i)
            for (int j = 0; j < kw; ++j) {
                int x = cx + j - K, y = row + i - K;
                if (x < 0 || y < 0 || x >= SW || y >= SH) continue;
                DWORD k = kernel[i * kw + j];
                if (k > at(x, y)) at(x, y) = k;
            }
    };
    for (int r = K; r < SH - K; ++r) {
        int L = wl[r + 1], R = wr[r + 1];
        if (L >= R) continue;
        int stop = std::min(std::max(wl[r], wl[r + 2]) + 1, R);
        int x = L;
        for (; x < stop; ++x) lay(x, r);
        for (x = std::max(x, std::min(wr[r], wr[r + 2]) - 1); x < R; ++x) lay(x, r);
    }
    const DWORD centre = premul(C, D);
    for (int r = std::min(K, std::max(s - yo, 0)); r < std::max(SH - K, std::min(H + s - yo, SH)); ++r) {
        if (r < 0 || r >= SH) continue;
        int L = std::max(wl[r + 1], 0), R = std::min(wr[r + 1], SW);
        int hostRow = r - s + yo;
        if (hostRow < 0 || hostRow >= H) {
            for (int x = L; x < R; ++x) at(x, r) = centre;
            continue;
        }
        int l0 = L0[hostRow], r0 = R0[hostRow];
        for (int x = L; x < std::min(l0 + s - xo, R); ++x) at(x, r) = centre;
        for (int x = std::max(l0 + s - xo, 0); x < std::min(r0 + s - xo, SW); ++x) at(x, r) = 0;
        for (int x = std::max(r0 + s - xo, L); x < R; ++x) at(x, r) = centre;
    }
    return px;
}

}  // namespace WinlessUI
