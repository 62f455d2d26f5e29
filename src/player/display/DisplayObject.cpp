#include "player/display/DisplayObject.h"

#include "player/display/PlayContext.h"

namespace kelmora::player {

DisplayObject::DisplayObject(PlayContext& context, std::shared_ptr<const Character> character)
    : context_(context), character_(std::move(character)) {
    context_.instanceCreated(*this);
}

DisplayObject::~DisplayObject() { context_.instanceDestroyed(*this); }

void DisplayObject::applyPlace(const PlaceObjectRecord& r) {
    if (r.matrix && !transformedByScript) matrix = *r.matrix;
    if (r.colorTransform) colorTransform = *r.colorTransform;
    if (r.ratio) ratio = *r.ratio;
    if (r.name) {
        name = *r.name;
        namedByPlacement = true;
    }
    if (r.clipDepth) clipDepth = *r.clipDepth;
    if (r.filters) filters = *r.filters;
    if (r.blendMode) blendMode = *r.blendMode;
    if (r.cacheAsBitmap) cacheAsBitmap = *r.cacheAsBitmap;
    if (r.visible) visible = *r.visible;
    if (r.backgroundColor) backgroundColor = *r.backgroundColor;
    if (!r.clipActions.empty()) clipActions = r.clipActions;
}

void DisplayObject::resetProperties() {
    matrix = {};
    colorTransform = {};
    ratio = 0;
    name.clear();
    clipDepth = 0;
    filters.clear();
    blendMode = BlendMode::Normal;
    cacheAsBitmap = false;
    visible = true;
    backgroundColor.reset();
    scrollRect.reset();
    clipActions = {};
}

void DisplayObject::copyPropertiesFrom(const DisplayObject& o) {
    depth = o.depth;
    matrix = o.matrix;
    colorTransform = o.colorTransform;
    ratio = o.ratio;
    name = o.name;
    clipDepth = o.clipDepth;
    filters = o.filters;
    blendMode = o.blendMode;
    cacheAsBitmap = o.cacheAsBitmap;
    visible = o.visible;
    backgroundColor = o.backgroundColor;
    scrollRect = o.scrollRect;
    clipActions = o.clipActions;
    placedByTimeline = o.placedByTimeline;
    transformedByScript = o.transformedByScript;
}

}  // namespace kelmora::player
