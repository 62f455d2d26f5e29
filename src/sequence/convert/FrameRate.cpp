#include "sequence/convert/FrameRate.h"

#include <cmath>
#include <numeric>

namespace kelmora::convert {

FrameRate FrameRate::fromFramesPerSecond(double fps) {
    if (!(fps > 0) || fps > 65536) return {};
    const int fixed = int(std::lround(fps * 256));
    if (fixed <= 0) return {};
    const int g = std::gcd(fixed, 256);
    return {fixed / g, 256 / g};
}

int64_t FrameRate::samplesFor(int64_t frames, int sampleRate) const {
    // frames / (num/den) seconds, times the rate; in whole numbers, so no drift over long movies.
    const int64_t scaled = frames * int64_t(sampleRate) * denominator;
    return (scaled + numerator / 2) / numerator;
}

}  // namespace kelmora::convert
