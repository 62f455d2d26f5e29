#pragma once
// A button on stage, showing its up state (no mouse in a capture player).
#include "player/display/DisplayObject.h"

namespace kelmora::player {

class ButtonObject : public DisplayObject {
public:
    ButtonObject(PlayContext& context, std::shared_ptr<const Character> character, int nesting);
    ~ButtonObject() override;
    void advance() override;
    const DisplayList& children() const { return children_; }
    DisplayList& children() { return children_; }

private:
    DisplayList children_;
};

}  // namespace kelmora::player
