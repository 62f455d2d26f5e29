#pragma once
// A shape as SWF stores it: style arrays and a list of edge records, ready to encode.
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "swf/writer/Records.h"

namespace kelmora::swf {

struct NewStyles {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
};

// StyleChangeRecord. The move is absolute (from the shape's origin); style indices count from 1,
// 0 means "no style". Indices in a record that also carries new styles are written with the old
// bit counts, so ShapeBuilder puts them in the following record.
struct StyleChange {
    std::optional<std::int32_t> moveX, moveY;  // both or neither
    std::optional<std::uint32_t> fill0, fill1, line;
    std::optional<NewStyles> newStyles;
};

// Deltas in twips.
struct StraightEdge {
    std::int32_t dx = 0, dy = 0;
};

struct CurvedEdge {
    std::int32_t controlDx = 0, controlDy = 0, anchorDx = 0, anchorDy = 0;
};

using ShapeRecord = std::variant<StyleChange, StraightEdge, CurvedEdge>;

struct Shape {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<ShapeRecord> records;  // without the end record, which the encoder adds
    Rect bounds;      // with strokes
    Rect edgeBounds;  // without strokes (DefineShape4)
    bool usesFillWindingRule = false;  // DefineShape4 flag

    // The lowest DefineShape version (1-4) that can hold this shape.
    int minimumShapeVersion() const;
};

// SHAPEWITHSTYLE as written by DefineShape{shapeVersion}: style arrays, bit counts, records, end.
void writeShapeWithStyle(BitWriter& w, const Shape& s, int shapeVersion);
// SHAPE (glyphs, morph edges): bit counts and records only; style indices use these counts.
void writeShapeRecords(BitWriter& w, const std::vector<ShapeRecord>& records, int fillBits, int lineBits,
                       int shapeVersion);
// Writes only the edge records, bit counts given, then the end record (no leading counts).
void writeEdgeRecords(BitWriter& w, const std::vector<ShapeRecord>& records, int fillBits, int lineBits,
                      int shapeVersion);

// Minimal bit counts for style index fields.
int styleIndexBits(std::size_t styleCount);

}  // namespace kelmora::swf
