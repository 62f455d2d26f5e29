#include "player/shape/PathBuilder.h"

#include <algorithm>
#include <cmath>

namespace kelmora::player {

PathBuilder::PathBuilder() : shape_(std::make_shared<ShapeDef>()) { shape_->layers.emplace_back(); }

uint16_t PathBuilder::addFill(const FillStyle& fill) {
    if (layer().fills.size() >= 0xFFFF) return 0;
    FillStyle f = fill;
    if (f.isGradient()) buildGradientRamp(f.gradient, f.ramp);
    layer().fills.push_back(std::move(f));
    return static_cast<uint16_t>(layer().fills.size());
}

uint16_t PathBuilder::addSolidFill(Rgba color) {
    FillStyle f;
    f.color = color;
    return addFill(f);
}

uint16_t PathBuilder::addLine(const LineStyle& line) {
    if (layer().lines.size() >= 0xFFFF) return 0;
    LineStyle l = line;
    if (l.hasFill && l.fill.isGradient()) buildGradientRamp(l.fill.gradient, l.fill.ramp);
    layer().lines.push_back(std::move(l));
    return static_cast<uint16_t>(layer().lines.size());
}

uint16_t PathBuilder::addLine(uint16_t widthTwips, Rgba color) {
    LineStyle l;
    l.width = widthTwips;
    l.color = color;
    return addLine(l);
}

void PathBuilder::setStyles(uint16_t fill0, uint16_t fill1, uint16_t line) {
    setFill0(fill0);
    setFill1(fill1);
    setLine(line);
}
void PathBuilder::setFill0(uint16_t fill) { fill0_ = fill <= layer().fills.size() ? fill : 0; }
void PathBuilder::setFill1(uint16_t fill) { fill1_ = fill <= layer().fills.size() ? fill : 0; }
void PathBuilder::setLine(uint16_t line) { line_ = line <= layer().lines.size() ? line : 0; }

void PathBuilder::newStyles() {
    layer().finish();
    shape_->layers.emplace_back();
    fill0_ = fill1_ = line_ = 0;
}

void PathBuilder::moveTo(Point p) { pen_ = start_ = p; }

void PathBuilder::addEdge(const ShapeEdge& edge) {
    ShapeEdge e = edge;
    e.fill0 = fill0_;
    e.fill1 = fill1_;
    e.line = line_;
    pen_ = e.to;
    if (e.fill0 == e.fill1 && e.line == 0) return;
    layer().edges.push_back(e);
}

void PathBuilder::lineTo(Point p) {
    ShapeEdge e;
    e.from = pen_;
    e.to = p;
    e.control = {(pen_.x + p.x) / 2, (pen_.y + p.y) / 2};
    addEdge(e);
}

void PathBuilder::curveTo(Point control, Point p) {
    ShapeEdge e;
    e.from = pen_;
    e.control = control;
    e.to = p;
    e.curved = true;
    addEdge(e);
}

// Splits the cubic in halves until one quadratic (control at the meeting point of the end
// tangents, approximated by the mean of the two candidates) is close enough.
void PathBuilder::cubicPart(Point p0, Point c1, Point c2, Point p3, int depth) {
    // Distance between the cubic and its best single quadratic is bounded by
    // sqrt(3)/36 * |p3 - 3c2 + 3c1 - p0|.
    double dx = p3.x - 3 * c2.x + 3 * c1.x - p0.x, dy = p3.y - 3 * c2.y + 3 * c1.y - p0.y;
    double err = std::sqrt(dx * dx + dy * dy) * 0.0481125;
    if (err <= 0.5 || depth >= 8) {  // half a twip
        Point q{(3 * (c1.x + c2.x) - p0.x - p3.x) / 4, (3 * (c1.y + c2.y) - p0.y - p3.y) / 4};
        curveTo(q, p3);
        return;
    }
    auto mid = [](Point a, Point b) { return Point{(a.x + b.x) / 2, (a.y + b.y) / 2}; };
    Point a = mid(p0, c1), b = mid(c1, c2), c = mid(c2, p3);
    Point ab = mid(a, b), bc = mid(b, c), m = mid(ab, bc);
    cubicPart(p0, a, ab, m, depth + 1);
    cubicPart(m, bc, c, p3, depth + 1);
}

void PathBuilder::cubicTo(Point c1, Point c2, Point p) { cubicPart(pen_, c1, c2, p, 0); }

void PathBuilder::closePath() {
    if (std::abs(pen_.x - start_.x) > 1e-9 || std::abs(pen_.y - start_.y) > 1e-9) lineTo(start_);
}

bool PathBuilder::empty() const {
    return std::all_of(shape_->layers.begin(), shape_->layers.end(), [](const ShapeLayer& l) { return l.edges.empty(); });
}

std::shared_ptr<ShapeDef> PathBuilder::build() const {
    auto shape = std::make_shared<ShapeDef>(*shape_);
    Rect edges, strokes;
    for (ShapeLayer& l : shape->layers) {
        l.finish();
        Rect r = edgesBounds(l.edges);
        edges = edges.united(r);
        double half = 0;
        for (const LineStyle& s : l.lines) half = std::max(half, s.width / 2.0);
        if (!l.strokeOrder.empty() && !l.edges.empty()) {
            Rect grown{r.xMin - half, r.yMin - half, r.xMax + half, r.yMax + half};
            strokes = strokes.united(grown);
        }
    }
    shape->edgeBounds = edges;
    shape->bounds = edges.united(strokes);
    return shape;
}

}  // namespace kelmora::player
