#include "sequence/convert/FrameBuffers.h"

#include <algorithm>

namespace kelmora::convert {

FrameBuffers::FrameBuffers(int count) {
    for (int i = 0; i < std::max(1, count); ++i) {
        all_.push_back(std::make_unique<player::PixelBuffer>());
        free_.push_back(all_.back().get());
    }
}

player::PixelBuffer* FrameBuffers::acquire() {
    std::unique_lock lock(mutex_);
    returned_.wait(lock, [&] { return !free_.empty(); });
    player::PixelBuffer* b = free_.back();
    free_.pop_back();
    return b;
}

void FrameBuffers::release(player::PixelBuffer* buffer) {
    // Notified under the lock: once the last picture is back the owner may destroy this object,
    // and it can't get past waitAllReturned() before the lock is let go.
    std::lock_guard lock(mutex_);
    free_.push_back(buffer);
    returned_.notify_all();
}

void FrameBuffers::waitAllReturned() {
    std::unique_lock lock(mutex_);
    returned_.wait(lock, [&] { return free_.size() == all_.size(); });
}

}  // namespace kelmora::convert
