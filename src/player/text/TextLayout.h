#pragma once
// Lays out a text field's styled text into lines and glyph positions: word wrap, alignment,
// margins, indents, leading and Flash's 2-pixel gutter.
#include <functional>
#include <vector>

#include "player/Geometry.h"
#include "player/text/GlyphSource.h"
#include "player/text/TextFormat.h"

namespace kelmora::player {

inline constexpr double kTextGutter = 2 * kTwipsPerPixel;

struct LaidGlyph {
    const GlyphSource* source = nullptr;
    int glyph = -1;
    double x = 0, y = 0;  // baseline origin, twips from the field's top-left corner
    double size = 0;      // twips per EM
    Rgba color;
    double lineTop = 0;   // top of the glyph's line
};

struct TextUnderline {
    double x0 = 0, x1 = 0, y = 0, thickness = kTwipsPerPixel;
    Rgba color;
};

struct TextLayoutParams {
    double width = 0;  // the field's width, twips
    bool wordWrap = false;
    bool password = false;
    // Spaces ending a paragraph that isn't left-aligned hang past its edge (SWF 8 and later).
    bool hangTrailingSpaces = true;
};

struct TextLayoutResult {
    std::vector<LaidGlyph> glyphs;
    std::vector<TextUnderline> underlines;
    double textWidth = 0, textHeight = 0;  // the text's extent without gutters (twips)
    int lines = 0;
};

// The font to use for a format; null draws nothing (characters still take no room).
using GlyphSourceResolver = std::function<const GlyphSource*(const TextFormat&)>;

TextLayoutResult layoutText(const StyledText& text, const TextLayoutParams& params, const GlyphSourceResolver& resolve);

}  // namespace kelmora::player
