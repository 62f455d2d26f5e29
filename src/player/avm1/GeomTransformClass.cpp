// flash.geom.Transform (SWF 8): a view of one clip's matrix and colour transform. A Transform of
// a removed clip answers undefined. The matrices are read-only here: setting them does nothing.
#include "player/avm1/Builtins.h"
#include "player/avm1/GeomSupport.h"

namespace kelmora::player::avm1 {

namespace {

struct TransformState : NativeState {
    Object* clip = nullptr;
    void mark(const std::function<void(Object*)>& mark) const override { mark(clip); }
};

ClipId clipOf(Interpreter& in, const Value& self) {
    Object* o = self.object();
    auto* s = o ? dynamic_cast<TransformState*>(o->state.get()) : nullptr;
    if (!s || !s->clip || s->clip->kind() != ObjectKind::Clip || !in.host().exists(s->clip->clip)) return kNoClip;
    return s->clip->clip;
}

// Twips of the stage matrices to the pixels scripts see.
Matrix inPixels(Matrix m) {
    m.tx /= 20;
    m.ty /= 20;
    return m;
}

Value transformCtor(Interpreter&, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o) return Value();
    auto s = std::make_unique<TransformState>();
    if (Object* c = arg(args, 0).object(); c && c->kind() == ObjectKind::Clip) s->clip = c;
    o->state = std::move(s);
    return Value();
}

Value getMatrix(Interpreter& in, const Value& self, std::span<const Value>) {
    ClipId c = clipOf(in, self);
    if (!c) return Value();
    Matrix m = in.host().stageMatrix(c);
    if (ClipId p = in.host().parent(c)) m = in.host().stageMatrix(p).inverted() * m;
    return Value(newMatrix(in, inPixels(m)));
}

Value getConcatenatedMatrix(Interpreter& in, const Value& self, std::span<const Value>) {
    ClipId c = clipOf(in, self);
    return c ? Value(newMatrix(in, inPixels(in.host().stageMatrix(c)))) : Value();
}

Value getColorTransform(Interpreter& in, const Value& self, std::span<const Value>) {
    ClipId c = clipOf(in, self);
    if (!c) return Value();
    return Value(newColorTransform(in, ScriptColorTransform::fromFixed(in.host().colorTransform(c))));
}

Value setColorTransform(Interpreter& in, const Value& self, std::span<const Value> args) {
    ClipId c = clipOf(in, self);
    ScriptColorTransform* ct = colorTransformOf(arg(args, 0));
    if (c && ct) in.host().setColorTransform(c, ct->toFixed());
    return Value();
}

Value getPixelBounds(Interpreter& in, const Value& self, std::span<const Value>) {
    ClipId c = clipOf(in, self);
    if (!c) return Value();
    Rect r = in.host().bounds(c, in.host().level(0));
    return Value(newRectangle(in, r.xMin, r.yMin, r.xMax - r.xMin, r.yMax - r.yMin));
}

Value readOnly(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

void installTransformClass(Interpreter& in) {
    Object* geom = flashPackage(in, "geom");
    Object* proto = in.newObject();
    in.makeClass(geom, "Transform", transformCtor, proto);
    geom->findOwn("Transform")->flags = 0;
    defineAccessor(in, proto, "matrix", getMatrix, readOnly);
    defineAccessor(in, proto, "concatenatedMatrix", getConcatenatedMatrix, readOnly);
    defineAccessor(in, proto, "colorTransform", getColorTransform, setColorTransform);
    // The clip's own colour transform; its parents' are not multiplied in.
    defineAccessor(in, proto, "concatenatedColorTransform", getColorTransform, readOnly);
    defineAccessor(in, proto, "pixelBounds", getPixelBounds, readOnly);
}

}  // namespace kelmora::player::avm1
