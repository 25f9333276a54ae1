#pragma once
// Window classes: the name a window is created under and the traits its windows share.
//
// A class is registered by name (compared without regard to case, as the classic window
// manager does) and is looked up when CWnd::CreateEx is given that name; the window keeps
// its class for life. Creating a window under a name nobody registered fails.
//
// The layer predefines:
//   "AfxWnd" (CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, arrow cursor, window-white background):
//       the class of every window created with a null class name;
//   the native controls' classes "Edit", "ComboBox", "ListBox", "ScrollBar", "Button",
//       "Static", "RichEdit20A", "SysDateTimePick32", "SysMonthCal32", "msctls_progress32"
//       (their windows get them whatever name they were created with), and
//   "tooltips_class32", "#32768" (popup menus), "#32770" (dialogs).
// Predefined classes cannot be unregistered.
//
// How classes differ from the classic ones: there is no window procedure in the record
// (a window's procedure is its CWnd object, and a procedure put in front of it is
// CWnd::SubclassWindowProc); no instance handle, menu name, icon or extra bytes. The
// background is a colour, not a brush handle.
//
// What a class's style does here:
//   CS_DBLCLKS   a second click within the double-click time arrives as WM_xBUTTONDBLCLK;
//                without it, as a second WM_xBUTTONDOWN;
//   CS_HREDRAW, CS_VREDRAW  a resize invalidates the whole client area; without them only
//                the area a resize uncovers is invalidated (the rest of the back buffer stays);
//   other bits (CS_DROPSHADOW, CS_SAVEBITS, CS_OWNDC, ...) are kept and reported, no more.
// The class cursor is what the default WM_SETCURSOR sets in the client area (null: leaves
// the cursor as it is); the class background is the default WM_ERASEBKGND's colour
// (CLR_INVALID: the default erase paints nothing).
//
// Threads: registration and lookup are safe from any thread; windows are made on the UI
// thread only.
#include <string>

#include "platform/Gdi.h"

struct WNDCLASS {
    UINT style = 0;
    HCURSOR hCursor = nullptr;
    COLORREF background = CLR_INVALID;
    std::string lpszClassName;
};

// FALSE when the name is empty or taken (the classic ERROR_CLASS_ALREADY_EXISTS).
BOOL RegisterClass(const WNDCLASS& wc);
// TRUE also when a class of that name exists already (it is left as it is).
BOOL AfxRegisterClass(const WNDCLASS& wc);
// A class with these traits under a name made from them ("Afx:<style>:<cursor>:<colour>"),
// registered once; the returned text lives as long as the process.
const char* AfxRegisterWndClass(UINT style, HCURSOR cursor = nullptr,
                                COLORREF background = CLR_INVALID);
// FALSE for unknown and predefined names. Windows made under it keep their traits.
BOOL UnregisterClass(const char* name);
// Fills *wc (when not null) with the registered class; FALSE when there is none.
BOOL GetClassInfo(const char* name, WNDCLASS* wc);
// The window's class name copied into buf (cut to maxCount - 1, always terminated);
// returns the length copied, 0 for a handle that names no window.
int GetClassName(HWND hwnd, char* buf, int maxCount);
std::string GetClassName(HWND hwnd);
// GCL_STYLE of the window's class (0 for a stale handle); setting it changes the class for
// every window of it and returns the old style.
#define GCL_STYLE (-26)
DWORD GetClassLong(HWND hwnd, int index);
DWORD SetClassLong(HWND hwnd, int index, DWORD value);
