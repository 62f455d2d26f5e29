#pragma once
// An embedded font (DefineFont 1-3, completed by DefineFontInfo/DefineFontName): glyph outlines,
// the code of each glyph and, when the font has a layout, its metrics.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "player/Character.h"
#include "player/Geometry.h"
#include "player/shape/ShapeApi.h"

namespace kelmora::player {

struct FontGlyph {
    std::vector<uint8_t> shapeRecord;  // the glyph's SHAPE record, parsed on first use
    uint16_t code = 0;                 // character code (UCS-2 for wide codes, else a byte)
    double advance = 0;                // font units; 0 without a layout
    Rect bounds;                       // font units; empty without a layout
};

struct KerningPair {
    uint16_t left = 0, right = 0;
    double adjustment = 0;  // font units
};

struct FontDef : Character {
    FontDef() : Character(CharacterKind::Font) {}

    uint8_t version = 1;       // 1, 2 or 3 (DefineFont, DefineFont2, DefineFont3)
    double emSquare = 1024;    // glyph units per EM: 1024, or 20480 for DefineFont3
    std::string name;          // from DefineFont2/3 or DefineFontInfo
    std::string copyright;     // DefineFontName
    bool bold = false, italic = false, smallText = false, shiftJis = false, ansi = false, wideCodes = false;
    uint8_t language = 0;
    bool hasLayout = false;
    double ascent = 0, descent = 0, leading = 0;  // font units (with a layout)
    std::vector<FontGlyph> glyphs;
    std::vector<KerningPair> kerning;

    // Glyph index of a character code, or -1.
    int glyphIndex(uint16_t code) const;
    double kerningAdjustment(uint16_t leftCode, uint16_t rightCode) const;
    // The glyph's outline, parsed once (null when its record is unreadable or the index is bad).
    const ShapeDef* glyphShape(size_t index) const;

    // Rebuilds the code lookup after the glyph codes changed (parseFont, applyFontInfo).
    void indexCodes();

private:
    std::unordered_map<uint16_t, int> indexByCode_;
    mutable std::once_flag parsedOnce_;
    mutable std::vector<std::shared_ptr<ShapeDef>> shapes_;
};

}  // namespace kelmora::player
