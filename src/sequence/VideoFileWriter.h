#pragma once
// Writes the engine's frames, and a sound track beside them, into an AVI, MP4, Matroska or WebM
// file through FFmpeg. Frames come as 0xAARRGGBB words (alpha dropped); sound as interleaved
// stereo 16-bit samples at 44.1 kHz, in any slices. Frame rates are fractions, so 12.5 frames
// per second stays exact. Errors come back as values; after the first one every call fails.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "util/Result.h"

namespace kelmora {

inline constexpr int kSoundRate = 44100;
inline constexpr int kSoundChannels = 2;

struct VideoFileSettings {
    std::string path;  // the container from the extension: .avi, .mp4, .mkv, .webm
    int width = 0, height = 0;
    int rateNumerator = 12, rateDenominator = 1;  // frames per second as a fraction
    std::string videoCodec;  // raw, mjpeg, ffv1, mpeg4, h264, vp8, vp9; empty: the container's usual one
    int quality = 75;        // 0 (smallest) to 100 (best); lossless codecs ignore it
    int keyFrameInterval = 0;  // 0: about every five seconds
    bool sound = true;
    std::string soundCodec;  // pcm, aac, mp3, opus, vorbis, flac; empty: the container's usual one
    int threads = 0;         // encoder threads; 0: FFmpeg decides
    // When the codec is mjpeg, take the frames as JPEG files' bytes through writeJpegFrame(),
    // encoded by the caller (on many threads: Motion JPEG frames don't depend on each other).
    bool jpegFrames = false;
};

class VideoFileWriter {
public:
    ~VideoFileWriter();  // closes an open file
    VideoFileWriter(const VideoFileWriter&) = delete;
    VideoFileWriter& operator=(const VideoFileWriter&) = delete;

    // Creates the file and writes its header.
    static Result<std::unique_ptr<VideoFileWriter>> open(const VideoFileSettings& settings);

    // One frame of width x height words, rows top-down, strideInPixels words apart.
    Status writeFrame(const uint32_t* argb, int strideInPixels);
    // One frame as a whole JPEG file (baseline, 4:2:0), when takesJpegFrames().
    Status writeJpegFrame(std::span<const uint8_t> jpeg);
    bool takesJpegFrames() const;
    // Interleaved left/right samples; ignored when the file has no sound track.
    Status writeSound(std::span<const int16_t> samples);
    // Drains the encoders and writes the index; safe to call twice.
    Status close();

    int64_t framesWritten() const;
    int64_t soundFramesWritten() const;  // samples per channel
    bool hasSound() const;
    const std::string& videoCodec() const;
    const std::string& soundCodec() const;

private:
    VideoFileWriter();
    struct State;
    std::unique_ptr<State> s_;
};

// The codec names this machine's FFmpeg can put into that file (by its extension).
std::vector<std::string> videoCodecsFor(const std::string& path);
std::vector<std::string> soundCodecsFor(const std::string& path);

}  // namespace kelmora
