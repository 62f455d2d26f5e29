#include "player/shape/ShapeRecords.h"

#include <algorithm>

namespace kelmora::player::shape_detail {

namespace {

bool readGradient(BitReader& r, int version, bool focal, Gradient& g) {
    r.align();
    unsigned spread = r.ub(2), interpolation = r.ub(2), count = r.ub(4);
    // Values 3 are reserved; Flash draws them as pad / normal.
    g.spread = spread == 1 ? SpreadMode::Reflect : spread == 2 ? SpreadMode::Repeat : SpreadMode::Pad;
    g.interpolation = interpolation == 1 ? InterpolationMode::LinearRgb : InterpolationMode::Normal;
    g.stops.resize(count);
    for (auto& s : g.stops) {
        s.ratio = r.u8();
        s.color = version >= 3 ? r.rgba() : r.rgb();
    }
    if (focal) g.focalPoint = std::clamp(r.fixed8(), -1.0, 1.0);
    return !r.failed();
}

}  // namespace

bool readFillStyle(BitReader& r, int version, FillStyle& f) {
    uint8_t type = r.u8();
    switch (type) {
    case 0x00:
        f.kind = FillStyle::Kind::Solid;
        f.color = version >= 3 ? r.rgba() : r.rgb();
        break;
    case 0x10:
    case 0x12:
    case 0x13:
        f.kind = type == 0x10 ? FillStyle::Kind::LinearGradient
                 : type == 0x12 ? FillStyle::Kind::RadialGradient
                                : FillStyle::Kind::FocalGradient;
        f.matrix = r.matrix();
        if (!readGradient(r, version, type == 0x13, f.gradient)) return false;
        buildGradientRamp(f.gradient, f.ramp);
        break;
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
        f.kind = FillStyle::Kind::Bitmap;
        f.bitmapId = r.u16();
        f.matrix = r.matrix();
        f.bitmapRepeat = type == 0x40 || type == 0x42;
        f.bitmapSmooth = type == 0x40 || type == 0x41;
        break;
    default:
        return false;
    }
    return !r.failed();
}

bool readFillStyles(BitReader& r, int version, std::vector<FillStyle>& fills) {
    unsigned count = r.u8();
    if (count == 0xFF && version >= 2) count = r.u16();
    fills.clear();
    for (unsigned i = 0; i < count && !r.failed(); ++i) {
        FillStyle f;
        if (!readFillStyle(r, version, f)) return false;
        fills.push_back(std::move(f));
    }
    return !r.failed();
}

void readLineStyle2Flags(BitReader& r, LineStyle& l) {
    r.align();
    auto cap = [](unsigned v) { return v == 1 ? CapStyle::None : v == 2 ? CapStyle::Square : CapStyle::Round; };
    l.startCap = cap(r.ub(2));
    unsigned join = r.ub(2);
    l.join = join == 1 ? JoinStyle::Bevel : join == 2 ? JoinStyle::Miter : JoinStyle::Round;
    l.hasFill = r.flag();
    l.noHScale = r.flag();
    l.noVScale = r.flag();
    l.pixelHinting = r.flag();
    r.ub(5);
    l.noClose = r.flag();
    l.endCap = cap(r.ub(2));
    if (l.join == JoinStyle::Miter) l.miterLimit = std::max(1.0, r.u16() / 256.0);
}

bool readLineStyles(BitReader& r, int version, std::vector<LineStyle>& lines) {
    unsigned count = r.u8();
    if (count == 0xFF) count = r.u16();
    lines.clear();
    for (unsigned i = 0; i < count && !r.failed(); ++i) {
        LineStyle l;
        l.width = r.u16();
        if (version >= 4) {
            readLineStyle2Flags(r, l);
            if (l.hasFill) {
                if (!readFillStyle(r, version, l.fill)) return false;
                l.color = l.fill.color;
            } else {
                l.color = r.rgba();
            }
        } else {
            l.color = version >= 3 ? r.rgba() : r.rgb();
        }
        lines.push_back(std::move(l));
    }
    return !r.failed();
}

void readShapeRecords(BitReader& r, int version, bool allowNewStyles, ShapeRecords& out) {
    r.align();
    unsigned fillBits = r.ub(4), lineBits = r.ub(4);
    out.truncated = true;
    while (!r.failed()) {
        ShapeRecord rec;
        if (!r.flag()) {
            unsigned flags = r.ub(5);
            if (flags == 0) {
                if (!r.failed()) out.truncated = false;
                break;
            }
            rec.type = ShapeRecord::Type::StyleChange;
            bool newStyles = flags & 0x10;
            rec.setLine = flags & 0x08;
            rec.setFill1 = flags & 0x04;
            rec.setFill0 = flags & 0x02;
            rec.moveTo = flags & 0x01;
            if (rec.moveTo) {
                unsigned n = r.ub(5);
                rec.moveX = r.sb(n);
                rec.moveY = r.sb(n);
            }
            if (rec.setFill0) rec.fill0 = r.ub(fillBits);
            if (rec.setFill1) rec.fill1 = r.ub(fillBits);
            if (rec.setLine) rec.line = r.ub(lineBits);
            if (newStyles && allowNewStyles) {
                StyleArrays styles;
                bool ok = readFillStyles(r, version, styles.fills) && readLineStyles(r, version, styles.lines);
                if (!ok) break;
                fillBits = r.ub(4);
                lineBits = r.ub(4);
                rec.newStyles = static_cast<int32_t>(out.styleArrays.size());
                out.styleArrays.push_back(std::move(styles));
            }
        } else if (r.flag()) {
            rec.type = ShapeRecord::Type::Straight;
            unsigned n = r.ub(4) + 2;
            if (r.flag()) {
                rec.anchorDx = r.sb(n);
                rec.anchorDy = r.sb(n);
            } else if (r.flag()) {
                rec.anchorDy = r.sb(n);
            } else {
                rec.anchorDx = r.sb(n);
            }
        } else {
            rec.type = ShapeRecord::Type::Curved;
            unsigned n = r.ub(4) + 2;
            rec.controlDx = r.sb(n);
            rec.controlDy = r.sb(n);
            rec.anchorDx = r.sb(n);
            rec.anchorDy = r.sb(n);
        }
        if (r.failed()) break;  // a record cut short is dropped
        out.records.push_back(rec);
    }
}

ShapeEdge edgeFromRecord(Point& pen, const ShapeRecord& rec) {
    ShapeEdge e;
    e.from = pen;
    if (rec.type == ShapeRecord::Type::Curved) {
        e.curved = true;
        e.control = {pen.x + rec.controlDx, pen.y + rec.controlDy};
        e.to = {e.control.x + rec.anchorDx, e.control.y + rec.anchorDy};
    } else {
        e.to = {pen.x + rec.anchorDx, pen.y + rec.anchorDy};
        e.control = {(e.from.x + e.to.x) / 2, (e.from.y + e.to.y) / 2};
    }
    pen = e.to;
    return e;
}

void buildLayers(const ShapeRecords& records, StyleArrays first, std::vector<ShapeLayer>& layers) {
    layers.clear();
    layers.emplace_back();
    layers.back().fills = std::move(first.fills);
    layers.back().lines = std::move(first.lines);
    uint16_t fill0 = 0, fill1 = 0, line = 0;
    Point pen;
    auto fillIndex = [&](uint32_t i) {
        return static_cast<uint16_t>(i <= layers.back().fills.size() ? i : 0);
    };
    auto lineIndex = [&](uint32_t i) {
        return static_cast<uint16_t>(i <= layers.back().lines.size() ? i : 0);
    };
    for (const auto& rec : records.records) {
        if (rec.type == ShapeRecord::Type::StyleChange) {
            if (rec.newStyles >= 0) {
                layers.back().finish();
                layers.emplace_back();
                layers.back().fills = records.styleArrays[rec.newStyles].fills;
                layers.back().lines = records.styleArrays[rec.newStyles].lines;
                fill0 = fill1 = line = 0;
            }
            if (rec.setFill0) fill0 = fillIndex(rec.fill0);
            if (rec.setFill1) fill1 = fillIndex(rec.fill1);
            if (rec.setLine) line = lineIndex(rec.line);
            if (rec.moveTo) pen = {double(rec.moveX), double(rec.moveY)};
            continue;
        }
        ShapeEdge e = edgeFromRecord(pen, rec);
        e.fill0 = fill0;
        e.fill1 = fill1;
        e.line = line;
        if (e.fill0 != e.fill1 || e.line != 0) layers.back().edges.push_back(e);
    }
    layers.back().finish();
}

}  // namespace kelmora::player::shape_detail
