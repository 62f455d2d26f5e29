#include "player/bitmap/BitmapSurface.h"

#include <algorithm>

namespace kelmora::player {

// The player rounds to nearest going in and rounds halves down coming out, so that a colour
// stored and read back may lose precision in its low bits at low alpha, as the player's does.
uint32_t premultiply(uint32_t argb) {
    uint32_t a = argb >> 24;
    if (a == 255) return argb;
    if (a == 0) return 0;
    auto ch = [a](uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (ch((argb >> 16) & 0xFF) << 16) | (ch((argb >> 8) & 0xFF) << 8) | ch(argb & 0xFF);
}

uint32_t unpremultiply(uint32_t p) {
    uint32_t a = p >> 24;
    if (a == 255) return p;
    if (a == 0) return 0;
    auto ch = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + (a - 1) / 2) / a); };
    return (a << 24) | (ch((p >> 16) & 0xFF) << 16) | (ch((p >> 8) & 0xFF) << 8) | ch(p & 0xFF);
}

}  // namespace kelmora::player
