// Window data: properties and the window's long values.
#include "platform/PlatformPrivate.h"

using namespace platform;

namespace {
std::string PropKey(const char* name) {
    std::string k = name;
    for (char& c : k) c = (char)std::tolower((unsigned char)c);
    return k;
}
}  // namespace

BOOL SetProp(HWND hwnd, const char* name, void* data) {
    CWnd* w = CWnd::FromHandle(hwnd);
    if (!w || !name || !*name) return FALSE;
    w->d->props[PropKey(name)] = data;
    return TRUE;
}

void* GetProp(HWND hwnd, const char* name) {
    CWnd* w = CWnd::FromHandle(hwnd);
    if (!w || !name) return nullptr;
    auto it = w->d->props.find(PropKey(name));
    return it == w->d->props.end() ? nullptr : it->second;
}

void* RemoveProp(HWND hwnd, const char* name) {
    CWnd* w = CWnd::FromHandle(hwnd);
    if (!w || !name) return nullptr;
    auto it = w->d->props.find(PropKey(name));
    if (it == w->d->props.end()) return nullptr;
    void* data = it->second;
    w->d->props.erase(it);
    return data;
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
    CWnd* w = CWnd::FromHandle(hwnd);
    if (!w) return 0;
    switch (index) {
        case GWL_STYLE:
            return (LONG_PTR)w->GetStyle();
        case GWL_EXSTYLE:
            return (LONG_PTR)w->GetExStyle();
        case GWL_ID:
            return (LONG_PTR)w->GetDlgCtrlID();
        case GWLP_USERDATA:
            return w->d->userData;
        case GWLP_HWNDPARENT: {
            CWnd* o = (w->d->style & WS_CHILD) ? w->d->parent : w->d->owner;
            return o ? reinterpret_cast<LONG_PTR>(o->m_hWnd) : 0;
        }
        default:
            return 0;
    }
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
    CWnd* w = CWnd::FromHandle(hwnd);
    if (!w) return 0;
    WndPrivate* d = w->d.get();
    const LONG_PTR old = GetWindowLongPtr(hwnd, index);
    switch (index) {
        case GWL_STYLE:
        case GWL_EXSTYLE: {
            // the bits only, as the classic call: SWP_FRAMECHANGED applies the frame
            DWORD& bits = index == GWL_STYLE ? d->style : d->exStyle;
            const DWORD before = bits;
            bits = (DWORD)value;
            if (before != bits) {
                STYLESTRUCT ss{before, bits};
                Dispatch(w, WM_STYLECHANGED, (WPARAM)(LONG_PTR)index, (LPARAM)&ss);
            }
            return old;
        }
        case GWL_ID:
            w->SetDlgCtrlID((UINT)value);
            return old;
        case GWLP_USERDATA:
            d->userData = value;
            return old;
        default:
            return 0;
    }
}

COLORREF GetSysColor(int index) {
    static const COLORREF table[] = {
        RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219),
        RGB(240, 240, 240), RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),
        RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(180, 180, 180), RGB(244, 247, 252),
        RGB(171, 171, 171), RGB(0, 120, 215),   RGB(255, 255, 255), RGB(240, 240, 240),
        RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(0, 0, 0),
        RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),
        RGB(255, 255, 225), RGB(0, 0, 0),       RGB(0, 102, 204)};
    if (index < 0 || index >= (int)(sizeof table / sizeof table[0])) return 0;
    return table[index];
}

CWnd* CWnd::GetWindow(UINT cmd) const {
    if (cmd == GW_OWNER) return d->owner;
    if (cmd == GW_CHILD) return d->children.empty() ? nullptr : d->children.front();
    if (!(d->style & WS_CHILD) || !d->parent) return nullptr;
    const auto& sib = d->parent->d->children;
    auto at = std::find(sib.begin(), sib.end(), this);
    if (at == sib.end()) return nullptr;
    switch (cmd) {
        case GW_HWNDFIRST:
            return sib.front();
        case GW_HWNDLAST:
            return sib.back();
        case GW_HWNDNEXT:
            return at + 1 == sib.end() ? nullptr : *(at + 1);
        case GW_HWNDPREV:
            return at == sib.begin() ? nullptr : *(at - 1);
        default:
            return nullptr;
    }
}
