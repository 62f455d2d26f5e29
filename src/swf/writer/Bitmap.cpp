#include "swf/writer/Bitmap.h"

#include <turbojpeg.h>

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "swf/writer/SwfWriter.h"

namespace kelmora::swf {

namespace {

void checkSize(const Pixels& p) {
    if (p.width <= 0 || p.height <= 0 || p.width > 0xFFFF || p.height > 0xFFFF ||
        p.argb.size() != static_cast<std::size_t>(p.width) * p.height)
        throw std::invalid_argument("bitmap size does not match its pixels");
}

std::uint8_t premultiply(std::uint32_t channel, std::uint32_t alpha) {
    return static_cast<std::uint8_t>((channel * alpha + 127) / 255);
}

}  // namespace

Bytes encodeLosslessBitmap(const Pixels& p, LosslessFormat format, bool alpha) {
    checkSize(p);
    BitWriter head;
    head.u8(static_cast<std::uint8_t>(format)).u16(static_cast<std::uint32_t>(p.width)).u16(static_cast<std::uint32_t>(p.height));
    BitWriter data;
    auto channels = [&](std::uint32_t c, BitWriter& w) {
        const std::uint32_t a = c >> 24;
        if (alpha)
            w.u8(a).u8(premultiply((c >> 16) & 0xFF, a)).u8(premultiply((c >> 8) & 0xFF, a)).u8(premultiply(c & 0xFF, a));
        else
            w.u8(0).u8((c >> 16) & 0xFF).u8((c >> 8) & 0xFF).u8(c & 0xFF);
    };
    switch (format) {
    case LosslessFormat::ColorMapped8: {
        std::map<std::uint32_t, std::uint8_t> index;
        std::vector<std::uint32_t> palette;
        for (auto c : p.argb) {
            if (!alpha) c |= 0xFF000000u;
            if (index.count(c)) continue;
            if (palette.size() == 256) throw std::invalid_argument("more than 256 colours for a colour-mapped bitmap");
            index[c] = static_cast<std::uint8_t>(palette.size());
            palette.push_back(c);
        }
        head.u8(static_cast<std::uint32_t>(palette.size() - 1));
        for (auto c : palette) {
            if (alpha) {
                const std::uint32_t a = c >> 24;
                data.u8(premultiply((c >> 16) & 0xFF, a)).u8(premultiply((c >> 8) & 0xFF, a)).u8(premultiply(c & 0xFF, a)).u8(a);
            } else {
                data.u8((c >> 16) & 0xFF).u8((c >> 8) & 0xFF).u8(c & 0xFF);
            }
        }
        const int padded = (p.width + 3) & ~3;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < padded; ++x) {
                std::uint32_t c = x < p.width ? p.argb[static_cast<std::size_t>(y) * p.width + x] : palette[0];
                if (!alpha) c |= 0xFF000000u;
                data.u8(index[c]);
            }
        break;
    }
    case LosslessFormat::Rgb15: {
        if (alpha) throw std::invalid_argument("15-bit bitmaps have no alpha form");
        const int padded = (p.width + 1) & ~1;  // 2 bytes a pixel, rows to 4 bytes
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < padded; ++x) {
                const std::uint32_t c = x < p.width ? p.argb[static_cast<std::size_t>(y) * p.width + x] : 0;
                data.ub(0, 1).ub((c >> 19) & 0x1F, 5).ub((c >> 11) & 0x1F, 5).ub((c >> 3) & 0x1F, 5);
            }
        break;
    }
    case LosslessFormat::Rgb32:
        for (auto c : p.argb) channels(c, data);
        break;
    default:
        throw std::invalid_argument("unknown lossless bitmap format");
    }
    Bytes out = head.take();
    const Bytes packed = zlibCompress(data.data());
    out.insert(out.end(), packed.begin(), packed.end());
    return out;
}

Bytes encodeJpeg(const Pixels& p, int quality) {
    checkSize(p);
    std::vector<unsigned char> rgb(static_cast<std::size_t>(p.width) * p.height * 3);
    for (std::size_t i = 0; i < p.argb.size(); ++i) {
        rgb[i * 3] = static_cast<unsigned char>(p.argb[i] >> 16);
        rgb[i * 3 + 1] = static_cast<unsigned char>(p.argb[i] >> 8);
        rgb[i * 3 + 2] = static_cast<unsigned char>(p.argb[i]);
    }
    std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitCompress(), tjDestroy);
    if (!handle) throw std::runtime_error("TurboJPEG could not start");
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    if (tjCompress2(handle.get(), rgb.data(), p.width, 0, p.height, TJPF_RGB, &jpeg, &size, TJSAMP_420,
                    std::clamp(quality, 1, 100), TJFLAG_ACCURATEDCT) != 0) {
        tjFree(jpeg);
        throw std::runtime_error(std::string("JPEG encoding failed: ") + tjGetErrorStr2(handle.get()));
    }
    Bytes out(jpeg, jpeg + size);
    tjFree(jpeg);
    return out;
}

SplitJpeg splitJpeg(std::span<const std::uint8_t> jpeg) {
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) throw std::invalid_argument("not a JPEG stream");
    SplitJpeg out;
    out.tables = {0xFF, 0xD8};
    out.image = {0xFF, 0xD8};
    std::size_t pos = 2;
    while (pos + 4 <= jpeg.size()) {
        if (jpeg[pos] != 0xFF) throw std::invalid_argument("JPEG marker expected");
        const std::uint8_t marker = jpeg[pos + 1];
        if (marker == 0xDA) {  // start of scan: the rest is image data through EOI
            out.image.insert(out.image.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(pos), jpeg.end());
            out.tables.insert(out.tables.end(), {0xFF, 0xD9});
            return out;
        }
        const std::size_t length = static_cast<std::size_t>(jpeg[pos + 2]) << 8 | jpeg[pos + 3];
        if (length < 2 || pos + 2 + length > jpeg.size()) throw std::invalid_argument("JPEG segment runs past the end");
        Bytes& target = (marker == 0xDB || marker == 0xC4) ? out.tables : out.image;
        target.insert(target.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(pos),
                      jpeg.begin() + static_cast<std::ptrdiff_t>(pos + 2 + length));
        pos += 2 + length;
    }
    throw std::invalid_argument("JPEG stream without a scan");
}

Bytes compressedAlpha(const Pixels& p) {
    checkSize(p);
    Bytes alpha(p.argb.size());
    std::transform(p.argb.begin(), p.argb.end(), alpha.begin(), [](std::uint32_t c) { return static_cast<std::uint8_t>(c >> 24); });
    return zlibCompress(alpha);
}

}  // namespace kelmora::swf
