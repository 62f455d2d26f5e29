#include "player/shape/ShapeStyles.h"

#include <algorithm>
#include <cmath>

#include "player/render/PixelBuffer.h"

namespace kelmora::player {

namespace {

double toLinear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
double toSrgb(double c) { return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055; }

struct LinearTable {
    float v[256];
    LinearTable() {
        for (int i = 0; i < 256; ++i) v[i] = static_cast<float>(toLinear(i / 255.0));
    }
};

uint32_t premultiplied(double r, double g, double b, double a) {
    auto ch = [](double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); };
    uint8_t A = ch(a);
    return packArgb(A, ch(r * A / 255.0), ch(g * A / 255.0), ch(b * A / 255.0));
}

void buildRamp(const GradientStop* given, size_t count, InterpolationMode mode, GradientRamp& ramp) {
    if (count == 0) {
        ramp.fill(0);
        return;
    }
    // A ratio below the previous one stays: each entry takes the first stop (in file order) at or
    // past it and blends from the stop before that one.
    GradientStop stops[16];
    count = std::min<size_t>(count, 16);
    std::copy(given, given + count, stops);
    static const LinearTable linear;
    bool lin = mode == InterpolationMode::LinearRgb;
    for (int i = 0; i < 256; ++i) {
        size_t k = 0;
        while (k < count && stops[k].ratio < i) ++k;
        if (k == 0 || k == count) {
            const Rgba& c = k == 0 ? stops[0].color : stops[count - 1].color;
            ramp[i] = premultiplied(c.r, c.g, c.b, c.a);
            continue;
        }
        --k;
        const GradientStop& s0 = stops[k];
        const GradientStop& s1 = stops[k + 1];
        double t = double(i - s0.ratio) / double(s1.ratio - s0.ratio);
        double a = s0.color.a + (s1.color.a - s0.color.a) * t;
        if (lin) {
            auto mix = [&](uint8_t c0, uint8_t c1) {
                return 255.0 * toSrgb(linear.v[c0] + (linear.v[c1] - linear.v[c0]) * t);
            };
            ramp[i] = premultiplied(mix(s0.color.r, s1.color.r), mix(s0.color.g, s1.color.g),
                                    mix(s0.color.b, s1.color.b), a);
        } else {
            auto mix = [&](uint8_t c0, uint8_t c1) { return c0 + (c1 - c0) * t; };
            ramp[i] = premultiplied(mix(s0.color.r, s1.color.r), mix(s0.color.g, s1.color.g),
                                    mix(s0.color.b, s1.color.b), a);
        }
    }
    // Stops sharing a ratio show as one-entry bands from that ratio on, all but the last, which
    // starts the blend towards the next stop from the shared ratio.
    for (size_t i = 0; i + 1 < count; ++i) {
        size_t j = i;
        while (j + 1 < count && stops[j + 1].ratio == stops[i].ratio) ++j;
        for (size_t b = i; b < j && stops[i].ratio + (b - i) <= 255; ++b) {
            const Rgba& c = stops[b].color;
            ramp[stops[i].ratio + (b - i)] = premultiplied(c.r, c.g, c.b, c.a);
        }
        i = j;
    }
}

}  // namespace

void buildGradientRamp(const Gradient& g, GradientRamp& ramp) {
    buildRamp(g.stops.data(), g.stops.size(), g.interpolation, ramp);
}

void buildGradientRamp(const Gradient& g, const ColorTransform& cx, GradientRamp& ramp) {
    GradientStop stops[16];
    size_t n = std::min<size_t>(g.stops.size(), 16);
    for (size_t i = 0; i < n; ++i) stops[i] = {g.stops[i].ratio, cx.apply(g.stops[i].color)};
    buildRamp(stops, n, g.interpolation, ramp);
}

}  // namespace kelmora::player
