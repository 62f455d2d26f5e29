#include "swf/writer/Button.h"

#include <stdexcept>

namespace kelmora::swf {

namespace {

void writeButtonRecords(BitWriter& w, const std::vector<ButtonRecord>& records, bool button2) {
    for (const auto& r : records) {
        const bool filters = button2 && !r.filters.empty();
        const bool blend = button2 && r.blendMode.has_value();
        w.ub(0, 2).flag(blend).flag(filters).ub(r.states & 0x0F, 4);
        w.u16(r.characterId).u16(r.depth);
        writeMatrix(w, r.matrix);
        if (button2) writeCxformWithAlpha(w, r.cxform);
        if (filters) writeFilterList(w, r.filters);
        if (blend) w.u8(static_cast<std::uint8_t>(*r.blendMode));
    }
    w.u8(0);
}

}  // namespace

Bytes encodeDefineButton(std::uint16_t id, const std::vector<ButtonRecord>& records, const ActionBuilder& actions) {
    BitWriter w;
    w.u16(id);
    writeButtonRecords(w, records, false);
    w.bytes(actions.bytes());
    return w.take();
}

Bytes encodeDefineButton2(std::uint16_t id, const std::vector<ButtonRecord>& records,
                          const std::vector<ButtonCondAction>& actions, bool trackAsMenu) {
    BitWriter w;
    w.u16(id).ub(0, 7).flag(trackAsMenu);
    const std::size_t offsetField = w.size();
    w.u16(0);
    writeButtonRecords(w, records, true);
    if (!actions.empty()) w.patchU16(offsetField, static_cast<std::uint32_t>(w.size() - offsetField));
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const Bytes code = actions[i].actions.bytes();
        const bool last = i + 1 == actions.size();
        w.u16(last ? 0 : static_cast<std::uint32_t>(4 + code.size()));
        w.ub(actions[i].conditions, 16);
        w.bytes(code);
    }
    return w.take();
}

}  // namespace kelmora::swf
