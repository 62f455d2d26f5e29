// LocalConnection between the movies of this player: a connection takes a name, and send()
// delivers a method call to the connection of that name after the running scripts, its
// arguments copied as the player's AMF serialisation copies them. The sender then hears
// onStatus: "status" when a receiver took the call, "error" when none was there.
#include "player/avm1/Builtins.h"
#include "player/avm1/OutsideWorld.h"

namespace kelmora::player::avm1 {

namespace {

constexpr size_t kMaxNameLength = 1024;

struct LocalConnectionState : NativeState {
    std::string name;  // the name it is connected under, lower case; empty: not connected
};

LocalConnectionState* stateOf(Object* o) {
    if (!o) return nullptr;
    if (!o->state) o->state = std::make_unique<LocalConnectionState>();
    return dynamic_cast<LocalConnectionState*>(o->state.get());
}

// Connections by name, kept alive with the class prototypes.
Object* registry(Interpreter& in) {
    Object*& r = in.classPrototypes["LocalConnection registry"];
    if (!r) r = in.newObject();
    return r;
}

std::string connectionKey(std::string_view name) {
    std::string key(name);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return key;
}

bool reservedMethod(std::string_view name) {
    for (const char* r : {"send", "connect", "close", "allowDomain", "allowInsecureDomain", "domain", "onStatus"})
        if (connectionKey(name) == connectionKey(r)) return true;
    return false;
}

Value connect(Interpreter& in, const Value& self, std::span<const Value> args) {
    LocalConnectionState* s = stateOf(self.object());
    if (!s || args.empty() || !args[0].isString()) return Value(false);
    const std::string name = in.toString(args[0]);
    if (!s->name.empty() || name.empty() || name.size() > kMaxNameLength || name.find(':') != std::string::npos)
        return Value(false);
    const std::string key = connectionKey(name);
    Object* r = registry(in);
    if (r->findOwn(key)) return Value(false);
    r->setOwn(key, self);
    s->name = key;
    return Value(true);
}

Value close(Interpreter& in, const Value& self, std::span<const Value>) {
    LocalConnectionState* s = stateOf(self.object());
    if (!s || s->name.empty()) return Value();
    registry(in)->removeOwn(s->name);
    s->name.clear();
    return Value();
}

Value send(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (!self.object() || args.size() < 2 || !args[0].isString() || !args[1].isString()) return Value(false);
    const std::string name = in.toString(args[0]);
    const std::string method = in.toString(args[1]);
    if (name.empty() || name.size() > kMaxNameLength || method.empty() || reservedMethod(method)) return Value(false);
    Object* info = in.newObject();
    const Property* receiver = registry(in)->findOwn(connectionKey(name));
    if (receiver) {
        std::vector<Value> copied;
        for (size_t i = 2; i < args.size(); ++i) copied.push_back(amfCopy(in, args[i]));
        if (in.unwinding()) return Value(false);
        in.outsideEvents.push_back({receiver->value, method, std::move(copied), false});
    }
    info->setOwn("level", Value(receiver ? "status" : "error"));
    Value status[] = {Value(info)};
    in.outsideEvents.push_back({self, "onStatus", {status[0]}, false});
    return Value(true);
}

Value domain(Interpreter&, const Value&, std::span<const Value>) { return Value("localhost"); }
Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

void installLocalConnectionClass(Interpreter& in) {
    Object* proto = in.newObject();
    in.makeClass(in.global(), "LocalConnection", noop, proto);
    in.method(proto, "send", send);
    in.method(proto, "close", close);
    in.method(proto, "connect", connect);
    in.method(proto, "domain", domain);
    for (const char* name : {"send", "close", "connect", "domain"}) proto->findOwn(name)->flags |= kDontDelete;
}

}  // namespace kelmora::player::avm1
