// Number and Boolean.
#include <cmath>
#include <limits>

#include "player/avm1/Builtins.h"

namespace kelmora::player::avm1 {

namespace {

Value numberOf(const Value& v) {
    if (Object* o = v.object(); o && o->kind() == ObjectKind::Number) return o->primitive;
    return v;
}

Value numberCtor(Interpreter& in, const Value&, std::span<const Value> args) {
    return Value(args.empty() ? 0.0 : in.toNumber(args[0]));
}

Value numberConstruct(Interpreter& in, const Value&, std::span<const Value> args) {
    return Value(in.toObject(Value(args.empty() ? 0.0 : in.toNumber(args[0]))));
}

Value numberToStringFn(Interpreter& in, const Value& self, std::span<const Value> args) {
    Value v = numberOf(self);
    if (!v.isNumber()) return Value("[object Object]");
    int radix = args.empty() || args[0].isUndefined() ? 10 : in.toInt(args[0]);
    return Value(numberToString(v.number(), radix));
}

Value numberValueOf(Interpreter&, const Value& self, std::span<const Value>) { return numberOf(self); }

Value booleanOf(const Value& v) {
    if (Object* o = v.object(); o && o->kind() == ObjectKind::Boolean) return o->primitive;
    return v;
}

Value booleanCtor(Interpreter& in, const Value&, std::span<const Value> args) {
    if (args.empty()) return Value();  // Boolean() without an argument is undefined
    return Value(in.toBoolean(args[0]));
}

Value booleanConstruct(Interpreter& in, const Value&, std::span<const Value> args) {
    return Value(in.toObject(Value(!args.empty() && in.toBoolean(args[0]))));
}

Value booleanToString(Interpreter&, const Value& self, std::span<const Value>) {
    Value v = booleanOf(self);
    if (!v.isBoolean()) return Value("[object Object]");
    return Value(v.boolean() ? "true" : "false");
}

Value booleanValueOf(Interpreter&, const Value& self, std::span<const Value>) { return booleanOf(self); }

}  // namespace

void installNumberBooleanClasses(Interpreter& in) {
    Object* np = in.newObject();
    in.numberPrototype = np;
    Object* number = in.makeClass(in.global(), "Number", numberCtor, np);
    number->nativeConstruct = numberConstruct;
    const uint8_t constant = kDontEnum | kDontDelete | kReadOnly;
    number->define("MAX_VALUE", Value(std::numeric_limits<double>::max()), constant);
    number->define("MIN_VALUE", Value(std::numeric_limits<double>::denorm_min()), constant);
    number->define("NaN", Value(std::numeric_limits<double>::quiet_NaN()), constant);
    number->define("NEGATIVE_INFINITY", Value(-std::numeric_limits<double>::infinity()), constant);
    number->define("POSITIVE_INFINITY", Value(std::numeric_limits<double>::infinity()), constant);
    in.method(np, "toString", numberToStringFn);
    in.method(np, "valueOf", numberValueOf);

    Object* bp = in.newObject();
    in.booleanPrototype = bp;
    Object* boolean = in.makeClass(in.global(), "Boolean", booleanCtor, bp);
    boolean->nativeConstruct = booleanConstruct;
    in.method(bp, "toString", booleanToString);
    in.method(bp, "valueOf", booleanValueOf);
}

}  // namespace kelmora::player::avm1
