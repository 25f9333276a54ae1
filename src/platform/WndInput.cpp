// Window input state: capture, focus, cursors and mouse tracking.
#include <QApplication>

#include "platform/PlatformPrivate.h"
#include "platform/Resource.h"

using namespace platform;

namespace {
HWND g_capture = nullptr;
HWND g_focus = nullptr;
struct CursorData {
    QCursor cursor;
};
CursorData* g_cursor = nullptr;
}  // namespace

namespace platform {
void SetFocusWnd(CWnd* wnd) {
    HWND now = wnd ? wnd->m_hWnd : nullptr;
    if (now == g_focus) return;
    HWND old = g_focus;
    g_focus = now;
    if (CWnd* o = CWnd::FromHandle(old)) Dispatch(o, WM_KILLFOCUS, (WPARAM)now, 0);
    if (wnd && g_focus == now) Dispatch(wnd, WM_SETFOCUS, (WPARAM)old, 0);
}

void ApplyCursorTo(CWnd* wnd) {
    if (!wnd || !wnd->d || !wnd->d->widget) return;
    if (g_cursor)
        wnd->d->widget->setCursor(g_cursor->cursor);
    else
        wnd->d->widget->unsetCursor();
}

void OnWindowDestroyed(CWnd* wnd) {
    CaretWindowGone(wnd);
    if (g_capture == wnd->m_hWnd) g_capture = nullptr;
    if (g_focus == wnd->m_hWnd) g_focus = nullptr;
}
}  // namespace platform

// ---- input ----
CWnd* CWnd::SetCapture() {
    CWnd* old = FromHandle(g_capture);
    if (old == this) return old;
    g_capture = m_hWnd;
    if (old) Dispatch(old, WM_CAPTURECHANGED, 0, (LPARAM)m_hWnd);
    return old;
}
BOOL ReleaseCapture() {
    CWnd* old = CWnd::FromHandle(g_capture);
    g_capture = nullptr;
    if (old) Dispatch(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}
CWnd* CWnd::GetCapture() {
    return FromHandle(g_capture);
}
HWND GetCapture() {
    return CWnd::FromHandle(g_capture) ? g_capture : nullptr;
}
CWnd* CWnd::SetFocus() {
    CWnd* old = FromHandle(g_focus);
    if (!m_hWnd) return old;
    if (d->widget) d->widget->setFocus(Qt::OtherFocusReason);
    SetFocusWnd(this);
    return old;
}
CWnd* CWnd::GetFocus() {
    return FromHandle(g_focus);
}
HWND GetFocus() {
    return CWnd::FromHandle(g_focus) ? g_focus : nullptr;
}
CWnd* CWnd::GetActiveWindow() {
    return WndFromWidget(QApplication::activeWindow());
}
CWnd* CWnd::WindowFromPoint(POINT screen) {
    return WndFromWidget(QApplication::widgetAt(QPoint(screen.x, screen.y)));
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme) {
    if (!tme) return FALSE;
    CWnd* w = CWnd::FromHandle(tme->hwndTrack);
    if (!w) return FALSE;
    WndPrivate* d = w->d.get();
    if (tme->dwFlags & TME_CANCEL) {
        d->trackFlags &= ~(tme->dwFlags & (TME_HOVER | TME_LEAVE));
        return TRUE;
    }
    if (tme->dwFlags & TME_HOVER) {
        d->hoverTime =
            tme->dwHoverTime == HOVER_DEFAULT ? 400 : std::max<DWORD>(1, tme->dwHoverTime);
        d->trackFlags |= TME_HOVER;
        if (d->inside) d->StartHoverTimer();
    }
    if (tme->dwFlags & TME_LEAVE) {
        d->trackFlags |= TME_LEAVE;
        if (!d->inside) {
            // the pointer is not over the window: the leave comes at once
            d->trackFlags &= ~(TME_LEAVE | TME_HOVER);
            w->PostMessage(WM_MOUSELEAVE);
        }
    }
    return TRUE;
}

HCURSOR LoadCursor(void*, UINT id) {
    static std::map<UINT, std::unique_ptr<CursorData>> cache;
    auto it = cache.find(id);
    if (it != cache.end()) return reinterpret_cast<HCURSOR>(it->second.get());
    Qt::CursorShape shape;
    switch (id) {
        case IDC_ARROW:
            shape = Qt::ArrowCursor;
            break;
        case IDC_IBEAM:
            shape = Qt::IBeamCursor;
            break;
        case IDC_WAIT:
            shape = Qt::WaitCursor;
            break;
        case IDC_CROSS:
            shape = Qt::CrossCursor;
            break;
        case IDC_UPARROW:
            shape = Qt::UpArrowCursor;
            break;
        case IDC_SIZENWSE:
            shape = Qt::SizeFDiagCursor;
            break;
        case IDC_SIZENESW:
            shape = Qt::SizeBDiagCursor;
            break;
        case IDC_SIZEWE:
            shape = Qt::SizeHorCursor;
            break;
        case IDC_SIZENS:
            shape = Qt::SizeVerCursor;
            break;
        case IDC_SIZEALL:
            shape = Qt::SizeAllCursor;
            break;
        case IDC_NO:
            shape = Qt::ForbiddenCursor;
            break;
        case IDC_HAND:
            shape = Qt::PointingHandCursor;
            break;
        default: {
            // a cursor resource: an image whose hot spot is its centre
            std::vector<unsigned char> bytes;
            QImage img;
            if (!LoadResourceBytes("CURSOR", id, bytes) ||
                !LoadImageBytes(img, bytes.data(), bytes.size()))
                return nullptr;
            auto c = std::make_unique<CursorData>();
            c->cursor = QCursor(QPixmap::fromImage(img));
            HCURSOR h = reinterpret_cast<HCURSOR>(c.get());
            cache[id] = std::move(c);
            return h;
        }
    }
    auto c = std::make_unique<CursorData>();
    c->cursor = QCursor(shape);
    HCURSOR h = reinterpret_cast<HCURSOR>(c.get());
    cache[id] = std::move(c);
    return h;
}
HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR old = reinterpret_cast<HCURSOR>(g_cursor);
    g_cursor = reinterpret_cast<CursorData*>(cursor);
    if (CWnd* cap = CWnd::GetCapture()) ApplyCursorTo(cap);
    return old;
}
HCURSOR GetCursor() {
    return reinterpret_cast<HCURSOR>(g_cursor);
}
