#pragma once
// Flash Player's limits for bitmaps; everything larger is refused before memory is taken.
#include <cstdint>

namespace kelmora::player {

inline constexpr int kMaxBitmapSide = 8191;
inline constexpr int64_t kMaxBitmapPixels = 16777215;

inline bool bitmapSizeAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxBitmapSide && height <= kMaxBitmapSide &&
           width * height <= kMaxBitmapPixels;
}

}  // namespace kelmora::player
