#pragma once
// Work memory of the filters, kept between calls so a warmed-up frame allocates nothing.
#include <cstdint>
#include <vector>

#include "player/render/EffectsApi.h"

namespace kelmora::player {

struct FilterScratch {
    std::vector<uint8_t> line;       // one padded row or column of a blur
    std::vector<uint8_t> plane;      // blur's intermediate picture
    std::vector<uint32_t> sums;      // blur's running sums per column
    std::vector<uint8_t> zeros;      // a row of nothing, for rows beyond the edges
    std::vector<uint8_t> sourceAlpha, effectAlpha, highlightAlpha;
    std::vector<uint32_t> ramp;      // gradient filters' 256 premultiplied colours
    PixelBuffer copy;                // convolution reads the unchanged picture
};

// Grows a vector to at least n elements, never shrinking it (so reuse is free).
template <class T>
T* scratchOf(std::vector<T>& v, size_t n) {
    if (v.size() < n) v.resize(n);
    return v.data();
}

}  // namespace kelmora::player
