// Style sheets: CSS text read as the player reads it, HTML text styled by tag and class, and the
// StyleSheet class and TextField.styleSheet as scripts use them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "player/text/CssText.h"
#include "player/text/HtmlText.h"
#include "player/text/TextStyleSheet.h"
#include "ScriptTestMovies.h"

using namespace kelmora;
using namespace kelmora::player;
using kelmora::swf::ActionBuilder;
using kelmora::scripttest::callOn;
using kelmora::scripttest::runScript;

namespace {

// Rules as "sel,sel{name=value;...}" text, or "fail".
std::string describe(std::string_view css) {
    auto rules = parseCssText(css);
    if (!rules) return "fail";
    std::string out;
    for (const CssRule& r : *rules) {
        for (size_t i = 0; i < r.selectors.size(); ++i) out += (i ? "," : "") + r.selectors[i];
        out += "{";
        for (const auto& [name, value] : r.properties) out += name + "=" + value + ";";
        out += "}";
    }
    return out;
}

TEST(StyleSheetCss, ReadsSelectorsAndPairsLikeThePlayer) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"one { color: red; }", "one{color=red;}"},
        {"one { kerning: 5 }", "one{kerning=5 ;}"},  // a value keeps its trailing space
        {"a, b { x: 1 }", "a,b{x=1 ;}"},
        {"key {  property  :   test    value    }", "key{property  =test    value    ;}"},
        {"a}{}", "a}{}"},
        {"a{", "a{}"},  // a block may stay open at the end
        {"a{:}", "a{}"},
        {"a{key:;", "a{key=;}"},
        {"b{;;key: value;;other: value;}", "b{;;key=value;;other=value;}"},
        {"e{key;other: value;}", "e{key;other=value;}"},
        {"a{name}b{:value}", "a{name}b{=value;}"},  // a name runs to its colon
        {"k {name-with-dashes: v;this--one: v;UPPER-CASE: v}", "k{nameWithDashes=v;this-one=v;UPPERCASE=v;}"},
        // Failures: no selector, a space inside a selector or name, text after a block, or the
        // text ending inside a name or value.
        {"{color:}", "fail"},
        {"name", "fail"},
        {"long key { kerning: 5 }", "fail"},
        {"key {property with space: value; }", "fail"},
        {"one { color: blue; }; this isn't valid!", "fail"},
        {"a{;;key: value;other: value;;}", "fail"},
        {"a{name}", "fail"},
        {"a{:", "fail"},
        {"a{key:value", "fail"},
    };
    for (const auto& [css, want] : cases) EXPECT_EQ(describe(css), want) << css;

    // Seeds for the fuzz target (its first byte picks the reading options), when asked for.
    if (const char* dir = std::getenv("KELMORA_SEED_DIR")) {
        const auto folder = std::filesystem::path(dir) / "fuzz_style_text";
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "css.txt", std::ios::binary) << '\x0f' << "p, .x { color: #FF0000; display: none }";
        std::ofstream(folder / "html.txt", std::ios::binary)
            << '\x03' << "<p class=\"x\"> a <b>b</p><li>c</li><font size=\"+2\">d</font>";
    }
}

TEST(StyleSheetCss, HostileTextIsBounded) {
    std::string many;
    for (size_t i = 0; i <= kMaxCssRules; ++i) many += "a{}";
    EXPECT_FALSE(parseCssText(many));
    EXPECT_EQ(describe(std::string(100000, '-')), "fail");
    EXPECT_EQ(cssPropertyName("trailing-"), "trailing");
}

TextStyle colorStyle(uint8_t r, uint8_t g, uint8_t b) {
    TextStyle s;
    s.format.color = {r, g, b, 255};
    s.fields = TextStyle::Color;
    return s;
}

TEST(StyleSheetHtml, TagsAndClassesTakeTheirStyles) {
    TextStyleSheet sheet;
    sheet.add(".classRed", colorStyle(255, 0, 0));
    sheet.add("p", colorStyle(0, 0, 255));
    sheet.add("span", colorStyle(0, 255, 0));  // span and font take no tag style
    sheet.add("font", colorStyle(0, 255, 0));
    TextStyle hidden;
    hidden.hasDisplay = true;
    hidden.display = TextDisplay::None;
    sheet.add(".gone", hidden);
    TextStyle block;
    block.hasDisplay = true;
    block.display = TextDisplay::Block;
    sheet.add("heading", block);
    const TextFormat base;
    const player::Rgba black{0, 0, 0, 255}, red{255, 0, 0, 255}, blue{0, 0, 255, 255}, green{0, 255, 0, 255};
    struct Case {
        const char* html;
        const char* text;
        std::vector<player::Rgba> colors;  // of the characters other than line breaks
    };
    const Case cases[] = {
        {"<span class=\"CLASSRED\">a</span><span>b</span><font>c</font>", "abc", {red, black, black}},
        {"<span class=\"classRed classX\">a</span><span class=\" classRed\">b</span>", "ab", {black, black}},
        {"<p>a</p><p class=\"classred\">b</p>", "a\rb\r", {blue, red}},
        {"<span class=\"classRed\">a<font color=\"#00FF00\">b</font></span>", "ab", {red, green}},
        {"<font color=\"#00FF00\">a<span class=\"classRed\">b</span></font>", "ab", {green, red}},
        {"a<span class=\"gone\">b<b>c</b></span>d", "ad", {black, black}},
        {"a<heading>b</heading>c", "a\rb\rc", {black, black, black}},
    };
    for (const Case& c : cases) {
        const StyledText t = parseHtmlText(c.html, base, true, &sheet);
        std::u32string want;
        for (const char* p = c.text; *p; ++p) want.push_back(char32_t(*p));
        EXPECT_EQ(t.chars, want) << c.html;
        std::vector<player::Rgba> colors;
        for (size_t i = 0; i < t.chars.size(); ++i)
            if (t.chars[i] != U'\r') colors.push_back(t.formatAt(i).color);
        EXPECT_EQ(colors, c.colors) << c.html;
    }
    // An alignment written on the tag wins over the sheet's.
    TextStyle centred;
    centred.format.align = TextAlign::Center;
    centred.fields = TextStyle::Align;
    sheet.add("p", centred);
    EXPECT_EQ(parseHtmlText("<p>a</p>", base, true, &sheet).formatAt(0).align, TextAlign::Center);
    EXPECT_EQ(parseHtmlText("<p align=\"right\">a</p>", base, true, &sheet).formatAt(0).align, TextAlign::Right);
}

void trace(ActionBuilder& a, const std::string& object, const std::string& member) {
    a.push(object).getVariable().push(member).getMember().trace();
}

TEST(StyleSheetScript, SheetKeepsCopiesAndTransformsThem) {
    ActionBuilder a;
    a.push("s").push(0).push("TextField").getVariable().push("StyleSheet").newMethod().defineLocal();
    a.push("o").push(0).push("Object").newObject().defineLocal();
    a.push("o").getVariable().push("fontSize").push("12px").setMember();
    a.push("o").getVariable().push("color").push("#FF0000").setMember();
    a.push("o").getVariable().push("textAlign").push(" Center ").setMember();
    a.push("o").getVariable().push(".x").push(2).push("s").getVariable().push("setStyle").callMethod().pop();
    a.push("o").getVariable().push("color").push("#00FF00").setMember();  // the sheet kept a copy
    callOn(a, "s", "getStyle", {".x"});
    a.push("color").getMember().trace();
    a.push("s").getVariable().push("_styles").getMember().push(".x").getMember().storeRegister(1).pop();
    for (const char* f : {"size", "color", "align", "bold"}) a.pushRegister(1).push(f).getMember().trace();
    callOn(a, "s", "parseCSS", {"p { font-weight: bold; } h1 {"}).trace();
    callOn(a, "s", "parseCSS", {"broken"}).trace();
    callOn(a, "s", "getStyleNames", {});
    a.push("length").getMember().trace();
    a.push("s").getVariable().push("_styles").getMember().push("p").getMember().push("bold").getMember().trace();
    callOn(a, "s", "getStyle", {"missing"}).trace();
    callOn(a, "s", "load", {}).trace();  // no URL: nothing to load
    callOn(a, "s", "clear", {}).pop();
    callOn(a, "s", "getStyleNames", {});
    a.push("length").getMember().trace();
    const std::vector<std::string> want = {"#FF0000", "12", "16711680", "center", "null", "true", "false", "3",
                                           "true", "null", "false", "0"};
    EXPECT_EQ(runScript(a, 8), want);
}

TEST(StyleSheetScript, FieldWithSheetReadsItsTextAsHtml) {
    ActionBuilder a;
    callOn(a, "_root", "createTextField", {"t", 1, 0, 0, 100, 20}).pop();
    a.push("s").push(0).push("TextField").getVariable().push("StyleSheet").newMethod().defineLocal();
    callOn(a, "s", "parseCSS", {".red { color: #FF0000; }"}).pop();
    a.push("t").getVariable().push("styleSheet").push("_root").getVariable().setMember();  // a clip is no sheet
    trace(a, "t", "styleSheet");
    a.push("t").getVariable().push("styleSheet").push("s").getVariable().setMember();
    a.push("t").getVariable().push("text").push("<span class='red'>a</span>b").setMember();
    trace(a, "t", "text");
    trace(a, "t", "htmlText");
    trace(a, "t", "html");
    callOn(a, "t", "getTextFormat", {0, 1});
    a.push("color").getMember().trace();
    // Without the sheet the styled text stays and the field answers as a plain field again.
    a.push("t").getVariable().push("styleSheet").pushNull().setMember();
    trace(a, "t", "htmlText");
    callOn(a, "t", "getTextFormat", {0, 1});
    a.push("color").getMember().trace();
    const std::vector<std::string> want = {"undefined", "ab", "<span class='red'>a</span>b", "false", "16711680",
                                           "ab", "16711680"};
    EXPECT_EQ(runScript(a, 8), want);
}

}  // namespace
