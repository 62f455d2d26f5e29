// HTML text read as the player reads it: where paragraphs and list items break lines, and how
// condenseWhite folds white space.
#include <gtest/gtest.h>

#include "player/text/HtmlText.h"
#include "player/text/Utf8.h"

using namespace kelmora::player;

namespace {

std::string plain(std::string_view html, bool multiline, bool condense) {
    HtmlReading how;
    how.markupBreaks = multiline;
    how.condenseWhite = condense;
    std::string out;
    for (char32_t c : parseHtmlText(html, TextFormat{}, how).chars) out += c == U'\r' ? std::string("|") : encodeUtf8(std::u32string(1, c));
    return out;
}

TEST(HtmlReading, ParagraphsAndItemsBreakWhereThePlayerBreaks) {
    struct Case {
        const char* html;
        const char* single;  // '|' is a line break
        const char* multi;
    };
    const Case cases[] = {
        {"<p>test</p>\n", "test|", "test||"},
        {" <p>test</p>  <p>test</p> ", " test  test ", " test|  test| "},
        {"<p>a<p>b</p>c<p>d</p>e</p>", "abcde", "ab|cd|e"},  // only the innermost closing breaks
        {"<p></p>", "", "|"},
        {"text<li>a<li>b</li>c</li>d", "textabcd", "text|a|b|c|d"},
        {"text<li><li></li></li>", "text", "text|||"},
        {" <li>first</li> <p>second</p> ", " first second ", " |first| second| "},
        {"<p align=\"right\">text<li></li></p>", "text", "text|||"},
        {"line 1 <br> line 2", "line 1  line 2", "line 1 | line 2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(plain(c.html, false, false), c.single) << c.html;
        EXPECT_EQ(plain(c.html, true, false), c.multi) << c.html;
    }
    // The break that ends a paragraph has the paragraph's last format; an item's has the item's.
    HtmlReading how;
    const StyledText t = parseHtmlText("<p><font color=\"#111111\">a</font></p><li><font color=\"#222222\">b</font></li>",
                                       TextFormat{}, how);
    ASSERT_EQ(t.chars.size(), 4u);
    EXPECT_EQ(t.formatAt(1).color, (Rgba{0x11, 0x11, 0x11, 255}));
    EXPECT_EQ(t.formatAt(3).color, (Rgba{0, 0, 0, 255}));
    EXPECT_TRUE(t.formatAt(3).bullet);
    EXPECT_EQ(toHtmlText(StyledText{}), "");
    // After an empty font, the paragraph's end takes that font's characters.
    const StyledText e = parseHtmlText("<p>a<font color=\"#121212\"></font><p>b</p></p>", TextFormat{}, how);
    ASSERT_EQ(e.chars, U"ab\r");
    EXPECT_EQ(e.formatAt(2).color, (Rgba{0x12, 0x12, 0x12, 255}));
}

TEST(HtmlReading, ClosingTagsEndOnlyTheInnermostElement) {
    HtmlReading single;
    single.markupBreaks = false;
    const std::string html = toHtmlText(parseHtmlText("<b>a<i>b</b>c</i>d</b>e", TextFormat{}, single));
    EXPECT_NE(html.find("<B>a</B><B><I>bc</I></B><B>d</B>e"), std::string::npos) << html;
    // Runs that differ only in what the markup does not show are written as one.
    const std::string item = toHtmlText(parseHtmlText("<i>text<li>text</li></i>", TextFormat{}, single));
    EXPECT_NE(item.find("<I>texttext</I>"), std::string::npos) << item;
}

TEST(HtmlReading, CondensedWhiteSpaceIsOneSpaceAndStartsNoLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"\n \tasdf \t  \n", "asdf "},
        {"test \ntest\n\ntest", "test test test"},
        {" <b> test1 </b> <i> test2 </i> ", "test1 test2 "},
        {"a \x0b \xc2\xa0 b", "a \x0b \xc2\xa0 b"},  // only space, tab and line breaks fold
        {" <b> </b> ", ""},
    };
    for (const auto& [html, want] : cases) EXPECT_EQ(plain(html, false, true), want) << html;
    EXPECT_EQ(plain("  <p>\n test  </p>\n <p>x</p>", true, true), "test |x|");
    // Before SWF 8 each text between tags folds alone, and one of white space only goes.
    HtmlReading old;
    old.markupBreaks = false;
    old.condenseWhite = old.condenseBySegment = true;
    const StyledText t = parseHtmlText(" <b> test1 </b> <i> test2 </i>\n", TextFormat{}, old);
    EXPECT_EQ(t.chars, U" test1  test2 ");
}

TEST(HtmlReading, FontSizesAreWholePixelsInRange) {
    TextFormat base;
    base.size = 12 * 20;
    const std::pair<const char*, double> cases[] = {
        {"1.9", 1}, {"+0.2", 12}, {"-3", 9}, {"+200", 127}, {"0", 1}, {"-20", 1}, {"1-1", 1}, {"not a number", 12},
        {"", 12}, {"300", 127},
    };
    for (const auto& [size, px] : cases) {
        const std::string html = std::string("<font size=\"") + size + "\">a</font>";
        EXPECT_EQ(parseHtmlText(html, base).formatAt(0).size, px * 20) << size;
    }
    // A paragraph's end takes a closed font's characters, not those of a closed bold tag.
    const StyledText t = parseHtmlText("<p>a<b></b></p>", base);
    ASSERT_EQ(t.chars.size(), 2u);
    EXPECT_FALSE(t.formatAt(1).bold);
}

}  // namespace
