// Drives the bitmap, font, text, video and sound parsers with arbitrary bytes. The first byte
// picks the parser; the rest is the tag body.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "player/bitmap/BitmapApi.h"
#include "player/media/Sound.h"
#include "player/media/VideoDecoder.h"
#include "player/text/EditTextDef.h"
#include "player/text/FontDef.h"
#include "player/text/TextApi.h"
#include "player/text/TextDef.h"
#include "player/text/TextLayout.h"

using namespace kelmora::player;

namespace {

struct NoFonts : FontProvider {
    FontDef* font(uint16_t) const override { return nullptr; }
};

struct OneFont : FontProvider {
    FontDef* f = nullptr;
    FontDef* font(uint16_t) const override { return f; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t selector = data[0];
    std::span<const uint8_t> body(data + 1, size - 1);
    static const uint16_t kBitmapTags[] = {6, 21, 35, 90, 20, 36};
    static ShapeRenderer shapes;
    static PixelBuffer target(64, 64);
    switch (selector % 12) {
    case 0: case 1: case 2: case 3: case 4: case 5: {
        auto tables = body.first(std::min<size_t>(body.size(), selector / 12 * 8));
        (void)decodeBitmap(kBitmapTags[selector % 12], body.subspan(tables.size()), tables);
        break;
    }
    case 6: {  // fonts, their glyphs and a static text drawn with them
        static const uint16_t kFontTags[] = {10, 48, 75};
        auto font = parseFont(kFontTags[(selector / 12) % 3], body);
        if (!font) break;
        for (size_t i = 0; i < (*font)->glyphs.size() && i < 64; ++i)
            if (const ShapeDef* s = (*font)->glyphShape(i))
                shapes.drawSolid(*s, Matrix::scale(0.01, 0.01), {0, 0, 0, 255}, target);
        (void)applyFontInfo(**font, 13, body);
        break;
    }
    case 7: {
        auto text = parseText(selector & 0x10 ? 33 : 11, body);
        if (text) {
            NoFonts fonts;
            drawText(**text, fonts, Matrix::scale(0.05, 0.05), {}, target, shapes);
        }
        break;
    }
    case 8: {  // text fields with device fonts, laid out and drawn
        auto def = parseEditText(body);
        if (!def) break;
        NoFonts fonts;
        EditTextInstance field(*def, fonts);
        field.draw(Matrix::scale(0.05, 0.05), {}, target, shapes);
        break;
    }
    case 9: {  // HTML text
        auto def = std::make_shared<EditTextDef>();
        def->html = def->multiline = true;
        def->wordWrap = selector & 0x10;
        def->autoSize = selector & 0x20;
        def->bounds = {0, 0, 2000, 1000};
        def->initialText.assign(reinterpret_cast<const char*>(body.data()), body.size());
        NoFonts fonts;
        EditTextInstance field(def, fonts);
        (void)field.htmlText();
        (void)field.layout();
        break;
    }
    case 10: {  // video packets: the first body byte is the codec
        if (body.size() < 2) break;
        auto def = std::make_shared<VideoStreamDef>();
        def->codecId = body[0] % 8;
        def->width = 64;
        def->height = 48;
        auto rest = body.subspan(1);
        size_t half = rest.size() / 2;
        def->packets[0].assign(rest.begin(), rest.begin() + long(half));
        def->packets[1].assign(rest.begin() + long(half), rest.end());
        VideoDecoder decoder(def);
        (void)decoder.frame(1);
        (void)decoder.frame(0);
        break;
    }
    default: {
        (void)parseDefineSound(body);
        (void)parseStartSound(selector & 0x10 ? 89 : 15, body);
        auto head = parseSoundStreamHead(body);
        if (head) (void)parseSoundStreamBlock(*head, body);
        break;
    }
    }
    return 0;
}
