#include "player/media/Mp3Frames.h"

namespace kelmora::player {

std::optional<Mp3FrameHeader> readMp3FrameHeader(std::span<const uint8_t> b) {
    if (b.size() < 4 || b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return std::nullopt;
    const int version = (b[1] >> 3) & 3;  // 0: MPEG-2.5, 2: MPEG-2, 3: MPEG-1
    const int layer = (b[1] >> 1) & 3;    // 1: Layer III
    const int bitrateIndex = b[2] >> 4;
    const int rateIndex = (b[2] >> 2) & 3;
    const int padding = (b[2] >> 1) & 1;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return std::nullopt;
    static constexpr int kBitratesV1[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static constexpr int kBitratesV2[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static constexpr int kRatesV1[3] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    Mp3FrameHeader h;
    h.sampleRate = kRatesV1[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    h.channels = (b[3] >> 6) == 3 ? 1 : 2;
    h.samples = mpeg1 ? 1152 : 576;
    const int bitrate = (mpeg1 ? kBitratesV1 : kBitratesV2)[bitrateIndex] * 1000;
    h.length = size_t((mpeg1 ? 144 : 72) * bitrate / h.sampleRate + padding);
    return h;
}

}  // namespace kelmora::player
