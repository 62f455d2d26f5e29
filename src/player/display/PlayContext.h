#pragma once
// What every display object of one playing movie shares: the movie's definitions, the factory of
// instances with its caps, and the dictionary seen as bitmap and font providers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>
#include <span>

#include "player/display/ImportedAssets.h"
#include "player/format/MovieDef.h"
#include "player/media/SoundEvents.h"
#include "player/shape/ShapeApi.h"
#include "player/text/TextApi.h"

namespace kelmora::player {

class DisplayObject;
class PlayContext;
class MovieClip;
struct FrameDef;

// Sprites inside sprites deeper than this are not created (a sprite that contains itself, or a
// chain of thousands, would otherwise exhaust the stack).
inline constexpr int kMaxNesting = 64;
// Instances alive at once in one movie; placements past it are dropped.
inline constexpr size_t kMaxInstances = 200000;

// What the script engine hears from timelines. Timelines call these at the moments scripts care
// about, so the display code needs nothing of the interpreter.
class TimelineListener {
public:
    virtual ~TimelineListener() = default;
    virtual void objectCreated(DisplayObject& object) = 0;
    virtual void objectDestroyed(DisplayObject& object) = 0;
    // A timeline placed a new object; sprites then construct their first frame.
    virtual void placed(DisplayObject& object) = 0;
    // A timeline entered a frame: its DoInitAction tags, before anything else of the frame.
    virtual void frameStarted(MovieClip& clip, const FrameDef& frame) = 0;
    // A DoAction of the frame, at its place among the frame's display changes.
    virtual void frameAction(MovieClip& clip, std::span<const uint8_t> actions) = 0;
    // An object leaves the display list; the listener keeps it until its unload event has run.
    virtual void removed(std::unique_ptr<DisplayObject> object) = 0;
    // A level was emptied: its context must outlive the objects the listener still keeps.
    virtual void retireContext(std::unique_ptr<PlayContext> context) = 0;
    // A timeline tried to place an object at a depth that holds one; nothing was placed.
    virtual void placementFailed(MovieClip&, int /*depth*/) {}
};

class PlayContext : public BitmapProvider, public FontProvider {
public:
    explicit PlayContext(std::shared_ptr<const MovieDef> movie);
    ~PlayContext() override;

    const MovieDef& movie() const { return *movie_; }

    // Reads the movies this one imports characters from (relative to `folder`, the movie's own
    // folder); chain: the movie files importing this one, to stop cycles.
    void importAssets(const std::string& folder, const std::vector<std::string>& chain = {});
    // Where an imported id comes from; null for the movie's own characters.
    const ImportedAssets::Source* imported(uint16_t characterId) const { return imports_.find(characterId); }
    const ImportedAssets& imports() const { return imports_; }

    // A new instance of the character, or null when the id is unknown, can't be placed, or a cap
    // is reached. nesting: how many sprites enclose the new instance.
    // constructNow false: a sprite waits for constructFirstFrame() (scripts queue its events first).
    std::unique_ptr<DisplayObject> createInstance(uint16_t characterId, int nesting, bool constructNow = true);

    void instanceCreated(DisplayObject& object) {
        ++instances_;
        if (listener) listener->objectCreated(object);
    }
    void instanceDestroyed(DisplayObject& object) {
        --instances_;
        if (listener) listener->objectDestroyed(object);
    }
    size_t instanceCount() const { return instances_; }

    // The furthest frame of the movie's main timeline played so far. The player reads a movie frame
    // by frame: characters defined in later frames can't be placed yet.
    uint32_t framesReached = 0;
    void reachFrame(uint32_t frame) { framesReached = std::max(framesReached, frame); }
    bool characterLoaded(uint16_t characterId) const { return movie_->definingFrame(characterId) <= framesReached; }

    // Called after a timeline entered a frame (the script engine queues the frame's actions here).
    std::function<void(MovieClip&, const FrameDef&)> onFrameEntered;
    // What the timelines and scripts asked of the sound in this frame (the player's track mixes it).
    SoundEvents sounds;
    // Set when scripts run this movie; null plays the timelines alone.
    TimelineListener* listener = nullptr;

    const PixelBuffer* bitmap(uint16_t characterId) const override;
    FontDef* font(uint16_t characterId) const override;
    FontDef* fontByName(const std::string& name, bool bold, bool italic) const override;

private:
    std::shared_ptr<const MovieDef> movie_;
    ImportedAssets imports_;  // the imported movies' contexts live as long as this one
    size_t instances_ = 0;
};

}  // namespace kelmora::player
