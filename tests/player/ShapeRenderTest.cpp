#include <gtest/gtest.h>

#include <map>

#include "ShapeTagWriter.h"
#include "player/shape/PathBuilder.h"
#include "player/shape/ShapeApi.h"
#include "player/shape/ShapeDef.h"

namespace kelmora::player {
namespace {

using testing::TagBits;

constexpr uint32_t kGreen = 0xFF00FF00u;
const Matrix kTwipsToPixels = Matrix::scale(1 / 20.0, 1 / 20.0);

class Bitmaps : public BitmapProvider {
public:
    std::map<uint16_t, PixelBuffer> pictures;
    const PixelBuffer* bitmap(uint16_t id) const override {
        auto it = pictures.find(id);
        return it == pictures.end() ? nullptr : &it->second;
    }
};

PixelBuffer canvas(int w, int h, uint32_t bg = kGreen) {
    PixelBuffer p(w, h);
    p.fill(bg);
    return p;
}

// Channel values of a pixel as {a, r, g, b}.
std::array<int, 4> argb(uint32_t p) { return {alphaOf(p), redOf(p), greenOf(p), blueOf(p)}; }

void expectNear(uint32_t actual, uint32_t expected, int tolerance, const char* what) {
    auto a = argb(actual), e = argb(expected);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(a[i], e[i], tolerance) << what << std::hex << " got " << actual;
}

// Twips rectangle path with the fill on the right side (clockwise) or on the left.
void rect(PathBuilder& b, double x, double y, double w, double h) {
    b.moveTo({x, y});
    b.lineTo({x + w, y});
    b.lineTo({x + w, y + h});
    b.lineTo({x, y + h});
    b.lineTo({x, y});
}

TEST(ShapeRender, SolidFillsFromEitherSideGiveTheSamePicture) {
    // A parsed shape: fill on the right of a clockwise path, and the same on the left of the
    // reversed path.
    auto parse = [](bool left) {
        TagBits w;
        w.u16(1);
        w.rect(0, 400, 0, 400);
        w.u8(1); w.u8(0); w.rgb(255, 0, 0);
        w.u8(0);
        w.shapeBits(1, 0);
        if (left) {
            w.styleChange(true, 50, 50, 1, 0);
            w.line(0, 210); w.line(210, 0); w.line(0, -210); w.line(-210, 0);
        } else {
            w.rectPath(50, 50, 210, 210, 0, 1);
        }
        w.endShape();
        return parseShape(2, w.bytes);
    };
    ShapeRenderer renderer;
    PixelBuffer pictures[2];
    for (int side = 0; side < 2; ++side) {
        auto shape = parse(side == 1);
        ASSERT_TRUE(shape.ok());
        pictures[side] = canvas(20, 20);
        renderer.draw(**shape, kTwipsToPixels, {}, pictures[side], nullptr);
    }
    EXPECT_EQ(pictures[0].pixel(5, 5), 0xFFFF0000u);
    EXPECT_EQ(pictures[0].pixel(1, 1), kGreen);
    EXPECT_EQ(pictures[0].pixel(15, 15), kGreen);
    // Edges at 2.5 and 13 px: half-covered pixels on the left/top.
    expectNear(pictures[0].pixel(2, 5), 0xFF808000u, 2, "half-covered column");
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(pictures[0].pixel(x, y), pictures[1].pixel(x, y)) << x << "," << y;
}

TEST(ShapeRender, AbuttingFillsLeaveNoSeam) {
    // Red and blue share a vertical edge at 7.3 px and a diagonal one, over green.
    PathBuilder b;
    uint16_t red = b.addSolidFill({255, 0, 0, 255}), blue = b.addSolidFill({0, 0, 255, 255});
    b.setStyles(0, red, 0);
    b.moveTo({0, 0});
    b.lineTo({146, 0});
    b.setStyles(blue, red, 0);
    b.lineTo({146, 100});
    b.lineTo({60, 300});
    b.setStyles(0, red, 0);
    b.lineTo({0, 300});
    b.lineTo({0, 0});
    b.setStyles(0, blue, 0);
    b.moveTo({146, 0});
    b.lineTo({300, 0});
    b.lineTo({300, 300});
    b.lineTo({60, 300});
    auto shape = b.build();
    ShapeRenderer renderer;
    PixelBuffer p = canvas(15, 15);
    renderer.draw(*shape, kTwipsToPixels, {}, p, nullptr);
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 15; ++x) {
            EXPECT_LE(greenOf(p.pixel(x, y)), 1) << "background shows through at " << x << "," << y;
            EXPECT_EQ(alphaOf(p.pixel(x, y)), 255);
        }
    }
    expectNear(p.pixel(7, 2), 0xFF4D00B3u, 3, "shared edge pixel: 0.3 red, 0.7 blue");
}

TEST(ShapeRender, HolesAndStyleChangesMidShape) {
    PathBuilder b;
    uint16_t red = b.addSolidFill({255, 0, 0, 255}), blue = b.addSolidFill({0, 0, 255, 255});
    b.setStyles(0, red, 0);
    rect(b, 0, 0, 200, 200);
    // Inner square drawn the same way round but with the fill on the other side: a hole.
    b.setStyles(red, 0, 0);
    rect(b, 60, 60, 80, 80);
    b.setStyles(0, blue, 0);
    rect(b, 300, 0, 100, 100);
    ShapeRenderer renderer;
    PixelBuffer p = canvas(20, 10);
    renderer.draw(*b.build(), kTwipsToPixels, {}, p, nullptr);
    EXPECT_EQ(p.pixel(1, 1), 0xFFFF0000u);
    EXPECT_EQ(p.pixel(5, 5), kGreen);
    EXPECT_EQ(p.pixel(17, 2), 0xFF0000FFu);
}

TEST(ShapeRender, ColourTransformAndTranslucentFills) {
    PathBuilder b;
    b.setStyles(0, b.addSolidFill({200, 100, 50, 255}), 0);
    rect(b, 0, 0, 200, 200);
    ShapeRenderer renderer;
    PixelBuffer p = canvas(10, 10, 0);
    ColorTransform cx;
    cx.rMult = 128;
    cx.gAdd = 20;
    cx.aMult = 128;
    renderer.draw(*b.build(), kTwipsToPixels, cx, p, nullptr);
    // r 100, g 120, b 50 at alpha 128, premultiplied
    expectNear(p.pixel(5, 5), packArgb(128, 50, 60, 25), 1, "transformed colour");
    PixelBuffer solid = canvas(10, 10, 0);
    renderer.drawSolid(*b.build(), kTwipsToPixels, {0, 0, 255, 255}, solid);
    EXPECT_EQ(solid.pixel(5, 5), 0xFF0000FFu);
}

FillStyle gradient(FillStyle::Kind kind, SpreadMode spread, Matrix m) {
    FillStyle f;
    f.kind = kind;
    f.matrix = m;
    f.gradient.spread = spread;
    f.gradient.stops = {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}};
    return f;
}

TEST(ShapeRender, GradientEndsMiddleAndSpreadModes) {
    // The gradient square (32768 twips) squeezed to 100 px wide, centred at 100 px, over a
    // shape 300 px wide: the ramp runs from x=50 to x=150.
    Matrix m = Matrix::translate(2000, 0) * Matrix::scale(2000 / 32768.0, 1);
    struct Case {
        SpreadMode spread;
        uint32_t at20;   // before the start
        uint32_t at160;  // just past the end
        uint32_t at190;
    } cases[] = {
        {SpreadMode::Pad, 0xFFFF0000u, 0xFF0000FFu, 0xFF0000FFu},
        {SpreadMode::Repeat, 0xFF4B00B4u, 0xFFE6001Au, 0xFF980067u},
        {SpreadMode::Reflect, 0xFFB4004Bu, 0xFF1A00E6u, 0xFF670098u},
    };
    ShapeRenderer renderer;
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.spread));
        PathBuilder b;
        b.setStyles(0, b.addFill(gradient(FillStyle::Kind::LinearGradient, c.spread, m)), 0);
        rect(b, 0, 0, 6000, 200);
        PixelBuffer p = canvas(300, 10);
        renderer.draw(*b.build(), kTwipsToPixels, {}, p, nullptr);
        expectNear(p.pixel(20, 5), c.at20, 2, "before the start");
        expectNear(p.pixel(100, 5), 0xFF800080u, 3, "middle");
        expectNear(p.pixel(160, 5), c.at160, 4, "past the end");
        expectNear(p.pixel(190, 5), c.at190, 4, "further");
    }
}

TEST(ShapeRender, RadialAndFocalGradients) {
    // Radius 100 px centred at (100, 100).
    Matrix m = Matrix::translate(2000, 2000) * Matrix::scale(2000 / 16384.0, 2000 / 16384.0);
    ShapeRenderer renderer;
    for (auto kind : {FillStyle::Kind::RadialGradient, FillStyle::Kind::FocalGradient}) {
        FillStyle f = gradient(kind, SpreadMode::Pad, m);
        f.gradient.focalPoint = kind == FillStyle::Kind::FocalGradient ? 0.5 : 0;
        PathBuilder b;
        b.setStyles(0, b.addFill(f), 0);
        rect(b, 0, 0, 4000, 4000);
        PixelBuffer p = canvas(200, 200);
        renderer.draw(*b.build(), kTwipsToPixels, {}, p, nullptr);
        if (kind == FillStyle::Kind::RadialGradient) {
            expectNear(p.pixel(100, 100), 0xFFFF0000u, 3, "centre");
            expectNear(p.pixel(150, 100), 0xFF800080u, 4, "half radius");
        } else {
            expectNear(p.pixel(150, 100), 0xFFFF0000u, 3, "focal point");
            // From the focus at 150 px the rim on the left is 150 px away: the centre is a third of the way.
            expectNear(p.pixel(100, 100), 0xFFAA0055u, 4, "centre");
        }
        expectNear(p.pixel(1, 1), 0xFF0000FFu, 0, "outside the circle");
    }
}

TEST(ShapeRender, LinearRgbInterpolationIsBrighterInTheMiddle) {
    FillStyle f = gradient(FillStyle::Kind::LinearGradient, SpreadMode::Pad,
                           Matrix::translate(1000, 0) * Matrix::scale(2000 / 32768.0, 1));
    f.gradient.interpolation = InterpolationMode::LinearRgb;
    PathBuilder b;
    b.setStyles(0, b.addFill(f), 0);
    rect(b, 0, 0, 2000, 200);
    ShapeRenderer renderer;
    PixelBuffer p = canvas(100, 10);
    renderer.draw(*b.build(), kTwipsToPixels, {}, p, nullptr);
    expectNear(p.pixel(50, 5), 0xFFBC00BCu, 3, "sRGB of the linear mid-point");
}

TEST(ShapeRender, BitmapFillsRepeatOrClampAndSmooth) {
    Bitmaps bitmaps;
    PixelBuffer bmp(2, 2);
    bmp.row(0)[0] = 0xFFFF0000u; bmp.row(0)[1] = 0xFF00FF00u;
    bmp.row(1)[0] = 0xFF0000FFu; bmp.row(1)[1] = 0x80808080u;  // translucent grey, premultiplied
    bitmaps.pictures[5] = bmp;
    ShapeRenderer renderer;
    for (int type = 0; type < 3; ++type) {
        SCOPED_TRACE(type);
        FillStyle f;
        f.kind = FillStyle::Kind::Bitmap;
        f.bitmapId = 5;
        f.matrix = Matrix::scale(80, 80);  // one bitmap pixel = 4 target pixels
        f.bitmapRepeat = type != 1;
        f.bitmapSmooth = type == 2;
        PathBuilder b;
        b.setStyles(0, b.addFill(f), 0);
        rect(b, 0, 0, 320, 320);
        PixelBuffer p = canvas(16, 16, 0);
        renderer.draw(*b.build(), kTwipsToPixels, {}, p, &bitmaps);
        if (type == 2) {
            // Bilinear: the centre of the picture mixes all four pixels.
            expectNear(p.pixel(4, 4) , 0xE0605F80u, 40, "smoothed centre");
            EXPECT_GT(redOf(p.pixel(2, 2)), 180) << "smoothed corner keeps mostly its colour";
            continue;
        }
        EXPECT_EQ(p.pixel(1, 1), 0xFFFF0000u);
        EXPECT_EQ(p.pixel(5, 1), 0xFF00FF00u);
        EXPECT_EQ(p.pixel(1, 5), 0xFF0000FFu);
        EXPECT_EQ(p.pixel(5, 5), 0x80808080u);
        // Past the bitmap's right edge: repeats (red again) or repeats the edge column (green).
        EXPECT_EQ(p.pixel(9, 1), type == 0 ? 0xFFFF0000u : 0xFF00FF00u);
        EXPECT_EQ(p.pixel(14, 14), 0x80808080u);
    }
    // Missing bitmaps draw nothing; colour transforms apply to the unpremultiplied pixel.
    FillStyle f;
    f.kind = FillStyle::Kind::Bitmap;
    f.bitmapId = 5;
    f.matrix = Matrix::scale(80, 80);
    PathBuilder b;
    b.setStyles(0, b.addFill(f), 0);
    rect(b, 0, 0, 320, 320);
    PixelBuffer p = canvas(16, 16, 0);
    renderer.draw(*b.build(), kTwipsToPixels, {}, p, nullptr);
    EXPECT_EQ(p.pixel(1, 1), 0u);
    ColorTransform cx;
    cx.bAdd = 255;
    f.bitmapSmooth = false;
    PathBuilder b2;
    b2.setStyles(0, b2.addFill(f), 0);
    rect(b2, 0, 0, 320, 320);
    renderer.draw(*b2.build(), kTwipsToPixels, cx, p, &bitmaps);
    EXPECT_EQ(p.pixel(1, 1), 0xFFFF00FFu);
    EXPECT_EQ(p.pixel(5, 5), 0x808080FFu - 0x7Fu);
}

TEST(ShapeRender, SmoothedBitmapsStayExactAcrossLongSpans) {
    // A 201x4 ramp (grey level = column) stretched so that each target pixel falls between
    // two bitmap pixels and a step along the span is a poor binary fraction; every sample must
    // match bilinear mixing at its own position, from the first pixel of the span to the last
    // (no drift from stepping along the span).
    Bitmaps bitmaps;
    PixelBuffer bmp(201, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 201; ++x) bmp.row(y)[x] = packArgb(255, uint8_t(x), uint8_t(x), uint8_t(x));
    bitmaps.pictures[7] = bmp;
    FillStyle f;
    f.kind = FillStyle::Kind::Bitmap;
    f.bitmapId = 7;
    const double scale = 256 / 74.5;  // target pixels per bitmap pixel
    f.matrix = Matrix::scale(20 * scale, 20 * scale);
    PathBuilder b;
    b.setStyles(0, b.addFill(f), 0);
    rect(b, 0, 0, 20 * 700, 20 * 8);
    PixelBuffer p = canvas(700, 8, 0);
    ShapeRenderer renderer;
    renderer.draw(*b.build(), kTwipsToPixels, {}, p, &bitmaps);
    for (int x = 10; x < 700; x += 37) {
        double u = (x + 0.5) / scale - 0.5;
        int u0 = int(std::floor(u));
        double t = u - u0;
        double want = u0 * (1 - t) + std::min(u0 + 1, 200) * t;
        EXPECT_NEAR(redOf(p.pixel(x, 4)), want, 1.01) << "x " << x;
    }
}

TEST(ShapeRender, StrokeWidthsCapsAndHairlines) {
    ShapeRenderer renderer;
    struct Case {
        uint16_t width;
        CapStyle cap;
        int yInside, yOutside;  // rows that must / must not be painted at x=10
        bool paintedPastEnd;    // x=31 (the line ends at 30)
    } cases[] = {
        {100, CapStyle::None, 12, 13, false},  // 5 px wide around y=10: 7.5..12.5
        {100, CapStyle::Square, 12, 13, true},
        {100, CapStyle::Round, 12, 13, true},
        {0, CapStyle::Round, 10, 11, false},  // hairline: one pixel
        {4, CapStyle::None, 10, 11, false},   // thinner than a pixel: drawn one pixel wide
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        SCOPED_TRACE(int(c.cap));
        PathBuilder b;
        LineStyle line;
        line.width = c.width;
        line.color = {0, 0, 0, 255};
        line.startCap = line.endCap = c.cap;
        b.setStyles(0, 0, b.addLine(line));
        b.moveTo({100, 210});
        b.lineTo({600, 210});
        PixelBuffer p = canvas(40, 25);
        renderer.draw(*b.build(), kTwipsToPixels, {}, p, nullptr);
        EXPECT_EQ(p.pixel(10, c.yInside), 0xFF000000u);
        EXPECT_EQ(p.pixel(10, c.yOutside), kGreen);
        EXPECT_EQ(p.pixel(10, 10), 0xFF000000u);
        EXPECT_EQ(p.pixel(31, 10) != kGreen, c.paintedPastEnd);
    }
}

TEST(ShapeRender, StrokesDrawAboveFillsAndLaterLayersAboveEarlier) {
    PathBuilder b;
    uint16_t red = b.addSolidFill({255, 0, 0, 255});
    uint16_t black = b.addLine(40, {0, 0, 0, 255});
    b.setStyles(0, red, black);
    rect(b, 100, 100, 200, 200);
    b.newStyles();
    b.setStyles(0, b.addSolidFill({0, 0, 255, 255}), 0);
    rect(b, 200, 200, 200, 200);
    ShapeRenderer renderer;
    PixelBuffer p = canvas(25, 25);
    renderer.draw(*b.build(), kTwipsToPixels, {}, p, nullptr);
    EXPECT_EQ(p.pixel(7, 7), 0xFFFF0000u);
    EXPECT_EQ(p.pixel(5, 7), 0xFF000000u);      // stroke over the fill's edge
    EXPECT_EQ(p.pixel(15, 12), 0xFF0000FFu);    // second layer over the first layer's stroke
    EXPECT_EQ(p.pixel(22, 22), kGreen);
}

TEST(ShapeRender, CubicCurvesAndHostileGeometryAreSafe) {
    PathBuilder b;
    b.setStyles(0, b.addSolidFill({255, 0, 0, 255}), 0);
    // A circle of radius 100 px from four cubics.
    const double r = 2000, k = 0.5523 * r, cx = 2000, cy = 2000;
    b.moveTo({cx + r, cy});
    b.cubicTo({cx + r, cy + k}, {cx + k, cy + r}, {cx, cy + r});
    b.cubicTo({cx - k, cy + r}, {cx - r, cy + k}, {cx - r, cy});
    b.cubicTo({cx - r, cy - k}, {cx - k, cy - r}, {cx, cy - r});
    b.cubicTo({cx + k, cy - r}, {cx + r, cy - k}, {cx + r, cy});
    auto shape = b.build();
    ShapeRenderer renderer;
    PixelBuffer p = canvas(200, 200);
    renderer.draw(*shape, kTwipsToPixels, {}, p, nullptr);
    EXPECT_EQ(p.pixel(100, 100), 0xFFFF0000u);
    EXPECT_EQ(p.pixel(100, 3), 0xFFFF0000u);
    EXPECT_EQ(p.pixel(15, 15), kGreen);
    EXPECT_NEAR(shapeBounds(*shape).xMax, 4000, 1);
    // Huge, degenerate and non-finite transforms neither crash nor hang.
    for (Matrix m : {Matrix::scale(1e9, 1e9), Matrix::scale(0, 0), Matrix{1e-30, 0, 0, 1e-30, 1e12, -1e12},
                     Matrix{std::nan(""), 0, 0, 1, 0, 0}}) {
        renderer.draw(*shape, m, {}, p, nullptr);
    }
    PixelBuffer empty;
    renderer.draw(*shape, kTwipsToPixels, {}, empty, nullptr);
}

}  // namespace
}  // namespace kelmora::player

namespace kelmora::player {
namespace {

TEST(ShapeRender, LowQualityDrawsWholePixelsByTheirCentres) {
    PathBuilder b;
    b.setStyles(0, b.addSolidFill({255, 0, 0, 255}), 0);
    rect(b, 50, 50, 210, 210);  // 2.5 .. 13 px
    ShapeRenderer renderer;
    renderer.setQuality(DrawQuality::Low);
    EXPECT_EQ(renderer.quality(), DrawQuality::Low);
    PixelBuffer p = canvas(20, 20);
    renderer.draw(*b.build(), kTwipsToPixels, {}, p, nullptr);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            // A centre exactly on the left/top edge is inside; the right/bottom edge at 13 leaves
            // pixel 12 (centre 12.5) inside and 13 outside. Coverage decides, not a true centre
            // sample, so the corner pixel whose centre is on both edges (a quarter covered) stays out.
            if (x == 2 && y == 2) continue;
            bool inside = x >= 2 && x <= 12 && y >= 2 && y <= 12;
            ASSERT_EQ(p.pixel(x, y), inside ? 0xFFFF0000u : kGreen) << x << "," << y;
        }
    }
}

TEST(ShapeRender, GradientRampsFollowFlashsRulesForOddRatios) {
    Gradient g;
    // Two stops at 0, then a ratio (100) below the one before it (128).
    g.stops = {{0, {255, 0, 0, 255}}, {0, {0, 255, 0, 255}}, {128, {0, 0, 255, 255}}, {100, {0, 0, 0, 255}},
               {255, {255, 255, 255, 128}}};
    GradientRamp ramp;
    buildGradientRamp(g, ramp);
    EXPECT_EQ(ramp[0], 0xFFFF0000u);
    EXPECT_EQ(ramp[1], 0xFF00FD02u);  // the last stop at 0 blends towards blue from 0
    // Up to 128 the first stop at or past the entry is the blue one at 128: green to blue; the
    // black stop at 100 only starts the blend that follows it.
    EXPECT_EQ(ramp[100], 0xFF0038C7u);
    EXPECT_EQ(ramp[128], 0xFF0000FFu);
    EXPECT_EQ(ramp[129], 0xE72B2B2Bu);  // black towards half-transparent white
    EXPECT_EQ(ramp[255], 0x80808080u);  // premultiplied
    ColorTransform cx;
    cx.rMult = 0;
    buildGradientRamp(g, cx, ramp);
    EXPECT_EQ(ramp[0], 0xFF000000u);

    // Entries past the last stop in file order take that stop's colour, even when an earlier
    // stop has a higher ratio.
    g.stops = {{0, {255, 0, 0, 255}}, {200, {0, 0, 255, 255}}, {150, {255, 255, 0, 255}}};
    buildGradientRamp(g, ramp);
    EXPECT_EQ(ramp[200], 0xFF0000FFu);
    EXPECT_EQ(ramp[201], 0xFFFFFF00u);

    // Three stops at 60: the first two are one-entry bands, the third starts the next blend at 60.
    g.stops = {{0, {0, 0, 0, 255}}, {60, {255, 0, 0, 255}}, {60, {0, 255, 0, 255}}, {60, {0, 0, 255, 255}},
               {255, {0, 0, 0, 255}}};
    buildGradientRamp(g, ramp);
    EXPECT_EQ(ramp[59], 0xFFFB0000u);
    EXPECT_EQ(ramp[60], 0xFFFF0000u);
    EXPECT_EQ(ramp[61], 0xFF00FF00u);
    EXPECT_EQ(ramp[62], 0xFF0000FCu);
}

TEST(ShapeRender, StretchedStrokesStretchAndNoScaleStrokesKeepTheirLeastWidth) {
    // A 5x5 px square stroked 2 px wide (40 twips), drawn stretched. No-scale strokes are
    // divided by the least stretch: a uniform scale keeps them at 2 px, a stretch still widens
    // them along the stretched axis (as a skewed clip's no-scale circle shows in Flash).
    struct Case {
        bool noScale;
        double sx, sy;
        int vertical, horizontal;  // widths of the left side and the top side, pixels
    } cases[] = {
        {false, 4, 1, 8, 2}, {true, 4, 1, 8, 2}, {false, 2, 2, 4, 4}, {true, 2, 2, 2, 2}, {true, 6, 2, 6, 2},
    };
    ShapeRenderer renderer;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.noScale << " " << c.sx << "x" << c.sy);
        PathBuilder b;
        LineStyle line;
        line.width = 40;
        line.noHScale = line.noVScale = c.noScale;
        b.setStyles(0, 0, b.addLine(line));
        rect(b, 100, 100, 100, 100);
        PixelBuffer p = canvas(80, 40);
        renderer.draw(*b.build(), Matrix::scale(c.sx / 20.0, c.sy / 20.0), {}, p, nullptr);
        const int midY = int(7.5 * c.sy), midX = int(7.5 * c.sx);
        int vertical = 0, horizontal = 0;
        for (int x = 0; x < 80; ++x) vertical += alphaOf(p.pixel(x, midY)) == 255 && greenOf(p.pixel(x, midY)) == 0 && x < midX;
        for (int y = 0; y < midY; ++y) horizontal += greenOf(p.pixel(midX, y)) == 0;
        EXPECT_EQ(vertical, c.vertical);
        EXPECT_EQ(horizontal, c.horizontal);
    }
}

}  // namespace
}  // namespace kelmora::player

namespace kelmora::player {
namespace {

TEST(ShapeRender, OverlapsOfOneFillAreEvenOddUnlessTheShapeAsksForNonZero) {
    ShapeRenderer renderer;
    for (bool nonZero : {false, true}) {
        PathBuilder b;
        b.setNonZeroWinding(nonZero);
        b.setStyles(0, b.addSolidFill({255, 0, 0, 255}), 0);
        rect(b, 0, 0, 200, 200);
        rect(b, 100, 100, 200, 200);
        PixelBuffer p = canvas(20, 20);
        renderer.draw(*b.build(), kTwipsToPixels, {}, p, nullptr);
        EXPECT_EQ(p.pixel(2, 2), 0xFFFF0000u);
        EXPECT_EQ(p.pixel(7, 7), nonZero ? 0xFFFF0000u : kGreen) << nonZero;
    }
}

}  // namespace
}  // namespace kelmora::player
