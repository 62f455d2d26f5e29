// Global functions: parseInt, parseFloat, isNaN, isFinite, escape, unescape, getTimer, timers,
// ASSetPropFlags, trace and the version variables.
#include <cmath>
#include <limits>

#include "player/avm1/AsNative.h"
#include "player/avm1/Builtins.h"

namespace kelmora::player::avm1 {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

Value parseIntFn(Interpreter& in, const Value&, std::span<const Value> args) {
    if (args.empty()) return Value(kNaN);
    // A String object is read by its own text, not through toString.
    Object* wrapper = args[0].object();
    std::string s = wrapper && wrapper->kind() == ObjectKind::String && wrapper->primitive.isString()
                        ? wrapper->primitive.string()
                        : in.toString(args[0]);
    int radix = args.size() > 1 && !args[1].isUndefined() ? in.toInt(args[1]) : 0;
    auto hexPrefixAt = [&](size_t at) { return at + 1 < s.size() && s[at] == '0' && (s[at + 1] == 'x' || s[at + 1] == 'X'); };
    size_t i = 0;
    bool negative = false;
    auto readSign = [&] {
        if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
            negative = s[i++] == '-';
            return true;
        }
        return false;
    };
    if (radix == 0 && hexPrefixAt(0)) {
        // Hex only right at the start; its sign comes after the prefix ("0x-111").
        radix = 16;
        i = 2;
        readSign();
    } else {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
        const bool blanks = i > 0;
        const bool sign = readSign();
        if (radix == 0) {
            if (sign && hexPrefixAt(i)) return Value(kNaN);  // "-0x111"
            // Octal only without blanks in front and when the rest is all octal digits.
            bool octal = !blanks && i + 1 < s.size() && s[i] == '0';
            for (size_t j = i; octal && j < s.size(); ++j) octal = s[j] >= '0' && s[j] <= '7';
            radix = octal ? 8 : 10;
        } else if (i == 0 && hexPrefixAt(i)) {
            i += 2;  // a given radix reads past a leading "0x" ("0x123" in base 8 is 83)
        }
    }
    if (radix < 2 || radix > 36) return Value(kNaN);
    double v = 0;
    size_t digits = 0;
    for (; i < s.size(); ++i) {
        int d = digitValue(s[i]);
        if (d >= radix) break;
        v = v * radix + d;
        ++digits;
    }
    if (digits == 0) return Value(kNaN);
    return Value(negative ? -v : v);
}

Value parseFloatFn(Interpreter& in, const Value&, std::span<const Value> args) {
    if (args.empty()) return Value();
    std::string s = in.toString(args[0]);
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
    // The player's reader skips any further points among the digits ("1.2.3" is 1.23) and then
    // takes no exponent; the exponent wraps as a 32-bit integer. It sums the fraction digit by
    // digit (so ".1499999" is 0.14999990000000005), then scales by the power of ten.
    size_t j = i;
    bool negative = false;
    if (j < s.size() && (s[j] == '-' || s[j] == '+')) negative = s[j++] == '-';
    size_t digits = 0, points = 0;
    double value = 0, place = 1;
    for (; j < s.size(); ++j) {
        if (s[j] >= '0' && s[j] <= '9') {
            int d = s[j] - '0';
            if (points) {
                place /= 10;
                value += d * place;
            } else {
                value = value * 10 + d;
            }
            ++digits;
        } else if (s[j] == '.') {
            ++points;
        } else {
            break;
        }
    }
    if (digits == 0) return Value(kNaN);
    if (points < 2 && j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
        size_t k = j + 1;
        bool negativeExp = false;
        if (k < s.size() && (s[k] == '-' || s[k] == '+')) negativeExp = s[k++] == '-';
        uint32_t e = 0;
        size_t expDigits = 0;
        for (; k < s.size() && s[k] >= '0' && s[k] <= '9'; ++k, ++expDigits) e = e * 10 + static_cast<uint32_t>(s[k] - '0');
        if (expDigits && value != 0) {
            int64_t exp = static_cast<int32_t>(e);
            if (negativeExp) exp = -exp;
            value = exp < 0 ? value / std::pow(10.0, static_cast<double>(-exp)) : value * std::pow(10.0, static_cast<double>(exp));
        }
    }
    return Value(negative ? -value : value);
}

Value isNaNFn(Interpreter& in, const Value&, std::span<const Value> args) {
    return Value(std::isnan(in.toNumber(arg(args, 0))));
}

Value isFiniteFn(Interpreter& in, const Value&, std::span<const Value> args) {
    if (args.empty()) return Value(false);
    return Value(static_cast<bool>(std::isfinite(in.toNumber(arg(args, 0)))));
}

Value escapeFn(Interpreter& in, const Value&, std::span<const Value> args) {
    std::string out;
    urlEncode(in.toString(arg(args, 0)), out);
    return Value(out);
}

Value unescapeFn(Interpreter& in, const Value&, std::span<const Value> args) {
    std::string s = in.toString(arg(args, 0)), out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%') {
            // A broken escape is dropped: "%" with the character after it, and with the one after
            // that too when the first was a hex digit ("%zz" leaves "z", "%2r" nothing).
            const bool firstHex = i + 1 < s.size() && digitValue(s[i + 1]) < 16;
            if (firstHex && i + 2 < s.size() && digitValue(s[i + 2]) < 16)
                out.push_back(static_cast<char>(digitValue(s[i + 1]) * 16 + digitValue(s[i + 2])));
            i += firstHex ? 2 : 1;
        } else if (s[i] == '+') {
            out.push_back(' ');
        } else {
            out.push_back(s[i]);
        }
    }
    return Value(out);
}

Value getTimerFn(Interpreter& in, const Value&, std::span<const Value>) { return Value(std::floor(in.host().timeMs())); }

Value traceFn(Interpreter& in, const Value&, std::span<const Value> args) {
    in.trace(arg(args, 0));
    return Value();
}

Value addTimer(Interpreter& in, std::span<const Value> args, bool repeat) {
    if (args.empty()) return Value();
    Interpreter::Timer t;
    size_t next;
    if (args[0].object() && args[0].object()->callable()) {
        t.fn = args[0];
        next = 1;
    } else if (args[0].isObject() && args.size() > 1) {
        t.fn = args[0];
        t.name = in.toString(args[1]);
        next = 2;
    } else {
        return Value();
    }
    if (next >= args.size() || args[next].isUndefined()) return Value();
    t.interval = std::max(0.0, in.toNumber(args[next]));
    if (std::isnan(t.interval)) t.interval = 0;
    t.args.assign(args.begin() + static_cast<long>(next) + 1, args.end());
    t.repeat = repeat;
    t.due = in.host().timeMs() + t.interval;
    t.id = in.nextTimerId++;
    in.timers.push_back(std::move(t));
    return Value(static_cast<double>(in.timers.back().id));
}

Value setIntervalFn(Interpreter& in, const Value&, std::span<const Value> args) { return addTimer(in, args, true); }
Value setTimeoutFn(Interpreter& in, const Value&, std::span<const Value> args) { return addTimer(in, args, false); }

Value clearTimerFn(Interpreter& in, const Value&, std::span<const Value> args) {
    int id = in.toInt(arg(args, 0));
    std::erase_if(in.timers, [id](const Interpreter::Timer& t) { return t.id == id; });
    return Value();
}

// ASSetPropFlags(object, names, set, clear): names is "a,b", an array, or null for all.
Value asSetPropFlags(Interpreter& in, const Value&, std::span<const Value> args) {
    Object* o = arg(args, 0).object();
    if (!o) return Value();
    Value names = arg(args, 1);
    int set = in.toInt(arg(args, 2));
    int clear = in.toInt(arg(args, 3));
    std::vector<std::string> list;
    // undefined names the property "undefined" where it reads so (SWF 7 on); other objects
    // than arrays stand for their text.
    bool all = names.isNull() || (names.isUndefined() && in.swfVersion() < 7);
    if (Object* a = names.object(); a && a->kind() == ObjectKind::Array) {
        double n = in.toNumber(in.getMember(a, "length"));
        for (int i = 0; i < n && i < 100000; ++i) list.push_back(in.toString(in.getMember(a, std::to_string(i))));
    } else if (!all) {
        std::string s = in.toString(names);
        size_t start = 0;
        while (start <= s.size()) {
            size_t comma = s.find(',', start);
            if (comma == std::string::npos) comma = s.size();
            list.push_back(s.substr(start, comma - start));
            start = comma + 1;
        }
    }
    auto apply = [&](Property& p) {
        p.flags = static_cast<uint16_t>(((p.flags & ~clear) | set) & kSettablePropertyFlags);
    };
    if (all) {
        for (auto& p : o->rawProperties())
            if (!p.deleted) apply(p);
    } else {
        // Hidden properties can be flagged back into view: match names over the raw list.
        NameEqual eq{o->caseSensitive()};
        for (auto& name : list)
            for (auto& p : o->rawProperties())
                if (!p.deleted && eq(p.name, name)) apply(p);
    }
    return Value();
}

Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

Value getVersionFn(Interpreter&, const Value&, std::span<const Value>) { return Value(playerVersionString()); }

}  // namespace

void installGlobalFunctions(Interpreter& in) {
    Object* g = in.global();
    in.method(g, "parseInt", parseIntFn);
    in.method(g, "parseFloat", parseFloatFn);
    in.method(g, "isNaN", isNaNFn);
    in.method(g, "isFinite", isFiniteFn);
    in.method(g, "escape", escapeFn);
    in.method(g, "unescape", unescapeFn);
    in.method(g, "getTimer", getTimerFn);
    in.method(g, "trace", traceFn);
    in.method(g, "setInterval", setIntervalFn);
    in.method(g, "clearInterval", clearTimerFn);
    in.method(g, "setTimeout", setTimeoutFn);
    in.method(g, "clearTimeout", clearTimerFn);
    in.method(g, "ASSetPropFlags", asSetPropFlags);
    in.method(g, "ASnative", asNative);
    in.method(g, "updateAfterEvent", noop);
    in.method(g, "getVersion", getVersionFn);
    g->define("NaN", Value(kNaN), kDontEnum);
    g->define("Infinity", Value(std::numeric_limits<double>::infinity()), kDontEnum);
    // The player's own start-up script leaves its helper variable `o` set to null.
    g->define("o", Value::null(), kDontEnum);
}

}  // namespace kelmora::player::avm1
