// kelmora-join: joins BMP pictures into an AVI video, as the Pictures window does.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sequence/JoinPictures.h"
#include "util/TextNumber.h"

extern "C" {
#include <libavutil/log.h>
}

using namespace kelmora;

namespace {

constexpr const char* kUsage =
    "Usage: kelmora-join [--fps N] [--codec NAME] [--quality Q] -o OUT.avi PICTURE...\n"
    "\n"
    "Joins BMP pictures, in the order given, into one AVI video. The pictures must share the\n"
    "first one's width, height and bit depth.\n"
    "\n"
    "  --fps N        frames per second, 1 to 99 (default 12)\n"
    "  --codec NAME   raw (default: the pictures' own pixels, uncompressed), mjpeg, ffv1 (lossless),\n"
    "                 mpeg4 or h264, as this machine's FFmpeg offers them\n"
    "  --quality Q    0 (smallest) to 100 (best) for mjpeg, mpeg4 and h264 (default 75)\n"
    "  --keyframes N  a key frame every N frames for ffv1, mpeg4 and h264 (default 25)\n"
    "  -o OUT.avi     the video to write (replaced when it exists)\n"
    "  --help         this text\n"
    "\n"
    "Exit status: 0 when the video was written, 1 on any error, 2 on a usage error.\n";

int usageError(const std::string& why) {
    std::fprintf(stderr, "kelmora-join: %s\n(try kelmora-join --help)\n", why.c_str());
    return 2;
}

bool readWhole(const char* text, int low, int high, int& out) {
    auto n = parseNumber(text);
    if (!n || *n != static_cast<int>(*n) || *n < low || *n > high) return false;
    out = static_cast<int>(*n);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_ERROR);
    JoinRequest request;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) return nullptr;
            (void)name;
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--fps") {
            const char* v = value("--fps");
            if (!v || !readWhole(v, 1, 99, request.rate)) return usageError("--fps takes a whole number from 1 to 99");
        } else if (arg == "--quality") {
            const char* v = value("--quality");
            if (!v || !readWhole(v, 0, 100, request.compressor.quality)) {
                return usageError("--quality takes a whole number from 0 to 100");
            }
        } else if (arg == "--keyframes") {
            const char* v = value("--keyframes");
            if (!v || !readWhole(v, 1, 100000, request.compressor.keyFrameInterval)) {
                return usageError("--keyframes takes a whole number from 1");
            }
        } else if (arg == "--codec") {
            const char* v = value("--codec");
            if (!v) return usageError("--codec needs a name");
            if (!findCompressor(v)) {
                std::string names;
                for (auto& o : availableCompressors()) names += " " + o.codec;
                return usageError(std::string("unknown codec '") + v + "'; this machine offers:" + names);
            }
            request.compressor.codec = v;
        } else if (arg == "-o") {
            const char* v = value("-o");
            if (!v) return usageError("-o needs a file name");
            request.output = v;
        } else if (arg == "--") {
            for (++i; i < argc; ++i) request.pictures.emplace_back(argv[i]);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else {
            request.pictures.push_back(arg);
        }
    }
    if (request.output.empty()) return usageError("no output file (-o OUT.avi)");
    if (request.pictures.empty()) return usageError("no pictures");

    const bool bar = ::isatty(STDERR_FILENO);
    JoinProgress progress;
    if (bar) {
        progress = [](int64_t done, int64_t total) {
            const int width = 40;
            const int filled = int(done * width / total);
            std::fprintf(stderr, "\r[%.*s%*s] %lld/%lld", filled, "########################################",
                         width - filled, "", static_cast<long long>(done), static_cast<long long>(total));
            if (done == total) std::fputc('\n', stderr);
        };
    }
    Status st = joinPictures(request, progress);
    if (!st) {
        if (bar) std::fputc('\n', stderr);
        std::fprintf(stderr, "kelmora-join: %s\n", st.error().message.c_str());
        return 1;
    }
    return 0;
}
