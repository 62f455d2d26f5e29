#pragma once
// A filter's blur and offset in a layer's pixels, derived once from its record and the scale.
#include <algorithm>
#include <cmath>

#include "player/render/EffectsApi.h"

namespace kelmora::player {

struct FilterGeometry {
    double blurX = 0, blurY = 0;         // box width in layer pixels (<= 1: no blur that way)
    int passes = 0;
    int blurReachX = 0, blurReachY = 0;  // how far all passes spread, per side
    int offsetX = 0, offsetY = 0;        // shadow offset (the highlight goes the other way)
};

// A blur of 1 is no blur at any scale, so the scale applies to what lies beyond it.
inline double scaledBlur(double blur, double scale) {
    if (!(blur > 1)) return blur;
    double s = std::isfinite(scale) ? std::abs(scale) : 1.0;
    return std::clamp((blur - 1) * s + 1, 0.0, kMaxFilterReach);
}

// Pixels one box pass of the given width reaches on each side of its centre.
inline int boxReach(double width) {
    if (!(width > 1)) return 0;
    return static_cast<int>(std::ceil((width - 1) / 2));
}

inline FilterGeometry filterGeometry(const Filter& f, double scaleX, double scaleY) {
    FilterGeometry g;
    g.passes = std::clamp(f.passes, 0, 15);
    g.blurX = scaledBlur(f.blurX, scaleX);
    g.blurY = scaledBlur(f.blurY, scaleY);
    g.blurReachX = g.passes * boxReach(g.blurX);
    g.blurReachY = g.passes * boxReach(g.blurY);
    bool offsets = f.kind == Filter::Kind::DropShadow || f.kind == Filter::Kind::Bevel ||
                   f.kind == Filter::Kind::GradientGlow || f.kind == Filter::Kind::GradientBevel;
    if (offsets && std::isfinite(f.angle) && std::isfinite(f.distance)) {
        double sx = std::isfinite(scaleX) ? scaleX : 1.0, sy = std::isfinite(scaleY) ? scaleY : 1.0;
        double dx = std::clamp(std::cos(f.angle) * f.distance * sx, -kMaxFilterReach, kMaxFilterReach);
        double dy = std::clamp(std::sin(f.angle) * f.distance * sy, -kMaxFilterReach, kMaxFilterReach);
        g.offsetX = static_cast<int>(std::lround(dx));
        g.offsetY = static_cast<int>(std::lround(dy));
    }
    return g;
}

}  // namespace kelmora::player
