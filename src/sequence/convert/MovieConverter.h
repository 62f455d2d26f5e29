#pragma once
// Converts one movie: plays it frame by frame on the calling thread, draws each frame at the
// asked size and hands it to the pool that writes picture files, or to the ordered writer of its
// video file with the frame's sound. Pictures in flight are bounded, so memory stays flat.
#include <atomic>
#include <functional>
#include <string>
#include <utility>

#include "sequence/convert/ConvertOptions.h"
#include "sequence/convert/EncodePool.h"
#include "sequence/convert/MovieEnd.h"
#include "util/Result.h"

namespace kelmora::player {
class Player;
}

namespace kelmora::convert {

struct MovieResult {
    std::string moviePath;
    bool ok = false;
    std::string reason;  // why it failed; empty on success
    std::string note;    // worth telling on success (the frame limit cut the movie short)
    int framesWritten = 0;
    int framesPlayed = 0;
    EndReason end = EndReason::NotYet;
    double seconds = 0;
};

struct MovieProgress {
    int framesWritten = 0;
    int framesExpected = 0;  // a guess until the movie ends
    double seconds = 0;
};

// The picture size for a stage of that size: --size, else the stage times --scale, rounded.
// Refused when a side would be below 1 or past 16384 pixels, or supersampled past 2^28 pixels.
Result<std::pair<int, int>> outputSize(int stageWidth, int stageHeight, const ConvertOptions& options);

class MovieConverter {
public:
    // pool: the shared writers of picture files (several movies may use it at once).
    MovieConverter(const ConvertOptions& options, EncodePool& pool);

    // onProgress is called on this thread after frames (not more than a few times per second).
    MovieResult convert(const std::string& moviePath,
                        const std::function<void(const MovieProgress&)>& onProgress = {});

private:
    const ConvertOptions& options_;
    EncodePool& pool_;
};

// The engine's sound of the frame just played, interleaved stereo at 44.1 kHz; empty when the
// engine has none for it. The converter pads or trims it to the frame's exact length.
void takeFrameSound(player::Player& player, std::vector<int16_t>& samples);

}  // namespace kelmora::convert
