// Text fields driven by scripts where the corpus says nothing: indexes and ranges a hostile
// script chooses, written HTML that reads back the same, and snapshots of clips without text.
#include <gtest/gtest.h>

#include <cmath>

#include "player/text/HtmlText.h"
#include "ScriptTestMovies.h"

using namespace kelmora;
using namespace kelmora::swf;
using kelmora::scripttest::callOn;
using kelmora::scripttest::runScript;

namespace {

void traceMember(ActionBuilder& a, const std::string& object, const std::string& member) {
    a.push(object).getVariable().push(member).getMember().trace();
}

TEST(TextScript, HostileIndexesStayInsideTheText) {
    ActionBuilder a;
    callOn(a, "_root", "createTextField", {"t", 1, 0, 0, 100, 20});
    a.pop();
    a.push("t").getVariable().push("text").push("hello").setMember();
    // Ranges past the end, reversed, negative and absurd.
    callOn(a, "t", "replaceText", {3, 1e12, "p"});
    a.pop();
    traceMember(a, "t", "text");
    callOn(a, "t", "replaceText", {-4, 2, "x"});
    a.pop();
    traceMember(a, "t", "text");
    a.push("f").push(0).push("TextFormat").newObject().defineLocal();
    a.push("f").getVariable().push("bold").push(true).setMember();
    callOn(a, "t", "setTextFormat", {5, 2, PushValue::null()});
    a.pop();
    callOn(a, "t", "setTextFormat", {-1e12, 1e12, "f"});  // refused: a string is no TextFormat
    a.pop();
    a.push("f").getVariable().push(1e12).push(1).push(3).push("t").getVariable().push("setTextFormat").callMethod();
    a.pop();
    callOn(a, "t", "getTextFormat", {2e9, 3e9});
    a.push("bold").getMember().trace();
    callOn(a, "t", "getTextFormat", {});
    a.push("bold").getMember().trace();
    // Selection on a field that lost its focus, and maxChars set out of range.
    callOn(a, "Selection", "setSelection", {-5, 1e12});
    a.pop();
    a.push("t").getVariable().push("maxChars").push(-3).setMember();
    traceMember(a, "t", "maxChars");
    a.push("t").getVariable().push("maxChars").push(1e20).setMember();
    traceMember(a, "t", "maxChars");
    traceMember(a, "t", "length");

    const std::vector<std::string> lines = runScript(a);
    const std::vector<std::string> want = {"help", "help", "null", "null", "null", "65535", "4"};
    EXPECT_EQ(lines, want);
}

TEST(TextScript, SelectionFollowsTheFocusedFieldAndItsText) {
    ActionBuilder a;
    callOn(a, "_root", "createTextField", {"t", 1, 0, 0, 100, 20});
    a.pop();
    a.push("t").getVariable().push("text").push("abcdefgh").setMember();
    callOn(a, "_root", "createEmptyMovieClip", {"c", 2});
    a.pop();
    auto indexes = [&] {
        for (const char* m : {"getBeginIndex", "getEndIndex", "getCaretIndex"}) {
            callOn(a, "Selection", m, {});
            a.trace();
        }
    };
    callOn(a, "Selection", "setFocus", {"t"});
    a.trace();
    callOn(a, "Selection", "setSelection", {6, 2});  // drawn backwards: the caret stays at 2
    a.pop();
    indexes();
    callOn(a, "Selection", "setSelection", {1});  // one index changes nothing
    a.pop();
    callOn(a, "Selection", "setSelection", {0.0 / 0.0, 1e300});
    a.pop();
    indexes();
    a.push("t").getVariable().push("text").push("abc").setMember();  // a shorter text cuts it
    indexes();
    // A clip needs focusEnabled; it has no selection.
    callOn(a, "Selection", "setFocus", {"c"});
    a.trace();
    a.push("c").getVariable().push("focusEnabled").push(true).setMember();
    callOn(a, "Selection", "setFocus", {"c"});
    a.trace();
    indexes();
    callOn(a, "Selection", "setFocus", {});
    a.trace();
    const std::vector<std::string> want = {"true", "2", "6", "2", "0", "8", "8", "0", "3", "3",
                                           "false", "true", "-1", "-1", "-1", "false"};
    EXPECT_EQ(runScript(a), want);
}

TEST(TextScript, HScrollStaysWithinTheTextThatSticksOut) {
    ActionBuilder a;
    callOn(a, "_root", "createTextField", {"t", 1, 0, 0, 10, 20});
    a.pop();
    a.push("t").getVariable().push("text").push("1").setMember();
    traceMember(a, "t", "maxhscroll");  // fits: nothing to scroll
    a.push("t").getVariable().push("text").push("12345678").setMember();
    for (PushValue v : std::vector<PushValue>{-10, 3.7, 1e9, 2147483648.0, PushValue::null()}) {
        a.push("t").getVariable().push("hscroll").push(v).setMember();
        traceMember(a, "t", "hscroll");
    }
    std::vector<std::string> lines = runScript(a);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "0");
    EXPECT_EQ(lines[1], "0");
    EXPECT_EQ(lines[2], "3");
    EXPECT_GT(std::stoi(lines[3]), 30);  // clamped to maxhscroll
    EXPECT_LT(std::stoi(lines[3]), 100);
    EXPECT_EQ(lines[4], "0");  // wraps below zero as a 32-bit integer
    EXPECT_EQ(lines[5], "0");
}

TEST(TextScript, SingleLineHtmlFieldKeepsNoBreaks) {
    // Appending to htmlText writes the paragraph back; only a multiline field shows it as a break.
    ActionBuilder a;
    for (const char* name : {"s", "m"}) {
        callOn(a, "_root", "createTextField", {name, std::string(name) == "s" ? 1 : 2, 0, 0, 100, 20});
        a.pop();
        a.push(name).getVariable().push("html").push(true).setMember();
        if (std::string(name) == "m") a.push(name).getVariable().push("multiline").push(true).setMember();
        a.push(name).getVariable().push("htmlText").push("ab").setMember();
        a.push(name).getVariable().push("htmlText");
        a.push(name).getVariable().push("htmlText").getMember().push("cd").add2();
        a.setMember();
        traceMember(a, name, "length");
    }
    const std::vector<std::string> lines = runScript(a);
    const std::vector<std::string> want = {"4", "5"};
    EXPECT_EQ(lines, want);
}

TEST(TextScript, SnapshotOfAClipWithoutStaticText) {
    ActionBuilder a;
    callOn(a, "_root", "getTextSnapshot", {});
    a.push("s").stackSwap().setVariable();
    callOn(a, "s", "getCount", {});
    a.trace();
    callOn(a, "s", "getText", {-100, 1e12, true});
    a.trace();
    callOn(a, "s", "findText", {0, "a", false});
    a.trace();
    callOn(a, "s", "findText", {2e9, "", true});
    a.trace();
    // One made of no clip has no text at all.
    a.push("n").push(0).push("TextSnapshot").newObject().defineLocal();
    callOn(a, "n", "getText", {0, 5});
    a.trace();
    const std::vector<std::string> lines = runScript(a);
    const std::vector<std::string> want = {"0", "", "-1", "-1", "undefined"};
    EXPECT_EQ(lines, want);
}

TEST(HtmlText, WrittenHtmlReadsBackTheSame) {
    player::TextFormat base;
    base.font = "Times New Roman";
    const char* cases[] = {
        "<p>one</p><p>two</p>",
        "<textformat leftmargin='5' leading='2' tabstops='10,20'><p align='center'>a <b>b</b> c</p></textformat>",
        "<font face='Arial' size='20' color='#123456' letterspacing='2' kerning='1'>x</font>y",
        "<li>item</li><p><a href='u' target='_blank'><i><u>link</u></i></a></p>",
        "a<br>b<font size='-3'>small</font>",
        "unclosed <b>bold <i>both",
        "&lt;&amp;&gt;&quot;",
        "",
    };
    for (const char* html : cases) {
        // Text outside a closed paragraph gains the paragraph's break once written: compare from there.
        const player::StyledText first =
            player::parseHtmlText(player::toHtmlText(player::parseHtmlText(html, base)), base);
        const std::string written = player::toHtmlText(first);
        const player::StyledText second = player::parseHtmlText(written, base);
        EXPECT_EQ(second.chars, first.chars) << html << " -> " << written;
        ASSERT_EQ(second.formatOf.size(), first.formatOf.size()) << html;
        for (size_t i = 0; i < first.chars.size(); ++i)
            EXPECT_TRUE(second.formatAt(i) == first.formatAt(i)) << html << " at " << i << " -> " << written;
        EXPECT_EQ(player::toHtmlText(second), written);
    }
    // Deep nesting is cut, not followed down.
    std::string deep;
    for (int i = 0; i < 20000; ++i) deep += "<font size='+1'>";
    deep += "x";
    const player::StyledText nested = player::parseHtmlText(deep, base);
    EXPECT_EQ(nested.chars, U"x");
    EXPECT_LE(nested.formatAt(0).size, 127.0 * 20 * 20);
}

}  // namespace

TEST(TextScript, PrototypePropertiesServeFieldsAndIgnoreOtherObjects) {
    ActionBuilder a;
    callOn(a, "_root", "createTextField", {"t", 1, 0, 0, 100, 20});
    a.pop();
    // Properties the display side doesn't keep stay with the field.
    a.push("t").getVariable().push("tabIndex").push(7).setMember();
    traceMember(a, "t", "tabIndex");
    a.push("t").getVariable().push("text").push("abc").setMember();
    traceMember(a, "t", "length");
    // A plain object made from the class has no field behind it.
    a.push("o").push(0).push("TextField").newObject().defineLocal();
    a.push("o").getVariable().push("text").push("abc").setMember();
    traceMember(a, "o", "text");
    traceMember(a, "o", "length");
    // A field's filters are its own, as a clip's are.
    a.push("t").getVariable().push("filters");
    a.push(0).push("flash").getVariable().push("filters").getMember().push("BlurFilter").getMember();
    a.push(PushValue::undefined()).newMethod();
    a.push(1).initArray().setMember();
    a.push("t").getVariable().push("filters").getMember().push("length").getMember().trace();
    const std::vector<std::string> lines = runScript(a);
    const std::vector<std::string> want = {"7", "3", "undefined", "undefined", "1"};
    EXPECT_EQ(lines, want);
}

TEST(TextScript, TabIndexIsAWholeNumberAndMinusOneUnsetsIt) {
    ActionBuilder a;
    callOn(a, "_root", "createTextField", {"t", 1, 0, 0, 100, 20});
    a.pop();
    callOn(a, "_root", "createEmptyMovieClip", {"c", 2});
    a.pop();
    for (const char* target : {"t", "c"})
        for (PushValue v : std::vector<PushValue>{3, -1, -2.5, "x", HUGE_VAL}) {
            a.push(target).getVariable().push("tabIndex").push(v).setMember();
            traceMember(a, target, "tabIndex");
        }
    const std::vector<std::string> want = {"3", "undefined", "4294967294", "0", "0",
                                           "3", "undefined", "-2", "-2147483648", "-2147483648"};
    EXPECT_EQ(runScript(a), want);
}

TEST(TextScript, AutoSizedFieldReportsAndTakesTheCornerOfItsBox) {
    ActionBuilder a;
    callOn(a, "_root", "createTextField", {"t", 1, 50, 5, 1, 1});
    a.pop();
    a.push("t").getVariable().push("autoSize").push("right").setMember();
    a.push("t").getVariable().push("text").push("abc").setMember();
    // The box grew leftwards from its right edge: its corner moved, the right edge stayed.
    a.push("t").getVariable().push("_x").getMember().push(50).less2().trace();
    a.push("t").getVariable().push("_x").getMember();
    a.push("t").getVariable().push("_width").getMember().add2().trace();
    // Moving it puts the corner where asked.
    a.push("t").getVariable().push("_x").push(10).setMember();
    traceMember(a, "t", "_x");
    traceMember(a, "t", "_y");
    const std::vector<std::string> want = {"true", "51", "10", "5"};
    EXPECT_EQ(runScript(a), want);
}
