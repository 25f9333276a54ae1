#pragma once
// The native window under a framework window, and the notification pump that hands
// notifications to member functions through static message maps.
#include <memory>

#include "windowless/PaintManager.h"

namespace WinlessUI {

namespace detail {
struct HostAccess;
}

class CWindowWnd {
public:
    CWindowWnd();
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    CWnd* GetWnd() const { return m_pWnd.get(); }
    bool RegisterOwnClass();
    bool RegisterAsSuperclass();
    HWND CreateNativeWindow(CWnd* parent, const char* name, DWORD style, DWORD exStyle, int x = 0, int y = 0,
                            int cx = 0, int cy = 0, HMENU menu = nullptr);
    HWND CreateNativeWindow(CWnd* parent, const char* name, DWORD style, DWORD exStyle, const RECT& rc,
                            HMENU menu = nullptr);
    void Show(bool show = true, bool takeFocus = true);
    UINT RunModalLoop();
    void CentreOnOwner();
    void SetClientSize(int cx, int cy);
    LRESULT SendToWindow(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostToWindow(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT CallPreviousProc(UINT msg, WPARAM wParam, LPARAM lParam);
    void RestorePreviousProc() {}
    bool IsInModalLoop() const { return m_bModal; }

    virtual void PostClose(UINT code = 0);
    virtual const char* WindowClassName() const = 0;
    virtual const char* SuperclassName() const { return nullptr; }
    virtual UINT ClassStyle() const { return 0; }
    virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void OnWindowGone(HWND hwnd) {}

protected:
    friend struct detail::HostAccess;
    HWND m_hWnd = nullptr;
    std::unique_ptr<CWnd> m_pWnd;
    bool m_bSubclassed = false;
    bool m_bModal = false;
    UINT m_nModalResult = 0;
};

// ---- notification pump ----
class CNotifyPump;
// Entries call their member through a small function made for the class that owns it.
using UIPumpNotifyFn = void (*)(CNotifyPump*, UINotify&);
using UIPumpParamFn = void (*)(CNotifyPump*, WPARAM, LPARAM);

struct UIMsgMapEntry {
    const char* sType;
    const char* sControl;  // empty: any control
    int nSig;              // 0 ends the table; 1 (wParam, lParam); 2 the whole notification
    UIPumpNotifyFn pfnNotify;
    UIPumpParamFn pfnParams;
};

struct UIMsgMap {
    const UIMsgMap* (*pfnGetBaseMap)();
    const UIMsgMapEntry* lpEntries;
};

class CNotifyPump {
public:
    virtual ~CNotifyPump();
    bool AddVirtualWindow(const char* name, CNotifyPump* pump);
    bool RemoveVirtualWindow(const char* name);
    void RouteNotification(UINotify& msg);
    bool DispatchThroughMaps(UINotify& msg);
    static const UIMsgMap* GetThisMessageMap();
    virtual const UIMsgMap* GetNotifyMap() const { return GetThisMessageMap(); }

private:
    CUIStringMap m_VirtualWndMap;
};

#define UI_DECLARE_MESSAGE_MAP()                        \
public:                                                 \
    static const ::WinlessUI::UIMsgMap* GetThisMessageMap(); \
    const ::WinlessUI::UIMsgMap* GetNotifyMap() const override;

#define UI_BEGIN_MESSAGE_MAP(theClass, baseClass)                                          \
    const ::WinlessUI::UIMsgMap* theClass::GetNotifyMap() const { return GetThisMessageMap(); } \
    const ::WinlessUI::UIMsgMap* theClass::GetThisMessageMap() {                            \
        using ThisClass = theClass;                                                        \
        using TheBase = baseClass;                                                         \
        static const ::WinlessUI::UIMsgMapEntry entries[] = {
#define UI_ON_NOTIFY(type, control, fn)                                                              \
    {type, control, 2,                                                                                \
     [](::WinlessUI::CNotifyPump* pump, ::WinlessUI::UINotify& msg) { static_cast<ThisClass*>(pump)->fn(msg); }, \
     nullptr},
#define UI_ON_NOTIFY_PARAMS(type, control, fn)                                                 \
    {type, control, 1, nullptr, [](::WinlessUI::CNotifyPump* pump, WPARAM w, LPARAM l) {      \
         static_cast<ThisClass*>(pump)->fn(w, l);                                             \
     }},
#define UI_END_MESSAGE_MAP()                                           \
    {nullptr, nullptr, 0, nullptr, nullptr}};                          \
    static const ::WinlessUI::UIMsgMap map{&TheBase::GetThisMessageMap, entries}; \
    return &map;                                                       \
    }

}  // namespace WinlessUI
