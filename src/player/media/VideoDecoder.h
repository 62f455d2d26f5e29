#pragma once
// Decodes a video stream's frames with FFmpeg's libavcodec into premultiplied ARGB pictures.
#include <memory>
#include <string>

#include "player/media/VideoStream.h"
#include "player/render/PixelBuffer.h"

namespace kelmora::player {

class VideoDecoder {
public:
    explicit VideoDecoder(std::shared_ptr<const VideoStreamDef> stream);
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // The picture shown at a frame number: the newest packet at or before it, decoded in order.
    // Going back decodes again from the last key frame. Null when nothing could be decoded
    // (unknown codec, no packet yet, broken data); lastError() says why.
    const PixelBuffer* frame(int frameNumber);
    const std::string& lastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// FFmpeg's codec for a SWF codec id, or AV_CODEC_ID_NONE (0) when unknown.
int videoCodecFor(uint8_t codecId);
// Whether a packet starts a key frame (decoding can begin there).
bool isVideoKeyFrame(uint8_t codecId, std::span<const uint8_t> packet);

}  // namespace kelmora::player
