#pragma once
// Stateless drawing functions every control paints with: premultiplied bitmaps drawn as a
// nine-grid with fade, hole and tiling, clips, colour adjustment, fills, gradients, lines,
// rectangles and plain text. Colours are 0xAARRGGBB throughout.
#include <memory>
#include <string>

#include "platform/Gdi.h"
#include "windowless/UIUtils.h"

namespace WinlessUI {

class CUIPaintManager;
class CImageAttribute;

class CRenderClip {
public:
    CRenderClip() = default;
    ~CRenderClip();
    CRenderClip(const CRenderClip&) = delete;
    CRenderClip& operator=(const CRenderClip&) = delete;
    CDC* hDC = nullptr;
    RECT rcItem{0, 0, 0, 0};
    CRgn hRgn;
    CRgn hOldRgn;
    bool hadClip = false;

    static void GenerateClip(CDC* dc, RECT rc, CRenderClip& clip);
    static void GenerateRoundClip(CDC* dc, RECT rc, RECT rcItem, int width, int height, CRenderClip& clip);
    static void UseOldClipBegin(CDC* dc, CRenderClip& clip);
    static void UseOldClipEnd(CDC* dc, CRenderClip& clip);
};

class CRenderEngine {
public:
    // A 32-bit top-down premultiplied bitmap of that size filled from `pixels` (BGRA words).
    static std::unique_ptr<CBitmap> CreateArgbBitmap(int width, int height, const DWORD* pixels);
    static DWORD AdjustColor(DWORD colour, short h, short s, short l);
    static void DrawImage(CDC* dc, CBitmap* bitmap, const RECT& rc, const RECT& rcPaint, const RECT& rcBmpPart,
                          const RECT& rcCorners, bool alpha, BYTE fade = 255, bool hole = false,
                          bool xtiled = false, bool ytiled = false);
    static bool DrawImage(CDC* dc, CUIPaintManager* manager, const RECT& rcItem, const RECT& rcPaint,
                          CImageAttribute& image);
    static void DrawColor(CDC* dc, const RECT& rc, DWORD colour);
    static void DrawGradient(CDC* dc, const RECT& rc, DWORD first, DWORD second, bool vertical, int steps);
    static void DrawLine(CDC* dc, const RECT& rc, int size, DWORD colour, int style = 0);
    static void DrawRect(CDC* dc, const RECT& rc, int size, DWORD colour);
    static void DrawRoundRect(CDC* dc, const RECT& rc, int size, int width, int height, DWORD colour);
    static void DrawText(CDC* dc, CUIPaintManager* manager, RECT& rc, const char* text, DWORD colour,
                         int font, UINT style);
    // Text with inline mark-up (fonts, colours, links, images, paragraphs, selection) drawn
    // into rc, or measured with DT_CALCRECT. linkCount: in, the room in links/targets; out,
    // the links stored. Links also hover-colour by the manager's last mouse position.
    static void DrawFormattedText(CDC* dc, CUIPaintManager* manager, RECT& rc, const char* text, DWORD colour,
                                  RECT* links, CUIString* targets, int& linkCount, UINT style);
    // Text of the program (UTF-8) as UTF-16, without touching the process locale.
    static std::u16string WideFromMultiByte(const char* text);
};

}  // namespace WinlessUI
