#pragma once
// What the bitmap and filter classes need from the display side beyond Host: showing a
// BitmapData in a clip, drawing a clip into one, exported bitmaps and a clip's filters. A host
// that shows pictures implements it beside Host; the classes find it with bitmapHost().
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "player/Geometry.h"
#include "player/avm1/Host.h"
#include "player/bitmap/BitmapSurface.h"
#include "player/render/EffectsApi.h"

namespace kelmora::player::avm1 {

class Interpreter;

class BitmapHost {
public:
    virtual ~BitmapHost() = default;
    // MovieClip.attachBitmap: a display object showing the bitmap at `depth` in the clip.
    virtual bool attachBitmap(ClipId clip, std::shared_ptr<const BitmapSurface> bitmap, int depth, bool smoothing) = 0;
    // BitmapData.draw: renders the clip through `matrix` (clip pixels to bitmap pixels) onto the
    // surface, limited to `clipRect` (bitmap pixels) when given.
    virtual bool drawClip(ClipId clip, const Matrix& matrix, const ColorTransform& cx, std::optional<Rect> clipRect,
                          BitmapSurface& target) = 0;
    // BitmapData.loadBitmap: the bitmap exported under `name` by the movie of `clip`.
    virtual bool exportedBitmap(ClipId clip, std::string_view name, BitmapSurface& out) = 0;
    // MovieClip.filters.
    virtual std::vector<Filter> clipFilters(ClipId clip) = 0;
    virtual void setClipFilters(ClipId clip, std::vector<Filter> filters) = 0;
    // MovieClip.transform.matrix: the clip's matrix in its parent's space (tx, ty in twips).
    virtual Matrix clipMatrix(ClipId clip) = 0;
    virtual void setClipMatrix(ClipId clip, const Matrix& m) = 0;
};

BitmapHost* bitmapHost(Interpreter& in);

}  // namespace kelmora::player::avm1
