// The script engine inside the player: 500 clips, each moved by its onEnterFrame method, counted
// in frames per second (no drawing).
#include <benchmark/benchmark.h>

#include "player/Player.h"
#include "player/display/MovieClip.h"
#include "swf/writer/SwfWriter.h"

namespace {

using namespace kelmora::swf;

Bytes clipsMovie(int clips) {
    SwfWriter movie(8);
    movie.frameRate(30);
    movie.defineShape(1, ShapeBuilder::filledRectPx(0, 0, 10, 10, Rgba::fromRgb(0x3366CC)));
    movie.defineSprite(2, [](Timeline& t) { t.place(Place::add(1, 1)).showFrame(); });
    // function step() { this._x = this._x + 1; this._rotation = this._rotation + 3; }
    ActionBuilder step;
    for (const char* property : {"_x", "_rotation"}) {
        step.push({"this"}).getVariable().push({property});
        step.push({"this"}).getVariable().push({property}).getMember().push({property[1] == 'x' ? 1 : 3}).add2();
        step.setMember();
    }
    movie.doAction(ActionBuilder().defineFunction("step", {}, step).end());
    // onClipEvent (load) { this.onEnterFrame = _root.step; }
    for (int i = 0; i < clips; ++i) {
        ActionBuilder load;
        load.push({"this"}).getVariable().push({"onEnterFrame"}).push({"_root"}).getVariable().push({"step"})
            .getMember().setMember().end();
        movie.place(Place::add(2, static_cast<uint16_t>(i + 1))
                        .matrix(Matrix::translatePixels(i % 50 * 10, i / 50 * 10))
                        .clipAction({ClipEvent::Load, 0, load}));
    }
    movie.showFrame();
    movie.doAction(ActionBuilder().stop().end()).showFrame();
    return movie.bytes();
}

void BM_FiveHundredClipsOnEnterFrame(benchmark::State& state) {
    const Bytes bytes = clipsMovie(500);
    kelmora::player::Player player;
    if (!player.load(std::span<const uint8_t>(bytes.data(), bytes.size())).ok()) {
        state.SkipWithError("movie did not load");
        return;
    }
    const double startX = player.root()->children().begin()->second->matrix.tx;
    for (auto _ : state) player.advance();
    if (player.root()->children().begin()->second->matrix.tx <= startX) state.SkipWithError("the clips did not move");
    state.SetItemsProcessed(state.iterations());  // frames
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FiveHundredClipsOnEnterFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
