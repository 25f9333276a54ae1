// Accelerator tables.
#include "platform/Accelerator.h"

#include <map>
#include <memory>
#include <set>
#include <vector>

struct AccelTable {
    std::vector<ACCEL> entries;
};

namespace {
std::set<const AccelTable*>& Live() {
    static std::set<const AccelTable*> live;
    return live;
}
std::map<UINT, std::unique_ptr<AccelTable>>& Registered() {
    static std::map<UINT, std::unique_ptr<AccelTable>> registered;
    return registered;
}
BYTE HeldModifiers() {
    BYTE m = 0;
    if (GetKeyState(VK_SHIFT) < 0) m |= FSHIFT;
    if (GetKeyState(VK_CONTROL) < 0) m |= FCONTROL;
    if (GetKeyState(VK_MENU) < 0) m |= FALT;
    return m;
}
}  // namespace

HACCEL CreateAcceleratorTable(const ACCEL* entries, int count) {
    if (!entries || count <= 0) return nullptr;
    auto* t = new AccelTable{std::vector<ACCEL>(entries, entries + count)};
    Live().insert(t);
    return t;
}
BOOL DestroyAcceleratorTable(HACCEL table) {
    if (!table || !Live().erase(table)) return FALSE;
    delete table;
    return TRUE;
}
void RegisterAccelerators(UINT id, const ACCEL* entries, int count) {
    auto& reg = Registered();
    auto it = reg.find(id);
    if (it != reg.end()) {
        Live().erase(it->second.get());
        reg.erase(it);
    }
    if (!entries || count <= 0) return;
    auto t = std::make_unique<AccelTable>(AccelTable{std::vector<ACCEL>(entries, entries + count)});
    Live().insert(t.get());
    reg[id] = std::move(t);
}
HACCEL LoadAccelerators(UINT id) {
    auto it = Registered().find(id);
    return it == Registered().end() ? nullptr : it->second.get();
}
int TranslateAccelerator(HWND hwnd, HACCEL table, MSG* msg) {
    if (!table || !msg || !Live().count(table) || !IsWindow(hwnd)) return 0;
    const bool keyDown = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
    const bool character = msg->message == WM_CHAR || msg->message == WM_SYSCHAR;
    if (!keyDown && !character) return 0;
    const BYTE held = HeldModifiers();
    for (const ACCEL& a : table->entries) {
        if (((a.fVirt & FVIRTKEY) != 0) != keyDown || a.key != msg->wParam) continue;
        // a character already says whether Shift was down ('+' is Shift and '='): Shift
        // counts for virtual keys only
        const BYTE mask = keyDown ? (FSHIFT | FCONTROL | FALT) : (FCONTROL | FALT);
        if ((a.fVirt & mask) != (held & mask)) continue;
        SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}
