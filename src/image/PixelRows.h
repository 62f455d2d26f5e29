#pragma once
// Turning one row of some other pixel layout into the blue, green, red bytes of a DIB row.
#include <cstdint>

namespace kelmora {

enum class PixelOrder {
    // One native-endian uint32_t per pixel, 0xAARRGGBB: the engine's frames and QImage's RGB32 and
    // (premultiplied) ARGB32. Alpha is dropped, so premultiplied pixels come out as drawn over black.
    Argb32,
    Rgbx32,  // bytes R, G, B, X (QImage RGBX8888 / RGBA8888_Premultiplied)
    Rgb24,   // bytes R, G, B
    Bgr24,   // bytes B, G, R
};

int bytesPerPixel(PixelOrder order);

// Writes width × 3 bytes to bgr; source and destination must not overlap.
void convertRowToBgr(const uint8_t* source, uint8_t* bgr, int width, PixelOrder order);

}  // namespace kelmora
