#include "player/Player.h"
#include "sequence/convert/MovieConverter.h"

namespace kelmora::convert {

void takeFrameSound(player::Player&, std::vector<int16_t>& samples) { samples.clear(); }

}  // namespace kelmora::convert
