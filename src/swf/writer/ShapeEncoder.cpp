#include "swf/writer/Shape.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace kelmora::swf {

int styleIndexBits(std::size_t styleCount) { return BitWriter::unsignedBits(static_cast<std::uint32_t>(styleCount)); }

namespace {

bool anyLineStyle2(const std::vector<LineStyle>& lines) {
    return std::any_of(lines.begin(), lines.end(), [](const LineStyle& l) { return l.needsLineStyle2(); });
}

bool anyAlpha(const std::vector<FillStyle>& fills, const std::vector<LineStyle>& lines) {
    return std::any_of(fills.begin(), fills.end(), [](const FillStyle& f) { return f.usesAlpha(); }) ||
           std::any_of(lines.begin(), lines.end(), [](const LineStyle& l) { return l.color.a != 255; });
}

bool needsFocal(const std::vector<FillStyle>& fills) {
    return std::any_of(fills.begin(), fills.end(), [](const FillStyle& f) { return f.type == FillType::FocalGradient; });
}

void writeStraight(BitWriter& w, std::int32_t dx, std::int32_t dy) {
    w.ub(1, 1).ub(1, 1);
    if (dx != 0 && dy != 0) {
        const int bits = std::max({2, BitWriter::signedBits(dx), BitWriter::signedBits(dy)});
        if (bits > 17) throw std::out_of_range("straight edge delta too long for one record");
        w.ub(static_cast<std::uint32_t>(bits - 2), 4).flag(true).sb(dx, bits).sb(dy, bits);
    } else {
        const bool vertical = dx == 0;
        const std::int32_t d = vertical ? dy : dx;
        const int bits = std::max(2, BitWriter::signedBits(d));
        if (bits > 17) throw std::out_of_range("straight edge delta too long for one record");
        w.ub(static_cast<std::uint32_t>(bits - 2), 4).flag(false).flag(vertical).sb(d, bits);
    }
}

void writeCurve(BitWriter& w, const CurvedEdge& e) {
    const int bits = std::max({2, BitWriter::signedBits(e.controlDx), BitWriter::signedBits(e.controlDy),
                               BitWriter::signedBits(e.anchorDx), BitWriter::signedBits(e.anchorDy)});
    if (bits > 17) throw std::out_of_range("curved edge delta too long for one record");
    w.ub(1, 1).ub(0, 1).ub(static_cast<std::uint32_t>(bits - 2), 4);
    w.sb(e.controlDx, bits).sb(e.controlDy, bits).sb(e.anchorDx, bits).sb(e.anchorDy, bits);
}

}  // namespace

int Shape::minimumShapeVersion() const {
    bool newStyles = false;
    bool lineStyle2 = anyLineStyle2(lines);
    bool alpha = anyAlpha(fills, lines);
    bool focal = needsFocal(fills);
    std::size_t most = std::max(fills.size(), lines.size());
    for (const auto& r : records) {
        if (const auto* sc = std::get_if<StyleChange>(&r); sc && sc->newStyles) {
            newStyles = true;
            lineStyle2 = lineStyle2 || anyLineStyle2(sc->newStyles->lines);
            alpha = alpha || anyAlpha(sc->newStyles->fills, sc->newStyles->lines);
            focal = focal || needsFocal(sc->newStyles->fills);
            most = std::max({most, sc->newStyles->fills.size(), sc->newStyles->lines.size()});
        }
    }
    if (lineStyle2 || focal || usesFillWindingRule) return 4;
    if (alpha) return 3;
    if (newStyles || most >= 0xFF) return 2;
    return 1;
}

void writeEdgeRecords(BitWriter& w, const std::vector<ShapeRecord>& records, int fillBits, int lineBits,
                      int shapeVersion) {
    const bool withAlpha = shapeVersion >= 3;
    for (const auto& record : records) {
        if (const auto* e = std::get_if<StraightEdge>(&record)) {
            writeStraight(w, e->dx, e->dy);
        } else if (const auto* c = std::get_if<CurvedEdge>(&record)) {
            writeCurve(w, *c);
        } else {
            const auto& sc = std::get<StyleChange>(record);
            const bool move = sc.moveX.has_value();
            w.ub(0, 1)
                .flag(sc.newStyles.has_value())
                .flag(sc.line.has_value())
                .flag(sc.fill1.has_value())
                .flag(sc.fill0.has_value())
                .flag(move);
            if (move) {
                const int bits = std::max(BitWriter::signedBits(*sc.moveX), BitWriter::signedBits(sc.moveY.value_or(0)));
                w.ub(static_cast<std::uint32_t>(bits), 5).sb(*sc.moveX, bits).sb(sc.moveY.value_or(0), bits);
            }
            if (sc.fill0) w.ub(*sc.fill0, fillBits);
            if (sc.fill1) w.ub(*sc.fill1, fillBits);
            if (sc.line) w.ub(*sc.line, lineBits);
            if (sc.newStyles) {
                writeFillStyleArray(w, sc.newStyles->fills, withAlpha, true);
                writeLineStyleArray(w, sc.newStyles->lines, withAlpha, true, shapeVersion >= 4);
                fillBits = styleIndexBits(sc.newStyles->fills.size());
                lineBits = styleIndexBits(sc.newStyles->lines.size());
                w.ub(static_cast<std::uint32_t>(fillBits), 4).ub(static_cast<std::uint32_t>(lineBits), 4);
            }
        }
    }
    w.ub(0, 6);  // end record
    w.align();
}

void writeShapeRecords(BitWriter& w, const std::vector<ShapeRecord>& records, int fillBits, int lineBits,
                       int shapeVersion) {
    w.align();
    w.ub(static_cast<std::uint32_t>(fillBits), 4).ub(static_cast<std::uint32_t>(lineBits), 4);
    writeEdgeRecords(w, records, fillBits, lineBits, shapeVersion);
}

void writeShapeWithStyle(BitWriter& w, const Shape& s, int shapeVersion) {
    if (shapeVersion < 1 || shapeVersion > 4) throw std::invalid_argument("shape version must be 1 to 4");
    const bool withAlpha = shapeVersion >= 3;
    writeFillStyleArray(w, s.fills, withAlpha, shapeVersion >= 2);
    writeLineStyleArray(w, s.lines, withAlpha, shapeVersion >= 2, shapeVersion >= 4);
    writeShapeRecords(w, s.records, styleIndexBits(s.fills.size()), styleIndexBits(s.lines.size()), shapeVersion);
}

}  // namespace kelmora::swf
