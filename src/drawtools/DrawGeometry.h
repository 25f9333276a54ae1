#pragma once
// Pixel geometry the drawing tools share for hit testing. Coordinates are chart-window
// client pixels; rectangles are half-open like every RECT of the program.

#include "platform/Geometry.h"

// Distance from (px, py) to the segment (x1, y1)-(x2, y2); a segment whose ends coincide
// measures to that point.
double SegmentDistance(double x1, double y1, double x2, double y2, double px, double py);

// Within the 3-pixel pick tolerance of the segment (inclusive).
bool IsNearSegment(double x1, double y1, double x2, double y2, double px, double py);

// The pick tolerance every tool uses, in pixels.
inline constexpr double kPickTolerance = 3.0;

// Non-zero when r, put in order first (in place: the caller's rectangle is changed), has
// any point inside a.
int RectTouchesRect(RECT& r, const RECT& a);
