#include "player/display/BitmapObject.h"

#include <algorithm>

namespace kelmora::player {

BitmapObject::BitmapObject(PlayContext& context, std::shared_ptr<const AttachedBitmapCharacter> character)
    : DisplayObject(context, std::move(character)) {}

const PixelBuffer& BitmapObject::picture() const {
    const BitmapSurface& s = *bitmap().surface;
    if (generation_ != s.generation) {
        generation_ = s.generation;
        if (s.disposed || s.pixels.size() != static_cast<size_t>(s.width) * s.height) {
            picture_.resize(0, 0);
        } else {
            picture_.resize(s.width, s.height);
            std::copy(s.pixels.begin(), s.pixels.end(), picture_.data());
        }
    }
    return picture_;
}

Rect BitmapObject::bounds() const {
    const BitmapSurface& s = *bitmap().surface;
    if (s.disposed) return {};
    return {0, 0, s.width * kTwipsPerPixel, s.height * kTwipsPerPixel};
}

}  // namespace kelmora::player
