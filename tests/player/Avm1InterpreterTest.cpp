#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Avm1Assembler.h"
#include "Avm1FakeHost.h"

namespace kelmora::player::avm1 {
namespace {

using testing::Assembler;
using testing::FakeHost;
using testing::Null;
using testing::Reg;
using testing::Undefined;

struct ScriptRun {
    FakeHost host;
    Interpreter in;
    explicit ScriptRun(int version = 8, Limits limits = {}) : in(host, version, limits) { host.in = &in; }
    std::string operator()(const Assembler& a, int version = 8) {
        host.lines.clear();
        in.runScript(1, a.bytes(), version);
        return host.output();
    }
};

TEST(Avm1InterpreterTest, StackArithmeticAndStrings) {
    ScriptRun run;
    Assembler a;
    a.push({2, 3}).op(0x47).trace();                       // Add2 numbers
    a.push({"a", 1}).op(0x47).trace();                     // Add2 with text
    a.push({7, 2}).op(0x3F).trace();                       // Modulo
    a.push({1, 0}).op(0x0D).trace();                       // Divide by zero
    a.push({-8, 1}).op(0x65).trace();                      // unsigned shift
    a.push({"abcdef", 2, 3}).op(0x15).trace();             // StringExtract (1-based)
    a.push({Undefined{}}).trace();
    a.push({Null{}}).op(0x44).trace();                     // typeof null
    a.push({1.5}).op(0x18).trace();                        // ToInteger
    a.push({5}).op(0x4C).op(0x0C).trace();                 // PushDuplicate, Multiply
    a.push({1, 2}).op(0x4D).op(0x0B).trace();              // StackSwap, Subtract
    a.push({65}).op(0x33).trace();                         // AsciiToChar
    EXPECT_EQ(run(a), "5\na1\n1\nInfinity\n2147483644\nbcd\nundefined\nnull\n1\n25\n1\nA\n");
}

TEST(Avm1InterpreterTest, Swf4ComparisonsPushNumbersAndDivisionByZeroIsAnError) {
    ScriptRun run(4);
    Assembler a;
    a.push({1, 2}).op(0x0F).trace();  // Less
    a.push({1, 0}).op(0x0D).trace();
    EXPECT_EQ(run(a, 4), "1\n#ERROR#\n");
}

TEST(Avm1InterpreterTest, VariablesPathsAndCaseRules) {
    ScriptRun v6(6), v8(8);
    Assembler a;
    a.setVariable("Foo", 1).traceVariable("foo");
    EXPECT_EQ(v6(a, 6), "1\n");
    EXPECT_EQ(v8(a, 8), "undefined\n");

    ScriptRun run;
    ClipId child = run.host.addChild(1, "box");
    Assembler b;
    b.setVariable("/box:v", "slash").traceVariable("_root.box.v");
    b.setVariable("box.w", "dot").traceVariable("/box:w");
    b.push({"box", 0, 42}).op(0x23);  // SetProperty _x
    b.push({"box", 0}).op(0x22).trace();
    b.push({"_root.box"}).op(0x1C).push({"_xscale", 50}).op(0x4F);
    EXPECT_EQ(run(b), "slash\ndot\n42\n");
    EXPECT_EQ(run.host.clips[child].props[0], 42);
    EXPECT_EQ(run.host.clips[child].props[2], 50);
}

TEST(Avm1InterpreterTest, FunctionsClosuresAndRegisters) {
    ScriptRun run;
    // function fact(n) { if (n <= 1) return 1; return n * fact(n - 1); }
    Assembler body;
    body.push({"n"}).op(0x1C).push({1}).op(0x67).ifTrue("rec").push({1}).op(0x3E);
    body.bind("rec").push({"n"}).op(0x1C).push({"n"}).op(0x1C).push({1}).op(0x0B).push({1, "fact"}).op(0x3D);
    body.op(0x0C).op(0x3E);
    Assembler a;
    a.defineFunction("fact", {"n"}, body);
    a.push({10, 1, "fact"}).op(0x3D).trace();
    // DefineFunction2: `this` preloaded into register 1, the parameter in register 2.
    Assembler body2;
    body2.push({Reg{2}, Reg{1}}).op(0x44).op(0x47).op(0x3E);
    a.defineFunction2("f2", 3, 0x01, {{2, "x"}}, body2);
    a.push({"typed:", 1, "f2"}).op(0x3D).trace();
    // arguments.length
    Assembler body3;
    body3.push({"arguments"}).op(0x1C).push({"length"}).op(0x4E).op(0x3E);
    a.defineFunction("count", {}, body3);
    a.push({3, 2, 1, 3, "count"}).op(0x3D).trace();
    EXPECT_EQ(run(a), "3628800\ntyped:movieclip\n3\n");
}

TEST(Avm1InterpreterTest, ObjectsArraysAndEnumeration) {
    ScriptRun run;
    Assembler a;
    a.push({"o", "x", 1, "y", 2, 2}).op(0x43).op(0x1D);  // o = {x: 1, y: 2}
    a.push({"o"}).op(0x1C).push({"y"}).op(0x4E).trace();
    a.push({"a", 3, 2, 1, 3}).op(0x42).op(0x1D);         // a = [1, 2, 3]
    a.push({"a"}).op(0x1C).push({"length"}).op(0x4E).trace();
    a.push({4, 1, "a"}).op(0x1C).push({"push"}).op(0x52).trace();
    a.push({"-", 1, "a"}).op(0x1C).push({"join"}).op(0x52).trace();
    a.push({0, "a"}).op(0x1C).push({"reverse"}).op(0x52).op(0x17);
    a.push({"a"}).op(0x1C).trace();
    // for (k in o) trace(k);
    a.push({"o"}).op(0x46).bind("loop").storeRegister(0).push({Null{}}).op(0x49).ifTrue("done");
    a.push({Reg{0}}).trace().jump("loop").bind("done");
    // delete o.x
    a.push({"o"}).op(0x1C).push({"x"}).op(0x3A).trace();
    a.push({"o"}).op(0x1C).push({"x"}).op(0x4E).trace();
    EXPECT_EQ(run(a), "2\n3\n4\n1-2-3-4\n4,3,2,1\nx\ny\ntrue\nundefined\n");
}

TEST(Avm1InterpreterTest, TryCatchFinallyAndWith) {
    ScriptRun run;
    Assembler tryBody, catchBody, finallyBody;
    tryBody.push({"boom"}).op(0x2A).push({"not reached"}).trace();
    catchBody.push({"caught "}).push({"e"}).op(0x1C).op(0x47).trace();
    finallyBody.push({"finally"}).trace();
    Assembler a;
    a.tryCatchFinally(tryBody, "e", catchBody, finallyBody);
    a.push({"after"}).trace();
    a.push({"o", "v", "inside", 1}).op(0x43).op(0x1D);
    Assembler withBody;
    withBody.traceVariable("v");
    a.push({"o"}).op(0x1C).with(withBody);
    a.traceVariable("v");
    EXPECT_EQ(run(a), "caught boom\nfinally\nafter\ninside\nundefined\n");

    // An uncaught throw ends only its own script, and the player logs it.
    Assembler b;
    b.push({"x"}).op(0x2A).push({"no"}).trace();
    EXPECT_EQ(run(b), "Warning: Uncaught exception, x\n");
    Assembler c;
    c.push({"next"}).trace();
    EXPECT_EQ(run(c), "next\n");
}

TEST(Avm1InterpreterTest, ClassesExtendsInstanceOfAndSuper) {
    ScriptRun run;
    Assembler base, sub, hello;
    base.push({"this"}).op(0x1C).push({"kind", "base"}).op(0x4F);
    // Sub(): super(); ; Sub.prototype.hello = function () { return "hi " + this.kind; }
    sub.push({0, "super"}).op(0x1C).push({Undefined{}}).op(0x52).op(0x17);
    hello.push({"hi "}).push({"this"}).op(0x1C).push({"kind"}).op(0x4E).op(0x47).op(0x3E);
    Assembler a;
    a.defineFunction("Base", {}, base);
    a.defineFunction("Sub", {}, sub);
    a.push({"Sub"}).op(0x1C).push({"Base"}).op(0x1C).op(0x69);  // Extends
    a.push({"Sub"}).op(0x1C).push({"prototype"}).op(0x4E).push({"hello"}).defineFunction("", {}, hello).op(0x4F);
    a.push({"s", 0, "Sub"}).op(0x40).op(0x1D);
    a.push({0, "s"}).op(0x1C).push({"hello"}).op(0x52).trace();
    a.push({"s"}).op(0x1C).push({"Base"}).op(0x1C).op(0x54).trace();
    a.push({"Base"}).op(0x1C).push({"s"}).op(0x1C).op(0x2B).op(0x44).trace();  // CastOp
    EXPECT_EQ(run(a), "hi base\ntrue\nobject\n");
}

TEST(Avm1InterpreterTest, TimelineControlAndLoadingGoToTheHost) {
    ScriptRun run;
    run.host.frameScripts.resize(5);
    Assembler a;
    a.op(0x07);                                   // Stop
    a.action(0x81, {2, 0});                       // GotoFrame 2 (0-based)
    a.push({"4"}).action(0x9F, {1});              // GotoFrame2 "4" and play
    a.push({"movie.swf", "_level1"}).action(0x9A, {0});
    a.action(0x83, {'F', 'S', 'C', 'o', 'm', 'm', 'a', 'n', 'd', ':', 'q', 'u', 'i', 't', 0, 0});
    run(a);
    std::vector<std::string> expected = {"stop", "goto 1 2 stop", "goto 1 3 play", "loadMovieNum 1 movie.swf",
                                         "fscommand quit "};
    EXPECT_EQ(run.host.log, expected);
}

TEST(Avm1InterpreterTest, RunawayScriptsAreStoppedAndTheMovieGoesOn) {
    Limits limits;
    limits.maxActionsPerEntry = 100000;
    ScriptRun run(8, limits);
    Assembler loop;
    loop.bind("top").jump("top");
    EXPECT_EQ(run(loop), "");
    ASSERT_EQ(run.host.errors.size(), 1u);
    EXPECT_NE(run.host.errors[0].find("too long"), std::string::npos);

    Assembler bomb, body;
    body.push({0, "f"}).op(0x3D).op(0x3E);
    bomb.defineFunction("f", {}, body).push({0, "f"}).op(0x3D).op(0x17).push({"after"}).trace();
    EXPECT_EQ(run(bomb), "");
    ASSERT_EQ(run.host.errors.size(), 2u);
    EXPECT_NE(run.host.errors[1].find("256 levels of recursion"), std::string::npos);

    Assembler next;
    next.push({"still running"}).trace();
    EXPECT_EQ(run(next), "still running\n");
}

TEST(Avm1InterpreterTest, AllocationCapStopsAScriptAndCollectionFreesCycles) {
    Limits limits;
    limits.maxObjects = 20000;
    ScriptRun run(8, limits);
    // while (true) { o = {}; o.self = o; }
    Assembler a;
    a.bind("top").push({"o", 0}).op(0x43).op(0x1D);
    a.push({"o"}).op(0x1C).push({"self", "o"}).op(0x1C).op(0x4F).jump("top");
    run(a);
    ASSERT_FALSE(run.host.errors.empty());
    EXPECT_NE(run.host.errors.back().find("too many objects"), std::string::npos);
    size_t before = run.in.heap().size();
    run.in.collectGarbage();
    EXPECT_LT(run.in.heap().size(), before / 10);
    Assembler b;
    b.traceVariable("o.self.self.self");
    EXPECT_EQ(run(b), "[object Object]\n");
}

TEST(Avm1InterpreterTest, TimersRunOnTheFrameClockAndRandomIsSeeded) {
    ScriptRun run;
    Assembler tick;
    tick.push({"tick"}).trace();
    Assembler a;
    a.push({100}).defineFunction("", {}, tick).push({2, "setInterval"}).op(0x3D).op(0x17);
    run(a);
    run.host.now = 50;
    run.in.runTimers();
    EXPECT_TRUE(run.host.lines.empty());
    run.host.now = 100;
    run.in.runTimers();
    run.host.now = 200;
    run.in.runTimers();
    EXPECT_EQ(run.host.output(), "tick\ntick\n");

    auto draw = [](uint64_t seed) {
        ScriptRun r;
        r.in.seedRandom(seed);
        Assembler b;
        b.push({0, "Math"}).op(0x1C).push({"random"}).op(0x52).trace();
        b.push({1000}).op(0x30).trace();
        return r(b);
    };
    EXPECT_EQ(draw(7), draw(7));
    EXPECT_NE(draw(7), draw(8));
}

TEST(Avm1InterpreterTest, DamagedBytecodeEndsTheListSafely) {
    ScriptRun run;
    std::vector<std::vector<uint8_t>> damaged = {
        {0x96, 0xFF, 0xFF, 0x00},             // length past the end
        {0x96, 0x02, 0x00, 0x00},             // string without its end
        {0x99, 0x00, 0x80, 0x00},             // jump far back
        {0x9B, 0x03, 0x00, 'f', 0x00, 0x05},  // function header cut short
        {0x8F, 0x00},                         // try header cut short
        {0x3D, 0x52, 0x40, 0x53, 0x4E, 0x4F, 0x42, 0x43, 0x46, 0x55, 0x69, 0x2C},  // empty stack
    };
    for (auto& bytes : damaged) run.in.runScript(1, bytes, 8);
    Assembler ok;
    ok.push({"fine"}).trace();
    EXPECT_EQ(run(ok), "fine\n");
}

}  // namespace
}  // namespace kelmora::player::avm1

namespace kelmora::player::avm1 {
namespace {
// A few valid scripts as seeds for fuzz_avm1 (first byte: the version).
TEST(Avm1InterpreterTest, WritesFuzzSeeds) {
    const char* dir = std::getenv("KELMORA_SEED_DIR");
    if (!dir) GTEST_SKIP();
    std::filesystem::path out = std::filesystem::path(dir) / "fuzz_avm1";
    std::filesystem::create_directories(out);
    Assembler fn, a, b;
    fn.push({"n"}).op(0x1C).push({1}).op(0x47).op(0x3E);
    a.constants({"x", "o"}).push({"o", "x", 1, 1}).op(0x43).op(0x1D).defineFunction("f", {"n"}, fn);
    a.push({2, 1, "f"}).op(0x3D).trace().push({"o"}).op(0x46).bind("l").storeRegister(0).push({Null{}}).op(0x49);
    a.ifTrue("e").jump("l").bind("e");
    Assembler t, c, f;
    t.push({"x"}).op(0x2A);
    c.traceVariable("e");
    b.tryCatchFinally(t, "e", c, f).push({"a", 2, 1, 2}).op(0x42).op(0x1D);
    int i = 0;
    for (auto* s : {&a, &b}) {
        auto bytes = s->bytes();
        bytes.insert(bytes.begin(), static_cast<uint8_t>(i + 3));
        std::ofstream(out / ("seed" + std::to_string(i++)), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
}
}  // namespace
}  // namespace kelmora::player::avm1

namespace kelmora::player::avm1 {
namespace {
TEST(Avm1InterpreterTest, TextGrowthIsBounded) {
    Limits limits;
    limits.maxStringLength = 1 << 20;
    limits.maxTextBytesPerEntry = 8 << 20;
    ScriptRun run(8, limits);
    // s = "x"; while (true) s = s + s;  and  a = []; while (true) a.push(s + "y")
    Assembler doubling;
    doubling.setVariable("s", "x").bind("top").push({"s"}).op(0x1C).push({"s"}).op(0x1C).op(0x47);
    doubling.push({"s"}).op(0x4D).op(0x1D).jump("top");
    run(doubling);
    ASSERT_EQ(run.host.errors.size(), 1u);
    Assembler many;
    many.setVariable("s", "x").push({"s"}).op(0x1C);
    for (int i = 0; i < 18; ++i) many.op(0x4C).op(0x47);  // s = s+s ... 256 KiB
    many.push({"s"}).op(0x4D).op(0x1D).push({"a", 0}).op(0x42).op(0x1D);
    many.bind("top").push({"s"}).op(0x1C).push({"y"}).op(0x47).push({1, "a"}).op(0x1C).push({"push"}).op(0x52);
    many.op(0x17).jump("top");
    run(many);
    EXPECT_EQ(run.host.errors.size(), 2u);
}
}  // namespace
}  // namespace kelmora::player::avm1
