#include "capture/CaptureTexts.h"

#include <cmath>
#include <cstdio>

#include "util/MessageSink.h"
#include "util/TextNumber.h"

namespace kelmora::capture {
namespace {

std::string clockText(double h, double m, double s) {
    char text[64];
    std::snprintf(text, sizeof text, "%02.0f:%02.0f.%02.0f", h, m, s);
    return text;
}

}  // namespace

std::string elapsedTimeText(double seconds) {
    double e = roundHalfEven(seconds), h = 0, m = 0;
    while (e > 3599) { e -= 3600; h += 1; }
    while (e > 59) { e -= 60; m += 1; }
    return clockText(h, m, e);
}

std::string estimatedTimeText(double seconds) {
    double r = seconds, h = 0, m = 0;
    while (r > 3599) { r -= 3600; h += 1; }
    while (r > 59) { r -= 60; m += 1; }
    return clockText(h, m, roundHalfEven(std::fabs(r)));
}

std::string numberText(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", roundHalfEven(value, 2));
    std::string s = text;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    if (s == "-0") s = "0";
    return s;
}

std::string frameStatusText(int frameNumber, int totalFrames, double stepSeconds) {
    return "Frame " + std::to_string(frameNumber) + " of " + std::to_string(totalFrames) + " (" +
           numberText(stepSeconds) + " sec)";
}

std::string summaryText(int lastSnapFrame, const std::string& elapsed, double sessionSnapAverage,
                        const std::string& swfPath) {
    std::string text = std::to_string(lastSnapFrame + 1) + " pictures processed." + kCrLf + kCrLf +
                       "Elapsed time: " + elapsed + kCrLf + kCrLf + "Time per frame: ~" +
                       numberText(sessionSnapAverage) + " sec." + kCrLf + kCrLf + "Folder: " + kCrLf + swfPath;
    if (lastSnapFrame < 5)
        text += std::string(kCrLf) + kCrLf + "If you have troubles converting a movie try to build a" + kCrLf +
                "container movie. See Extras menu!";
    return text;
}

std::string lostFramesAdvice() {
    const char* lines[] = {
        "Attention: Again, your computer has lost at least one frame.", "",
        "Go to Extras menu and build a container movie.",
        "On old computers you need a frame rate of 1, or even slower.", "",
        "A fast harddisc is more important than a fast cpu (in this case).", "",
        "If you break down on converting a movie don't hesitate and",
    };
    std::string text;
    for (const char* line : lines) text += std::string(line) + kCrLf;
    return text + "email to: " + kFeedbackAddress;
}

}  // namespace kelmora::capture
