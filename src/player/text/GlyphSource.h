#pragma once
// What text layout needs from a font, embedded or device: metrics, advances and outlines.
#include <memory>

#include "player/shape/ShapeApi.h"

namespace kelmora::player {

struct FontDef;

class GlyphSource {
public:
    virtual ~GlyphSource() = default;
    virtual double emSquare() const = 0;  // font units per EM
    virtual double ascent() const = 0;    // font units
    virtual double descent() const = 0;
    virtual int glyphIndex(char32_t c) const = 0;  // -1 when the font lacks it
    virtual double advance(int glyph) const = 0;   // font units
    virtual double kerning(char32_t, char32_t) const { return 0; }
    virtual const ShapeDef* glyphShape(int glyph) const = 0;
};

// An embedded font seen as a glyph source.
class EmbeddedGlyphSource final : public GlyphSource {
public:
    explicit EmbeddedGlyphSource(const FontDef& font) : font_(font) {}
    double emSquare() const override;
    double ascent() const override;
    double descent() const override;
    int glyphIndex(char32_t c) const override;
    double advance(int glyph) const override;
    double kerning(char32_t left, char32_t right) const override;
    const ShapeDef* glyphShape(int glyph) const override;
    const FontDef& font() const { return font_; }

private:
    const FontDef& font_;
};

}  // namespace kelmora::player
