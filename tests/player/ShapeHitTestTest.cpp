// hitTest with the shape flag: points inside, in a hole, on a stroke and outside, under both
// winding rules; edges may carry the fill on either side.
#include <gtest/gtest.h>

#include "player/script/ShapeHitTest.h"

using namespace kelmora::player;
using kelmora::player::script::layerContains;

namespace {

// A square from (x0,y0) to (x1,y1) walked clockwise on screen, fill `f` on the chosen side.
void addSquare(ShapeLayer& layer, double x0, double y0, double x1, double y1, uint16_t f, bool fillOnRight) {
    const Point p[5] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
    for (int i = 0; i < 4; ++i) {
        ShapeEdge e;
        e.from = p[i];
        e.to = p[i + 1];
        (fillOnRight ? e.fill1 : e.fill0) = f;
        layer.edges.push_back(e);
    }
}

}  // namespace

TEST(ShapeHitTest, FillsHolesStrokesAndWindingRules) {
    ShapeLayer nested;  // two squares one inside the other, both walked the same way
    nested.fills.resize(1);
    addSquare(nested, 0, 0, 1000, 1000, 1, true);
    addSquare(nested, 250, 250, 750, 750, 1, true);

    ShapeLayer mixedSides;  // a square whose fill sits left on some edges and right on others
    mixedSides.fills.resize(1);
    addSquare(mixedSides, 0, 0, 1000, 1000, 1, false);
    mixedSides.edges[1].fill0 = 0;
    mixedSides.edges[1].fill1 = 1;
    std::swap(mixedSides.edges[1].from, mixedSides.edges[1].to);

    ShapeLayer stroke;  // one line, 100 twips wide, no fill
    stroke.lines.resize(1);
    stroke.lines[0].width = 100;
    ShapeEdge line;
    line.from = {0, 500};
    line.to = {1000, 500};
    line.line = 1;
    stroke.edges.push_back(line);

    struct Case {
        const char* what;
        const ShapeLayer* layer;
        Point p;
        bool nonZero, hit;
    } cases[] = {
        {"ring, even-odd", &nested, {100, 100}, false, true},
        {"hole, even-odd", &nested, {500, 500}, false, false},
        {"hole, non-zero", &nested, {500, 500}, true, true},
        {"outside", &nested, {1500, 500}, true, false},
        {"fill on both sides of edges", &mixedSides, {500, 500}, false, true},
        {"near the stroke", &stroke, {500, 540}, false, true},
        {"off the stroke", &stroke, {500, 600}, false, false},
    };
    for (const Case& c : cases) EXPECT_EQ(layerContains(*c.layer, c.p, c.nonZero), c.hit) << c.what;
}
