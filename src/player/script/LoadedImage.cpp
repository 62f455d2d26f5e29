#include "player/script/LoadedImage.h"

#include <algorithm>
#include <exception>

#include "player/bitmap/GifDecode.h"
#include "player/bitmap/JpegDecode.h"
#include "player/bitmap/PngDecode.h"
#include "swf/writer/SwfWriter.h"

namespace kelmora::player::script {

namespace {
// Flash refused pictures past this side; the decoders cap the pixel count as well.
constexpr int kMaxPictureSide = 8191;
}

PictureKind pictureKind(std::span<const uint8_t> f) {
    if (f.size() >= 3 && f[0] == 0xFF && f[1] == 0xD8 && f[2] == 0xFF) return PictureKind::Jpeg;
    if (f.size() >= 8 && f[0] == 0x89 && f[1] == 'P' && f[2] == 'N' && f[3] == 'G') return PictureKind::Png;
    if (f.size() >= 6 && f[0] == 'G' && f[1] == 'I' && f[2] == 'F' && f[3] == '8') return PictureKind::Gif;
    return PictureKind::None;
}

std::shared_ptr<const MovieDef> movieFromPicture(std::span<const uint8_t> file, int swfVersion) {
    const PictureKind kind = pictureKind(file);
    if (kind == PictureKind::None) return nullptr;
    auto pixels = kind == PictureKind::Jpeg ? decodeJpeg(file) : kind == PictureKind::Png ? decodePng(file) : decodeGif(file);
    if (!pixels) return nullptr;
    const int w = pixels.value().width(), h = pixels.value().height();
    if (w <= 0 || h <= 0 || w > kMaxPictureSide || h > kMaxPictureSide) return nullptr;
    try {
        swf::SwfWriter movie(std::clamp(swfVersion, 8, 10));
        movie.frameSizePixels(w, h);
        swf::ShapeBuilder shape;
        const uint32_t fill = shape.addFill(swf::FillStyle::bitmap(1, swf::Matrix::scale(20, 20), false, false));
        shape.fillOnly(fill).rectPx(0, 0, w, h);
        movie.defineBitsJpeg2(1, file).defineShape(2, shape.build()).place(swf::Place::add(2, 1)).showFrame();
        const swf::Bytes bytes = movie.bytes();
        auto def = MovieDef::load(bytes);
        if (!def) return nullptr;
        return std::move(def.value());
    } catch (const std::exception&) {
        return nullptr;  // a picture too big for a tag
    }
}

}  // namespace kelmora::player::script
