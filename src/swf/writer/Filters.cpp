#include "swf/writer/Filters.h"

#include <stdexcept>

namespace kelmora::swf {

namespace {

void writeGradientFilter(BitWriter& w, const GradientGlowFilter& f) {
    if (f.stops.size() > 255) throw std::out_of_range("too many gradient filter colours");
    w.u8(static_cast<std::uint32_t>(f.stops.size()));
    for (const auto& s : f.stops) writeRgba(w, s.color);
    for (const auto& s : f.stops) w.u8(s.ratio);
    w.fixed(f.blurX).fixed(f.blurY).fixed(f.angle).fixed(f.distance).fixed8(f.strength);
    w.flag(f.innerShadow).flag(f.knockout).flag(f.compositeSource).flag(f.onTop).ub(static_cast<std::uint32_t>(f.passes), 4);
}

struct FilterWriter {
    BitWriter& w;
    void operator()(const DropShadowFilter& f) {
        writeRgba(w, f.color);
        w.fixed(f.blurX).fixed(f.blurY).fixed(f.angle).fixed(f.distance).fixed8(f.strength);
        w.flag(f.innerShadow).flag(f.knockout).flag(f.compositeSource).ub(static_cast<std::uint32_t>(f.passes), 5);
    }
    void operator()(const BlurFilter& f) {
        w.fixed(f.blurX).fixed(f.blurY).ub(static_cast<std::uint32_t>(f.passes), 5).ub(0, 3);
    }
    void operator()(const GlowFilter& f) {
        writeRgba(w, f.color);
        w.fixed(f.blurX).fixed(f.blurY).fixed8(f.strength);
        w.flag(f.innerGlow).flag(f.knockout).flag(f.compositeSource).ub(static_cast<std::uint32_t>(f.passes), 5);
    }
    void operator()(const BevelFilter& f) {
        writeRgba(w, f.shadowColor);
        writeRgba(w, f.highlightColor);
        w.fixed(f.blurX).fixed(f.blurY).fixed(f.angle).fixed(f.distance).fixed8(f.strength);
        w.flag(f.innerShadow).flag(f.knockout).flag(f.compositeSource).flag(f.onTop).ub(static_cast<std::uint32_t>(f.passes), 4);
    }
    void operator()(const GradientGlowFilter& f) { writeGradientFilter(w, f); }
    void operator()(const GradientBevelFilter& f) { writeGradientFilter(w, f); }
    void operator()(const ConvolutionFilter& f) {
        if (f.matrix.size() != static_cast<std::size_t>(f.matrixX) * f.matrixY)
            throw std::invalid_argument("convolution matrix size does not match its dimensions");
        w.u8(f.matrixX).u8(f.matrixY).float32(f.divisor).float32(f.bias);
        for (float v : f.matrix) w.float32(v);
        writeRgba(w, f.defaultColor);
        w.ub(0, 6).flag(f.clamp).flag(f.preserveAlpha);
    }
    void operator()(const ColorMatrixFilter& f) {
        for (float v : f.matrix) w.float32(v);
    }
};

}  // namespace

void writeFilterList(BitWriter& w, const std::vector<Filter>& filters) {
    if (filters.size() > 255) throw std::out_of_range("too many filters");
    w.u8(static_cast<std::uint32_t>(filters.size()));
    for (const auto& f : filters) {
        w.u8(static_cast<std::uint32_t>(f.index()));
        std::visit(FilterWriter{w}, f);
        w.align();
    }
}

}  // namespace kelmora::swf
