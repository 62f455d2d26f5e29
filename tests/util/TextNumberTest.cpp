#include "util/TextNumber.h"

#include <gtest/gtest.h>

using namespace kelmora;

TEST(TextNumber, LeadingNumberTakesTheNumericPrefix) {
    EXPECT_EQ(leadingNumber("12abc"), 12);
    EXPECT_EQ(leadingNumber("  7.9"), 7.9);
    EXPECT_EQ(leadingNumber("-3 frames"), -3);
    EXPECT_EQ(leadingNumber("1e3x"), 1000);
    EXPECT_EQ(leadingNumber("1e"), 1);
    EXPECT_EQ(leadingNumber("abc"), 0);
    EXPECT_EQ(leadingNumber(""), 0);
    EXPECT_EQ(leadingNumber("-"), 0);
    EXPECT_EQ(leadingNumber("1e999"), 0);  // not finite: treated as no number
}

TEST(TextNumber, ParseNumberNeedsTheWholeText) {
    EXPECT_EQ(parseNumber("80"), 80);
    EXPECT_EQ(parseNumber(" 1.5 "), 1.5);
    EXPECT_EQ(parseNumber("-5"), -5);
    EXPECT_FALSE(parseNumber("abc"));
    EXPECT_FALSE(parseNumber(""));
    EXPECT_FALSE(parseNumber("12abc"));
    EXPECT_FALSE(parseNumber("."));
}

TEST(TextNumber, RoundingGoesHalfToEven) {
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(550.5), 550);
    EXPECT_DOUBLE_EQ(roundHalfEven(0.125, 2), 0.12);
    EXPECT_DOUBLE_EQ(roundHalfEven(0.135, 2), 0.14);
    EXPECT_EQ(toInt16Saturated(40000), 32767);
    EXPECT_EQ(toInt16Saturated(-40000), -32768);
    EXPECT_EQ(toInt16Saturated(7.9), 7);
}
