#pragma once
// Asking the host for a local text file (LoadVars, XML): the byte counts start over and the
// object hears the text through onData when it arrives with the next frame.
#include <string_view>

#include "player/avm1/Interpreter.h"

namespace kelmora::player::avm1 {

void requestLoadedText(Interpreter& in, Object* into, std::string_view url);

}  // namespace kelmora::player::avm1
