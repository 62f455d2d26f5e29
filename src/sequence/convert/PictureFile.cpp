#include "sequence/convert/PictureFile.h"

#include "image/BitmapWriter.h"
#include "image/DIBSection.h"
#include "image/JpegWriter.h"
#include "sequence/convert/PngFile.h"

namespace kelmora::convert {
namespace {

// Keeps the JPEG writer's message as the error's text.
class LastMessage : public MessageSink {
public:
    MessageAnswer show(const Message& message) override {
        text = message.text;
        return MessageAnswer::Ok;
    }
    std::string text;
};

std::string oneLine(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
    return text;
}

}  // namespace

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
        thread_local cDIBSection dib;
        if (!dib.CreateFromArgb32(picture.data(), picture.width(), picture.height(), picture.stride()))
            return makeError("the picture is too large for a JPEG file");
        LastMessage message;
        if (!SaveJPG(dib, path, settings.quality, message))
            return makeError("cannot write \"" + path + "\": " + oneLine(message.text));
        return {};
    }
    case PictureKind::Png: return writePng(path, picture, settings.withAlpha);
    }
    return makeError("unknown picture format");
}

}  // namespace kelmora::convert
