// Shape drawing speed at 550x400: a frame of 1,000 shapes with gradients and strokes, a
// typical animation frame of 40 shapes, and morph shapes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "player/shape/PathBuilder.h"
#include "player/shape/ShapeApi.h"

using namespace kelmora::player;

namespace {

struct Placed {
    std::shared_ptr<ShapeDef> shape;
    Matrix matrix;
};

std::shared_ptr<ShapeDef> makeShape(std::mt19937& rng, int kind) {
    std::uniform_int_distribution<int> byte(0, 255);
    auto color = [&] { return Rgba{uint8_t(byte(rng)), uint8_t(byte(rng)), uint8_t(byte(rng)), 255}; };
    PathBuilder b;
    FillStyle fill;
    if (kind % 3 == 0) {
        fill.color = color();
    } else {
        fill.kind = kind % 3 == 1 ? FillStyle::Kind::LinearGradient : FillStyle::Kind::RadialGradient;
        fill.matrix = Matrix::scale(1200 / 16384.0, 1200 / 16384.0);
        fill.gradient.stops = {{0, color()}, {128, color()}, {255, color()}};
    }
    uint16_t f = b.addFill(fill);
    uint16_t l = b.addLine(uint16_t(20 + kind % 60), {0, 0, 0, 255});
    b.setStyles(0, f, l);
    // A rounded blob of eight quadratic curves, radius 60 px.
    const double r = 1200;
    b.moveTo({r, 0});
    for (int i = 1; i <= 8; ++i) {
        double a0 = (i - 0.5) * M_PI / 4, a1 = i * M_PI / 4;
        double k = r / std::cos(M_PI / 8) * (1 + 0.2 * ((kind + i) % 3));
        b.curveTo({k * std::cos(a0), k * std::sin(a0)}, {r * std::cos(a1), r * std::sin(a1)});
    }
    return b.build();
}

std::vector<Placed> makeScene(int count) {
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> x(0, 550), y(0, 400), s(0.2, 1.0), a(0, 6.28);
    std::vector<Placed> scene;
    for (int i = 0; i < count; ++i) {
        double sc = s(rng) / 20.0, an = a(rng);
        Matrix m{sc * std::cos(an), sc * std::sin(an), -sc * std::sin(an), sc * std::cos(an), x(rng), y(rng)};
        scene.push_back({makeShape(rng, i), m});
    }
    return scene;
}

void drawScene(benchmark::State& state, int count) {
    auto scene = makeScene(count);
    ShapeRenderer renderer;
    PixelBuffer target(550, 400);
    for (auto _ : state) {
        target.fill(0xFFFFFFFFu);
        for (const auto& p : scene) renderer.draw(*p.shape, p.matrix, {}, target, nullptr);
        benchmark::DoNotOptimize(target.data());
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Frame1000ShapesGradientsStrokes(benchmark::State& state) { drawScene(state, 1000); }
void BM_TypicalFrame40Shapes(benchmark::State& state) { drawScene(state, 40); }

void BM_FullStageGradient(benchmark::State& state) {
    PathBuilder b;
    FillStyle fill;
    fill.kind = FillStyle::Kind::RadialGradient;
    fill.matrix = Matrix::translate(5500, 4000) * Matrix::scale(6000 / 16384.0, 6000 / 16384.0);
    fill.gradient.stops = {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}};
    b.setStyles(0, b.addFill(fill), 0);
    b.moveTo({0, 0}); b.lineTo({11000, 0}); b.lineTo({11000, 8000}); b.lineTo({0, 8000}); b.lineTo({0, 0});
    auto shape = b.build();
    ShapeRenderer renderer;
    PixelBuffer target(550, 400);
    for (auto _ : state) {
        renderer.draw(*shape, Matrix::scale(0.05, 0.05), {}, target, nullptr);
        benchmark::DoNotOptimize(target.data());
    }
}

}  // namespace

BENCHMARK(BM_Frame1000ShapesGradientsStrokes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypicalFrame40Shapes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullStageGradient)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
