// Texts in UTF-16 units and the String methods on hostile arguments, plus the accessors' nesting,
// for the cases the traced corpus does not pin down (broken UTF-8, extreme indexes, recursion).
#include <gtest/gtest.h>

#include <cmath>

#include "Avm1FakeHost.h"
#include "player/avm1/Utf16.h"

namespace kelmora::player::avm1 {
namespace {

using testing::FakeHost;

TEST(Avm1TextTest, Utf16ConversionSurvivesBrokenUtf8) {
    struct Case {
        std::string utf8;
        size_t units;
        std::string back;  // after a round trip
    };
    for (const Case& k : {
             Case{"abc", 3, "abc"},
             Case{"\xC3\xA9", 1, "\xC3\xA9"},                   // é
             Case{"\xF0\x9F\x98\x95", 2, "\xF0\x9F\x98\x95"},   // one astral character, two units
             Case{"\xF0\x9F\x98", 3, "\xC3\xB0\xC2\x9F\xC2\x98"},  // cut short: bytes read as Latin-1
             Case{"\xE2", 1, "\xC3\xA2"},                       // a lead byte at the very end
             Case{"\xC3(", 2, "\xC3\x83("},                     // a lead byte without its follower
             Case{"\xFF\xFE", 2, "\xC3\xBF\xC3\xBE"},
             Case{std::string("a\0b", 3), 3, std::string("a\0b", 3)},
         }) {
        EXPECT_EQ(utf16Length(k.utf8), k.units) << k.utf8;
        EXPECT_EQ(toUtf16(k.utf8).size(), k.units) << k.utf8;
        EXPECT_EQ(fromUtf16(toUtf16(k.utf8)), k.back) << k.utf8;
    }
    // Half of a pair is written as the replacement character.
    EXPECT_EQ(fromUtf16(u"\xD83D"), "\xEF\xBF\xBD");
    EXPECT_EQ(fromUtf16(u"\xDE15x"), "\xEF\xBF\xBDx");
}

struct Strings {
    FakeHost host;
    Interpreter in{host, 8};
    Strings() { host.in = &in; }
    std::string call(std::string_view self, std::string_view method, std::vector<Value> args) {
        Value r = in.callMethodOf(Value(self), method, args);
        return r.isUndefined() ? "undefined" : in.toString(r);
    }
};

TEST(Avm1TextTest, StringMethodsClampExtremeArguments) {
    Strings s;
    const double nan = std::nan("");
    const double inf = INFINITY;
    struct Case {
        const char* method;
        std::vector<Value> args;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"substr", {Value(inf)}, "hello"},  // Infinity converts to 0 as a 32-bit integer
        {"substr", {Value(-1e300), Value(2)}, "he"},
        {"substr", {Value(2), Value(nan)}, ""},
        {"substr", {Value(4294967297.0), Value(2)}, "el"},
        {"substr", {Value(1), Value(-2147483648.0)}, ""},
        {"slice", {Value(-1e300), Value(1e300)}, ""},  // both wrap to 0
        {"slice", {Value(-3)}, "llo"},
        {"slice", {Value(3), Value(1)}, ""},
        {"substring", {Value(4), Value(1)}, "ell"},
        {"substring", {Value(nan), Value(nan)}, ""},
        {"charAt", {Value(-1)}, ""},
        {"charAt", {Value(1e300)}, "h"},
        {"charCodeAt", {Value(99)}, "NaN"},
        {"indexOf", {Value("l"), Value(1e300)}, "2"},
        {"indexOf", {Value(""), Value(6)}, "-1"},
        {"lastIndexOf", {Value("l"), Value(-1)}, "-1"},
        {"lastIndexOf", {Value("l"), Value(2147483647.0)}, "3"},
        {"split", {Value(""), Value(2)}, "h,e"},
        {"split", {Value("l"), Value(-1)}, ""},
        {"split", {Value("l"), Value(1e300)}, ""},
        {"split", {Value("l"), Value(2)}, "he,"},
    };
    for (const Case& k : cases) EXPECT_EQ(s.call("hello", k.method, k.args), k.expected) << k.method;
    // Astral characters count two units; cutting between them leaves a replacement character.
    EXPECT_EQ(s.call("\xF0\x9F\x98\x95!", "substr", {Value(1)}), "\xEF\xBF\xBD!");
    EXPECT_EQ(s.call("\xF0\x9F\x98\x95!", "charCodeAt", {Value(1)}), "56853");
    Value pair[] = {Value(0xD83D), Value(0xDE15)};
    Value joined = s.in.callMethodOf(s.in.getMember(Value(s.in.global()), "String"), "fromCharCode", pair);
    EXPECT_EQ(s.in.toString(joined), "\xF0\x9F\x98\x95");
}

Value selfAssigningSetter(Interpreter& in, const Value& self, std::span<const Value> args) {
    // Writes its own property again, as scripts that store through their own setter do.
    in.setMember(self, "p", args.empty() ? Value() : args[0]);
    return Value();
}
Value selfReadingGetter(Interpreter& in, const Value& self, std::span<const Value>) {
    return Value(in.toString(in.getMember(self, "p")) + "!");
}

TEST(Avm1TextTest, AccessorsThatUseTheirOwnPropertyStopNesting) {
    // SWF 6: inside its accessors the property is its plain slot at once; later movies nest 64
    // calls of each accessor first. Neither reaches the call depth limit.
    for (int version : {6, 7}) {
        FakeHost host;
        Interpreter in{host, version};
        host.in = &in;
        Object* o = in.newObject();
        Value args[] = {Value("p"), Value(in.newFunction(selfReadingGetter)), Value(in.newFunction(selfAssigningSetter))};
        in.callMethodOf(Value(o), "addProperty", args);
        in.setMember(o, "p", Value("x"));
        std::string expected = "x" + std::string(version < 7 ? 1 : 65, '!');
        EXPECT_EQ(in.toString(in.getMember(o, "p")), expected) << version;
        EXPECT_TRUE(host.errors.empty()) << version;
    }
}

}  // namespace
}  // namespace kelmora::player::avm1
