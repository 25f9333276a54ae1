#pragma once
// One paint manager per framework window: it owns the tree of windowless controls, knows
// where skin resources come from (files, program resources or a zip archive), caches
// images and fonts, keeps control timers, focus, capture, hover and tab order, sends
// notifications and turns the host window's messages into control events.
//
// Threads: the UI thread only; the process-wide statics are not locked.
#include <cstddef>
#include <memory>

#include "platform/Gdi.h"
#include "platform/Wnd.h"
#include "windowless/Shadow.h"
#include "windowless/UIUtils.h"
#include "windowless/Zip.h"

namespace WinlessUI {

class CControlUI;
class CUIPaintManager;
}  // namespace WinlessUI
class CToolTipCtrl;
struct TOOLINFO;
namespace WinlessUI {

// Event codes handed to controls.
enum UIEVENT_TYPE {
    UIEVENT__FIRST = 1,
    UIEVENT__KEYBEGIN,
    UIEVENT_KEYDOWN,
    UIEVENT_KEYUP,
    UIEVENT_CHAR,
    UIEVENT_SYSKEY,
    UIEVENT__KEYEND,
    UIEVENT__MOUSEBEGIN,
    UIEVENT_MOUSEMOVE,
    UIEVENT_MOUSELEAVE,
    UIEVENT_MOUSEENTER,
    UIEVENT_MOUSEHOVER,
    UIEVENT_BUTTONDOWN,
    UIEVENT_BUTTONUP,
    UIEVENT_RBUTTONDOWN,
    UIEVENT_DBLCLICK,
    UIEVENT_CONTEXTMENU,
    UIEVENT_SCROLLWHEEL,
    UIEVENT__MOUSEEND,
    UIEVENT_KILLFOCUS,
    UIEVENT_SETFOCUS,
    UIEVENT_WINDOWSIZE,
    UIEVENT_SETCURSOR,
    UIEVENT_TIMER,
};
static_assert(UIEVENT_KEYDOWN == 3 && UIEVENT_MOUSEMOVE == 9 && UIEVENT_SCROLLWHEEL == 18 &&
              UIEVENT_KILLFOCUS == 20 && UIEVENT_TIMER == 24);

// Mouse events lie between the two range markers.
inline bool IsMouseEventType(int type) {
    return type > UIEVENT__MOUSEBEGIN && type < UIEVENT__MOUSEEND;
}

// Search flags of FindControl.
constexpr UINT UIFIND_ALL = 0x00000000;
constexpr UINT UIFIND_VISIBLE = 0x00000001;
constexpr UINT UIFIND_ENABLED = 0x00000002;
constexpr UINT UIFIND_HITTEST = 0x00000004;
constexpr UINT UIFIND_TOP_FIRST = 0x00000008;
constexpr UINT UIFIND_ME_FIRST = 0x80000000;

// Control flags answered by GetBehaviourFlags.
constexpr UINT UIFLAG_TABSTOP = 0x00000001;
constexpr UINT UIFLAG_SETCURSOR = 0x00000002;
constexpr UINT UIFLAG_WANTRETURN = 0x00000004;

// Control state bits.
constexpr UINT UISTATE_FOCUSED = 0x00000001;
constexpr UINT UISTATE_SELECTED = 0x00000002;
constexpr UINT UISTATE_DISABLED = 0x00000004;
constexpr UINT UISTATE_HOT = 0x00000008;
constexpr UINT UISTATE_PUSHED = 0x00000010;
constexpr UINT UISTATE_CAPTURED = 0x00000040;

// Messages of the framework.
constexpr UINT WM_UI_DELAYED_CLEANUP = WM_APP + 1;
constexpr UINT kCaretTimerId = 241;
constexpr UINT kTimerIdModulo = 240;

struct TImageInfo {
    std::unique_ptr<CBitmap> hBitmap;  // 32-bit premultiplied BGRA
    int nX = 0;
    int nY = 0;
    bool alphaChannel = false;
    CUIString sResType;
    DWORD dwMask = 0;
};

struct TFontInfo {
    std::unique_ptr<CFont> hFont;
    CUIString sFontName;
    int iSize = 0;
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
    TEXTMETRIC tm{};
    bool measured = false;
};

struct UINotify {
    CUIString sType;
    CUIString sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse{0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
using TNotifyUI = UINotify;

struct UIEvent {
    int Type = 0;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse{0, 0};
    char chKey = 0;
    WORD wKeyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
using TEventUI = UIEvent;

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(UINotify& msg) = 0;
};

class IMessageFilterUI {
public:
    virtual ~IMessageFilterUI() = default;
    virtual LRESULT FilterMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
};

class ITranslateAccelerator {
public:
    virtual ~ITranslateAccelerator() = default;
    virtual LRESULT TranslateAccelerator(MSG* msg) = 0;
};

// A control that may keep the Tab key for itself (the rich edit) answers the interface name
// "ITabKey" with this.
class ITabKeyUI {
public:
    virtual ~ITabKeyUI() = default;
    virtual bool WantsTab() const = 0;
};

// Calls back for each control of a search; a non-null answer ends it.
using FINDCONTROLPROC = CControlUI* (*)(CControlUI*, void*);

class CUIPaintManager {
public:
    CUIPaintManager();
    ~CUIPaintManager();
    CUIPaintManager(const CUIPaintManager&) = delete;
    CUIPaintManager& operator=(const CUIPaintManager&) = delete;

    // ---- process-wide ----
    // Idempotent: a second call with the same module starts nothing again.
    static void SetModule(void* module);
    static void* GetModule();
    static void SetResourceModule(void* module);
    static void* GetResourceModule();
    static CUIString GetResourcePath();
    static void SetResourcePath(const char* path);
    static CUIString GetArchiveName();
    static void SetArchiveName(const char* zipName, bool cache = false);
    static bool IsArchiveShared();
    static ZipHandle GetSharedArchive();
    // Keeps the first archive: a second call (say, the dialog opened again) changes nothing.
    static void UseArchiveInMemory(const unsigned char* bytes, unsigned size);
    // The "WQNRES" resource of that id as the shared archive; false when there is none.
    static bool LoadSkinArchive(UINT resourceId);
    static void SetDefaultFontName(const char* face);
    static CUIString GetDefaultFontName();
    static void GetColourAdjustment(short* h, short* s, short* l);
    static void SetColourAdjustment(short h, short s, short l);
    static bool PreTranslate(const MSG* msg);
    static int GetLiveManagerCount();
    // Reads a skin file: a resource of that type, a plain file below the resource path,
    // or an archive entry. False when nothing could be read.
    static bool ReadResourceFile(const char* name, const char* type, std::string* out);
    static TImageInfo* LoadSkinImage(const char* name, const char* type, DWORD mask);
    // PNG, BMP, JPEG or GIF (its first frame) bytes to a premultiplied 32-bit DIB section;
    // null for data that is damaged, not an image, or beyond the limits (SkinImage.h).
    static TImageInfo* DecodeSkinImage(const unsigned char* data, size_t size, DWORD mask);
    // Forgets the shared archive (tests that need a fresh process state).
    static void ResetSharedArchiveForTests();

    // ---- life ----
    void AttachWindow(CWnd* wnd);
    CWnd* GetHostWindow() const { return m_pWnd; }
    HWND GetPaintWindow() const { return m_pWnd ? m_pWnd->GetSafeHwnd() : nullptr; }
    CDC* GetHostDC();
    POINT GetLastMousePos() const { return m_ptLastMousePos; }

    // ---- window settings ----
    SIZE GetInitialSize() const { return m_szInitWindowSize; }
    void SetInitialSize(int cx, int cy);
    RECT GetSizeBox() const { return m_rcSizeBox; }
    void SetSizeBox(const RECT& rc) { m_rcSizeBox = rc; }
    RECT GetCaptionRect() const { return m_rcCaption; }
    void SetCaptionRect(const RECT& rc) { m_rcCaption = rc; }
    SIZE GetRoundCorner() const { return m_szRoundCorner; }
    void SetRoundCorner(int cx, int cy) { m_szRoundCorner = {cx, cy}; }
    SIZE GetMinInfo() const { return m_szMinWindow; }
    void SetMinInfo(int cx, int cy);
    SIZE GetMaxInfo() const { return m_szMaxWindow; }
    void SetMaxInfo(int cx, int cy);
    int GetOpacity() const { return m_nOpacity; }
    void SetOpacity(int alpha);
    bool IsBackgroundTransparent() const { return m_bLayered; }
    void SetBackgroundTransparent(bool on) { m_bLayered = on; }
    RECT GetRichEditCorner() const { return m_rcLayeredInset; }
    void SetRichEditCorner(const RECT& rc) { m_rcLayeredInset = rc; }
    bool IsUseGdiplusText() const { return m_bUseGdiplusText; }
    void SetUseGdiplusText(bool on) { m_bUseGdiplusText = on; }
    CShadowUI* GetShadow() { return &m_shadow; }
    void SetVirtualWindowsUsed() { m_bUsedVirtualWnd = true; }
    void MarkUpdateNeeded() { m_bUpdateNeeded = true; }
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    void Invalidate(RECT rc);
    void Invalidate();

    // ---- tree ----
    bool AttachRoot(CControlUI* root);
    bool InitControlTree(CControlUI* control, CControlUI* parent = nullptr);
    void ForgetControl(CControlUI* control);
    void QueueControlDeletion(CControlUI* control);
    CControlUI* FindControlByName(const char* name) const;
    CControlUI* FindControlAt(POINT pt) const;
    CControlUI* GetRoot() const { return m_pRoot; }

    // ---- notifications ----
    bool AddListener(INotifyUI* notifier);
    bool RemoveListener(INotifyUI* notifier);
    void SendNotification(UINotify& msg, bool async = false);
    void SendNotification(CControlUI* control, const char* type, WPARAM wParam = 0, LPARAM lParam = 0,
                          bool async = false);

    // ---- filters ----
    bool AddPreFilter(IMessageFilterUI* filter);
    bool RemovePreFilter(IMessageFilterUI* filter);
    bool AddFilter(IMessageFilterUI* filter);
    bool RemoveFilter(IMessageFilterUI* filter);
    bool AddLatePainter(CControlUI* control);
    bool RemoveLatePainter(CControlUI* control);
    bool AddAcceleratorHandler(ITranslateAccelerator* handler);
    bool RemoveAcceleratorHandler(ITranslateAccelerator* handler);
    bool OfferAccelerator(MSG* msg);

    // ---- focus and capture ----
    CControlUI* GetFocusControl() const { return m_pFocus; }
    void SetFocusControl(CControlUI* control);
    void RequestFocus(CControlUI* control);
    bool MoveTabFocus(bool forward);
    void CaptureMouse();
    void ReleaseMouse();
    bool IsMouseCaptured() const { return m_bMouseCapture; }

    // ---- timers ----
    bool SetControlTimer(CControlUI* control, UINT key, UINT elapse);
    bool KillControlTimer(CControlUI* control, UINT key);
    void KillControlTimer(CControlUI* control);
    void ClearTimers();
    int GetTimerRecordCount() const { return m_aTimers.GetSize(); }
    // The native id of a live timer of the control, or -1.
    int GetNativeTimerId(CControlUI* control, UINT key) const;

    // ---- option groups ----
    bool AddToGroup(const char* group, CControlUI* control);
    CUIPtrArray* GetGroup(const char* group) const;
    void RemoveFromGroup(const char* group, CControlUI* control);
    void ClearGroups();

    // ---- resources ----
    bool SetResourceParent(CUIPaintManager* parent);
    CUIPaintManager* GetResourceParent() const { return m_pParentResourcePM; }
    DWORD GetDefaultDisabledColor() const;
    void SetDefaultDisabledColor(DWORD c) { m_dwDefaultDisabledColor = c; }
    DWORD GetDefaultFontColor() const;
    void SetDefaultFontColor(DWORD c) { m_dwDefaultFontColor = c; }
    DWORD GetDefaultLinkFontColor() const;
    void SetDefaultLinkFontColor(DWORD c) { m_dwDefaultLinkFontColor = c; }
    DWORD GetDefaultLinkHoverFontColor() const;
    void SetDefaultLinkHoverFontColor(DWORD c) { m_dwDefaultLinkHoverFontColor = c; }
    DWORD GetDefaultSelectedBkColor() const;
    void SetDefaultSelectedBkColor(DWORD c) { m_dwDefaultSelectedBkColor = c; }
    TFontInfo* GetDefaultFontInfo();
    void SetDefaultFont(const char* face, int size, bool bold, bool underline, bool italic);
    DWORD GetCustomFontCount() const { return (DWORD)m_aCustomFonts.GetSize(); }
    CFont* AddFont(const char* face, int size, bool bold, bool underline, bool italic);
    CFont* GetFont(int index);
    CFont* GetFont(const char* face, int size, bool bold, bool underline, bool italic);
    TFontInfo* GetFontInfo(int index);
    TFontInfo* GetFontInfo(CFont* font);
    void ClearFonts();
    const TImageInfo* FindImage(const char* name);
    const TImageInfo* GetOrLoadImage(const char* name, const char* type = nullptr, DWORD mask = 0);
    const TImageInfo* AddImage(const char* name, const char* type = nullptr, DWORD mask = 0);
    void ClearImages();
    void AddClassDefaults(const char* controlName, const char* attrList);
    const char* GetClassDefaults(const char* controlName) const;
    void ClearClassDefaults();

    // ---- caret ----
    bool MakeCaret(int width, int height);
    bool MoveCaret(CControlUI* control, int x, int y);
    bool ShowCaretBlink(bool show);
    CControlUI* GetCaretControl() const { return m_pCaretControl; }
    void PaintCaret(CDC* dc, const RECT& rc);

    // ---- message handling (host windows offer every message) ----
    bool HandleWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool PreMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool IsFirstLayoutPending() const { return m_bFirstLayout; }
    // The tooltip window, once a control with a tooltip has been hovered.
    CToolTipCtrl* GetToolTipWindow() const { return m_pToolTip.get(); }
    // The layered back buffer's pixel at (x, y) (premultiplied BGRA), 0 without one.
    DWORD GetLayeredPixel(int x, int y) const {
        if (!m_pBmpOffscreenBits || x < 0 || y < 0 || x >= m_szOffscreen.cx || y >= m_szOffscreen.cy) return 0;
        return m_pBmpOffscreenBits[std::size_t(y) * m_szOffscreen.cx + x];
    }

private:
    static CControlUI* FindTabStop(CControlUI* control, void* data);
    static CControlUI* FindShortcut(CControlUI* control, void* data);
    static CControlUI* FindControlFromPoint(CControlUI* control, void* data);
    static CControlUI* FindControlFromUpdate(CControlUI* control, void* data);
    static CControlUI* CollectNamed(CControlUI* control, void* data);
    void DeliverQueuedNotifications();
    void DeleteQueuedControls();
    void Paint();
    void PaintLayered(CDC& dc, const RECT& rcClient, const RECT& rcUpdate, const RECT& rcPaint);
    void EnsureTracking();
    void ShowToolTip(CControlUI* control);
    void HideToolTip();
    CControlUI* ControlOfThisManager(POINT pt) const;
    UIEvent MakeEvent(int type, CControlUI* sender, WPARAM wParam = 0, LPARAM lParam = 0) const;

    CWnd* m_pWnd = nullptr;
    int m_nOpacity = 255;
    std::unique_ptr<CClientDC> m_hDcPaint;
    std::unique_ptr<CDC> m_hDcOffscreen;
    std::unique_ptr<CBitmap> m_hbmpOffscreen;
    DWORD* m_pBmpOffscreenBits = nullptr;  // pixels of the layered back buffer
    bool m_bOffscreenLayered = false;
    SIZE m_szOffscreen{0, 0};
    bool m_bLayered = false;
    RECT m_rcLayeredInset{0, 0, 0, 0};
    bool m_bLayeredChanged = false;
    RECT m_rcLayeredUpdate{0, 0, 0, 0};
    bool m_bUseGdiplusText = false;
    CShadowUI m_shadow;
    bool m_bCaretShowing = false;
    bool m_bCaretActive = false;
    RECT m_rtCaret{0, 0, 0, 0};
    CControlUI* m_pCaretControl = nullptr;
    std::unique_ptr<CToolTipCtrl> m_pToolTip;
    std::unique_ptr<TOOLINFO> m_pToolInfo;
    std::string m_sToolTipText;
    CControlUI* m_pRoot = nullptr;
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pEventHover = nullptr;
    CControlUI* m_pEventClick = nullptr;
    CControlUI* m_pEventKey = nullptr;
    POINT m_ptLastMousePos{-1, -1};
    SIZE m_szMinWindow{0, 0};
    SIZE m_szMaxWindow{0, 0};
    SIZE m_szInitWindowSize{0, 0};
    RECT m_rcSizeBox{0, 0, 0, 0};
    SIZE m_szRoundCorner{0, 0};
    RECT m_rcCaption{0, 0, 0, 0};
    UINT m_uTimerID = 0x1000;
    bool m_bFirstLayout = true;
    bool m_bUpdateNeeded = false;
    bool m_bFocusNeeded = false;
    bool m_bMouseTracking = false;
    bool m_bMouseCapture = false;
    bool m_bUsedVirtualWnd = false;
    CUIPtrArray m_aNotifiers;
    CUIPtrArray m_aTimers;
    CUIPtrArray m_aPreMessageFilters;
    CUIPtrArray m_aMessageFilters;
    CUIPtrArray m_aPostPaintControls;
    CUIPtrArray m_aDelayedCleanup;
    CUIPtrArray m_aAsyncNotify;
    CUIPtrArray m_aFoundControls;
    CUIStringMap m_mNameHash{83};
    CUIStringMap m_mOptionGroup{83};
    CUIPaintManager* m_pParentResourcePM = nullptr;
    DWORD m_dwDefaultDisabledColor = 0xFFA7A6AA;
    DWORD m_dwDefaultFontColor = 0xFF000001;
    DWORD m_dwDefaultLinkFontColor = 0xFF0000FF;
    DWORD m_dwDefaultLinkHoverFontColor = 0xFFD3215F;
    DWORD m_dwDefaultSelectedBkColor = 0xFFBAE4FF;
    TFontInfo m_DefaultFontInfo;
    CUIPtrArray m_aCustomFonts;
    CUIStringMap m_mImageHash{83};
    CUIStringMap m_DefaultAttrHash{83};
    CUIPtrArray m_aTranslateAccelerator;
};

}  // namespace WinlessUI
