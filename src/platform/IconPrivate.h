#pragma once
// The layer's side of icons and state drawing; includes Qt, so only src/platform uses it.
#include <QImage>

#include "platform/Icon.h"

namespace platform {
// A new icon owning a copy of image (converted to premultiplied ARGB).
HICON MakeIcon(const QImage& image);
// The icon's image, or null for a handle that names no icon.
const QImage* IconImage(HICON icon);
// Draws image (premultiplied ARGB) at target on dc in a DrawState look (DSS_*);
// colour is the brush colour DSS_UNION and DSS_MONO use.
void DrawImageState(CDC* dc, const QImage& image, const QRect& target, UINT state,
                    QColor colour);
// The image washed to grey, alpha kept: what ILS_SATURATE and disabled images show.
QImage Saturated(const QImage& image);
}  // namespace platform
