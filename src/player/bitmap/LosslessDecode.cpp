#include "player/bitmap/LosslessDecode.h"

#include <string>

#include "player/bitmap/BitmapLimits.h"
#include "player/bitmap/Inflate.h"
#include "player/bitmap/PixelMath.h"

namespace kelmora::player {

namespace {

constexpr uint8_t kColorMapped = 3, kRgb15 = 4, kRgb32 = 5;

size_t paddedRow(size_t bytes) { return (bytes + 3) & ~size_t(3); }

}  // namespace

Result<PixelBuffer> decodeLossless(BitReader& in, bool withAlpha) {
    uint8_t format = in.u8();
    int width = in.u16(), height = in.u16();
    size_t paletteSize = format == kColorMapped ? size_t(in.u8()) + 1 : 0;
    if (in.failed()) return makeError("header cut short");
    if (format != kColorMapped && format != kRgb15 && format != kRgb32)
        return makeError("unknown pixel format " + std::to_string(format));
    if (!bitmapSizeAllowed(width, height))
        return makeError("picture size " + std::to_string(width) + "x" + std::to_string(height) + " not allowed");

    const size_t w = size_t(width), h = size_t(height);
    const size_t paletteBytes = paletteSize * (withAlpha ? 4 : 3);
    size_t rowBytes = format == kColorMapped ? paddedRow(w) : format == kRgb15 ? paddedRow(w * 2) : w * 4;
    const size_t expected = paletteBytes + rowBytes * h;
    auto raw = inflateBounded(in.rest(), expected);
    if (!raw) return raw.error();
    if (raw->size() < expected) return makeError("pixel data cut short");
    const uint8_t* bytes = raw->data();

    PixelBuffer out(width, height);
    if (format == kColorMapped) {
        uint32_t palette[256] = {};  // indexes past the palette draw nothing
        for (size_t i = 0; i < paletteSize; ++i) {
            const uint8_t* c = bytes + i * (withAlpha ? 4 : 3);
            palette[i] = withAlpha ? clampedPremultipliedPixel(c[3], c[0], c[1], c[2]) : packArgb(255, c[0], c[1], c[2]);
        }
        for (size_t y = 0; y < h; ++y) {
            const uint8_t* src = bytes + paletteBytes + y * rowBytes;
            uint32_t* dst = out.row(int(y));
            for (size_t x = 0; x < w; ++x) dst[x] = palette[src[x]];
        }
    } else if (format == kRgb15) {
        for (size_t y = 0; y < h; ++y) {
            const uint8_t* src = bytes + y * rowBytes;
            uint32_t* dst = out.row(int(y));
            for (size_t x = 0; x < w; ++x) {
                unsigned v = (unsigned(src[x * 2]) << 8) | src[x * 2 + 1];
                auto expand = [](unsigned c5) { return uint8_t((c5 << 3) | (c5 >> 2)); };
                dst[x] = packArgb(255, expand((v >> 10) & 31), expand((v >> 5) & 31), expand(v & 31));
            }
        }
    } else {
        for (size_t y = 0; y < h; ++y) {
            const uint8_t* src = bytes + y * rowBytes;
            uint32_t* dst = out.row(int(y));
            for (size_t x = 0; x < w; ++x) {
                const uint8_t* c = src + x * 4;
                // Lossless stores xRGB (the first byte is padding); Lossless2 stores premultiplied ARGB.
                dst[x] = withAlpha ? clampedPremultipliedPixel(c[0], c[1], c[2], c[3]) : packArgb(255, c[1], c[2], c[3]);
            }
        }
    }
    return out;
}

}  // namespace kelmora::player
