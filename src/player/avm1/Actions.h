#pragma once
// Action codes and the functions that run them (split by family, one file each).
#include <cstdint>
#include <span>

#include "player/avm1/Frame.h"

namespace kelmora::player::avm1 {

void executeAction(Interpreter& in, Frame& f, uint8_t code, std::span<const uint8_t> payload);
// Each returns false when the code is not one of its family.
bool executeTimelineAction(Interpreter& in, Frame& f, uint8_t code, std::span<const uint8_t> payload);
bool executeObjectAction(Interpreter& in, Frame& f, uint8_t code, std::span<const uint8_t> payload);
bool catchInFrame(Interpreter& in, Frame& f);

// Stack helpers: popping an empty stack (below the frame's base) gives undefined.
inline Value pop(Interpreter& in, Frame& f) {
    if (in.stack.size() <= f.stackBase) return Value();
    Value v = std::move(in.stack.back());
    in.stack.pop_back();
    return v;
}
inline void push(Interpreter& in, Value v) { in.stack.push_back(std::move(v)); }
// An argument count popped from the stack, bounded by what the stack holds.
inline size_t popCount(Interpreter& in, Frame& f) {
    double n = in.toNumber(pop(in, f));
    size_t avail = in.stack.size() > f.stackBase ? in.stack.size() - f.stackBase : 0;
    if (!(n > 0)) return 0;
    return n > static_cast<double>(avail) ? avail : static_cast<size_t>(n);
}
// Pushes a comparison result. SWF 4 frames get real booleans too: they only read as "1" and "0"
// there (see Interpreter::toString).
inline void pushBool(Interpreter& in, Frame&, bool b) { push(in, Value(b)); }
inline void pushCompared(Interpreter& in, Frame&, const Value& v) { push(in, v); }

}  // namespace kelmora::player::avm1
