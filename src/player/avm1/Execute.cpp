// The action loop: decodes one action at a time from the frame's bytes (always inside the
// action list's bounds) and runs it.
#include <algorithm>
#include <cmath>
#include <limits>

#include "player/avm1/Actions.h"
#include "player/avm1/Frame.h"
#include "player/format/BitReader.h"

namespace kelmora::player::avm1 {

namespace {

// Leaves With blocks that the program counter has left; moves Try blocks on to their finally.
// Returns false when the frame must stop (a rethrown exception or a finished return).
bool settleBlocks(Interpreter& in, Frame& f) {
    while (!f.blocks.empty()) {
        Block& b = f.blocks.back();
        if (b.kind == Block::Kind::With) {
            if (f.pc >= b.start && f.pc < b.end) return true;
            if (b.pushedScope && !f.scope.empty()) f.scope.pop_back();
            f.blocks.pop_back();
            continue;
        }
        bool inside = f.pc >= b.start && f.pc < b.end;
        if (b.state == Block::State::InTry && inside && f.pc < b.catchStart) return true;
        if (b.state == Block::State::InCatch && inside && f.pc >= b.catchStart && f.pc < b.finallyStart) return true;
        if (b.state == Block::State::InFinally && inside && f.pc >= b.finallyStart) return true;
        // Reaching the end of the try part (or of the catch part) is the normal way out; any
        // other pc came from a jump out of the statement.
        // Compilers end the try part with a jump over the catch part straight to the finally.
        bool normal = (b.state == Block::State::InTry && (f.pc == b.catchStart || f.pc == b.finallyStart)) ||
                      (b.state == Block::State::InCatch && f.pc == b.finallyStart) ||
                      (b.state == Block::State::InFinally && f.pc == b.end);
        if (b.state != Block::State::InFinally && b.hasFinally) {
            b.resumeAt = normal ? b.end : f.pc;
            b.state = Block::State::InFinally;
            f.pc = b.finallyStart;
            continue;
        }
        size_t resumeAt = b.state == Block::State::InFinally ? b.resumeAt : (normal ? b.end : f.pc);
        std::optional<Value> pending = std::move(b.pendingThrow);
        bool pendingReturn = b.pendingReturn;
        Value ret = b.returnValue;
        bool hadFinally = b.hasFinally;
        f.blocks.pop_back();
        if (normal || hadFinally) f.pc = resumeAt;
        if (pending) {
            in.throwValue(*pending);
            return false;
        }
        if (pendingReturn) {
            f.returned = true;
            f.returnValue = ret;
            return false;
        }
    }
    return true;
}

}  // namespace

// Hands a thrown value to the innermost try block of this frame; false when none takes it.
bool catchInFrame(Interpreter& in, Frame& f) {
    while (!f.blocks.empty()) {
        Block& b = f.blocks.back();
        if (b.kind == Block::Kind::With) {
            if (b.pushedScope && !f.scope.empty()) f.scope.pop_back();
            f.blocks.pop_back();
            continue;
        }
        if (b.state == Block::State::InTry && b.hasCatch) {
            Value v = *in.takeThrown();
            // What the try part left on the stack is dropped.
            if (in.stack.size() > b.stackHeight) in.stack.resize(std::max(b.stackHeight, f.stackBase));
            b.state = Block::State::InCatch;
            f.pc = b.catchStart;
            if (b.catchInRegister) {
                if (b.catchRegister < f.registers.size()) f.registers[b.catchRegister] = v;
            } else {
                setVariable(in, f, b.catchName, v);
            }
            return true;
        }
        if (b.state != Block::State::InFinally && b.hasFinally) {
            b.pendingThrow = *in.takeThrown();
            b.state = Block::State::InFinally;
            b.resumeAt = b.end;
            f.pc = b.finallyStart;
            return true;
        }
        f.blocks.pop_back();
    }
    return false;
}

Value Interpreter::runFrame(Frame& f) {
    frames_.push_back(&f);
    const uint8_t* bytes = f.code->data();
    const size_t end = std::min(f.end, f.code->size());
    // A script whose clip is taken off the stage by a call it makes stops after that call.
    const ClipId home = f.originalTarget;
    const bool homeAlive = home != kNoClip && host_.exists(home);
    while (!f.returned) {
        if (!f.blocks.empty() && !settleBlocks(*this, f)) {
            if (thrown_ && catchInFrame(*this, f)) continue;
            break;
        }
        if (f.pc >= end) break;
        if (actionsLeft_ == 0) {
            abort("A script ran too long and was stopped.");
            break;
        }
        --actionsLeft_;
        uint8_t code = bytes[f.pc];
        size_t next = f.pc + 1;
        std::span<const uint8_t> payload;
        if (code == 0) break;  // ActionEndFlag
        if (code >= 0x80) {
            if (next + 2 > end) break;
            size_t len = bytes[next] | (bytes[next + 1] << 8);
            next += 2;
            if (next + len > end) break;  // a damaged length ends the list
            payload = std::span<const uint8_t>(bytes + next, len);
            next += len;
        }
        f.pc = next;
        // A method asked of something that is not an object calls nothing.
        const bool call = code == 0x3d || code == 0x40 ||
                          ((code == 0x52 || code == 0x53) && stack.size() >= 2 && stack[stack.size() - 2].object());
        executeAction(*this, f, code, payload);
        if (aborted_ || heap_.exhausted()) {
            if (!aborted_) abort("A script made too many objects and was stopped.");
            break;
        }
        if (thrown_ && !catchInFrame(*this, f)) break;
        if (call && homeAlive && !host_.exists(home)) break;
    }
    // Leave any With blocks still open (a return from inside one).
    frames_.pop_back();
    Value result = f.returnValue;
    return result;
}

}  // namespace kelmora::player::avm1
