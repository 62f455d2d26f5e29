// Small classes of the player's surroundings: Stage, Key, Mouse, System, Error, AsBroadcaster.
#include "player/avm1/Builtins.h"

namespace kelmora::player::avm1 {

namespace {

Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }
Value returnFalse(Interpreter&, const Value&, std::span<const Value>) { return Value(false); }
Value returnZero(Interpreter&, const Value&, std::span<const Value>) { return Value(0.0); }
Value stageWidth(Interpreter& in, const Value&, std::span<const Value>) { return Value(in.host().stageWidth()); }
Value stageHeight(Interpreter& in, const Value&, std::span<const Value>) { return Value(in.host().stageHeight()); }

// AsBroadcaster: listeners kept in the object's _listeners array. Listeners compare loosely
// (null and undefined are the same listener), and adding one moves it to the end.
bool dropListener(Interpreter& in, Object* list, const Value& l) {
    double n = in.toNumber(in.getMember(list, "length"));
    for (int i = 0; i < n && i < 100000; ++i) {
        if (in.equals(in.getMember(list, std::to_string(i)), l)) {
            Value sp[] = {Value(static_cast<double>(i)), Value(1.0)};
            in.callMethodOf(list, "splice", sp);
            return true;
        }
    }
    return false;
}

// Adding goes through the object's own removeListener and the list's push, whatever they are.
Value addListener(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value l[] = {arg(args, 0)};
    in.callMethodOf(self, "removeListener", l);
    Object* list = in.getMember(self, "_listeners").object();
    if (list) in.callMethodOf(list, "push", l);
    return Value(true);
}

Value removeListener(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* list = in.getMember(self, "_listeners").object();
    if (!list) return Value(false);
    return Value(dropListener(in, list, arg(args, 0)));
}

Value broadcastMessage(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* list = in.getMember(self, "_listeners").object();
    if (!list || args.empty()) return Value();
    std::string name = in.toString(args[0]);
    std::vector<Value> items;
    double n = in.toNumber(in.getMember(list, "length"));
    for (int i = 0; i < n && i < 100000; ++i) items.push_back(in.getMember(list, std::to_string(i)));
    // An empty message name calls each listener itself.
    for (auto& l : items) {
        if (name.empty()) in.call(l, Value(), args.subspan(1));
        else in.callMethodOf(l, name, args.subspan(1));
    }
    return items.empty() ? Value() : Value(true);
}

Value initialize(Interpreter& in, const Value&, std::span<const Value> args) {
    Object* o = arg(args, 0).object();
    // The object of a removed clip stands for the clip now at its path, if any.
    if (o && o->kind() == ObjectKind::Clip && !in.host().exists(o->clip)) {
        ClipId now = in.liveClip(o);
        o = now ? in.clipObject(now) : nullptr;
    }
    if (!o) return Value();
    Object* b = in.getMember(Value(in.global()), "AsBroadcaster").object();
    // SWF 5 scripts don't see AsBroadcaster's methods, but the built-in broadcasters have them.
    for (const char* m : {"broadcastMessage", "addListener", "removeListener"}) {
        Value method;
        if (b)
            for (const Property& p : b->rawProperties())
                if (!p.deleted && p.name == m) method = p.value;
        o->define(m, method, kDontEnum);
    }
    o->define("_listeners", Value(in.newArray()), kDontEnum);
    return Value();
}

Object* broadcaster(Interpreter& in, Object* on, const char* name) {
    Object* o = in.newObject();
    in.global()->define(name, o, kDontEnum);
    (void)on;
    Value args[] = {Value(o)};
    initialize(in, Value(), args);
    return o;
}

// Stage.displayState: "normal" or "fullScreen", named in any case; each change tells the
// listeners through onFullScreen. Stage.align keeps the edges its text names.
struct DisplayState : NativeState {
    bool fullScreen = false;
    std::string align;
};

DisplayState* displayStateOf(const Value& self) {
    Object* o = self.object();
    return o ? dynamic_cast<DisplayState*>(o->state.get()) : nullptr;
}

Value getDisplayState(Interpreter&, const Value& self, std::span<const Value>) {
    DisplayState* s = displayStateOf(self);
    return Value(s && s->fullScreen ? "fullScreen" : "normal");
}

Value setDisplayState(Interpreter& in, const Value& self, std::span<const Value> args) {
    DisplayState* s = displayStateOf(self);
    if (!s || args.empty()) return Value();
    const std::string name = in.toString(args[0]);
    NameEqual eq{false};
    bool full = false;
    if (eq(name, "fullScreen")) full = true;
    else if (!eq(name, "normal")) return Value();
    if (full == s->fullScreen) return Value();
    s->fullScreen = full;
    Value message[] = {Value("onFullScreen"), Value(full)};
    in.callMethodOf(self, "broadcastMessage", message);
    return Value();
}

Value getAlign(Interpreter&, const Value& self, std::span<const Value>) {
    DisplayState* s = displayStateOf(self);
    return Value(s ? s->align : std::string());
}

// Any of the letters L, T, R and B, in either case and among any others, in that order.
Value setAlign(Interpreter& in, const Value& self, std::span<const Value> args) {
    DisplayState* s = displayStateOf(self);
    if (!s || args.empty()) return Value();
    const std::string text = in.toString(args[0]);
    s->align.clear();
    for (char edge : {'L', 'T', 'R', 'B'})
        if (text.find(edge) != std::string::npos || text.find(static_cast<char>(edge - 'A' + 'a')) != std::string::npos)
            s->align += edge;
    return Value();
}

Value errorCtor(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (!args.empty() && !args[0].isUndefined()) in.setMember(self, "message", args[0]);
    return Value();
}

Value errorToString(Interpreter& in, const Value& self, std::span<const Value>) {
    return in.getMember(self, "message");  // the message as it is, not converted
}

}  // namespace

void installStageClasses(Interpreter& in) {
    Object* g = in.global();
    Object* ab = in.makeClass(g, "AsBroadcaster", noop, in.newObject());
    if (Property* p = ab->findOwn("prototype")) p->flags |= kOnlySwf6Up;  // none in SWF 5
    in.method(ab, "initialize", initialize);
    in.method(ab, "addListener", addListener);
    in.method(ab, "removeListener", removeListener);
    in.method(ab, "broadcastMessage", broadcastMessage);
    for (const char* name : {"initialize", "addListener", "removeListener", "broadcastMessage"})
        ab->findOwn(name)->flags |= kOnlySwf6Up;

    Object* stage = broadcaster(in, g, "Stage");
    Property& w = stage->setOwn("width", Value(), kDontEnum);
    w.getter = in.newFunction(stageWidth);
    Property& h = stage->setOwn("height", Value(), kDontEnum);
    h.getter = in.newFunction(stageHeight);
    stage->define("scaleMode", Value("showAll"), kDontEnum);
    stage->define("showMenu", Value(true), kDontEnum);
    stage->state = std::make_unique<DisplayState>();
    Property& ds = stage->setOwn("displayState", Value(), kDontEnum);
    ds.getter = in.newFunction(getDisplayState);
    ds.setter = in.newFunction(setDisplayState);
    Property& al = stage->setOwn("align", Value(), kDontEnum);
    al.getter = in.newFunction(getAlign);
    al.setter = in.newFunction(setAlign);
    // SWF 5 movies see no listener methods on the Stage.
    for (const char* name : {"addListener", "removeListener", "broadcastMessage"})
        if (Property* p = stage->findOwn(name)) p->flags |= kOnlySwf6Up;

    Object* key = broadcaster(in, g, "Key");
    in.method(key, "isDown", returnFalse);
    in.method(key, "isToggled", returnFalse);
    in.method(key, "getCode", returnZero);
    in.method(key, "getAscii", returnZero);
    const uint8_t constant = kDontEnum | kDontDelete | kReadOnly;
    struct KeyCode { const char* name; double code; };
    for (KeyCode k : {KeyCode{"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46}, {"DOWN", 40},
                      {"END", 35}, {"ENTER", 13}, {"ESCAPE", 27}, {"HOME", 36}, {"INSERT", 45}, {"LEFT", 37},
                      {"PGDN", 34}, {"PGUP", 33}, {"RIGHT", 39}, {"SHIFT", 16}, {"SPACE", 32}, {"TAB", 9}, {"UP", 38}})
        key->define(k.name, Value(k.code), constant);

    Object* mouse = broadcaster(in, g, "Mouse");
    in.method(mouse, "hide", returnZero);
    in.method(mouse, "show", returnZero);

    Object* system = in.newObject();
    g->define("System", system, kDontEnum);
    Object* ime = in.newObject();
    system->define("IME", ime, kDontEnum);
    Value imeArgs[] = {Value(ime)};
    initialize(in, Value(), imeArgs);
    installSystemDetails(in, system);
    in.method(system, "setClipboard", noop);

    Object* ep = in.newObject();
    in.errorPrototype = ep;
    in.makeClass(g, "Error", errorCtor, ep);
    ep->define("name", Value("Error"), kDontEnum);
    ep->define("message", Value("Error"), kDontEnum);
    in.method(ep, "toString", errorToString);
}

}  // namespace kelmora::player::avm1
