#include "player/display/MovieClip.h"

#include <algorithm>
#include <map>
#include <vector>

#include "player/display/PlayContext.h"

namespace kelmora::player {

namespace {
// Depth 0 as scripts count depths; the timeline's depths lie below it.
constexpr int kFirstScriptDepth = 16384;
}  // namespace

MovieClip::MovieClip(PlayContext& context, std::shared_ptr<const Character> character, const TimelineDef& timeline,
                     int nesting, bool constructNow)
    : DisplayObject(context, std::move(character)), timeline_(timeline), nesting_(nesting) {
    if (constructNow) constructFirstFrame();
}

void MovieClip::constructFirstFrame() {
    applyFrame(0);
    enteredFrame();
}

void MovieClip::stepFrame() {
    if (playing_ && totalFrames() > 1) nextFrame();
}

DisplayList::iterator MovieClip::drop(DisplayList::iterator it) {
    if (context_.listener) {
        it->second->removed = true;
        context_.listener->removed(std::move(it->second));
    }
    return children_.erase(it);
}

DisplayObject& MovieClip::addChild(int depth, std::unique_ptr<DisplayObject> object) {
    if (auto it = children_.find(depth); it != children_.end()) drop(it);
    object->depth = depth;
    object->parent = this;
    DisplayObject& added = *object;
    children_[depth] = std::move(object);
    return added;
}

void MovieClip::removeChild(int depth) {
    if (auto it = children_.find(depth); it != children_.end()) drop(it);
}

void MovieClip::moveChild(int fromDepth, int toDepth) {
    auto from = children_.find(fromDepth);
    if (from == children_.end() || fromDepth == toDepth) return;
    std::unique_ptr<DisplayObject> moving = std::move(from->second);
    children_.erase(from);
    if (auto to = children_.find(toDepth); to != children_.end()) {
        to->second->depth = fromDepth;
        children_[fromDepth] = std::move(to->second);
        children_.erase(toDepth);
    }
    moving->depth = toDepth;
    children_[toDepth] = std::move(moving);
}

DisplayObject* MovieClip::placeNew(int depth, const PlaceObjectRecord& r, uint32_t frame) {
    const bool scripted = context_.listener != nullptr;
    if (!context_.characterLoaded(*r.characterId)) return nullptr;
    auto object = context_.createInstance(*r.characterId, nesting_ + 1, !scripted);
    if (!object) return nullptr;
    object->applyPlace(r);
    object->placedAtFrame = frame;
    DisplayObject& placed = addChild(depth, std::move(object));
    if (scripted) {
        context_.listener->placed(placed);
        if (MovieClip* clip = placed.asMovieClip()) clip->constructFirstFrame();
    }
    return &placed;
}

MovieClip::~MovieClip() { context_.sounds.clipGone(this, timeline_); }

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
    } else if (timeline_.complete) {
        gotoFrame(0);
    }
}

void MovieClip::enteredFrame() {
    const FrameDef& frame = timeline_.frames[currentFrame_];
    if (frame.stops && !context_.listener) playing_ = false;
    context_.sounds.frameEntered(this, context_.movie(), timeline_, currentFrame_);
    if (context_.onFrameEntered) context_.onFrameEntered(*this, frame);
}

void MovieClip::placeAt(const PlaceObjectRecord& r) {
    auto it = children_.find(r.depth);
    if (!r.move) {
        if (!r.characterId) return;
        // Flash keeps what is at the depth, whoever put it there, and places nothing.
        if (it != children_.end() && context_.listener) {
            context_.listener->placementFailed(*this, r.depth);
            return;
        }
        if (!placeNew(r.depth, r, currentFrame_) && it != children_.end()) drop(children_.find(r.depth));
        return;
    }
    if (it == children_.end()) return;
    DisplayObject& current = *it->second;
    // What scripts moved between depths no longer follows the timeline.
    if (!current.placedByTimeline && context_.listener) return;
    if (r.characterId && *r.characterId != current.characterId() && context_.characterLoaded(*r.characterId)) {
        auto object = context_.createInstance(*r.characterId, nesting_ + 1);
        if (object) {
            object->copyPropertiesFrom(current);
            object->parent = this;
            if (context_.listener) {
                current.removed = true;
                context_.listener->removed(std::move(it->second));
            }
            it->second = std::move(object);
        }
    }
    it->second->applyPlace(r);
}

void MovieClip::applyFrame(uint32_t frame, bool runScripts) {
    const FrameDef& def = timeline_.frames[frame];
    if (&timeline_ == &context_.movie().timeline()) context_.reachFrame(frame);
    TimelineListener* listener = context_.listener;
    if (listener) listener->frameStarted(*this, def);
    size_t action = 0;
    // DoActions are queued at their place among the display changes.
    auto actionsUpTo = [&](size_t opIndex) {
        if (!listener || !runScripts) return;
        for (; action < def.actions.size(); ++action) {
            if (action < def.actionOps.size() && def.actionOps[action] > opIndex) break;
            listener->frameAction(*this, def.actions[action]);
        }
    };
    for (size_t i = 0; i < def.ops.size(); ++i) {
        actionsUpTo(i);
        const DisplayOp& op = def.ops[i];
        if (op.kind == DisplayOp::Kind::Remove) {
            auto it = children_.find(op.place.depth);
            // A clip a script made and moved to this depth goes too; a moved timeline clip stays.
            if (it != children_.end() && (it->second->placedByTimeline || it->second->madeByScript)) drop(it);
        } else {
            placeAt(op.place);
        }
    }
    actionsUpTo(def.ops.size());
}

void MovieClip::gotoFrame(uint32_t target, bool runScripts) {
    if (totalFrames() == 0) return;
    target = std::min(target, totalFrames() - 1);
    if (target == currentFrame_) return;
    if (target == currentFrame_ + 1) {
        currentFrame_ = target;
        applyFrame(target, runScripts);
        enteredFrame();
        return;
    }
    TimelineListener* listener = context_.listener;
    const bool rewinding = target < currentFrame_;
    if (&timeline_ == &context_.movie().timeline()) context_.reachFrame(target);
    // What each depth should hold at the target frame: a new placement, or moves of what is there.
    struct Goal {
        bool fresh = false;
        PlaceObjectRecord record;
        size_t order = 0;  // new objects are made in the order the file places them
        uint32_t frame = 0;  // where the file places it
    };
    size_t placements = 0;
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
                if (op.place.characterId) goals[depth] = Goal{true, op.place, ++placements, f};
            } else if (auto it = goals.find(depth); it != goals.end()) {
                if (op.place.characterId && op.place.characterId != it->second.record.characterId) {
                    it->second.fresh = true;
                    it->second.order = ++placements;
                    it->second.frame = f;
                }
                it->second.record.merge(op.place);
            }
        }
    }
    // Reconcile the display list with the goals.
    for (auto it = children_.begin(); it != children_.end();) {
        DisplayObject& child = *it->second;
        auto g = goals.find(it->first);
        if (listener && rewinding && it->first >= kFirstScriptDepth) {
            // Going back leaves the depths scripts use alone, whoever placed the object there.
            if (g != goals.end()) goals.erase(g);
            ++it;
            continue;
        }
        if (!child.placedByTimeline) {
            // Scripts' objects among the timeline's depths go when the playhead goes back; one a
            // script only moved stays where the target frame has an object, taking its place.
            const bool inTimeline = it->first >= 0 && it->first < kFirstScriptDepth;
            if (rewinding && inTimeline && (child.madeByScript || (listener && g == goals.end()))) {
                it = drop(it);
                continue;
            }
            if (rewinding && g != goals.end()) goals.erase(g);
            ++it;
            continue;
        }
        if (g == goals.end()) {
            it = drop(it);
            continue;
        }
        if (!g->second.fresh) {
            child.applyPlace(g->second.record);
            goals.erase(g);
            ++it;
        } else if (rewinding && g->second.record.characterId == child.characterId() &&
                   child.ratio == g->second.record.ratio.value_or(0)) {
            // The same character at the same ratio is kept, whenever it was placed, and keeps
            // its name ("instanceN" too) even where the target frame's placement names it.
            std::string name = std::move(child.name);
            const Matrix matrix = child.matrix;
            child.resetProperties();
            if (child.transformedByScript) child.matrix = matrix;
            child.applyPlace(g->second.record);
            child.name = std::move(name);
            goals.erase(g);
            ++it;
        } else {
            it = drop(it);
        }
    }
    currentFrame_ = target;
    if (listener) {
        // The frame's scripts go before the scripts of the clips it brings back.
        listener->frameStarted(*this, timeline_.frames[target]);
        if (runScripts)
            for (auto actions : timeline_.frames[target].actions) listener->frameAction(*this, actions);
    }
    std::vector<std::pair<size_t, int>> fresh;
    for (auto& [depth, goal] : goals)
        if (goal.fresh && goal.record.characterId) fresh.emplace_back(goal.order, depth);
    std::sort(fresh.begin(), fresh.end());
    for (auto [order, depth] : fresh) {
        if (auto held = children_.find(depth); held != children_.end() && !held->second->placedByTimeline) continue;
        placeNew(depth, goals[depth].record, goals[depth].frame);
    }
    enteredFrame();
}

}  // namespace kelmora::player
