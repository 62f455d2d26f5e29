#pragma once
// Static text (DefineText/DefineText2): records of glyphs placed by the authoring tool.
#include <cstdint>
#include <vector>

#include "player/Character.h"
#include "player/Geometry.h"

namespace kelmora::player {

struct TextGlyph {
    uint32_t index = 0;   // glyph index in the record's font
    int32_t advance = 0;  // twips to the next glyph
};

// One run of glyphs; the font, colour, height and position carried over from earlier records are
// already filled in.
struct TextRecord {
    uint16_t fontId = 0;
    Rgba color;
    double x = 0, y = 0;  // twips, baseline of the first glyph
    double height = 0;    // twips (the EM square's size)
    std::vector<TextGlyph> glyphs;
};

struct TextDef : Character {
    TextDef() : Character(CharacterKind::Text) {}
    Rect bounds;
    Matrix matrix;
    std::vector<TextRecord> records;
};

}  // namespace kelmora::player
