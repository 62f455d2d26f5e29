#pragma once
// Pixel operations the frame renderer needs between layers (premultiplied ARGB).
#include "player/Geometry.h"
#include "player/render/PixelBuffer.h"

namespace kelmora::player {

// dst = src over dst, src placed at (ox, oy) in dst.
void compositeOver(PixelBuffer& dst, const PixelBuffer& src, int ox, int oy);
// dst = content over dst where the mask covers a pixel at least half; all three the same size.
void compositeMasked(PixelBuffer& dst, const PixelBuffer& content, const PixelBuffer& coverage);
// dst = src over dst inside the box [x0, x1) x [y0, y1) only; both the same size.
void compositeOverInBox(PixelBuffer& dst, const PixelBuffer& src, int x0, int y0, int x1, int y1);
// Applies a colour transform to every pixel of a premultiplied picture.
void applyColorTransform(PixelBuffer& pixels, const ColorTransform& cx);

}  // namespace kelmora::player
