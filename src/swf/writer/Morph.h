#pragma once
// Morph shapes: DefineMorphShape and DefineMorphShape2.
#include <cstdint>
#include <vector>

#include "swf/writer/Records.h"
#include "swf/writer/Shape.h"

namespace kelmora::swf {

// The start and end styles must be of the same kind (the start's type is written).
struct MorphFillStyle {
    FillStyle start, end;
};

// DefineMorphShape2 writes the start style's caps, join, flags and miter limit.
struct MorphLineStyle {
    LineStyle start, end;
};

// start and end hold the same edge structure (the records of two ShapeBuilder drawings); their
// style arrays are ignored, and their bounds become the morph's start and end bounds.
struct MorphShape {
    std::vector<MorphFillStyle> fills;
    std::vector<MorphLineStyle> lines;
    Shape start;
    Shape end;
};

// morphVersion 1 or 2.
Bytes encodeDefineMorphShape(std::uint16_t id, const MorphShape& morph, int morphVersion);

}  // namespace kelmora::swf
