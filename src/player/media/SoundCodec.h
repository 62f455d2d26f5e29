#pragma once
// libavcodec and libswresample behind a narrow face for the sound decoder: a codec session that
// turns packets into 16-bit PCM at the codec's own rate, and the step to 44.1 kHz.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "player/media/SoundDecoder.h"

namespace kelmora::player {

// 16-bit PCM at the sound's own rate, before resampling.
struct SourcePcm {
    int doubledRate = 0;  // see doubledRate(); 0 until the first samples arrive
    int channels = 0;     // 1 or 2; 0 until the first samples arrive
    std::vector<int16_t> samples;
    size_t maxFrames = kMaxSoundFrames;  // more is dropped and `cut` set
    bool cut = false;

    size_t frames() const { return channels ? samples.size() / size_t(channels) : 0; }
    // Appends interleaved frames, up to maxFrames.
    void append(const int16_t* interleaved, size_t frameCount);
};

enum class SoundCodecId { Adpcm, Mp3, Nellymoser, Speex };

class SoundCodecSession {
public:
    // rate and channels: what the file says; codecs that know better (MP3) take their own.
    static Result<std::unique_ptr<SoundCodecSession>> open(SoundCodecId codec, int sampleRate, int channels);
    ~SoundCodecSession();

    // Decodes one packet into out. Broken packets are skipped (the decoder resynchronises); their
    // count is kept. Frames whose rate or channel count differ from the first are dropped.
    void decode(std::span<const uint8_t> packet, SourcePcm& out);
    // Hands over what the codec still holds.
    void flush(SourcePcm& out);
    int brokenPackets() const { return broken_; }

private:
    SoundCodecSession() = default;
    void receive(SourcePcm& out);

    struct Impl;
    std::unique_ptr<Impl> impl_;
    int broken_ = 0;
    int doubledRate_ = 0;  // of the file, for codecs that do not say (5512 is really 5512.5)
};

// The source at 44.1 kHz, same channel count. Exact for 5.5/11/22 kHz sources: the rates are
// taken doubled so 5512.5 Hz stays an eighth.
Result<PcmSound> resampleToMixRate(SourcePcm&& source);

}  // namespace kelmora::player
