#pragma once
// Reading the parts shared by shapes, morph shapes and glyphs: style arrays and SHAPE records.
// Internal to the shape code.
#include <cstdint>
#include <vector>

#include "player/format/BitReader.h"
#include "player/shape/ShapeDef.h"

namespace kelmora::player::shape_detail {

struct StyleArrays {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
};

struct ShapeRecord {
    enum class Type : uint8_t { StyleChange, Straight, Curved };
    Type type = Type::StyleChange;
    bool moveTo = false, setFill0 = false, setFill1 = false, setLine = false;
    int32_t newStyles = -1;  // index into ShapeRecords::styleArrays
    int32_t moveX = 0, moveY = 0;
    uint32_t fill0 = 0, fill1 = 0, line = 0;
    int32_t controlDx = 0, controlDy = 0, anchorDx = 0, anchorDy = 0;  // edges (straight: anchor only)
};

struct ShapeRecords {
    std::vector<ShapeRecord> records;
    std::vector<StyleArrays> styleArrays;  // new style arrays met inside the records
    bool truncated = false;                // no end record: the records were cut short
};

// version: 1-4 as in DefineShapeN (decides RGB vs RGBA and LINESTYLE2).
// Each returns false when the reader ran out or met an unknown fill type (the rest is unreadable).
bool readFillStyle(BitReader& r, int version, FillStyle& fill);
bool readFillStyles(BitReader& r, int version, std::vector<FillStyle>& fills);
bool readLineStyles(BitReader& r, int version, std::vector<LineStyle>& lines);
// Reads the caps/join/flags half of LINESTYLE2 / MORPHLINESTYLE2 (after the width).
void readLineStyle2Flags(BitReader& r, LineStyle& line);

// Reads NumFillBits/NumLineBits and the records up to the end record (or the reader's end).
void readShapeRecords(BitReader& r, int version, bool allowNewStyles, ShapeRecords& out);

// Turns records into layers of edges. The first layer uses `first`; each new style array
// starts another. Style indexes past an array become 0 (no style).
// The edge an edge record draws from the pen position; moves the pen to its end.
ShapeEdge edgeFromRecord(Point& pen, const ShapeRecord& rec);

void buildLayers(const ShapeRecords& records, StyleArrays first, std::vector<ShapeLayer>& layers);

}  // namespace kelmora::player::shape_detail
