// Menus and the popup window that runs them.
#include "platform/Menu.h"

#include <QGuiApplication>
#include <QScreen>
#include <set>

#include "platform/PlatformPrivate.h"

using namespace platform;

namespace platform {
struct MenuData {
    std::vector<MenuItemData> items;
    CImageList* images = nullptr;
    std::unique_ptr<CMenu> wrapper;  // what FromHandle hands out
    bool popup = true;
};
}  // namespace platform

namespace {
std::set<MenuData*> g_menus;

MenuData* Data(HMENU h) {
    auto* m = reinterpret_cast<MenuData*>(h);
    return g_menus.count(m) ? m : nullptr;
}
HMENU MakeMenuHandle(bool popup) {
    auto* m = new MenuData;
    m->popup = popup;
    g_menus.insert(m);
    return reinterpret_cast<HMENU>(m);
}
void FreeMenu(HMENU h) {
    MenuData* m = Data(h);
    if (!m) return;
    g_menus.erase(m);
    for (auto& it : m->items)
        if (it.sub) FreeMenu(it.sub);
    if (m->wrapper) m->wrapper->m_hMenu = nullptr;
    delete m;
}
// index of item by command id (searching sub-menus) or by position
MenuItemData* Find(HMENU h, UINT item, UINT flags, HMENU* owner = nullptr, int* index = nullptr) {
    MenuData* m = Data(h);
    if (!m) return nullptr;
    if (flags & MF_BYPOSITION) {
        if (item >= m->items.size()) return nullptr;
        if (owner) *owner = h;
        if (index) *index = (int)item;
        return &m->items[item];
    }
    for (size_t i = 0; i < m->items.size(); ++i) {
        MenuItemData& it = m->items[i];
        if (!it.sub && !(it.flags & MF_SEPARATOR) && it.id == item) {
            if (owner) *owner = h;
            if (index) *index = (int)i;
            return &it;
        }
        if (it.sub)
            if (MenuItemData* f = Find(it.sub, item, flags, owner, index)) return f;
    }
    return nullptr;
}
MenuItemData MakeItem(UINT flags, UINT_PTR idOrMenu, const char* text) {
    MenuItemData it;
    it.flags = flags & ~MF_BYPOSITION;
    if (flags & MF_POPUP)
        it.sub = reinterpret_cast<HMENU>(idOrMenu);
    else
        it.id = idOrMenu;
    if (flags & MF_OWNERDRAW)
        it.itemData = reinterpret_cast<ULONG_PTR>(text);
    else if (text)
        it.text = text;
    return it;
}
}  // namespace

CMenu* PlatformMenuFromHandle(HMENU h) {
    return CMenu::FromHandle(h);
}

CMenu::CMenu() = default;
CMenu::~CMenu() {
    MenuData* m = Data(m_hMenu);
    if (m && m->wrapper.get() == this) return;  // a handle's own wrapper never destroys it
    DestroyMenu();
}
BOOL CMenu::CreatePopupMenu() {
    if (m_hMenu) return FALSE;
    m_hMenu = MakeMenuHandle(true);
    return TRUE;
}
BOOL CMenu::CreateMenu() {
    if (m_hMenu) return FALSE;
    m_hMenu = MakeMenuHandle(false);
    return TRUE;
}
BOOL CMenu::Attach(HMENU h) {
    if (m_hMenu || !Data(h)) return FALSE;
    m_hMenu = h;
    return TRUE;
}
HMENU CMenu::Detach() {
    HMENU h = m_hMenu;
    m_hMenu = nullptr;
    return h;
}
BOOL CMenu::DestroyMenu() {
    if (!Data(m_hMenu)) {
        m_hMenu = nullptr;
        return FALSE;
    }
    HMENU h = m_hMenu;
    m_hMenu = nullptr;
    FreeMenu(h);
    return TRUE;
}
CMenu* CMenu::FromHandle(HMENU h) {
    MenuData* m = Data(h);
    if (!m) return nullptr;
    if (!m->wrapper) {
        m->wrapper = std::make_unique<CMenu>();
        m->wrapper->m_hMenu = h;
    }
    return m->wrapper.get();
}
BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idOrMenu, const char* text) {
    MenuData* m = Data(m_hMenu);
    if (!m) return FALSE;
    if ((flags & MF_POPUP) && !Data(reinterpret_cast<HMENU>(idOrMenu))) return FALSE;
    m->items.push_back(MakeItem(flags, idOrMenu, text));
    return TRUE;
}
BOOL CMenu::AppendOwnerDraw(UINT flags, UINT_PTR id, ULONG_PTR itemData) {
    return AppendMenu(flags | MF_OWNERDRAW, id, reinterpret_cast<const char*>(itemData));
}
BOOL CMenu::InsertMenu(UINT pos, UINT flags, UINT_PTR idOrMenu, const char* text) {
    MenuData* m = Data(m_hMenu);
    if (!m) return FALSE;
    size_t at = m->items.size();
    if (flags & MF_BYPOSITION) {
        if (pos != 0xFFFFFFFF && pos < m->items.size()) at = pos;
    } else {
        int index = -1;
        HMENU owner = nullptr;
        if (Find(m_hMenu, pos, 0, &owner, &index) && owner == m_hMenu) at = (size_t)index;
    }
    m->items.insert(m->items.begin() + (long)at, MakeItem(flags, idOrMenu, text));
    return TRUE;
}
BOOL CMenu::ModifyMenu(UINT pos, UINT flags, UINT_PTR idOrMenu, const char* text) {
    MenuItemData* it = Find(m_hMenu, pos, flags);
    if (!it) return FALSE;
    int image = it->image;
    *it = MakeItem(flags, idOrMenu, text);
    it->image = image;
    return TRUE;
}
BOOL CMenu::RemoveMenu(UINT pos, UINT flags) {
    HMENU owner = nullptr;
    int index = -1;
    if (!Find(m_hMenu, pos, flags, &owner, &index)) return FALSE;
    MenuData* m = Data(owner);
    m->items.erase(m->items.begin() + index);
    return TRUE;
}
BOOL CMenu::DeleteMenu(UINT pos, UINT flags) {
    HMENU owner = nullptr;
    int index = -1;
    MenuItemData* it = Find(m_hMenu, pos, flags, &owner, &index);
    if (!it) return FALSE;
    HMENU sub = it->sub;
    Data(owner)->items.erase(Data(owner)->items.begin() + index);
    if (sub) FreeMenu(sub);
    return TRUE;
}
int CMenu::GetMenuItemCount() const {
    MenuData* m = Data(m_hMenu);
    return m ? (int)m->items.size() : -1;
}
UINT CMenu::GetMenuItemID(int pos) const {
    MenuData* m = Data(m_hMenu);
    if (!m || pos < 0 || pos >= (int)m->items.size()) return (UINT)-1;
    const MenuItemData& it = m->items[pos];
    if (it.sub) return (UINT)-1;
    if (it.flags & MF_SEPARATOR) return 0;
    return (UINT)it.id;
}
CMenu* CMenu::GetSubMenu(int pos) const {
    MenuData* m = Data(m_hMenu);
    if (!m || pos < 0 || pos >= (int)m->items.size()) return nullptr;
    return FromHandle(m->items[pos].sub);
}
int CMenu::GetMenuString(UINT item, std::string& text, UINT flags) const {
    MenuItemData* it = Find(m_hMenu, item, flags);
    text = it ? it->text : std::string();
    return (int)text.size();
}
UINT CMenu::GetMenuState(UINT item, UINT flags) const {
    MenuItemData* it = Find(m_hMenu, item, flags);
    if (!it) return 0xFFFFFFFF;
    UINT s = it->flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_OWNERDRAW);
    if (it->sub) s |= MF_POPUP | ((UINT)Data(it->sub)->items.size() << 8);
    return s;
}
UINT CMenu::CheckMenuItem(UINT item, UINT check) {
    MenuItemData* it = Find(m_hMenu, item, check);
    if (!it) return 0xFFFFFFFF;
    UINT prev = it->flags & MF_CHECKED;
    it->flags = (it->flags & ~MF_CHECKED) | (check & MF_CHECKED);
    return prev;
}
UINT CMenu::EnableMenuItem(UINT item, UINT enable) {
    MenuItemData* it = Find(m_hMenu, item, enable);
    if (!it) return 0xFFFFFFFF;
    UINT prev = it->flags & (MF_GRAYED | MF_DISABLED);
    it->flags = (it->flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return prev;
}
BOOL CMenu::SetItemImage(UINT item, UINT flags, int image) {
    MenuItemData* it = Find(m_hMenu, item, flags);
    if (!it) return FALSE;
    it->image = image;
    return TRUE;
}
void CMenu::SetImageList(CImageList* images) {
    if (MenuData* m = Data(m_hMenu)) m->images = images;
}
const MenuItemData* CMenu::ItemAt(int pos) const {
    MenuData* m = Data(m_hMenu);
    if (!m || pos < 0 || pos >= (int)m->items.size()) return nullptr;
    return &m->items[pos];
}

// ---- the popup window ----
namespace {
constexpr int kItemHeight = 24;
constexpr int kSeparatorHeight = 9;
constexpr int kIconColumn = 28;

// Icons that skinned menus draw beside items, looked up by command id; installed by
// the skinned-menu code.
std::function<bool(CDC*, UINT, POINT, bool)> g_iconDrawer;

class MenuWindow;
struct Tracker {
    CWnd* owner = nullptr;
    UINT chosen = 0;
    bool done = false;
    std::vector<MenuWindow*> stack;
    MenuWindow* root = nullptr;
};
Tracker* g_tracker = nullptr;

class MenuWindow : public CWnd {
public:
    MenuWindow(Tracker* t, HMENU menu) : m_tracker(t), m_menu(menu) { d->menuPopup = true; }
    Tracker* m_tracker;
    HMENU m_menu;
    int m_hot = -1;
    MenuWindow* m_child = nullptr;
    std::vector<CRect> m_rects;
    CFont m_font;

    MenuData* M() const { return Data(m_menu); }

    CSize Layout() {
        LOGFONT lf = DefaultLogFont();
        m_font.CreateFontIndirect(&lf);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(&m_font);
        int width = 120, y = 2;
        m_rects.clear();
        for (size_t i = 0; i < M()->items.size(); ++i) {
            const MenuItemData& it = M()->items[i];
            int h = kItemHeight, w = 0;
            if (it.flags & MF_SEPARATOR) {
                h = kSeparatorHeight;
            } else if (it.flags & MF_OWNERDRAW) {
                MEASUREITEMSTRUCT mis{ODT_MENU, 0, (UINT)it.id, 0, 0, it.itemData};
                if (m_tracker->owner)
                    m_tracker->owner->SendMessage(WM_MEASUREITEM, 0, (LPARAM)&mis);
                h = mis.itemHeight ? (int)mis.itemHeight : kItemHeight;
                w = (int)mis.itemWidth + kIconColumn;
            } else {
                std::string label = it.text, accel;
                size_t tab = label.find('\t');
                if (tab != std::string::npos) {
                    accel = label.substr(tab + 1);
                    label = label.substr(0, tab);
                }
                w = kIconColumn + dc.GetTextExtent(label).cx + 30 +
                    (accel.empty() ? 0 : dc.GetTextExtent(accel).cx + 20);
            }
            width = std::max(width, w);
            m_rects.emplace_back(0, y, 0, y + h);
            y += h;
        }
        for (CRect& r : m_rects) {
            r.left = 2;
            r.right = width - 2;
        }
        return CSize(width, y + 2);
    }

    void OnPaint() override {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(&rc, RGB(252, 252, 252));
        CBrush frame(RGB(160, 160, 160));
        dc.FrameRect(&rc, &frame);
        dc.SelectObject(&m_font);
        dc.SetBkMode(TRANSPARENT);
        for (size_t i = 0; i < m_rects.size() && i < M()->items.size(); ++i) {
            const MenuItemData& it = M()->items[i];
            CRect r = m_rects[i];
            bool hot = (int)i == m_hot;
            bool grey = it.flags & (MF_GRAYED | MF_DISABLED);
            if (it.flags & MF_SEPARATOR) {
                dc.FillSolidRect(r.left + kIconColumn, r.top + 4, r.Width() - kIconColumn - 4, 1,
                                 RGB(210, 210, 210));
                continue;
            }
            if (it.flags & MF_OWNERDRAW) {
                UINT state = (hot ? ODS_SELECTED : 0) | (grey ? ODS_GRAYED : 0) |
                             ((it.flags & MF_CHECKED) ? ODS_CHECKED : 0);
                DRAWITEMSTRUCT dis{ODT_MENU, 0,   (UINT)it.id, ODA_DRAWENTIRE, state,
                                   m_hWnd,   &dc, r,           it.itemData};
                if (m_tracker->owner) m_tracker->owner->SendMessage(WM_DRAWITEM, 0, (LPARAM)&dis);
                continue;
            }
            if (hot && !grey) dc.FillSolidRect(&r, RGB(204, 228, 247));
            POINT ip{r.left + 4, r.top + (r.Height() - 16) / 2};
            bool drewIcon = false;
            if (it.image >= 0 && M()->images)
                drewIcon = M()->images->Draw(&dc, it.image, ip, ILD_TRANSPARENT);
            if (!drewIcon && g_iconDrawer) drewIcon = g_iconDrawer(&dc, (UINT)it.id, ip, grey);
            if ((it.flags & MF_CHECKED) && !drewIcon) {
                CPen pen(PS_SOLID, 2, RGB(40, 40, 40));
                CPen* old = dc.SelectObject(&pen);
                int cx = r.left + 12, cy = r.top + r.Height() / 2;
                dc.MoveTo(cx - 4, cy);
                dc.LineTo(cx - 1, cy + 3);
                dc.LineTo(cx + 5, cy - 4);
                dc.SelectObject(old);
            }
            dc.SetTextColor(grey ? RGB(160, 160, 160) : RGB(20, 20, 20));
            std::string label = it.text, accel;
            size_t tab = label.find('\t');
            if (tab != std::string::npos) {
                accel = label.substr(tab + 1);
                label = label.substr(0, tab);
            }
            CRect tr(r.left + kIconColumn, r.top, r.right - 8, r.bottom);
            dc.DrawText(label, &tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
            if (!accel.empty())
                dc.DrawText(accel, &tr, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            if (it.sub) {
                POINT tri[3] = {{r.right - 12, r.top + 8},
                                {r.right - 12, r.bottom - 8},
                                {r.right - 8, r.top + r.Height() / 2}};
                CBrush b(RGB(80, 80, 80));
                CPen pn(PS_SOLID, 1, RGB(80, 80, 80));
                CBrush* ob = dc.SelectObject(&b);
                CPen* op = dc.SelectObject(&pn);
                dc.Polygon(tri, 3);
                dc.SelectObject(ob);
                dc.SelectObject(op);
            }
        }
    }

    int ItemAt(CPoint pt) const {
        for (size_t i = 0; i < m_rects.size(); ++i)
            if (m_rects[i].PtInRect(pt)) return (int)i;
        return -1;
    }
    bool Selectable(int i) const {
        if (i < 0 || i >= (int)M()->items.size()) return false;
        return !(M()->items[i].flags & MF_SEPARATOR);
    }
    void SetHot(int i) {
        if (i == m_hot) return;
        m_hot = i;
        Invalidate(FALSE);
    }
    void Move(int dir) {
        int n = (int)M()->items.size();
        if (n == 0) return;
        int i = m_hot < 0 ? (dir > 0 ? -1 : n) : m_hot;
        for (int k = 0; k < n; ++k) {
            i = (i + dir + n) % n;
            if (i < 0) i = n - 1;
            if (Selectable(i)) {
                SetHot(i);
                return;
            }
        }
    }
    void Activate(int i);
    void OpenSub(int i);
    void CloseChild() {
        if (!m_child) return;
        m_child->CloseChild();
        MenuWindow* c = m_child;
        m_child = nullptr;
        auto& st = m_tracker->stack;
        st.erase(std::remove(st.begin(), st.end(), c), st.end());
        c->DestroyWindow();
        delete c;
        SetFocus();
    }

    void OnMouseMove(UINT, CPoint pt) override {
        int i = ItemAt(pt);
        if (i >= 0 && Selectable(i)) {
            SetHot(i);
            if (M()->items[i].sub && !m_child)
                OpenSub(i);
            else if (!M()->items[i].sub && m_child)
                CloseChild();
        }
    }
    void OnLButtonUp(UINT, CPoint pt) override {
        int i = ItemAt(pt);
        if (i >= 0) Activate(i);
    }
    void OnLButtonDown(UINT, CPoint) override {}
    void OnKeyDown(UINT vk, UINT, UINT) override {
        switch (vk) {
            case VK_UP:
                Move(-1);
                break;
            case VK_DOWN:
                Move(1);
                break;
            case VK_RIGHT:
                if (m_hot >= 0 && M()->items[m_hot].sub) OpenSub(m_hot);
                break;
            case VK_LEFT:
                if (this != m_tracker->root) End(false);
                break;
            case VK_RETURN:
            case VK_SPACE:
                if (m_hot >= 0) Activate(m_hot);
                break;
            case VK_ESCAPE:
                End(false);
                break;
            default:
                break;
        }
    }
    void OnChar(UINT ch, UINT, UINT) override {
        if (ch < 32) return;
        char32_t lower = ch < 128 ? (char32_t)tolower((int)ch) : ch;
        for (size_t i = 0; i < M()->items.size(); ++i) {
            const std::string& t = M()->items[i].text;
            size_t amp = t.find('&');
            if (amp != std::string::npos && amp + 1 < t.size() &&
                (char32_t)tolower((unsigned char)t[amp + 1]) == lower) {
                SetHot((int)i);
                Activate((int)i);
                return;
            }
        }
    }
    void OnClose() override { End(false); }
    // Closes this level: the root ends the whole menu.
    void End(bool) {
        if (this == m_tracker->root) {
            m_tracker->done = true;
            EndModalLoop(0);
        } else {
            for (MenuWindow* w : m_tracker->stack)
                if (w->m_child == this) {
                    w->CloseChild();
                    return;
                }
        }
    }
};

void MenuWindow::Activate(int i) {
    if (!Selectable(i)) return;
    const MenuItemData& it = M()->items[i];
    if (it.sub) {
        OpenSub(i);
        return;
    }
    if (it.flags & (MF_GRAYED | MF_DISABLED)) return;
    m_tracker->chosen = (UINT)it.id;
    m_tracker->done = true;
    m_tracker->root->EndModalLoop(1);
}

void MenuWindow::OpenSub(int i) {
    if (m_child) {
        if (m_child->m_menu == M()->items[i].sub) return;
        CloseChild();
    }
    HMENU sub = M()->items[i].sub;
    if (!Data(sub)) return;
    if (m_tracker->owner)
        m_tracker->owner->SendMessage(WM_INITMENUPOPUP, (WPARAM)sub, MAKELPARAM(i, FALSE));
    auto* w = new MenuWindow(m_tracker, sub);
    CSize size = w->Layout();
    CPoint at(m_rects[i].right, m_rects[i].top);
    ClientToScreen(&at);
    CRect rc(at, size);
    if (!w->CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "#32768", "", WS_POPUP, rc, this, 0)) {
        delete w;
        return;
    }
    m_child = w;
    m_tracker->stack.push_back(w);
    w->ShowWindow(SW_SHOWNA);
    w->SetFocus();
    w->Move(1);
}
}  // namespace

namespace platform {
bool MenuTrackingActive() {
    return g_tracker != nullptr;
}
void CancelMenuTracking() {
    if (g_tracker && g_tracker->root) g_tracker->root->End(false);
}
bool IsMenuWindow(const QWidget* w) {
    if (!g_tracker) return false;
    CWnd* wnd = WndFromWidget(w);
    for (MenuWindow* m : g_tracker->stack)
        if (m == wnd) return true;
    return false;
}
void SetMenuIconDrawer(std::function<bool(CDC*, UINT, POINT, bool)> fn) {
    g_iconDrawer = std::move(fn);
}
}  // namespace platform

CWnd* GetOpenPopupMenuWindow() {
    if (!g_tracker || g_tracker->stack.empty()) return nullptr;
    return g_tracker->stack.back();
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT) {
    MenuData* m = Data(m_hMenu);
    if (!m || m->items.empty() || g_tracker) return FALSE;
    Tracker tracker;
    tracker.owner = wnd;
    HWND ownerHandle = wnd ? wnd->m_hWnd : nullptr;
    if (wnd) wnd->SendMessage(WM_INITMENUPOPUP, (WPARAM)m_hMenu, MAKELPARAM(0, FALSE));
    if (!Data(m_hMenu)) return FALSE;
    auto* root = new MenuWindow(&tracker, m_hMenu);
    CSize size = root->Layout();
    if (flags & TPM_RIGHTALIGN)
        x -= size.cx;
    else if (flags & TPM_CENTERALIGN)
        x -= size.cx / 2;
    if (flags & TPM_BOTTOMALIGN)
        y -= size.cy;
    else if (flags & TPM_VCENTERALIGN)
        y -= size.cy / 2;
    RECT work;
    SystemParametersWorkArea(&work);
    x = std::max<int>(work.left, std::min<int>(x, work.right - size.cx));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - size.cy));
    CRect rc(CPoint(x, y), size);
    if (!root->CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "#32768", "", WS_POPUP, rc, wnd, 0)) {
        delete root;
        return FALSE;
    }
    tracker.root = root;
    tracker.stack.push_back(root);
    g_tracker = &tracker;
    HWND focusBefore = ::GetFocus();
    root->ShowWindow(SW_SHOW);
    root->SetFocus();
    root->RunModalLoop();
    g_tracker = nullptr;
    root->CloseChild();
    root->DestroyWindow();
    delete root;
    if (CWnd* f = CWnd::FromHandle(focusBefore)) f->SetFocus();
    UINT chosen = tracker.chosen;
    if (flags & TPM_RETURNCMD) return (BOOL)chosen;
    if (chosen && IsWindow(ownerHandle)) ::PostMessage(ownerHandle, WM_COMMAND, chosen, 0);
    return chosen != 0;
}
