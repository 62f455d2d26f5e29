#pragma once
// PlaceObject 1/2/3 and RemoveObject 1/2 records. Fields a record leaves out are empty optionals:
// a move changes only what it carries.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "player/Geometry.h"
#include "player/render/EffectsApi.h"
#include "util/Result.h"

namespace kelmora::player {

struct PlaceObjectRecord {
    uint16_t depth = 0;
    bool move = false;  // modifies the object at depth instead of placing a new one
    std::optional<uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<uint16_t> clipDepth;
    std::optional<std::vector<Filter>> filters;
    std::optional<BlendMode> blendMode;
    std::optional<bool> cacheAsBitmap;
    std::optional<bool> visible;
    std::optional<Rgba> backgroundColor;
    std::optional<std::string> className;
    std::span<const uint8_t> clipActions;  // kept raw for the script engine

    // Fields of `later` replace those of this record (a move applied to a placement).
    void merge(const PlaceObjectRecord& later);
};

// tagCode: 4, 26 or 70; body: the tag's bytes.
Result<PlaceObjectRecord> parsePlaceObject(uint16_t tagCode, std::span<const uint8_t> body, uint8_t swfVersion);
// tagCode: 5 or 28; returns the depth.
Result<uint16_t> parseRemoveObject(uint16_t tagCode, std::span<const uint8_t> body);

}  // namespace kelmora::player
