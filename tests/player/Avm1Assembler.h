#pragma once
// A small assembler of action bytecode for tests and benchmarks: actions with their payloads,
// pushes of every type, labels for jumps, and function definitions with their bodies.
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace kelmora::player::avm1::testing {

struct Reg {
    uint8_t n;
};
struct Null {};
struct Undefined {};
struct Constant {
    uint16_t index;
};
using PushItem = std::variant<std::string, const char*, double, int, bool, Reg, Null, Undefined, Constant>;

class Assembler {
public:
    Assembler& op(uint8_t code) {
        b_.push_back(code);
        return *this;
    }
    Assembler& action(uint8_t code, const std::vector<uint8_t>& payload) {
        b_.push_back(code);
        u16(b_, static_cast<uint16_t>(payload.size()));
        b_.insert(b_.end(), payload.begin(), payload.end());
        return *this;
    }
    Assembler& push(std::initializer_list<PushItem> items) {
        std::vector<uint8_t> p;
        for (const auto& it : items) {
            if (auto s = std::get_if<std::string>(&it)) str(p, 0, *s);
            else if (auto c = std::get_if<const char*>(&it)) str(p, 0, *c);
            else if (auto d = std::get_if<double>(&it)) {
                p.push_back(6);
                uint64_t bits;
                std::memcpy(&bits, d, 8);
                u32(p, static_cast<uint32_t>(bits >> 32));
                u32(p, static_cast<uint32_t>(bits));
            } else if (auto i = std::get_if<int>(&it)) {
                p.push_back(7);
                u32(p, static_cast<uint32_t>(*i));
            } else if (auto bo = std::get_if<bool>(&it)) {
                p.push_back(5);
                p.push_back(*bo ? 1 : 0);
            } else if (auto r = std::get_if<Reg>(&it)) {
                p.push_back(4);
                p.push_back(r->n);
            } else if (std::holds_alternative<Null>(it)) {
                p.push_back(2);
            } else if (std::holds_alternative<Undefined>(it)) {
                p.push_back(3);
            } else if (auto k = std::get_if<Constant>(&it)) {
                p.push_back(9);
                u16(p, k->index);
            }
        }
        return action(0x96, p);
    }
    Assembler& constants(const std::vector<std::string>& pool) {
        std::vector<uint8_t> p;
        u16(p, static_cast<uint16_t>(pool.size()));
        for (auto& s : pool) {
            p.insert(p.end(), s.begin(), s.end());
            p.push_back(0);
        }
        return action(0x88, p);
    }
    // Jump (0x99) or If (0x9D) to a label bound before or after.
    Assembler& branch(uint8_t code, const std::string& label) {
        action(code, {0, 0});
        fixups_.push_back({b_.size(), label});
        return *this;
    }
    Assembler& jump(const std::string& label) { return branch(0x99, label); }
    Assembler& ifTrue(const std::string& label) { return branch(0x9D, label); }
    Assembler& bind(const std::string& label) {
        labels_[label] = b_.size();
        return *this;
    }
    Assembler& storeRegister(uint8_t r) { return action(0x87, {r}); }
    Assembler& trace() { return op(0x26); }
    Assembler& setVariable(const std::string& name, PushItem value) {
        push({name, value});
        return op(0x1D);
    }
    Assembler& traceVariable(const std::string& name) {
        push({name});
        op(0x1C);
        return trace();
    }
    // DefineFunction: the body is another assembler's bytes (without an end flag).
    Assembler& defineFunction(const std::string& name, const std::vector<std::string>& params, Assembler body) {
        std::vector<uint8_t> p;
        str(p, -1, name);
        u16(p, static_cast<uint16_t>(params.size()));
        for (auto& s : params) str(p, -1, s);
        auto code = body.code();
        u16(p, static_cast<uint16_t>(code.size()));
        action(0x9B, p);
        b_.insert(b_.end(), code.begin(), code.end());
        return *this;
    }
    // DefineFunction2 with parameters in registers (0 = by name).
    Assembler& defineFunction2(const std::string& name, uint8_t registers, uint16_t flags,
                               const std::vector<std::pair<uint8_t, std::string>>& params, Assembler body) {
        std::vector<uint8_t> p;
        str(p, -1, name);
        u16(p, static_cast<uint16_t>(params.size()));
        p.push_back(registers);
        u16(p, flags);
        for (auto& [r, s] : params) {
            p.push_back(r);
            str(p, -1, s);
        }
        auto code = body.code();
        u16(p, static_cast<uint16_t>(code.size()));
        action(0x8E, p);
        b_.insert(b_.end(), code.begin(), code.end());
        return *this;
    }
    // Try with catch (into a variable) and finally bodies.
    Assembler& tryCatchFinally(Assembler tryBody, const std::string& catchName, Assembler catchBody, Assembler finallyBody) {
        auto t = tryBody.code(), c = catchBody.code(), f = finallyBody.code();
        std::vector<uint8_t> p;
        p.push_back(static_cast<uint8_t>(1 | (f.empty() ? 0 : 2)));
        u16(p, static_cast<uint16_t>(t.size()));
        u16(p, static_cast<uint16_t>(c.size()));
        u16(p, static_cast<uint16_t>(f.size()));
        str(p, -1, catchName);
        action(0x8F, p);
        b_.insert(b_.end(), t.begin(), t.end());
        b_.insert(b_.end(), c.begin(), c.end());
        b_.insert(b_.end(), f.begin(), f.end());
        return *this;
    }
    Assembler& with(Assembler body) {
        auto code = body.code();
        action(0x94, {static_cast<uint8_t>(code.size()), static_cast<uint8_t>(code.size() >> 8)});
        b_.insert(b_.end(), code.begin(), code.end());
        return *this;
    }

    // The bytes with jumps resolved (no end flag, for function bodies).
    std::vector<uint8_t> code() const {
        std::vector<uint8_t> out = b_;
        for (auto& [at, label] : fixups_) {
            auto it = labels_.find(label);
            int off = it == labels_.end() ? 0 : static_cast<int>(it->second) - static_cast<int>(at);
            out[at - 2] = static_cast<uint8_t>(off & 0xFF);
            out[at - 1] = static_cast<uint8_t>((off >> 8) & 0xFF);
        }
        return out;
    }
    // A complete action list, ended by ActionEndFlag.
    std::vector<uint8_t> bytes() const {
        auto out = code();
        out.push_back(0);
        return out;
    }

private:
    static void u16(std::vector<uint8_t>& v, uint16_t x) {
        v.push_back(static_cast<uint8_t>(x));
        v.push_back(static_cast<uint8_t>(x >> 8));
    }
    static void u32(std::vector<uint8_t>& v, uint32_t x) {
        for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
    }
    static void str(std::vector<uint8_t>& v, int type, const std::string& s) {
        if (type >= 0) v.push_back(static_cast<uint8_t>(type));
        v.insert(v.end(), s.begin(), s.end());
        v.push_back(0);
    }
    std::vector<uint8_t> b_;
    std::map<std::string, size_t> labels_;
    std::vector<std::pair<size_t, std::string>> fixups_;
};

}  // namespace kelmora::player::avm1::testing
