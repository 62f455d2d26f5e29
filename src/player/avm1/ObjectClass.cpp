// Object and Function: the root of every prototype chain.
#include "player/avm1/Builtins.h"
#include "player/avm1/Frame.h"
#include "util/TextNumber.h"

namespace kelmora::player::avm1 {

namespace {

Value objectCtor(Interpreter& in, const Value&, std::span<const Value> args) {
    // Object(v) boxes a primitive; Object() called as a function makes an object without a
    // prototype (`new Object()` is handled by objectConstruct).
    if (!args.empty() && !args[0].isNullish()) return Value(in.toObject(args[0]));
    return Value(in.heap().make(ObjectKind::Plain, nullptr));
}

Value objectConstruct(Interpreter& in, const Value&, std::span<const Value> args) {
    if (!args.empty() && !args[0].isNullish()) return Value(in.toObject(args[0]));
    return Value(in.newObject());
}

Value objectToString(Interpreter& in, const Value& self, std::span<const Value>) {
    Object* o = self.object();
    if (o && o->callable()) return Value("[type Function]");
    if (!o && self.isString()) return self;
    (void)in;
    return Value("[object Object]");
}

Value objectValueOf(Interpreter&, const Value& self, std::span<const Value>) { return self; }

Value hasOwnProperty(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o || args.empty()) return Value(false);
    std::string name = in.toString(args[0]);
    if (name.empty()) return Value(false);
    if (name == "__proto__") return Value(o->proto() != nullptr);
    if (o->kind() == ObjectKind::Array && name == "length") return Value(true);
    if (o->findOwn(name)) return Value(true);
    // A property flagged for other movie versions reads as undefined but is still there.
    NameEqual eq{o->caseSensitive()};
    for (const Property& p : o->rawProperties())
        if (!p.deleted && eq(p.name, name)) return Value(true);
    return Value(false);
}

Value isPropertyEnumerable(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o || args.empty()) return Value(false);
    const Property* p = o->findOwn(in.toString(args[0]));
    return Value(p && !(p->flags & kDontEnum));
}

Value isPrototypeOf(Interpreter&, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    Object* v = args.empty() ? nullptr : args[0].object();
    if (!o || !v) return Value(false);
    Object* p = v->proto();
    for (int d = 0; p && d < 256; ++d, p = p->proto())
        if (p == o) return Value(true);
    return Value(false);
}

Value addProperty(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    // The setter argument must be given (null is allowed, leaving it out is not).
    if (!o || args.size() < 3) return Value(false);
    std::string name = in.toString(args[0]);
    Object* getter = args[1].object();
    Value setterValue = arg(args, 2);
    Object* setter = setterValue.object();
    if (name.empty() || !getter || !getter->callable()) return Value(false);
    if (setter && !setter->callable()) return Value(false);
    // An existing property keeps its value in the slot behind the accessors.
    Property* existing = o->findOwn(name);
    Property& p = existing ? *existing : o->setOwn(name, Value());
    p.getter = getter;
    p.setter = setter;
    return Value(true);
}

Value watch(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o || args.size() < 2 || !args[1].object() || !args[1].object()->callable()) return Value(false);
    std::string name = in.toString(args[0]);
    NameEqual eq{in.heap().caseSensitive()};
    for (auto& w : o->watches)
        if (eq(w.name, name)) {
            w.callback = args[1].object();
            w.userData = arg(args, 2);
            return Value(true);
        }
    o->watches.push_back({name, args[1].object(), arg(args, 2)});
    return Value(true);
}

Value unwatch(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o || args.empty()) return Value(false);
    std::string name = in.toString(args[0]);
    NameEqual eq{in.heap().caseSensitive()};
    for (auto it = o->watches.begin(); it != o->watches.end(); ++it)
        if (eq(it->name, name)) {
            o->watches.erase(it);
            return Value(true);
        }
    return Value(false);
}

Value registerClass(Interpreter& in, const Value&, std::span<const Value> args) {
    // Both arguments are needed; the class must be a function, or null to unregister.
    if (args.size() < 2) return Value(false);
    Object* ctor = args[1].object();
    if (!args[1].isNullish() && !(ctor && ctor->callable())) return Value(false);
    std::string name = in.toString(args[0]);
    // Old movies name symbols without case: they register the name in lower case, which movies
    // of SWF 7 and later, comparing exactly, then don't find.
    const Frame* f = in.currentFrame();
    if ((f ? f->version : in.swfVersion()) < 7) name = kelmora::toLower(name);
    if (ctor) in.registeredClasses[name] = ctor;
    else in.registeredClasses.erase(name);
    return Value(true);
}

Value functionCtor(Interpreter& in, const Value&, std::span<const Value> args) {
    if (!args.empty()) return args[0];  // Function(x) hands back x
    return Value(in.heap().make(ObjectKind::Plain, nullptr));
}

// call/apply with no `this` run the function on _global.
Value thisOrGlobal(Interpreter& in, const Value& v) { return v.isUndefined() ? Value(in.global()) : v; }

Value functionCall(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value thisArg = thisOrGlobal(in, arg(args, 0));
    return in.call(self, thisArg, args.empty() ? args : args.subspan(1));
}

Value functionApply(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value thisArg = thisOrGlobal(in, arg(args, 0));
    std::vector<Value> list;
    if (Object* a = arg(args, 1).object()) {
        uint32_t n = static_cast<uint32_t>(std::max(0, in.toInt(in.getMember(a, "length"))));
        n = std::min<uint32_t>(n, 1u << 20);
        for (uint32_t i = 0; i < n; ++i) list.push_back(in.getMember(a, std::to_string(i)));
    }
    return in.call(self, thisArg, list);
}

}  // namespace

void installObjectClass(Interpreter& in) {
    Object* g = in.global();
    Object* op = in.objectPrototype;
    Object* objectClass = in.makeClass(g, "Object", objectCtor, op);
    objectClass->nativeConstruct = objectConstruct;
    in.method(op, "toString", objectToString);
    in.method(op, "toLocaleString", objectToString);
    in.method(op, "valueOf", objectValueOf);
    in.method(op, "hasOwnProperty", hasOwnProperty);
    in.method(op, "isPropertyEnumerable", isPropertyEnumerable);
    in.method(op, "isPrototypeOf", isPrototypeOf);
    in.method(op, "addProperty", addProperty);
    in.method(op, "watch", watch);
    in.method(op, "unwatch", unwatch);
    in.method(objectClass, "registerClass", registerClass);

    Object* fp = in.functionPrototype;
    in.makeClass(g, "Function", functionCtor, fp);
    g->findOwn("Function")->flags |= kOnlySwf6Up;  // SWF 5 movies don't see the name
    in.method(fp, "call", functionCall);
    in.method(fp, "apply", functionApply);
}

}  // namespace kelmora::player::avm1
