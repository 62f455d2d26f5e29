#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "FontTestTags.h"
#include "MediaFuzzSeeds.h"
#include "player/text/DeviceFont.h"
#include "player/text/EditTextDef.h"
#include "player/text/FontDef.h"
#include "player/text/TextApi.h"
#include "player/text/TextDef.h"
#include "player/text/TextLayout.h"

namespace kelmora::player {
namespace {

using namespace kelmora::player::testing;

class Fonts : public FontProvider {
public:
    FontDef* font(uint16_t id) const override {
        auto it = fonts.find(id);
        return it == fonts.end() ? nullptr : it->second.get();
    }
    FontDef* fontByName(const std::string& name, bool, bool) const override {
        for (auto& [id, f] : fonts)
            if (f->name == name) return f.get();
        return nullptr;
    }
    std::map<uint16_t, std::shared_ptr<FontDef>> fonts;
};

// A font whose glyphs are boxes filling the EM square's top 3/4 (1024 units, ascent 768, descent 256).
std::shared_ptr<FontDef> boxFont(uint16_t id, const std::string& name, uint16_t tag = 48) {
    int scale = tag == 75 ? 20 : 1;
    std::vector<TestGlyph> glyphs;
    for (char16_t c : std::u16string(u"ABCDEFGHIJ *")) glyphs.push_back({c, boxGlyph(0, -768 * scale, 512 * scale, 0), 512 * scale});
    auto f = parseFont(tag, defineFont2(id, name, glyphs, 768 * scale, 256 * scale, 0));
    EXPECT_TRUE(f.ok());
    return *f;
}

TEST(StaticText, RecordsCarryStateAndDrawGlyphBoxes) {
    // Two records: the second keeps the font and height, changes colour and moves down.
    BitWriter w;
    w.u16(5);
    w.ub(15, 5).sb(0, 15).sb(2000, 15).sb(0, 15).sb(2000, 15).align();  // bounds
    w.ub(0, 1).ub(0, 1).ub(1, 5).sb(0, 1).sb(0, 1).align();              // identity matrix
    w.u8(4).u8(12);                                                        // glyph bits, advance bits
    w.u8(0x80 | 0x08 | 0x04 | 0x01 | 0x02).u16(1).u8(255).u8(0).u8(0).s16(200).s16(400).u16(400);
    w.u8(2).ub(0, 4).sb(400, 12).ub(1, 4).sb(400, 12).align();
    w.u8(0x80 | 0x04 | 0x02).u8(0).u8(0).u8(255).s16(1000);
    w.u8(1).ub(2, 4).sb(400, 12).align();
    w.u8(0);
    writeMediaSeed("text", 7, w.data());
    TagBytes tag = w.take();
    auto text = parseText(11, tag);
    ASSERT_TRUE(text.ok()) << text.error().message;
    const TextDef& t = **text;
    ASSERT_EQ(t.records.size(), 2u);
    EXPECT_EQ(t.records[1].fontId, 1);
    EXPECT_DOUBLE_EQ(t.records[1].height, 400);
    EXPECT_DOUBLE_EQ(t.records[1].x, 1000);  // carried on from the first record's advances
    EXPECT_DOUBLE_EQ(t.records[1].y, 1000);
    EXPECT_EQ(t.records[1].color, (Rgba{0, 0, 255, 255}));

    // DefineFont3 glyphs are 20 times finer: the same height draws the same boxes.
    for (uint16_t fontTag : {48, 75}) {
        Fonts fonts;
        fonts.fonts[1] = boxFont(1, "Box", fontTag);
        PixelBuffer target(100, 100);
        target.fill(0xFFFFFFFF);
        ShapeRenderer shapes;
        drawText(t, fonts, Matrix::scale(1 / 20.0, 1 / 20.0), ColorTransform{}, target, shapes);
        // Glyph box: height 400 twips -> 20 px EM, box 10 px wide and 15 px tall above the baseline.
        EXPECT_EQ(target.pixel(12, 15), 0xFFFF0000u) << fontTag;  // first glyph (x 10..20, y 5..20)
        EXPECT_EQ(target.pixel(32, 15), 0xFFFF0000u) << fontTag;  // second glyph (x 30..40)
        EXPECT_EQ(target.pixel(25, 15), 0xFFFFFFFFu) << fontTag;  // the gap between them
        EXPECT_EQ(target.pixel(55, 45), 0xFF0000FFu) << fontTag;  // second record (x 50..60, y 35..50)
        EXPECT_EQ(target.pixel(12, 22), 0xFFFFFFFFu) << fontTag;  // below the baseline
        // The colour transform applies to the record's colour.
        ColorTransform halfRed;
        halfRed.rMult = 128;
        target.fill(0xFFFFFFFF);
        drawText(t, fonts, Matrix::scale(1 / 20.0, 1 / 20.0), halfRed, target, shapes);
        EXPECT_EQ(target.pixel(12, 15), 0xFF7F0000u);  // 255 * 128 / 256
    }
    // Truncated text tags keep their whole records.
    for (size_t n = 0; n < tag.size(); ++n) {
        auto cut = parseText(11, std::span(tag.data(), n));
        if (cut.ok()) {
            EXPECT_LE((*cut)->records.size(), 2u);
        }
    }
}

TEST(EditText, FlagsAndFields) {
    BitWriter w;
    w.u16(9);
    w.ub(14, 5).sb(0, 14).sb(4000, 14).sb(0, 14).sb(1000, 14).align();
    w.u8(0x80 | 0x40 | 0x20 | 0x04 | 0x02 | 0x01).u8(0x40 | 0x20 | 0x08 | 0x02 | 0x01);
    w.u16(1).u16(360).u8(1).u8(2).u8(3).u8(255).u16(50);
    w.u8(2).u16(40).u16(60).u16(80).s16(-20);
    w.string("myVar").string("<b>hi</b>");
    writeMediaSeed("edittext", 8, w.data());
    std::string_view html = "<p align='center'><font size='20'>a&amp;b</font></p><li>x</li>";
    writeMediaSeed("html", 9, std::span(reinterpret_cast<const uint8_t*>(html.data()), html.size()));
    auto def = parseEditText(w.take());
    ASSERT_TRUE(def.ok()) << def.error().message;
    const EditTextDef& d = **def;
    EXPECT_EQ(d.id, 9);
    EXPECT_TRUE(d.wordWrap && d.multiline && d.hasTextColor && d.hasMaxLength && d.hasFont);
    EXPECT_FALSE(d.password || d.readOnly);
    EXPECT_TRUE(d.autoSize && d.hasLayout && d.border && d.html && d.useOutlines);
    EXPECT_FALSE(d.noSelect || d.wasStatic);
    EXPECT_EQ(d.fontId, 1);
    EXPECT_DOUBLE_EQ(d.fontHeight, 360);
    EXPECT_EQ(d.textColor, (Rgba{1, 2, 3, 255}));
    EXPECT_EQ(d.maxLength, 50);
    EXPECT_EQ(d.align, TextAlign::Center);
    EXPECT_DOUBLE_EQ(d.leftMargin, 40);
    EXPECT_DOUBLE_EQ(d.rightMargin, 60);
    EXPECT_DOUBLE_EQ(d.indent, 80);
    EXPECT_DOUBLE_EQ(d.leading, -20);
    EXPECT_EQ(d.variableName, "myVar");
    EXPECT_EQ(d.initialText, "<b>hi</b>");
    EXPECT_DOUBLE_EQ(d.bounds.xMax, 4000);
    EXPECT_FALSE(parseEditText(TagBytes{1, 0, 0x08}).ok());
}

std::shared_ptr<EditTextDef> fieldDef(bool html, const std::string& text, double width = 4000) {
    auto d = std::make_shared<EditTextDef>();
    d->bounds = {0, 0, width, 2000};
    d->html = html;
    d->multiline = d->wordWrap = true;
    d->hasFont = true;
    d->fontId = 1;
    d->fontHeight = 400;
    d->useOutlines = true;
    d->initialText = text;
    return d;
}

TEST(EditText, HtmlSubsetToTextAndBack) {
    Fonts fonts;
    fonts.fonts[1] = boxFont(1, "Box");
    struct Case {
        const char* html;
        const char* plain;
    } cases[] = {
        {"<p>one</p><p>two</p>", "one\rtwo\r"},  // a multiline field keeps the closing break
        {"<p>one</p>\n<p>two", "one\r\rtwo"},
        {"a<br>b<br/>c", "a\rb\rc"},
        {"&lt;x&gt; &amp; &quot;q&quot; &apos;&#65;&#x42;&bogus;", "<x> & \"q\" 'AB&bogus;"},
        {"a&nbsp;b", "a\xC2\xA0" "b"},
        {"<font face='Box' size='30' color='#FF0000'>big</font> small", "big small"},
        {"<b><i><u>x</u></i></b><unknown>y</unknown>", "xy"},
        {"<li>item</li><li>next</li>", "item\rnext\r"},
        {"<textformat leftmargin='5' indent='3' leading='2'><p align='right'>r</p></textformat>", "r\r"},
        {"caf\xC3\xA9 <a href='http://x'>link</a>", "caf\xC3\xA9 link"},
        {"unclosed <b", "unclosed "},
        {"a<font color=#00FF00>green</font>b", "a"},  // an unquoted value ends the text
    };
    for (const Case& c : cases) {
        EditTextInstance field(fieldDef(true, c.html), fonts);
        EXPECT_EQ(field.text(), c.plain) << c.html;
    }
    EditTextInstance field(fieldDef(true, "<p align='center'><font color='#00ff00'>A</font>B</p>"), fonts);
    std::string html = field.htmlText();
    EXPECT_NE(html.find("ALIGN=\"CENTER\""), std::string::npos) << html;
    EXPECT_NE(html.find("COLOR=\"#00FF00\""), std::string::npos) << html;
    EditTextInstance again(fieldDef(true, html), fonts);
    EXPECT_EQ(again.text(), "AB\r");
    EditTextInstance thrice(fieldDef(true, again.htmlText()), fonts);
    EXPECT_EQ(thrice.text(), "AB\r");  // the closing break writes no empty paragraph

    // Colours need "#"; hex digits run to the first other character and the last six count.
    struct Colour {
        const char* value;
        Rgba rgb;
    } colours[] = {{"#00ff00", {0, 255, 0, 255}}, {"ff00ff", {0, 0, 0, 255}},   {"#ff00ffffee", {255, 255, 238, 255}},
                   {"#ff00gp", {0, 255, 0, 255}}, {"", {0, 0, 0, 255}},         {"#", {0, 0, 0, 255}}};
    for (const Colour& c : colours) {
        EditTextInstance coloured(fieldDef(true, std::string("<font color='") + c.value + "'>A</font>"), fonts);
        EXPECT_EQ(coloured.layout().glyphs.at(0).color, c.rgb) << c.value;
    }

    // A single-line field keeps only the breaks written in the text.
    auto single = fieldDef(true, "<p>a</p><p>b<br>c</p>\nd");
    single->multiline = false;
    EXPECT_EQ(EditTextInstance(single, fonts).text(), "abc\rd");

    // A plain field takes markup literally; newlines become Flash's "\r".
    EditTextInstance plain(fieldDef(false, "<b>x</b>\r\ny\nz"), fonts);
    EXPECT_EQ(plain.text(), "<b>x</b>\ry\rz");
}

TEST(EditText, LayoutWrapsAlignsAndAutoSizes) {
    Fonts fonts;
    fonts.fonts[1] = boxFont(1, "Box");  // 400-twip text: every glyph advances 200 twips
    // Width 1680: 1600 usable after the two gutters -> eight glyphs per line.
    auto d = fieldDef(false, "ABC DEF GHIJ", 1680);
    EditTextInstance field(d, fonts);
    const TextLayoutResult& l = field.layout();
    EXPECT_EQ(l.lines, 2);
    ASSERT_EQ(l.glyphs.size(), 10u);  // spaces draw nothing
    EXPECT_DOUBLE_EQ(l.glyphs[0].x, 40);        // gutter
    EXPECT_DOUBLE_EQ(l.glyphs[0].y, 40 + 300);  // gutter + ascent (768/1024 * 400)
    EXPECT_DOUBLE_EQ(l.glyphs[3].x, 40 + 800);  // "DEF" stays on line 1
    EXPECT_DOUBLE_EQ(l.glyphs[6].x, 40);        // "GHIJ" wraps
    EXPECT_DOUBLE_EQ(l.glyphs[6].y, 340 + 400); // + ascent + descent, no leading

    // Right and centre alignment, margins, indent and leading.
    auto r = fieldDef(false, "AB\rC", 1280);
    r->align = TextAlign::Right;
    r->leftMargin = 100;
    r->rightMargin = 100;
    r->indent = 60;
    r->leading = 80;
    EditTextInstance right(r, fonts);
    const TextLayoutResult& rl = right.layout();
    ASSERT_EQ(rl.glyphs.size(), 3u);
    EXPECT_DOUBLE_EQ(rl.glyphs[1].x + 200, 1280 - 40 - 100);  // line ends at the right margin
    EXPECT_DOUBLE_EQ(rl.glyphs[2].y - rl.glyphs[0].y, 400 + 80);
    r->align = TextAlign::Center;
    EditTextInstance centre(r, fonts);
    const TextLayoutResult& cl = centre.layout();
    // Usable: 1280 - 80 - 200 margins - 60 indent = 940; "AB" is 400 -> 270 either side.
    EXPECT_DOUBLE_EQ(cl.glyphs[0].x, 40 + 100 + 60 + 270);

    // Justified lines reach both margins; the paragraph's last line stays left.
    auto j = fieldDef(false, "A B C D E", 1680);
    j->align = TextAlign::Justify;
    EditTextInstance justified(j, fonts);
    const TextLayoutResult& jl = justified.layout();
    ASSERT_EQ(jl.glyphs.size(), 5u);
    EXPECT_DOUBLE_EQ(jl.glyphs[3].x + 200, 1680 - 40);
    EXPECT_DOUBLE_EQ(jl.glyphs[4].x, 40);

    // Auto size without word wrap: the field fits its text, anchored left.
    auto a = fieldDef(false, "ABCDEFGHIJABCDEFGHIJ", 400);
    a->wordWrap = false;
    a->autoSize = true;
    EditTextInstance sized(a, fonts);
    Rect b = sized.bounds();
    EXPECT_DOUBLE_EQ(b.xMin, 0);
    EXPECT_DOUBLE_EQ(b.width(), 20 * 200 + 80);
    EXPECT_DOUBLE_EQ(b.height(), 400 + 80);

    // Password fields show stars; maxLength cuts the text.
    auto p = fieldDef(false, "ABCDEFGHIJ");
    p->password = true;
    p->hasMaxLength = true;
    p->maxLength = 4;
    EditTextInstance pass(p, fonts);
    EXPECT_EQ(pass.text(), "ABCD");
    ASSERT_EQ(pass.layout().glyphs.size(), 4u);
    EXPECT_EQ(pass.layout().glyphs[0].glyph, fonts.fonts[1]->glyphIndex(u'*'));
}

TEST(EditText, LinesMeasureWholePixelsAndLeadingCountsBetweenThem) {
    Fonts fonts;
    fonts.fonts[1] = boxFont(1, "Box");
    struct Case {
        const char* text;
        int fontHeight, leading;
        double textHeight;  // twips
    } cases[] = {
        {"A", 400, 0, 400},            // 300 + 100
        {"A", 430, 0, 420},            // ascent 16.1 px -> 16, descent 5.4 -> 5
        {"A", 400, 80, 480},           // one line keeps its leading
        {"A\rB", 400, 80, 880},        // between lines only
        {"A\rB\rC", 400, 80, 1360},
    };
    for (const Case& c : cases) {
        auto d = fieldDef(false, c.text);
        d->fontHeight = c.fontHeight;
        d->hasLayout = true;
        d->leading = c.leading;
        EditTextInstance field(d, fonts);
        EXPECT_DOUBLE_EQ(field.layout().textHeight, c.textHeight) << c.text << " " << c.fontHeight;
    }
}

TEST(EditText, DrawsBorderBackgroundAndDeviceText) {
    Fonts fonts;
    auto d = fieldDef(false, "Hello", 2000);
    d->useOutlines = false;  // device font
    d->hasFont = false;
    d->border = true;
    d->bounds = {200, 200, 2200, 1000};  // 100x40 px at (10,10)
    d->hasTextColor = true;
    d->textColor = {0, 0, 0, 255};
    EditTextInstance field(d, fonts);
    PixelBuffer target(130, 60);
    target.fill(0xFF336699);
    ShapeRenderer shapes;
    field.draw(Matrix::scale(1 / 20.0, 1 / 20.0), ColorTransform{}, target, shapes);
    EXPECT_EQ(target.pixel(5, 5), 0xFF336699u);    // outside
    EXPECT_EQ(target.pixel(10, 30), 0xFF000000u);  // left border
    EXPECT_EQ(target.pixel(60, 10), 0xFF000000u);  // top border
    // The right and bottom border lines lie in the pixels just past the box (x 110, y 50).
    EXPECT_EQ(target.pixel(110, 30), 0xFF000000u);
    EXPECT_EQ(target.pixel(60, 50), 0xFF000000u);
    EXPECT_EQ(target.pixel(109, 30), 0xFFFFFFFFu);  // background
    EXPECT_EQ(target.pixel(111, 30), 0xFF336699u);
    EXPECT_EQ(target.pixel(60, 51), 0xFF336699u);
    if (!deviceFont("_serif", false, false)) GTEST_SKIP() << "Liberation fonts not installed";
    int dark = 0;
    for (int y = 12; y < 30; ++y)
        for (int x = 12; x < 60; ++x) dark += redOf(target.pixel(x, y)) < 100;
    EXPECT_GT(dark, 30) << "device text drawn";
}

TEST(EditText, ScriptedBoxSitsOnWholePixels) {
    Fonts fonts;
    auto d = fieldDef(false, "", 2000);
    d->useOutlines = false;
    d->hasFont = false;
    d->bounds = {0, 0, 200, 200};  // 10x10 px
    struct Case {
        bool border, background;
        double x, y;                 // placement in pixels, fractions included
        uint32_t inside, edge, corner;  // at (x+5, y+5), (x, y+5) and (x+10, y+10) rounded
    } cases[] = {
        {true, true, 5, 5, 0xFFFFFFFFu, 0xFFFF0000u, 0xFFFFFFFFu},       // the far corner is left out
        {true, false, 5.4, 5.4, 0xFF336699u, 0xFFFF0000u, 0xFF336699u},  // snapped, not smeared
        {false, true, 5.6, 5.6, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u},
        {false, false, 5, 5, 0xFF336699u, 0xFF336699u, 0xFF336699u},
    };
    for (const Case& c : cases) {
        EditTextInstance field(d, fonts);
        field.settings().border = c.border;
        field.settings().background = c.background;
        field.settings().borderColor = {255, 0, 0, 255};
        field.settings().backgroundColor = {0, 255, 0, 255};
        if (c.border && c.background) field.settings().backgroundColor = {255, 255, 255, 255};
        field.changed();
        PixelBuffer target(30, 30);
        target.fill(0xFF336699);
        ShapeRenderer shapes;
        field.draw(Matrix::translate(c.x, c.y) * Matrix::scale(1 / 20.0, 1 / 20.0), ColorTransform{}, target, shapes);
        const int x = int(std::lround(c.x)), y = int(std::lround(c.y));
        EXPECT_EQ(target.pixel(x + 5, y + 5), c.inside) << c.x;
        EXPECT_EQ(target.pixel(x, y + 5), c.edge) << c.x;
        EXPECT_EQ(target.pixel(x + 10, y + 10), c.corner) << c.x;
    }
}

TEST(DeviceFonts, FirstBaselineSitsWhereFlashPutsIt) {
    const GlyphSource* sans = deviceFont("_sans", false, false);
    if (!sans) GTEST_SKIP() << "Liberation fonts not installed";
    // 29 px text: the gutter, then the Windows ascent (0.905 EM) and 0.15 EM more, in whole pixels.
    StyledText text;
    TextFormat f;
    f.font = "_sans";
    f.size = 580;
    text.append(U"Hx", f);
    TextLayoutResult r = layoutText(text, {4000, false, false}, [&](const TextFormat&) { return sans; });
    ASSERT_FALSE(r.glyphs.empty());
    EXPECT_DOUBLE_EQ(r.glyphs[0].y / kTwipsPerPixel, 2 + std::round(1.055 * 29));
}

TEST(DeviceFonts, NamesMapToLiberationFamilies) {
    struct Case {
        const char* name;
        DeviceFamily family;
    } cases[] = {{"_sans", DeviceFamily::Sans}, {"Arial", DeviceFamily::Sans}, {"Verdana", DeviceFamily::Sans},
                 {"Helvetica", DeviceFamily::Sans}, {"_serif", DeviceFamily::Serif},
                 {"Times New Roman", DeviceFamily::Serif}, {"_typewriter", DeviceFamily::Mono},
                 {"Courier New", DeviceFamily::Mono}, {"Some Odd Font", DeviceFamily::Serif}};
    for (const Case& c : cases) EXPECT_EQ(deviceFamilyFor(c.name), c.family) << c.name;
    const GlyphSource* sans = deviceFont("_sans", true, true);
    if (!sans) GTEST_SKIP() << "Liberation fonts not installed";
    int a = sans->glyphIndex(U'A');
    ASSERT_GE(a, 0);
    EXPECT_GT(sans->advance(a), 0);
    ASSERT_NE(sans->glyphShape(a), nullptr);
    Rect r = shapeBounds(*sans->glyphShape(a));
    EXPECT_LT(r.yMin, -sans->emSquare() * 0.5);  // y points down: the glyph stands above the baseline
    EXPECT_EQ(sans->glyphShape(sans->glyphIndex(U' ')), nullptr);
}

}  // namespace
}  // namespace kelmora::player
