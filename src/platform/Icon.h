#pragma once
// Icons and drawing in the classic states.
//
// HICON names an image with alpha. LoadIcon gives the "ICON" resource of the id (any
// image format the resources hold), made once and shared: DestroyIcon leaves a shared
// icon alone. Icons made by CreateIconFromBitmap, CopyIcon or CImageList::ExtractIcon
// belong to the caller, who frees them with DestroyIcon. Every call takes a handle that
// names no icon (null, destroyed, made up) as failure: it answers FALSE, 0 or draws
// nothing.
//
// - DrawIcon draws the icon at its own size, alpha-blended over what is there.
// - DrawIconEx draws it scaled to cx x cy (0 for the icon's own size); with a
//   flicker-free brush the rectangle is filled with it first. DI_MASK alone draws the
//   icon's shape in black, DI_IMAGE alone its colours without transparency.
// - DrawState draws an icon, a bitmap or a text at pt (size 0 x 0: the object's own
//   size):
//     DSS_NORMAL    as it is;
//     DSS_DISABLED  embossed: the shape's dark parts (light ones vanish) in white one
//                   pixel right and down, then in the shadow grey RGB(128,128,128);
//     DSS_UNION     blended half-and-half with the brush colour (the highlight colour
//                   RGB(0,120,215) without a brush);
//     DSS_MONO      the shape filled with the brush colour (black without a brush).
//   A text is drawn on one line in the DC's font (DSS_NORMAL: in the DC's text colour);
//   DST_PREFIXTEXT underlines the character after '&' ("&&" is one '&'), DST_TEXT draws
//   the text as it is.

#include <string>

#include "platform/Gdi.h"

#define DI_MASK 0x0001
#define DI_IMAGE 0x0002
#define DI_NORMAL 0x0003
#define DI_DEFAULTSIZE 0x0008
#define DST_COMPLEX 0x0000
#define DST_TEXT 0x0001
#define DST_PREFIXTEXT 0x0002
#define DST_ICON 0x0003
#define DST_BITMAP 0x0004
#define DSS_NORMAL 0x0000
#define DSS_UNION 0x0010
#define DSS_DISABLED 0x0020
#define DSS_MONO 0x0080
#define DSS_HIDEPREFIX 0x0200
#define DSS_RIGHT 0x8000

HICON LoadIcon(void* instance, UINT id);
// A new icon from a bitmap; pixels of the mask colour become transparent (CLR_NONE: the
// bitmap's own alpha is kept).
HICON CreateIconFromBitmap(CBitmap* bitmap, COLORREF mask = CLR_NONE);
HICON CopyIcon(HICON icon);
BOOL DestroyIcon(HICON icon);
BOOL GetIconSize(HICON icon, SIZE* size);
// The icon's pixel at (x, y) as 0xAARRGGBB (not premultiplied); 0 outside or for a bad handle.
ARGB GetIconPixel(HICON icon, int x, int y);
BOOL DrawIcon(CDC* dc, int x, int y, HICON icon);
BOOL DrawIconEx(CDC* dc, int x, int y, HICON icon, int cx, int cy, UINT step, CBrush* flickerFree,
                UINT flags);
BOOL DrawState(CDC* dc, CPoint pt, CSize size, HICON icon, UINT flags, CBrush* brush = nullptr);
BOOL DrawState(CDC* dc, CPoint pt, CSize size, CBitmap* bitmap, UINT flags,
               CBrush* brush = nullptr);
BOOL DrawState(CDC* dc, CPoint pt, CSize size, const std::string& text, UINT flags,
               CBrush* brush = nullptr);
