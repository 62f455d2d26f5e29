#pragma once
// JPEG pictures of bitmap tags, decoded with TurboJPEG.
#include <cstdint>
#include <span>
#include <vector>

#include "player/render/PixelBuffer.h"
#include "util/Result.h"

namespace kelmora::player {

// Joins the movie's JPEGTables (may be empty) and a tag's JPEG data into one well-formed stream:
// one SOI, every segment and scan in order, one EOI. Old files carry stray EOI/SOI pairs
// (FF D9 FF D8) at the start of the data and where tables and data meet; they are dropped.
std::vector<uint8_t> joinJpegStream(std::span<const uint8_t> tables, std::span<const uint8_t> data);

// Decodes a JPEG stream to opaque premultiplied ARGB. Warnings (a truncated scan) keep the
// picture that was decoded; a stream without a readable header is an Error.
Result<PixelBuffer> decodeJpeg(std::span<const uint8_t> stream);

}  // namespace kelmora::player
