// The skinned menu pieces: icons, menus, the menu bar and its items.
#include "platform/SkinMenu.h"

#include "platform/PlatformPrivate.h"
#include "platform/Resource.h"

namespace platform {
void SetMenuIconDrawer(std::function<bool(CDC*, UINT, POINT, bool)> fn);
}

// ---- CSkinMenuIcons ----
CSkinMenuIcons::CSkinMenuIcons() : m_images(std::make_unique<CImageList>()) {}
CSkinMenuIcons::~CSkinMenuIcons() = default;

// The "TOOLBAR" resource is text: "<width> <height>" then the command id of each button
// in the bitmap strip, 0 standing for a separator (no image).
int CSkinMenuIcons::LoadToolBar(UINT toolBarId, COLORREF mask) {
    int w = 0, h = 0;
    std::vector<UINT> all, ids;
    if (!platform::LoadToolBarResource(toolBarId, w, h, all)) return 0;
    for (UINT id : all)
        if (id) ids.push_back(id);
    return LoadBitmap(toolBarId, ids, w, h, mask) ? (int)ids.size() : 0;
}
BOOL CSkinMenuIcons::LoadBitmap(UINT bitmapId, const std::vector<UINT>& ids, int cx, int cy,
                                COLORREF mask) {
    CBitmap bmp;
    if (!bmp.LoadBitmap(bitmapId)) return FALSE;
    if (!m_images->IsCreated() || m_size != CSize(cx, cy)) {
        m_images->Create(cx, cy, ILC_COLOR32 | ILC_MASK, 0, 10);
        m_ids.clear();
        m_size = CSize(cx, cy);
    }
    int first = m_images->Add(&bmp, mask);
    if (first < 0) return FALSE;
    int added = m_images->GetImageCount() - first;
    for (int i = 0; i < added; ++i) m_ids.push_back(i < (int)ids.size() ? ids[i] : 0);
    return TRUE;
}
int CSkinMenuIcons::MatchIcon(UINT id) const {
    for (size_t i = 0; i < m_ids.size(); ++i)
        if (m_ids[i] == id && id) return (int)i;
    return -1;
}
void CSkinMenuIcons::DrawIcon(CDC* dc, UINT id, POINT pt, BOOL grey) const {
    int i = MatchIcon(id);
    if (i < 0 || !dc) return;
    m_images->Draw(dc, i, pt, ILD_TRANSPARENT);
    if (grey) {
        // a disabled command's icon is washed out towards the menu background
        CDC* d = dc;
        for (int y = 0; y < m_size.cy; ++y)
            for (int x = 0; x < m_size.cx; ++x) {
                COLORREF c = d->GetPixel(pt.x + x, pt.y + y);
                if (c == CLR_INVALID) continue;
                int g = (GetRValue(c) * 3 + GetGValue(c) * 6 + GetBValue(c)) / 10;
                g = 255 - (255 - g) / 2;
                d->SetPixel(pt.x + x, pt.y + y, RGB(g, g, g));
            }
    }
}
CSize CSkinMenuIcons::GetIconSize() const {
    return m_size;
}
int CSkinMenuIcons::GetCount() const {
    return m_images->GetImageCount();
}

// ---- CSkinMenu ----
CSkinMenu::CSkinMenu() = default;
CSkinMenu::~CSkinMenu() = default;
BOOL CSkinMenu::AppendMenuA(UINT flags, UINT_PTR idOrMenu, const char* text, int image) {
    if (!CMenu::AppendMenu(flags, idOrMenu, text)) return FALSE;
    if (image >= 0) SetItemImage((UINT)GetMenuItemCount() - 1, MF_BYPOSITION, image);
    return TRUE;
}
CSkinMenuIcons* CSkinMenu::SharedIcons() {
    static CSkinMenuIcons icons;
    return &icons;
}
BOOL CSkinMenu::LoadToolBar(UINT toolBarId, UINT, COLORREF mask, void*) {
    int n = SharedIcons()->LoadToolBar(toolBarId, mask);
    if (n > 0) {
        platform::SetMenuIconDrawer([](CDC* dc, UINT id, POINT pt, bool grey) {
            if (SharedIcons()->MatchIcon(id) < 0) return false;
            SharedIcons()->DrawIcon(dc, id, pt, grey);
            return true;
        });
    }
    return n > 0;
}
LRESULT CSkinMenu::OnMeasureItem(const MSG* msg) {
    return msg && msg->message == WM_MEASUREITEM;
}
BOOL CSkinMenu::OnInitMenuPopup(CWnd*, CMenu* menu, UINT, BOOL) {
    return menu != nullptr;
}

// ---- bar items ----
CSkinBarItem::CSkinBarItem(UINT id, CSkinMenuBar* bar, const std::string& text)
    : m_nID(id), m_pBar(bar), m_strText(text) {}
CSkinBarItem::~CSkinBarItem() = default;
void CSkinBarItem::DrawBarItem(CDC* dc, BOOL hot, BOOL pressed) {
    if (!dc || !m_pBar) return;
    if (hot || pressed) dc->FillSolidRect(&m_rect, m_pBar->m_clrHot);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(m_pBar->m_clrText);
    CRect r = m_rect;
    dc->DrawText(m_strText, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
CSkinMenuBarItem::CSkinMenuBarItem(HMENU menu, UINT id, const std::string& text, UINT flags,
                                   CSkinMenuBar* bar)
    : CSkinBarItem(id, bar, text), m_hMenu(menu) {
    m_nFlags = flags;
}
CSkinIconBarItem::CSkinIconBarItem(UINT id, CSkinMenuBar* bar, const std::string& text)
    : CSkinBarItem(id, bar, text) {}
void CSkinIconBarItem::DrawBarItem(CDC* dc, BOOL hot, BOOL pressed) {
    if (!dc) return;
    if (hot || pressed) dc->FillSolidRect(&m_rect, m_pBar->m_clrHot);
    CSize s = CSkinMenu::SharedIcons()->GetIconSize();
    POINT pt{m_rect.left + (m_rect.Width() - s.cx) / 2, m_rect.top + (m_rect.Height() - s.cy) / 2};
    if (CSkinMenu::SharedIcons()->MatchIcon(m_nID) >= 0) {
        CSkinMenu::SharedIcons()->DrawIcon(dc, m_nID, pt, FALSE);
        return;
    }
    // the caption buttons draw their glyphs
    const CPoint c = m_rect.CenterPoint();
    CPen pen(PS_SOLID, 1, m_pBar->m_clrText);
    CPen* old = dc->SelectObject(&pen);
    switch (m_nID) {
        case SC_MINIMIZE:
            dc->MoveTo(c.x - 5, c.y + 3);
            dc->LineTo(c.x + 5, c.y + 3);
            break;
        case SC_MAXIMIZE: {
            CGdiObject* ob = dc->SelectStockObject(NULL_BRUSH);
            dc->Rectangle(c.x - 5, c.y - 4, c.x + 5, c.y + 5);
            if (auto* b = dynamic_cast<CBrush*>(ob)) dc->SelectObject(b);
            break;
        }
        case SC_CLOSE:
            dc->MoveTo(c.x - 4, c.y - 4);
            dc->LineTo(c.x + 5, c.y + 5);
            dc->MoveTo(c.x + 4, c.y - 4);
            dc->LineTo(c.x - 5, c.y + 5);
            break;
        default:
            dc->SelectObject(old);
            CSkinBarItem::DrawBarItem(dc, FALSE, FALSE);
            return;
    }
    dc->SelectObject(old);
}

// ---- the menu bar ----
namespace {
bool g_commonInit = false;
}
CSkinMenuBar::CSkinMenuBar()
    : m_clrBk(RGB(38, 41, 46)), m_clrText(RGB(230, 230, 230)), m_clrHot(RGB(70, 90, 120)) {}
CSkinMenuBar::~CSkinMenuBar() = default;
void CSkinMenuBar::InitCommonResource() {
    g_commonInit = true;
}
const std::vector<CSkinMenuBar::IconItem>& CSkinMenuBar::GetIconItemList() {
    static const std::vector<IconItem> items{
        {SC_CLOSE, "关闭"}, {SC_MAXIMIZE, "最大化"}, {SC_MINIMIZE, "最小化"}};
    return items;
}

BOOL CSkinMenuBar::Create(CWnd* parent, DWORD style, UINT id) {
    if (!parent) return FALSE;
    if (!(style & CBRS_ALIGN_ANY)) style |= CBRS_ALIGN_TOP;
    return CreateBar(style, CRect(0, 0, 100, m_cyBar), parent, id);
}
BOOL CSkinMenuBar::CreateEx(CWnd* parent, DWORD, DWORD style, CRect, UINT id) {
    return Create(parent, style, id);
}

BOOL CSkinMenuBar::LoadMenuBar(CMenu* menu) {
    if (!menu || !menu->GetSafeHmenu()) return FALSE;
    RemoveAllItems();
    for (int i = 0; i < menu->GetMenuItemCount(); ++i) {
        const platform::MenuItemData* it = menu->ItemAt(i);
        if (!it || (it->flags & MF_SEPARATOR)) continue;
        AddItem(std::make_unique<CSkinMenuBarItem>(it->sub, it->sub ? 0 : (UINT)it->id, it->text,
                                                   it->flags, this));
    }
    return TRUE;
}
void CSkinMenuBar::AddItem(std::unique_ptr<CSkinBarItem> item) {
    InsertItem((int)m_items.size(), std::move(item));
}
void CSkinMenuBar::InsertItem(int index, std::unique_ptr<CSkinBarItem> item) {
    if (!item) return;
    index = std::clamp(index, 0, (int)m_items.size());
    m_items.insert(m_items.begin() + index, std::move(item));
    // the states follow the items they name
    for (int* state : {&m_hot, &m_pressed, &m_selTab})
        if (*state >= index) ++*state;
    CalcLayout(0);
    if (m_hWnd) Invalidate();
}
void CSkinMenuBar::RemoveItem(int index) {
    if (index < 0 || index >= (int)m_items.size()) return;
    m_items.erase(m_items.begin() + index);
    for (int* state : {&m_hot, &m_pressed, &m_selTab}) {
        if (*state == index)
            *state = -1;
        else if (*state > index)
            --*state;
    }
    CalcLayout(0);
    if (m_hWnd) Invalidate();
}
void CSkinMenuBar::RemoveAllItems() {
    m_items.clear();
    m_hot = m_pressed = m_selTab = -1;
    if (m_hWnd) Invalidate();
}
void CSkinMenuBar::SetSelectedTab(int index) {
    if (index < -1 || index >= (int)m_items.size()) index = -1;
    if (index == m_selTab) return;
    m_selTab = index;
    if (m_hWnd) Invalidate(FALSE);
}
CSkinBarItem* CSkinMenuBar::GetBarItem(const std::vector<std::unique_ptr<CSkinBarItem>>& items,
                                       int index) {
    return index >= 0 && index < (int)items.size() ? items[index].get() : nullptr;
}
CSkinIconBarItem* CSkinMenuBar::GetIconBarItem(UINT id) const {
    for (auto& it : m_items)
        if (auto* icon = dynamic_cast<CSkinIconBarItem*>(it.get()))
            if (icon->GetMenuItemID() == id) return icon;
    return nullptr;
}
CSize CSkinMenuBar::CalcLayout(DWORD mode, int) {
    CRect client(0, 0, 0, m_cyBar);
    if (m_hWnd) GetClientRect(&client);
    const int h = client.Height() > 0 ? client.Height() : m_cyBar;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    if (GetFont()) dc.SelectObject(GetFont());
    int x = 4;
    int right = client.right;
    for (auto& it : m_items) {
        if (dynamic_cast<CSkinIconBarItem*>(it.get())) {
            // icon items sit at the right edge, the first rightmost
            it->SetRect(CRect(right - 28, 0, right, h));
            right -= 28;
            continue;
        }
        const int w = dc.GetTextExtent(it->GetText()).cx + 20;
        it->SetRect(CRect(x, 0, x + w, h));
        x += w;
    }
    const int need = x + 4 + (client.right - right);
    return CSize((mode & LM_STRETCH) ? 32767 : need, m_cyBar);
}
void CSkinMenuBar::SizeMenuBar(const CRect& rc) {
    if (m_hWnd) MoveWindow(&rc);
    CalcLayout(0);
}
void CSkinMenuBar::DrawBackground(CDC* dc) {
    CRect rc;
    GetClientRect(&rc);
    dc->FillSolidRect(&rc, m_clrBk);
}
void CSkinMenuBar::DrawBorder(const CRect&) {}
void CSkinMenuBar::DrawTab(CDC* dc, int index) {
    CSkinBarItem* item = GetBarItem(index);
    if (!item || !dc) return;
    item->DrawBarItem(dc, index == m_hot, index == m_pressed || index == m_selTab);
}
void CSkinMenuBar::DrawBarItems(CDC* dc) {
    for (int i = 0; i < (int)m_items.size(); ++i) DrawTab(dc, i);
}
int CSkinMenuBar::HitTest(CPoint pt) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i]->HitTest(pt))
            return (dynamic_cast<CSkinIconBarItem*>(m_items[i].get()) ? 200 : 100) + (int)i;
    return -1;
}
void CSkinMenuBar::OnUpdateCmdUI(CFrameWnd* target, BOOL) {
    if (!target) return;
    // menus are brought up to date when they open; bar items reflect enabled commands
    for (auto& it : m_items) {
        if (it->GetMenu() || !it->GetMenuItemID()) continue;
        CCmdUI ui = target->QueryCommandState(it->GetMenuItemID());
        it->m_nFlags =
            (it->m_nFlags & ~MF_GRAYED) | (ui.m_bHandled && !ui.m_bEnabled ? MF_GRAYED : 0);
    }
}
UINT CSkinMenuBar::TrackItem(int index) {
    CSkinBarItem* item = GetBarItem(index);
    if (!item) return 0;
    if (!item->GetMenu()) return item->GetMenuItemID();
    CMenu* menu = CMenu::FromHandle(item->GetMenu());
    if (!menu) return 0;
    CPoint pt(item->GetRect().left, item->GetRect().bottom);
    ClientToScreen(&pt);
    m_tracking = true;
    m_hot = index;
    Invalidate(FALSE);
    CWnd* owner = GetParent() ? GetParent() : this;
    UINT id = (UINT)menu->TrackPopupMenu(TPM_LEFTALIGN | TPM_RETURNCMD, pt.x, pt.y, owner);
    m_tracking = false;
    if (m_hWnd) Invalidate(FALSE);
    return id;
}
int CSkinMenuBar::OnCreate(LPCREATESTRUCT cs) {
    SetBackgroundColor(m_clrBk);
    CalcLayout(0);
    return CWnd::OnCreate(cs);
}
BOOL CSkinMenuBar::OnCommand(WPARAM wp, LPARAM lp) {
    UINT id = LOWORD(wp);
    std::string text;
    for (auto& it : m_items)
        if (it->GetMenuItemID() == id) text = it->GetText();
    if (m_callback && m_callback((int)id, text)) return TRUE;
    if (CWnd* p = GetParent()) {
        p->SendMessage(WM_COMMAND, wp, lp);
        return TRUE;
    }
    return FALSE;
}
void CSkinMenuBar::OnLButtonDown(UINT, CPoint pt) {
    const int i = ItemFromHit(HitTest(pt));
    m_pressed = i;
    if (i < 0) return;
    Invalidate(FALSE);
    CSkinBarItem* item = m_items[(size_t)i].get();
    if (dynamic_cast<CSkinIconBarItem*>(item)) return;     // acts on release
    if (!item->GetMenu() && (item->GetStyle() & MF_POPUP)) return;  // a tab
    auto alive = d->alive;
    UINT id = TrackItem(i);
    if (!*alive) return;
    if (item->GetMenu()) m_pressed = -1;
    if (id) SendMessage(WM_COMMAND, id, 0);
}
void CSkinMenuBar::OnLButtonUp(UINT, CPoint pt) {
    const int pressed = m_pressed;
    m_pressed = -1;
    if (pressed < 0) return;
    Invalidate(FALSE);
    const int i = ItemFromHit(HitTest(pt));
    if (i != pressed) return;
    auto* icon = dynamic_cast<CSkinIconBarItem*>(m_items[(size_t)i].get());
    if (!icon) return;
    if (CWnd* owner = GetOwner())
        owner->SendMessage(WM_COMMAND, icon->GetMenuItemID(), (LPARAM)m_hWnd);
}
void CSkinMenuBar::OnMouseMove(UINT, CPoint pt) {
    int i = ItemFromHit(HitTest(pt));
    if (i != m_hot && !m_tracking) {
        m_hot = i;
        Invalidate(FALSE);
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, m_hWnd, 0};
        ::TrackMouseEvent(&tme);
    }
}
void CSkinMenuBar::OnMouseLeave() {
    if (!m_tracking && m_hot != -1) {
        m_hot = -1;
        Invalidate(FALSE);
    }
}
void CSkinMenuBar::OnPaint() {
    CPaintDC dc(this);
    DrawBackground(&dc);
    DrawBarItems(&dc);
    CRect rc;
    GetClientRect(&rc);
    DrawBorder(rc);
}
void CSkinMenuBar::OnSize(UINT, int, int) {
    CalcLayout(0);
}

BOOL CSkinMDIFrameWnd::OnCommand(WPARAM wp, LPARAM lp) {
    switch (LOWORD(wp)) {
        case SC_MINIMIZE:
        case SC_CLOSE:
            SendMessage(WM_SYSCOMMAND, LOWORD(wp), 0);
            return TRUE;
        case SC_MAXIMIZE:
            SendMessage(WM_SYSCOMMAND, IsZoomed() ? SC_RESTORE : SC_MAXIMIZE, 0);
            return TRUE;
        default:
            return CMDIFrameWnd::OnCommand(wp, lp);
    }
}

void CSkinMultiDocTemplate::LoadTemplate() {
    if (!m_sharedMenu.GetSafeHmenu()) m_sharedMenu.CreateMenu();
}
