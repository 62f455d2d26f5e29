// Color (SWF 5): a handle on a clip's colour transform, and stubs of the classes a movie may only
// look at (their presence matters to scripts that test for them).
#include <cmath>

#include "player/avm1/Builtins.h"

namespace kelmora::player::avm1 {

namespace {

ClipId targetOf(Interpreter& in, const Value& self) {
    Value t = in.getMember(self, "target");
    if (Object* o = t.object(); o && o->kind() == ObjectKind::Clip) return in.host().exists(o->clip) ? o->clip : kNoClip;
    if (t.isUndefined()) return kNoClip;
    const std::string path = in.toString(t);
    // An empty path names no clip here (elsewhere it would be the current one).
    if (path.empty()) return kNoClip;
    return in.resolveTarget(in.currentTarget(), path);
}


Value colorCtor(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (Object* o = self.object()) o->define("target", arg(args, 0), kDontEnum);
    (void)in;
    return Value();
}

Value setRGB(Interpreter& in, const Value& self, std::span<const Value> args) {
    ClipId c = targetOf(in, self);
    if (!c) return Value();
    uint32_t rgb = toUint32(in.toNumber(arg(args, 0)));
    ColorTransform cx = in.host().colorTransform(c);
    cx.rMult = cx.gMult = cx.bMult = 0;
    cx.rAdd = static_cast<int16_t>((rgb >> 16) & 0xFF);
    cx.gAdd = static_cast<int16_t>((rgb >> 8) & 0xFF);
    cx.bAdd = static_cast<int16_t>(rgb & 0xFF);
    in.host().setColorTransform(c, cx);
    return Value();
}

Value getRGB(Interpreter& in, const Value& self, std::span<const Value>) {
    ClipId c = targetOf(in, self);
    if (!c) return Value();
    ColorTransform cx = in.host().colorTransform(c);
    // The offsets are combined as signed numbers: a negative one fills the bits above it.
    const uint32_t r = static_cast<uint32_t>(static_cast<int32_t>(cx.rAdd)) << 16;
    const uint32_t g = static_cast<uint32_t>(static_cast<int32_t>(cx.gAdd)) << 8;
    const uint32_t b = static_cast<uint32_t>(static_cast<int32_t>(cx.bAdd));
    return Value(static_cast<double>(static_cast<int32_t>(r | g | b)));
}

// Percentages (ra, ga, ba, aa) and offsets (rb, gb, bb, ab) as the Color class shows them.
Value setTransform(Interpreter& in, const Value& self, std::span<const Value> args) {
    ClipId c = targetOf(in, self);
    Object* t = arg(args, 0).object();
    if (!c || !t) return Value();
    ColorTransform cx = in.host().colorTransform(c);
    auto field = [&](const char* name, int16_t& out, bool percent) {
        // Only the object's own fields count; an own undefined one is 0.
        if (!t->findOwn(name)) return;
        double d = in.toNumber(in.getMember(t, name));
        // Kept in 16 bits the way the player keeps them: larger values wrap around.
        out = static_cast<int16_t>(static_cast<uint16_t>(toInt32(percent ? d * 256 / 100 : d) & 0xFFFF));
    };
    field("ra", cx.rMult, true);
    field("ga", cx.gMult, true);
    field("ba", cx.bMult, true);
    field("aa", cx.aMult, true);
    field("rb", cx.rAdd, false);
    field("gb", cx.gAdd, false);
    field("bb", cx.bAdd, false);
    field("ab", cx.aAdd, false);
    in.host().setColorTransform(c, cx);
    return Value();
}

Value getTransform(Interpreter& in, const Value& self, std::span<const Value>) {
    ClipId c = targetOf(in, self);
    if (!c) return Value();
    ColorTransform cx = in.host().colorTransform(c);
    Object* o = in.newObject();
    in.setMember(o, "ra", Value(cx.rMult * 100.0 / 256));
    in.setMember(o, "rb", Value(static_cast<double>(cx.rAdd)));
    in.setMember(o, "ga", Value(cx.gMult * 100.0 / 256));
    in.setMember(o, "gb", Value(static_cast<double>(cx.gAdd)));
    in.setMember(o, "ba", Value(cx.bMult * 100.0 / 256));
    in.setMember(o, "bb", Value(static_cast<double>(cx.bAdd)));
    in.setMember(o, "aa", Value(cx.aMult * 100.0 / 256));
    in.setMember(o, "ab", Value(static_cast<double>(cx.aAdd)));
    return Value(o);
}

Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

void installColorClass(Interpreter& in) {
    Object* proto = in.newObject();
    in.makeClass(in.global(), "Color", colorCtor, proto);
    in.method(proto, "setRGB", setRGB);
    in.method(proto, "getRGB", getRGB);
    in.method(proto, "setTransform", setTransform);
    in.method(proto, "getTransform", getTransform);
    // Classes of the outside world (network, devices, XML): constructors that make plain objects.
    for (const char* name : {"Camera", "LoadVars", "Microphone", "SharedObject", "TextFormat", "TextSnapshot", "Video"})
        in.makeClass(in.global(), name, noop, in.newObject());
    in.global()->define("Selection", in.newObject(), kDontEnum);
    installAccessibility(in);
}

}  // namespace kelmora::player::avm1
