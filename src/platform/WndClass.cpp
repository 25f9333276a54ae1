// Window classes: the registry of class records by name.
#include "platform/WndClass.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextEdit>
#include <QAbstractButton>
#include <cstdio>
#include <mutex>
#include <unordered_map>

#include "platform/PlatformPrivate.h"

using namespace platform;

namespace {
std::string Key(const char* name) {
    std::string k = name ? name : "";
    for (char& c : k) c = (char)std::tolower((unsigned char)c);
    return k;
}

struct Registry {
    std::mutex mutex;
    std::unordered_map<std::string, std::shared_ptr<WndClassRecord>> classes;

    Registry() {
        HCURSOR arrow = nullptr;  // resolved lazily: cursors need the toolkit
        auto add = [&](const char* name, UINT style, COLORREF bg) {
            auto r = std::make_shared<WndClassRecord>();
            r->name = name;
            r->style = style;
            r->cursor = arrow;
            r->background = bg;
            r->predefined = true;
            classes[Key(name)] = r;
        };
        const COLORREF white = RGB(255, 255, 255);
        add("AfxWnd", CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, white);
        add("#32770", CS_DBLCLKS | CS_SAVEBITS, white);
        add("#32768", CS_DBLCLKS | CS_SAVEBITS | CS_DROPSHADOW, white);
        add("tooltips_class32", CS_DBLCLKS | CS_SAVEBITS | CS_DROPSHADOW, white);
        for (const char* n : {"Edit", "ComboBox", "ListBox", "ScrollBar", "Button", "Static",
                              "RichEdit20A", "SysDateTimePick32", "SysMonthCal32",
                              "msctls_progress32"})
            add(n, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS, CLR_INVALID);
    }
};
Registry& Reg() {
    static Registry r;
    return r;
}

BOOL Register(const WNDCLASS& wc, bool existingIsFine) {
    if (wc.lpszClassName.empty()) return FALSE;
    auto r = std::make_shared<WndClassRecord>();
    r->name = wc.lpszClassName;
    r->style = wc.style;
    r->cursor = wc.hCursor;
    r->background = wc.background;
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    const bool added = reg.classes.emplace(Key(wc.lpszClassName.c_str()), std::move(r)).second;
    return added || existingIsFine;
}

CWnd* Resolve(HWND hwnd) {
    CWnd* w = CWnd::FromHandle(hwnd);
    return w && w->d->cls ? w : nullptr;
}
}  // namespace

namespace platform {
std::shared_ptr<WndClassRecord> FindWndClass(const char* name) {
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    auto it = reg.classes.find(Key(name ? name : "AfxWnd"));
    return it == reg.classes.end() ? nullptr : it->second;
}

std::shared_ptr<WndClassRecord> NativeWndClass(const QWidget* w) {
    const char* name = nullptr;
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w))
        name = "Edit";
    else if (qobject_cast<const QTextEdit*>(w))
        name = "RichEdit20A";
    else if (qobject_cast<const QComboBox*>(w))
        name = "ComboBox";
    else if (qobject_cast<const QListWidget*>(w))
        name = "ListBox";
    else if (qobject_cast<const QScrollBar*>(w))
        name = "ScrollBar";
    else if (qobject_cast<const QAbstractButton*>(w))
        name = "Button";
    else if (qobject_cast<const QLabel*>(w))
        name = "Static";
    else if (qobject_cast<const QDateTimeEdit*>(w))
        name = "SysDateTimePick32";
    else if (qobject_cast<const QCalendarWidget*>(w))
        name = "SysMonthCal32";
    else if (qobject_cast<const QProgressBar*>(w))
        name = "msctls_progress32";
    return name ? FindWndClass(name) : nullptr;
}
}  // namespace platform

BOOL RegisterClass(const WNDCLASS& wc) {
    return Register(wc, false);
}
BOOL AfxRegisterClass(const WNDCLASS& wc) {
    return Register(wc, true);
}

const char* AfxRegisterWndClass(UINT style, HCURSOR cursor, COLORREF background) {
    static std::mutex mutex;
    static std::unordered_map<std::string, std::unique_ptr<std::string>> names;
    char buf[96];
    std::snprintf(buf, sizeof buf, "Afx:%x:%llx:%x", style,
                  (unsigned long long)reinterpret_cast<std::uintptr_t>(cursor), background);
    std::lock_guard lock(mutex);
    auto& slot = names[buf];
    if (!slot) {
        slot = std::make_unique<std::string>(buf);
        WNDCLASS wc;
        wc.style = style;
        wc.hCursor = cursor;
        wc.background = background;
        wc.lpszClassName = buf;
        AfxRegisterClass(wc);
    }
    return slot->c_str();
}

BOOL UnregisterClass(const char* name) {
    if (!name) return FALSE;
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    auto it = reg.classes.find(Key(name));
    if (it == reg.classes.end() || it->second->predefined) return FALSE;
    reg.classes.erase(it);
    return TRUE;
}

BOOL GetClassInfo(const char* name, WNDCLASS* wc) {
    if (!name) return FALSE;
    auto r = FindWndClass(name);
    if (!r) return FALSE;
    if (wc) {
        wc->style = r->style;
        wc->hCursor = r->cursor;
        wc->background = r->background;
        wc->lpszClassName = r->name;
    }
    return TRUE;
}

std::string GetClassName(HWND hwnd) {
    CWnd* w = Resolve(hwnd);
    return w ? w->d->cls->name : std::string();
}
int GetClassName(HWND hwnd, char* buf, int maxCount) {
    if (!buf || maxCount <= 0) return 0;
    const std::string name = GetClassName(hwnd);
    const int n = std::min<int>((int)name.size(), maxCount - 1);
    std::memcpy(buf, name.data(), (size_t)n);
    buf[n] = 0;
    return n;
}

DWORD GetClassLong(HWND hwnd, int index) {
    CWnd* w = Resolve(hwnd);
    return w && index == GCL_STYLE ? (DWORD)w->d->cls->style : 0;
}
DWORD SetClassLong(HWND hwnd, int index, DWORD value) {
    CWnd* w = Resolve(hwnd);
    if (!w || index != GCL_STYLE) return 0;
    return w->d->cls->style.exchange(value);
}
