// flash.geom.ColorTransform (SWF 8): eight numbers kept natively, shown through accessors on the
// prototype; `rgb` reads and writes the three colour offsets at once.
#include <cmath>

#include "player/avm1/Builtins.h"
#include "player/avm1/GeomSupport.h"

namespace kelmora::player::avm1 {

namespace {

struct ColorTransformState : NativeState {
    ScriptColorTransform values;
};

}  // namespace

ScriptColorTransform* colorTransformOf(const Value& v) {
    Object* o = v.object();
    auto* s = o ? dynamic_cast<ColorTransformState*>(o->state.get()) : nullptr;
    return s ? &s->values : nullptr;
}

namespace {

Value ctCtor(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o) return Value();
    auto state = std::make_unique<ColorTransformState>();
    if (!args.empty()) {
        double* fields[] = {&state->values.rMult, &state->values.gMult, &state->values.bMult, &state->values.aMult,
                            &state->values.rAdd,  &state->values.gAdd,  &state->values.bAdd,  &state->values.aAdd};
        for (size_t i = 0; i < 8; ++i) *fields[i] = in.toNumber(arg(args, i));
    }
    o->state = std::move(state);
    return Value();
}

template <double ScriptColorTransform::*Field>
Value getField(Interpreter&, const Value& self, std::span<const Value>) {
    ScriptColorTransform* c = colorTransformOf(self);
    return c ? Value(c->*Field) : Value();
}

template <double ScriptColorTransform::*Field>
Value setField(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (ScriptColorTransform* c = colorTransformOf(self)) c->*Field = in.toNumber(arg(args, 0));
    return Value();
}

Value getRgb(Interpreter&, const Value& self, std::span<const Value>) {
    ScriptColorTransform* c = colorTransformOf(self);
    if (!c) return Value();
    uint32_t rgb = (static_cast<uint32_t>(toInt32(c->rAdd)) << 16) | (static_cast<uint32_t>(toInt32(c->gAdd)) << 8) |
                   static_cast<uint32_t>(toInt32(c->bAdd));
    return Value(static_cast<double>(rgb & 0xFFFFFF));
}

Value setRgb(Interpreter& in, const Value& self, std::span<const Value> args) {
    ScriptColorTransform* c = colorTransformOf(self);
    if (!c) return Value();
    uint32_t rgb = toUint32(in.toNumber(arg(args, 0)));
    c->rMult = c->gMult = c->bMult = 0;
    c->rAdd = (rgb >> 16) & 0xFF;
    c->gAdd = (rgb >> 8) & 0xFF;
    c->bAdd = rgb & 0xFF;
    return Value();
}

Value ctConcat(Interpreter&, const Value& self, std::span<const Value> args) {
    ScriptColorTransform* c = colorTransformOf(self);
    ScriptColorTransform* o = colorTransformOf(arg(args, 0));
    if (!c || !o) return Value();
    c->rAdd += c->rMult * o->rAdd;
    c->gAdd += c->gMult * o->gAdd;
    c->bAdd += c->bMult * o->bAdd;
    c->aAdd += c->aMult * o->aAdd;
    c->rMult *= o->rMult;
    c->gMult *= o->gMult;
    c->bMult *= o->bMult;
    c->aMult *= o->aMult;
    return Value();
}

Value ctToString(Interpreter&, const Value& self, std::span<const Value>) {
    ScriptColorTransform* c = colorTransformOf(self);
    if (!c) return Value("[object Object]");
    auto n = [](double v) { return numberToString(v); };
    return Value("(redMultiplier=" + n(c->rMult) + ", greenMultiplier=" + n(c->gMult) + ", blueMultiplier=" +
                 n(c->bMult) + ", alphaMultiplier=" + n(c->aMult) + ", redOffset=" + n(c->rAdd) + ", greenOffset=" +
                 n(c->gAdd) + ", blueOffset=" + n(c->bAdd) + ", alphaOffset=" + n(c->aAdd) + ")");
}

}  // namespace

Object* newColorTransform(Interpreter& in, const ScriptColorTransform& c) {
    Object* o = in.construct(in.getMember(flashPackage(in, "geom"), "ColorTransform"), {}).object();
    if (ScriptColorTransform* s = colorTransformOf(Value(o))) *s = c;
    return o ? o : in.newObject();
}

void installColorTransformClass(Interpreter& in) {
    Object* geom = flashPackage(in, "geom");
    Object* proto = in.newObject();
    in.makeClass(geom, "ColorTransform", ctCtor, proto);
    geom->findOwn("ColorTransform")->flags = 0;
    // Defined in this order so that for..in lists them as the player does.
    using S = ScriptColorTransform;
    defineAccessor(in, proto, "alphaMultiplier", getField<&S::aMult>, setField<&S::aMult>, 0);
    defineAccessor(in, proto, "redMultiplier", getField<&S::rMult>, setField<&S::rMult>, 0);
    defineAccessor(in, proto, "greenMultiplier", getField<&S::gMult>, setField<&S::gMult>, 0);
    defineAccessor(in, proto, "blueMultiplier", getField<&S::bMult>, setField<&S::bMult>, 0);
    defineAccessor(in, proto, "alphaOffset", getField<&S::aAdd>, setField<&S::aAdd>, 0);
    defineAccessor(in, proto, "redOffset", getField<&S::rAdd>, setField<&S::rAdd>, 0);
    defineAccessor(in, proto, "greenOffset", getField<&S::gAdd>, setField<&S::gAdd>, 0);
    defineAccessor(in, proto, "blueOffset", getField<&S::bAdd>, setField<&S::bAdd>, 0);
    defineAccessor(in, proto, "rgb", getRgb, setRgb, 0);
    in.method(proto, "concat", ctConcat);
    proto->findOwn("concat")->flags = 0;
    in.method(proto, "toString", ctToString);
    proto->findOwn("toString")->flags = 0;
}

}  // namespace kelmora::player::avm1
