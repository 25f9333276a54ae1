#include "app/ContextMenus.h"

namespace {
// The framework's standard command ids.
constexpr UINT kEditCut = 57635;
constexpr UINT kEditCopy = 57634;
constexpr UINT kEditPaste = 57637;
constexpr UINT kEditClear = 57632;
constexpr UINT kFileOpen = 57601;
constexpr UINT kOpenWith = 32771;
constexpr UINT kCompile = 32772;
constexpr UINT kProperties = 57650;
}  // namespace

std::string ContextMenuName(UINT id) {
    switch (id) {
        case IDR_POPUP_EDIT: return "编辑";
        case IDR_POPUP_EXPLORER: return "资源管理器";
        default: return {};
    }
}

bool BuildContextMenu(UINT id, CMenu& menu) {
    switch (id) {
        case IDR_POPUP_EDIT:
            menu.AppendMenu(MF_STRING, kEditCut, "剪切(&T)\tCtrl+X");
            menu.AppendMenu(MF_STRING, kEditCopy, "复制(&C)\tCtrl+C");
            menu.AppendMenu(MF_STRING, kEditPaste, "粘贴(&P)\tCtrl+V");
            return true;
        case IDR_POPUP_EXPLORER:
            menu.AppendMenu(MF_STRING, kFileOpen, "打开(&O)");
            menu.AppendMenu(MF_STRING, kOpenWith, "打开方式(&N)...");
            menu.AppendMenu(MF_SEPARATOR);
            menu.AppendMenu(MF_STRING, kCompile, "编译(&M)");
            menu.AppendMenu(MF_SEPARATOR);
            menu.AppendMenu(MF_STRING, kEditCut, "剪切(&T)\tCtrl+X");
            menu.AppendMenu(MF_STRING, kEditCopy, "复制(&C)\tCtrl+C");
            menu.AppendMenu(MF_STRING, kEditClear, "删除(&D)\tDel");
            menu.AppendMenu(MF_SEPARATOR);
            menu.AppendMenu(MF_STRING, kProperties, "属性(&R)...");
            return true;
        default:
            return false;
    }
}
