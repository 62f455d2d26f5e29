#pragma once
// GIF pictures inside DefineBitsJPEG2/3/4, decoded with giflib (first frame only).
#include <cstdint>
#include <span>

#include "player/render/PixelBuffer.h"
#include "util/Result.h"

namespace kelmora::player {

bool hasGifSignature(std::span<const uint8_t> data);
// The first frame on its logical screen (transparent around it), with its transparency index.
// A frame cut short keeps the rows that were read.
Result<PixelBuffer> decodeGif(std::span<const uint8_t> data);

}  // namespace kelmora::player
