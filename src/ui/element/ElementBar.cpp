#include "ui/element/ElementBar.h"

#include <algorithm>

#include "ui/CommonResouce.h"
#include "ui/CommonVar.h"
#include "ui/draw/DrawHelpers.h"
#include "ui/element/ElementEnv.h"
#include "ui/element/ElementWnd.h"

namespace {
constexpr int kArrowZone = 14;   // the drop-down arrow at an item's right edge
constexpr int kTextCut = 11;     // the text zone ends this far before the right edge
}  // namespace

// ---- CElementMenuItem ----

CElementMenuItem::CElementMenuItem(UINT flags, UINT id, std::string text, int value)
    : m_nFlags(flags), m_nCommandId(id), m_strText(std::move(text)), m_nValue(value) {}

CElementMenuItem::~CElementMenuItem() {
    if (m_pMenu) m_pMenu->DestroyMenu();
}

std::shared_ptr<CElementMenuItem> CElementMenuItem::AddChild(CElementBarMenu& bar, UINT flags, UINT id,
                                                             const std::string& text, int value) {
    auto child = bar.CreateItem(flags, id, text, value);
    if (!child) return nullptr;
    child->m_nIndex = static_cast<int>(m_aChildren.size());
    m_aChildren.push_back(child);
    return child;
}

int CElementMenuItem::QueryState(CWnd* owner, UINT id) {
    if (!owner || !owner->m_hWnd) return 0;
    return static_cast<int>(owner->SendMessage(kBarMsgState, id, 0));
}

int CElementMenuItem::Measure(CDC* dc, CFont* font, int barHeight, int reserved) {
    if (IsSeparator() || !dc) {
        m_nWidth = 0;
        return 0;
    }
    CFont* old = font ? dc->SelectObject(font) : nullptr;
    m_nWidth = 2 * dc->GetTextExtent(m_strText).cx;
    if (old) dc->SelectObject(old);
    return m_nWidth;
}

void CElementMenuItem::AppendToMenu(CMenu* menu, CWnd* owner) {
    if (!menu) return;
    if (!HasChildren()) {
        if (IsSeparator()) {
            menu->AppendMenu(MF_SEPARATOR, 0, nullptr);
        } else if (m_nFlags == 0) {
            const int state = QueryState(owner, m_nCommandId);
            UINT flags = MF_STRING;
            if (state & 2) flags |= MF_CHECKED;
            if (!(state & 1)) flags |= MF_DISABLED;
            menu->AppendMenu(flags, m_nCommandId, m_strText.c_str());
        }
        return;
    }
    // The sub-menu belongs to the menu it is appended to, which destroys it.
    if (m_pMenu) m_pMenu->DestroyMenu();
    m_pMenu.reset();
    CSkinMenu1 sub;
    if (!sub.CreatePopupMenu()) return;
    for (const auto& child : m_aChildren) child->AppendToMenu(&sub, owner);
    const HMENU handle = sub.Detach();
    if (!menu->AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(handle), m_strText.c_str())) {
        CMenu orphan;
        orphan.Attach(handle);
        orphan.DestroyMenu();
    }
}

void CElementMenuItem::DrawArrow(CDC* dc, const CRect& zone, COLORREF colour) {
    DrawTriangleLines(dc, colour, 1, 4, zone);
}

void CElementMenuItem::Draw(CDC* dc, CFont* font, CRect& cursor, int state, int reserved, int width) {
    if (!dc) return;
    const int w = width >= 0 ? width : m_nWidth;
    CRect rc(cursor.left, cursor.top, cursor.left + w - 1, cursor.bottom);
    CRect text = rc;
    m_rcArrow.SetRectEmpty();
    if (HasChildren()) {
        m_rcArrow = CRect(rc.right - kArrowZone, rc.top, rc.right, rc.bottom);
        text.right = rc.right - kTextCut;
    }
    m_rcMain = CRect(rc.left, rc.top, text.right, rc.bottom);

    const bool pressed = state & kItemStatePressed;
    const bool arrowHover = state & kItemStateArrowHover;
    COLORREF textColour = ElementColour(CommonColor::uniMenuBar_Text);
    if (pressed) {
        dc->FillSolidRect(rc.left, rc.top, rc.Width() - 1, rc.Height(),
                          ElementColour(CommonColor::uniMenuBar_Active));
        textColour = ElementColour(CommonColor::uniMenuBar_TextActive);
    } else if (HasChildren()) {
        dc->FillSolidRect(&rc, ElementColour(CommonColor::uniMenuBar_Title));
        dc->FillSolidRect(&m_rcArrow, ElementColour(CommonColor::uniMenuBar_Title));
    }
    if (state & kItemStateHover) textColour = ElementColour(CommonColor::uniMenuBar_TextActive);
    if (arrowHover) dc->FillSolidRect(&m_rcArrow, ElementColour(CommonColor::uniMenuBar_Active));

    CFont* old = font ? dc->SelectObject(font) : nullptr;
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(textColour);
    dc->DrawText(m_strText, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) dc->SelectObject(old);
    if (HasChildren())
        DrawArrow(dc, m_rcArrow,
                  ElementColour(arrowHover ? CommonColor::uniMenuBar_TextActive : CommonColor::uniMenuBar_Text));
    cursor.left += w;
}

// ---- CElementBarMenu ----

CElementBarMenu::CElementBarMenu() = default;
CElementBarMenu::~CElementBarMenu() {
    if (m_hWnd) DestroyWindow();
}

CWnd* CElementBarMenu::GetOwnerWnd() const {
    return m_pOwnerElement && m_pOwnerElement->m_hWnd ? m_pOwnerElement : nullptr;
}

CFont* CElementBarMenu::GetBarFont() const { return GetCommonVar()->GetFont(CommonVar::Font::ElementBar); }

int CElementBarMenu::QueryOwnerState(UINT id) const {
    CWnd* owner = GetOwnerWnd();
    return owner ? static_cast<int>(owner->SendMessage(kBarMsgState, id, 0)) : 0;
}

void CElementBarMenu::SendOwner(UINT msg, UINT id) const {
    if (CWnd* owner = GetOwnerWnd()) owner->SendMessage(msg, id, 0);
}

std::shared_ptr<CElementMenuItem> CElementBarMenu::CreateItem(UINT flags, UINT id, const std::string& text,
                                                              int value) {
    return std::make_shared<CElementMenuItem>(flags, id, text, value);
}

std::shared_ptr<CElementMenuItem> CElementBarMenu::GetItem(int index) const {
    if (index < 0 || index >= static_cast<int>(m_aItems.size())) return nullptr;
    return m_aItems[static_cast<size_t>(index)];
}

std::shared_ptr<CElementMenuItem> CElementBarMenu::AppendItem(UINT flags, UINT id, const std::string& text,
                                                              int value) {
    auto item = CreateItem(flags, id, text, value);
    if (!item) return nullptr;
    item->m_nIndex = static_cast<int>(m_aItems.size());
    m_aItems.push_back(item);
    return item;
}

void CElementBarMenu::ResetItem(UINT id) {
    for (const auto& item : m_aItems)
        if (item->m_nCommandId == id) {
            item->m_bPressed = 0;
            return;
        }
}

void CElementBarMenu::Layout(int width) {
    // The owner may answer by laying out its bars again; that inner round is not repeated.
    if (m_bInLayout) return;
    m_aGroupWidth[0] = m_aGroupWidth[1] = m_aGroupWidth[2] = 0;
    m_nCenterOffset = 0;
    if (!m_hWnd) return;
    m_bInLayout = 1;
    if (CWnd* owner = GetOwnerWnd()) owner->SendMessage(kBarMsgState, 2, 0);
    m_bInLayout = 0;
    m_aGroupWidth[0] = m_aGroupWidth[1] = m_aGroupWidth[2] = 0;

    CClientDC dc(this);
    CFont* font = GetBarFont();
    int before = 0;
    for (const auto& item : m_aItems) {
        const int w = item->Measure(&dc, font, 26, -1);
        item->m_bVisible = w != 0 && w + before < width;
        before += w;
    }
    // Second pass: what fits is shown, group by group; a later narrow item may still fit.
    int total = 0, group = 0, separators = 0;
    for (const auto& item : m_aItems) {
        if (item->IsSeparator()) {
            if (++separators == 3) break;
            group = std::min(separators, 2);
            continue;
        }
        if (item->m_nWidth + total < width) {
            item->m_bVisible = 1;
            total += item->m_nWidth;
            m_aGroupWidth[group] += item->m_nWidth;
        }
    }
    m_nCenterOffset = (width - total) / 2;
}

void CElementBarMenu::Relayout() {
    if (!m_hWnd || m_bInLayout) return;
    CRect rc;
    GetClientRect(&rc);
    Layout(rc.Width());
    Invalidate(FALSE);
    UpdateWindow();
}

void CElementBarMenu::SyncItemState(CElementMenuItem& item) {
    item.m_bPressed = 0;
    if (!item.HasChildren()) {
        item.m_bPressed = (QueryOwnerState(item.m_nCommandId) & 2) ? 1 : 0;
        return;
    }
    for (const auto& child : item.m_aChildren)
        if (QueryOwnerState(child->m_nCommandId) & 2) {
            item.m_nCommandId = child->m_nCommandId;
            item.m_strText = child->m_strText;
            item.m_bPressed = 1;
            return;
        }
}

void CElementBarMenu::DrawBar(CDC* dc) {
    if (!dc) return;
    const CRect bar = m_rcBar;
    dc->SetBkMode(TRANSPARENT);
    dc->FillSolidRect(bar.left, bar.top, bar.Width(), bar.Height() - 1,
                      ElementColour(CommonColor::uniMenuBar_Back));
    const COLORREF border = ElementColour(CommonColor::uniWnd_Border);
    if (m_nPosition == 2)
        dc->FillSolidRect(bar.left, bar.bottom - 1, bar.Width(), 1, border);
    else if (m_nPosition == 3)
        dc->FillSolidRect(bar.left, bar.top, bar.Width(), 1, border);

    CRect cursor(bar.left, bar.top + 2, bar.right, bar.top + 23 + (m_nPosition == 2 ? 1 : 0));
    CFont* font = GetBarFont();
    int separators = 0;
    // Items may be rebuilt by an owner's answer; the walk keeps its own references.
    const std::vector<std::shared_ptr<CElementMenuItem>> items = m_aItems;
    for (size_t i = 0; i < items.size(); ++i) {
        CElementMenuItem& item = *items[i];
        if (item.IsSeparator()) {
            ++separators;
            if (separators == 1) cursor.left = bar.left + m_aGroupWidth[0] + m_nCenterOffset;
            else if (separators == 2) cursor.left = bar.right - m_aGroupWidth[2];
            else break;
            continue;
        }
        if (!item.m_bVisible) {
            item.m_rcMain.SetRectEmpty();
            item.m_rcArrow.SetRectEmpty();
            continue;
        }
        SyncItemState(item);
        int state = 0;
        if (item.m_bPressed) state = kItemStatePressed;
        else if (m_nHover == static_cast<int>(i)) state = kItemStateHover;
        if (m_nHover == static_cast<int>(i) + 1000) state |= kItemStateArrowHover;
        item.Draw(dc, font, cursor, state, -1, -1);
    }
}

int CElementBarMenu::HitTest(CPoint pt) const {
    for (size_t i = 0; i < m_aItems.size(); ++i) {
        const CElementMenuItem& item = *m_aItems[i];
        if (!item.m_bVisible || item.IsSeparator()) continue;
        if (item.HitMain(pt)) return static_cast<int>(i);
        if (item.HitArrow(pt)) return static_cast<int>(i) + 1000;
    }
    return -1;
}

void CElementBarMenu::OnItemClick(int index) {
    auto clicked = GetItem(index);
    if (!clicked) return;
    clicked->m_bPressed = !clicked->m_bPressed;
    const UINT id = clicked->m_nCommandId;
    SendOwner(clicked->m_bPressed ? WM_COMMAND : kBarMsgReleased, id);
    // The owner may have rebuilt the bar while handling the command.
    const int n = static_cast<int>(m_aItems.size());
    if (index >= n || m_aItems[static_cast<size_t>(index)] != clicked) return;
    int start = -1;
    for (int k = 0; k < n; ++k) {
        const int j = (index - k + n) % n;
        if (m_aItems[static_cast<size_t>(j)]->m_nFlags & kBarItemGroupStart) {
            start = j;
            break;
        }
    }
    int j = index;
    for (int steps = 0; steps < n; ++steps) {
        int next = (j + 1) % n;
        if (start >= 0 && (m_aItems[static_cast<size_t>(next)]->m_nFlags & kBarItemGroupStart)) next = start;
        if (next == index) break;
        m_aItems[static_cast<size_t>(next)]->m_bPressed = 0;
        j = next;
    }
}

UINT CElementBarMenu::TrackDropDown(CElementMenuItem& item, CPoint screen) {
    if (item.m_pMenu) item.m_pMenu->DestroyMenu();
    item.m_pMenu = std::make_unique<CSkinMenu1>();
    if (!item.m_pMenu->CreatePopupMenu()) {
        item.m_pMenu.reset();
        return 0;
    }
    CWnd* owner = GetOwnerWnd();
    for (const auto& child : item.m_aChildren) child->AppendToMenu(item.m_pMenu.get(), owner);
    const UINT id = static_cast<UINT>(
        item.m_pMenu->TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, owner ? owner : this));
    if (item.m_pMenu) item.m_pMenu->DestroyMenu();
    item.m_pMenu.reset();
    return id;
}

// ---- window ----

void CElementBarMenu::OnSize(UINT type, int cx, int cy) {
    m_rcBar = CRect(0, 0, cx, cy);
}

void CElementBarMenu::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    if (rc.IsRectEmpty()) return;
    m_rcBar = rc;
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap bmp;
    bmp.CreateCompatibleBitmap(&dc, rc.Width(), rc.Height());
    CBitmap* old = mem.SelectObject(&bmp);
    DrawBar(&mem);
    dc.BitBlt(0, 0, rc.Width(), rc.Height(), &mem, 0, 0, SRCCOPY);
    mem.SelectObject(old);
}

void CElementBarMenu::OnMouseMove(UINT flags, CPoint pt) {
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof(tme);
    tme.dwFlags = TME_HOVER | TME_LEAVE;
    tme.hwndTrack = m_hWnd;
    tme.dwHoverTime = 1;
    TrackMouseEvent(&tme);
    const int hit = HitTest(pt);
    if (hit < 0) SetCursor(CommonCursor(CommonResouce::kCursorArrow));
    if (hit != m_nHover) {
        m_nHover = hit;
        Invalidate(FALSE);
        UpdateWindow();
    }
}

void CElementBarMenu::OnMouseLeave() {
    m_nHover = -1;
    if (m_bPopupOpen) {
        m_bRepaintAfterPopup = 1;
        return;
    }
    Invalidate(FALSE);
    UpdateWindow();
}

void CElementBarMenu::OnLButtonUp(UINT flags, CPoint pt) { ClickAt(pt); }

void CElementBarMenu::ClickAt(CPoint pt) {
    if (!GetOwnerWnd()) return;
    m_nHover = HitTest(pt);
    if (m_nHover < 0) return;
    const bool arrow = m_nHover >= 1000;
    const int index = arrow ? m_nHover - 1000 : m_nHover;
    auto item = GetItem(index);
    if (!item || !item->m_bVisible || item->IsSeparator()) return;
    if (!arrow) {
        if (item->m_nCommandId != 0) OnItemClick(index);
        if (m_hWnd) {
            Invalidate(FALSE);
            UpdateWindow();
        }
        return;
    }
    if (!item->HasChildren()) return;
    CPoint screen = pt;
    ClientToScreen(&screen);
    m_bPopupOpen = 1;
    const HWND self = m_hWnd;
    const UINT id = TrackDropDown(*item, screen);
    if (!::IsWindow(self)) return;
    m_bPopupOpen = 0;
    if (id != 0)
        if (CWnd* owner = GetOwnerWnd()) owner->PostMessage(WM_COMMAND, id, 0);
    if (m_bRepaintAfterPopup) {
        m_bRepaintAfterPopup = 0;
        Invalidate(FALSE);
        UpdateWindow();
    }
}
