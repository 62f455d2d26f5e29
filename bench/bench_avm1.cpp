// Interpreter speed: a loop of simple actions (register compare, increment, branch), counted in
// actions per second.
#include <benchmark/benchmark.h>

#include "player/Avm1Assembler.h"
#include "player/Avm1FakeHost.h"

namespace {

using namespace kelmora::player::avm1;

void BM_SimpleActionLoop(benchmark::State& state) {
    // for (r1 = 0; r1 < n; r1++) {} : 8 actions per turn.
    const int turns = static_cast<int>(state.range(0)) / 8;
    testing::Assembler a;
    a.push({0}).storeRegister(1).op(0x17);
    a.bind("top").push({testing::Reg{1}, turns}).op(0x48).op(0x12).ifTrue("end");
    a.push({testing::Reg{1}}).op(0x50).storeRegister(1).op(0x17).jump("top");
    a.bind("end");
    auto code = std::make_shared<const std::vector<uint8_t>>(a.bytes());
    testing::FakeHost host;
    Limits limits;
    limits.maxActionsPerEntry = 1'000'000'000;
    Interpreter in(host, 8, limits);
    for (auto _ : state) in.runScript(1, code, 8);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(turns) * 8);
    if (!host.errors.empty()) state.SkipWithError(host.errors.front().c_str());
}
BENCHMARK(BM_SimpleActionLoop)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// Property traffic: o.x = o.x + 1 through GetMember/SetMember.
void BM_MemberLoop(benchmark::State& state) {
    const int turns = static_cast<int>(state.range(0));
    testing::Assembler a;
    a.push({"o", "x", 0, 1}).op(0x43).op(0x1D).push({0}).storeRegister(1).op(0x17);
    a.bind("top").push({testing::Reg{1}, turns}).op(0x48).op(0x12).ifTrue("end");
    a.push({"o"}).op(0x1C).push({"x", "o"}).op(0x1C).push({"x"}).op(0x4E).op(0x50).op(0x4F);
    a.push({testing::Reg{1}}).op(0x50).storeRegister(1).op(0x17).jump("top");
    a.bind("end");
    auto code = std::make_shared<const std::vector<uint8_t>>(a.bytes());
    testing::FakeHost host;
    Interpreter in(host, 8);
    for (auto _ : state) in.runScript(1, code, 8);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(turns) * 16);
}
BENCHMARK(BM_MemberLoop)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
