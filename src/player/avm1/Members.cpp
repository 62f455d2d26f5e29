// Property access, calls and construction: the parts of the interpreter that every action and
// every built-in goes through.
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "player/avm1/ClipProperties.h"
#include "player/avm1/Frame.h"
#include "player/avm1/Interpreter.h"
#include "player/avm1/Utf16.h"

namespace kelmora::player::avm1 {

namespace {
// Prototype chains made by scripts may loop; walks stop after this many links.
constexpr int kMaxProtoDepth = 256;

// The level number is read up to its first non-digit: "_level0undefined" is _level0, but a
// name that goes on as a path ("_level0.") is none.
bool isLevelName(std::string_view name, int& level, bool caseSensitive) {
    if (name.size() < 7 || !NameEqual{caseSensitive}(name.substr(0, 6), "_level")) return false;
    if (name[6] < '0' || name[6] > '9' || name.find_first_of(".:/") != std::string_view::npos) return false;
    int n = 0;
    for (char c : name.substr(6)) {
        if (c < '0' || c > '9') break;
        if (n > 100000) return false;
        n = n * 10 + (c - '0');
    }
    level = n;
    return true;
}
// Accessors calling themselves: up to SWF 6 a property whose getter or setter runs is a plain
// value slot inside them; later movies allow 64 nested calls of each before the slot is used.
// The slot keeps the last value assigned.
constexpr uint8_t kMaxAccessorNesting = 65;

bool usesSlot(const Interpreter& in, const Property& p, bool setter) {
    if (p.busy) return true;
    if (in.swfVersion() < 7) return p.getterDepth || p.setterDepth;
    return (setter ? p.setterDepth : p.getterDepth) >= kMaxAccessorNesting;
}

Value runGetter(Interpreter& in, Object* holder, std::string_view name, const Value& self) {
    Property* p = holder->findOwn(name);
    if (usesSlot(in, *p, false)) return p->value;
    ++p->getterDepth;
    Object* getter = p->getter;
    Value v = in.call(Value(getter), self, {});
    if (Property* q = holder->findOwn(name); q && q->getterDepth) --q->getterDepth;
    return v;
}

// Assigns through the setter; false when the property is read-only (a getter alone).
void runSetter(Interpreter& in, Object* holder, std::string_view name, const Value& self, const Value& value) {
    Property* p = holder->findOwn(name);
    if (usesSlot(in, *p, true)) {
        p->value = value;
        return;
    }
    if (!p->setter) return;
    ++p->setterDepth;
    Value args[] = {value};
    in.call(Value(p->setter), self, args);
    if (Property* q = holder->findOwn(name)) {
        if (q->setterDepth) --q->setterDepth;
        q->value = value;
    }
}
}  // namespace

Value Interpreter::getMember(const Value& object, std::string_view name) {
    switch (object.type()) {
    case ValueType::Object: return getMember(object.object(), name);
    case ValueType::String: {
        if (name == "length") return Value(static_cast<double>(utf16Length(object.string())));
        Object* proto = stringPrototype;
        for (int d = 0; proto && d < kMaxProtoDepth; ++d, proto = proto->proto())
            if (Property* p = proto->findOwn(name)) return p->getter ? call(p->getter, object, {}) : p->value;
        return Value();
    }
    case ValueType::Number:
    case ValueType::Boolean: {
        Object* proto = object.isNumber() ? numberPrototype : booleanPrototype;
        for (int d = 0; proto && d < kMaxProtoDepth; ++d, proto = proto->proto())
            if (Property* p = proto->findOwn(name)) return p->getter ? call(p->getter, object, {}) : p->value;
        return Value();
    }
    default: return Value();
    }
}

Value Interpreter::getMember(Object* o, std::string_view name) {
    if (!o) return Value();
    if (name == "__proto__") {
        // `super` shows the prototype above the one it searches.
        Object* p = o->kind() == ObjectKind::Super && o->proto() ? o->proto()->proto() : o->proto();
        if (!p)
            if (const Property* raw = o->findOwn(name)) return raw->value;  // a primitive set as __proto__
        return p ? Value(p) : Value();
    }
    if (o->kind() == ObjectKind::Clip && !host_.exists(o->clip) && o->primitive.isString()) {
        ClipId now = liveClip(o);
        return now ? getMember(clipObject(now), name) : Value();
    }
    if (o->kind() == ObjectKind::Clip && host_.exists(o->clip)) {
        if (Property* p = o->findOwn(name)) return p->getter ? runGetter(*this, o, name, Value(o)) : p->value;
        int idx = clipPropertyIndex(name);
        if (idx >= 0) return getClipProperty(*this, o->clip, idx);
        NameEqual eq{false};
        if (eq(name, "_parent")) {
            ClipId p = host_.parent(o->clip);
            // SWF 5 buttons are no objects to scripts: a clip inside one has the button's parent.
            if (p && host_.kind(p) == ClipKind::Button && host_.movieVersion(p) < 6) p = host_.parent(p);
            return p ? Value(clipObject(p)) : Value();
        }
        if (eq(name, "_root")) return Value(clipObject(host_.rootOf(o->clip)));
        if (eq(name, "_global")) return Value(global_);
        int level;
        if (isLevelName(name, level, heap_.caseSensitive())) {
            ClipId l = host_.level(level);
            return l ? Value(clipObject(l)) : Value();
        }
        if (ClipId c = host_.child(o->clip, name, heap_.caseSensitive())) return Value(clipObject(c));
        if (auto v = host_.getNamed(o->clip, name)) return *v;
    } else if (o->kind() == ObjectKind::Array && name == "length" && !o->findOwn(name)) {
        return Value(static_cast<double>(arrayLengthOf(o)));
    } else if (o->kind() == ObjectKind::String && name == "length" && o->primitive.isString() && !o->findOwn(name)) {
        return Value(static_cast<double>(utf16Length(o->primitive.string())));
    }
    Object* p = o;
    for (int d = 0; p && d < kMaxProtoDepth; ++d, p = p->proto()) {
        if (Property* prop = p->findOwn(name)) return prop->getter ? runGetter(*this, p, name, Value(o)) : prop->value;
    }
    // The player gives up the whole script on a prototype chain that never ends.
    if (p) abort("A script looked up a property through a prototype chain that loops and was stopped.");
    // Since SWF 6 an object may answer for the properties it lacks through its __resolve.
    if (swfVersion_ >= 6 && name != "__resolve") {
        Value resolve = getMember(o, "__resolve");
        if (Object* fn = resolve.object(); fn && fn->callable()) {
            Value args[] = {Value(std::string(name))};
            return call(resolve, Value(o), args);
        }
    }
    return Value();
}

void Interpreter::setMember(const Value& object, std::string_view name, const Value& value) {
    if (Object* o = object.object()) setMember(o, name, value);
}

void Interpreter::setMember(Object* o, std::string_view name, const Value& value) {
    if (!o) return;
    if (name == "__proto__") {
        o->setProto(value.object());
        // A primitive __proto__ links nothing but reads back as set.
        if (value.isObject()) o->removeOwn(name);
        else o->setOwn(name, value, kDontEnum).value = value;
        return;
    }
    if (o->kind() == ObjectKind::Clip && !host_.exists(o->clip) && o->primitive.isString()) {
        if (ClipId now = liveClip(o)) setMember(clipObject(now), name, value);
        return;
    }
    if (o->kind() == ObjectKind::Clip && host_.exists(o->clip) && !o->findOwn(name)) {
        int idx = clipPropertyIndex(name);
        if (idx >= 0) {
            setClipProperty(*this, o->clip, idx, value);
            return;
        }
        if (host_.setNamed(o->clip, name, value)) return;
    }
    Value v = value;
    if (!o->watches.empty()) {
        NameEqual eq{heap_.caseSensitive()};
        for (size_t i = 0; i < o->watches.size(); ++i) {
            if (!eq(o->watches[i].name, name)) continue;
            if (o->watches[i].running) break;
            Object::Watch w = o->watches[i];
            // The callback sees an accessor property as its plain value slot: neither the old
            // value nor reads and writes inside the callback call the getter or setter.
            Property* own = o->findOwn(name);
            // The old value is the stored one, also when an accessor on a prototype holds it.
            const Property* held = own;
            Object* q = o->proto();
            for (int d = 0; !held && q && d < kMaxProtoDepth; ++d, q = q->proto()) held = q->findOwn(name);
            Value old = held ? held->value : getMember(o, name);
            bool guard = own && !own->busy;
            if (guard) own->busy = true;
            Value args[] = {Value(std::string(name)), old, v, w.userData};
            o->watches[i].running = true;
            v = call(w.callback, o, args);
            if (Property* q = guard ? o->findOwn(name) : nullptr) q->busy = false;
            // The callback may have unwatched or rewatched: find the entry again.
            for (auto& x : o->watches)
                if (eq(x.name, name)) x.running = false;
            break;
        }
    }
    if (o->kind() == ObjectKind::Array) {
        if (name == "length") {
            double n = toNumber(v);
            if (std::isnan(n)) return;
            o->removeOwn("length");
            setArrayLength(o, toInt32(n));
            return;
        }
        // The player keeps the length as a 32-bit signed number, and so reads element names:
        // "2147483648" is element -2147483648, and the length past 2147483647 wraps around.
        int32_t idx;
        if (arrayIndexWrapped(name, idx) && idx >= arrayLengthOf(o))
            setArrayLength(o, static_cast<int32_t>(static_cast<uint32_t>(idx) + 1u));
    }
    if (Property* p = o->findOwn(name)) {
        if (p->setter || p->getter) {
            runSetter(*this, o, name, Value(o), v);  // a getter alone makes it read-only
            return;
        }
        if (p->flags & kReadOnly) return;
        p->value = v;
        return;
    }
    // An accessor on a prototype handles the assignment for the whole chain.
    Object* proto = o->proto();
    for (int d = 0; proto && d < kMaxProtoDepth; ++d, proto = proto->proto()) {
        if (Property* p = proto->findOwn(name)) {
            if (p->setter || p->getter) {
                runSetter(*this, proto, name, Value(o), v);
                return;
            }
            if (p->getter) return;
            break;
        }
    }
    o->setOwn(name, v);
}

bool Interpreter::hasProperty(Object* o, std::string_view name) {
    if (o && o->kind() == ObjectKind::String && name == "length") return true;
    // A with(4) block or a timeline sees `__proto__` as a variable of its object.
    if (o && o->proto() && name == "__proto__") return true;
    if (o && o->kind() == ObjectKind::Clip && !host_.exists(o->clip) && o->primitive.isString()) {
        ClipId now = liveClip(o);
        return now && hasProperty(clipObject(now), name);
    }
    Object* p = o;
    for (int d = 0; p && d < kMaxProtoDepth; ++d, p = p->proto())
        if (p->findOwn(name)) return true;
    if (o && o->kind() == ObjectKind::Clip && host_.exists(o->clip)) {
        if (clipPropertyIndex(name) >= 0) return true;
        if (host_.child(o->clip, name, heap_.caseSensitive())) return true;
    }
    return false;
}

bool Interpreter::deleteMember(Object* o, std::string_view name) {
    if (!o) return false;
    return o->removeOwn(name);
}

std::vector<std::string> Interpreter::enumerate(Object* o) {
    // The player collects own properties oldest first, then each prototype's, and hands them
    // out last collected first.
    std::vector<std::string> names;
    std::unordered_set<std::string, NameHash, NameEqual> seen(16, NameHash{heap_.caseSensitive()},
                                                              NameEqual{heap_.caseSensitive()});
    Object* p = o;
    // A clip's named children come before its own properties, and so are handed out after them.
    if (o && o->kind() == ObjectKind::Clip && host_.exists(o->clip)) {
        for (ClipId c : host_.children(o->clip)) {
            std::string n = host_.name(c);
            if (!n.empty() && !o->findOwn(n) && seen.insert(n).second) names.push_back(n);
        }
    }
    for (int d = 0; p && d < kMaxProtoDepth; ++d, p = p->proto()) {
        for (const Property& prop : p->rawProperties()) {
            // Properties flagged for other versions are still listed (their values read undefined).
            if (prop.deleted) continue;
            if (!seen.insert(prop.name).second) continue;
            if (prop.flags & kDontEnum) continue;
            names.push_back(prop.name);
        }
    }
    std::reverse(names.begin(), names.end());
    return names;
}

// ---------------------------------------------------------------- calls

Value Interpreter::callNative(Object* fn, const Value& self, std::span<const Value> args) {
    // Natives that call back into conversions (toString calling toString...) count as calls too.
    if (nativeDepth_ + static_cast<int>(frames_.size()) >= limits_.maxCallDepth) {
        abort("256 levels of recursion were exceeded in one action list.");
        return Value();
    }
    ++nativeDepth_;
    Value result = fn->native(*this, self, args);
    --nativeDepth_;
    return result;
}

Value Interpreter::call(const Value& fnValue, const Value& self, std::span<const Value> args) {
    Object* fn = fnValue.object();
    if (!fn || !fn->callable() || aborted_) return Value();
    if (fn->native) return callNative(fn, self, args);
    Object* home = nullptr;
    if (Object* s = self.object()) home = s->proto();
    return callScript(fn, self, args, home);
}

Value Interpreter::callMethodOf(const Value& given, std::string_view name, std::span<const Value> args) {
    // A removed clip's object calls on the clip now at its path.
    Value object = given;
    if (Object* o = given.object(); o && o->kind() == ObjectKind::Clip && !host_.exists(o->clip) && o->primitive.isString())
        if (ClipId now = liveClip(o)) object = Value(clipObject(now));
    Value fn = getMember(object, name);
    if (!fn.object() || !fn.object()->callable()) return Value();
    if (aborted_) return Value();
    if (fn.object()->native) return callNative(fn.object(), object, args);
    // `super` inside the method starts above the object that holds it.
    Object* home = nullptr;
    if (Object* o = object.object()) {
        Object* p = o;
        for (int d = 0; p && d < kMaxProtoDepth; ++d, p = p->proto())
            if (p->findOwn(name)) break;
        home = p;
    }
    return callScript(fn.object(), object, args, home);
}

Value Interpreter::callWithHome(Object* fn, const Value& self, std::span<const Value> args, Object* home) {
    if (!fn || !fn->callable() || aborted_) return Value();
    if (fn->native) return callNative(fn, self, args);
    return callScript(fn, self, args, home);
}

Value Interpreter::construct(const Value& ctorValue, std::span<const Value> args) {
    Object* ctor = ctorValue.object();
    if (!ctor || !ctor->callable() || aborted_) return Value();
    if (ctor->nativeConstruct) return ctor->nativeConstruct(*this, Value(), args);
    Value protoValue = getMember(ctor, "prototype");
    Object* obj = newObject(protoValue.object() ? protoValue.object() : objectPrototype);
    obj->define("__constructor__", ctor, kDontEnum);
    if (swfVersion_ < 7) obj->define("constructor", ctor, kDontEnum);
    if (ctor->native) ctor->native(*this, obj, args);
    else callScript(ctor, obj, args, obj->proto(), true);
    return obj;
}

namespace {
// Whether the chain from `p` reaches `target`, directly or through implemented interfaces
// (which may extend other interfaces).
bool reaches(Interpreter& in, Object* p, Object* ctor, Object* target, int depth) {
    if (depth > 8) return false;
    for (int d = 0; p && d < kMaxProtoDepth; ++d, p = p->proto()) {
        if (p == target) return true;
        for (Object* iface : p->interfaces) {
            if (iface == ctor) return true;
            if (reaches(in, in.getMember(iface, "prototype").object(), ctor, target, depth + 1)) return true;
        }
    }
    return false;
}
}  // namespace

bool Interpreter::instanceOf(const Value& v, Object* ctor) {
    Object* o = v.object();
    if (!o || !ctor) return false;
    Object* target = getMember(ctor, "prototype").object();
    if (!target) return false;
    return reaches(*this, o->proto(), ctor, target, 0);
}

Value Interpreter::callScript(Object* fn, const Value& self, std::span<const Value> args, Object* home,
                              bool constructing) {
    const ScriptFunction& sf = *fn->script;
    if (static_cast<int>(frames_.size()) + nativeDepth_ >= limits_.maxCallDepth) {
        abort("256 levels of recursion were exceeded in one action list.");
        return Value();
    }
    Frame f;
    f.code = sf.code;
    f.pc = sf.start;
    f.end = sf.end;
    // Functions are an SWF 5 feature: their bodies follow SWF 5 rules even in SWF 4 movies.
    f.version = std::max(sf.swfVersion, 5);
    f.scope = sf.scope;
    f.activation = heap_.make(ObjectKind::Plain, nullptr);
    f.scope.push_back(f.activation);
    f.self = self;
    f.callee = fn;
    f.home = home;
    f.constructing = constructing;
    f.constants = sf.constants;
    ClipId definer = sf.target && sf.target->kind() == ObjectKind::Clip ? sf.target->clip : kNoClip;
    if (definer != kNoClip && !host_.exists(definer)) {
        // The defining clip is gone: a clip now at its path stands in for it, else act on
        // `this` when it is a clip.
        definer = liveClip(sf.target);
        Object* s = self.object();
        if (!definer) definer = s && s->kind() == ObjectKind::Clip ? s->clip : currentTarget();
    }
    f.target = f.originalTarget = definer != kNoClip ? definer : currentTarget();
    if (sf.swfVersion < 6) {
        // SWF 5 functions keep no closure: they see the timeline they act on, which is `this`
        // when a clip calls them as its method.
        Object* s = self.object();
        if (s && s->kind() == ObjectKind::Clip && host_.exists(s->clip)) f.target = f.originalTarget = s->clip;
        f.scope.clear();
        if (Object* t = clipObject(f.target)) f.scope.push_back(t);
        f.scope.push_back(f.activation);
    }
    Object* argsObj = newArray(args);
    argsObj->define("callee", fn, kDontEnum);
    argsObj->define("caller", frames_.empty() || !frames_.back()->callee ? Value::null() : Value(frames_.back()->callee),
                    kDontEnum);
    f.arguments = argsObj;
    Object* superObj = nullptr;
    auto makeSuper = [&]() {
        if (!superObj) {
            superObj = heap_.make(ObjectKind::Super, home->proto());
            superObj->primitive = self;
            superObj->home = home;
        }
        return superObj;
    };
    if (!sf.isFunction2) {
        f.registers.resize(4);
        f.activation->setOwn("arguments", argsObj);
        for (size_t i = 0; i < sf.params.size(); ++i) f.activation->setOwn(sf.params[i], i < args.size() ? args[i] : Value());
    } else {
        f.registers.resize(std::max<size_t>(sf.registerCount, 1));
        size_t reg = 1;
        auto preload = [&](Value v) {
            if (reg < f.registers.size()) f.registers[reg] = std::move(v);
            ++reg;
        };
        uint16_t fl = sf.flags;
        f.selfInRegister = (fl & 0x03) != 0;
        if (fl & 0x01) preload(self);
        if (fl & 0x04) preload(Value(argsObj));
        else if (!(fl & 0x08)) f.activation->setOwn("arguments", argsObj);
        // Suppressing super wins over preloading it; either way no variable names it.
        if ((fl & 0x30) == 0x10) preload(home ? Value(makeSuper()) : Value());
        else if (fl & 0x10) preload(Value());
        if (fl & 0x30) f.home = nullptr;
        ClipId root = f.target ? host_.rootOf(f.target) : kNoClip;
        if (fl & 0x40) preload(root ? Value(clipObject(root)) : Value());
        if (fl & 0x80) {
            // A clip without a parent takes no register: the next preload moves up.
            ClipId parent = f.target ? host_.parent(f.target) : kNoClip;
            if (parent) preload(Value(clipObject(parent)));
        }
        if (fl & 0x100) preload(Value(global_));
        for (size_t i = 0; i < sf.params.size(); ++i) {
            Value a = i < args.size() ? args[i] : Value();
            uint8_t r = i < sf.paramRegisters.size() ? sf.paramRegisters[i] : 0;
            if (r != 0 && r < f.registers.size()) f.registers[r] = a;
            else f.activation->setOwn(sf.params[i], a);
        }
    }
    f.stackBase = stack.size();
    Value result = runFrame(f);
    if (stack.size() > f.stackBase) stack.resize(f.stackBase);
    return result;
}

}  // namespace kelmora::player::avm1
