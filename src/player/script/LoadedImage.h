#pragma once
// Picture files (JPEG, PNG, GIF) that loadMovie and MovieClipLoader put into clips. A picture
// becomes a one-frame movie of its own size showing the picture at (0,0), so it plays, renders
// and unloads like any loaded movie.
#include <cstdint>
#include <memory>
#include <span>

#include "player/format/MovieDef.h"

namespace kelmora::player::script {

enum class PictureKind : uint8_t { None, Jpeg, Png, Gif };

// What the file's first bytes say it is.
PictureKind pictureKind(std::span<const uint8_t> file);

// The movie showing the picture, or null when the file is no picture we can decode.
std::shared_ptr<const MovieDef> movieFromPicture(std::span<const uint8_t> file, int swfVersion);

}  // namespace kelmora::player::script
