#include "player/display/MovieClip.h"

#include <algorithm>
#include <map>

#include "player/display/PlayContext.h"

namespace kelmora::player {

MovieClip::MovieClip(PlayContext& context, std::shared_ptr<const Character> character, const TimelineDef& timeline,
                     int nesting)
    : DisplayObject(context, std::move(character)), timeline_(timeline), nesting_(nesting) {
    applyFrame(0);
    enteredFrame();
}

MovieClip::~MovieClip() { context_.sounds().clipGone(this, timeline_); }

void MovieClip::advance() {
    // Children may be replaced while they run (scripts, later); walk a snapshot of depths.
    for (auto& [depth, child] : children_) child->advance();
    if (playing_ && totalFrames() > 1) nextFrame();
}

void MovieClip::nextFrame() {
    if (currentFrame_ + 1 < totalFrames()) {
        ++currentFrame_;
        applyFrame(currentFrame_);
        enteredFrame();
    } else {
        gotoFrame(0);
    }
}

void MovieClip::enteredFrame() {
    const FrameDef& frame = timeline_.frames[currentFrame_];
    if (frame.stops) playing_ = false;
    context_.sounds().frameEntered(this, context_.movie(), timeline_, currentFrame_);
    if (context_.onFrameEntered) context_.onFrameEntered(*this, frame);
}

void MovieClip::placeAt(const PlaceObjectRecord& r) {
    auto it = children_.find(r.depth);
    if (!r.move) {
        if (!r.characterId) return;
        auto object = context_.createInstance(*r.characterId, nesting_ + 1);
        if (!object) {
            children_.erase(r.depth);
            return;
        }
        object->depth = r.depth;
        object->applyPlace(r);
        children_[r.depth] = std::move(object);
        return;
    }
    if (it == children_.end()) return;
    DisplayObject& current = *it->second;
    if (r.characterId && *r.characterId != current.characterId()) {
        auto object = context_.createInstance(*r.characterId, nesting_ + 1);
        if (object) {
            object->copyPropertiesFrom(current);
            it->second = std::move(object);
        }
    }
    it->second->applyPlace(r);
}

void MovieClip::applyFrame(uint32_t frame) {
    for (const DisplayOp& op : timeline_.frames[frame].ops) {
        if (op.kind == DisplayOp::Kind::Remove) {
            auto it = children_.find(op.place.depth);
            if (it != children_.end() && it->second->placedByTimeline) children_.erase(it);
        } else {
            placeAt(op.place);
        }
    }
}

void MovieClip::gotoFrame(uint32_t target) {
    if (totalFrames() == 0) return;
    target = std::min(target, totalFrames() - 1);
    if (target == currentFrame_) return;
    if (target == currentFrame_ + 1) {
        currentFrame_ = target;
        applyFrame(target);
        enteredFrame();
        return;
    }
    const bool rewinding = target < currentFrame_;
    // What each depth should hold at the target frame: a new placement, or moves of what is there.
    struct Goal {
        bool fresh = false;
        PlaceObjectRecord record;
    };
    std::map<int, Goal> goals;
    uint32_t from = 0;
    if (!rewinding) {
        from = currentFrame_ + 1;
        for (auto& [depth, child] : children_) {
            if (!child->placedByTimeline) continue;
            Goal g;
            g.record.characterId = child->characterId();
            goals.emplace(depth, std::move(g));
        }
    }
    for (uint32_t f = from; f <= target; ++f) {
        for (const DisplayOp& op : timeline_.frames[f].ops) {
            const int depth = op.place.depth;
            if (op.kind == DisplayOp::Kind::Remove) {
                goals.erase(depth);
            } else if (!op.place.move) {
                if (op.place.characterId) goals[depth] = Goal{true, op.place};
            } else if (auto it = goals.find(depth); it != goals.end()) {
                if (op.place.characterId && op.place.characterId != it->second.record.characterId)
                    it->second.fresh = true;
                it->second.record.merge(op.place);
            }
        }
    }
    // Reconcile the display list with the goals.
    for (auto it = children_.begin(); it != children_.end();) {
        DisplayObject& child = *it->second;
        if (!child.placedByTimeline) { ++it; continue; }
        auto g = goals.find(it->first);
        if (g == goals.end()) {
            it = children_.erase(it);
            continue;
        }
        if (!g->second.fresh) {
            child.applyPlace(g->second.record);
            goals.erase(g);
            ++it;
        } else if (rewinding && g->second.record.characterId == child.characterId()) {
            child.resetProperties();
            child.applyPlace(g->second.record);
            goals.erase(g);
            ++it;
        } else {
            it = children_.erase(it);
        }
    }
    for (auto& [depth, goal] : goals) {
        if (!goal.fresh || !goal.record.characterId) continue;
        auto object = context_.createInstance(*goal.record.characterId, nesting_ + 1);
        if (!object) continue;
        object->depth = depth;
        object->applyPlace(goal.record);
        children_[depth] = std::move(object);
    }
    currentFrame_ = target;
    enteredFrame();
}

}  // namespace kelmora::player
