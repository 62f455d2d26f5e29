#pragma once
// Flash's blur: a box (average) of a given width, centred on each pixel, run horizontally and
// then vertically, repeated per pass. Widths need not be whole: the two pixels just beyond the
// box count by the fraction. Pixels beyond the picture's edges are transparent. Each pass costs
// the same whatever the width (running sums).
#include <cstdint>

#include "player/render/FilterScratch.h"

namespace kelmora::player {

// Blurs an 8-bit picture of `channels` (1 or 4) bytes per pixel in place.
void boxBlur(uint8_t* pixels, int width, int height, int channels, double blurX, double blurY, int passes,
             FilterScratch& scratch);

inline void boxBlur(PixelBuffer& picture, double blurX, double blurY, int passes, FilterScratch& scratch) {
    boxBlur(reinterpret_cast<uint8_t*>(picture.data()), picture.width(), picture.height(), 4, blurX, blurY, passes,
            scratch);
}

}  // namespace kelmora::player
