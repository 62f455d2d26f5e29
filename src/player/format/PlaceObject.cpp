#include "player/format/PlaceObject.h"

#include "player/format/BitReader.h"
#include "player/format/TagCodes.h"

namespace kelmora::player {

void PlaceObjectRecord::merge(const PlaceObjectRecord& later) {
    if (later.characterId) characterId = later.characterId;
    if (later.matrix) matrix = later.matrix;
    if (later.colorTransform) colorTransform = later.colorTransform;
    if (later.ratio) ratio = later.ratio;
    if (later.name) name = later.name;
    if (later.clipDepth) clipDepth = later.clipDepth;
    if (later.filters) filters = later.filters;
    if (later.blendMode) blendMode = later.blendMode;
    if (later.cacheAsBitmap) cacheAsBitmap = later.cacheAsBitmap;
    if (later.visible) visible = later.visible;
    if (later.backgroundColor) backgroundColor = later.backgroundColor;
    if (later.className) className = later.className;
    if (!later.clipActions.empty()) clipActions = later.clipActions;
}

Result<PlaceObjectRecord> parsePlaceObject(uint16_t tagCode, std::span<const uint8_t> body, uint8_t swfVersion) {
    BitReader r(body);
    PlaceObjectRecord p;
    if (tagCode == tag::PlaceObject) {
        p.characterId = r.u16();
        p.depth = r.u16();
        p.matrix = r.matrix();
        if (!r.atEnd()) p.colorTransform = r.colorTransform(false);
        if (r.failed()) return makeError("PlaceObject: record cut short");
        return p;
    }
    uint8_t flags = r.u8();
    uint8_t flags3 = tagCode == tag::PlaceObject3 ? r.u8() : 0;
    p.depth = r.u16();
    p.move = flags & 0x01;
    bool hasClassName = (flags3 & 0x08) || ((flags3 & 0x10) && (flags & 0x02));
    if (hasClassName) p.className = r.string();
    if (flags & 0x02) p.characterId = r.u16();
    if (flags & 0x04) p.matrix = r.matrix();
    if (flags & 0x08) p.colorTransform = r.colorTransform(true);
    if (flags & 0x10) p.ratio = r.u16();
    if (flags & 0x20) p.name = r.string();
    if (flags & 0x40) p.clipDepth = r.u16();
    if (r.failed()) return makeError("PlaceObject2: record cut short at depth " + std::to_string(p.depth));
    if (flags3 & 0x01) p.filters = readFilterList(r);
    if (flags3 & 0x02) {
        uint8_t mode = r.u8();
        p.blendMode = (mode >= 1 && mode <= 14) ? static_cast<BlendMode>(mode) : BlendMode::Normal;
    }
    if (flags3 & 0x04) p.cacheAsBitmap = r.u8() != 0;
    if (flags3 & 0x20) p.visible = r.u8() != 0;
    if (flags3 & 0x40) p.backgroundColor = r.rgba();
    // Fields after the colour transform are optional extras: a short record keeps what it had.
    if (r.failed()) {
        p.filters.reset();
        return p;
    }
    if (flags & 0x80) {
        // Clip actions: reserved U16, all-events flags, then records; kept raw for scripts.
        (void)swfVersion;
        p.clipActions = r.rest();
    }
    return p;
}

Result<uint16_t> parseRemoveObject(uint16_t tagCode, std::span<const uint8_t> body) {
    BitReader r(body);
    if (tagCode == tag::RemoveObject) r.u16();
    uint16_t depth = r.u16();
    if (r.failed()) return makeError("RemoveObject: record cut short");
    return depth;
}

}  // namespace kelmora::player
