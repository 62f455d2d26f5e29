#include "player/display/Stage.h"

#include <algorithm>

namespace kelmora::player {

Matrix showAllMatrix(const Rect& frame, int width, int height) {
    const double movieW = frame.width() / kTwipsPerPixel, movieH = frame.height() / kTwipsPerPixel;
    if (movieW <= 0 || movieH <= 0 || width <= 0 || height <= 0) return Matrix::scale(1 / kTwipsPerPixel, 1 / kTwipsPerPixel);
    const double scale = std::min(width / movieW, height / movieH);
    const double ox = (width - movieW * scale) / 2, oy = (height - movieH * scale) / 2;
    const double s = scale / kTwipsPerPixel;
    return Matrix::translate(ox - frame.xMin * s, oy - frame.yMin * s) * Matrix::scale(s, s);
}

Stage::Stage(std::shared_ptr<const MovieDef> movie) : context_(std::move(movie)) {
    root_ = std::make_unique<MovieClip>(context_, nullptr, context_.movie().timeline(), 0);
}

Stage::~Stage() { root_.reset(); }

void Stage::render(PixelBuffer& target, Rgba stageColor) {
    target.fill(packArgb(255, stageColor.r, stageColor.g, stageColor.b));
    renderOver(target);
}

void Stage::renderOver(PixelBuffer& target) {
    renderer_.render(root_->children(), context_, showAllMatrix(movie().header().frameRect, target.width(), target.height()),
                     target);
}

}  // namespace kelmora::player
