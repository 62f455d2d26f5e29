#pragma once
// The two headers of a BMP file as they lie on disk (little-endian, packed), and the row rules
// that BMP files and DIB sections share.
#include <cstddef>
#include <cstdint>
#include <span>

namespace kelmora {

inline constexpr uint16_t kBitmapFileType = 0x4D42;  // "BM"
inline constexpr int kFileHeaderSize = 14;
inline constexpr int kInfoHeaderSize = 40;
inline constexpr int kHeadersSize = kFileHeaderSize + kInfoHeaderSize;

// Compression codes whose pixel rows are plain (not run-length or embedded JPEG/PNG).
inline constexpr int32_t kBiRgb = 0;
inline constexpr int32_t kBiBitfields = 3;
inline constexpr int32_t kBiAlphaBitfields = 6;

struct BitmapFileHeader {
    uint16_t bfType = 0;
    uint32_t bfSize = 0;
    uint16_t bfReserved1 = 0;
    uint16_t bfReserved2 = 0;
    uint32_t bfOffBits = 0;
};

struct BitmapInfoHeader {
    int32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    int16_t biPlanes = 0;
    int16_t biBitCount = 0;
    int32_t biCompression = 0;
    int32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    int32_t biClrUsed = 0;
    int32_t biClrImportant = 0;
};

// The callers pass spans of at least kFileHeaderSize / kInfoHeaderSize bytes.
BitmapFileHeader readFileHeader(std::span<const uint8_t, kFileHeaderSize> bytes);
BitmapInfoHeader readInfoHeader(std::span<const uint8_t, kInfoHeaderSize> bytes);
void writeFileHeader(const BitmapFileHeader& header, std::span<uint8_t, kFileHeaderSize> out);
void writeInfoHeader(const BitmapInfoHeader& header, std::span<uint8_t, kInfoHeaderSize> out);

// Bytes in one row of an uncompressed bitmap: width × bits, rounded up to whole 32-bit words.
// 64-bit, so no width or bit count can overflow it; negative inputs give 0.
int64_t rowBytes(int64_t width, int64_t bitCount);

// The row length of a 24-bit DIB: (width × 3 + 3) with the two low bits cleared.
inline int64_t bytesPerScanLine24(int64_t width) { return rowBytes(width, 24); }

}  // namespace kelmora
