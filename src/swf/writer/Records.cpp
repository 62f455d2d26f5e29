#include "swf/writer/Records.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <stdexcept>
#include <string>

namespace kelmora::swf {

std::int32_t pixelsToTwips(double pixels) { return static_cast<std::int32_t>(std::lround(pixels * kTwipsPerPixel)); }

namespace {

int maxSignedBits(std::initializer_list<std::int32_t> values) {
    int bits = 0;
    for (auto v : values) bits = std::max(bits, BitWriter::signedBits(v));
    return bits;
}

}  // namespace

void writeRgb(BitWriter& w, const Rgba& c) { w.u8(c.r).u8(c.g).u8(c.b); }

void writeRgba(BitWriter& w, const Rgba& c) { w.u8(c.r).u8(c.g).u8(c.b).u8(c.a); }

void writeRect(BitWriter& w, const Rect& r) {
    const int bits = maxSignedBits({r.xMin, r.xMax, r.yMin, r.yMax});
    w.align();
    w.ub(static_cast<std::uint32_t>(bits), 5).sb(r.xMin, bits).sb(r.xMax, bits).sb(r.yMin, bits).sb(r.yMax, bits);
    w.align();
}

Matrix Matrix::translate(std::int32_t xTwips, std::int32_t yTwips) {
    Matrix m;
    m.translateX = xTwips;
    m.translateY = yTwips;
    return m;
}

Matrix Matrix::translatePixels(double x, double y) { return translate(pixelsToTwips(x), pixelsToTwips(y)); }

Matrix Matrix::scale(double sx, double sy) {
    Matrix m;
    m.scaleX = BitWriter::toFixed16(sx);
    m.scaleY = BitWriter::toFixed16(sy);
    return m;
}

Matrix Matrix::rotate(double degrees) {
    const double rad = degrees * std::numbers::pi / 180.0;
    return fromAffine(std::cos(rad), std::sin(rad), -std::sin(rad), std::cos(rad), 0, 0);
}

Matrix Matrix::fromAffine(double a, double b, double c, double d, std::int32_t txTwips, std::int32_t tyTwips) {
    Matrix m;
    m.scaleX = BitWriter::toFixed16(a);
    m.rotateSkew0 = BitWriter::toFixed16(b);
    m.rotateSkew1 = BitWriter::toFixed16(c);
    m.scaleY = BitWriter::toFixed16(d);
    m.translateX = txTwips;
    m.translateY = tyTwips;
    return m;
}

void writeMatrix(BitWriter& w, const Matrix& m) {
    w.align();
    w.flag(m.hasScale());
    if (m.hasScale()) {
        const int bits = maxSignedBits({m.scaleX, m.scaleY});
        w.ub(static_cast<std::uint32_t>(bits), 5).fb(m.scaleX, bits).fb(m.scaleY, bits);
    }
    w.flag(m.hasRotate());
    if (m.hasRotate()) {
        const int bits = maxSignedBits({m.rotateSkew0, m.rotateSkew1});
        w.ub(static_cast<std::uint32_t>(bits), 5).fb(m.rotateSkew0, bits).fb(m.rotateSkew1, bits);
    }
    const int bits = maxSignedBits({m.translateX, m.translateY});
    w.ub(static_cast<std::uint32_t>(bits), 5).sb(m.translateX, bits).sb(m.translateY, bits);
    w.align();
}

ColorTransform ColorTransform::multiply(double r, double g, double b, double a) {
    ColorTransform cx;
    cx.multR = BitWriter::toFixed8(r);
    cx.multG = BitWriter::toFixed8(g);
    cx.multB = BitWriter::toFixed8(b);
    cx.multA = BitWriter::toFixed8(a);
    return cx;
}

ColorTransform ColorTransform::add(std::int32_t r, std::int32_t g, std::int32_t b, std::int32_t a) {
    ColorTransform cx;
    cx.addR = r;
    cx.addG = g;
    cx.addB = b;
    cx.addA = a;
    return cx;
}

namespace {

void writeCxformTerms(BitWriter& w, const ColorTransform& cx, bool alpha) {
    const bool mult = alpha ? cx.hasMult() : (cx.multR != 256 || cx.multG != 256 || cx.multB != 256);
    const bool add = alpha ? cx.hasAdd() : (cx.addR != 0 || cx.addG != 0 || cx.addB != 0);
    int bits = 0;
    if (mult) bits = std::max(bits, maxSignedBits({cx.multR, cx.multG, cx.multB, alpha ? cx.multA : 0}));
    if (add) bits = std::max(bits, maxSignedBits({cx.addR, cx.addG, cx.addB, alpha ? cx.addA : 0}));
    if (bits > 15) throw std::out_of_range("colour transform term needs more than 15 bits");
    w.align();
    w.flag(add).flag(mult).ub(static_cast<std::uint32_t>(bits), 4);
    if (mult) {
        w.sb(cx.multR, bits).sb(cx.multG, bits).sb(cx.multB, bits);
        if (alpha) w.sb(cx.multA, bits);
    }
    if (add) {
        w.sb(cx.addR, bits).sb(cx.addG, bits).sb(cx.addB, bits);
        if (alpha) w.sb(cx.addA, bits);
    }
    w.align();
}

}  // namespace

void writeCxform(BitWriter& w, const ColorTransform& cx) { writeCxformTerms(w, cx, false); }

void writeCxformWithAlpha(BitWriter& w, const ColorTransform& cx) { writeCxformTerms(w, cx, true); }

void writeGradient(BitWriter& w, const Gradient& g, bool withAlpha, bool focal) {
    if (g.stops.size() > 15) throw std::out_of_range("a gradient holds at most 15 stops");
    w.align();
    w.ub(static_cast<std::uint32_t>(g.spread), 2)
        .ub(static_cast<std::uint32_t>(g.interpolation), 2)
        .ub(static_cast<std::uint32_t>(g.stops.size()), 4);
    for (const auto& stop : g.stops) {
        w.u8(stop.ratio);
        withAlpha ? writeRgba(w, stop.color) : writeRgb(w, stop.color);
    }
    if (focal) w.fixed8(g.focalPoint);
}

FillStyle FillStyle::solid(Rgba color) {
    FillStyle f;
    f.color = color;
    return f;
}

FillStyle FillStyle::linear(const Gradient& g, const Matrix& m) {
    FillStyle f;
    f.type = FillType::LinearGradient;
    f.gradient = g;
    f.matrix = m;
    return f;
}

FillStyle FillStyle::radial(const Gradient& g, const Matrix& m) {
    FillStyle f = linear(g, m);
    f.type = FillType::RadialGradient;
    return f;
}

FillStyle FillStyle::focal(const Gradient& g, const Matrix& m) {
    FillStyle f = linear(g, m);
    f.type = FillType::FocalGradient;
    return f;
}

FillStyle FillStyle::bitmap(std::uint16_t bitmapId, const Matrix& m, bool repeat, bool smooth) {
    FillStyle f;
    if (repeat)
        f.type = smooth ? FillType::RepeatingBitmap : FillType::NonSmoothedRepeatingBitmap;
    else
        f.type = smooth ? FillType::ClippedBitmap : FillType::NonSmoothedClippedBitmap;
    f.bitmapId = bitmapId;
    f.matrix = m;
    return f;
}

bool FillStyle::isGradient() const {
    return type == FillType::LinearGradient || type == FillType::RadialGradient || type == FillType::FocalGradient;
}

bool FillStyle::isBitmap() const { return (static_cast<std::uint8_t>(type) & 0x40) != 0; }

bool FillStyle::usesAlpha() const {
    if (type == FillType::Solid) return color.a != 255;
    if (isGradient())
        return std::any_of(gradient.stops.begin(), gradient.stops.end(), [](const GradientStop& s) { return s.color.a != 255; });
    return false;
}

void writeFillStyle(BitWriter& w, const FillStyle& f, bool withAlpha) {
    w.u8(static_cast<std::uint8_t>(f.type));
    if (f.type == FillType::Solid) {
        withAlpha ? writeRgba(w, f.color) : writeRgb(w, f.color);
    } else if (f.isGradient()) {
        writeMatrix(w, f.matrix);
        writeGradient(w, f.gradient, withAlpha, f.type == FillType::FocalGradient);
    } else if (f.isBitmap()) {
        w.u16(f.bitmapId);
        writeMatrix(w, f.matrix);
    } else {
        throw std::invalid_argument("unknown fill style type " + std::to_string(static_cast<int>(f.type)));
    }
}

namespace {

void writeStyleCount(BitWriter& w, std::size_t count, bool extendedCount) {
    if (count < 0xFF) {
        w.u8(static_cast<std::uint32_t>(count));
    } else if (extendedCount && count <= 0xFFFF) {
        w.u8(0xFF).u16(static_cast<std::uint32_t>(count));
    } else {
        throw std::out_of_range("too many styles for this shape tag: " + std::to_string(count));
    }
}

}  // namespace

void writeFillStyleArray(BitWriter& w, const std::vector<FillStyle>& fills, bool withAlpha, bool extendedCount) {
    writeStyleCount(w, fills.size(), extendedCount);
    for (const auto& f : fills) writeFillStyle(w, f, withAlpha);
}

bool LineStyle::needsLineStyle2() const {
    return startCap != CapStyle::Round || endCap != CapStyle::Round || join != JoinStyle::Round || noHScale || noVScale ||
           pixelHinting || noClose || fill.has_value();
}

void writeLineStyle(BitWriter& w, const LineStyle& s, bool withAlpha) {
    w.u16(s.width);
    withAlpha ? writeRgba(w, s.color) : writeRgb(w, s.color);
}

void writeLineStyle2(BitWriter& w, const LineStyle& s) {
    w.u16(s.width);
    w.ub(static_cast<std::uint32_t>(s.startCap), 2)
        .ub(static_cast<std::uint32_t>(s.join), 2)
        .flag(s.fill.has_value())
        .flag(s.noHScale)
        .flag(s.noVScale)
        .flag(s.pixelHinting)
        .ub(0, 5)
        .flag(s.noClose)
        .ub(static_cast<std::uint32_t>(s.endCap), 2);
    if (s.join == JoinStyle::Miter) w.fixed8(s.miterLimit);
    if (s.fill)
        writeFillStyle(w, *s.fill, true);
    else
        writeRgba(w, s.color);
}

void writeLineStyleArray(BitWriter& w, const std::vector<LineStyle>& lines, bool withAlpha, bool extendedCount,
                         bool lineStyle2) {
    writeStyleCount(w, lines.size(), extendedCount);
    for (const auto& s : lines) lineStyle2 ? writeLineStyle2(w, s) : writeLineStyle(w, s, withAlpha);
}

}  // namespace kelmora::swf
