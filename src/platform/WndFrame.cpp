// The system frame of top-level windows: what the toolkit's window manager draws around
// them, kept in step with the window's styles.
#include "platform/PlatformPrivate.h"

using namespace platform;

namespace {
constexpr Qt::WindowFlags kDecorationHints =
    Qt::FramelessWindowHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
    Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
    Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint;

bool IsFramedTopLevel(const CWnd* wnd) {
    const WndPrivate* d = wnd->d.get();
    return d->widget && d->widget->isWindow() && !(d->style & WS_CHILD) && !d->menuPopup &&
           !d->native;
}

// A frame that holds the size against the user holds it at the size asked for now.
void HoldSize(QWidget* w, bool hold) {
    if (hold)
        w->setFixedSize(w->size());
    else {
        w->setMinimumSize(0, 0);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}
}  // namespace

namespace platform {
void ApplySystemFrame(CWnd* wnd) {
    if (!wnd || !IsFramedTopLevel(wnd)) return;
    WndPrivate* d = wnd->d.get();
    QWidget* w = d->widget;
    const DWORD style = d->style, ex = d->exStyle;
    Qt::WindowFlags f = w->windowFlags() & ~kDecorationHints;
    Qt::WindowType type = w->windowType();
    if (ex & WS_EX_TOOLWINDOW)
        type = Qt::Tool;
    else if (type == Qt::Tool)
        type = (style & WS_POPUP) && d->owner ? Qt::Dialog : Qt::Window;
    f = (f & ~Qt::WindowType_Mask) | type;
    if (!(style & WS_CAPTION)) {
        f |= Qt::FramelessWindowHint;
    } else {
        f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (style & WS_SYSMENU) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (style & WS_MINIMIZEBOX) f |= Qt::WindowMinimizeButtonHint;
        if (style & WS_MAXIMIZEBOX) f |= Qt::WindowMaximizeButtonHint;
    }
    if (ex & WS_EX_TOPMOST) f |= Qt::WindowStaysOnTopHint;
    if (f != w->windowFlags()) {
        // the toolkit hides a window whose flags change; it comes back where it was
        const bool visible = w->isVisible();
        const QRect geometry = w->geometry();
        w->setWindowFlags(f);
        w->setGeometry(geometry);
        if (visible) {
            w->setAttribute(Qt::WA_ShowWithoutActivating, true);
            w->show();
            w->setAttribute(Qt::WA_ShowWithoutActivating, (ex & WS_EX_NOACTIVATE) != 0);
        }
    }
    // a caption without a sizing border: the user cannot resize the window
    const bool fixed = (style & WS_CAPTION) && !(style & WS_THICKFRAME);
    if (fixed != d->fixedFrame) {
        d->fixedFrame = fixed;
        HoldSize(w, fixed);
        if (!fixed) QueryMinMax(wnd);
    }
}

void FrameChanged(CWnd* wnd) {
    if (!wnd || !wnd->d->widget) return;
    WndPrivate* d = wnd->d.get();
    auto alive = d->alive;
    ApplySystemFrame(wnd);
    if (d->native) {
        NativeNcCalc(wnd);
        if (!*alive || !d->widget) return;
        d->widget->update();
        return;
    }
    // the layer's own windows have no non-client area: the whole widget is client area,
    // and the system frame lies outside it. WM_NCCALCSIZE is sent all the same, so code
    // that watches for it runs; its answer cannot shrink the client area.
    QWidget* w = d->widget;
    NCCALCSIZE_PARAMS params{};
    RECT rc;
    wnd->GetWindowRect(&rc);
    params.rgrc[0] = params.rgrc[1] = params.rgrc[2] = rc;
    Dispatch(wnd, WM_NCCALCSIZE, TRUE, (LPARAM)&params);
    if (!*alive || !d->widget) return;
    wnd->Invalidate(TRUE);
    (void)w;
}

void ResizeWidget(CWnd* wnd, int cx, int cy) {
    QWidget* w = wnd->d->widget;
    if (!w) return;
    if (!wnd->d->fixedFrame) {
        w->resize(cx, cy);
        return;
    }
    HoldSize(w, false);
    w->resize(cx, cy);
    HoldSize(w, true);
}
}  // namespace platform

CWnd::SystemFrame CWnd::GetSystemFrame() const {
    SystemFrame s;
    if (!IsFramedTopLevel(this)) return s;
    const QWidget* w = d->widget;
    const Qt::WindowFlags f = w->windowFlags();
    s.caption = !(f & Qt::FramelessWindowHint);
    s.sizingBorder = s.caption && w->minimumSize() != w->maximumSize();
    s.closeBox = s.caption && (f & Qt::WindowCloseButtonHint);
    s.minimizeBox = s.caption && (f & Qt::WindowMinimizeButtonHint);
    s.maximizeBox = s.caption && (f & Qt::WindowMaximizeButtonHint);
    s.topmost = (f & Qt::WindowStaysOnTopHint) != 0;
    return s;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD, BOOL, DWORD) {
    return rect != nullptr;
}
BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
    return AdjustWindowRectEx(rect, style, menu, 0);
}
