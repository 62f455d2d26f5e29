#include "player/media/SoundEvents.h"

#include <algorithm>
#include <cmath>

#include "player/media/SoundMixer.h"

namespace kelmora::player {

namespace {
// A script that starts sounds in a loop must not grow the list without bound; no frame needs more.
constexpr size_t kMaxEventsPerFrame = 4096;
}  // namespace

std::shared_ptr<const SoundDef> soundById(const MovieDef& movie, uint16_t soundId) {
    auto character = movie.characterShared(soundId);
    if (!character || character->kind != CharacterKind::Sound) return nullptr;
    return std::static_pointer_cast<const SoundDef>(character);
}

void SoundEvents::addFrame(const void* clip, const MovieDef& movie, const TimelineDef& timeline, uint32_t frame) {
    for (const StartSound& start : timeline.frames[frame].sounds) {
        auto sound = soundById(movie, start.soundId);
        if (!sound || events_.size() >= kMaxEventsPerFrame) continue;
        SoundEvent e;
        e.kind = SoundEvent::Kind::Start;
        e.sound = std::move(sound);
        e.info = start.info;
        events_.push_back(std::move(e));
    }
    if (timeline.soundStream && events_.size() < kMaxEventsPerFrame) {
        SoundEvent e;
        e.kind = SoundEvent::Kind::StreamFrame;
        e.clip = clip;
        e.stream = timeline.soundStream;
        e.frame = frame;
        events_.push_back(std::move(e));
    }
}

void SoundEvents::addClipGone(const void* clip) {
    // Past the cap the clip's stream still ends a frame later: nothing reports it entering one.
    if (events_.size() >= kMaxEventsPerFrame) return;
    SoundEvent e;
    e.kind = SoundEvent::Kind::ClipGone;
    e.clip = clip;
    events_.push_back(std::move(e));
}

void SoundEvents::start(const MovieDef& movie, uint16_t soundId, double offsetSeconds, int loops) {
    auto sound = soundById(movie, soundId);
    if (!sound || events_.size() >= kMaxEventsPerFrame) return;
    SoundEvent e;
    e.kind = SoundEvent::Kind::Start;
    e.sound = std::move(sound);
    // NaN and negative offsets start at the beginning; a huge one simply plays nothing.
    double offset = std::isfinite(offsetSeconds) ? std::clamp(offsetSeconds, 0.0, 86400.0) : 0.0;
    if (offset > 0) e.info.inPoint = static_cast<uint32_t>(std::llround(offset * SoundMixer::kSampleRate));
    e.info.loopCount = static_cast<uint16_t>(std::clamp(loops, 1, 65535));
    events_.push_back(std::move(e));
}

void SoundEvents::stop(const MovieDef& movie, uint16_t soundId) {
    auto sound = soundById(movie, soundId);
    if (!sound || events_.size() >= kMaxEventsPerFrame) return;
    SoundEvent e;
    e.kind = SoundEvent::Kind::Stop;
    e.sound = std::move(sound);
    events_.push_back(std::move(e));
}

void SoundEvents::stopAll() {
    // Everything asked before is undone by this anyway; keeping only the stop bounds the list.
    std::erase_if(events_, [](const SoundEvent& e) { return e.kind != SoundEvent::Kind::StreamFrame; });
    SoundEvent e;
    e.kind = SoundEvent::Kind::StopAll;
    events_.push_back(std::move(e));
}

}  // namespace kelmora::player
