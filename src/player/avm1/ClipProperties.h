#pragma once
// The clip properties _x.._ymouse seen as named members of clip objects.
#include <string_view>

#include "player/avm1/Host.h"

namespace kelmora::player::avm1 {

class Interpreter;

// Index 0-21 of a property name ("_x", "_Alpha": case never matters), or -1.
int clipPropertyIndex(std::string_view name);
Value getClipProperty(Interpreter& in, ClipId clip, int index);
void setClipProperty(Interpreter& in, ClipId clip, int index, const Value& value);

}  // namespace kelmora::player::avm1
