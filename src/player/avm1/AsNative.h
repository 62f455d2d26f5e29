#pragma once
// ASnative(table, index): the player's numbered built-in functions.
#include <span>

#include "player/avm1/Interpreter.h"

namespace kelmora::player::avm1 {

Value asNative(Interpreter& in, const Value& self, std::span<const Value> args);

}  // namespace kelmora::player::avm1
