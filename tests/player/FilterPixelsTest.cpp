#include <gtest/gtest.h>

#include <cmath>

#include "FilterTestSupport.h"
#include "player/render/FilterPixels.h"

namespace kelmora::player {
namespace {

using testing::blurFilter;
using testing::pictureWithSquare;
using testing::totalAlpha;

TEST(FilterBlurTest, SpreadsEvenlyAndKeepsTheTotal) {
    // No blur at all: widths of 0 and 1, or no passes.
    PixelBuffer dot = pictureWithSquare(21, 21, 10, 10, 11, 11);
    for (auto f : {blurFilter(0, 0, 1), blurFilter(1, 1, 3), blurFilter(8, 8, 0)}) {
        PixelBuffer p = dot;
        applyFilters(p, {f}, 1, 1);
        EXPECT_EQ(p.pixel(10, 10), 0xFFFFFFFFu);
        EXPECT_EQ(totalAlpha(p), 255u);
    }

    // A 5-wide box: 25 pixels of 255/25 around the dot, nothing beyond.
    PixelBuffer p = dot;
    applyFilters(p, {blurFilter(5, 5, 1)}, 1, 1);
    EXPECT_EQ(alphaOf(p.pixel(10, 10)), 10);
    EXPECT_EQ(alphaOf(p.pixel(8, 12)), 10);
    EXPECT_EQ(alphaOf(p.pixel(7, 10)), 0);
    EXPECT_EQ(p.pixel(12, 12), 0x0A0A0A0Au);  // premultiplied stays premultiplied

    // Three passes of a wide blur: symmetric about the dot, the total kept but for truncation
    // (under one step per touched pixel and direction and pass, as Flash truncates too).
    PixelBuffer big = pictureWithSquare(41, 41, 18, 18, 23, 23);
    uint64_t before = totalAlpha(big);
    applyFilters(big, {blurFilter(6, 6, 3)}, 1, 1);
    uint64_t touched = 0;
    for (int y = 0; y < 41; ++y)
        for (int x = 0; x < 41; ++x) touched += big.pixel(x, y) != 0;
    EXPECT_LE(totalAlpha(big), before);
    EXPECT_GE(totalAlpha(big) + 6 * touched, before);
    EXPECT_EQ(alphaOf(big.pixel(8, 20)), 0);  // reach: 3 passes of 3 pixels a side
    EXPECT_GT(alphaOf(big.pixel(11, 20)), 0);
    for (int d = 1; d < 18; ++d) {
        EXPECT_EQ(big.pixel(20 - d, 20), big.pixel(20 + d, 20)) << d;
        EXPECT_EQ(big.pixel(20, 20 - d), big.pixel(20, 20 + d)) << d;
        // Rows and columns round separately: across the diagonal, within one step.
        EXPECT_NEAR(alphaOf(big.pixel(20 - d, 20)), alphaOf(big.pixel(20, 20 - d)), 1) << d;
        EXPECT_GE(alphaOf(big.pixel(20 - d + 1, 20)), alphaOf(big.pixel(20 - d, 20))) << d;
    }
    // Fractional widths blur a little more than the whole width below them.
    PixelBuffer a = dot, b = dot;
    applyFilters(a, {blurFilter(3, 1, 1)}, 1, 1);
    applyFilters(b, {blurFilter(3.5, 1, 1)}, 1, 1);
    EXPECT_GT(alphaOf(b.pixel(8, 10)), 0);
    EXPECT_EQ(alphaOf(a.pixel(8, 10)), 0);
    EXPECT_LT(alphaOf(b.pixel(10, 10)), alphaOf(a.pixel(10, 10)));
    // Blur along one axis only.
    PixelBuffer h = dot;
    applyFilters(h, {blurFilter(5, 0, 2)}, 1, 1);
    EXPECT_GT(alphaOf(h.pixel(6, 10)), 0);
    EXPECT_EQ(alphaOf(h.pixel(10, 9)), 0);
}

Filter shadowFilter(Filter::Kind kind, double degrees, double distance) {
    Filter f;
    f.kind = kind;
    f.color = {0, 0, 0, 255};
    f.highlight = {255, 255, 255, 255};
    f.angle = degrees * M_PI / 180;
    f.distance = distance;
    f.blurX = f.blurY = 0;
    f.passes = 1;
    return f;
}

TEST(FilterShadowTest, DropShadowFallsAtTheAngleAndHonoursItsFlags) {
    const uint32_t red = 0xFFFF0000;
    PixelBuffer square = pictureWithSquare(30, 30, 10, 10, 16, 16, red);
    Filter f = shadowFilter(Filter::Kind::DropShadow, 45, 4);  // sqrt(8) each way: 3 px

    PixelBuffer p = square;
    applyFilters(p, {f}, 1, 1);
    EXPECT_EQ(p.pixel(12, 12), red);            // the object stays on top
    EXPECT_EQ(p.pixel(17, 17), 0xFF000000u);    // shadow down and right
    EXPECT_EQ(p.pixel(18, 18), 0xFF000000u);
    EXPECT_EQ(p.pixel(19, 19), 0u);
    EXPECT_EQ(p.pixel(9, 9), 0u);               // nothing up and left

    // Twice the scale moves it twice as far.
    p = square;
    applyFilters(p, {f}, 2, 2);
    EXPECT_EQ(p.pixel(20, 20), 0xFF000000u);

    // Knockout: the shadow with the object cut out of it.
    Filter k = f;
    k.knockout = true;
    p = square;
    applyFilters(p, {k}, 1, 1);
    EXPECT_EQ(p.pixel(12, 12), 0u);
    EXPECT_EQ(p.pixel(15, 15), 0u);
    EXPECT_EQ(p.pixel(17, 17), 0xFF000000u);

    // Hidden object: the whole shadow, the object gone.
    Filter hide = f;
    hide.compositeSource = false;
    p = square;
    applyFilters(p, {hide}, 1, 1);
    EXPECT_EQ(p.pixel(15, 15), 0xFF000000u);
    EXPECT_EQ(p.pixel(11, 11), 0u);

    // Inner: the shadow of the outside falls into the top left edge of the object, and never outside.
    Filter inner = f;
    inner.inner = true;
    p = square;
    applyFilters(p, {inner}, 1, 1);
    EXPECT_EQ(p.pixel(10, 10), 0xFF000000u);
    EXPECT_EQ(p.pixel(12, 12), 0xFF000000u);
    EXPECT_EQ(p.pixel(14, 14), red);
    EXPECT_EQ(p.pixel(17, 17), 0u);
    inner.knockout = true;
    p = square;
    applyFilters(p, {inner}, 1, 1);
    EXPECT_EQ(p.pixel(14, 14), 0u);
    EXPECT_EQ(p.pixel(10, 10), 0xFF000000u);

    // Strength multiplies the shadow's alpha, clamped; the colour's alpha scales it.
    Filter soft = f;
    soft.color = {0, 0, 255, 128};
    soft.blurX = soft.blurY = 4;
    soft.knockout = true;
    PixelBuffer weak = square, strong = square;
    applyFilters(weak, {soft}, 1, 1);
    soft.strength = 8;
    applyFilters(strong, {soft}, 1, 1);
    EXPECT_LT(alphaOf(weak.pixel(17, 17)), 128);
    EXPECT_EQ(strong.pixel(17, 17), 0x80000080u);
}

TEST(FilterShadowTest, GlowSurroundsAndBevelLightsTheFacingEdges) {
    PixelBuffer square = pictureWithSquare(30, 30, 10, 10, 20, 20, 0xFF808080);
    Filter glow = shadowFilter(Filter::Kind::Glow, 45, 4);  // a glow has no distance
    glow.color = {0, 255, 0, 255};
    glow.blurX = glow.blurY = 5;
    glow.strength = 2;
    PixelBuffer p = square;
    applyFilters(p, {glow}, 1, 1);
    EXPECT_EQ(p.pixel(15, 15), 0xFF808080u);
    EXPECT_EQ(p.pixel(8, 15), p.pixel(21, 15));
    EXPECT_EQ(p.pixel(15, 8), p.pixel(15, 21));
    EXPECT_GT(greenOf(p.pixel(9, 15)), 0);
    EXPECT_EQ(redOf(p.pixel(9, 15)), 0);

    // Inner bevel lit from the top left: highlight there, shadow bottom right, middle untouched.
    Filter bevel = shadowFilter(Filter::Kind::Bevel, 45, 2);
    bevel.inner = true;
    bevel.blurX = bevel.blurY = 2;
    p = square;
    applyFilters(p, {bevel}, 1, 1);
    EXPECT_GT(redOf(p.pixel(10, 10)), 0xC0);
    EXPECT_LT(redOf(p.pixel(19, 19)), 0x40);
    EXPECT_EQ(p.pixel(15, 15), 0xFF808080u);
    EXPECT_EQ(p.pixel(8, 8), 0u);  // inner: nothing outside
    // Outer bevel: drawn outside the object too, under it.
    bevel.inner = false;
    p = square;
    applyFilters(p, {bevel}, 1, 1);
    EXPECT_EQ(p.pixel(15, 15), 0xFF808080u);
    EXPECT_GT(alphaOf(p.pixel(9, 9)), 0);
    // Full bevel knocked out: the whole effect, inside and outside, without the object.
    bevel.onTop = true;
    bevel.knockout = true;
    p = square;
    applyFilters(p, {bevel}, 1, 1);
    EXPECT_EQ(p.pixel(15, 15), 0u);
    EXPECT_GT(alphaOf(p.pixel(10, 10)), 0xC0);
    EXPECT_GT(alphaOf(p.pixel(9, 9)), 0);

    // Measured on the reference player: a 10 px black square at twice the size, inner bevel with
    // blur 2, distance 1, angle 0 puts the shadow colour on the right edge at 1/3, 2/3, 1 of it.
    PixelBuffer black = pictureWithSquare(30, 30, 5, 5, 25, 25, 0xFF000000);
    Filter measured = shadowFilter(Filter::Kind::Bevel, 0, 1);
    measured.inner = true;
    measured.blurX = measured.blurY = 2;
    measured.highlight = {0, 0, 0, 255};
    measured.color = {255, 0, 255, 255};
    applyFilters(black, {measured}, 2, 2);
    EXPECT_EQ(black.pixel(21, 15), 0xFF000000u);
    EXPECT_EQ(black.pixel(22, 15), 0xFF550055u);
    EXPECT_EQ(black.pixel(23, 15), 0xFFAA00AAu);
    EXPECT_EQ(black.pixel(24, 15), 0xFFFF00FFu);
    EXPECT_EQ(black.pixel(24, 5), 0xFFAA00AAu);  // the top row has only 2/3 of the blurred alpha
    EXPECT_EQ(black.pixel(25, 15), 0u);

    // Gradient glow: alpha picks a colour from the ramp (here the last stop, solid blue).
    Filter gg = glow;
    gg.kind = Filter::Kind::GradientGlow;
    gg.blurX = gg.blurY = 0;
    gg.knockout = true;
    gg.inner = true;
    gg.gradient = {{{255, 0, 0, 0}, 0}, {{0, 0, 255, 255}, 255}};
    p = square;
    applyFilters(p, {gg}, 1, 1);
    // Inner with no blur or distance sees no outside at all.
    EXPECT_EQ(p.pixel(15, 15), 0u);
    gg.inner = false;
    gg.knockout = false;
    gg.compositeSource = false;
    p = square;
    applyFilters(p, {gg}, 1, 1);
    EXPECT_EQ(p.pixel(15, 15), 0xFF0000FFu);
    EXPECT_EQ(p.pixel(5, 5), 0u);
}

TEST(FilterColorTest, ColorMatrixAndConvolution) {
    PixelBuffer p(3, 1);
    p.row(0)[0] = 0xFF804020;
    p.row(0)[1] = 0x80400000;  // half-transparent red 128
    p.row(0)[2] = 0;
    PixelBuffer orig = p;

    Filter identity;
    identity.kind = Filter::Kind::ColorMatrix;
    identity.matrix = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
    applyFilters(p, {identity}, 1, 1);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(p.pixel(x, 0), orig.pixel(x, 0)) << x;

    // Grey from luminance weights, and an offset in 0..255 units on unpremultiplied colour.
    Filter grey = identity;
    grey.matrix = {0.25f, 0.5f, 0.25f, 0, 0, 0.25f, 0.5f, 0.25f, 0, 0, 0.25f, 0.5f, 0.25f, 0, 0, 0, 0, 0, 1, 0};
    p = orig;
    applyFilters(p, {grey}, 1, 1);
    EXPECT_EQ(p.pixel(0, 0), 0xFF484848u);  // 32 + 32 + 8
    Filter offset = identity;
    offset.matrix[14] = 255;  // blue full
    p = orig;
    applyFilters(p, {offset}, 1, 1);
    EXPECT_EQ(p.pixel(1, 0), 0x80400080u);
    EXPECT_EQ(p.pixel(2, 0), 0u);

    // Convolution: a 3x1 matrix that takes the left neighbour.
    PixelBuffer row(3, 1);
    row.row(0)[0] = 0xFF0000FF;
    row.row(0)[1] = 0xFF00FF00;
    row.row(0)[2] = 0xFFFF0000;
    Filter conv;
    conv.kind = Filter::Kind::Convolution;
    conv.matrixX = 3;
    conv.matrixY = 1;
    conv.matrix = {1, 0, 0};
    conv.divisor = 1;
    conv.bias = 0;
    conv.preserveAlpha = false;
    conv.clamp = true;
    p = row;
    applyFilters(p, {conv}, 1, 1);
    EXPECT_EQ(p.pixel(0, 0), 0xFF0000FFu);  // edge repeats itself
    EXPECT_EQ(p.pixel(1, 0), 0xFF0000FFu);
    EXPECT_EQ(p.pixel(2, 0), 0xFF00FF00u);
    conv.clamp = false;
    conv.defaultColor = {255, 255, 0, 255};
    p = row;
    applyFilters(p, {conv}, 1, 1);
    EXPECT_EQ(p.pixel(0, 0), 0xFFFFFF00u);  // beyond the edge: the default colour
    // Identity kernel, divisor and bias.
    conv.matrix = {0, 2, 0};
    conv.divisor = 2;
    conv.bias = 0;
    p = row;
    applyFilters(p, {conv}, 1, 1);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(p.pixel(x, 0), row.pixel(x, 0)) << x;
    conv.matrix = {0, 1, 0};
    conv.divisor = 1;
    conv.bias = 16;
    conv.preserveAlpha = true;
    p = row;
    applyFilters(p, {conv}, 1, 1);
    EXPECT_EQ(p.pixel(0, 0), 0xFF1010FFu);
}

}  // namespace
}  // namespace kelmora::player

namespace kelmora::player {
namespace {

TEST(FilterPixelMathTest, PackedScalingAndOverMatchChannelByChannel) {
    // Every channel value against every factor, and src-over for valid and over-bright pixels.
    auto slowScale = [](uint32_t p, uint32_t k) {
        return packArgb(uint8_t(mul255(alphaOf(p), k)), uint8_t(mul255(redOf(p), k)), uint8_t(mul255(greenOf(p), k)),
                        uint8_t(mul255(blueOf(p), k)));
    };
    for (uint32_t v = 0; v < 256; ++v)
        for (uint32_t k = 0; k < 256; ++k) {
            uint32_t p = packArgb(uint8_t(v), uint8_t(255 - v), uint8_t(v / 2), uint8_t(v ^ 0x5A));
            ASSERT_EQ(scalePixel(p, k), slowScale(p, k)) << v << " " << k;
        }
    for (uint32_t sa = 0; sa < 256; sa += 5)
        for (uint32_t d = 0; d < 256; d += 17) {
            const uint32_t dst = packArgb(255, uint8_t(d), uint8_t(255 - d), 128);
            for (uint32_t src : {packArgb(uint8_t(sa), uint8_t(sa), uint8_t(sa / 3), 0),
                                 packArgb(uint8_t(sa), 255, 255, uint8_t(sa))}) {  // the second is over-bright
                ASSERT_EQ(overPixel(src, dst), addPixels(src, slowScale(dst, 255 - sa))) << sa << " " << d;
            }
        }
}

}  // namespace
}  // namespace kelmora::player
