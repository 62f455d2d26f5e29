// Feeds arbitrary bytes to the interpreter as an action list, as a frame script and as the body
// of a function, with small limits so that every input ends quickly.
#include <cstddef>
#include <cstdint>

#include "player/Avm1FakeHost.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelmora::player::avm1;
    if (size < 1) return 0;
    testing::FakeHost host;
    host.addChild(1, "a");
    Limits limits;
    limits.maxActionsPerEntry = 20000;
    limits.maxObjects = 20000;
    limits.maxStringLength = 1 << 16;
    int version = 4 + data[0] % 5;
    Interpreter in(host, version, limits);
    host.in = &in;
    std::span<const uint8_t> code(data + 1, size - 1);
    in.runScript(1, code, version);
    in.runScript(1, code, version);  // again, with the state the first run left
    in.callMethod(1, "onEnterFrame");
    host.now = 1000;
    in.runTimers();
    in.collectGarbage();
    return 0;
}
