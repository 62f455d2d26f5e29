// TextFormat: a bag of character and paragraph formats whose fields are null until set. Every
// field is an accessor on the prototype that converts what it is given the way the player does.
#include <climits>
#include <cmath>

#include "player/avm1/Builtins.h"
#include "player/avm1/TextClasses.h"

namespace kelmora::player::avm1 {

namespace {

constexpr size_t kMaxFontNameChars = 64;  // the player cuts longer font names
constexpr size_t kMaxTabStops = 1000;

struct TextFormatState : NativeState {
    TextFormatValues values;
};

TextFormatValues* stateOf(const Value& self) {
    Object* o = self.object();
    auto* s = o ? dynamic_cast<TextFormatState*>(o->state.get()) : nullptr;
    return s ? &s->values : nullptr;
}

// Sizes, indents and leading: whole numbers (what doesn't fit a 32-bit integer is INT_MIN).
// SWF 8 setters round half to even; the constructor and older setters cut the fraction.
double wholeNumber(double v, bool round) {
    if (!std::isfinite(v) || v < INT_MIN || v > INT_MAX) return INT_MIN;
    return round ? std::nearbyint(v) : std::trunc(v);
}
double roundedInt(double v) { return wholeNumber(v, true); }

std::string cutFontName(std::string s) {
    size_t chars = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;
        if (chars++ == kMaxFontNameChars) {
            s.resize(i);
            break;
        }
    }
    return s;
}

enum class Field {
    Font, Size, Color, Bold, Italic, Underline, Url, Target, Align, LeftMargin, RightMargin, Indent, Leading,
    BlockIndent, TabStops, Bullet, Kerning, LetterSpacing, Display,
};

struct FieldInfo {
    const char* name;
    Field field;
};
constexpr FieldInfo kFields[] = {
    {"font", Field::Font}, {"size", Field::Size}, {"color", Field::Color}, {"bold", Field::Bold},
    {"italic", Field::Italic}, {"underline", Field::Underline}, {"url", Field::Url}, {"target", Field::Target},
    {"align", Field::Align}, {"leftMargin", Field::LeftMargin}, {"rightMargin", Field::RightMargin},
    {"indent", Field::Indent}, {"leading", Field::Leading}, {"blockIndent", Field::BlockIndent},
    {"tabStops", Field::TabStops}, {"bullet", Field::Bullet}, {"kerning", Field::Kerning},
    {"letterSpacing", Field::LetterSpacing}, {"display", Field::Display},
};

Value numberOrNull(const std::optional<double>& v) { return v ? Value(*v) : Value::null(); }
Value boolOrNull(const std::optional<bool>& v) { return v ? Value(*v) : Value::null(); }
Value stringOrNull(const std::optional<std::string>& v) { return v ? Value(*v) : Value::null(); }

template <Field F>
Value getField(Interpreter& in, const Value& self, std::span<const Value>) {
    TextFormatValues* f = stateOf(self);
    if (!f) return Value();
    switch (F) {
    case Field::Font: return stringOrNull(f->font);
    case Field::Size: return numberOrNull(f->size);
    case Field::Color: return numberOrNull(f->color);
    case Field::Bold: return boolOrNull(f->bold);
    case Field::Italic: return boolOrNull(f->italic);
    case Field::Underline: return boolOrNull(f->underline);
    case Field::Url: return stringOrNull(f->url);
    case Field::Target: return stringOrNull(f->target);
    case Field::Align: return stringOrNull(f->align);
    case Field::LeftMargin: return numberOrNull(f->leftMargin);
    case Field::RightMargin: return numberOrNull(f->rightMargin);
    case Field::Indent: return numberOrNull(f->indent);
    case Field::Leading: return numberOrNull(f->leading);
    case Field::BlockIndent: return numberOrNull(f->blockIndent);
    case Field::TabStops: {
        if (!f->tabStops) return Value::null();
        std::vector<Value> items;
        for (double t : *f->tabStops) items.emplace_back(t);
        return Value(in.newArray(items));
    }
    case Field::Bullet: return boolOrNull(f->bullet);
    case Field::Kerning: return boolOrNull(f->kerning);
    case Field::LetterSpacing: return numberOrNull(f->letterSpacing);
    case Field::Display: return Value(f->display.value_or("block"));
    }
    return Value();
}

template <Field F>
Value setField(Interpreter& in, const Value& self, std::span<const Value> args) {
    TextFormatValues* f = stateOf(self);
    if (!f) return Value();
    setTextFormatField(in, *f, static_cast<int>(F), arg(args, 0), false);
    return Value();
}

template <size_t... I>
void defineAccessors(Interpreter& in, Object* proto, std::index_sequence<I...>) {
    auto one = [&](const FieldInfo& info, NativeFunction get, NativeFunction set) {
        Property& p = proto->setOwn(info.name, Value(), 0);
        p.getter = in.newFunction(get);
        p.setter = in.newFunction(set);
    };
    (one(kFields[I], getField<kFields[I].field>, setField<kFields[I].field>), ...);
}

Value textFormatCtor(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o) return Value();
    auto state = std::make_unique<TextFormatState>();
    // new TextFormat(font, size, color, bold, italic, underline, url, target, align, leftMargin,
    // rightMargin, indent, leading)
    for (size_t i = 0; i < args.size() && i < 13; ++i) setTextFormatField(in, state->values, static_cast<int>(i), args[i], true);
    o->state = std::move(state);
    return Value();
}

// getTextExtent(text[, width]): the size of the text laid out in this format.
Value getTextExtent(Interpreter& in, const Value& self, std::span<const Value> args) {
    TextFormatValues* f = stateOf(self);
    if (!f) return Value();
    std::string text = in.toString(arg(args, 0));
    double width = args.size() > 1 && !args[1].isUndefined() ? in.toNumber(args[1]) : -1;
    Rect r = in.host().textExtent(*f, text, std::isfinite(width) ? width : -1);
    Object* o = in.newObject();
    const double w = r.xMax, h = r.yMax;
    in.setMember(o, "ascent", Value(r.xMin));
    in.setMember(o, "descent", Value(r.yMin));
    in.setMember(o, "width", Value(w));
    in.setMember(o, "height", Value(h));
    in.setMember(o, "textFieldHeight", Value(h + 4));
    in.setMember(o, "textFieldWidth", Value(width >= 0 ? width : w + 4));
    return Value(o);
}

}  // namespace

void setTextFormatField(Interpreter& in, TextFormatValues& f, int field, const Value& v, bool fromConstructor) {
    const bool none = v.isUndefined() || v.isNull();
    auto number = [&](std::optional<double>& out, auto convert) {
        if (none) out.reset();
        else out = convert(in.toNumber(v));
    };
    auto boolean = [&](std::optional<bool>& out) {
        if (none) out.reset();
        else out = in.toBoolean(v);
    };
    auto string = [&](std::optional<std::string>& out) {
        if (none) out.reset();
        else out = in.toString(v);
    };
    const bool round = !fromConstructor && in.swfVersion() >= 8;
    auto whole = [round](double d) { return wholeNumber(d, round); };
    // Setters keep margins (and before SWF 8 indents and leading) at zero or more; the
    // constructor takes negative ones as they are.
    auto margin = [=](double d) {
        if (fromConstructor) return wholeNumber(d, false);
        return wholeNumber(std::isnan(d) ? 0 : std::max(d, 0.0), round);
    };
    auto indent = [=, &in](double d) {
        return fromConstructor || in.swfVersion() >= 8 || std::isnan(d) ? whole(d) : wholeNumber(std::max(d, 0.0), false);
    };
    switch (static_cast<Field>(field)) {
    case Field::Font:
        string(f.font);
        if (f.font) f.font = cutFontName(*f.font);
        break;
    case Field::Size: number(f.size, whole); break;
    case Field::Color: number(f.color, [](double d) { return static_cast<double>(toUint32(d)); }); break;
    case Field::Bold: boolean(f.bold); break;
    case Field::Italic: boolean(f.italic); break;
    case Field::Underline: boolean(f.underline); break;
    case Field::Url: string(f.url); break;
    case Field::Target: string(f.target); break;
    case Field::Align: {
        // Unknown names, null and undefined leave the setter's alignment as it was.
        if (none) {
            if (fromConstructor) f.align.reset();
            break;
        }
        std::string a = in.toString(v);
        for (auto& c : a) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (a == "left" || a == "right" || a == "center" || a == "justify") f.align = a;
        break;
    }
    case Field::LeftMargin: number(f.leftMargin, margin); break;
    case Field::RightMargin: number(f.rightMargin, margin); break;
    case Field::Indent: number(f.indent, indent); break;
    case Field::Leading: number(f.leading, indent); break;
    case Field::BlockIndent: number(f.blockIndent, indent); break;
    case Field::TabStops: {
        Object* a = v.object();
        if (none || !a) {
            f.tabStops.reset();
            break;
        }
        std::vector<double> stops;
        double n = in.toNumber(in.getMember(a, "length"));
        for (size_t i = 0; std::isfinite(n) && i < n && i < kMaxTabStops; ++i)
            stops.push_back(roundedInt(in.toNumber(in.getMember(a, std::to_string(i)))));
        f.tabStops = std::move(stops);
        break;
    }
    case Field::Bullet: boolean(f.bullet); break;
    case Field::Kerning: boolean(f.kerning); break;
    case Field::LetterSpacing: number(f.letterSpacing, [](double d) { return d; }); break;
    case Field::Display: {
        // Only the exact names count; anything else shows the text as a block.
        std::string d = none ? std::string() : in.toString(v);
        f.display = d == "inline" || d == "none" ? d : "block";
        break;
    }
    }
}

Object* newTextFormatObject(Interpreter& in, const TextFormatValues& values) {
    auto it = in.classPrototypes.find("TextFormat");
    Object* o = in.newObject(it != in.classPrototypes.end() ? it->second : nullptr);
    auto state = std::make_unique<TextFormatState>();
    state->values = values;
    o->state = std::move(state);
    return o;
}

const TextFormatValues* textFormatOf(const Value& v) { return stateOf(v); }

void installTextFormatClass(Interpreter& in) {
    Object* proto = in.newObject();
    in.makeClass(in.global(), "TextFormat", textFormatCtor, proto);
    in.classPrototypes["TextFormat"] = proto;
    defineAccessors(in, proto, std::make_index_sequence<std::size(kFields)>{});
    in.method(proto, "getTextExtent", getTextExtent);
}

}  // namespace kelmora::player::avm1
