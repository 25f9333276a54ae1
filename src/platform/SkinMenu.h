#pragma once
// Skinned menus, the menu bar and the frame bases the program builds its shell on.
// Item kinds on the bar are told apart with dynamic_cast.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Frame.h"
#include "platform/Menu.h"

class CSkinMenuBar;

// Icons for skinned menus, keyed by command id.
class CSkinMenuIcons {
public:
    CSkinMenuIcons();
    virtual ~CSkinMenuIcons();
    // A tool bar resource ("TOOLBAR" type: u16 version, width, height, count, ids) with the
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
    UINT m_nFlags = 0;

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

class CSkinMenuBar : public CWnd {
public:
    using CallBack = std::function<int(int, const std::string&)>;
    CSkinMenuBar();
    ~CSkinMenuBar() override;
    // Once, before the frame that shows the bar is created: fonts and colours.
    static void InitCommonResource();
    // Called with (command id, item text) before a chosen command is sent; a nonzero
    // return means the callback handled it.
    void SetCallBack(CallBack cb) { m_callback = std::move(cb); }
    BOOL Create(CWnd* parent, DWORD style, UINT id);
    BOOL CreateEx(CWnd* parent, DWORD ctrlStyle, DWORD style, CRect borders, UINT id);
    // The bar takes one item per entry of menu (popups and plain commands).
    BOOL LoadMenuBar(CMenu* menu);
    void AddItem(std::unique_ptr<CSkinBarItem> item);
    void RemoveAllItems();
    int GetItemCount() const { return (int)m_items.size(); }
    static CSkinBarItem* GetBarItem(const std::vector<std::unique_ptr<CSkinBarItem>>& items,
                                    int index);
    CSkinBarItem* GetBarItem(int index) const { return GetBarItem(m_items, index); }
    CSkinIconBarItem* GetIconBarItem(UINT id) const;
    virtual void SizeMenuBar(const CRect& rc);
    virtual void DrawBarItems(CDC* dc);
    virtual int HitTest(CPoint pt) const;
    virtual CSize CalcLayout(DWORD mode, int length = -1);
    virtual CSize CalcDynamicLayout(int length, DWORD mode) { return CalcLayout(mode, length); }
    virtual void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler);
    // Hooks the frame and child frames pass their messages through; TRUE: consumed.
    virtual BOOL FrameWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) { return FALSE; }
    virtual BOOL ChildWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) { return FALSE; }
    // Opens the popup of item index below it and runs it; returns the chosen id or 0.
    UINT TrackItem(int index);
    int GetHotItem() const { return m_hot; }

    int OnCreate(LPCREATESTRUCT cs) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnLButtonDown(UINT flags, CPoint pt) override;
    void OnMouseMove(UINT flags, CPoint pt) override;
    void OnMouseLeave() override;
    void OnPaint() override;
    void OnSize(UINT type, int cx, int cy) override;

    std::vector<std::unique_ptr<CSkinBarItem>> m_items;
    COLORREF m_clrBk, m_clrText, m_clrHot;

protected:
    CallBack m_callback;
    int m_hot = -1;
    bool m_tracking = false;
};

class CSkinMDIFrameWnd : public CMDIFrameWnd {};
class CSkinMDIChildWnd : public CMDIChildWnd {};
class CSkinToolBar : public CWnd {};

class CSkinMultiDocTemplate : public CMultiDocTemplate {
public:
    using CMultiDocTemplate::CMultiDocTemplate;
    void LoadTemplate() override;
    CSkinMenu m_sharedMenu;  // the menu whose icons LoadToolBar supplies
};
