#pragma once
// A fill style made ready for one draw (colour transform applied, matrices inverted into pixel
// space) and the AGG style handler that turns paints into premultiplied spans.
#include <cstdint>
#include <vector>

#include <agg_color_rgba.h>

#include "player/Geometry.h"
#include "player/render/PixelBuffer.h"
#include "player/shape/ShapeStyles.h"

namespace kelmora::player {

class BitmapProvider;

struct FillPaint {
    enum class Kind : uint8_t { None, Solid, Gradient, Bitmap };
    Kind kind = Kind::None;
    agg::rgba8 color{0, 0, 0, 0};  // premultiplied; transparent for None
    // Gradients
    FillStyle::Kind gradientKind = FillStyle::Kind::LinearGradient;
    SpreadMode spread = SpreadMode::Pad;
    double focal = 0;
    const GradientRamp* ramp = nullptr;
    // Gradients and bitmaps: target pixel -> gradient square / bitmap pixel
    Matrix inverse;
    // Bitmaps
    const PixelBuffer* bitmap = nullptr;
    bool repeat = true, smooth = true;
    bool transformColors = false;
    ColorTransform cx;
};

agg::rgba8 premultipliedColor(Rgba c);

// Resolves a fill for a draw. `scratchRamp` receives the ramp when a colour transform asks for
// a new one; it must outlive the paint.
FillPaint resolveFillPaint(const FillStyle& fill, const Matrix& toPixels, const ColorTransform& cx,
                           const BitmapProvider* bitmaps, GradientRamp& scratchRamp);

// AGG's style handler for render_scanlines_compound: style n paints with paints[n].
class FillStyleHandler {
public:
    std::vector<FillPaint> paints;

    bool is_solid(unsigned style) const { return paints[style].kind <= FillPaint::Kind::Solid; }
    const agg::rgba8& color(unsigned style) const { return paints[style].color; }
    void generate_span(agg::rgba8* span, int x, int y, unsigned len, unsigned style) const;
};

}  // namespace kelmora::player
