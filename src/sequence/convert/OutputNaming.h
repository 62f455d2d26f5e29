#pragma once
// Names of the files a conversion writes. A pattern takes %d or %0Nd for the 1-based frame
// number, {name} for the movie's file name without ".swf", and %% for a percent sign. Without a
// pattern the frames are named as the program names them: the movie's path, "_", the frame
// number in at least four digits, ".jpg".
#include <optional>
#include <string>

#include "util/Result.h"

namespace kelmora::convert {

enum class PictureKind { Bmp, Jpeg, Png };

// From the file name's extension (any case): .bmp, .jpg/.jpeg, .png.
std::optional<PictureKind> pictureKindOf(const std::string& path);

// The movie's file name without its folder and without a ".swf" ending (any case).
std::string movieName(const std::string& moviePath);

// A pattern is usable when it has a frame number and a picture extension.
Status checkFramePattern(const std::string& pattern);
bool patternHasName(const std::string& pattern);

// {name} and the frame number filled in; an empty pattern gives the default name.
std::string frameFileName(const std::string& pattern, const std::string& moviePath, int frame);
// {name} filled in (video files); the rest as written.
std::string videoFileName(const std::string& pattern, const std::string& moviePath);

}  // namespace kelmora::convert
