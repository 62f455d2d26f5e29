#pragma once
// What the timelines and scripts ask of the sound during one frame, in the order they ask it. The
// display code only appends here; the mixer applies the list when it mixes that frame, so a
// stopAllSounds() in a frame's script silences a sound its StartSound tag started just before.
#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

#include "player/format/MovieDef.h"
#include "player/format/TimelineDef.h"
#include "player/media/Sound.h"

namespace kelmora::player {

struct SoundEvent {
    enum class Kind : uint8_t { Start, Stop, StopAll, StreamFrame, ClipGone };
    Kind kind = Kind::Start;
    std::shared_ptr<const SoundDef> sound;  // Start, Stop
    SoundInfo info;                         // Start
    // StreamFrame, ClipGone: the clip (only compared, never followed); its stream and the frame it entered.
    const void* clip = nullptr;
    std::shared_ptr<const SoundStreamDef> stream;
    uint32_t frame = 0;
};

class SoundEvents {
public:
    // A timeline entered a frame: its StartSound tags and, when it has a stream, the stream's
    // position. Cheap for the frames that have neither.
    void frameEntered(const void* clip, const MovieDef& movie, const TimelineDef& timeline, uint32_t frame) {
        if (timeline.soundStream || !timeline.frames[frame].sounds.empty())
            addFrame(clip, movie, timeline, frame);
    }

    // A clip with a stream sound left the display: its stream stops at once.
    void clipGone(const void* clip, const TimelineDef& timeline) {
        if (timeline.soundStream) addClipGone(clip);
    }

    // For scripts (the Sound class, stopAllSounds). Unknown ids and ids of other characters are
    // ignored. offsetSeconds: where in the sound to begin; loops: how many times it plays.
    void start(const MovieDef& movie, uint16_t soundId, double offsetSeconds = 0, int loops = 1);
    void stop(const MovieDef& movie, uint16_t soundId);
    void stopAll();

    const std::vector<SoundEvent>& pending() const { return events_; }
    void clear() { events_.clear(); }
    // Moves another list's events to the end of this one (movies in other levels).
    void append(SoundEvents& other) {
        events_.insert(events_.end(), std::make_move_iterator(other.events_.begin()),
                       std::make_move_iterator(other.events_.end()));
        other.events_.clear();
    }

private:
    void addFrame(const void* clip, const MovieDef& movie, const TimelineDef& timeline, uint32_t frame);
    void addClipGone(const void* clip);

    std::vector<SoundEvent> events_;
};

// The sound of that id, or null when the id names no sound.
std::shared_ptr<const SoundDef> soundById(const MovieDef& movie, uint16_t soundId);

}  // namespace kelmora::player
