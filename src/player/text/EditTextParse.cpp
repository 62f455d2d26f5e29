// DefineEditText.
#include "player/format/BitReader.h"
#include "player/text/EditTextDef.h"
#include "player/text/TextApi.h"

namespace kelmora::player {

Result<std::shared_ptr<EditTextDef>> parseEditText(std::span<const uint8_t> body) {
    BitReader in(body);
    auto def = std::make_shared<EditTextDef>();
    def->id = in.u16();
    def->bounds = in.rect();
    uint8_t f1 = in.u8(), f2 = in.u8();
    bool hasText = f1 & 0x80;
    def->wordWrap = f1 & 0x40;
    def->multiline = f1 & 0x20;
    def->password = f1 & 0x10;
    def->readOnly = f1 & 0x08;
    def->hasTextColor = f1 & 0x04;
    def->hasMaxLength = f1 & 0x02;
    def->hasFont = f1 & 0x01;
    bool hasFontClass = f2 & 0x80;
    def->autoSize = f2 & 0x40;
    def->hasLayout = f2 & 0x20;
    def->noSelect = f2 & 0x10;
    def->border = f2 & 0x08;
    def->wasStatic = f2 & 0x04;
    def->html = f2 & 0x02;
    def->useOutlines = f2 & 0x01;
    if (def->hasFont) def->fontId = in.u16();
    if (hasFontClass) def->fontClass = in.string();
    if (def->hasFont || hasFontClass) def->fontHeight = in.u16();
    if (def->hasTextColor) def->textColor = in.rgba();
    if (def->hasMaxLength) def->maxLength = in.u16();
    if (def->hasLayout) {
        uint8_t align = in.u8();
        def->align = align <= 3 ? TextAlign(align) : TextAlign::Left;
        def->leftMargin = in.u16();
        def->rightMargin = in.u16();
        def->indent = in.u16();
        def->leading = in.s16();
    }
    if (in.failed()) return makeError("DefineEditText " + std::to_string(def->id) + ": tag cut short");
    // The variable name and text are often cut short in old files: keep what is there.
    def->variableName = in.string();
    if (hasText && !in.failed()) def->initialText = in.string();
    return def;
}

}  // namespace kelmora::player
