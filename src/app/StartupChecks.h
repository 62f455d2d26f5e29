#pragma once
// Start-up decisions that need no window: the player check, the version texts, --help.
#include <functional>
#include <string>

#include "capture/PlayerControl.h"
#include "util/MessageSink.h"

namespace kelmora::app {

inline constexpr const char* kPlayerDownloadPage = "https://kelmora.example.org/player";

// True to go on. A missing player asks; No shows where to get one, opens that page and
// returns false (the caller quits through quitProgram).
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
