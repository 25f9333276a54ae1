#pragma once
// Drawing objects and the device context. A CDC paints on an image: a window's
// persistent back-buffer (CPaintDC, CClientDC) or a bitmap selected into a memory
// context. Because the back-buffer survives between paints, drawing outside a paint
// (crosshairs, rubber bands, tips saving the pixels under them) is shown as drawn.
// Coordinates are pixels; rectangles are half-open; colours are COLORREF.
#include <memory>
#include <string>
#include <vector>

#include "platform/Geometry.h"

// pen styles
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_STYLE_MASK 0x0000000F
// brush styles and hatches
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2
#define BS_PATTERN 3
#define HS_HORIZONTAL 0
#define HS_VERTICAL 1
#define HS_FDIAGONAL 2
#define HS_BDIAGONAL 3
#define HS_CROSS 4
#define HS_DIAGCROSS 5
// stock objects
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17
// background modes, fill modes, raster ops
#define TRANSPARENT 1
#define OPAQUE 2
#define ALTERNATE 1
#define WINDING 2
#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16
#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define NOTSRCCOPY 0x00330008
#define DSTINVERT 0x00550009
#define PATCOPY 0x00F00021
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062
#define COLORONCOLOR 3
#define HALFTONE 4
// GetDeviceCaps
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define LOGPIXELSX 88
#define LOGPIXELSY 90
// text
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_NOCLIP 0x00000100
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800
#define DT_END_ELLIPSIS 0x00008000
#define DT_WORD_ELLIPSIS 0x00040000
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define FW_NORMAL 400
#define FW_BOLD 700
#define DEFAULT_CHARSET 1
#define GB2312_CHARSET 134
// regions
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
// gradients and blending
#define GRADIENT_FILL_RECT_H 0x00000000
#define GRADIENT_FILL_RECT_V 0x00000001
#define AC_SRC_OVER 0x00
#define AC_SRC_ALPHA 0x01

struct TRIVERTEX {
    LONG x;
    LONG y;
    COLOR16 Red;
    COLOR16 Green;
    COLOR16 Blue;
    COLOR16 Alpha;
};
struct GRADIENT_RECT {
    ULONG UpperLeft;
    ULONG LowerRight;
};
struct BLENDFUNCTION {
    BYTE BlendOp;
    BYTE BlendFlags;
    BYTE SourceConstantAlpha;
    BYTE AlphaFormat;
};

struct LOGFONT {
    LONG lfHeight = 0;  // < 0: character height in pixels; > 0: cell height
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = FW_NORMAL;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = DEFAULT_CHARSET;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    std::string lfFaceName;
};

struct TEXTMETRIC {
    LONG tmHeight, tmAscent, tmDescent, tmInternalLeading, tmExternalLeading;
    LONG tmAveCharWidth, tmMaxCharWidth, tmWeight;
};

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;  // a DIB section's pixels, else null
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
};

namespace platform {
struct Surface;
struct DCState;
// Drawing keeps shaped text for reuse and draws runs of lines in one go; the pixels are
// the same either way. Off, every text is laid out anew and every line stroked alone:
// tests compare the two. Safe from any thread; on by default.
void SetDrawingShortcuts(bool on);
struct RegionData;
}  // namespace platform

class CGdiObject {
public:
    virtual ~CGdiObject() = default;
    virtual BOOL DeleteObject() { return TRUE; }
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color);
    BOOL DeleteObject() override;
    BOOL IsCreated() const { return m_created; }
    int m_style = PS_SOLID;
    int m_width = 1;
    COLORREF m_color = 0;
    bool m_created = false;
};

class CBitmap;

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    CBrush(int hatch, COLORREF color) { CreateHatchBrush(hatch, color); }
    BOOL CreateSolidBrush(COLORREF color);
    BOOL CreateHatchBrush(int hatch, COLORREF color);
    BOOL CreatePatternBrush(CBitmap* bitmap);
    BOOL CreateStockNull();
    BOOL DeleteObject() override;
    int m_style = BS_SOLID;
    int m_hatch = 0;
    COLORREF m_color = 0;
    std::shared_ptr<platform::Surface> m_pattern;
    bool m_created = false;
};

class CFont : public CGdiObject {
public:
    BOOL CreateFontIndirect(const LOGFONT* lf);
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                    BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, const char* face);
    // pointSize in tenths of a point, as the classic call takes it
    BOOL CreatePointFont(int pointSize, const char* face, CDC* dc = nullptr);
    int GetLogFont(LOGFONT* lf) const;
    BOOL DeleteObject() override;
    LOGFONT m_lf;
    bool m_created = false;
};

class CBitmap : public CGdiObject {
public:
    CBitmap();
    ~CBitmap() override;
    // width x height logical pixels at dc's device-pixel ratio (1 for null): on a ratio-2
    // screen a bitmap compatible with a window DC holds 2*width x 2*height pixels, while
    // every size, coordinate and blit rectangle about it stays logical.
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    // 32 bits per pixel: bits are premultiplied BGRA rows, top-down (what AlphaBlend expects)
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    // A bitmap whose pixels the caller reaches directly: top-down rows of width * 4 bytes,
    // each pixel premultiplied B, G, R, A, all 0 at first. *bits stays valid and is the
    // bitmap's content while the bitmap lives (until DeleteObject or another Create...):
    // what is written there is what BitBlt and AlphaBlend copy, and what a DC draws on the
    // bitmap is there once the drawing call returns.
    BOOL CreateDIBSection(int width, int height, void** bits);
    void* GetBits() const;  // a DIB section's pixels; null for other bitmaps
    // sizeof(BITMAP) on success, 0 without a bitmap. Width and height are logical; for a
    // bitmap of ratio above 1, bmWidthBytes is width * 4 and bmBits null (its rows are not
    // the caller's to reach).
    int GetBitmap(BITMAP* bm) const;
    BOOL LoadBitmap(UINT resourceId);                            // "BITMAP" resource
    // A picture of the program's resources ("BITMAP", "PNG", ...). Each is decoded once per
    // process and kept: bitmaps loaded from it share its pixels until one is drawn on.
    BOOL LoadResourcePicture(const char* type, UINT resourceId);
    BOOL LoadFromBytes(const unsigned char* data, size_t size);  // PNG, BMP, JPEG, GIF
    BOOL LoadFromFile(const std::string& path);
    BOOL DeleteObject() override;
    CSize GetSize() const;              // logical
    CSize GetBitmapDimension() const;   // the logical size (no separate dimension is kept)
    double GetPixelRatio() const;       // device pixels per logical pixel; 1 without a bitmap
    bool IsNull() const { return !m_surface; }
    COLORREF GetPixel(int x, int y) const;  // logical; the top left device pixel of it
    BOOL SavePng(const std::string& path) const;
    std::shared_ptr<platform::Surface> m_surface;
};

class CRgn : public CGdiObject {
public:
    CRgn();
    ~CRgn() override;
    CRgn(const CRgn&);
    CRgn& operator=(const CRgn&);
    BOOL CreateRectRgn(int l, int t, int r, int b);
    BOOL CreateRectRgnIndirect(LPCRECT rc) {
        return CreateRectRgn(rc->left, rc->top, rc->right, rc->bottom);
    }
    BOOL CreateEllipticRgn(int l, int t, int r, int b);
    BOOL CreateRoundRectRgn(int l, int t, int r, int b, int w, int h);
    BOOL CreatePolygonRgn(const POINT* pts, int count, int fillMode);
    void SetRectRgn(int l, int t, int r, int b);
    int CombineRgn(const CRgn* a, const CRgn* b, int mode);
    int CopyRgn(const CRgn* src) { return CombineRgn(src, nullptr, RGN_COPY); }
    BOOL PtInRegion(int x, int y) const;
    BOOL RectInRegion(LPCRECT rc) const;
    int OffsetRgn(int dx, int dy);
    int GetRgnBox(LPRECT rc) const;
    BOOL EqualRgn(const CRgn* other) const;
    BOOL DeleteObject() override;
    bool IsNull() const;
    std::unique_ptr<platform::RegionData> m_data;
};

class CWnd;

class CDC {
public:
    CDC();
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // A memory context; it draws on nothing until a bitmap is selected. It takes dc's
    // device-pixel ratio (1 for null), so bitmaps made compatible with it take that ratio too.
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();
    HDC GetSafeHdc() { return this; }
    BOOL IsPrinting() const { return FALSE; }

    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    int SelectObject(CRgn* rgn) { return SelectClipRgn(rgn); }
    CGdiObject* SelectStockObject(int index);
    CPen* GetCurrentPen() const;
    CBrush* GetCurrentBrush() const;
    CFont* GetCurrentFont() const;
    CBitmap* GetCurrentBitmap() const;

    COLORREF SetTextColor(COLORREF c);
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF c);
    COLORREF GetBkColor() const;
    int SetBkMode(int mode);
    int GetBkMode() const;
    int SetROP2(int rop);
    int GetROP2() const;
    int SetPolyFillMode(int mode);
    int GetPolyFillMode() const;
    UINT SetTextAlign(UINT align);
    int SetStretchBltMode(int mode);

    CPoint SetViewportOrg(int x, int y);
    CPoint OffsetViewportOrg(int dx, int dy);
    CPoint GetViewportOrg() const;
    int SaveDC();
    BOOL RestoreDC(int saved);  // -1: the most recent

    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y);  // the end point is not drawn
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    CPoint GetCurrentPosition() const;
    BOOL Polyline(const POINT* pts, int count);
    // count separate lines, line i from ends[2i] to ends[2i+1], each drawn as MoveTo and
    // LineTo draw it (its end point left out); the current position stays where it was.
    BOOL DrawSegments(const POINT* ends, int count);
    BOOL Polygon(const POINT* pts, int count);
    BOOL PolyPolygon(const POINT* pts, const int* counts, int polys);
    BOOL Rectangle(int l, int t, int r, int b);
    BOOL Rectangle(LPCRECT rc) { return Rectangle(rc->left, rc->top, rc->right, rc->bottom); }
    BOOL RoundRect(int l, int t, int r, int b, int w, int h);
    BOOL Ellipse(int l, int t, int r, int b);
    BOOL Ellipse(LPCRECT rc) { return Ellipse(rc->left, rc->top, rc->right, rc->bottom); }
    // Arcs and pies run counter-clockwise from the radial through (x3,y3) to the one through
    // (x4,y4).
    BOOL Arc(int l, int t, int r, int b, int x3, int y3, int x4, int y4);
    BOOL Pie(int l, int t, int r, int b, int x3, int y3, int x4, int y4);
    BOOL Chord(int l, int t, int r, int b, int x3, int y3, int x4, int y4);
    void FillRect(LPCRECT rc, CBrush* brush);
    // Like the classic call, leaves the background colour set to the fill colour.
    void FillSolidRect(LPCRECT rc, COLORREF c);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF c);
    void FrameRect(LPCRECT rc, CBrush* brush);
    void Draw3dRect(LPCRECT rc, COLORREF topLeft, COLORREF bottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
    void InvertRect(LPCRECT rc);
    BOOL FillRgn(CRgn* rgn, CBrush* brush);
    BOOL FrameRgn(CRgn* rgn, CBrush* brush, int w, int h);
    BOOL InvertRgn(CRgn* rgn);
    COLORREF SetPixel(int x, int y, COLORREF c);
    COLORREF GetPixel(int x, int y) const;  // CLR_INVALID outside the image

    BOOL TextOut(int x, int y, const std::string& text);
    // Returns the height of the text, or with DT_VCENTER/DT_BOTTOM the offset of its bottom.
    int DrawText(const std::string& text, LPRECT rc, UINT format);
    CSize GetTextExtent(const std::string& text) const;
    BOOL GetTextMetrics(TEXTMETRIC* tm) const;

    int SelectClipRgn(CRgn* rgn);  // device coordinates; null removes the clip
    int SelectClipRgn(CRgn* rgn, int mode);
    int IntersectClipRect(int l, int t, int r, int b);
    int IntersectClipRect(LPCRECT rc) {
        return IntersectClipRect(rc->left, rc->top, rc->right, rc->bottom);
    }
    int ExcludeClipRect(int l, int t, int r, int b);
    int ExcludeClipRect(LPCRECT rc) {
        return ExcludeClipRect(rc->left, rc->top, rc->right, rc->bottom);
    }
    int GetClipBox(LPRECT rc) const;
    BOOL PtVisible(int x, int y) const;

    // Blits take logical rectangles on both sides and map each through its own DC's
    // device-pixel ratio: between DCs of equal ratio a 1:1 blit copies device pixels
    // unscaled; a ratio-1 source (a DIB section, a loaded bitmap) blitted onto a ratio-2
    // window is scaled up to cover the same logical rectangle.
    BOOL BitBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, DWORD rop);
    BOOL StretchBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs,
                    DWORD rop);
    BOOL TransparentBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs,
                        UINT transparent);
    BOOL AlphaBlend(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs,
                    BLENDFUNCTION blend);
    BOOL GradientFill(TRIVERTEX* vertices, ULONG nVertices, void* mesh, ULONG nMesh, ULONG mode);

    // Size of the image being drawn on (the back-buffer or the selected bitmap), logical.
    CSize GetSurfaceSize() const;
    // Device pixels per logical pixel of what the DC draws on: the screen's ratio for
    // window DCs and what they made compatible, 1 for DIB sections and loaded bitmaps.
    double GetPixelRatio() const;
    // LOGPIXELSX / LOGPIXELSY: 96 (coordinates are logical pixels at 96 per inch, whatever
    // the device-pixel ratio); HORZRES / VERTRES: the primary screen's logical size, for
    // every DC as for the system's screen DCs; BITSPIXEL: 32; PLANES: 1; anything else 0.
    int GetDeviceCaps(int index) const;

    std::unique_ptr<platform::DCState> d;

protected:
    void AttachWindowSurface(CWnd* wnd, bool paint);
};

// Paints the window's update region on its back-buffer; the constructor validates it.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;
    CWnd* m_pWnd;
};

// Draws on the window's back-buffer at any time; what is drawn is shown at once.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;
    CWnd* m_pWnd;
};
using CWindowDC = CClientDC;

#define CLR_INVALID 0xFFFFFFFF
#define CLR_NONE 0xFFFFFFFFL

// Image lists: equal-sized images cut from a strip, with an optional mask colour.
// Draw styles:
//   ILD_NORMAL       over the list's background colour (SetBkColor); with none (CLR_NONE,
//                    the default) transparent pixels stay transparent, like ILD_TRANSPARENT;
//   ILD_TRANSPARENT  transparent pixels leave what is under them;
//   ILD_BLEND25 / ILD_FOCUS, ILD_BLEND50 / ILD_SELECTED / ILD_BLEND
//                    the image blended 25 % or 50 % with the highlight colour
//                    RGB(0,120,215) (DrawEx: with its foreground colour);
//   ILD_MASK         the image's shape in black.
// DrawIndirect with ILS_SATURATE draws the image washed to grey (the disabled look);
// ILS_ALPHA draws it with the opacity given as frame (0-255).
#define ILC_MASK 0x00000001
#define ILC_COLOR 0x00000000
#define ILC_COLORDDB 0x000000FE
#define ILC_COLOR24 0x00000018
#define ILC_COLOR32 0x00000020
#define ILD_NORMAL 0x00000000
#define ILD_TRANSPARENT 0x00000001
#define ILD_MASK 0x00000010
#define ILD_BLEND25 0x00000002
#define ILD_BLEND50 0x00000004
#define ILD_FOCUS ILD_BLEND25
#define ILD_SELECTED ILD_BLEND50
#define ILD_BLEND ILD_BLEND50
#define ILS_NORMAL 0x00000000
#define ILS_SATURATE 0x00000004
#define ILS_ALPHA 0x00000008
#define CLR_DEFAULT 0xFF000000L

struct HICON__;
using HICON = HICON__*;  // an icon (Icon.h)

class CImageList {
public:
    CImageList();
    ~CImageList();
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    // Each cx-wide slice of the strip becomes an image; pixels of the mask colour become
    // transparent when the list was created with ILC_MASK. Returns the first new index or -1.
    int Add(CBitmap* strip, COLORREF mask);
    int Add(CBitmap* strip, CBitmap* maskBitmap);
    int GetImageCount() const;
    int Add(HICON icon);  // the icon scaled to the list's size; its index or -1
    int Replace(int image, CBitmap* bitmap, COLORREF mask);
    BOOL Draw(CDC* dc, int image, POINT pt, UINT style);
    // Draws at size (0 x 0: the list's), over bk (CLR_NONE: transparent, CLR_DEFAULT: the
    // list's), blended with fg (CLR_DEFAULT: the highlight colour) for the blend styles.
    BOOL DrawEx(CDC* dc, int image, POINT pt, SIZE size, COLORREF bk, COLORREF fg, UINT style);
    BOOL DrawIndirect(CDC* dc, int image, POINT pt, SIZE size, POINT origin, UINT style = ILD_NORMAL,
                      DWORD rop = SRCCOPY, COLORREF bk = CLR_DEFAULT, COLORREF fg = CLR_DEFAULT,
                      DWORD state = ILS_NORMAL, DWORD frame = 0, COLORREF effect = CLR_DEFAULT);
    COLORREF SetBkColor(COLORREF c);
    COLORREF GetBkColor() const { return m_bk; }
    // A new icon of the image, which the caller frees with DestroyIcon; null when out of range.
    HICON ExtractIcon(int image) const;
    BOOL Remove(int image);
    BOOL DeleteImageList();
    CSize GetIconSize() const { return CSize(m_cx, m_cy); }
    bool IsCreated() const { return m_created; }

private:
    int m_cx = 0, m_cy = 0;
    UINT m_flags = 0;
    bool m_created = false;
    COLORREF m_bk = CLR_NONE;
    std::vector<std::shared_ptr<platform::Surface>> m_images;
};

namespace platform::image_testing {
// A picture's bytes decoded by the layer's own reader (8-bit PNG, XPM; false for anything it
// leaves to the toolkit) and by the toolkit's reader, as rows of non-premultiplied 0xAARRGGBB
// pixels (opaque pictures read alpha 255).
bool DecodeOwn(const std::vector<unsigned char>& bytes, int& width, int& height,
               std::vector<uint32_t>& pixels);
bool DecodeToolkit(const std::vector<unsigned char>& bytes, int& width, int& height,
                   std::vector<uint32_t>& pixels);
}  // namespace platform::image_testing
