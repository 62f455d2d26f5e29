#include "player/media/SoundTrack.h"

namespace kelmora::player {

uint64_t trackSamples(uint64_t frames, uint32_t fpsNumerator, uint32_t fpsDenominator) {
    if (fpsNumerator == 0) return 0;
    // Round half up in whole numbers; 128 bits keep a day of frames at any rate exact.
    using Wide = unsigned __int128;
    const Wide twice = Wide(frames) * Wide(2 * kMixRate) * fpsDenominator;
    return uint64_t((twice + fpsNumerator) / (Wide(2) * fpsNumerator));
}

SoundTrack::SoundTrack(uint32_t fpsNumerator, uint32_t fpsDenominator, uint64_t firstFrame)
    : numerator_(fpsNumerator), denominator_(fpsDenominator), nextFrame_(firstFrame),
      origin_(trackSamples(firstFrame, fpsNumerator, fpsDenominator)) {}

void SoundTrack::mixThrough(uint64_t frame, SoundEvents& events) {
    while (nextFrame_ <= frame) {
        const uint64_t end = trackSamples(nextFrame_ + 1, numerator_, denominator_) - origin_;
        mixer_.mixFrame(events.pending(), size_t(end - samplesMixed_), pending_);
        events.clear();
        samplesMixed_ = end;
        ++nextFrame_;
    }
}

size_t SoundTrack::take(std::vector<int16_t>& out) {
    const size_t frames = pending_.size() / 2;
    out.insert(out.end(), pending_.begin(), pending_.end());
    pending_.clear();
    return frames;
}

}  // namespace kelmora::player
