#pragma once
// What the native controls' sources share; includes Qt, so only src/platform uses it.
#include <QWidget>

#include "platform/Controls.h"
#include "platform/PlatformPrivate.h"

namespace platform {
// The control's widget as W, or null when it is not one.
template <class W>
W* As(const CWnd* w) {
    return w->d->widget ? qobject_cast<W*>(w->d->widget.data()) : nullptr;
}
// The classic scroll code of a toolkit slider action (SB_ENDSCROLL for none of them).
UINT ScrollActionCode(int action);
// The classic messages of the native controls (EM_*, CB_*, LB_*, clipboard); false when msg
// is not one of ctl's.
bool ControlMessage(CNativeCtrl* ctl, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
}  // namespace platform
