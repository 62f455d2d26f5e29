#include "player/avm1/Interpreter.h"

#include <algorithm>

#include <cmath>
#include <limits>

#include "player/avm1/Builtins.h"
#include "player/avm1/ClipProperties.h"
#include "player/avm1/Frame.h"
#include "player/avm1/OutsideWorld.h"
#include "player/avm1/StyleSheet.h"
#include "player/avm1/TextClasses.h"
#include "player/avm1/Utf16.h"
#include "player/avm1/XmlNode.h"
#include "util/TextNumber.h"

namespace kelmora::player::avm1 {

Interpreter::Interpreter(Host& host, int swfVersion, Limits limits)
    : host_(host), swfVersion_(swfVersion), limits_(limits), heap_(swfVersion >= 7, limits.maxObjects) {
    heap_.setSwfVersion(swfVersion);
    objectPrototype = heap_.make(ObjectKind::Plain, nullptr);
    functionPrototype = heap_.make(ObjectKind::Plain, objectPrototype);
    global_ = heap_.make(ObjectKind::Plain, nullptr);  // _global has no prototype
    globalRegisters_.resize(4);
    textBytesLeft_ = limits_.maxTextBytesPerEntry;
    actionsLeft_ = limits_.maxActionsPerEntry;
    installObjectClass(*this);
    installArrayClass(*this);
    installStringClass(*this);
    installNumberBooleanClasses(*this);
    installMathClass(*this);
    installDateClass(*this);
    installGlobalFunctions(*this);
    installMovieClipClass(*this);
    installStageClasses(*this);
    installColorClass(*this);
    installTextFormatClass(*this);
    installTextFieldMethods(*this);
    installStyleSheetClass(*this);
    installSelection(*this);
    installTextSnapshot(*this);
    installSoundClass(*this);
    installMovieClipLoaderClass(*this);
    installLoadVarsClass(*this);
    installXmlNodeClass(*this);
    installXmlClass(*this);
    installGeomClasses(*this);
    installBitmapDataClass(*this);
    installFilterClasses(*this);
    installExternalInterfaceClass(*this);
    installOutsideWorldClasses(*this);
}

Interpreter::~Interpreter() = default;

// ---------------------------------------------------------------- entries

void Interpreter::beginEntry() {
    if (entryDepth_++ == 0) {
        actionsLeft_ = limits_.maxActionsPerEntry;
        textBytesLeft_ = limits_.maxTextBytesPerEntry;
        aborted_ = false;
        thrown_.reset();
        // Leftovers live for the rest of the frame only.
        if (!stack.empty() && host_.timeMs() != leftoverTime_) stack.clear();
    }
}

void Interpreter::endEntry() {
    if (entryDepth_ == 1 && thrown_ && !aborted_) {
        // The player logs an exception that no script caught.
        Value v = *thrown_;
        thrown_.reset();
        std::string text = toString(v);
        thrown_.reset();
        host_.trace("Warning: Uncaught exception, " + text);
    }
    if (--entryDepth_ == 0) {
        nativeDepth_ = 0;
        thrown_.reset();
        // What frame scripts leave on the stack stays for the next ones (the player has one
        // stack); a stopped script leaves nothing, and the leftovers are bounded.
        constexpr size_t kMaxLeftover = 4096;
        if (aborted_ || stack.size() > kMaxLeftover) stack.clear();
        if (!stack.empty()) leftoverTime_ = host_.timeMs();
        aborted_ = false;
    }
}

void Interpreter::runScript(ClipId target, std::span<const uint8_t> code, int swfVersion) {
    runScript(target, std::make_shared<const std::vector<uint8_t>>(code.begin(), code.end()), swfVersion);
}

void Interpreter::runScript(ClipId target, Code code, int swfVersion) {
    if (!code || (target != kNoClip && !host_.exists(target))) return;
    beginEntry();
    if (!aborted_) {
        Frame f;
        f.code = std::move(code);
        f.end = f.code->size();
        f.version = swfVersion;
        Object* clip = target != kNoClip ? clipObject(target) : global_;
        f.scope.push_back(clip);
        f.self = clip;
        f.target = f.originalTarget = target;
        f.registers.resize(4);
        f.constants = lastConstants_;
        // A frame script may take what earlier ones left; scripts run from inside others may not.
        f.stackBase = entryDepth_ > 1 ? stack.size() : 0;
        runFrame(f);
        if (entryDepth_ > 1) stack.resize(f.stackBase);
        if (entryDepth_ > 1) thrown_.reset();  // an uncaught exception ends only this script
    }
    endEntry();
}

void Interpreter::runCalledFrame(ClipId target, Code code, int swfVersion) {
    if (!code || !host_.exists(target) || aborted_) return;
    if (static_cast<int>(frames_.size()) + nativeDepth_ >= limits_.maxCallDepth) {
        abort("256 levels of recursion were exceeded in one action list.");
        return;
    }
    Frame f;
    f.code = std::move(code);
    f.end = f.code->size();
    f.version = swfVersion;
    Object* clip = clipObject(target);
    f.scope.push_back(clip);
    f.self = clip;
    f.target = f.originalTarget = target;
    f.registers.resize(4);
    f.constants = lastConstants_;
    // What the called script leaves on the stack stays for the caller.
    f.stackBase = stack.size();
    runFrame(f);
}

bool Interpreter::callMethod(ClipId clip, std::string_view method, std::span<const Value> args) {
    if (!host_.exists(clip)) return false;
    Object* obj = clipObject(clip);
    beginEntry();
    bool called = false;
    if (!aborted_) {
        Value fn = getMember(obj, method);
        if (fn.object() && fn.object()->callable()) {
            call(fn, obj, args);
            called = true;
        }
    }
    endEntry();
    return called;
}

void Interpreter::loadEvent(uint64_t request, std::string_view event, ClipId clip, std::span<const Value> extra,
                            bool last) {
    auto it = loadListeners.find(request);
    if (it == loadListeners.end()) return;
    Value loader = it->second;
    if (last) loadListeners.erase(it);
    beginEntry();
    if (!aborted_) {
        std::vector<Value> args{Value(std::string(event))};
        args.push_back(host_.exists(clip) ? Value(clipObject(clip)) : Value());
        args.insert(args.end(), extra.begin(), extra.end());
        callMethodOf(loader, "broadcastMessage", args);
    }
    endEntry();
}

void Interpreter::clipConstructed(ClipId clip, const Value& init) {
    std::string name = host_.exportName(clip);
    Object* ctor = nullptr;
    if (!name.empty()) {
        const int clipVersion = host_.movieVersion(clip);
        const bool caseSensitive = (clipVersion >= 0 ? clipVersion : swfVersion_) >= 7;
        auto it = registeredClasses.find(caseSensitive ? name : kelmora::toLower(name));
        if (it != registeredClasses.end()) {
            ctor = it->second;
        } else {
            // A class registered under another export name of the same symbol (names compare
            // without case in old movies).
            for (const auto& [n, c] : registeredClasses)
                if ((caseSensitive || n == kelmora::toLower(n)) && host_.exportedAs(clip, n, caseSensitive)) {
                    ctor = c;
                    break;
                }
        }
    }
    Object* props = init.object();
    if (!ctor && !props) return;
    Object* obj = clipObject(clip);
    if (ctor) {
        Value proto = getMember(ctor, "prototype");
        if (proto.object()) obj->setProto(proto.object());
    }
    beginEntry();
    // The init object's properties are set before the constructor runs, through the class's
    // setters.
    if (props && !aborted_)
        for (const auto& n : enumerate(props)) setMember(obj, n, getMember(props, n));
    if (ctor && !aborted_) {
        obj->define("__constructor__", ctor, kDontEnum);
        if (swfVersion_ < 7) obj->define("constructor", ctor, kDontEnum);
        call(ctor, obj, {});
    }
    endEntry();
}

void Interpreter::runTimers() {
    double now = host_.timeMs();
    // Callbacks may add or clear timers: work on ids.
    std::vector<int> due;
    for (auto& t : timers)
        if (t.due <= now) due.push_back(t.id);
    for (int id : due) {
        auto it = std::find_if(timers.begin(), timers.end(), [id](const Timer& t) { return t.id == id; });
        if (it == timers.end()) continue;
        Timer t = *it;
        if (t.repeat) {
            it->due = std::max(now, it->due + std::max(t.interval, 1.0));
        } else {
            timers.erase(it);
        }
        beginEntry();
        if (!aborted_) {
            if (t.name.empty()) call(t.fn, Value(), t.args);
            else callMethodOf(t.fn, t.name, t.args);
        }
        endEntry();
    }
}

void Interpreter::runOutsideEvents() {
    // Handlers that answer with another request wait for the next call past this bound.
    constexpr size_t kMaxPerCall = 1000;
    for (size_t n = 0; n < kMaxPerCall; ++n) {
        const double now = host_.timeMs();
        auto due = std::find_if(outsideEvents.begin(), outsideEvents.end(),
                                [now](const OutsideEvent& e) { return e.dueMs <= now; });
        if (due == outsideEvents.end()) break;
        OutsideEvent e = std::move(*due);
        outsideEvents.erase(due);
        beginEntry();
        if (!aborted_) {
            if (e.broadcast) {
                std::vector<Value> args{Value(e.name)};
                args.insert(args.end(), e.args.begin(), e.args.end());
                callMethodOf(e.target, "broadcastMessage", args);
            } else {
                callMethodOf(e.target, e.name, e.args);
            }
        }
        endEntry();
    }
}

void Interpreter::markRoots(const std::function<void(Object*)>& mark) {
    mark(global_);
    for (Object* p : {objectPrototype, functionPrototype, arrayPrototype, stringPrototype, numberPrototype,
                      booleanPrototype, datePrototype, errorPrototype, movieClipPrototype, buttonPrototype,
                      textFieldPrototype})
        mark(p);
    for (auto& [n, p] : classPrototypes) mark(p);
    for (auto& [id, o] : clipObjects_) mark(o);
    for (auto& [n, c] : registeredClasses) mark(c);
    for (auto& [n, l] : loadListeners) Heap::markValue(l, mark);
    for (auto& [n, l] : textListeners) Heap::markValue(l, mark);
    for (auto& e : outsideEvents) {
        Heap::markValue(e.target, mark);
        for (auto& a : e.args) Heap::markValue(a, mark);
    }
    for (auto& t : timers) {
        Heap::markValue(t.fn, mark);
        for (auto& a : t.args) Heap::markValue(a, mark);
    }
    for (auto& v : stack) Heap::markValue(v, mark);
    for (auto& v : globalRegisters_) Heap::markValue(v, mark);
    if (thrown_) Heap::markValue(*thrown_, mark);
    for (Frame* f : frames_) {
        for (Object* o : f->scope) mark(o);
        for (Object* o : f->savedScope) mark(o);
        mark(f->activation);
        mark(f->callee);
        mark(f->home);
        Heap::markValue(f->self, mark);
        Heap::markValue(f->arguments, mark);
        Heap::markValue(f->returnValue, mark);
        for (auto& r : f->registers) Heap::markValue(r, mark);
        for (auto& b : f->blocks) {
            if (b.pendingThrow) Heap::markValue(*b.pendingThrow, mark);
            Heap::markValue(b.returnValue, mark);
        }
    }
}

void Interpreter::collectGarbage() {
    if (entryDepth_ != 0) return;
    // Objects of removed clips are kept only while scripts still reference them.
    for (auto it = clipObjects_.begin(); it != clipObjects_.end();) {
        if (!host_.exists(it->first)) it = clipObjects_.erase(it);
        else ++it;
    }
    heap_.collect([this](const std::function<void(Object*)>& mark) { markRoots(mark); });
}

// ---------------------------------------------------------------- objects

Object* Interpreter::newObject(Object* proto) { return heap_.make(ObjectKind::Plain, proto ? proto : objectPrototype); }

Object* Interpreter::newArray(std::span<const Value> items) {
    Object* a = heap_.make(ObjectKind::Array, arrayPrototype);
    for (size_t i = 0; i < items.size(); ++i) a->setOwn(std::to_string(i), items[i]);
    a->arrayLength = static_cast<uint32_t>(items.size());
    return a;
}

Object* Interpreter::newFunction(NativeFunction fn, Object* prototypeObject) {
    Object* f = heap_.make(ObjectKind::Function, functionPrototype);
    f->native = fn;
    if (prototypeObject) {
        f->define("prototype", prototypeObject, kDontEnum | kDontDelete);
        prototypeObject->define("constructor", f, kDontEnum);
    }
    return f;
}

Object* Interpreter::method(Object* on, std::string_view name, NativeFunction fn) {
    Object* f = newFunction(fn);
    on->define(name, f, kDontEnum);
    return f;
}

Object* Interpreter::makeClass(Object* on, std::string_view name, NativeFunction ctor, Object* prototype) {
    Object* f = newFunction(ctor, prototype);
    if (on) on->define(name, f, kDontEnum);
    return f;
}

Object* Interpreter::clipObject(ClipId clip) {
    if (clip == kNoClip) return nullptr;
    auto it = clipObjects_.find(clip);
    if (it != clipObjects_.end()) return it->second;
    Object* proto = movieClipPrototype;
    switch (host_.kind(clip)) {
    case ClipKind::Button: proto = buttonPrototype; break;
    case ClipKind::TextField: proto = textFieldPrototype; break;
    case ClipKind::MovieClip: break;
    }
    Object* o = heap_.make(ObjectKind::Clip, proto);
    o->clip = clip;
    // The path the object keeps for when its clip is gone is the one the clip had when the
    // object was made: a later rename does not change it.
    if (host_.exists(clip)) o->primitive = Value(targetPath(clip, false));
    clipObjects_.emplace(clip, o);
    return o;
}

void Interpreter::clipRemoved(ClipId clip) {
    auto it = clipObjects_.find(clip);
    // Clip objects have no primitive value of their own: it holds the path.
    if (it != clipObjects_.end() && !it->second->primitive.isString()) it->second->primitive = Value(targetPath(clip, false));
}

ClipId Interpreter::liveClip(const Object* o) {
    if (!o || o->kind() != ObjectKind::Clip) return kNoClip;
    if (host_.exists(o->clip)) return o->clip;
    if (!o->primitive.isString()) return kNoClip;
    ClipId c = resolveTarget(kNoClip, o->primitive.string());
    return c != o->clip && host_.exists(c) ? c : kNoClip;
}

ClipId Interpreter::currentTarget() const { return frames_.empty() ? kNoClip : frames_.back()->target; }

// ---------------------------------------------------------------- conversions

double Interpreter::toNumber(const Value& v) {
    switch (v.type()) {
    case ValueType::Undefined:
    case ValueType::Null: return swfVersion_ >= 7 ? std::numeric_limits<double>::quiet_NaN() : 0.0;
    case ValueType::Boolean: return v.boolean() ? 1 : 0;
    case ValueType::Number: return v.number();
    case ValueType::String: return stringToNumber(v.string(), swfVersion_);
    case ValueType::Object: {
        Value p = toPrimitive(v);
        if (p.isObject()) return std::numeric_limits<double>::quiet_NaN();
        if (p.isNullish()) return std::numeric_limits<double>::quiet_NaN();
        return toNumber(p);
    }
    }
    return 0;
}

std::string Interpreter::toString(const Value& v) {
    switch (v.type()) {
    case ValueType::Undefined: return swfVersion_ >= 7 ? "undefined" : "";
    case ValueType::Null: return "null";
    case ValueType::Boolean:
        if (!frames_.empty() && frames_.back()->version < 5) return v.boolean() ? "1" : "0";
        return v.boolean() ? "true" : "false";
    case ValueType::Number: return numberToString(v.number());
    case ValueType::String: return v.string();
    case ValueType::Object: {
        Object* o = v.object();
        if (o->kind() == ObjectKind::Clip && !host_.exists(o->clip) && o->primitive.isString()) {
            ClipId now = liveClip(o);
            return now ? toString(Value(clipObject(now))) : std::string();
        }
        if (o->kind() == ObjectKind::Clip && host_.exists(o->clip)) {
            Value s = getMember(o, "toString");
            // Clips print as their path unless a script replaced toString.
            if (!s.object() || s.object()->native) return targetPath(o->clip, false);
        }
        Value fn = getMember(v, "toString");
        Value r = fn.object() && fn.object()->callable() ? callMethodOf(v, "toString", {}) : Value(o);
        // A toString that gives no text leaves the player's type name.
        if (!r.isString() || unwinding()) return o->callable() ? "[type Function]" : "[type Object]";
        return r.string();
    }
    }
    return {};
}

bool Interpreter::toBoolean(const Value& v) const {
    switch (v.type()) {
    case ValueType::Undefined:
    case ValueType::Null: return false;
    case ValueType::Boolean: return v.boolean();
    case ValueType::Number: return v.number() != 0 && !std::isnan(v.number());
    case ValueType::String: {
        if (swfVersion_ >= 7) return !v.string().empty();
        double n = stringToNumber(v.string(), swfVersion_);
        return n != 0 && !std::isnan(n);
    }
    case ValueType::Object: return true;
    }
    return false;
}

// valueOf's result, which may still be an object (the default valueOf returns `this`).
Value Interpreter::toPrimitive(const Value& v) {
    if (!v.isObject()) return v;
    if (deadClip(v.object())) return Value(std::string());  // a removed clip's object reads as empty text
    return callMethodOf(v, "valueOf", {});
}

Object* Interpreter::toObject(const Value& v) {
    switch (v.type()) {
    case ValueType::Object: return v.object();
    case ValueType::String: {
        Object* o = heap_.make(ObjectKind::String, stringPrototype);
        o->primitive = v;
        // A String object's length is its own writable property.
        o->define("length", Value(static_cast<double>(utf16Length(v.string()))), kDontEnum | kDontDelete);
        return o;
    }
    case ValueType::Number: {
        Object* o = heap_.make(ObjectKind::Number, numberPrototype);
        o->primitive = v;
        return o;
    }
    case ValueType::Boolean: {
        Object* o = heap_.make(ObjectKind::Boolean, booleanPrototype);
        o->primitive = v;
        return o;
    }
    default: return nullptr;
    }
}

std::string Interpreter::typeOf(const Value& v) {
    if (Object* o = v.object()) {
        if (o->kind() == ObjectKind::Clip) {
            // Text fields and buttons are plain objects to typeof; SWF 5 calls its text fields clips.
            if (host_.exists(o->clip) && host_.kind(o->clip) != ClipKind::MovieClip &&
                !(swfVersion_ < 6 && host_.kind(o->clip) == ClipKind::TextField))
                return "object";
            return "movieclip";
        }
        if (o->callable()) return "function";
        return "object";
    }
    return typeName(v.type());
}

// ---------------------------------------------------------------- comparisons

bool Interpreter::strictEquals(const Value& a, const Value& b) const {
    if (a.type() != b.type()) return false;
    switch (a.type()) {
    case ValueType::Undefined:
    case ValueType::Null: return true;
    case ValueType::Boolean: return a.boolean() == b.boolean();
    // The player's StrictEquals, like its Equals2, finds NaN equal to NaN.
    case ValueType::Number: return a.number() == b.number() || (std::isnan(a.number()) && std::isnan(b.number()));
    case ValueType::String: return a.string() == b.string();
    case ValueType::Object: return a.object() == b.object();
    }
    return false;
}

bool Interpreter::equals(const Value& a, const Value& b) {
    // The player's Equals2 finds NaN equal to NaN.
    if (a.isNumber() && b.isNumber() && std::isnan(a.number()) && std::isnan(b.number())) return true;
    if (a.isObject() && b.isObject() && swfVersion_ > 5 &&
        (a.object()->kind() == ObjectKind::Clip) != (b.object()->kind() == ObjectKind::Clip)) {
        // A movie clip is a type of its own: an object compared with one stands for its primitive
        // (a valueOf may give the very clip).
        const Value& clip = a.object()->kind() == ObjectKind::Clip ? a : b;
        Value p = toPrimitive(a.object()->kind() == ObjectKind::Clip ? b : a);
        if (p.isObject()) return p.object() == clip.object();
        return equals(p, clip);
    }
    if (a.type() == b.type() && !(a.isObject() && swfVersion_ <= 5)) return strictEquals(a, b);
    if (a.isObject() && b.isObject()) {
        // SWF 5 compares two objects by their primitives (two wrapped 1s are equal).
        if (a.object() == b.object()) return true;
        Value pa = toPrimitive(a), pb = toPrimitive(b);
        if (pa.isObject() || pb.isObject()) return pa.isObject() && pb.isObject() && pa.object() == pb.object();
        return equals(pa, pb);
    }
    if (a.isNullish() && b.isNullish()) return true;
    // An object without valueOf/toString (like _global) has no primitive and equals undefined.
    if (a.isObject() && b.isNullish()) return toPrimitive(a).isNullish();
    if (b.isObject() && a.isNullish()) return toPrimitive(b).isNullish();
    if (a.isNullish() || b.isNullish()) return false;
    if (a.isBoolean()) return equals(Value(a.boolean() ? 1.0 : 0.0), b);
    if (b.isBoolean()) return equals(a, Value(b.boolean() ? 1.0 : 0.0));
    if (a.isNumber() && b.isString()) return a.number() == stringToNumber(b.string(), swfVersion_);
    if (a.isString() && b.isNumber()) return stringToNumber(a.string(), swfVersion_) == b.number();
    // An object whose valueOf gives no primitive equals no primitive (toString is not tried).
    if (a.isObject() && !b.isObject()) {
        Value p = toPrimitive(a);
        return !p.isObject() && equals(p, b);
    }
    if (b.isObject() && !a.isObject()) {
        Value p = toPrimitive(b);
        return !p.isObject() && equals(a, p);
    }
    return false;
}

Value Interpreter::lessThan(const Value& a, const Value& b) {
    // An object whose valueOf gives no primitive compares false at once, before the other side
    // is converted; a clip compares as NaN.
    auto primitive = [&](const Value& v, Value& out) {
        out = toPrimitive(v);
        if (!out.isObject()) return true;
        if (out.object()->kind() != ObjectKind::Clip) return false;
        out = Value(std::numeric_limits<double>::quiet_NaN());
        return true;
    };
    Value pa, pb;
    if (!primitive(a, pa) || !primitive(b, pb)) return Value(false);
    if (pa.isString() && pb.isString()) {
        // Texts order by code point: surrogate pairs written as two 3-byte sequences are joined
        // first (0xED leads every such sequence).
        const std::string &x = pa.string(), &y = pb.string();
        if (x.find('\xED') == std::string::npos && y.find('\xED') == std::string::npos) return Value(x < y);
        return Value(fromUtf16(toUtf16(x)) < fromUtf16(toUtf16(y)));
    }
    double x = toNumber(pa), y = toNumber(pb);
    if (std::isnan(x) || std::isnan(y)) return Value();
    return Value(x < y);
}

namespace {
// The operand of + as a primitive: valueOf's result, which may still be an object. Dates of
// SWF 6 and later go by toString.
Value addOperand(Interpreter& in, const Value& v) {
    if (!v.isObject()) return v;
    if (v.object()->kind() == ObjectKind::Date && in.swfVersion() >= 6) {
        Value fn = in.getMember(v, "toString");
        if (!fn.object() || !fn.object()->callable()) return Value("undefined");
        Value r = in.call(fn, v, {});
        return r.isObject() ? Value(in.toString(v)) : r;
    }
    return in.toPrimitive(v);
}
}  // namespace

Value Interpreter::add(const Value& a, const Value& b) {
    Value pa = addOperand(*this, a);
    Value pb = addOperand(*this, b);
    if (pa.isString() || pb.isString()) {
        // Text wins; an object left by valueOf is then written by its own toString.
        std::string s = pa.isObject() ? toString(a) : toString(pa);
        std::string t = pb.isObject() ? toString(b) : toString(pb);
        if (!chargeText(s.size() + t.size())) return Value();
        return Value(s + t);
    }
    if (pa.isObject() || pb.isObject()) return Value(std::numeric_limits<double>::quiet_NaN());
    return Value(toNumber(pa) + toNumber(pb));
}

// ---------------------------------------------------------------- errors and output

void Interpreter::throwValue(const Value& v) {
    if (!aborted_) thrown_ = v;
}

void Interpreter::abort(std::string_view reason) {
    if (aborted_) return;
    aborted_ = true;
    host_.reportError(reason);
}

bool Interpreter::chargeText(size_t bytes) {
    if (bytes > limits_.maxStringLength || bytes > textBytesLeft_) {
        abort("A script built more text than the limit allows and was stopped.");
        return false;
    }
    textBytesLeft_ -= bytes;
    return true;
}

void Interpreter::trace(const Value& v) {
    if (v.isUndefined()) return host_.trace("undefined");
    // The player's log ends a line at a carriage return too.
    std::string text = toString(v);
    std::replace(text.begin(), text.end(), '\r', '\n');
    host_.trace(text);
}

}  // namespace kelmora::player::avm1
