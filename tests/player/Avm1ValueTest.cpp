#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Avm1FakeHost.h"
#include "player/avm1/Value.h"

namespace kelmora::player::avm1 {
namespace {

TEST(Avm1ValueTest, NumbersPrintAsThePlayerPrintsThem) {
    struct Case {
        double n;
        const char* text;
    } cases[] = {
        {0, "0"}, {-0.0, "0"}, {1, "1"}, {-5, "-5"}, {0.1 + 0.2, "0.3"}, {1.0 / 3, "0.333333333333333"},
        {123456789012345, "123456789012345"}, {1e15, "1e+15"}, {1e21, "1e+21"}, {2.5e-7, "2.5e-7"},
        {0.0001, "0.0001"}, {1e-5, "0.00001"}, {1e-6, "1e-6"}, {123.456, "123.456"}, {-1.5e300, "-1.5e+300"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN"}, {std::numeric_limits<double>::infinity(), "Infinity"},
        {-std::numeric_limits<double>::infinity(), "-Infinity"}, {4294967296, "4294967296"},
    };
    for (auto& c : cases) EXPECT_EQ(numberToString(c.n), c.text) << c.text;
    EXPECT_EQ(numberToString(255, 16), "ff");
    EXPECT_EQ(numberToString(-255, 2), "-11111111");
    EXPECT_EQ(numberToString(10.9, 8), "12");
}

TEST(Avm1ValueTest, TextToNumberFollowsEachVersionsRules) {
    struct Case {
        const char* text;
        int version;
        double expected;  // NaN expected when isnan
    } cases[] = {
        {"12", 7, 12}, {"  12", 7, 12}, {"12 ", 7, NAN}, {"1.5e3", 7, 1500}, {"0x1A", 7, 26}, {"0x1A", 5, NAN},
        {"-0x10", 7, NAN}, {"0x-10", 7, -16}, {"010", 7, 8}, {" 010", 7, 10}, {"010", 5, 10}, {"019", 7, 19}, {"", 7, NAN}, {"", 4, 0},
        {"150a", 7, NAN}, {"150a", 4, 150}, {"ab", 4, 0}, {"0x96", 4, 0}, {".5", 6, 0.5}, {"-", 7, NAN},
        {"Infinity", 7, NAN}, {"0xFFFFFFFF", 8, -1},
    };
    for (auto& c : cases) {
        double v = stringToNumber(c.text, c.version);
        if (std::isnan(c.expected)) EXPECT_TRUE(std::isnan(v)) << c.text << " v" << c.version;
        else EXPECT_EQ(v, c.expected) << c.text << " v" << c.version;
    }
    EXPECT_EQ(toInt32(4294967297.0), 1);
    EXPECT_EQ(toInt32(-1.9), -1);
    EXPECT_EQ(toInt32(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(toUint32(-1), 4294967295u);
}

TEST(Avm1ValueTest, ConversionsDependOnTheMovieVersion) {
    testing::FakeHost host;
    Interpreter v6(host, 6), v7(host, 7);
    EXPECT_FALSE(v6.toBoolean(Value("true")));  // via the number NaN
    EXPECT_TRUE(v6.toBoolean(Value("1")));
    EXPECT_TRUE(v7.toBoolean(Value("true")));
    EXPECT_FALSE(v7.toBoolean(Value("")));
    EXPECT_EQ(v6.toNumber(Value()), 0);
    EXPECT_TRUE(std::isnan(v7.toNumber(Value())));
    EXPECT_EQ(v6.toString(Value()), "");
    EXPECT_EQ(v7.toString(Value()), "undefined");
    EXPECT_EQ(v7.toString(Value(v7.newObject())), "[object Object]");
    EXPECT_EQ(v7.toString(Value::null()), "null");
    EXPECT_TRUE(v7.equals(Value(), Value::null()));
    EXPECT_TRUE(v7.equals(Value(1.0), Value("1")));
    EXPECT_TRUE(v7.equals(Value(true), Value(1.0)));
    EXPECT_FALSE(v7.strictEquals(Value(1.0), Value("1")));
    EXPECT_TRUE(v7.lessThan(Value("a"), Value("b")).boolean());
    EXPECT_TRUE(v7.lessThan(Value(1.0), Value(std::nan(""))).isUndefined());
    EXPECT_EQ(v7.add(Value("a"), Value(1.0)).string(), "a1");
    EXPECT_EQ(v7.add(Value(2.0), Value(true)).number(), 3);
    EXPECT_EQ(v6.typeOf(Value(v6.clipObject(1))), "movieclip");
}

}  // namespace
}  // namespace kelmora::player::avm1
