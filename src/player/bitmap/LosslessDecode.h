#pragma once
// DefineBitsLossless and DefineBitsLossless2 pictures (zlib-compressed pixels).
#include "player/format/BitReader.h"
#include "player/render/PixelBuffer.h"
#include "util/Result.h"

namespace kelmora::player {

// `in` stands after the character id. withAlpha: DefineBitsLossless2 (RGBA palette, premultiplied
// ARGB pixels). The pixel data must be complete; a short stream is an Error.
Result<PixelBuffer> decodeLossless(BitReader& in, bool withAlpha);

}  // namespace kelmora::player
