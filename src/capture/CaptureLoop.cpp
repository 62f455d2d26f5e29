#include "capture/CaptureLoop.h"

#include <cmath>

#include "capture/CaptureTexts.h"
#include "capture/FrameNaming.h"
#include "util/TextNumber.h"

namespace kelmora::capture {

CaptureLoop::CaptureLoop(Settings& settings, const RunKind& run, PlayerControl& player, CaptureHost& host,
                         const Clock& clock, MessageSink& messages, std::string blankMoviePath)
    : settings_(settings), run_(run), player_(player), host_(host), clock_(clock), messages_(messages),
      blankMoviePath_(std::move(blankMoviePath)), storage_(settings, messages) {}

void CaptureLoop::closeIfBatch() {
    if (run_.batch()) host_.closeMainWindow();
}

void CaptureLoop::startProcess() {
    lastSnapFrame_ = -1;
    sessionStartTime_ = clock_.seconds();
    sessionSnapAverage_ = 0;
    openSwf(run_.batch() ? run_.commandSourceFile : chosenFile_);
}

void CaptureLoop::openSwf(std::string path) {
    if (path.empty()) path = run_.commandSourceFile;
    settings_.setSwfPath(folderOf(path));
    host_.processingModeOn();
    host_.setSnapTimerEnabled(true);
    converting_ = true;
    gaveUp_ = false;
    // The first step measures its interval from here, not from some arbitrary clock origin.
    lastSnapTime_ = clock_.seconds();
    snapInterval_ = 0;
    snapIntervalAverage_ = 0;
    player_.setBGColor("0");
    player_.setVisible(true);
    if (player_.movie() == path) {
        player_.rewind();
        (void)player_.setMovie(blankMoviePath_);
        player_.setMenu(false);
        host_.processPendingEvents();
    }
    Status loaded = player_.setMovie(path);
    if (!loaded) {
        messages_.show({"openSwf: " + std::to_string(loaded.error().code),
                        std::string("Flash Plugin can't open movie.") + kCrLf + kCrLf + "Error description:" +
                            kCrLf + loaded.error().message,
                        MessageIcon::Warning, MessageButtons::Ok});
        // Nobody is there to choose Stop in a batch run.
        if (run_.batch()) {
            stopProcess();
            host_.closeMainWindow();
        }
        return;
    }
    player_.play();
    if (settings_.preCapture() == kChecked) takeScreenShot();
    host_.setStatus("File: " + path + " // Total Frames: " + std::to_string(player_.totalFrames()));
}

void CaptureLoop::stopProcess() {
    host_.setSnapTimerEnabled(false);
    converting_ = false;
    host_.processingModeOff();
    (void)player_.setMovie(blankMoviePath_);
    player_.setVisible(false);
}

void CaptureLoop::tick() {
    // Ticks delivered while a tick lets events through must not overlap it.
    if (inTick_ || !converting_) return;
    inTick_ = true;
    int f = player_.currentFrame();
    if (f != lastSnapFrame_) {
        takeScreenShot();
        ++lastSnapFrame_;
        // A step that stopped the conversion (range over, write failure) ends the tick.
        if (converting_) {
            if (f != lastSnapFrame_) lossHandling();
            if (!gaveUp_ && f >= player_.totalFrames() - 1) finish();
        }
    }
    inTick_ = false;
}

void CaptureLoop::lossHandling() {
    player_.setVisible(false);
    ++lostFrameCount_;
    if (lostFrameCount_ < 2) {
        restart();
    } else if (run_.suppressErrors || lostFrameCount_ >= 3) {
        stopProcess();
        if (!run_.suppressErrors)
            messages_.show({"", lostFramesAdvice(), MessageIcon::Information, MessageButtons::Ok});
        host_.setSnapTimerEnabled(false);
        host_.processingModeOff();
        gaveUp_ = true;
        closeIfBatch();
    } else {
        stopProcess();
        restart();
    }
}

void CaptureLoop::restart() {
    host_.rereadHeader(run_.batch() ? run_.commandSourceFile : chosenFile_);
    host_.setCaption(fileTitle(run_.batch() ? std::string() : chosenFile_) + " - " + kProgramTitle);
    startProcess();
}

void CaptureLoop::finish() {
    host_.setStatus("ok.");
    stopProcess();
    host_.beep();
    if (run_.batch())
        host_.closeMainWindow();
    else
        messages_.show({"", summaryText(lastSnapFrame_, host_.elapsedTime(), sessionSnapAverage_, settings_.swfPath()),
                        MessageIcon::Information, MessageButtons::Ok});
    host_.processPendingEvents();
}

void CaptureLoop::storeFrame() {
    StoreResult stored = storage_.storeFrame(lastSnapFrame_ + 2, player_.movie());
    if (stored.outcome != StoreOutcome::Failed) return;
    stopProcess();
    messages_.show({"", stored.failureText, MessageIcon::Warning, MessageButtons::Ok});
    closeIfBatch();
}

void CaptureLoop::takeScreenShot() {
    snapInterval_ = clock_.seconds() - lastSnapTime_;
    lastSnapTime_ = clock_.seconds();
    double stepStart = clock_.seconds();
    grabScreen();
    storeFrame();
    int n = player_.frameNum();
    int total = player_.totalFrames();
    float stepTime = float(roundHalfEven(clock_.seconds() - stepStart, 2));
    if (n != 0) sessionSnapAverage_ = (float(n - 1) * sessionSnapAverage_ + stepTime) / float(n);

    int shown = n + 1;
    if (frameInRange(settings_, shown)) {
        host_.setStatus(frameStatusText(shown, total, stepTime));
    } else if (leadingNumber(settings_.stopFrame()) < shown) {
        if (converting_) {
            stopProcess();
            host_.setStatus("ok. (Preferences Ctrl+P)");
            closeIfBatch();
        }
    } else {
        host_.setStatus("Frame " + std::to_string(shown) + " skipped.");
    }

    host_.setElapsedTime(elapsedTimeText(clock_.seconds() - sessionStartTime_));
    if (n >= 3)
        snapIntervalAverage_ = (snapIntervalAverage_ * 5 + snapInterval_) / 6;
    else
        snapIntervalAverage_ = snapInterval_;
    host_.setEstimatedTime(estimatedTimeText(roundHalfEven((total - 1 - n) * snapIntervalAverage_, 2)));
}

}  // namespace kelmora::capture
