// Joining 1,000 BMP frames of 640x480 into AVI with each codec, beside the ffmpeg command line
// doing the same job on the same files. Also reports how much the process's resident memory
// grew between frame 100 and the last frame (it should not grow with the number of frames).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sequence/Compressor.h"
#include "sequence/JoinPictures.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

constexpr int kFrames = 1000, kWidth = 640, kHeight = 480, kRate = 25, kQuality = 75, kKeyFrames = 25;

struct Frames {
    std::string dir;
    std::vector<std::string> paths;
    Frames() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelmora-bench-XXXXXX").string();
        dir = ::mkdtemp(pattern.data());
        const size_t stride = kWidth * 3;
        std::vector<uint8_t> file(54 + stride * kHeight, 0);
        auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) file[at + size_t(i)] = uint8_t(v >> (8 * i)); };
        file[0] = 'B'; file[1] = 'M';
        put32(2, uint32_t(file.size())); put32(10, 54); put32(14, 40); put32(18, kWidth); put32(22, kHeight);
        file[26] = 1; file[28] = 24; put32(34, uint32_t(stride * kHeight));
        for (int n = 0; n < kFrames; ++n) {
            // A moving pattern with edges, so the encoders have real work.
            for (int y = 0; y < kHeight; ++y) {
                uint8_t* row = file.data() + 54 + size_t(y) * stride;
                for (int x = 0; x < kWidth; ++x) {
                    const int u = x + n * 3, v = y + n;
                    row[x * 3] = uint8_t(u ^ v);
                    row[x * 3 + 1] = uint8_t((u * v) >> 6);
                    row[x * 3 + 2] = uint8_t(((u / 40 + v / 40) & 1) ? 220 : 30);
                }
            }
            char name[32];
            std::snprintf(name, sizeof name, "/frame%04d.bmp", n + 1);
            paths.push_back(dir + name);
            std::ofstream(paths.back(), std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
        }
    }
    ~Frames() { std::filesystem::remove_all(dir); }
};

Frames& frames() {
    static Frames f;
    return f;
}

long residentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

std::string ffmpegArgs(const std::string& codec) {
    const int q = 2 + (100 - kQuality) * 29 / 100, crf = (100 - kQuality) * 51 / 100;
    const std::string g = " -g " + std::to_string(kKeyFrames);
    if (codec == "raw") return "-c:v rawvideo";
    if (codec == "mjpeg") return "-c:v mjpeg -pix_fmt yuvj420p -q:v " + std::to_string(q);
    if (codec == "ffv1") return "-c:v ffv1 -pix_fmt bgr0" + g;
    if (codec == "mpeg4") return "-c:v mpeg4 -pix_fmt yuv420p -q:v " + std::to_string(q) + g;
    return "-c:v libx264 -pix_fmt yuv420p -crf " + std::to_string(crf) + g;
}

void BM_Join(benchmark::State& state, std::string codec) {
    Frames& f = frames();
    kelmora::JoinRequest request{f.paths, f.dir + "/ours.avi", kRate, {codec, kQuality, kKeyFrames}};
    long at100 = 0, atEnd = 0;
    for (auto _ : state) {
        auto st = kelmora::joinPictures(request, [&](int64_t done, int64_t) {
            if (done == 100) at100 = residentKiB();
            if (done == kFrames) atEnd = residentKiB();
        });
        if (!st) state.SkipWithError(st.error().message.c_str());
    }
    state.counters["fps"] = benchmark::Counter(double(kFrames) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["rss_growth_KiB"] = double(atEnd - at100);
    std::filesystem::remove(request.output);
}

void BM_FFmpeg(benchmark::State& state, std::string codec) {
    Frames& f = frames();
    const std::string cmd = "ffmpeg -nostdin -y -loglevel error -framerate " + std::to_string(kRate) + " -i " + f.dir +
                            "/frame%04d.bmp " + ffmpegArgs(codec) + " " + f.dir + "/theirs.avi";
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("ffmpeg failed");
    }
    state.counters["fps"] = benchmark::Counter(double(kFrames) * double(state.iterations()), benchmark::Counter::kIsRate);
    std::filesystem::remove(f.dir + "/theirs.avi");
}

}  // namespace

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_ERROR);
    for (const auto& option : kelmora::availableCompressors()) {
        benchmark::RegisterBenchmark(("Join/" + option.codec).c_str(), BM_Join, option.codec)
            ->Iterations(1)->Repetitions(2)->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark(("FFmpeg/" + option.codec).c_str(), BM_FFmpeg, option.codec)
            ->Iterations(1)->Repetitions(2)->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
