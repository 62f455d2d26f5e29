// How clips cover each other: MovieClip.setMask (a clip shows only under another clip, which is
// then not drawn itself), opaqueBackground (a box of one colour behind the clip's drawing) and
// scrollRect (a window on the clip's drawing).
#include <cmath>

#include "player/avm1/GeomSupport.h"
#include "player/avm1/Object.h"
#include "player/display/DisplayObject.h"
#include "player/script/ScriptEngine.h"

namespace kelmora::player::script {

void ScriptEngine::setMask(ClipId clip, ClipId mask) {
    DisplayObject* o = object(clip);
    if (!o) return;
    if (auto it = masks_.find(clip); it != masks_.end()) {
        if (DisplayObject* old = object(it->second)) --old->maskUsers;
        masks_.erase(it);
        o->scriptMask = nullptr;
    }
    DisplayObject* m = object(mask);
    if (!m || m == o) return;
    o->scriptMask = m;
    ++m->maskUsers;
    // Neither clip masks the layers above it on its timeline any more.
    o->clipDepth = 0;
    m->clipDepth = 0;
    masks_[clip] = mask;
}

void ScriptEngine::forgetMasks(ClipId clip) {
    if (masks_.empty()) return;
    for (auto it = masks_.begin(); it != masks_.end();) {
        if (it->first == clip) {
            if (DisplayObject* m = object(it->second)) --m->maskUsers;
        } else if (it->second == clip) {
            if (DisplayObject* o = object(it->first)) o->scriptMask = nullptr;
        } else {
            ++it;
            continue;
        }
        it = masks_.erase(it);
    }
}

std::optional<avm1::Value> ScriptEngine::layerProperty(ClipId clip, std::string_view name) {
    if (auto v = clipStateProperty(clip, name)) return v;
    DisplayObject* o = object(clip);
    if (!o || !o->asMovieClip()) return std::nullopt;
    if (avm1::NameEqual{false}(name, "scrollRect")) {
        if (!o->scrollRect) return avm1::Value();
        const Rect& r = *o->scrollRect;
        return avm1::Value(avm1::newRectangle(*interpreter_, r.xMin / kTwipsPerPixel, r.yMin / kTwipsPerPixel,
                                              r.width() / kTwipsPerPixel, r.height() / kTwipsPerPixel));
    }
    if (!avm1::NameEqual{false}(name, "opaqueBackground")) return std::nullopt;
    if (!o->backgroundColor) return avm1::Value();
    const Rgba c = *o->backgroundColor;
    return avm1::Value(static_cast<double>((uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b));
}

bool ScriptEngine::setLayerProperty(ClipId clip, std::string_view name, const avm1::Value& value) {
    if (setClipStateProperty(clip, name, value)) return true;
    DisplayObject* o = object(clip);
    if (!o || !o->asMovieClip()) return false;
    if (avm1::NameEqual{false}(name, "scrollRect")) {
        // Anything but a rectangle with a size takes the window away.
        std::optional<Rect> r = avm1::rectangleOf(*interpreter_, value);
        auto finite = [](double v) { return std::isfinite(v) && std::abs(v) < 1e7; };
        if (r && finite(r->xMin) && finite(r->yMin) && finite(r->xMax) && finite(r->yMax) && r->xMax >= r->xMin &&
            r->yMax >= r->yMin) {
            o->scrollRect = Rect{r->xMin * kTwipsPerPixel, r->yMin * kTwipsPerPixel, r->xMax * kTwipsPerPixel,
                                 r->yMax * kTwipsPerPixel};
        } else {
            o->scrollRect.reset();
        }
        return true;
    }
    if (!avm1::NameEqual{false}(name, "opaqueBackground")) return false;
    if (value.isNullish()) {
        o->backgroundColor.reset();
        return true;
    }
    const double n = interpreter_->toNumber(value);
    if (std::isnan(n)) {
        o->backgroundColor.reset();
        return true;
    }
    const uint32_t rgb = static_cast<uint32_t>(avm1::toInt32(n));
    o->backgroundColor = Rgba{static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb), 255};
    return true;
}

}  // namespace kelmora::player::script
