// BitmapData methods that read a source bitmap through a rectangle into this one at a point:
// copyPixels, copyChannel, merge, paletteMap and threshold. They work on straight (not
// premultiplied) colours, as the player's results show.
#include <algorithm>
#include <cmath>

#include "player/avm1/BitmapDataMethods.h"
#include "player/avm1/Builtins.h"

namespace kelmora::player::avm1 {

namespace {

// The checks every source method starts with; `status` is set when the call must stop.
struct SourceCall {
    BitmapSurface* dest = nullptr;
    BitmapSurface* source = nullptr;
    PixelRect rect;
    PixelPoint point;
    std::optional<Value> status;
};

SourceCall sourceCall(Interpreter& in, const Value& self, std::span<const Value> args, size_t minArgs) {
    SourceCall c;
    c.dest = bitmapDataOf(self);
    if (!c.dest || args.size() < minArgs) {
        c.status = Value(-1);
        return c;
    }
    BitmapSurface* any = anyBitmapDataOf(args[0]);
    if (!any) {
        c.status = Value(-2);
        return c;
    }
    if (any->disposed) {
        c.status = Value(-3);
        return c;
    }
    c.source = any;
    auto r = pixelRectOf(in, args[1]);
    if (!r) {
        c.status = Value(-4);
        return c;
    }
    c.rect = *r;
    c.point = pixelPointOf(in, args[2]);
    return c;
}

// Calls f(sx, sy, dx, dy) for each pixel of the source rectangle that lands inside both bitmaps.
template <class F>
void forEachPixel(const SourceCall& c, F&& f) {
    PixelRect s = clipRect(c.rect, c.source->width, c.source->height);
    // Keep the destination offset of the unclipped rectangle.
    int64_t offX = int64_t(c.point.x) - c.rect.x, offY = int64_t(c.point.y) - c.rect.y;
    for (int sy = s.y; sy < s.y + s.height; ++sy) {
        int64_t dy = sy + offY;
        if (dy < 0 || dy >= c.dest->height) continue;
        for (int sx = s.x; sx < s.x + s.width; ++sx) {
            int64_t dx = sx + offX;
            if (dx < 0 || dx >= c.dest->width) continue;
            f(sx, sy, int(dx), int(dy));
        }
    }
}

// Pixels read before any is written, so that a bitmap may copy onto itself.
std::vector<uint32_t> snapshot(const SourceCall& c) { return c.source->pixels; }

// Premultiplied source over destination; the player truncates the destination's share.
uint32_t blendOver(uint32_t src, uint32_t dst) {
    uint32_t sa = src >> 24;
    if (sa == 255) return src;
    if (sa == 0) return dst;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        out |= std::min<uint32_t>(255, s + d * (255 - sa) / 255) << shift;
    }
    return out;
}

Value copyPixels(Interpreter& in, const Value& self, std::span<const Value> args) {
    SourceCall c = sourceCall(in, self, args, 3);
    if (c.status) return *c.status;
    // The alpha bitmap counts only with its point.
    BitmapSurface* alpha = args.size() > 4 ? bitmapDataOf(args[3]) : nullptr;
    PixelPoint alphaPoint = args.size() > 4 ? pixelPointOf(in, args[4]) : PixelPoint{};
    bool mergeAlpha = args.size() > 5 && in.toBoolean(args[5]);
    std::vector<uint32_t> src = snapshot(c);
    std::vector<uint32_t> alphaPixels = alpha ? alpha->pixels : std::vector<uint32_t>{};
    int srcW = c.source->width;
    forEachPixel(c, [&](int sx, int sy, int dx, int dy) {
        uint32_t p = src[size_t(sy) * srcW + sx];
        if (alpha) {
            const int64_t ax = int64_t(alphaPoint.x) + (int64_t(sx) - c.rect.x);
            const int64_t ay = int64_t(alphaPoint.y) + (int64_t(sy) - c.rect.y);
            const bool inside = ax >= 0 && ay >= 0 && ax < alpha->width && ay < alpha->height;
            uint32_t a = inside ? (alpha->transparent ? alphaPixels[size_t(ay) * alpha->width + size_t(ax)] >> 24 : 255) : 0;
            uint32_t straight = unpremultiply(p);
            uint32_t combined = a == 255 ? straight >> 24 : ((straight >> 24) * a) >> 8;
            p = premultiply((combined << 24) | (straight & 0xFFFFFF));
        }
        uint32_t& d = c.dest->at(dx, dy);
        // An opaque bitmap can't keep the source's alpha: the source is laid over it.
        if (mergeAlpha || !c.dest->transparent) p = blendOver(p, d);
        d = c.dest->transparent ? p : premultiply(unpremultiply(p) | 0xFF000000u);
    });
    c.dest->changed();
    return Value(0);
}

int channelShift(uint32_t channel) {
    switch (channel) {
    case 1: return 16;
    case 2: return 8;
    case 4: return 0;
    case 8: return 24;
    default: return -1;
    }
}

Value copyChannel(Interpreter& in, const Value& self, std::span<const Value> args) {
    SourceCall c = sourceCall(in, self, args, 5);
    if (c.status) return *c.status;
    int from = channelShift(toUint32(in.toNumber(args[3]))), to = channelShift(toUint32(in.toNumber(args[4])));
    if (from < 0 || to < 0) return Value(0);
    std::vector<uint32_t> src = snapshot(c);
    int srcW = c.source->width;
    forEachPixel(c, [&](int sx, int sy, int dx, int dy) {
        uint32_t v = (unpremultiply(src[size_t(sy) * srcW + sx]) >> from) & 0xFF;
        if (from == 24 && !c.source->transparent) v = 255;
        uint32_t d = c.dest->get32(dx, dy);
        c.dest->set32(dx, dy, (d & ~(0xFFu << to)) | (v << to));
    });
    c.dest->changed();
    return Value(0);
}

Value merge(Interpreter& in, const Value& self, std::span<const Value> args) {
    SourceCall c = sourceCall(in, self, args, 6);
    if (c.status) return *c.status;
    int64_t mult[4];  // by shift/8: b, g, r, a; signed, as the player takes them
    mult[2] = in.toInt(args[3]);
    mult[1] = in.toInt(args[4]);
    mult[0] = in.toInt(args[5]);
    mult[3] = args.size() > 6 ? in.toInt(args[6]) : 256;
    std::vector<uint32_t> src = snapshot(c);
    int srcW = c.source->width;
    forEachPixel(c, [&](int sx, int sy, int dx, int dy) {
        uint32_t s = unpremultiply(src[size_t(sy) * srcW + sx]), d = c.dest->get32(dx, dy);
        uint32_t out = 0;
        for (int i = 0; i < 4; ++i) {
            int64_t sv = (s >> (8 * i)) & 0xFF, dv = (d >> (8 * i)) & 0xFF;
            int64_t v = (sv * mult[i] + dv * (256 - mult[i])) / 256;
            out |= uint32_t(std::clamp<int64_t>(v, 0, 255)) << (8 * i);
        }
        c.dest->set32(dx, dy, out);
    });
    c.dest->changed();
    return Value(-1);
}

Value paletteMap(Interpreter& in, const Value& self, std::span<const Value> args) {
    SourceCall c = sourceCall(in, self, args, 4);
    if (c.status) return *c.status;
    // Tables by channel shift/8: blue, green, red, alpha; a missing table keeps the channel.
    std::optional<std::array<uint32_t, 256>> tables[4];
    const size_t argIndex[4] = {5, 4, 3, 6};
    for (int i = 0; i < 4; ++i) {
        Object* a = argIndex[i] < args.size() ? args[argIndex[i]].object() : nullptr;
        if (!a) continue;  // any object is a table: entries it lacks map to 0
        std::array<uint32_t, 256> t{};
        for (int k = 0; k < 256; ++k) t[k] = toUint32(in.toNumber(in.getMember(a, std::to_string(k))));
        tables[i] = t;
    }
    std::vector<uint32_t> src = snapshot(c);
    int srcW = c.source->width;
    forEachPixel(c, [&](int sx, int sy, int dx, int dy) {
        uint32_t s = unpremultiply(src[size_t(sy) * srcW + sx]);
        uint32_t out = 0;
        for (int i = 0; i < 4; ++i) {
            uint32_t v = (s >> (8 * i)) & 0xFF;
            out += tables[i] ? (*tables[i])[v] : (v << (8 * i));
        }
        c.dest->set32(dx, dy, out);
    });
    c.dest->changed();
    return Value(-1);
}

Value threshold(Interpreter& in, const Value& self, std::span<const Value> args) {
    SourceCall c = sourceCall(in, self, args, 5);
    if (c.status) return *c.status;
    std::string op = in.toString(args[3]);
    uint32_t limit = toUint32(in.toNumber(args[4]));
    uint32_t color = args.size() > 5 ? toUint32(in.toNumber(args[5])) : 0;
    uint32_t mask = args.size() > 6 ? toUint32(in.toNumber(args[6])) : 0xFFFFFFFFu;
    bool copySource = args.size() > 7 && in.toBoolean(args[7]);
    auto test = [&](uint32_t a, uint32_t b) {
        if (op == "<") return a < b;
        if (op == "<=") return a <= b;
        if (op == ">") return a > b;
        if (op == ">=") return a >= b;
        if (op == "==") return a == b;
        if (op == "!=") return a != b;
        return a < b;  // an unknown operation tests as "<", as in the player
    };
    std::vector<uint32_t> src = snapshot(c);
    int srcW = c.source->width;
    int count = 0;
    forEachPixel(c, [&](int sx, int sy, int dx, int dy) {
        // Tested as stored (premultiplied), as the player does.
        uint32_t stored = src[size_t(sy) * srcW + sx], s = unpremultiply(stored);
        if (test(stored & mask, limit & mask)) {
            c.dest->at(dx, dy) = premultiply(color);  // alpha kept even in an opaque bitmap, as the player
            ++count;
        } else if (copySource) {
            // Copied as stored, even into an opaque bitmap, as the player does.
            c.dest->at(dx, dy) = c.dest->transparent ? premultiply(s) : stored;
        }
    });
    c.dest->changed();
    return Value(count);
}

}  // namespace

void installBitmapDataCopyMethods(Interpreter& in, Object* proto) {
    in.method(proto, "copyPixels", copyPixels);
    in.method(proto, "copyChannel", copyChannel);
    in.method(proto, "merge", merge);
    in.method(proto, "paletteMap", paletteMap);
    in.method(proto, "threshold", threshold);
}

}  // namespace kelmora::player::avm1
