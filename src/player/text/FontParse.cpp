// DefineFont, DefineFont2/3, DefineFontInfo/2 and DefineFontName.
#include <algorithm>
#include <string>

#include "player/format/BitReader.h"
#include "player/text/FontDef.h"
#include "player/text/TextApi.h"

namespace kelmora::player {

namespace {

// Flash caps a font at 65535 glyphs by its field sizes; offsets are checked against the tag.
std::vector<uint8_t> sliceGlyph(std::span<const uint8_t> table, size_t from, size_t to) {
    if (from >= table.size() || to <= from) return {};
    to = std::min(to, table.size());
    return {table.begin() + from, table.begin() + to};
}

std::string fontName(std::span<const uint8_t> bytes) {
    std::string s(bytes.begin(), bytes.end());
    auto nul = s.find('\0');  // names are often stored with their terminating zero
    if (nul != std::string::npos) s.resize(nul);
    return s;
}

Result<std::shared_ptr<FontDef>> parseFont1(BitReader& in, std::shared_ptr<FontDef> font) {
    std::span<const uint8_t> table = in.rest();
    BitReader offsets(table);
    uint16_t first = offsets.u16();
    if (offsets.failed()) return font;  // a font without glyphs
    size_t count = first / 2;
    std::vector<size_t> starts{first};
    for (size_t i = 1; i < count && !offsets.failed(); ++i) starts.push_back(offsets.u16());
    if (offsets.failed()) return makeError("DefineFont " + std::to_string(font->id) + ": offset table cut short");
    font->glyphs.resize(starts.size());
    for (size_t i = 0; i < starts.size(); ++i) {
        size_t end = i + 1 < starts.size() ? starts[i + 1] : table.size();
        font->glyphs[i].shapeRecord = sliceGlyph(table, starts[i], end);
        font->glyphs[i].code = uint16_t(i);  // until DefineFontInfo gives the codes
    }
    font->indexCodes();
    return font;
}

Result<std::shared_ptr<FontDef>> parseFont23(BitReader& in, std::shared_ptr<FontDef> font) {
    const std::string what = (font->version == 3 ? "DefineFont3 " : "DefineFont2 ") + std::to_string(font->id);
    uint8_t flags = in.u8();
    font->hasLayout = flags & 0x80;
    font->shiftJis = flags & 0x40;
    font->smallText = flags & 0x20;
    font->ansi = flags & 0x10;
    bool wideOffsets = flags & 0x08;
    font->wideCodes = flags & 0x04;
    font->italic = flags & 0x02;
    font->bold = flags & 0x01;
    font->language = in.u8();
    font->name = fontName(in.take(in.u8()));
    uint16_t count = in.u16();
    if (in.failed()) return makeError(what + ": header cut short");

    std::span<const uint8_t> table = in.rest();
    BitReader t(table);
    std::vector<size_t> offsets(count);
    for (auto& o : offsets) o = wideOffsets ? t.u32() : t.u16();
    size_t codeTableOffset = wideOffsets ? t.u32() : t.u16();
    if (t.failed()) {
        if (count == 0) return font;  // a device font's record may stop after its name
        return makeError(what + ": offset table cut short");
    }
    font->glyphs.resize(count);
    for (size_t i = 0; i < count; ++i) {
        size_t end = i + 1 < count ? offsets[i + 1] : codeTableOffset;
        font->glyphs[i].shapeRecord = sliceGlyph(table, offsets[i], end);
    }
    t.seek(codeTableOffset);
    for (auto& g : font->glyphs) g.code = font->wideCodes ? t.u16() : t.u8();
    if (t.failed()) return makeError(what + ": code table cut short");
    font->indexCodes();
    if (!font->hasLayout) return font;

    // The layout is read as far as it goes: fonts cut short keep their glyphs.
    font->ascent = t.u16();
    font->descent = t.u16();
    font->leading = t.s16();
    for (auto& g : font->glyphs) g.advance = t.u16();  // unsigned, as the player reads it
    for (auto& g : font->glyphs) g.bounds = t.rect();
    uint16_t kerningCount = t.u16();
    for (uint16_t i = 0; i < kerningCount && !t.failed(); ++i) {
        KerningPair k;
        k.left = font->wideCodes ? t.u16() : t.u8();
        k.right = font->wideCodes ? t.u16() : t.u8();
        k.adjustment = t.s16();
        if (!t.failed()) font->kerning.push_back(k);
    }
    return font;
}

}  // namespace

Result<std::shared_ptr<FontDef>> parseFont(uint16_t tagCode, std::span<const uint8_t> body) {
    if (tagCode != 10 && tagCode != 48 && tagCode != 75) return makeError("not a font tag");
    BitReader in(body);
    auto font = std::make_shared<FontDef>();
    font->id = in.u16();
    if (in.failed()) return makeError("font tag cut short");
    if (tagCode == 10) return parseFont1(in, font);
    font->version = tagCode == 48 ? 2 : 3;
    font->emSquare = tagCode == 75 ? 20480 : 1024;
    return parseFont23(in, font);
}

Status applyFontInfo(FontDef& font, uint16_t tagCode, std::span<const uint8_t> body) {
    BitReader in(body);
    in.u16();  // font id: the caller found the font by it
    if (tagCode == 88) {
        font.fullName = in.string();
        font.copyright = in.string();
        return Status::success();  // both strings are optional in practice
    }
    if (tagCode != 13 && tagCode != 62) return makeError("not a font info tag");
    std::string name = fontName(in.take(in.u8()));
    uint8_t flags = in.u8();
    if (tagCode == 62) font.language = in.u8();
    if (in.failed()) return makeError("DefineFontInfo for font " + std::to_string(font.id) + ": cut short");
    font.name = name;
    font.smallText = flags & 0x20;
    font.shiftJis = flags & 0x10;
    font.ansi = flags & 0x08;
    font.italic = flags & 0x04;
    font.bold = flags & 0x02;
    font.wideCodes = tagCode == 62 || (flags & 0x01);
    for (auto& g : font.glyphs) {
        uint16_t code = font.wideCodes ? in.u16() : in.u8();
        if (in.failed()) break;  // glyphs without a code keep their index
        g.code = code;
    }
    font.indexCodes();
    return Status::success();
}

}  // namespace kelmora::player
