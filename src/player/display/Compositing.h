#pragma once
// Pixel operations the frame renderer needs between layers (premultiplied ARGB).
#include "player/Geometry.h"
#include "player/render/PixelBuffer.h"

namespace kelmora::player {

// dst = src over dst, src placed at (ox, oy) in dst.
void compositeOver(PixelBuffer& dst, const PixelBuffer& src, int ox, int oy);
// dst = (content * coverage alpha) over dst; all three the same size.
void compositeMasked(PixelBuffer& dst, const PixelBuffer& content, const PixelBuffer& coverage);
// Applies a colour transform to every pixel of a premultiplied picture.
void applyColorTransform(PixelBuffer& pixels, const ColorTransform& cx);

}  // namespace kelmora::player
