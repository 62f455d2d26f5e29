// TextField.StyleSheet: CSS styles by selector. A sheet keeps the styles as scripts gave them in
// _css and, made from each by its transform method, the TextFormats that fields use in _styles.
#include <cmath>

#include "player/avm1/Builtins.h"
#include "player/avm1/StyleSheet.h"
#include "player/avm1/TextClasses.h"
#include "player/text/CssText.h"
#include "util/TextNumber.h"

namespace kelmora::player::avm1 {

namespace {

// The TextFormat fields in setTextFormatField's order.
enum FormatField {
    kFont = 0, kSize = 1, kColor = 2, kBold = 3, kItalic = 4, kUnderline = 5, kAlign = 8, kLeftMargin = 9,
    kRightMargin = 10, kIndent = 11, kLeading = 12, kKerning = 16, kLetterSpacing = 17, kDisplay = 18,
};

struct FieldStyleState : NativeState {
    FieldStyleSheet style;
    void mark(const std::function<void(Object*)>& m) const override { Heap::markValue(style.sheet, m); }
};

// The sheet's own store (_css or _styles), made on first use.
Object* store(Interpreter& in, Object* sheet, const char* name, bool create) {
    Object* o = in.getMember(sheet, name).object();
    if (!o && create) {
        o = in.newObject();
        sheet->define(name, Value(o), kDontEnum);
    }
    return o;
}

// A style is copied one level deep: the sheet never holds the script's own object.
Value copyStyle(Interpreter& in, const Value& style) {
    Object* from = style.object();
    if (!from) return Value::null();
    Object* to = in.newObject();
    for (const std::string& name : in.enumerate(from)) in.setMember(to, name, in.getMember(from, name));
    return Value(to);
}

void storeStyle(Interpreter& in, Object* sheet, const std::string& name, const Value& style) {
    Object* css = store(in, sheet, "_css", true);
    Object* styles = store(in, sheet, "_styles", true);
    in.setMember(css, name, style);
    Value a[] = {style};
    in.setMember(styles, name, in.callMethodOf(Value(sheet), "transform", a));
}

Value setStyle(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* sheet = self.object();
    if (!sheet) return Value();
    storeStyle(in, sheet, in.toString(arg(args, 0)), copyStyle(in, arg(args, 1)));
    return Value();
}

Value getStyle(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* sheet = self.object();
    Object* css = sheet ? store(in, sheet, "_css", false) : nullptr;
    if (!css) return Value::null();
    return copyStyle(in, in.getMember(css, in.toString(arg(args, 0))));
}

Value getStyleNames(Interpreter& in, const Value& self, std::span<const Value>) {
    Object* sheet = self.object();
    Object* css = sheet ? store(in, sheet, "_css", false) : nullptr;
    std::vector<Value> names;
    if (css)
        for (std::string& n : in.enumerate(css)) names.emplace_back(std::move(n));
    return Value(in.newArray(names));
}

Value clear(Interpreter& in, const Value& self, std::span<const Value>) {
    if (Object* sheet = self.object()) {
        sheet->define("_css", Value(in.newObject()), kDontEnum);
        sheet->define("_styles", Value(in.newObject()), kDontEnum);
    }
    return Value();
}

// parseCSS(text) and parse(text): true when the whole text was read; a text that fails changes
// nothing. Styles of the text replace those of the same name, others stay.
Value parseCss(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* sheet = self.object();
    if (!sheet) return Value(false);
    auto rules = parseCssText(in.toString(arg(args, 0)));
    if (!rules) return Value(false);
    for (const CssRule& rule : *rules) {
        for (const std::string& selector : rule.selectors) {
            if (in.unwinding()) return Value(false);
            Object* style = in.newObject();
            for (const auto& [name, value] : rule.properties) in.setMember(style, name, Value(value));
            storeStyle(in, sheet, selector, Value(style));
        }
    }
    return Value(true);
}

std::string trimmedText(Interpreter& in, const Value& v) { return trim(in.toString(v)); }

// "12px", "12pt" and "12" are all 12; a text that starts with no number gives nothing.
std::optional<double> cssNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    const char c = text[0];
    if (!(c >= '0' && c <= '9') && c != '-' && c != '+' && c != '.') return std::nullopt;
    const double v = leadingNumber(text);
    return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

// "#RRGGBB"; a number is taken as the colour itself.
std::optional<double> cssColor(Interpreter& in, const Value& v) {
    if (v.isNumber()) return in.toNumber(v);
    const std::string text = trimmedText(in, v);
    if (text.size() < 2 || text[0] != '#') return std::nullopt;
    uint32_t rgb = 0;
    size_t digits = 0;
    for (size_t i = 1; i < text.size(); ++i, ++digits) {
        const char d = text[i];
        const int dv = d >= '0' && d <= '9' ? d - '0' : d >= 'a' && d <= 'f' ? d - 'a' + 10 : d >= 'A' && d <= 'F' ? d - 'A' + 10 : -1;
        if (dv < 0) break;
        rgb = ((rgb << 4) | uint32_t(dv)) & 0xFFFFFF;
    }
    if (digits == 0) return std::nullopt;
    return static_cast<double>(rgb);
}

// The generic families name the player's device fonts.
std::string cssFontFamily(const std::string& list) {
    std::string out;
    size_t pos = 0;
    while (pos <= list.size()) {
        size_t comma = list.find(',', pos);
        if (comma == std::string::npos) comma = list.size();
        std::string face = trim(std::string_view(list).substr(pos, comma - pos));
        const std::string lower = toLower(face);
        if (lower == "mono") face = "_typewriter";
        else if (lower == "sans-serif") face = "_sans";
        else if (lower == "serif") face = "_serif";
        if (!face.empty()) out += (out.empty() ? "" : ",") + face;
        pos = comma + 1;
    }
    return out;
}

// transform(style): the TextFormat a style gives text, from the CSS properties the player knows.
Value transform(Interpreter& in, const Value&, std::span<const Value> args) {
    Object* style = arg(args, 0).object();
    if (!style) return Value::null();
    TextFormatValues f;
    auto get = [&](const char* name) -> std::optional<Value> {
        Value v = in.getMember(style, name);
        if (v.isNullish()) return std::nullopt;
        return v;
    };
    auto set = [&](int field, const Value& v) { setTextFormatField(in, f, field, v, false); };
    auto number = [&](const char* name, int field) {
        if (auto v = get(name))
            if (auto n = cssNumber(trimmedText(in, *v))) set(field, Value(*n));
    };
    // Keywords of a property, each with the value it gives the field.
    auto keyword = [&](const char* name, int field, std::initializer_list<std::pair<const char*, Value>> words) {
        auto v = get(name);
        if (!v) return;
        const std::string text = toLower(trimmedText(in, *v));
        for (const auto& [word, value] : words)
            if (text == word) set(field, value);
    };
    if (auto v = get("color"))
        if (auto c = cssColor(in, *v)) set(kColor, Value(*c));
    keyword("display", kDisplay, {{"none", Value("none")}, {"block", Value("block")}, {"inline", Value("inline")}});
    if (auto v = get("fontFamily")) {
        const std::string family = cssFontFamily(trimmedText(in, *v));
        if (!family.empty()) set(kFont, Value(family));
    }
    number("fontSize", kSize);
    keyword("fontStyle", kItalic, {{"italic", Value(true)}, {"normal", Value(false)}});
    keyword("fontWeight", kBold, {{"bold", Value(true)}, {"normal", Value(false)}});
    keyword("kerning", kKerning, {{"true", Value(true)}, {"false", Value(false)}});
    number("leading", kLeading);
    number("letterSpacing", kLetterSpacing);
    number("marginLeft", kLeftMargin);
    number("marginRight", kRightMargin);
    keyword("textAlign", kAlign, {{"left", Value("left")}, {"center", Value("center")}, {"right", Value("right")},
                                  {"justify", Value("justify")}});
    keyword("textDecoration", kUnderline, {{"underline", Value(true)}, {"none", Value(false)}});
    number("textIndent", kIndent);
    return Value(newTextFormatObject(in, f));
}

// load(url): the file's text arrives with a later frame and goes to onData.
Value load(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* sheet = self.object();
    const Value url = arg(args, 0);
    if (!sheet || url.isUndefined()) return Value(false);
    if (uint64_t request = in.host().loadText(in.currentTarget(), in.toString(url))) in.textListeners[request] = self;
    return Value(true);
}

// onData(text): undefined when the file could not be read.
Value onData(Interpreter& in, const Value& self, std::span<const Value> args) {
    const Value text = arg(args, 0);
    Value ok(false);
    if (!text.isUndefined()) {
        Value a[] = {text};
        ok = in.callMethodOf(self, "parse", a);
    }
    Value a[] = {ok};
    in.callMethodOf(self, "onLoad", a);
    return Value();
}

Value construct(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

FieldStyleSheet* fieldStyleSheet(Interpreter& in, ClipId field, bool create) {
    Object* o = in.clipObject(field);
    if (!o) return nullptr;
    if (auto* s = dynamic_cast<FieldStyleState*>(o->state.get())) return &s->style;
    if (!create || o->state) return nullptr;
    auto state = std::make_unique<FieldStyleState>();
    FieldStyleSheet* style = &state->style;
    o->state = std::move(state);
    return style;
}

std::vector<std::pair<std::string, TextFormatValues>> styleSheetFormats(Interpreter& in, const Value& sheet) {
    std::vector<std::pair<std::string, TextFormatValues>> out;
    Object* o = sheet.object();
    Object* styles = o ? in.getMember(o, "_styles").object() : nullptr;
    if (!styles) return out;
    for (std::string& name : in.enumerate(styles)) {
        if (const TextFormatValues* f = textFormatOf(in.getMember(styles, name))) out.emplace_back(std::move(name), *f);
        if (in.unwinding()) break;
    }
    return out;
}

void installStyleSheetClass(Interpreter& in) {
    Object* textField = in.getMember(Value(in.global()), "TextField").object();
    if (!textField) return;
    Object* proto = in.newObject();
    in.classPrototypes["TextField.StyleSheet"] = proto;
    in.makeClass(textField, "StyleSheet", construct, proto);
    if (Property* p = textField->findOwn("StyleSheet")) p->flags |= kOnlySwf7Up;
    struct Method {
        const char* name;
        NativeFunction fn;
    };
    for (const Method& m : {Method{"setStyle", setStyle}, {"getStyle", getStyle}, {"getStyleNames", getStyleNames},
                            {"clear", clear}, {"parseCSS", parseCss}, {"parse", parseCss}, {"transform", transform},
                            {"load", load}, {"onData", onData}}) {
        in.method(proto, m.name, m.fn);
        proto->findOwn(m.name)->flags = kDontEnum | kDontDelete | kReadOnly;
    }
}

}  // namespace kelmora::player::avm1
