#pragma once
// The mouse of native controls: the events of a control's widget and of the widgets inside
// it become the control's messages, and the toolkit's own handling runs only when the
// message's handler calls Default(). Private to the layer.
#include <QEvent>
#include <QObject>

class CWnd;

namespace platform {
bool IsNativeMouseEvent(const QEvent* e);
// Turns e (received by receiver, the control's widget or one inside it) into messages:
// WM_SETCURSOR and WM_MOUSEMOVE for a move, WM_SETCURSOR and WM_xBUTTONDOWN for a press,
// WM_xBUTTONUP, WM_xBUTTONDBLCLK, WM_MOUSEWHEEL. Coordinates are the control's client
// coordinates (screen ones for the wheel). Answers true: the event is consumed.
bool NativeMouseEvent(CWnd* wnd, QObject* receiver, QEvent* e);
// The widget e was sent to, while a message made from it is being handled; null otherwise.
QObject* NativeEventReceiver(const QEvent* e);
// The toolkit's own handling of the mouse event e a message of wnd came from, delivered to
// the widget it was sent to (through that widget's own filters) and stopped at the control:
// it does not travel on to the windows around. Answers whether the widget took it.
bool DeliverNativeDefault(CWnd* wnd, QEvent* e);
// Called by a native control's default WM_SETCURSOR: the control keeps its own cursor.
void UseNativeCursor();
}  // namespace platform
