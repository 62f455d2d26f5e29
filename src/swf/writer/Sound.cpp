#include "swf/writer/Sound.h"

#include <stdexcept>

namespace kelmora::swf {

void writeSoundInfo(BitWriter& w, const SoundInfo& info) {
    if (info.envelope.size() > 255) throw std::out_of_range("too many sound envelope points");
    w.ub(0, 2).flag(info.syncStop).flag(info.syncNoMultiple).flag(!info.envelope.empty()).flag(info.loops.has_value())
        .flag(info.outPoint.has_value()).flag(info.inPoint.has_value());
    if (info.inPoint) w.u32(*info.inPoint);
    if (info.outPoint) w.u32(*info.outPoint);
    if (info.loops) w.u16(*info.loops);
    if (!info.envelope.empty()) {
        w.u8(static_cast<std::uint32_t>(info.envelope.size()));
        for (const auto& p : info.envelope) w.u32(p.position44).u16(p.leftLevel).u16(p.rightLevel);
    }
}

}  // namespace kelmora::swf
