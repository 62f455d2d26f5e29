#pragma once
// What the capture loop asks of the main window: its labels, caption, processing mode, timer,
// closing (which quits the program), the beep and reading a header again on a restart.
#include <string>

namespace kelmora::capture {

class CaptureHost {
public:
    virtual ~CaptureHost() = default;
    virtual void setStatus(const std::string& text) = 0;
    virtual void setElapsedTime(const std::string& text) = 0;
    virtual void setEstimatedTime(const std::string& text) = 0;
    virtual std::string elapsedTime() const = 0;
    virtual void setCaption(const std::string& text) = 0;
    virtual void processingModeOn() = 0;
    virtual void processingModeOff() = 0;
    virtual void setSnapTimerEnabled(bool enabled) = 0;
    virtual void closeMainWindow() = 0;
    virtual void beep() = 0;
    virtual void processPendingEvents() = 0;
    // readSwfHeader with infoOnly false: labels, player and window sizes.
    virtual void rereadHeader(const std::string& path) = 0;
};

}  // namespace kelmora::capture
