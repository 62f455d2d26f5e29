// Rules of the reference player's interpreter that plain ECMA-262 reasoning gets wrong: array
// lengths, SWF 4 booleans, version-dependent names, escapes, ASnative 2,0 and the Call action.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

TEST(Avm1PlayerQuirksTest, ParseIntAndIntReadNumbersAsThePlayerDoes) {
    QuirkRun run(8);
    Value parseInt = run.in.getMember(Value(run.in.global()), "parseInt");
    struct Case {
        const char* text;
        int radix;  // 0: none given
        double value;  // NaN: NaN
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Case& k : {Case{"0x111", 0, 273}, Case{"0x-111", 0, -273}, Case{"-0x111", 0, nan}, Case{" 0x111", 0, 0},
                          Case{"0352", 0, 234}, Case{"-0352", 0, -234}, Case{"   0352", 0, 352}, Case{"0352A", 0, 352},
                          Case{"07658", 0, 7658}, Case{"0x123", 8, 83}, Case{" 0x123", 8, 0}, Case{" 6 7 8", 8, 6}, Case{"++3", 0, nan}}) {
        const Value args[] = {Value(k.text), Value(k.radix)};
        Value r = run.in.call(parseInt, Value(), std::span<const Value>(args, k.radix ? 2 : 1));
        if (std::isnan(k.value)) EXPECT_TRUE(std::isnan(r.number())) << k.text;
        else EXPECT_EQ(r.number(), k.value) << k.text;
    }
    Assembler toInteger;
    for (double d : {4294967295.0, 2147483648.0, -2147483649.0, 1e45, -1.5}) toInteger.push({d}).op(0x18).trace();
    toInteger.push({"Infinity"}).op(0x1C).op(0x18).trace();
    // Texts: octal only without blanks in front, hex signed only after its prefix.
    for (const char* text : {"0123", "   0123", "-0x10", "0x-10"}) toInteger.push({text}).op(0x18).trace();
    EXPECT_EQ(run(toInteger), "-1\n-2147483648\n2147483647\n0\n-1\n0\n83\n123\n0\n-16\n");
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

TEST(Avm1PlayerQuirksTest, OperatorsAndScopesOfThePlayer) {
    Assembler a;
    // An unsigned shift by 0 (mod 32) keeps the sign.
    for (int shift : {0, 32, 1}) a.push({-2, shift}).op(0x65).trace();
    // with(4) sees the number's __proto__ as a variable.
    Assembler body;
    body.push({"__proto__"}).op(0x1C).push({"mark", "three"}).op(0x4F);
    a.push({4}).with(body);
    a.push({"Number"}).op(0x1C).push({"prototype"}).op(0x4E).push({"mark"}).op(0x4E).trace();
    // A clip is a type of its own: an object equals it through valueOf.
    Assembler giveRoot;
    giveRoot.push({"_root"}).op(0x1C).op(0x3E);
    a.push({"o", 0, "Object"}).op(0x40).op(0x3C);
    a.push({"o"}).op(0x1C).push({"valueOf"}).defineFunction("", {}, giveRoot).op(0x4F);
    a.push({"_root"}).op(0x1C).push({"o"}).op(0x1C).op(0x49).trace();
    a.push({"o"}).op(0x1C).push({"_root"}).op(0x1C).op(0x49).trace();
    a.push({0, "Object"}).op(0x40).push({"_root"}).op(0x1C).op(0x49).trace();
    QuirkRun run(8);
    EXPECT_EQ(run(a), "-2\n-2\n2147483647\nthree\ntrue\ntrue\nfalse\n");
    // Later movies always get the unsigned result.
    Assembler later;
    later.push({-2, 32}).op(0x65).trace();
    QuirkRun v10(10);
    EXPECT_EQ(v10(later), "4294967294\n");
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
