// flash.filters (SWF 8): each filter class is a list of properties with its own defaults and
// rules (clamped numbers, colours, alphas kept as bytes, angles in degrees); objects keep their
// values natively and turn into the renderer's filter records for MovieClip.filters.
#include <algorithm>
#include <array>
#include <limits>
#include <cmath>
#include <numbers>

#include "player/avm1/BitmapData.h"
#include "player/avm1/BitmapHost.h"
#include "player/avm1/Builtins.h"
#include "player/avm1/FilterObjects.h"
#include "player/avm1/GeomSupport.h"

namespace kelmora::player::avm1 {

namespace {

enum class Kind : uint8_t { ColorMatrix, Number, Quality, Color, Alpha, Boolean, Angle, Type, Numbers, Colors, Alphas, Ratios,
                            MapPoint, Bitmap, Mode, ConvolutionAlpha };

struct FilterPropertyInfo {
    const char* name;
    Kind kind;
    double fallback;
    double min = -1e300, max = 1e300;
};

struct FilterClassInfo {
    const char* name;
    int filterKind;  // Filter::Kind, or -1: not drawn
    std::vector<FilterPropertyInfo> properties;
    std::vector<const char*> listed;  // the order for..in lists them in
};

const std::vector<FilterClassInfo>& classes() {
    static const std::vector<FilterClassInfo> specs = {
        {"BlurFilter", 1, {{"blurX", Kind::Number, 4, 0, 255}, {"blurY", Kind::Number, 4, 0, 255}, {"quality", Kind::Quality, 1}},
         {"blurX", "blurY", "quality"}},
        {"DropShadowFilter", 0,
         {{"distance", Kind::Number, 4}, {"angle", Kind::Angle, 45}, {"color", Kind::Color, 0}, {"alpha", Kind::Alpha, 1},
          {"blurX", Kind::Number, 4, 0, 255}, {"blurY", Kind::Number, 4, 0, 255}, {"strength", Kind::Number, 1, 0, 255},
          {"quality", Kind::Quality, 1}, {"inner", Kind::Boolean, 0}, {"knockout", Kind::Boolean, 0},
          {"hideObject", Kind::Boolean, 0}},
         {"distance", "angle", "color", "alpha", "quality", "inner", "knockout", "blurX", "blurY", "strength", "hideObject"}},
        {"GlowFilter", 2,
         {{"color", Kind::Color, 0xFF0000}, {"alpha", Kind::Alpha, 1}, {"blurX", Kind::Number, 6, 0, 255},
          {"blurY", Kind::Number, 6, 0, 255}, {"strength", Kind::Number, 2, 0, 255}, {"quality", Kind::Quality, 1},
          {"inner", Kind::Boolean, 0}, {"knockout", Kind::Boolean, 0}},
         {"color", "alpha", "quality", "inner", "knockout", "blurX", "blurY", "strength"}},
        {"BevelFilter", 3,
         {{"distance", Kind::Number, 4}, {"angle", Kind::Angle, 45}, {"highlightColor", Kind::Color, 0xFFFFFF},
          {"highlightAlpha", Kind::Alpha, 1}, {"shadowColor", Kind::Color, 0}, {"shadowAlpha", Kind::Alpha, 1},
          {"blurX", Kind::Number, 4, 0, 255}, {"blurY", Kind::Number, 4, 0, 255}, {"strength", Kind::Number, 1, 0, 255},
          {"quality", Kind::Quality, 1}, {"type", Kind::Type, 0}, {"knockout", Kind::Boolean, 0}},
         {"distance", "angle", "highlightColor", "highlightAlpha", "shadowColor", "shadowAlpha", "quality", "strength", "knockout", "blurX", "blurY", "type"}},
        {"GradientGlowFilter", 4,
         {{"distance", Kind::Number, 4}, {"angle", Kind::Angle, 45}, {"colors", Kind::Colors, 0},
          {"alphas", Kind::Alphas, 0}, {"ratios", Kind::Ratios, 0}, {"blurX", Kind::Number, 4, 0, 255},
          {"blurY", Kind::Number, 4, 0, 255}, {"strength", Kind::Number, 1, 0, 255}, {"quality", Kind::Quality, 1},
          {"type", Kind::Type, 0}, {"knockout", Kind::Boolean, 0}},
         {"distance", "angle", "colors", "alphas", "ratios", "blurX", "blurY", "quality", "strength", "knockout", "type"}},
        {"ConvolutionFilter", 5,
         {{"matrixX", Kind::Number, 0, 0, 15}, {"matrixY", Kind::Number, 0, 0, 15}, {"matrix", Kind::Numbers, 0},
          {"divisor", Kind::Number, 1}, {"bias", Kind::Number, 0}, {"preserveAlpha", Kind::Boolean, 1},
          {"clamp", Kind::Boolean, 1}, {"color", Kind::Color, 0}, {"alpha", Kind::ConvolutionAlpha, 0}},
         {"matrixX", "matrixY", "matrix", "divisor", "bias", "preserveAlpha", "clamp", "color", "alpha"}},
        {"ColorMatrixFilter", 6, {{"matrix", Kind::ColorMatrix, 0}},
         {"matrix"}},
        {"GradientBevelFilter", 7,
         {{"distance", Kind::Number, 4}, {"angle", Kind::Angle, 45}, {"colors", Kind::Colors, 0},
          {"alphas", Kind::Alphas, 0}, {"ratios", Kind::Ratios, 0}, {"blurX", Kind::Number, 4, 0, 255},
          {"blurY", Kind::Number, 4, 0, 255}, {"strength", Kind::Number, 1, 0, 255}, {"quality", Kind::Quality, 1},
          {"type", Kind::Type, 0}, {"knockout", Kind::Boolean, 0}},
         {"distance", "angle", "colors", "alphas", "ratios", "blurX", "blurY", "quality", "strength", "knockout", "type"}},
        {"DisplacementMapFilter", -1,
         {{"mapBitmap", Kind::Bitmap, 0}, {"mapPoint", Kind::MapPoint, 0}, {"componentX", Kind::Number, 0},
          {"componentY", Kind::Number, 0}, {"scaleX", Kind::Number, 0, -65535, 65535}, {"scaleY", Kind::Number, 0, -65535, 65535},
          {"mode", Kind::Mode, 0}, {"color", Kind::Color, 0}, {"alpha", Kind::Alpha, 0}},
         {"mapBitmap", "mapPoint", "componentX", "componentY", "scaleX", "scaleY", "mode", "color", "alpha"}},
    };
    return specs;
}

constexpr size_t kMaxFilterArray = 400;  // colour matrix 20, convolution 15 x 15, gradients 16

struct FilterState : NativeState {
    const FilterClassInfo* info = nullptr;
    std::vector<Value> values;  // by property
    void mark(const std::function<void(Object*)>& mark) const override {
        for (const Value& v : values)
            if (Object* o = v.object()) mark(o);
    }
};

FilterState* filterState(const Value& v) {
    Object* o = v.object();
    return o ? dynamic_cast<FilterState*>(o->state.get()) : nullptr;
}

// The player's double to int: NaN and out-of-range values become the smallest int.
double toPlayerInt(double d) {
    if (std::isnan(d) || d >= 2147483648.0 || d < -2147483648.0) return -2147483648.0;
    return std::trunc(d);
}

Value numberArray(Interpreter& in, const Value& v, Kind kind) {
    std::vector<Value> items;
    Object* a = v.object();
    if (a && a->kind() == ObjectKind::Array) {
        size_t n = std::min<size_t>(a->arrayLength, kMaxFilterArray);
        for (size_t i = 0; i < n; ++i) {
            double d = in.toNumber(in.getMember(a, std::to_string(i)));
            switch (kind) {
            case Kind::Colors: d = double(toUint32(d) & 0xFFFFFF); break;
            case Kind::Alphas: d = std::isnan(d) ? 0 : std::clamp(d, 0.0, 1.0); break;
            case Kind::Ratios: d = std::isnan(d) ? 0 : std::clamp(d, 0.0, 255.0); break;
            case Kind::ColorMatrix: break;  // NaN stays
            default: if (std::isnan(d)) d = 0; break;
            }
            items.push_back(Value(d));
        }
    }
    return Value(in.newArray(items));
}

Value identityMatrix(Interpreter& in) {
    std::vector<Value> items;
    for (int i = 0; i < 20; ++i) items.push_back(Value(i % 6 == 0 ? 1 : 0));
    return Value(in.newArray(items));
}

// A value as the property keeps it.
Value coerce(Interpreter& in, const FilterPropertyInfo& p, const Value& v) {
    switch (p.kind) {
    case Kind::Number: {
        double d = in.toNumber(v);
        if (std::isnan(d)) d = 0;
        return Value(std::clamp(d, p.min, p.max));
    }
    case Kind::Quality: return Value(std::clamp(in.toInt(v), 0, 15));
    case Kind::Color: return Value(double(toUint32(in.toNumber(v)) & 0xFFFFFF));
    case Kind::Alpha:
    case Kind::ConvolutionAlpha: {
        double d = in.toNumber(v);
        d = std::isnan(d) ? 0 : std::clamp(d, 0.0, 1.0);
        return Value(std::floor(d * 255) / 255);
    }
    case Kind::Boolean: return Value(in.toBoolean(v));
    case Kind::Angle: {
        double d = in.toNumber(v);
        return Value(std::isfinite(d) ? std::fmod(d, 360.0) : 0.0);
    }
    case Kind::Type: {
        std::string s = in.toString(v);
        return Value(s == "inner" || s == "outer" ? s : std::string("full"));
    }
    case Kind::Mode: {
        std::string s = in.toString(v);
        return Value(s == "clamp" || s == "ignore" || s == "color" ? s : std::string("wrap"));
    }
    case Kind::Numbers:
    case Kind::Colors:
    case Kind::Alphas:
    case Kind::Ratios: return numberArray(in, v, p.kind);
    case Kind::ColorMatrix: {
        // Twenty numbers; an array's missing entries are NaN, no matrix at all is the identity.
        if (v.isNullish()) return identityMatrix(in);
        Object* a = v.object();
        std::vector<Value> items;
        for (size_t i = 0; i < 20; ++i)
            items.push_back(Value(a && i < a->arrayLength ? in.toNumber(in.getMember(a, std::to_string(i)))
                                                          : std::numeric_limits<double>::quiet_NaN()));
        return Value(in.newArray(items));
    }
    case Kind::Bitmap: return bitmapDataOf(v) ? v : Value();
    case Kind::MapPoint: {
        Object* o = v.object();
        Value x = o ? in.getMember(o, "x") : Value(), y = o ? in.getMember(o, "y") : Value();
        // Both are converted (their valueOf runs) before the point is judged.
        double dx = in.toNumber(x), dy = in.toNumber(y);
        if (x.isUndefined() || y.isUndefined()) return Value(newPoint(in, Value(0), Value(0)));
        return Value(newPoint(in, Value(toPlayerInt(dx)), Value(toPlayerInt(dy))));
    }
    }
    return v;
}

Value defaultValue(Interpreter& in, const FilterPropertyInfo& p) {
    switch (p.kind) {
    case Kind::Type: return Value("inner");
    case Kind::Mode: return Value("wrap");
    case Kind::Numbers:
    case Kind::Colors:
    case Kind::Alphas:
    case Kind::Ratios: return Value(in.newArray());
    case Kind::Bitmap: return Value();
    case Kind::ColorMatrix: return identityMatrix(in);
    // The player's default of 45 degrees is kept in radians to nine decimals.
    case Kind::Angle: return Value(0.785398163 * 180 / std::numbers::pi);
    case Kind::MapPoint: return Value(newPoint(in, Value(0), Value(0)));
    case Kind::Boolean: return Value(p.fallback != 0);
    default: return Value(p.fallback);
    }
}

template <size_t ClassIndex>
Value construct(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o) return Value();
    const FilterClassInfo& info = classes()[ClassIndex];
    auto state = std::make_unique<FilterState>();
    state->info = &info;
    for (size_t i = 0; i < info.properties.size(); ++i) {
        const FilterPropertyInfo& p = info.properties[i];
        Value v = i < args.size() ? coerce(in, p, args[i]) : defaultValue(in, p);
        // A convolution given a colour but no alpha shows the colour fully.
        if (p.kind == Kind::ConvolutionAlpha && i >= args.size() && args.size() > i - 1) v = Value(1);
        state->values.push_back(v);
    }
    // A filter is made once: calling the constructor again (super() twice) still converts the
    // arguments but leaves the filter as it was.
    if (!o->state) o->state = std::move(state);
    return Value();
}

// A convolution's size is whole numbers from 0 to 15; its matrix takes any value with a length
// (a text counts its characters) and never holds fewer numbers than the size asks for: the rest
// are 0, what is no number is NaN.
void setConvolution(Interpreter& in, FilterState& s, std::string_view name, const Value& v) {
    size_t xi = 0, yi = 0, mi = 0;
    for (size_t i = 0; i < s.info->properties.size(); ++i) {
        std::string_view n = s.info->properties[i].name;
        if (n == "matrixX") xi = i;
        if (n == "matrixY") yi = i;
        if (n == "matrix") mi = i;
    }
    std::vector<Value> items;
    if (Object* a = s.values[mi].object())
        for (size_t i = 0; i < std::min<size_t>(a->arrayLength, kMaxFilterArray); ++i) items.push_back(in.getMember(a, std::to_string(i)));
    if (name == "matrixX" || name == "matrixY") {
        double d = in.toNumber(v);
        s.values[name == "matrixX" ? xi : yi] = Value(std::isnan(d) ? 0.0 : std::trunc(std::clamp(d, 0.0, 15.0)));
    } else if (name == "matrix") {
        items.clear();
        if (v.isString()) {
            const std::string& text = v.string();
            for (size_t i = 0; i < std::min(text.size(), kMaxFilterArray); ++i) items.push_back(Value(in.toNumber(Value(text.substr(i, 1)))));
        } else if (Object* a = v.object()) {
            const double n = in.toNumber(in.getMember(a, "length"));
            const size_t count = std::isnan(n) || n < 0 ? 0 : static_cast<size_t>(std::min(n, double(kMaxFilterArray)));
            for (size_t i = 0; i < count; ++i) items.push_back(Value(in.toNumber(in.getMember(a, std::to_string(i)))));
        }
    } else {
        for (size_t i = 0; i < s.info->properties.size(); ++i)
            if (s.info->properties[i].name == name) s.values[i] = coerce(in, s.info->properties[i], v);
        return;
    }
    const size_t size = static_cast<size_t>(s.values[xi].number() * s.values[yi].number());
    while (items.size() < size) items.push_back(Value(0.0));
    s.values[mi] = Value(in.newArray(items));
}

template <size_t ClassIndex, size_t PropertyIndex>
Value getProperty(Interpreter& in, const Value& self, std::span<const Value>) {
    FilterState* s = filterState(self);
    if (!s || s->info != &classes()[ClassIndex]) return Value();
    const Value& v = s->values[PropertyIndex];
    Kind kind = s->info->properties[PropertyIndex].kind;
    // Arrays and points are handed out as copies.
    if (kind == Kind::ColorMatrix || (kind == Kind::Numbers && std::string_view(s->info->name) == "ConvolutionFilter"))
        return numberArray(in, v, Kind::ColorMatrix);
    if (kind == Kind::Numbers || kind == Kind::Colors || kind == Kind::Alphas || kind == Kind::Ratios)
        return numberArray(in, v, Kind::Numbers);
    if (kind == Kind::MapPoint) return Value(newPoint(in, in.getMember(v, "x"), in.getMember(v, "y")));
    return v;
}

template <size_t ClassIndex, size_t PropertyIndex>
Value setProperty(Interpreter& in, const Value& self, std::span<const Value> args) {
    FilterState* s = filterState(self);
    if (!s || s->info != &classes()[ClassIndex]) return Value();
    // A colour matrix set to nothing keeps the one it had.
    if (s->info->properties[PropertyIndex].kind == Kind::ColorMatrix && arg(args, 0).isNullish()) return Value();
    if (std::string_view(s->info->name) == "ConvolutionFilter") {
        setConvolution(in, *s, s->info->properties[PropertyIndex].name, arg(args, 0));
        return Value();
    }
    s->values[PropertyIndex] = coerce(in, s->info->properties[PropertyIndex], arg(args, 0));
    return Value();
}

Object* cloneOf(Interpreter& in, const FilterState& s) {
    Object* ctor = in.getMember(flashPackage(in, "filters"), s.info->name).object();
    Object* proto = ctor ? in.getMember(ctor, "prototype").object() : nullptr;
    Object* o = in.newObject(proto);
    auto copy = std::make_unique<FilterState>();
    copy->info = s.info;
    for (size_t i = 0; i < s.values.size(); ++i) {
        Kind k = s.info->properties[i].kind;
        bool array = k == Kind::Numbers || k == Kind::Colors || k == Kind::Alphas || k == Kind::Ratios ||
                     k == Kind::ColorMatrix;
        copy->values.push_back(array ? numberArray(in, s.values[i], k == Kind::ColorMatrix ? k : Kind::Numbers) : s.values[i]);
    }
    o->state = std::move(copy);
    return o;
}

Value clone(Interpreter& in, const Value& self, std::span<const Value>) {
    FilterState* s = filterState(self);
    return s ? Value(cloneOf(in, *s)) : Value();
}

template <size_t ClassIndex, size_t... P>
std::array<std::pair<NativeFunction, NativeFunction>, sizeof...(P)> accessorsOf(std::index_sequence<P...>) {
    return {{{getProperty<ClassIndex, P>, setProperty<ClassIndex, P>}...}};
}

template <size_t ClassIndex, size_t PropertyCount>
void installClass(Interpreter& in, Object* package, Object* base) {
    const FilterClassInfo& info = classes()[ClassIndex];
    Object* proto = in.newObject(base);
    in.makeClass(package, info.name, construct<ClassIndex>, proto);
    package->findOwn(info.name)->flags = 0;
    auto accessors = accessorsOf<ClassIndex>(std::make_index_sequence<PropertyCount>{});
    // Defined in listed order, clone last: for..in hands them out newest first.
    for (const char* name : info.listed)
        for (size_t i = 0; i < PropertyCount; ++i)
            if (std::string_view(info.properties[i].name) == name)
                defineAccessor(in, proto, name, accessors[i].first, accessors[i].second, 0);
    in.method(proto, "clone", clone);
    proto->findOwn("clone")->flags = 0;
}

Value bitmapFilterCtor(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

double number(const FilterState& s, const char* name) {
    for (size_t i = 0; i < s.info->properties.size(); ++i)
        if (std::string_view(s.info->properties[i].name) == name) return s.values[i].number();
    return 0;
}
bool flag(const FilterState& s, const char* name) {
    for (size_t i = 0; i < s.info->properties.size(); ++i)
        if (std::string_view(s.info->properties[i].name) == name) return s.values[i].boolean();
    return false;
}
const Value* value(const FilterState& s, const char* name) {
    for (size_t i = 0; i < s.info->properties.size(); ++i)
        if (std::string_view(s.info->properties[i].name) == name) return &s.values[i];
    return nullptr;
}
Rgba rgba(double color, double alpha) {
    uint32_t c = uint32_t(color);
    return {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(std::lround(std::clamp(alpha, 0.0, 1.0) * 255))};
}

std::vector<double> numbers(Interpreter& in, const Value* v) {
    std::vector<double> out;
    Object* a = v ? v->object() : nullptr;
    if (!a) return out;
    size_t n = std::min<size_t>(a->arrayLength, kMaxFilterArray);
    for (size_t i = 0; i < n; ++i) out.push_back(in.toNumber(in.getMember(a, std::to_string(i))));
    return out;
}

}  // namespace

std::optional<Filter> filterOf(Interpreter& in, const Value& v) {
    FilterState* s = filterState(v);
    if (!s || s->info->filterKind < 0) return std::nullopt;
    Filter f;
    f.kind = static_cast<Filter::Kind>(s->info->filterKind);
    double angle = number(*s, "angle") * std::numbers::pi / 180;
    switch (f.kind) {
    case Filter::Kind::Convolution: {
        f.matrixX = int(number(*s, "matrixX"));
        f.matrixY = int(number(*s, "matrixY"));
        std::vector<double> m = numbers(in, value(*s, "matrix"));
        m.resize(size_t(f.matrixX) * f.matrixY, 0);
        for (double& d : m)
            if (!std::isfinite(d)) d = 0;
        f.matrix.assign(m.begin(), m.end());
        f.divisor = number(*s, "divisor");
        f.bias = number(*s, "bias");
        f.preserveAlpha = flag(*s, "preserveAlpha");
        f.clamp = flag(*s, "clamp");
        f.defaultColor = rgba(number(*s, "color"), number(*s, "alpha"));
        return f;
    }
    case Filter::Kind::ColorMatrix: {
        std::vector<double> m = numbers(in, value(*s, "matrix"));
        if (m.size() < 20) {
            m = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
        }
        m.resize(20);
        // The drawing gets numbers: what is not one counts as 0.
        for (double& d : m)
            if (!std::isfinite(d)) d = 0;
        f.matrix.assign(m.begin(), m.end());
        return f;
    }
    default: break;
    }
    f.blurX = number(*s, "blurX");
    f.blurY = number(*s, "blurY");
    f.passes = int(number(*s, "quality"));
    f.strength = value(*s, "strength") ? number(*s, "strength") : 1;
    f.distance = number(*s, "distance");
    f.angle = angle;
    f.knockout = flag(*s, "knockout");
    f.inner = flag(*s, "inner");
    f.compositeSource = !flag(*s, "hideObject");
    if (const Value* type = value(*s, "type")) {
        f.inner = type->string() == "inner";
        f.onTop = type->string() == "full";
    }
    if (f.kind == Filter::Kind::Bevel) {
        f.highlight = rgba(number(*s, "highlightColor"), number(*s, "highlightAlpha"));
        f.color = rgba(number(*s, "shadowColor"), number(*s, "shadowAlpha"));
    } else if (f.kind == Filter::Kind::GradientGlow || f.kind == Filter::Kind::GradientBevel) {
        std::vector<double> colors = numbers(in, value(*s, "colors")), alphas = numbers(in, value(*s, "alphas")),
                            ratios = numbers(in, value(*s, "ratios"));
        size_t n = std::min({colors.size(), alphas.size(), ratios.size(), size_t(16)});
        for (size_t i = 0; i < n; ++i) {
            GradientStopRecord stop;
            stop.color = rgba(colors[i], alphas[i]);
            stop.ratio = uint8_t(std::clamp(ratios[i], 0.0, 255.0));
            f.gradient.push_back(stop);
        }
    } else if (value(*s, "color")) {
        f.color = rgba(number(*s, "color"), number(*s, "alpha"));
    }
    return f;
}

Object* newFilterObject(Interpreter& in, const Filter& f) {
    const std::vector<FilterClassInfo>& specs = classes();
    const FilterClassInfo* info = nullptr;
    for (const FilterClassInfo& c : specs)
        if (c.filterKind == static_cast<int>(f.kind)) info = &c;
    if (!info) return in.newObject();
    Object* ctor = in.getMember(flashPackage(in, "filters"), info->name).object();
    Object* o = in.construct(Value(ctor), {}).object();
    FilterState* s = filterState(Value(o));
    if (!s) return o ? o : in.newObject();
    auto set = [&](const char* name, const Value& v) {
        for (size_t i = 0; i < info->properties.size(); ++i)
            if (std::string_view(info->properties[i].name) == name) s->values[i] = coerce(in, info->properties[i], v);
    };
    auto color = [](Rgba c) { return Value(double((uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b)); };
    auto alpha = [](Rgba c) { return Value(c.a / 255.0); };
    set("blurX", Value(f.blurX));
    set("blurY", Value(f.blurY));
    set("quality", Value(f.passes));
    set("strength", Value(f.strength));
    set("distance", Value(f.distance));
    set("angle", Value(f.angle * 180 / std::numbers::pi));
    set("knockout", Value(f.knockout));
    set("inner", Value(f.inner));
    set("hideObject", Value(!f.compositeSource));
    set("type", Value(f.onTop ? "full" : f.inner ? "inner" : "outer"));
    if (f.kind == Filter::Kind::Bevel) {
        set("highlightColor", color(f.highlight));
        set("highlightAlpha", alpha(f.highlight));
        set("shadowColor", color(f.color));
        set("shadowAlpha", alpha(f.color));
    } else {
        set("color", color(f.kind == Filter::Kind::Convolution ? f.defaultColor : f.color));
        set("alpha", alpha(f.kind == Filter::Kind::Convolution ? f.defaultColor : f.color));
    }
    std::vector<Value> m(f.matrix.begin(), f.matrix.end());
    set("matrix", Value(in.newArray(m)));
    set("matrixX", Value(f.matrixX));
    set("matrixY", Value(f.matrixY));
    set("divisor", Value(f.divisor));
    set("bias", Value(f.bias));
    set("preserveAlpha", Value(f.preserveAlpha));
    set("clamp", Value(f.clamp));
    std::vector<Value> colors, alphas, ratios;
    for (const GradientStopRecord& g : f.gradient) {
        colors.push_back(color(g.color));
        alphas.push_back(alpha(g.color));
        ratios.push_back(Value(double(g.ratio)));
    }
    set("colors", Value(in.newArray(colors)));
    set("alphas", Value(in.newArray(alphas)));
    set("ratios", Value(in.newArray(ratios)));
    return o;
}

namespace {

Value getFilters(Interpreter& in, const Value& self, std::span<const Value>) {
    Object* clip = self.object();
    BitmapHost* host = bitmapHost(in);
    std::vector<Value> items;
    if (clip && clip->kind() == ObjectKind::Clip && host)
        for (const Filter& f : host->clipFilters(clip->clip)) items.push_back(Value(newFilterObject(in, f)));
    return Value(in.newArray(items));
}

Value setFilters(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* clip = self.object();
    BitmapHost* host = bitmapHost(in);
    Object* list = arg(args, 0).object();
    if (!clip || clip->kind() != ObjectKind::Clip || !host) return Value();
    std::vector<Filter> filters;
    if (list && list->kind() == ObjectKind::Array) {
        size_t n = std::min<size_t>(list->arrayLength, kMaxFilters);
        for (size_t i = 0; i < n; ++i)
            if (auto f = filterOf(in, in.getMember(list, std::to_string(i)))) filters.push_back(*f);
    }
    host->setClipFilters(clip->clip, std::move(filters));
    return Value();
}

}  // namespace

void installFilterClasses(Interpreter& in) {
    Object* package = flashPackage(in, "filters");
    Object* base = in.newObject();
    in.makeClass(package, "BitmapFilter", bitmapFilterCtor, base);
    package->findOwn("BitmapFilter")->flags = 0;
    in.method(base, "clone", clone);
    installClass<0, 3>(in, package, base);
    installClass<1, 11>(in, package, base);
    installClass<2, 8>(in, package, base);
    installClass<3, 12>(in, package, base);
    installClass<4, 11>(in, package, base);
    installClass<5, 9>(in, package, base);
    installClass<6, 1>(in, package, base);
    installClass<7, 11>(in, package, base);
    installClass<8, 9>(in, package, base);
    if (in.movieClipPrototype) defineAccessor(in, in.movieClipPrototype, "filters", getFilters, setFilters);
}

}  // namespace kelmora::player::avm1
