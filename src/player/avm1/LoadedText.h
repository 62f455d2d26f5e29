#pragma once
// Asking the host for a local text file (LoadVars, XML): the byte counts start over and the
// object hears the text through onData when it arrives with the next frame.
#include <string_view>

#include "player/avm1/Interpreter.h"

namespace kelmora::player::avm1 {

void requestLoadedText(Interpreter& in, Object* into, std::string_view url);

// A file that Sound.loadSound asked for arrived (ok false: it could not be read). False when the
// object is no Sound, so the text goes its usual way.
bool isSoundObject(const Object* o);
bool soundFileArrived(Interpreter& in, Object* sound, bool ok, std::string_view bytes);

}  // namespace kelmora::player::avm1
