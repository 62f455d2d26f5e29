#pragma once
// A scripted player, a recording main window and a hand-set clock for the capture loop's tests.
#include <string>
#include <vector>

#include "capture/CaptureHost.h"
#include "capture/Clock.h"
#include "capture/PlayerControl.h"
#include "image/DIBSection.h"
#include "util/MessageSink.h"

namespace kelmora::capture::testing {

struct FakeClock : Clock {
    double now = 1000.0;
    double step = 0.0;  // added on every reading
    double seconds() const override {
        double t = now;
        const_cast<FakeClock*>(this)->now += step;
        return t;
    }
};

struct FakePlayer : PlayerControl {
    std::string moviePath;
    int frame = 0;
    int total = 10;
    bool visible = false;
    bool failLoad = false;
    std::vector<std::string> loads;
    bool present() const override { return true; }
    Status setMovie(const std::string& path) override {
        loads.push_back(path);
        moviePath = path;
        frame = 0;
        if (failLoad && path.ends_with("movie.swf")) return makeError("no such movie", 53);
        return {};
    }
    const std::string& movie() const override { return moviePath; }
    void play() override {}
    void rewind() override { frame = 0; }
    int currentFrame() const override { return frame; }
    int frameNum() const override { return frame; }
    int totalFrames() const override { return moviePath.ends_with("blank.swf") ? 1 : total; }
    void setMenu(bool) override {}
    void setBGColor(const std::string&) override {}
    void setVisible(bool v) override { visible = v; }
    // Each frame a different grey, so a stored picture says which frame it was.
    void grabFrame(cDIBSection& picture) override {
        uint32_t pixels[4 * 3];
        for (uint32_t& p : pixels) p = 0xFF000000u | uint32_t(frame * 10) * 0x010101u;
        picture.CreateFromArgb32(pixels, 4, 3, 4);
    }
};

struct FakeHost : CaptureHost {
    std::string status, elapsed = "--:--.--", estimated = "--:--.--", caption;
    bool processing = false, timer = false;
    int closed = 0, beeps = 0, headerReads = 0;
    void setStatus(const std::string& t) override { status = t; }
    void setElapsedTime(const std::string& t) override { elapsed = t; }
    void setEstimatedTime(const std::string& t) override { estimated = t; }
    std::string elapsedTime() const override { return elapsed; }
    void setCaption(const std::string& t) override { caption = t; }
    void processingModeOn() override { processing = true; }
    void processingModeOff() override { processing = false; }
    void setSnapTimerEnabled(bool on) override { timer = on; }
    void closeMainWindow() override { ++closed; }
    void beep() override { ++beeps; }
    void processPendingEvents() override {}
    void rereadHeader(const std::string&) override { ++headerReads; }
};

struct RecordingSink : MessageSink {
    std::vector<Message> shown;
    MessageAnswer show(const Message& m) override {
        shown.push_back(m);
        return m.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
};

}  // namespace kelmora::capture::testing
