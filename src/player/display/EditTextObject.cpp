#include "player/display/EditTextObject.h"

#include "player/display/PlayContext.h"
#include "player/format/Characters.h"

namespace kelmora::player {

EditTextObject::EditTextObject(PlayContext& context, std::shared_ptr<const Character> character)
    : DisplayObject(context, character) {
    auto def = static_cast<const EditTextCharacter*>(character.get())->editText;
    field_ = std::make_unique<EditTextInstance>(std::move(def), context);
}

EditTextObject::~EditTextObject() = default;

}  // namespace kelmora::player
