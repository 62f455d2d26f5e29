// kelmora-render: movies to pictures and videos, frame by frame, as fast as the machine allows.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "player/Player.h"
#include "sequence/convert/BatchConverter.h"
#include "sequence/convert/ConvertCommandLine.h"
#include "sequence/convert/PngFile.h"
#include "sequence/convert/ProgressReport.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

using namespace kelmora;

int usageError(const std::string& message) {
    std::fprintf(stderr, "kelmora-render: %s\n\n%s", message.c_str(), convert::kConvertUsage);
    return 2;
}

// Plays the movie for n frames and writes what the stage shows then.
int writeOnePicture(const convert::OnePictureRequest& request, const std::string& moviePath) {
    std::ofstream trace;
    if (!request.tracePath.empty()) {
        trace.open(request.tracePath, std::ios::binary | std::ios::trunc);
        if (!trace) {
            std::fprintf(stderr, "kelmora-render: cannot create %s\n", request.tracePath.c_str());
            return 1;
        }
    }
    player::Player player;
    player.setTraceSink([&](const std::string& line) {
        if (trace) trace << line << '\n';
    });
    player.setReportSink([](const std::string& message) { std::fprintf(stderr, "kelmora-render: %s\n", message.c_str()); });
    if (auto st = player.load(moviePath); !st) {
        std::fprintf(stderr, "kelmora-render: %s: %s\n", moviePath.c_str(), st.error().message.c_str());
        return 1;
    }
    for (long f = 1; f < request.frames; ++f) player.advance();
    if (!request.pngPath.empty()) {
        player::PixelBuffer picture;
        player.render(picture);
        if (picture.empty()) picture.resize(1, 1), player.render(picture);
        if (auto st = convert::writePng(request.pngPath, picture); !st) {
            std::fprintf(stderr, "kelmora-render: %s\n", st.error().message.c_str());
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    auto parsed = convert::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed) return usageError(parsed.error().message);
    const convert::CommandLine& cl = *parsed;
    if (cl.help) {
        std::fputs(convert::kConvertUsage, stdout);
        return 0;
    }
    if (cl.onePicture) return writeOnePicture(cl.picture, cl.inputs.front());
    av_log_set_level(AV_LOG_ERROR);  // the encoders' chatter would bury our own lines

    auto movies = convert::gatherMovies(cl.inputs);
    if (!movies) return usageError(movies.error().message);
    if (movies->empty()) return usageError("no .swf movies found");
    if (Status st = convert::checkOptions(cl.options, movies->size()); !st) return usageError(st.error().message);

    std::unique_ptr<convert::ProgressReport> progress;
    convert::ProgressMode mode = cl.options.progress;
    if (mode == convert::ProgressMode::Auto) mode = isatty(STDERR_FILENO) ? convert::ProgressMode::Bar : convert::ProgressMode::None;
    if (mode == convert::ProgressMode::Bar) progress = std::make_unique<convert::ProgressBar>(stderr, int(movies->size()));
    if (mode == convert::ProgressMode::Json) progress = std::make_unique<convert::JsonProgress>(stdout);

    const convert::BatchResult batch = convert::convertMovies(*movies, cl.options, progress.get());
    progress.reset();
    int failed = 0;
    for (const convert::MovieResult& m : batch.movies) {
        if (!m.ok) {
            ++failed;
            if (mode != convert::ProgressMode::Bar)  // the bar has told it already
                std::fprintf(stderr, "kelmora-render: %s: %s\n", m.moviePath.c_str(), m.reason.c_str());
        } else if (!m.note.empty()) {
            std::fprintf(stderr, "kelmora-render: %s: %s\n", m.moviePath.c_str(), m.note.c_str());
        }
    }
    if (batch.movies.size() > 1 || failed)
        std::fprintf(stderr, "kelmora-render: %zu of %zu movies converted\n", batch.movies.size() - size_t(failed),
                     batch.movies.size());
    return failed ? 1 : 0;
}
