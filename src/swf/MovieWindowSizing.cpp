#include "swf/MovieWindowSizing.h"

#include <algorithm>

#include "util/MessageSink.h"

namespace kelmora::swf {

int mainWindowOuterWidth(int frameAllowanceWidth, int widthPx, bool infoOnly) {
    int width = frameAllowanceWidth + widthPx * kTwipsPerPixel + 30;
    return infoOnly ? std::max(width, 5390) : width;
}

int mainWindowOuterHeight(int frameAllowanceHeight, int heightPx, int statusFrameHeight) {
    return frameAllowanceHeight + heightPx * kTwipsPerPixel + statusFrameHeight + 120;
}

ScreenFit screenFit(int wantedOuterWidth, int grantedOuterWidth, int wantedOuterHeight, int grantedOuterHeight) {
    const bool wide = wantedOuterWidth > grantedOuterWidth;
    const bool tall = wantedOuterHeight > grantedOuterHeight;
    if (wide && tall) return ScreenFit::TooLarge;
    if (wide) return ScreenFit::TooWide;
    if (tall) return ScreenFit::TooTall;
    return ScreenFit::Fits;
}

std::string screenFitMessage(ScreenFit fit) {
    const char* first = nullptr;
    switch (fit) {
    case ScreenFit::Fits: return {};
    case ScreenFit::TooLarge: first = "The width and height of this movie is too large for your current Screen-Resolution."; break;
    case ScreenFit::TooWide: first = "The width of this movie is too large for your current Screen-Resolution."; break;
    case ScreenFit::TooTall: first = "The height of this movie is too large for your current Screen-Resolution."; break;
    }
    return std::string(first) + kCrLf + kCrLf + "Increase your Screen-Resolution and try again.";
}

bool sideTooHigh(int widthPx, int heightPx) { return widthPx > kMaxSidePx || heightPx > kMaxSidePx; }

std::string tooHighTitle() { return "Overflow (6)"; }

std::string tooHighMessage(int widthPx, int heightPx, int screenWidthPx, int screenHeightPx) {
    return std::string("The selected movies width and/or height is too high.") + kCrLf + kCrLf + "width = \t" +
           std::to_string(widthPx) + "\t (max " + std::to_string(screenWidthPx) + ")" + kCrLf + "height = \t" +
           std::to_string(heightPx) + "\t (max " + std::to_string(screenHeightPx) + ")" + kCrLf + kCrLf +
           "Increase your Screen-Resolution to convert movies with high resolution.";
}

}  // namespace kelmora::swf
