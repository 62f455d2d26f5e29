#pragma once
// The capture loop: the movie plays in real time; a 100 ms tick reads the frame the player shows
// and, each time it has moved on, grabs and stores it. A lost frame restarts the conversion;
// repeated losses give up with advice.
#include <string>

#include "capture/CaptureHost.h"
#include "capture/Clock.h"
#include "capture/FrameStorage.h"
#include "capture/PlayerControl.h"
#include "settings/Settings.h"
#include "util/MessageSink.h"

namespace kelmora::capture {

inline constexpr int kSnapIntervalMs = 100;

// The start-up fields that tell a batch run from interactive use.
struct RunKind {
    bool suppressErrors = false;
    std::string commandSourceFile;  // empty: interactive
    bool batch() const { return !commandSourceFile.empty(); }
};

class CaptureLoop {
public:
    CaptureLoop(Settings& settings, const RunKind& run, PlayerControl& player, CaptureHost& host,
                const Clock& clock, MessageSink& messages, std::string blankMoviePath);

    // The file chosen last by the Open command (full path).
    void setChosenFile(const std::string& path) { chosenFile_ = path; }
    const std::string& chosenFile() const { return chosenFile_; }
    void resetLostFrames() { lostFrameCount_ = 0; }

    void startProcess();
    void stopProcess();
    void openSwf(std::string path);
    void tick();
    void takeScreenShot();

    bool converting() const { return converting_; }
    int lastSnapFrame() const { return lastSnapFrame_; }
    int lostFrameCount() const { return lostFrameCount_; }
    double sessionStartTime() const { return sessionStartTime_; }
    double sessionSnapAverage() const { return sessionSnapAverage_; }
    FrameStorage& storage() { return storage_; }

private:
    void lossHandling();
    void restart();
    void finish();
    void grabScreen() { player_.grabFrame(storage_.picture()); }
    void storeFrame();
    void closeIfBatch();

    Settings& settings_;
    const RunKind& run_;
    PlayerControl& player_;
    CaptureHost& host_;
    const Clock& clock_;
    MessageSink& messages_;
    std::string blankMoviePath_;
    FrameStorage storage_;

    std::string chosenFile_;
    bool converting_ = false;
    bool gaveUp_ = false;
    bool inTick_ = false;
    int lastSnapFrame_ = -1;
    int lostFrameCount_ = 0;
    double sessionStartTime_ = 0;
    float sessionSnapAverage_ = 0;
    double lastSnapTime_ = 0;
    double snapInterval_ = 0;
    double snapIntervalAverage_ = 0;
};

}  // namespace kelmora::capture
