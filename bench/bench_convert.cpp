// The converter at full speed: a 550 x 400 movie of 300 frames at 12 fps (25 s of animation)
// into JPEG files with 1 and 2 jobs, beside the bare drawing and the bare JPEG encoding of the
// same frames (the limits), into MJPEG and H.264 videos, and the peak memory of a 10,000-frame
// movie. Counters: fps (frames per second) and x_realtime (how many times faster than the movie).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "player/Player.h"
#include "sequence/convert/BatchConverter.h"
#include "sequence/convert/ConvertTestMovies.h"
#include "sequence/convert/EncodePool.h"
#include "sequence/convert/PictureFile.h"

using namespace kelmora;

namespace {

constexpr int kFrames = 300;
constexpr double kMovieFps = 12;

const std::filesystem::path& scratch() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("kelmora-bench-convert-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

const std::string& movieOf(int frames) {
    static std::map<int, std::string> made;
    auto it = made.find(frames);
    if (it == made.end()) {
        const std::string path = (scratch() / ("busy" + std::to_string(frames) + ".swf")).string();
        testing::writeMovie(testing::busyMovie(frames), path);
        it = made.emplace(frames, path).first;
    }
    return it->second;
}

void report(benchmark::State& state, int frames) {
    state.counters["fps"] = benchmark::Counter(double(frames), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["x_realtime"] =
        benchmark::Counter(double(frames) / kMovieFps, benchmark::Counter::kIsIterationInvariantRate);
}

long peakRssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

void resetPeakRss() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The whole converter, as kelmora-render runs it.
void convertToJpeg(benchmark::State& state) {
    const std::string& movie = movieOf(kFrames);
    convert::ConvertOptions o;
    o.outPattern = (scratch() / "jpg/f_%04d.jpg").string();
    o.jobs = int(state.range(0));
    std::filesystem::create_directories(scratch() / "jpg");
    for (auto _ : state) {
        auto batch = convert::convertMovies({movie}, o);
        if (!batch.allOk()) state.SkipWithError(batch.movies[0].reason.c_str());
    }
    report(state, kFrames);
}

// Playing and drawing only: the renderer's share.
void drawOnly(benchmark::State& state) {
    const std::string& movie = movieOf(kFrames);
    player::PixelBuffer picture(550, 400);
    for (auto _ : state) {
        player::Player p;
        (void)p.load(movie);
        for (int k = 1; k <= kFrames; ++k) {
            if (k > 1) p.advance();
            p.render(picture);
        }
        benchmark::DoNotOptimize(picture.data());
    }
    report(state, kFrames);
}

// The same frames, drawn beforehand, only encoded and written: the encoder's share.
void bareJpeg(benchmark::State& state) {
    static std::vector<player::PixelBuffer> frames = [] {
        std::vector<player::PixelBuffer> out(kFrames);
        player::Player p;
        (void)p.load(movieOf(kFrames));
        for (int k = 1; k <= kFrames; ++k) {
            if (k > 1) p.advance();
            out[size_t(k - 1)].resize(550, 400);
            p.render(out[size_t(k - 1)]);
        }
        return out;
    }();
    std::filesystem::create_directories(scratch() / "bare");
    const int threads = int(state.range(0));
    for (auto _ : state) {
        convert::EncodePool pool(threads == 1 ? 0 : threads, 2 * threads);
        for (int k = 0; k < kFrames; ++k) {
            pool.submit([k] {
                (void)convert::writePictureFile(frames[size_t(k)], (scratch() / "bare" / ("f" + std::to_string(k) + ".jpg")).string(),
                                                {convert::PictureKind::Jpeg, 100, false});
            });
        }
        pool.waitIdle();
    }
    report(state, kFrames);
}

void convertToVideo(benchmark::State& state, const char* codec) {
    const std::string& movie = movieOf(kFrames);
    convert::ConvertOptions o;
    o.videoPath = (scratch() / (std::string("v_") + codec + ".avi")).string();
    o.videoCodec = codec;
    o.jobs = int(state.range(0));
    for (auto _ : state) {
        auto batch = convert::convertMovies({movie}, o);
        if (!batch.allOk()) state.SkipWithError(batch.movies[0].reason.c_str());
    }
    report(state, kFrames);
    state.counters["MB"] = double(std::filesystem::file_size(o.videoPath)) / 1e6;
}

// Memory must not grow with the movie: the peak for 10,000 frames into JPEG files and into H.264.
void peakMemory(benchmark::State& state) {
    const int frames = int(state.range(0));
    const std::string& movie = movieOf(frames);
    convert::ConvertOptions o;
    o.jobs = 2;
    if (state.range(1)) {
        o.videoPath = (scratch() / "long.mp4").string();
    } else {
        o.outPattern = (scratch() / "long/f_%05d.jpg").string();
        std::filesystem::create_directories(scratch() / "long");
    }
    // What the movie itself takes once loaded (its parsed timeline grows with its length).
    resetPeakRss();
    const long before = peakRssKb();
    {
        player::Player p;
        (void)p.load(movie);
        state.counters["movie_loaded_MB"] = double(peakRssKb() - before) / 1024;
    }
    for (auto _ : state) {
        auto batch = convert::convertMovies({movie}, o);
        if (!batch.allOk()) state.SkipWithError(batch.movies[0].reason.c_str());
    }
    state.counters["peak_rss_MB"] = double(peakRssKb()) / 1024;
    state.counters["rss_before_MB"] = double(before) / 1024;
    report(state, frames);
    std::filesystem::remove_all(scratch() / "long");
}

}  // namespace

BENCHMARK(peakMemory)->Args({1000, 0})->Args({10000, 0})->Args({10000, 1})->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(drawOnly)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(bareJpeg)->Arg(1)->Arg(2)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(convertToJpeg)->Arg(1)->Arg(2)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(convertToVideo, mjpeg, "mjpeg")->Arg(1)->Arg(2)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(convertToVideo, h264, "h264")->Arg(1)->Arg(2)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(scratch(), ignored);
    return 0;
}
