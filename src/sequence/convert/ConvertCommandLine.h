#pragma once
// kelmora-render's command line. Two forms: the converter (options, then movies or folders), and
// the one-picture form that the picture comparisons use: --frames N --png OUT.png [--trace T].
#include <string>
#include <vector>

#include "sequence/convert/ConvertOptions.h"
#include "util/Result.h"

namespace kelmora::convert {

struct OnePictureRequest {
    long frames = 1;  // play this many frames and write the last
    std::string pngPath, tracePath;
};

struct CommandLine {
    bool help = false;
    bool onePicture = false;  // --png or --trace given
    OnePictureRequest picture;
    ConvertOptions options;
    std::vector<std::string> inputs;  // movies and folders
};

Result<CommandLine> parseCommandLine(const std::vector<std::string>& arguments);

// "all", "N", "A-B", "A-" (1-based, A <= B).
Result<FrameRange> parseFrameRange(const std::string& text);

extern const char* const kConvertUsage;

}  // namespace kelmora::convert
