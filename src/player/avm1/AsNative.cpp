// ASnative hands out the built-ins the player numbers by table and index; each number is found
// at the place scripts know the function by (so it is the very same function object).
#include "player/avm1/AsNative.h"

#include <cmath>
#include <limits>
#include <string_view>

#include "player/avm1/Builtins.h"
#include "player/avm1/Frame.h"

namespace kelmora::player::avm1 {

namespace {

struct NativeEntry {
    int table, index;
    std::string_view owner;  // a global, or "Class.prototype"; empty: _global itself
    std::string_view name;
};

constexpr NativeEntry kNatives[] = {
    {100, 0, "", "escape"}, {100, 1, "", "unescape"}, {100, 2, "", "parseInt"}, {100, 3, "", "parseFloat"},
    {100, 4, "", "trace"}, {100, 5, "", "updateAfterEvent"},
    {101, 5, "Object.prototype", "hasOwnProperty"}, {101, 8, "Object", "registerClass"},
    {101, 12, "AsBroadcaster", "broadcastMessage"},
    {103, 0, "Date.prototype", "getFullYear"}, {103, 1, "Date.prototype", "getYear"},
    {103, 2, "Date.prototype", "getMonth"}, {103, 3, "Date.prototype", "getDate"},
    {103, 4, "Date.prototype", "getDay"}, {103, 5, "Date.prototype", "getHours"},
    {103, 6, "Date.prototype", "getMinutes"}, {103, 7, "Date.prototype", "getSeconds"},
    {103, 8, "Date.prototype", "getMilliseconds"}, {103, 16, "Date.prototype", "getTime"},
    {103, 18, "Date.prototype", "getTimezoneOffset"}, {103, 19, "Date.prototype", "toString"},
    {103, 128, "Date.prototype", "getUTCFullYear"}, {103, 129, "Date.prototype", "getUTCYear"},
    {103, 130, "Date.prototype", "getUTCMonth"}, {103, 131, "Date.prototype", "getUTCDate"},
    {103, 132, "Date.prototype", "getUTCDay"}, {103, 133, "Date.prototype", "getUTCHours"},
    {103, 134, "Date.prototype", "getUTCMinutes"}, {103, 135, "Date.prototype", "getUTCSeconds"},
    {103, 136, "Date.prototype", "getUTCMilliseconds"}, {103, 256, "", "Date"}, {103, 257, "Date", "UTC"},
    {200, 0, "Math", "abs"}, {200, 1, "Math", "min"}, {200, 2, "Math", "max"}, {200, 3, "Math", "sin"},
    {200, 4, "Math", "cos"}, {200, 5, "Math", "atan2"}, {200, 6, "Math", "tan"}, {200, 7, "Math", "exp"},
    {200, 8, "Math", "log"}, {200, 9, "Math", "sqrt"}, {200, 10, "Math", "round"}, {200, 11, "Math", "random"},
    {200, 12, "Math", "floor"}, {200, 13, "Math", "ceil"}, {200, 14, "Math", "atan"}, {200, 15, "Math", "asin"},
    {200, 16, "Math", "acos"}, {200, 17, "Math", "pow"}, {200, 18, "", "isNaN"}, {200, 19, "", "isFinite"},
    {251, 3, "String.prototype", "toUpperCase"}, {251, 4, "String.prototype", "toLowerCase"},
};

// The Math table's other numbers: the dispatcher still reads two operands, and gives NaN.
Value unknownMathFunction(Interpreter& in, const Value&, std::span<const Value> args) {
    for (size_t i = 0; i < args.size() && i < 2; ++i) in.toNumber(args[i]);
    return Value(std::numeric_limits<double>::quiet_NaN());
}

// ASnative(2, 0): whether the script function running now was started by `new`.
Value constructingNow(Interpreter& in, const Value&, std::span<const Value>) {
    const Frame* f = in.currentFrame();
    return Value(f && f->constructing);
}

}  // namespace

Value asNative(Interpreter& in, const Value&, std::span<const Value> args) {
    if (args.size() != 2) return Value();
    int table = in.toInt(args[0]);
    int index = in.toInt(args[1]);
    for (const NativeEntry& e : kNatives) {
        if (e.table != table || e.index != index) continue;
        Value owner(in.global());
        std::string_view path = e.owner;
        while (!path.empty() && owner.isObject()) {
            size_t dot = path.find('.');
            owner = in.getMember(owner, path.substr(0, dot));
            path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
        }
        return owner.isObject() ? in.getMember(owner, e.name) : Value();
    }
    if (table == 200 && index >= 0) return Value(in.newFunction(unknownMathFunction));
    if (table == 2 && index == 0) return Value(in.newFunction(constructingNow));
    return Value();
}

}  // namespace kelmora::player::avm1
