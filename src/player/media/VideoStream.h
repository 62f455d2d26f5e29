#pragma once
// Embedded video: DefineVideoStream (60) and the VideoFrame tags (61) that fill it.
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "player/Character.h"
#include "util/Result.h"

namespace kelmora::player {

enum class VideoCodec : uint8_t {
    SorensonH263 = 2,
    ScreenVideo = 3,
    Vp6 = 4,
    Vp6Alpha = 5,
    ScreenVideo2 = 6,
    H264 = 7,
};

struct VideoStreamDef : Character {
    VideoStreamDef() : Character(CharacterKind::Video) {}
    uint16_t frameCount = 0;       // as declared
    uint16_t width = 0, height = 0;  // pixels: the display scales the picture to this box
    uint8_t deblocking = 0;        // 0: as the packets say, 1: off, 2-5: levels
    bool smoothing = false;
    uint8_t codecId = 0;
    // Packets by frame number (the placement's ratio); VideoFrame tags fill it while the movie loads.
    std::map<uint16_t, std::vector<uint8_t>> packets;
};

// (Named apart from the display code's own DefineVideoStream reader, which keeps no packets.)
Result<std::shared_ptr<VideoStreamDef>> parseVideoStreamDef(std::span<const uint8_t> body);
// The stream a VideoFrame tag belongs to (its first U16), or an Error when the tag is too short.
Result<uint16_t> videoFrameStreamId(std::span<const uint8_t> body);
// Adds a VideoFrame's packet to its stream; a later packet for the same frame replaces the earlier one.
Status addVideoFrame(VideoStreamDef& stream, std::span<const uint8_t> body);

}  // namespace kelmora::player
