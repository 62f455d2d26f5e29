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

// mul255 on the two 8-bit channels held in bits 0-7 and 16-23 of `lanes` at once (each lane's
// products stay below 65536, so the result is the same as channel by channel).
inline uint32_t mul255Lanes(uint32_t lanes, uint32_t k) {
    uint32_t t = (lanes & 0x00FF00FFu) * k + 0x00800080u;
    return ((t + ((t >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

// Scales every channel of a premultiplied pixel by k/255.
inline uint32_t scalePixel(uint32_t p, uint32_t k) {
    if (k == 255) return p;
    if (k == 0) return 0;
    return mul255Lanes(p, k) | (mul255Lanes(p >> 8, k) << 8);
}

// Channel-wise sum, clamped.
inline uint32_t addPixels(uint32_t p, uint32_t q) {
    auto ch = [](uint32_t a, uint32_t b) { uint32_t s = a + b; return uint8_t(s > 255 ? 255 : s); };
    return packArgb(ch(alphaOf(p), alphaOf(q)), ch(redOf(p), redOf(q)), ch(greenOf(p), greenOf(q)),
                    ch(blueOf(p), blueOf(q)));
}

// src over dst.
inline uint32_t overPixel(uint32_t src, uint32_t dst) {
    const uint32_t sa = alphaOf(src);
    if (sa == 255) return src;
    const uint32_t d = scalePixel(dst, 255 - sa);
    // Channel sums in 16-bit lanes; only colours brighter than their alpha can pass 255.
    const uint32_t rb = (src & 0x00FF00FFu) + (d & 0x00FF00FFu), ag = ((src >> 8) & 0x00FF00FFu) + ((d >> 8) & 0x00FF00FFu);
    if (((rb | ag) & 0x01000100u) != 0) return addPixels(src, d);
    return rb | (ag << 8);
}

inline uint32_t premultiplied(Rgba c) {
    return packArgb(c.a, uint8_t(mul255(c.r, c.a)), uint8_t(mul255(c.g, c.a)), uint8_t(mul255(c.b, c.a)));
}

}  // namespace kelmora::player
