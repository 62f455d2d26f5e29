#include "sequence/convert/BatchConverter.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <filesystem>
#include <thread>

#include "sequence/VideoFileWriter.h"
#include "sequence/convert/EncodePool.h"
#include "sequence/convert/OutputNaming.h"
#include "sequence/convert/ProgressReport.h"
#include "util/TextNumber.h"

namespace kelmora::convert {

namespace fs = std::filesystem;

bool BatchResult::allOk() const {
    return std::all_of(movies.begin(), movies.end(), [](const MovieResult& m) { return m.ok; });
}

Result<std::vector<std::string>> gatherMovies(const std::vector<std::string>& arguments) {
    std::vector<std::string> movies;
    for (const std::string& arg : arguments) {
        std::error_code ec;
        if (fs::is_directory(arg, ec)) {
            std::vector<std::string> found;
            for (fs::directory_iterator it(arg, ec), endIt; !ec && it != endIt; it.increment(ec)) {
                const std::string name = it->path().filename().string();
                if (name.size() > 4 && toLower(name.substr(name.size() - 4)) == ".swf" && it->is_regular_file(ec))
                    found.push_back(it->path().string());
            }
            if (ec) return makeError("cannot read the folder \"" + arg + "\": " + ec.message());
            std::sort(found.begin(), found.end());
            movies.insert(movies.end(), found.begin(), found.end());
        } else if (fs::exists(arg, ec)) {
            movies.push_back(arg);
        } else {
            return makeError("no such movie or folder: " + arg);
        }
    }
    return movies;
}

Status checkOptions(const ConvertOptions& o, size_t movieCount) {
    if (!o.outPattern.empty()) {
        if (Status st = checkFramePattern(o.outPattern); !st) return st;
        if (movieCount > 1 && !patternHasName(o.outPattern))
            return makeError("--out needs {name} when several movies are converted");
    }
    if (!o.videoPath.empty()) {
        const auto codecs = videoCodecsFor(o.videoPath);
        if (codecs.empty()) return makeError("--video must end in .avi, .mp4, .mkv or .webm");
        if (!o.videoCodec.empty() && std::find(codecs.begin(), codecs.end(), o.videoCodec) == codecs.end())
            return makeError("--codec " + o.videoCodec + " cannot go into " + o.videoPath);
        if (o.audio && !o.audioCodec.empty()) {
            const auto sounds = soundCodecsFor(o.videoPath);
            if (std::find(sounds.begin(), sounds.end(), o.audioCodec) == sounds.end())
                return makeError("--audio-codec " + o.audioCodec + " cannot go into " + o.videoPath);
        }
        if (movieCount > 1 && !patternHasName(o.videoPath))
            return makeError("--video needs {name} when several movies are converted");
    }
    const bool png = !o.outPattern.empty() && pictureKindOf(o.outPattern) == PictureKind::Png;
    if (o.transparent && !png) return makeError("--transparent needs PNG pictures (--out NAME_%04d.png)");
    return {};
}

BatchResult convertMovies(const std::vector<std::string>& movies, const ConvertOptions& options,
                          ProgressReport* progress) {
    BatchResult batch;
    batch.movies.resize(movies.size());
    const int jobs = options.jobs > 0 ? options.jobs : coreCount();
    ConvertOptions own = options;
    own.jobs = jobs;
    // One job: everything on the movie's thread. More: that many writers, and as many movies
    // drawn at once as there are jobs (a movie is drawn on one thread, in order).
    EncodePool pool(jobs == 1 ? 0 : jobs, 2 * jobs);
    const size_t parallel = std::min(movies.size(), size_t(jobs));
    std::atomic<size_t> next{0};
    auto work = [&] {
        MovieConverter converter(own, pool);
        for (size_t i; (i = next++) < movies.size();) {
            const std::string& movie = movies[i];
            try {
                batch.movies[i] = converter.convert(movie, [&](const MovieProgress& p) {
                    if (progress) progress->update(movie, p);
                });
            } catch (const std::exception& e) {  // out of memory, above all: this movie only
                batch.movies[i] = MovieResult{};
                batch.movies[i].moviePath = movie;
                batch.movies[i].reason = std::string("stopped: ") + e.what();
            }
            if (progress) progress->finished(batch.movies[i]);
        }
    };
    std::vector<std::thread> threads;
    for (size_t t = 1; t < parallel; ++t) threads.emplace_back(work);
    work();
    for (auto& t : threads) t.join();
    return batch;
}

}  // namespace kelmora::convert
