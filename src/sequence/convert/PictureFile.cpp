#include "sequence/convert/PictureFile.h"

#include <turbojpeg.h>

#include <bit>
#include <climits>

#include "image/BitmapWriter.h"
#include "image/JpegWriter.h"
#include "image/ReplacingFile.h"
#include "sequence/convert/PngFile.h"

namespace kelmora::convert {
namespace {

// The engine's words are B, G, R, A bytes in memory on little-endian machines: the encoder reads
// them in place, with no conversion pass. One encoder and output buffer per thread, kept.
class FrameJpegEncoder {
public:
    ~FrameJpegEncoder() {
        if (buffer_) tjFree(buffer_);
        if (handle_) tjDestroy(handle_);
    }
    Status encode(const player::PixelBuffer& picture, int quality, int subsampling) {
        if (!handle_) handle_ = tjInitCompress();
        if (!handle_) return makeError("the JPEG encoder could not start");
        const unsigned long needed = tjBufSize(picture.width(), picture.height(), subsampling);
        if (needed == static_cast<unsigned long>(-1) || needed > INT_MAX) return makeError("the picture is too large for a JPEG file");
        if (needed > capacity_) {
            if (buffer_) tjFree(buffer_);
            buffer_ = tjAlloc(int(needed));
            capacity_ = buffer_ ? needed : 0;
            if (!buffer_) return makeError("out of memory");
        }
        size_ = capacity_;
        unsigned char* out = buffer_;
        constexpr int format = std::endian::native == std::endian::little ? TJPF_BGRX : TJPF_XRGB;
        if (tjCompress2(handle_, reinterpret_cast<const unsigned char*>(picture.data()), picture.width(),
                        picture.stride() * 4, picture.height(), format, &out, &size_, subsampling, quality,
                        TJFLAG_NOREALLOC) != 0)
            return makeError(std::string("JPEG encoding failed: ") + tjGetErrorStr2(handle_));
        return {};
    }
    const unsigned char* data() const { return buffer_; }
    unsigned long size() const { return size_; }

private:
    tjhandle handle_ = nullptr;
    unsigned char* buffer_ = nullptr;
    unsigned long capacity_ = 0, size_ = 0;
};

FrameJpegEncoder& jpegEncoderOfThisThread() {
    thread_local FrameJpegEncoder encoder;
    return encoder;
}

}  // namespace

Status encodeVideoJpeg(const player::PixelBuffer& picture, int quality, std::vector<uint8_t>& out) {
    FrameJpegEncoder& encoder = jpegEncoderOfThisThread();
    if (Status st = encoder.encode(picture, quality, TJSAMP_420); !st) return st;
    out.assign(encoder.data(), encoder.data() + encoder.size());
    return {};
}

Status writePictureFile(const player::PixelBuffer& picture, const std::string& path, const PictureSettings& settings) {
    if (picture.empty()) return makeError("nothing to write: the picture is empty");
    switch (settings.kind) {
    case PictureKind::Bmp: {
        Status st = saveBitmapFile(reinterpret_cast<const uint8_t*>(picture.data()), picture.width(), picture.height(),
                                   int64_t(picture.stride()) * 4, PixelOrder::Argb32, path);
        if (!st) return makeError("cannot write \"" + path + "\": " + st.error().message);
        return {};
    }
    case PictureKind::Jpeg: {
        FrameJpegEncoder& encoder = jpegEncoderOfThisThread();
        if (Status st = encoder.encode(picture, settings.quality, jpegSubsamplingFor(settings.quality)); !st) return st;
        auto file = ReplacingFile::open(path);
        Status st = file ? file->write(encoder.data(), encoder.size()) : Status(file.error());
        if (st) st = file->commit();
        if (!st) return makeError("cannot write \"" + path + "\": " + st.error().message);
        return {};
    }
    case PictureKind::Png: return writePng(path, picture, settings.withAlpha);
    }
    return makeError("unknown picture format");
}

}  // namespace kelmora::convert
