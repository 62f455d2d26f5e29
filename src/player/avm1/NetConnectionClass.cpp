// NetConnection: connect(null) makes the local connection that streams of local files need and
// is answered at once; a server address is taken but never answered, since there is no network.
#include "player/avm1/Builtins.h"
#include "player/avm1/OutsideWorld.h"

namespace kelmora::player::avm1 {

namespace {

enum class Link : uint8_t { None, Local, Server };

struct NetConnectionState : NativeState {
    Link link = Link::None;
    Value uri;
};

NetConnectionState* stateOf(const Value& v) {
    Object* o = v.object();
    if (!o) return nullptr;
    if (!o->state) o->state = std::make_unique<NetConnectionState>();
    return dynamic_cast<NetConnectionState*>(o->state.get());
}

void tell(Interpreter& in, const Value& self, const char* code) {
    Value info[] = {statusInfo(in, "status", code)};
    in.callMethodOf(self, "onStatus", info);
}

Value connect(Interpreter& in, const Value& self, std::span<const Value> args) {
    NetConnectionState* s = stateOf(self);
    if (!s) return Value(false);
    if (s->link != Link::None) {
        s->link = Link::None;
        tell(in, self, "NetConnection.Connect.Closed");
    }
    const Value url = arg(args, 0);
    s->uri = url;
    if (url.isNullish()) {
        s->link = Link::Local;
        tell(in, self, "NetConnection.Connect.Success");
        return Value(true);
    }
    if (!url.isString()) return Value(false);
    s->link = Link::Server;
    return Value(true);
}

Value close(Interpreter& in, const Value& self, std::span<const Value>) {
    NetConnectionState* s = stateOf(self);
    if (!s || s->link == Link::None) return Value();
    const Link was = s->link;
    s->link = Link::None;
    tell(in, self, "NetConnection.Connect.Closed");
    // The attempt to reach a server ends with a status that carries nothing.
    if (was == Link::Server) in.callMethodOf(self, "onStatus", {});
    return Value();
}

Value isConnected(Interpreter&, const Value& self, std::span<const Value>) {
    NetConnectionState* s = stateOf(self);
    return Value(s && s->link == Link::Local);
}

Value uri(Interpreter&, const Value& self, std::span<const Value>) {
    NetConnectionState* s = stateOf(self);
    return s ? s->uri : Value();
}

Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

Value statusInfo(Interpreter& in, const char* level, const char* code) {
    Object* info = in.newObject();
    info->setOwn("code", Value(code));
    info->setOwn("level", Value(level));
    return Value(info);
}

bool localNetConnection(const Value& connection) {
    Object* o = connection.object();
    auto* s = o ? dynamic_cast<NetConnectionState*>(o->state.get()) : nullptr;
    return s && s->link == Link::Local;
}

void installNetConnectionClass(Interpreter& in) {
    Object* proto = in.newObject();
    in.makeClass(in.global(), "NetConnection", noop, proto);
    in.method(proto, "connect", connect);
    in.method(proto, "close", close);
    in.method(proto, "call", noop);
    in.method(proto, "addHeader", noop);
    proto->setOwn("isConnected", Value(), kDontEnum).getter = in.newFunction(isConnected);
    proto->setOwn("uri", Value(), kDontEnum).getter = in.newFunction(uri);
}

}  // namespace kelmora::player::avm1
