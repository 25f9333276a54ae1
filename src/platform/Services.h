#pragma once
// Small services of the desktop: clipboard text, opening web pages, window screenshots.
#include <functional>
#include <string>

#include "platform/Wnd.h"

namespace platform {
BOOL SetClipboardText(const std::string& utf8);
std::string GetClipboardText();
// Opens a URL in the user's browser ("open" of the shell). A hook replaces the browser
// (tests, kiosk runs) and receives the URL.
BOOL ShellOpen(const std::string& url);
void SetShellOpenHook(std::function<void(const std::string&)> hook);
// Renders the window with its children as it would appear now and writes a PNG.
BOOL SaveWindowScreenshot(CWnd* wnd, const std::string& pngPath);
// The same, into a bitmap. Both hold the device pixels: on a screen of device-pixel ratio 2
// the picture is twice the window's width and height.
BOOL CaptureWindow(CWnd* wnd, CBitmap& out);
}  // namespace platform
