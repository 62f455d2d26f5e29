#pragma once
// Bitmap data for the DefineBits family: pixel buffers, JPEG encoding and splitting.
#include <cstdint>
#include <span>
#include <vector>

#include "swf/writer/BitWriter.h"

namespace kelmora::swf {

// Straight (not premultiplied) 0xAARRGGBB pixels, row by row, top row first.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;

    static Pixels filled(int width, int height, std::uint32_t argb) {
        return {width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, argb)};
    }
    std::uint32_t& at(int x, int y) { return argb[static_cast<std::size_t>(y) * width + x]; }
};

enum class LosslessFormat : std::uint8_t {
    ColorMapped8 = 3,  // palette of up to 256 colours, rows padded to 4 bytes
    Rgb15 = 4,         // DefineBitsLossless only
    Rgb32 = 5,         // xRGB (DefineBitsLossless) or premultiplied ARGB (DefineBitsLossless2)
};

// Body of DefineBitsLossless (alpha false) or DefineBitsLossless2 (alpha true) after the id.
Bytes encodeLosslessBitmap(const Pixels& pixels, LosslessFormat format, bool alpha);

// Baseline JPEG of the pixels' colour (alpha ignored), 4:2:0 at the given quality (1-100).
Bytes encodeJpeg(const Pixels& pixels, int quality = 90);

// A JPEG split for DefineBits + JPEGTables: the tables part holds SOI, the DQT and DHT segments
// and EOI; the image part holds SOI and everything else.
struct SplitJpeg {
    Bytes tables;
    Bytes image;
};
SplitJpeg splitJpeg(std::span<const std::uint8_t> jpeg);

// One alpha byte per pixel, zlib-compressed (DefineBitsJPEG3/4).
Bytes compressedAlpha(const Pixels& pixels);

}  // namespace kelmora::swf
