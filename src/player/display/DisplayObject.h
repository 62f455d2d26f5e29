#pragma once
// An instance of a character on a timeline, with the properties PlaceObject gives it.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "player/Character.h"
#include "player/Geometry.h"
#include "player/format/PlaceObject.h"
#include "player/render/EffectsApi.h"

namespace kelmora::player {

class PlayContext;
class MovieClip;

class DisplayObject {
public:
    DisplayObject(PlayContext& context, std::shared_ptr<const Character> character);
    virtual ~DisplayObject();
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;

    const Character* character() const { return character_.get(); }
    const std::shared_ptr<const Character>& characterShared() const { return character_; }
    uint16_t characterId() const { return character_ ? character_->id : 0; }
    CharacterKind kind() const { return character_ ? character_->kind : CharacterKind::Sprite; }

    // Takes the fields the record carries; a record without a matrix keeps the current one.
    void applyPlace(const PlaceObjectRecord& record);
    // Back to a fresh placement's properties (identity matrix, no colour change, no filters...).
    void resetProperties();
    void copyPropertiesFrom(const DisplayObject& other);

    virtual MovieClip* asMovieClip() { return nullptr; }
    virtual const MovieClip* asMovieClip() const { return nullptr; }
    // Runs one frame of this object's own timelines (sprites, sprites inside buttons).
    virtual void advance() {}
    PlayContext& context() const { return context_; }

    int depth = 0;
    Matrix matrix;
    ColorTransform colorTransform;
    uint16_t ratio = 0;
    std::string name;
    bool namedByPlacement = false;  // its PlaceObject gave a name, even an empty one
    uint16_t clipDepth = 0;
    std::vector<Filter> filters;
    BlendMode blendMode = BlendMode::Normal;
    bool cacheAsBitmap = false;
    bool visible = true;
    std::optional<Rgba> backgroundColor;
    // MovieClip.scrollRect, in twips of the clip's own space: the clip shows this part of its
    // drawing, moved to its origin, and nothing outside it.
    std::optional<Rect> scrollRect;
    std::span<const uint8_t> clipActions;
    bool placedByTimeline = true;  // false for objects scripts create; timelines leave those alone
    // A script set its position, scale or rotation: the timeline no longer moves it.
    bool transformedByScript = false;
    bool madeByScript = false;  // attached, duplicated or created by a script (not just moved by one)
    // MovieClip.setMask: only what lies under `scriptMask` shows of this object. An object that
    // masks others (maskUsers > 0) is not drawn itself. The script engine clears both when either goes.
    const DisplayObject* scriptMask = nullptr;
    int maskUsers = 0;

    // For scripts: the object that holds this one (a clip or a button), null for a level's root;
    // a handle that is never reused; the order of creation (later objects run their frames first).
    DisplayObject* parent = nullptr;
    uint64_t scriptId = 0;
    uint64_t serial = 0;
    bool removed = false;  // taken off the display list, waiting for its unload event
    bool movieRoot = false;
    uint32_t placedAtFrame = 0;  // the parent's frame whose PlaceObject made it (rewinding keeps it only then)  // the main timeline of a movie (a level, or a clip loadMovie filled)

protected:
    PlayContext& context_;

private:
    std::shared_ptr<const Character> character_;
};

// Children by depth, drawn from the lowest depth up.
using DisplayList = std::map<int, std::unique_ptr<DisplayObject>>;

}  // namespace kelmora::player
