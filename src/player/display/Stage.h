#pragma once
// One playing movie: its context, its root timeline and the renderer that draws it, with the
// "ShowAll" mapping of the movie's frame onto any picture size.
#include <memory>

#include "player/display/FrameRenderer.h"
#include "player/display/MovieClip.h"
#include "player/display/PlayContext.h"

namespace kelmora::player {

// The movie's frame fitted into a width x height picture keeping its aspect ratio, centred.
Matrix showAllMatrix(const Rect& frameTwips, int width, int height);

class Stage {
public:
    explicit Stage(std::shared_ptr<const MovieDef> movie);
    ~Stage();

    const MovieDef& movie() const { return context_.movie(); }
    MovieClip& root() { return *root_; }
    const MovieClip& root() const { return *root_; }
    PlayContext& context() { return context_; }

    void advance() { root_->advance(); }
    // Fills the picture with `stageColor` and draws the frame over it, scaled as "ShowAll".
    void render(PixelBuffer& target, Rgba stageColor);
    // Draws the frame over what the picture holds (a transparent picture stays clear around it).
    void renderOver(PixelBuffer& target);

private:
    PlayContext context_;  // outlives every display object
    std::unique_ptr<MovieClip> root_;
    FrameRenderer renderer_;
};

}  // namespace kelmora::player
