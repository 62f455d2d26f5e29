#pragma once
// The movie's sound as one track cut at the frames: frame i owns the samples from
// round(i * 44100 / fps) to round((i + 1) * 44100 / fps), so after N frames exactly
// round(N * 44100 / fps) samples exist, whatever the frame rate (12.5 fps: 3528 each; 24 fps:
// 1838 and 1837 in turn). Sound still playing after the last frame is simply never mixed.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "player/media/SoundEvents.h"
#include "player/media/SoundMixer.h"

namespace kelmora::player {

// Sample frames in the first `frames` frames at numerator/denominator frames per second.
// Zero when the rate is zero.
uint64_t trackSamples(uint64_t frames, uint32_t fpsNumerator, uint32_t fpsDenominator);

class SoundTrack {
public:
    // firstFrame: the frame the track begins with (counted from the movie's first, 0-based).
    SoundTrack(uint32_t fpsNumerator, uint32_t fpsDenominator, uint64_t firstFrame = 0);

    // Mixes each frame up to and including `frame` that is not mixed yet. The events belong to the
    // first of them (normally the only one) and are cleared.
    void mixThrough(uint64_t frame, SoundEvents& events);
    // Appends the mixed samples not handed over yet (stereo, interleaved); returns sample frames.
    size_t take(std::vector<int16_t>& out);

    uint64_t samplesMixed() const { return samplesMixed_; }
    const SoundMixer& mixer() const { return mixer_; }

private:
    uint32_t numerator_, denominator_;
    uint64_t nextFrame_;
    uint64_t samplesMixed_ = 0;  // since firstFrame
    uint64_t origin_;            // trackSamples(firstFrame)
    std::vector<int16_t> pending_;
    SoundMixer mixer_;
};

}  // namespace kelmora::player
