// ScriptEngine as the bitmap classes' host: attachBitmap, BitmapData.draw of a clip, exported
// bitmaps for BitmapData.loadBitmap and MovieClip.filters.
#include <algorithm>
#include <cmath>

#include "player/display/BitmapObject.h"
#include "player/display/FrameRenderer.h"
#include "player/display/MovieClip.h"
#include "player/display/Stage.h"
#include "player/format/MovieDef.h"
#include "player/script/ScriptEngine.h"

namespace kelmora::player::script {

namespace {
constexpr int kDepthOffset = 16384;
constexpr int kMaxScriptDepth = 2130690044;
}  // namespace

bool ScriptEngine::attachBitmap(ClipId clip, std::shared_ptr<const BitmapSurface> bitmap, int depth, bool smoothing) {
    MovieClip* parent = movieClip(clip);
    if (!parent || !bitmap || depth < -kDepthOffset || depth > kMaxScriptDepth ||
        parent->context().instanceCount() >= kMaxInstances)
        return false;
    auto character = std::make_shared<AttachedBitmapCharacter>(std::move(bitmap), smoothing);
    auto made = std::make_unique<BitmapObject>(parent->context(), std::move(character));
    made->placedByTimeline = false;
    parent->addChild(depth + kDepthOffset, std::move(made));
    return true;
}

bool ScriptEngine::drawClip(ClipId clip, const Matrix& matrix, const ColorTransform& cx, std::optional<Rect> clipRect,
                            BitmapSurface& target) {
    MovieClip* source = movieClip(clip);
    if (!source || target.disposed || target.width <= 0 || target.height <= 0) return false;
    flushDrawings();
    PixelBuffer layer(target.width, target.height);
    layer.fill(0);
    FrameRenderer renderer;
    // The clip's own pixels (twips / 20) through the script's matrix into the bitmap.
    Matrix toPixels = matrix * Matrix::scale(1 / kTwipsPerPixel, 1 / kTwipsPerPixel);
    renderer.render(source->children(), source->context(), toPixels, layer, source->drawing.get());
    int x0 = 0, y0 = 0, x1 = target.width, y1 = target.height;
    if (clipRect) {
        auto fix = [](double v, int hi) { return std::isnan(v) ? 0 : int(std::clamp(std::floor(v), 0.0, double(hi))); };
        x0 = fix(clipRect->xMin, target.width);
        y0 = fix(clipRect->yMin, target.height);
        x1 = fix(clipRect->xMax, target.width);
        y1 = fix(clipRect->yMax, target.height);
    }
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            uint32_t s = layer.pixel(x, y);
            if (!cx.isIdentity()) {
                uint32_t straight = unpremultiply(s);
                Rgba o = cx.apply(Rgba{uint8_t(straight >> 16), uint8_t(straight >> 8), uint8_t(straight),
                                       uint8_t(straight >> 24)});
                s = premultiply((uint32_t(o.a) << 24) | (uint32_t(o.r) << 16) | (uint32_t(o.g) << 8) | o.b);
            }
            uint32_t sa = s >> 24;
            if (sa == 0) continue;
            uint32_t& d = target.at(x, y);
            uint32_t out = 0;
            for (int sh = 0; sh < 32; sh += 8) {
                uint32_t sc = (s >> sh) & 0xFF, dc = (d >> sh) & 0xFF;
                out |= std::min<uint32_t>(255, sc + (dc * (255 - sa) + 127) / 255) << sh;
            }
            d = target.transparent ? out : premultiply(unpremultiply(out) | 0xFF000000u);
        }
    target.changed();
    return true;
}

bool ScriptEngine::exportedBitmap(ClipId clip, std::string_view name, BitmapSurface& out) {
    DisplayObject* o = object(clip);
    if (!o && stage_) o = stage_->level(0);
    if (!o) return false;
    const auto& exports = o->context().movie().exports();
    auto it = exports.find(std::string(name));
    if (it == exports.end()) return false;
    const PixelBuffer* picture = o->context().bitmap(it->second);
    if (!picture || picture->empty()) return false;
    out.width = picture->width();
    out.height = picture->height();
    out.pixels.assign(picture->data(), picture->data() + size_t(out.width) * out.height);
    out.transparent = std::any_of(out.pixels.begin(), out.pixels.end(), [](uint32_t p) { return (p >> 24) != 255; });
    out.disposed = false;
    out.changed();
    return true;
}

std::vector<Filter> ScriptEngine::clipFilters(ClipId clip) {
    DisplayObject* o = object(clip);
    return o ? o->filters : std::vector<Filter>{};
}

void ScriptEngine::setClipFilters(ClipId clip, std::vector<Filter> filters) {
    if (DisplayObject* o = object(clip)) o->filters = std::move(filters);
}

}  // namespace kelmora::player::script
