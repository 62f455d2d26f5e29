#pragma once
// The movies that ship with the program, made by our SWF writer.
#include "util/Result.h"
#include "swf/writer/BitWriter.h"

namespace kelmora::samples {

// One empty frame: what the player shows between conversions.
swf::Bytes blankMovie();
// Four seconds at 8 fps, 550 x 400: shapes, a gradient, a bitmap and a nested clip.
swf::Bytes sampleMovie();
// frames frames, each a different solid colour (frameColour), for checking stored pictures.
swf::Bytes colourFramesMovie(int frames, double frameRate, int width, int height);
uint32_t frameColour(int frame);  // 0xRRGGBB

}  // namespace kelmora::samples
