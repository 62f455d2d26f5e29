// Glyph outlines of embedded fonts, parsed once per font by the shape code.
#include "player/text/FontDef.h"

namespace kelmora::player {

const ShapeDef* FontDef::glyphShape(size_t index) const {
    std::call_once(parsedOnce_, [this] {
        shapes_.resize(glyphs.size());
        for (size_t i = 0; i < glyphs.size(); ++i) {
            auto shape = parseGlyph(glyphs[i].shapeRecord);
            if (shape) shapes_[i] = std::move(*shape);
        }
    });
    return index < shapes_.size() ? shapes_[index].get() : nullptr;
}

}  // namespace kelmora::player
