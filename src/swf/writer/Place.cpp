#include "swf/writer/Place.h"

namespace kelmora::swf {

Place Place::add(std::uint16_t characterId, std::uint16_t depth) {
    Place p;
    p.characterId_ = characterId;
    p.depth_ = depth;
    return p;
}

Place Place::move(std::uint16_t depth) {
    Place p;
    p.depth_ = depth;
    p.move_ = true;
    return p;
}

Place Place::replace(std::uint16_t characterId, std::uint16_t depth) {
    Place p = move(depth);
    p.characterId_ = characterId;
    return p;
}

bool Place::needsPlaceObject3() const {
    return hasFilters_ || blendMode_ || cacheAsBitmap_ || visible_ || background_ || className_ || hasImage_;
}

void Place::writeCommon(BitWriter& w) const {
    if (matrix_) writeMatrix(w, *matrix_);
    if (cxform_) writeCxformWithAlpha(w, *cxform_);
    if (ratio_) w.u16(*ratio_);
    if (name_) w.string(*name_);
    if (clipDepth_) w.u16(*clipDepth_);
}

void Place::writeClipActions(BitWriter& w, int swfVersion) const {
    const bool wide = swfVersion >= 6;
    auto flags = [&](std::uint32_t events) {
        w.align();
        if (wide)
            w.ub(events, 32);
        else
            w.ub(events >> 16, 16);
    };
    std::uint32_t all = 0;
    for (const auto& a : clipActions_) all |= a.events;
    w.u16(0);
    flags(all);
    for (const auto& a : clipActions_) {
        flags(a.events);
        const Bytes code = a.actions.bytes();
        const bool key = (a.events & KeyPress) != 0;
        w.u32(static_cast<std::uint32_t>(code.size() + (key ? 1 : 0)));
        if (key) w.u8(a.keyCode);
        w.bytes(code);
    }
    wide ? w.u32(0) : w.u16(0);
}

// The first flag byte, the same in PlaceObject2 and PlaceObject3.
void Place::writePlaceFlags(BitWriter& w) const {
    w.flag(!clipActions_.empty())
        .flag(clipDepth_.has_value())
        .flag(name_.has_value())
        .flag(ratio_.has_value())
        .flag(cxform_.has_value())
        .flag(matrix_.has_value())
        .flag(characterId_.has_value())
        .flag(move_);
}

Bytes Place::encodePlaceObject2(int swfVersion) const {
    BitWriter w;
    writePlaceFlags(w);
    w.u16(depth_);
    if (characterId_) w.u16(*characterId_);
    writeCommon(w);
    if (!clipActions_.empty()) writeClipActions(w, swfVersion);
    return w.take();
}

Bytes Place::encodePlaceObject3(int swfVersion) const {
    BitWriter w;
    writePlaceFlags(w);
    w.ub(0, 1)
        .flag(background_.has_value())
        .flag(visible_.has_value())
        .flag(hasImage_)
        .flag(className_.has_value())
        .flag(cacheAsBitmap_.has_value())
        .flag(blendMode_.has_value())
        .flag(hasFilters_);
    w.u16(depth_);
    // Readers expect a class name whenever HasImage and HasCharacter are both set.
    if (className_ || (hasImage_ && characterId_)) w.string(className_.value_or(""));
    if (characterId_) w.u16(*characterId_);
    writeCommon(w);
    if (hasFilters_) writeFilterList(w, filters_);
    if (blendMode_) w.u8(static_cast<std::uint8_t>(*blendMode_));
    if (cacheAsBitmap_) w.u8(*cacheAsBitmap_ ? 1 : 0);
    if (visible_) w.u8(*visible_ ? 1 : 0);
    if (background_) writeRgba(w, *background_);
    if (!clipActions_.empty()) writeClipActions(w, swfVersion);
    return w.take();
}

}  // namespace kelmora::swf
