#include "image/BitmapFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

#include "image/ReplacingFile.h"

namespace kelmora {
namespace {

bool isUncompressed(int32_t compression) {
    return compression == kBiRgb || compression == kBiBitfields || compression == kBiAlphaBitfields;
}

bool hasKnownRowLayout(int32_t bitCount) {
    switch (bitCount) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
    }
}

Error notSupported(const char* why) { return makeError(why); }

// Reads exactly size bytes at offset; false on an error or a file that ended early.
bool readAt(int fd, uint8_t* out, size_t size, uint64_t offset) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, out, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        out += n;
        size -= size_t(n);
        offset += uint64_t(n);
    }
    return true;
}

class FileCloser {
public:
    explicit FileCloser(int fd) : fd_(fd) {}
    ~FileCloser() { ::close(fd_); }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

private:
    int fd_;
};

void show(MessageSink& messages, std::string text, MessageIcon icon) {
    messages.show(Message{"", std::move(text), icon, MessageButtons::Ok});
}

}  // namespace

Result<uint32_t> pixelBlockSize(const BitmapInfoHeader& info, uint64_t available) {
    if (info.biWidth <= 0) return notSupported("width is not positive");
    if (info.biHeight == 0 || info.biHeight == std::numeric_limits<int32_t>::min()) {
        return notSupported("height is 0 or out of range");
    }
    if (info.biSizeImage < 0) return notSupported("negative image size");
    uint64_t size = static_cast<uint32_t>(info.biSizeImage);
    if (isUncompressed(info.biCompression) && hasKnownRowLayout(info.biBitCount)) {
        const uint64_t row = static_cast<uint64_t>(rowBytes(info.biWidth, info.biBitCount));
        const uint64_t rows = info.biHeight < 0 ? uint64_t(-int64_t(info.biHeight)) : uint64_t(info.biHeight);
        // Compared by division, so no product can overflow.
        if (row > available / rows) return notSupported("rows reach past the end of the file");
        const uint64_t needed = row * rows;
        if (size == 0) {
            size = needed;
        } else if (size < needed) {
            return notSupported("image size is smaller than its rows");
        }
    } else if (size == 0) {
        if (!isUncompressed(info.biCompression)) {
            size = available;  // compressed data of unstated size: the rest of the file
        }
        if (size == 0) return notSupported("image size can't be known");
    }
    if (size > available) return notSupported("pixel data reaches past the end of the file");
    if (size > uint64_t(std::numeric_limits<int32_t>::max())) return notSupported("pixel data too large");
    return static_cast<uint32_t>(size);
}

Result<BitmapLayout> examineBitmapHeaders(std::span<const uint8_t> head, uint64_t fileSize) {
    if (head.size() < kFileHeaderSize || fileSize < kFileHeaderSize) return notSupported("no file header");
    BitmapLayout layout;
    layout.fileHeader = readFileHeader(head.first<kFileHeaderSize>());
    if (layout.fileHeader.bfType != kBitmapFileType) return notSupported("not a BM file");
    if (head.size() < kHeadersSize || fileSize < kHeadersSize) return notSupported("no info header");
    layout.infoHeader = readInfoHeader(head.subspan<kFileHeaderSize, kInfoHeaderSize>());

    const uint32_t offBits = layout.fileHeader.bfOffBits;
    if (offBits < kHeadersSize) return notSupported("pixel data overlaps the headers");
    if (offBits > fileSize) return notSupported("pixel data starts past the end of the file");
    const int32_t infoSize = layout.infoHeader.biSize;
    if (infoSize < kInfoHeaderSize || uint32_t(infoSize) > offBits - kFileHeaderSize) {
        return notSupported("info header size does not fit");
    }
    auto size = pixelBlockSize(layout.infoHeader, fileSize - offBits);
    if (!size) return size.error();
    layout.infoBlockSize = offBits - kFileHeaderSize;
    layout.pixelSize = *size;
    layout.infoHeader.biSizeImage = static_cast<int32_t>(*size);
    return layout;
}

bool cDib::CreateFromBytes(std::span<const uint8_t> file) {
    auto layout = examineBitmapHeaders(file, file.size());
    if (!layout) return false;
    const uint8_t* base = file.data();
    std::vector<uint8_t> info(base + kFileHeaderSize, base + kFileHeaderSize + layout->infoBlockSize);
    const uint8_t* pixels = base + layout->fileHeader.bfOffBits;
    std::vector<uint8_t> bits(pixels, pixels + layout->pixelSize);
    bitmapInfo_ = std::move(info);
    bits_ = std::move(bits);
    info_ = layout->infoHeader;
    file_ = layout->fileHeader;
    return true;
}

bool cDib::CreateFromFile(const std::string& fileName, MessageSink& messages) {
    const std::string notSupportedText = std::string("File is not a supported bitmap format:") + kCrLf + fileName;
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) {
        show(messages, std::string("File does not exist:") + kCrLf + fileName, MessageIcon::Stop);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        show(messages, std::strerror(EISDIR), MessageIcon::Information);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {  // a pipe or a device: nothing to read a bitmap from
        show(messages, notSupportedText, MessageIcon::Information);
        return false;
    }
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM) {
            show(messages, std::string("File is locked - cannot access:") + kCrLf + fileName, MessageIcon::Stop);
        } else {
            show(messages, std::strerror(error), MessageIcon::Information);
        }
        return false;
    }
    FileCloser closer(fd);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        show(messages, notSupportedText, MessageIcon::Information);
        return false;
    }
    const uint64_t fileSize = static_cast<uint64_t>(st.st_size);
    uint8_t head[kHeadersSize];
    const size_t headSize = fileSize < kHeadersSize ? size_t(fileSize) : size_t(kHeadersSize);
    if (!readAt(fd, head, headSize, 0)) {
        show(messages, notSupportedText, MessageIcon::Information);
        return false;
    }
    auto layout = examineBitmapHeaders(std::span<const uint8_t>(head, headSize), fileSize);
    if (!layout) {
        show(messages, notSupportedText, MessageIcon::Information);
        return false;
    }
    // Both blocks are bounded by the file's size, checked above.
    std::vector<uint8_t> info, bits;
    try {
        info.resize(layout->infoBlockSize);
        bits.resize(layout->pixelSize);
    } catch (const std::bad_alloc&) {
        show(messages, std::strerror(ENOMEM), MessageIcon::Information);
        return false;
    }
    if (!readAt(fd, info.data(), info.size(), kFileHeaderSize) ||
        !readAt(fd, bits.data(), bits.size(), layout->fileHeader.bfOffBits)) {
        show(messages, notSupportedText, MessageIcon::Information);  // the file shrank while read
        return false;
    }
    bitmapInfo_ = std::move(info);
    bits_ = std::move(bits);
    info_ = layout->infoHeader;
    file_ = layout->fileHeader;
    return true;
}

bool cDib::CreateFromPackedDIBPointer(const uint8_t* pDIB, size_t available) {
    if (!pDIB || available < kInfoHeaderSize) return false;
    BitmapInfoHeader info = readInfoHeader(std::span<const uint8_t, kInfoHeaderSize>(pDIB, kInfoHeaderSize));
    if (info.biBitCount < 16 || info.biSizeImage < 1) return false;
    auto size = pixelBlockSize(info, available - kInfoHeaderSize);
    if (!size) return false;
    bits_.assign(pDIB + kInfoHeaderSize, pDIB + kInfoHeaderSize + *size);
    bitmapInfo_.assign(pDIB, pDIB + kInfoHeaderSize);
    info_ = info;
    file_ = BitmapFileHeader{kBitmapFileType, uint32_t(kHeadersSize) + *size, 0, 0, uint32_t(kHeadersSize)};
    return true;
}

bool cDib::WriteToFile(const std::string& fileName) const {
    if (bitmapInfo_.empty()) return false;
    auto file = ReplacingFile::open(fileName);
    if (!file) return false;
    uint8_t header[kFileHeaderSize];
    writeFileHeader(file_, header);
    return file->write(header, sizeof header).ok() && file->write(bitmapInfo_.data(), bitmapInfo_.size()).ok() &&
           file->write(bits_.data(), bits_.size()).ok() && file->commit().ok();
}

}  // namespace kelmora
