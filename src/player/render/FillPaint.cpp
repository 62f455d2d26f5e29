#include "player/render/FillPaint.h"

#include <algorithm>
#include <cmath>

#include "player/shape/ShapeApi.h"

namespace kelmora::player {

namespace {

// The farthest a focal point goes towards the circle.
constexpr double kMaxFocal = 0.98;

constexpr double kGradientHalf = 16384.0;

inline agg::rgba8 fromArgb(uint32_t p) {
    return agg::rgba8(redOf(p), greenOf(p), blueOf(p), alphaOf(p));
}

inline double spreadT(double t, SpreadMode spread) {
    if (!(t == t)) return 0;
    switch (spread) {
    case SpreadMode::Pad:
        return std::clamp(t, 0.0, 1.0);
    case SpreadMode::Repeat:
        return t - std::floor(t);
    case SpreadMode::Reflect: {
        double m = t - 2.0 * std::floor(t / 2.0);
        return m > 1.0 ? 2.0 - m : m;
    }
    }
    return 0;
}

inline int rampIndex(double t) { return std::min(255, static_cast<int>(t * 256.0)); }
// Radial ratios sit half an entry lower than linear ones in Flash's pictures.
inline int radialRampIndex(double t) { return std::clamp(static_cast<int>(t * 256.0 - 0.5), 0, 255); }

// Keeps sample positions in a range where the integer arithmetic below cannot overflow.
inline double saneCoordinate(double v) {
    if (!(v == v)) return 0;
    return std::clamp(v, -1e9, 1e9);
}

inline int wrapIndex(int64_t i, int size) {
    int64_t m = i % size;
    return static_cast<int>(m < 0 ? m + size : m);
}

inline uint32_t applyTransformPremultiplied(uint32_t p, const ColorTransform& cx) {
    unsigned a = alphaOf(p);
    Rgba c{0, 0, 0, static_cast<uint8_t>(a)};
    if (a != 0) {
        c.r = static_cast<uint8_t>(std::min(255u, (redOf(p) * 255u + a / 2) / a));
        c.g = static_cast<uint8_t>(std::min(255u, (greenOf(p) * 255u + a / 2) / a));
        c.b = static_cast<uint8_t>(std::min(255u, (blueOf(p) * 255u + a / 2) / a));
    }
    c = cx.apply(c);
    unsigned na = c.a;
    return packArgb(c.a, static_cast<uint8_t>((c.r * na + 127) / 255), static_cast<uint8_t>((c.g * na + 127) / 255),
                    static_cast<uint8_t>((c.b * na + 127) / 255));
}

void gradientSpan(const FillPaint& p, agg::rgba8* span, int x, int y, unsigned len) {
    const Matrix& m = p.inverse;
    double px = x + 0.5, py = y + 0.5;
    double gx = m.a * px + m.c * py + m.tx, gy = m.b * px + m.d * py + m.ty;
    const GradientRamp& ramp = *p.ramp;
    switch (p.gradientKind) {
    case FillStyle::Kind::LinearGradient:
        for (unsigned i = 0; i < len; ++i, gx += m.a) {
            span[i] = fromArgb(ramp[rampIndex(spreadT((gx + kGradientHalf) / (2 * kGradientHalf), p.spread))]);
        }
        break;
    case FillStyle::Kind::RadialGradient:
        for (unsigned i = 0; i < len; ++i, gx += m.a, gy += m.b) {
            span[i] = fromArgb(ramp[radialRampIndex(spreadT(std::sqrt(gx * gx + gy * gy) / kGradientHalf, p.spread))]);
        }
        break;
    default: {
        // The ray from the focal point through the pixel meets the unit circle at distance s;
        // the pixel's position along that ray is its gradient ratio.
        // Flash stops the focal point a little short of the edge.
        double f = std::clamp(p.focal, -kMaxFocal, kMaxFocal);
        for (unsigned i = 0; i < len; ++i, gx += m.a, gy += m.b) {
            double dx = gx / kGradientHalf - f, dy = gy / kGradientHalf;
            double dist = std::sqrt(dx * dx + dy * dy);
            double t = 0;
            if (dist > 1e-12) {
                double fd = f * dx / dist;
                double s = -fd + std::sqrt(fd * fd - f * f + 1.0);
                t = dist / s;
            }
            span[i] = fromArgb(ramp[radialRampIndex(spreadT(t, p.spread))]);
        }
    }
    }
}

// Two channels of a pixel in the 32-bit lanes of a 64-bit word, so weights up to 65536 can
// multiply both at once: (blue, red) and (green, alpha).
inline uint64_t lanesBR(uint32_t c) { return (c & 0xFFu) | (uint64_t(c & 0xFF0000u) << 16); }
inline uint64_t lanesGA(uint32_t c) { return ((c >> 8) & 0xFFu) | (uint64_t((c >> 8) & 0xFF0000u) << 16); }

// Bilinear mix of four pixels with weights summing to 65536, rounded.
inline uint32_t mixFour(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, uint32_t wx, uint32_t wy) {
    const uint64_t w00 = (256 - wx) * (256 - wy), w10 = wx * (256 - wy), w01 = (256 - wx) * wy, w11 = wx * wy;
    constexpr uint64_t kHalf = (uint64_t{1} << 15) | (uint64_t{1} << 47);
    uint64_t br = lanesBR(c00) * w00 + lanesBR(c10) * w10 + lanesBR(c01) * w01 + lanesBR(c11) * w11 + kHalf;
    uint64_t ga = lanesGA(c00) * w00 + lanesGA(c10) * w10 + lanesGA(c01) * w01 + lanesGA(c11) * w11 + kHalf;
    return uint32_t((br >> 16) & 0xFF) | uint32_t(((br >> 48) & 0xFF) << 16) | uint32_t(((ga >> 16) & 0xFF) << 8) |
           uint32_t(((ga >> 48) & 0xFF) << 24);
}

// Sample positions step along a span in 16.16 fixed point.
constexpr double kFixedOne = 65536;
constexpr int kFixedShift = 16;

void bitmapSpan(const FillPaint& p, agg::rgba8* span, int x, int y, unsigned len) {
    const PixelBuffer& bmp = *p.bitmap;
    const int w = bmp.width(), h = bmp.height();
    const Matrix& m = p.inverse;
    double px = x + 0.5, py = y + 0.5;
    double gx = m.a * px + m.c * py + m.tx, gy = m.b * px + m.d * py + m.ty;
    auto fetch = [&](int64_t u, int64_t v) -> uint32_t {
        int iu, iv;
        if (p.repeat) {
            iu = wrapIndex(u, w);
            iv = wrapIndex(v, h);
        } else {
            iu = static_cast<int>(std::clamp<int64_t>(u, 0, w - 1));
            iv = static_cast<int>(std::clamp<int64_t>(v, 0, h - 1));
        }
        return bmp.row(iv)[iu];
    };
    // While the 2x2 footprint stays inside the bitmap (most pixels of a bitmap fill) samples
    // step in fixed point and read the rows directly; the general path handles the edges,
    // wrapping, clamping and colour transforms.
    const bool steppable = !p.transformColors && std::abs(m.a) < 1e6 && std::abs(m.b) < 1e6;
    const int64_t stepX = steppable ? std::llround(m.a * kFixedOne) : 0;
    const int64_t stepY = steppable ? std::llround(m.b * kFixedOne) : 0;
    for (unsigned i = 0; i < len; ++i, gx += m.a, gy += m.b) {
        double sx = saneCoordinate(gx), sy = saneCoordinate(gy);
        if (!p.smooth) {
            uint32_t c = fetch(static_cast<int64_t>(std::floor(sx)), static_cast<int64_t>(std::floor(sy)));
            if (p.transformColors) c = applyTransformPremultiplied(c, p.cx);
            span[i] = fromArgb(c);
            continue;
        }
        double fx = sx - 0.5, fy = sy - 0.5;
        int64_t u = static_cast<int64_t>(std::floor(fx)), v = static_cast<int64_t>(std::floor(fy));
        if (steppable && u >= 0 && v >= 0 && u + 1 < w && v + 1 < h) {
            int64_t fu = std::llround(fx * kFixedOne), fv = std::llround(fy * kFixedOne);
            unsigned j = i;
            for (; j < len; ++j, fu += stepX, fv += stepY) {
                const int64_t iu = fu >> kFixedShift, iv = fv >> kFixedShift;
                if (iu < 0 || iv < 0 || iu + 1 >= w || iv + 1 >= h) break;
                const uint32_t* r0 = bmp.row(static_cast<int>(iv)) + iu;
                const uint32_t* r1 = r0 + bmp.stride();
                const auto wx = static_cast<uint32_t>((fu >> (kFixedShift - 8)) & 255);
                const auto wy = static_cast<uint32_t>((fv >> (kFixedShift - 8)) & 255);
                span[j] = fromArgb(mixFour(r0[0], r0[1], r1[0], r1[1], wx, wy));
            }
            if (j == len) return;
            // Left the bitmap's inside: the general path takes this pixel.
            gx += m.a * (j - i);
            gy += m.b * (j - i);
            i = j;
            fx = saneCoordinate(gx) - 0.5;
            fy = saneCoordinate(gy) - 0.5;
            u = static_cast<int64_t>(std::floor(fx));
            v = static_cast<int64_t>(std::floor(fy));
        }
        const auto wx = static_cast<uint32_t>((fx - std::floor(fx)) * 256.0);
        const auto wy = static_cast<uint32_t>((fy - std::floor(fy)) * 256.0);
        uint32_t c = mixFour(fetch(u, v), fetch(u + 1, v), fetch(u, v + 1), fetch(u + 1, v + 1), wx, wy);
        if (p.transformColors) c = applyTransformPremultiplied(c, p.cx);
        span[i] = fromArgb(c);
    }
}

}  // namespace

agg::rgba8 premultipliedColor(Rgba c) {
    unsigned a = c.a;
    return agg::rgba8(static_cast<uint8_t>((c.r * a + 127) / 255), static_cast<uint8_t>((c.g * a + 127) / 255),
                      static_cast<uint8_t>((c.b * a + 127) / 255), c.a);
}

FillPaint resolveFillPaint(const FillStyle& fill, const Matrix& toPixels, const ColorTransform& cx,
                           const BitmapProvider* bitmaps, GradientRamp& scratchRamp) {
    FillPaint p;
    switch (fill.kind) {
    case FillStyle::Kind::Solid:
        p.kind = FillPaint::Kind::Solid;
        p.color = premultipliedColor(cx.apply(fill.color));
        return p;
    case FillStyle::Kind::LinearGradient:
    case FillStyle::Kind::RadialGradient:
    case FillStyle::Kind::FocalGradient: {
        if (fill.gradient.stops.empty()) return p;
        const GradientRamp* ramp = &fill.ramp;
        if (!cx.isIdentity()) {
            buildGradientRamp(fill.gradient, cx, scratchRamp);
            ramp = &scratchRamp;
        }
        Matrix full = toPixels * fill.matrix;
        if (!full.invertible()) {
            // A gradient squeezed to nothing shows its last colour, as Flash does.
            p.kind = FillPaint::Kind::Solid;
            p.color = fromArgb((*ramp)[255]);
            return p;
        }
        p.kind = FillPaint::Kind::Gradient;
        p.gradientKind = fill.kind;
        p.spread = fill.gradient.spread;
        p.focal = fill.gradient.focalPoint;
        p.ramp = ramp;
        p.inverse = full.inverted();
        return p;
    }
    case FillStyle::Kind::Bitmap: {
        const PixelBuffer* bmp = bitmaps ? bitmaps->bitmap(fill.bitmapId) : nullptr;
        Matrix full = toPixels * fill.matrix;
        if (!bmp || bmp->empty() || !full.invertible()) return p;
        p.kind = FillPaint::Kind::Bitmap;
        p.bitmap = bmp;
        p.repeat = fill.bitmapRepeat;
        p.smooth = fill.bitmapSmooth;
        p.inverse = full.inverted();
        p.transformColors = !cx.isIdentity();
        p.cx = cx;
        return p;
    }
    }
    return p;
}

void FillStyleHandler::generate_span(agg::rgba8* span, int x, int y, unsigned len, unsigned style) const {
    const FillPaint& p = paints[style];
    if (p.kind == FillPaint::Kind::Gradient) {
        gradientSpan(p, span, x, y, len);
    } else if (p.kind == FillPaint::Kind::Bitmap) {
        bitmapSpan(p, span, x, y, len);
    } else {
        std::fill(span, span + len, p.color);
    }
}

}  // namespace kelmora::player
