#pragma once
// The scroll bars of a window the layer draws itself (WS_HSCROLL / WS_VSCROLL): toolkit
// scroll bars along its edges, outside the client area. Private to the layer.
class CWnd;

namespace platform {
// Gives a window created with WS_HSCROLL and/or WS_VSCROLL its bars, before WM_NCCREATE.
void AttachWindowScrollBars(CWnd* wnd);
}  // namespace platform
