#pragma once
// Device fonts: text fields without embedded outlines are drawn with the Liberation fonts
// (metric-compatible with Arial, Times New Roman and Courier New) through FreeType. Flash drew
// device text with the system's pixel rasteriser; anti-aliased outlines come close.
#include <string>

#include "player/text/GlyphSource.h"

namespace kelmora::player {

enum class DeviceFamily { Sans, Serif, Mono };

// Flash's names and common Windows fonts to a family; unknown names fall back to serif, as
// Flash Player on Windows did (Times New Roman).
DeviceFamily deviceFamilyFor(const std::string& fontName);

// The device font of a family and style, loaded once per process; null when its file is missing.
const GlyphSource* deviceFont(DeviceFamily family, bool bold, bool italic);
inline const GlyphSource* deviceFont(const std::string& fontName, bool bold, bool italic) {
    return deviceFont(deviceFamilyFor(fontName), bold, italic);
}

}  // namespace kelmora::player
