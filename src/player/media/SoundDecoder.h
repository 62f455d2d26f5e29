#pragma once
// Turns a movie's sound data into 44,100 Hz PCM: uncompressed 8/16-bit, ADPCM, MP3, Nellymoser and
// Speex, decoded with libavcodec and resampled with libswresample. Mono stays mono (the mixer
// spreads it over both sides), which halves the memory of most sounds.
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "player/media/Sound.h"
#include "util/Result.h"

namespace kelmora::player {

inline constexpr int kMixRate = 44100;
// A sound longer than this is cut there: a hostile file of a few megabytes could otherwise ask
// for gigabytes of PCM (two-bit ADPCM at 5.5 kHz grows 128-fold).
inline constexpr size_t kMaxSoundFrames = size_t(kMixRate) * 60 * 20;

struct PcmSound {
    int channels = 1;              // 1 or 2
    std::vector<int16_t> samples;  // interleaved, kMixRate per second
    bool cut = false;              // longer than kMaxSoundFrames

    size_t frames() const { return samples.size() / size_t(channels); }
    size_t bytes() const { return samples.size() * sizeof(int16_t); }
};

struct DecodedStream {
    PcmSound pcm;
    // Where each frame with a block begins in pcm (44.1 kHz sample frames), sorted by frame.
    std::vector<std::pair<uint32_t, int64_t>> frameStarts;

    // Start of that frame's sound, or -1 when the frame has no block.
    int64_t frameStart(uint32_t frame) const;
};

// 44,100 for the rate the file writes as 5512: the player plays it at 5512.5 Hz, an eighth of 44.1 kHz.
// Returned doubled so it stays whole: 11025, 22050, 44100 or 88200.
int doubledRate(int sampleRate);

Result<PcmSound> decodeEventSound(const SoundDef& sound);
Result<DecodedStream> decodeStreamSound(const SoundStreamDef& stream);

}  // namespace kelmora::player
