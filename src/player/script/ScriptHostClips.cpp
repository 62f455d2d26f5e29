// Clips that scripts make, move and remove, and movies they load into levels and clips.
#include <algorithm>
#include <cmath>
#include <fstream>

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
constexpr std::streamoff kMaxLoadedFile = 64 << 20;

const TimelineDef& emptyTimeline() {
    static const TimelineDef timeline = [] {
        TimelineDef t;
        t.frames.emplace_back();
        return t;
    }();
    return timeline;
}
}  // namespace

ClipId ScriptEngine::adopt(MovieClip& parent, std::unique_ptr<DisplayObject> o, std::string_view name, int depth) {
    o->name = name;
    o->placedByTimeline = false;
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
    if (MovieClip* c = copy->asMovieClip()) c->drawing = src->asMovieClip() ? src->asMovieClip()->drawing : nullptr;
    return adopt(*parent, std::move(copy), newName, depth);
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

void ScriptEngine::setMask(ClipId, ClipId) {}

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

// ---------------------------------------------------------------- loading

std::string ScriptEngine::folderOf(ClipId clip) const {
    DisplayObject* o = object(clip);
    if (!o) o = stage_ ? &stage_->root() : nullptr;
    if (!o) return ".";
    auto it = folders_.find(&o->context());
    return it == folders_.end() ? std::string(".") : it->second;
}

bool ScriptEngine::resolveMoviePath(const std::string& folder, std::string_view url, std::string& path) const {
    std::string name(url.substr(0, url.find_first_of("?#")));
    if (name.empty() || name.find("://") != std::string::npos || name[0] == '/' || name.find(':') != std::string::npos)
        return false;
    path = folder + "/" + name;
    return true;
}

void ScriptEngine::getUrl(std::string_view url, std::string_view target, int) {
    avm1::NameEqual eq{false};
    if (url.size() >= 10 && eq(url.substr(0, 10), "FSCommand:")) {
        fsCommand(url.substr(10), target);
        return;
    }
    if (target.size() > 6 && eq(target.substr(0, 6), "_level") &&
        target.find_first_not_of("0123456789", 6) == std::string_view::npos) {
        int n = 0;
        for (char ch : target.substr(6)) {
            if (n > 100000) return;
            n = n * 10 + (ch - '0');
        }
        loadMovieNum(n, url);
        return;
    }
    // A target that names a clip ("_level0.clip", "/a/b") loads the movie into that clip.
    if (!target.empty()) {
        ClipId base = interpreter_->currentTarget();
        if (ClipId t = interpreter_->resolveTarget(base ? base : level(0), target)) loadMovie(t, url);
    }
}

void ScriptEngine::loadMovie(ClipId target, std::string_view url) {
    if (!object(target)) return;
    const int n = levelNumber(target);
    std::string path;
    if (url.empty()) {
        unloadMovie(target);
        return;
    }
    if (!resolveMoviePath(folderOf(interpreter_->currentTarget() ? interpreter_->currentTarget() : target), url, path)) return;
    loads_.push_back({n, n >= 0 ? avm1::kNoClip : target, path, {}});
}

void ScriptEngine::loadMovieNum(int n, std::string_view url) {
    if (n < 0 || n > 65535) return;
    if (url.empty()) {
        loads_.push_back({n, avm1::kNoClip, {}, {}});
        return;
    }
    std::string path;
    ClipId from = interpreter_->currentTarget();
    if (!resolveMoviePath(folderOf(from ? from : level(0)), url, path)) return;
    loads_.push_back({n, avm1::kNoClip, path, {}});
}

void ScriptEngine::unloadMovie(ClipId target) {
    const int n = levelNumber(target);
    if (n >= 0) {
        loads_.push_back({n, avm1::kNoClip, {}, {}});
        return;
    }
    if (object(target)) loads_.push_back({-1, target, {}, {}});
}

void ScriptEngine::fsCommand(std::string_view, std::string_view) {}

void ScriptEngine::performLoads() {
    std::vector<PendingLoad> loads;
    loads.swap(loads_);
    for (PendingLoad& load : loads) {
        std::shared_ptr<const MovieDef> movie;
        if (!load.path.empty()) {
            std::ifstream in(load.path, std::ios::binary | std::ios::ate);
            if (!in) continue;  // a missing movie leaves the target as it is
            std::streamoff size = in.tellg();
            if (size <= 0 || size > kMaxLoadedFile) continue;
            std::vector<uint8_t> bytes(static_cast<size_t>(size));
            in.seekg(0);
            if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) continue;
            auto def = MovieDef::load(bytes);
            if (!def || def.value()->usesActionScript3()) continue;
            movie = std::move(def.value());
        }
        const auto slash = load.path.find_last_of('/');
        std::string folder = slash == std::string::npos ? std::string(".") : load.path.substr(0, slash);
        if (load.level >= 0) {
            if (!movie) {
                if (load.level > 0) stage_->unloadLevel(load.level);
                continue;
            }
            MovieClip& root = stage_->loadLevel(load.level, movie, folder);
            folders_[&root.context()] = folder;
            root.constructFirstFrame();
            queue_.push_back({Queued::Kind::Event, root.scriptId, {}, kEventLoad});
            drain();
            continue;
        }
        DisplayObject* target = object(load.clip);
        if (!target || target->removed || !target->parent) continue;
        MovieClip* parent = target->parent->asMovieClip();
        if (!parent) continue;
        std::unique_ptr<MovieClip> replacement;
        if (movie) {
            auto& context = loadedContexts_.emplace_back(std::make_unique<PlayContext>(movie));
            context->listener = this;
            context->importAssets(folder);
            folders_[context.get()] = folder;
            replacement = std::make_unique<MovieClip>(*context, nullptr, context->movie().timeline(),
                                                      parent->nesting() + 1, false);
            replacement->movieRoot = true;
        } else {
            replacement = std::make_unique<MovieClip>(parent->context(), nullptr, emptyTimeline(), parent->nesting() + 1,
                                                      false);
        }
        replacement->copyPropertiesFrom(*target);
        replacement->clipActions = target->clipActions;
        replacement->parent = nullptr;
        const int depth = target->depth;
        MovieClip& added = static_cast<MovieClip&>(parent->addChild(depth, std::move(replacement)));
        queue_.push_back({Queued::Kind::Event, added.scriptId, {}, kEventLoad});
        added.constructFirstFrame();
        drain();
    }
}

}  // namespace kelmora::player::script
