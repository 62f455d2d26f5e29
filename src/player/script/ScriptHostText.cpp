// Text fields as scripts see them: TextField's properties and its text formats.
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "player/avm1/Interpreter.h"
#include "player/display/EditTextObject.h"
#include "player/display/MovieClip.h"
#include "player/format/Characters.h"
#include "player/script/ScriptEngine.h"
#include "player/text/DeviceFont.h"
#include "player/text/EditTextDef.h"
#include "player/text/FontDef.h"
#include "player/text/GlyphSource.h"
#include "player/text/TextDef.h"
#include "player/text/TextFormat.h"
#include "player/text/TextLayout.h"
#include "player/text/Utf8.h"
#include "util/TextNumber.h"

namespace kelmora::player::script {

using avm1::TextFormatValues;
using avm1::Value;

namespace {

constexpr size_t kMaxTextChars = 1u << 22;  // what a script may put into one field

double rgbOf(Rgba c) { return static_cast<double>((uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b); }
Rgba rgbFrom(uint32_t v) { return {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v), 255}; }

const char* alignName(TextAlign a) {
    switch (a) {
    case TextAlign::Right: return "right";
    case TextAlign::Center: return "center";
    case TextAlign::Justify: return "justify";
    default: return "left";
    }
}

TextFormatValues valuesOf(const TextFormat& f) {
    TextFormatValues v;
    v.font = f.font;
    v.size = f.size / kTwipsPerPixel;
    v.color = rgbOf(f.color);
    v.bold = f.bold;
    v.italic = f.italic;
    v.underline = f.underline;
    v.url = f.url;
    v.target = f.target;
    v.align = alignName(f.align);
    v.leftMargin = f.leftMargin / kTwipsPerPixel;
    v.rightMargin = f.rightMargin / kTwipsPerPixel;
    v.indent = f.indent / kTwipsPerPixel;
    v.blockIndent = f.blockIndent / kTwipsPerPixel;
    v.leading = f.leading / kTwipsPerPixel;
    v.bullet = f.bullet;
    v.kerning = f.kerning;
    v.letterSpacing = f.letterSpacing;
    std::vector<double> stops;
    for (double t : f.tabStops) stops.push_back(t / kTwipsPerPixel);
    v.tabStops = std::move(stops);
    v.display = "block";
    return v;
}

// Twips from a script's pixels, kept to sizes a field can hold.
double twips(double px, double lo, double hi) { return std::clamp(std::isfinite(px) ? px : 0.0, lo, hi) * kTwipsPerPixel; }

void applyCharacter(TextFormat& f, const TextFormatValues& v) {
    if (v.font) f.font = *v.font;
    if (v.size) f.size = twips(*v.size, 0, 1000);  // negative sizes draw nothing
    if (v.color) f.color = rgbFrom(static_cast<uint32_t>(*v.color));
    if (v.bold) f.bold = *v.bold;
    if (v.italic) f.italic = *v.italic;
    if (v.underline) f.underline = *v.underline;
    if (v.url) f.url = *v.url;
    if (v.target) f.target = *v.target;
    if (v.kerning) f.kerning = *v.kerning;
    if (v.letterSpacing) f.letterSpacing = std::isfinite(*v.letterSpacing) ? std::clamp(*v.letterSpacing, -1e4, 1e4) : 0;
}

void applyParagraph(TextFormat& f, const TextFormatValues& v) {
    if (v.align) {
        const std::string& a = *v.align;
        f.align = a == "right" ? TextAlign::Right : a == "center" ? TextAlign::Center
                  : a == "justify" ? TextAlign::Justify : TextAlign::Left;
    }
    if (v.leftMargin) f.leftMargin = twips(*v.leftMargin, 0, 720);
    if (v.rightMargin) f.rightMargin = twips(*v.rightMargin, 0, 720);
    if (v.indent) f.indent = twips(*v.indent, -720, 720);
    if (v.blockIndent) f.blockIndent = twips(*v.blockIndent, -720, 720);
    if (v.leading) f.leading = twips(*v.leading, -360, 720);
    if (v.bullet) f.bullet = *v.bullet;
    if (v.tabStops) {
        f.tabStops.clear();
        for (double t : *v.tabStops) f.tabStops.push_back(twips(t, 0, 1e5));
    }
}

// Fields on which every format of a span agrees; the others become null.
void intersect(TextFormatValues& a, const TextFormatValues& b) {
    auto keep = [](auto& x, const auto& y) {
        if (x && y != x) x.reset();
    };
    keep(a.font, b.font);
    keep(a.size, b.size);
    keep(a.color, b.color);
    keep(a.bold, b.bold);
    keep(a.italic, b.italic);
    keep(a.underline, b.underline);
    keep(a.url, b.url);
    keep(a.target, b.target);
    keep(a.align, b.align);
    keep(a.leftMargin, b.leftMargin);
    keep(a.rightMargin, b.rightMargin);
    keep(a.indent, b.indent);
    keep(a.blockIndent, b.blockIndent);
    keep(a.leading, b.leading);
    keep(a.bullet, b.bullet);
    keep(a.kerning, b.kerning);
    keep(a.letterSpacing, b.letterSpacing);
    keep(a.tabStops, b.tabStops);
}

// Rebuilds the format table so that it holds only formats in use.
void compactFormats(StyledText& t, const TextFormat& fallback) {
    StyledText out;
    out.chars = std::move(t.chars);
    out.formatOf.reserve(out.chars.size());
    for (size_t i = 0; i < out.chars.size(); ++i) {
        const TextFormat& f = i < t.formatOf.size() && t.formatOf[i] < t.formats.size() ? t.formats[t.formatOf[i]] : fallback;
        out.formatOf.push_back(out.formatIndex(f));
    }
    if (out.formats.empty()) out.formats.push_back(fallback);
    t = std::move(out);
}

// How far the text may scroll left: what it sticks out past the field and its gutters, in pixels.
int maxHScroll(EditTextInstance& field) {
    const Rect b = field.bounds();
    const double over = field.layout().textWidth + 2 * kTextGutter - (b.xMax - b.xMin);
    return over > 0 ? static_cast<int>(std::min(std::round(over / kTwipsPerPixel), 1e6)) : 0;
}

std::string autoSizeName(const EditTextDef& d, const TextFormat& base) {
    if (!d.autoSize) return "none";
    switch (d.autoSizeMode) {
    case EditTextDef::AutoSize::Left: return "left";
    case EditTextDef::AutoSize::Center: return "center";
    case EditTextDef::AutoSize::Right: return "right";
    case EditTextDef::AutoSize::None: break;
    }
    return base.align == TextAlign::Right ? "right" : base.align == TextAlign::Center ? "center" : "left";
}

}  // namespace

EditTextInstance* ScriptEngine::textField(ClipId clip) const {
    DisplayObject* o = object(clip);
    return o && o->kind() == CharacterKind::EditText ? &static_cast<EditTextObject*>(o)->field() : nullptr;
}

void ScriptEngine::syncTextVariables() {
    std::vector<ClipId> fields;
    for (const auto& [id, o] : objects_)
        if (o && !o->removed && o->kind() == CharacterKind::EditText &&
            !static_cast<EditTextObject*>(o)->field().settings().variableName.empty())
            fields.push_back(id);
    std::sort(fields.begin(), fields.end());
    for (ClipId id : fields) syncTextVariable(id, true);
}

namespace {
// "a.b.name", "/a/b:name" or "name": the clip path and the variable's name.
void splitVariable(std::string_view var, std::string_view& path, std::string_view& member) {
    const size_t at = var.find_last_of(".:");
    path = at == std::string_view::npos ? std::string_view() : var.substr(0, at);
    member = at == std::string_view::npos ? var : var.substr(at + 1);
}
}  // namespace

// The clip or object a field's variable path names, starting at the field's parent; a plain
// object may hold the variable too.
avm1::Object* ScriptEngine::variableHolder(ClipId id, std::string_view path, bool& isClip) {
    DisplayObject* o = object(id);
    isClip = false;
    if (!o || !o->parent || !interpreter_) return nullptr;
    const ClipId base = o->parent->scriptId;
    if (path.empty() || path.find_first_of("/:") != std::string_view::npos) {
        const ClipId target = path.empty() ? base : interpreter_->resolveTarget(base, path);
        isClip = target != avm1::kNoClip;
        return isClip ? interpreter_->clipObject(target) : nullptr;
    }
    avm1::Object* holder = interpreter_->clipObject(base);
    for (size_t begin = 0; holder && begin <= path.size();) {
        size_t end = std::min(path.find('.', begin), path.size());
        const std::string_view seg = path.substr(begin, end - begin);
        begin = end + 1;
        if (seg.empty()) continue;
        if (holder->kind() == avm1::ObjectKind::Clip) {
            const ClipId next = interpreter_->resolveTarget(holder->clip, seg);
            if (next) {
                holder = interpreter_->clipObject(next);
                continue;
            }
        }
        holder = interpreter_->getMember(holder, seg).object();
    }
    isClip = holder && holder->kind() == avm1::ObjectKind::Clip;
    return holder;
}

void ScriptEngine::syncTextVariable(ClipId id, bool everyFrame) {
    EditTextInstance* field = textField(id);
    if (!field || !interpreter_) return;
    const std::string var = field->settings().variableName;
    std::string_view path, member;
    splitVariable(var, path, member);
    if (member.empty()) return;
    bool isClip = false;
    avm1::Object* holder = variableHolder(id, path, isClip);
    // A plain object's variable is only looked at once a frame.
    if (!holder || (!isClip && !everyFrame)) return;
    const Value v = interpreter_->getMember(holder, member);
    if (v.isUndefined()) {
        // The field's text as the movie defined it seeds the variable once; an empty field
        // leaves it unset.
        if (seededVariables_.insert(id).second) {
            const std::string& initial = field->definition().initialText;
            const std::string text = initial.empty() ? field->text() : initial;
            if (text != field->text()) {
                if (field->settings().html) field->setHtmlText(text);
                else field->setText(text);
            }
            if (!text.empty()) {
                interpreter_->setMember(holder, member, Value(text));
                shownVariables_[id] = text;
            }
        }
        return;
    }
    seededVariables_.insert(id);
    if (v.object()) {
        // Converting an object runs its toString: only while a script runs, and only for an
        // object the field has not shown yet.
        if (!interpreter_->currentFrame()) return;
        auto [it, added] = boundObjects_.emplace(id, v.object());
        if (!added && it->second == v.object()) return;
        it->second = v.object();
    } else {
        boundObjects_.erase(id);
    }
    const std::string text = interpreter_->toString(v);
    auto shown = shownVariables_.find(id);
    if (shown != shownVariables_.end() && shown->second == text) return;
    shownVariables_[id] = text;
    if (text == field->text()) return;
    if (field->settings().html) field->setHtmlText(text);
    else field->setText(text);
}

void ScriptEngine::setBoundVariable(ClipId id, const std::string& text) {
    EditTextInstance* field = textField(id);
    DisplayObject* o = object(id);
    if (!field || !o || !o->parent || field->settings().variableName.empty()) return;
    const std::string var = field->settings().variableName;
    std::string_view path, member;
    splitVariable(var, path, member);
    bool isClip = false;
    avm1::Object* holder = variableHolder(id, path, isClip);
    if (!holder || member.empty()) return;
    seededVariables_.insert(id);
    interpreter_->setMember(holder, member, Value(text));
    // The field has shown this text already when the variable took it.
    const Value now = interpreter_->getMember(holder, member);
    if (now.isString() && now.string() == text) shownVariables_[id] = text;
}

std::optional<Value> ScriptEngine::getNamed(ClipId clip, std::string_view name) {
    if (auto v = layerProperty(clip, name)) return v;
    EditTextInstance* field = textField(clip);
    if (!field) return std::nullopt;
    EditTextDef& d = field->settings();
    TextFormat& base = field->newTextFormat();
    const std::string n = toLower(name);
    if ((n == "text" || n == "htmltext") && !d.variableName.empty()) syncTextVariable(clip);
    if (auto v = styleSheetProperty(clip, *field, n)) return v;
    if (n == "_listeners") {
        // Every field is a broadcaster that starts with itself as its listener.
        avm1::Object* self = interpreter_->clipObject(clip);
        Value me[] = {Value(self)};
        avm1::Object* list = interpreter_->newArray(me);
        self->define("_listeners", Value(list), avm1::kDontEnum);
        return Value(list);
    }
    if (n == "text") return Value(field->text());
    if (n == "htmltext") return Value(field->htmlText());
    if (n == "html") return Value(d.html);
    if (n == "textcolor") return Value(rgbOf(base.color));
    if (n == "background") return Value(d.background);
    if (n == "border") return Value(d.border);
    if (n == "backgroundcolor") return Value(rgbOf(d.backgroundColor));
    if (n == "bordercolor") return Value(rgbOf(d.borderColor));
    if (n == "type") return Value(d.readOnly ? "dynamic" : "input");
    if (n == "wordwrap") return Value(d.wordWrap);
    if (n == "multiline") return Value(d.multiline);
    if (n == "password") return Value(d.password);
    if (n == "selectable") return Value(!d.noSelect);
    if (n == "embedfonts") return Value(d.useOutlines);
    if (n == "condensewhite") return Value(d.condenseWhite);
    if (n == "autosize") return Value(autoSizeName(d, base));
    if (n == "maxchars") return d.maxLength ? Value(static_cast<double>(d.maxLength)) : Value::null();
    if (n == "variable") return d.variableName.empty() ? Value::null() : Value(d.variableName);
    if (n == "restrict") return d.hasRestrict ? Value(d.restrict) : Value::null();
    if (n == "length") return Value(static_cast<double>(field->styledText().chars.size()));
    const TextLayoutResult& layout = field->layout();
    // In whole pixels, cut down.
    if (n == "textwidth") return Value(std::floor(layout.textWidth / kTwipsPerPixel + 1e-9));
    if (n == "textheight") return Value(std::floor(layout.textHeight / kTwipsPerPixel + 1e-9));
    if (n == "scroll" || n == "maxscroll") return Value(1);
    if (n == "bottomscroll") return Value(std::max(1, layout.lines));
    if (n == "maxhscroll") return Value(maxHScroll(*field));
    if (n == "hscroll") return Value(std::min(d.hscroll, maxHScroll(*field)));
    if (n == "mousewheelenabled") return Value(true);
    if (versionOf(*object(clip)) >= 8) {
        if (n == "antialiastype") return Value("normal");
        if (n == "gridfittype") return Value("pixel");
        if (n == "sharpness" || n == "thickness") return Value(0);
    }
    return std::nullopt;
}

bool ScriptEngine::setNamed(ClipId clip, std::string_view name, const Value& value) {
    if (setLayerProperty(clip, name, value)) return true;
    EditTextInstance* field = textField(clip);
    if (!field) return false;
    EditTextDef& d = field->settings();
    TextFormat& base = field->newTextFormat();
    avm1::Interpreter& in = *interpreter_;
    const std::string n = toLower(name);
    if (setStyleSheetProperty(clip, *field, n, value)) return true;
    auto flag = [&](bool& out) {
        out = in.toBoolean(value);
        field->changed();
        return true;
    };
    auto bounded = [](std::string s) {
        if (s.size() > kMaxTextChars) s.resize(kMaxTextChars);
        return s;
    };
    if (n == "text") {
        field->setText(bounded(in.toString(value)));
        setBoundVariable(clip, field->text());
        return true;
    }
    if (n == "htmltext") {
        field->setHtmlText(bounded(in.toString(value)));
        return true;
    }
    if (n == "html") {
        // An HTML field's paragraphs say their own alignment.
        if (in.toBoolean(value) && !d.html) base.align = TextAlign::Left;
        return flag(d.html);
    }
    if (n == "background") return flag(d.background);
    if (n == "border") return flag(d.border);
    if (n == "wordwrap") return flag(d.wordWrap);
    if (n == "multiline") return flag(d.multiline);
    if (n == "password") return flag(d.password);
    if (n == "embedfonts") return flag(d.useOutlines);
    if (n == "condensewhite") return flag(d.condenseWhite);
    if (n == "selectable") {
        d.noSelect = !in.toBoolean(value);
        return true;
    }
    if (n == "textcolor") {
        const Rgba c = rgbFrom(avm1::toUint32(in.toNumber(value)));
        base.color = c;
        StyledText& t = field->styledText();
        for (auto& f : t.formats) f.color = c;
        compactFormats(t, base);
        field->changed();
        return true;
    }
    if (n == "backgroundcolor" || n == "bordercolor") {
        (n[0] == 'b' && n[1] == 'a' ? d.backgroundColor : d.borderColor) = rgbFrom(avm1::toUint32(in.toNumber(value)));
        field->changed();
        return true;
    }
    if (n == "type") {
        const std::string t = toLower(in.toString(value));
        if (t == "input") d.readOnly = false;
        else if (t == "dynamic") d.readOnly = true;
        return true;
    }
    if (n == "autosize") {
        using A = EditTextDef::AutoSize;
        A mode = A::None;
        if (value.isBoolean()) {
            mode = value.boolean() ? A::Left : A::None;
        } else if (value.isString() || value.object()) {
            const std::string t = toLower(in.toString(value));
            mode = t == "left" ? A::Left : t == "center" ? A::Center : t == "right" ? A::Right : A::None;
        }
        d.autoSize = mode != A::None;
        d.autoSizeMode = mode;
        field->changed();
        return true;
    }
    if (n == "maxchars") {
        const double v = in.toNumber(value);
        d.maxLength = std::isfinite(v) && v > 0 ? static_cast<uint16_t>(std::min(v, 65535.0)) : 0;
        d.hasMaxLength = d.maxLength > 0;
        return true;
    }
    if (n == "variable") {
        d.variableName = value.isNullish() ? std::string() : bounded(in.toString(value));
        seededVariables_.erase(clip);
        boundObjects_.erase(clip);
        shownVariables_.erase(clip);
        syncTextVariable(clip);
        return true;
    }
    if (n == "restrict") {
        d.hasRestrict = !value.isNullish();
        d.restrict = d.hasRestrict ? bounded(in.toString(value)) : std::string();
        return true;
    }
    if (n == "hscroll") {
        // As a 32-bit integer: past 2^31 it wraps below zero.
        d.hscroll = std::clamp(avm1::toInt32(in.toNumber(value)), 0, maxHScroll(*field));
        return true;
    }
    // Read-only properties ignore assignments.
    for (const char* ro : {"length", "textwidth", "textheight", "maxscroll", "bottomscroll", "maxhscroll"})
        if (n == ro) return true;
    return false;
}

std::optional<TextFormatValues> ScriptEngine::textFormat(ClipId clip, int begin, int end) {
    EditTextInstance* field = textField(clip);
    if (!field) return std::nullopt;
    const StyledText& t = field->styledText();
    const int n = static_cast<int>(t.chars.size());
    if (begin < 0) {
        begin = 0;
        end = n;
    }
    end = std::min(end, n);
    if (begin >= end) return TextFormatValues{};  // no characters: every field null
    TextFormatValues v = valuesOf(t.formatAt(size_t(begin)));
    uint16_t last = t.formatOf[size_t(begin)];
    for (int i = begin + 1; i < end; ++i) {
        if (t.formatOf[size_t(i)] == last) continue;
        last = t.formatOf[size_t(i)];
        intersect(v, valuesOf(t.formatAt(size_t(i))));
    }
    return v;
}

void ScriptEngine::setTextFormat(ClipId clip, int begin, int end, const TextFormatValues& values) {
    EditTextInstance* field = textField(clip);
    if (!field) return;
    StyledText& t = field->styledText();
    const int n = static_cast<int>(t.chars.size());
    if (begin < 0) {
        begin = 0;
        end = n;
    }
    end = std::min(end, n);
    if (begin >= end) return;
    // Paragraph formats reach the whole paragraphs the span touches.
    size_t pBegin = size_t(begin), pEnd = size_t(end);
    while (pBegin > 0 && t.chars[pBegin - 1] != U'\r') --pBegin;
    while (pEnd < t.chars.size() && t.chars[pEnd - 1] != U'\r') ++pEnd;
    std::vector<TextFormat> formats;
    formats.reserve(t.chars.size());
    for (size_t i = 0; i < t.chars.size(); ++i) {
        TextFormat f = t.formatAt(i);
        if (i >= size_t(begin) && i < size_t(end)) applyCharacter(f, values);
        if (i >= pBegin && i < pEnd) applyParagraph(f, values);
        formats.push_back(std::move(f));
    }
    StyledText out;
    out.chars = std::move(t.chars);
    for (auto& f : formats) out.formatOf.push_back(out.formatIndex(f));
    t = std::move(out);
    field->changed();
}

std::optional<TextFormatValues> ScriptEngine::newTextFormat(ClipId clip) {
    EditTextInstance* field = textField(clip);
    if (!field) return std::nullopt;
    return valuesOf(field->newTextFormat());
}

void ScriptEngine::setNewTextFormat(ClipId clip, const TextFormatValues& values) {
    EditTextInstance* field = textField(clip);
    if (!field) return;
    applyCharacter(field->newTextFormat(), values);
    applyParagraph(field->newTextFormat(), values);
}

void ScriptEngine::replaceText(ClipId clip, int begin, int end, std::string_view text) {
    EditTextInstance* field = textField(clip);
    if (!field) return;
    StyledText& t = field->styledText();
    const size_t n = t.chars.size();
    const size_t b = std::min(size_t(std::max(begin, 0)), n), e = std::clamp(size_t(std::max(end, 0)), b, n);
    std::u32string insert = decodeUtf8(text);
    for (auto& c : insert)
        if (c == U'\n') c = U'\r';
    if (n - (e - b) + insert.size() > kMaxTextChars) return;
    const TextFormat f = b < n ? t.formatAt(b) : (b > 0 ? t.formatAt(b - 1) : field->newTextFormat());
    const uint16_t idx = t.formatIndex(f);
    t.chars.replace(b, e - b, insert);
    t.formatOf.erase(t.formatOf.begin() + long(b), t.formatOf.begin() + long(e));
    t.formatOf.insert(t.formatOf.begin() + long(b), insert.size(), idx);
    compactFormats(t, field->newTextFormat());
    field->changed();
}

Rect ScriptEngine::textExtent(const TextFormatValues& values, std::string_view text, double width) {
    TextFormat f;
    f.font = "Times New Roman";
    f.size = 12 * kTwipsPerPixel;
    applyCharacter(f, values);
    applyParagraph(f, values);
    StyledText t;
    std::u32string chars = decodeUtf8(text.substr(0, std::min(text.size(), kMaxTextChars)));
    for (auto& c : chars)
        if (c == U'\n') c = U'\r';
    t.append(chars, f);
    TextLayoutParams params;
    params.width = width > 0 ? std::min(width, 1e6) * kTwipsPerPixel : 1e9;
    params.wordWrap = width > 0;
    // A font the movie embeds under that name measures the text; else the device font.
    std::map<const FontDef*, std::unique_ptr<EmbeddedGlyphSource>> embedded;
    DisplayObject* root = object(level(0));
    auto resolve = [&](const TextFormat& g) -> const GlyphSource* {
        if (const FontDef* font = root ? root->context().fontByName(g.font, g.bold, g.italic) : nullptr;
            font && !font->glyphs.empty()) {
            auto& source = embedded[font];
            if (!source) source = std::make_unique<EmbeddedGlyphSource>(*font);
            return source.get();
        }
        return deviceFont(g.font, g.bold, g.italic);
    };
    TextLayoutResult r = layoutText(t, params, resolve);
    // The first line's font gives the ascent and descent (whole pixels), carried in the corner.
    double ascent = 0, descent = 0;
    if (const GlyphSource* g = resolve(f); g && g->emSquare() > 0) {
        ascent = std::round(g->ascent() * f.size / g->emSquare() / kTwipsPerPixel);
        descent = std::round(g->descent() * f.size / g->emSquare() / kTwipsPerPixel);
    }
    return {ascent, descent, std::floor(r.textWidth / kTwipsPerPixel + 1e-9), std::round(r.textHeight / kTwipsPerPixel)};
}

std::vector<std::u32string> ScriptEngine::staticText(ClipId clip) {
    std::vector<std::u32string> lines;
    MovieClip* c = movieClip(clip);
    if (!c) return lines;
    for (const auto& [depth, child] : c->children()) {
        if (!child || child->removed || child->kind() != CharacterKind::Text) continue;
        const auto* t = static_cast<const TextCharacter*>(child->character());
        if (!t->text) continue;
        bool first = true;
        double y = 0;
        for (const TextRecord& r : t->text->records) {
            if (first || r.y != y) lines.emplace_back();
            first = false;
            y = r.y;
            const FontDef* font = child->context().font(r.fontId);
            for (const TextGlyph& g : r.glyphs) {
                if (lines.back().size() >= kMaxTextChars) break;
                lines.back().push_back(font && g.index < font->glyphs.size() ? font->glyphs[g.index].code : U'?');
            }
        }
    }
    return lines;
}

void applyTextFormatValues(TextFormat& format, const TextFormatValues& values) {
    applyCharacter(format, values);
    applyParagraph(format, values);
}

}  // namespace kelmora::player::script
