#pragma once
// One engine picture into one BMP, JPEG or PNG file. Safe to call from several threads at once:
// each thread keeps its own conversion buffer and JPEG encoder between frames.
#include <cstdint>
#include <string>
#include <vector>

#include "player/render/PixelBuffer.h"
#include "sequence/convert/OutputNaming.h"
#include "util/Result.h"

namespace kelmora::convert {

struct PictureSettings {
    PictureKind kind = PictureKind::Jpeg;
    int quality = 100;       // JPEG
    bool withAlpha = false;  // PNG only; the other formats are opaque
};

Status writePictureFile(const player::PixelBuffer& picture, const std::string& path, const PictureSettings& settings);

// One frame of a Motion JPEG video: 4:2:0, as video players expect.
Status encodeVideoJpeg(const player::PixelBuffer& picture, int quality, std::vector<uint8_t>& out);

}  // namespace kelmora::convert
