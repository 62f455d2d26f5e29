// What scripts read from clips: the bounds of clips that draw nothing, functions whose clip went
// away and came back, level names inside variable names, and the state kept by name (blendMode,
// enabled, useHandCursor, _lockroot and the _root it makes).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "player/Player.h"

#include "ScriptTestMovies.h"

using namespace kelmora;
using namespace kelmora::swf;
using kelmora::scripttest::callOn;
using kelmora::scripttest::playTraces;
using kelmora::scripttest::runScript;

namespace {

// trace(clip.getBounds(space).xMin)
ActionBuilder& traceBoundsXMin(ActionBuilder& a, const char* clip, const char* space) {
    a.push(space).getVariable().push(1).push(clip).getVariable().push("getBounds").callMethod();
    return a.push("xMin").getMember().trace();
}

TEST(ClipPropertiesScriptTest, EmptyClipBoundsSeenFromAnotherSpaceDependOnTheMoviesVersion) {
    struct Case {
        int version;
        std::vector<std::string> expected;  // own space, then the root's
    };
    for (const Case& c : {Case{7, {"6710886.35", "6710886.35"}}, Case{8, {"6710886.35", "6710886.4"}},
                          Case{10, {"6710886.35", "6710886.4"}}}) {
        ActionBuilder a;
        callOn(a, "_root", "createEmptyMovieClip", {"mc", 1}).pop();
        traceBoundsXMin(a, "mc", "mc");
        traceBoundsXMin(a, "mc", "_root");
        EXPECT_EQ(runScript(a, c.version), c.expected) << "SWF " << c.version;
    }
}

TEST(ClipPropertiesScriptTest, FunctionOfARemovedClipActsOnTheClipNowAtItsPath) {
    SwfWriter movie(8);
    // The inner clip defines _global.f, which reports the timeline it acts on.
    ActionBuilder body;
    body.push("_parent").getVariable().push("").add2().trace();
    ActionBuilder inner;
    inner.push("_global").getVariable().push("f").defineFunction("", {}, body).setMember();
    movie.defineSprite(1, [&](Timeline& t) { t.doAction(inner.end()).showFrame(); });
    movie.defineSprite(2, [&](Timeline& t) { t.place(Place::add(1, 1).name("inner")).showFrame(); });
    auto callF = [] { return ActionBuilder().push(0).push("f").callFunction().pop().end(); };
    movie.place(Place::add(2, 1).name("one")).showFrame();
    movie.doAction(callF()).showFrame();
    // Gone: the function acts on the root, which has no parent.
    movie.removeObject2(1).doAction(callF()).showFrame();
    movie.place(Place::add(2, 1).name("one"));
    movie.doAction(ActionBuilder().push(0).push("f").callFunction().pop().stop().end()).showFrame();
    EXPECT_EQ(playTraces(movie, 4), (std::vector<std::string>{"_level0.one", "undefined", "_level0.one"}));
}

TEST(ClipPropertiesScriptTest, LevelNamesEndAtTheirLastDigitButNotAtAPath) {
    ActionBuilder a;
    for (const char* name : {"_level0undefined", "_level0.", "_level0x.y", "_levelx"})
        a.push(name).getVariable().push("|").add2().trace();
    EXPECT_EQ(runScript(a, 9), (std::vector<std::string>{"_level0|", "undefined|", "undefined|", "undefined|"}));
}

TEST(ClipPropertiesScriptTest, BlendModeTakesNamesAndNumbersAndIgnoresTheRest) {
    struct Case {
        PushValue value;
        const char* expected;
    };
    // Each value is set over "invert".
    const std::vector<Case> cases = {
        {"layer", "layer"}, {PushValue::null(), "normal"}, {PushValue::undefined(), "normal"}, {3, "multiply"},
        {259, "multiply"},  {3.5, "multiply"},             {true, "invert"},                    {-1, "invert"},
        {15, "invert"},     {"lAyEr", "invert"},           {"hardlight", "hardlight"},
    };
    ActionBuilder a;
    callOn(a, "_root", "createEmptyMovieClip", {"mc", 1}).pop();
    a.push("mc").getVariable().push("blendMode").getMember().trace();
    for (const Case& c : cases) {
        a.push("mc").getVariable().push("blendMode").push("invert").setMember();
        a.push("mc").getVariable().push("blendMode").push(c.value).setMember();
        a.push("mc").getVariable().push("blendMode").getMember().trace();
    }
    std::vector<std::string> expected = {"normal"};
    for (const Case& c : cases) expected.push_back(c.expected);
    EXPECT_EQ(runScript(a, 8), expected);
    // Movies before SWF 8 have no such property: the name is an ordinary variable.
    ActionBuilder old;
    callOn(old, "_root", "createEmptyMovieClip", {"mc", 1}).pop();
    old.push("mc").getVariable().push("blendMode").getMember().trace();
    old.push("mc").getVariable().push("blendMode").push(3).setMember();
    old.push("mc").getVariable().push("blendMode").getMember().trace();
    EXPECT_EQ(runScript(old, 7), (std::vector<std::string>{"undefined", "3"}));
}

TEST(ClipPropertiesScriptTest, EnabledHandCursorAndLockRootStartAndConvertAsBooleans) {
    ActionBuilder a;
    callOn(a, "_root", "createEmptyMovieClip", {"mc", 1}).pop();
    for (const char* name : {"enabled", "useHandCursor", "_lockroot", "cacheAsBitmap"})
        a.push("mc").getVariable().push(name).getMember().trace();
    const std::vector<std::pair<PushValue, const char*>> sets = {{"", "false"}, {"false", "true"}, {0, "false"}, {-1, "true"}};
    for (const auto& [v, expected] : sets) {
        (void)expected;
        a.push("mc").getVariable().push("_lockroot").push(v).setMember();
        a.push("mc").getVariable().push("_lockroot").getMember().trace();
    }
    std::vector<std::string> expected = {"true", "true", "false", "false"};
    for (const auto& s : sets) expected.push_back(s.second);
    EXPECT_EQ(runScript(a, 8), expected);
}

// setProperty(_level0, property, start); setProperty(_level0, property, value); trace(getProperty(...))
TEST(ClipPropertiesScriptTest, SetPropertyKeepsValuesItCannotUseAndSharesPlayerSettings) {
    struct Case {
        int property;
        PushValue start, value;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {0, 7, PushValue::undefined(), "7"},           // _x: undefined and null change nothing
        {0, 7, PushValue::null(), "7"},
        {0, 7, "abc", "7"},                             // a text that is no number neither
        {0, 7, 1e300, "-107374182.4"},                  // out of 32-bit twips: the smallest
        {7, 0, "1", "true"},                            // _visible takes numbers
        {7, 1, "false", "true"},
        {7, 1, "0000", "false"},
        {16, 1, 10, "2"},                               // _highquality: 2 and up is best
        {16, 1, -5, "1"},
        {16, 2, 0, "0"},
        {16, 2, "h", "2"},
        {18, 5, 1.5, "1"},                              // _soundbuftime: whole seconds
        {18, 5, "x", "5"},
        {17, 0, 2, "true"},                             // _focusrect of a level
        {17, 1, "abc", "true"},
    };
    ActionBuilder a;
    for (const Case& c : cases) {
        a.push("_level0").push(c.property).push(c.start).setProperty();
        a.push("_level0").push(c.property).push(c.value).setProperty();
        a.push("_level0").push(c.property).getProperty().trace();
    }
    // _quality follows _highquality, and takes only its four names.
    a.push("_level0").push(16).push(0).setProperty();
    a.push("_level0").push(19).getProperty().trace();
    a.push("_level0").push(19).push("best").setProperty();
    a.push("_level0").push(19).getProperty().trace();
    a.push("_level0").push(19).push("2").setProperty();
    a.push("_level0").push(16).getProperty().trace();
    std::vector<std::string> expected;
    for (const Case& c : cases) expected.push_back(c.expected);
    for (const char* e : {"LOW", "BEST", "2"}) expected.push_back(e);
    EXPECT_EQ(runScript(a, 6), expected);
}

TEST(ClipPropertiesScriptTest, StageAlignAndDisplayState) {
    ActionBuilder a;
    for (const char* align : {"TL", "b r", "xR mdsb", "lThhh", "X"}) {
        a.push("Stage").getVariable().push("align").push(align).setMember();
        a.push("Stage").getVariable().push("align").getMember().trace();
    }
    // A listener hears each change of the display state, and only changes.
    ActionBuilder onFull;
    onFull.push("full ").push("f").getVariable().add2().trace();
    a.push("l").push(0).push("Object").newObject().setVariable();
    a.push("l").getVariable().push("onFullScreen").defineFunction("", {"f"}, onFull).setMember();
    a.push("l").getVariable().push(1).push("Stage").getVariable().push("addListener").callMethod().pop();
    for (const char* state : {"A", "FULLSCREEN", "fullScreen", "Normal"}) {
        a.push("Stage").getVariable().push("displayState").push(state).setMember();
        a.push("Stage").getVariable().push("displayState").getMember().trace();
    }
    EXPECT_EQ(runScript(a, 8), (std::vector<std::string>{"LT", "RB", "RB", "LT", "", "normal", "full true", "fullScreen",
                                                         "fullScreen", "full false", "normal"}));
    // SWF 5 movies see no listener methods on the Stage.
    ActionBuilder v5;
    v5.push("Stage").getVariable().push("addListener").getMember().typeOf().trace();
    EXPECT_EQ(runScript(v5, 5), (std::vector<std::string>{"undefined"}));
}

// A clip inside a button: SWF 5 scripts see no button object, later ones do.
TEST(ClipPropertiesScriptTest, ClipsInsideButtonsOfSwf5MoviesHaveTheButtonsParent) {
    for (int version : {5, 6}) {
        SwfWriter movie(version);
        ActionBuilder inner;
        inner.push("this").getVariable().trace();
        inner.push("_parent").getVariable().trace();
        inner.push("_root").getVariable().push("b").getMember().trace();
        movie.defineSprite(1, [&](Timeline& t) { t.doAction(inner.end()).showFrame(); });
        ButtonRecord up;
        up.characterId = 1;
        movie.defineButton(2, {up}, ActionBuilder{});
        movie.place(Place::add(2, 1).name("b")).showFrame();
        const std::vector<std::string> expected =
            version == 5 ? std::vector<std::string>{"_level0.b.instance1", "_level0", "_level0"}
                         : std::vector<std::string>{"_level0.b.instance1", "_level0.b", "_level0.b"};
        EXPECT_EQ(playTraces(movie, 1), expected) << "SWF " << version;
    }
}

// hitTest's point is in the root's coordinates; a text names a clip by its path from the clip.
TEST(ClipPropertiesScriptTest, HitTestPointsAreInRootCoordinatesAndTextsArePaths) {
    ActionBuilder a;
    auto box = [&](const char* name, int depth, int x) {
        callOn(a, "_root", "createEmptyMovieClip", {name, depth}).pop();
        callOn(a, name, "beginFill", {0xff0000}).pop();
        callOn(a, name, "moveTo", {x, 0}).pop();
        callOn(a, name, "lineTo", {x + 10, 0}).pop();
        callOn(a, name, "lineTo", {x + 10, 10}).pop();
        callOn(a, name, "lineTo", {x, 10}).pop();
        callOn(a, name, "endFill", {}).pop();
    };
    box("a", 1, 0);
    box("b", 2, 5);
    box("c", 3, 50);
    a.push("_root").getVariable().push("_x").push(100).setMember();
    callOn(a, "a", "hitTest", {5, 5, true}).trace();    // inside a in the root's space
    callOn(a, "a", "hitTest", {105, 5, true}).trace();  // inside a on the stage only
    callOn(a, "a", "hitTest", {"../b"}).trace();
    callOn(a, "a", "hitTest", {"_root.c"}).trace();
    callOn(a, "a", "hitTest", {""}).trace();
    callOn(a, "a", "getBounds", {"nothing"}).trace();
    EXPECT_EQ(runScript(a, 8), (std::vector<std::string>{"true", "false", "true", "false", "false", "undefined"}));
}

// SWF 6 and older movies register names in lower case: they find each other's classes whatever
// the case, while a later movie, comparing exactly, finds only a lower-case export.
TEST(ClipPropertiesScriptTest, ClassesRegisteredByOldMoviesAreFoundByCaseOnlyByTheirPeers) {
    struct Case {
        int version;
        const char* registered;
        const char* exported;
        bool constructed;
    };
    for (const Case& c : {Case{6, "SYM", "Sym", true}, Case{7, "SYM", "Sym", false}, Case{7, "Sym", "Sym", true}}) {
        SwfWriter movie(c.version);
        movie.defineSprite(2, [](Timeline& t) { t.showFrame(); });
        movie.exportAssets({{2, c.exported}});
        ActionBuilder made;
        made.push("made").trace();
        ActionBuilder a;
        a.defineFunction("C", {}, made);
        a.push("C").getVariable().push(c.registered).push(2).push("Object").getVariable().push("registerClass").callMethod().pop();
        callOn(a, "_root", "attachMovie", {c.exported, "a", 1}).pop();
        movie.doAction(a.end()).showFrame();
        EXPECT_EQ(playTraces(movie, 1), c.constructed ? std::vector<std::string>{"made"} : std::vector<std::string>{})
            << c.version << " " << c.registered;
    }
}

// A movie loaded into a clip sees the level's root as _root unless its clip locks the root, also
// when the lock was set before the movie arrived.
TEST(ClipPropertiesScriptTest, LoadedMoviesRootIsTheLevelsUnlessLocked) {
    auto dir = std::filesystem::temp_directory_path() / "kelmora-clips-lockroot";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    auto write = [&](const char* name, SwfWriter& movie) {
        const Bytes bytes = movie.bytes();
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    SwfWriter child(8);
    child.doAction(ActionBuilder().push("_root").getVariable().push(" ").add2().push("this").getVariable().push("_lockroot").getMember().add2().trace().stop().end());
    child.showFrame();
    write("child.swf", child);
    SwfWriter parent(8);
    ActionBuilder a;
    callOn(a, "_root", "createEmptyMovieClip", {"free", 1}).pop();
    callOn(a, "_root", "createEmptyMovieClip", {"locked", 2}).pop();
    a.push("locked").getVariable().push("_lockroot").push(true).setMember();
    callOn(a, "free", "loadMovie", {"child.swf"}).pop();
    callOn(a, "locked", "loadMovie", {"child.swf"}).pop();
    parent.doAction(a.stop().end()).showFrame();
    write("parent.swf", parent);
    player::Player p;
    std::vector<std::string> lines;
    p.setTraceSink([&](const std::string& l) { lines.push_back(l); });
    ASSERT_TRUE(p.load((dir / "parent.swf").string()).ok());
    for (int i = 0; i < 3; ++i) p.advance();
    EXPECT_EQ(lines, (std::vector<std::string>{"_level0 false", "_level0.locked true"}));
}

}  // namespace
