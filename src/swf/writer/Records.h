#pragma once
// Basic SWF records: colours, rectangles, matrices, colour transforms, gradients, fill and line styles.
#include <cstdint>
#include <optional>
#include <vector>

#include "swf/writer/BitWriter.h"

namespace kelmora::swf {

// Twips per movie pixel.
inline constexpr int kTwipsPerPixel = 20;
std::int32_t pixelsToTwips(double pixels);

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
    static Rgba fromRgb(std::uint32_t rgb) {  // 0xRRGGBB
        return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb), 255};
    }
    static Rgba fromArgb(std::uint32_t argb) {  // 0xAARRGGBB
        return {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8), static_cast<std::uint8_t>(argb),
                static_cast<std::uint8_t>(argb >> 24)};
    }
    bool operator==(const Rgba&) const = default;
};

void writeRgb(BitWriter& w, const Rgba& c);   // alpha dropped
void writeRgba(BitWriter& w, const Rgba& c);

// Coordinates in twips.
struct Rect {
    std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    static Rect fromPixels(double width, double height) { return {0, pixelsToTwips(width), 0, pixelsToTwips(height)}; }
    static Rect fromTwips(std::int32_t xMin, std::int32_t yMin, std::int32_t xMax, std::int32_t yMax) {
        return {xMin, xMax, yMin, yMax};
    }
    bool operator==(const Rect&) const = default;
};

// RECT with the smallest Nbits that holds all four values.
void writeRect(BitWriter& w, const Rect& r);

// Scale and rotate/skew terms are 16.16 fixed; translation is in twips.
struct Matrix {
    std::int32_t scaleX = 65536, scaleY = 65536;
    std::int32_t rotateSkew0 = 0, rotateSkew1 = 0;
    std::int32_t translateX = 0, translateY = 0;

    static Matrix identity() { return {}; }
    static Matrix translate(std::int32_t xTwips, std::int32_t yTwips);
    static Matrix translatePixels(double x, double y);
    static Matrix scale(double sx, double sy);
    // Rotation by an angle in degrees (clockwise on screen, since y grows downwards).
    static Matrix rotate(double degrees);
    // The general form: x' = a*x + c*y + tx, y' = b*x + d*y + ty (a = scaleX, b = rotateSkew0,
    // c = rotateSkew1, d = scaleY).
    static Matrix fromAffine(double a, double b, double c, double d, std::int32_t txTwips, std::int32_t tyTwips);
    Matrix& moveBy(std::int32_t xTwips, std::int32_t yTwips) {
        translateX += xTwips;
        translateY += yTwips;
        return *this;
    }
    bool hasScale() const { return scaleX != 65536 || scaleY != 65536; }
    bool hasRotate() const { return rotateSkew0 != 0 || rotateSkew1 != 0; }
    bool operator==(const Matrix&) const = default;
};

// MATRIX with HasScale/HasRotate only where needed and minimal bit counts.
void writeMatrix(BitWriter& w, const Matrix& m);

// Multiply terms are 8.8 fixed (256 = 1.0); add terms are -255..255 colour steps.
struct ColorTransform {
    std::int32_t multR = 256, multG = 256, multB = 256, multA = 256;
    std::int32_t addR = 0, addG = 0, addB = 0, addA = 0;
    static ColorTransform multiply(double r, double g, double b, double a = 1.0);
    static ColorTransform add(std::int32_t r, std::int32_t g, std::int32_t b, std::int32_t a = 0);
    bool hasMult() const { return multR != 256 || multG != 256 || multB != 256 || multA != 256; }
    bool hasAdd() const { return addR != 0 || addG != 0 || addB != 0 || addA != 0; }
    bool operator==(const ColorTransform&) const = default;
};

void writeCxform(BitWriter& w, const ColorTransform& cx);           // CXFORM: alpha terms dropped
void writeCxformWithAlpha(BitWriter& w, const ColorTransform& cx);  // CXFORMWITHALPHA

enum class SpreadMode : std::uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
enum class InterpolationMode : std::uint8_t { Normal = 0, Linear = 1 };

struct GradientStop {
    std::uint8_t ratio = 0;
    Rgba color;
};

struct Gradient {
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Normal;
    std::vector<GradientStop> stops;  // up to 15 (8 before SWF 8)
    double focalPoint = 0.0;          // only for focal radial fills, -1..1

    static Gradient twoColor(Rgba from, Rgba to) { return {SpreadMode::Pad, InterpolationMode::Normal, {{0, from}, {255, to}}, 0.0}; }
};

// GRADIENT (or FOCALGRADIENT when focal); colours as RGBA when withAlpha.
void writeGradient(BitWriter& w, const Gradient& g, bool withAlpha, bool focal);

enum class FillType : std::uint8_t {
    Solid = 0x00,
    LinearGradient = 0x10,
    RadialGradient = 0x12,
    FocalGradient = 0x13,
    RepeatingBitmap = 0x40,
    ClippedBitmap = 0x41,
    NonSmoothedRepeatingBitmap = 0x42,
    NonSmoothedClippedBitmap = 0x43,
};

struct FillStyle {
    FillType type = FillType::Solid;
    Rgba color;
    Matrix matrix;  // gradient or bitmap matrix
    Gradient gradient;
    std::uint16_t bitmapId = 0;

    static FillStyle solid(Rgba color);
    // Gradients live in a 32768-twip square centred on 0; the matrix maps it into the shape.
    static FillStyle linear(const Gradient& g, const Matrix& m = {});
    static FillStyle radial(const Gradient& g, const Matrix& m = {});
    static FillStyle focal(const Gradient& g, const Matrix& m = {});
    static FillStyle bitmap(std::uint16_t bitmapId, const Matrix& m = {}, bool repeat = true, bool smooth = true);
    bool isGradient() const;
    bool isBitmap() const;
    bool usesAlpha() const;
};

void writeFillStyle(BitWriter& w, const FillStyle& f, bool withAlpha);
// FILLSTYLEARRAY: a count byte, 0xFF and a U16 when extended counts are allowed (DefineShape2+).
void writeFillStyleArray(BitWriter& w, const std::vector<FillStyle>& fills, bool withAlpha, bool extendedCount);

enum class CapStyle : std::uint8_t { Round = 0, None = 1, Square = 2 };
enum class JoinStyle : std::uint8_t { Round = 0, Bevel = 1, Miter = 2 };

// One line style for both LINESTYLE and LINESTYLE2; the LINESTYLE2-only fields are written by
// DefineShape4 and DefineMorphShape2 and ignored by the older tags.
struct LineStyle {
    std::uint16_t width = 20;  // twips
    Rgba color;
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3.0;  // only for miter joins
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    std::optional<FillStyle> fill;  // fill inside the stroke

    static LineStyle solid(std::uint16_t widthTwips, Rgba color) {
        LineStyle s;
        s.width = widthTwips;
        s.color = color;
        return s;
    }
    // True when only LINESTYLE2 can say what this style asks for.
    bool needsLineStyle2() const;
};

void writeLineStyle(BitWriter& w, const LineStyle& s, bool withAlpha);
void writeLineStyle2(BitWriter& w, const LineStyle& s);
// LINESTYLEARRAY; lineStyle2 picks LINESTYLE2 records (DefineShape4).
void writeLineStyleArray(BitWriter& w, const std::vector<LineStyle>& lines, bool withAlpha, bool extendedCount,
                         bool lineStyle2);

}  // namespace kelmora::swf
