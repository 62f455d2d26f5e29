#pragma once
// A bitmap held as the two blocks of a BMP file: the bitmap-info block (info header plus colour
// table, masks or gap, taken unchanged) and the pixel block. The picture-sequence tool reads BMP
// frames with it and hands both blocks to the AVI writer without converting a pixel.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/BitmapHeaders.h"
#include "util/MessageSink.h"
#include "util/Result.h"

namespace kelmora {

// Where the blocks of a BMP file lie, after checking that its headers fit the file.
struct BitmapLayout {
    BitmapFileHeader fileHeader;
    BitmapInfoHeader infoHeader;  // biSizeImage is the pixel block's real size
    uint32_t infoBlockSize = 0;   // bfOffBits - 14
    uint32_t pixelSize = 0;       // bytes of the pixel block at bfOffBits
};

// head: the file's first bytes (54 are enough); fileSize: the whole file's length. Refuses a
// file whose headers don't describe data inside it; the error message says why (for logs and
// tests; the user sees "File is not a supported bitmap format:").
Result<BitmapLayout> examineBitmapHeaders(std::span<const uint8_t> head, uint64_t fileSize);

// The pixel block size that an info header stands for when `available` bytes follow the
// headers: biSizeImage, or the size of the rows when it is 0; an error when it doesn't fit.
Result<uint32_t> pixelBlockSize(const BitmapInfoHeader& info, uint64_t available);

class cDib {
public:
    // Reads a BMP file. On failure shows the message and keeps the previous picture.
    bool CreateFromFile(const std::string& fileName, MessageSink& messages);
    // The same over a whole file already in memory; no message.
    bool CreateFromBytes(std::span<const uint8_t> file);
    // A 40-byte info header followed directly by the pixel bytes (no colour table); `available`
    // bytes may be read from pDIB. Only 16 bits per pixel and more.
    bool CreateFromPackedDIBPointer(const uint8_t* pDIB, size_t available);
    // Writes the bitmap as a BMP file (under a temporary name, then renamed). False when nothing
    // is held or the write fails.
    bool WriteToFile(const std::string& fileName) const;

    int32_t BitCount() const { return info_.biBitCount; }
    int32_t Height() const { return info_.biHeight; }
    int32_t Width() const { return info_.biWidth; }
    int32_t Compression() const { return info_.biCompression; }
    int32_t SizeInfoHeader() const { return info_.biSize; }
    int32_t SizeImage() const { return info_.biSizeImage; }
    int32_t PLANES() const { return info_.biPlanes; }
    int32_t ClrImportant() const { return info_.biClrImportant; }
    int32_t ClrUsed() const { return info_.biClrUsed; }
    int32_t XPPM() const { return info_.biXPelsPerMeter; }
    int32_t YPPM() const { return info_.biYPelsPerMeter; }
    int32_t FileType() const { return static_cast<int16_t>(file_.bfType); }
    int32_t SizeFileHeader() const { return static_cast<int32_t>(file_.bfSize); }  // bfSize
    int32_t BitOffset() const { return static_cast<int32_t>(file_.bfOffBits); }
    // Null while nothing is held.
    const uint8_t* PointerToBits() const { return bits_.empty() ? nullptr : bits_.data(); }
    const uint8_t* PointerToBitmapInfo() const { return bitmapInfo_.empty() ? nullptr : bitmapInfo_.data(); }
    int32_t SizeBitmapInfo() const { return static_cast<int32_t>(bitmapInfo_.size()); }

private:
    std::vector<uint8_t> bits_;
    std::vector<uint8_t> bitmapInfo_;
    BitmapInfoHeader info_{};
    BitmapFileHeader file_{};
};

}  // namespace kelmora
