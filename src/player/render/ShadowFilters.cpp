// Drop shadow, glow, bevel and their gradient forms: all blur the picture's alpha, move it, and
// lay a colour made from it under, over or into the picture.
#include "player/render/ShadowFilters.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "player/render/BoxBlur.h"
#include "player/render/FilterPixels.h"

namespace kelmora::player {

namespace {

enum class Placement { Inner, Outer, Full };

Placement placementOf(const Filter& f) {
    if (f.onTop) return Placement::Full;
    return f.inner ? Placement::Inner : Placement::Outer;
}

void extractAlpha(const PixelBuffer& layer, uint8_t* alpha) {
    const uint32_t* p = layer.data();
    size_t n = static_cast<size_t>(layer.width()) * layer.height();
    for (size_t i = 0; i < n; ++i) alpha[i] = alphaOf(p[i]);
}

// out(x, y) = in(x - dx, y - dy), `outside` where that falls beyond the picture.
void shiftPlane(const uint8_t* in, uint8_t* out, int w, int h, int dx, int dy, uint8_t outside) {
    for (int y = 0; y < h; ++y) {
        uint8_t* o = out + static_cast<size_t>(y) * w;
        int sy = y - dy;
        if (sy < 0 || sy >= h) { std::memset(o, outside, static_cast<size_t>(w)); continue; }
        const uint8_t* r = in + static_cast<size_t>(sy) * w;
        int x0 = std::clamp(dx, 0, w), x1 = std::clamp(w + dx, 0, w);
        std::memset(o, outside, static_cast<size_t>(x0));
        if (x1 > x0) std::memcpy(o + x0, r + (x0 - dx), static_cast<size_t>(x1 - x0));
        std::memset(o + x1, outside, static_cast<size_t>(w - x1));
    }
}

// Strength as a multiplier in 8.8 fixed point, held to what can still change a pixel.
uint32_t strengthFixed(double strength) {
    if (!(strength > 0)) return 0;
    return static_cast<uint32_t>(std::lround(std::min(strength, 256.0) * 256));
}

inline uint32_t strengthen(uint32_t a, uint32_t strength) {
    uint32_t v = (a * strength + 128) >> 8;
    return v > 255 ? 255 : v;
}

// Puts the effect (premultiplied `effect`, drawn where the picture was) together with the picture.
inline uint32_t composite(uint32_t source, uint32_t effect, Placement place, bool knockout, bool showSource) {
    uint32_t sa = alphaOf(source);
    switch (place) {
    case Placement::Inner: {
        uint32_t masked = scalePixel(effect, sa);
        if (knockout || !showSource) return masked;
        return addPixels(masked, scalePixel(source, 255 - alphaOf(effect)));
    }
    case Placement::Outer:
        if (knockout) return scalePixel(effect, 255 - sa);
        if (!showSource) return effect;
        return overPixel(source, effect);
    case Placement::Full:
        if (knockout) return scalePixel(effect, 255 - sa);
        if (!showSource) return effect;
        return overPixel(effect, source);
    }
    return source;
}

void buildRamp(const std::vector<GradientStopRecord>& stops, uint32_t* ramp) {
    if (stops.empty()) { std::fill(ramp, ramp + 256, 0u); return; }
    size_t next = 0;
    for (int i = 0; i < 256; ++i) {
        while (next < stops.size() && stops[next].ratio < i) ++next;
        Rgba c;
        if (next == 0) {
            c = stops.front().color;
        } else if (next >= stops.size()) {
            c = stops.back().color;
        } else {
            const auto& a = stops[next - 1];
            const auto& b = stops[next];
            int span = b.ratio - a.ratio;
            int t = span > 0 ? (i - a.ratio) * 256 / span : 256;
            auto mix = [t](uint8_t x, uint8_t y) { return uint8_t((x * (256 - t) + y * t + 128) >> 8); };
            c = {mix(a.color.r, b.color.r), mix(a.color.g, b.color.g), mix(a.color.b, b.color.b),
                 mix(a.color.a, b.color.a)};
        }
        ramp[i] = premultiplied(c);
    }
}

}  // namespace

void applyShadowFilter(PixelBuffer& layer, const Filter& f, const FilterGeometry& g, FilterScratch& s) {
    const int w = layer.width(), h = layer.height();
    if (w <= 0 || h <= 0) return;
    const size_t n = static_cast<size_t>(w) * h;
    const bool bevel = f.kind == Filter::Kind::Bevel || f.kind == Filter::Kind::GradientBevel;
    const bool gradient = f.kind == Filter::Kind::GradientGlow || f.kind == Filter::Kind::GradientBevel;
    const Placement place = placementOf(f);
    const uint32_t strength = strengthFixed(f.strength);

    uint8_t* source = scratchOf(s.sourceAlpha, n);
    uint8_t* blurred = scratchOf(s.effectAlpha, n);
    uint8_t* moved = scratchOf(s.highlightAlpha, n);
    extractAlpha(layer, source);
    std::memcpy(blurred, source, n);
    boxBlur(blurred, w, h, 1, g.blurX, g.blurY, g.passes, s);

    uint32_t* ramp = gradient ? scratchOf(s.ramp, 256) : nullptr;
    if (gradient) buildRamp(f.gradient, ramp);
    const uint32_t color = premultiplied(f.color), highlight = premultiplied(f.highlight);

    if (bevel) {
        // Shadow where the picture lies towards the angle, highlight where it lies away from it.
        uint8_t* shadowSide = moved;                      // blurred(p - offset)
        shiftPlane(blurred, shadowSide, w, h, g.offsetX, g.offsetY, 0);
        // The highlight side is read directly from `blurred` at p + offset.
        for (int y = 0; y < h; ++y) {
            uint32_t* row = layer.row(y);
            int ly = y + g.offsetY;
            for (int x = 0; x < w; ++x) {
                int lx = x + g.offsetX;
                int light = (lx >= 0 && lx < w && ly >= 0 && ly < h) ? blurred[static_cast<size_t>(ly) * w + lx] : 0;
                int dark = shadowSide[static_cast<size_t>(y) * w + x];
                uint32_t effect;
                if (gradient) {
                    int v = dark - light;
                    int sv = static_cast<int>((static_cast<int64_t>(std::abs(v)) * strength + 128) >> 8);
                    sv = std::min(sv, 255);
                    int index = std::clamp(128 + (v < 0 ? -sv : sv) / 2, 0, 255);
                    effect = ramp[index];
                } else {
                    uint32_t da = strengthen(static_cast<uint32_t>(std::max(dark - light, 0)), strength);
                    uint32_t la = strengthen(static_cast<uint32_t>(std::max(light - dark, 0)), strength);
                    effect = addPixels(scalePixel(color, da), scalePixel(highlight, la));
                }
                row[x] = composite(row[x], effect, place, f.knockout, f.compositeSource);
            }
        }
        return;
    }

    // Shadow and glow: inner ones use what lies outside the picture, moved in.
    if (place == Placement::Inner)
        for (size_t i = 0; i < n; ++i) blurred[i] = static_cast<uint8_t>(255 - blurred[i]);
    shiftPlane(blurred, moved, w, h, g.offsetX, g.offsetY, place == Placement::Inner ? 255 : 0);
    for (int y = 0; y < h; ++y) {
        uint32_t* row = layer.row(y);
        const uint8_t* a = moved + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            uint32_t v = strengthen(a[x], strength);
            uint32_t effect = gradient ? ramp[v] : scalePixel(color, v);
            row[x] = composite(row[x], effect, place, f.knockout, f.compositeSource);
        }
    }
}

}  // namespace kelmora::player
