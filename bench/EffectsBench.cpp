// Filters and blend modes on a 550x400 layer, the stage size of most movies.
#include <benchmark/benchmark.h>

#include <cmath>

#include "player/render/EffectsApi.h"
#include "player/render/FilterScratch.h"

namespace {

using namespace kelmora::player;

PixelBuffer stagePicture() {
    PixelBuffer p(550, 400);
    p.fill(0);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 550; ++x) {
            double dx = x - 275, dy = y - 200;
            if (dx * dx + dy * dy < 150 * 150) p.row(y)[x] = 0xFF3060C0;
        }
    return p;
}

Filter makeFilter(Filter::Kind kind, double blur, int passes) {
    Filter f;
    f.kind = kind;
    f.blurX = f.blurY = blur;
    f.passes = passes;
    f.color = {0, 0, 0, 200};
    f.highlight = {255, 255, 255, 255};
    f.angle = M_PI / 4;
    f.distance = 4;
    f.strength = 1;
    return f;
}

void runFilter(benchmark::State& state, Filter::Kind kind) {
    const PixelBuffer source = stagePicture();
    PixelBuffer layer = source;
    FilterScratch scratch;
    std::vector<Filter> filters{makeFilter(kind, double(state.range(0)), int(state.range(1)))};
    for (auto _ : state) {
        std::copy(source.data(), source.data() + 550 * 400, layer.data());
        applyFilters(layer, filters, 1, 1, scratch);
        benchmark::DoNotOptimize(layer.data());
    }
    state.SetItemsProcessed(state.iterations() * 550 * 400);
}

void BM_Blur(benchmark::State& s) { runFilter(s, Filter::Kind::Blur); }
void BM_Glow(benchmark::State& s) { runFilter(s, Filter::Kind::Glow); }
void BM_DropShadow(benchmark::State& s) { runFilter(s, Filter::Kind::DropShadow); }
void BM_Bevel(benchmark::State& s) { runFilter(s, Filter::Kind::Bevel); }
BENCHMARK(BM_Blur)->Args({4, 1})->Args({4, 3})->Args({32, 1})->Args({32, 3})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Glow)->Args({6, 1})->Args({6, 3})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DropShadow)->Args({4, 1})->Args({4, 3})->Args({32, 3})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bevel)->Args({4, 1})->Unit(benchmark::kMillisecond);

void BM_ColorMatrix(benchmark::State& state) {
    PixelBuffer layer = stagePicture();
    FilterScratch scratch;
    Filter f;
    f.kind = Filter::Kind::ColorMatrix;
    f.matrix = {0.3f, 0.59f, 0.11f, 0, 0, 0.3f, 0.59f, 0.11f, 0, 0, 0.3f, 0.59f, 0.11f, 0, 0, 0, 0, 0, 1, 0};
    std::vector<Filter> filters{f};
    for (auto _ : state) applyFilters(layer, filters, 1, 1, scratch);
}
BENCHMARK(BM_ColorMatrix)->Unit(benchmark::kMillisecond);

void BM_Blend(benchmark::State& state) {
    const PixelBuffer src = stagePicture();
    PixelBuffer dst(550, 400);
    dst.fill(0xFF808080);
    auto mode = static_cast<BlendMode>(state.range(0));
    for (auto _ : state) {
        blendLayer(dst, src, 0, 0, mode);
        benchmark::DoNotOptimize(dst.data());
    }
}
BENCHMARK(BM_Blend)->DenseRange(1, 14)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
