#pragma once
// Builds font, text and text field tag bodies for the text tests.
#include <string>
#include <vector>

#include "player/text/GlyphOutlineWriter.h"
#include "swf/writer/BitWriter.h"

namespace kelmora::player::testing {

using swf::BitWriter;
using TagBytes = std::vector<uint8_t>;

// A glyph filling the box (x0,y0)-(x1,y1) in font units.
inline TagBytes boxGlyph(int x0, int y0, int x1, int y1) {
    GlyphOutlineWriter w(true);
    w.moveTo(x0, y0);
    w.lineTo(x1, y0);
    w.lineTo(x1, y1);
    w.lineTo(x0, y1);
    return w.finish();
}

struct TestGlyph {
    uint16_t code;
    TagBytes shape;
    int advance;
};

// DefineFont2 (or 3) with wide codes, wide offsets off, and a layout.
inline TagBytes defineFont2(uint16_t id, const std::string& name, const std::vector<TestGlyph>& glyphs, int ascent,
                            int descent, int leading, bool bold = false, bool withLayout = true) {
    BitWriter w;
    w.u16(id);
    w.u8((withLayout ? 0x80 : 0) | 0x04 | (bold ? 0x01 : 0));
    w.u8(1);
    w.u8(uint32_t(name.size()));
    w.bytes(name);
    w.u16(uint32_t(glyphs.size()));
    size_t offset = glyphs.size() * 2 + 2;
    for (auto& g : glyphs) { w.u16(uint32_t(offset)); offset += g.shape.size(); }
    w.u16(uint32_t(offset));
    for (auto& g : glyphs) w.bytes(g.shape);
    for (auto& g : glyphs) w.u16(g.code);
    if (withLayout) {
        w.u16(uint32_t(ascent));
        w.u16(uint32_t(descent));
        w.s16(leading);
        for (auto& g : glyphs) w.s16(g.advance);
        for (size_t i = 0; i < glyphs.size(); ++i) w.ub(0, 5).align();  // empty bounds
        w.u16(1);  // one kerning pair: first two codes
        w.u16(glyphs.size() > 0 ? glyphs[0].code : 0);
        w.u16(glyphs.size() > 1 ? glyphs[1].code : 0);
        w.s16(-30);
    }
    return w.take();
}

}  // namespace kelmora::player::testing
