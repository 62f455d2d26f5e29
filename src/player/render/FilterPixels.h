#pragma once
// Small pixel helpers shared by the filters and blend modes (premultiplied 0xAARRGGBB).
#include <cstdint>

#include "player/Geometry.h"
#include "player/render/PixelBuffer.h"

namespace kelmora::player {

// x * y / 255, rounded, for x, y in 0..255.
inline uint32_t mul255(uint32_t x, uint32_t y) {
    uint32_t t = x * y + 128;
    return (t + (t >> 8)) >> 8;
}

// Scales every channel of a premultiplied pixel by k/255.
inline uint32_t scalePixel(uint32_t p, uint32_t k) {
    if (k == 255) return p;
    if (k == 0) return 0;
    return packArgb(uint8_t(mul255(alphaOf(p), k)), uint8_t(mul255(redOf(p), k)), uint8_t(mul255(greenOf(p), k)),
                    uint8_t(mul255(blueOf(p), k)));
}

// Channel-wise sum, clamped.
inline uint32_t addPixels(uint32_t p, uint32_t q) {
    auto ch = [](uint32_t a, uint32_t b) { uint32_t s = a + b; return uint8_t(s > 255 ? 255 : s); };
    return packArgb(ch(alphaOf(p), alphaOf(q)), ch(redOf(p), redOf(q)), ch(greenOf(p), greenOf(q)),
                    ch(blueOf(p), blueOf(q)));
}

// src over dst.
inline uint32_t overPixel(uint32_t src, uint32_t dst) { return addPixels(src, scalePixel(dst, 255 - alphaOf(src))); }

inline uint32_t premultiplied(Rgba c) {
    return packArgb(c.a, uint8_t(mul255(c.r, c.a)), uint8_t(mul255(c.g, c.a)), uint8_t(mul255(c.b, c.a)));
}

}  // namespace kelmora::player
