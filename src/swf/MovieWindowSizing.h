#pragma once
// The arithmetic of sizing the player and the main window around a movie, in twips (15 per
// screen pixel), and the texts of the verdicts; the windows themselves apply it.
#include <cstdint>
#include <string>

namespace kelmora::swf {

inline constexpr int kTwipsPerPixel = 15;
// Sizes were 16-bit twips: above this many pixels a side no longer fits.
inline constexpr int kMaxSidePx = 32767 / kTwipsPerPixel;  // 2184

// Outer width of the main window for a movie: frame allowance + player + 30; at least 5390 when
// only the file information is shown.
int mainWindowOuterWidth(int frameAllowanceWidth, int widthPx, bool infoOnly);
// Outer height: frame allowance + player + status frame + 120.
int mainWindowOuterHeight(int frameAllowanceHeight, int heightPx, int statusFrameHeight);

enum class ScreenFit { Fits, TooWide, TooTall, TooLarge };
// Compares the sizes asked for with those the window system granted (a window asked to grow past
// the screen stays smaller).
ScreenFit screenFit(int wantedOuterWidth, int grantedOuterWidth, int wantedOuterHeight, int grantedOuterHeight);
// The warning for a movie that does not fit; empty for Fits.
std::string screenFitMessage(ScreenFit fit);

// A side above kMaxSidePx: the warning with the title and text of the "too high" message.
bool sideTooHigh(int widthPx, int heightPx);
std::string tooHighTitle();
std::string tooHighMessage(int widthPx, int heightPx, int screenWidthPx, int screenHeightPx);

}  // namespace kelmora::swf
