#pragma once
// What every display object of one playing movie shares: the movie's definitions, the factory of
// instances with its caps, and the dictionary seen as bitmap and font providers.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "player/format/MovieDef.h"
#include "player/media/SoundEvents.h"
#include "player/shape/ShapeApi.h"
#include "player/text/TextApi.h"

namespace kelmora::player {

class DisplayObject;
class MovieClip;
struct FrameDef;

// Sprites inside sprites deeper than this are not created (a sprite that contains itself, or a
// chain of thousands, would otherwise exhaust the stack).
inline constexpr int kMaxNesting = 64;
// Instances alive at once in one movie; placements past it are dropped.
inline constexpr size_t kMaxInstances = 200000;

class PlayContext : public BitmapProvider, public FontProvider {
public:
    explicit PlayContext(std::shared_ptr<const MovieDef> movie) : movie_(std::move(movie)) {}

    const MovieDef& movie() const { return *movie_; }

    // A new instance of the character, or null when the id is unknown, can't be placed, or a cap
    // is reached. nesting: how many sprites enclose the new instance.
    std::unique_ptr<DisplayObject> createInstance(uint16_t characterId, int nesting);

    void instanceCreated() { ++instances_; }
    void instanceDestroyed() { --instances_; }
    size_t instanceCount() const { return instances_; }

    // Called after a timeline entered a frame (the script engine queues the frame's actions here).
    std::function<void(MovieClip&, const FrameDef&)> onFrameEntered;
    // What the timelines and scripts asked of the sound in this frame (the player's track mixes it).
    // The contexts of one player share one list: a level or loaded movie calls shareSounds(level 0).
    SoundEvents& sounds() { return *sounds_; }
    void shareSounds(PlayContext& other) { sounds_ = other.sounds_; }

    const PixelBuffer* bitmap(uint16_t characterId) const override;
    FontDef* font(uint16_t characterId) const override;
    FontDef* fontByName(const std::string& name, bool bold, bool italic) const override;

private:
    std::shared_ptr<const MovieDef> movie_;
    size_t instances_ = 0;
    std::shared_ptr<SoundEvents> sounds_ = std::make_shared<SoundEvents>();
};

}  // namespace kelmora::player
