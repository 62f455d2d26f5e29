#include "app/OutputNameCheck.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <unistd.h>

#include "capture/FrameNaming.h"

namespace kelmora::app {

void checkOutputName(Settings& settings, bool suppressErrors, MessageSink& messages) {
    const std::string name = settings.outputName();
    if (!capture::namesFolder(name)) return;
    std::string probe = name + "_test";
    std::error_code ec;
    if (std::filesystem::exists(probe, ec)) {
        messages.show({capture::fileTitle(probe), std::string("This may replace some existing files!") + kCrLf + kCrLf + name,
                       MessageIcon::Information, MessageButtons::Ok});
        probe += "." + std::to_string(::getpid());  // never touch the user's file
    }
    int error = 0;
    if (FILE* file = std::fopen(probe.c_str(), "wx")) {
        char stamp[64];
        std::time_t now = std::time(nullptr);
        std::strftime(stamp, sizeof stamp, "%x, %X", std::localtime(&now));
        if (std::fprintf(file, "pathCheck %s\r\n", stamp) < 0) error = errno ? errno : EIO;
        if (std::fclose(file) != 0 && !error) error = errno;
        std::remove(probe.c_str());
    } else {
        error = errno;
    }
    if (!error) return;
    if (suppressErrors)
        settings.setOutputName(kWrongFileName);
    else
        messages.show({"", "Error: " + std::to_string(error) + kCrLf + kCrLf + std::strerror(error),
                       MessageIcon::Warning, MessageButtons::Ok});
}

}  // namespace kelmora::app
