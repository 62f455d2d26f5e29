// One capture step as the loop runs it: the engine's picture into the capture buffer, then the
// frame file stored (BMP, or JPEG at quality 100).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

#include "capture/FrameStorage.h"
#include "image/DIBSection.h"
#include "player/render/PixelBuffer.h"
#include "settings/Settings.h"
#include "util/MessageSink.h"

using namespace kelmora;

static void captureStep(benchmark::State& state, PictureFormat format) {
    const int width = int(state.range(0)), height = int(state.range(1));
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("kelmora-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    Settings settings(dir.string());
    settings.setFormat(format);
    settings.setQuality("100");
    settings.setSwfPath(dir.string() + "/");
    SilentMessageSink messages;
    capture::FrameStorage storage(settings, messages);
    // A rendered frame: a gradient, so JPEG has something to encode.
    player::PixelBuffer frame(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame.row(y)[x] = player::packArgb(255, uint8_t(x), uint8_t(y), uint8_t(x + y));
    for (auto _ : state) {
        storage.picture().CreateFromArgb32(frame.data(), width, height, frame.stride());
        capture::StoreResult stored = storage.storeFrame(1, dir.string() + "/movie.swf");
        benchmark::DoNotOptimize(stored);
    }
    std::filesystem::remove_all(dir);
}

BENCHMARK_CAPTURE(captureStep, bmp, PictureFormat::Bmp)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(captureStep, jpg_q100, PictureFormat::Jpg)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
