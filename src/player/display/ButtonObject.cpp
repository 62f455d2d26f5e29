#include "player/display/ButtonObject.h"

#include "player/display/PlayContext.h"
#include "player/format/Characters.h"

namespace kelmora::player {

ButtonObject::ButtonObject(PlayContext& context, std::shared_ptr<const Character> character, int nesting)
    : DisplayObject(context, character) {
    const auto& button = static_cast<const ButtonDef&>(*character);
    for (const ButtonRecord& rec : button.records) {
        if (!(rec.states & ButtonRecord::Up)) continue;
        // With scripts, sprites in the button construct once the button is placed and named.
        auto object = context.createInstance(rec.characterId, nesting + 1, context.listener == nullptr);
        if (!object) continue;
        object->depth = rec.depth;
        object->parent = this;
        object->matrix = rec.matrix;
        object->colorTransform = rec.colorTransform;
        object->filters = rec.filters;
        object->blendMode = rec.blendMode;
        children_[rec.depth] = std::move(object);
    }
}

ButtonObject::~ButtonObject() = default;

void ButtonObject::advance() {
    for (auto& [depth, child] : children_) child->advance();
}

}  // namespace kelmora::player
