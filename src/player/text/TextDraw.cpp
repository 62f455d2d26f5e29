// Static text drawn glyph by glyph through the shape renderer.
#include "player/text/FontDef.h"
#include "player/text/TextApi.h"
#include "player/text/TextDef.h"

namespace kelmora::player {

Rect textBounds(const TextDef& text) { return text.bounds; }

void drawText(const TextDef& text, const FontProvider& fonts, const Matrix& toPixels, const ColorTransform& cx,
              PixelBuffer& target, ShapeRenderer& shapes) {
    const Matrix base = toPixels * text.matrix;
    for (const TextRecord& record : text.records) {
        const FontDef* font = fonts.font(record.fontId);
        if (!font || record.glyphs.empty()) continue;
        const Rgba color = cx.apply(record.color);
        if (color.a == 0) continue;
        const double scale = record.height / font->emSquare;
        double x = record.x;
        for (const TextGlyph& g : record.glyphs) {
            if (const ShapeDef* glyph = font->glyphShape(g.index))
                shapes.drawSolid(*glyph, base * Matrix{scale, 0, 0, scale, x, record.y}, color, target);
            x += g.advance;
        }
    }
}

}  // namespace kelmora::player
