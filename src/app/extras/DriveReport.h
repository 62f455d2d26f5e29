#pragma once
// The System Info window's texts, built from plain figures so they can be checked without a screen.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "util/MessageSink.h"

namespace kelmora::app {

// One hard disk: on Linux a mounted local file system, named by its mount point.
struct DriveFigures {
    std::string name;
    bool readable = true;  // false: its sizes could not be read
    uint64_t totalBytes = 0;
    uint64_t freeBytes = 0;
};

// Whole megabytes in the pattern "###,###,###,###": grouped by `groupSeparator`, no digits at all
// for a value that rounds to zero.
std::string megabytesText(uint64_t bytes, const std::string& groupSeparator);

// " Scanning.. ok.  N HD(s) found." and one line per drive. A drive whose sizes can't be read gets
// the message "Error in GetDiskFreeSpace." and only its name.
std::string driveReport(const std::vector<DriveFigures>& drives, const std::string& groupSeparator,
                        MessageSink& messages);

struct ColorDepthText {
    std::string text;                                   // "16 Bit - High Color"
    std::optional<uint32_t> indicatorRgb;               // 0xRRGGBB; none: leave the indicator as it is
};
ColorDepthText colorDepthText(int bits);
std::string resolutionText(int width, int height);      // "1024 x 768"

// The mounted local file systems that hold user data: pseudo, network, read-only and removable
// ones are left out.
std::vector<DriveFigures> localHardDisks();

}  // namespace kelmora::app
