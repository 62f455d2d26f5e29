// DefineMorphShape 1-2: start and end styles side by side, then start and end edges that are
// paired here once so that drawing at a ratio is a plain interpolation.
#include <algorithm>
#include <string>

#include "player/shape/MorphShapeDef.h"
#include "player/shape/ShapeApi.h"
#include "player/shape/ShapeRecords.h"

namespace kelmora::player {

using namespace shape_detail;

namespace {

bool readMorphGradient(BitReader& r, bool focal, Gradient& start, Gradient& end) {
    unsigned flags = r.u8();
    unsigned spread = flags >> 6, interpolation = (flags >> 4) & 3, count = flags & 15;
    start.spread = spread == 1 ? SpreadMode::Reflect : spread == 2 ? SpreadMode::Repeat : SpreadMode::Pad;
    start.interpolation = interpolation == 1 ? InterpolationMode::LinearRgb : InterpolationMode::Normal;
    end.spread = start.spread;
    end.interpolation = start.interpolation;
    start.stops.resize(count);
    end.stops.resize(count);
    for (unsigned i = 0; i < count; ++i) {
        start.stops[i].ratio = r.u8();
        start.stops[i].color = r.rgba();
        end.stops[i].ratio = r.u8();
        end.stops[i].color = r.rgba();
    }
    if (focal) {
        start.focalPoint = std::clamp(r.fixed8(), -1.0, 1.0);
        end.focalPoint = std::clamp(r.fixed8(), -1.0, 1.0);
    }
    return !r.failed();
}

bool readMorphFillStyle(BitReader& r, FillStyle& start, FillStyle& end) {
    uint8_t type = r.u8();
    switch (type) {
    case 0x00:
        start.kind = end.kind = FillStyle::Kind::Solid;
        start.color = r.rgba();
        end.color = r.rgba();
        break;
    case 0x10:
    case 0x12:
    case 0x13:
        start.kind = end.kind = type == 0x10   ? FillStyle::Kind::LinearGradient
                                : type == 0x12 ? FillStyle::Kind::RadialGradient
                                               : FillStyle::Kind::FocalGradient;
        start.matrix = r.matrix();
        end.matrix = r.matrix();
        if (!readMorphGradient(r, type == 0x13, start.gradient, end.gradient)) return false;
        buildGradientRamp(start.gradient, start.ramp);
        buildGradientRamp(end.gradient, end.ramp);
        break;
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
        start.kind = end.kind = FillStyle::Kind::Bitmap;
        start.bitmapId = end.bitmapId = r.u16();
        start.matrix = r.matrix();
        end.matrix = r.matrix();
        start.bitmapRepeat = end.bitmapRepeat = type == 0x40 || type == 0x42;
        start.bitmapSmooth = end.bitmapSmooth = type == 0x40 || type == 0x41;
        break;
    default:
        return false;
    }
    return !r.failed();
}

bool readMorphStyles(BitReader& r, int version, MorphShapeDef& m) {
    unsigned fills = r.u8();
    if (fills == 0xFF) fills = r.u16();
    for (unsigned i = 0; i < fills && !r.failed(); ++i) {
        FillStyle s, e;
        if (!readMorphFillStyle(r, s, e)) return false;
        m.startFills.push_back(std::move(s));
        m.endFills.push_back(std::move(e));
    }
    unsigned lines = r.u8();
    if (lines == 0xFF) lines = r.u16();
    for (unsigned i = 0; i < lines && !r.failed(); ++i) {
        LineStyle s, e;
        s.width = r.u16();
        e.width = r.u16();
        if (version >= 2) {
            readLineStyle2Flags(r, s);
            uint16_t endWidth = e.width;
            e = s;
            e.width = endWidth;
            if (s.hasFill) {
                if (!readMorphFillStyle(r, s.fill, e.fill)) return false;
                s.color = s.fill.color;
                e.color = e.fill.color;
            } else {
                s.color = r.rgba();
                e.color = r.rgba();
            }
        } else {
            s.color = r.rgba();
            e.color = r.rgba();
        }
        m.startLines.push_back(std::move(s));
        m.endLines.push_back(std::move(e));
    }
    return !r.failed();
}

// Pairs each start edge with the next end edge. The end records carry only moves and edges;
// a move in the end shape is taken where the start shape moves too, or before the next edge.
void pairEdges(const ShapeRecords& start, const ShapeRecords& end, MorphShapeDef& m) {
    Point startPen, endPen;
    uint16_t fill0 = 0, fill1 = 0, line = 0;
    size_t j = 0;
    auto takeEndMoves = [&](bool onlyOne) {
        while (j < end.records.size() && end.records[j].type == ShapeRecord::Type::StyleChange) {
            if (end.records[j].moveTo) endPen = {double(end.records[j].moveX), double(end.records[j].moveY)};
            ++j;
            if (onlyOne) break;
        }
    };
    for (const auto& rec : start.records) {
        if (rec.type == ShapeRecord::Type::StyleChange) {
            if (rec.setFill0) fill0 = static_cast<uint16_t>(rec.fill0 <= m.startFills.size() ? rec.fill0 : 0);
            if (rec.setFill1) fill1 = static_cast<uint16_t>(rec.fill1 <= m.startFills.size() ? rec.fill1 : 0);
            if (rec.setLine) line = static_cast<uint16_t>(rec.line <= m.startLines.size() ? rec.line : 0);
            if (rec.moveTo) {
                startPen = {double(rec.moveX), double(rec.moveY)};
                takeEndMoves(true);
            }
            continue;
        }
        takeEndMoves(false);
        ShapeEdge s = edgeFromRecord(startPen, rec);
        ShapeEdge e = s;
        if (j < end.records.size()) {
            e = edgeFromRecord(endPen, end.records[j]);
            ++j;
        }
        s.curved = e.curved = s.curved || e.curved;
        s.fill0 = e.fill0 = fill0;
        s.fill1 = e.fill1 = fill1;
        s.line = e.line = line;
        if (s.fill0 == s.fill1 && s.line == 0) continue;
        m.startEdges.push_back(s);
        m.endEdges.push_back(e);
    }
}

}  // namespace

Result<std::shared_ptr<MorphShapeDef>> parseMorphShape(uint16_t tagCode, std::span<const uint8_t> body) {
    int version = tagCode == 46 ? 1 : tagCode == 84 ? 2 : 0;
    if (version == 0) return makeError("not a morph shape tag: " + std::to_string(tagCode));
    BitReader r(body);
    auto m = std::make_shared<MorphShapeDef>();
    m->id = r.u16();
    m->version = static_cast<uint8_t>(version);
    m->startBounds = r.rect();
    m->endBounds = r.rect();
    m->startEdgeBounds = m->startBounds;
    m->endEdgeBounds = m->endBounds;
    if (version == 2) {
        m->startEdgeBounds = r.rect();
        m->endEdgeBounds = r.rect();
        r.ub(6);
        m->usesNonScalingStrokes = r.flag();
        m->usesScalingStrokes = r.flag();
    }
    uint32_t offset = r.u32();
    size_t endEdgesAt = r.position() + offset;
    if (r.failed()) return makeError("DefineMorphShape" + std::string(version == 2 ? "2" : "") + " is too short");

    ShapeRecords start, end;
    if (readMorphStyles(r, version, *m)) {
        readShapeRecords(r, 3, false, start);
        // Some writers leave the offset at 0; the end edges then follow the start edges.
        BitReader endReader(offset != 0 && endEdgesAt <= body.size() ? body.subspan(endEdgesAt) : r.rest());
        readShapeRecords(endReader, 3, false, end);
    } else {
        start.truncated = true;
    }
    m->truncated = start.truncated || end.truncated;
    pairEdges(start, end, *m);
    ShapeLayer order;
    order.edges = m->startEdges;
    order.finish();
    m->strokeOrder = std::move(order.strokeOrder);
    m->hasFillEdges = order.hasFillEdges;
    return m;
}

}  // namespace kelmora::player
