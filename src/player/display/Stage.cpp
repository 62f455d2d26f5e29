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

Stage::Stage(std::shared_ptr<const MovieDef> movie, TimelineListener* listener, std::string folder)
    : listener_(listener), firstMovie_(movie) {
    loadLevel(0, std::move(movie), std::move(folder));
}

Stage::~Stage() {
    // Roots go before their contexts.
    for (auto& [n, level] : levels_) level.root.reset();
}

MovieClip* Stage::level(int n) {
    auto it = levels_.find(n);
    return it == levels_.end() ? nullptr : it->second.root.get();
}

const Stage::Level* Stage::levelInfo(int n) const {
    auto it = levels_.find(n);
    return it == levels_.end() ? nullptr : &it->second;
}

MovieClip& Stage::loadLevel(int n, std::shared_ptr<const MovieDef> movie, std::string folder) {
    if (levels_.count(n)) unloadLevel(n);
    Level level;
    level.context = std::make_unique<PlayContext>(std::move(movie));
    level.context->listener = listener_;
    level.context->importAssets(folder.empty() ? std::string(".") : folder);
    level.folder = std::move(folder);
    level.root = std::make_unique<MovieClip>(*level.context, nullptr, level.context->movie().timeline(), 0,
                                             listener_ == nullptr);
    level.root->depth = n;
    level.root->movieRoot = true;
    MovieClip& root = *level.root;
    levels_[n] = std::move(level);
    return root;
}

void Stage::unloadLevel(int n) {
    auto it = levels_.find(n);
    if (it == levels_.end()) return;
    if (listener_) {
        // The listener may keep the root until its unload event ran; the context must stay too.
        it->second.root->removed = true;
        listener_->removed(std::move(it->second.root));
        listener_->retireContext(std::move(it->second.context));
    }
    levels_.erase(it);
}

void Stage::advance() {
    for (auto& [n, level] : levels_) level.root->advance();
}

void Stage::render(PixelBuffer& target, Rgba stageColor) {
    target.fill(packArgb(255, stageColor.r, stageColor.g, stageColor.b));
    renderOver(target);
}

void Stage::renderOver(PixelBuffer& target) {
    const Matrix toPixels = showAllMatrix(firstMovie_->header().frameRect, target.width(), target.height());
    for (auto& [n, level] : levels_) {
        if (!level.root->visible) continue;
        renderer_.render(level.root->children(), *level.context, toPixels * level.root->matrix, target,
                         level.root->drawing.get());
    }
}

}  // namespace kelmora::player
