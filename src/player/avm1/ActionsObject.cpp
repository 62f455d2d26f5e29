// Actions of SWF 5 to 7: objects, functions, scopes, enumeration, classes and exceptions.
#include <algorithm>

#include "player/avm1/Actions.h"
#include "player/avm1/Utf16.h"
#include "player/format/BitReader.h"

namespace kelmora::player::avm1 {

namespace {

std::vector<Value> popArgs(Interpreter& in, Frame& f) {
    size_t n = popCount(in, f);
    std::vector<Value> args;
    args.reserve(n);
    for (size_t i = 0; i < n; ++i) args.push_back(pop(in, f));
    return args;
}

Object* findOwner(Object* start, std::string_view name) {
    Object* p = start;
    for (int d = 0; p && d < 256; ++d, p = p->proto())
        if (p->findOwn(name)) return p;
    return nullptr;
}

void pushEnumeration(Interpreter& in, Object* o) {
    push(in, Value());  // end marker
    if (!o) return;
    std::vector<std::string> names = in.enumerate(o);
    for (auto it = names.rbegin(); it != names.rend(); ++it) push(in, Value(*it));
}

Object* makeFunction(Interpreter& in, Frame& f, std::unique_ptr<ScriptFunction> sf) {
    sf->code = f.code;
    sf->swfVersion = f.version;
    sf->scope = f.scope;
    sf->constants = f.constants;
    sf->target = f.target ? in.clipObject(f.target) : nullptr;
    Object* fn = in.heap().make(ObjectKind::Function, in.functionPrototype);
    fn->script = std::move(sf);
    Object* proto = in.newObject();
    proto->define("constructor", fn, kDontEnum);
    fn->define("prototype", proto, kDontEnum | kDontDelete);
    return fn;
}

void defineFunction(Interpreter& in, Frame& f, std::span<const uint8_t> payload, bool v2) {
    BitReader r(payload);
    auto sf = std::make_unique<ScriptFunction>();
    sf->name = r.string();
    uint16_t count = r.u16();
    if (v2) {
        sf->isFunction2 = true;
        sf->registerCount = r.u8();
        sf->flags = r.u16();
    }
    for (uint16_t i = 0; i < count && !r.failed(); ++i) {
        if (v2) sf->paramRegisters.push_back(r.u8());
        sf->params.push_back(r.string());
    }
    size_t size = r.u16();
    if (r.failed()) return;
    size_t end = std::min(f.end, f.code->size());
    sf->start = f.pc;
    sf->end = std::min(f.pc + size, end);
    f.pc = sf->end;
    std::string name = sf->name;
    Object* fn = makeFunction(in, f, std::move(sf));
    if (name.empty()) push(in, Value(fn));
    else defineLocal(in, f, name, Value(fn));
}

// super(...) runs the parent constructor, super.m() a parent method, both on `this`.
Value callSuper(Interpreter& in, Object* o, const std::string& name, std::span<const Value> args) {
    std::string_view member = name.empty() ? std::string_view("__constructor__") : std::string_view(name);
    // The parent constructor is found from the method's own holder (Extends or `new` put it there).
    Object* owner = findOwner(name.empty() ? o->home : o->proto(), member);
    Value fn = owner ? in.getMember(owner, member) : Value();
    Object* fo = fn.object();
    if (!fo || !fo->callable()) return Value();
    if (fo->native) return fo->native(in, o->primitive, args);
    Object* nextHome = name.empty() ? in.getMember(fo, "prototype").object() : owner;
    return in.callWithHome(fo, o->primitive, args, nextHome);
}

void callMethodAction(Interpreter& in, Frame& f) {
    Value nameValue = pop(in, f);
    Value object = pop(in, f);
    std::vector<Value> args = popArgs(in, f);
    std::string name = nameValue.isUndefined() ? std::string() : in.toString(nameValue);
    Object* o = object.object();
    if (o && o->kind() == ObjectKind::Super) {
        push(in, callSuper(in, o, name, args));
        return;
    }
    if (name.empty()) {
        push(in, in.call(object, Value(), args));
        return;
    }
    push(in, in.callMethodOf(object, name, args));
}

}  // namespace

bool executeObjectAction(Interpreter& in, Frame& f, uint8_t code, std::span<const uint8_t> payload) {
    BitReader r(payload);
    switch (code) {
    case 0x88: {  // ConstantPool
        uint16_t count = r.u16();
        auto pool = std::make_shared<std::vector<std::string>>();
        pool->reserve(std::min<size_t>(count, payload.size()));
        for (uint16_t i = 0; i < count && !r.failed(); ++i)
            pool->push_back(f.version <= 5 ? fromCodePage(r.string()) : r.string());
        f.constants = std::move(pool);
        // A function's pool is its own; a timeline's or an event's stays for the scripts after it.
        if (!f.activation) in.setLastConstants(f.constants);
        return true;
    }
    case 0x9B: defineFunction(in, f, payload, false); return true;
    case 0x8E: defineFunction(in, f, payload, true); return true;
    case 0x4E: {  // GetMember
        Value name = pop(in, f);
        Value object = pop(in, f);
        push(in, in.getMember(object, in.toString(name)));
        return true;
    }
    case 0x4F: {  // SetMember
        Value v = pop(in, f);
        Value name = pop(in, f);
        Value object = pop(in, f);
        in.setMember(object, in.toString(name), v);
        return true;
    }
    case 0x3D: {  // CallFunction
        std::string name = in.toString(pop(in, f));
        std::vector<Value> args = popArgs(in, f);
        Value self;
        Value fn = getVariable(in, f, name, &self);
        if (Object* o = fn.object(); o && o->kind() == ObjectKind::Super) {
            push(in, callSuper(in, o, std::string(), args));
            return true;
        }
        if (self.isUndefined() && f.target) self = Value(in.clipObject(f.target));
        push(in, in.call(fn, self, args));
        return true;
    }
    case 0x52: callMethodAction(in, f); return true;
    case 0x40: {  // NewObject
        std::string name = in.toString(pop(in, f));
        std::vector<Value> args = popArgs(in, f);
        push(in, in.construct(getVariable(in, f, name), args));
        return true;
    }
    case 0x53: {  // NewMethod
        Value nameValue = pop(in, f);
        Value object = pop(in, f);
        std::vector<Value> args = popArgs(in, f);
        std::string name = nameValue.isUndefined() ? std::string() : in.toString(nameValue);
        Value ctor = name.empty() ? object : in.getMember(object, name);
        push(in, in.construct(ctor, args));
        return true;
    }
    case 0x42: {  // InitArray
        // A count larger than the stack (or negative) makes nothing and takes nothing.
        double n = in.toNumber(pop(in, f));
        size_t avail = in.stack.size() - std::min(in.stack.size(), f.stackBase);
        if (!(n >= 0) || n > static_cast<double>(avail)) {
            push(in, Value());
            return true;
        }
        std::vector<Value> items;
        for (size_t i = 0; i < static_cast<size_t>(n); ++i) items.push_back(pop(in, f));
        push(in, Value(in.newArray(items)));
        return true;
    }
    case 0x43: {  // InitObject
        double count = in.toNumber(pop(in, f));
        size_t avail = in.stack.size() - std::min(in.stack.size(), f.stackBase);
        if (!(count >= 0) || count * 2 > static_cast<double>(avail)) {
            push(in, Value());
            return true;
        }
        size_t n = static_cast<size_t>(count);
        Object* o = in.newObject();
        for (size_t i = 0; i < n; ++i) {
            Value v = pop(in, f);
            std::string name = in.toString(pop(in, f));
            in.setMember(o, name, v);
        }
        push(in, Value(o));
        return true;
    }
    case 0x3A: {  // Delete
        std::string name = in.toString(pop(in, f));
        Value object = pop(in, f);
        push(in, Value(in.deleteMember(object.object(), name)));
        return true;
    }
    case 0x3B: {  // Delete2
        std::string name = in.toString(pop(in, f));
        push(in, Value(deleteVariable(in, f, name)));
        return true;
    }
    case 0x3C: {  // DefineLocal
        Value v = pop(in, f);
        std::string name = in.toString(pop(in, f));
        defineLocal(in, f, name, v);
        return true;
    }
    case 0x41: {  // DefineLocal2
        std::string name = in.toString(pop(in, f));
        Object* where = f.activation ? f.activation : (f.scope.empty() ? nullptr : f.scope.front());
        if (where && !in.hasProperty(where, name)) {
            if (f.activation) where->setOwn(name, Value());
            else in.setMember(where, name, Value());
        }
        return true;
    }
    case 0x46: {  // Enumerate
        std::string name = in.toString(pop(in, f));
        Value v = getVariable(in, f, name);
        pushEnumeration(in, v.object());
        return true;
    }
    case 0x55: pushEnumeration(in, pop(in, f).object()); return true;  // Enumerate2
    case 0x94: {  // With
        uint16_t size = r.u16();
        Value v = pop(in, f);
        Block b;
        b.kind = Block::Kind::With;
        b.start = f.pc;
        b.end = std::min(f.pc + size, f.end);
        Object* o = in.toObject(v);
        if (!o) {
            f.pc = b.end;  // with(undefined) and with(null) skip their body
            return true;
        }
        f.scope.push_back(o);
        b.pushedScope = true;
        f.blocks.push_back(std::move(b));
        return true;
    }
    case 0x8F: {  // Try
        uint8_t flags = r.u8();
        uint16_t trySize = r.u16(), catchSize = r.u16(), finallySize = r.u16();
        Block b;
        b.kind = Block::Kind::Try;
        b.hasCatch = flags & 1;
        b.hasFinally = flags & 2;
        b.catchInRegister = flags & 4;
        if (b.catchInRegister) b.catchRegister = r.u8();
        else b.catchName = r.string();
        b.start = f.pc;
        b.catchStart = std::min(f.pc + trySize, f.end);
        b.finallyStart = std::min(b.catchStart + catchSize, f.end);
        b.end = std::min(b.finallyStart + finallySize, f.end);
        b.stackHeight = in.stack.size();
        f.blocks.push_back(std::move(b));
        return true;
    }
    case 0x54: {  // InstanceOf
        Value ctor = pop(in, f);
        Value v = pop(in, f);
        push(in, Value(in.instanceOf(v, ctor.object())));
        return true;
    }
    case 0x69: {  // Extends
        Value superclass = pop(in, f);
        Value subclass = pop(in, f);
        if (!subclass.object() || !superclass.object()) return true;
        Object* proto = in.newObject(in.getMember(superclass, "prototype").object());
        proto->define("__constructor__", superclass, kDontEnum);
        if (f.version < 7) proto->define("constructor", superclass, kDontEnum);
        in.setMember(subclass, "prototype", Value(proto));
        return true;
    }
    case 0x2B: {  // CastOp
        Value v = pop(in, f);
        Value ctor = pop(in, f);
        push(in, in.instanceOf(v, ctor.object()) ? v : Value::null());
        return true;
    }
    case 0x2C: {  // ImplementsOp
        Value ctor = pop(in, f);
        std::vector<Value> list = popArgs(in, f);
        Object* proto = in.getMember(ctor, "prototype").object();
        if (!proto) return true;
        proto->interfaces.clear();
        for (auto& v : list)
            if (Object* i = v.object()) proto->interfaces.push_back(i);
        return true;
    }
    default: return false;
    }
}

}  // namespace kelmora::player::avm1
