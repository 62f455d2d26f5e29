#include "player/format/TimelineDef.h"

namespace kelmora::player {

bool actionsStopUnconditionally(std::span<const uint8_t> actions) {
    size_t pos = 0;
    while (pos < actions.size()) {
        uint8_t code = actions[pos++];
        if (code == 0x00) return false;                  // end of actions
        if (code == 0x07) return true;                   // stop
        if (code == 0x99 || code == 0x9d) return false;  // jump, if: no longer unconditional
        if (code == 0x06 || code == 0x81 || code == 0x8c || code == 0x9f) return false;  // play / goto
        if (code >= 0x80) {
            if (pos + 2 > actions.size()) return false;
            size_t length = actions[pos] | (actions[pos + 1] << 8);
            pos += 2 + length;
        }
    }
    return false;
}

}  // namespace kelmora::player
