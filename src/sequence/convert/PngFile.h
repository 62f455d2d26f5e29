#pragma once
// Writes the stage picture as a 24-bit RGB PNG file.
#include <string>

#include "player/render/PixelBuffer.h"
#include "util/Result.h"

namespace kelmora::tools {

// Pixels are taken as opaque (the stage always is); premultiplied colour is written as is.
Status writePng(const std::string& path, const player::PixelBuffer& picture);

}  // namespace kelmora::tools
