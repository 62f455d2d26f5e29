// Date on the player's frame clock: "now" is a fixed start plus the movie's running time, so
// every run shows the same dates. Local time is UTC.
#include <cmath>
#include <limits>

#include "player/avm1/Builtins.h"

namespace kelmora::player::avm1 {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kStartMs = 946684800000.0;  // 2000-01-01 00:00:00 UTC
constexpr double kMsPerDay = 86400000.0;

double daysFromCivil(double y, double m, double d) {  // m 0-based; days since 1970-01-01
    y += std::floor(m / 12);
    m = std::fmod(m, 12);
    if (m < 0) m += 12;
    int64_t yy = static_cast<int64_t>(y) - (m < 2 ? 1 : 0);
    int64_t era = (yy >= 0 ? yy : yy - 399) / 400;
    int64_t yoe = yy - era * 400;
    int64_t mp = (static_cast<int64_t>(m) + 9) % 12;
    int64_t doy = (153 * mp + 2) / 5;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<double>(era * 146097 + doe - 719468) + d - 1;
}

struct Civil {
    double year, month, day, hours, minutes, seconds, ms, weekday;
};

Civil civil(double t) {
    double days = std::floor(t / kMsPerDay);
    double msInDay = t - days * kMsPerDay;
    int64_t z = static_cast<int64_t>(days) + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t d = doy - (153 * mp + 2) / 5 + 1;
    int64_t m = mp < 10 ? mp + 3 : mp - 9;
    int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    Civil c;
    c.year = static_cast<double>(y);
    c.month = static_cast<double>(m - 1);
    c.day = static_cast<double>(d);
    c.hours = std::floor(msInDay / 3600000);
    c.minutes = std::fmod(std::floor(msInDay / 60000), 60);
    c.seconds = std::fmod(std::floor(msInDay / 1000), 60);
    c.ms = std::fmod(msInDay, 1000);
    c.weekday = std::fmod(std::fmod(days + 4, 7) + 7, 7);
    return c;
}

double makeTime(const Civil& c) {
    double t = daysFromCivil(c.year, c.month, c.day) * kMsPerDay + c.hours * 3600000 + c.minutes * 60000 +
               c.seconds * 1000 + c.ms;
    return std::isfinite(t) && std::fabs(t) <= 8.64e15 ? t : kNaN;
}

double timeOf(const Value& self) {
    Object* o = self.object();
    if (!o || o->kind() != ObjectKind::Date || !o->primitive.isNumber()) return kNaN;
    return o->primitive.number();
}

double nowMs(Interpreter& in) { return kStartMs + std::floor(in.host().timeMs()); }

Value dateFromArgs(Interpreter& in, std::span<const Value> args) {
    if (args.empty()) return Value(nowMs(in));
    if (args.size() == 1) return Value(in.toNumber(args[0]));
    Civil c{};
    double* fields[] = {&c.year, &c.month, &c.day, &c.hours, &c.minutes, &c.seconds, &c.ms};
    c.day = 1;
    for (size_t i = 0; i < args.size() && i < 7; ++i) *fields[i] = in.toNumber(args[i]);
    for (double* f : fields)
        if (std::isnan(*f)) return Value(kNaN);
    if (c.year >= 0 && c.year <= 99) c.year += 1900;
    return Value(makeTime(c));
}

Value dateConstruct(Interpreter& in, const Value&, std::span<const Value> args) {
    Object* o = in.heap().make(ObjectKind::Date, in.datePrototype);
    o->primitive = dateFromArgs(in, args);
    return Value(o);
}

Value dateCall(Interpreter& in, const Value& self, std::span<const Value> args) {
    // Called as a function from `new` on a subclass: initialise `this`.
    if (Object* o = self.object(); o && o->kind() == ObjectKind::Plain) {
        o->primitive = dateFromArgs(in, args);
        return Value();
    }
    Value d = dateConstruct(in, Value(), {});
    return Value(in.toString(d));
}

#define KELMORA_DATE_GET(NAME, FIELD)                                         \
    Value NAME(Interpreter&, const Value& self, std::span<const Value>) {    \
        double t = timeOf(self);                                              \
        if (std::isnan(t)) return Value(kNaN);                                \
        return Value(civil(t).FIELD);                                         \
    }
KELMORA_DATE_GET(getFullYear, year)
KELMORA_DATE_GET(getMonth, month)
KELMORA_DATE_GET(getDate, day)
KELMORA_DATE_GET(getDay, weekday)
KELMORA_DATE_GET(getHours, hours)
KELMORA_DATE_GET(getMinutes, minutes)
KELMORA_DATE_GET(getSeconds, seconds)
KELMORA_DATE_GET(getMilliseconds, ms)
#undef KELMORA_DATE_GET

Value getYear(Interpreter&, const Value& self, std::span<const Value>) {
    double t = timeOf(self);
    return Value(std::isnan(t) ? kNaN : civil(t).year - 1900);
}
Value getTime(Interpreter&, const Value& self, std::span<const Value>) { return Value(timeOf(self)); }
Value getTimezoneOffset(Interpreter&, const Value&, std::span<const Value>) { return Value(0.0); }

// setX(values...): replaces fields from `first` on with the arguments given.
Value setFields(Interpreter& in, const Value& self, std::span<const Value> args, int first) {
    Object* o = self.object();
    if (!o || o->kind() != ObjectKind::Date) return Value(kNaN);
    double t = timeOf(self);
    Civil c = civil(std::isnan(t) ? 0 : t);
    double* fields[] = {&c.year, &c.month, &c.day, &c.hours, &c.minutes, &c.seconds, &c.ms};
    for (size_t i = 0; i < args.size() && first + static_cast<int>(i) < 7; ++i) *fields[first + i] = in.toNumber(args[i]);
    double r = kNaN;
    bool ok = true;
    for (double* f : fields) ok = ok && !std::isnan(*f);
    if (ok) r = makeTime(c);
    o->primitive = Value(r);
    return Value(r);
}
Value setFullYear(Interpreter& in, const Value& s, std::span<const Value> a) { return setFields(in, s, a, 0); }
Value setMonth(Interpreter& in, const Value& s, std::span<const Value> a) { return setFields(in, s, a, 1); }
Value setDate(Interpreter& in, const Value& s, std::span<const Value> a) { return setFields(in, s, a, 2); }
Value setHours(Interpreter& in, const Value& s, std::span<const Value> a) { return setFields(in, s, a, 3); }
Value setMinutes(Interpreter& in, const Value& s, std::span<const Value> a) { return setFields(in, s, a, 4); }
Value setSeconds(Interpreter& in, const Value& s, std::span<const Value> a) { return setFields(in, s, a, 5); }
Value setMilliseconds(Interpreter& in, const Value& s, std::span<const Value> a) { return setFields(in, s, a, 6); }
Value setTime(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o || o->kind() != ObjectKind::Date) return Value(kNaN);
    o->primitive = Value(in.toNumber(arg(args, 0)));
    return o->primitive;
}

Value dateToString(Interpreter&, const Value& self, std::span<const Value>) {
    double t = timeOf(self);
    if (std::isnan(t)) return Value("Invalid Date");
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    Civil c = civil(t);
    char buf[80];
    std::snprintf(buf, sizeof buf, "%s %s %d %02d:%02d:%02d GMT+0000 %d", days[static_cast<int>(c.weekday)],
                  months[static_cast<int>(c.month)], static_cast<int>(c.day), static_cast<int>(c.hours),
                  static_cast<int>(c.minutes), static_cast<int>(c.seconds), static_cast<int>(c.year));
    return Value(buf);
}

Value dateUtc(Interpreter& in, const Value&, std::span<const Value> args) {
    if (args.size() < 2) return Value(kNaN);
    return dateFromArgs(in, args);
}

}  // namespace

void installDateClass(Interpreter& in) {
    Object* proto = in.newObject();
    in.datePrototype = proto;
    Object* cls = in.makeClass(in.global(), "Date", dateCall, proto);
    cls->nativeConstruct = dateConstruct;
    in.method(cls, "UTC", dateUtc);
    struct Fn {
        const char* name;
        NativeFunction fn;
    };
    for (Fn f : {Fn{"getFullYear", getFullYear}, {"getUTCFullYear", getFullYear}, {"getYear", getYear},
                 {"getMonth", getMonth}, {"getUTCMonth", getMonth}, {"getDate", getDate}, {"getUTCDate", getDate},
                 {"getDay", getDay}, {"getUTCDay", getDay}, {"getHours", getHours}, {"getUTCHours", getHours},
                 {"getMinutes", getMinutes}, {"getUTCMinutes", getMinutes}, {"getSeconds", getSeconds},
                 {"getUTCSeconds", getSeconds}, {"getMilliseconds", getMilliseconds},
                 {"getUTCMilliseconds", getMilliseconds}, {"getTime", getTime}, {"valueOf", getTime},
                 {"getTimezoneOffset", getTimezoneOffset}, {"setFullYear", setFullYear}, {"setUTCFullYear", setFullYear},
                 {"setMonth", setMonth}, {"setUTCMonth", setMonth}, {"setDate", setDate}, {"setUTCDate", setDate},
                 {"setHours", setHours}, {"setUTCHours", setHours}, {"setMinutes", setMinutes},
                 {"setUTCMinutes", setMinutes}, {"setSeconds", setSeconds}, {"setUTCSeconds", setSeconds},
                 {"setMilliseconds", setMilliseconds}, {"setUTCMilliseconds", setMilliseconds}, {"setTime", setTime},
                 {"toString", dateToString}})
        in.method(proto, f.name, f.fn);
}

}  // namespace kelmora::player::avm1
