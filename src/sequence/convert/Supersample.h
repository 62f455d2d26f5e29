#pragma once
// Averages factor x factor blocks of a picture drawn that much larger. The pixels are
// premultiplied, so a plain average is the right blend, edges and transparency included.
#include "player/render/PixelBuffer.h"

namespace kelmora::convert {

// out gets large's size divided by factor (rounded down); factor 1 copies.
void downsample(const player::PixelBuffer& large, int factor, player::PixelBuffer& out);

}  // namespace kelmora::convert
