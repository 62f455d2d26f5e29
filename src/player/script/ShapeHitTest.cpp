#include "player/script/ShapeHitTest.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "player/display/ButtonObject.h"
#include "player/display/EditTextObject.h"
#include "player/display/MovieClip.h"
#include "player/format/Characters.h"
#include "player/shape/MorphShapeDef.h"

namespace kelmora::player::script {

namespace {

constexpr int kCurveSteps = 16;

// Calls f(a, b) for each straight piece of the edge (curves flattened).
template <class F>
void forEachSegment(const ShapeEdge& e, F&& f) {
    if (!e.curved) {
        f(e.from, e.to);
        return;
    }
    Point prev = e.from;
    for (int i = 1; i <= kCurveSteps; ++i) {
        const double t = static_cast<double>(i) / kCurveSteps, u = 1 - t;
        Point p{u * u * e.from.x + 2 * u * t * e.control.x + t * t * e.to.x,
                u * u * e.from.y + 2 * u * t * e.control.y + t * t * e.to.y};
        f(prev, p);
        prev = p;
    }
}

// +1 or -1 when the segment crosses the ray going right from p, 0 otherwise.
int crossing(Point a, Point b, Point p) {
    if ((a.y <= p.y) == (b.y <= p.y)) return 0;
    const double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
    if (x <= p.x) return 0;
    return b.y > a.y ? 1 : -1;
}

double distanceSquared(Point a, Point b, Point p) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len = dx * dx + dy * dy;
    double t = len > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return ex * ex + ey * ey;
}

}  // namespace

bool layerContains(const ShapeLayer& layer, Point p, bool nonZero) {
    // Winding per fill style: an edge has fill0 on its left and fill1 on its right.
    std::map<uint16_t, int> winding;
    for (const ShapeEdge& e : layer.edges) {
        if (e.line > 0 && e.line <= layer.lines.size()) {
            const double half = std::max<double>(layer.lines[e.line - 1].width, 20) / 2;
            bool near = false;
            forEachSegment(e, [&](Point a, Point b) { near = near || distanceSquared(a, b, p) <= half * half; });
            if (near) return true;
        }
        if (e.fill0 == e.fill1 || (!e.fill0 && !e.fill1)) continue;
        int w = 0;
        forEachSegment(e, [&](Point a, Point b) { w += crossing(a, b, p); });
        if (w == 0) continue;
        if (e.fill0) winding[e.fill0] += nonZero ? w : 1;
        if (e.fill1) winding[e.fill1] += nonZero ? -w : 1;
    }
    for (const auto& [fill, n] : winding)
        if (nonZero ? n != 0 : (n & 1) != 0) return true;
    return false;
}

bool shapeContains(const ShapeDef& shape, Point p) {
    if (!shape.bounds.empty() && (p.x < shape.bounds.xMin || p.x > shape.bounds.xMax || p.y < shape.bounds.yMin ||
                                  p.y > shape.bounds.yMax))
        return false;
    for (const ShapeLayer& layer : shape.layers)
        if (layerContains(layer, p, shape.usesFillWindingRule)) return true;
    return false;
}

bool objectContains(const DisplayObject& o, const Matrix& toStage, Point stagePoint) {
    if (!toStage.invertible()) return false;
    const Point p = toStage.inverted().apply(stagePoint);
    auto inside = [&](const Rect& r) { return p.x >= r.xMin && p.x <= r.xMax && p.y >= r.yMin && p.y <= r.yMax; };
    auto anyChild = [&](const DisplayList& list) {
        for (const auto& [depth, child] : list) {
            if (child->clipDepth > 0) continue;
            if (objectContains(*child, toStage * child->matrix, stagePoint)) return true;
        }
        return false;
    };
    const Character* c = o.character();
    switch (o.kind()) {
    case CharacterKind::Shape: {
        const auto* shape = static_cast<const ShapeCharacter*>(c);
        return shape->shape && shapeContains(*shape->shape, p);
    }
    case CharacterKind::MorphShape: {
        const auto& morph = *static_cast<const MorphCharacter*>(c)->morph;
        ShapeLayer layer;
        interpolateMorph(morph, o.ratio / 65535.0, layer);
        return layerContains(layer, p, false);
    }
    case CharacterKind::Text: return inside(static_cast<const TextCharacter*>(c)->bounds);
    case CharacterKind::EditText: return inside(static_cast<const EditTextObject&>(o).field().bounds());
    case CharacterKind::Sprite:
        if (const MovieClip* clip = o.asMovieClip()) {
            if (clip->drawing && shapeContains(*clip->drawing, p)) return true;
            return anyChild(clip->children());
        }
        return false;
    case CharacterKind::Button: return anyChild(static_cast<const ButtonObject&>(o).children());
    default: return false;
    }
}

}  // namespace kelmora::player::script
