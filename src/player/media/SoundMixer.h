#pragma once
// Mixes what plays during one frame: event sounds (started, stopped and looped as the StartSound
// tags and scripts say, with in/out points and envelopes) and the stream sounds of the timelines
// that entered a frame. Output is 44.1 kHz stereo, interleaved 16-bit, summed and clipped.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "player/media/SoundCache.h"
#include "player/media/SoundEvents.h"

namespace kelmora::player {

class SoundMixer {
public:
    static constexpr int kSampleRate = kMixRate;
    // Event sounds playing at once; later starts are dropped, as the player's own limit does.
    static constexpr size_t kMaxEventChannels = 32;

    // Applies one frame's events in order, then appends `frames` stereo sample frames to out.
    void mixFrame(std::span<const SoundEvent> events, size_t frames, std::vector<int16_t>& out);

    size_t eventChannelCount() const { return events_.size(); }
    size_t streamChannelCount() const { return streams_.size(); }
    const std::vector<std::string>& warnings() const { return cache_.warnings(); }

private:
    struct EventChannel {
        const SoundDef* sound = nullptr;  // for stop and no-multiple
        std::shared_ptr<const PcmSound> pcm;
        size_t begin = 0, end = 0, position = 0;  // in the sound's sample frames
        uint32_t loopsLeft = 1;                   // counting the one playing
        std::vector<SoundEnvelopePoint> envelope;
    };
    struct StreamChannel {
        const void* clip = nullptr;
        const SoundStreamDef* stream = nullptr;
        std::shared_ptr<const DecodedStream> decoded;
        int64_t position = -1;  // -1: waiting for a frame with a block
        bool entered = false;   // its clip entered a frame in this mix
    };

    void apply(const SoundEvent& e, size_t frames);
    void start(const SoundEvent& e);
    void enterStreamFrame(const SoundEvent& e, size_t frames);
    void addEvent(EventChannel& c, size_t frames);
    void addStream(StreamChannel& c, size_t frames);

    SoundCache cache_;
    std::vector<EventChannel> events_;
    std::vector<StreamChannel> streams_;
    std::vector<int32_t> sum_;
};

}  // namespace kelmora::player
