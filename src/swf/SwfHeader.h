#pragma once
// Reading a movie's header into MovieInfo, and the texts and messages that go with it.
// Windows are not touched here: the caller shows the results and sizes its windows.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "swf/MovieInfo.h"
#include "util/MessageSink.h"
#include "util/Result.h"

namespace kelmora::swf {

// How much of a file the header reader looks at (and, for compressed files, inflates): the header
// and the tags before the first frame, where the background colour is set.
inline constexpr size_t kHeaderReadBytes = 64u << 10;

enum class HeaderPath {
    Read,          // the header was read; MovieInfo holds it
    Compressed,    // a compressed movie whose header could not be decompressed
    NotSwf,        // not a SWF file (also a plain file too short to hold a header)
};

struct HeaderDecode {
    HeaderPath path = HeaderPath::NotSwf;
    MovieInfo info;  // meaningful only when path is Read
};

// Pure decoding of the first bytes of a file (at most kHeaderReadBytes are used). Never reads past
// the span. "CWS" and "ZWS" movies are decompressed as far as needed and read like "FWS" ones.
HeaderDecode decodeSwfHeader(std::span<const uint8_t> fileStart);

// Program-wide flags the reader consults and changes.
struct HeaderReadState {
    bool fewFramesWarningArmed = true;  // cleared once the few-frames warning has been shown
    bool movieUnreadable = false;       // set by the compressed path; cleared only by the callers
};

struct HeaderReadResult {
    HeaderPath path = HeaderPath::NotSwf;
    MovieInfo info;                     // meaningful only when path is Read
    // Compressed path: the caller shows the Movie Properties dialog, prefilled for manual entry.
    bool showPropertiesDialog = false;
};

// The reader's decisions and messages for the first bytes of a file: the few-frames warning,
// the compressed-movie message (once per movieUnreadable), the not-a-SWF warning.
HeaderReadResult readSwfHeader(std::span<const uint8_t> fileStart, bool infoOnly, bool dontShowPropertiesDialog,
                               HeaderReadState& state, MessageSink& messages);

// The same for a file on disk (only its first kHeaderReadBytes are read). A file that cannot be
// opened or read is an Error for the caller, without a message.
Result<HeaderReadResult> readSwfHeaderFile(const std::string& path, bool infoOnly, bool dontShowPropertiesDialog,
                                           HeaderReadState& state, MessageSink& messages);

// Texts of the main window's labels for a read header.
struct MovieInfoTexts {
    std::string version, size, width, height, frameRate, frameCount;
    std::string fileInfo;  // " File Info [#RRGGBB, rrr ggg bbb] "
    std::string bgColor;   // "RRGGBB", the player's background colour
};
MovieInfoTexts movieInfoTexts(const MovieInfo& info);

// The Movie Properties dialog fields the reader fills.
struct MoviePropertiesPrefill {
    std::string version, width, height, frameRate, frameCount, movieFileName;
    bool frameCountSet = false;  // false: the frame count box keeps its text
    bool setColour = false;      // true: the swatch takes red, green, blue (its look unchanged)
    bool makeHatched = false;    // true: the swatch turns hatched, "no colour chosen yet"
    uint8_t red = 0, green = 0, blue = 0;
};
MoviePropertiesPrefill prefillFromMovie(const MovieInfo& info, const std::string& fileTitle);
MoviePropertiesPrefill prefillForManualEntry(const std::string& fileTitle);

inline constexpr const char* kNotSwfText = "This is not a valid Shockwave/Flash file!";

}  // namespace kelmora::swf
