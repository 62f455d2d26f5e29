#pragma once
// A parsed shape: its style arrays and its edges, each edge carrying the fills on its two sides.
// Built once when the shape is read and shared by every instance; never changed afterwards.
#include <cstdint>
#include <vector>

#include "player/Character.h"
#include "player/Geometry.h"
#include "player/shape/ShapeStyles.h"

namespace kelmora::player {

// One straight or quadratic edge in twips. fill0/fill1/line index the layer's style arrays
// from 1 (0: none); indexes past the arrays were turned into 0 when the shape was read.
struct ShapeEdge {
    Point from, control, to;
    bool curved = false;
    uint16_t fill0 = 0, fill1 = 0, line = 0;
};

// Everything drawn with one style array: fills first, then strokes in line style order.
// A shape has one layer per style array (DefineShape2+ may start new arrays mid-shape).
struct ShapeLayer {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<ShapeEdge> edges;
    // Indexes of edges with a line style, ordered by line style (stable), for stroking.
    std::vector<uint32_t> strokeOrder;
    bool hasFillEdges = false;

    // Fills strokeOrder and hasFillEdges from edges.
    void finish();
};

struct ShapeDef : Character {
    ShapeDef() : Character(CharacterKind::Shape) {}
    uint8_t version = 0;  // 1-4 for DefineShape1-4; 0 for glyphs and built shapes
    Rect bounds;          // as declared (glyphs and built shapes: computed from the edges)
    Rect edgeBounds;      // without strokes
    bool usesFillWindingRule = false, usesNonScalingStrokes = false, usesScalingStrokes = false;
    bool truncated = false;  // the records ended early; what was read is drawn
    std::vector<ShapeLayer> layers;
};

// Bounds of the edges' control polygons (twips).
Rect edgesBounds(const std::vector<ShapeEdge>& edges);

}  // namespace kelmora::player
