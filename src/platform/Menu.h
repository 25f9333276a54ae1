#pragma once
// Menus. Popups are drawn by the layer itself (so owner-drawn items, icons and the
// program's look work the same everywhere) and navigated with the mouse or the keys
// Up, Down, Right (open a sub-menu), Left, Enter, Escape and an item's & letter.
#include <memory>
#include <string>
#include <vector>

#include "platform/Wnd.h"

class CImageList;

namespace platform {
struct MenuItemData {
    UINT flags = 0;
    UINT_PTR id = 0;
    std::string text;
    HMENU sub = nullptr;
    ULONG_PTR itemData = 0;  // owner-draw items: the pointer given as the text
    int image = -1;          // index in the menu's image list, -1 none
};
struct MenuData;
}  // namespace platform

class CMenu {
public:
    CMenu();
    virtual ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;
    HMENU GetSafeHmenu() const { return m_hMenu; }
    BOOL CreatePopupMenu();
    BOOL CreateMenu();
    BOOL Attach(HMENU menu);
    HMENU Detach();
    BOOL DestroyMenu();  // destroys the menu and its sub-menus
    // A CMenu for a handle; lives as long as the menu.
    static CMenu* FromHandle(HMENU menu);

    // MF_POPUP: idOrMenu is the sub-menu's HMENU, which this menu then owns.
    // MF_OWNERDRAW: text is ignored and itemData (the classic "item data") is kept.
    BOOL AppendMenu(UINT flags, UINT_PTR idOrMenu = 0, const char* text = nullptr);
    BOOL AppendMenuA(UINT flags, UINT_PTR idOrMenu = 0, const char* text = nullptr) {
        return AppendMenu(flags, idOrMenu, text);
    }
    BOOL AppendOwnerDraw(UINT flags, UINT_PTR id, ULONG_PTR itemData);
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR idOrMenu = 0, const char* text = nullptr);
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR idOrMenu = 0, const char* text = nullptr);
    BOOL RemoveMenu(UINT position, UINT flags);  // a sub-menu is detached, not destroyed
    BOOL DeleteMenu(UINT position, UINT flags);  // a sub-menu is destroyed
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int pos) const;  // -1 for a sub-menu, 0 for a separator
    CMenu* GetSubMenu(int pos) const;
    int GetMenuString(UINT item, std::string& text, UINT flags) const;
    UINT GetMenuState(UINT item, UINT flags) const;  // 0xFFFFFFFF when there is no such item
    UINT CheckMenuItem(UINT item, UINT check);       // previous state, or 0xFFFFFFFF
    UINT EnableMenuItem(UINT item, UINT enable);
    BOOL SetItemImage(UINT item, UINT flags, int image);
    void SetImageList(CImageList* images);  // icons drawn beside items (not owned)

    // Shows the popup at a screen point and runs it. Sends WM_INITMENUPOPUP, and
    // WM_MEASUREITEM / WM_DRAWITEM for owner-drawn items, to wnd. With TPM_RETURNCMD
    // returns the chosen id (0 when cancelled); otherwise posts WM_COMMAND to wnd and
    // returns nonzero when something was chosen.
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT exclude = nullptr);

    const platform::MenuItemData* ItemAt(int pos) const;
};

// The popup window that is open now (the innermost one), or null.
CWnd* GetOpenPopupMenuWindow();
