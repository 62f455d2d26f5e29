#include "swf/writer/Morph.h"

#include <stdexcept>

namespace kelmora::swf {

namespace {

void writeMorphFill(BitWriter& w, const MorphFillStyle& f) {
    const FillStyle& s = f.start;
    const FillStyle& e = f.end;
    w.u8(static_cast<std::uint8_t>(s.type));
    if (s.type == FillType::Solid) {
        writeRgba(w, s.color);
        writeRgba(w, e.color);
    } else if (s.isGradient()) {
        writeMatrix(w, s.matrix);
        writeMatrix(w, e.matrix);
        if (s.gradient.stops.size() != e.gradient.stops.size() || s.gradient.stops.size() > 15)
            throw std::invalid_argument("morph gradients need the same number of stops (at most 15)");
        // Spread and interpolation share the count byte as in GRADIENT; both 0 by default.
        w.ub(static_cast<std::uint32_t>(s.gradient.spread), 2).ub(static_cast<std::uint32_t>(s.gradient.interpolation), 2)
            .ub(static_cast<std::uint32_t>(s.gradient.stops.size()), 4);
        for (std::size_t i = 0; i < s.gradient.stops.size(); ++i) {
            w.u8(s.gradient.stops[i].ratio);
            writeRgba(w, s.gradient.stops[i].color);
            w.u8(e.gradient.stops[i].ratio);
            writeRgba(w, e.gradient.stops[i].color);
        }
        if (s.type == FillType::FocalGradient) w.fixed8(s.gradient.focalPoint).fixed8(e.gradient.focalPoint);
    } else if (s.isBitmap()) {
        w.u16(s.bitmapId);
        writeMatrix(w, s.matrix);
        writeMatrix(w, e.matrix);
    } else {
        throw std::invalid_argument("unknown morph fill type");
    }
}

void writeMorphLine(BitWriter& w, const MorphLineStyle& l, bool version2) {
    w.u16(l.start.width).u16(l.end.width);
    if (!version2) {
        writeRgba(w, l.start.color);
        writeRgba(w, l.end.color);
        return;
    }
    const LineStyle& s = l.start;
    const bool hasFill = s.fill.has_value();
    w.ub(static_cast<std::uint32_t>(s.startCap), 2).ub(static_cast<std::uint32_t>(s.join), 2).flag(hasFill)
        .flag(s.noHScale).flag(s.noVScale).flag(s.pixelHinting).ub(0, 5).flag(s.noClose)
        .ub(static_cast<std::uint32_t>(s.endCap), 2);
    if (s.join == JoinStyle::Miter) w.fixed8(s.miterLimit);
    if (hasFill) {
        writeMorphFill(w, {*s.fill, l.end.fill.value_or(*s.fill)});
    } else {
        writeRgba(w, s.color);
        writeRgba(w, l.end.color);
    }
}

void writeCount(BitWriter& w, std::size_t n) {
    if (n < 0xFF)
        w.u8(static_cast<std::uint32_t>(n));
    else if (n <= 0xFFFF)
        w.u8(0xFF).u16(static_cast<std::uint32_t>(n));
    else
        throw std::out_of_range("too many morph styles");
}

bool selectsStyles(const std::vector<ShapeRecord>& records) {
    for (const auto& r : records)
        if (const auto* sc = std::get_if<StyleChange>(&r); sc && (sc->fill0 || sc->fill1 || sc->line)) return true;
    return false;
}

}  // namespace

Bytes encodeDefineMorphShape(std::uint16_t id, const MorphShape& m, int morphVersion) {
    if (morphVersion != 1 && morphVersion != 2) throw std::invalid_argument("morph version must be 1 or 2");
    const bool v2 = morphVersion == 2;
    BitWriter w;
    w.u16(id);
    writeRect(w, m.start.bounds);
    writeRect(w, m.end.bounds);
    if (v2) {
        writeRect(w, m.start.edgeBounds);
        writeRect(w, m.end.edgeBounds);
        bool nonScaling = false, scaling = false;
        for (const auto& l : m.lines) (l.start.noHScale || l.start.noVScale ? nonScaling : scaling) = true;
        w.ub(0, 6).flag(nonScaling).flag(scaling);
    }
    const std::size_t offsetField = w.size();
    w.u32(0);
    writeCount(w, m.fills.size());
    for (const auto& f : m.fills) writeMorphFill(w, f);
    writeCount(w, m.lines.size());
    for (const auto& l : m.lines) writeMorphLine(w, l, v2);
    const int fillBits = styleIndexBits(m.fills.size());
    const int lineBits = styleIndexBits(m.lines.size());
    // Shape version 3: RGBA colours in any new styles (which morphs should not have).
    writeShapeRecords(w, m.start.records, fillBits, lineBits, 3);
    w.patchU32(offsetField, static_cast<std::uint32_t>(w.size() - offsetField - 4));
    const bool endStyles = selectsStyles(m.end.records);
    writeShapeRecords(w, m.end.records, endStyles ? fillBits : 0, endStyles ? lineBits : 0, 3);
    return w.take();
}

}  // namespace kelmora::swf
