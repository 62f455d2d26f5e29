#include "app/StartupChecks.h"

#include "app/extras/Addresses.h"

namespace kelmora::app {

#ifndef KELMORA_VERSION_MAJOR
#define KELMORA_VERSION_MAJOR 0
#define KELMORA_VERSION_MINOR 0
#define KELMORA_VERSION_REVISION 0
#endif

bool playerCheck(const capture::PlayerControl& player, MessageSink& messages,
                 const std::function<void(const std::string&)>& openLink) {
    if (player.present()) return true;
    MessageAnswer answer = messages.show({"Flash Plugin!?",
                                          std::string("Are you shure that you have installed Flash Plugin for Internet Explorer?") +
                                              kCrLf + "The program will cause an error if not.",
                                          MessageIcon::Question, MessageButtons::YesNo});
    if (answer == MessageAnswer::Yes) return true;
    messages.show({"Please install Flash Plugin first!",
                   std::string("Please visit ") + kFlashVendorSiteName + " and install the Flash Plugin to use " +
                       kProgramTitle + "." + kCrLf + kCrLf + kFlashDownloadAddress,
                   MessageIcon::Information, MessageButtons::Ok});
    if (openLink) openLink(kFlashDownloadAddress);
    return false;
}

std::string versionTitle() {
    return std::string(kProgramTitle) + " v" + std::to_string(KELMORA_VERSION_MAJOR) + "." +
           std::to_string(KELMORA_VERSION_MINOR) + " (build " + std::to_string(KELMORA_VERSION_REVISION) + ")";
}

std::string helpText() {
    return "Usage: kelmora [switches] [movie.swf]\n"
           "Converts a SWF movie into numbered BMP or JPEG pictures, one per frame.\n"
           "With a movie the conversion runs unattended and the program quits when done.\n\n"
           "  /s          silent: no questions or loss warnings\n"
           "  /bmp, /jpg  picture format\n"
           "  /q:N        JPEG quality 0-100\n"
           "  /o:NAME     output name (a path when it holds \"/\")\n"
           "  /start:N    first frame to store (turns the frame range on)\n"
           "  /stop:N     last frame to store\n"
           "  /p          pre-capture the first frame\n"
           "  --help      this text\n"
           "  --version   the program's version\n\n"
           "Example: QT_QPA_PLATFORM=offscreen kelmora /jpg /q:90 /s ~/movies/intro.swf\n";
}

}  // namespace kelmora::app
