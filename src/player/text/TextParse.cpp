// DefineText and DefineText2.
#include <string>

#include "player/format/BitReader.h"
#include "player/text/TextApi.h"
#include "player/text/TextDef.h"

namespace kelmora::player {

Result<std::shared_ptr<TextDef>> parseText(uint16_t tagCode, std::span<const uint8_t> body) {
    if (tagCode != 11 && tagCode != 33) return makeError("not a text tag");
    const bool withAlpha = tagCode == 33;
    BitReader in(body);
    auto text = std::make_shared<TextDef>();
    text->id = in.u16();
    text->bounds = in.rect();
    text->matrix = in.matrix();
    unsigned glyphBits = in.u8(), advanceBits = in.u8();
    const std::string what = (withAlpha ? "DefineText2 " : "DefineText ") + std::to_string(text->id);
    if (in.failed()) return makeError(what + ": header cut short");
    if (glyphBits > 32 || advanceBits > 32) return makeError(what + ": bad glyph field sizes");

    TextRecord state;  // font, colour, height and position carry over between records
    while (!in.atEnd()) {
        uint8_t flags = in.u8();
        if (flags == 0) break;  // end of records
        if (flags & 0x08) state.fontId = in.u16();
        if (flags & 0x04) state.color = withAlpha ? in.rgba() : in.rgb();
        if (flags & 0x01) state.x = in.s16();
        if (flags & 0x02) state.y = in.s16();
        if (flags & 0x08) state.height = in.u16();
        unsigned count = in.u8();
        TextRecord record = state;
        record.glyphs.reserve(count);
        for (unsigned i = 0; i < count && !in.failed(); ++i) {
            TextGlyph g;
            g.index = in.ub(glyphBits);
            g.advance = in.sb(advanceBits);
            record.glyphs.push_back(g);
            state.x += g.advance;
        }
        in.align();
        if (in.failed()) break;  // keep the records that were whole
        text->records.push_back(std::move(record));
    }
    return text;
}

}  // namespace kelmora::player
