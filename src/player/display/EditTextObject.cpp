#include "player/display/EditTextObject.h"

#include "player/display/PlayContext.h"
#include "player/format/Characters.h"
#include "player/format/MovieDef.h"
#include "player/text/EditTextDef.h"

namespace kelmora::player {

EditTextObject::EditTextObject(PlayContext& context, std::shared_ptr<const Character> character)
    : DisplayObject(context, character) {
    auto def = static_cast<const EditTextCharacter*>(character.get())->editText;
    field_ = std::make_unique<EditTextInstance>(std::move(def), context);
    field_->settings().swfVersion = context.movie().header().version;
    field_->changed();
}

EditTextObject::~EditTextObject() = default;

Point fieldBoxOffset(const DisplayObject& o) {
    if (o.kind() != CharacterKind::EditText) return {0, 0};
    const Rect b = static_cast<const EditTextObject&>(o).field().bounds();
    const Matrix& m = o.matrix;
    return {m.a * b.xMin + m.c * b.yMin, m.b * b.xMin + m.d * b.yMin};
}

}  // namespace kelmora::player
