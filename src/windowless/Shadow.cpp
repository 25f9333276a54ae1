#include "windowless/Shadow.h"

#include <algorithm>
#include <cmath>

#include "windowless/PaintManager.h"
#include "windowless/Render.h"

namespace WinlessUI {
namespace {
bool g_shadowClassRegistered = false;

class ShadowWnd : public CWnd {};
}  // namespace

bool CShadowUI::RegisterShadowClass(void*) {
    if (g_shadowClassRegistered) return false;
    WNDCLASS wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.background = RGB(255, 255, 255);
    wc.lpszClassName = "OrvaneShadowWnd";
    g_shadowClassRegistered = ::RegisterClass(wc) || ::GetClassInfo("OrvaneShadowWnd", nullptr);
    return g_shadowClassRegistered;
}

CShadowUI::~CShadowUI() {
    if (m_pHost != nullptr && m_hookCookie != 0 && m_pHost->GetSafeHwnd()) m_pHost->RestoreWindowProc(m_hookCookie);
    if (m_pShadow && m_pShadow->GetSafeHwnd()) m_pShadow->DestroyWindow();
}

bool CShadowUI::SetSize(int n) {
    if (n < -20 || n > 20) return false;
    m_nSize = (signed char)n;
    if (m_pShadow && (m_Status & SS_VISABLE)) Update();
    return true;
}
bool CShadowUI::SetSharpness(unsigned n) {
    if (n > 20) return false;
    m_nSharpness = (unsigned char)n;
    if (m_pShadow && (m_Status & SS_VISABLE)) Update();
    return true;
}
bool CShadowUI::SetDarkness(unsigned n) {
    if (n > 255) return false;
    m_nDarkness = (unsigned char)n;
    if (m_pShadow && (m_Status & SS_VISABLE)) Update();
    return true;
}
bool CShadowUI::SetPosition(int x, int y) {
    if (x > 20 || x < -20 || y > 20 || y < -20) return false;
    m_nxOffset = (signed char)x;
    m_nyOffset = (signed char)y;
    if (m_pShadow && (m_Status & SS_VISABLE)) Update();
    return true;
}
bool CShadowUI::SetColor(DWORD colour) {
    m_Color = colour & 0x00FFFFFF;
    if (m_pShadow && (m_Status & SS_VISABLE)) Update();
    return true;
}
bool CShadowUI::SetImage(const char* name) {
    if (name == nullptr) return false;
    m_bIsImageMode = true;
    m_sShadowImage = name;
    if (m_pShadow && (m_Status & SS_VISABLE)) Update();
    return true;
}
bool CShadowUI::SetShadowCorner(RECT rc) {
    if (rc.left < 0 || rc.top < 0 || rc.right < 0 || rc.bottom < 0) return false;
    m_rcShadowCorner = rc;
    if (m_pShadow && (m_Status & SS_VISABLE)) Update();
    return true;
}

void CShadowUI::CreateShadow(CUIPaintManager* manager) {
    if (!m_bIsShowShadow || manager == nullptr || manager->GetHostWindow() == nullptr) return;
    if (m_pShadow && m_pShadow->GetSafeHwnd()) return;
    m_pManager = manager;
    m_pHost = manager->GetHostWindow();
    m_pShadow = std::make_unique<ShadowWnd>();
    DWORD style = WS_POPUP | WS_BORDER | WS_SYSMENU;
    if (m_pHost->GetStyle() & WS_DLGFRAME) style |= WS_DLGFRAME;
    RECT rc{0, 0, 1, 1};
    if (!m_pShadow->CreateEx(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                             "OrvaneShadowWnd", "", style & ~WS_CAPTION, rc, m_pHost, 0)) {
        m_pShadow.reset();
        return;
    }
    if (!m_pHost->IsWindowVisible()) {
        m_Status = SS_ENABLED;
    } else if (m_pHost->IsIconic() || m_pHost->IsZoomed()) {
        m_Status = SS_ENABLED | SS_PARENTVISIBLE;
    } else {
        m_Status = SS_ENABLED | SS_VISABLE | SS_PARENTVISIBLE;
        m_pShadow->ShowWindow(SW_SHOWNOACTIVATE);
        Update();
    }
    m_hookCookie = m_pHost->SubclassWindowProc(
        [this](UINT msg, WPARAM wp, LPARAM lp, const CWnd::WndProcPrevious& prev) { return HostProc(msg, wp, lp, prev); });
}

void CShadowUI::MoveShadow() {
    if (!m_pShadow || !m_pHost) return;
    RECT rc;
    m_pHost->GetWindowRect(&rc);
    int x, y;
    if (m_bIsImageMode) {
        x = rc.left - m_rcShadowCorner.left;
        y = rc.top - m_rcShadowCorner.top;
    } else {
        x = rc.left - (m_nSize - m_nxOffset);
        y = rc.top - (m_nSize - m_nyOffset);
    }
    m_pShadow->SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
}

LRESULT CShadowUI::HostProc(UINT msg, WPARAM wp, LPARAM lp, const CWnd::WndProcPrevious& previous) {
    switch (msg) {
        case WM_MOVE:
            if (m_Status & SS_VISABLE) MoveShadow();
            break;
        case WM_SIZE:
            if (m_Status & SS_ENABLED) {
                if (wp == SIZE_MAXIMIZED || wp == SIZE_MINIMIZED) {
                    if (m_pShadow) m_pShadow->ShowWindow(SW_HIDE);
                    m_Status &= ~SS_VISABLE;
                } else if (m_Status & SS_PARENTVISIBLE) {
                    if (LOWORD(lp) <= m_lastWidth && HIWORD(lp) <= m_lastHeight)
                        Update();
                    else
                        m_bUpdate = true;
                    if (!(m_Status & SS_VISABLE)) {
                        if (m_pShadow) m_pShadow->ShowWindow(SW_SHOWNOACTIVATE);
                        m_Status |= SS_VISABLE;
                    }
                }
                m_lastWidth = LOWORD(lp);
                m_lastHeight = HIWORD(lp);
            }
            break;
        case WM_PAINT:
            if (m_bUpdate) {
                Update();
                m_bUpdate = false;
            }
            break;
        case WM_SHOWWINDOW:
            if (m_Status & SS_ENABLED) {
                if (!wp) {
                    if (m_pShadow) m_pShadow->ShowWindow(SW_HIDE);
                    m_Status &= ~(SS_VISABLE | SS_PARENTVISIBLE);
                } else if (!(m_Status & SS_PARENTVISIBLE)) {
                    m_bUpdate = true;
                    if (m_pShadow) m_pShadow->ShowWindow(SW_SHOWNOACTIVATE);
                    m_Status |= SS_VISABLE | SS_PARENTVISIBLE;
                }
            }
            break;
        case WM_DESTROY:
            if (m_pShadow && m_pShadow->GetSafeHwnd()) m_pShadow->DestroyWindow();
            break;
        default:
            break;
    }
    return previous(msg, wp, lp);
}

void CShadowUI::Update() {
    if (!m_pShadow || !m_pHost || !m_pShadow->GetSafeHwnd()) return;
    RECT rcHost;
    m_pHost->GetWindowRect(&rcHost);
    int W = rcHost.right - rcHost.left, H = rcHost.bottom - rcHost.top;
    int SW, SH;
    if (m_bIsImageMode) {
        if (m_sShadowImage.IsEmpty()) return;
        SW = W + m_rcShadowCorner.left + m_rcShadowCorner.right;
        SH = H + m_rcShadowCorner.top + m_rcShadowCorner.bottom;
    } else {
        if (m_nSize == 0) return;
        SW = W + 2 * m_nSize;
        SH = H + 2 * m_nSize;
    }
    if (SW <= 0 || SH <= 0) return;
    std::unique_ptr<CBitmap> bmp;
    if (m_bIsImageMode) {
        const TImageInfo* info = m_pManager ? m_pManager->GetOrLoadImage(m_sShadowImage) : nullptr;
        if (info == nullptr) return;
        bmp = CRenderEngine::CreateArgbBitmap(SW, SH, nullptr);
        if (!bmp) return;
        CDC mem;
        mem.CreateCompatibleDC(nullptr);
        CBitmap* old = mem.SelectObject(bmp.get());
        RECT rc{0, 0, SW, SH}, src{0, 0, info->nX, info->nY};
        CRenderEngine::DrawImage(&mem, info->hBitmap.get(), rc, rc, src, m_rcShadowCorner, info->alphaChannel, 255);
        mem.SelectObject(old);
    } else {
        CRgn region;
        region.CreateRectRgn(0, 0, W, H);
        std::vector<DWORD> px = ComputeShadow(
            W, H, [&](int x, int y) { return region.PtInRegion(x, y) != FALSE; }, m_nSize, m_nSharpness, m_nDarkness,
            m_Color, m_nxOffset, m_nyOffset);
        bmp = CRenderEngine::CreateArgbBitmap(SW, SH, px.data());
        if (!bmp) return;
    }
    POINT pos = m_bIsImageMode ? POINT{rcHost.left - m_rcShadowCorner.left, rcHost.top - m_rcShadowCorner.top}
                               : POINT{rcHost.left - m_nSize + m_nxOffset, rcHost.top - m_nSize + m_nyOffset};
    SIZE size{SW, SH};
    CDC mem;
    mem.CreateCompatibleDC(nullptr);
    CBitmap* old = mem.SelectObject(bmp.get());
    POINT origin{0, 0};
    m_pShadow->UpdateLayeredWindow(&pos, &size, &mem, &origin, ULW_ALPHA);
    mem.SelectObject(old);
}

}  // namespace WinlessUI
