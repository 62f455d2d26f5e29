// BitmapData methods that look at pixels (compare, hitTest) or fill them from a generator
// (noise, pixelDissolve, perlinNoise), the filter hooks and BitmapData.loadBitmap.
#include <algorithm>
#include <cmath>

#include "player/avm1/BitmapDataMethods.h"
#include "player/avm1/Builtins.h"
#include "player/avm1/GeomSupport.h"

namespace kelmora::player::avm1 {

namespace {

bool hasXY(Interpreter& in, const Value& v) {
    Object* o = v.object();
    return o && !in.getMember(o, "x").isUndefined() && !in.getMember(o, "y").isUndefined();
}

Value compare(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.empty()) return Value(-1);
    BitmapSurface* o = bitmapDataOf(args[0]);
    if (!o) return Value(-2);
    if (o == s) return Value(0);
    if (o->width != s->width) return Value(-3);
    if (o->height != s->height) return Value(-4);
    std::vector<uint32_t> diff(s->pixels.size(), 0);
    bool any = false;
    for (int y = 0; y < s->height; ++y)
        for (int x = 0; x < s->width; ++x) {
            uint32_t a = s->get32(x, y), b = o->get32(x, y);
            if (a == b) continue;
            any = true;
            uint32_t out;
            if ((a & 0xFFFFFF) != (b & 0xFFFFFF)) {
                out = 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8)
                    out |= (((a >> shift) & 0xFF) - ((b >> shift) & 0xFF)) % 256 << shift;
            } else {
                out = ((((a >> 24) - (b >> 24)) & 0xFF) << 24) | 0xFFFFFF;
            }
            diff[size_t(y) * s->width + x] = premultiply(out);
        }
    if (!any) return Value(0);
    Object* result = newBitmapData(in, s->width, s->height, true, 0);
    bitmapDataOf(Value(result))->pixels = std::move(diff);
    return Value(result);
}

uint32_t alphaAt(const BitmapSurface& b, int x, int y) {
    if (!b.inside(x, y)) return 0;
    return b.transparent ? b.at(x, y) >> 24 : 255;
}

// A fully transparent pixel never hits, whatever the threshold.
bool hits(uint32_t alpha, int32_t threshold) { return alpha > 0 && int64_t(alpha) >= threshold; }

Value hitTest(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.size() < 3) return Value(-1);
    if (!hasXY(in, args[0])) return Value(-2);
    PixelPoint first = pixelPointOf(in, args[0]);
    int32_t firstThreshold = in.toInt(args[1]);
    Value second = args[2];
    if (BitmapSurface* other = bitmapDataOf(second)) {
        // Without a point the other bitmap sits at the origin; a bad point is refused (with the
        // first argument blamed when the threshold is left undefined too).
        if (args.size() >= 4 && !hasXY(in, args[3]))
            return Value(args[3].isUndefined() && args.size() > 4 && args[4].isUndefined() ? -2 : -4);
        PixelPoint at = args.size() >= 4 ? pixelPointOf(in, args[3]) : PixelPoint{};
        int32_t secondThreshold = args.size() > 4 ? in.toInt(args[4]) : 1;
        // Overlap of both bitmaps in the shared space.
        int64_t x0 = std::max<int64_t>(first.x, at.x), y0 = std::max<int64_t>(first.y, at.y);
        int64_t x1 = std::min<int64_t>(int64_t(first.x) + s->width, int64_t(at.x) + other->width);
        int64_t y1 = std::min<int64_t>(int64_t(first.y) + s->height, int64_t(at.y) + other->height);
        for (int64_t y = y0; y < y1; ++y)
            for (int64_t x = x0; x < x1; ++x)
                if (hits(alphaAt(*s, int(x - first.x), int(y - first.y)), firstThreshold) &&
                    hits(alphaAt(*other, int(x - at.x), int(y - at.y)), secondThreshold))
                    return Value(true);
        return Value(false);
    }
    Object* o = second.object();
    if (o && !in.getMember(o, "width").isUndefined() && !in.getMember(o, "height").isUndefined() && hasXY(in, second)) {
        auto r = pixelRectOf(in, second);
        PixelRect local{int(int64_t(r->x) - first.x), int(int64_t(r->y) - first.y), r->width, r->height};
        PixelRect c = clipRect(local, s->width, s->height);
        for (int y = c.y; y < c.y + c.height; ++y)
            for (int x = c.x; x < c.x + c.width; ++x)
                if (int64_t(alphaAt(*s, x, y)) >= firstThreshold) return Value(true);
        return Value(false);
    }
    if (!hasXY(in, second)) return Value(-3);
    PixelPoint p = pixelPointOf(in, second);
    int64_t x = int64_t(p.x) - first.x, y = int64_t(p.y) - first.y;
    if (x < 0 || y < 0 || x >= s->width || y >= s->height) return Value(false);
    return Value(hits(alphaAt(*s, int(x), int(y)), firstThreshold));
}

// A small generator of our own, seeded by the script: noise and dissolves repeat for a seed.
struct Lcg {
    uint32_t state;
    explicit Lcg(uint32_t seed) : state(seed ? seed : 1) {}
    uint32_t next() {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    }
};

Value noise(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.empty()) return Value(-1);
    Lcg rng(toUint32(in.toNumber(args[0])));
    uint32_t low = args.size() > 1 ? toUint32(in.toNumber(args[1])) & 0xFF : 0;
    uint32_t high = args.size() > 2 ? toUint32(in.toNumber(args[2])) & 0xFF : 255;
    uint32_t channels = args.size() > 3 ? toUint32(in.toNumber(args[3])) : 7;
    bool gray = args.size() > 4 && in.toBoolean(args[4]);
    if (high < low) std::swap(low, high);
    auto value = [&] { return low + rng.next() % (high - low + 1); };
    for (int y = 0; y < s->height; ++y)
        for (int x = 0; x < s->width; ++x) {
            uint32_t r = 0, g = 0, b = 0, a = 255;
            if (gray) {
                r = g = b = value();
            } else {
                if (channels & 1) r = value();
                if (channels & 2) g = value();
                if (channels & 4) b = value();
            }
            if (channels & 8) a = value();
            s->set32(x, y, (a << 24) | (r << 16) | (g << 8) | b);
        }
    s->changed();
    return Value(0);
}

Value pixelDissolve(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.size() < 3) return Value(-1);
    BitmapSurface* src = anyBitmapDataOf(args[0]);
    if (!src) return Value(-2);
    if (src->disposed) return Value(-3);
    auto r = pixelRectOf(in, args[1]);
    if (!r) return Value(-4);
    PixelPoint at = pixelPointOf(in, args[2]);
    uint32_t seed = args.size() > 3 ? toUint32(in.toNumber(args[3])) : 0;
    int64_t count = args.size() > 4 ? std::max<int64_t>(0, in.toInt(args[4])) : 0;
    uint32_t fill = args.size() > 5 ? toUint32(in.toNumber(args[5])) : 0;
    PixelRect c = clipRect(*r, src->width, src->height);
    int64_t total = int64_t(c.width) * c.height;
    count = std::min(count, total);
    Lcg rng(seed);
    std::vector<uint32_t> srcPixels = src->pixels;
    for (int64_t i = 0; i < count; ++i) {
        int64_t k = rng.next() % std::max<int64_t>(total, 1);
        int sx = c.x + int(k % c.width), sy = c.y + int(k / c.width);
        const int64_t dx = int64_t(at.x) + (int64_t(sx) - r->x), dy = int64_t(at.y) + (int64_t(sy) - r->y);
        if (dx < 0 || dy < 0 || dx >= s->width || dy >= s->height) continue;
        if (src == s) s->set32(int(dx), int(dy), fill);
        else s->at(int(dx), int(dy)) = srcPixels[size_t(sy) * src->width + sx];
    }
    s->changed();
    return Value(static_cast<double>((seed + 1) & 0x7FFFFFFF));
}

Value perlinNoise(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.size() < 6) return Value(-1);
    double bx = std::max(1.0, std::fabs(in.toNumber(args[0]))), by = std::max(1.0, std::fabs(in.toNumber(args[1])));
    if (std::isnan(bx)) bx = 1;
    if (std::isnan(by)) by = 1;
    int octaves = std::clamp(in.toInt(args[2]), 0, 16);
    Lcg rng(toUint32(in.toNumber(args[3])));
    uint32_t channels = args.size() > 6 ? toUint32(in.toNumber(args[6])) : 7;
    bool gray = args.size() > 7 && in.toBoolean(args[7]);
    // Value noise on a lattice per octave: smooth, bounded, and the same for a seed.
    uint32_t salt[4] = {rng.next(), rng.next(), rng.next(), rng.next()};
    auto lattice = [&](int ch, int64_t x, int64_t y, int oct) {
        uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + salt[ch] + uint32_t(oct) * 2246822519u;
        h = (h ^ (h >> 13)) * 1274126177u;
        return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
    };
    auto sample = [&](int ch, double x, double y) {
        double sum = 0, amp = 1, norm = 0, fx = 1 / bx, fy = 1 / by;
        for (int o = 0; o < octaves; ++o) {
            double u = x * fx, v = y * fy;
            int64_t ix = int64_t(std::floor(u)), iy = int64_t(std::floor(v));
            double tx = u - ix, ty = v - iy;
            tx = tx * tx * (3 - 2 * tx);
            ty = ty * ty * (3 - 2 * ty);
            double a = lattice(ch, ix, iy, o), b = lattice(ch, ix + 1, iy, o);
            double c = lattice(ch, ix, iy + 1, o), d = lattice(ch, ix + 1, iy + 1, o);
            sum += amp * ((a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty);
            norm += amp;
            amp /= 2;
            fx *= 2;
            fy *= 2;
        }
        return norm > 0 ? uint32_t(std::clamp(sum / norm * 255, 0.0, 255.0)) : 0u;
    };
    for (int y = 0; y < s->height; ++y)
        for (int x = 0; x < s->width; ++x) {
            uint32_t r = 0, g = 0, b = 0, a = 255;
            if (gray) r = g = b = sample(0, x, y);
            else {
                if (channels & 1) r = sample(0, x, y);
                if (channels & 2) g = sample(1, x, y);
                if (channels & 4) b = sample(2, x, y);
            }
            if (channels & 8) a = sample(3, x, y);
            s->set32(x, y, (a << 24) | (r << 16) | (g << 8) | b);
        }
    s->changed();
    return Value(0);
}

Value generateFilterRect(Interpreter& in, const Value& self, std::span<const Value> args) {
    BitmapSurface* s = bitmapDataOf(self);
    if (!s || args.size() < 2) return Value(-1);
    auto r = pixelRectOf(in, args[0]);
    if (!r) return Value(-2);
    return Value(newRectangle(in, r->x, r->y, r->width, r->height));
}

}  // namespace

void installBitmapDataAnalysisMethods(Interpreter& in, Object* proto, Object* ctor) {
    (void)ctor;
    in.method(proto, "compare", compare);
    in.method(proto, "hitTest", hitTest);
    in.method(proto, "noise", noise);
    in.method(proto, "pixelDissolve", pixelDissolve);
    in.method(proto, "perlinNoise", perlinNoise);
    in.method(proto, "generateFilterRect", generateFilterRect);
}

}  // namespace kelmora::player::avm1
