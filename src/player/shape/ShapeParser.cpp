// DefineShape 1-4 and font glyphs.
#include <string>

#include "player/shape/ShapeApi.h"
#include "player/shape/ShapeDef.h"
#include "player/shape/ShapeRecords.h"

namespace kelmora::player {

using namespace shape_detail;

Result<std::shared_ptr<ShapeDef>> parseShape(uint16_t tagCode, std::span<const uint8_t> body) {
    int version = tagCode == 2 ? 1 : tagCode == 22 ? 2 : tagCode == 32 ? 3 : tagCode == 83 ? 4 : 0;
    if (version == 0) return makeError("not a shape tag: " + std::to_string(tagCode));
    BitReader r(body);
    auto shape = std::make_shared<ShapeDef>();
    shape->id = r.u16();
    shape->version = static_cast<uint8_t>(version);
    shape->bounds = r.rect();
    shape->edgeBounds = shape->bounds;
    if (version == 4) {
        shape->edgeBounds = r.rect();
        r.ub(5);
        shape->usesFillWindingRule = r.flag();
        shape->usesNonScalingStrokes = r.flag();
        shape->usesScalingStrokes = r.flag();
    }
    if (r.failed()) return makeError("DefineShape" + std::to_string(version) + " is too short");
    StyleArrays styles;
    ShapeRecords records;
    if (readFillStyles(r, version, styles.fills) && readLineStyles(r, version, styles.lines)) {
        readShapeRecords(r, version, version >= 2, records);
    } else {
        records.truncated = true;
    }
    shape->truncated = records.truncated;
    buildLayers(records, std::move(styles), shape->layers);
    return shape;
}

Result<std::shared_ptr<ShapeDef>> parseGlyph(std::span<const uint8_t> shapeRecord) {
    BitReader r(shapeRecord);
    ShapeRecords records;
    readShapeRecords(r, 1, false, records);
    StyleArrays styles;
    styles.fills.resize(1);  // glyphs are filled with fill style 1; its colour comes from the text
    auto shape = std::make_shared<ShapeDef>();
    shape->truncated = records.truncated;
    buildLayers(records, std::move(styles), shape->layers);
    shape->bounds = shape->edgeBounds = edgesBounds(shape->layers.front().edges);
    return shape;
}

Rect shapeBounds(const ShapeDef& shape) { return shape.bounds; }

}  // namespace kelmora::player
