// Peak memory of joining small pictures into AVI against the number of frames. Each run is a
// child process, so its peak resident size (getrusage of the child) belongs to that run alone.
//   join:   joinPictures over a list of file names (as kelmora-join), ten files repeated
//   writer: the AVI writer fed the same picture, no list of names
// Counters: peak_KiB, and bytes_per_frame = growth of the peak over the 1,000-frame run / extra frames.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "image/BitmapFile.h"
#include "sequence/AviWriter.h"
#include "sequence/JoinPictures.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

constexpr int kWidth = 64, kHeight = 48, kFiles = 10;

struct Pictures {
    std::string dir;
    std::vector<std::string> files;
    Pictures() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelmora-joinmem-XXXXXX").string();
        dir = ::mkdtemp(pattern.data());
        const size_t stride = kWidth * 3;
        std::vector<uint8_t> file(54 + stride * kHeight, 0);
        auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) file[at + size_t(i)] = uint8_t(v >> (8 * i)); };
        file[0] = 'B'; file[1] = 'M';
        put32(2, uint32_t(file.size())); put32(10, 54); put32(14, 40); put32(18, kWidth); put32(22, kHeight);
        file[26] = 1; file[28] = 24; put32(34, uint32_t(stride * kHeight));
        for (int n = 0; n < kFiles; ++n) {
            for (size_t i = 54; i < file.size(); ++i) file[i] = uint8_t(i * 7 + size_t(n) * 31);
            files.push_back(dir + "/picture" + std::to_string(n) + ".bmp");
            std::ofstream(files.back(), std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
        }
    }
    ~Pictures() { std::filesystem::remove_all(dir); }
};

Pictures& pictures() {
    static Pictures p;
    return p;
}

bool joinRun(const std::string& codec, int frames, const std::string& out) {
    kelmora::JoinRequest request;
    request.output = out;
    request.compressor.codec = codec;
    for (int i = 0; i < frames; ++i) request.pictures.push_back(pictures().files[size_t(i % kFiles)]);
    return kelmora::joinPictures(request, {}).ok();
}

bool writerRun(const std::string& codec, int frames, const std::string& out) {
    kelmora::SilentMessageSink quiet;
    kelmora::cDib dib;
    if (!dib.CreateFromFile(pictures().files[0], quiet)) return false;
    kelmora::AviWriter writer;
    kelmora::CompressorChoice choice;
    choice.codec = codec;
    const std::span<const uint8_t> info{dib.PointerToBitmapInfo(), size_t(dib.SizeBitmapInfo())};
    if (!writer.open(out).ok() || !writer.createStream(25, kWidth, kHeight).ok() || !writer.setCompressor(choice).ok() ||
        !writer.setFormat(info).ok())
        return false;
    for (int i = 0; i < frames; ++i)
        if (!writer.writeFrame({dib.PointerToBits(), size_t(dib.SizeImage())}, info).ok()) return false;
    return writer.close().ok();
}

// Peak resident KiB of one run in a child process; -1 when it failed.
long peakKiB(bool join, const std::string& codec, int frames) {
    pictures();
    const std::string out = pictures().dir + "/out.avi";
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) _exit((join ? joinRun(codec, frames, out) : writerRun(codec, frames, out)) ? 0 : 1);
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

std::map<std::string, long>& baselines() {
    static std::map<std::string, long> b;
    return b;
}

void run(benchmark::State& state, bool join, const std::string& codec) {
    const int frames = int(state.range(0));
    long peak = -1;
    for (auto _ : state) peak = peakKiB(join, codec, frames);
    if (peak < 0) {
        state.SkipWithError("the join failed");
        return;
    }
    const std::string key = std::string(join ? "join/" : "writer/") + codec;
    if (frames == 1000) baselines()[key] = peak;
    state.counters["peak_KiB"] = double(peak);
    if (frames > 1000 && baselines().count(key))
        state.counters["bytes_per_frame"] = double(peak - baselines()[key]) * 1024.0 / double(frames - 1000);
}

void BM_JoinMjpeg(benchmark::State& s) { run(s, true, "mjpeg"); }
void BM_JoinH264(benchmark::State& s) { run(s, true, "h264"); }
void BM_WriterMjpeg(benchmark::State& s) { run(s, false, "mjpeg"); }
void BM_WriterH264(benchmark::State& s) { run(s, false, "h264"); }

}  // namespace

#define FRAME_COUNTS Arg(1000)->Arg(10000)->Arg(20000)->Iterations(1)->Unit(benchmark::kSecond)
BENCHMARK(BM_JoinMjpeg)->FRAME_COUNTS;
BENCHMARK(BM_JoinH264)->FRAME_COUNTS;
BENCHMARK(BM_WriterMjpeg)->FRAME_COUNTS;
BENCHMARK(BM_WriterH264)->FRAME_COUNTS;

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_ERROR);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
