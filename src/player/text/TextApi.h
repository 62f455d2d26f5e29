#pragma once
// The contract for fonts and text: DefineFont 1-3 (+FontInfo), DefineText 1-2 and DefineEditText,
// drawn through the shape renderer; text without embedded glyphs uses device fonts.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "player/Character.h"
#include "player/Geometry.h"
#include "player/render/PixelBuffer.h"
#include "player/shape/ShapeApi.h"
#include "util/Result.h"

namespace kelmora::player {

struct FontDef;      // text/FontDef.h
struct TextDef;      // text/TextDef.h (static text)
struct EditTextDef;  // text/EditTextDef.h (dynamic/input text as defined in the file)
struct TextLayoutResult;  // text/TextLayout.h
struct TextFormat;        // text/TextFormat.h
struct StyledText;

class FontProvider {
public:
    virtual ~FontProvider() = default;
    virtual FontDef* font(uint16_t characterId) const = 0;
    // An embedded font by name and style, for the <font face> of HTML text; null when the movie
    // has none (the field then uses a device font).
    virtual FontDef* fontByName(const std::string& /*name*/, bool /*bold*/, bool /*italic*/) const { return nullptr; }
};

// tagCode: 10, 48, 75.
Result<std::shared_ptr<FontDef>> parseFont(uint16_t tagCode, std::span<const uint8_t> body);
// DefineFontInfo (13) / DefineFontInfo2 (62) / DefineFontName (88): the font id is the body's first U16.
Status applyFontInfo(FontDef& font, uint16_t tagCode, std::span<const uint8_t> body);
// tagCode: 11, 33.
Result<std::shared_ptr<TextDef>> parseText(uint16_t tagCode, std::span<const uint8_t> body);
Result<std::shared_ptr<EditTextDef>> parseEditText(std::span<const uint8_t> body);

Rect textBounds(const TextDef& text);
void drawText(const TextDef& text, const FontProvider& fonts, const Matrix& toPixels, const ColorTransform& cx,
              PixelBuffer& target, ShapeRenderer& shapes);

// A text field on stage: its definition plus the text that scripts may change.
class EditTextInstance {
public:
    EditTextInstance(std::shared_ptr<const EditTextDef> def, const FontProvider& fonts);
    ~EditTextInstance();
    const EditTextDef& definition() const;
    std::string text() const;                 // plain text
    void setText(const std::string& plain);
    std::string htmlText() const;
    void setHtmlText(const std::string& html);
    Rect bounds() const;                      // twips, in the field's own space
    void draw(const Matrix& toPixels, const ColorTransform& cx, PixelBuffer& target, ShapeRenderer& shapes);
    // Lines and glyph positions of the current text (text/TextLayout.h).
    const TextLayoutResult& layout() const;
    // For scripts: the field's own settings (a copy of its definition), its text with a format
    // per character, and the format of text set later. Call changed() after changing any of them.
    EditTextDef& settings();
    StyledText& styledText();
    TextFormat& newTextFormat();
    void changed();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kelmora::player
