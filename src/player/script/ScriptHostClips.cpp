// Clips that scripts make, move and remove.
#include <algorithm>
#include <cmath>

#include "player/avm1/Object.h"
#include "player/display/EditTextObject.h"
#include "player/display/MovieClip.h"
#include "player/display/Stage.h"
#include "player/format/Characters.h"
#include "player/format/MovieDef.h"
#include "player/script/ClipEvents.h"
#include "player/script/ScriptEngine.h"
#include "player/text/EditTextDef.h"

namespace kelmora::player::script {

namespace {
// Timeline depths start at -16384 as scripts see them; scripts place clips from 0 up.
constexpr int kDepthOffset = 16384;
constexpr int kMaxScriptDepth = 2130690044;
constexpr int kMaxRemovableDepth = 2130690031;
}  // namespace

const TimelineDef& emptyTimeline() {
    static const TimelineDef timeline = [] {
        TimelineDef t;
        t.frames.emplace_back();
        return t;
    }();
    return timeline;
}

ClipId ScriptEngine::adopt(MovieClip& parent, std::unique_ptr<DisplayObject> o, std::string_view name, int depth) {
    o->name = name;
    o->placedByTimeline = false;
    o->madeByScript = true;
    DisplayObject& added = parent.addChild(depth + kDepthOffset, std::move(o));
    if (added.kind() == CharacterKind::Button) placed(added);  // its sprites come to life
    if (MovieClip* c = added.asMovieClip()) {
        queue_.push_back({Queued::Kind::Event, c->scriptId, {}, kEventLoad});
        c->constructFirstFrame();
    }
    return added.scriptId;
}

ClipId ScriptEngine::duplicateClip(ClipId source, std::string_view newName, int depth) {
    DisplayObject* src = object(source);
    if (!src || !src->parent || depth < -kDepthOffset || depth > kMaxScriptDepth) return avm1::kNoClip;
    const CharacterKind k = src->kind();
    if (!src->asMovieClip() && k != CharacterKind::Button && k != CharacterKind::EditText && k != CharacterKind::Video)
        return avm1::kNoClip;
    MovieClip* parent = src->parent->asMovieClip();
    if (!parent || parent->context().instanceCount() >= kMaxInstances) return avm1::kNoClip;
    std::unique_ptr<DisplayObject> copy;
    if (k == CharacterKind::EditText && src->characterId() == 0) {
        // A field a script made has no library character: the copy shares its definition.
        copy = std::make_unique<EditTextObject>(src->context(), src->characterShared());
    } else if (src->character()) {
        copy = src->context().createInstance(src->characterId(), parent->nesting() + 1, false);
    } else {
        copy = std::make_unique<MovieClip>(src->context(), nullptr, emptyTimeline(), parent->nesting() + 1, false);
    }
    if (!copy) return avm1::kNoClip;
    copy->copyPropertiesFrom(*src);
    copy->parent = nullptr;
    flushDrawings();
    if (MovieClip* c = copy->asMovieClip()) c->drawing = src->asMovieClip() ? src->asMovieClip()->drawing : nullptr;
    ClipId made = adopt(*parent, std::move(copy), newName, depth);
    // The copy goes on drawing from where the original's drawing stands.
    if (auto it = drawings_.find(source); it != drawings_.end() && made != avm1::kNoClip) {
        ClipDrawing drawing = it->second;
        drawings_.insert_or_assign(made, std::move(drawing));
    }
    return made;
}

ClipId ScriptEngine::attachMovie(ClipId parentId, std::string_view exportName, std::string_view newName, int depth) {
    MovieClip* parent = movieClip(parentId);
    if (!parent || depth < -kDepthOffset || depth > kMaxScriptDepth) return avm1::kNoClip;
    const auto& exports = parent->context().movie().exports();
    auto it = exports.find(std::string(exportName));
    if (it == exports.end()) {
        avm1::NameEqual eq{false};
        for (it = exports.begin(); it != exports.end(); ++it)
            if (eq(it->first, exportName)) break;
    }
    // A name the movie imports works like one it exports.
    uint16_t id = it != exports.end() ? it->second : parent->context().imports().idByName(std::string(exportName));
    if (it == exports.end() && id == 0) return avm1::kNoClip;
    const PlayContext* home = &parent->context();
    uint16_t homeId = id;
    if (const auto* source = home->imported(id)) home = source->context, homeId = source->id;
    const Character* c = home->movie().character(homeId);
    if (!c || c->kind != CharacterKind::Sprite) return avm1::kNoClip;
    auto made = parent->context().createInstance(id, parent->nesting() + 1, false);
    if (!made) return avm1::kNoClip;
    return adopt(*parent, std::move(made), newName, depth);
}

ClipId ScriptEngine::createEmptyClip(ClipId parentId, std::string_view newName, int depth) {
    MovieClip* parent = movieClip(parentId);
    if (!parent || depth < -kDepthOffset || depth > kMaxScriptDepth || parent->nesting() >= kMaxNesting ||
        parent->context().instanceCount() >= kMaxInstances)
        return avm1::kNoClip;
    auto made = std::make_unique<MovieClip>(parent->context(), nullptr, emptyTimeline(), parent->nesting() + 1, false);
    return adopt(*parent, std::move(made), newName, depth);
}

ClipId ScriptEngine::createTextField(ClipId parentId, std::string_view newName, int depth, Rect px) {
    MovieClip* parent = movieClip(parentId);
    if (!parent || depth < -kDepthOffset || depth > kMaxScriptDepth ||
        parent->context().instanceCount() >= kMaxInstances)
        return avm1::kNoClip;
    auto def = std::make_shared<EditTextDef>();
    auto fix = [](double v) { return std::isfinite(v) ? std::clamp(v, -1e6, 1e6) * kTwipsPerPixel : 0.0; };
    def->bounds = {0, 0, fix(px.width()), fix(px.height())};
    def->readOnly = false;
    auto field = std::make_unique<EditTextObject>(parent->context(), std::make_shared<EditTextCharacter>(0, def));
    field->matrix = Matrix::translate(fix(px.xMin), fix(px.yMin));
    return adopt(*parent, std::move(field), newName, depth);
}

void ScriptEngine::removeClip(ClipId clip) {
    DisplayObject* o = object(clip);
    if (!o || o->removed || !o->parent) return;
    const int d = o->depth - kDepthOffset;
    if (d < 0 || d > kMaxRemovableDepth) return;  // timeline clips and the reserved depths stay
    if (MovieClip* parent = o->parent->asMovieClip()) parent->removeChild(o->depth);
}

int ScriptEngine::depth(ClipId clip) {
    DisplayObject* o = object(clip);
    if (!o) return 0;
    // A level's root keeps its level number as its depth and answers it below the timeline's depths too.
    return o->depth - kDepthOffset;
}

ClipId ScriptEngine::instanceAtDepth(ClipId clip, int d) {
    DisplayObject* o = object(clip);
    DisplayList* list = o ? childList(*o) : nullptr;
    if (!list || d < -kDepthOffset || d > kMaxScriptDepth) return avm1::kNoClip;
    auto it = list->find(d + kDepthOffset);
    if (it == list->end()) return avm1::kNoClip;
    const CharacterKind k = it->second->kind();
    const bool scriptable = k == CharacterKind::Sprite || k == CharacterKind::Button || k == CharacterKind::EditText ||
                            k == CharacterKind::Video;
    return scriptable ? it->second->scriptId : clip;
}

int ScriptEngine::nextHighestDepth(ClipId clip) {
    MovieClip* c = movieClip(clip);
    if (!c || c->children().empty()) return 0;
    return std::max(0, c->children().rbegin()->first - kDepthOffset + 1);
}

void ScriptEngine::swapDepths(ClipId clip, int target) {
    DisplayObject* o = object(clip);
    if (!o || !o->parent || target < -kDepthOffset || target > kMaxScriptDepth) return;
    MovieClip* parent = o->parent->asMovieClip();
    if (!parent) return;
    const int to = target + kDepthOffset;
    if (to == o->depth) return;  // nothing moves, and the timeline keeps the clip
    if (auto it = parent->children().find(to); it != parent->children().end()) it->second->placedByTimeline = false;
    o->placedByTimeline = false;
    parent->moveChild(o->depth, to);
}

void ScriptEngine::swapWith(ClipId clip, ClipId other) {
    DisplayObject* a = object(clip);
    DisplayObject* b = object(other);
    if (!a || !b || a == b || a->parent != b->parent || !a->parent) return;
    swapDepths(clip, b->depth - kDepthOffset);
}

void ScriptEngine::draw(ClipId clip, const avm1::DrawCommand& command) {
    if (!movieClip(clip)) return;
    drawings_[clip].apply(command);
}

void ScriptEngine::flushDrawings() {
    for (auto it = drawings_.begin(); it != drawings_.end();) {
        MovieClip* c = movieClip(it->first);
        if (!c || c->removed) {
            it = drawings_.erase(it);
            continue;
        }
        if (it->second.changed()) {
            c->drawing = it->second.shape();
            it->second.markSeen();
        }
        ++it;
    }
}

}  // namespace kelmora::player::script
