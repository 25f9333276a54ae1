#include "windowless/WindowWnd.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "platform/Controls.h"
#include "windowless/Control.h"

namespace WinlessUI {

namespace detail {
struct HostAccess {
    static void Gone(CWindowWnd* owner, HWND old) {
        owner->m_hWnd = nullptr;
        owner->OnWindowGone(old);
    }
    static void Closing(CWindowWnd* owner, WPARAM code) {
        if (!owner->m_bModal) return;
        owner->m_nModalResult = (UINT)code;
        // Activation goes back to the owner while the window closes.
        if (CWnd* o = owner->m_pWnd ? owner->m_pWnd->GetOwner() : nullptr) {
            o->EnableWindow(TRUE);
            o->SetFocus();
        }
    }
};
}  // namespace detail

namespace {

// The platform window that carries a framework window: every message goes to the
// framework object; its own handling is the "previous procedure".
template <class Base>
class HostWnd : public Base {
public:
    explicit HostWnd(CWindowWnd* owner) : m_owner(owner) {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (m_owner == nullptr) return Base::WindowProc(msg, wParam, lParam);
        if (msg == WM_NCDESTROY) {
            m_goneHandle = this->m_hWnd;
            return Base::WindowProc(msg, wParam, lParam);
        }
        if (msg == WM_CLOSE) detail::HostAccess::Closing(m_owner, wParam);
        return m_owner->OnMessage(msg, wParam, lParam);
    }
    LRESULT Previous(UINT msg, WPARAM wParam, LPARAM lParam) { return Base::WindowProc(msg, wParam, lParam); }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->hwnd != this->m_hWnd) return FALSE;
        return CUIPaintManager::PreTranslate(msg) ? TRUE : FALSE;
    }
    void PostNcDestroy() override {
        CWindowWnd* owner = m_owner;
        m_owner = nullptr;
        if (owner) detail::HostAccess::Gone(owner, m_goneHandle);
    }
    void Detach() { m_owner = nullptr; }

private:
    CWindowWnd* m_owner;
    HWND m_goneHandle = nullptr;
};

}  // namespace

CWindowWnd::CWindowWnd() = default;

CWindowWnd::~CWindowWnd() {
    if (m_pWnd) {
        if (auto* h = dynamic_cast<HostWnd<CWnd>*>(m_pWnd.get())) h->Detach();
        if (auto* h = dynamic_cast<HostWnd<CEdit>*>(m_pWnd.get())) h->Detach();
        if (auto* h = dynamic_cast<HostWnd<CDateTimeCtrl>*>(m_pWnd.get())) h->Detach();
        if (m_pWnd->GetSafeHwnd()) m_pWnd->DestroyWindow();
    }
}

bool CWindowWnd::RegisterOwnClass() {
    WNDCLASS wc;
    wc.style = ClassStyle();
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.background = CLR_INVALID;
    wc.lpszClassName = WindowClassName();
    return ::AfxRegisterClass(wc) != FALSE;
}

bool CWindowWnd::RegisterAsSuperclass() {
    WNDCLASS base;
    if (!::GetClassInfo(SuperclassName(), &base)) return false;
    base.lpszClassName = WindowClassName();
    return ::AfxRegisterClass(base) != FALSE;
}

HWND CWindowWnd::CreateNativeWindow(CWnd* parent, const char* name, DWORD style, DWORD exStyle, const RECT& rc,
                                    HMENU menu) {
    return CreateNativeWindow(parent, name, style, exStyle, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                              menu);
}

HWND CWindowWnd::CreateNativeWindow(CWnd* parent, const char* name, DWORD style, DWORD exStyle, int x, int y, int cx,
                                    int cy, HMENU) {
    const bool super = SuperclassName() != nullptr;
    if (super ? !RegisterAsSuperclass() : !RegisterOwnClass()) return nullptr;
    RECT rc{x, y, x + cx, y + cy};
    // Native controls the framework lays over its controls: the platform's own class.
    auto createNative = [&](auto host) -> HWND {
        auto* raw = host.get();
        m_pWnd = std::move(host);
        if (!raw->Create(style, rc, parent, 0)) return nullptr;
        if (exStyle) raw->ModifyStyleEx(0, exStyle);
        m_hWnd = raw->GetSafeHwnd();
        m_bSubclassed = true;
        return m_hWnd;
    };
    if (super && strcmp(SuperclassName(), "Edit") == 0) return createNative(std::make_unique<HostWnd<CEdit>>(this));
    if (super && strcmp(SuperclassName(), "SysDateTimePick32") == 0)
        return createNative(std::make_unique<HostWnd<CDateTimeCtrl>>(this));
    auto host = std::make_unique<HostWnd<CWnd>>(this);
    auto* raw = host.get();
    m_pWnd = std::move(host);
    // The handle is known from WM_NCCREATE on, as handlers of the creation messages expect.
    if (!raw->CreateEx(exStyle, WindowClassName(), name ? name : "", style, rc, parent, 0, this)) {
        return m_hWnd = nullptr;
    }
    m_hWnd = raw->GetSafeHwnd();
    return m_hWnd;
}

LRESULT CWindowWnd::CallPreviousProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (auto* h = dynamic_cast<HostWnd<CWnd>*>(m_pWnd.get())) return h->Previous(msg, wParam, lParam);
    if (auto* h = dynamic_cast<HostWnd<CEdit>*>(m_pWnd.get())) return h->Previous(msg, wParam, lParam);
    if (auto* h = dynamic_cast<HostWnd<CDateTimeCtrl>*>(m_pWnd.get())) return h->Previous(msg, wParam, lParam);
    return 0;
}

LRESULT CWindowWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE && m_pWnd) m_hWnd = m_pWnd->m_hWnd;
    return CallPreviousProc(msg, wParam, lParam);
}

void CWindowWnd::PostClose(UINT code) {
    if (m_hWnd != nullptr) ::PostMessage(m_hWnd, WM_CLOSE, (WPARAM)code, 0);
}

void CWindowWnd::Show(bool show, bool takeFocus) {
    if (!m_pWnd || !m_pWnd->GetSafeHwnd()) return;
    m_pWnd->ShowWindow(show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::RunModalLoop() {
    if (!m_pWnd || !m_pWnd->GetSafeHwnd()) return 0;
    CWnd* owner = m_pWnd->GetOwner();
    HWND ownerHandle = owner ? owner->GetSafeHwnd() : nullptr;
    Show(true, true);
    if (owner) owner->EnableWindow(FALSE);
    m_nModalResult = 0;
    m_bModal = true;
    m_pWnd->RunModalLoop();
    m_bModal = false;
    if (ownerHandle && ::IsWindow(ownerHandle)) {
        CWnd* o = CWnd::FromHandle(ownerHandle);
        o->EnableWindow(TRUE);
        o->SetFocus();
    }
    return m_nModalResult;
}

void CWindowWnd::CentreOnOwner() {
    if (!m_pWnd || !m_pWnd->GetSafeHwnd()) return;
    RECT rc;
    m_pWnd->GetWindowRect(&rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    RECT work;
    ::SystemParametersWorkArea(&work);
    RECT ref = work;
    if (CWnd* owner = m_pWnd->GetOwner()) owner->GetWindowRect(&ref);
    int x = (ref.left + ref.right) / 2 - w / 2;
    int y = (ref.top + ref.bottom) / 2 - h / 2;
    if (x < work.left) x = work.left;
    else if (x + w > work.right) x = work.right - w;
    if (y < work.top) y = work.top;
    else if (y + h > work.bottom) y = work.bottom - h;
    m_pWnd->SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetClientSize(int cx, int cy) {
    if (!m_pWnd || !m_pWnd->GetSafeHwnd()) return;
    RECT client, window;
    m_pWnd->GetClientRect(&client);
    m_pWnd->GetWindowRect(&window);
    int frameW = (window.right - window.left) - client.right;
    int frameH = (window.bottom - window.top) - client.bottom;
    if (cx < 0) cx = client.right;
    if (cy < 0) cy = client.bottom;
    m_pWnd->SetWindowPos(nullptr, 0, 0, cx + frameW, cy + frameH, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CWindowWnd::SendToWindow(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::SendMessage(m_hWnd, msg, wParam, lParam);
}
bool CWindowWnd::PostToWindow(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessage(m_hWnd, msg, wParam, lParam) != FALSE;
}

// ---------------- notification pump ----------------

CNotifyPump::~CNotifyPump() = default;

const UIMsgMap* CNotifyPump::GetThisMessageMap() {
    static const UIMsgMapEntry entries[] = {{nullptr, nullptr, 0, nullptr, nullptr}};
    static const UIMsgMap map{nullptr, entries};
    return &map;
}

bool CNotifyPump::AddVirtualWindow(const char* name, CNotifyPump* pump) {
    return m_VirtualWndMap.Insert(name, pump);
}
bool CNotifyPump::RemoveVirtualWindow(const char* name) {
    return m_VirtualWndMap.Remove(name);
}

void CNotifyPump::RouteNotification(UINotify& msg) {
    if (!msg.sVirtualWnd.IsEmpty()) {
        for (int i = 0; i < m_VirtualWndMap.GetSize(); i++) {
            const char* key = m_VirtualWndMap.GetAt(i);
            if (key && msg.sVirtualWnd.CompareNoCase(key) == 0) {
                auto* pump = static_cast<CNotifyPump*>(m_VirtualWndMap.Find(key, false));
                if (pump && pump->DispatchThroughMaps(msg)) return;
            }
        }
    }
    DispatchThroughMaps(msg);
}

bool CNotifyPump::DispatchThroughMaps(UINotify& msg) {
    CUIString sender = msg.pSender ? msg.pSender->GetName() : CUIString();
    for (const UIMsgMap* map = GetNotifyMap(); map != nullptr;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        const UIMsgMapEntry* hit = nullptr;
        for (const UIMsgMapEntry* e = map->lpEntries; e->nSig != 0; ++e) {
            if (msg.sType != e->sType) continue;
            if (e->sControl != nullptr && *e->sControl != '\0') {
                if (sender == e->sControl) {
                    hit = e;
                    break;
                }
            } else {
                hit = e;  // the last entry for any control
            }
        }
        if (hit == nullptr) {
            if (map->pfnGetBaseMap == nullptr || map->pfnGetBaseMap() == map) return false;
            continue;
        }
        if (hit->nSig == 2 && hit->pfnNotify) {
            hit->pfnNotify(this, msg);
            return true;
        }
        if (hit->nSig == 1 && hit->pfnParams) {
            hit->pfnParams(this, msg.wParam, msg.lParam);
            return true;
        }
        return false;
    }
    return false;
}

}  // namespace WinlessUI
