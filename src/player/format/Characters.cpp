#include "player/format/Characters.h"

#include "player/format/BitReader.h"
#include "player/format/TagCodes.h"

namespace kelmora::player {

Result<std::shared_ptr<ButtonDef>> parseButton(uint16_t tagCode, std::span<const uint8_t> body) {
    BitReader r(body);
    auto button = std::make_shared<ButtonDef>(r.u16());
    const bool second = tagCode == tag::DefineButton2;
    if (second) {
        button->trackAsMenu = r.u8() & 1;
        r.u16();  // offset of the actions
    }
    while (!r.failed() && !r.atEnd()) {
        uint8_t flags = r.u8();
        if (flags == 0) break;
        ButtonRecord rec;
        rec.states = flags & 0x0f;
        rec.characterId = r.u16();
        rec.depth = r.u16();
        rec.matrix = r.matrix();
        if (second) {
            rec.colorTransform = r.colorTransform(true);
            if (flags & 0x10) rec.filters = readFilterList(r);
            if (flags & 0x20) {
                uint8_t mode = r.u8();
                rec.blendMode = (mode >= 1 && mode <= 14) ? static_cast<BlendMode>(mode) : BlendMode::Normal;
            }
        }
        if (r.failed()) break;
        button->records.push_back(std::move(rec));
    }
    if (button->records.empty() && r.failed()) return makeError("DefineButton: no readable record");
    return button;
}

void applyButtonCxform(ButtonDef& button, std::span<const uint8_t> body) {
    BitReader r(body);
    r.u16();
    ColorTransform cx = r.colorTransform(false);
    if (r.failed()) return;
    for (auto& rec : button.records) rec.colorTransform = cx;
}

Result<std::shared_ptr<VideoDef>> parseVideoStream(std::span<const uint8_t> body) {
    BitReader r(body);
    auto video = std::make_shared<VideoDef>(r.u16());
    video->frameCount = r.u16();
    video->width = r.u16();
    video->height = r.u16();
    r.ub(4);
    video->deblocking = static_cast<uint8_t>(r.ub(3));
    video->smoothing = r.flag();
    video->codecId = r.u8();
    if (r.failed()) return makeError("DefineVideoStream: record cut short");
    return video;
}

}  // namespace kelmora::player
