#pragma once
// flash.filters objects and the engine's filter records.
#include <optional>

#include "player/avm1/Interpreter.h"
#include "player/render/EffectsApi.h"

namespace kelmora::player::avm1 {

// The filter a script filter object describes; empty for other values (and DisplacementMapFilter,
// which the renderer does not draw).
std::optional<Filter> filterOf(Interpreter& in, const Value& v);
// A script object for a filter record (MovieClip.filters).
Object* newFilterObject(Interpreter& in, const Filter& f);

}  // namespace kelmora::player::avm1
