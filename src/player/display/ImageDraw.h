#pragma once
// Draws a picture through an affine matrix (video frames), with a colour transform.
#include "player/Geometry.h"
#include "player/render/PixelBuffer.h"

namespace kelmora::player {

// toTarget maps the image's pixel coordinates to target pixels. smooth: bilinear, else nearest.
void drawImage(const PixelBuffer& image, const Matrix& toTarget, const ColorTransform& cx, bool smooth,
               PixelBuffer& target);

}  // namespace kelmora::player
