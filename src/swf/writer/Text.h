#pragma once
// Fonts and text: DefineFont/2/3, DefineFontInfo/2, DefineFontName, DefineText/2, DefineEditText.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "swf/writer/Records.h"
#include "swf/writer/Shape.h"

namespace kelmora::swf {

// A glyph's outline uses fill style 1 (select it with fill0 or fill1 in the ShapeBuilder); its
// style arrays are ignored. Coordinates are in the font's EM square (1024 units for DefineFont2,
// 20480 for DefineFont3), y growing downwards from the baseline.
struct Glyph {
    std::uint16_t code = 0;  // character code (UCS-2 when wide codes are used)
    Shape shape;
    std::int16_t advance = 0;
    Rect bounds;

    // Bounds taken from the outline.
    static Glyph fromShape(std::uint16_t code, const Shape& shape, std::int16_t advance) {
        return {code, shape, advance, shape.edgeBounds};
    }
};

struct KerningPair {
    std::uint16_t left = 0, right = 0;
    std::int16_t adjustment = 0;
};

struct Font {
    std::string name;
    bool bold = false, italic = false, smallText = false, shiftJis = false, ansi = false;
    bool wideCodes = true;  // DefineFont3 and DefineFontInfo2 always use wide codes
    std::uint8_t languageCode = 0;
    std::vector<Glyph> glyphs;  // in ascending code order
    bool hasLayout = true;
    std::uint16_t ascent = 0, descent = 0;
    std::int16_t leading = 0;
    std::vector<KerningPair> kerning;
};

// One run of glyphs in a static text; a field left empty is not written.
struct GlyphEntry {
    std::uint32_t index = 0;  // into the font's glyph table
    std::int32_t advance = 0;
};

struct TextRecord {
    std::optional<std::uint16_t> fontId;  // with height
    std::uint16_t height = 240;          // twips, written with the font
    std::optional<Rgba> color;
    std::optional<std::int16_t> xOffset, yOffset;
    std::vector<GlyphEntry> glyphs;
};

struct StaticText {
    Rect bounds;
    Matrix matrix;
    std::vector<TextRecord> records;
};

enum class TextAlign : std::uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

struct EditTextLayout {
    TextAlign align = TextAlign::Left;
    std::uint16_t leftMargin = 0, rightMargin = 0, indent = 0;
    std::int16_t leading = 0;
};

struct EditText {
    Rect bounds;
    std::optional<std::uint16_t> fontId;
    std::optional<std::string> fontClass;
    std::uint16_t fontHeight = 240;  // twips, written with a font or font class
    std::optional<Rgba> color;
    std::optional<std::uint16_t> maxLength;
    std::optional<EditTextLayout> layout;
    std::string variableName;
    std::optional<std::string> initialText;
    bool wordWrap = false, multiline = false, password = false, readOnly = false;
    bool autoSize = false, noSelect = false, border = false, wasStatic = false, html = false, useOutlines = false;
};

// Glyph entries for a UTF-8 text set in the font at a height in twips: each advance is the
// glyph's advance scaled from the EM square (1024 for DefineFont2, 20480 for DefineFont3).
// Throws std::invalid_argument for a character the font lacks or bad UTF-8.
std::vector<GlyphEntry> layoutGlyphs(const Font& font, std::string_view utf8, std::uint16_t height, int emSquare = 1024);

Bytes encodeDefineFont(std::uint16_t id, const std::vector<Shape>& glyphs);
// fontVersion 2 or 3.
Bytes encodeDefineFont2(std::uint16_t id, const Font& font, int fontVersion);
// infoVersion 1 or 2.
Bytes encodeDefineFontInfo(std::uint16_t fontId, const Font& font, int infoVersion);
// textVersion 1 (RGB colours) or 2 (RGBA).
Bytes encodeDefineText(std::uint16_t id, const StaticText& text, int textVersion);
Bytes encodeDefineEditText(std::uint16_t id, const EditText& text);

}  // namespace kelmora::swf
