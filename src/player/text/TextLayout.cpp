#include "player/text/TextLayout.h"

#include <algorithm>
#include <cmath>

namespace kelmora::player {

namespace {

struct Item {
    char32_t c = 0;
    const TextFormat* format = nullptr;
    const GlyphSource* source = nullptr;
    int glyph = -1;
    double advance = 0, ascent = 0, descent = 0;
};

bool isBreakSpace(char32_t c) { return c == U' ' || c == U'\t'; }

class Layouter {
public:
    Layouter(const StyledText& text, const TextLayoutParams& params, const GlyphSourceResolver& resolve)
        : text_(text), params_(params), resolve_(resolve) {}

    TextLayoutResult run() {
        const size_t n = text_.chars.size();
        size_t i = 0;
        for (;;) {
            size_t end = std::min(text_.chars.find(U'\r', i), n);
            paragraph(i, end);
            if (end >= n) break;
            i = end + 1;
        }
        // The leading after the last line counts only when the text is a single line; no text
        // at all has no height.
        out_.textHeight = std::max(0.0, top_ - kTextGutter - (out_.lines > 1 ? lastLeading_ : 0));
        if (n == 0) out_.textHeight = 0;
        return std::move(out_);
    }

private:
    Item measure(char32_t c, const TextFormat& f) {
        Item item;
        item.c = params_.password ? U'*' : c;
        item.format = &f;
        item.source = resolve_(f);
        if (!item.source || item.source->emSquare() <= 0) return item;
        double scale = f.size / item.source->emSquare();
        item.ascent = item.source->ascent() * scale;
        item.descent = item.source->descent() * scale;
        item.glyph = item.source->glyphIndex(item.c == U'\t' ? U' ' : item.c == 0xA0 ? U' ' : item.c);
        // The player keeps advances in whole twips, cut down.
        if (item.glyph >= 0) item.advance = std::floor(item.source->advance(item.glyph) * scale + 1e-9);
        return item;
    }

    // Tabs run to the next stop of the paragraph, or every four spaces' width.
    double tabAdvance(const Item& item, double x) const {
        for (double stop : paragraphFormat_->tabStops)
            if (stop > x + 1) return stop - x;
        double every = std::max(item.advance * 4, kTwipsPerPixel);
        return (std::floor(x / every) + 1) * every - x;
    }

    void paragraph(size_t begin, size_t end) {
        static const TextFormat kDefault;
        const size_t n = text_.chars.size();
        paragraphFormat_ = begin < n ? &text_.formatAt(begin) : text_.formats.empty() ? &kDefault : &text_.formats.back();
        const TextFormat& pf = *paragraphFormat_;
        std::vector<Item> line;
        bool first = true;
        double x = 0;
        for (size_t k = begin; k < end; ++k) {
            Item item = measure(text_.chars[k], text_.formatAt(k));
            if (item.c == U'\t') item.advance = tabAdvance(item, x);
            if (params_.wordWrap && !line.empty() && !isBreakSpace(item.c) && x + item.advance > available(first)) {
                // Break after the last space, or before this character when the word fills the line.
                size_t cut = line.size();
                for (size_t b = line.size(); b-- > 0;)
                    if (isBreakSpace(line[b].c)) { cut = b + 1; break; }
                std::vector<Item> rest(line.begin() + long(cut), line.end());
                line.resize(cut);
                emitLine(line, first, false, pf);
                first = false;
                line = std::move(rest);
                x = 0;
                for (auto& it : line) x += it.advance;
            }
            x += item.advance;
            line.push_back(item);
        }
        emitLine(line, first, true, pf);
    }

    double leftEdge(bool first, const TextFormat& pf) const {
        return kTextGutter + pf.leftMargin + pf.blockIndent + (first ? pf.indent : 0) + (pf.bullet ? pf.size : 0);
    }
    double available(bool first) const {
        const TextFormat& pf = *paragraphFormat_;
        return params_.width - 2 * kTextGutter - pf.rightMargin - (leftEdge(first, pf) - kTextGutter);
    }

    // last: the paragraph's last line, which justified text leaves ragged.
    void emitLine(const std::vector<Item>& line, bool first, bool last, const TextFormat& pf) {
        double ascent = 0, descent = 0;
        for (auto& it : line) { ascent = std::max(ascent, it.ascent); descent = std::max(descent, it.descent); }
        if (line.empty()) {  // an empty line still takes the height of its format's font
            Item probe = measure(U' ', pf);
            ascent = probe.ascent;
            descent = probe.descent;
        }
        // The player measures lines in whole pixels.
        ascent = std::round(ascent / kTwipsPerPixel) * kTwipsPerPixel;
        descent = std::round(descent / kTwipsPerPixel) * kTwipsPerPixel;
        double width = 0;
        size_t visible = line.size();
        while (visible > 0 && isBreakSpace(line[visible - 1].c)) --visible;
        for (size_t k = 0; k < visible; ++k) width += line[k].advance;
        // Spaces that end a left-aligned paragraph take room; elsewhere they may hang past the edge.
        double measured = width;
        if (last && (pf.align == TextAlign::Left || !params_.hangTrailingSpaces))
            for (size_t k = visible; k < line.size(); ++k) measured += line[k].advance;
        double slack = std::max(0.0, available(first) - measured);
        double x = leftEdge(first, pf);
        if (pf.align == TextAlign::Right) x += slack;
        else if (pf.align == TextAlign::Center) x += slack / 2;
        double spaceExtra = 0;
        if (pf.align == TextAlign::Justify && !last) {
            int spaces = 0;
            for (size_t k = 0; k < visible; ++k) spaces += line[k].c == U' ';
            if (spaces > 0) spaceExtra = slack / spaces;
        }
        const double baseline = top_ + ascent;
        if (pf.bullet && first) {
            Item bullet = measure(0x2022, pf);
            if (bullet.glyph >= 0)
                out_.glyphs.push_back({bullet.source, bullet.glyph, x - pf.size * 0.75, baseline, pf.size, pf.color, top_});
        }
        // The alignment's offset is no part of the text's width.
        out_.textWidth = std::max(out_.textWidth, leftEdge(first, pf) - kTextGutter + measured + pf.rightMargin);
        for (size_t k = 0; k < line.size(); ++k) {
            const Item& it = line[k];
            if (it.glyph >= 0 && !isBreakSpace(it.c))
                out_.glyphs.push_back({it.source, it.glyph, x, baseline, it.format->size, it.format->color, top_});
            if (it.format->underline && k < visible) {
                double thickness = std::max(kTwipsPerPixel, it.format->size / 16);
                double y = baseline + std::max(kTwipsPerPixel, it.descent / 3);
                auto& u = out_.underlines;
                if (!u.empty() && u.back().y == y && std::abs(u.back().x1 - x) < 0.01 && u.back().color == it.format->color)
                    u.back().x1 = x + it.advance;
                else
                    u.push_back({x, x + it.advance, y, thickness, it.format->color});
            }
            x += it.advance + (it.c == U' ' && k < visible ? spaceExtra : 0);
        }
        lastLeading_ = pf.leading;
        top_ = baseline + descent + pf.leading;
        ++out_.lines;
    }

    const StyledText& text_;
    const TextLayoutParams& params_;
    const GlyphSourceResolver& resolve_;
    const TextFormat* paragraphFormat_ = nullptr;
    TextLayoutResult out_;
    double top_ = kTextGutter, lastLeading_ = 0;
};

}  // namespace

TextLayoutResult layoutText(const StyledText& text, const TextLayoutParams& params, const GlyphSourceResolver& resolve) {
    return Layouter(text, params, resolve).run();
}

}  // namespace kelmora::player
