#pragma once
// zlib inflation whose output never grows past what the caller expects to need.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "util/Result.h"

namespace kelmora::player {

// Inflates a zlib stream into at most maxBytes. A stream that ends early keeps what it produced
// (old files often carry truncated streams); output past maxBytes is dropped, never stored.
// Fails only when nothing at all could be inflated.
Result<std::vector<uint8_t>> inflateBounded(std::span<const uint8_t> zlibData, size_t maxBytes);

}  // namespace kelmora::player
