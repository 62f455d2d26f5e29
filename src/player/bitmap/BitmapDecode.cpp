// decodeBitmap: the bitmap tags (DefineBits, DefineBitsJPEG2-4, DefineBitsLossless/2) to
// premultiplied ARGB pictures.
#include <string>

#include "player/bitmap/BitmapApi.h"
#include "player/bitmap/BitmapLimits.h"
#include "player/bitmap/GifDecode.h"
#include "player/bitmap/Inflate.h"
#include "player/bitmap/JpegDecode.h"
#include "player/bitmap/LosslessDecode.h"
#include "player/bitmap/PixelMath.h"
#include "player/bitmap/PngDecode.h"
#include "player/format/BitReader.h"

namespace kelmora::player {

namespace {

// JPEG, PNG or GIF, told apart by their signatures as Flash Player does.
Result<PixelBuffer> decodeEmbeddedPicture(std::span<const uint8_t> data, std::span<const uint8_t> tables,
                                          bool& isJpeg) {
    isJpeg = false;
    if (hasPngSignature(data)) return decodePng(data);
    if (hasGifSignature(data)) return decodeGif(data);
    isJpeg = true;
    return decodeJpeg(joinJpegStream(tables, data));
}

// DefineBitsJPEG3/4's alpha plane: one byte per pixel, zlib-compressed. Missing bytes are opaque.
void applyAlphaPlane(PixelBuffer& pixels, std::span<const uint8_t> zlibAlpha) {
    if (zlibAlpha.empty()) return;
    const size_t count = size_t(pixels.width()) * size_t(pixels.height());
    auto alpha = inflateBounded(zlibAlpha, count);
    if (!alpha) return;
    uint32_t* p = pixels.data();
    for (size_t i = 0; i < alpha->size(); ++i) {
        uint32_t c = p[i];
        p[i] = premultipliedPixel((*alpha)[i], redOf(c), greenOf(c), blueOf(c));
    }
}

std::string tagName(uint16_t tagCode) {
    switch (tagCode) {
    case 6: return "DefineBits";
    case 21: return "DefineBitsJPEG2";
    case 35: return "DefineBitsJPEG3";
    case 90: return "DefineBitsJPEG4";
    case 20: return "DefineBitsLossless";
    case 36: return "DefineBitsLossless2";
    default: return "tag " + std::to_string(tagCode);
    }
}

Result<PixelBuffer> decodeBody(uint16_t tagCode, BitReader& in, std::span<const uint8_t> jpegTables) {
    switch (tagCode) {
    case 6: {
        bool isJpeg = false;
        return decodeEmbeddedPicture(in.rest(), jpegTables, isJpeg);
    }
    case 21: {
        bool isJpeg = false;
        return decodeEmbeddedPicture(in.rest(), {}, isJpeg);
    }
    case 35:
    case 90: {
        uint32_t alphaOffset = in.u32();
        if (tagCode == 90) in.u16();  // deblocking filter strength: not applied
        if (in.failed()) return makeError("header cut short");
        std::span<const uint8_t> rest = in.rest();
        if (alphaOffset > rest.size()) return makeError("picture data cut short");
        bool isJpeg = false;
        auto picture = decodeEmbeddedPicture(rest.first(alphaOffset), {}, isJpeg);
        if (picture && isJpeg) applyAlphaPlane(*picture, rest.subspan(alphaOffset));
        return picture;
    }
    case 20:
    case 36:
        return decodeLossless(in, tagCode == 36);
    default:
        return makeError("not a bitmap tag");
    }
}

}  // namespace

Result<std::shared_ptr<BitmapDef>> decodeBitmap(uint16_t tagCode, std::span<const uint8_t> body,
                                                std::span<const uint8_t> jpegTables) {
    BitReader in(body);
    uint16_t id = in.u16();
    if (in.failed()) return makeError(tagName(tagCode) + ": tag cut short");
    auto pixels = decodeBody(tagCode, in, jpegTables);
    if (!pixels)
        return makeError(tagName(tagCode) + " " + std::to_string(id) + ": " + pixels.error().message);
    auto def = std::make_shared<BitmapDef>();
    def->id = id;
    def->pixels = std::move(*pixels);
    return def;
}

}  // namespace kelmora::player
