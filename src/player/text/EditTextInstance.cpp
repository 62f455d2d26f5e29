// A text field's text, formats and layout (drawing is in EditTextDraw.cpp).
#include "player/text/EditTextInstance.h"

#include "player/text/DeviceFont.h"
#include "player/text/HtmlText.h"
#include "player/text/Utf8.h"

namespace kelmora::player {

EditTextInstance::EditTextInstance(std::shared_ptr<const EditTextDef> def, const FontProvider& fonts)
    : impl_(std::make_unique<Impl>(def, fonts)) {
    // The file has one flag for both: a bordered field has a background too.
    if (impl_->def->border) impl_->def->background = true;
    const EditTextDef& d = *impl_->def;
    TextFormat& base = impl_->base;
    base.font = "Times New Roman";  // the player's default face
    if (d.hasFont) {
        if (const FontDef* f = fonts.font(d.fontId)) {
            if (!f->name.empty()) base.font = f->name;
            if (base.font == "_serif") base.font = "Times New Roman";  // how the player names it
            // HTML text says its own styles; a plain field shows its font's.
            base.bold = f->bold && !d.html;
            base.italic = f->italic && !d.html;
        }
    }
    base.size = d.fontHeight;
    base.color = d.hasTextColor ? d.textColor : Rgba{0, 0, 0, 255};
    base.align = d.html ? TextAlign::Left : d.align;  // HTML paragraphs say their own alignment
    base.leftMargin = d.leftMargin;
    base.rightMargin = d.rightMargin;
    base.indent = d.indent;
    base.leading = d.leading;
    if (d.html) setHtmlText(d.initialText);
    else setText(d.initialText);
}

EditTextInstance::~EditTextInstance() = default;

const EditTextDef& EditTextInstance::definition() const { return *impl_->def; }

std::string EditTextInstance::text() const { return encodeUtf8(impl_->content.chars); }

void EditTextInstance::setText(const std::string& plain) {
    std::u32string chars = decodeUtf8(plain);
    std::u32string normalised;
    normalised.reserve(chars.size());
    for (size_t i = 0; i < chars.size(); ++i) {
        if (chars[i] == U'\r' && i + 1 < chars.size() && chars[i + 1] == U'\n') continue;
        normalised.push_back(chars[i] == U'\n' ? U'\r' : chars[i]);
    }
    const EditTextDef& d = *impl_->def;
    if (d.hasMaxLength && d.maxLength > 0 && normalised.size() > d.maxLength) normalised.resize(d.maxLength);
    impl_->content = StyledText{};
    impl_->content.formats.push_back(impl_->base);
    impl_->content.append(normalised, impl_->base);
    impl_->dirty = true;
}

void EditTextInstance::setHtmlText(const std::string& html) {
    if (!impl_->def->html) return setText(html);  // a plain field shows markup as it is
    // A single-line field keeps no paragraph or line breaks from its markup.
    HtmlReading how;
    how.markupBreaks = impl_->def->multiline;
    how.condenseWhite = impl_->def->condenseWhite;
    impl_->content = parseHtmlText(html, impl_->base, how);
    if (impl_->content.formats.empty()) impl_->content.formats.push_back(impl_->base);
    impl_->dirty = true;
}

std::string EditTextInstance::htmlText() const {
    return impl_->def->html ? toHtmlText(impl_->content) : text();
}

EditTextDef& EditTextInstance::settings() { return *impl_->def; }
StyledText& EditTextInstance::styledText() { return impl_->content; }
TextFormat& EditTextInstance::newTextFormat() { return impl_->base; }
void EditTextInstance::changed() { impl_->dirty = true; }

Rect EditTextInstance::bounds() const {
    impl_->ensureLayout();
    return impl_->bounds;
}

const TextLayoutResult& EditTextInstance::layout() const {
    impl_->ensureLayout();
    return impl_->layout;
}

const GlyphSource* EditTextInstance::Impl::resolve(const TextFormat& f) {
    if (def->useOutlines) {
        const FontDef* own = def->hasFont ? fonts.font(def->fontId) : nullptr;
        const bool ownFace = own && (own->name == f.font || (own->name.empty() && f.font == base.font));
        const FontDef* font = ownFace && own->bold == f.bold && own->italic == f.italic ? own : nullptr;
        // Another style of the face needs its own embedded font (the field's lacks its glyphs);
        // without one the text is drawn with a device font.
        if (!font) font = fonts.fontByName(f.font, f.bold, f.italic);
        if (font && !font->glyphs.empty()) {
            auto& source = embedded[font];
            if (!source) source = std::make_unique<EmbeddedGlyphSource>(*font);
            return source.get();
        }
    }
    return deviceFont(f.font, f.bold, f.italic);
}

void EditTextInstance::Impl::ensureLayout() {
    if (!dirty) return;
    dirty = false;
    ++layoutVersion;
    bounds = def->bounds;
    TextLayoutParams params;
    params.width = bounds.width();
    params.wordWrap = def->wordWrap;
    params.password = def->password;
    params.hangTrailingSpaces = def->swfVersion >= 8;
    GlyphSourceResolver resolver = [this](const TextFormat& f) { return resolve(f); };
    layout = layoutText(content, params, resolver);
    if (!def->autoSize) return;
    // Auto size: the field grows or shrinks to its text; without word wrap its width too,
    // anchored by the alignment.
    bounds.yMax = bounds.yMin + layout.textHeight + 2 * kTextGutter;
    if (def->wordWrap) return;
    double width = layout.textWidth + 2 * kTextGutter;
    TextAlign anchor = base.align;
    switch (def->autoSizeMode) {
    case EditTextDef::AutoSize::Left: anchor = TextAlign::Left; break;
    case EditTextDef::AutoSize::Center: anchor = TextAlign::Center; break;
    case EditTextDef::AutoSize::Right: anchor = TextAlign::Right; break;
    case EditTextDef::AutoSize::None: break;
    }
    switch (anchor) {
    case TextAlign::Right: bounds.xMin = bounds.xMax - width; break;
    case TextAlign::Center: {
        double mid = (bounds.xMin + bounds.xMax) / 2;
        bounds.xMin = mid - width / 2;
        bounds.xMax = mid + width / 2;
        break;
    }
    default: bounds.xMax = bounds.xMin + width;
    }
    params.width = width;
    layout = layoutText(content, params, resolver);
}

}  // namespace kelmora::player
