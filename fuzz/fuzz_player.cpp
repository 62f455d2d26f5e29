// Drives the whole engine on arbitrary bytes: load, a few frames, a small render each.
#include <cstddef>
#include <cstdint>
#include <span>

#include "player/Player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelmora::player::Player player;
    player.setScriptActionLimit(200000);  // an endless script must not look like a hang
    if (!player.load(std::span<const uint8_t>(data, size)).ok()) return 0;
    kelmora::player::PixelBuffer picture(64, 48);
    for (int frame = 0; frame < 3; ++frame) {
        player.render(picture);
        player.advance();
    }
    return 0;
}
