#pragma once
// Writes an engine picture as a PNG file: 24-bit RGB, or RGBA with straight alpha.
#include <string>

#include "player/render/PixelBuffer.h"
#include "util/Result.h"

namespace kelmora::convert {

// Opaque: alpha is dropped (the stage is opaque, so premultiplied colour is the colour).
// withAlpha: premultiplied colour is turned back into straight colour beside its alpha.
// The file is written under a temporary name and renamed, so a failure leaves no half file.
Status writePng(const std::string& path, const player::PixelBuffer& picture, bool withAlpha = false);

}  // namespace kelmora::convert
