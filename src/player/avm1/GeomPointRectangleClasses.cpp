// flash.geom.Point and flash.geom.Rectangle (SWF 8). Their fields are plain properties that keep
// whatever a script stores; the derived values (right, bottom, length...) are computed on read.
#include <cmath>
#include <limits>

#include "player/avm1/Builtins.h"
#include "player/avm1/GeomSupport.h"

namespace kelmora::player::avm1 {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Value get(Interpreter& in, const Value& o, std::string_view name) { return in.getMember(o, name); }
double num(Interpreter& in, const Value& o, std::string_view name) { return in.toNumber(in.getMember(o, name)); }
void set(Interpreter& in, const Value& o, std::string_view name, const Value& v) { in.setMember(o, name, v); }

// Comparisons as the classes make them: undefined when either side is not a number.
Value ge(double a, double b) { return std::isnan(a) || std::isnan(b) ? Value() : Value(a >= b); }
Value lt(double a, double b) { return std::isnan(a) || std::isnan(b) ? Value() : Value(a < b); }
Value le(double a, double b) { return std::isnan(a) || std::isnan(b) ? Value() : Value(a <= b); }
// a && b && ...: the first value that is not true, else the last.
Value all(Interpreter& in, std::initializer_list<Value> values) {
    Value last;
    for (const Value& v : values) {
        if (!in.toBoolean(v)) return v;
        last = v;
    }
    return last;
}

// ---------------------------------------------------------------- Point

Value pointCtor(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (args.empty()) {
        set(in, self, "x", Value(0));
        set(in, self, "y", Value(0));
    } else {
        set(in, self, "x", args[0]);
        set(in, self, "y", arg(args, 1));
    }
    return Value();
}

Value pointToString(Interpreter& in, const Value& self, std::span<const Value>) {
    return Value("(x=" + in.toString(get(in, self, "x")) + ", y=" + in.toString(get(in, self, "y")) + ")");
}

Value pointLength(Interpreter& in, const Value& self, std::span<const Value>) {
    double x = num(in, self, "x"), y = num(in, self, "y");
    return Value(std::sqrt(x * x + y * y));
}

Value pointAdd(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value o = arg(args, 0);
    return Value(newPoint(in, in.add(get(in, self, "x"), get(in, o, "x")), in.add(get(in, self, "y"), get(in, o, "y"))));
}

Value pointSubtract(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value o = arg(args, 0);
    return Value(newPoint(in, Value(num(in, self, "x") - num(in, o, "x")), Value(num(in, self, "y") - num(in, o, "y"))));
}

Value pointEquals(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value o = arg(args, 0);
    Object* ctor = in.getMember(flashPackage(in, "geom"), "Point").object();
    if (!in.instanceOf(o, ctor)) return Value(false);
    return Value(in.equals(get(in, o, "x"), get(in, self, "x")) && in.equals(get(in, o, "y"), get(in, self, "y")));
}

Value pointNormalize(Interpreter& in, const Value& self, std::span<const Value> args) {
    double x = num(in, self, "x"), y = num(in, self, "y");
    double length = std::sqrt(x * x + y * y);
    if (length > 0) {
        double f = in.toNumber(arg(args, 0)) / length;
        set(in, self, "x", Value(x * f));
        set(in, self, "y", Value(y * f));
    }
    return Value();
}

Value pointOffset(Interpreter& in, const Value& self, std::span<const Value> args) {
    set(in, self, "x", in.add(get(in, self, "x"), arg(args, 0)));
    set(in, self, "y", in.add(get(in, self, "y"), arg(args, 1)));
    return Value();
}

Value pointClone(Interpreter& in, const Value& self, std::span<const Value>) {
    return Value(newPoint(in, get(in, self, "x"), get(in, self, "y")));
}

Value pointDistance(Interpreter& in, const Value&, std::span<const Value> args) {
    if (args.size() < 2) return Value();
    // Measured from a Point only; plain objects with x and y are not.
    Object* ctor = in.getMember(flashPackage(in, "geom"), "Point").object();
    if (!in.instanceOf(args[0], ctor)) return Value();
    double dx = num(in, args[0], "x") - num(in, args[1], "x"), dy = num(in, args[0], "y") - num(in, args[1], "y");
    return Value(std::sqrt(dx * dx + dy * dy));
}

Value pointInterpolate(Interpreter& in, const Value&, std::span<const Value> args) {
    if (args.size() < 3) return Value(newPoint(in, Value(kNaN), Value(kNaN)));
    double f = in.toNumber(args[2]);
    double x1 = num(in, args[0], "x"), y1 = num(in, args[0], "y");
    double x2 = num(in, args[1], "x"), y2 = num(in, args[1], "y");
    // The second point's own values are added with the script's +, which may join strings.
    return Value(newPoint(in, in.add(get(in, args[1], "x"), Value((x1 - x2) * f)),
                          in.add(get(in, args[1], "y"), Value((y1 - y2) * f))));
}

Value pointPolar(Interpreter& in, const Value&, std::span<const Value> args) {
    double len = in.toNumber(arg(args, 0)), angle = in.toNumber(arg(args, 1));
    return Value(newPoint(in, Value(len * std::cos(angle)), Value(len * std::sin(angle))));
}

// ---------------------------------------------------------------- Rectangle

void setRect(Interpreter& in, const Value& self, const Value& x, const Value& y, const Value& w, const Value& h) {
    set(in, self, "x", x);
    set(in, self, "y", y);
    set(in, self, "width", w);
    set(in, self, "height", h);
}

Value rectCtor(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (args.empty()) setRect(in, self, Value(0), Value(0), Value(0), Value(0));
    else setRect(in, self, args[0], arg(args, 1), arg(args, 2), arg(args, 3));
    return Value();
}

Value rectToString(Interpreter& in, const Value& self, std::span<const Value>) {
    return Value("(x=" + in.toString(get(in, self, "x")) + ", y=" + in.toString(get(in, self, "y")) +
                 ", w=" + in.toString(get(in, self, "width")) + ", h=" + in.toString(get(in, self, "height")) + ")");
}

double right(Interpreter& in, const Value& r) { return num(in, r, "x") + num(in, r, "width"); }
double bottom(Interpreter& in, const Value& r) { return num(in, r, "y") + num(in, r, "height"); }

Value getLeft(Interpreter& in, const Value& self, std::span<const Value>) { return get(in, self, "x"); }
Value getTop(Interpreter& in, const Value& self, std::span<const Value>) { return get(in, self, "y"); }
Value getRight(Interpreter& in, const Value& self, std::span<const Value>) { return Value(right(in, self)); }
Value getBottom(Interpreter& in, const Value& self, std::span<const Value>) { return Value(bottom(in, self)); }
Value setLeft(Interpreter& in, const Value& self, std::span<const Value> args) {
    set(in, self, "width", Value(right(in, self) - in.toNumber(arg(args, 0))));
    set(in, self, "x", arg(args, 0));
    return Value();
}
Value setTop(Interpreter& in, const Value& self, std::span<const Value> args) {
    set(in, self, "height", Value(bottom(in, self) - in.toNumber(arg(args, 0))));
    set(in, self, "y", arg(args, 0));
    return Value();
}
Value setRight(Interpreter& in, const Value& self, std::span<const Value> args) {
    set(in, self, "width", Value(in.toNumber(arg(args, 0)) - num(in, self, "x")));
    return Value();
}
Value setBottom(Interpreter& in, const Value& self, std::span<const Value> args) {
    set(in, self, "height", Value(in.toNumber(arg(args, 0)) - num(in, self, "y")));
    return Value();
}
Value getTopLeft(Interpreter& in, const Value& self, std::span<const Value>) {
    return Value(newPoint(in, get(in, self, "x"), get(in, self, "y")));
}
Value setTopLeft(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value p = arg(args, 0);
    double r = right(in, self), b = bottom(in, self);
    Value x = get(in, p, "x"), y = get(in, p, "y");
    set(in, self, "width", Value(r - in.toNumber(x)));
    set(in, self, "height", Value(b - in.toNumber(y)));
    set(in, self, "x", x);
    set(in, self, "y", y);
    return Value();
}
Value getBottomRight(Interpreter& in, const Value& self, std::span<const Value>) {
    return Value(newPoint(in, Value(right(in, self)), Value(bottom(in, self))));
}
Value setBottomRight(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value p = arg(args, 0);
    set(in, self, "width", Value(num(in, p, "x") - num(in, self, "x")));
    set(in, self, "height", Value(num(in, p, "y") - num(in, self, "y")));
    return Value();
}
Value getSize(Interpreter& in, const Value& self, std::span<const Value>) {
    return Value(newPoint(in, get(in, self, "width"), get(in, self, "height")));
}
Value setSize(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value p = arg(args, 0);
    set(in, self, "width", get(in, p, "x"));
    set(in, self, "height", get(in, p, "y"));
    return Value();
}

Value rectClone(Interpreter& in, const Value& self, std::span<const Value>) {
    Value args[] = {get(in, self, "x"), get(in, self, "y"), get(in, self, "width"), get(in, self, "height")};
    Object* r = in.construct(in.getMember(flashPackage(in, "geom"), "Rectangle"), args).object();
    return r ? Value(r) : Value();
}

Value rectEquals(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value o = arg(args, 0);
    Object* ctor = in.getMember(flashPackage(in, "geom"), "Rectangle").object();
    if (!in.instanceOf(o, ctor)) return Value(false);
    for (const char* f : {"x", "y", "width", "height"})
        if (!in.equals(get(in, o, f), get(in, self, f))) return Value(false);
    return Value(true);
}

Value rectIsEmpty(Interpreter& in, const Value& self, std::span<const Value>) {
    double w = num(in, self, "width"), h = num(in, self, "height");
    return Value(!(w > 0) || !(h > 0));
}

Value rectSetEmpty(Interpreter& in, const Value& self, std::span<const Value>) {
    setRect(in, self, Value(0), Value(0), Value(0), Value(0));
    return Value();
}

Value containsAt(Interpreter& in, const Value& self, double x, double y) {
    double l = num(in, self, "x"), t = num(in, self, "y");
    return all(in, {ge(x, l), lt(x, right(in, self)), ge(y, t), lt(y, bottom(in, self))});
}

Value rectContains(Interpreter& in, const Value& self, std::span<const Value> args) {
    return containsAt(in, self, in.toNumber(arg(args, 0)), in.toNumber(arg(args, 1)));
}

Value rectContainsPoint(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value p = arg(args, 0);
    return containsAt(in, self, num(in, p, "x"), num(in, p, "y"));
}

Value rectContainsRectangle(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value r = arg(args, 0);
    double x = num(in, r, "x"), y = num(in, r, "y");
    return all(in, {ge(x, num(in, self, "x")), ge(y, num(in, self, "y")), le(right(in, r), right(in, self)),
                    le(bottom(in, r), bottom(in, self))});
}

void inflateBy(Interpreter& in, const Value& self, double dx, double dy) {
    set(in, self, "x", Value(num(in, self, "x") - dx));
    set(in, self, "width", Value(num(in, self, "width") + 2 * dx));
    set(in, self, "y", Value(num(in, self, "y") - dy));
    set(in, self, "height", Value(num(in, self, "height") + 2 * dy));
}

Value rectInflate(Interpreter& in, const Value& self, std::span<const Value> args) {
    inflateBy(in, self, in.toNumber(arg(args, 0)), in.toNumber(arg(args, 1)));
    return Value();
}

Value rectInflatePoint(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value p = arg(args, 0);
    inflateBy(in, self, num(in, p, "x"), num(in, p, "y"));
    return Value();
}

void offsetBy(Interpreter& in, const Value& self, const Value& dx, const Value& dy) {
    set(in, self, "x", Value(num(in, self, "x") + in.toNumber(dx)));
    set(in, self, "y", Value(num(in, self, "y") + in.toNumber(dy)));
}

Value rectOffset(Interpreter& in, const Value& self, std::span<const Value> args) {
    offsetBy(in, self, arg(args, 0), arg(args, 1));
    return Value();
}

Value rectOffsetPoint(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value p = arg(args, 0);
    offsetBy(in, self, get(in, p, "x"), get(in, p, "y"));
    return Value();
}

// Math.min/max of scripts: NaN when either side is NaN.
double minOf(double a, double b) { return std::isnan(a) || std::isnan(b) ? kNaN : std::min(a, b); }
double maxOf(double a, double b) { return std::isnan(a) || std::isnan(b) ? kNaN : std::max(a, b); }

Value rectIntersection(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value r = arg(args, 0);
    double l = maxOf(num(in, self, "x"), num(in, r, "x")), t = maxOf(num(in, self, "y"), num(in, r, "y"));
    double rr = minOf(right(in, self), right(in, r)), b = minOf(bottom(in, self), bottom(in, r));
    if (!(rr > l) || !(b > t)) return Value(newRectangle(in, 0, 0, 0, 0));
    return Value(newRectangle(in, l, t, rr - l, b - t));
}

Value rectIntersects(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value r = arg(args, 0);
    double l = maxOf(num(in, self, "x"), num(in, r, "x")), t = maxOf(num(in, self, "y"), num(in, r, "y"));
    double rr = minOf(right(in, self), right(in, r)), b = minOf(bottom(in, self), bottom(in, r));
    return Value(rr > l && b > t);
}

Value rectUnion(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value r = arg(args, 0);
    if (in.toBoolean(rectIsEmpty(in, self, {}))) return rectClone(in, r, {});
    if (in.toBoolean(in.callMethodOf(r, "isEmpty", {}))) return rectClone(in, self, {});
    double l = minOf(num(in, self, "x"), num(in, r, "x")), t = minOf(num(in, self, "y"), num(in, r, "y"));
    double rr = maxOf(right(in, self), right(in, r)), b = maxOf(bottom(in, self), bottom(in, r));
    return Value(newRectangle(in, l, t, rr - l, b - t));
}

}  // namespace

void installPointRectangleClasses(Interpreter& in) {
    Object* geom = flashPackage(in, "geom");
    Object* point = in.newObject();
    Object* pointCtorFn = in.makeClass(geom, "Point", pointCtor, point);
    geom->findOwn("Point")->flags = 0;
    in.method(point, "toString", pointToString);
    in.method(point, "add", pointAdd);
    in.method(point, "subtract", pointSubtract);
    in.method(point, "equals", pointEquals);
    in.method(point, "normalize", pointNormalize);
    in.method(point, "offset", pointOffset);
    in.method(point, "clone", pointClone);
    defineAccessor(in, point, "length", pointLength, nullptr);
    // The player's Point members are enumerable: for..in over a point lists them too.
    for (const char* name : {"toString", "add", "subtract", "equals", "normalize", "offset", "clone", "length"})
        point->findOwn(name)->flags = 0;
    in.method(pointCtorFn, "distance", pointDistance);
    in.method(pointCtorFn, "interpolate", pointInterpolate);
    in.method(pointCtorFn, "polar", pointPolar);

    Object* rect = in.newObject();
    in.makeClass(geom, "Rectangle", rectCtor, rect);
    geom->findOwn("Rectangle")->flags = 0;
    in.method(rect, "toString", rectToString);
    in.method(rect, "clone", rectClone);
    in.method(rect, "equals", rectEquals);
    in.method(rect, "isEmpty", rectIsEmpty);
    in.method(rect, "setEmpty", rectSetEmpty);
    in.method(rect, "contains", rectContains);
    in.method(rect, "containsPoint", rectContainsPoint);
    in.method(rect, "containsRectangle", rectContainsRectangle);
    in.method(rect, "inflate", rectInflate);
    in.method(rect, "inflatePoint", rectInflatePoint);
    in.method(rect, "offset", rectOffset);
    in.method(rect, "offsetPoint", rectOffsetPoint);
    in.method(rect, "intersection", rectIntersection);
    in.method(rect, "intersects", rectIntersects);
    in.method(rect, "union", rectUnion);
    defineAccessor(in, rect, "left", getLeft, setLeft);
    defineAccessor(in, rect, "top", getTop, setTop);
    defineAccessor(in, rect, "right", getRight, setRight);
    defineAccessor(in, rect, "bottom", getBottom, setBottom);
    defineAccessor(in, rect, "topLeft", getTopLeft, setTopLeft);
    defineAccessor(in, rect, "bottomRight", getBottomRight, setBottomRight);
    defineAccessor(in, rect, "size", getSize, setSize);
}

}  // namespace kelmora::player::avm1
