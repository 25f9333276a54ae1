#pragma once
// The text caret and the input method's position.
//
// Caret: one caret in the application, owned by one window, as the classic caret.
//   CreateCaret gives `hwnd` a caret of width x height pixels (width 0: the border width,
//     SM_CXBORDER); a bitmap gives its shape (its pixels are XORed over the window), null
//     gives a solid block that inverts what is under it. It replaces any caret that
//     existed, of whatever window. A new caret is hidden: it needs one ShowCaret.
//   HideCaret and ShowCaret nest: after n HideCarets it takes n ShowCarets to show it
//     again. Both are refused (FALSE) for a window that does not own the caret (hwnd null
//     means the owner).
//   While shown it blinks at GetCaretBlinkTime; showing it or moving it puts it on at once,
//     so a moved caret is never invisible for a blink.
//   The caret is drawn over the window's back buffer when the window is put on the screen
//     (and in screenshots of it), never into the buffer: drawing with a CClientDC does not
//     need to hide it, and it leaves nothing behind when it moves.
//   DestroyCaret removes it; destroying the owner window does too.
//   Native controls show their own caret; this one is for the layer's own windows.
// Input method: the toolkit's input method asks the window where the text goes, to put its
//   composition and candidate windows there. The answer is the point set with
//   ImmSetCompositionWindow (CFS_POINT, CFS_FORCE_POSITION: the top left of the text;
//   CFS_RECT: its rectangle), else the caret when the window owns it, else the window's top
//   left. A composition arrives as WM_IME_STARTCOMPOSITION, WM_IME_COMPOSITION with
//   GCS_COMPSTR while it changes, then WM_IME_COMPOSITION with GCS_RESULTSTR, one WM_CHAR
//   per character of the result, and WM_IME_ENDCOMPOSITION.
//   The input context is the window's: ImmGetContext answers a handle valid until the window
//   is destroyed; ImmReleaseContext does nothing.
// Threads: UI thread only.
#include "platform/Wnd.h"

struct HIMC__;
using HIMC = HIMC__*;

BOOL CreateCaret(HWND hwnd, CBitmap* bitmap, int width, int height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
BOOL SetCaretPos(int x, int y);  // client coordinates of the owner
BOOL GetCaretPos(LPPOINT pt);
BOOL SetCaretBlinkTime(UINT ms);  // half the period; the application's, not the desktop's
HWND GetCaretOwner();             // null when there is no caret

#define CFS_DEFAULT 0x0000
#define CFS_RECT 0x0001
#define CFS_POINT 0x0002
#define CFS_FORCE_POSITION 0x0020
struct COMPOSITIONFORM {
    DWORD dwStyle;
    POINT ptCurrentPos;
    RECT rcArea;
};
#define GCS_COMPSTR 0x0008
#define GCS_RESULTSTR 0x0800
#define WM_IME_STARTCOMPOSITION 0x010D
#define WM_IME_ENDCOMPOSITION 0x010E
#define WM_IME_COMPOSITION 0x010F

HIMC ImmGetContext(HWND hwnd);
BOOL ImmReleaseContext(HWND hwnd, HIMC imc);
// CFS_DEFAULT forgets the position (the caret is used again).
BOOL ImmSetCompositionWindow(HIMC imc, const COMPOSITIONFORM* form);
// Where the input method is told the text goes now, in client coordinates of hwnd (what
// the composition and candidate windows are placed against). FALSE for a stale handle.
BOOL GetImeCursorRect(HWND hwnd, LPRECT rc);
