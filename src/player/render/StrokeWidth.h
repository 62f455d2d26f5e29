#pragma once
// How wide a stroke is drawn: Flash never draws a stroke thinner than one pixel (width 0 is a
// one-pixel hairline), and no-scale strokes keep their width whatever the transform.
#include <algorithm>
#include <cmath>

#include "player/Geometry.h"
#include "player/shape/ShapeStyles.h"

namespace kelmora::player {

struct StrokeScale {
    double x = 0, y = 0;     // pixels per twip along the shape's axes
    double mean = 0;         // sqrt(|det|): how a width scales on average
    double largest = 0;      // for flattening tolerance
    bool valid() const { return mean > 1e-9 && std::isfinite(mean) && largest > 1e-9; }
};

inline StrokeScale strokeScale(const Matrix& m) {
    StrokeScale s;
    s.x = std::hypot(m.a, m.b);
    s.y = std::hypot(m.c, m.d);
    s.mean = std::sqrt(std::abs(m.determinant()));
    s.largest = std::max(s.x, s.y);
    return s;
}

// The stroke width in the shape's own units (twips before the transform).
inline double strokeWidthInShapeUnits(const LineStyle& style, const StrokeScale& s) {
    double pixels;
    if (style.noHScale && style.noVScale) {
        pixels = style.width / kTwipsPerPixel;
    } else if (style.noHScale) {
        pixels = style.width * s.y;
    } else if (style.noVScale) {
        pixels = style.width * s.x;
    } else {
        pixels = style.width * s.mean;
    }
    pixels = std::max(pixels, 1.0);
    return pixels / s.mean;
}

}  // namespace kelmora::player
