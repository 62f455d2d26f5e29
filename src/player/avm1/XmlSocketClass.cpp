// XMLSocket: there is no network, so a connection that may be tried is tried and fails: connect
// answers true and onConnect(false) follows the running scripts. A port no socket can have is
// refused at once with false.
#include <cmath>

#include "player/avm1/Builtins.h"
#include "player/avm1/OutsideWorld.h"

namespace kelmora::player::avm1 {

namespace {

Value connect(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (!self.object()) return Value(false);
    const double port = in.toNumber(arg(args, 1));
    if (!std::isfinite(port) || port < 0 || port > 65535) return Value(false);
    in.outsideEvents.push_back({self, "onConnect", {Value(false)}, false, 0});
    return Value(true);
}

// The default onData: the text is parsed as XML for onXML.
Value onData(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value text[] = {arg(args, 0)};
    Value doc[] = {in.construct(in.getMember(Value(in.global()), "XML"), text)};
    in.callMethodOf(self, "onXML", doc);
    return Value();
}

Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

void installXmlSocketClass(Interpreter& in) {
    Object* proto = in.newObject();
    in.makeClass(in.global(), "XMLSocket", noop, proto);
    in.method(proto, "connect", connect);
    in.method(proto, "send", noop);
    in.method(proto, "close", noop);
    in.method(proto, "onData", onData);
}

}  // namespace kelmora::player::avm1
