// Clipboard, shell open and screenshots.
#include "platform/Services.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

#include "platform/PlatformPrivate.h"

namespace platform {
namespace {
std::function<void(const std::string&)> g_openHook;
}
BOOL SetClipboardText(const std::string& utf8) {
    if (!QGuiApplication::clipboard()) return FALSE;
    QGuiApplication::clipboard()->setText(ToQ(utf8));
    return TRUE;
}
std::string GetClipboardText() {
    return QGuiApplication::clipboard() ? FromQ(QGuiApplication::clipboard()->text())
                                        : std::string();
}
void SetShellOpenHook(std::function<void(const std::string&)> hook) {
    g_openHook = std::move(hook);
}
BOOL ShellOpen(const std::string& url) {
    if (url.empty()) return FALSE;
    if (g_openHook) {
        g_openHook(url);
        return TRUE;
    }
    QUrl u = QUrl::fromUserInput(ToQ(url));
    return u.isValid() && QDesktopServices::openUrl(u);
}
BOOL CaptureWindow(CWnd* wnd, CBitmap& out) {
    if (!wnd || !wnd->d || !wnd->d->widget) return FALSE;
    wnd->UpdateWindow();
    QImage img = wnd->d->widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (img.isNull()) return FALSE;
    img.setDevicePixelRatio(1);  // a bitmap of the device pixels, as the screen shows them
    out.m_surface = std::make_shared<Surface>(std::move(img));
    return TRUE;
}
BOOL SaveWindowScreenshot(CWnd* wnd, const std::string& pngPath) {
    CBitmap bmp;
    return CaptureWindow(wnd, bmp) && bmp.SavePng(pngPath);
}
}  // namespace platform
