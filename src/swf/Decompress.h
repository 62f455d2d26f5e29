#pragma once
// Turns a whole SWF file ("FWS" plain, "CWS" zlib, "ZWS" LZMA) into the uncompressed movie bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "util/Result.h"

namespace kelmora::swf {

inline constexpr size_t kDefaultMovieLimit = 256u << 20;

// The 8-byte header with its signature rewritten to "FWS" (the file length field kept as stored),
// followed by the decompressed body. The declared length is never trusted for an allocation; more
// than `limit` bytes of output is an Error. A truncated or damaged compressed stream yields what
// was decompressed before the damage, as players play the part that arrived; an Error only when
// not a single body byte could be decompressed.
Result<std::vector<uint8_t>> decompressMovie(std::span<const uint8_t> file, size_t limit = kDefaultMovieLimit);

// Only the first `wanted` bytes of the movie (header included): enough for the header reader
// without inflating the whole file. Fewer bytes come back when the movie is shorter.
Result<std::vector<uint8_t>> decompressMoviePrefix(std::span<const uint8_t> file, size_t wanted);

// True when the first three bytes are "FWS", "CWS" or "ZWS".
bool hasSwfSignature(std::span<const uint8_t> file);

}  // namespace kelmora::swf
