// Stack, arithmetic, comparison, string and control-flow actions.
#include <cmath>
#include <limits>

#include "player/avm1/Actions.h"
#include "player/avm1/Utf16.h"
#include "player/format/BitReader.h"

namespace kelmora::player::avm1 {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Characters of UTF-8 text, for the MB string actions and String methods.
size_t utf8Length(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

void actionPush(Interpreter& in, Frame& f, std::span<const uint8_t> payload) {
    BitReader r(payload);
    while (!r.atEnd()) {
        uint8_t type = r.u8();
        switch (type) {
        case 0: push(in, Value(f.version <= 5 ? fromCodePage(r.string()) : r.string())); break;
        case 1: push(in, Value(static_cast<double>(r.f32()))); break;
        case 2: push(in, Value::null()); break;
        case 3: push(in, Value()); break;
        case 4: {
            uint8_t reg = r.u8();
            auto& regs = f.registers.empty() ? in.globalRegisters() : f.registers;
            push(in, reg < regs.size() ? regs[reg] : Value());
            break;
        }
        case 5: push(in, Value(r.u8() != 0)); break;
        case 6: push(in, Value(r.f64Swapped())); break;
        case 7: push(in, Value(static_cast<double>(r.s32()))); break;
        case 8:
        case 9: {
            size_t idx = type == 8 ? r.u8() : r.u16();
            if (f.constants && idx < f.constants->size()) push(in, Value((*f.constants)[idx]));
            else push(in, Value());
            break;
        }
        default: return;  // unknown type: the rest cannot be decoded
        }
        if (r.failed()) return;
    }
}

void branch(Frame& f, std::span<const uint8_t> payload) {
    if (payload.size() < 2) return;
    int16_t offset = static_cast<int16_t>(payload[0] | (payload[1] << 8));
    int64_t target = static_cast<int64_t>(f.pc) + offset;
    // A jump out of the action list ends it.
    if (target < 0) target = static_cast<int64_t>(f.end);
    f.pc = static_cast<size_t>(target);
}

std::string substring(const std::string& s, double index1, double count) {
    // StringExtract: 1-based index; out-of-range values clamp as the player does.
    if (std::isnan(index1)) index1 = 1;
    if (std::isnan(count)) count = 0;
    int64_t start = static_cast<int64_t>(index1) - 1;
    if (start < 0) start = 0;
    if (start >= static_cast<int64_t>(s.size())) return {};
    int64_t n = count < 0 ? static_cast<int64_t>(s.size()) : static_cast<int64_t>(std::min(count, 1e12));
    return s.substr(static_cast<size_t>(start), static_cast<size_t>(n));
}
}  // namespace

void executeAction(Interpreter& in, Frame& f, uint8_t code, std::span<const uint8_t> payload) {
    switch (code) {
    case 0x96: actionPush(in, f, payload); return;
    case 0x17: pop(in, f); return;
    case 0x4C: {  // PushDuplicate
        Value v = in.stack.size() > f.stackBase ? in.stack.back() : Value();
        push(in, v);
        return;
    }
    case 0x4D: {  // StackSwap
        Value a = pop(in, f), b = pop(in, f);
        push(in, a);
        push(in, b);
        return;
    }
    case 0x87: {  // StoreRegister
        if (payload.empty()) return;
        Value v = in.stack.size() > f.stackBase ? in.stack.back() : Value();
        auto& regs = f.registers.empty() ? in.globalRegisters() : f.registers;
        if (payload[0] < regs.size()) regs[payload[0]] = v;
        return;
    }
    case 0x99: branch(f, payload); return;  // Jump
    case 0x9D:                              // If
        if (in.toBoolean(pop(in, f))) branch(f, payload);
        return;
    // Arithmetic (SWF 4 numbers).
    case 0x0A: case 0x0B: case 0x0C: case 0x0D: {
        Value vb = pop(in, f), va = pop(in, f);
        // The player converts the right operand first for - and / (their order shows through
        // valueOf).
        double a = 0, b = 0;
        if (code == 0x0B || code == 0x0D) {
            b = in.toNumber(vb);
            a = in.toNumber(va);
        } else {
            a = in.toNumber(va);
            b = in.toNumber(vb);
        }
        double r = 0;
        switch (code) {
        case 0x0A: r = a + b; break;
        case 0x0B: r = a - b; break;
        case 0x0C: r = a * b; break;
        default:
            if (b == 0 && f.version < 5) {
                push(in, Value("#ERROR#"));
                return;
            }
            r = a / b;
        }
        push(in, Value(r));
        return;
    }
    case 0x3F: {  // Modulo
        Value vb = pop(in, f), va = pop(in, f);
        double a = in.toNumber(va), b = in.toNumber(vb);
        push(in, Value(std::fmod(a, b)));
        return;
    }
    case 0x0E: {  // Equals (numbers)
        Value vb = pop(in, f), va = pop(in, f);
        double b = in.toNumber(vb);
        double a = in.toNumber(va);
        pushBool(in, f, a == b);
        return;
    }
    case 0x0F: {  // Less (numbers)
        Value vb = pop(in, f), va = pop(in, f);
        double a = in.toNumber(va), b = in.toNumber(vb);
        pushBool(in, f, a < b);
        return;
    }
    case 0x10: case 0x11: {  // And, Or
        Value vb = pop(in, f), va = pop(in, f);
        bool a = in.toBoolean(va), b = in.toBoolean(vb);
        pushBool(in, f, code == 0x10 ? (a && b) : (a || b));
        return;
    }
    case 0x12: pushBool(in, f, !in.toBoolean(pop(in, f))); return;  // Not
    case 0x13: case 0x29: case 0x68: {  // StringEquals, StringLess, StringGreater
        Value vb = pop(in, f), va = pop(in, f);
        std::string b = in.toString(vb);
        std::string a = in.toString(va);
        pushBool(in, f, code == 0x13 ? a == b : code == 0x29 ? a < b : a > b);
        return;
    }
    case 0x14: {  // StringLength: bytes, or characters of an old movie's code page
        std::string s = in.toString(pop(in, f));
        push(in, Value(static_cast<double>(f.version <= 5 ? utf16Length(s) : s.size())));
        return;
    }
    case 0x31: push(in, Value(static_cast<double>(utf8Length(in.toString(pop(in, f)))))); return;
    case 0x15: case 0x35: {  // StringExtract, MBStringExtract
        double count = in.toNumber(pop(in, f)), index = in.toNumber(pop(in, f));
        push(in, Value(substring(in.toString(pop(in, f)), index, count)));
        return;
    }
    case 0x21: {  // StringAdd
        Value vb = pop(in, f), va = pop(in, f);
        std::string b = in.toString(vb);
        std::string a = in.toString(va);
        if (!in.chargeText(a.size() + b.size())) return;
        push(in, Value(a + b));
        return;
    }
    case 0x18: {  // ToInteger
        // int() gives a 32-bit signed number: int(0xffffffff) is -1, int(Infinity) 0.
        push(in, Value(static_cast<double>(in.toInt(pop(in, f)))));
        return;
    }
    case 0x32: case 0x36: {  // CharToAscii
        std::string s = in.toString(pop(in, f));
        push(in, s.empty() ? Value(kNaN) : Value(static_cast<double>(static_cast<unsigned char>(s[0]))));
        return;
    }
    case 0x33: case 0x37: {  // AsciiToChar
        uint32_t c = toUint32(in.toNumber(pop(in, f))) & 0xFFFF;
        std::string s;
        if (c < 0x80 || code == 0x33) {
            s.push_back(static_cast<char>(c & 0xFF));
        } else if (c < 0x800) {
            s.push_back(static_cast<char>(0xC0 | (c >> 6)));
            s.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            s.push_back(static_cast<char>(0xE0 | (c >> 12)));
            s.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            s.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
        push(in, Value(s));
        return;
    }
    case 0x47: {  // Add2
        Value b = pop(in, f), a = pop(in, f);
        push(in, in.add(a, b));
        return;
    }
    case 0x48: {  // Less2
        Value b = pop(in, f), a = pop(in, f);
        pushCompared(in, f, in.lessThan(a, b));
        return;
    }
    case 0x67: {  // Greater
        Value b = pop(in, f), a = pop(in, f);
        pushCompared(in, f, in.lessThan(b, a));
        return;
    }
    case 0x49: {  // Equals2
        Value b = pop(in, f), a = pop(in, f);
        pushBool(in, f, in.equals(a, b));
        return;
    }
    case 0x66: {  // StrictEquals
        Value b = pop(in, f), a = pop(in, f);
        pushBool(in, f, in.strictEquals(a, b));
        return;
    }
    case 0x4A: push(in, Value(in.toNumber(pop(in, f)))); return;
    case 0x4B: push(in, Value(in.toString(pop(in, f)))); return;
    case 0x44: push(in, Value(in.typeOf(pop(in, f)))); return;
    case 0x50: push(in, Value(in.toNumber(pop(in, f)) + 1)); return;
    case 0x51: push(in, Value(in.toNumber(pop(in, f)) - 1)); return;
    case 0x60: case 0x61: case 0x62: case 0x63: case 0x64: case 0x65: {
        Value vb = pop(in, f), va = pop(in, f);
        int32_t a = in.toInt(va), b = in.toInt(vb);
        double r = 0;
        switch (code) {
        case 0x60: r = a & b; break;
        case 0x61: r = a | b; break;
        case 0x62: r = a ^ b; break;
        case 0x63: r = static_cast<int32_t>(static_cast<uint32_t>(a) << (b & 31)); break;
        case 0x64: r = a >> (b & 31); break;
        // Up to SWF 8 a shift by 0 (mod 32) leaves the number signed: -1 >>> 32 is -1 there.
        default:
            r = (b & 31) == 0 && f.version <= 8 ? static_cast<double>(a)
                                                : static_cast<double>(static_cast<uint32_t>(a) >> (b & 31));
            break;
        }
        push(in, Value(r));
        return;
    }
    case 0x26: in.trace(pop(in, f)); return;  // Trace
    case 0x34: push(in, Value(std::floor(in.host().timeMs()))); return;  // GetTime
    case 0x30: {  // RandomNumber
        double max = in.toNumber(pop(in, f));
        int32_t m = std::isnan(max) ? 0 : static_cast<int32_t>(std::clamp(max, 0.0, 2147483647.0));
        push(in, Value(m <= 0 ? 0.0 : static_cast<double>(in.random()() % static_cast<uint32_t>(m))));
        return;
    }
    case 0x2A: in.throwValue(pop(in, f)); return;  // Throw
    case 0x3E: {  // Return
        Value v = pop(in, f);
        for (auto it = f.blocks.rbegin(); it != f.blocks.rend(); ++it) {
            if (it->kind == Block::Kind::Try && it->hasFinally && it->state != Block::State::InFinally) {
                it->pendingReturn = true;
                it->returnValue = v;
                it->state = Block::State::InFinally;
                it->resumeAt = it->end;
                f.pc = it->finallyStart;
                // Blocks inside the one whose finally runs are left.
                while (&f.blocks.back() != &*it) {
                    if (f.blocks.back().pushedScope && !f.scope.empty()) f.scope.pop_back();
                    f.blocks.pop_back();
                }
                return;
            }
        }
        f.returned = true;
        f.returnValue = v;
        return;
    }
    default: break;
    }
    if (executeTimelineAction(in, f, code, payload)) return;
    executeObjectAction(in, f, code, payload);  // unknown codes are skipped
}

}  // namespace kelmora::player::avm1
