#include "player/display/VideoObject.h"

#include "player/media/VideoStream.h"

namespace kelmora::player {

VideoObject::VideoObject(PlayContext& context, std::shared_ptr<const Character> character)
    : DisplayObject(context, character) {
    decoder_ = std::make_unique<VideoDecoder>(std::static_pointer_cast<const VideoStreamDef>(character));
}

VideoObject::~VideoObject() = default;

const PixelBuffer* VideoObject::picture() const { return decoder_->frame(ratio); }

}  // namespace kelmora::player
