// Frames per second of advance()+render() for a synthetic movie of 1,000 shapes (gradients,
// strokes, bitmaps) at 550x400, for corpus movies when the corpus is present, and load time per MB.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "player/Player.h"
#include "swf/writer/ShapeBuilder.h"
#include "swf/writer/SwfWriter.h"

using namespace kelmora;

namespace {

swf::Bytes checkerBitmap(uint16_t id) {
    // DefineBitsLossless2, format 5 (ARGB), 16x16.
    swf::Bytes raw;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool on = ((x / 4) + (y / 4)) % 2;
            raw.insert(raw.end(), {255, static_cast<uint8_t>(on ? 255 : 0), 80, static_cast<uint8_t>(on ? 0 : 255)});
        }
    swf::Bytes body = {static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8), 5, 16, 0, 16, 0};
    auto z = swf::zlibCompress(raw);
    body.insert(body.end(), z.begin(), z.end());
    return body;
}

// 1,000 shapes in a 550x400 movie; frame 2 moves every one, so advance() has real work.
swf::Bytes syntheticMovie() {
    swf::SwfWriter w;
    w.frameSizePixels(550, 400).setBackgroundColor(swf::Rgba::fromRgb(0xffffff));
    w.tag(swf::TagCode::DefineBitsLossless2, checkerBitmap(1));
    for (uint16_t i = 0; i < 1000; ++i) {
        swf::ShapeBuilder b;
        const uint16_t id = static_cast<uint16_t>(10 + i);
        switch (i % 3) {
        case 0: {
            auto g = swf::Gradient::twoColor(swf::Rgba::fromRgb(0xff0000 + i), swf::Rgba::fromRgb(0x0000ff));
            b.fill0(b.addFill(swf::FillStyle::linear(g, swf::Matrix::scale(0.002, 0.002))))
                .line(b.addLine(swf::LineStyle::solid(40, swf::Rgba::fromRgb(0x000000))))
                .circlePx(0, 0, 12);
            break;
        }
        case 1:
            b.fill0(b.addFill(swf::FillStyle::bitmap(1, swf::Matrix::scale(20, 20))))
                .fill1(0).line(0).rectPx(-10, -10, 20, 20);
            break;
        default:
            b.fill0(b.addFill(swf::FillStyle::radial(
                          swf::Gradient::twoColor(swf::Rgba::fromArgb(0xff00ff00), swf::Rgba::fromArgb(0x40004000)),
                          swf::Matrix::scale(0.001, 0.001))))
                .line(b.addLine(swf::LineStyle::solid(20, swf::Rgba::fromRgb(0x202020))))
                .polygon({{-200, -200}, {200, -150}, {150, 200}, {-180, 120}});
            break;
        }
        w.defineShape(id, b.build());
    }
    auto at = [](int i, int frame) {
        double x = 20 + (i * 37 % 510) + frame * 3, y = 20 + (i * 53 % 360) + frame * 2;
        return swf::Matrix::translatePixels(x, y);
    };
    for (uint16_t i = 0; i < 1000; ++i) w.place(swf::Place::add(static_cast<uint16_t>(10 + i), static_cast<uint16_t>(i + 1)).matrix(at(i, 0)));
    w.showFrame();
    for (uint16_t i = 0; i < 1000; ++i) w.place(swf::Place::move(static_cast<uint16_t>(i + 1)).matrix(at(i, 1)));
    w.showFrame();
    return w.bytes();
}

void advanceAndRender(benchmark::State& state, const swf::Bytes& movie) {
    player::Player p;
    if (!p.load(movie).ok()) {
        state.SkipWithError("movie does not load");
        return;
    }
    player::PixelBuffer picture;
    p.render(picture);
    for (auto _ : state) {
        p.advance();
        p.render(picture);
        benchmark::DoNotOptimize(picture.data());
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Synthetic1000Shapes(benchmark::State& state) {
    static const swf::Bytes movie = syntheticMovie();
    advanceAndRender(state, movie);
}
BENCHMARK(BM_Synthetic1000Shapes)->Unit(benchmark::kMillisecond);

void BM_LoadPerMegabyte(benchmark::State& state) {
    static const swf::Bytes movie = syntheticMovie();
    for (auto _ : state) {
        player::Player p;
        benchmark::DoNotOptimize(p.load(movie).ok());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * movie.size()));
    state.counters["movie_MB"] = static_cast<double>(movie.size()) / 1e6;
}
BENCHMARK(BM_LoadPerMegabyte)->Unit(benchmark::kMillisecond);

// Corpus movies (KELMORA_CORPUS or ../shared/corpus beside the checkout), when present.
void registerCorpusMovies() {
    const char* env = std::getenv("KELMORA_CORPUS");
    std::filesystem::path corpus = env ? env : KELMORA_SOURCE_DIR "/../shared/corpus";
    for (const char* id : {"from_shumway/acid/acid-large", "visual/simple_shapes/heavy_tesselation",
                           "visual/simple_shapes/gradients/gradients", "visual/blend_modes/multiply",
                           "visual/filters/glow"}) {
        std::ifstream in(corpus / id / "test.swf", std::ios::binary);
        if (!in) continue;
        auto bytes = std::make_shared<swf::Bytes>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        benchmark::RegisterBenchmark((std::string("BM_Corpus/") + id).c_str(),
                                     [bytes](benchmark::State& s) { advanceAndRender(s, *bytes); })
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    registerCorpusMovies();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
