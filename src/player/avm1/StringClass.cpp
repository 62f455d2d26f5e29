// String: methods index texts in UTF-16 units, as the player.
#include <cmath>

#include "player/avm1/Builtins.h"
#include "player/avm1/Utf16.h"

namespace kelmora::player::avm1 {

namespace {

std::string self(Interpreter& in, const Value& v) {
    if (Object* o = v.object(); o && o->kind() == ObjectKind::String) return in.toString(o->primitive);
    return in.toString(v);
}

// Integer argument with a default; converted as a 32-bit integer (NaN reads as 0).
double intArg(Interpreter& in, std::span<const Value> args, size_t i, double fallback) {
    if (i >= args.size() || args[i].isUndefined()) return fallback;
    return static_cast<double>(in.toInt(args[i]));
}

size_t clampIndex(double d, size_t len) { return d <= 0 ? 0 : (d >= static_cast<double>(len) ? len : static_cast<size_t>(d)); }

Value text(const std::u16string& u) { return Value(fromUtf16(u)); }

Value stringCtor(Interpreter& in, const Value&, std::span<const Value> args) {
    return Value(args.empty() ? std::string() : in.toString(args[0]));
}

Value stringConstruct(Interpreter& in, const Value&, std::span<const Value> args) {
    Object* o = in.toObject(Value(args.empty() ? std::string() : in.toString(args[0])));
    return Value(o);
}

Value toStringFn(Interpreter& in, const Value& v, std::span<const Value>) { return Value(self(in, v)); }

Value charAt(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::u16string s = toUtf16(self(in, v));
    double i = intArg(in, args, 0, 0);
    if (i < 0 || i >= static_cast<double>(s.size())) return Value("");
    return text(s.substr(static_cast<size_t>(i), 1));
}

Value charCodeAt(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::u16string s = toUtf16(self(in, v));
    double i = intArg(in, args, 0, 0);
    if (i < 0 || i >= static_cast<double>(s.size())) return Value(std::nan(""));
    return Value(static_cast<double>(s[static_cast<size_t>(i)]));
}

Value concatFn(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::string s = self(in, v);
    for (auto& a : args) {
        s += in.toString(a);
        if (s.size() > in.limits().maxStringLength) break;
    }
    if (!in.chargeText(s.size())) return Value();
    return Value(s);
}

Value indexOf(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::u16string s = toUtf16(self(in, v));
    if (args.empty()) return Value();
    std::u16string needle = toUtf16(in.toString(args[0]));
    double from = intArg(in, args, 1, 0);
    if (from > static_cast<double>(s.size())) return Value(-1.0);
    size_t p = s.find(needle, clampIndex(from, s.size()));
    return Value(p == std::u16string::npos ? -1.0 : static_cast<double>(p));
}

Value lastIndexOf(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::u16string s = toUtf16(self(in, v));
    if (args.empty()) return Value();
    std::u16string needle = toUtf16(in.toString(args[0]));
    double from = intArg(in, args, 1, static_cast<double>(s.size()));
    if (from < 0) return Value(-1.0);
    size_t p = s.rfind(needle, static_cast<size_t>(from));
    return Value(p == std::u16string::npos ? -1.0 : static_cast<double>(p));
}

Value sliceFn(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::u16string s = toUtf16(self(in, v));
    if (args.empty()) return Value();
    double len = static_cast<double>(s.size());
    double a = intArg(in, args, 0, 0), b = intArg(in, args, 1, len);
    if (a < 0) a += len;
    if (b < 0) b += len;
    size_t start = clampIndex(a, s.size()), end = clampIndex(b, s.size());
    return text(end > start ? s.substr(start, end - start) : std::u16string());
}

Value substring(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::u16string s = toUtf16(self(in, v));
    if (args.empty()) return Value();
    size_t start = clampIndex(intArg(in, args, 0, 0), s.size());
    size_t end = clampIndex(intArg(in, args, 1, static_cast<double>(s.size())), s.size());
    if (start > end) std::swap(start, end);
    return text(s.substr(start, end - start));
}

Value substr(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::u16string s = toUtf16(self(in, v));
    if (args.empty()) return Value();
    double len = static_cast<double>(s.size());
    double a = intArg(in, args, 0, 0);
    if (a < 0) a = std::max(0.0, a + len);
    size_t start = clampIndex(a, s.size());
    double n = intArg(in, args, 1, len);
    if (n < 0) {
        // A negative count counts from the end; the player gives nothing when that reaches the
        // text's end from the start.
        n += len;
        if (n < 0 || n >= len - static_cast<double>(start)) return Value("");
    }
    size_t count = clampIndex(n, s.size() - start);
    return text(s.substr(start, count));
}

Value split(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::string s8 = self(in, v);
    std::vector<Value> parts;
    if (args.empty() || args[0].isUndefined()) {
        parts.push_back(Value(s8));
        return Value(in.newArray(parts));
    }
    double limit = args.size() > 1 && !args[1].isUndefined() ? static_cast<double>(in.toInt(args[1])) : 4294967295.0;
    if (limit <= 0) return Value(in.newArray());
    size_t max = static_cast<size_t>(std::min(limit, 1e9));
    std::u16string s = toUtf16(s8);
    std::u16string sep = toUtf16(in.toString(args[0]));
    if (sep.empty()) {
        for (size_t i = 0; i < s.size() && parts.size() < max; ++i) parts.push_back(text(s.substr(i, 1)));
    } else if (!s.empty()) {
        size_t start = 0;
        while (parts.size() < max) {
            size_t p = s.find(sep, start);
            if (p == std::u16string::npos) {
                parts.push_back(text(s.substr(start)));
                break;
            }
            parts.push_back(text(s.substr(start, p - start)));
            start = p + sep.size();
        }
    } else {
        parts.push_back(Value(""));
    }
    return Value(in.newArray(parts));
}

Value toLower(Interpreter& in, const Value& v, std::span<const Value>) {
    std::u16string s = toUtf16(self(in, v));
    for (auto& c : s) c = toLowerUnit(c);
    return text(s);
}

Value toUpper(Interpreter& in, const Value& v, std::span<const Value>) {
    std::u16string s = toUtf16(self(in, v));
    for (auto& c : s) c = toUpperUnit(c);
    return text(s);
}

Value fromCharCode(Interpreter& in, const Value&, std::span<const Value> args) {
    std::u16string s;
    for (auto& a : args) {
        auto c = static_cast<char16_t>(toUint32(in.toNumber(a)) & 0xFFFF);
        if (c == 0) break;
        s.push_back(c);
    }
    return text(s);
}

}  // namespace

void installStringClass(Interpreter& in) {
    Object* proto = in.newObject();
    in.stringPrototype = proto;
    Object* cls = in.makeClass(in.global(), "String", stringCtor, proto);
    cls->nativeConstruct = stringConstruct;
    in.method(cls, "fromCharCode", fromCharCode);
    in.method(proto, "toString", toStringFn);
    in.method(proto, "valueOf", toStringFn);
    in.method(proto, "charAt", charAt);
    in.method(proto, "charCodeAt", charCodeAt);
    in.method(proto, "concat", concatFn);
    in.method(proto, "indexOf", indexOf);
    in.method(proto, "lastIndexOf", lastIndexOf);
    in.method(proto, "slice", sliceFn);
    in.method(proto, "substring", substring);
    in.method(proto, "substr", substr);
    in.method(proto, "split", split);
    in.method(proto, "toLowerCase", toLower);
    in.method(proto, "toUpperCase", toUpper);
}

}  // namespace kelmora::player::avm1
