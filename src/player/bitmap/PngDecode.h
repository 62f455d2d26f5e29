#pragma once
// PNG pictures inside DefineBitsJPEG2/3/4, decoded with libpng.
#include <cstdint>
#include <span>

#include "player/render/PixelBuffer.h"
#include "util/Result.h"

namespace kelmora::player {

bool hasPngSignature(std::span<const uint8_t> data);
// Any PNG (palette, tRNS, grey, 16-bit, interlaced) to premultiplied ARGB. Gamma chunks are
// ignored, as Flash Player does.
Result<PixelBuffer> decodePng(std::span<const uint8_t> data);

}  // namespace kelmora::player
