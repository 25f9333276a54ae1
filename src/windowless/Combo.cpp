#include "windowless/Combo.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "windowless/ScrollBar.h"

namespace WinlessUI {
namespace {

// Pop-ups own themselves; one that is gone is freed at the next opening, outside the
// message handling that reported its end.
std::vector<std::unique_ptr<CComboWnd>>& Graveyard() {
    static auto* dead = new std::vector<std::unique_ptr<CComboWnd>>;
    return *dead;
}

}  // namespace

// ---------------- pop-up ----------------

RECT CComboWnd::PlaceDropBox(const RECT& owner, int width, int height, const RECT& work) {
    RECT rc{owner.left, owner.bottom, width > 0 ? owner.left + width : owner.right, owner.bottom + height};
    if (rc.bottom > work.bottom) {
        rc.bottom = owner.top;
        rc.top = owner.top - height;
    }
    return rc;
}

void CComboWnd::Init(CComboUI* owner) {
    Graveyard().clear();
    m_pOwner = owner;
    m_iOldSel = owner->GetCurSel();
    CUIPaintManager* pm = owner->GetOwnerManager();
    RECT rc = owner->GetPos();
    rc.top = rc.bottom;
    rc.bottom = rc.top + owner->m_szDropBox.cy;
    if (owner->m_szDropBox.cx > 0) rc.right = rc.left + owner->m_szDropBox.cx;
    int needed = 4;
    SIZE avail{rc.right - rc.left, rc.bottom - rc.top};
    for (int i = 0; i < owner->GetCount(); i++) {
        CControlUI* item = owner->GetItemAt(i);
        if (item->IsVisible()) needed += item->MeasureSize(avail).cy;
    }
    const int height = std::min<int>(needed, owner->m_szDropBox.cy);
    RECT onScreen = owner->GetPos();
    POINT origin{0, 0};
    pm->GetHostWindow()->ClientToScreen(&origin);
    onScreen.left += origin.x, onScreen.right += origin.x, onScreen.top += origin.y, onScreen.bottom += origin.y;
    // The work area of the screen the owner's window is on: the pop-up has no window yet.
    RECT work{0, 0, 0, 0};
    ::SystemParametersWorkArea(&work);
    RECT box = PlaceDropBox(onScreen, owner->m_szDropBox.cx, height, work);
    CreateNativeWindow(pm->GetHostWindow(), nullptr, WS_POPUP, WS_EX_TOOLWINDOW, box);
    if (m_hWnd == nullptr) return;
    Show(true, true);
}

LRESULT CComboWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE: {
            m_pm.AttachWindow(GetWnd());
            CUIPaintManager* owner = m_pOwner->GetOwnerManager();
            m_pm.SetResourceParent(owner);
            m_pLayout = new CVerticalLayoutUI;
            m_pLayout->BindManager(&m_pm, nullptr, false);
            if (const char* defaults = owner->GetClassDefaults("VerticalLayout")) m_pLayout->ApplyAttributeText(defaults);
            m_pLayout->SetInset(RECT{1, 1, 1, 1});
            m_pLayout->SetBkColor(0xFFFFFFFF);
            m_pLayout->SetBorderColor(0xFFC6C7D2);
            m_pLayout->SetBorderSize(1);
            m_pLayout->SetOwnsChildren(false);
            m_pLayout->EnableScrollBar(true, false);
            m_pLayout->ApplyAttributeText(m_pOwner->GetDropBoxAttributeList());
            for (int i = 0; i < m_pOwner->GetCount(); i++) m_pLayout->Add(m_pOwner->GetItemAt(i));
            m_pm.AttachRoot(m_pLayout);
            m_pm.AddListener(this);
            return 0;
        }
        case WM_CLOSE:
            if (m_pOwner != nullptr) {
                m_pOwner->BindManager(m_pOwner->GetOwnerManager(), m_pOwner->GetParent(), false);
                m_pOwner->SetPos(m_pOwner->GetPos());
                m_pOwner->SetFocus();
            }
            break;
        case WM_LBUTTONUP: {
            POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
            CControlUI* hit = m_pm.FindControlAt(pt);
            if (hit != nullptr && strcmp(hit->GetClassName(), "ScrollBarUI") != 0) PostToWindow(WM_KILLFOCUS);
            break;
        }
        case WM_KEYDOWN:
            if (m_pOwner == nullptr) break;
            if (wParam == VK_RETURN) {
                PostToWindow(WM_KILLFOCUS);
                break;
            }
            if (wParam == VK_ESCAPE) {
                m_pOwner->SelectItem(m_iOldSel, true);
                EnsureVisible(m_iOldSel);
                PostToWindow(WM_KILLFOCUS);
                break;
            } else {
                UIEvent e;
                e.Type = UIEVENT_KEYDOWN;
                e.chKey = (char)wParam;
                e.wParam = wParam;
                e.lParam = lParam;
                e.dwTimestamp = ::GetTickCount();
                m_pOwner->HandleEvent(e);
                EnsureVisible(m_pOwner->GetCurSel());
                return 0;
            }
        case WM_MOUSEWHEEL: {
            if (m_pOwner == nullptr) break;
            UIEvent e;
            e.Type = UIEVENT_SCROLLWHEEL;
            e.wParam = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : 0;
            e.lParam = lParam;
            e.dwTimestamp = ::GetTickCount();
            m_pOwner->HandleEvent(e);
            EnsureVisible(m_pOwner->GetCurSel());
            return 0;
        }
        case WM_KILLFOCUS:
            if (m_hWnd != (HWND)wParam) PostToWindow(WM_CLOSE);
            break;
        default: break;
    }
    LRESULT result = 0;
    if (m_pm.HandleWindowMessage(msg, wParam, lParam, result)) return result;
    return CWindowWnd::OnMessage(msg, wParam, lParam);
}

void CComboWnd::Notify(UINotify& msg) {
    if (msg.sType == "windowinit") EnsureVisible(m_iOldSel);
}

void CComboWnd::EnsureVisible(int index) {
    if (m_pOwner == nullptr || m_pOwner->GetCurSel() < 0 || m_pLayout == nullptr) return;
    CControlUI* item = m_pOwner->GetItemAt(index);
    if (item == nullptr) return;
    RECT band = m_pLayout->GetPos();
    CScrollBarUI* hbar = m_pLayout->GetHorizontalScrollBar();
    if (hbar && hbar->IsVisible()) band.bottom -= hbar->GetFixedHeight();
    RECT rc = item->GetPos();
    if (rc.top >= band.top && rc.bottom < band.bottom) return;
    int dy = 0;
    if (rc.top < band.top) dy = rc.top - band.top;
    if (rc.bottom > band.bottom) dy = rc.bottom - band.bottom;
    Scroll(0, dy);
}

void CComboWnd::Scroll(int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    SIZE pos = m_pLayout->GetScrollPos();
    m_pLayout->SetScrollPos(SIZE{pos.cx + dx, pos.cy + dy});
}

void CComboWnd::OnWindowGone(HWND) {
    if (m_pOwner != nullptr) {
        m_pOwner->m_pWindow = nullptr;
        m_pOwner->m_uButtonState &= ~UISTATE_PUSHED;
        m_pOwner->Invalidate();
        m_pOwner = nullptr;
    }
    m_pm.RemoveListener(this);
    Graveyard().emplace_back(this);
}

// ---------------- combo ----------------

CComboUI::CComboUI() = default;

CComboUI::~CComboUI() {
    if (m_pWindow != nullptr) {
        CComboWnd* w = m_pWindow;
        m_pWindow = nullptr;
        w->m_pOwner = nullptr;
        if (w->GetWnd() && w->GetWnd()->GetSafeHwnd()) w->GetWnd()->DestroyWindow();
    }
}

void* CComboUI::GetInterface(const char* name) {
    if (strcmp(name, "Combo") == 0) return this;
    if (strcmp(name, "IListOwner") == 0) return static_cast<IListOwnerUI*>(this);
    return CContainerUI::GetInterface(name);
}

CUIString CComboUI::GetText() const {
    if (m_iCurSel < 0) return CUIString();
    CControlUI* item = GetItemAt(m_iCurSel);
    return item ? item->GetText() : CUIString();
}

void CComboUI::SetEnabled(bool enable) {
    CContainerUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CComboUI::Renumber(int from) {
    for (int i = std::max(0, from); i < GetCount(); i++)
        if (IListItemUI* row = AsListItem(GetItemAt(i))) row->SetIndex(i);
}

bool CComboUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CComboUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    if (IListItemUI* row = AsListItem(control)) {
        row->SetOwner(this);
        row->SetIndex(index);
    }
    Renumber(index + 1);
    if (m_iCurSel >= index) m_iCurSel += 1;
    return true;
}

bool CComboUI::SetItemIndex(CControlUI* control, int index) {
    int old = GetItemIndex(control);
    if (old == -1) return false;
    if (old == index) return true;
    IListItemUI* selected = m_iCurSel >= 0 ? AsListItem(GetItemAt(m_iCurSel)) : nullptr;
    if (!CContainerUI::SetItemIndex(control, index)) return false;
    int lo = std::min(old, index), hi = std::min(std::max(old, index), GetCount() - 1);
    for (int i = lo; i <= hi; i++)
        if (IListItemUI* row = AsListItem(GetItemAt(i))) row->SetIndex(i);
    if (selected != nullptr) m_iCurSel = selected->GetIndex();
    return true;
}

bool CComboUI::Remove(CControlUI* control) {
    int index = GetItemIndex(control);
    if (index < 0) return false;
    return RemoveAt(index);
}

bool CComboUI::RemoveAt(int index) {
    if (!CContainerUI::Remove(GetItemAt(index))) return false;
    Renumber(index);
    if (index == m_iCurSel && m_iCurSel >= 0) {
        m_iCurSel = -1;
        SelectItem(FindSelectable(index - 1, false), false);
    } else if (index < m_iCurSel) {
        m_iCurSel -= 1;
    }
    return true;
}

void CComboUI::RemoveAll() {
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

bool CComboUI::SelectItem(int index, bool takeFocus) {
    if (index == m_iCurSel) return true;
    int old = m_iCurSel;
    if (m_iCurSel >= 0) {
        IListItemUI* row = AsListItem(GetItemAt(m_iCurSel));
        if (row == nullptr) return false;
        row->Select(false);
        m_iCurSel = -1;
    }
    if (index < 0 || GetCount() == 0) return false;
    if (index >= GetCount()) index = GetCount() - 1;
    CControlUI* control = GetItemAt(index);
    IListItemUI* row = AsListItem(control);
    if (row == nullptr || !control->IsVisible() || !control->IsEnabled()) return false;
    m_iCurSel = index;
    if (m_pWindow != nullptr || takeFocus) control->SetFocus();
    row->Select(true);
    if (m_pManager) m_pManager->SendNotification(this, "itemselect", m_iCurSel, old);
    Invalidate();
    return true;
}

bool CComboUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_pWindow != nullptr) return true;
    m_pWindow = new CComboWnd;
    m_pWindow->Init(this);
    if (m_pWindow != nullptr && m_pWindow->GetHWND() == nullptr) {
        delete m_pWindow;
        m_pWindow = nullptr;
        return true;
    }
    if (m_pManager) m_pManager->SendNotification(this, "dropdown");
    Invalidate();
    return true;
}

void CComboUI::SetPos(RECT rc) {
    // The rows are laid out only in the pop-up; while it is open they stay where it put them.
    if (m_pWindow == nullptr)
        for (int i = 0; i < GetCount(); i++) GetItemAt(i)->SetPos(RECT{0, 0, 0, 0});
    CControlUI::SetPos(rc);
}

SIZE CComboUI::MeasureSize(SIZE available) {
    if (m_cxyFixed.cy != 0 || m_pManager == nullptr) return CControlUI::MeasureSize(available);
    return SIZE{m_cxyFixed.cx, m_pManager->GetDefaultFontInfo()->tm.tmHeight + 12};
}

void CComboUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        if (m_pParent != nullptr) m_pParent->HandleEvent(event);
        else CContainerUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
        case UIEVENT_SETFOCUS:
        case UIEVENT_KILLFOCUS:
            Invalidate();
            break;
        case UIEVENT_BUTTONDOWN:
            if (IsEnabled()) {
                Activate();
                m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            }
            return;
        case UIEVENT_BUTTONUP:
            if (m_uButtonState & UISTATE_CAPTURED) {
                m_uButtonState &= ~UISTATE_CAPTURED;
                Invalidate();
            }
            return;
        case UIEVENT_MOUSEMOVE: return;
        case UIEVENT_KEYDOWN:
            switch (event.chKey) {
                case VK_UP:
                case VK_PRIOR: SelectItem(FindSelectable(m_iCurSel - 1, false)); return;
                case VK_DOWN:
                case VK_NEXT: SelectItem(FindSelectable(m_iCurSel + 1, true)); return;
                case VK_HOME: SelectItem(FindSelectable(0, false)); return;
                case VK_END: SelectItem(FindSelectable(GetCount() - 1, true)); return;
                case VK_F4: Activate(); return;
                default: break;
            }
            break;
        case UIEVENT_MOUSEENTER:
            if (PtInRect(m_rcItem, event.ptMouse)) {
                m_uButtonState |= UISTATE_HOT;
                Invalidate();
            }
            return;
        case UIEVENT_MOUSELEAVE:
            if (m_uButtonState & UISTATE_HOT) {
                m_uButtonState &= ~UISTATE_HOT;
                Invalidate();
            }
            return;
        case UIEVENT_CONTEXTMENU: return;
        case UIEVENT_SCROLLWHEEL:
            if (LOWORD(event.wParam) == 1) SelectItem(FindSelectable(m_iCurSel + 1, true));
            else SelectItem(FindSelectable(m_iCurSel - 1, false));
            return;
        default: break;
    }
    CControlUI::HandleEvent(event);
}

void CComboUI::SetAttribute(const char* name, const char* value) {
    bool relayout = false;
    if (strcmp(name, "textpadding") == 0) SetTextPadding(ParseRect(value));
    else if (strcmp(name, "dropbox") == 0) SetDropBoxAttributeList(value);
    else if (strcmp(name, "dropboxsize") == 0) SetDropBoxSize(ParseSize(value));
    else if (ApplyListInfoAttribute(m_ListInfo, name, value, false, &relayout)) Invalidate();
    else CContainerUI::SetAttribute(name, value);
}

void CComboUI::SetTextPadding(RECT rc) {
    m_rcTextPadding = rc;
    Invalidate();
}
void CComboUI::SetItemTextPadding(RECT rc) {
    m_ListInfo.rcTextPadding = rc;
    Invalidate();
}
void CComboUI::SetItemTextColor(DWORD c) {
    m_ListInfo.dwTextColor = c;
    Invalidate();
}
void CComboUI::SetItemShowHtml(bool on) {
    if (m_ListInfo.bShowHtml == on) return;
    m_ListInfo.bShowHtml = on;
    Invalidate();
}

void CComboUI::PaintControl(CDC* dc, const RECT& rcPaint) { CControlUI::PaintControl(dc, rcPaint); }

void CComboUI::PaintStateImage(CDC* dc) {
    if (IsFocused()) m_uButtonState |= UISTATE_FOCUSED;
    else m_uButtonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled()) m_uButtonState |= UISTATE_DISABLED;
    else m_uButtonState &= ~UISTATE_DISABLED;
    auto set = [](const CImageAttribute& a) { return !a.GetAttributeString().IsEmpty(); };
    CImageAttribute* chosen = nullptr;
    if (m_uButtonState & UISTATE_DISABLED) chosen = &m_diDisabled;
    else if (m_uButtonState & UISTATE_PUSHED) chosen = &m_diPushed;
    else if (m_uButtonState & UISTATE_HOT) chosen = &m_diHot;
    else if (m_uButtonState & UISTATE_FOCUSED) chosen = &m_diFocused;
    if (chosen == nullptr || !set(*chosen) || !DrawImage(dc, *chosen)) DrawImage(dc, m_diNormal);
}

void CComboUI::PaintCaption(CDC* dc) {
    if (m_iCurSel < 0) return;
    RECT rc{m_rcItem.left + m_rcTextPadding.left, m_rcItem.top + m_rcTextPadding.top,
            m_rcItem.right - m_rcTextPadding.right, m_rcItem.bottom - m_rcTextPadding.bottom};
    // Rows that are not list rows have no text of their own to show here.
    if (IListItemUI* row = AsListItem(GetItemAt(m_iCurSel))) row->DrawItemText(dc, rc);
}

}  // namespace WinlessUI
