#include "player/script/ScriptEngine.h"

#include <algorithm>

#include "player/avm1/Builtins.h"
#include "player/display/ButtonObject.h"
#include "player/display/MovieClip.h"
#include "player/display/Stage.h"
#include "player/script/ClipEvents.h"

namespace kelmora::player::script {

namespace {
// Scripts that keep queueing scripts (a goto in every frame script of a loop) end the frame here.
constexpr size_t kMaxQueuedPerFrame = 5000;
}

ScriptEngine::ScriptEngine(Sinks sinks, avm1::Limits limits) : sinks_(std::move(sinks)), limits_(limits) {}

ScriptEngine::~ScriptEngine() {
    // Objects still waiting for their unload go first; they may belong to retired contexts.
    removed_.clear();
}

void ScriptEngine::start(Stage& stage, double frameRate, int swfVersion, const std::string& folder) {
    stage_ = &stage;
    folders_[&stage.root().context()] = folder;
    frameRate_ = frameRate > 0 ? frameRate : 12;
    interpreter_ = std::make_unique<avm1::Interpreter>(*this, swfVersion, limits_);
    avm1::setSandboxType(*interpreter_, stage.root().context().movie().usesNetwork() ? "localWithNetwork" : "localWithFile");
    // The player's version is a variable of the first movie's timeline.
    if (avm1::Object* root = interpreter_->clipObject(stage.root().scriptId))
        root->setOwn("$version", avm1::Value(avm1::playerVersionString()), 0);
    stage.root().constructFirstFrame();
    // The root's load event follows its first frame's scripts.
    queue_.push_back({Queued::Kind::Event, stage.root().scriptId, {}, kEventLoad});
    drain();
    runOutsideEvents();
    performTextLoads(true);
    reportLoadErrors();
    flushDrawings();
    syncTextVariables();
    releaseUnloaded();
    removed_.clear();
    interpreter_->collectGarbage();
}

void ScriptEngine::advance() {
    if (!stage_ || quit_) return;
    ++tick_;
    timeMs_ = static_cast<double>(tick_) * 1000.0 / frameRate_;
    // Clips made from here on (loaded levels, clips of timer scripts) show their first frame now.
    const uint64_t tickStart = nextSerial_;
    performLoads();
    performTextLoads();
    interpreter_->runTimers();
    // A timer was due before this frame: what it asked to load is there by now.
    if (!loads_.empty() || !texts_.empty()) {
        performLoads();
        performTextLoads();
    }
    drain();
    // Newest clips first, the levels' roots last; clips made on the way wait for the next frame.
    std::vector<MovieClip*> order = executionOrder();
    std::vector<ClipId> ids;
    ids.reserve(order.size());
    for (MovieClip* c : order) ids.push_back(c->scriptId);
    for (ClipId id : ids)
        if (MovieClip* c = movieClip(id); c && !c->removed && c->serial < tickStart) c->stepFrame();
    // enterFrame runs before the frame scripts, for clips that were there before this frame.
    while (!initQueue_.empty() || !constructQueue_.empty()) {
        Queued q = initQueue_.empty() ? constructQueue_.front() : initQueue_.front();
        (initQueue_.empty() ? constructQueue_ : initQueue_).pop_front();
        if (q.kind == Queued::Kind::Code)
            runCode(q.clip, q.code, q.version ? q.version : object(q.clip) ? versionOf(*object(q.clip)) : 6);
        else runEvent(q.clip, q.event);
    }
    for (ClipId id : ids) {
        DisplayObject* o = object(id);
        if (o && !o->removed && o->serial < tickStart) runEvent(id, kEventEnterFrame);
    }
    drain();
    runOutsideEvents();
    performTextLoads(true);
    reportLoadErrors();
    syncTextVariables();
    releaseUnloaded();
    removed_.clear();
    interpreter_->collectGarbage();
}

void ScriptEngine::runOutsideEvents() {
    // Answers of dialogs and connections come after the frame's scripts.
    if (interpreter_->outsideEvents.empty()) return;
    interpreter_->runOutsideEvents();
    drain();
}

std::vector<MovieClip*> ScriptEngine::executionOrder() {
    std::vector<MovieClip*> out;
    for (auto& [n, level] : stage_->levels()) collect(*level.root, out);
    std::sort(out.begin(), out.end(), [](const MovieClip* a, const MovieClip* b) { return a->serial > b->serial; });
    return out;
}

void ScriptEngine::collect(DisplayObject& o, std::vector<MovieClip*>& out) {
    if (MovieClip* c = o.asMovieClip()) out.push_back(c);
    if (DisplayList* list = childList(o))
        for (auto& [d, child] : *list) collect(*child, out);
}

DisplayList* ScriptEngine::childList(DisplayObject& o) {
    if (MovieClip* c = o.asMovieClip()) return &c->children();
    if (o.kind() == CharacterKind::Button && o.character()) return &static_cast<ButtonObject&>(o).children();
    return nullptr;
}

// ---------------------------------------------------------------- queue

DisplayObject* ScriptEngine::object(ClipId clip) const {
    auto it = objects_.find(clip);
    return it == objects_.end() ? nullptr : it->second;
}

MovieClip* ScriptEngine::movieClip(ClipId clip) const {
    DisplayObject* o = object(clip);
    return o ? o->asMovieClip() : nullptr;
}

int ScriptEngine::versionOf(const DisplayObject& o) const { return o.context().movie().header().version; }

int ScriptEngine::movieVersion(ClipId clip) {
    DisplayObject* o = object(clip);
    return o ? versionOf(*o) : -1;
}

uint32_t ScriptEngine::movieBytes(ClipId clip) {
    DisplayObject* o = object(clip);
    if (!o) return 0;
    if (!o->movieRoot && o->kind() == CharacterKind::Sprite && o->character())
        return static_cast<const SpriteDef&>(*o->character()).byteSize;
    return o->context().movie().header().fileLength;
}

uint32_t ScriptEngine::movieBytesLoaded(ClipId clip) {
    DisplayObject* o = object(clip);
    if (!o || !o->movieRoot) return movieBytes(clip);
    // A file shorter than its header says has loaded only what it holds.
    const MovieDef& movie = o->context().movie();
    return static_cast<uint32_t>(std::min<size_t>(movie.byteSize(), movie.header().fileLength));
}

uint32_t ScriptEngine::movieFileBytes(ClipId clip) {
    DisplayObject* o = object(clip);
    if (!o || !o->movieRoot) return movieBytes(clip);
    return static_cast<uint32_t>(std::min<size_t>(o->context().movie().fileSize(), UINT32_MAX));
}

avm1::Code ScriptEngine::cachedCode(std::span<const uint8_t> code) {
    auto& cached = codes_[code.data()];
    if (!cached || cached->size() != code.size())
        cached = std::make_shared<const std::vector<uint8_t>>(code.begin(), code.end());
    return cached;
}

void ScriptEngine::runCode(ClipId clip, std::span<const uint8_t> code, int version) {
    if (code.empty()) return;
    interpreter_->runScript(clip, cachedCode(code), version);
}

void ScriptEngine::runEvent(ClipId clip, uint32_t event) {
    DisplayObject* o = object(clip);
    if (!o) return;
    const bool unload = event == kEventUnload;
    if (o->removed && !unload) return;
    unloading_ = unload;
    if (!o->clipActions.empty()) {
        const int version = versionOf(*o);
        for (const ClipEventHandler& h : parseClipActions(o->clipActions, version))
            if (h.events & event) runCode(clip, h.actions, version);
    }
    const char* method = event == kEventLoad         ? "onLoad"
                         : event == kEventEnterFrame ? "onEnterFrame"
                         : event == kEventUnload     ? "onUnload"
                         : event == kEventData       ? "onData"
                                                     : nullptr;
    if (method && o->asMovieClip() && object(clip)) interpreter_->callMethod(clip, method);
    if (event == kEventConstruct && object(clip)) interpreter_->clipConstructed(clip);
    unloading_ = false;
}

void ScriptEngine::drain() {
    size_t guard = 0;
    while (guard++ < kMaxQueuedPerFrame && !quit_) {
        std::deque<Queued>* q = !initQueue_.empty()        ? &initQueue_
                                : !constructQueue_.empty() ? &constructQueue_
                                : !queue_.empty()          ? &queue_
                                                           : nullptr;
        if (!q) break;
        Queued item = q->front();
        q->pop_front();
        if (item.kind == Queued::Kind::Code) {
            DisplayObject* o = object(item.clip);
            if (o && !o->removed) runCode(item.clip, item.code, item.version ? item.version : versionOf(*o));
        } else {
            runEvent(item.clip, item.event);
        }
    }
    if (guard >= kMaxQueuedPerFrame) {
        initQueue_.clear();
        constructQueue_.clear();
        queue_.clear();
        reportError("Scripts kept queueing scripts; the rest of this frame's scripts were dropped.");
    }
}

// ---------------------------------------------------------------- timeline listener

void ScriptEngine::objectCreated(DisplayObject& o) {
    o.scriptId = nextId_++;
    o.serial = nextSerial_++;
    objects_.emplace(o.scriptId, &o);
}

void ScriptEngine::objectDestroyed(DisplayObject& o) {
    forgetMasks(o.scriptId);
    objects_.erase(o.scriptId);
    transforms_.erase(o.scriptId);
    boundObjects_.erase(o.scriptId);
    shownVariables_.erase(o.scriptId);
}

void ScriptEngine::placed(DisplayObject& o) {
    const CharacterKind k = o.kind();
    if (o.name.empty() && !o.namedByPlacement && (k == CharacterKind::Sprite || k == CharacterKind::Button || k == CharacterKind::EditText))
        o.name = "instance" + std::to_string(++instanceNames_);
    if (k == CharacterKind::EditText) syncTextVariable(o.scriptId, true);
    if (o.kind() == CharacterKind::Button && o.character()) {
        // The button's sprites come after it, named and constructed in their depth order.
        for (auto& [d, child] : static_cast<ButtonObject&>(o).children()) {
            placed(*child);
            if (MovieClip* c = child->asMovieClip()) c->constructFirstFrame();
        }
        return;
    }
    if (!o.asMovieClip()) return;
    uint32_t events = 0;
    if (!o.clipActions.empty())
        for (const auto& h : parseClipActions(o.clipActions, versionOf(o))) events |= h.events;
    if (events & kEventInitialize) initQueue_.push_back({Queued::Kind::Event, o.scriptId, {}, kEventInitialize});
    constructQueue_.push_back({Queued::Kind::Event, o.scriptId, {}, kEventConstruct});
    queue_.push_back({Queued::Kind::Event, o.scriptId, {}, kEventLoad});
}

void ScriptEngine::frameStarted(MovieClip& clip, const FrameDef& frame) {
    for (const InitAction& init : frame.initActions) {
        if (!initDone_.insert({&clip.context(), init.spriteId}).second) continue;
        initQueue_.push_back({Queued::Kind::Code, clip.scriptId, init.actions, 0});
    }
    // An import brings the init actions of the movie it comes from, those of sprites not imported
    // too, in that movie's order; each runs once.
    for (uint16_t id : frame.importedIds) {
        const ImportedAssets::Source* source = clip.context().imported(id);
        if (!source) continue;
        const int version = source->context->movie().header().version;
        for (const FrameDef& f : source->context->movie().timeline().frames)
            for (const InitAction& init : f.initActions)
                if (initDone_.insert({source->context, init.spriteId}).second)
                    initQueue_.push_back({Queued::Kind::Code, clip.scriptId, init.actions, 0, version});
    }
}

void ScriptEngine::frameAction(MovieClip& clip, std::span<const uint8_t> actions) {
    queue_.push_back({Queued::Kind::Code, clip.scriptId, actions, 0});
}

void ScriptEngine::markRemoved(DisplayObject& o, std::vector<ClipId>& unloads) {
    if (interpreter_) interpreter_->clipRemoved(o.scriptId);
    o.removed = true;
    if (DisplayList* list = childList(o))
        for (auto& [d, child] : *list)
            if (!child->removed) markRemoved(*child, unloads);  // a clip already unloading in place
    if (o.asMovieClip()) unloads.push_back(o.scriptId);
}

void ScriptEngine::removed(std::unique_ptr<DisplayObject> o) {
    std::vector<ClipId> unloads;
    markRemoved(*o, unloads);
    for (ClipId id : unloads) queue_.push_back({Queued::Kind::Event, id, {}, kEventUnload});
    MovieClip* parent = o->parent ? o->parent->asMovieClip() : nullptr;
    const int parked = -1 - o->depth;
    if (parent && !parent->removed && o->depth >= 0 && hasUnloadHandler(*o) && !parent->children().count(parked)) {
        o->placedByTimeline = false;
        o->depth = parked;
        unloadingInPlace_.insert(o->scriptId);
        parent->children().emplace(parked, std::move(o));
        return;
    }
    removed_.push_back(std::move(o));
}

bool ScriptEngine::hasUnloadHandler(DisplayObject& o) {
    if (!o.asMovieClip() || !interpreter_) return false;
    if (!o.clipActions.empty())
        for (const ClipEventHandler& h : parseClipActions(o.clipActions, versionOf(o)))
            if (h.events & kEventUnload) return true;
    // Looked up on the object itself: the clip is leaving its list, so its path finds nothing yet.
    int depth = 0;
    for (avm1::Object* p = interpreter_->clipObject(o.scriptId); p && depth < 256; p = p->proto(), ++depth)
        if (p->findOwn("onUnload")) return true;
    return false;
}

bool ScriptEngine::unloadingInPlace(const DisplayObject& o) const {
    for (const DisplayObject* p = &o; p; p = p->parent)
        if (unloadingInPlace_.count(p->scriptId)) return true;
    return false;
}

void ScriptEngine::releaseUnloaded() {
    std::set<ClipId> ids;
    ids.swap(unloadingInPlace_);
    for (ClipId id : ids) {
        DisplayObject* o = object(id);
        MovieClip* parent = o && o->parent ? o->parent->asMovieClip() : nullptr;
        if (!parent) continue;
        auto it = parent->children().find(o->depth);
        if (it == parent->children().end() || it->second.get() != o) continue;
        removed_.push_back(std::move(it->second));
        parent->children().erase(it);
    }
}

void ScriptEngine::placementFailed(MovieClip& clip, int depth) {
    // The reference player's log has this line among the traces, for movies of SWF 7 and later.
    if (versionOf(clip) < 7) return;
    trace("Warning: Failed to place object at depth " + std::to_string(depth) + ".");
}

void ScriptEngine::retireContext(std::unique_ptr<PlayContext> context) {
    // Code spans of the movie stay valid for scripts still queued, and handles stay unique.
    retiredContexts_.push_back(std::move(context));
}

}  // namespace kelmora::player::script
