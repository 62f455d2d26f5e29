#pragma once
// A parsed morph shape: start and end styles and edges, paired one to one (a straight edge
// whose partner is curved was made a curve) so that any ratio is a plain interpolation.
#include <cstdint>
#include <vector>

#include "player/Character.h"
#include "player/Geometry.h"
#include "player/shape/ShapeDef.h"

namespace kelmora::player {

struct MorphShapeDef : Character {
    MorphShapeDef() : Character(CharacterKind::MorphShape) {}
    uint8_t version = 1;  // 1 or 2
    Rect startBounds, endBounds, startEdgeBounds, endEdgeBounds;
    bool usesNonScalingStrokes = false, usesScalingStrokes = false;
    bool truncated = false;
    // Same sizes on both sides; styles and edge style indexes come from the start.
    std::vector<FillStyle> startFills, endFills;
    std::vector<LineStyle> startLines, endLines;
    std::vector<ShapeEdge> startEdges, endEdges;
    std::vector<uint32_t> strokeOrder;  // as in ShapeLayer
    bool hasFillEdges = false;
};

// The shape at a ratio (0: start, 1: end) as one layer, reusing `out`'s memory.
void interpolateMorph(const MorphShapeDef& morph, double ratio, ShapeLayer& out);

}  // namespace kelmora::player
