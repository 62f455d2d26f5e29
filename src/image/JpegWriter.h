#pragma once
// Writes a DIB section as a JPEG file. The encoder reads the DIB's buffer in place (blue, green,
// red, bottom-up, padded rows); the file shows the picture upright.
#include <string>

#include "util/MessageSink.h"

namespace kelmora {

class cDIBSection;

inline constexpr int kJpegEncoderErrorNumber = 26001;

// quality: 0 to 100, handed to the encoder unchanged (values outside are refused by it).
// True when the file was written. Every failure shows the "SaveJPG" message (warning icon) and
// returns false; a replaced file keeps its access and modification times and permission bits,
// and a failed write leaves the earlier file (if any) untouched.
bool SaveJPG(const cDIBSection& dib, const std::string& fileName, int quality, MessageSink& messages);

// Chroma subsampling for a quality: 4:2:0 below 90, 4:4:4 from 90 up (a TJSAMP value).
int jpegSubsamplingFor(int quality);

}  // namespace kelmora
