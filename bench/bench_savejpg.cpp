// SaveJPG against TurboJPEG compressing the same DIB buffer directly (same flags, reused handle
// and buffer): the difference is the file write, so it shows whether any pixel copy crept in.
// Reports megapixels per second of both.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "image/DIBSection.h"
#include "image/JpegWriter.h"

namespace {

using kelmora::cDIBSection;

// Gradients, filled shapes, thin lines and small hard-edged detail, like a movie frame.
QImage movieFrame(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor(20, 40, 160));
    sky.setColorAt(0.6, QColor(240, 180, 90));
    sky.setColorAt(1, QColor(250, 250, 230));
    p.fillRect(image.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 24; ++i) {
        p.setPen(QPen(QColor(255 - i * 9, 40 + i * 8, 90), 1 + i % 3));
        p.setBrush(QColor(i * 10, 200 - i * 7, 60 + i * 5, 200));
        const double x = (i * 97) % width, y = (i * 61) % height;
        if (i % 2) p.drawEllipse(QPointF(x, y), width / 12.0, height / 10.0);
        else p.drawRoundedRect(QRectF(x, y, width / 8.0, height / 9.0), 6, 6);
    }
    // Fine detail like small text: short hard strokes along a line.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));
    for (int x = width / 8; x < width * 7 / 8; x += 3) p.drawLine(x, height * 0.85, x + (x % 5), height * 0.85 + 8 + (x % 7));
    p.end();
    return image;
}

struct Fixture {
    cDIBSection dib;
    std::string fileName;
    Fixture(int width, int height) {
        dib.CreateFromPicture(movieFrame(width, height));
        fileName = (std::filesystem::temp_directory_path() / ("kelmora-bench-" + std::to_string(::getpid()) + ".jpg")).string();
    }
    ~Fixture() { std::filesystem::remove(fileName); }
};

void setRates(benchmark::State& state, int width, int height) {
    state.counters["MPix/s"] = benchmark::Counter(double(width) * height * double(state.iterations()) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

// A capture run writes a new file per frame; the file is removed outside the timing.
void BM_SaveJPG(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1)), quality = int(state.range(2));
    Fixture f(width, height);
    kelmora::SilentMessageSink messages;
    for (auto _ : state) {
        if (!kelmora::SaveJPG(f.dib, f.fileName, quality, messages)) state.SkipWithError("SaveJPG failed");
        state.PauseTiming();
        std::filesystem::remove(f.fileName);
        state.ResumeTiming();
    }
    setRates(state, width, height);
}

// A restarted run writes the same names again: the old file's times and permissions are kept.
void BM_SaveJPG_Replacing(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1)), quality = int(state.range(2));
    Fixture f(width, height);
    kelmora::SilentMessageSink messages;
    for (auto _ : state) {
        if (!kelmora::SaveJPG(f.dib, f.fileName, quality, messages)) state.SkipWithError("SaveJPG failed");
    }
    setRates(state, width, height);
}

void BM_TurboJpegDirect(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1)), quality = int(state.range(2));
    Fixture f(width, height);
    tjhandle handle = tjInitCompress();
    const int subsampling = kelmora::jpegSubsamplingFor(quality);
    unsigned long capacity = tjBufSize(width, height, subsampling);
    unsigned char* buffer = tjAlloc(int(capacity));
    for (auto _ : state) {
        unsigned long size = capacity;
        if (tjCompress2(handle, f.dib.DIBSectionBitsPtr(), width, f.dib.BytesPerScanLine(), height, TJPF_BGR,
                        &buffer, &size, subsampling, quality, TJFLAG_BOTTOMUP | TJFLAG_NOREALLOC) != 0) {
            state.SkipWithError("tjCompress2 failed");
        }
        benchmark::DoNotOptimize(buffer);
    }
    tjFree(buffer);
    tjDestroy(handle);
    setRates(state, width, height);
}

// Filling the DIB from an engine frame (premultiplied ARGB, top-down), the step before SaveJPG.
void BM_CreateFromEngineFrame(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    const QImage frame = movieFrame(width, height);
    cDIBSection dib;
    for (auto _ : state) {
        dib.CreateFromPixels(frame.constBits(), width, height, frame.bytesPerLine(), kelmora::PixelOrder::Argb32);
        benchmark::DoNotOptimize(dib.DIBSectionBitsPtr());
    }
    setRates(state, width, height);
}

void frameSizes(benchmark::internal::Benchmark* b) {
    for (auto [w, h] : {std::pair{550, 400}, {1280, 720}}) {
        for (int q : {75, 100}) b->Args({w, h, q});
    }
    b->ArgNames({"w", "h", "q"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_TurboJpegDirect)->Apply(frameSizes);
BENCHMARK(BM_SaveJPG)->Apply(frameSizes);
BENCHMARK(BM_SaveJPG_Replacing)->Apply(frameSizes);
BENCHMARK(BM_CreateFromEngineFrame)->Args({550, 400})->Args({1280, 720})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
