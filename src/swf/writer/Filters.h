#pragma once
// Bitmap filters of PlaceObject3 (SWF 8+). Blur, angle and distance are FIXED 16.16; strength FIXED8.
#include <array>
#include <cstdint>
#include <variant>
#include <vector>

#include "swf/writer/Records.h"

namespace kelmora::swf {

struct DropShadowFilter {
    Rgba color{0, 0, 0, 255};
    double blurX = 4, blurY = 4;
    double angle = 0.785398;  // radians
    double distance = 4;
    double strength = 1;
    bool innerShadow = false, knockout = false, compositeSource = true;
    int passes = 1;
};

struct BlurFilter {
    double blurX = 4, blurY = 4;
    int passes = 1;
};

struct GlowFilter {
    Rgba color{255, 0, 0, 255};
    double blurX = 6, blurY = 6;
    double strength = 2;
    bool innerGlow = false, knockout = false, compositeSource = true;
    int passes = 1;
};

struct BevelFilter {
    Rgba shadowColor{0, 0, 0, 255};
    Rgba highlightColor{255, 255, 255, 255};
    double blurX = 4, blurY = 4;
    double angle = 0.785398;
    double distance = 4;
    double strength = 1;
    bool innerShadow = true, knockout = false, compositeSource = true, onTop = false;
    int passes = 1;
};

struct GradientGlowFilter {
    std::vector<GradientStop> stops;
    double blurX = 4, blurY = 4;
    double angle = 0.785398;
    double distance = 4;
    double strength = 1;
    bool innerShadow = false, knockout = false, compositeSource = true, onTop = false;
    int passes = 1;
};

struct GradientBevelFilter : GradientGlowFilter {};

struct ConvolutionFilter {
    std::uint8_t matrixX = 3, matrixY = 3;
    float divisor = 1, bias = 0;
    std::vector<float> matrix;  // matrixX * matrixY values, row by row
    Rgba defaultColor{0, 0, 0, 0};
    bool clamp = true, preserveAlpha = true;
};

struct ColorMatrixFilter {
    std::array<float, 20> matrix{1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
};

using Filter = std::variant<DropShadowFilter, BlurFilter, GlowFilter, BevelFilter, GradientGlowFilter,
                            ConvolutionFilter, ColorMatrixFilter, GradientBevelFilter>;

// FILTERLIST: count byte and the filters, each led by its id (the variant index).
void writeFilterList(BitWriter& w, const std::vector<Filter>& filters);

}  // namespace kelmora::swf
