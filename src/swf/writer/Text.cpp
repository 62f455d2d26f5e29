#include "swf/writer/Text.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <stdexcept>

namespace kelmora::swf {

namespace {

Bytes glyphShape(const Shape& s) {
    BitWriter w;
    writeShapeRecords(w, s.records, 1, 0, 1);
    return w.take();
}

bool needsWideCodes(const Font& f) {
    return f.wideCodes || std::any_of(f.glyphs.begin(), f.glyphs.end(), [](const Glyph& g) { return g.code > 0xFF; });
}

void writeFontName(BitWriter& w, const std::string& name) {
    if (name.size() > 255) throw std::out_of_range("font name longer than 255 bytes");
    w.u8(static_cast<std::uint32_t>(name.size())).bytes(name);
}

// Next code point of UTF-8 text; advances pos.
std::uint32_t nextCodePoint(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    int extra = 0;
    std::uint32_t cp = 0;
    if (lead < 0x80) return lead;
    if ((lead & 0xE0) == 0xC0) { extra = 1; cp = lead & 0x1F; }
    else if ((lead & 0xF0) == 0xE0) { extra = 2; cp = lead & 0x0F; }
    else if ((lead & 0xF8) == 0xF0) { extra = 3; cp = lead & 0x07; }
    else throw std::invalid_argument("bad UTF-8 text");
    for (int i = 0; i < extra; ++i) {
        if (pos >= text.size() || (static_cast<unsigned char>(text[pos]) & 0xC0) != 0x80) throw std::invalid_argument("bad UTF-8 text");
        cp = cp << 6 | (static_cast<unsigned char>(text[pos++]) & 0x3F);
    }
    return cp;
}

}  // namespace

std::vector<GlyphEntry> layoutGlyphs(const Font& font, std::string_view utf8, std::uint16_t height, int emSquare) {
    if (emSquare <= 0) throw std::invalid_argument("EM square must be positive");
    std::vector<GlyphEntry> out;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::uint32_t cp = nextCodePoint(utf8, pos);
        const auto it = std::find_if(font.glyphs.begin(), font.glyphs.end(), [cp](const Glyph& g) { return g.code == cp; });
        if (it == font.glyphs.end()) throw std::invalid_argument("the font has no glyph for code " + std::to_string(cp));
        const double advance = static_cast<double>(it->advance) * height / emSquare;
        out.push_back({static_cast<std::uint32_t>(it - font.glyphs.begin()), static_cast<std::int32_t>(std::lround(advance))});
    }
    return out;
}

Bytes encodeDefineFont(std::uint16_t id, const std::vector<Shape>& glyphs) {
    BitWriter w;
    w.u16(id);
    std::vector<Bytes> shapes;
    for (const auto& g : glyphs) shapes.push_back(glyphShape(g));
    std::size_t offset = shapes.size() * 2;
    for (const auto& s : shapes) {
        w.u16(static_cast<std::uint32_t>(offset));
        offset += s.size();
    }
    for (const auto& s : shapes) w.bytes(s);
    return w.take();
}

Bytes encodeDefineFont2(std::uint16_t id, const Font& font, int fontVersion) {
    if (fontVersion != 2 && fontVersion != 3) throw std::invalid_argument("font version must be 2 or 3");
    const bool wideCodes = fontVersion == 3 || needsWideCodes(font);
    std::vector<Bytes> shapes;
    std::size_t shapeBytes = 0;
    for (const auto& g : font.glyphs) {
        shapes.push_back(glyphShape(g.shape));
        shapeBytes += shapes.back().size();
    }
    const std::size_t n = shapes.size();
    const bool wideOffsets = (n + 1) * 2 + shapeBytes > 0xFFFF;
    const std::size_t entry = wideOffsets ? 4 : 2;

    BitWriter w;
    w.u16(id);
    w.flag(font.hasLayout).flag(font.shiftJis).flag(font.smallText).flag(font.ansi).flag(wideOffsets).flag(wideCodes)
        .flag(font.italic).flag(font.bold);
    w.u8(font.languageCode);
    writeFontName(w, font.name);
    w.u16(static_cast<std::uint32_t>(n));
    std::size_t offset = (n + 1) * entry;
    auto writeOffset = [&](std::size_t v) { wideOffsets ? w.u32(static_cast<std::uint32_t>(v)) : w.u16(static_cast<std::uint32_t>(v)); };
    for (const auto& s : shapes) {
        writeOffset(offset);
        offset += s.size();
    }
    writeOffset(offset);  // code table
    for (const auto& s : shapes) w.bytes(s);
    for (const auto& g : font.glyphs) wideCodes ? w.u16(g.code) : w.u8(g.code);
    if (font.hasLayout) {
        w.u16(font.ascent).u16(font.descent).s16(font.leading);
        for (const auto& g : font.glyphs) w.s16(g.advance);
        for (const auto& g : font.glyphs) writeRect(w, g.bounds);
        w.u16(static_cast<std::uint32_t>(font.kerning.size()));
        for (const auto& k : font.kerning) {
            wideCodes ? w.u16(k.left).u16(k.right) : w.u8(k.left).u8(k.right);
            w.s16(k.adjustment);
        }
    }
    return w.take();
}

Bytes encodeDefineFontInfo(std::uint16_t fontId, const Font& font, int infoVersion) {
    if (infoVersion != 1 && infoVersion != 2) throw std::invalid_argument("font info version must be 1 or 2");
    const bool wideCodes = infoVersion == 2 || needsWideCodes(font);
    BitWriter w;
    w.u16(fontId);
    writeFontName(w, font.name);
    w.ub(0, 2).flag(font.smallText).flag(font.shiftJis).flag(font.ansi).flag(font.italic).flag(font.bold).flag(wideCodes);
    if (infoVersion == 2) w.u8(font.languageCode);
    for (const auto& g : font.glyphs) wideCodes ? w.u16(g.code) : w.u8(g.code);
    return w.take();
}

Bytes encodeDefineText(std::uint16_t id, const StaticText& text, int textVersion) {
    if (textVersion != 1 && textVersion != 2) throw std::invalid_argument("text version must be 1 or 2");
    int glyphBits = 0, advanceBits = 0;
    for (const auto& r : text.records)
        for (const auto& g : r.glyphs) {
            glyphBits = std::max(glyphBits, BitWriter::unsignedBits(g.index));
            advanceBits = std::max(advanceBits, BitWriter::signedBits(g.advance));
        }
    BitWriter w;
    w.u16(id);
    writeRect(w, text.bounds);
    writeMatrix(w, text.matrix);
    w.u8(static_cast<std::uint32_t>(glyphBits)).u8(static_cast<std::uint32_t>(advanceBits));
    for (const auto& r : text.records) {
        if (r.glyphs.size() > 255) throw std::out_of_range("a text record holds at most 255 glyphs");
        w.ub(1, 1).ub(0, 3).flag(r.fontId.has_value()).flag(r.color.has_value()).flag(r.yOffset.has_value())
            .flag(r.xOffset.has_value());
        if (r.fontId) w.u16(*r.fontId);
        if (r.color) textVersion == 2 ? writeRgba(w, *r.color) : writeRgb(w, *r.color);
        if (r.xOffset) w.s16(*r.xOffset);
        if (r.yOffset) w.s16(*r.yOffset);
        if (r.fontId) w.u16(r.height);
        w.u8(static_cast<std::uint32_t>(r.glyphs.size()));
        for (const auto& g : r.glyphs) w.ub(g.index, glyphBits).sb(g.advance, advanceBits);
        w.align();
    }
    w.u8(0);
    return w.take();
}

Bytes encodeDefineEditText(std::uint16_t id, const EditText& t) {
    BitWriter w;
    w.u16(id);
    writeRect(w, t.bounds);
    w.flag(t.initialText.has_value()).flag(t.wordWrap).flag(t.multiline).flag(t.password).flag(t.readOnly)
        .flag(t.color.has_value()).flag(t.maxLength.has_value()).flag(t.fontId.has_value());
    w.flag(t.fontClass.has_value()).flag(t.autoSize).flag(t.layout.has_value()).flag(t.noSelect).flag(t.border)
        .flag(t.wasStatic).flag(t.html).flag(t.useOutlines);
    if (t.fontId) w.u16(*t.fontId);
    if (t.fontClass) w.string(*t.fontClass);
    if (t.fontId || t.fontClass) w.u16(t.fontHeight);
    if (t.color) writeRgba(w, *t.color);
    if (t.maxLength) w.u16(*t.maxLength);
    if (t.layout) {
        w.u8(static_cast<std::uint8_t>(t.layout->align)).u16(t.layout->leftMargin).u16(t.layout->rightMargin)
            .u16(t.layout->indent).s16(t.layout->leading);
    }
    w.string(t.variableName);
    if (t.initialText) w.string(*t.initialText);
    return w.take();
}

}  // namespace kelmora::swf
