#pragma once
// A text field on stage: the field definition with the text scripts may change.
#include <memory>

#include "player/display/DisplayObject.h"
#include "player/text/TextApi.h"

namespace kelmora::player {

class EditTextObject : public DisplayObject {
public:
    EditTextObject(PlayContext& context, std::shared_ptr<const Character> character);
    ~EditTextObject() override;
    EditTextInstance& field() { return *field_; }
    const EditTextInstance& field() const { return *field_; }

private:
    std::unique_ptr<EditTextInstance> field_;
};

// Where a text field's box starts in its parent's space, relative to its matrix's translation:
// scripts see a field's _x and _y at its box's corner (zero for anything else).
Point fieldBoxOffset(const DisplayObject& o);

}  // namespace kelmora::player
