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
    double least = 0;        // the smallest stretch in any direction (smaller singular value)
    bool valid() const { return mean > 1e-9 && std::isfinite(mean) && largest > 1e-9; }
};

inline StrokeScale strokeScale(const Matrix& m) {
    StrokeScale s;
    s.x = std::hypot(m.a, m.b);
    s.y = std::hypot(m.c, m.d);
    s.mean = std::sqrt(std::abs(m.determinant()));
    s.largest = std::max(s.x, s.y);
    const double sum = m.a * m.a + m.b * m.b + m.c * m.c + m.d * m.d, det = m.determinant();
    s.least = std::sqrt(std::max(0.0, (sum - std::sqrt(std::max(0.0, sum * sum - 4 * det * det))) / 2));
    return s;
}

// Where and how wide a stroke is drawn. Normal strokes are outlined in the shape's own space
// and transformed with it (so a stretched shape has stretched strokes, as in Flash). No-scale
// strokes are too, with their width divided by the transform's least stretch: they keep their
// pixel width under any uniform scale, and a skewed or stretched shape stretches them like its
// other strokes, as Flash's pictures show. Strokes that would come out thinner than a pixel,
// hairlines and strokes that keep only one direction's scale are outlined in pixels.
struct StrokePlan {
    bool inPixels = false;
    double width = 1;  // shape units or pixels
};

inline StrokePlan planStroke(const LineStyle& style, const StrokeScale& s) {
    StrokePlan plan;
    if (style.noHScale && style.noVScale && s.least > 1e-9 && style.width >= kTwipsPerPixel) {
        plan.width = style.width / kTwipsPerPixel / s.least;
        return plan;
    }
    if (style.noHScale || style.noVScale) {
        double pixels = style.noHScale && style.noVScale ? style.width / kTwipsPerPixel
                        : style.noHScale                 ? style.width * s.y
                                                         : style.width * s.x;
        plan.inPixels = true;
        plan.width = std::max(pixels, 1.0);
        return plan;
    }
    if (style.width * std::min(s.x, s.y) < 1.0) {
        plan.inPixels = true;
        plan.width = std::max(style.width * s.mean, 1.0);
        return plan;
    }
    plan.width = style.width;
    return plan;
}

}  // namespace kelmora::player
