// Reads arbitrary bytes as the ID3 tag at the start of a loaded MP3 file, then counts the MP3
// frames after it as Sound.loadSound does.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "player/media/Id3Tags.h"
#include "player/media/Mp3Frames.h"

using namespace kelmora::player;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    size_t textBytes = 0;
    if (auto tag = readId3Tag(bytes)) {
        for (const Id3Frame& f : tag->frames) textBytes += f.id.size() + f.text.size();
        bytes = bytes.subspan(std::min(tag->size, bytes.size()));
    }
    uint64_t samples = 0;
    forEachMp3Frame(bytes, [&](std::span<const uint8_t> frame) {
        if (auto header = readMp3FrameHeader(frame)) samples += static_cast<uint64_t>(header->samples);
    });
    return textBytes + samples == 0 ? 0 : 0;
}
