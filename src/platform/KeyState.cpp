// The key state: every key's down bit and toggle bit as the input events have told them.
#include <QGuiApplication>
#include <array>
#include <mutex>

#include "platform/PlatformPrivate.h"

using namespace platform;

namespace {
// The toolkit reports the side of a modifier only through the native key symbol.
constexpr quint32 kShiftL = 0xffe1, kShiftR = 0xffe2, kControlL = 0xffe3, kControlR = 0xffe4,
                  kAltL = 0xffe9, kAltR = 0xffea;

struct KeyTable {
    std::mutex mutex;  // read from any thread (GetAsyncKeyState), written on the UI thread
    std::array<bool, 256> down{};
    std::array<bool, 256> toggled{};
    std::array<bool, 256> pressedSinceAsync{};
    Qt::KeyboardModifiers mods;
    Qt::MouseButtons buttons;
};
KeyTable g_keys;

void Set(UINT vk, bool down, bool autoRepeat) {
    if (vk == 0 || vk > 255) return;
    if (down && !autoRepeat && !g_keys.down[vk]) g_keys.toggled[vk] = !g_keys.toggled[vk];
    if (down) g_keys.pressedSinceAsync[vk] = true;
    g_keys.down[vk] = down;
}

bool Down(int vk) {
    const Qt::KeyboardModifiers m = g_keys.mods;
    const Qt::MouseButtons b = g_keys.buttons;
    switch (vk) {
        case VK_LBUTTON:
            return b & Qt::LeftButton;
        case VK_RBUTTON:
            return b & Qt::RightButton;
        case VK_MBUTTON:
            return b & Qt::MiddleButton;
        case VK_XBUTTON1:
            return b & Qt::BackButton;
        case VK_XBUTTON2:
            return b & Qt::ForwardButton;
        // the modifiers every event carries are the truth; a side is down only with them
        case VK_SHIFT:
            return m & Qt::ShiftModifier;
        case VK_CONTROL:
            return m & Qt::ControlModifier;
        case VK_MENU:
            return m & Qt::AltModifier;
        case VK_LSHIFT:
        case VK_RSHIFT:
            return (m & Qt::ShiftModifier) && g_keys.down[vk];
        case VK_LCONTROL:
        case VK_RCONTROL:
            return (m & Qt::ControlModifier) && g_keys.down[vk];
        case VK_LMENU:
        case VK_RMENU:
            return (m & Qt::AltModifier) && g_keys.down[vk];
        default:
            return vk > 0 && vk < 256 && g_keys.down[vk];
    }
}
}  // namespace

namespace platform {
void UpdateKeyState(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    std::lock_guard lock(g_keys.mutex);
    // a button press toggles its key as a key press does
    const Qt::MouseButtons pressed = buttons & ~g_keys.buttons;
    if (pressed & Qt::LeftButton) g_keys.toggled[VK_LBUTTON] = !g_keys.toggled[VK_LBUTTON];
    if (pressed & Qt::RightButton) g_keys.toggled[VK_RBUTTON] = !g_keys.toggled[VK_RBUTTON];
    if (pressed & Qt::MiddleButton) g_keys.toggled[VK_MBUTTON] = !g_keys.toggled[VK_MBUTTON];
    if (pressed & Qt::LeftButton) g_keys.pressedSinceAsync[VK_LBUTTON] = true;
    if (pressed & Qt::RightButton) g_keys.pressedSinceAsync[VK_RBUTTON] = true;
    if (pressed & Qt::MiddleButton) g_keys.pressedSinceAsync[VK_MBUTTON] = true;
    g_keys.mods = mods;
    g_keys.buttons = buttons;
}

void NoteKeyEvent(const QKeyEvent* ke) {
    const bool down = ke->type() == QEvent::KeyPress;
    UINT vk = KeyToVk(ke->key(), ke->modifiers());
    // a modifier's own press does not carry its modifier yet, its release still does
    Qt::KeyboardModifiers mods = ke->modifiers();
    auto side = [&](Qt::KeyboardModifier mod, UINT both, UINT left, UINT right, quint32 rightSym) {
        if (vk != both) return;
        mods.setFlag(mod, down);
        const UINT one = ke->nativeVirtualKey() == rightSym ? right : left;
        std::lock_guard lock(g_keys.mutex);
        Set(one, down, ke->isAutoRepeat());
    };
    side(Qt::ShiftModifier, VK_SHIFT, VK_LSHIFT, VK_RSHIFT, kShiftR);
    side(Qt::ControlModifier, VK_CONTROL, VK_LCONTROL, VK_RCONTROL, kControlR);
    side(Qt::AltModifier, VK_MENU, VK_LMENU, VK_RMENU, kAltR);
    (void)kShiftL, (void)kControlL, (void)kAltL;
    UpdateKeyState(mods, g_keys.buttons);
    std::lock_guard lock(g_keys.mutex);
    Set(vk, down, ke->isAutoRepeat());
}

void ForgetKeysDown() {
    std::lock_guard lock(g_keys.mutex);
    g_keys.down.fill(false);
    g_keys.mods = Qt::NoModifier;
    g_keys.buttons = Qt::NoButton;
}

UINT MouseKeyFlags() {
    std::lock_guard lock(g_keys.mutex);
    UINT f = 0;
    if (g_keys.buttons & Qt::LeftButton) f |= MK_LBUTTON;
    if (g_keys.buttons & Qt::RightButton) f |= MK_RBUTTON;
    if (g_keys.buttons & Qt::MiddleButton) f |= MK_MBUTTON;
    if (g_keys.mods & Qt::ShiftModifier) f |= MK_SHIFT;
    if (g_keys.mods & Qt::ControlModifier) f |= MK_CONTROL;
    return f;
}
}  // namespace platform

short GetKeyState(int vk) {
    std::lock_guard lock(g_keys.mutex);
    short s = Down(vk) ? short(0x8000) : 0;
    if (vk > 0 && vk < 256 && g_keys.toggled[vk]) s |= 1;
    return s;
}

short GetAsyncKeyState(int vk) {
    std::lock_guard lock(g_keys.mutex);
    short s = Down(vk) ? short(0x8000) : 0;
    if (vk > 0 && vk < 256 && g_keys.pressedSinceAsync[vk]) {
        s |= 1;
        g_keys.pressedSinceAsync[vk] = false;
    }
    return s;
}
