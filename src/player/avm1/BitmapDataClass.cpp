// flash.display.BitmapData (SWF 8): construction, size properties, pixel access and the simple
// pixel operations. Methods answer the player's status numbers: -1 for too few arguments or a
// disposed bitmap, other negatives for a bad argument.
#include <algorithm>
#include <cmath>

#include "player/avm1/BitmapData.h"
#include "player/avm1/BitmapDataMethods.h"
#include "player/avm1/Builtins.h"
#include "player/avm1/GeomSupport.h"

namespace kelmora::player::avm1 {

bool bitmapSizeAllowed(int width, int height, int swfVersion) {
    if (width <= 0 || height <= 0) return false;
    if (swfVersion < 10) return width <= 2880 && height <= 2880;
    return width <= 8191 && height <= 8191 && static_cast<int64_t>(width) * height <= 16'777'215;
}

BitmapSurface* anyBitmapDataOf(const Value& v) {
    Object* o = v.object();
    auto* s = o ? dynamic_cast<BitmapDataState*>(o->state.get()) : nullptr;
    return s ? s->surface.get() : nullptr;
}

BitmapSurface* bitmapDataOf(const Value& v) {
    BitmapSurface* s = anyBitmapDataOf(v);
    return s && !s->disposed ? s : nullptr;
}

std::shared_ptr<BitmapSurface> sharedSurfaceOf(const Value& v) {
    Object* o = v.object();
    auto* s = o ? dynamic_cast<BitmapDataState*>(o->state.get()) : nullptr;
    return s && !s->surface->disposed ? s->surface : nullptr;
}

namespace {
void setUp(Object* o, int width, int height, bool transparent, uint32_t fill) {
    auto state = std::make_unique<BitmapDataState>();
    BitmapSurface& s = *state->surface;
    s.width = width;
    s.height = height;
    s.transparent = transparent;
    s.pixels.assign(static_cast<size_t>(width) * height, premultiply(transparent ? fill : (fill | 0xFF000000u)));
    o->state = std::move(state);
}
}  // namespace

Object* newBitmapData(Interpreter& in, int width, int height, bool transparent, uint32_t fill) {
    auto proto = in.classPrototypes.find("BitmapData");
    Object* o = in.newObject(proto != in.classPrototypes.end() ? proto->second : nullptr);
    setUp(o, width, height, transparent, fill);
    return o;
}

std::optional<PixelRect> pixelRectOf(Interpreter& in, const Value& v) {
    Object* o = v.object();
    if (!o) return std::nullopt;
    Value x = in.getMember(o, "x"), y = in.getMember(o, "y"), w = in.getMember(o, "width"), h = in.getMember(o, "height");
    if (x.isUndefined() || y.isUndefined() || w.isUndefined() || h.isUndefined()) return std::nullopt;
    return PixelRect{in.toInt(x), in.toInt(y), in.toInt(w), in.toInt(h)};
}

PixelPoint pixelPointOf(Interpreter& in, const Value& v) {
    Object* o = v.object();
    if (!o) return {};
    return {in.toInt(in.getMember(o, "x")), in.toInt(in.getMember(o, "y"))};
}

PixelRect clipRect(PixelRect r, int width, int height) {
    int64_t x0 = std::max<int64_t>(r.x, 0), y0 = std::max<int64_t>(r.y, 0);
    int64_t x1 = std::min<int64_t>(int64_t(r.x) + r.width, width), y1 = std::min<int64_t>(int64_t(r.y) + r.height, height);
    if (x1 <= x0 || y1 <= y0) return {0, 0, 0, 0};
    return {int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
}

namespace {

Value ctorBody(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o || args.size() < 2) return Value();
    int w = in.toInt(args[0]), h = in.toInt(args[1]);
    if (!bitmapSizeAllowed(w, h, in.swfVersion())) return Value();
    bool transparent = args.size() < 3 || in.toBoolean(args[2]);
    uint32_t fill = args.size() < 4 ? 0xFFFFFFFFu : toUint32(in.toNumber(args[3]));
    setUp(o, w, h, transparent, fill);
    return Value();
}

// `new BitmapData(...)` answers undefined when the size is refused.
Value construct(Interpreter& in, const Value&, std::span<const Value> args) {
    if (args.size() < 2) return Value();
    int w = in.toInt(args[0]), h = in.toInt(args[1]);
    if (!bitmapSizeAllowed(w, h, in.swfVersion())) return Value();
    auto proto = in.classPrototypes.find("BitmapData");
    Object* o = in.newObject(proto != in.classPrototypes.end() ? proto->second : nullptr);
    ctorBody(in, o, args);
    return Value(o);
}

Value getWidth(Interpreter&, const Value& self, std::span<const Value>) {
    BitmapSurface* s = bitmapDataOf(self);
    return Value(s ? s->width : -1);
}
Value getHeight(Interpreter&, const Value& self, std::span<const Value>) {
    BitmapSurface* s = bitmapDataOf(self);
    return Value(s ? s->height : -1);
}
Value getTransparent(Interpreter&, const Value& self, std::span<const Value>) {
    BitmapSurface* s = bitmapDataOf(self);
    return s ? Value(s->transparent) : Value(-1);
}
Value getRectangle(Interpreter& in, const Value& self, std::span<const Value>) {
    BitmapSurface* s = bitmapDataOf(self);
    return s ? Value(newRectangle(in, 0, 0, s->width, s->height)) : Value(-1);
}

Value getPixel(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.size() < 2) return Value(-1);
    return Value(static_cast<double>(s->get32(in.toInt(args[0]), in.toInt(args[1])) & 0xFFFFFF));
}

Value getPixel32(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.size() < 2) return Value(-1);
    return Value(static_cast<double>(static_cast<int32_t>(s->get32(in.toInt(args[0]), in.toInt(args[1])))));
}

Value setPixel(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.size() < 3) return Value(-1);
    int x = in.toInt(args[0]), y = in.toInt(args[1]);
    uint32_t rgb = toUint32(in.toNumber(args[2])) & 0xFFFFFF;
    if (s->inside(x, y)) {
        s->set32(x, y, (s->get32(x, y) & 0xFF000000u) | rgb);
        s->changed();
    }
    return Value(0);
}

Value setPixel32(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.size() < 3) return Value(-1);
    int x = in.toInt(args[0]), y = in.toInt(args[1]);
    if (s->inside(x, y)) {
        s->set32(x, y, toUint32(in.toNumber(args[2])));
        s->changed();
    }
    return Value(0);
}

Value fillRect(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.size() < 2) return Value(-1);
    auto r = pixelRectOf(in, args[0]);
    if (!r) return Value(-1);
    uint32_t color = toUint32(in.toNumber(args[1]));
    PixelRect c = clipRect(*r, s->width, s->height);
    uint32_t p = premultiply(s->transparent ? color : (color | 0xFF000000u));
    for (int y = c.y; y < c.y + c.height; ++y)
        std::fill_n(&s->at(c.x, y), c.width, p);
    s->changed();
    return Value(0);
}

Value clone(Interpreter& in, const Value& self, std::span<const Value>) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s) return Value(-1);
    Object* o = newBitmapData(in, s->width, s->height, s->transparent, 0);
    bitmapDataOf(Value(o))->pixels = s->pixels;
    return Value(o);
}

Value dispose(Interpreter&, const Value& self, std::span<const Value>) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s) return Value(-1);
    s->disposed = true;
    s->width = s->height = 0;
    s->pixels = {};
    s->changed();
    return Value(0);
}

Value scroll(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.size() < 2) return Value(-1);
    int dx = in.toInt(args[0]), dy = in.toInt(args[1]);
    if (std::abs(int64_t(dx)) >= s->width || std::abs(int64_t(dy)) >= s->height || (dx == 0 && dy == 0)) return Value(0);
    std::vector<uint32_t> old = s->pixels;
    for (int y = std::max(0, dy); y < std::min(s->height, s->height + dy); ++y)
        for (int x = std::max(0, dx); x < std::min(s->width, s->width + dx); ++x)
            s->at(x, y) = old[static_cast<size_t>(y - dy) * s->width + (x - dx)];
    s->changed();
    return Value(0);
}

Value floodFill(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.size() < 3) return Value(-1);
    int x = in.toInt(args[0]), y = in.toInt(args[1]);
    uint32_t color = toUint32(in.toNumber(args[2]));
    if (!s->inside(x, y)) return Value(0);
    uint32_t target = s->at(x, y);
    uint32_t fill = premultiply(s->transparent ? color : (color | 0xFF000000u));
    if (target == fill) return Value(0);
    // Explicit stack: at most one entry per pixel changed plus four per pixel, never recursion.
    std::vector<std::pair<int, int>> stack{{x, y}};
    while (!stack.empty()) {
        auto [px, py] = stack.back();
        stack.pop_back();
        if (!s->inside(px, py) || s->at(px, py) != target) continue;
        s->at(px, py) = fill;
        stack.push_back({px + 1, py});
        stack.push_back({px - 1, py});
        stack.push_back({px, py + 1});
        stack.push_back({px, py - 1});
    }
    s->changed();
    return Value(1);
}

Value getColorBoundsRect(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.size() < 2) return Value(-1);
    uint32_t mask = toUint32(in.toNumber(args[0])), color = toUint32(in.toNumber(args[1]));
    // The player masks the colour only in transparent bitmaps; an opaque one takes its alpha as full.
    if (s->transparent) color &= mask;
    else color = (color & 0x00FFFFFFu) | (mask & 0xFF000000u);
    bool find = args.size() < 3 || in.toBoolean(args[2]);
    int x0 = s->width, y0 = s->height, x1 = -1, y1 = -1;
    for (int y = 0; y < s->height; ++y)
        for (int x = 0; x < s->width; ++x) {
            // The player compares the stored (premultiplied) values.
            if (((s->at(x, y) & mask) == color) != find) continue;
            x0 = std::min(x0, x);
            y0 = std::min(y0, y);
            x1 = std::max(x1, x);
            y1 = std::max(y1, y);
        }
    // Bounds ending at the top-left pixel count as none, as in the player.
    if (x1 <= 0 && y1 <= 0) return Value(newRectangle(in, 0, 0, 0, 0));
    return Value(newRectangle(in, x0, y0, x1 - x0 + 1, y1 - y0 + 1));
}

Value colorTransform(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.size() < 2) return Value(-1);
    auto r = pixelRectOf(in, args[0]);
    if (!r) return Value(-2);
    ScriptColorTransform* ct = colorTransformOf(args[1]);
    if (!ct) return Value(-3);
    ColorTransform fixed = ct->toFixed();
    PixelRect c = clipRect(*r, s->width, s->height);
    for (int y = c.y; y < c.y + c.height; ++y)
        for (int x = c.x; x < c.x + c.width; ++x) {
            uint32_t p = s->get32(x, y);
            Rgba o = fixed.apply(Rgba{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)});
            s->set32(x, y, (uint32_t(o.a) << 24) | (uint32_t(o.r) << 16) | (uint32_t(o.g) << 8) | o.b);
        }
    s->changed();
    return Value(-1);
}

}  // namespace

void installBitmapDataClass(Interpreter& in) {
    Object* display = flashPackage(in, "display");
    Object* proto = in.newObject();
    Object* ctor = in.makeClass(display, "BitmapData", ctorBody, proto);
    display->findOwn("BitmapData")->flags = 0;
    ctor->nativeConstruct = construct;
    in.classPrototypes["BitmapData"] = proto;
    ctor->define("RED_CHANNEL", Value(1), 0);
    ctor->define("GREEN_CHANNEL", Value(2), 0);
    ctor->define("BLUE_CHANNEL", Value(4), 0);
    ctor->define("ALPHA_CHANNEL", Value(8), 0);
    defineAccessor(in, proto, "width", getWidth, nullptr, 0);
    defineAccessor(in, proto, "height", getHeight, nullptr, 0);
    defineAccessor(in, proto, "transparent", getTransparent, nullptr, 0);
    defineAccessor(in, proto, "rectangle", getRectangle, nullptr, 0);
    in.method(proto, "getPixel", getPixel);
    in.method(proto, "getPixel32", getPixel32);
    in.method(proto, "setPixel", setPixel);
    in.method(proto, "setPixel32", setPixel32);
    in.method(proto, "fillRect", fillRect);
    in.method(proto, "clone", clone);
    in.method(proto, "dispose", dispose);
    in.method(proto, "scroll", scroll);
    in.method(proto, "floodFill", floodFill);
    in.method(proto, "getColorBoundsRect", getColorBoundsRect);
    in.method(proto, "colorTransform", colorTransform);
    installBitmapDataCopyMethods(in, proto);
    installBitmapDataAnalysisMethods(in, proto, ctor);
    installBitmapDataDrawing(in, proto, ctor);
}

}  // namespace kelmora::player::avm1
