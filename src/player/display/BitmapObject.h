#pragma once
// A bitmap a script attached to a clip (MovieClip.attachBitmap): shows the live pixels of a
// BitmapData, one pixel per 20 twips from the clip's origin.
#include <memory>

#include "player/bitmap/BitmapSurface.h"
#include "player/display/DisplayObject.h"
#include "player/render/PixelBuffer.h"

namespace kelmora::player {

struct AttachedBitmapCharacter : Character {
    AttachedBitmapCharacter(std::shared_ptr<const BitmapSurface> s, bool smooth)
        : Character(CharacterKind::Bitmap), surface(std::move(s)), smoothing(smooth) {}
    std::shared_ptr<const BitmapSurface> surface;
    bool smoothing = false;
};

class BitmapObject : public DisplayObject {
public:
    BitmapObject(PlayContext& context, std::shared_ptr<const AttachedBitmapCharacter> character);
    const AttachedBitmapCharacter& bitmap() const { return static_cast<const AttachedBitmapCharacter&>(*character()); }
    // The pixels as they are now; empty once the bitmap was disposed.
    const PixelBuffer& picture() const;
    // Size in twips.
    Rect bounds() const;

private:
    mutable PixelBuffer picture_;
    mutable uint64_t generation_ = 0;
};

}  // namespace kelmora::player
