// flash.geom.Transform (SWF 8) and MovieClip.transform: a view of one clip's matrix and colour
// transform. Reading gives copies; a script changes the clip by assigning a whole Matrix or
// ColorTransform back.
#include <cmath>

#include "player/avm1/BitmapHost.h"
#include "player/avm1/Builtins.h"
#include "player/avm1/GeomSupport.h"

namespace kelmora::player::avm1 {

namespace {

struct TransformState : NativeState {
    ClipId clip = kNoClip;
};

ClipId clipOfValue(const Value& v) {
    Object* o = v.object();
    return o && o->kind() == ObjectKind::Clip ? o->clip : kNoClip;
}

ClipId transformClip(const Value& self) {
    Object* o = self.object();
    auto* s = o ? dynamic_cast<TransformState*>(o->state.get()) : nullptr;
    return s ? s->clip : kNoClip;
}

// Script matrices are in pixels, display matrices in twips.
Matrix toPixels(Matrix m) {
    m.tx /= kTwipsPerPixel;
    m.ty /= kTwipsPerPixel;
    return m;
}

Value transformCtor(Interpreter&, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o) return Value();
    auto state = std::make_unique<TransformState>();
    state->clip = clipOfValue(arg(args, 0));
    o->state = std::move(state);
    return Value();
}

Value getMatrix(Interpreter& in, const Value& self, std::span<const Value>) {
    ClipId clip = transformClip(self);
    BitmapHost* host = bitmapHost(in);
    if (clip == kNoClip || !host) return Value();
    return Value(newMatrix(in, toPixels(host->clipMatrix(clip))));
}

Value setMatrix(Interpreter& in, const Value& self, std::span<const Value> args) {
    ClipId clip = transformClip(self);
    BitmapHost* host = bitmapHost(in);
    Object* given = arg(args, 0).object();
    if (clip == kNoClip || !host || !given) return Value();
    Matrix m = matrixOf(in, given);
    const double v[] = {m.a, m.b, m.c, m.d, m.tx, m.ty};
    for (double x : v)
        if (!std::isfinite(x)) return Value();
    // Whole twips, within the range a display matrix holds.
    m.tx = std::round(std::clamp(m.tx * kTwipsPerPixel, -2147483648.0, 2147483647.0));
    m.ty = std::round(std::clamp(m.ty * kTwipsPerPixel, -2147483648.0, 2147483647.0));
    host->setClipMatrix(clip, m);
    return Value();
}

Value getConcatenatedMatrix(Interpreter& in, const Value& self, std::span<const Value>) {
    ClipId clip = transformClip(self);
    if (clip == kNoClip) return Value();
    return Value(newMatrix(in, toPixels(in.host().stageMatrix(clip))));
}

Value getColorTransform(Interpreter& in, const Value& self, std::span<const Value>) {
    ClipId clip = transformClip(self);
    if (clip == kNoClip) return Value();
    return Value(newColorTransform(in, ScriptColorTransform::fromFixed(in.host().colorTransform(clip))));
}

Value setColorTransform(Interpreter& in, const Value& self, std::span<const Value> args) {
    ClipId clip = transformClip(self);
    const ScriptColorTransform* c = colorTransformOf(arg(args, 0));
    if (clip != kNoClip && c) in.host().setColorTransform(clip, c->toFixed());
    return Value();
}

Value newTransformFor(Interpreter& in, const Value& clip) {
    Value args[] = {clip};
    return in.construct(in.getMember(flashPackage(in, "geom"), "Transform"), args);
}

Value clipGetTransform(Interpreter& in, const Value& self, std::span<const Value>) {
    if (clipOfValue(self) == kNoClip) return Value();
    return newTransformFor(in, self);
}

// Assigning a Transform copies its matrix and colour transform onto the clip.
Value clipSetTransform(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (clipOfValue(self) == kNoClip || transformClip(arg(args, 0)) == kNoClip) return Value();
    Value mine = newTransformFor(in, self);
    Value m[] = {getMatrix(in, arg(args, 0), {})};
    Value c[] = {getColorTransform(in, arg(args, 0), {})};
    setMatrix(in, mine, m);
    setColorTransform(in, mine, c);
    return Value();
}

}  // namespace

void installTransformClass(Interpreter& in) {
    Object* geom = flashPackage(in, "geom");
    Object* proto = in.newObject();
    in.makeClass(geom, "Transform", transformCtor, proto);
    geom->findOwn("Transform")->flags = 0;
    defineAccessor(in, proto, "matrix", getMatrix, setMatrix, 0);
    defineAccessor(in, proto, "concatenatedMatrix", getConcatenatedMatrix, nullptr, 0);
    defineAccessor(in, proto, "colorTransform", getColorTransform, setColorTransform, 0);
    if (in.movieClipPrototype) defineAccessor(in, in.movieClipPrototype, "transform", clipGetTransform, clipSetTransform);
}

}  // namespace kelmora::player::avm1
