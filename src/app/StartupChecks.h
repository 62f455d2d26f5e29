#pragma once
// Start-up decisions that need no window: the player check, the version texts, --help.
#include <functional>
#include <string>

#include "capture/PlayerControl.h"
#include "util/MessageSink.h"

namespace kelmora::app {

// True to go on. A missing player asks; No shows where to get one, opens the vendor's download
// page (kFlashDownloadAddress, without a scheme: the link opener adds it) and returns false (the
// caller quits through quitProgram).
bool playerCheck(const capture::PlayerControl& player, MessageSink& messages,
                 const std::function<void(const std::string&)>& openLink);

// "kelmora v0.3 (build 26)"
std::string versionTitle();
std::string helpText();

// Runs quitProgram's work once; later calls return at once.
class QuitGuard {
public:
    bool enter() {
        if (quitting_) return false;
        quitting_ = true;
        return true;
    }
    bool quitting() const { return quitting_; }

private:
    bool quitting_ = false;
};

}  // namespace kelmora::app
