#include "player/script/ClipEvents.h"

namespace kelmora::player::script {

std::vector<ClipEventHandler> parseClipActions(std::span<const uint8_t> raw, int swfVersion) {
    std::vector<ClipEventHandler> out;
    const size_t flagBytes = swfVersion >= 6 ? 4 : 2;
    size_t pos = 2 + flagBytes;  // reserved word, then the union of all events
    auto read = [&](size_t bytes, uint32_t& value) {
        if (pos + bytes > raw.size()) return false;
        value = 0;
        for (size_t i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(raw[pos + i]) << (8 * i);
        pos += bytes;
        return true;
    };
    while (true) {
        uint32_t events = 0, size = 0;
        if (!read(flagBytes, events) || events == 0) break;
        if (!read(4, size) || size > raw.size() - pos) break;
        size_t start = pos, end = pos + size;
        constexpr uint32_t kKeyPress = 1u << 17;
        if ((events & kKeyPress) && swfVersion >= 6) ++start;  // the key code
        if (start <= end) out.push_back({events, raw.subspan(start, end - start)});
        pos = end;
    }
    return out;
}

}  // namespace kelmora::player::script
