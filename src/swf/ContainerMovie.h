#pragma once
// The container movie: a small uncompressed SWF whose first frame loads the user's movie into
// level 1 and which then counts through empty frames, while a two-frame sprite stops all sounds.
#include <cstdint>
#include <string>
#include <vector>

#include "util/MessageSink.h"
#include "util/Result.h"

namespace kelmora::swf {

// Where the rectangle's digit string goes; the Qt program puts it on the system clipboard.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const std::string& text) = 0;
};

struct ContainerMovieArgs {
    std::string signature = "FWS";  // exactly three characters
    int version = 6;                // 0 to 255
    int widthPx = 550;              // 0 to 1638 (20 twips each must fit 16 bits)
    int heightPx = 400;             // 0 to 1638
    int frameRate = 1;              // 0 to 255
    int frameCount = 100;           // 0 to 32767
    int red = 0, green = 0, blue = 0;  // 0 to 255 each
    std::string movieFileName;      // 4 to 242 bytes, ending in ".swf" (any case)
    // 1: one extra zero byte before the frame rate; -1: one byte fewer; anything else: none.
    int adjustment = 0;
};

struct ContainerBytes {
    std::vector<uint8_t> bytes;
    std::string rectangleDigits;  // the 72-character frame rectangle, as it goes to the clipboard
};

// The container file's bytes, laid out exactly as the container command's read-back expects
// (rectangle position quirks and adjustment included). Out-of-range arguments are an Error.
Result<ContainerBytes> buildContainerSwf(const ContainerMovieArgs& args);

// Writes the container to `path`. An existing file is replaced without asking when
// overwriteSilently is set; otherwise the user is asked ("File already exists. Overwrite?") and a
// No gives false with nothing written and the clipboard untouched. The file is written whole or
// not at all. true: written.
Result<bool> writeContainerSwf(const std::string& path, const ContainerMovieArgs& args, bool overwriteSilently,
                               MessageSink& messages, Clipboard& clipboard);

}  // namespace kelmora::swf
