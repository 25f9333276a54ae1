#pragma once
// The window base. Every window receives Win32-numbered messages through WindowProc;
// the default WindowProc cracks the common ones into the virtual On... handlers.
//
// Threads: windows live on the UI thread, and every call on them is made there (App.h has
// the whole contract). ::PostMessage may be called from any thread and with any handle: a
// handle that no longer names a window makes it return FALSE, and a window destroyed while
// the message is queued simply never sees it. ::SendMessage from another thread waits for
// the UI thread's answer while a UI loop runs, and answers 0 at once when none does.
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/Gdi.h"
#include "platform/WndClass.h"

namespace platform {
struct WndPrivate;
}

class CWnd;
class CMenu;

// State of one command for menus and bars: filled in by the handler of
// CN_UPDATE_COMMAND_UI along the routing chain.
class CCmdUI {
public:
    UINT m_nID = 0;
    BOOL m_bEnabled = TRUE;
    int m_nCheck = 0;
    std::string m_strText;
    bool m_bTextSet = false;
    bool m_bHandled = false;
    virtual ~CCmdUI() = default;
    virtual void Enable(BOOL on = TRUE) {
        m_bEnabled = on;
        m_bHandled = true;
    }
    virtual void SetCheck(int check = 1) {
        m_nCheck = check;
        m_bHandled = true;
    }
    virtual void SetRadio(BOOL on = TRUE) { SetCheck(on ? 1 : 0); }
    virtual void SetText(const std::string& text) {
        m_strText = text;
        m_bTextSet = true;
        m_bHandled = true;
    }
};

// Something commands can be routed to. Handlers are registered at run time in place of
// a static message map; OnCmdMsg may also be overridden.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // nCode is CN_COMMAND (pExtra unused) or CN_UPDATE_COMMAND_UI (pExtra is the CCmdUI*).
    // Returns TRUE when this target handled it.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra);
    void MapCommand(UINT nID, std::function<void()> onCommand,
                    std::function<void(CCmdUI*)> onUpdate = nullptr);
    void MapCommandRange(UINT first, UINT last, std::function<void(UINT)> onCommand,
                         std::function<void(CCmdUI*)> onUpdate = nullptr);

private:
    struct Entry {
        UINT first, last;
        std::function<void(UINT)> command;
        std::function<void(CCmdUI*)> update;
    };
    std::vector<Entry> m_commands;
};

class CWnd : public CCmdTarget {
public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    static CWnd* FromHandle(HWND hwnd);  // null for a handle that names no window
    static CWnd* FromHandlePermanent(HWND hwnd) { return FromHandle(hwnd); }

    // WS_CHILD windows need a parent; WS_POPUP windows use it as their owner; others are
    // top-level frames. Sends WM_NCCREATE, WM_CREATE (-1 aborts), WM_SIZE, WM_MOVE and,
    // with WS_VISIBLE, WM_SHOWWINDOW.
    virtual BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                          const RECT& rect, CWnd* parent, UINT nID, void* param = nullptr);
    virtual BOOL Create(const char* className, const char* windowName, DWORD style,
                        const RECT& rect, CWnd* parent, UINT nID, void* param = nullptr);
    // Style hook before creation, as a subclass expects.
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs) { return TRUE; }
    // WM_DESTROY to this window then to its children, each child's WM_NCDESTROY, then
    // this window's WM_NCDESTROY, then PostNcDestroy (which may delete the object).
    virtual BOOL DestroyWindow();
    virtual void PostNcDestroy() {}

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // The default handling of the message being handled now (a native control's own).
    LRESULT Default();
    // Sees keyboard messages before they are dispatched; TRUE eats them. The chain runs
    // from the target window up through its parents.
    virtual BOOL PreTranslateMessage(MSG* msg) { return FALSE; }
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    const MSG* GetCurrentMessage() const;

    // -- state --
    BOOL ShowWindow(int cmd);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindow() const { return m_hWnd != nullptr; }
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    void MoveWindow(int x, int y, int w, int h, BOOL repaint = TRUE);
    void MoveWindow(LPCRECT rc, BOOL repaint = TRUE);
    // SWP_FRAMECHANGED: the frame follows the style bits again (after SetWindowLongPtr
    // with GWL_STYLE, say); a native control is sent WM_NCCALCSIZE and its answer becomes
    // its non-client insets; the layer's own windows are sent it too, but have no
    // non-client area: their client area stays the whole window.
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void GetWindowRect(LPRECT rc) const;  // screen coordinates
    void GetClientRect(LPRECT rc) const;  // (0, 0, width, height)
    void ClientToScreen(LPPOINT pt) const;
    void ClientToScreen(LPRECT rc) const;
    void ScreenToClient(LPPOINT pt) const;
    void ScreenToClient(LPRECT rc) const;
    void MapWindowPoints(CWnd* to, LPPOINT pts, UINT count) const;
    void MapWindowPoints(CWnd* to, LPRECT rc) const;
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    void GetWindowText(std::string& text) const { text = GetWindowText(); }
    int GetWindowTextLength() const { return (int)GetWindowText().size(); }
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    // Change the style bits. For a top-level window the system frame follows at once:
    // without WS_CAPTION the window has no frame at all (it moves and resizes through
    // WM_NCHITTEST); a caption without WS_THICKFRAME has no sizing border (the user cannot
    // resize; MoveWindow and SetWindowPos still can); WS_SYSMENU gives the close box,
    // WS_MINIMIZEBOX/WS_MAXIMIZEBOX their boxes; WS_EX_TOPMOST and WS_EX_TOOLWINDOW the
    // window's kind. Nonzero flags then go to SetWindowPos (SWP_FRAMECHANGED: see there).
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
    // What the system draws around this top-level window now (all false for child windows
    // and the layer's popup menus): read back from the toolkit, not from the style bits.
    struct SystemFrame {
        bool caption = false, sizingBorder = false, closeBox = false, minimizeBox = false,
             maximizeBox = false, topmost = false;
    };
    SystemFrame GetSystemFrame() const;
    UINT GetDlgCtrlID() const;
    void SetDlgCtrlID(UINT id);
    CWnd* GetDlgItem(UINT id) const;
    // The next (or previous) visible, enabled child in ctl's group, wrapping within it: a
    // group starts at a child with WS_GROUP and runs to the next one, in creation order.
    // ctl itself when it is the only one; null when ctl is not a child of this window.
    CWnd* GetNextDlgGroupItem(CWnd* ctl, BOOL previous = FALSE) const;
    // The next (or previous) visible, enabled child with WS_TABSTOP after ctl, in creation
    // order, wrapping around; from a ctl that is not a child (or null), the first (last)
    // one. Null when no child is a tab stop.
    CWnd* GetNextDlgTabItem(CWnd* ctl, BOOL previous = FALSE) const;
    // GW_CHILD: the first child; GW_HWNDFIRST, GW_HWNDLAST, GW_HWNDNEXT, GW_HWNDPREV: the
    // siblings in creation order (children of one parent; top-level windows are not
    // ordered); GW_OWNER: the owner. Null when there is none.
    CWnd* GetWindow(UINT cmd) const;
    CWnd* GetParent() const;
    CWnd* GetOwner() const;
    CWnd* GetTopLevelParent() const;
    CWnd* SetParent(CWnd* parent);
    void SetOwner(CWnd* owner);
    void BringWindowToTop();
    BOOL SetForegroundWindow();
    void SetFont(CFont* font, BOOL redraw = TRUE);
    CFont* GetFont() const;
    // Colour of the default background erase; the default is the system window white.
    void SetBackgroundColor(COLORREF c);

    // -- painting --
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(LPCRECT rc, BOOL erase = TRUE);
    void InvalidateRgn(CRgn* rgn, BOOL erase = TRUE);
    void ValidateRect(LPCRECT rc);
    BOOL GetUpdateRect(LPRECT rc, BOOL erase = FALSE) const;
    void UpdateWindow();  // paints now what is invalid
    BOOL RedrawWindow(LPCRECT rc = nullptr, CRgn* rgn = nullptr, UINT flags = 0);
    CDC* GetDC();
    int ReleaseDC(CDC* dc);
    // Window shape: pixels outside the region are not part of the window. Null restores
    // the rectangle. The window takes a copy.
    int SetWindowRgn(CRgn* rgn, BOOL redraw = TRUE);
    // Translucency of a WS_EX_LAYERED top-level window: LWA_ALPHA gives the whole window
    // that opacity, LWA_COLORKEY makes pixels of the key colour transparent.
    BOOL SetLayeredWindowAttributes(COLORREF key, BYTE alpha, DWORD flags);
    // Per-pixel translucency of a WS_EX_LAYERED top-level window: its content becomes the
    // premultiplied image of src at srcPt (ULW_ALPHA), moved to screenPos and resized to size
    // when given. The picture stays until the next call; painting does not replace it.
    BOOL UpdateLayeredWindow(const POINT* screenPos, const SIZE* size, CDC* src, const POINT* srcPt,
                             DWORD flags);

    // -- subclassing: a procedure put in front of the window's own, for code that must
    // watch or change the handling of a window it did not make (a native control, say).
    // It sees every message dispatched to the window and may call `previous` to run the
    // handling it stands in front of: older procedures, then WindowProc. The newest
    // runs first. `previous` answers 0 once the window object is gone.
    using WndProcPrevious = std::function<LRESULT(UINT, WPARAM, LPARAM)>;
    using WndProcHook =
        std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam, const WndProcPrevious&)>;
    int SubclassWindowProc(WndProcHook hook);  // a cookie for RestoreWindowProc
    BOOL RestoreWindowProc(int cookie);

    // -- scroll bars of the window itself (bar: SB_HORZ, SB_VERT; SB_BOTH for ShowScrollBar).
    // A window created with WS_HSCROLL / WS_VSCROLL has that bar along its bottom / right
    // edge, outside its client area, with the range 0..100 until it is set. Setting a range
    // whose page covers it (nMax - nMin + 1 <= nPage, or nMin == nMax) hides the bar unless
    // SIF_DISABLENOSCROLL is given; ShowScrollBar shows or hides it outright. Showing or
    // hiding a bar changes the client area and sends WM_SIZE. The user's scrolling sends
    // the window WM_HSCROLL / WM_VSCROLL (lParam 0) with the classic codes; the position
    // moves only when the window sets it (SB_THUMBTRACK carries the dragged position, which
    // GetScrollInfo also gives as nTrackPos). Positions are clamped to nMin..nMax - nPage + 1.
    // On edits, rich edits and list boxes the bars are the control's own: the info is
    // theirs, setting moves them. On a CScrollBar, SB_CTL is the control. FALSE / 0 for a
    // window without that bar.
    BOOL SetScrollInfo(int bar, const SCROLLINFO* info, BOOL redraw = TRUE);
    BOOL GetScrollInfo(int bar, SCROLLINFO* info, UINT mask = SIF_ALL) const;
    int SetScrollPos(int bar, int pos, BOOL redraw = TRUE);  // the old position
    int GetScrollPos(int bar) const;
    void SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw = TRUE);
    void GetScrollRange(int bar, int* minPos, int* maxPos) const;
    void ShowScrollBar(UINT bar, BOOL show = TRUE);
    // ESB_DISABLE_BOTH leaves the bar shown but greyed and deaf to the user (setting its
    // info keeps it so) until ESB_ENABLE_BOTH, after which it is usable if its range
    // scrolls. One arrow alone (ESB_DISABLE_LTUP / RTDN) is not provided: FALSE, as for a
    // window without the bar.
    BOOL EnableScrollBar(UINT bar, UINT arrows = ESB_DISABLE_BOTH);
    int GetScrollLimit(int bar) const;

    // -- timers: ids are per window, 0 included; setting an id again restarts it --
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, void* unused = nullptr);
    BOOL KillTimer(UINT_PTR id);

    // -- the caret (platform/Caret.h has the rules) --
    BOOL CreateSolidCaret(int width, int height);
    BOOL CreateCaret(CBitmap* bitmap);
    void ShowCaret();
    void HideCaret();
    static void SetCaretPos(POINT pt);
    static CPoint GetCaretPos();

    // -- input --
    CWnd* SetCapture();
    CWnd* SetFocus();
    static CWnd* GetCapture();
    static CWnd* GetFocus();
    static CWnd* GetActiveWindow();
    static CWnd* WindowFromPoint(POINT screen);

    // -- modal loops (nested; each ends with its own EndModalLoop) --
    virtual int RunModalLoop(DWORD flags = 0);
    virtual void EndModalLoop(int result);
    BOOL IsInModalLoop() const;

    // -- handlers the default WindowProc calls --
    virtual int OnCreate(LPCREATESTRUCT cs) { return (int)Default(); }
    virtual void OnDestroy() { Default(); }
    virtual void OnNcDestroy() { Default(); }
    virtual void OnSize(UINT type, int cx, int cy) { Default(); }
    virtual void OnMove(int x, int y) { Default(); }
    virtual void OnPaint() { Default(); }
    virtual BOOL OnEraseBkgnd(CDC* dc) { return (BOOL)Default(); }
    virtual void OnTimer(UINT_PTR id) { Default(); }
    virtual void OnClose() { Default(); }
    virtual void OnShowWindow(BOOL show, UINT status) { Default(); }
    virtual void OnLButtonDown(UINT flags, CPoint pt) { Default(); }
    virtual void OnLButtonUp(UINT flags, CPoint pt) { Default(); }
    virtual void OnLButtonDblClk(UINT flags, CPoint pt) { Default(); }
    virtual void OnRButtonDown(UINT flags, CPoint pt) { Default(); }
    virtual void OnRButtonUp(UINT flags, CPoint pt) { Default(); }
    virtual void OnRButtonDblClk(UINT flags, CPoint pt) { Default(); }
    virtual void OnMButtonDown(UINT flags, CPoint pt) { Default(); }
    virtual void OnMButtonUp(UINT flags, CPoint pt) { Default(); }
    virtual void OnMouseMove(UINT flags, CPoint pt) { Default(); }
    virtual BOOL OnMouseWheel(UINT flags, short delta, CPoint screenPt) { return (BOOL)Default(); }
    virtual void OnMouseHover(UINT flags, CPoint pt) { Default(); }
    virtual void OnMouseLeave() { Default(); }
    virtual void OnKeyDown(UINT vk, UINT repeat, UINT flags) { Default(); }
    virtual void OnKeyUp(UINT vk, UINT repeat, UINT flags) { Default(); }
    virtual void OnChar(UINT ch, UINT repeat, UINT flags) { Default(); }
    virtual void OnSysKeyDown(UINT vk, UINT repeat, UINT flags) { Default(); }
    virtual void OnSetFocus(CWnd* oldWnd) { Default(); }
    virtual void OnKillFocus(CWnd* newWnd) { Default(); }
    virtual BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) { return (BOOL)Default(); }
    virtual LRESULT OnNcHitTest(CPoint screenPt) { return Default(); }
    virtual void OnCaptureChanged(CWnd* wnd) { Default(); }
    virtual void OnContextMenu(CWnd* wnd, CPoint screenPt) { Default(); }
    virtual void OnHScroll(UINT code, UINT pos, CWnd* scrollBar) { Default(); }
    virtual void OnVScroll(UINT code, UINT pos, CWnd* scrollBar) { Default(); }
    virtual void OnMeasureItem(int ctlId, MEASUREITEMSTRUCT* mis) { Default(); }
    virtual void OnDrawItem(int ctlId, DRAWITEMSTRUCT* dis) { Default(); }
    virtual void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu) { Default(); }
    virtual void OnActivate(UINT state, CWnd* other, BOOL minimized) { Default(); }
    virtual void OnSysCommand(UINT id, LPARAM lParam) { Default(); }

    std::unique_ptr<platform::WndPrivate> d;
};

// -- free functions over handles; all safe with stale handles --
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL IsWindow(HWND hwnd);
// The window's scroll bars over its handle, as CWnd's members (FALSE / 0 for a stale one);
// SetScrollInfo answers the new position.
int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw);
BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info);  // info->fMask says what to fill
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);
int GetScrollPos(HWND hwnd, int bar);
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show);
// The window rectangle for a wanted client rectangle: the layer's windows are all client
// area (a system frame lies outside the window rectangle, a skinned caption inside the
// client area), so the rectangle is left as it is. FALSE only for a null rectangle.
BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);
BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu);
// Ends the application's message loop (and every modal loop on the way) with the code.
void PostQuitMessage(int exitCode);
BOOL ReleaseCapture();
HWND GetCapture();
HWND GetFocus();
BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme);
// Any virtual key, mouse buttons included: the high bit while it is down, the low bit
// toggled by each press (Caps Lock, Num Lock and Scroll Lock are on when it is set), as of
// the input events the application has received so far. The lock keys' toggles start off:
// the desktop's lock state is not readable through the toolkit, so they follow the presses
// the program has seen. VK_SHIFT, VK_CONTROL and VK_MENU follow the modifiers every event
// carries; their left and right keys (VK_LSHIFT, ...) are told apart. When the application
// loses the keyboard, every key counts as up (a release elsewhere never arrives).
short GetKeyState(int vk);
// The same down bit; the low bit is set when the key was pressed since the last
// GetAsyncKeyState for it. Safe from any thread. It is the state of the events received,
// not of the hardware: a press still queued is not seen.
short GetAsyncKeyState(int vk);
BOOL GetCursorPos(LPPOINT pt);
HCURSOR LoadCursor(void* instance, UINT id);  // standard shapes, or a "CURSOR" resource
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
DWORD GetTickCount();
int GetSystemMetrics(int index);
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXVSCROLL 2
#define SM_CYHSCROLL 3
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CXEDGE 45
#define SM_CYEDGE 46
// Half the period of the text caret's blinking, in milliseconds.
UINT GetCaretBlinkTime();
BOOL SystemParametersWorkArea(LPRECT rc);  // the screen's available geometry

#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_OWNER 4
#define GW_CHILD 5
// The system colours the program asks for, with the classic light scheme's values.
#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24
#define COLOR_HOTLIGHT 26
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_3DSHADOW COLOR_BTNSHADOW
#define COLOR_3DHIGHLIGHT COLOR_BTNHIGHLIGHT
// The same colours on every machine (the program's look does not follow the desktop's
// theme); 0 for an index outside the table.
COLORREF GetSysColor(int index);

// -- window data. Properties are named pointers kept with the window (names compare
// without regard to case); the window forgets them when destroyed, without freeing what
// they point to. Stale handles: SetProp FALSE, GetProp and RemoveProp null.
BOOL SetProp(HWND hwnd, const char* name, void* data);
void* GetProp(HWND hwnd, const char* name);
void* RemoveProp(HWND hwnd, const char* name);  // the data it held
// The window's long values: GWL_STYLE and GWL_EXSTYLE (setting them changes the bits only;
// SWP_FRAMECHANGED applies the frame; a change is told with WM_STYLECHANGED, wParam the
// index, lParam a STYLESTRUCT, as ModifyStyle and ModifyStyleEx tell theirs, and a native
// control takes up the ES_* bits it understands then), GWL_ID, GWLP_USERDATA (the application's own value,
// 0 at creation) and GWLP_HWNDPARENT (the owner of a top-level window, read only here).
// Set returns the previous value; both answer 0 for a stale handle or another index.
// There is no GWLP_WNDPROC: put a procedure in front with CWnd::SubclassWindowProc.
#define GWLP_HWNDPARENT (-8)
#define GWL_ID (-12)
#define GWLP_ID GWL_ID
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define WM_STYLECHANGED 0x007D
struct STYLESTRUCT {
    DWORD styleOld;
    DWORD styleNew;
};
#define GWL_USERDATA (-21)
#define GWLP_USERDATA GWL_USERDATA
LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);
inline LONG GetWindowLong(HWND hwnd, int index) { return (LONG)GetWindowLongPtr(hwnd, index); }
inline LONG SetWindowLong(HWND hwnd, int index, LONG value) {
    return (LONG)SetWindowLongPtr(hwnd, index, value);
}

// Maps a non-client hit-test code to the window edges a system resize takes
// (bit 1 top, 2 left, 4 right, 8 bottom); 0 for anything but the eight borders.
int HitTestToResizeEdges(LRESULT hit);
