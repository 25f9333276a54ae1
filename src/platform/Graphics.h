#pragma once
// Anti-aliased drawing with floating-point geometry and ARGB colours, on a device
// context's image. Angles are degrees clockwise from the x axis (y grows downwards),
// pens are centred on the path. Used where smooth lines and paths matter (markers,
// rounded corners, hit areas of shaped buttons).
#include <memory>
#include <string>
#include <vector>

#include "platform/Gdi.h"

struct PointF {
    float X;
    float Y;
};
struct RectF {
    float X;
    float Y;
    float Width;
    float Height;
};

enum SmoothingMode {
    SmoothingModeHighSpeed = 1,
    SmoothingModeNone = 3,
    SmoothingModeAntiAlias = 4
};
enum FillMode { FillModeAlternate = 0, FillModeWinding = 1 };
enum StringAlignment { StringAlignmentNear = 0, StringAlignmentCenter = 1, StringAlignmentFar = 2 };
// Dashes of the lines and outlines drawn from the moment they are set; the lengths are in
// multiples of the line's width, dashes with flat ends: dash 3 on 1 off, dot 1 on 1 off,
// dash-dot 3 1 1 1, dash-dot-dot 3 1 1 1 1 1; custom takes SetDashPattern's lengths
// (on, off, on, off, ...).
enum DashStyle {
    DashStyleSolid = 0,
    DashStyleDash = 1,
    DashStyleDot = 2,
    DashStyleDashDot = 3,
    DashStyleDashDotDot = 4,
    DashStyleCustom = 5
};
// How DrawString ends a text that does not fit its layout rectangle: the lines that fit
// are drawn and the last of them is cut at a character or at a word boundary (a space,
// or between two CJK characters), with "…" after it for the ellipsis kinds;
// EllipsisPath keeps the start and the end and puts "…" in the middle. None draws the
// lines that fit as they are, clipped.
enum StringTrimming {
    StringTrimmingNone = 0,
    StringTrimmingCharacter = 1,
    StringTrimmingWord = 2,
    StringTrimmingEllipsisCharacter = 3,
    StringTrimmingEllipsisWord = 4,
    StringTrimmingEllipsisPath = 5
};

namespace platform {
struct PathData;
struct ImageData;
}  // namespace platform

class CGraphicsPath {
public:
    explicit CGraphicsPath(FillMode mode = FillModeAlternate);
    ~CGraphicsPath();
    CGraphicsPath(const CGraphicsPath&);
    void AddLine(float x1, float y1, float x2, float y2);
    void AddLines(const PointF* pts, int count);
    void AddArc(float x, float y, float w, float h, float startAngle, float sweepAngle);
    void AddBezier(PointF p1, PointF p2, PointF p3, PointF p4);
    void AddRectangle(RectF rc);
    void AddEllipse(float x, float y, float w, float h);
    void AddPolygon(const PointF* pts, int count);
    void AddPie(float x, float y, float w, float h, float startAngle, float sweepAngle);
    void StartFigure();
    void CloseFigure();
    void SetFillMode(FillMode mode);
    void Reset();
    BOOL IsVisible(float x, float y) const;  // inside the filled area
    RectF GetBounds() const;
    std::unique_ptr<platform::PathData> d;
};

// A decoded image with alpha (PNG and the like), drawn with CGraphics::DrawImage.
class CImage {
public:
    CImage();
    ~CImage();
    BOOL Load(const unsigned char* data, size_t size);
    BOOL Load(const std::string& path);
    BOOL LoadResource(const std::string& type, UINT id);
    bool IsNull() const;
    int GetWidth() const;
    int GetHeight() const;
    ARGB GetPixel(int x, int y) const;
    // Draws onto a device context: alpha-blended, scaled to w x h when given.
    BOOL Draw(CDC* dc, int x, int y, int w = -1, int h = -1) const;
    std::unique_ptr<platform::ImageData> d;
};

class CGraphics {
public:
    explicit CGraphics(CDC* dc);
    ~CGraphics();
    CGraphics(const CGraphics&) = delete;
    CGraphics& operator=(const CGraphics&) = delete;

    void SetSmoothingMode(SmoothingMode mode);
    SmoothingMode GetSmoothingMode() const { return m_mode; }
    void SetDashStyle(DashStyle style);
    DashStyle GetDashStyle() const;
    // Sets DashStyleCustom with these lengths; an empty or non-positive pattern draws solid.
    void SetDashPattern(const float* lengths, int count);
    void SetDashOffset(float offset);  // in multiples of the width, into the pattern
    // DrawString's trimming and whether it wraps at words (the default) or keeps one line.
    void SetStringTrimming(StringTrimming trimming);
    void SetStringNoWrap(BOOL noWrap);
    // The text as DrawString draws it into a layout of that size with the current
    // trimming and wrapping: its lines joined by '\n'.
    std::string TrimString(const std::string& text, const LOGFONT& font, float width,
                           float height) const;
    void SetClip(RectF rc);
    void ResetClip();

    void DrawLine(ARGB c, float width, float x1, float y1, float x2, float y2);
    void DrawLines(ARGB c, float width, const PointF* pts, int count);
    void DrawPolygon(ARGB c, float width, const PointF* pts, int count);
    void FillPolygon(ARGB c, const PointF* pts, int count, FillMode mode = FillModeAlternate);
    void DrawRectangle(ARGB c, float width, float x, float y, float w, float h);
    void FillRectangle(ARGB c, float x, float y, float w, float h);
    void DrawEllipse(ARGB c, float width, float x, float y, float w, float h);
    void FillEllipse(ARGB c, float x, float y, float w, float h);
    void DrawArc(ARGB c, float width, float x, float y, float w, float h, float start, float sweep);
    void FillPie(ARGB c, float x, float y, float w, float h, float start, float sweep);
    void DrawPath(ARGB c, float width, const CGraphicsPath& path);
    void FillPath(ARGB c, const CGraphicsPath& path);
    // Linear gradient from c1 at p1 to c2 at p2, filling the path.
    void FillPathGradient(const CGraphicsPath& path, PointF p1, PointF p2, ARGB c1, ARGB c2);
    void DrawString(const std::string& text, const LOGFONT& font, ARGB c, RectF layout,
                    StringAlignment horizontal = StringAlignmentNear,
                    StringAlignment vertical = StringAlignmentNear);
    RectF MeasureString(const std::string& text, const LOGFONT& font) const;
    void DrawImage(const CImage& image, float x, float y, float w = -1, float h = -1);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    SmoothingMode m_mode = SmoothingModeNone;
};
