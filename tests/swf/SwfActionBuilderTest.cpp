#include <gtest/gtest.h>

#include <stdexcept>

#include "swf/WriterTestBits.h"
#include "swf/writer/ActionBuilder.h"

namespace kelmora::swf {
namespace {

using writertest::concat;
using B = std::vector<std::uint8_t>;

TEST(SwfActionBuilder, PushValueTypes) {
    EXPECT_EQ(ActionBuilder().push("hello").trace().end().bytes(),
              (B{0x96, 0x07, 0x00, 0x00, 'h', 'e', 'l', 'l', 'o', 0x00, 0x26, 0x00}));
    // Doubles keep the high 32-bit half first; integers are 32-bit little-endian.
    EXPECT_EQ(ActionBuilder().push(1.0).bytes(), (B{0x96, 0x09, 0x00, 0x06, 0x00, 0x00, 0xF0, 0x3F, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(ActionBuilder().push(-2).bytes(), (B{0x96, 0x05, 0x00, 0x07, 0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(ActionBuilder().push({true, PushValue::null(), PushValue::undefined(), PushValue::reg(3),
                                    PushValue::constant(5), PushValue::constant(300), PushValue::float32(1.5f)})
                  .bytes(),
              (B{0x96, 16, 0x00, 0x05, 0x01, 0x02, 0x03, 0x04, 0x03, 0x08, 0x05, 0x09, 0x2C, 0x01, 0x01, 0x00, 0x00, 0xC0,
                 0x3F}));
    EXPECT_EQ(ActionBuilder().constantPool({"a", "bc"}).bytes(), (B{0x88, 0x07, 0x00, 0x02, 0x00, 'a', 0, 'b', 'c', 0}));
}

TEST(SwfActionBuilder, PayloadActions) {
    EXPECT_EQ(ActionBuilder().gotoFrame(258).bytes(), (B{0x81, 0x02, 0x00, 0x02, 0x01}));
    EXPECT_EQ(ActionBuilder().getUrl("u", "_t").bytes(), (B{0x83, 0x05, 0x00, 'u', 0, '_', 't', 0}));
    EXPECT_EQ(ActionBuilder().getUrl2(SendVarsMethod::Post, true, false).bytes(), (B{0x9A, 0x01, 0x00, 0x42}));
    EXPECT_EQ(ActionBuilder().getUrl2(SendVarsMethod::Get, false, true).bytes(), (B{0x9A, 0x01, 0x00, 0x81}));
    EXPECT_EQ(ActionBuilder().gotoFrame2(true).bytes(), (B{0x9F, 0x01, 0x00, 0x01}));
    EXPECT_EQ(ActionBuilder().gotoFrame2(false, 7).bytes(), (B{0x9F, 0x03, 0x00, 0x02, 0x07, 0x00}));
    EXPECT_EQ(ActionBuilder().waitForFrame(4, 2).waitForFrame2(1).bytes(),
              (B{0x8A, 0x03, 0x00, 0x04, 0x00, 0x02, 0x8D, 0x01, 0x00, 0x01}));
    EXPECT_EQ(ActionBuilder().setTarget("/a").gotoLabel("x").storeRegister(2).bytes(),
              (B{0x8B, 0x03, 0x00, '/', 'a', 0, 0x8C, 0x02, 0x00, 'x', 0, 0x87, 0x01, 0x00, 0x02}));
    EXPECT_EQ(ActionBuilder().call().bytes(), (B{0x9E, 0x00, 0x00}));
    EXPECT_THROW(ActionBuilder().op(0x96), std::invalid_argument);
    EXPECT_THROW(ActionBuilder().op(0x07, B{1}), std::invalid_argument);
}

TEST(SwfActionBuilder, BranchOffsets) {
    ActionBuilder ab;
    ab.label("loop").push(1).ifTrue("done").jump("loop").label("done").end();
    // push: 0-7; If: 8-12 (ends at 13); Jump: 13-17 (ends at 18); "done" at 18.
    EXPECT_EQ(ab.bytes(), (B{0x96, 0x05, 0x00, 0x07, 0x01, 0x00, 0x00, 0x00, 0x9D, 0x02, 0x00, 0x05, 0x00, 0x99, 0x02,
                             0x00, 0xEE, 0xFF, 0x00}));
    EXPECT_EQ(ActionBuilder().jump("self").label("self").bytes(), (B{0x99, 0x02, 0x00, 0x00, 0x00}));
    EXPECT_EQ(ActionBuilder().jumpBy(-5).ifTrueBy(3).bytes(), (B{0x99, 0x02, 0x00, 0xFB, 0xFF, 0x9D, 0x02, 0x00, 0x03, 0x00}));
    EXPECT_THROW(ActionBuilder().jump("nowhere").bytes(), std::logic_error);
    EXPECT_THROW(ActionBuilder().label("a").label("a"), std::logic_error);
    ActionBuilder far;
    far.jump("end");
    for (int i = 0; i < 33000; ++i) far.pop();
    far.label("end");
    EXPECT_THROW(far.bytes(), std::logic_error);
}

TEST(SwfActionBuilder, FunctionsAndBlocks) {
    ActionBuilder body;
    body.push("a").getVariable().returnValue();
    const B bodyBytes{0x96, 0x03, 0x00, 0x00, 'a', 0x00, 0x1C, 0x3E};
    EXPECT_EQ(ActionBuilder().defineFunction("f", {"a"}, body).bytes(),
              concat({B{0x9B, 0x08, 0x00, 'f', 0, 0x01, 0x00, 'a', 0, 0x08, 0x00}, bodyBytes}));
    EXPECT_EQ(ActionBuilder().defineFunction2("g", 3, PreloadThis | PreloadGlobal | SuppressArguments,
                                              {{1, "x"}, {0, "y"}}, body)
                  .bytes(),
              concat({B{0x8E, 15, 0x00, 'g', 0, 0x02, 0x00, 0x03, 0x09, 0x01, 0x01, 'x', 0, 0x00, 'y', 0, 0x08, 0x00},
                      bodyBytes}));
    EXPECT_EQ(ActionBuilder().with(body).bytes(), concat({B{0x94, 0x02, 0x00, 0x08, 0x00}, bodyBytes}));

    // A branch inside a body resolves within the body.
    ActionBuilder loop;
    loop.label("top").jump("top");
    EXPECT_EQ(ActionBuilder().defineFunction("", {}, loop).bytes(),
              (B{0x9B, 0x05, 0x00, 0, 0x00, 0x00, 0x05, 0x00, 0x99, 0x02, 0x00, 0xFB, 0xFF}));

    ActionBuilder tryBody, catchBody, finallyBody;
    tryBody.push("t").throwValue();
    catchBody.pop();
    finallyBody.stop();
    EXPECT_EQ(ActionBuilder().tryBlock({&tryBody, &catchBody, &finallyBody, std::string("e")}).bytes(),
              (B{0x8F, 0x09, 0x00, 0x03, 0x07, 0x00, 0x01, 0x00, 0x01, 0x00, 'e', 0, 0x96, 0x03, 0x00, 0x00, 't', 0x00,
                 0x2A, 0x17, 0x07}));
    EXPECT_EQ(ActionBuilder().tryBlock({&tryBody, &catchBody, nullptr, std::uint8_t{4}}).bytes(),
              (B{0x8F, 0x08, 0x00, 0x05, 0x07, 0x00, 0x01, 0x00, 0x00, 0x00, 0x04, 0x96, 0x03, 0x00, 0x00, 't', 0x00,
                 0x2A, 0x17}));
}

}  // namespace
}  // namespace kelmora::swf
