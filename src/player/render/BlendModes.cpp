// Blend modes on premultiplied colours. The separable ones follow the usual compositing
// definitions: result = B(s, d) inside both, plus each picture's own colour where the other is
// transparent; alpha = sa + da - sa*da.
#include <algorithm>

#include "player/render/EffectsApi.h"
#include "player/render/FilterPixels.h"

namespace kelmora::player {

namespace {

inline int m255(int x, int y) { return static_cast<int>(mul255(static_cast<uint32_t>(x), static_cast<uint32_t>(y))); }

inline uint8_t clampTo(int v, int hi) { return static_cast<uint8_t>(std::clamp(v, 0, hi)); }

// Applies `mix(s, d, sa, da)` to each colour channel; alpha as for normal drawing.
template <class Mix>
inline uint32_t separable(uint32_t src, uint32_t dst, Mix mix) {
    int sa = alphaOf(src), da = alphaOf(dst);
    int a = sa + da - m255(sa, da);
    auto ch = [&](int s, int d) { return clampTo(mix(s, d, sa, da), a); };
    return packArgb(uint8_t(a), ch(redOf(src), redOf(dst)), ch(greenOf(src), greenOf(dst)),
                    ch(blueOf(src), blueOf(dst)));
}

// Hard light with `top` as the light: 2*t*b where the top is dark, a screen where it is light.
inline int hardLight(int t, int b, int ta, int ba) {
    int both = 2 * t <= ta ? 2 * m255(t, b) : m255(ta, ba) - 2 * m255(ba - b, ta - t);
    return both + m255(t, 255 - ba) + m255(b, 255 - ta);
}

uint32_t blendPixel(uint32_t s, uint32_t d, BlendMode mode) {
    switch (mode) {
    case BlendMode::Multiply:
        return separable(s, d, [](int s, int d, int sa, int da) {
            return m255(s, d) + m255(s, 255 - da) + m255(d, 255 - sa);
        });
    case BlendMode::Screen:
        return separable(s, d, [](int s, int d, int, int) { return s + d - m255(s, d); });
    case BlendMode::Lighten:
        return separable(s, d, [](int s, int d, int sa, int da) {
            return std::max(m255(s, da), m255(d, sa)) + m255(s, 255 - da) + m255(d, 255 - sa);
        });
    case BlendMode::Darken:
        return separable(s, d, [](int s, int d, int sa, int da) {
            return std::min(m255(s, da), m255(d, sa)) + m255(s, 255 - da) + m255(d, 255 - sa);
        });
    case BlendMode::Difference:
        return separable(s, d, [](int s, int d, int sa, int da) {
            return s + d - 2 * std::min(m255(s, da), m255(d, sa));
        });
    case BlendMode::Add:
        return addPixels(s, d);
    case BlendMode::Subtract:
        return separable(s, d, [](int s, int d, int, int) { return d - s; });
    case BlendMode::Invert: {
        // What lies beneath turns to its negative where the object covers it; its own colour is unused.
        int sa = alphaOf(s), da = alphaOf(d);
        auto ch = [&](int dc) { return clampTo(m255(da - dc, sa) + m255(dc, 255 - sa), da); };
        return packArgb(uint8_t(da), ch(redOf(d)), ch(greenOf(d)), ch(blueOf(d)));
    }
    case BlendMode::Alpha:
        return scalePixel(d, alphaOf(s));
    case BlendMode::Erase:
        return scalePixel(d, 255 - alphaOf(s));
    case BlendMode::Overlay:
        return separable(s, d, [](int s, int d, int sa, int da) { return hardLight(d, s, da, sa); });
    case BlendMode::HardLight:
        return separable(s, d, [](int s, int d, int sa, int da) { return hardLight(s, d, sa, da); });
    case BlendMode::Normal:
    case BlendMode::Layer:
    default:
        return overPixel(s, d);
    }
}

template <BlendMode M>
void blendRows(PixelBuffer& dst, const PixelBuffer& src, int ox, int oy, int x0, int x1, int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
        uint32_t* d = dst.row(y);
        const uint32_t* s = src.row(y - oy) - ox;
        for (int x = x0; x < x1; ++x) {
            uint32_t sp = s[x];
            // A transparent source leaves the picture alone in every mode but alpha.
            if constexpr (M != BlendMode::Alpha) {
                if (sp == 0) continue;
            }
            d[x] = blendPixel(sp, d[x], M);
        }
    }
}

}  // namespace

void blendLayer(PixelBuffer& dst, const PixelBuffer& src, int ox, int oy, BlendMode mode) {
    // Clip the layer to the picture; 64-bit so that far-off offsets cannot overflow.
    int64_t x0 = std::max<int64_t>(0, ox), y0 = std::max<int64_t>(0, oy);
    int64_t x1 = std::min<int64_t>(dst.width(), int64_t{ox} + src.width());
    int64_t y1 = std::min<int64_t>(dst.height(), int64_t{oy} + src.height());
    if (x0 >= x1 || y0 >= y1) return;
    int ax = int(x0), ay = int(y0), bx = int(x1), by = int(y1);
    switch (mode) {
    case BlendMode::Multiply: blendRows<BlendMode::Multiply>(dst, src, ox, oy, ax, bx, ay, by); break;
    case BlendMode::Screen: blendRows<BlendMode::Screen>(dst, src, ox, oy, ax, bx, ay, by); break;
    case BlendMode::Lighten: blendRows<BlendMode::Lighten>(dst, src, ox, oy, ax, bx, ay, by); break;
    case BlendMode::Darken: blendRows<BlendMode::Darken>(dst, src, ox, oy, ax, bx, ay, by); break;
    case BlendMode::Difference: blendRows<BlendMode::Difference>(dst, src, ox, oy, ax, bx, ay, by); break;
    case BlendMode::Add: blendRows<BlendMode::Add>(dst, src, ox, oy, ax, bx, ay, by); break;
    case BlendMode::Subtract: blendRows<BlendMode::Subtract>(dst, src, ox, oy, ax, bx, ay, by); break;
    case BlendMode::Invert: blendRows<BlendMode::Invert>(dst, src, ox, oy, ax, bx, ay, by); break;
    case BlendMode::Alpha: blendRows<BlendMode::Alpha>(dst, src, ox, oy, ax, bx, ay, by); break;
    case BlendMode::Erase: blendRows<BlendMode::Erase>(dst, src, ox, oy, ax, bx, ay, by); break;
    case BlendMode::Overlay: blendRows<BlendMode::Overlay>(dst, src, ox, oy, ax, bx, ay, by); break;
    case BlendMode::HardLight: blendRows<BlendMode::HardLight>(dst, src, ox, oy, ax, bx, ay, by); break;
    default: blendRows<BlendMode::Normal>(dst, src, ox, oy, ax, bx, ay, by); break;
    }
}

}  // namespace kelmora::player
