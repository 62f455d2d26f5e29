#pragma once
// What the player shows: movies in levels (level 0 is the movie the player opened; scripts load
// others above it), each with its own context and root timeline, drawn from level 0 up with the
// "ShowAll" mapping of level 0's frame onto any picture size.
#include <map>
#include <memory>
#include <string>

#include "player/display/FrameRenderer.h"
#include "player/display/MovieClip.h"
#include "player/display/PlayContext.h"

namespace kelmora::player {

// The movie's frame fitted into a width x height picture keeping its aspect ratio, centred.
Matrix showAllMatrix(const Rect& frameTwips, int width, int height);

class Stage {
public:
    struct Level {
        std::unique_ptr<PlayContext> context;  // outlives every display object of the level
        std::unique_ptr<MovieClip> root;
        std::string folder;  // where the level's movie was read from
    };

    // listener: the script engine, or null to play timelines alone. With a listener the roots'
    // first frames wait for the listener's constructFirstFrame() call.
    explicit Stage(std::shared_ptr<const MovieDef> movie, TimelineListener* listener = nullptr,
                   std::string folder = {});
    ~Stage();

    const MovieDef& movie() const { return levels_.at(0).context->movie(); }
    MovieClip& root() { return *levels_.at(0).root; }
    const MovieClip& root() const { return *levels_.at(0).root; }
    PlayContext& context() { return *levels_.at(0).context; }

    const std::map<int, Level>& levels() const { return levels_; }
    MovieClip* level(int n);
    const Level* levelInfo(int n) const;
    // Puts a movie into level n, replacing what was there (the old level's objects go to the
    // listener like removed ones). Level 0 is replaced too: the stage keeps its size and colour.
    MovieClip& loadLevel(int n, std::shared_ptr<const MovieDef> movie, std::string folder);
    // Empties level n (n > 0).
    void unloadLevel(int n);

    // Runs one frame of every timeline, without scripts.
    void advance();
    // Fills the picture with `stageColor` and draws the frame over it, scaled as "ShowAll".
    void render(PixelBuffer& target, Rgba stageColor);

private:
    TimelineListener* listener_;
    std::shared_ptr<const MovieDef> firstMovie_;  // gives the stage its frame size
    std::map<int, Level> levels_;
    FrameRenderer renderer_;
};

}  // namespace kelmora::player
