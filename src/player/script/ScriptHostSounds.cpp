// Sounds that scripts attach from a movie's library (Sound.attachSound), started and stopped in
// that movie's sound track.
#include <cmath>

#include "player/avm1/Object.h"
#include "player/display/DisplayObject.h"
#include "player/format/MovieDef.h"
#include "player/media/SoundEvents.h"
#include "player/script/ScriptEngine.h"

namespace kelmora::player::script {

namespace {

// The sound a clip's movie exports under this name (any case when no exact match), or null.
std::shared_ptr<const SoundDef> exportedSound(const MovieDef& movie, std::string_view name, uint16_t& id) {
    const auto& exports = movie.exports();
    auto it = exports.find(std::string(name));
    if (it == exports.end()) {
        avm1::NameEqual eq{false};
        for (it = exports.begin(); it != exports.end(); ++it)
            if (eq(it->first, name)) break;
    }
    if (it == exports.end()) return nullptr;
    id = it->second;
    return soundById(movie, id);
}

}  // namespace

double ScriptEngine::soundLength(ClipId clip, std::string_view exportName) {
    DisplayObject* o = object(clip);
    if (!o) return -1;
    uint16_t id = 0;
    auto sound = exportedSound(o->context().movie(), exportName, id);
    if (!sound || sound->encoding.sampleRate <= 0) return -1;
    return std::round(static_cast<double>(sound->sampleCount) * 1000.0 / sound->encoding.sampleRate);
}

void ScriptEngine::startSound(ClipId clip, std::string_view exportName, double offsetSeconds, int loops) {
    DisplayObject* o = object(clip);
    uint16_t id = 0;
    if (!o || !exportedSound(o->context().movie(), exportName, id)) return;
    o->context().sounds.start(o->context().movie(), id, offsetSeconds, loops);
}

void ScriptEngine::stopSound(ClipId clip, std::string_view exportName) {
    DisplayObject* o = object(clip);
    uint16_t id = 0;
    if (!o || !exportedSound(o->context().movie(), exportName, id)) return;
    o->context().sounds.stop(o->context().movie(), id);
}

}  // namespace kelmora::player::script
