#pragma once
// A video on stage: shows the stream's frame chosen by the placement's ratio.
#include <memory>

#include "player/display/DisplayObject.h"
#include "player/media/VideoDecoder.h"

namespace kelmora::player {

class VideoObject : public DisplayObject {
public:
    VideoObject(PlayContext& context, std::shared_ptr<const Character> character);
    ~VideoObject() override;
    // The picture for the current ratio; null when nothing can be shown.
    const PixelBuffer* picture() const;
    const VideoStreamDef& stream() const { return static_cast<const VideoStreamDef&>(*character()); }

private:
    std::unique_ptr<VideoDecoder> decoder_;
};

}  // namespace kelmora::player
