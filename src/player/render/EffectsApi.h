#pragma once
// The contract for the SWF 8 filters and blend modes: records parsed from PlaceObject3 and the
// pixel code that applies them to premultiplied ARGB pictures.
#include <cstdint>
#include <vector>

#include "player/Geometry.h"
#include "player/format/BitReader.h"
#include "player/render/PixelBuffer.h"

namespace kelmora::player {

enum class BlendMode : uint8_t {
    Normal = 1, Layer = 2, Multiply = 3, Screen = 4, Lighten = 5, Darken = 6, Difference = 7, Add = 8,
    Subtract = 9, Invert = 10, Alpha = 11, Erase = 12, Overlay = 13, HardLight = 14
};

struct GradientStopRecord {
    Rgba color;
    uint8_t ratio = 0;
};

struct Filter {
    enum class Kind : uint8_t { DropShadow = 0, Blur = 1, Glow = 2, Bevel = 3, GradientGlow = 4, Convolution = 5,
                                ColorMatrix = 6, GradientBevel = 7 };
    Kind kind = Kind::Blur;
    // Shared fields (pixels where a distance; as stored otherwise).
    Rgba color, highlight;                 // shadow/glow colour; bevel highlight
    double blurX = 0, blurY = 0;           // pixels
    double angle = 0, distance = 0;        // radians, pixels
    double strength = 1;
    bool inner = false, knockout = false, compositeSource = true, onTop = false;
    int passes = 1;
    std::vector<GradientStopRecord> gradient;  // gradient glow / bevel
    // Convolution
    int matrixX = 0, matrixY = 0;
    double divisor = 1, bias = 0;
    std::vector<float> matrix;             // convolution (matrixX*matrixY) or colour matrix (20)
    Rgba defaultColor;
    bool clamp = true, preserveAlpha = true;
};

// Caps on what a movie may ask for: more filters than this are read past and dropped, and a
// convolution matrix wider or taller than this is read past and the filter dropped.
inline constexpr int kMaxFilters = 32;
inline constexpr int kMaxConvolutionSide = 15;
// Blur values (after scaling) and offsets are held to this many pixels, which bounds the margins.
inline constexpr double kMaxFilterReach = 512;

// Reads a FILTERLIST (count byte and the filters) at the reader's position. A lying count or
// cut data stops reading: the filters read completely so far are returned, and the reader's
// error is set.
std::vector<Filter> readFilterList(BitReader& reader);

// How far the filters make the picture grow on each side, in whole pixels (for sizing the layer):
// xMin = left, yMin = top, xMax = right, yMax = bottom, each >= 0.
Rect filterMargins(const std::vector<Filter>& filters, double scaleX, double scaleY);

// Applies the filters in order to a layer. scaleX/scaleY turn the filters' pixel values into
// the layer's pixels (the stage scale times the object's scale, as Flash does).
void applyFilters(PixelBuffer& layer, const std::vector<Filter>& filters, double scaleX, double scaleY);

// Work memory kept between calls, so filtering a frame allocates nothing once warmed up. The
// overload without it uses one per thread.
struct FilterScratch;
FilterScratch& threadFilterScratch();
void applyFilters(PixelBuffer& layer, const std::vector<Filter>& filters, double scaleX, double scaleY,
                  FilterScratch& scratch);

// Composites src (a layer placed at offset ox, oy in dst) onto dst with a blend mode.
void blendLayer(PixelBuffer& dst, const PixelBuffer& src, int ox, int oy, BlendMode mode);

}  // namespace kelmora::player
