#pragma once
// MP3 frames found in a sound's bytes, so each can go to the decoder as its own packet. Bytes that
// are not a frame header are skipped until the next one, as a player resynchronises.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kelmora::player {

struct Mp3FrameHeader {
    int sampleRate = 0;     // Hz
    int channels = 0;       // 1 or 2
    int samples = 0;        // per channel: 1152 (MPEG-1) or 576 (MPEG-2 and 2.5)
    size_t length = 0;      // bytes, header included
};

// The Layer III header at the start of bytes, or nothing (free bitrate and reserved values are not headers).
std::optional<Mp3FrameHeader> readMp3FrameHeader(std::span<const uint8_t> bytes);

// Calls onFrame(frameBytes) for each whole frame in order; a frame cut short by the end is dropped.
template <class OnFrame>
void forEachMp3Frame(std::span<const uint8_t> bytes, OnFrame&& onFrame) {
    size_t pos = 0;
    while (pos + 4 <= bytes.size()) {
        auto header = readMp3FrameHeader(bytes.subspan(pos));
        if (!header) {
            ++pos;
            continue;
        }
        if (header->length > bytes.size() - pos) return;
        onFrame(bytes.subspan(pos, header->length));
        pos += header->length;
    }
}

}  // namespace kelmora::player
