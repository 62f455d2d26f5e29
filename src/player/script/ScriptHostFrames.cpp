// Frames of a clip as ActionCall finds them: their scripts, and labels.
#include "player/avm1/Object.h"
#include "player/display/MovieClip.h"
#include "player/script/ScriptEngine.h"

namespace kelmora::player::script {

std::vector<avm1::Code> ScriptEngine::frameScripts(ClipId clip, uint32_t frame) {
    std::vector<avm1::Code> scripts;
    MovieClip* c = movieClip(clip);
    if (!c || c->removed || frame >= c->totalFrames()) return scripts;
    for (std::span<const uint8_t> actions : c->timeline().frames[frame].actions)
        if (!actions.empty()) scripts.push_back(cachedCode(actions));
    return scripts;
}

int64_t ScriptEngine::labelledFrame(ClipId clip, std::string_view label) {
    MovieClip* c = movieClip(clip);
    if (!c) return -1;
    const auto& labels = c->timeline().labels;
    if (auto it = labels.find(std::string(label)); it != labels.end()) return it->second;
    avm1::NameEqual eq{false};
    for (const auto& [name, frame] : labels)
        if (eq(name, label)) return frame;
    return -1;
}

}  // namespace kelmora::player::script
