#pragma once
// The state of one running action list: a frame script, an event handler or a function call.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "player/avm1/Interpreter.h"

namespace kelmora::player::avm1 {

// A With or Try region of the action list being executed.
struct Block {
    enum class Kind : uint8_t { With, Try } kind = Kind::With;
    enum class State : uint8_t { InTry, InCatch, InFinally } state = State::InTry;
    size_t start = 0, end = 0;                 // With: the body; Try: the whole statement
    size_t catchStart = 0, finallyStart = 0;   // Try
    bool hasCatch = false, hasFinally = false;
    bool catchInRegister = false;
    bool pushedScope = false;  // With: an object was pushed on the scope chain
    uint8_t catchRegister = 0;
    std::string catchName;
    std::optional<Value> pendingThrow;
    bool pendingReturn = false;
    size_t resumeAt = 0;  // where execution goes on after the finally part
    size_t stackHeight = 0;  // Try: the operand stack's height when the statement began
    Value returnValue;
};

struct Frame {
    Code code;
    size_t pc = 0, end = 0;
    int version = 6;
    std::vector<Object*> scope;  // innermost last; with-objects are pushed here too
    Object* activation = nullptr;  // function locals, null on a timeline
    Value self;
    bool selfInRegister = false;  // a DefineFunction2 preloads or suppresses `this`: no variable names it
    ClipId target = kNoClip;
    ClipId originalTarget = kNoClip;
    std::vector<Value> registers;
    std::shared_ptr<const std::vector<std::string>> constants;
    std::vector<Block> blocks;
    std::vector<Object*> savedScope;  // the scope chain outside a tellTarget
    bool inTellTarget = false;
    bool targetLost = false;  // tellTarget named no clip: the root stands in, '' names nothing
    size_t stackBase = 0;
    Object* callee = nullptr;
    Object* home = nullptr;  // the object that holds the running method; `super` starts above it
    Value arguments;
    bool constructing = false;  // a function run by `new` (ASnative 2,0 asks)
    bool returned = false;
    Value returnValue;
};

// Variables by name, with slash and dot paths ("/a/b:v", "_root.a.v") and the scope chain.
Value getVariable(Interpreter& in, Frame& f, std::string_view name, Value* thisOut = nullptr);
void setVariable(Interpreter& in, Frame& f, std::string_view name, const Value& value);
void defineLocal(Interpreter& in, Frame& f, std::string_view name, const Value& value);
bool deleteVariable(Interpreter& in, Frame& f, std::string_view name);
Object* superObject(Interpreter& in, Frame& f);

}  // namespace kelmora::player::avm1
