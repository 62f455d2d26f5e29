#pragma once
// Colour matrix and convolution filters on a premultiplied picture.
#include "player/render/FilterScratch.h"

namespace kelmora::player {

void applyColorMatrix(PixelBuffer& layer, const Filter& filter);
void applyConvolution(PixelBuffer& layer, const Filter& filter, FilterScratch& scratch);

}  // namespace kelmora::player
