#pragma once
// Drop shadow, glow, bevel, gradient glow and gradient bevel on a premultiplied picture.
#include "player/render/FilterGeometry.h"
#include "player/render/FilterScratch.h"

namespace kelmora::player {

void applyShadowFilter(PixelBuffer& layer, const Filter& filter, const FilterGeometry& geometry,
                       FilterScratch& scratch);

}  // namespace kelmora::player
