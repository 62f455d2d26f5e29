#include "sequence/convert/MovieEnd.h"

#include <algorithm>
#include <cmath>

namespace kelmora::convert {

MovieEnd::MovieEnd(const FrameRange& range, double holdSeconds, double frameRate, int maxFrames)
    : range_(range), maxFrames_(std::max(1, maxFrames)) {
    const double fps = frameRate > 0 ? frameRate : 12;
    holdFrames_ = holdSeconds > 0 ? int(std::min(std::ceil(holdSeconds * fps - 1e-9), 1e7)) : 0;
}

EndReason MovieEnd::afterFrame(int shown, const TimelineState& root) {
    if (range_.last) return shown >= *range_.last ? EndReason::RangeEnd : EndReason::NotYet;
    if (shown >= maxFrames_) return EndReason::FrameLimit;
    const bool standing = !root.playing || root.total <= 1;
    if (!standing) {
        stoppedSince_ = 0;
        return root.current + 1 >= root.total ? EndReason::LastFrame : EndReason::NotYet;
    }
    if (stoppedSince_ == 0) stoppedSince_ = shown;
    return shown - stoppedSince_ >= holdFrames_ ? EndReason::HoldOver : EndReason::NotYet;
}

int MovieEnd::expectedFrames(uint32_t totalFrames) const {
    if (range_.last) return *range_.last;
    return std::min<int>(maxFrames_, int(std::max<uint32_t>(totalFrames, 1)) + holdFrames_);
}

}  // namespace kelmora::convert
