// What scripts read from clips: the bounds of clips that draw nothing, functions whose clip went
// away and came back, and level names inside variable names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
