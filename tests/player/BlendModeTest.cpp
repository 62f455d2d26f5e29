#include <gtest/gtest.h>

#include <climits>

#include "player/render/EffectsApi.h"

namespace kelmora::player {
namespace {

uint32_t blendOne(uint32_t src, uint32_t dst, BlendMode mode) {
    PixelBuffer d(1, 1), s(1, 1);
    d.row(0)[0] = dst;
    s.row(0)[0] = src;
    blendLayer(d, s, 0, 0, mode);
    return d.pixel(0, 0);
}

TEST(BlendModeTest, KnownPixelPairs) {
    struct Case {
        BlendMode mode;
        uint32_t src, dst, expected;
    };
    const uint32_t s = 0xFF804020, d = 0xFF4080C0;  // both opaque, worked by hand
    const Case cases[] = {
        {BlendMode::Normal, s, d, s},
        {BlendMode::Layer, s, d, s},
        {BlendMode::Normal, 0x80400000, 0xFF0000FF, 0xFF40007F},
        {BlendMode::Multiply, s, d, 0xFF202018},
        {BlendMode::Screen, s, d, 0xFFA0A0C8},
        {BlendMode::Lighten, s, d, 0xFF8080C0},
        {BlendMode::Darken, s, d, 0xFF404020},
        {BlendMode::Difference, s, d, 0xFF4040A0},
        {BlendMode::Add, s, d, 0xFFC0C0E0},
        {BlendMode::Add, 0xFFC0C0C0, d, 0xFFFFFFFF},
        {BlendMode::Subtract, s, d, 0xFF0040A0},
        {BlendMode::Invert, s, d, 0xFFBF7F3F},
        {BlendMode::Alpha, 0x80FFFFFF, d, 0x80204060},
        {BlendMode::Erase, 0x80FFFFFF, d, 0x7F204060},
        {BlendMode::HardLight, s, d, 0xFF414030},
        {BlendMode::Overlay, s, d, 0xFF404191},
        // Over a transparent picture every separable mode leaves the source as it is.
        {BlendMode::Multiply, 0x80402010, 0, 0x80402010},
        {BlendMode::Screen, 0x80402010, 0, 0x80402010},
        {BlendMode::Darken, 0x80402010, 0, 0x80402010},
        {BlendMode::Difference, 0x80402010, 0, 0x80402010},
        {BlendMode::HardLight, 0x80402010, 0, 0x80402010},
        // A transparent source changes nothing, except in alpha mode where it clears.
        {BlendMode::Multiply, 0, d, d},
        {BlendMode::Erase, 0, d, d},
        {BlendMode::Invert, 0, d, d},
        {BlendMode::Alpha, 0, d, 0},
        // Half-covering multiply: half of the product, half of the picture.
        {BlendMode::Multiply, 0x80400000, 0xFFFFFFFF, 0xFFBF7F7F},
    };
    for (const auto& c : cases)
        EXPECT_EQ(blendOne(c.src, c.dst, c.mode), c.expected)
            << "mode " << int(c.mode) << " src " << std::hex << c.src << " dst " << c.dst;
}

TEST(BlendModeTest, ClipsTheLayerToThePicture) {
    PixelBuffer dst(4, 4), src(3, 3);
    dst.fill(0xFF000000);
    src.fill(0xFFFFFFFF);
    blendLayer(dst, src, -2, -1, BlendMode::Normal);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dst.pixel(x, y), (x < 1 && y < 2) ? 0xFFFFFFFFu : 0xFF000000u) << x << "," << y;

    dst.fill(0xFF000000);
    blendLayer(dst, src, 3, 3, BlendMode::Screen);
    EXPECT_EQ(dst.pixel(3, 3), 0xFFFFFFFFu);
    EXPECT_EQ(dst.pixel(2, 3), 0xFF000000u);

    // Far away or empty: nothing happens, nothing breaks.
    dst.fill(0xFF000000);
    blendLayer(dst, src, INT_MIN, INT_MAX, BlendMode::Add);
    blendLayer(dst, src, INT_MAX, -5, BlendMode::Add);
    blendLayer(dst, src, 4, 0, BlendMode::Add);
    blendLayer(dst, PixelBuffer(), 0, 0, BlendMode::Add);
    PixelBuffer empty;
    blendLayer(empty, src, 0, 0, BlendMode::Add);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.pixel(x, y), 0xFF000000u);
}

}  // namespace
}  // namespace kelmora::player
