#include <algorithm>
#include <cmath>

#include "player/shape/MorphShapeDef.h"
#include "player/shape/ShapeApi.h"

namespace kelmora::player {

namespace {

double lerp(double a, double b, double t) { return a + (b - a) * t; }

uint8_t lerp8(uint8_t a, uint8_t b, double t) {
    return static_cast<uint8_t>(std::clamp(std::lround(lerp(a, b, t)), 0L, 255L));
}

Rgba lerpColor(Rgba a, Rgba b, double t) {
    return {lerp8(a.r, b.r, t), lerp8(a.g, b.g, t), lerp8(a.b, b.b, t), lerp8(a.a, b.a, t)};
}

Matrix lerpMatrix(const Matrix& a, const Matrix& b, double t) {
    return {lerp(a.a, b.a, t), lerp(a.b, b.b, t), lerp(a.c, b.c, t),
            lerp(a.d, b.d, t), lerp(a.tx, b.tx, t), lerp(a.ty, b.ty, t)};
}

Point lerpPoint(Point a, Point b, double t) { return {lerp(a.x, b.x, t), lerp(a.y, b.y, t)}; }

void lerpFill(const FillStyle& s, const FillStyle& e, double t, FillStyle& out) {
    out.kind = s.kind;
    out.color = lerpColor(s.color, e.color, t);
    out.matrix = lerpMatrix(s.matrix, e.matrix, t);
    out.bitmapId = s.bitmapId;
    out.bitmapRepeat = s.bitmapRepeat;
    out.bitmapSmooth = s.bitmapSmooth;
    if (!s.isGradient()) return;
    out.gradient.spread = s.gradient.spread;
    out.gradient.interpolation = s.gradient.interpolation;
    out.gradient.focalPoint = lerp(s.gradient.focalPoint, e.gradient.focalPoint, t);
    out.gradient.stops.resize(s.gradient.stops.size());
    for (size_t i = 0; i < s.gradient.stops.size(); ++i) {
        const GradientStop& a = s.gradient.stops[i];
        const GradientStop& b = i < e.gradient.stops.size() ? e.gradient.stops[i] : a;
        out.gradient.stops[i] = {lerp8(a.ratio, b.ratio, t), lerpColor(a.color, b.color, t)};
    }
    buildGradientRamp(out.gradient, out.ramp);
}

}  // namespace

void interpolateMorph(const MorphShapeDef& m, double ratio, ShapeLayer& out) {
    double t = std::isfinite(ratio) ? std::clamp(ratio, 0.0, 1.0) : 0.0;
    out.fills.resize(m.startFills.size());
    for (size_t i = 0; i < out.fills.size(); ++i) lerpFill(m.startFills[i], m.endFills[i], t, out.fills[i]);
    out.lines.resize(m.startLines.size());
    for (size_t i = 0; i < out.lines.size(); ++i) {
        const LineStyle& s = m.startLines[i];
        const LineStyle& e = m.endLines[i];
        LineStyle& o = out.lines[i];
        FillStyle fill = std::move(o.fill);
        o = s;
        o.fill = std::move(fill);
        o.width = static_cast<uint16_t>(std::lround(lerp(s.width, e.width, t)));
        o.color = lerpColor(s.color, e.color, t);
        if (s.hasFill) lerpFill(s.fill, e.fill, t, o.fill);
    }
    out.edges.resize(m.startEdges.size());
    for (size_t i = 0; i < out.edges.size(); ++i) {
        const ShapeEdge& s = m.startEdges[i];
        const ShapeEdge& e = m.endEdges[i];
        ShapeEdge& o = out.edges[i];
        o = s;
        o.from = lerpPoint(s.from, e.from, t);
        o.control = lerpPoint(s.control, e.control, t);
        o.to = lerpPoint(s.to, e.to, t);
    }
    out.strokeOrder = m.strokeOrder;
    out.hasFillEdges = m.hasFillEdges;
}

Rect morphBounds(const MorphShapeDef& m, double ratio) {
    double t = std::isfinite(ratio) ? std::clamp(ratio, 0.0, 1.0) : 0.0;
    const Rect& a = m.startBounds;
    const Rect& b = m.endBounds;
    return {lerp(a.xMin, b.xMin, t), lerp(a.yMin, b.yMin, t), lerp(a.xMax, b.xMax, t), lerp(a.yMax, b.yMax, t)};
}

}  // namespace kelmora::player
