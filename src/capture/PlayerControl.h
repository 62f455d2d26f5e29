#pragma once
// The members of the player control that the program uses. The Qt widget implements it over the
// built-in engine; tests implement it with a scripted player.
#include <string>

#include "util/Result.h"

namespace kelmora {
class cDIBSection;
}

namespace kelmora::capture {

class PlayerControl {
public:
    virtual ~PlayerControl() = default;
    // The start-up check: is a player there at all? The built-in engine always is.
    virtual bool present() const = 0;
    // Movie: loads the movie; an unreadable movie is a failure with number and description.
    virtual Status setMovie(const std::string& path) = 0;
    virtual const std::string& movie() const = 0;  // the path set last, as set
    virtual void play() = 0;
    virtual void rewind() = 0;
    virtual int currentFrame() const = 0;  // 0-based index of the frame shown now
    virtual int frameNum() const = 0;
    virtual int totalFrames() const = 0;
    virtual void setMenu(bool on) = 0;
    virtual void setBGColor(const std::string& text) = 0;
    virtual void setVisible(bool visible) = 0;
    // The engine's picture of the frame shown now, at the movie's size, into the capture buffer.
    virtual void grabFrame(cDIBSection& picture) = 0;
};

}  // namespace kelmora::capture
