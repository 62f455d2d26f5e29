// ContextMenu and ContextMenuItem: plain objects a movie builds for a menu no user will open.
#include "player/avm1/Builtins.h"
#include "player/avm1/OutsideWorld.h"

namespace kelmora::player::avm1 {

namespace {

// The player's own menu entries, in the order a movie enumerates them last to first.
constexpr const char* kBuiltInItems[] = {"print", "forward_back", "rewind", "loop", "play", "quality", "zoom", "save"};

Value menuCtor(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o) return Value();
    o->setOwn("onSelect", arg(args, 0));
    Object* builtIn = in.newObject();
    for (const char* name : kBuiltInItems) builtIn->setOwn(name, Value(true));
    o->setOwn("builtInItems", Value(builtIn));
    o->setOwn("customItems", Value(in.newArray()));
    return Value();
}

Value hideBuiltInItems(Interpreter& in, const Value& self, std::span<const Value>) {
    Value builtIn = in.getMember(self, "builtInItems");
    for (const char* name : kBuiltInItems) in.setMember(builtIn, name, Value(false));
    return Value();
}

// A new menu with the same callback, the same built-in switches and copies of the custom items.
Value menuCopy(Interpreter& in, const Value& self, std::span<const Value>) {
    if (!self.object()) return Value();
    Value ctor = in.getMember(Value(in.global()), "ContextMenu");
    Value select[] = {in.getMember(self, "onSelect")};
    Value copy = in.construct(ctor, select);
    const Value from = in.getMember(self, "builtInItems");
    const Value to = in.getMember(copy, "builtInItems");
    for (const char* name : kBuiltInItems) in.setMember(to, name, in.getMember(from, name));
    Object* items = in.getMember(self, "customItems").object();
    Object* copies = in.getMember(copy, "customItems").object();
    if (!items || !copies) return copy;
    const double n = in.toNumber(in.getMember(items, "length"));
    for (int i = 0; i < n && i < 100000 && !in.unwinding(); ++i) {
        Value item = in.getMember(items, std::to_string(i));
        Value fn = in.getMember(item, "copy");
        Value one[] = {fn.object() && fn.object()->callable() ? in.call(fn, item, {}) : item};
        in.callMethodOf(Value(copies), "push", one);
    }
    return copy;
}

Value itemCtor(Interpreter&, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o) return Value();
    o->setOwn("caption", arg(args, 0));
    o->setOwn("onSelect", arg(args, 1));
    o->setOwn("separatorBefore", args.size() > 2 ? args[2] : Value(false));
    o->setOwn("enabled", args.size() > 3 ? args[3] : Value(true));
    o->setOwn("visible", args.size() > 4 ? args[4] : Value(true));
    return Value();
}

Value itemCopy(Interpreter& in, const Value& self, std::span<const Value>) {
    if (!self.object()) return Value();
    Value args[] = {in.getMember(self, "caption"), in.getMember(self, "onSelect"), in.getMember(self, "separatorBefore"),
                    in.getMember(self, "enabled"), in.getMember(self, "visible")};
    return in.construct(in.getMember(Value(in.global()), "ContextMenuItem"), args);
}

}  // namespace

void installContextMenuClasses(Interpreter& in) {
    Object* proto = in.newObject();
    in.makeClass(in.global(), "ContextMenu", menuCtor, proto);
    in.method(proto, "copy", menuCopy);
    in.method(proto, "hideBuiltInItems", hideBuiltInItems);

    Object* itemProto = in.newObject();
    in.makeClass(in.global(), "ContextMenuItem", itemCtor, itemProto);
    in.method(itemProto, "copy", itemCopy);
}

}  // namespace kelmora::player::avm1
