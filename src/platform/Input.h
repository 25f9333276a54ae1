#pragma once
// Synthetic input, delivered exactly like the user's: through the application's
// filters, capture and pre-translation. For tests and automation.
#include <string>

#include "platform/Wnd.h"

namespace platform {
// msg: WM_MOUSEMOVE, WM_LBUTTONDOWN/UP/DBLCLK, WM_RBUTTONDOWN/UP, WM_MOUSEWHEEL
// (delta in wheelDelta); x, y in wnd's client coordinates; keys: MK_SHIFT, MK_CONTROL.
// The event reaches the widget of wnd under the point (inside a native control, a scroll
// bar of the window), never a child window there.
void InjectMouse(CWnd* wnd, UINT msg, int x, int y, UINT keys = 0, int wheelDelta = 0);
// The pointer leaves the window.
void InjectMouseLeave(CWnd* wnd);
// A key press (and release unless autoRepeat) on the focused window, or on wnd when given.
// text: what the key types (UTF-8), empty for none. modifiers: MK_SHIFT, MK_CONTROL, 0x20 = Alt.
void InjectKey(UINT vk, const std::string& text = {}, UINT modifiers = 0, bool autoRepeat = false,
               CWnd* wnd = nullptr);
// Types text (one key per character) into the focused window or wnd.
void InjectText(const std::string& text, CWnd* wnd = nullptr);
// An input method's event on the focused window or wnd: the composition as it stands now
// (preedit, empty when it ends) and the text it commits (UTF-8, empty for none).
void InjectInputMethod(const std::string& preedit, const std::string& commit,
                       CWnd* wnd = nullptr);
}  // namespace platform
