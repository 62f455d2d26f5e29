// What the Call action reads of a timeline: a frame's scripts, found by number or label.
#include "player/avm1/Object.h"
#include "player/display/MovieClip.h"
#include "player/script/ScriptEngine.h"

namespace kelmora::player::script {

std::vector<std::span<const uint8_t>> ScriptEngine::frameActions(ClipId clip, uint32_t frame) {
    MovieClip* c = movieClip(clip);
    if (!c || frame >= c->timeline().frameCount()) return {};
    return c->timeline().frames[frame].actions;
}

std::optional<uint32_t> ScriptEngine::labelFrame(ClipId clip, std::string_view label) {
    MovieClip* c = movieClip(clip);
    if (!c) return std::nullopt;
    const auto& labels = c->timeline().labels;
    if (auto it = labels.find(std::string(label)); it != labels.end()) return it->second;
    // Labels are found without regard to case, as gotoAndPlay finds them.
    avm1::NameEqual eq{false};
    for (const auto& [name, frame] : labels)
        if (eq(name, label)) return frame;
    return std::nullopt;
}

}  // namespace kelmora::player::script
