#pragma once
// The contract for bitmap characters: every bitmap tag decodes into a premultiplied ARGB picture.
#include <cstdint>
#include <memory>
#include <span>

#include "player/Character.h"
#include "player/render/PixelBuffer.h"
#include "util/Result.h"

namespace kelmora::player {

struct BitmapDef : Character {
    BitmapDef() : Character(CharacterKind::Bitmap) {}
    PixelBuffer pixels;  // premultiplied ARGB, top-down
};

// tagCode: 6 (DefineBits, uses jpegTables from the movie's JPEGTables tag, may be empty),
// 21, 35, 90 (DefineBitsJPEG2/3/4, JPEG or PNG or GIF data), 20, 36 (DefineBitsLossless/2).
// body: the tag's bytes starting with the character id. Pictures are capped in size (see the
// implementation); a bitmap that can't be decoded is an Error, never a crash.
Result<std::shared_ptr<BitmapDef>> decodeBitmap(uint16_t tagCode, std::span<const uint8_t> body,
                                                std::span<const uint8_t> jpegTables);

}  // namespace kelmora::player
