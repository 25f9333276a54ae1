// Mouse messages of native controls.
#include "platform/NativeInput.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <vector>

#include "platform/PlatformPrivate.h"

namespace platform {
namespace {
// (event, receiver) of the messages being handled, innermost last
std::vector<std::pair<const QEvent*, QObject*>> g_receivers;
bool g_nativeCursor = false;
CWnd* g_defaulting = nullptr;  // the control whose widget handles a mouse event now
bool g_topTook = false;        // what the control's widget made of an event passed up to it
bool g_passedUp = false;

struct ReceiverScope {
    ReceiverScope(const QEvent* e, QObject* r) { g_receivers.emplace_back(e, r); }
    ~ReceiverScope() { g_receivers.pop_back(); }
};

// The cursor a widget had of its own, before the layer set any.
void RememberClassCursor(QWidget* w) {
    if (w->property("tarrowClassCursor").isValid()) return;
    w->setProperty("tarrowClassCursor", w->testAttribute(Qt::WA_SetCursor)
                                            ? QVariant::fromValue(w->cursor())
                                            : QVariant(QString()));
}
void RestoreClassCursor(QWidget* w) {
    QVariant v = w->property("tarrowClassCursor");
    if (v.canConvert<QCursor>() && v.userType() == qMetaTypeId<QCursor>())
        w->setCursor(v.value<QCursor>());
    else
        w->unsetCursor();
}

UINT ButtonMessage(QEvent::Type type, Qt::MouseButton button) {
    const int which = button == Qt::LeftButton ? 0 : button == Qt::RightButton ? 1 : 2;
    static const UINT down[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static const UINT up[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    static const UINT dbl[] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
    switch (type) {
        case QEvent::MouseButtonPress:
            return down[which];
        case QEvent::MouseButtonRelease:
            return up[which];
        default:
            return dbl[which];
    }
}
}  // namespace

bool IsNativeMouseEvent(const QEvent* e) {
    switch (e->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        default:
            return false;
    }
}

QObject* NativeEventReceiver(const QEvent* e) {
    for (auto it = g_receivers.rbegin(); it != g_receivers.rend(); ++it)
        if (it->first == e) return it->second;
    return nullptr;
}

void UseNativeCursor() {
    g_nativeCursor = true;
}

bool DeliverNativeDefault(CWnd* wnd, QEvent* e) {
    QObject* receiver = NativeEventReceiver(e);
    QWidget* top = wnd->d->widget;
    if (!receiver || !top) return false;
    e->setAccepted(true);
    if (receiver == top) {
        static_cast<QObject*>(top)->event(e);
    } else {
        // through the inner widget's own filters (a scroll area handles its viewport so)
        CWnd* outer = g_defaulting;
        g_defaulting = wnd;
        g_passedUp = false;
        QCoreApplication::sendEvent(receiver, e);
        g_defaulting = outer;
        if (g_passedUp) {
            g_passedUp = false;
            return g_topTook;
        }
    }
    return e->isAccepted();
}

bool NativeMouseEvent(CWnd* wnd, QObject* receiver, QEvent* e) {
    WndPrivate* d = wnd->d.get();
    QWidget* top = d->widget;
    auto* src = qobject_cast<QWidget*>(receiver);
    if (!top || !src) return false;
    if (g_defaulting == wnd) {
        if (receiver != top) return false;  // the inner widget's own handling
        // passed up from an inner widget: the control's widget has it, and it goes no further
        e->setAccepted(true);
        static_cast<QObject*>(top)->event(e);
        g_topTook = e->isAccepted();
        g_passedUp = true;
        e->setAccepted(true);
        return true;
    }
    auto alive = d->alive;
    ReceiverScope scope(e, receiver);
    if (e->type() == QEvent::Wheel) {
        auto* we = static_cast<QWheelEvent*>(e);
        const QPoint g = we->globalPosition().toPoint();
        Dispatch(wnd, WM_MOUSEWHEEL, MAKEWPARAM(MouseKeyFlags(), (short)we->angleDelta().y()),
                 MAKELPARAM(g.x(), g.y()), e);
        e->setAccepted(true);  // the control's default passed it on if it was not wanted
        return true;
    }
    auto* me = static_cast<QMouseEvent*>(e);
    QPoint pos = me->position().toPoint();
    if (src != top) pos = src->mapTo(top, pos);
    pos -= QPoint(d->ncMargins.left(), d->ncMargins.top());
    const LPARAM lp = MAKELPARAM(pos.x(), pos.y());
    const UINT keys = MouseKeyFlags();
    UINT msg = WM_MOUSEMOVE;
    if (me->type() != QEvent::MouseMove) msg = ButtonMessage(me->type(), me->button());
    if (me->type() == QEvent::MouseMove || me->type() == QEvent::MouseButtonPress) {
        RememberClassCursor(top);
        RememberClassCursor(src);
        g_nativeCursor = false;
        Dispatch(wnd, WM_SETCURSOR, (WPARAM)wnd->m_hWnd, MAKELPARAM(HTCLIENT, msg));
        if (!*alive || !d->widget) return true;
        if (g_nativeCursor) {
            RestoreClassCursor(top);
            if (src != top) RestoreClassCursor(src);
        } else {
            ApplyCursorTo(wnd);
            if (src != top) src->setCursor(top->cursor());
        }
    }
    d->inside = true;
    Dispatch(wnd, msg, keys, lp, e);
    e->setAccepted(true);  // a control's mouse is its own, never its parent's
    if (!*alive) return true;
    if (msg == WM_MOUSEMOVE) {
        if (d->lastMouse != pos && (d->trackFlags & TME_HOVER)) d->StartHoverTimer();
        d->lastMouse = pos;
    }
    return true;
}
}  // namespace platform
