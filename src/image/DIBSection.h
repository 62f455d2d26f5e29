#pragma once
// The capture buffer: one 24-bit bitmap, rows bottom-up, blue-green-red, each row padded to a
// multiple of 4 bytes, exactly as the pixel block of a 24-bit BMP file. The JPEG writer and the
// BMP writer read the buffer in place. Frame storage keeps one instance for a whole run and
// refills it every frame, so refilling at an unchanged size never allocates.
#include <cstdint>
#include <memory>

#include "image/BitmapHeaders.h"
#include "image/PixelRows.h"

class QImage;

namespace kelmora {

class cDIBSection {
public:
    cDIBSection() = default;
    cDIBSection(const cDIBSection&) = delete;
    cDIBSection& operator=(const cDIBSection&) = delete;
    cDIBSection(cDIBSection&&) noexcept = default;
    cDIBSection& operator=(cDIBSection&&) noexcept = default;
    ~cDIBSection() = default;

    // A new black bitmap of the size. The header takes the size even when the buffer can't be
    // had (sizes below 1 or a buffer past kMaxBufferBytes): then false and no pixels.
    bool Create(int32_t width, int32_t height);

    // The picture converted to 24 bits; alpha is dropped (premultiplied pixels come out as drawn
    // over black). A null picture leaves the instance without pixels; nothing is reported.
    bool CreateFromPicture(const QImage& picture);

    // The same from a plain pixel block with top-down rows of `stride` bytes; one pass, no
    // intermediate copy. The engine's frames are PixelOrder::Argb32.
    bool CreateFromPixels(const uint8_t* pixels, int32_t width, int32_t height, int64_t stride,
                          PixelOrder order);
    // An engine frame: 0xAARRGGBB words, top-down rows of strideInPixels words.
    bool CreateFromArgb32(const uint32_t* pixels, int32_t width, int32_t height, int32_t strideInPixels) {
        return CreateFromPixels(reinterpret_cast<const uint8_t*>(pixels), width, height,
                                int64_t(strideInPixels) * 4, PixelOrder::Argb32);
    }

    // Block copy from a picture, or another DIB section, into this bitmap at (0, 0). A width or
    // height below 0 stands for this bitmap's own; the block is clipped to both bitmaps.
    void LoadPictureBlt(const QImage& source, int32_t srcLeft = 0, int32_t srcTop = 0,
                        int32_t srcWidth = -1, int32_t srcHeight = -1);
    void LoadPictureBlt(const cDIBSection& source, int32_t srcLeft = 0, int32_t srcTop = 0,
                        int32_t srcWidth = -1, int32_t srcHeight = -1);

    // Block copy from this bitmap into a picture (RGB32, ARGB32 or ARGB32_Premultiplied; other
    // formats are left alone), clipped to both.
    void PaintPicture(QImage& dest, int32_t destLeft = 0, int32_t destTop = 0, int32_t destWidth = -1,
                      int32_t destHeight = -1, int32_t srcLeft = 0, int32_t srcTop = 0) const;

    // Releases the buffer; the header, and so Width and Height, keep their values.
    void ClearUp();

    int32_t BytesPerScanLine() const { return static_cast<int32_t>(bytesPerScanLine24(header_.biWidth)); }
    int32_t Width() const { return header_.biWidth; }
    int32_t Height() const { return header_.biHeight; }
    // The first byte of the buffer (the bottom row); null when there are no pixels.
    uint8_t* DIBSectionBitsPtr() { return bits_.get(); }
    const uint8_t* DIBSectionBitsPtr() const { return bits_.get(); }
    // Buffer size in bytes (BytesPerScanLine × Height); 0 when there are no pixels.
    int64_t SizeImage() const { return bits_ ? capacityUsed_ : 0; }
    // The 40-byte header describing the buffer, as a BMP file's info header.
    const BitmapInfoHeader& Header() const { return header_; }

    // Start of row y counted from the top of the picture (the JPEG file's first row is y = 0).
    const uint8_t* topDownRow(int32_t y) const {
        return bits_.get() + int64_t(header_.biHeight - 1 - y) * BytesPerScanLine();
    }
    uint8_t* topDownRow(int32_t y) {
        return bits_.get() + int64_t(header_.biHeight - 1 - y) * BytesPerScanLine();
    }

    static constexpr int64_t kMaxBufferBytes = int64_t(1) << 30;

private:
    // Sets the header and makes the buffer fit, keeping the allocation when it is big enough.
    bool reshape(int32_t width, int32_t height);

    BitmapInfoHeader header_{};
    std::unique_ptr<uint8_t[]> bits_;
    int64_t capacity_ = 0;      // bytes allocated
    int64_t capacityUsed_ = 0;  // bytes the current size uses
};

}  // namespace kelmora
