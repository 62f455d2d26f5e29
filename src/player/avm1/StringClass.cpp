// String: methods work on the text's bytes (movies' texts are mostly ASCII).
#include <cmath>

#include "player/avm1/Builtins.h"

namespace kelmora::player::avm1 {

namespace {

std::string self(Interpreter& in, const Value& v) {
    if (Object* o = v.object(); o && o->kind() == ObjectKind::String) return in.toString(o->primitive);
    return in.toString(v);
}

// Integer argument with a default; NaN reads as 0.
double intArg(Interpreter& in, std::span<const Value> args, size_t i, double fallback) {
    if (i >= args.size() || args[i].isUndefined()) return fallback;
    double d = in.toNumber(args[i]);
    return std::isnan(d) ? 0 : std::trunc(d);
}

size_t clampIndex(double d, size_t len) { return d <= 0 ? 0 : (d >= static_cast<double>(len) ? len : static_cast<size_t>(d)); }

Value stringCtor(Interpreter& in, const Value&, std::span<const Value> args) {
    return Value(args.empty() ? std::string() : in.toString(args[0]));
}

Value stringConstruct(Interpreter& in, const Value&, std::span<const Value> args) {
    Object* o = in.toObject(Value(args.empty() ? std::string() : in.toString(args[0])));
    return Value(o);
}

Value toStringFn(Interpreter& in, const Value& v, std::span<const Value>) { return Value(self(in, v)); }

Value charAt(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::string s = self(in, v);
    double i = intArg(in, args, 0, 0);
    if (i < 0 || i >= static_cast<double>(s.size())) return Value("");
    return Value(s.substr(static_cast<size_t>(i), 1));
}

Value charCodeAt(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::string s = self(in, v);
    double i = intArg(in, args, 0, 0);
    if (i < 0 || i >= static_cast<double>(s.size())) return Value(std::nan(""));
    return Value(static_cast<double>(static_cast<unsigned char>(s[static_cast<size_t>(i)])));
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
    std::string s = self(in, v);
    if (args.empty()) return Value(-1.0);
    std::string needle = in.toString(args[0]);
    size_t from = clampIndex(intArg(in, args, 1, 0), s.size());
    size_t p = s.find(needle, from);
    return Value(p == std::string::npos ? -1.0 : static_cast<double>(p));
}

Value lastIndexOf(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::string s = self(in, v);
    if (args.empty()) return Value(-1.0);
    std::string needle = in.toString(args[0]);
    double from = intArg(in, args, 1, static_cast<double>(s.size()));
    if (from < 0) return Value(-1.0);
    size_t p = s.rfind(needle, static_cast<size_t>(std::min(from, 1e15)));
    return Value(p == std::string::npos ? -1.0 : static_cast<double>(p));
}

Value sliceFn(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::string s = self(in, v);
    double len = static_cast<double>(s.size());
    double a = intArg(in, args, 0, 0), b = intArg(in, args, 1, len);
    if (a < 0) a += len;
    if (b < 0) b += len;
    size_t start = clampIndex(a, s.size()), end = clampIndex(b, s.size());
    return Value(end > start ? s.substr(start, end - start) : std::string());
}

Value substring(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::string s = self(in, v);
    size_t start = clampIndex(intArg(in, args, 0, 0), s.size());
    size_t end = clampIndex(intArg(in, args, 1, static_cast<double>(s.size())), s.size());
    if (start > end) std::swap(start, end);
    return Value(s.substr(start, end - start));
}

Value substr(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::string s = self(in, v);
    double len = static_cast<double>(s.size());
    double a = intArg(in, args, 0, 0);
    if (a < 0) a = std::max(0.0, a + len);
    size_t start = clampIndex(a, s.size());
    double n = intArg(in, args, 1, len);
    if (n < 0) n = std::max(0.0, n + len - start);
    size_t count = clampIndex(n, s.size() - start);
    return Value(s.substr(start, count));
}

Value split(Interpreter& in, const Value& v, std::span<const Value> args) {
    std::string s = self(in, v);
    std::vector<Value> parts;
    double limit = args.size() > 1 && !args[1].isUndefined() ? in.toNumber(args[1]) : 4294967295.0;
    if (args.empty() || args[0].isUndefined()) {
        parts.push_back(Value(s));
    } else {
        std::string sep = in.toString(args[0]);
        if (sep.empty()) {
            for (char c : s) parts.push_back(Value(std::string(1, c)));
        } else if (!s.empty()) {
            size_t start = 0;
            while (true) {
                size_t p = s.find(sep, start);
                if (p == std::string::npos) {
                    parts.push_back(Value(s.substr(start)));
                    break;
                }
                parts.push_back(Value(s.substr(start, p - start)));
                start = p + sep.size();
            }
        } else if (in.swfVersion() < 6 || true) {
            parts.push_back(Value(""));
        }
    }
    if (limit >= 0 && limit < static_cast<double>(parts.size())) parts.resize(static_cast<size_t>(limit));
    return Value(in.newArray(parts));
}

Value toLower(Interpreter& in, const Value& v, std::span<const Value>) {
    std::string s = self(in, v);
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return Value(s);
}

Value toUpper(Interpreter& in, const Value& v, std::span<const Value>) {
    std::string s = self(in, v);
    for (auto& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return Value(s);
}

void appendUtf8(std::string& s, uint32_t c) {
    if (c < 0x80) {
        s.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        s.push_back(static_cast<char>(0xC0 | (c >> 6)));
        s.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        s.push_back(static_cast<char>(0xE0 | ((c >> 12) & 0x0F)));
        s.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        s.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

Value fromCharCode(Interpreter& in, const Value&, std::span<const Value> args) {
    std::string s;
    for (auto& a : args) {
        uint32_t c = toUint32(in.toNumber(a)) & 0xFFFF;
        if (c == 0) break;
        appendUtf8(s, c);
    }
    return Value(s);
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
