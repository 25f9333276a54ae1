#include "app/StockMenuBar.h"

#include <strings.h>

#include <algorithm>

#include "ui/WebLinks.h"
#include "marketdata/AppInfo.h"
#include "marketdata/net/LoginSession.h"
#include "platform/App.h"
#include "platform/Graphics.h"
#include "platform/Services.h"
#include "ui/CommonVar.h"
#include "ui/SkinResManager.h"
#include "ui/draw/DrawHelpers.h"

namespace {

constexpr int kFirstTabX = 8;
constexpr int kMinTabWidth = 96;
constexpr int kTabPadding = 40;
constexpr int kCloseRoom = 24;   // extra width of a closable tab for its X
constexpr int kButtonWidth = 40;  // window buttons
constexpr COLORREF kLinkColor = RGB(255, 0, 0);
constexpr COLORREF kMenuGlyph = RGB(172, 172, 172);

constexpr const char* kTabKeys[8] = {"Tab1", "HoverTab1", "Tab2", "HoverTab2",
                                     "Tab3", "HoverTab3", "Tab4", "HoverTab4"};

bool SameTitle(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

CFont* TabFont() {
    return GetCommonVar()->GetFont(CommonVar::kFontSong14Bold);
}

COLORREF Common(int index) {
    return GetCommonVar()->GetColor(index);
}

}  // namespace

// ---- window buttons ----

CCaptionButtonItem::CCaptionButtonItem(UINT sysCommand, CSkinMenuBar* bar, const std::string& text)
    : CSkinIconBarItem(sysCommand, bar, text) {}

void CCaptionButtonItem::DrawBarItem(CDC* dc, BOOL hot, BOOL pressed) {
    if (!dc) return;
    CRect rc = m_rect;
    rc.bottom -= 1;  // keep the bar's bottom line
    if (hot || pressed) {
        COLORREF bk = m_nID == SC_CLOSE ? RGB(196, 43, 28) : Common(CommonColor::uniMenuBar_Mouse);
        dc->FillSolidRect(&rc, bk);
    }
    const COLORREF ink = hot && m_nID == SC_CLOSE ? RGB(255, 255, 255) : RGB(200, 200, 200);
    const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
    CGraphics g(dc);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    const ARGB argb = 0xFF000000u | (ARGB(GetRValue(ink)) << 16) | (ARGB(GetGValue(ink)) << 8) |
                      GetBValue(ink);
    switch (m_nID) {
        case SC_MINIMIZE:
            g.DrawLine(argb, 1.0f, float(cx - 5), float(cy + 1), float(cx + 5), float(cy + 1));
            break;
        case SC_MAXIMIZE: {
            CWnd* frame = ::AfxGetMainWnd();
            if (frame && frame->IsZoomed()) {  // restore: two overlapping squares
                g.DrawRectangle(argb, 1.0f, float(cx - 5), float(cy - 3), 8, 8);
                g.DrawLine(argb, 1.0f, float(cx - 3), float(cy - 5), float(cx + 5), float(cy - 5));
                g.DrawLine(argb, 1.0f, float(cx + 5), float(cy - 5), float(cx + 5), float(cy + 3));
            } else {
                g.DrawRectangle(argb, 1.0f, float(cx - 5), float(cy - 5), 10, 10);
            }
            break;
        }
        case SC_CLOSE:
            g.DrawLine(argb, 1.2f, float(cx - 5), float(cy - 5), float(cx + 5), float(cy + 5));
            g.DrawLine(argb, 1.2f, float(cx + 5), float(cy - 5), float(cx - 5), float(cy + 5));
            break;
        default:
            CSkinIconBarItem::DrawBarItem(dc, hot, pressed);
    }
}

// ---- the bar ----

CStockMenuBar::CStockMenuBar() : m_tabColors(8, 0) {}

CStockMenuBar::~CStockMenuBar() {
    if (m_skinListener) GetSkinResManager()->RemoveSkinListener(m_skinListener);
}

BOOL CStockMenuBar::Create(CWnd* parent, DWORD style, UINT id) {
    RemoveAllItems();
    m_tabFrames.clear();
    const std::vector<std::string>& titles = GetCommonVar()->m_titles;
    for (size_t i = 0; i < titles.size(); ++i) {
        AddItem(std::make_unique<CSkinMenuBarItem>(nullptr, UINT(i), titles[i], kTabStyle, this));
        m_tabFrames.push_back(nullptr);
    }
    for (const IconItem& icon : GetIconItemList())
        AddItem(std::make_unique<CCaptionButtonItem>(icon.id, this, icon.text));
    m_nTabCount = m_nModeTabs = (int)titles.size();
    m_selTab = -1;
    ApplySkin();
    if (!m_skinListener) m_skinListener = GetSkinResManager()->AddSkinListener([this] { ApplySkin(); });
    SetBarHeight(kBarHeight);
    return CSkinMenuBar::Create(parent, style, id);
}

int CStockMenuBar::OnCreate(LPCREATESTRUCT cs) {
    return CSkinMenuBar::OnCreate(cs) == -1 ? -1 : 0;
}

void CStockMenuBar::OnDestroy() {
    if (m_skinListener) {
        GetSkinResManager()->RemoveSkinListener(m_skinListener);
        m_skinListener = 0;
    }
    CSkinMenuBar::OnDestroy();
}

void CStockMenuBar::ApplySkin() {
    CSkinResManager* skin = GetSkinResManager();
    for (int i = 0; i < 8; ++i) m_tabColors[i] = skin->GetColor("FrameTitle", kTabKeys[i]);
    if (m_hWnd) Invalidate(FALSE);
}

COLORREF CStockMenuBar::GetTabColor(int index, bool hot) const {
    if (index < 0) return 0;
    // The skin colours four tabs; later layout tabs repeat the two pairs of layout tabs.
    int pair = index < 4 ? index : 2 + (index - 2) % 2;
    return m_tabColors[size_t(2 * pair + (hot ? 1 : 0))];
}

std::string CStockMenuBar::GetTabText(int index) const {
    CSkinBarItem* item = index >= 0 && index < m_nTabCount ? GetBarItem(index) : nullptr;
    return item ? item->GetText() : std::string();
}

HWND CStockMenuBar::GetTabFrame(int index) const {
    if (index < 0 || index >= (int)m_tabFrames.size()) return nullptr;
    HWND h = m_tabFrames[size_t(index)];
    return h && ::IsWindow(h) ? h : nullptr;
}

int CStockMenuBar::FindTab(const std::string& title) const {
    for (int i = 0; i < m_nTabCount; ++i)
        if (SameTitle(GetBarItem(i)->GetText(), title)) return i;
    return -1;
}

void CStockMenuBar::AddTab(const std::string& title, HWND frame) {
    int existing = FindTab(title);
    if (existing >= 0) {
        if (!GetTabFrame(existing)) m_tabFrames[size_t(existing)] = frame;
        return;
    }
    auto item = std::make_unique<CSkinMenuBarItem>(nullptr, UINT(m_nTabCount), title, kTabStyle, this);
    m_tabFrames.insert(m_tabFrames.begin() + m_nTabCount, frame);
    ++m_nTabCount;  // before the insertion lays the bar out
    InsertItem(m_nTabCount - 1, std::move(item));
    CRect rc;
    if (CWnd* main = MainFrame(); main && main->m_hWnd && m_hWnd) {
        main->GetClientRect(&rc);
        rc.bottom = rc.top + kBarHeight;
        SizeMenuBar(rc);
    } else {
        CalcLayout(0);
    }
    if (m_hWnd) Invalidate(FALSE);
}

void CStockMenuBar::SelectTab(const std::string& title) {
    int i = FindTab(title);
    if (i >= 0) ActivateTab(i, false);
}

void CStockMenuBar::SelectTabByIndex(int index) {
    ActivateTab(index, true);
}

void CStockMenuBar::ActivateTab(int index, bool analysisFollowsTraining) {
    if (index < 0 || index >= m_nTabCount || index == m_selTab) return;
    const int previous = m_selTab;
    m_selTab = index;
    const std::string text = GetTabText(index);
    std::optional<CIndSecuCode> security;
    if (analysisFollowsTraining && text == "分析走势" && m_hooks.trendTrainingSecurity)
        security = m_hooks.trendTrainingSecurity();
    if (HWND frame = GetTabFrame(index)) {
        if (security && m_hooks.giveSecurity) m_hooks.giveSecurity(frame, *security);
        // A workspace frame comes to the top by becoming the active child frame.
        if (auto* child = dynamic_cast<CMDIChildWnd*>(CWnd::FromHandle(frame)))
            child->MDIActivate();
        else if (CWnd* w = CWnd::FromHandle(frame))
            w->BringWindowToTop();
    } else {
        std::string key = GetCommonVar()->GetKeyByTitle(text);
        std::string path = GetAppInfo()->GetDataPath() + "layout/" + key + ".xlay";
        if (m_hooks.openLayout) m_hooks.openLayout(path, security ? &*security : nullptr);
    }
    RedrawTab(previous);
    RedrawTab(index);
}

void CStockMenuBar::RemoveTab(int index) {
    RemoveTabAt(index, true);
}

void CStockMenuBar::OnFrameClosed(HWND frame) {
    if (!frame) return;
    for (int i = 0; i < m_nTabCount; ++i) {
        if (m_tabFrames[size_t(i)] != frame) continue;
        if (IsClosableTab(i))
            RemoveTabAt(i, false);
        else
            m_tabFrames[size_t(i)] = nullptr;
        return;
    }
}

void CStockMenuBar::RemoveTabAt(int index, bool closeFrame) {
    if (index < 0 || index >= m_nTabCount) return;
    HWND frame = GetTabFrame(index);
    // The selection keeps pointing at the same tab, or at its left neighbour when it was
    // the one removed (the frame that becomes active selects its own tab afterwards).
    int selected = m_selTab;
    if (selected > index)
        --selected;
    else if (selected == index)
        selected = m_nTabCount > 1 ? std::max(0, index - 1) : -1;
    m_tabFrames.erase(m_tabFrames.begin() + index);
    m_nTabCount = std::max(0, m_nTabCount - 1);
    if (index < m_nModeTabs) --m_nModeTabs;
    m_nPressedCode = -1;
    RemoveItem(index);
    m_selTab = selected;
    m_hot = -1;
    if (closeFrame && frame) ::PostMessage(frame, WM_CLOSE, 0, 0);
    if (m_hWnd) Invalidate(TRUE);
}

CWnd* CStockMenuBar::MainFrame() const {
    if (CWnd* main = ::AfxGetMainWnd()) return main;
    return GetParent();
}

// ---- geometry ----

CSize CStockMenuBar::CalcLayout(DWORD, int) {
    CRect client(0, 0, 0, kBarHeight);
    if (m_hWnd) GetClientRect(&client);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CFont* old = dc.SelectObject(TabFont());
    int x = kFirstTabX;
    for (int i = 0; i < m_nTabCount; ++i) {
        CSkinBarItem* item = GetBarItem(i);
        int w = std::max(kMinTabWidth, int(dc.GetTextExtent(item->GetText()).cx) + kTabPadding);
        if (IsClosableTab(i)) w += kCloseRoom;
        item->SetRect(CRect(x, 0, x + w, client.Height()));
        x += w;
    }
    int icons = GetItemCount() - m_nTabCount;
    int right = std::max(client.Width(), x + icons * kButtonWidth);
    // The window buttons sit at the right edge, the first rightmost.
    for (int i = m_nTabCount; i < GetItemCount(); ++i) {
        GetBarItem(i)->SetRect(CRect(right - kButtonWidth, 0, right, client.Height()));
        right -= kButtonWidth;
    }
    dc.SelectObject(old);
    LayoutRightBlock();
    return CSize(32767, kBarHeight);
}

void CStockMenuBar::LayoutRightBlock() {
    // Anchored on the leftmost window button, so the links stay put however many tabs open.
    CSkinBarItem* anchor = m_nTabCount < GetItemCount() ? GetBarItem(GetItemCount() - 1) : nullptr;
    CRect client(0, 0, 0, kBarHeight);
    if (m_hWnd) GetClientRect(&client);
    if (!anchor) {
        m_rcMenuButton = m_rcInvite = m_rcTraining = m_rcHelp = CRect();
        return;
    }
    CRect a = anchor->GetRect();
    m_rcMenuButton = CRect(a.left - 33, a.top + 4, a.left - 23, a.bottom);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CFont* old = dc.SelectObject(TabFont());
    int right = m_rcMenuButton.left;
    CRect* rects[3] = {&m_rcHelp, &m_rcTraining, &m_rcInvite};
    const char* texts[3] = {"使用说明", "培训", "邀请好友赢好礼"};
    for (int i = 0; i < 3; ++i) {
        int w = dc.GetTextExtent(texts[i]).cx + 30;
        *rects[i] = CRect(right - w, client.top, right, client.bottom);
        right -= w;
    }
    dc.SelectObject(old);
}

CRect CStockMenuBar::GetTabRect(int index) const {
    CSkinBarItem* item = index >= 0 && index < m_nTabCount ? GetBarItem(index) : nullptr;
    if (!item) return CRect();
    CRect rc = item->GetRect();
    rc.right -= 3;
    rc.bottom -= 2;
    if (index != m_selTab) rc.top += 6;
    return rc;
}

CRect CStockMenuBar::GetCloseBoxRect(int index) const {
    if (!IsClosableTab(index)) return CRect();
    CRect item = GetBarItem(index)->GetRect();
    int top = item.top + (index == m_selTab ? 14 : 17);
    return CRect(item.right - 21, top, item.right - 13, top + 8);
}

CRect CStockMenuBar::GetCloseBoxHitRect(int index) const {
    CRect box = GetCloseBoxRect(index);
    if (box.IsRectEmpty()) return box;
    box.InflateRect(3, 3);  // a little slack around the 8-pixel X
    return box;
}

int CStockMenuBar::HitTestCode(CPoint pt) const {
    for (int i = 0; i < GetItemCount(); ++i) {
        if (!GetBarItem(i)->GetRect().PtInRect(pt)) continue;
        return i < m_nTabCount ? kHitTab + i : kHitIcon + i;
    }
    return -1;
}

// ---- drawing ----

void CStockMenuBar::OnPaint() {
    CPaintDC dc(this);
    DrawBackground(&dc);
    DrawBarItems(&dc);
}

void CStockMenuBar::DrawBackground(CDC* dc) {
    CRect rc;
    GetClientRect(&rc);
    dc->FillSolidRect(&rc, Common(CommonColor::uniBackGround));
    CRect line(rc.left, rc.bottom - 1, rc.right, rc.bottom);
    dc->FillSolidRect(&line, Common(CommonColor::uniWnd_Border));
}

void CStockMenuBar::DrawBorder(const CRect& rc) {
    if (!m_hWnd) return;
    CClientDC dc(this);
    CBrush brush;
    brush.CreateSolidBrush(Common(CommonColor::uniWnd_Border));
    CRect r = rc;
    dc.FrameRect(&r, &brush);
}

void CStockMenuBar::DrawTab(CDC* dc, int index) {
    if (!dc || index < 0 || index >= GetItemCount()) return;
    CSkinBarItem* item = GetBarItem(index);
    if (index >= m_nTabCount) {
        item->DrawBarItem(dc, index == m_hot, FALSE);
        return;
    }
    CRect itemRect = item->GetRect();
    CRect tab = GetTabRect(index);
    if (index != m_selTab) {
        CRect gap(tab.left, itemRect.top, tab.right, tab.top);
        dc->FillSolidRect(&gap, Common(CommonColor::uniBackGround));
    }
    const bool hot = index == m_hot;
    CRect inside(tab.left + 1, tab.top + 1, tab.right, tab.bottom);
    dc->FillSolidRect(&inside, GetTabColor(index, hot));
    CPen pen(PS_SOLID, 1, Common(CommonColor::uniMenuBar_ButtonBorder));
    CPen* oldPen = dc->SelectObject(&pen);
    dc->MoveTo(tab.left, tab.bottom);
    dc->LineTo(tab.left, tab.top);
    dc->LineTo(tab.right, tab.top);
    dc->MoveTo(tab.right, tab.top);
    dc->LineTo(tab.right, tab.bottom + 1);
    dc->MoveTo(tab.left, tab.bottom);
    dc->LineTo(tab.right, tab.bottom);
    dc->SelectObject(oldPen);

    CFont* oldFont = dc->SelectObject(TabFont());
    dc->SetBkMode(TRANSPARENT);
    CRect text = tab;
    if (IsClosableTab(index)) text.right -= kCloseRoom - 4;
    dc->SetTextColor(Common(CommonColor::uniTextShadow));
    dc->DrawText(item->GetText(), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    text.OffsetRect(-1, -1);
    dc->SetTextColor(Common(CommonColor::uniText));
    dc->DrawText(item->GetText(), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(oldFont);

    if (IsClosableTab(index)) {
        CRect x = GetCloseBoxRect(index);
        CPen black(PS_SOLID, 2, RGB(0, 0, 0));
        oldPen = dc->SelectObject(&black);
        dc->MoveTo(x.left, x.top);
        dc->LineTo(x.right, x.bottom);
        dc->MoveTo(x.right, x.top);
        dc->LineTo(x.left, x.bottom);
        dc->SelectObject(oldPen);
    }
}

void CStockMenuBar::DrawBarItems(CDC* dc) {
    for (int i = 0; i < GetItemCount(); ++i) DrawTab(dc, i);
    if (m_rcMenuButton.IsRectEmpty()) return;
    // The menu button: two short bars over a small triangle.
    const CRect& b = m_rcMenuButton;
    CRect bar1(b.left, b.top + 4, b.left + 11, b.top + 5);
    CRect bar2(b.left, b.top + 5, b.left + 11, b.top + 6);
    dc->FillSolidRect(&bar1, kMenuGlyph);
    dc->FillSolidRect(&bar2, kMenuGlyph);
    RECT tri{b.left, b.top + 8, b.left + 11, b.top + 16};
    DrawTriangleAA(kMenuGlyph, dc, 5, tri);

    CFont* oldFont = dc->SelectObject(TabFont());
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(kLinkColor);
    const struct {
        const CRect* rc;
        const char* text;
    } links[] = {{&m_rcHelp, "使用说明"}, {&m_rcTraining, "培训"}, {&m_rcInvite, "邀请好友赢好礼"}};
    for (const auto& l : links) {
        CRect r = *l.rc;
        dc->DrawText(l.text, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    dc->SelectObject(oldFont);
}

void CStockMenuBar::RedrawTab(int index) {
    if (!m_hWnd || index < 0 || index >= GetItemCount()) return;
    CRect rc = GetBarItem(index)->GetRect();
    InvalidateRect(&rc, FALSE);
}

// ---- messages ----

BOOL CStockMenuBar::PreTranslateMessage(MSG* msg) {
    if (msg && msg->message == WM_COMMAND) return FALSE;
    return CSkinMenuBar::PreTranslateMessage(msg);
}

BOOL CStockMenuBar::OnCommand(WPARAM wParam, LPARAM lParam) {
    return CSkinMenuBar::OnCommand(wParam, lParam);
}

void CStockMenuBar::OnLButtonDown(UINT flags, CPoint pt) {
    const int code = HitTestCode(pt);
    const bool inRects = m_rcMenuButton.PtInRect(pt) || m_rcInvite.PtInRect(pt) ||
                         m_rcTraining.PtInRect(pt) || m_rcHelp.PtInRect(pt);
    CWnd* main = MainFrame();
    if (!inRects && code < 0 && main && main->m_hWnd && !main->IsZoomed()) {
        ::ReleaseCapture();
        main->SendMessage(WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
        return;
    }
    m_nPressedCode = code;
    if (code >= 0) SetCapture();
}

void CStockMenuBar::OnLButtonDblClk(UINT flags, CPoint pt) {
    if (HitTestCode(pt) >= 0) return;
    CWnd* main = MainFrame();
    if (main && main->m_hWnd)
        main->PostMessage(WM_SYSCOMMAND, main->IsZoomed() ? SC_RESTORE : SC_MAXIMIZE, 0);
}

void CStockMenuBar::OnLButtonUp(UINT flags, CPoint pt) {
    const int pressed = m_nPressedCode;
    m_nPressedCode = -1;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    if (m_rcMenuButton.PtInRect(pt)) {
        OnMenuButton(pt);
        return;
    }
    if (m_rcInvite.PtInRect(pt)) {
        OnInviteLink();
        return;
    }
    if (m_rcTraining.PtInRect(pt)) {
        platform::ShellOpen(GetHomePageUrl());
        return;
    }
    if (m_rcHelp.PtInRect(pt)) {
        platform::ShellOpen(GetHelpPageUrl());
        return;
    }
    const int code = HitTestCode(pt);
    if (code < 0 || code != pressed) return;
    if (int tab = TabAtCode(code); tab >= 0) {
        if (IsClosableTab(tab) && GetCloseBoxHitRect(tab).PtInRect(pt)) {
            RemoveTab(tab);
            if (m_hWnd) {
                InvalidateRect(nullptr, TRUE);
                UpdateWindow();
            }
        } else {
            SelectTabByIndex(tab);
        }
        return;
    }
    CSkinBarItem* item = GetBarItem(code - kHitIcon);
    CWnd* main = MainFrame();
    if (!item || !main || !main->m_hWnd) return;
    // The skinned frame carries out the window buttons' system commands.
    main->SendMessage(WM_COMMAND, item->GetMenuItemID(), (LPARAM)m_hWnd);
}

void CStockMenuBar::OnMenuButton(CPoint pt) {
    CSkinMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenuA(MF_STRING, kCmdHomePage, "访问官网", -1);
    menu.AppendMenuA(MF_STRING, kCmdAbout, "关于", -1);
    menu.AppendMenuA(MF_STRING, kCmdHelp, "使用说明", -1);
    CPoint screen = pt;
    ClientToScreen(&screen);
    CWnd* owner = MainFrame();
    menu.TrackPopupMenu(TPM_VERTICAL, screen.x, screen.y, owner ? owner : this);
    menu.DestroyMenu();
}

void CStockMenuBar::OnInviteLink() {
    std::string account = m_hooks.accountName ? m_hooks.accountName() : GetAccountName();
    std::string link = GetInviteLink(account);
    if (m_hooks.shareDialog)
        m_hooks.shareDialog(link);
    else
        platform::ShellOpen(link);
}

void CStockMenuBar::OnMouseMove(UINT flags, CPoint pt) {
    m_cursorHand = m_rcMenuButton.PtInRect(pt) || m_rcTraining.PtInRect(pt) ||
                   m_rcHelp.PtInRect(pt) || m_rcInvite.PtInRect(pt);
    ::SetCursor(::LoadCursor(nullptr, m_cursorHand ? IDC_HAND : IDC_ARROW));
    int code = HitTestCode(pt);
    int hot = code < 0 ? -1 : code >= kHitIcon ? code - kHitIcon : code - kHitTab;
    if (hot != m_hot) {
        int old = m_hot;
        m_hot = hot;
        RedrawTab(old);
        RedrawTab(hot);
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, m_hWnd, 0};
        ::TrackMouseEvent(&tme);
    }
}

void CStockMenuBar::OnMouseLeave() {
    m_cursorHand = false;
    if (m_hot != -1) {
        int old = m_hot;
        m_hot = -1;
        RedrawTab(old);
    }
}

BOOL CStockMenuBar::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
    ::SetCursor(::LoadCursor(nullptr, m_cursorHand ? IDC_HAND : IDC_ARROW));
    return TRUE;
}
