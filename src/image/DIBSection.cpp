#include "image/DIBSection.h"

#include <QImage>
#include <algorithm>
#include <cstring>
#include <new>

namespace kelmora {
namespace {

// A block between two bitmaps, clipped so that every row and column lies inside both.
struct Block {
    int64_t sx, sy, dx, dy, w, h;
};

bool clip(Block& b, int64_t srcW, int64_t srcH, int64_t dstW, int64_t dstH) {
    auto clipAxis = [](int64_t& s, int64_t& d, int64_t& len, int64_t sLim, int64_t dLim) {
        if (s < 0) { d -= s; len += s; s = 0; }
        if (d < 0) { s -= d; len += d; d = 0; }
        len = std::min({len, sLim - s, dLim - d});
    };
    clipAxis(b.sx, b.dx, b.w, srcW, dstW);
    clipAxis(b.sy, b.dy, b.h, srcH, dstH);
    return b.w > 0 && b.h > 0;
}

// The order of a picture's pixels when it can be read as it is; nothing when it must be converted.
bool directOrder(QImage::Format format, PixelOrder& order) {
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied: order = PixelOrder::Argb32; return true;
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888_Premultiplied: order = PixelOrder::Rgbx32; return true;
    case QImage::Format_RGB888: order = PixelOrder::Rgb24; return true;
    case QImage::Format_BGR888: order = PixelOrder::Bgr24; return true;
    default: return false;
    }
}

// The picture itself when its pixels can be read directly, else a premultiplied copy
// (an unusual format: straight alpha, palettes, 16-bit, ...).
QImage readable(const QImage& picture, PixelOrder& order) {
    if (directOrder(picture.format(), order)) return picture;
    order = PixelOrder::Argb32;
    return picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

bool cDIBSection::reshape(int32_t width, int32_t height) {
    const int64_t line = bytesPerScanLine24(width);
    header_ = BitmapInfoHeader{};
    header_.biSize = kInfoHeaderSize;
    header_.biWidth = width;
    header_.biHeight = height;
    header_.biPlanes = 1;
    header_.biBitCount = 24;
    header_.biCompression = kBiRgb;
    const int64_t bytes = (width > 0 && height > 0) ? line * height : 0;
    if (bytes <= 0 || bytes > kMaxBufferBytes) {
        ClearUp();
        return false;
    }
    header_.biSizeImage = static_cast<int32_t>(bytes);
    if (!bits_ || capacity_ < bytes) {
        ClearUp();
        bits_.reset(new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]);
        if (!bits_) return false;
        capacity_ = bytes;
    }
    capacityUsed_ = bytes;
    return true;
}

bool cDIBSection::Create(int32_t width, int32_t height) {
    ClearUp();
    if (!reshape(width, height)) return false;
    std::memset(bits_.get(), 0, static_cast<size_t>(capacityUsed_));
    return true;
}

bool cDIBSection::CreateFromPicture(const QImage& picture) {
    if (picture.isNull()) {
        reshape(0, 0);
        return false;
    }
    PixelOrder order;
    const QImage source = readable(picture, order);
    if (source.isNull()) {  // the conversion could not get its memory
        reshape(0, 0);
        return false;
    }
    return CreateFromPixels(source.constBits(), source.width(), source.height(), source.bytesPerLine(),
                            order);
}

bool cDIBSection::CreateFromPixels(const uint8_t* pixels, int32_t width, int32_t height, int64_t stride,
                                   PixelOrder order) {
    if (!pixels || stride < int64_t(width) * bytesPerPixel(order)) {
        reshape(0, 0);
        return false;
    }
    if (!reshape(width, height)) return false;
    const int64_t line = BytesPerScanLine();
    const int64_t filler = line - int64_t(width) * 3;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* dst = topDownRow(y);
        convertRowToBgr(pixels + y * stride, dst, width, order);
        // Filler bytes are zeroed so that written files don't carry stale memory.
        std::memset(dst + int64_t(width) * 3, 0, static_cast<size_t>(filler));
    }
    return true;
}

void cDIBSection::LoadPictureBlt(const QImage& picture, int32_t srcLeft, int32_t srcTop, int32_t srcWidth,
                                 int32_t srcHeight) {
    if (!bits_ || picture.isNull()) return;
    PixelOrder order;
    const QImage source = readable(picture, order);
    if (source.isNull()) return;
    Block b{srcLeft, srcTop, 0, 0, srcWidth < 0 ? Width() : srcWidth, srcHeight < 0 ? Height() : srcHeight};
    if (!clip(b, source.width(), source.height(), Width(), Height())) return;
    const int bpp = bytesPerPixel(order);
    for (int64_t row = 0; row < b.h; ++row) {
        const uint8_t* src = source.constScanLine(int(b.sy + row)) + b.sx * bpp;
        convertRowToBgr(src, topDownRow(int32_t(b.dy + row)) + b.dx * 3, int(b.w), order);
    }
}

void cDIBSection::LoadPictureBlt(const cDIBSection& source, int32_t srcLeft, int32_t srcTop,
                                 int32_t srcWidth, int32_t srcHeight) {
    if (!bits_ || !source.bits_ || &source == this) return;
    Block b{srcLeft, srcTop, 0, 0, srcWidth < 0 ? Width() : srcWidth, srcHeight < 0 ? Height() : srcHeight};
    if (!clip(b, source.Width(), source.Height(), Width(), Height())) return;
    for (int64_t row = 0; row < b.h; ++row) {
        std::memcpy(topDownRow(int32_t(b.dy + row)) + b.dx * 3,
                    source.topDownRow(int32_t(b.sy + row)) + b.sx * 3, static_cast<size_t>(b.w * 3));
    }
}

void cDIBSection::PaintPicture(QImage& dest, int32_t destLeft, int32_t destTop, int32_t destWidth,
                               int32_t destHeight, int32_t srcLeft, int32_t srcTop) const {
    const QImage::Format f = dest.format();
    if (!bits_ || dest.isNull() ||
        (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied)) {
        return;
    }
    Block b{srcLeft, srcTop, destLeft, destTop, destWidth < 0 ? Width() : destWidth,
            destHeight < 0 ? Height() : destHeight};
    if (!clip(b, Width(), Height(), dest.width(), dest.height())) return;
    for (int64_t row = 0; row < b.h; ++row) {
        const uint8_t* src = topDownRow(int32_t(b.sy + row)) + b.sx * 3;
        auto* dst = reinterpret_cast<uint32_t*>(dest.scanLine(int(b.dy + row))) + b.dx;
        for (int64_t x = 0; x < b.w; ++x, src += 3) {
            dst[x] = 0xFF000000u | (uint32_t(src[2]) << 16) | (uint32_t(src[1]) << 8) | src[0];
        }
    }
}

void cDIBSection::ClearUp() {
    bits_.reset();
    capacity_ = 0;
    capacityUsed_ = 0;
}

}  // namespace kelmora
