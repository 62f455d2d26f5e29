#include "sequence/BitmapFormat.h"

#include "image/BitmapHeaders.h"

namespace kelmora {
namespace {

uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

}  // namespace

Result<BitmapFormat> describeBitmap(std::span<const uint8_t> block) {
    if (block.size() < size_t(kInfoHeaderSize)) return makeError("the bitmap header is too short");
    const BitmapInfoHeader info = readInfoHeader(block.first<kInfoHeaderSize>());
    if (info.biSize < kInfoHeaderSize || size_t(info.biSize) > block.size()) {
        return makeError("the bitmap header size does not fit");
    }
    BitmapFormat f;
    if (info.biWidth <= 0 || info.biHeight == 0 || info.biHeight < -(1 << 30) || info.biHeight > (1 << 30) ||
        info.biWidth > (1 << 20)) {
        return makeError("the picture size is out of range");
    }
    f.width = info.biWidth;
    f.bottomUp = info.biHeight > 0;
    f.height = f.bottomUp ? info.biHeight : -info.biHeight;
    f.bitCount = info.biBitCount;
    f.stride = rowBytes(f.width, f.bitCount);

    const bool bitfields = info.biCompression == kBiBitfields || info.biCompression == kBiAlphaBitfields;
    if (info.biCompression != kBiRgb && !bitfields) return makeError("compressed bitmaps can't be joined");
    uint32_t masks[4] = {0, 0, 0, 0};
    if (bitfields) {
        // Masks follow a 40-byte header, or sit inside a larger one at the same place.
        const size_t count = info.biCompression == kBiAlphaBitfields ? 4 : 3;
        if (block.size() < kInfoHeaderSize + 4 * count) return makeError("the colour masks are missing");
        for (size_t i = 0; i < count; ++i) masks[i] = le32(block.data() + kInfoHeaderSize + 4 * i);
    }
    switch (f.bitCount) {
    case 1: case 2: case 4: case 8: {
        f.pixelFormat = AV_PIX_FMT_PAL8;
        const size_t tableStart = size_t(info.biSize);
        const size_t maxEntries = size_t(1) << f.bitCount;
        size_t entries = info.biClrUsed > 0 ? size_t(info.biClrUsed) : maxEntries;
        if (entries > maxEntries) entries = maxEntries;
        const size_t fit = (block.size() - tableStart) / 4;
        if (fit < entries) entries = fit;
        for (size_t i = 0; i < entries; ++i) {
            f.palette[i] = 0xFF000000u | (le32(block.data() + tableStart + 4 * i) & 0xFFFFFFu);
        }
        for (size_t i = entries; i < 256; ++i) f.palette[i] = 0xFF000000u;
        f.paletteSize = int(entries);
        break;
    }
    case 16:
        if (!bitfields || (masks[0] == 0x7C00 && masks[1] == 0x3E0 && masks[2] == 0x1F)) {
            f.pixelFormat = AV_PIX_FMT_RGB555LE;
        } else if (masks[0] == 0xF800 && masks[1] == 0x7E0 && masks[2] == 0x1F) {
            f.pixelFormat = AV_PIX_FMT_RGB565LE;
        } else {
            return makeError("16-bit colour masks that no pixel format has");
        }
        break;
    case 24:
        if (bitfields) return makeError("24-bit bitmaps with colour masks are not supported");
        f.pixelFormat = AV_PIX_FMT_BGR24;
        break;
    case 32:
        if (!bitfields || (masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF)) {
            f.pixelFormat = (info.biCompression == kBiAlphaBitfields && masks[3] == 0xFF000000u) ? AV_PIX_FMT_BGRA
                                                                                                 : AV_PIX_FMT_BGR0;
        } else {
            return makeError("32-bit colour masks that no pixel format has");
        }
        break;
    default:
        return makeError("unsupported bit depth");
    }
    return f;
}

void unpackRow(const uint8_t* in, int bitCount, int32_t width, uint8_t* out) {
    const int perByte = 8 / bitCount;
    const uint8_t mask = uint8_t((1 << bitCount) - 1);
    for (int32_t x = 0; x < width; ++x) {
        const int shift = 8 - bitCount * (x % perByte + 1);
        out[x] = uint8_t((in[x / perByte] >> shift) & mask);
    }
}

}  // namespace kelmora
