#pragma once
// The compressor choice as data: which codec, its quality and key-frame interval. The window asks
// for it through CompressorDialog; kelmora-join takes it from its options.
#include <optional>
#include <string>
#include <vector>

namespace kelmora {

struct CompressorChoice {
    std::string codec = "raw";  // raw, mjpeg, ffv1, mpeg4, h264
    int quality = 75;           // 0 (smallest) to 100 (best); lossless codecs ignore it
    int keyFrameInterval = 25;  // a key frame every n frames; 1 makes every frame one
};

struct CompressorOption {
    std::string codec;  // the name kelmora-join takes
    std::string label;  // what the dialog shows
    bool usesQuality = false;
    bool usesKeyFrames = false;
};

// The compressors that this machine's FFmpeg can put into an AVI file, "Full Frames" first.
std::vector<CompressorOption> availableCompressors();
// The option of that codec name, when this machine offers it.
std::optional<CompressorOption> findCompressor(const std::string& codec);

class CompressorDialog {
public:
    virtual ~CompressorDialog() = default;
    // Nothing when the user cancelled.
    virtual std::optional<CompressorChoice> choose(const std::vector<CompressorOption>& options,
                                                   const CompressorChoice& initial) = 0;
};

}  // namespace kelmora
