// TextField.styleSheet. A field with a sheet reads whatever text scripts give it (text or
// htmlText) as HTML styled by the sheet, whatever its html flag, and answers htmlText with that
// HTML as it was given. Attaching a sheet styles that HTML again; taking the sheet away keeps the
// styled text as it is.
#include "player/avm1/StyleSheet.h"
#include "player/script/ScriptEngine.h"
#include "player/text/EditTextDef.h"
#include "player/text/HtmlText.h"
#include "player/text/TextApi.h"
#include "player/text/TextFormat.h"
#include "player/text/TextStyleSheet.h"

namespace kelmora::player::script {

using avm1::Value;

namespace {

constexpr size_t kMaxHtmlBytes = 1u << 22;  // what a script may put into one field

TextStyle textStyleOf(const avm1::TextFormatValues& v) {
    TextStyle s;
    applyTextFormatValues(s.format, v);
    auto mark = [&](bool set, TextStyle::Field f) {
        if (set) s.fields |= f;
    };
    mark(v.font.has_value(), TextStyle::Font);
    mark(v.size.has_value(), TextStyle::Size);
    mark(v.color.has_value(), TextStyle::Color);
    mark(v.bold.has_value(), TextStyle::Bold);
    mark(v.italic.has_value(), TextStyle::Italic);
    mark(v.underline.has_value(), TextStyle::Underline);
    mark(v.url.has_value(), TextStyle::Url);
    mark(v.target.has_value(), TextStyle::Target);
    mark(v.align.has_value(), TextStyle::Align);
    mark(v.leftMargin.has_value(), TextStyle::LeftMargin);
    mark(v.rightMargin.has_value(), TextStyle::RightMargin);
    mark(v.indent.has_value(), TextStyle::Indent);
    mark(v.blockIndent.has_value(), TextStyle::BlockIndent);
    mark(v.leading.has_value(), TextStyle::Leading);
    mark(v.letterSpacing.has_value(), TextStyle::LetterSpacing);
    mark(v.kerning.has_value(), TextStyle::Kerning);
    mark(v.bullet.has_value(), TextStyle::Bullet);
    mark(v.tabStops.has_value(), TextStyle::TabStops);
    if (v.display) {
        s.hasDisplay = true;
        s.display = *v.display == "none" ? TextDisplay::None : *v.display == "inline" ? TextDisplay::Inline
                                                                                     : TextDisplay::Block;
    }
    return s;
}

void showStyledHtml(avm1::Interpreter& in, EditTextInstance& field, const std::string& html, const Value& sheet) {
    TextStyleSheet styles;
    for (const auto& [selector, values] : avm1::styleSheetFormats(in, sheet)) styles.add(selector, textStyleOf(values));
    HtmlReading how;
    how.markupBreaks = field.settings().multiline;
    how.condenseWhite = field.settings().condenseWhite;
    how.styles = &styles;
    StyledText text = parseHtmlText(html, field.newTextFormat(), how);
    if (text.formats.empty()) text.formats.push_back(field.newTextFormat());
    field.styledText() = std::move(text);
    field.changed();
}

}  // namespace

std::optional<Value> ScriptEngine::styleSheetProperty(ClipId clip, EditTextInstance& field, std::string_view n) {
    if (n != "stylesheet" && n != "htmltext") return std::nullopt;
    avm1::FieldStyleSheet* s = avm1::fieldStyleSheet(*interpreter_, clip, false);
    if (n == "stylesheet") return s ? s->sheet : Value();
    if (!s || !s->sheet.object()) return std::nullopt;
    // Text set before the sheet came is answered in the player's own HTML form.
    return Value(s->html ? *s->html : toHtmlText(field.styledText()));
}

bool ScriptEngine::setStyleSheetProperty(ClipId clip, EditTextInstance& field, std::string_view n, const Value& value) {
    avm1::Interpreter& in = *interpreter_;
    if (n == "stylesheet") {
        // Any object but a clip is taken as a sheet; anything else takes the sheet away.
        const avm1::Object* o = value.object();
        const bool usable = o && o->kind() != avm1::ObjectKind::Clip;
        avm1::FieldStyleSheet* s = avm1::fieldStyleSheet(in, clip, usable);
        if (!s) return true;
        if (!usable) {
            s->sheet = Value();
            s->html.reset();
            return true;
        }
        s->sheet = value;
        if (s->html) showStyledHtml(in, field, *s->html, value);
        return true;
    }
    if (n != "text" && n != "htmltext") return false;
    avm1::FieldStyleSheet* s = avm1::fieldStyleSheet(in, clip, false);
    if (!s || !s->sheet.object()) {
        // Movies before SWF 8 condense white space their own way.
        const EditTextDef& d = field.settings();
        const DisplayObject* o = object(clip);
        if (n != "htmltext" || !d.html || !d.condenseWhite || !o || versionOf(*o) >= 8) return false;
        std::string html = in.toString(value);
        if (html.size() > kMaxHtmlBytes) html.resize(kMaxHtmlBytes);
        HtmlReading how;
        how.markupBreaks = d.multiline;
        how.condenseWhite = how.condenseBySegment = true;
        StyledText text = parseHtmlText(html, field.newTextFormat(), how);
        if (text.formats.empty()) text.formats.push_back(field.newTextFormat());
        field.styledText() = std::move(text);
        field.changed();
        return true;
    }
    std::string html = in.toString(value);
    if (html.size() > kMaxHtmlBytes) html.resize(kMaxHtmlBytes);
    s->html = html;
    showStyledHtml(in, field, html, s->sheet);
    return true;
}

}  // namespace kelmora::player::script
