#include "image/JpegWriter.h"

#include <turbojpeg.h>

#include <climits>

#include "image/DIBSection.h"
#include "image/ReplacingFile.h"

namespace kelmora {
namespace {

// One encoder per thread, kept between frames: its output buffer grows to the largest frame
// seen and is then reused, so storing a frame allocates nothing of the picture's size.
class JpegEncoder {
public:
    ~JpegEncoder() {
        if (buffer_) tjFree(buffer_);
        if (handle_) tjDestroy(handle_);
    }

    // 0 on success, else the encoder's status (-1).
    int encode(const cDIBSection& dib, int quality) {
        if (!handle_) handle_ = tjInitCompress();
        if (!handle_) return -1;
        const int width = dib.Width();
        const int height = dib.Height();
        const int subsampling = jpegSubsamplingFor(quality);
        // The worst case for this size, so the encoder never reallocates behind our back.
        const unsigned long needed = tjBufSize(width, height, subsampling);
        if (needed == static_cast<unsigned long>(-1) || needed > INT_MAX) return -1;
        if (needed > capacity_) {
            if (buffer_) tjFree(buffer_);
            buffer_ = tjAlloc(static_cast<int>(needed));
            capacity_ = buffer_ ? needed : 0;
            if (!buffer_) return -1;
        }
        size_ = capacity_;
        unsigned char* out = buffer_;
        // tjCompress2 refuses a negative pitch; TJFLAG_BOTTOMUP walks the rows from the last
        // one up through row pointers, so no pixel is copied either way.
        const int status = tjCompress2(handle_, dib.DIBSectionBitsPtr(), width, dib.BytesPerScanLine(), height,
                                       TJPF_BGR, &out, &size_, subsampling, quality,
                                       TJFLAG_BOTTOMUP | TJFLAG_NOREALLOC);
        if (status != 0) size_ = 0;
        return status;
    }

    const unsigned char* data() const { return buffer_; }
    unsigned long size() const { return size_; }

private:
    tjhandle handle_ = nullptr;
    unsigned char* buffer_ = nullptr;
    unsigned long capacity_ = 0;
    unsigned long size_ = 0;
};

JpegEncoder& encoderForThisThread() {
    thread_local JpegEncoder encoder;
    return encoder;
}

bool fail(MessageSink& messages, int number, const std::string& description) {
    messages.show(Message{"SaveJPG", "ERROR " + std::to_string(number) + kCrLf + kCrLf + description,
                          MessageIcon::Warning, MessageButtons::Ok});
    return false;
}

bool failed(MessageSink& messages, const Error& error) { return fail(messages, error.code, error.message); }

}  // namespace

int jpegSubsamplingFor(int quality) { return quality >= 90 ? TJSAMP_444 : TJSAMP_420; }

bool SaveJPG(const cDIBSection& dib, const std::string& fileName, int quality, MessageSink& messages) {
    JpegEncoder& encoder = encoderForThisThread();
    const int status = dib.DIBSectionBitsPtr() ? encoder.encode(dib, quality) : -1;
    if (status != 0) {
        return fail(messages, kJpegEncoderErrorNumber, "Failed to save to JPG " + std::to_string(status));
    }
    auto file = ReplacingFile::open(fileName, ReplaceOptions{.keepTimes = true});
    if (!file) return failed(messages, file.error());
    if (Status s = file->write(encoder.data(), encoder.size()); !s) return failed(messages, s.error());
    if (Status s = file->commit(); !s) return failed(messages, s.error());
    return true;
}

}  // namespace kelmora
