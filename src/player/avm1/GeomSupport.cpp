#include "player/avm1/GeomSupport.h"

#include "player/avm1/Builtins.h"

#include <algorithm>
#include <cmath>

namespace kelmora::player::avm1 {

Object* flashPackage(Interpreter& in, std::string_view name) {
    return packageObject(in, "flash." + std::string(name));
}

void defineAccessor(Interpreter& in, Object* on, std::string_view name, NativeFunction get, NativeFunction set,
                    uint16_t flags) {
    Property& p = on->setOwn(name, Value(), 0);
    p.flags = flags;
    p.getter = in.newFunction(get);
    p.setter = set ? in.newFunction(set) : nullptr;
}

double memberNumber(Interpreter& in, Object* o, std::string_view name) { return in.toNumber(in.getMember(o, name)); }

namespace {
Object* construct(Interpreter& in, std::string_view cls, std::span<const Value> args) {
    Value ctor = in.getMember(flashPackage(in, "geom"), cls);
    Object* o = in.construct(ctor, args).object();
    return o ? o : in.newObject();
}
}  // namespace

Object* newPoint(Interpreter& in, const Value& x, const Value& y) {
    Value args[] = {x, y};
    return construct(in, "Point", args);
}

Object* newRectangle(Interpreter& in, double x, double y, double w, double h) {
    Value args[] = {Value(x), Value(y), Value(w), Value(h)};
    return construct(in, "Rectangle", args);
}

Object* newMatrix(Interpreter& in, const Matrix& m) {
    Value args[] = {Value(m.a), Value(m.b), Value(m.c), Value(m.d), Value(m.tx), Value(m.ty)};
    return construct(in, "Matrix", args);
}

std::optional<Rect> rectangleOf(Interpreter& in, const Value& v) {
    Object* o = v.object();
    if (!o) return std::nullopt;
    double x = memberNumber(in, o, "x"), y = memberNumber(in, o, "y");
    return Rect{x, y, x + memberNumber(in, o, "width"), y + memberNumber(in, o, "height")};
}

Matrix matrixOf(Interpreter& in, Object* o) {
    if (!o) return {};
    return {memberNumber(in, o, "a"), memberNumber(in, o, "b"), memberNumber(in, o, "c"),
            memberNumber(in, o, "d"), memberNumber(in, o, "tx"), memberNumber(in, o, "ty")};
}

ColorTransform ScriptColorTransform::toFixed() const {
    auto fix = [](double v, double scale) {
        if (std::isnan(v)) return int16_t{0};
        return static_cast<int16_t>(std::clamp(v * scale, -32768.0, 32767.0));
    };
    return {fix(rMult, 256), fix(gMult, 256), fix(bMult, 256), fix(aMult, 256),
            fix(rAdd, 1),    fix(gAdd, 1),    fix(bAdd, 1),    fix(aAdd, 1)};
}

ScriptColorTransform ScriptColorTransform::fromFixed(const ColorTransform& c) {
    return {c.rMult / 256.0, c.gMult / 256.0, c.bMult / 256.0, c.aMult / 256.0,
            double(c.rAdd),  double(c.gAdd),  double(c.bAdd),  double(c.aAdd)};
}

void installGeomClasses(Interpreter& in) {
    installPointRectangleClasses(in);
    installMatrixClass(in);
    installColorTransformClass(in);
    installTransformClass(in);
}

}  // namespace kelmora::player::avm1
