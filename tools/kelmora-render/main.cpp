// kelmora-render: plays a movie for a number of frames and writes what the stage shows then.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "PngFile.h"
#include "player/Player.h"

namespace {

const char* const kUsage =
    "usage: kelmora-render --frames N --png OUT.png [--trace OUT.txt] IN.swf\n"
    "\n"
    "Plays the movie from the start for N frames (the first frame counts as 1), then writes\n"
    "what the stage shows as a 24-bit PNG of the movie's pixel size, and every trace() line\n"
    "of the movie's scripts to OUT.txt.\n"
    "\n"
    "  --frames N      frames to play (default 1)\n"
    "  --png FILE      the picture to write\n"
    "  --trace FILE    the trace lines to write (an empty file when the movie traces nothing)\n"
    "  --help          this text\n"
    "\n"
    "Exit status: 0 on success, 1 when the movie can't be read or a file can't be written,\n"
    "2 on a wrong command line.\n";

int usageError(const std::string& message) {
    std::fprintf(stderr, "kelmora-render: %s\n%s", message.c_str(), kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    long frames = 1;
    std::string pngPath, tracePath, moviePath;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--frames") {
            std::string text;
            if (!value(text)) return usageError("--frames needs a number");
            char* end = nullptr;
            frames = std::strtol(text.c_str(), &end, 10);
            if (end == text.c_str() || *end != '\0' || frames < 1 || frames > 1000000)
                return usageError("--frames needs a number from 1 to 1000000");
        } else if (arg == "--png") {
            if (!value(pngPath)) return usageError("--png needs a file name");
        } else if (arg == "--trace") {
            if (!value(tracePath)) return usageError("--trace needs a file name");
        } else if (!arg.empty() && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else if (moviePath.empty()) {
            moviePath = arg;
        } else {
            return usageError("only one movie at a time");
        }
    }
    if (moviePath.empty()) return usageError("no movie given");

    std::ofstream trace;
    if (!tracePath.empty()) {
        trace.open(tracePath, std::ios::binary | std::ios::trunc);
        if (!trace) {
            std::fprintf(stderr, "kelmora-render: cannot create %s\n", tracePath.c_str());
            return 1;
        }
    }
    kelmora::player::Player player;
    player.setTraceSink([&](const std::string& line) {
        if (trace) trace << line << '\n';
    });
    player.setReportSink([](const std::string& message) { std::fprintf(stderr, "kelmora-render: %s\n", message.c_str()); });
    if (auto st = player.load(moviePath); !st) {
        std::fprintf(stderr, "kelmora-render: %s: %s\n", moviePath.c_str(), st.error().message.c_str());
        return 1;
    }
    for (long f = 1; f < frames; ++f) player.advance();
    if (!pngPath.empty()) {
        kelmora::player::PixelBuffer picture;
        player.render(picture);
        if (picture.empty()) picture.resize(1, 1), player.render(picture);
        if (auto st = kelmora::tools::writePng(pngPath, picture); !st) {
            std::fprintf(stderr, "kelmora-render: %s\n", st.error().message.c_str());
            return 1;
        }
    }
    return 0;
}
