#pragma once
// Small pixel helpers shared by the bitmap decoders.
#include <cstdint>

#include "player/render/PixelBuffer.h"

namespace kelmora::player {

inline uint8_t premultiplyChannel(unsigned c, unsigned a) { return static_cast<uint8_t>((c * a + 127) / 255); }

// Straight colour to a premultiplied pixel.
inline uint32_t premultipliedPixel(unsigned a, unsigned r, unsigned g, unsigned b) {
    return packArgb(static_cast<uint8_t>(a), premultiplyChannel(r, a), premultiplyChannel(g, a),
                    premultiplyChannel(b, a));
}

// An already premultiplied colour whose channels may exceed its alpha (bad files): clamped so
// that the pixel stays a valid premultiplied value.
inline uint32_t clampedPremultipliedPixel(unsigned a, unsigned r, unsigned g, unsigned b) {
    return packArgb(static_cast<uint8_t>(a), static_cast<uint8_t>(r < a ? r : a), static_cast<uint8_t>(g < a ? g : a),
                    static_cast<uint8_t>(b < a ? b : a));
}

}  // namespace kelmora::player
