#include <string>

#include "player/format/BitReader.h"
#include "player/media/VideoStream.h"

namespace kelmora::player {

Result<std::shared_ptr<VideoStreamDef>> parseVideoStreamDef(std::span<const uint8_t> body) {
    BitReader in(body);
    auto def = std::make_shared<VideoStreamDef>();
    def->id = in.u16();
    def->frameCount = in.u16();
    def->width = in.u16();
    def->height = in.u16();
    in.ub(4);
    def->deblocking = uint8_t(in.ub(3));
    def->smoothing = in.flag();
    def->codecId = in.u8();
    if (in.failed()) return makeError("DefineVideoStream: tag cut short");
    return def;
}

Result<uint16_t> videoFrameStreamId(std::span<const uint8_t> body) {
    if (body.size() < 2) return makeError("VideoFrame: tag cut short");
    return uint16_t(body[0] | (body[1] << 8));
}

Status addVideoFrame(VideoStreamDef& stream, std::span<const uint8_t> body) {
    BitReader in(body);
    in.u16();
    uint16_t frame = in.u16();
    if (in.failed()) return makeError("VideoFrame for stream " + std::to_string(stream.id) + ": tag cut short");
    std::span<const uint8_t> data = in.rest();
    stream.packets[frame].assign(data.begin(), data.end());
    return Status::success();
}

}  // namespace kelmora::player
