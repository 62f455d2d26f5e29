#include "player/Player.h"
#include "sequence/convert/MovieConverter.h"

namespace kelmora::convert {

void takeFrameSound(player::Player& player, std::vector<int16_t>& samples) {
    samples.clear();
    player.takeAudio(samples);
}

}  // namespace kelmora::convert
