#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "FilterTestSupport.h"

namespace kelmora::player {
namespace {

using testing::Bytes;

Bytes everyKind() {
    Bytes b;
    b.u8(8);
    // drop shadow: colour, blur 4/6, angle pi/4, distance 5, strength 1.5, inner+knockout, 3 passes
    b.u8(0).rgba(10, 20, 30, 200).fixed(4).fixed(6).fixed(0.785398).fixed(5).fixed8(1.5).u8(0xC0 | 0x20 | 3);
    // blur 10/2, 2 passes
    b.u8(1).fixed(10).fixed(2).u8(2 << 3);
    // glow: colour, blur 3/3, strength 2, no flags but composite, 1 pass
    b.u8(2).rgba(255, 0, 0, 255).fixed(3).fixed(3).fixed8(2).u8(0x20 | 1);
    // bevel: shadow then highlight, blur, angle, distance, strength, onTop, 1 pass
    b.u8(3).rgba(0, 0, 0, 255).rgba(255, 255, 255, 255).fixed(5).fixed(5).fixed(0).fixed(2).fixed8(1).u8(0x10 | 0x20 | 1);
    // gradient glow: two stops
    b.u8(4).u8(2).rgba(255, 255, 255, 0).rgba(255, 0, 0, 255).u8(0).u8(255);
    b.fixed(4).fixed(4).fixed(0).fixed(0).fixed8(1).u8(0x20 | 2);
    // convolution 3x1
    b.u8(5).u8(3).u8(1).f32(2).f32(1).f32(1).f32(0).f32(1).rgba(1, 2, 3, 4).u8(0x02);
    // colour matrix: identity
    b.u8(6);
    for (int i = 0; i < 20; ++i) b.f32(i % 6 == 0 ? 1.0f : 0.0f);
    // gradient bevel: three stops
    b.u8(7).u8(3).rgba(255, 255, 255, 255).rgba(0, 0, 0, 0).rgba(0, 0, 0, 255).u8(0).u8(128).u8(255);
    b.fixed(4).fixed(4).fixed(0.5).fixed(3).fixed8(1).u8(0x80 | 0x20 | 1);
    return b;
}

TEST(FilterListTest, ReadsEveryKindOfFilter) {
    Bytes b = everyKind();
    BitReader r(b.data);
    auto list = readFilterList(r);
    EXPECT_FALSE(r.failed());
    EXPECT_TRUE(r.atEnd());
    ASSERT_EQ(list.size(), 8u);

    const Filter& shadow = list[0];
    EXPECT_EQ(shadow.kind, Filter::Kind::DropShadow);
    EXPECT_EQ(shadow.color, (Rgba{10, 20, 30, 200}));
    EXPECT_DOUBLE_EQ(shadow.blurX, 4);
    EXPECT_DOUBLE_EQ(shadow.blurY, 6);
    EXPECT_NEAR(shadow.angle, 0.785398, 1e-4);
    EXPECT_DOUBLE_EQ(shadow.distance, 5);
    EXPECT_DOUBLE_EQ(shadow.strength, 1.5);
    EXPECT_TRUE(shadow.inner);
    EXPECT_TRUE(shadow.knockout);
    EXPECT_TRUE(shadow.compositeSource);
    EXPECT_EQ(shadow.passes, 3);

    EXPECT_EQ(list[1].kind, Filter::Kind::Blur);
    EXPECT_DOUBLE_EQ(list[1].blurX, 10);
    EXPECT_EQ(list[1].passes, 2);

    EXPECT_EQ(list[2].kind, Filter::Kind::Glow);
    EXPECT_DOUBLE_EQ(list[2].strength, 2);
    EXPECT_FALSE(list[2].inner);
    EXPECT_EQ(list[2].passes, 1);

    const Filter& bevel = list[3];
    EXPECT_EQ(bevel.color, (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(bevel.highlight, (Rgba{255, 255, 255, 255}));
    EXPECT_TRUE(bevel.onTop);
    EXPECT_DOUBLE_EQ(bevel.distance, 2);

    ASSERT_EQ(list[4].gradient.size(), 2u);
    EXPECT_EQ(list[4].gradient[1].ratio, 255);
    EXPECT_EQ(list[4].passes, 2);

    const Filter& conv = list[5];
    EXPECT_EQ(conv.matrixX, 3);
    EXPECT_EQ(conv.matrixY, 1);
    EXPECT_DOUBLE_EQ(conv.divisor, 2);
    EXPECT_DOUBLE_EQ(conv.bias, 1);
    EXPECT_EQ(conv.matrix, (std::vector<float>{1, 0, 1}));
    EXPECT_EQ(conv.defaultColor, (Rgba{1, 2, 3, 4}));
    EXPECT_TRUE(conv.clamp);
    EXPECT_FALSE(conv.preserveAlpha);

    EXPECT_EQ(list[6].matrix.size(), 20u);
    EXPECT_EQ(list[7].kind, Filter::Kind::GradientBevel);
    EXPECT_EQ(list[7].gradient[1].ratio, 128);
    EXPECT_TRUE(list[7].inner);

    // Seeds for the fuzz target, when the suite is asked for them.
    if (const char* dir = std::getenv("KELMORA_SEED_DIR")) {
        auto folder = std::filesystem::path(dir) / "fuzz_filters";
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "every_kind.bin", std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data.data()), static_cast<std::streamsize>(b.data.size()));
    }
}

TEST(FilterListTest, HostileListsStopWithoutCrashing) {
    {  // a count of 255 with nothing behind it
        Bytes b;
        b.u8(255);
        BitReader r(b.data);
        EXPECT_TRUE(readFilterList(r).empty());
        EXPECT_TRUE(r.failed());
    }
    {  // the second record is cut short: the first is kept
        Bytes b;
        b.u8(2).u8(1).fixed(4).fixed(4).u8(1 << 3).u8(0).rgba(0, 0, 0, 255).fixed(4);
        BitReader r(b.data);
        auto list = readFilterList(r);
        EXPECT_EQ(list.size(), 1u);
        EXPECT_TRUE(r.failed());
    }
    {  // an unknown kind ends the list, since its length is unknown
        Bytes b;
        b.u8(2).u8(9).u8(1).fixed(4).fixed(4).u8(8);
        BitReader r(b.data);
        EXPECT_TRUE(readFilterList(r).empty());
    }
    {  // a 255x255 convolution with no matrix behind it costs nothing
        Bytes b;
        b.u8(1).u8(5).u8(255).u8(255).f32(1).f32(0);
        BitReader r(b.data);
        EXPECT_TRUE(readFilterList(r).empty());
        EXPECT_TRUE(r.failed());
    }
    {  // an oversized convolution is read past and dropped, the next filter still counts
        Bytes b;
        b.u8(2).u8(5).u8(16).u8(1).f32(1).f32(0);
        for (int i = 0; i < 16; ++i) b.f32(1);
        b.rgba(0, 0, 0, 0).u8(0);
        b.u8(1).fixed(2).fixed(2).u8(1 << 3);
        BitReader r(b.data);
        auto list = readFilterList(r);
        EXPECT_FALSE(r.failed());
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].kind, Filter::Kind::Blur);
    }
    {  // more filters than the cap: the rest are read past
        Bytes b;
        b.u8(40);
        for (int i = 0; i < 40; ++i) b.u8(1).fixed(2).fixed(2).u8(1 << 3);
        BitReader r(b.data);
        EXPECT_EQ(readFilterList(r).size(), static_cast<size_t>(kMaxFilters));
        EXPECT_TRUE(r.atEnd());
    }
    {  // absurd blur and distance values are held to the reach cap
        Bytes b;
        b.u8(1).u8(0).rgba(0, 0, 0, 255).fixed(30000).fixed(-5).fixed(0).fixed(-30000).fixed8(1).u8(0x21);
        BitReader r(b.data);
        auto list = readFilterList(r);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_DOUBLE_EQ(list[0].blurX, kMaxFilterReach);
        EXPECT_DOUBLE_EQ(list[0].blurY, 0);
        EXPECT_DOUBLE_EQ(list[0].distance, -kMaxFilterReach);
    }
}

TEST(FilterListTest, MarginsCoverWhatTheFiltersDraw) {
    // Blur 9, 1 pass: 4 px a side; 3 passes: 12.
    Rect m = filterMargins({testing::blurFilter(9, 5, 1)}, 1, 1);
    EXPECT_EQ(m, (Rect{4, 2, 4, 2}));
    m = filterMargins({testing::blurFilter(9, 9, 3)}, 1, 1);
    EXPECT_EQ(m, (Rect{12, 12, 12, 12}));
    // Scale applies beyond a blur of 1: (9 - 1) * 2 + 1 = 17 wide, 8 a side.
    m = filterMargins({testing::blurFilter(9, 9, 1)}, 2, 2);
    EXPECT_EQ(m, (Rect{8, 8, 8, 8}));

    Filter shadow;
    shadow.kind = Filter::Kind::DropShadow;
    shadow.blurX = shadow.blurY = 3;
    shadow.angle = 0;  // to the right
    shadow.distance = 5;
    m = filterMargins({shadow}, 1, 1);
    EXPECT_EQ(m, (Rect{1, 1, 6, 1}));
    shadow.inner = true;  // stays inside
    EXPECT_EQ(filterMargins({shadow}, 1, 1), Rect{});

    Filter bevel = shadow;
    bevel.kind = Filter::Kind::Bevel;
    bevel.inner = false;
    m = filterMargins({bevel}, 1, 1);
    EXPECT_EQ(m, (Rect{6, 1, 6, 1}));

    // Filters add up; colour filters need no room.
    Filter matrix;
    matrix.kind = Filter::Kind::ColorMatrix;
    m = filterMargins({testing::blurFilter(9, 9, 1), matrix, testing::blurFilter(5, 5, 1)}, 1, 1);
    EXPECT_EQ(m, (Rect{6, 6, 6, 6}));
}

}  // namespace
}  // namespace kelmora::player
