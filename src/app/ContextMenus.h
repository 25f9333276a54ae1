#pragma once
// The application's two registered context menus, by resource id: 119 "编辑" (cut, copy,
// paste; the workspace view shows it on a right click) and 174 "资源管理器" (open, open
// with, compile, cut, copy, delete, properties).
#include <string>

#include "platform/Menu.h"

inline constexpr UINT IDR_POPUP_EDIT = 119;
inline constexpr UINT IDR_POPUP_EXPLORER = 174;

// The menu's name (its resource string: "编辑", "资源管理器"); empty for another id.
std::string ContextMenuName(UINT id);
// Fills a popup menu created by the caller; false for an unknown id.
bool BuildContextMenu(UINT id, CMenu& menu);
