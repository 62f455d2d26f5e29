#include "swf/BinaryString.h"

#include <gtest/gtest.h>

using namespace kelmora::swf;

TEST(BinaryString, DigitsAndBack) {
    struct Case {
        int16_t value;
        const char* digits;
    };
    const Case cases[] = {
        {0, "00000000"},     {1, "00000001"},       {5, "00000101"},          {255, "11111111"},
        {256, "100000000"},  {300, "100101100"},    {11000, "10101011111000"}, {32767, "111111111111111"},
        {-1, "00000001"},  // only the lowest bit of a negative value
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toBinaryString(c.value), c.digits) << c.value;
        if (c.value >= 0) {
            EXPECT_EQ(fromBinaryString(c.digits), static_cast<uint64_t>(c.value)) << c.value;
        }
    }
    EXPECT_EQ(fromBinaryString(""), 0u);
    EXPECT_EQ(fromBinaryString("1x1"), 5u);  // other characters keep their place but add nothing
    EXPECT_EQ(fromBinaryString("1111111111111111111111111111111"), 0x7FFFFFFFu);
    EXPECT_EQ(fromBinaryString(std::string(70, '1')), UINT64_MAX);  // places past 63 add nothing
}
