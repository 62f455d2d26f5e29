#pragma once
// Fill and line styles of shapes, as read from the file (colours are straight, not premultiplied).
#include <array>
#include <cstdint>
#include <vector>

#include "player/Geometry.h"

namespace kelmora::player {

struct GradientStop {
    uint8_t ratio = 0;
    Rgba color;
};

enum class SpreadMode : uint8_t { Pad, Reflect, Repeat };
enum class InterpolationMode : uint8_t { Normal, LinearRgb };

// Up to 15 stops; the ramp is the gradient's 256 premultiplied ARGB colours without a colour
// transform, computed once when the shape is read.
struct Gradient {
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Normal;
    std::vector<GradientStop> stops;
    double focalPoint = 0;  // -1..1 along the x axis, focal gradients only
};

using GradientRamp = std::array<uint32_t, 256>;

struct FillStyle {
    enum class Kind : uint8_t { Solid, LinearGradient, RadialGradient, FocalGradient, Bitmap };
    Kind kind = Kind::Solid;
    Rgba color;
    Matrix matrix;  // gradient square (-16384..16384) or bitmap pixels to shape twips
    Gradient gradient;
    GradientRamp ramp{};  // gradients only
    uint16_t bitmapId = 0;
    bool bitmapRepeat = true;
    bool bitmapSmooth = true;

    bool isGradient() const { return kind >= Kind::LinearGradient && kind <= Kind::FocalGradient; }
};

enum class CapStyle : uint8_t { Round, None, Square };
enum class JoinStyle : uint8_t { Round, Bevel, Miter };

struct LineStyle {
    uint16_t width = 0;  // twips; 0 is a hairline
    Rgba color;
    CapStyle startCap = CapStyle::Round, endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3;
    bool hasFill = false;  // the stroke is painted with `fill` instead of `color`
    bool noHScale = false, noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    FillStyle fill;
};

// Fills the ramp from the stops (straight colours in, premultiplied ARGB out).
void buildGradientRamp(const Gradient& gradient, GradientRamp& ramp);
// The same with a colour transform applied to each stop first.
void buildGradientRamp(const Gradient& gradient, const ColorTransform& cx, GradientRamp& ramp);

}  // namespace kelmora::player
