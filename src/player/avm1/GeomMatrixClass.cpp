// flash.geom.Matrix (SWF 8): six plain fields a script may set to anything; the methods read
// them as numbers and write numbers back.
#include <cmath>

#include "player/avm1/Builtins.h"
#include "player/avm1/GeomSupport.h"

namespace kelmora::player::avm1 {

namespace {

constexpr const char* kFields[] = {"a", "b", "c", "d", "tx", "ty"};

void store(Interpreter& in, const Value& self, const Matrix& m) {
    const double v[] = {m.a, m.b, m.c, m.d, m.tx, m.ty};
    for (int i = 0; i < 6; ++i) in.setMember(self, kFields[i], Value(v[i]));
}

Matrix load(Interpreter& in, const Value& self) { return matrixOf(in, self.object()); }

Value matrixCtor(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (args.empty()) {
        store(in, self, Matrix{});
        return Value();
    }
    for (size_t i = 0; i < 6; ++i) in.setMember(self, kFields[i], arg(args, i));
    return Value();
}

Value matrixToString(Interpreter& in, const Value& self, std::span<const Value>) {
    std::string s = "(";
    for (int i = 0; i < 6; ++i) {
        if (i) s += ", ";
        s += std::string(kFields[i]) + "=" + in.toString(in.getMember(self, kFields[i]));
    }
    return Value(s + ")");
}

Value matrixClone(Interpreter& in, const Value& self, std::span<const Value>) {
    Value args[6];
    for (int i = 0; i < 6; ++i) args[i] = in.getMember(self, kFields[i]);
    Object* m = in.construct(in.getMember(flashPackage(in, "geom"), "Matrix"), args).object();
    return m ? Value(m) : Value();
}

Value matrixIdentity(Interpreter& in, const Value& self, std::span<const Value>) {
    store(in, self, Matrix{});
    return Value();
}

// this = this followed by m.
void concatWith(Interpreter& in, const Value& self, const Matrix& m) {
    Matrix t = load(in, self);
    store(in, self, m * t);
}

Value matrixConcat(Interpreter& in, const Value& self, std::span<const Value> args) {
    concatWith(in, self, matrixOf(in, arg(args, 0).object()));
    return Value();
}

Value matrixInvert(Interpreter& in, const Value& self, std::span<const Value>) {
    Matrix m = load(in, self);
    double det = m.a * m.d - m.b * m.c;
    if (det == 0) {
        store(in, self, Matrix{});
        return Value();
    }
    Matrix r{m.d / det, -m.b / det, -m.c / det, m.a / det, 0, 0};
    r.tx = -(r.a * m.tx + r.c * m.ty);
    r.ty = -(r.b * m.tx + r.d * m.ty);
    store(in, self, r);
    return Value();
}

Value matrixRotate(Interpreter& in, const Value& self, std::span<const Value> args) {
    double angle = in.toNumber(arg(args, 0));
    if (angle == 0) return Value();
    double c = std::cos(angle), s = std::sin(angle);
    concatWith(in, self, Matrix{c, s, -s, c, 0, 0});
    return Value();
}

Value matrixScale(Interpreter& in, const Value& self, std::span<const Value> args) {
    concatWith(in, self, Matrix::scale(in.toNumber(arg(args, 0)), in.toNumber(arg(args, 1))));
    return Value();
}

Value matrixTranslate(Interpreter& in, const Value& self, std::span<const Value> args) {
    in.setMember(self, "tx", Value(in.toNumber(in.getMember(self, "tx")) + in.toNumber(arg(args, 0))));
    in.setMember(self, "ty", Value(in.toNumber(in.getMember(self, "ty")) + in.toNumber(arg(args, 1))));
    return Value();
}

double optional(Interpreter& in, std::span<const Value> args, size_t i) {
    return i < args.size() && !args[i].isUndefined() ? in.toNumber(args[i]) : 0;
}

Value matrixCreateBox(Interpreter& in, const Value& self, std::span<const Value> args) {
    double sx = in.toNumber(arg(args, 0)), sy = in.toNumber(arg(args, 1)), r = in.toNumber(arg(args, 2));
    double c = std::cos(r), s = std::sin(r);
    store(in, self, Matrix{sx * c, sy * s, -sx * s, sy * c, optional(in, args, 3), optional(in, args, 4)});
    return Value();
}

Value matrixCreateGradientBox(Interpreter& in, const Value& self, std::span<const Value> args) {
    double w = in.toNumber(arg(args, 0)), h = in.toNumber(arg(args, 1)), r = optional(in, args, 2);
    double c = std::cos(r), s = std::sin(r);
    double sx = w / 1638.4, sy = h / 1638.4;
    store(in, self, Matrix{sx * c, sy * s, -sx * s, sy * c, optional(in, args, 3) + w / 2, optional(in, args, 4) + h / 2});
    return Value();
}

Value matrixTransformPoint(Interpreter& in, const Value& self, std::span<const Value> args) {
    Matrix m = load(in, self);
    Object* p = arg(args, 0).object();
    Point q = m.apply({memberNumber(in, p, "x"), memberNumber(in, p, "y")});
    return Value(newPoint(in, Value(q.x), Value(q.y)));
}

Value matrixDeltaTransformPoint(Interpreter& in, const Value& self, std::span<const Value> args) {
    Matrix m = load(in, self);
    Object* p = arg(args, 0).object();
    Point q = m.applyVector({memberNumber(in, p, "x"), memberNumber(in, p, "y")});
    return Value(newPoint(in, Value(q.x), Value(q.y)));
}

}  // namespace

void installMatrixClass(Interpreter& in) {
    Object* geom = flashPackage(in, "geom");
    Object* proto = in.newObject();
    in.makeClass(geom, "Matrix", matrixCtor, proto);
    geom->findOwn("Matrix")->flags = 0;
    in.method(proto, "toString", matrixToString);
    in.method(proto, "clone", matrixClone);
    in.method(proto, "identity", matrixIdentity);
    in.method(proto, "concat", matrixConcat);
    in.method(proto, "invert", matrixInvert);
    in.method(proto, "rotate", matrixRotate);
    in.method(proto, "scale", matrixScale);
    in.method(proto, "translate", matrixTranslate);
    in.method(proto, "createBox", matrixCreateBox);
    in.method(proto, "createGradientBox", matrixCreateGradientBox);
    in.method(proto, "transformPoint", matrixTransformPoint);
    in.method(proto, "deltaTransformPoint", matrixDeltaTransformPoint);
}

}  // namespace kelmora::player::avm1
