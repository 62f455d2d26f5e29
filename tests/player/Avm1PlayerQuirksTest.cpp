// Rules of the reference player's interpreter that plain ECMA-262 reasoning gets wrong: array
// lengths, SWF 4 booleans, version-dependent names, escapes, ASnative 2,0 and the Call action.
#include <gtest/gtest.h>

#include "Avm1Assembler.h"
#include "Avm1FakeHost.h"
#include "ScriptTestMovies.h"

namespace kelmora::player::avm1 {
namespace {

using testing::Assembler;
using testing::FakeHost;

struct QuirkRun {
    FakeHost host;
    Interpreter in;
    int version;
    explicit QuirkRun(int v) : in(host, v), version(v) { host.in = &in; }
    std::string operator()(const Assembler& a) {
        host.lines.clear();
        in.runScript(1, a.bytes(), version);
        return host.output();
    }
};

TEST(Avm1PlayerQuirksTest, ArrayLengthIsA32BitSignedNumber) {
    Assembler a;
    a.push({"a", 0}).op(0x42).op(0x3C);  // var a = []
    auto set = [&](testing::PushItem key) { a.push({"a"}).op(0x1C).push({key, 1}).op(0x4F); };
    auto traceLength = [&] { a.push({"a"}).op(0x1C).push({"length"}).op(0x4E).trace(); };
    auto traceElement = [&](testing::PushItem key) { a.push({"a"}).op(0x1C).push({key}).op(0x4E).trace(); };
    set(1);
    set(3);
    traceLength();                 // 4
    set(-5);
    set(2147483648.0);             // element -2147483648: below the length
    traceLength();                 // 4
    set(2147483647);               // the length wraps around...
    traceLength();                 // -2147483648
    traceElement(3);               // ...and the elements from 0 up to the old length go
    traceElement(2147483647);
    traceElement(-5);
    set("4294967296");             // element 0
    traceLength();                 // 1
    a.push({"a"}).op(0x1C).push({"length", -3}).op(0x4F);
    traceLength();
    QuirkRun run(8);
    EXPECT_EQ(run(a), "4\n4\n-2147483648\nundefined\n1\n1\n1\n-3\n");
}

TEST(Avm1PlayerQuirksTest, UnescapeDropsBrokenEscapes) {
    QuirkRun run(8);
    Value unescape = run.in.getMember(Value(run.in.global()), "unescape");
    struct Case {
        const char* in;
        const char* out;
    };
    for (const Case& k : {Case{"%41+%62", "A b"}, Case{"mo%2re", "moe"}, Case{"aaa%zz", "aaaz"}, Case{"aaa%4", "aaa"},
                          Case{"aaa%", "aaa"}, Case{"%%", ""}, Case{"%_a%@b%.c", "abc"}, Case{"%u0100", "0100"}}) {
        std::vector<Value> args{Value(k.in)};
        EXPECT_EQ(run.in.toString(run.in.call(unescape, Value(), args)), k.out) << k.in;
    }
}

TEST(Avm1PlayerQuirksTest, NamesAndValuesThatDependOnTheVersion) {
    // SWF 4 comparisons give booleans, which read as 1 and 0 there.
    Assembler swf4;
    swf4.push({true}).trace().push({1, 2}).op(0x0E).op(0x44).trace();
    swf4.push({1, 1}).op(0x0E).push({true}).op(0x66).trace();
    QuirkRun v4(4);
    EXPECT_EQ(v4(swf4), "1\nboolean\n1\n");

    // From SWF 7 on, "THIS" is an ordinary (and here undefined) variable.
    Assembler self;
    self.traceVariable("THIS").traceVariable("_ROOT");
    QuirkRun v6(6), v7(7);
    EXPECT_EQ(v6(self), "_level0\n_level0\n");
    EXPECT_EQ(v7(self), "undefined\nundefined\n");

    // The player's start-up script leaves a global `o` set to null; SWF 4 sees no globals.
    Assembler o;
    o.traceVariable("o");
    EXPECT_EQ(v7(o), "null\n");
    EXPECT_EQ(v4(o), "undefined\n");
}

TEST(Avm1PlayerQuirksTest, AsNativeTwoZeroTellsWhetherTheFunctionRunsUnderNew) {
    Assembler body;
    body.push({0, "isNew"}).op(0x3D).trace();
    Assembler a;
    a.push({"isNew", 0, 2, 2, "ASnative"}).op(0x3D).op(0x1D);
    a.defineFunction("f", {}, body);
    a.push({0, "f"}).op(0x3D).op(0x17);  // f()
    a.push({0, "f"}).op(0x40).op(0x17);  // new f()
    a.push({0, "isNew"}).op(0x3D).trace();  // outside any function
    QuirkRun run(8);
    EXPECT_EQ(run(a), "false\ntrue\nfalse\n");
}

TEST(Avm1PlayerQuirksTest, CallRunsAnotherFramesScriptsWithoutMovingThePlayhead) {
    swf::SwfWriter movie(6);
    swf::ActionBuilder inClip;
    inClip.push("clip frame 2").trace().push("this").getVariable().trace();
    movie.defineSprite(1, [&](swf::Timeline& t) {
        t.doAction(swf::ActionBuilder().stop().end()).showFrame();
        t.frameLabel("there").doAction(swf::ActionBuilder(inClip).end()).showFrame();
    });
    swf::ActionBuilder first;
    first.stop();
    for (swf::PushValue frame : {swf::PushValue(3), swf::PushValue("Second"), swf::PushValue(4294967299.0),
                                 swf::PushValue("9"), swf::PushValue("nowhere"), swf::PushValue("/mc:there")})
        first.push(frame).call();
    first.push("_currentframe").getVariable().trace();
    movie.place(swf::Place::add(1, 1).name("mc"));
    movie.doAction(first.end()).showFrame();
    movie.frameLabel("second").doAction(swf::ActionBuilder().push("frame 2").trace().end()).showFrame();
    movie.doAction(swf::ActionBuilder().push("frame 3 a").trace().end());
    movie.doAction(swf::ActionBuilder().push("frame 3 b").trace().end()).showFrame();
    EXPECT_EQ(scripttest::playTraces(movie),
              (std::vector<std::string>{"frame 3 a", "frame 3 b", "frame 2", "frame 3 a", "frame 3 b", "clip frame 2",
                                        "_level0.mc", "1"}));
}

}  // namespace
}  // namespace kelmora::player::avm1
