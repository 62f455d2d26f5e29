// Scripted timelines: which instances going back keeps, makes anew or leaves to the scripts, and
// the names placements give.
#include <gtest/gtest.h>

#include "ScriptTestMovies.h"

using namespace kelmora;
using namespace kelmora::swf;
using kelmora::scripttest::playTraces;

namespace {

// trace(label + getInstanceAtDepth(depth)._name)
ActionBuilder& traceAtDepth(ActionBuilder& a, int depth) {
    a.push(std::to_string(depth) + ": ");
    a.push(depth - 16384).push(1).push("_root").getVariable().push("getInstanceAtDepth").callMethod();
    return a.push("_name").getMember().add2().trace();
}

}  // namespace

TEST(ScriptTimelineTest, GoingBackKeepsSameCharacterAndRatioAndLeavesScriptDepthsAlone) {
    SwfWriter movie(6);
    Timeline sprite = movie.sprite();
    sprite.doAction(ActionBuilder().push("made ").push("this").getVariable().push("_name").getMember().add2().trace().end())
        .showFrame();
    movie.defineSprite(1, sprite);
    movie.place(Place::add(1, 1).name("a"))
        .place(Place::add(1, 2))
        .place(Place::add(1, 4).ratio(1).name("r1"))
        .place(Place::add(1, 5).name("s5"))
        .showFrame();
    ActionBuilder back;
    back.push("s6").getVariable().push(1).push("s5").getVariable().push("swapDepths").callMethod().pop();
    back.gotoFrame(0);
    for (int depth : {1, 2, 4, 5, 6, 16394}) traceAtDepth(back, depth);
    movie.removeObject2(1)
        .place(Place::add(1, 1).name("b"))
        .removeObject2(4)
        .place(Place::add(1, 4).ratio(2).name("r2"))
        .place(Place::add(1, 6).name("s6"))
        .place(Place::add(1, 16394).name("high"))
        .doAction(back.end())
        .showFrame();
    const std::vector<std::string> expected = {
        "made a", "made instance1", "made r1", "made s5",  // frame 1
        "made b", "made r2", "made s6", "made high",      // frame 2
        // Back at frame 1: the same character at the same ratio stays with its name, whenever it
        // was placed; another ratio makes it anew; what a script moved stays where frame 1 has
        // an object and goes where it has none; the scripts' depths keep what they hold.
        "1: b", "2: instance1", "4: r1", "5: s6", "6: ", "16394: high",
        "made r1",
    };
    EXPECT_EQ(playTraces(movie, 2), expected);
}

TEST(ScriptTimelineTest, AnEmptyPlacementNameStaysEmptyAndOnlyUnnamedInstancesAreNumbered) {
    SwfWriter movie(6);
    Timeline sprite = movie.sprite();
    sprite.doAction(ActionBuilder().push("this").getVariable().targetPath().trace().end()).showFrame();
    movie.defineSprite(1, sprite);
    movie.place(Place::add(1, 1).name("")).place(Place::add(1, 2)).place(Place::add(1, 3).name("c")).showFrame();
    EXPECT_EQ(playTraces(movie), (std::vector<std::string>{"_level0.", "_level0.instance1", "_level0.c"}));
}

TEST(ScriptTimelineTest, CallRunsAnotherFramesScriptsAtOnceOnTheSameStack) {
    SwfWriter movie(6);
    // Frame 1 leaves "a" on the stack under its own constant pool; frame 2 calls it by number and
    // by label, and its own pool is still there after each call.
    movie.frameLabel("first").doAction(ActionBuilder().constantPool({"a"}).pushConstant(0).end()).showFrame();
    ActionBuilder caller;
    caller.constantPool({"b"}).push("1").call().pushConstant(0).add2().trace();
    caller.push("first").call().pushConstant(0).add2().trace();
    caller.push("9").call().push("nolabel").call().push("after").trace();  // nothing there: no-ops
    caller.stop();
    movie.doAction(caller.end()).showFrame();
    EXPECT_EQ(playTraces(movie, 2), (std::vector<std::string>{"ab", "ab", "after"}));

    // A frame that calls itself is stopped at the recursion limit and the movie goes on.
    SwfWriter bomb(6);
    bomb.doAction(ActionBuilder().push("1").call().end()).showFrame();
    bomb.doAction(ActionBuilder().push("still here").trace().stop().end()).showFrame();
    EXPECT_EQ(playTraces(bomb, 2), (std::vector<std::string>{"still here"}));
}

TEST(ScriptTimelineTest, AConstantPoolStaysForTheScriptsAfterIt) {
    SwfWriter movie(6);
    movie.doAction(ActionBuilder().constantPool({"kept"}).end());
    movie.doAction(ActionBuilder().pushConstant(0).trace().end()).showFrame();
    // A function's own pool does not leak out to the timeline.
    ActionBuilder fn;
    ActionBuilder body;
    body.constantPool({"inner"});
    fn.defineFunction("f", {}, body);
    fn.push(0).push("f").callFunction().pop().pushConstant(0).trace().stop();
    movie.doAction(fn.end()).showFrame();
    EXPECT_EQ(playTraces(movie, 2), (std::vector<std::string>{"kept", "kept"}));
}

TEST(ScriptTimelineTest, TheTimelineNoLongerMovesWhatAScriptPlaced) {
    SwfWriter movie(6);
    Timeline sprite = movie.sprite();
    sprite.showFrame();
    movie.defineSprite(1, sprite);
    // Frame 1 places two clips at x 0; frame 2 moves both to x 50, after a script set a._x.
    movie.place(Place::add(1, 1).name("a")).place(Place::add(1, 2).name("b"));
    movie.doAction(ActionBuilder().push("a").getVariable().push("_x").push(7).setMember().end()).showFrame();
    ActionBuilder check;
    check.push("a").getVariable().push("_x").getMember().trace();
    check.push("b").getVariable().push("_x").getMember().trace();
    movie.place(Place::move(1).matrix(Matrix::translate(1000, 0)))
        .place(Place::move(2).matrix(Matrix::translate(1000, 0)))
        .doAction(check.end())
        .showFrame();
    // Back at frame 1 the kept clips take frame 1's place, except the one the script moved.
    movie.doAction(ActionBuilder().gotoFrame(0).stop().end()).doAction(check.end()).showFrame();
    EXPECT_EQ(playTraces(movie, 3), (std::vector<std::string>{"7", "50", "7", "0"}));
}
