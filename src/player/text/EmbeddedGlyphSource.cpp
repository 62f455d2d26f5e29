#include "player/text/FontDef.h"
#include "player/text/GlyphSource.h"

namespace kelmora::player {

double EmbeddedGlyphSource::emSquare() const { return font_.emSquare; }
// Fonts without a layout get the proportions of a typical Latin font.
double EmbeddedGlyphSource::ascent() const { return font_.hasLayout ? font_.ascent : font_.emSquare * 0.9; }
double EmbeddedGlyphSource::descent() const { return font_.hasLayout ? font_.descent : font_.emSquare * 0.22; }

int EmbeddedGlyphSource::glyphIndex(char32_t c) const {
    return c > 0xFFFF ? -1 : font_.glyphIndex(uint16_t(c));
}

double EmbeddedGlyphSource::advance(int glyph) const {
    if (glyph < 0 || size_t(glyph) >= font_.glyphs.size()) return 0;
    return font_.hasLayout ? font_.glyphs[size_t(glyph)].advance : font_.emSquare * 0.6;
}

double EmbeddedGlyphSource::kerning(char32_t left, char32_t right) const {
    if (left > 0xFFFF || right > 0xFFFF || font_.kerning.empty()) return 0;
    return font_.kerningAdjustment(uint16_t(left), uint16_t(right));
}

const ShapeDef* EmbeddedGlyphSource::glyphShape(int glyph) const {
    return glyph < 0 ? nullptr : font_.glyphShape(size_t(glyph));
}

}  // namespace kelmora::player
