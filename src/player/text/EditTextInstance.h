#pragma once
// The insides of EditTextInstance (declared in TextApi.h).
#include <map>
#include <memory>

#include "player/text/EditTextDef.h"
#include "player/text/FontDef.h"
#include "player/text/GlyphSource.h"
#include "player/text/TextApi.h"
#include "player/text/TextFormat.h"
#include "player/text/TextLayout.h"

namespace kelmora::player {

struct EditTextInstance::Impl {
    Impl(const std::shared_ptr<const EditTextDef>& d, const FontProvider& f)
        : def(std::make_shared<EditTextDef>(*d)), fonts(f) {}

    const GlyphSource* resolve(const TextFormat& format);
    void ensureLayout();

    std::shared_ptr<EditTextDef> def;  // the field's own copy: scripts change it
    const FontProvider& fonts;
    TextFormat base;
    StyledText content;
    bool dirty = true;
    TextLayoutResult layout;
    Rect bounds;
    std::map<const FontDef*, std::unique_ptr<EmbeddedGlyphSource>> embedded;
    // Background, border and underline outlines, rebuilt when the layout or size changes.
    std::shared_ptr<ShapeDef> background, border;
    std::vector<std::shared_ptr<ShapeDef>> underlines;
    Rect decoratedBounds;
    double borderWidth = 0;
    uint64_t layoutVersion = 0, decoratedVersion = ~uint64_t(0);
};

}  // namespace kelmora::player
