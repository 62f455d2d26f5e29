#pragma once
// Builds small JPEG, PNG, GIF and zlib payloads for the bitmap tests.
#include <gif_lib.h>
#include <png.h>
#include <turbojpeg.h>
#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace kelmora::player::testing {

using Bytes = std::vector<uint8_t>;


inline Bytes makeJpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b, bool grey = false) {
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) { rgb[i] = r; rgb[i + 1] = g; rgb[i + 2] = b; }
    tjhandle h = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    if (tjCompress2(h, rgb.data(), width, width * 3, height, TJPF_RGB, &out, &size, grey ? TJSAMP_GRAY : TJSAMP_420,
                    95, 0) != 0)
        throw std::runtime_error("tjCompress2 failed");
    Bytes jpeg(out, out + size);
    tjFree(out);
    tjDestroy(h);
    return jpeg;
}

inline void splitJpegTables(const Bytes& jpeg, Bytes& tables, Bytes& data) {
    tables = {0xFF, 0xD8};
    data = {0xFF, 0xD8};
    size_t pos = 2;
    while (pos + 4 <= jpeg.size()) {
        uint8_t marker = jpeg[pos + 1];
        size_t length = (size_t(jpeg[pos + 2]) << 8) | jpeg[pos + 3];
        if (marker == 0xDA) {  // scan: the rest goes to data
            data.insert(data.end(), jpeg.begin() + pos, jpeg.end());
            break;
        }
        Bytes& target = (marker == 0xDB || marker == 0xC4) ? tables : data;
        target.insert(target.end(), jpeg.begin() + pos, jpeg.begin() + pos + 2 + length);
        pos += 2 + length;
    }
    tables.push_back(0xFF);
    tables.push_back(0xD9);
}

inline Bytes makePng(int width, int height, const std::vector<uint8_t>& rgba, bool sixteenBitGrey = false) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    std::vector<uint16_t> grey;
    const void* pixels = rgba.data();
    if (sixteenBitGrey) {
        image.format = PNG_FORMAT_LINEAR_Y;
        for (size_t i = 0; i < rgba.size(); i += 4) grey.push_back(uint16_t(rgba[i] * 257));
        pixels = grey.data();
    } else {
        image.format = PNG_FORMAT_RGBA;
    }
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr))
        throw std::runtime_error("png size failed");
    Bytes out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, nullptr))
        throw std::runtime_error("png write failed");
    out.resize(size);
    return out;
}

namespace detail {
inline int writeToBytes(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}
}  // namespace detail

inline Bytes makeGif(int width, int height, const std::vector<uint8_t>& rgbPalette, const std::vector<uint8_t>& indices,
              int transparentIndex, bool interlaced = false) {
    Bytes out;
    int err = 0;
    GifFileType* gif = EGifOpen(&out, detail::writeToBytes, &err);
    EGifSetGifVersion(gif, true);
    int count = int(rgbPalette.size() / 3);
    int bits = 1;
    while ((1 << bits) < count) ++bits;
    std::vector<GifColorType> colors(size_t(1) << bits);
    for (int i = 0; i < count; ++i) colors[size_t(i)] = {rgbPalette[i * 3], rgbPalette[i * 3 + 1], rgbPalette[i * 3 + 2]};
    ColorMapObject* map = GifMakeMapObject(1 << bits, colors.data());
    EGifPutScreenDesc(gif, width, height, bits, 0, map);
    if (transparentIndex >= 0) {
        GraphicsControlBlock gcb{};
        gcb.TransparentColor = transparentIndex;
        GifByteType ext[4];
        size_t n = EGifGCBToExtension(&gcb, ext);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(n), ext);
    }
    EGifPutImageDesc(gif, 0, 0, width, height, interlaced, nullptr);
    static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass)
        for (int y = interlaced ? kStart[pass] : 0; y < height; y += interlaced ? kStep[pass] : 1)
            EGifPutLine(gif, const_cast<GifPixelType*>(indices.data() + size_t(y) * width), width);
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return out;
}

inline Bytes zlibCompress(const Bytes& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    compress2(out.data(), &size, raw.data(), uLong(raw.size()), 9);
    out.resize(size);
    return out;
}

inline void appendU16(Bytes& out, uint16_t v) { out.push_back(uint8_t(v)); out.push_back(uint8_t(v >> 8)); }
inline void appendU32(Bytes& out, uint32_t v) { appendU16(out, uint16_t(v)); appendU16(out, uint16_t(v >> 16)); }
inline void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

}  // namespace kelmora::player::testing
