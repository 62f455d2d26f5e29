// Clips as scripts see them: a script whose clip goes away mid-run, references to removed clips,
// slash paths and the order of a clip's names in for-in, and sizes set on degenerate or
// duplicated drawings.
#include <gtest/gtest.h>

#include <initializer_list>
#include <limits>

#include "ScriptTestMovies.h"

using namespace kelmora;
using namespace kelmora::swf;
using kelmora::scripttest::callOn;
using kelmora::scripttest::playTraces;

namespace {

ActionBuilder& traceVar(ActionBuilder& a, const char* name) { return a.push(name).getVariable().trace(); }

ActionBuilder& traceMember(ActionBuilder& a, const char* path, const char* member) {
    return a.push(path).getVariable().push(member).getMember().trace();
}

TEST(ClipScriptTest, ScriptOfARemovedClipTellsNoClipAndFindsNamesOnTheRoot) {
    SwfWriter movie(8);
    // The clip's script sends the root past the frame that removes the clip, then tries again.
    ActionBuilder clip;
    clip.push("clip").trace();
    clip.setTarget("_root").gotoFrame(2).play().setTarget("");
    traceVar(clip, "v");
    clip.setTarget("_root").gotoFrame(1).setTarget("");
    // `new` of a member of nothing calls nothing: the script goes on.
    clip.push(0).push("nothing").getVariable().push("f").newMethod().pop();
    clip.push("after new").trace();
    // A call on a real object may have removed the clip: the script ends there.
    callOn(clip, "_root", "missing", {}).pop();
    clip.push("BAD after call").trace();
    movie.defineSprite(1, [&](Timeline& t) { t.doAction(clip.end()).showFrame(); });
    movie.doAction(ActionBuilder().push("v").push("root v").setVariable().end());
    movie.place(Place::add(1, 1).name("c")).showFrame();
    movie.removeObject2(1).doAction(ActionBuilder().push("BAD frame 2").trace().end()).showFrame();
    movie.doAction(ActionBuilder().push("frame 3").trace().stop().end()).showFrame();
    EXPECT_EQ(playTraces(movie, 4), (std::vector<std::string>{"clip", "root v", "after new", "frame 3"}));
}

TEST(ClipScriptTest, ReferencesToARemovedClipFollowItsPath) {
    SwfWriter movie(8);
    ActionBuilder a;
    callOn(a, "_root", "createEmptyMovieClip", {"clip", 1}).pop();
    a.push("ref").push("clip").getVariable().setVariable();
    callOn(a, "clip", "removeMovieClip", {}).pop();
    // Nothing has the path: the reference reads as empty text and has no properties.
    a.push("ref").getVariable().push("|").add2().trace();
    traceMember(a, "ref", "_x");
    a.push("ref").getVariable().push("gone").push(1).setMember();
    // A new clip of the same name stands in for the old one.
    callOn(a, "_root", "createEmptyMovieClip", {"clip", 2}).pop();
    a.push("ref").getVariable().push("_x").push(30).setMember();
    traceMember(a, "clip", "_x");
    traceVar(a, "ref");
    traceMember(a, "clip", "gone");
    callOn(a, "ref", "getDepth", {}).trace();
    // The path kept is the one the clip had when the script first saw it, not a later name.
    callOn(a, "_root", "createEmptyMovieClip", {"first", 3}).pop();
    a.push("ref2").push("first").getVariable().setVariable();
    a.push("ref2").getVariable().push("_name").push("renamed").setMember();
    traceVar(a, "ref2");
    callOn(a, "ref2", "removeMovieClip", {}).pop();
    callOn(a, "_root", "createEmptyMovieClip", {"first", 4}).pop();
    traceVar(a, "ref2");
    movie.doAction(a.stop().end()).showFrame();
    EXPECT_EQ(playTraces(movie, 1), (std::vector<std::string>{"|", "undefined", "30", "_level0.clip", "undefined", "2",
                                                        "_level0.renamed", "_level0.first"}));
}

TEST(ClipScriptTest, SlashPathsAndTheOrderOfAClipsNames) {
    SwfWriter movie(8);
    ActionBuilder a;
    callOn(a, "_root", "createEmptyMovieClip", {"a", 1}).pop();
    callOn(a, "a", "createEmptyMovieClip", {"b", 1}).pop();
    a.push("/a/b:v").push("deep").setVariable();
    struct Case {
        const char* path;
        const char* expected;
    };
    // A slash path may end in a variable holding a plain object.
    a.push("obj").push(0).initObject().setVariable();
    a.push("/obj:k").push("plain").setVariable();
    const Case cases[] = {{"/a/b:v", "deep"},          {"a/b/:v", "deep"},         {"/a/../a/b:v", "deep"},
                          {"/a/b.v", "deep"},          {"/a//b:v", "undefined"},   {"/nothing/b:v", "undefined"},
                          {"obj.k", "plain"},          {"/obj:k", "plain"},        {"_root:a:b:v", "deep"}};
    for (const Case& c : cases) traceVar(a, c.path);
    // tellTarget with colons: "_level0:_root.a" is clip a; "...:a" names nothing.
    a.push("/a:mark").push("in a").setVariable();
    a.setTarget("_level0:_root.a");
    traceVar(a, "mark");
    a.setTarget("").setTarget("...:a");
    traceVar(a, "mark");
    a.setTarget("");
    // for (k in _root): the root's own variables ($version among them) come before its clip.
    a.push("_root").getVariable().push("own").push(1).setMember();
    a.push("_root").getVariable().enumerate2();
    a.label("next").storeRegister(0).pushNull().equals2().ifTrue("done");
    a.pushRegister(0).trace().jump("next");
    a.label("done").stop();
    movie.doAction(a.end()).showFrame();
    std::vector<std::string> expected;
    for (const Case& c : cases) expected.push_back(c.expected);
    for (const char* line : {"in a", "undefined"}) expected.push_back(line);
    for (const char* name : {"own", "obj", "$version", "a"}) expected.push_back(name);
    EXPECT_EQ(playTraces(movie, 1), expected);
}

TEST(ClipScriptTest, GoingBackRemovesClipsScriptsMadeAmongTheTimelinesDepths) {
    SwfWriter movie(8);
    movie.defineSprite(1, [](Timeline& t) { t.showFrame(); });
    ActionBuilder make;
    make.push("t").push("low").push(16384 - 5).cloneSprite();
    make.push("t").push("high").push(16384 + 5).cloneSprite();
    callOn(make, "s", "swapDepths", {-100}).pop();  // moved, not made: the timeline leaves it
    movie.place(Place::add(1, 1).name("t")).place(Place::add(1, 2).name("s")).doAction(make.end()).showFrame();
    ActionBuilder look;
    for (const char* name : {"low", "high", "s"}) traceVar(look, name);
    look.push("again").getVariable().ifTrue("stop");
    look.push("again").push(1).setVariable().jump("on");
    look.label("stop").stop().label("on");
    movie.doAction(look.end()).showFrame();
    movie.doAction(ActionBuilder().gotoFrame(1).play().end()).showFrame();
    EXPECT_EQ(playTraces(movie, 4), (std::vector<std::string>{"_level0.low", "_level0.high", "_level0.s", "undefined",
                                                        "_level0.high", "_level0.s"}));
}

TEST(ClipScriptTest, RemoveTagTakesAScriptClipMovedToItsDepthButNotAMovedTimelineClip) {
    SwfWriter movie(8);
    movie.defineSprite(1, [](Timeline& t) { t.showFrame(); });
    ActionBuilder make;
    make.push("m").push("d").push(16384 + 7).cloneSprite();
    // d.swapDepths(m): the copy takes depth 3, the original depth 7.
    make.push("m").getVariable().push(1).push("d").getVariable().push("swapDepths").callMethod().pop();
    movie.place(Place::add(1, 3).name("m")).doAction(make.end()).showFrame();
    ActionBuilder look;
    for (const char* name : {"d", "m"}) look.push(name).getVariable().typeOf().trace();
    movie.removeObject2(3).doAction(look.stop().end()).showFrame();
    EXPECT_EQ(playTraces(movie, 2), (std::vector<std::string>{"undefined", "movieclip"}));
}

TEST(ClipScriptTest, SizesOfDegenerateAndDuplicatedDrawings) {
    SwfWriter movie(8);
    ActionBuilder a;
    auto rect = [&](const char* clip, double x0, double side) {
        callOn(a, clip, "beginFill", {0xFF0000, 100}).pop();
        callOn(a, clip, "moveTo", {x0, 0.0}).pop();
        callOn(a, clip, "lineTo", {x0 + side, 0.0}).pop();
        callOn(a, clip, "lineTo", {x0 + side, side}).pop();
        callOn(a, clip, "lineTo", {x0, side}).pop();
        callOn(a, clip, "endFill", {}).pop();
    };
    callOn(a, "_root", "createEmptyMovieClip", {"mc", 1}).pop();
    a.push("mc").getVariable().push("_width").push(100).setMember();
    traceMember(a, "mc", "_xscale");
    // A box too small to measure gives no scale: the old one stays.
    rect("mc", 0, std::numeric_limits<double>::denorm_min());
    a.push("mc").getVariable().push("_width").push(100).setMember();
    traceMember(a, "mc", "_xscale");
    rect("mc", 0, 100);
    a.push("mc").getVariable().push("_width").push(50).setMember();
    traceMember(a, "mc", "_width");
    // The copy draws on from the original's drawing.
    a.push("mc").push("copy").push(16384 + 5).cloneSprite();
    rect("copy", 300, 100);
    traceMember(a, "copy", "_width");
    traceMember(a, "mc", "_width");
    movie.doAction(a.stop().end()).showFrame();
    EXPECT_EQ(playTraces(movie, 1), (std::vector<std::string>{"100", "100", "50", "200", "50"}));
}

}  // namespace
