// How long the test-movie writer takes for a busy movie, plain and compressed.
#include <benchmark/benchmark.h>

#include "swf/writer/SwfWriter.h"

namespace {

using namespace kelmora::swf;

SwfWriter busyMovie(Compression compression) {
    SwfWriter movie(10);
    movie.compression(compression);
    for (std::uint16_t id = 1; id <= 500; ++id)
        movie.defineShape(id, ShapeBuilder::filledCirclePx(id % 50, id % 40, 5 + id % 30, Rgba::fromRgb(id * 2654435761u)));
    for (int frame = 0; frame < 100; ++frame) {
        for (std::uint16_t depth = 1; depth <= 20; ++depth)
            movie.place(Place::replace(static_cast<std::uint16_t>(1 + (frame * 20 + depth) % 500), depth)
                            .matrix(Matrix::translatePixels(frame, depth)));
        movie.showFrame();
    }
    return movie;
}

void BM_WriteBusyMovie(benchmark::State& state) {
    const auto compression = static_cast<Compression>(state.range(0));
    for (auto _ : state) {
        Bytes file = busyMovie(compression).bytes();
        benchmark::DoNotOptimize(file.data());
        state.counters["bytes"] = static_cast<double>(file.size());
    }
}
BENCHMARK(BM_WriteBusyMovie)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_Bitmaps256(benchmark::State& state) {
    Pixels p = Pixels::filled(256, 256, 0);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) p.at(x, y) = 0x80000000u | static_cast<std::uint32_t>(x << 16 | y << 8 | (x ^ y));
    for (auto _ : state) {
        Timeline t;
        t.defineBitsLossless2(1, p).defineBitsJpeg3(2, p);
        benchmark::DoNotOptimize(t.tagBytes(false).size());
    }
}
BENCHMARK(BM_Bitmaps256)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
