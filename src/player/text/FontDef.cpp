#include "player/text/FontDef.h"

namespace kelmora::player {

int FontDef::glyphIndex(uint16_t code) const {
    auto it = indexByCode_.find(code);
    return it == indexByCode_.end() ? -1 : it->second;
}

double FontDef::kerningAdjustment(uint16_t leftCode, uint16_t rightCode) const {
    for (const KerningPair& k : kerning)
        if (k.left == leftCode && k.right == rightCode) return k.adjustment;
    return 0;
}

void FontDef::indexCodes() {
    indexByCode_.clear();
    for (size_t i = 0; i < glyphs.size(); ++i) indexByCode_.emplace(glyphs[i].code, int(i));  // first one wins
}

}  // namespace kelmora::player
