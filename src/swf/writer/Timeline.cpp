#include "swf/writer/Timeline.h"

#include <stdexcept>
#include <string>

namespace kelmora::swf {

namespace {

bool alwaysLong(std::uint16_t code) {
    switch (static_cast<TagCode>(code)) {
    case TagCode::DefineBits:
    case TagCode::DefineBitsJPEG2:
    case TagCode::DefineBitsJPEG3:
    case TagCode::DefineBitsJPEG4:
    case TagCode::DefineBitsLossless:
    case TagCode::DefineBitsLossless2:
        return true;
    default:
        return false;
    }
}

}  // namespace

Timeline& Timeline::tag(TagCode code, std::span<const std::uint8_t> body, TagForm form) {
    return tag(static_cast<std::uint16_t>(code), body, form);
}

Timeline& Timeline::tag(std::uint16_t code, std::span<const std::uint8_t> body, TagForm form) {
    if (code > 0x3FF) throw std::out_of_range("tag code beyond 10 bits: " + std::to_string(code));
    if (body.size() > 0xFFFFFFFFu) throw std::out_of_range("tag body too long");
    BitWriter w;
    if (body.size() < 0x3F && form == TagForm::Auto && !alwaysLong(code)) {
        w.u16(static_cast<std::uint32_t>(code << 6 | body.size()));
    } else {
        w.u16(static_cast<std::uint32_t>(code << 6 | 0x3F)).u32(static_cast<std::uint32_t>(body.size()));
    }
    w.bytes(body);
    tags_.insert(tags_.end(), w.data().begin(), w.data().end());
    if (code == static_cast<std::uint16_t>(TagCode::ShowFrame)) ++frames_;
    endsWithEnd_ = code == static_cast<std::uint16_t>(TagCode::End);
    return *this;
}

Timeline& Timeline::showFrame(int count) {
    for (int i = 0; i < count; ++i) tag(TagCode::ShowFrame, {});
    return *this;
}

Timeline& Timeline::frameLabel(std::string_view name, bool namedAnchor) {
    BitWriter w;
    w.string(name);
    if (namedAnchor) w.u8(1);
    return tag(TagCode::FrameLabel, w.data());
}

Timeline& Timeline::end() { return tag(TagCode::End, {}); }

Timeline& Timeline::setBackgroundColor(Rgba color) {
    BitWriter w;
    writeRgb(w, color);
    return tag(TagCode::SetBackgroundColor, w.data());
}

Timeline& Timeline::fileAttributes(const FileAttributes& a) {
    BitWriter w;
    w.ub(0, 1).flag(a.useDirectBlit).flag(a.useGpu).flag(a.hasMetadata).flag(a.actionScript3).ub(0, 2).flag(a.useNetwork);
    w.ub(0, 24);
    return tag(TagCode::FileAttributes, w.data());
}

Timeline& Timeline::sceneAndFrameLabels(const std::vector<SceneInfo>& scenes, const std::vector<FrameLabelInfo>& labels) {
    BitWriter w;
    w.encodedU32(static_cast<std::uint32_t>(scenes.size()));
    for (const auto& s : scenes) w.encodedU32(s.frameOffset).string(s.name);
    w.encodedU32(static_cast<std::uint32_t>(labels.size()));
    for (const auto& l : labels) w.encodedU32(l.frame).string(l.label);
    return tag(TagCode::DefineSceneAndFrameLabelData, w.data());
}

Timeline& Timeline::exportAssets(const std::vector<std::pair<std::uint16_t, std::string>>& assets) {
    BitWriter w;
    w.u16(static_cast<std::uint32_t>(assets.size()));
    for (const auto& [id, name] : assets) w.u16(id).string(name);
    return tag(TagCode::ExportAssets, w.data());
}

Timeline& Timeline::scriptLimits(std::uint16_t maxRecursionDepth, std::uint16_t scriptTimeoutSeconds) {
    return tag(TagCode::ScriptLimits, BitWriter().u16(maxRecursionDepth).u16(scriptTimeoutSeconds).data());
}

Timeline& Timeline::setTabIndex(std::uint16_t depth, std::uint16_t tabIndex) {
    return tag(TagCode::SetTabIndex, BitWriter().u16(depth).u16(tabIndex).data());
}

Timeline& Timeline::defineShape(std::uint16_t id, const Shape& shape, int shapeVersion) {
    const int v = shapeVersion == 0 ? shape.minimumShapeVersion() : shapeVersion;
    BitWriter w;
    w.u16(id);
    writeRect(w, shape.bounds);
    if (v == 4) {
        writeRect(w, shape.edgeBounds);
        bool nonScaling = false, scaling = false;
        auto scan = [&](const std::vector<LineStyle>& lines) {
            for (const auto& l : lines) {
                if (l.noHScale || l.noVScale)
                    nonScaling = true;
                else
                    scaling = true;
            }
        };
        scan(shape.lines);
        for (const auto& r : shape.records)
            if (const auto* sc = std::get_if<StyleChange>(&r); sc && sc->newStyles) scan(sc->newStyles->lines);
        w.ub(0, 5).flag(shape.usesFillWindingRule).flag(nonScaling).flag(scaling);
    }
    writeShapeWithStyle(w, shape, v);
    static constexpr TagCode kCodes[] = {TagCode::DefineShape, TagCode::DefineShape2, TagCode::DefineShape3,
                                         TagCode::DefineShape4};
    if (v < 1 || v > 4) throw std::invalid_argument("shape version must be 1 to 4");
    return tag(kCodes[v - 1], w.data());
}

Timeline& Timeline::defineScalingGrid(std::uint16_t characterId, const Rect& splitter) {
    BitWriter w;
    w.u16(characterId);
    writeRect(w, splitter);
    return tag(TagCode::DefineScalingGrid, w.data());
}

Timeline& Timeline::placeObject(std::uint16_t characterId, std::uint16_t depth, const Matrix& matrix,
                                const std::optional<ColorTransform>& cxform) {
    BitWriter w;
    w.u16(characterId).u16(depth);
    writeMatrix(w, matrix);
    if (cxform) writeCxform(w, *cxform);
    return tag(TagCode::PlaceObject, w.data());
}

Timeline& Timeline::place(const Place& p) { return p.needsPlaceObject3() ? placeObject3(p) : placeObject2(p); }

Timeline& Timeline::placeObject2(const Place& p) { return tag(TagCode::PlaceObject2, p.encodePlaceObject2(version_)); }

Timeline& Timeline::placeObject3(const Place& p) { return tag(TagCode::PlaceObject3, p.encodePlaceObject3(version_)); }

Timeline& Timeline::removeObject(std::uint16_t characterId, std::uint16_t depth) {
    return tag(TagCode::RemoveObject, BitWriter().u16(characterId).u16(depth).data());
}

Timeline& Timeline::removeObject2(std::uint16_t depth) { return tag(TagCode::RemoveObject2, BitWriter().u16(depth).data()); }

Timeline& Timeline::doAction(const ActionBuilder& actions) { return tag(TagCode::DoAction, actions.bytes()); }

Timeline& Timeline::doInitAction(std::uint16_t spriteId, const ActionBuilder& actions) {
    BitWriter w;
    w.u16(spriteId).bytes(actions.bytes());
    return tag(TagCode::DoInitAction, w.data());
}

Timeline& Timeline::defineSprite(std::uint16_t id, const Timeline& sprite, std::optional<std::uint16_t> frameCount) {
    BitWriter w;
    w.u16(id).u16(frameCount.value_or(static_cast<std::uint16_t>(sprite.frameCount()))).bytes(sprite.tagBytes(true));
    return tag(TagCode::DefineSprite, w.data());
}

Timeline& Timeline::defineSprite(std::uint16_t id, const std::function<void(Timeline&)>& build) {
    Timeline s = sprite();
    build(s);
    return defineSprite(id, s);
}

Bytes Timeline::tagBytes(bool withEnd) const {
    Bytes out = tags_;
    if (withEnd && !endsWithEnd_) {
        out.push_back(0);
        out.push_back(0);
    }
    return out;
}

}  // namespace kelmora::swf
