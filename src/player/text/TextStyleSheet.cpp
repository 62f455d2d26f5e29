#include "player/text/TextStyleSheet.h"

#include "util/TextNumber.h"

namespace kelmora::player {

void TextStyle::applyTo(TextFormat& f) const {
    const TextFormat& s = format;
    if (fields & Font) f.font = s.font;
    if (fields & Size) f.size = s.size;
    if (fields & Color) f.color = s.color;
    if (fields & Bold) f.bold = s.bold;
    if (fields & Italic) f.italic = s.italic;
    if (fields & Underline) f.underline = s.underline;
    if (fields & Align) f.align = s.align;
    if (fields & LeftMargin) f.leftMargin = s.leftMargin;
    if (fields & RightMargin) f.rightMargin = s.rightMargin;
    if (fields & Indent) f.indent = s.indent;
    if (fields & BlockIndent) f.blockIndent = s.blockIndent;
    if (fields & Leading) f.leading = s.leading;
    if (fields & LetterSpacing) f.letterSpacing = s.letterSpacing;
    if (fields & Kerning) f.kerning = s.kerning;
    if (fields & Url) f.url = s.url;
    if (fields & Target) f.target = s.target;
    if (fields & Bullet) f.bullet = s.bullet;
    if (fields & TabStops) f.tabStops = s.tabStops;
}

void TextStyleSheet::add(std::string_view selector, const TextStyle& style) {
    std::string key = toLower(selector);
    auto it = styles_.find(key);
    if (it != styles_.end()) it->second = style;
    else if (styles_.size() < kMaxStyles) styles_.emplace(std::move(key), style);
}

const TextStyle* TextStyleSheet::find(std::string_view selector) const {
    auto it = styles_.find(toLower(selector));
    return it == styles_.end() ? nullptr : &it->second;
}

}  // namespace kelmora::player
