#include "image/BitmapHeaders.h"

namespace kelmora {
namespace {

uint16_t u16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t u32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
int32_t i32(const uint8_t* p) { return static_cast<int32_t>(u32(p)); }
int16_t i16(const uint8_t* p) { return static_cast<int16_t>(u16(p)); }

void put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

}  // namespace

BitmapFileHeader readFileHeader(std::span<const uint8_t, kFileHeaderSize> bytes) {
    const uint8_t* p = bytes.data();
    return {u16(p), u32(p + 2), u16(p + 6), u16(p + 8), u32(p + 10)};
}

BitmapInfoHeader readInfoHeader(std::span<const uint8_t, kInfoHeaderSize> bytes) {
    const uint8_t* p = bytes.data();
    BitmapInfoHeader h;
    h.biSize = i32(p);
    h.biWidth = i32(p + 4);
    h.biHeight = i32(p + 8);
    h.biPlanes = i16(p + 12);
    h.biBitCount = i16(p + 14);
    h.biCompression = i32(p + 16);
    h.biSizeImage = i32(p + 20);
    h.biXPelsPerMeter = i32(p + 24);
    h.biYPelsPerMeter = i32(p + 28);
    h.biClrUsed = i32(p + 32);
    h.biClrImportant = i32(p + 36);
    return h;
}

void writeFileHeader(const BitmapFileHeader& h, std::span<uint8_t, kFileHeaderSize> out) {
    uint8_t* p = out.data();
    put16(p, h.bfType);
    put32(p + 2, h.bfSize);
    put16(p + 6, h.bfReserved1);
    put16(p + 8, h.bfReserved2);
    put32(p + 10, h.bfOffBits);
}

void writeInfoHeader(const BitmapInfoHeader& h, std::span<uint8_t, kInfoHeaderSize> out) {
    uint8_t* p = out.data();
    put32(p, uint32_t(h.biSize));
    put32(p + 4, uint32_t(h.biWidth));
    put32(p + 8, uint32_t(h.biHeight));
    put16(p + 12, uint16_t(h.biPlanes));
    put16(p + 14, uint16_t(h.biBitCount));
    put32(p + 16, uint32_t(h.biCompression));
    put32(p + 20, uint32_t(h.biSizeImage));
    put32(p + 24, uint32_t(h.biXPelsPerMeter));
    put32(p + 28, uint32_t(h.biYPelsPerMeter));
    put32(p + 32, uint32_t(h.biClrUsed));
    put32(p + 36, uint32_t(h.biClrImportant));
}

int64_t rowBytes(int64_t width, int64_t bitCount) {
    if (width <= 0 || bitCount <= 0) return 0;
    return ((width * bitCount + 31) / 32) * 4;
}

}  // namespace kelmora
