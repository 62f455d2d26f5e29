// TextField's methods (its properties are the display side's named properties) and Selection,
// whose focus only scripts move: no keyboard or mouse input reaches the player.
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "player/avm1/Builtins.h"
#include "player/avm1/TextClasses.h"

namespace kelmora::player::avm1 {

namespace {

ClipId fieldOf(Interpreter& in, const Value& self) {
    Object* o = self.object();
    if (!o || o->kind() != ObjectKind::Clip || !in.host().exists(o->clip)) return kNoClip;
    return in.host().kind(o->clip) == ClipKind::TextField ? o->clip : kNoClip;
}

int index(Interpreter& in, const Value& v) {
    double d = in.toNumber(v);
    if (std::isnan(d)) return 0;
    return static_cast<int>(std::clamp(d, -1.0, 2147483647.0));
}

Value getTextFormat(Interpreter& in, const Value& self, std::span<const Value> args) {
    ClipId c = fieldOf(in, self);
    if (!c) return Value();
    int begin = -1, end = -1;
    if (!args.empty() && !args[0].isUndefined()) {
        begin = std::max(0, index(in, args[0]));
        end = args.size() > 1 && !args[1].isUndefined() ? index(in, args[1]) : begin + 1;
    }
    auto f = in.host().textFormat(c, begin, end);
    return f ? Value(newTextFormatObject(in, *f)) : Value();
}

Value setTextFormat(Interpreter& in, const Value& self, std::span<const Value> args) {
    ClipId c = fieldOf(in, self);
    if (!c || args.empty()) return Value();
    // (format), (index, format) or (begin, end, format)
    const TextFormatValues* f = textFormatOf(args.back());
    if (!f) return Value();
    int begin = -1, end = -1;
    if (args.size() == 2) {
        begin = index(in, args[0]);
        end = begin + 1;
    } else if (args.size() >= 3) {
        begin = index(in, args[0]);
        end = index(in, args[1]);
    }
    if (args.size() >= 2 && begin < 0) return Value();
    in.host().setTextFormat(c, begin, end, *f);
    return Value();
}

Value getNewTextFormat(Interpreter& in, const Value& self, std::span<const Value>) {
    ClipId c = fieldOf(in, self);
    if (!c) return Value();
    auto f = in.host().newTextFormat(c);
    return f ? Value(newTextFormatObject(in, *f)) : Value();
}

Value setNewTextFormat(Interpreter& in, const Value& self, std::span<const Value> args) {
    ClipId c = fieldOf(in, self);
    const TextFormatValues* f = textFormatOf(arg(args, 0));
    if (c && f) in.host().setNewTextFormat(c, *f);
    return Value();
}

Value replaceText(Interpreter& in, const Value& self, std::span<const Value> args) {
    ClipId c = fieldOf(in, self);
    if (!c || args.size() < 3) return Value();
    int begin = index(in, args[0]), end = index(in, args[1]);
    if (begin < 0 || end < begin) return Value();
    in.host().replaceText(c, begin, end, in.toString(args[2]));
    return Value();
}

// ---------------------------------------------------------------- Selection

struct FocusState : NativeState {
    ClipId focus = kNoClip;
    std::string focusPath;  // for the news of its removal
    bool shown = false;     // seen visible since it took the focus: hiding it then drops the focus
    int begin = 0, end = 0, caret = 0;
    std::unordered_map<ClipId, double> tabIndexes;  // what scripts set (unset: undefined)
    bool focusRect = true;                           // the movie's _focusrect
    std::unordered_map<ClipId, bool> focusRects;     // a clip's own (unset: null)
};

FocusState* focusState(Interpreter& in) {
    auto it = in.classPrototypes.find("Selection");
    if (it == in.classPrototypes.end() || !it->second) return nullptr;
    return dynamic_cast<FocusState*>(it->second->state.get());
}

int textLength(Interpreter& in, ClipId c) {
    Value n = in.getMember(Value(in.clipObject(c)), "length");
    return n.isNumber() ? static_cast<int>(n.number()) : 0;
}

Value clipValue(Interpreter& in, ClipId c) {
    return c && in.host().exists(c) ? Value(in.clipObject(c)) : Value::null();
}

// A focused object that left the stage loses the focus; listeners hear of it when a script next
// asks (no input arrives between, so the order of traces is the same).
void dropRemovedFocus(Interpreter& in, FocusState& s) {
    if (!s.focus) return;
    // So does one that was hidden after it had the focus (a hidden one may still take it).
    if (in.host().exists(s.focus)) {
        const bool visible = in.toBoolean(in.host().getProperty(s.focus, ClipProperty::Visible));
        if (visible || !s.shown) {
            s.shown = s.shown || visible;
            return;
        }
    }
    s.focus = kNoClip;
    Value sel = in.getMember(Value(in.global()), "Selection");
    Value b[] = {Value("onSetFocus"), Value(s.focusPath), Value::null()};
    in.callMethodOf(sel, "broadcastMessage", b);
}

Value getFocus(Interpreter& in, const Value&, std::span<const Value>) {
    FocusState* s = focusState(in);
    if (!s) return Value::null();
    dropRemovedFocus(in, *s);
    if (!s->focus) return Value::null();
    return Value(in.targetPath(s->focus, false));
}

Value setFocus(Interpreter& in, const Value&, std::span<const Value> args) {
    FocusState* s = focusState(in);
    if (!s || args.empty()) return Value(false);
    const Value& v = arg(args, 0);
    ClipId next = kNoClip;
    if (Object* o = v.object(); o && o->kind() == ObjectKind::Clip) next = in.host().exists(o->clip) ? o->clip : kNoClip;
    else if (v.isString()) next = in.resolveTarget(in.currentTarget(), v.string());
    else if (!v.isNullish()) return Value(false);
    if (!next && !v.isNullish()) return Value(false);
    // A movie clip takes the focus only when focusEnabled; clearing the focus takes one argument.
    if (next && in.host().kind(next) == ClipKind::MovieClip &&
        !in.toBoolean(in.getMember(Value(in.clipObject(next)), "focusEnabled")))
        return Value(false);
    if (!next && args.size() > 1) return Value(false);
    dropRemovedFocus(in, *s);
    ClipId old = s->focus;
    // A field that takes the focus has all its text selected, even when it had the focus already.
    s->begin = 0;
    s->end = s->caret = next && in.host().kind(next) == ClipKind::TextField ? textLength(in, next) : 0;
    if (old == next) return Value(true);
    s->focus = next;
    s->shown = next && in.toBoolean(in.host().getProperty(next, ClipProperty::Visible));
    s->focusPath = next ? in.targetPath(next, false) : std::string();
    Value oldV = clipValue(in, old), nextV = clipValue(in, next);
    if (old) {
        Value a[] = {nextV};
        in.callMethodOf(oldV, "onKillFocus", a);
    }
    if (next) {
        Value a[] = {oldV};
        in.callMethodOf(nextV, "onSetFocus", a);
    }
    Value sel = in.getMember(Value(in.global()), "Selection");
    Value b[] = {Value("onSetFocus"), oldV, nextV};
    in.callMethodOf(sel, "broadcastMessage", b);
    return Value(true);
}

// Only a text field has a selection; a shorter text since cuts it.
bool focusedField(Interpreter& in, FocusState* s) {
    if (!s || !s->focus || !in.host().exists(s->focus) || in.host().kind(s->focus) != ClipKind::TextField) return false;
    const int n = textLength(in, s->focus);
    s->begin = std::min(s->begin, n);
    s->end = std::min(s->end, n);
    s->caret = std::min(s->caret, n);
    return true;
}

Value getBeginIndex(Interpreter& in, const Value&, std::span<const Value>) {
    FocusState* s = focusState(in);
    if (!focusedField(in, s)) return Value(-1);
    return Value(s->begin);
}

Value getEndIndex(Interpreter& in, const Value&, std::span<const Value>) {
    FocusState* s = focusState(in);
    if (!focusedField(in, s)) return Value(-1);
    return Value(s->end);
}

Value getCaretIndex(Interpreter& in, const Value&, std::span<const Value>) {
    FocusState* s = focusState(in);
    if (!focusedField(in, s)) return Value(-1);
    return Value(s->caret);
}

Value setSelection(Interpreter& in, const Value&, std::span<const Value> args) {
    FocusState* s = focusState(in);
    if (!s || !s->focus || !in.host().exists(s->focus) || in.host().kind(s->focus) != ClipKind::TextField)
        return Value();
    if (args.size() != 2) return Value();  // the player ignores other counts
    const int n = textLength(in, s->focus);
    int b = std::clamp(index(in, arg(args, 0)), 0, n);
    int e = std::clamp(index(in, arg(args, 1)), 0, n);
    s->caret = e;  // the caret sits where the selection was drawn to
    if (e < b) std::swap(b, e);
    s->begin = b;
    s->end = e;
    return Value();
}

Value replaceSel(Interpreter& in, const Value& self, std::span<const Value> args) {
    ClipId c = fieldOf(in, self);
    FocusState* s = focusState(in);
    if (!c || !s || args.empty()) return Value();
    std::string text = in.toString(args[0]);
    if (s->focus != c) {
        // A field without the focus has its caret at the start.
        in.host().replaceText(c, 0, 0, text);
        return Value();
    }
    // The text may have changed since the selection was made.
    const int before = textLength(in, c);
    s->end = std::min(s->end, before);
    s->begin = std::min(s->begin, s->end);
    in.host().replaceText(c, s->begin, s->end, text);
    const int len = textLength(in, c);
    // The caret ends after the inserted text (counted in characters).
    int inserted = 0;
    for (unsigned char ch : text) inserted += (ch & 0xC0) != 0x80;
    s->begin = s->end = s->caret = std::min(len, s->begin + inserted);
    return Value();
}

// ---------------------------------------------------------------- tab order

// A live clip, button or field behind `self`, else none.
ClipId clipOf(Interpreter& in, const Value& self) {
    Object* o = self.object();
    return o && o->kind() == ObjectKind::Clip && in.host().exists(o->clip) ? o->clip : kNoClip;
}

Value getTabIndex(Interpreter& in, const Value& self, std::span<const Value>) {
    FocusState* s = focusState(in);
    ClipId c = clipOf(in, self);
    if (!s || !c) return Value();
    auto it = s->tabIndexes.find(c);
    return it == s->tabIndexes.end() ? Value() : Value(it->second);
}

// Kept as a whole number: a field's unsigned, a clip's or button's signed (where what is no
// number is the smallest one); undefined, null and -1 unset it.
Value setTabIndex(Interpreter& in, const Value& self, std::span<const Value> args) {
    FocusState* s = focusState(in);
    ClipId c = clipOf(in, self);
    if (!s || !c) return Value();
    const Value& v = arg(args, 0);
    if (v.isNullish()) {
        s->tabIndexes.erase(c);
        return Value();
    }
    const double d = in.toNumber(v);
    if (d == -1) {
        s->tabIndexes.erase(c);
        return Value();
    }
    if (in.host().kind(c) == ClipKind::TextField) s->tabIndexes[c] = static_cast<double>(toUint32(d));
    else s->tabIndexes[c] = std::isfinite(d) ? static_cast<double>(toInt32(d)) : static_cast<double>(INT32_MIN);
    return Value();
}

// ---------------------------------------------------------------- properties

// TextField's properties as the prototype lists them (for..in hands them out in this order).
// A field answers them itself; on any other object they read undefined and ignore writes.
constexpr const char* kFieldProperties[] = {
    "styleSheet", "mouseWheelEnabled", "condenseWhite", "restrict", "textHeight", "textWidth", "bottomScroll",
    "length", "selectable", "multiline", "password", "wordWrap", "background", "border", "html", "embedFonts",
    "maxChars", "maxhscroll", "hscroll", "variable", "htmlText", "type", "text", "autoSize", "tabIndex",
    "textColor", "backgroundColor", "borderColor", "maxscroll", "scroll",
    // SWF 8 and later
    "filters", "sharpness", "thickness", "antiAliasType", "gridFitType",
};
constexpr size_t kFirstSwf8Property = 30;

// A field's own value for a property the display side doesn't keep: the clip object holds it.
template <size_t I>
Value getFieldProperty(Interpreter& in, const Value& self, std::span<const Value> args) {
    const std::string_view name = kFieldProperties[I];
    ClipId c = fieldOf(in, self);
    if (!c) return Value();
    if (name == "tabIndex") return getTabIndex(in, self, args);
    if (auto v = in.host().getNamed(c, name)) return *v;
    if (name == "filters")
        if (Property* p = in.movieClipPrototype ? in.movieClipPrototype->findOwn(name) : nullptr; p && p->getter)
            return in.call(Value(p->getter), self, args);
    return Value();
}

template <size_t I>
Value setFieldProperty(Interpreter& in, const Value& self, std::span<const Value> args) {
    const std::string_view name = kFieldProperties[I];
    ClipId c = fieldOf(in, self);
    if (c && name == "tabIndex") return setTabIndex(in, self, args);
    if (!c || in.host().setNamed(c, name, arg(args, 0))) return Value();
    if (name == "filters")
        if (Property* p = in.movieClipPrototype ? in.movieClipPrototype->findOwn(name) : nullptr; p && p->setter)
            return in.call(Value(p->setter), self, args);
    in.clipObject(c)->setOwn(name, arg(args, 0));
    return Value();
}

template <size_t... I>
void defineFieldProperties(Interpreter& in, Object* proto, std::index_sequence<I...>) {
    // Defined last first: enumeration hands out the newest first.
    auto one = [&](size_t i, NativeFunction get, NativeFunction set) {
        Property& p = proto->setOwn(kFieldProperties[i], Value(), 0);
        p.flags = i >= kFirstSwf8Property ? kOnlySwf8Up : 0;
        p.getter = in.newFunction(get);
        p.setter = in.newFunction(set);
    };
    constexpr size_t n = sizeof...(I);
    (one(n - 1 - I, getFieldProperty<n - 1 - I>, setFieldProperty<n - 1 - I>), ...);
}

void defineTabIndex(Interpreter& in, Object* proto, uint16_t flags) {
    Property& p = proto->setOwn("tabIndex", Value(), 0);
    p.flags = flags;
    p.getter = in.newFunction(getTabIndex);
    p.setter = in.newFunction(setTabIndex);
}

}  // namespace

void checkFocus(Interpreter& in) {
    if (FocusState* s = focusState(in)) dropRemovedFocus(in, *s);
}

Value focusRect(Interpreter& in, ClipId clip) {
    FocusState* s = focusState(in);
    if (!s) return Value();
    // Movies before SWF 6 read the movie's setting as a number.
    if (in.host().levelNumber(clip) >= 0) return in.swfVersion() < 6 ? Value(s->focusRect ? 1 : 0) : Value(s->focusRect);
    auto it = s->focusRects.find(clip);
    return it == s->focusRects.end() ? Value::null() : Value(it->second);
}

void setFocusRect(Interpreter& in, ClipId clip, const Value& v) {
    FocusState* s = focusState(in);
    if (!s) return;
    if (in.host().levelNumber(clip) < 0) {
        // A clip's own: any value as a condition; undefined and null unset it.
        if (v.isNullish()) s->focusRects.erase(clip);
        else s->focusRects[clip] = in.toBoolean(v);
        return;
    }
    // The movie's: a number other than zero shows the rectangle; strings are read as numbers
    // in every version, an object counts as zero, and undefined and null change nothing.
    if (v.isNullish()) return;
    if (v.isBoolean()) s->focusRect = v.boolean();
    else if (v.isNumber()) s->focusRect = v.number() != 0;
    else if (v.isString()) s->focusRect = stringToNumber(v.string(), 7) != 0;
    else s->focusRect = false;
}

void installTextFieldMethods(Interpreter& in) {
    Object* text = in.textFieldPrototype;
    if (!text) return;
    in.method(text, "getTextFormat", getTextFormat);
    in.method(text, "setTextFormat", setTextFormat);
    in.method(text, "getNewTextFormat", getNewTextFormat);
    in.method(text, "setNewTextFormat", setNewTextFormat);
    in.method(text, "replaceText", replaceText);
    text->findOwn("replaceText")->flags |= kOnlySwf7Up;
    in.method(text, "replaceSel", replaceSel);
    defineFieldProperties(in, text, std::make_index_sequence<std::size(kFieldProperties)>{});
    // Fields are broadcasters (their _listeners list is made on first use).
    Object* ab = in.getMember(Value(in.global()), "AsBroadcaster").object();
    for (const char* m : {"broadcastMessage", "addListener", "removeListener"})
        text->define(m, in.getMember(ab, m), kDontEnum);
}

void installSelection(Interpreter& in) {
    Object* sel = in.newObject();
    in.global()->define("Selection", sel, kDontEnum);
    sel->state = std::make_unique<FocusState>();
    in.classPrototypes["Selection"] = sel;  // keeps it (and its focus) alive
    // A broadcaster, as AsBroadcaster.initialize makes one.
    Object* ab = in.getMember(Value(in.global()), "AsBroadcaster").object();
    for (const char* m : {"broadcastMessage", "addListener", "removeListener"})
        sel->define(m, in.getMember(ab, m), kDontEnum);
    sel->define("_listeners", Value(in.newArray()), kDontEnum);
    in.method(sel, "getFocus", getFocus);
    in.method(sel, "setFocus", setFocus);
    in.method(sel, "getBeginIndex", getBeginIndex);
    in.method(sel, "getEndIndex", getEndIndex);
    in.method(sel, "getCaretIndex", getCaretIndex);
    in.method(sel, "setSelection", setSelection);
    // for..in never lists a clip's tab index and always a button's.
    if (in.movieClipPrototype) defineTabIndex(in, in.movieClipPrototype, kDontEnum);
    if (in.buttonPrototype) defineTabIndex(in, in.buttonPrototype, 0);
}

}  // namespace kelmora::player::avm1
