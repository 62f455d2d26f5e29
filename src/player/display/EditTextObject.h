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

}  // namespace kelmora::player
