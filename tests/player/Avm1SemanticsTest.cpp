// Language rules that differ from ECMA-262 or between movie versions, checked through scripts.
#include <gtest/gtest.h>

#include "Avm1Assembler.h"
#include "Avm1FakeHost.h"

namespace kelmora::player::avm1 {
namespace {

using testing::Assembler;
using testing::FakeHost;
using testing::Null;
using testing::Undefined;

struct ScriptRun {
    FakeHost host;
    Interpreter in;
    int version;
    explicit ScriptRun(int v) : in(host, v), version(v) { host.in = &in; }
    std::string operator()(const Assembler& a) {
        host.lines.clear();
        in.runScript(1, a.bytes(), version);
        return host.output();
    }
};

TEST(Avm1SemanticsTest, ParseFloatSumsFractionDigitsAndScalesByTheExponent) {
    ScriptRun run(8);
    struct Case {
        const char* text;
        double value;
    };
    auto parse = [&](const char* text) {
        std::vector<Value> args{Value(text)};
        return run.in.call(run.in.getMember(Value(run.in.global()), "parseFloat"), Value(), args);
    };
    for (const Case& k : {
             Case{".1499999", 0.14999990000000005},  // digit by digit, not correctly rounded
             Case{"12.5", 12.5},
             Case{"-2.5e3", -2500},
             Case{"1.2.3", 1.23},                      // further points are skipped
             Case{"1.5.5e3", 1.55},                    // ...and then no exponent is read
             Case{"0e99999", 0},                       // zero stays zero, never NaN
             Case{"1e-400", 0},
             Case{"  7x", 7},
         }) {
        Value r = parse(k.text);
        ASSERT_TRUE(r.isNumber()) << k.text;
        EXPECT_EQ(r.number(), k.value) << k.text;
    }
    EXPECT_TRUE(std::isinf(parse("9e99999").number()));
}

TEST(Avm1SemanticsTest, EqualityFollowsTheMovieVersion) {
    // Two wrapped 1s: equal in SWF 5 (compared by value), different objects later.
    Assembler wrapped;
    wrapped.push({1, 1, "Object"}).op(0x3D).push({1, 1, "Object"}).op(0x3D).op(0x49).trace();
    wrapped.push({"Object"}).op(0x1C).op(0x4C).op(0x49).trace();  // an object equals itself
    wrapped.push({0, "Object"}).op(0x40).push({0, "Object"}).op(0x40).op(0x49).trace();  // plain objects do not
    ScriptRun v5(5), v6(6);
    EXPECT_EQ(v5(wrapped), "true\ntrue\nfalse\n");
    EXPECT_EQ(v6(wrapped), "false\ntrue\nfalse\n");

    // NaN is equal to itself under both equality actions.
    Assembler nan;
    nan.push({"NaN"}).op(0x1C).push({"NaN"}).op(0x1C).op(0x66).trace();
    nan.push({"NaN"}).op(0x1C).push({"NaN"}).op(0x1C).op(0x49).trace();
    EXPECT_EQ(v6(nan), "true\ntrue\n");

    // SWF 4 frames get the SWF 5 comparisons' results as 1 and 0; function bodies follow SWF 5.
    ScriptRun v4(4);
    Assembler body;
    body.push({1, 1}).op(0x49).trace().push({4, 0}).op(0x0D).trace();
    Assembler swf4;
    swf4.push({1, 1}).op(0x49).trace().push({1, 2}).op(0x48).trace().push({4, 0}).op(0x0D).trace();
    swf4.defineFunction("f", {}, body).push({0, "f"}).op(0x3D).op(0x17);
    EXPECT_EQ(v4(swf4), "1\n1\n#ERROR#\ntrue\nInfinity\n");
}

TEST(Avm1SemanticsTest, Swf4KnowsNoThisOrRootButOrdinaryVariablesOfThoseNames) {
    Assembler a;
    a.traceVariable("this").traceVariable("_root").traceVariable("_level0");
    a.setVariable("_root", "mine").traceVariable("_root");
    ScriptRun v4(4), v6(6);
    EXPECT_EQ(v4(a), "undefined\nundefined\nundefined\nmine\n");
    EXPECT_EQ(v6(a).substr(0, 8), "_level0\n");

    // From SWF 7 on, level names are case sensitive like every other name.
    Assembler level;
    level.traceVariable("_LeVeL0");
    ScriptRun v7(7);
    EXPECT_EQ(v6(level), "_level0\n");
    EXPECT_EQ(v7(level), "undefined\n");
}

TEST(Avm1SemanticsTest, TextsOfOldMoviesAreCodePageBytes) {
    // 0xC5 is Å and 0x80 the euro sign in SWF 5; later movies hold UTF-8.
    Assembler a;
    a.push({"\xC5\x80"}).trace().push({"\xC5\x80"}).op(0x14).trace();
    ScriptRun v5(5);
    EXPECT_EQ(v5(a), "\xC3\x85\xE2\x82\xAC\n2\n");  // StringLength counts characters
}

TEST(Avm1SemanticsTest, CaseMappingsAndOrderOfTexts) {
    ScriptRun run(8);
    auto mapped = [&](const char* text, const char* method) {
        return run.in.toString(run.in.callMethodOf(Value(text), method, {}));
    };
    struct Case {
        const char* text;
        const char* lower;
        const char* upper;
    };
    for (const Case& k : {
             Case{"Abc\xC3\x9F", "abc\xC3\x9F", "ABC\xC3\x9F"},            // ß has no single capital
             Case{"\xC7\x85", "\xC7\x86", "\xC7\x84"},                    // Dž: dž / DŽ
             Case{"\xE1\x82\xA0", "\xE1\x83\x90", "\xE1\x82\xA0"},        // Georgian Ⴀ lowers to ა
             Case{"\xCF\x90", "\xCF\x90", "\xCE\x92"},                    // ϐ uppers to Β
             Case{"\xE1\xBE\xB3", "\xE1\xBE\xB3", "\xE1\xBE\xBC"},        // ᾳ uppers to ᾼ
             Case{"\xCD\xB0", "\xCD\xB0", "\xCD\xB0"},                    // Ͱ is unknown to the player
             Case{"\xF0\x9F\x98\x8B", "\xF0\x9F\x98\x8B", "\xF0\x9F\x98\x8B"},
         }) {
        EXPECT_EQ(mapped(k.text, "toLowerCase"), k.lower) << k.text;
        EXPECT_EQ(mapped(k.text, "toUpperCase"), k.upper) << k.text;
    }
    // Code point order, also for a pair written as two 3-byte sequences.
    EXPECT_TRUE(run.in.lessThan(Value("\xEF\xBD\xA1"), Value("\xED\xA0\x80\xED\xB0\x82")).boolean());
    EXPECT_FALSE(run.in.lessThan(Value("b"), Value("a")).boolean());
}

TEST(Avm1SemanticsTest, ArrayConstructorKeepsANegativeLengthUntilItIsSet) {
    ScriptRun run(8);
    Assembler a;
    a.push({"a", -1, 1, "Array"}).op(0x40).op(0x3C);
    a.push({"a"}).op(0x1C).trace().push({"a"}).op(0x1C).push({"length"}).op(0x4E).trace();
    a.push({"a"}).op(0x1C).push({"length", 2}).op(0x4F);
    a.push({"a"}).op(0x1C).push({"length"}).op(0x4E).trace();
    EXPECT_EQ(run(a), "\n-1\n2\n");
}

TEST(Avm1SemanticsTest, AsNativeHandsOutTheNumberedBuiltIns) {
    ScriptRun run(8);
    Value global(run.in.global());
    auto native = [&](std::vector<Value> args) {
        return run.in.call(run.in.getMember(global, "ASnative"), Value(), args);
    };
    Value math = run.in.getMember(global, "Math");
    // The very same function objects, whatever form the numbers come in.
    EXPECT_TRUE(run.in.strictEquals(native({Value(100), Value(0)}), run.in.getMember(global, "escape")));
    EXPECT_TRUE(run.in.strictEquals(native({Value("200"), Value(17.5)}), run.in.getMember(math, "pow")));
    EXPECT_TRUE(run.in.strictEquals(native({Value(100), Value(4294967300.0)}), run.in.getMember(global, "trace")));
    EXPECT_TRUE(native({Value(100)}).isUndefined());
    EXPECT_TRUE(native({Value(100), Value(0), Value(0)}).isUndefined());
    EXPECT_TRUE(native({Value(100), Value(65540)}).isUndefined());
    // Other numbers of the Math table still read two operands and give NaN.
    Value unknown = native({Value(200), Value(50)});
    ASSERT_TRUE(unknown.isObject());
    std::vector<Value> operands{Value(1), Value(2), Value(3)};
    EXPECT_TRUE(std::isnan(run.in.call(unknown, Value(), operands).number()));
}

TEST(Avm1SemanticsTest, PropertiesFlaggedForOtherVersionsAreThereButReadUndefined) {
    ScriptRun run(8);
    Value global(run.in.global());
    Value o(run.in.heap().make(ObjectKind::Plain, run.in.objectPrototype));
    run.in.setMember(o, "p", Value("v"));
    std::vector<Value> hide{o, Value("p"), Value(16384), Value(0)};  // for SWF 10 and later only
    run.in.call(run.in.getMember(global, "ASSetPropFlags"), Value(), hide);
    EXPECT_TRUE(run.in.getMember(o, "p").isUndefined());
    std::vector<Value> name{Value("p")};
    EXPECT_TRUE(run.in.callMethodOf(o, "hasOwnProperty", name).boolean());
    EXPECT_EQ(run.in.enumerate(o.object()), std::vector<std::string>{"p"});
    run.in.setMember(o, "p", Value("again"));  // writing makes a plain property of it
    EXPECT_EQ(run.in.toString(run.in.getMember(o, "p")), "again");

    // A names argument that is neither null nor an array is read as its text.
    Value q(run.in.heap().make(ObjectKind::Plain, run.in.objectPrototype));
    for (const char* n : {"a", "b", "undefined"}) run.in.setMember(q, n, Value(1));
    std::vector<Value> byUndefined{q, Value(), Value(1), Value(0)};
    run.in.call(run.in.getMember(global, "ASSetPropFlags"), Value(), byUndefined);
    EXPECT_EQ(run.in.enumerate(q.object()).size(), 2u);  // only "undefined" was hidden
}

TEST(Avm1SemanticsTest, CallAndApplyWithoutThisRunOnGlobal) {
    ScriptRun run(8);
    Assembler body;
    body.push({"this"}).op(0x1C).push({"_global"}).op(0x1C).op(0x66).trace();
    Assembler a;
    a.defineFunction("f", {}, body);
    a.push({Undefined{}, 1, "f"}).op(0x1C).push({"call"}).op(0x52).op(0x17);
    a.push({Undefined{}, 1, "f"}).op(0x1C).push({"apply"}).op(0x52).op(0x17);
    a.push({Null{}, 1, "f"}).op(0x1C).push({"call"}).op(0x52).op(0x17);
    EXPECT_EQ(run(a), "true\ntrue\nfalse\n");
}

TEST(Avm1SemanticsTest, DefineLocalInsideWithSetsAPropertyTheObjectHasItself) {
    ScriptRun run(8);
    Assembler a;
    a.push({"m", "b", 20, 1}).op(0x43).op(0x3C);  // m = {b: 20}
    Assembler body;
    body.push({"b", 10}).op(0x3C).push({"c", 10}).op(0x3C);  // var b = 10; var c = 10
    a.push({"m"}).op(0x1C).with(body);
    a.push({"m"}).op(0x1C).push({"b"}).op(0x4E).trace();  // the with-object's own b took it
    a.push({"m"}).op(0x1C).push({"c"}).op(0x4E).trace();  // c went to the timeline
    a.traceVariable("c");
    EXPECT_EQ(run(a), "10\nundefined\n10\n");
}

TEST(Avm1SemanticsTest, BroadcasterGoesThroughTheObjectsOwnMethods) {
    ScriptRun run(8);
    Assembler removeBody;
    removeBody.push({"removed"}).trace();
    Assembler listener;
    listener.push({"called"}).trace();
    Assembler a;
    a.push({"o", 0}).op(0x43).op(0x3C);
    a.push({"o"}).op(0x1C).push({1, "AsBroadcaster"}).op(0x1C).push({"initialize"}).op(0x52).op(0x17);
    a.push({"o"}).op(0x1C).push({"removeListener"}).defineFunction("", {}, removeBody).op(0x4F);
    a.push({"l"}).defineFunction("", {}, listener).op(0x3C);
    a.push({"l"}).op(0x1C).push({1, "o"}).op(0x1C).push({"addListener"}).op(0x52).trace();  // via removeListener
    a.push({"", 1, "o"}).op(0x1C).push({"broadcastMessage"}).op(0x52).trace();  // "" calls the listener
    EXPECT_EQ(run(a), "removed\ntrue\ncalled\ntrue\n");
}

TEST(Avm1SemanticsTest, FrameScriptsShareOneStackForTheRestOfTheFrame) {
    ScriptRun run(8);
    Assembler leave;
    leave.push({"left"});
    Assembler take;
    take.trace();
    run(leave);
    EXPECT_EQ(run(take), "left\n");  // a later script of the same frame takes it
    EXPECT_EQ(run(take), "undefined\n");
    run(leave);
    run.host.now += 40;  // the next frame starts with an empty stack
    EXPECT_EQ(run(take), "undefined\n");
    // Functions don't see what their callers left.
    Assembler body;
    body.trace();
    Assembler call;
    call.push({"caller's"}).defineFunction("f", {}, body).push({0, "f"}).op(0x3D).op(0x17);
    EXPECT_EQ(run(call), "undefined\n");
}

TEST(Avm1SemanticsTest, SuperInARegisterOrSuppressedIsNoVariable) {
    ScriptRun run(8);
    struct Case {
        uint16_t flags;
        bool readRegister;
        const char* traced;
    };
    Assembler byName;
    byName.push({"super"}).op(0x1C).op(0x3E);
    Assembler byRegister;
    byRegister.push({testing::Reg{1}}).op(0x3E);
    for (const Case& k : {
             Case{0x00, false, "[object Object]\n"},
             Case{0x20, false, "undefined\n"},  // suppressed
             Case{0x10, false, "undefined\n"},  // preloaded: only the register has it
             Case{0x10, true, "[object Object]\n"},
             Case{0x30, true, "undefined\n"},   // suppressing wins
         }) {
        Assembler a;
        a.push({"o", 0}).op(0x43).op(0x3C);
        a.push({"o"}).op(0x1C).push({"__proto__", 0}).op(0x43).op(0x4F);
        a.push({"o"}).op(0x1C).push({"m"}).defineFunction2("", 2, k.flags, {}, k.readRegister ? byRegister : byName).op(0x4F);
        a.push({0, "o"}).op(0x1C).push({"m"}).op(0x52).trace();
        EXPECT_EQ(run(a), k.traced) << k.flags;
    }
    // parseInt reads a String object by its own text, not through toString.
    Assembler p;
    p.push({"String"}).op(0x1C).push({"prototype"}).op(0x4E).push({"toString", "x", 1, "String"}).op(0x3D).op(0x4F);
    p.push({"12", 1, "String"}).op(0x40).push({1, "parseInt"}).op(0x3D).trace();
    EXPECT_EQ(run(p), "12\n");
}

}  // namespace
}  // namespace kelmora::player::avm1
