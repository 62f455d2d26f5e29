#pragma once
// What one run of the converter is asked to do: where the frames go, which frames, at what size,
// how many threads, and when to give up on a movie.
#include <cstdint>
#include <optional>
#include <string>

namespace kelmora::convert {

// 1-based frame numbers in the order the movie shows them; no last frame means "to the real end".
struct FrameRange {
    int first = 1;
    std::optional<int> last;
};

enum class ProgressMode { Auto, Bar, Json, None };

struct ConvertOptions {
    std::string outPattern;  // picture files; empty (and no video) means "MOVIE.swf_0001.jpg" beside the movie
    int quality = 100;       // JPEG, 0 to 100
    std::string videoPath;   // .avi, .mp4, .mkv or .webm
    std::string videoCodec;  // empty: the container's usual one
    std::string audioCodec;  // empty: the container's usual one
    int videoQuality = 75;   // 0 (smallest) to 100 (best)
    bool audio = true;
    FrameRange frames;
    double scale = 1;
    int width = 0, height = 0;  // --size; 0 means the movie's size times scale
    bool transparent = false;
    int supersample = 1;
    double holdSeconds = 0;
    int maxFrames = 65535;  // frames numbers are 16-bit in the player too
    int jobs = 0;           // 0: every core
    double timeoutSeconds = 0;  // per movie; 0: none
    uint64_t scriptActionLimit = 0;  // actions one script may run before it is stopped; 0: the engine's
    ProgressMode progress = ProgressMode::Auto;
};

}  // namespace kelmora::convert
