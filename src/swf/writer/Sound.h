#pragma once
// Sound and video tags' records: sound formats, SOUNDINFO, stream heads, video streams.
#include <cstdint>
#include <optional>
#include <vector>

#include "swf/writer/BitWriter.h"

namespace kelmora::swf {

enum class SoundCodec : std::uint8_t {
    UncompressedNative = 0, Adpcm = 1, Mp3 = 2, UncompressedLittleEndian = 3, Nellymoser16k = 4,
    Nellymoser8k = 5, Nellymoser = 6, Speex = 11,
};

enum class SoundRate : std::uint8_t { Rate5512 = 0, Rate11025 = 1, Rate22050 = 2, Rate44100 = 3 };

struct SoundFormat {
    SoundCodec codec = SoundCodec::UncompressedLittleEndian;
    SoundRate rate = SoundRate::Rate44100;
    bool sixteenBit = true;
    bool stereo = false;
};

struct SoundEnvelopePoint {
    std::uint32_t position44 = 0;  // in 44.1 kHz samples
    std::uint16_t leftLevel = 32768, rightLevel = 32768;
};

struct SoundInfo {
    bool syncStop = false;
    bool syncNoMultiple = false;
    std::optional<std::uint32_t> inPoint, outPoint;
    std::optional<std::uint16_t> loops;
    std::vector<SoundEnvelopePoint> envelope;  // written when not empty
};

void writeSoundInfo(BitWriter& w, const SoundInfo& info);

enum class VideoCodec : std::uint8_t { H263 = 2, ScreenVideo = 3, Vp6 = 4, Vp6Alpha = 5, ScreenVideo2 = 6 };

struct VideoStream {
    std::uint16_t frameCount = 0;
    std::uint16_t width = 0, height = 0;
    std::uint8_t deblocking = 0;  // 0-7
    bool smoothing = false;
    VideoCodec codec = VideoCodec::H263;
};

}  // namespace kelmora::swf
