// Movies and pictures that scripts load into levels and clips (loadMovie, loadMovieNum, GetURL
// to a level, MovieClipLoader), from local files beside the movie that asks.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "player/avm1/Builtins.h"
#include "player/avm1/LoadedText.h"
#include "player/avm1/Object.h"
#include "player/display/MovieClip.h"
#include "player/display/Stage.h"
#include "player/format/Characters.h"
#include "player/format/MovieDef.h"
#include "player/script/ClipEvents.h"
#include "player/script/LoadedImage.h"
#include "player/script/ScriptEngine.h"
#include "util/TextNumber.h"

namespace kelmora::player::script {

namespace {
constexpr std::streamoff kMaxLoadedFile = 64 << 20;

// False when the file is missing or can't be read; a file past the cap reads as empty.
bool readLoadedFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    if (size < 0) return false;
    if (size == 0 || size > kMaxLoadedFile) return true;
    bytes.resize(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) bytes.clear();
    return true;
}

// A movie file, or a picture made into a movie; null for anything else.
std::shared_ptr<const MovieDef> movieFromFile(std::span<const uint8_t> bytes, int version) {
    if (bytes.empty()) return nullptr;
    if (pictureKind(bytes) != PictureKind::None) return movieFromPicture(bytes, version);
    auto def = MovieDef::load(bytes);
    if (!def || def.value()->usesActionScript3()) return nullptr;
    return std::move(def.value());
}

// The variables a URL passes to the movie it loads: "movie.swf?a=1&b=2#part" gives "a=1&b=2".
std::string queryOf(std::string_view url) {
    const size_t q = url.find('?');
    if (q == std::string_view::npos) return {};
    std::string_view rest = url.substr(q + 1);
    return std::string(rest.substr(0, rest.find('#')));
}
}  // namespace

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
    // Nothing above the movie's own folder: no ".." step.
    for (size_t start = 0; start <= name.size();) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0) return false;
        start = end + 1;
    }
    path = folder + "/" + name;
    return true;
}

void ScriptEngine::getUrl(std::string_view url, std::string_view target, int /*method*/) {
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
    ClipId base = interpreter_->currentTarget();
    if (!target.empty()) {
        if (ClipId t = interpreter_->resolveTarget(base ? base : level(0), target)) {
            loadMovie(t, url);
            return;
        }
    }
    // Anything else would open a page: there is no browser, so it is refused without a message.
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
    loads_.push_back({n, n >= 0 ? avm1::kNoClip : target, path, {}, queryOf(url)});
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
    loads_.push_back({n, avm1::kNoClip, path, {}, queryOf(url)});
}

void ScriptEngine::unloadMovie(ClipId target) {
    const int n = levelNumber(target);
    for (PendingLoad& load : loads_)
        if (load.request && !load.path.empty() && (n >= 0 ? load.level == n : load.clip == target)) load.cancelled = true;
    if (n >= 0) {
        loads_.push_back({n, avm1::kNoClip, {}, {}});
        return;
    }
    if (object(target)) loads_.push_back({-1, target, {}, {}});
}

uint64_t ScriptEngine::loadClip(ClipId target, int n, std::string_view url) {
    if (target != avm1::kNoClip) {
        if (!object(target)) return 0;
        n = levelNumber(target);
    }
    if (target == avm1::kNoClip && (n < 0 || n > 65535)) return 0;
    PendingLoad load{n, n >= 0 ? avm1::kNoClip : target, {}, {}, queryOf(url)};
    ClipId from = interpreter_->currentTarget();
    load.refused = url.empty() || !resolveMoviePath(folderOf(from ? from : level(0)), url, load.path);
    load.request = nextLoadRequest_++;
    // A file that is not there is reported at the end of this frame, as the player finds out at once.
    std::error_code ec;
    if (load.refused || !std::filesystem::is_regular_file(load.path, ec)) {
        loadErrors_.push_back({load.request, target != avm1::kNoClip ? target : level(n)});
        return load.request;
    }
    loads_.push_back(std::move(load));
    return loads_.back().request;
}

uint64_t ScriptEngine::loadText(ClipId from, std::string_view url) {
    PendingText text{nextLoadRequest_++, {}};
    if (!resolveMoviePath(folderOf(from ? from : level(0)), url, text.path)) text.path.clear();
    texts_.push_back(std::move(text));
    return texts_.back().request;
}

void ScriptEngine::performTextLoads(bool soundsOnly) {
    // Each round may ask for more; a chain of sounds ends after a bounded number of rounds.
    for (int round = 0; round < (soundsOnly ? 64 : 1); ++round) {
        std::vector<PendingText> texts;
        if (soundsOnly) {
            auto isSound = [&](const PendingText& t) {
                auto it = interpreter_->textListeners.find(t.request);
                return it != interpreter_->textListeners.end() && avm1::isSoundObject(it->second.object());
            };
            auto split = std::stable_partition(texts_.begin(), texts_.end(), [&](const PendingText& t) { return !isSound(t); });
            texts.assign(std::make_move_iterator(split), std::make_move_iterator(texts_.end()));
            texts_.erase(split, texts_.end());
        } else {
            texts.swap(texts_);
        }
        if (texts.empty()) return;
        for (const PendingText& t : texts) {
            std::vector<uint8_t> bytes;
            // An empty file (or one past the cap) is a failed load, as the player has it.
            const bool ok = !t.path.empty() && readLoadedFile(t.path, bytes) && !bytes.empty();
            std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            // A byte order mark is not part of the variables.
            if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
            if (ClipId clip = interpreter_->textLoaded(t.request, ok, text)) runEvent(clip, kEventData);
        }
        drain();
    }
}

void ScriptEngine::reportLoadErrors() {
    std::vector<std::pair<uint64_t, ClipId>> errors;
    errors.swap(loadErrors_);
    const avm1::Value error[] = {avm1::Value("URLNotFound"), avm1::Value(0.0)};
    for (auto& [request, clip] : errors) interpreter_->loadEvent(request, "onLoadError", clip, error, true);
    if (!errors.empty()) drain();
}

void ScriptEngine::fsCommand(std::string_view command, std::string_view) {
    // The standalone player closes on "quit": nothing more of the movie runs.
    if (command.size() == 4 && toLower(std::string(command)) == "quit") quit_ = true;
}

void ScriptEngine::performLoads() {
    std::vector<PendingLoad> loads;
    loads.swap(loads_);
    // Loaders hear onLoadInit once every movie of this frame ran its first frame, newest first.
    std::vector<std::pair<uint64_t, ClipId>> inits;
    for (PendingLoad& load : loads) {
        const ClipId oldTarget = load.level >= 0 ? level(load.level) : load.clip;
        if (load.request && load.cancelled) {
            interpreter_->loadEvent(load.request, "onLoadStart", oldTarget, {}, true);
            continue;
        }
        std::vector<uint8_t> bytes;
        const bool found = !load.refused && !load.path.empty() && readLoadedFile(load.path, bytes);
        if (load.request && !found) {
            const avm1::Value error[] = {avm1::Value("URLNotFound"), avm1::Value(0.0)};
            interpreter_->loadEvent(load.request, "onLoadError", oldTarget, error, true);
            continue;
        }
        if (load.refused) continue;
        const int version = stage_->root().context().movie().header().version;
        std::shared_ptr<const MovieDef> movie = found ? movieFromFile(bytes, version) : nullptr;
        // loadMovie of a missing or unreadable file leaves the target as it is; a loader empties it.
        if (!load.path.empty() && !movie && !load.request) continue;
        const double loaded = movie ? static_cast<double>(bytes.size()) : 0;
        const auto slash = load.path.find_last_of('/');
        std::string folder = slash == std::string::npos ? std::string(".") : load.path.substr(0, slash);
        MovieClip* made = nullptr;
        if (load.level >= 0) {
            if (!movie) {
                if (load.level > 0) stage_->unloadLevel(load.level);
                if (load.request) interpreter_->loadListeners.erase(load.request);
                continue;
            }
            made = &stage_->loadLevel(load.level, movie, folder);
            folders_[&made->context()] = folder;
        } else {
            DisplayObject* target = object(load.clip);
            MovieClip* parent = target && !target->removed && target->parent ? target->parent->asMovieClip() : nullptr;
            if (!parent) {
                if (load.request) interpreter_->loadListeners.erase(load.request);
                continue;
            }
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
                replacement = std::make_unique<MovieClip>(parent->context(), nullptr, emptyTimeline(),
                                                          parent->nesting() + 1, false);
            }
            replacement->copyPropertiesFrom(*target);
            replacement->clipActions = target->clipActions;
            replacement->parent = nullptr;
            const int depth = target->depth;
            made = &static_cast<MovieClip&>(parent->addChild(depth, std::move(replacement)));
            carryClipState(load.clip, made->scriptId);
            queue_.push_back({Queued::Kind::Event, made->scriptId, {}, kEventLoad});
        }
        const ClipId clip = made->scriptId;
        if (load.request) {
            const avm1::Value progress[] = {avm1::Value(loaded), avm1::Value(loaded)};
            const avm1::Value status[] = {avm1::Value(0.0)};
            interpreter_->loadEvent(load.request, "onLoadStart", clip, {}, false);
            interpreter_->loadEvent(load.request, "onLoadProgress", clip, progress, false);
            interpreter_->loadEvent(load.request, "onLoadComplete", clip, status, false);
            inits.emplace_back(load.request, clip);
        }
        if (!load.query.empty() && movie)
            if (avm1::Object* root = interpreter_->clipObject(clip)) avm1::decodeVariables(*interpreter_, root, load.query);
        if (MovieClip* c = movieClip(clip)) c->constructFirstFrame();
        // A level's load event follows its first frame's scripts.
        if (load.level >= 0) queue_.push_back({Queued::Kind::Event, clip, {}, kEventLoad});
    }
    drain();
    for (auto it = inits.rbegin(); it != inits.rend(); ++it)
        interpreter_->loadEvent(it->first, "onLoadInit", it->second, {}, true);
}

}  // namespace kelmora::player::script
