#pragma once
// What a picture's bitmap-info block says about its pixel block, in FFmpeg's terms: the pixel
// format, the row length and direction, and the colour table.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "util/Result.h"

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace kelmora {

struct BitmapFormat {
    int32_t width = 0;
    int32_t height = 0;  // rows, always positive
    int32_t bitCount = 0;
    bool bottomUp = true;
    int64_t stride = 0;  // bytes per row, padded to 32 bits
    // The picture's own layout; 1, 2 and 4 bits per pixel are unpacked to PAL8 before encoding.
    AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;
    std::array<uint32_t, 256> palette{};  // 0xAARRGGBB, for bit counts up to 8
    int paletteSize = 0;

    int64_t imageBytes() const { return stride * height; }
};

// Reads the bitmap-info block (info header plus masks or colour table). Refuses run-length or
// embedded JPEG/PNG data and masks that no pixel format has.
Result<BitmapFormat> describeBitmap(std::span<const uint8_t> bitmapInfo);

// Spreads one row of 1, 2 or 4 bits per pixel into one byte per pixel.
void unpackRow(const uint8_t* in, int bitCount, int32_t width, uint8_t* out);

}  // namespace kelmora
