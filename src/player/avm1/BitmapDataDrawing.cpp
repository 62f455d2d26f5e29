// Where BitmapData meets the display: MovieClip.attachBitmap, BitmapData.draw (of a clip or of
// another bitmap), BitmapData.loadBitmap and applyFilter.
#include <algorithm>
#include <cmath>

#include "player/avm1/BitmapHost.h"
#include "player/avm1/BitmapDataMethods.h"
#include "player/avm1/Builtins.h"
#include "player/avm1/FilterObjects.h"
#include "player/avm1/GeomSupport.h"
#include "player/display/ImageDraw.h"

namespace kelmora::player::avm1 {

BitmapHost* bitmapHost(Interpreter& in) { return dynamic_cast<BitmapHost*>(&in.host()); }

namespace {

PixelBuffer toBuffer(const BitmapSurface& s) {
    PixelBuffer b(s.width, s.height);
    std::copy(s.pixels.begin(), s.pixels.end(), b.data());
    return b;
}

// Copies `from` back into the surface, only inside `limit` (bitmap pixels) when given.
void storeBuffer(const PixelBuffer& from, BitmapSurface& s, std::optional<Rect> limit) {
    PixelRect r{0, 0, s.width, s.height};
    if (limit) {
        auto fix = [](double v) { return static_cast<int>(std::clamp(std::isnan(v) ? 0.0 : std::floor(v), -1e9, 1e9)); };
        r = clipRect({fix(limit->xMin), fix(limit->yMin), fix(limit->xMax) - fix(limit->xMin),
                      fix(limit->yMax) - fix(limit->yMin)},
                     s.width, s.height);
    }
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x) {
            uint32_t p = from.pixel(x, y);
            s.at(x, y) = s.transparent ? p : premultiply(unpremultiply(p) | 0xFF000000u);
        }
    s.changed();
}

Value attachBitmap(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* clip = self.object();
    BitmapHost* host = bitmapHost(in);
    std::shared_ptr<BitmapSurface> surface = sharedSurfaceOf(arg(args, 0));
    if (!clip || clip->kind() != ObjectKind::Clip || !host || !surface || args.size() < 2) return Value();
    bool smoothing = args.size() > 3 && in.toBoolean(args[3]);
    host->attachBitmap(clip->clip, surface, in.toInt(args[1]), smoothing);
    return Value();
}

Value draw(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.empty()) return Value(-1);
    Matrix m;
    if (Object* mo = arg(args, 1).object()) m = matrixOf(in, mo);
    ColorTransform cx;
    if (ScriptColorTransform* c = colorTransformOf(arg(args, 2))) cx = c->toFixed();
    std::optional<Rect> limit;
    if (args.size() > 4) {
        if (auto r = rectangleOf(in, args[4])) limit = r;
    }
    bool smoothing = args.size() > 5 && in.toBoolean(args[5]);
    if (BitmapSurface* src = bitmapDataOf(args[0])) {
        PixelBuffer target = toBuffer(*s);
        PixelBuffer image = toBuffer(*src);
        drawImage(image, m, cx, smoothing, target);
        storeBuffer(target, *s, limit);
        return Value();
    }
    Object* o = args[0].object();
    BitmapHost* host = bitmapHost(in);
    if (o && o->kind() == ObjectKind::Clip && host) host->drawClip(o->clip, m, cx, limit, *s);
    return Value();
}

Value loadBitmap(Interpreter& in, const Value&, std::span<const Value> args) {
    BitmapHost* host = bitmapHost(in);
    if (!host || args.empty()) return Value();
    BitmapSurface loaded;
    if (!host->exportedBitmap(in.currentTarget(), in.toString(args[0]), loaded)) return Value();
    if (!bitmapSizeAllowed(loaded.width, loaded.height, 99)) return Value();
    Object* o = newBitmapData(in, loaded.width, loaded.height, loaded.transparent, 0);
    *bitmapDataOf(Value(o)) = std::move(loaded);
    return Value(o);
}

Value applyFilter(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.size() < 4) return Value(-1);
    BitmapSurface* src = anyBitmapDataOf(args[0]);
    if (!src) return Value(-2);
    if (src->disposed) return Value(-3);
    auto r = pixelRectOf(in, args[1]);
    if (!r) return Value(-4);
    PixelPoint at = pixelPointOf(in, args[2]);
    std::optional<Filter> filter = filterOf(in, args[3]);
    if (!filter) return Value(-5);
    PixelRect c = clipRect(*r, src->width, src->height);
    if (c.width <= 0 || c.height <= 0) return Value(0);
    // The filter may reach past the rectangle: work on a margin around it.
    Rect grow = filterMargins({*filter}, 1, 1);
    int left = int(grow.xMin), top = int(grow.yMin);
    PixelBuffer layer(c.width + left + int(grow.xMax), c.height + top + int(grow.yMax));
    layer.fill(0);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) layer.row(y + top)[x + left] = src->at(c.x + x, c.y + y);
    applyFilters(layer, {*filter}, 1, 1, threadFilterScratch());
    BitmapSurface before = *s;
    for (int y = 0; y < layer.height(); ++y)
        for (int x = 0; x < layer.width(); ++x) {
            const int64_t dx = int64_t(at.x) + x - left, dy = int64_t(at.y) + y - top;
            if (dx < 0 || dy < 0 || dx >= s->width || dy >= s->height) continue;
            bool inRect = x >= left && y >= top && x < left + c.width && y < top + c.height;
            if (!inRect && layer.pixel(x, y) == 0) continue;
            uint32_t p = layer.pixel(x, y);
            s->at(int(dx), int(dy)) = s->transparent ? p : premultiply(unpremultiply(p) | 0xFF000000u);
        }
    s->changed();
    return Value(0);
}

}  // namespace

void installBitmapDataDrawing(Interpreter& in, Object* proto, Object* ctor) {
    in.method(proto, "draw", draw);
    in.method(proto, "applyFilter", applyFilter);
    in.method(ctor, "loadBitmap", loadBitmap);
    in.method(in.movieClipPrototype, "attachBitmap", attachBitmap);
}

}  // namespace kelmora::player::avm1
