#include "image/PixelRows.h"

#include <bit>
#include <cstring>

namespace kelmora {

int bytesPerPixel(PixelOrder order) {
    switch (order) {
    case PixelOrder::Argb32:
    case PixelOrder::Rgbx32: return 4;
    case PixelOrder::Rgb24:
    case PixelOrder::Bgr24: return 3;
    }
    return 4;
}

namespace {

void argb32ToBgr(const uint8_t* src, uint8_t* dst, int width) {
    int x = 0;
    // Four pixels in, three words out: the compiler keeps this in registers.
    for (; x + 4 <= width; x += 4, src += 16, dst += 12) {
        uint32_t p[4];
        std::memcpy(p, src, 16);
        const uint32_t a = (p[0] & 0xFFFFFFu) | (p[1] << 24);
        const uint32_t b = ((p[1] >> 8) & 0xFFFFu) | (p[2] << 16);
        const uint32_t c = ((p[2] >> 16) & 0xFFu) | (p[3] << 8);
        const uint32_t words[3] = {a, b, c};
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(dst, words, 12);
        } else {
            for (int i = 0; i < 3; ++i) {
                dst[i * 4] = uint8_t(words[i]);
                dst[i * 4 + 1] = uint8_t(words[i] >> 8);
                dst[i * 4 + 2] = uint8_t(words[i] >> 16);
                dst[i * 4 + 3] = uint8_t(words[i] >> 24);
            }
        }
    }
    for (; x < width; ++x, src += 4, dst += 3) {
        uint32_t p;
        std::memcpy(&p, src, 4);
        dst[0] = uint8_t(p);
        dst[1] = uint8_t(p >> 8);
        dst[2] = uint8_t(p >> 16);
    }
}

}  // namespace

void convertRowToBgr(const uint8_t* src, uint8_t* dst, int width, PixelOrder order) {
    if (width <= 0) return;
    switch (order) {
    case PixelOrder::Argb32: argb32ToBgr(src, dst, width); return;
    case PixelOrder::Rgbx32:
        for (int x = 0; x < width; ++x, src += 4, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        return;
    case PixelOrder::Rgb24:
        for (int x = 0; x < width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        return;
    case PixelOrder::Bgr24: std::memcpy(dst, src, size_t(width) * 3); return;
    }
}

}  // namespace kelmora
