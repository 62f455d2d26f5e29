#pragma once
// Frames saved as 24-bit BMP files (14-byte file header, 40-byte info header, bottom-up rows).
// Each file is written under a temporary name and renamed, so a failed write (a full disk, a
// missing folder, a read-only file) leaves no truncated frame and reports the error.
#include <cstdint>
#include <string>

#include "image/PixelRows.h"
#include "util/Result.h"

namespace kelmora {

class cDIBSection;

// The DIB section's buffer is already a BMP pixel block; it is written as it is.
Status saveBitmapFile(const cDIBSection& dib, const std::string& fileName);

// A frame with top-down rows of `stride` bytes (the engine's frames are PixelOrder::Argb32),
// converted a few rows at a time into a small buffer; no full-size copy.
Status saveBitmapFile(const uint8_t* pixels, int32_t width, int32_t height, int64_t stride, PixelOrder order,
                      const std::string& fileName);

}  // namespace kelmora
