#pragma once
// A timeline as read from the file: per frame, the display changes, the scripts and the labels.
// The main movie and every DefineSprite have one; it is parsed once at load.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "player/Character.h"
#include "player/format/PlaceObject.h"
#include "player/media/Sound.h"

namespace kelmora::player {

struct DisplayOp {
    enum class Kind : uint8_t { Place, Remove };
    Kind kind = Kind::Place;
    PlaceObjectRecord place;  // for Remove only place.depth is used
};

struct InitAction {
    uint16_t spriteId = 0;
    std::span<const uint8_t> actions;
};

struct FrameDef {
    std::vector<DisplayOp> ops;
    std::vector<std::span<const uint8_t>> actions;  // DoAction bodies in file order
    std::vector<uint32_t> actionOps;                // per DoAction: how many ops of the frame precede it
    std::vector<InitAction> initActions;            // DoInitAction
    std::vector<uint16_t> importedIds;              // ids the frame's import tags define
    std::optional<Rgba> backgroundColor;            // SetBackgroundColor (main timeline)
    std::vector<StartSound> sounds;                 // StartSound tags in file order
    bool stops = false;  // a DoAction of this frame calls a plain stop()
};

struct Scene {
    uint32_t firstFrame = 0;
    std::string name;
};

struct TimelineDef {
    std::vector<FrameDef> frames;                // at least one after parsing
    std::map<std::string, uint32_t> labels;      // label -> 0-based frame
    std::vector<Scene> scenes;
    std::shared_ptr<const SoundStreamDef> soundStream;  // null when the timeline has none
    // False for a sprite whose End tag is missing or that has tags after its last ShowFrame: the
    // player plays what is there once and then waits at the last frame for the rest to load.
    bool complete = true;

    uint32_t frameCount() const { return static_cast<uint32_t>(frames.size()); }
};

struct SpriteDef : Character {
    explicit SpriteDef(uint16_t id) : Character(CharacterKind::Sprite, id) {}
    TimelineDef timeline;
    uint32_t byteSize = 0;  // its tags after the frame count, End included
};

// Flash numbers frames with 16 bits.
inline constexpr uint32_t kMaxFrames = 65535;

// True when the action bytes (a DoAction body) contain a top-level Stop that runs unconditionally,
// i.e. one that comes before any branch.
bool actionsStopUnconditionally(std::span<const uint8_t> actions);

}  // namespace kelmora::player
