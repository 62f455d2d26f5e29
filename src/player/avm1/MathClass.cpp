// Math. Math.random draws from the interpreter's seeded generator: a movie gives the same
// frames on every run.
#include <cmath>
#include <limits>

#include "player/avm1/Builtins.h"

namespace kelmora::player::avm1 {

namespace {

double num(Interpreter& in, std::span<const Value> args, size_t i) {
    return i < args.size() ? in.toNumber(args[i]) : std::numeric_limits<double>::quiet_NaN();
}

// The player converts two arguments (calling valueOf on each) even when it uses only the first.
double first(Interpreter& in, std::span<const Value> args) {
    double x = num(in, args, 0);
    for (size_t i = 1; i < std::min<size_t>(args.size(), 2); ++i) in.toNumber(args[i]);
    return x;
}

#define KELMORA_MATH1(NAME, EXPR)                                                   \
    Value NAME(Interpreter& in, const Value&, std::span<const Value> args) {        \
        double x = first(in, args);                                                 \
        return Value(static_cast<double>(EXPR));                                    \
    }
KELMORA_MATH1(mathAbs, std::fabs(x))
KELMORA_MATH1(mathAcos, std::acos(x))
KELMORA_MATH1(mathAsin, std::asin(x))
KELMORA_MATH1(mathAtan, std::atan(x))
KELMORA_MATH1(mathCeil, std::ceil(x))
KELMORA_MATH1(mathCos, std::cos(x))
KELMORA_MATH1(mathExp, std::exp(x))
KELMORA_MATH1(mathFloor, std::floor(x))
KELMORA_MATH1(mathLog, std::log(x))
KELMORA_MATH1(mathRound, std::floor(x + 0.5))
KELMORA_MATH1(mathSin, std::sin(x))
KELMORA_MATH1(mathSqrt, std::sqrt(x))
KELMORA_MATH1(mathTan, std::tan(x))
#undef KELMORA_MATH1

// Arguments are converted left to right (valueOf shows the order).
Value mathAtan2(Interpreter& in, const Value&, std::span<const Value> args) {
    const double y = num(in, args, 0);
    const double x = num(in, args, 1);
    return Value(std::atan2(y, x));
}
Value mathPow(Interpreter& in, const Value&, std::span<const Value> args) {
    const double x = num(in, args, 0);
    const double y = num(in, args, 1);
    // The player's pow(1, NaN) is NaN for the number 1 (C's is 1); a boolean true gives 1.
    if (std::isnan(y) && x == 1 && args[0].isNumber()) return Value(y);
    return Value(std::pow(x, y));
}
Value mathMax(Interpreter& in, const Value&, std::span<const Value> args) {
    // The player compares the first two arguments only; a missing second one is NaN.
    if (args.empty()) return Value(-std::numeric_limits<double>::infinity());
    double x = in.toNumber(args[0]), y = args.size() > 1 ? in.toNumber(args[1]) : std::nan("");
    if (std::isnan(x) || std::isnan(y)) return Value(std::nan(""));
    return Value(std::max(x, y));
}
Value mathMin(Interpreter& in, const Value&, std::span<const Value> args) {
    // The player compares the first two arguments only; a missing second one is NaN.
    if (args.empty()) return Value(std::numeric_limits<double>::infinity());
    double x = in.toNumber(args[0]), y = args.size() > 1 ? in.toNumber(args[1]) : std::nan("");
    if (std::isnan(x) || std::isnan(y)) return Value(std::nan(""));
    return Value(std::min(x, y));
}
Value mathRandom(Interpreter& in, const Value&, std::span<const Value> args) {
    first(in, args);
    return Value(static_cast<double>(in.random()()) / 4294967296.0);
}

}  // namespace

void installMathClass(Interpreter& in) {
    Object* m = in.newObject();
    in.global()->define("Math", m, kDontEnum);
    struct Fn {
        const char* name;
        NativeFunction fn;
    };
    for (Fn f : {Fn{"abs", mathAbs}, {"acos", mathAcos}, {"asin", mathAsin}, {"atan", mathAtan}, {"atan2", mathAtan2},
                 {"ceil", mathCeil}, {"cos", mathCos}, {"exp", mathExp}, {"floor", mathFloor}, {"log", mathLog},
                 {"max", mathMax}, {"min", mathMin}, {"pow", mathPow}, {"random", mathRandom}, {"round", mathRound},
                 {"sin", mathSin}, {"sqrt", mathSqrt}, {"tan", mathTan}})
        in.method(m, f.name, f.fn);
    const uint8_t constant = kDontEnum | kDontDelete | kReadOnly;
    m->define("E", Value(M_E), constant);
    m->define("LN10", Value(M_LN10), constant);
    m->define("LN2", Value(M_LN2), constant);
    m->define("LOG10E", Value(M_LOG10E), constant);
    m->define("LOG2E", Value(M_LOG2E), constant);
    m->define("PI", Value(M_PI), constant);
    m->define("SQRT1_2", Value(M_SQRT1_2), constant);
    m->define("SQRT2", Value(M_SQRT2), constant);
}

}  // namespace kelmora::player::avm1
