#pragma once
// Flattening quadratic edges into line segments, finely enough for the pixel scale.
#include <algorithm>
#include <cmath>

#include "player/Geometry.h"

namespace kelmora::player {

// Number of segments so that the flattened curve stays within `tolerance` of the true one
// (in the units of the points). Capped to keep hostile curves cheap.
inline int curveSegments(Point p0, Point c, Point p1, double tolerance) {
    double ax = p0.x - 2 * c.x + p1.x, ay = p0.y - 2 * c.y + p1.y;
    double dd = std::sqrt(ax * ax + ay * ay);
    if (!(dd > 0)) return 1;
    double n = std::ceil(std::sqrt(dd / (4 * tolerance)));
    return static_cast<int>(std::clamp(n, 1.0, 256.0));
}

// Calls lineTo(x, y) for each point after p0 along the quadratic curve, ending at p1.
template <class LineTo>
void flattenCurve(Point p0, Point c, Point p1, double tolerance, LineTo&& lineTo) {
    int n = curveSegments(p0, c, p1, tolerance);
    for (int i = 1; i < n; ++i) {
        double t = double(i) / n, u = 1 - t;
        lineTo(u * u * p0.x + 2 * u * t * c.x + t * t * p1.x, u * u * p0.y + 2 * u * t * c.y + t * t * p1.y);
    }
    lineTo(p1.x, p1.y);
}

}  // namespace kelmora::player
