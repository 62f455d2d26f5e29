// Drawing a text field: background and border, glyphs, underlines.
#include <cmath>

#include "player/text/EditTextInstance.h"
#include "player/text/GlyphOutlineWriter.h"

namespace kelmora::player {

namespace {

// Outlines are written in 1/16 twips so that a one-pixel border stays exact at any scale.
constexpr double kSubTwips = 16;

int32_t sub(double twips) { return int32_t(std::lround(twips * kSubTwips)); }

void addRect(GlyphOutlineWriter& w, double x0, double y0, double x1, double y1, bool clockwise) {
    w.moveTo(sub(x0), sub(y0));
    if (clockwise) {
        w.lineTo(sub(x1), sub(y0));
        w.lineTo(sub(x1), sub(y1));
        w.lineTo(sub(x0), sub(y1));
    } else {
        w.lineTo(sub(x0), sub(y1));
        w.lineTo(sub(x1), sub(y1));
        w.lineTo(sub(x1), sub(y0));
    }
}

std::shared_ptr<ShapeDef> rectShape(double x0, double y0, double x1, double y1) {
    GlyphOutlineWriter w(true);
    addRect(w, x0, y0, x1, y1, true);
    auto shape = parseGlyph(w.finish());
    return shape ? std::move(*shape) : nullptr;
}

// The border of a w x h box: lines `t` wide along its top and left edges and just past its right
// and bottom edges; the player leaves the far corner out.
std::shared_ptr<ShapeDef> borderShape(double w, double h, double t) {
    GlyphOutlineWriter out(true);
    addRect(out, 0, 0, w, t, true);
    addRect(out, 0, h, w, h + t, true);
    if (h > t) addRect(out, 0, t, t, h, true);
    addRect(out, w, 0, w + t, h, true);
    auto shape = parseGlyph(out.finish());
    return shape ? std::move(*shape) : nullptr;
}

}  // namespace

void EditTextInstance::draw(const Matrix& toPixels, const ColorTransform& cx, PixelBuffer& target,
                            ShapeRenderer& shapes) {
    Impl& d = *impl_;
    d.ensureLayout();
    const Rect& b = d.bounds;
    const double w = b.width(), h = b.height();
    const Matrix origin = toPixels * Matrix::translate(b.xMin, b.yMin);
    const Matrix outlines = origin * Matrix::scale(1 / kSubTwips, 1 / kSubTwips);
    // The border is one pixel wide on screen, whatever the field's scale.
    const double pixel = 1 / std::sqrt(std::max(std::abs(toPixels.determinant()), 1e-12));
    // Box (background and border) size and placement; an upright box sits on whole pixels.
    double boxW = w, boxH = h, boxPixel = pixel;
    Matrix boxOutlines = outlines;
    if (origin.b == 0 && origin.c == 0 && origin.a > 0 && origin.d > 0) {
        const double x0 = std::round(origin.tx), y0 = std::round(origin.ty);
        boxW = std::round(origin.tx + w * origin.a) - x0;
        boxH = std::round(origin.ty + h * origin.d) - y0;
        boxPixel = 1;
        boxOutlines = Matrix::translate(x0, y0) * Matrix::scale(1 / kSubTwips, 1 / kSubTwips);
    }
    const Rect boxKey{boxW, boxH, boxPixel, 0};
    if (d.decoratedVersion != d.layoutVersion || d.decoratedBounds != boxKey) {
        d.decoratedVersion = d.layoutVersion;
        d.decoratedBounds = boxKey;
        d.borderWidth = pixel;
        const bool box = (d.def->border || d.def->background) && !b.empty();
        d.background = box ? rectShape(0, 0, boxW + boxPixel, boxH + boxPixel) : nullptr;
        d.border = box ? borderShape(boxW, boxH, boxPixel) : nullptr;
        d.underlines.clear();
        for (const TextUnderline& u : d.layout.underlines)
            d.underlines.push_back(rectShape(u.x0, u.y, u.x1, u.y + u.thickness));
    }
    if (d.background) {
        // A border without background fills nothing inside its frame.
        Rgba fill = d.def->background ? d.def->backgroundColor : Rgba{0, 0, 0, 0};
        if (fill.a) shapes.drawSolid(*d.background, boxOutlines, cx.apply(fill), target);
    }

    // Lines that start below the field are not drawn (Flash clips the field's text to its box).
    const double bottom = h - kTextGutter;
    for (const LaidGlyph& g : d.layout.glyphs) {
        if (g.lineTop >= bottom && !d.def->autoSize) continue;
        // A boxed field clips its text to the box: a glyph starting past its right edge is
        // wholly outside.
        if (g.x >= w && (d.def->border || d.def->background)) continue;
        const ShapeDef* shape = g.source ? g.source->glyphShape(g.glyph) : nullptr;
        if (!shape) continue;
        Rgba color = cx.apply(g.color);
        if (color.a == 0) continue;
        double s = g.size / g.source->emSquare();
        shapes.drawSolid(*shape, origin * Matrix{s, 0, 0, s, g.x, g.y}, color, target);
    }
    for (size_t i = 0; i < d.underlines.size(); ++i)
        if (d.underlines[i]) shapes.drawSolid(*d.underlines[i], outlines, cx.apply(d.layout.underlines[i].color), target);
    if (d.border && d.def->border) shapes.drawSolid(*d.border, boxOutlines, cx.apply(d.def->borderColor), target);
}

}  // namespace kelmora::player
