#pragma once
// The movie's frame rate as an exact fraction, and how many sound samples belong to how many
// frames, so a sound track is exactly as long as its frames whatever the rate (12.5, 7.8125).
#include <cstdint>

namespace kelmora::convert {

struct FrameRate {
    int numerator = 12, denominator = 1;

    // SWF rates are 8.8 fixed point, so the double is exact; reduced. 0 (or less) counts as 12.
    static FrameRate fromFramesPerSecond(double fps);
    double value() const { return double(numerator) / denominator; }
    // Samples per channel at sampleRate that the first `frames` frames last, rounded to nearest.
    int64_t samplesFor(int64_t frames, int sampleRate) const;
};

}  // namespace kelmora::convert
