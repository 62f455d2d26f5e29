#include "player/text/HtmlText.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "player/text/Utf8.h"
#include "util/TextNumber.h"

namespace kelmora::player {

namespace {

struct Tag {
    std::string name;  // lower case
    bool closing = false, selfClosing = false;
    bool malformed = false;  // an unquoted attribute value: the player reads no further
    std::vector<std::pair<std::string, std::string>> attributes;  // names lower case

    std::string attribute(const char* key) const {
        for (auto& [k, v] : attributes)
            if (k == key) return v;
        return {};
    }
    bool has(const char* key) const {
        for (auto& [k, v] : attributes)
            if (k == key) return true;
        return false;
    }
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

Tag parseTag(std::string_view s) {
    Tag tag;
    size_t i = 0;
    while (i < s.size() && isSpace(s[i])) ++i;
    if (i < s.size() && s[i] == '/') { tag.closing = true; ++i; }
    size_t start = i;
    while (i < s.size() && !isSpace(s[i]) && s[i] != '/') ++i;
    tag.name = toLower(s.substr(start, i - start));
    while (i < s.size()) {
        while (i < s.size() && isSpace(s[i])) ++i;
        if (i >= s.size()) break;
        if (s[i] == '/') { tag.selfClosing = true; ++i; continue; }
        size_t ks = i;
        while (i < s.size() && !isSpace(s[i]) && s[i] != '=' && s[i] != '/') ++i;
        std::string key = toLower(s.substr(ks, i - ks));
        while (i < s.size() && isSpace(s[i])) ++i;
        std::string value;
        if (i < s.size() && s[i] == '=') {
            ++i;
            while (i < s.size() && isSpace(s[i])) ++i;
            if (i < s.size() && (s[i] == '"' || s[i] == '\'')) {
                char q = s[i++];
                size_t vs = i;
                while (i < s.size() && s[i] != q) ++i;
                value = std::string(s.substr(vs, i - vs));
                if (i < s.size()) ++i;
            } else {
                tag.malformed = true;
                size_t vs = i;
                while (i < s.size() && !isSpace(s[i])) ++i;
                value = std::string(s.substr(vs, i - vs));
            }
        }
        if (key.empty()) { ++i; continue; }
        tag.attributes.emplace_back(std::move(key), std::move(value));
    }
    return tag;
}

// Decodes the entity at html[pos] ('&'); returns its character and advances pos, or '&' alone.
char32_t entity(std::string_view html, size_t& pos) {
    size_t semi = html.find(';', pos);
    if (semi == std::string_view::npos || semi - pos > 10) { ++pos; return U'&'; }
    std::string name = toLower(html.substr(pos + 1, semi - pos - 1));
    char32_t c = 0;
    if (name == "lt") c = U'<';
    else if (name == "gt") c = U'>';
    else if (name == "amp") c = U'&';
    else if (name == "quot") c = U'"';
    else if (name == "apos") c = U'\'';
    else if (name == "nbsp") c = 0xA0;
    else if (name.size() > 1 && name[0] == '#') {
        bool hex = name[1] == 'x';
        auto digits = std::string_view(name).substr(hex ? 2 : 1);
        unsigned long v = 0;
        bool ok = !digits.empty();
        for (char d : digits) {
            int dv = d >= '0' && d <= '9' ? d - '0' : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10 : -1;
            if (dv < 0 || v > 0x10FFFF) { ok = false; break; }
            v = v * (hex ? 16 : 10) + unsigned(dv);
        }
        if (ok && v > 0 && v <= 0x10FFFF) c = char32_t(v);
    }
    if (c == 0) { ++pos; return U'&'; }
    pos = semi + 1;
    return c;
}

bool parseColor(std::string v, Rgba& out) {
    // "#" and hex digits up to the first other character; only the last six count.
    v = trim(v);
    if (v.empty() || v[0] != '#') return false;
    uint32_t rgb = 0;
    for (size_t i = 1; i < v.size(); ++i) {
        const char d = v[i];
        int dv = d >= '0' && d <= '9' ? d - '0' : d >= 'a' && d <= 'f' ? d - 'a' + 10 : d >= 'A' && d <= 'F' ? d - 'A' + 10 : -1;
        if (dv < 0) break;
        rgb = ((rgb << 4) | uint32_t(dv)) & 0xFFFFFF;
    }
    out = {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255};
    return true;
}

// Pixels in the markup, twips inside.
bool pixelsAttr(const Tag& tag, const char* key, double& twips) {
    if (!tag.has(key)) return false;
    auto v = parseNumber(tag.attribute(key));
    if (!v) return false;
    twips = *v * kTwipsPerPixel;
    return true;
}

class HtmlReader {
public:
    HtmlReader(const TextFormat& base, const HtmlReading& how)
        : styles_(how.styles), markupBreaks_(how.markupBreaks), condenseWhite_(how.condenseWhite),
          segments_(how.condenseBySegment) {
        stack_.push_back({"", base});
    }

    void text(std::u32string_view s) {
        if (s.empty() || stack_.back().hidden) return;
        if (!condenseWhite_) return out_.append(s, top());
        auto white = [](char32_t c) { return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n'; };
        // Each run of white space is one space, and none starts a line; movies before SWF 8
        // fold each text between tags on its own and drop one that is all white space.
        std::u32string kept;
        if (segments_ && std::all_of(s.begin(), s.end(), white)) return;
        char32_t last = segments_ ? U'x' : out_.chars.empty() ? U'\r' : out_.chars.back();
        for (char32_t c : s) {
            if (white(c)) {
                if (last == U' ' || last == U'\r') continue;
                c = U' ';
            }
            kept.push_back(c);
            last = c;
        }
        out_.append(kept, top());
    }
    void lineBreak() {
        if (stack_.back().hidden) return;
        out_.append(U"\r", top());
    }
    void open(const Tag& tag) {
        TextFormat f = top();
        const std::string& n = tag.name;
        if (n == "br" || n == "sbr") {
            if (markupBreaks_) lineBreak();
            return;
        }
        Element e{n, f, n == "p" || n == "li", stack_.back().hidden};
        if (styles_) applyStyles(tag, e);
        f = e.format;
        // A paragraph breaks the line where it ends; a list item (or a styled block) also ends
        // the line it starts on.
        const bool breaks = markupBreaks_ && e.block && !e.hidden;
        if (breaks && n == "p") inParagraph_ = true;
        else if (breaks && !atLineStart()) out_.append(U"\r", lastFormat());
        if (n == "p" || n == "li") {
            if (n == "li") f.bullet = true;
            std::string align = toLower(tag.attribute("align"));
            if (align == "left") f.align = TextAlign::Left;
            else if (align == "right") f.align = TextAlign::Right;
            else if (align == "center") f.align = TextAlign::Center;
            else if (align == "justify") f.align = TextAlign::Justify;
        } else if (n == "font") {
            if (tag.has("face")) f.font = tag.attribute("face");
            if (tag.has("color")) parseColor(tag.attribute("color"), f.color);
            if (tag.has("letterspacing")) {
                if (auto v = parseNumber(tag.attribute("letterspacing"))) f.letterSpacing = std::clamp(*v, -1000.0, 1000.0);
            }
            if (tag.has("kerning")) f.kerning = leadingNumber(tag.attribute("kerning")) != 0;
            // Whole pixels from 1 to 127; "+N" and "-N" are relative and what follows the digits
            // is ignored. A size without digits changes nothing.
            const std::string size = trim(tag.attribute("size"));
            size_t pos = 0;
            const bool relative = !size.empty() && (size[0] == '+' || size[0] == '-');
            if (relative) ++pos;
            const size_t digits = pos;
            double v = 0;
            for (; pos < size.size() && size[pos] >= '0' && size[pos] <= '9'; ++pos)
                if (v < 1e6) v = v * 10 + (size[pos] - '0');
            if (pos > digits) {
                if (relative) v = f.size / kTwipsPerPixel + (size[0] == '-' ? -v : v);
                f.size = std::clamp(v, 1.0, 127.0) * kTwipsPerPixel;
            }
        } else if (n == "b") {
            f.bold = true;
        } else if (n == "i") {
            f.italic = true;
        } else if (n == "u") {
            f.underline = true;
        } else if (n == "a") {
            f.url = tag.attribute("href");
            f.target = tag.attribute("target");
        } else if (n == "textformat") {
            pixelsAttr(tag, "leftmargin", f.leftMargin);
            pixelsAttr(tag, "rightmargin", f.rightMargin);
            pixelsAttr(tag, "indent", f.indent);
            pixelsAttr(tag, "blockindent", f.blockIndent);
            pixelsAttr(tag, "leading", f.leading);
            if (tag.has("tabstops")) {
                f.tabStops.clear();
                std::string stops = tag.attribute("tabstops");
                size_t pos = 0;
                while (pos <= stops.size() && f.tabStops.size() < 64) {
                    size_t comma = stops.find(',', pos);
                    std::string part = stops.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
                    part.erase(std::remove_if(part.begin(), part.end(), [](char c) { return c == '[' || c == ']'; }),
                               part.end());
                    if (auto v = parseNumber(part)) f.tabStops.push_back(*v * kTwipsPerPixel);
                    if (comma == std::string::npos) break;
                    pos = comma + 1;
                }
            }
        } else if (!styles_) {
            return;  // unknown tags (span, img, ...) change nothing
        }
        if (tag.selfClosing) return;
        e.format = f;
        if (stack_.size() >= 256) return;
        if (breaks && n == "li") ++openItems_;
        stack_.push_back(std::move(e));
    }
    // A closing tag ends its element only when that element is the innermost one open; a
    // paragraph or list item still ends its line.
    void close(const std::string& name) {
        size_t i = stack_.size();
        while (i-- > 1 && stack_[i].name != name) {}
        if (i == 0) return;
        const Element& e = stack_[i];
        const bool breaks = markupBreaks_ && e.block && !e.hidden;
        if (breaks && name == "p") {
            // Only the innermost of nested paragraphs breaks the line.
            if (inParagraph_) out_.append(U"\r", paragraphEnd(e.format));
            inParagraph_ = false;
        } else if (breaks && name == "li") {
            if (openItems_ > 0) {
                --openItems_;
                out_.append(U"\r", e.format);
            }
        } else if (breaks && !atLineStart()) {
            out_.append(U"\r", lastFormat());
        }
        if (i + 1 != stack_.size()) return;
        if (name == "font") lastClosed_ = e.format;
        stack_.pop_back();
    }
    StyledText take() { return std::move(out_); }

private:
    struct Element {
        std::string name;
        TextFormat format;
        bool block = false;   // breaks the line before and after it
        bool hidden = false;  // display: none, here or further out
    };

    bool atLineStart() const { return out_.chars.empty() || out_.chars.back() == U'\r'; }
    const TextFormat& lastFormat() const { return out_.chars.empty() ? top() : out_.formatAt(out_.chars.size() - 1); }

    // A sheet's tag style, then its class style; the tag's own attributes come after both.
    // Font, span and textformat tags take no tag style; the formatting tags take none at all.
    void applyStyles(const Tag& tag, Element& e) const {
        const std::string& n = tag.name;
        if (n == "b" || n == "i" || n == "u" || n == "font" || n == "textformat" || n == "img") return;
        auto apply = [&](const TextStyle* s) {
            if (!s) return;
            s->applyTo(e.format);
            if (s->hasDisplay) {
                e.block = s->display == TextDisplay::Block;
                e.hidden = e.hidden || s->display == TextDisplay::None;
            }
        };
        if (n != "span") apply(styles_->find(n));
        if (tag.has("class")) apply(styles_->find("." + tag.attribute("class")));
    }

    // The break that ends a paragraph: the paragraph's own layout with the characters of the
    // font closed last (the field's own format when none was).
    TextFormat paragraphEnd(const TextFormat& para) const {
        TextFormat f = lastClosed_ ? *lastClosed_ : stack_.front().format;
        f.align = para.align;
        f.leftMargin = para.leftMargin;
        f.rightMargin = para.rightMargin;
        f.indent = para.indent;
        f.blockIndent = para.blockIndent;
        f.leading = para.leading;
        f.bullet = para.bullet;
        f.tabStops = para.tabStops;
        return f;
    }

    const TextFormat& top() const { return stack_.back().format; }
    std::optional<TextFormat> lastClosed_;
    const TextStyleSheet* styles_;
    std::vector<Element> stack_;
    StyledText out_;
    bool markupBreaks_ = true;    // <p>, <li> and <br> break lines (multiline fields)
    bool condenseWhite_ = false;  // white space runs shown as one space; line breaks only from markup
    bool segments_ = false;
    bool inParagraph_ = false;    // a <p> is open (not a stack: only one closing tag breaks)
    int openItems_ = 0;
};

std::string escape(std::u32string_view s) {
    std::string out;
    for (char32_t c : s) {
        switch (c) {
        case U'<': out += "&lt;"; break;
        case U'>': out += "&gt;"; break;
        case U'&': out += "&amp;"; break;
        case U'"': out += "&quot;"; break;
        default: out += encodeUtf8(std::u32string_view(&c, 1));
        }
    }
    return out;
}

const char* alignName(TextAlign a) {
    switch (a) {
    case TextAlign::Right: return "RIGHT";
    case TextAlign::Center: return "CENTER";
    case TextAlign::Justify: return "JUSTIFY";
    default: return "LEFT";
    }
}

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

}  // namespace

StyledText parseHtmlText(std::string_view html, const TextFormat& base, bool markupBreaks,
                         const TextStyleSheet* styles) {
    HtmlReading how;
    how.markupBreaks = markupBreaks;
    how.styles = styles;
    return parseHtmlText(html, base, how);
}

StyledText parseHtmlText(std::string_view html, const TextFormat& base, const HtmlReading& how) {
    HtmlReader reader(base, how);
    std::u32string run;
    size_t i = 0;
    auto flush = [&] {
        reader.text(run);
        run.clear();
    };
    while (i < html.size()) {
        char c = html[i];
        if (c == '<') {
            size_t end = html.find('>', i);
            if (end == std::string_view::npos) break;  // an unclosed tag ends the text
            flush();
            Tag tag = parseTag(html.substr(i + 1, end - i - 1));
            if (tag.malformed) break;
            if (tag.closing) reader.close(tag.name);
            else reader.open(tag);
            i = end + 1;
        } else if (c == '&') {
            run.push_back(entity(html, i));
        } else if ((c == '\r' || c == '\n') && !how.condenseWhite) {
            flush();
            reader.lineBreak();
            i += (c == '\r' && i + 1 < html.size() && html[i + 1] == '\n') ? 2 : 1;
        } else {
            size_t end = html.find_first_of(how.condenseWhite ? "<&" : "<&\r\n", i);
            if (end == std::string_view::npos) end = html.size();
            run += decodeUtf8(html.substr(i, end - i));
            i = end;
        }
    }
    flush();
    return reader.take();
}

namespace {

std::string colorText(Rgba c) {
    char color[8];
    std::snprintf(color, sizeof color, "%02X%02X%02X", c.r, c.g, c.b);
    return std::string("#") + color;
}

std::string paragraphOpening(const TextFormat& p) {
    std::string attrs;
    auto px = [&](const char* key, double twips) {
        if (twips != 0) attrs += std::string(" ") + key + "=\"" + number(twips / kTwipsPerPixel) + "\"";
    };
    px("LEFTMARGIN", p.leftMargin);
    px("RIGHTMARGIN", p.rightMargin);
    px("INDENT", p.indent);
    px("BLOCKINDENT", p.blockIndent);
    px("LEADING", p.leading);
    if (!p.tabStops.empty()) {
        std::string stops;
        for (double t : p.tabStops) stops += (stops.empty() ? "" : ",") + number(t / kTwipsPerPixel);
        attrs += " TABSTOPS=\"" + stops + "\"";
    }
    return attrs.empty() ? std::string() : "<TEXTFORMAT" + attrs + ">";
}

std::string fontAttributes(const TextFormat& f, const TextFormat* outer) {
    std::string a;
    if (!outer || f.font != outer->font) a += " FACE=\"" + f.font + "\"";
    if (!outer || f.size != outer->size) a += " SIZE=\"" + number(f.size / kTwipsPerPixel) + "\"";
    if (!outer || !(f.color == outer->color)) a += " COLOR=\"" + colorText(f.color) + "\"";
    if (!outer || f.letterSpacing != outer->letterSpacing) a += " LETTERSPACING=\"" + number(f.letterSpacing) + "\"";
    if (!outer || f.kerning != outer->kerning) a += std::string(" KERNING=\"") + (f.kerning ? "1" : "0") + "\"";
    return a;
}

}  // namespace

// Runs are written by what the markup shows of their characters.
static bool sameCharacters(const TextFormat& a, const TextFormat& b) {
    return a.font == b.font && a.size == b.size && a.color == b.color && a.letterSpacing == b.letterSpacing &&
           a.kerning == b.kerning && a.bold == b.bold && a.italic == b.italic && a.underline == b.underline &&
           a.url == b.url && a.target == b.target;
}

std::string toHtmlText(const StyledText& text) {
    std::string out;
    const size_t n = text.chars.size();
    if (n == 0) return out;  // an empty field has no paragraph
    const TextFormat fallback = text.formats.empty() ? TextFormat{} : text.formats.back();
    size_t i = 0;
    for (;;) {
        size_t end = std::min(text.chars.find(U'\r', i), n);
        // The paragraph's runs include its closing '\r', which shows only its format.
        const size_t stop = end < n ? end + 1 : end;
        const TextFormat& para = i < stop ? text.formatAt(i) : fallback;
        const std::string textFormat = paragraphOpening(para);
        out += textFormat;
        out += para.bullet ? std::string("<LI>") : std::string("<P ALIGN=\"") + alignName(para.align) + "\">";
        out += "<FONT" + fontAttributes(para, nullptr) + ">";
        // Runs that change the font nest a <FONT> with the changes inside the one open; a run
        // that matches a format further out closes the tags back to it.
        std::vector<const TextFormat*> open{&para};
        size_t j = i;
        while (j < stop) {
            size_t k = j;
            while (k < stop && sameCharacters(text.formatAt(k), text.formatAt(j))) ++k;
            const TextFormat& f = text.formatAt(j);
            size_t level = open.size();
            while (level > 0 && !fontAttributes(f, open[level - 1]).empty()) --level;
            if (level > 0) {
                for (; open.size() > level; open.pop_back()) out += "</FONT>";
            } else if (open.size() < 64) {
                out += "<FONT" + fontAttributes(f, open.back()) + ">";
                open.push_back(&f);
            }
            std::string inner = escape(std::u32string_view(text.chars).substr(j, std::min(k, end) - std::min(j, end)));
            if (f.underline) inner = "<U>" + inner + "</U>";
            if (f.italic) inner = "<I>" + inner + "</I>";
            if (f.bold) inner = "<B>" + inner + "</B>";
            if (!f.url.empty()) inner = "<A HREF=\"" + f.url + "\" TARGET=\"" + f.target + "\">" + inner + "</A>";
            out += inner;
            j = k;
        }
        for (; open.size() > 1; open.pop_back()) out += "</FONT>";
        out += "</FONT>";
        out += para.bullet ? "</LI>" : "</P>";
        if (!textFormat.empty()) out += "</TEXTFORMAT>";
        if (end >= n) break;
        i = end + 1;
        if (i >= n) break;  // a closing '\r' starts no paragraph of its own
    }
    return out;
}

}  // namespace kelmora::player
