#pragma once
// A sprite instance (or the main movie): a display list driven by its own timeline.
#include <cstdint>
#include <memory>

#include "player/display/DisplayObject.h"
#include "player/format/TimelineDef.h"

namespace kelmora::player {

struct ShapeDef;

class MovieClip : public DisplayObject {
public:
    // Constructs frame 1 at once, as the player does when a sprite is placed, unless constructNow
    // is false: then constructFirstFrame() does it (scripts queue the clip's events first).
    MovieClip(PlayContext& context, std::shared_ptr<const Character> character, const TimelineDef& timeline,
              int nesting, bool constructNow = true);
    ~MovieClip() override;

    MovieClip* asMovieClip() override { return this; }
    const MovieClip* asMovieClip() const override { return this; }

    void constructFirstFrame();
    // One frame: the children's timelines first, then this one (when playing), so that a clip
    // placed in this frame shows its first frame.
    void advance() override;
    // This timeline alone moves on one frame when playing (the script engine walks the clips).
    void stepFrame();

    // 0-based frame shown now.
    uint32_t currentFrame() const { return currentFrame_; }
    uint32_t totalFrames() const { return timeline_.frameCount(); }
    bool isPlaying() const { return playing_; }
    void play() { playing_ = true; }
    void stop() { playing_ = false; }
    // Shows frame `frame` (0-based, clamped to the last) with the net changes the timeline makes
    // between here and there; going back replays from frame 1 and keeps instances that stay at the
    // same depth with the same character. runScripts false: the frame's DoActions stay unqueued.
    void gotoFrame(uint32_t frame, bool runScripts = true);
    const TimelineDef& timeline() const { return timeline_; }

    const DisplayList& children() const { return children_; }
    DisplayList& children() { return children_; }
    int nesting() const { return nesting_; }

    // Scripts: puts an object at a depth (what was there leaves), takes one off, moves one.
    DisplayObject& addChild(int depth, std::unique_ptr<DisplayObject> object);
    void removeChild(int depth);
    void moveChild(int fromDepth, int toDepth);

    // Shapes the drawing API built, drawn under the children.
    std::shared_ptr<const ShapeDef> drawing;

private:
    void nextFrame();
    void applyFrame(uint32_t frame, bool runScripts = true);
    void placeAt(const PlaceObjectRecord& record);
    DisplayObject* placeNew(int depth, const PlaceObjectRecord& record, uint32_t frame);
    DisplayList::iterator drop(DisplayList::iterator it);
    void enteredFrame();

    const TimelineDef& timeline_;
    DisplayList children_;
    uint32_t currentFrame_ = 0;
    bool playing_ = true;
    int nesting_ = 0;
};

}  // namespace kelmora::player
