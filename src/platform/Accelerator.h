#pragma once
// Accelerator tables: (virtual key or character, modifiers) -> command id, turned into
// WM_COMMAND before the key message is dispatched. The program calls TranslateAccelerator
// from PreTranslateMessage, as with the system's. Tables are built in code (there are no
// accelerator resources): RegisterAccelerators gives LoadAccelerators its table by id.
// Threads: tables are made and used on the UI thread.
#include "platform/Wnd.h"

#define FVIRTKEY 0x01
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10

struct ACCEL {
    BYTE fVirt;  // FVIRTKEY: key is a virtual key, else a character (WM_CHAR); FSHIFT, FCONTROL, FALT
    WORD key;
    WORD cmd;
};
struct AccelTable;
using HACCEL = AccelTable*;

// A table of count entries (copied); null for none. It lives until DestroyAcceleratorTable.
HACCEL CreateAcceleratorTable(const ACCEL* entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);  // FALSE for a stale or null handle
// Makes the table LoadAccelerators(id) answers; a later registration under id replaces it.
void RegisterAccelerators(UINT id, const ACCEL* entries, int count);
HACCEL LoadAccelerators(UINT id);  // the registered table (shared, not to be destroyed); null if none
// For WM_KEYDOWN / WM_SYSKEYDOWN (virtual-key entries) and WM_CHAR / WM_SYSCHAR (character
// entries): the first entry whose key matches and whose FSHIFT / FCONTROL / FALT equal the
// modifiers held now (GetKeyState; Shift is not compared for characters) sends WM_COMMAND(MAKEWPARAM(cmd, 1), 0) to hwnd and
// answers 1; the message is then not to be dispatched. 0 otherwise, also for a stale table
// or window.
int TranslateAccelerator(HWND hwnd, HACCEL table, MSG* msg);
