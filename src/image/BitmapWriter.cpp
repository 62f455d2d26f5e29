#include "image/BitmapWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "image/BitmapHeaders.h"
#include "image/DIBSection.h"
#include "image/ReplacingFile.h"

namespace kelmora {
namespace {

// The two headers of a 24-bit bottom-up BMP of the size; false when the size can't be one.
bool headersFor(int32_t width, int32_t height, uint8_t (&out)[kHeadersSize]) {
    const int64_t line = bytesPerScanLine24(width);
    if (width <= 0 || height <= 0 || line * height > cDIBSection::kMaxBufferBytes) return false;
    const auto image = static_cast<uint32_t>(line * height);
    BitmapInfoHeader info;
    info.biSize = kInfoHeaderSize;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = kBiRgb;
    info.biSizeImage = static_cast<int32_t>(image);
    const BitmapFileHeader file{kBitmapFileType, uint32_t(kHeadersSize) + image, 0, 0, uint32_t(kHeadersSize)};
    writeFileHeader(file, std::span<uint8_t, kFileHeaderSize>(out, kFileHeaderSize));
    writeInfoHeader(info, std::span<uint8_t, kInfoHeaderSize>(out + kFileHeaderSize, kInfoHeaderSize));
    return true;
}

}  // namespace

Status saveBitmapFile(const cDIBSection& dib, const std::string& fileName) {
    uint8_t headers[kHeadersSize];
    if (!dib.DIBSectionBitsPtr() || !headersFor(dib.Width(), dib.Height(), headers)) return errnoError(EINVAL);
    auto file = ReplacingFile::open(fileName);
    if (!file) return file.error();
    if (Status s = file->write(headers, sizeof headers); !s) return s;
    if (Status s = file->write(dib.DIBSectionBitsPtr(), size_t(dib.SizeImage())); !s) return s;
    return file->commit();
}

Status saveBitmapFile(const uint8_t* pixels, int32_t width, int32_t height, int64_t stride, PixelOrder order,
                      const std::string& fileName) {
    uint8_t headers[kHeadersSize];
    if (!pixels || stride < int64_t(width) * bytesPerPixel(order) || !headersFor(width, height, headers)) {
        return errnoError(EINVAL);
    }
    auto file = ReplacingFile::open(fileName);
    if (!file) return file.error();
    if (Status s = file->write(headers, sizeof headers); !s) return s;
    const size_t line = size_t(bytesPerScanLine24(width));
    // About 256 KiB per write; filler bytes stay zero.
    const size_t rowsPerChunk = std::max<size_t>(1, (size_t(256) << 10) / line);
    std::vector<uint8_t> chunk(rowsPerChunk * line, 0);
    for (int32_t done = 0; done < height;) {
        const int32_t rows = int32_t(std::min<int64_t>(int64_t(rowsPerChunk), int64_t(height - done)));
        for (int32_t r = 0; r < rows; ++r) {
            const int32_t sourceRow = height - 1 - (done + r);  // bottom-up
            convertRowToBgr(pixels + sourceRow * stride, chunk.data() + size_t(r) * line, width, order);
        }
        if (Status s = file->write(chunk.data(), size_t(rows) * line); !s) return s;
        done += rows;
    }
    return file->commit();
}

}  // namespace kelmora
