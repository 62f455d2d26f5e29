#include "player/bitmap/JpegDecode.h"

#include <turbojpeg.h>

#include <memory>
#include <string>

#include "player/bitmap/BitmapLimits.h"

namespace kelmora::player {

namespace {

constexpr uint8_t kSoi = 0xD8, kEoi = 0xD9, kSos = 0xDA;

bool isStandalone(uint8_t marker) { return (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01; }

// Copies the marker segments of `in` (after the caller's SOI) into out, dropping SOI/EOI.
void copySegments(std::span<const uint8_t> in, std::vector<uint8_t>& out) {
    size_t pos = 0;
    const size_t n = in.size();
    while (pos < n) {
        if (in[pos] != 0xFF) {  // garbage between segments: look for the next marker
            ++pos;
            continue;
        }
        while (pos < n && in[pos] == 0xFF) ++pos;  // fill bytes
        if (pos >= n) break;
        uint8_t marker = in[pos++];
        if (marker == kSoi || marker == kEoi) continue;
        if (marker == 0x00) continue;  // a stuffed byte out of place
        if (isStandalone(marker)) {
            out.push_back(0xFF);
            out.push_back(marker);
            continue;
        }
        if (pos + 2 > n) break;
        size_t length = (size_t(in[pos]) << 8) | in[pos + 1];
        if (length < 2 || pos + length > n) break;  // truncated segment: stop here
        out.push_back(0xFF);
        out.push_back(marker);
        out.insert(out.end(), in.begin() + pos, in.begin() + pos + length);
        pos += length;
        if (marker != kSos) continue;
        // Entropy-coded data runs to the next marker that is neither a stuffed zero nor a restart.
        size_t start = pos;
        while (pos < n) {
            if (in[pos] == 0xFF && pos + 1 < n) {
                uint8_t next = in[pos + 1];
                if (next != 0x00 && !(next >= 0xD0 && next <= 0xD7)) break;
            } else if (in[pos] == 0xFF) {
                break;
            }
            ++pos;
        }
        out.insert(out.end(), in.begin() + start, in.begin() + pos);
    }
}

struct TjHandleDeleter {
    void operator()(void* h) const { tjDestroy(h); }
};

}  // namespace

std::vector<uint8_t> joinJpegStream(std::span<const uint8_t> tables, std::span<const uint8_t> data) {
    std::vector<uint8_t> out;
    out.reserve(tables.size() + data.size() + 4);
    out.push_back(0xFF);
    out.push_back(kSoi);
    copySegments(tables, out);
    copySegments(data, out);
    out.push_back(0xFF);
    out.push_back(kEoi);
    return out;
}

Result<PixelBuffer> decodeJpeg(std::span<const uint8_t> stream) {
    std::unique_ptr<void, TjHandleDeleter> handle(tjInitDecompress());
    if (!handle) return makeError("the JPEG decoder could not start");
    int width = 0, height = 0, subsamp = 0, colorspace = 0;
    auto* src = const_cast<unsigned char*>(stream.data());
    auto size = static_cast<unsigned long>(stream.size());
    if (tjDecompressHeader3(handle.get(), src, size, &width, &height, &subsamp, &colorspace) != 0)
        return makeError(std::string("JPEG header unreadable: ") + tjGetErrorStr2(handle.get()));
    if (!bitmapSizeAllowed(width, height))
        return makeError("JPEG picture too large: " + std::to_string(width) + "x" + std::to_string(height));

    PixelBuffer out(width, height);
    const bool cmyk = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
    int rc;
    if (cmyk) {
        std::vector<uint8_t> raw(size_t(width) * height * 4);
        rc = tjDecompress2(handle.get(), src, size, raw.data(), width, width * 4, height, TJPF_CMYK, 0);
        // Adobe writes CMYK inverted, so each stored channel already is "amount of light".
        for (size_t i = 0, count = size_t(width) * height; i < count; ++i) {
            unsigned c = raw[i * 4], m = raw[i * 4 + 1], y = raw[i * 4 + 2], k = raw[i * 4 + 3];
            out.data()[i] = packArgb(255, uint8_t(c * k / 255), uint8_t(m * k / 255), uint8_t(y * k / 255));
        }
    } else {
        rc = tjDecompress2(handle.get(), src, size, reinterpret_cast<unsigned char*>(out.data()), width, width * 4,
                           height, TJPF_BGRA, 0);
        // TJPF_BGRA leaves the fourth byte undefined for JPEG; force opaque.
        for (auto& p : std::span(out.data(), size_t(width) * height)) p |= 0xFF000000u;
    }
    if (rc != 0 && tjGetErrorCode(handle.get()) != TJERR_WARNING)
        return makeError(std::string("JPEG data unreadable: ") + tjGetErrorStr2(handle.get()));
    return out;
}

}  // namespace kelmora::player
