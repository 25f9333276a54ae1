// Synthetic input through the application's own delivery path.
#include "platform/Input.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "platform/PlatformPrivate.h"

namespace platform {
namespace {
Qt::MouseButtons g_down;
Qt::KeyboardModifiers Mods(UINT keys) {
    Qt::KeyboardModifiers m;
    if (keys & MK_SHIFT) m |= Qt::ShiftModifier;
    if (keys & MK_CONTROL) m |= Qt::ControlModifier;
    if (keys & 0x20) m |= Qt::AltModifier;
    return m;
}
}  // namespace

void InjectMouse(CWnd* wnd, UINT msg, int x, int y, UINT keys, int wheelDelta) {
    if (!wnd || !wnd->d || !wnd->d->widget) return;
    QWidget* w = wnd->d->widget;
    QPointF local(x + wnd->d->ncMargins.left(), y + wnd->d->ncMargins.top());
    QPointF global = w->mapToGlobal(local.toPoint());
    // the event goes to the innermost widget under the point that is part of this window,
    // as the user's would (a native control's viewport, a window's scroll bar); a child
    // window there does not get it
    if (QWidget* inner = w->childAt(local.toPoint());
        inner && !inner->isWindow() && WndFromWidget(inner) == wnd) {
        local = inner->mapFrom(w, local.toPoint());
        w = inner;
    }
    Qt::MouseButton b = Qt::NoButton;
    QEvent::Type t = QEvent::MouseMove;
    switch (msg) {
        case WM_LBUTTONDOWN:
            t = QEvent::MouseButtonPress;
            b = Qt::LeftButton;
            g_down |= b;
            break;
        case WM_LBUTTONUP:
            t = QEvent::MouseButtonRelease;
            b = Qt::LeftButton;
            g_down &= ~b;
            break;
        case WM_LBUTTONDBLCLK:
            t = QEvent::MouseButtonDblClick;
            b = Qt::LeftButton;
            g_down |= b;
            break;
        case WM_RBUTTONDOWN:
            t = QEvent::MouseButtonPress;
            b = Qt::RightButton;
            g_down |= b;
            break;
        case WM_RBUTTONUP:
            t = QEvent::MouseButtonRelease;
            b = Qt::RightButton;
            g_down &= ~b;
            break;
        case WM_MOUSEWHEEL: {
            QWheelEvent we(local, global, QPoint(), QPoint(0, wheelDelta), g_down, Mods(keys),
                           Qt::NoScrollPhase, false);
            QApplication::sendEvent(w, &we);
            return;
        }
        default:
            break;
    }
    QMouseEvent me(t, local, global, b, g_down, Mods(keys));
    QApplication::sendEvent(w, &me);
}

void InjectMouseLeave(CWnd* wnd) {
    if (!wnd || !wnd->d || !wnd->d->widget) return;
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(wnd->d->widget, &e);
}

void InjectKey(UINT vk, const std::string& text, UINT modifiers, bool autoRepeat, CWnd* wnd) {
    if (!wnd) wnd = CWnd::GetFocus();
    if (!wnd || !wnd->d || !wnd->d->widget) return;
    QPointer<QWidget> w = wnd->d->widget.data();
    int key = VkToQtKey(vk);
    Qt::KeyboardModifiers m = Mods(modifiers);
    QString t = QString::fromUtf8(text.c_str());
    QKeyEvent press(QEvent::KeyPress, key, m, t, autoRepeat);
    QApplication::sendEvent(w, &press);
    if (!autoRepeat && w) {
        QKeyEvent release(QEvent::KeyRelease, key, m, t, false);
        QApplication::sendEvent(w, &release);
    }
}

void InjectInputMethod(const std::string& preedit, const std::string& commit, CWnd* wnd) {
    if (!wnd) wnd = CWnd::GetFocus();
    if (!wnd || !wnd->d || !wnd->d->widget) return;
    QInputMethodEvent e(ToQ(preedit), {});
    e.setCommitString(ToQ(commit));
    QApplication::sendEvent(wnd->d->widget, &e);
}

void InjectText(const std::string& text, CWnd* wnd) {
    for (char32_t c : QString::fromUtf8(text.c_str()).toUcs4()) {
        QString s = QString::fromUcs4(&c, 1);
        UINT vk = 0;
        if (c < 128 && isalpha((int)c))
            vk = (UINT)toupper((int)c);
        else if (c >= '0' && c <= '9')
            vk = (UINT)c;
        else if (c == ' ')
            vk = VK_SPACE;
        InjectKey(vk, FromQ(s), 0, false, wnd);
    }
}
}  // namespace platform
