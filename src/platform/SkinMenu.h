#pragma once
// Skinned menus, the menu bar and the frame bases the program builds its shell on.
// Item kinds on the bar are told apart with dynamic_cast.
//
// The menu bar is a control bar docked at the top of its frame. Its items are menu items
// (CSkinMenuBarItem: with a popup menu, a plain command, or, with the MF_POPUP style and
// no menu, a tab a subclass gives meaning to) and icon items (CSkinIconBarItem). Menu and
// tab items run from the left edge in order; icon items sit at the right edge, the first
// rightmost.
// - States: the hot item (under the pointer), the pressed item (where the left button went
//   down, until it goes up), the selected tab (SetSelectedTab; -1 for none). The default
//   drawing shows hot and pressed items highlighted and the selected tab as pressed.
// - HitTest(point) answers 100 + i for the menu or tab item at index i, 200 + i for the
//   icon item at index i, -1 for none; ItemFromHit turns a code back into the index.
// - Mouse: a press on an item with a popup opens it below the item and sends the chosen
//   command; a press on a plain command item sends its command at once; tabs and icon
//   items act on release over the item they were pressed on: an icon item sends its
//   command to the owner (WM_COMMAND with the id and the bar's handle), a tab nothing
//   (subclasses select it).
// - Commands go through the callback first (SetCallBack), then to the parent frame.
// - Painting: DrawBackground (the client area), DrawBarItems (every item through DrawTab,
//   whose default lets the item draw itself with its hot and pressed look), then
//   DrawBorder with the client rectangle, which draws on the bar's own window DC.
// - GetIconItemList: the caption buttons the library offers as icon items (close,
//   maximise/restore, minimise: the SC_* ids); a skinned frame carries them out when
//   they arrive as WM_COMMAND.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ControlBar.h"
#include "platform/Frame.h"
#include "platform/Menu.h"
#include "platform/SkinToolBar.h"

class CSkinMenuBar;

// Icons for skinned menus, keyed by command id.
class CSkinMenuIcons {
public:
    CSkinMenuIcons();
    virtual ~CSkinMenuIcons();
    // A tool bar resource ("TOOLBAR", see LoadToolBarResource in Resource.h) with the
    // "BITMAP" of the same id; pixels of mask become transparent. Returns the icons added.
    virtual int LoadToolBar(UINT toolBarId, COLORREF mask);
    virtual BOOL LoadBitmap(UINT bitmapId, const std::vector<UINT>& ids, int cx, int cy,
                            COLORREF mask);
    virtual int MatchIcon(UINT commandId) const;  // index, or -1
    virtual void DrawIcon(CDC* dc, UINT commandId, POINT pt, BOOL grey) const;
    virtual CSize GetIconSize() const;
    int GetCount() const;

private:
    std::unique_ptr<CImageList> m_images;
    std::vector<UINT> m_ids;
    CSize m_size{16, 16};
};

class CSkinMenu : public CMenu {
public:
    CSkinMenu();
    ~CSkinMenu() override;
    // image: index of the icon drawn beside the item, -1 for the command's tool-bar icon
    BOOL AppendMenuA(UINT flags, UINT_PTR idOrMenu, const char* text, int image);
    using CMenu::AppendMenuA;
    // Loads the icons shown beside items of every skinned menu. Nonzero on success.
    static BOOL LoadToolBar(UINT toolBarId, UINT hotToolBarId, COLORREF mask,
                            void* instance = nullptr);
    static CSkinMenuIcons* SharedIcons();
    // Windows that show skinned menus pass these messages on; the layer measures and
    // prepares its own items, so both only answer whether the message was theirs.
    static LRESULT OnMeasureItem(const MSG* msg);
    static BOOL OnInitMenuPopup(CWnd* wnd, CMenu* menu, UINT index, BOOL sysMenu);
};
class CSkinMenu1 : public CSkinMenu {};

class CSkinBarItem {
public:
    CSkinBarItem(UINT id, CSkinMenuBar* bar, const std::string& text);
    virtual ~CSkinBarItem();
    virtual void DrawBarItem(CDC* dc, BOOL hot, BOOL pressed);
    virtual BOOL HitTest(CPoint pt) const { return m_rect.PtInRect(pt); }
    virtual HMENU GetMenu() const { return nullptr; }
    virtual UINT GetMenuItemID() const { return m_nID; }
    CRect GetRect() const { return m_rect; }
    void SetRect(const CRect& rc) { m_rect = rc; }
    const std::string& GetText() const { return m_strText; }
    void SetText(const std::string& t) { m_strText = t; }
    UINT GetStyle() const { return m_nFlags; }
    // The window a tab stands for (a frame), not owned; null for none.
    CWnd* GetFrame() const { return m_pFrame; }
    void SetFrame(CWnd* frame) { m_pFrame = frame; }
    UINT m_nFlags = 0;
    CWnd* m_pFrame = nullptr;

protected:
    UINT m_nID;
    CSkinMenuBar* m_pBar;
    std::string m_strText;
    CRect m_rect;
};

class CSkinMenuBarItem : public CSkinBarItem {
public:
    CSkinMenuBarItem(HMENU menu, UINT id, const std::string& text, UINT flags, CSkinMenuBar* bar);
    HMENU GetMenu() const override { return m_hMenu; }

private:
    HMENU m_hMenu;
};

class CSkinIconBarItem : public CSkinBarItem {
public:
    CSkinIconBarItem(UINT id, CSkinMenuBar* bar, const std::string& text);
    void DrawBarItem(CDC* dc, BOOL hot, BOOL pressed) override;
};

class CSkinMenuBar : public CControlBar {
public:
    using CallBack = std::function<int(int, const std::string&)>;
    struct IconItem {
        UINT id;
        std::string text;
    };
    CSkinMenuBar();
    ~CSkinMenuBar() override;
    // Once, before the frame that shows the bar is created: fonts and colours.
    static void InitCommonResource();
    static const std::vector<IconItem>& GetIconItemList();
    // Called with (command id, item text) before a chosen command is sent; a nonzero
    // return means the callback handled it.
    void SetCallBack(CallBack cb) { m_callback = std::move(cb); }
    // style: window bits and CBRS_* bits (aligned to the top when it names no side).
    virtual BOOL Create(CWnd* parent, DWORD style, UINT id);
    BOOL CreateEx(CWnd* parent, DWORD ctrlStyle, DWORD style, CRect borders, UINT id);
    // The bar takes one item per entry of menu (popups and plain commands).
    BOOL LoadMenuBar(CMenu* menu);
    void AddItem(std::unique_ptr<CSkinBarItem> item);
    void InsertItem(int index, std::unique_ptr<CSkinBarItem> item);
    void RemoveItem(int index);
    void RemoveAllItems();
    int GetItemCount() const { return (int)m_items.size(); }
    static CSkinBarItem* GetBarItem(const std::vector<std::unique_ptr<CSkinBarItem>>& items,
                                    int index);
    CSkinBarItem* GetBarItem(int index) const { return GetBarItem(m_items, index); }
    CSkinIconBarItem* GetIconBarItem(UINT id) const;
    virtual void SizeMenuBar(const CRect& rc);
    virtual void DrawBarItems(CDC* dc);
    virtual void DrawBackground(CDC* dc);
    virtual void DrawBorder(const CRect& rc);
    virtual void DrawTab(CDC* dc, int index);
    virtual int HitTest(CPoint pt) const;
    static int ItemFromHit(int code) { return code >= 200 ? code - 200 : code >= 100 ? code - 100 : -1; }
    virtual CSize CalcLayout(DWORD mode, int length = -1);
    CSize CalcDynamicLayout(int length, DWORD mode) override { return CalcLayout(mode, length); }
    CSize CalcFixedLayout(BOOL stretch, BOOL horz) override {
        return CalcLayout((stretch ? LM_STRETCH : 0) | (horz ? LM_HORZ : 0));
    }
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    // Hooks the frame and child frames pass their messages through; TRUE: consumed.
    virtual BOOL FrameWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) { return FALSE; }
    virtual BOOL ChildWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) { return FALSE; }
    // Opens the popup of item index below it and runs it; returns the chosen id or 0.
    UINT TrackItem(int index);
    int GetHotItem() const { return m_hot; }
    int GetPressedItem() const { return m_pressed; }
    int GetSelectedTab() const { return m_selTab; }
    void SetSelectedTab(int index);
    int GetBarHeight() const { return m_cyBar; }
    void SetBarHeight(int cy) { m_cyBar = cy > 0 ? cy : m_cyBar; }

    int OnCreate(LPCREATESTRUCT cs) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnLButtonDown(UINT flags, CPoint pt) override;
    void OnLButtonUp(UINT flags, CPoint pt) override;
    void OnMouseMove(UINT flags, CPoint pt) override;
    void OnMouseLeave() override;
    void OnPaint() override;
    void OnSize(UINT type, int cx, int cy) override;

    std::vector<std::unique_ptr<CSkinBarItem>> m_items;
    COLORREF m_clrBk, m_clrText, m_clrHot;

protected:
    CallBack m_callback;
    int m_hot = -1;
    int m_pressed = -1;
    int m_selTab = -1;
    int m_cyBar = 26;
    bool m_tracking = false;
};

// The skinned frames carry out the caption commands of the menu bar's icon items
// (SC_MINIMIZE, SC_MAXIMIZE, which restores a maximised frame, SC_CLOSE) as the
// matching WM_SYSCOMMAND.
class CSkinMDIFrameWnd : public CMDIFrameWnd {
public:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};
class CSkinMDIChildWnd : public CMDIChildWnd {};


class CSkinMultiDocTemplate : public CMultiDocTemplate {
public:
    using CMultiDocTemplate::CMultiDocTemplate;
    void LoadTemplate() override;
    CSkinMenu m_sharedMenu;  // the menu whose icons LoadToolBar supplies
};
