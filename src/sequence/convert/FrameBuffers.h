#pragma once
// A fixed set of frame pictures lent out by the renderer and given back when written: the bound
// on memory of a conversion, however long the movie.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "player/render/PixelBuffer.h"

namespace kelmora::convert {

class FrameBuffers {
public:
    explicit FrameBuffers(int count);

    // Waits for a free picture.
    player::PixelBuffer* acquire();
    void release(player::PixelBuffer* buffer);
    // Waits until every picture is back (everything handed out has been written).
    void waitAllReturned();

private:
    std::mutex mutex_;
    std::condition_variable returned_;
    std::vector<std::unique_ptr<player::PixelBuffer>> all_;
    std::vector<player::PixelBuffer*> free_;
};

}  // namespace kelmora::convert
