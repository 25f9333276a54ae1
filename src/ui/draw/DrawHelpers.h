#pragma once
// Drawing helpers shared by every window that paints itself: marker shapes, dashed
// lines, rounded rectangles, gradients, wrapped text, the translucency switch of
// top-level windows, and images and image lists from the program's resources. They draw
// on the context they are given and keep nothing. Colours are COLORREF; the
// anti-aliased ones turn them into opaque ARGB.
#include <string>

#include "platform/Gdi.h"
#include "platform/Graphics.h"
#include "platform/SkinMenu.h"

// kind 1: pointing down, apex at the bottom; 3: apex on the left; 4: apex on the right.
void DrawTriangleLines(CDC* dc, COLORREF color, int kind, int size, const RECT& rect);
void DrawTriangleAA(COLORREF color, CDC* dc, int size, const RECT& rect);
// A dashed horizontal (y1 == y2, x1 < x2) or vertical (x1 == x2, y1 < y2) line with the
// context's current pen; dashes of dashLength begin every gap + dashLength pixels.
void DrawDashedLine(CDC* dc, int gap, int dashLength, int x1, int y1, int x2, int y2);
void DrawEllipseAA(COLORREF color, CDC* dc, int x, int y, int width, int height);
void FillRightTriangle(COLORREF color, CDC* dc, int left, int top, int right, int bottom);
// kind 1 up arrow, 0 diamond, below 0 down arrow; kind above 1: the hollow form of kind - 10.
void DrawTradeArrow(int kind, int x, int y, double xScale, double yScale, COLORREF color, CDC* dc);
// direction 0 up, 1 down; fixed colour ARGB 0xFF86ABCA.
void FillChevronAA(CDC* dc, int direction, int x1, int y1, int x2, int y2);
void DrawRoundRectAA(CGraphics* graphics, ARGB color, int x, int y, int width, int height);
void FillRoundRectAA(CGraphics* graphics, ARGB color, int x, int y, int width, int height);
// direction 1: horizontal, start colour on the left; otherwise vertical, start colour on top.
void FillGradient(COLORREF endColor, const RECT& rect, CDC* dc, COLORREF startColor, int direction);
// colour a at both edges, colour b at one third of the width.
void FillGradient3(CDC* dc, COLORREF a, const RECT& rect, COLORREF b);
// Draws text one character at a time, wrapping at the rectangle's right edge, lines
// text height + 17 apart, stopping at its bottom. On return rect.top is the bottom of
// the last line drawn.
void DrawWrappedChars(const std::string& text, RECT& rect, CDC* dc);
// The switch ApplyWindowTransparency obeys: the common transparency flag and colour key.
void SetWindowTransparencyOptions(bool enabled, COLORREF colorKey);
// Toggles the layered style of a top-level window and, when layered, makes it 242/255
// opaque with the colour key transparent. Does nothing while the flag is off.
void ApplyWindowTransparency(HWND hwnd);
// kind 0: "PNG", 1: "TIF", other: no type. The caller owns the image; null when missing.
CImage* LoadImageResource(UINT id, int kind);
// The tool bar 49998 and its bitmap, blue (0xFF0000) transparent. False when missing.
bool LoadToolBarImages(CSkinMenuIcons* toolbar);
void LoadImageList(CImageList& list, UINT bitmapId, int cx, int cy);
// Bitmap 199 with blue as the transparent colour.
void LoadMaskedImageList(CImageList& list, int cx, int cy);
