#pragma once
// The current movie's header values, as the main window's information labels show them.
#include <cstdint>

namespace kelmora::swf {

struct MovieInfo {
    uint8_t version = 0;
    uint32_t fileLength = 0;     // the header's file length field as stored (not checked against the file)
    uint8_t frameSizeBits = 0;   // Nbits of the frame rectangle, 0 to 31
    int16_t widthPx = 0;         // Xmax / 20, halves to even; saturated at 32767
    int16_t heightPx = 0;        // Ymax / 20, the same way
    uint8_t movieFrameRate = 0;  // integer part of the 8.8 frame rate
    uint16_t frameCount = 0;     // frames of the main timeline
    uint8_t backgroundRed = 0;
    uint8_t backgroundGreen = 0;
    uint8_t backgroundBlue = 0;
    bool compressed = false;     // the file was zlib ("CWS") or LZMA ("ZWS") compressed

    bool operator==(const MovieInfo&) const = default;
};

}  // namespace kelmora::swf
