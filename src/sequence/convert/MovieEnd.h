#pragma once
// When a conversion is over. A range with a last frame ends there. Otherwise the movie ends at
// its real last frame (the frames the file holds, whatever its header claims) when the main
// timeline plays on from it; a main timeline that stops (or has a single frame) while its clips
// may still animate is followed for the hold time; a movie that never gets there (scripts that
// loop forever) ends at the frame limit.
#include <cstdint>

#include "sequence/convert/ConvertOptions.h"

namespace kelmora::convert {

struct TimelineState {
    uint32_t current = 0;  // 0-based
    uint32_t total = 1;
    bool playing = true;
};

enum class EndReason { NotYet, RangeEnd, LastFrame, HoldOver, FrameLimit };

class MovieEnd {
public:
    MovieEnd(const FrameRange& range, double holdSeconds, double frameRate, int maxFrames);

    // After the `shown`-th frame (1-based), with the main timeline as it stands at that frame.
    EndReason afterFrame(int shown, const TimelineState& root);

    // A guess at the number of frames, for progress: exact for a range or a movie that just plays.
    int expectedFrames(uint32_t totalFrames) const;
    int holdFrames() const { return holdFrames_; }

private:
    FrameRange range_;
    int holdFrames_ = 0;
    int maxFrames_ = 0;
    int stoppedSince_ = 0;  // the frame where the main timeline was first seen standing; 0 while it moves
};

}  // namespace kelmora::convert
