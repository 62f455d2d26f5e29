#include <gtest/gtest.h>

#include "swf/WriterTestBits.h"
#include "swf/writer/ShapeBuilder.h"
#include "swf/writer/SwfWriter.h"

namespace kelmora::swf {
namespace {

using writertest::concat;
using B = std::vector<std::uint8_t>;

B filterBytes(const Filter& f) {
    BitWriter w;
    writeFilterList(w, {f});
    B out = w.take();
    out.erase(out.begin());  // the count
    return out;
}

TEST(SwfWriterFilters, EachFilterLayout) {
    DropShadowFilter shadow;
    shadow.color = {1, 2, 3, 4};
    shadow.blurX = 1;
    shadow.blurY = 2;
    shadow.angle = 0.5;
    shadow.distance = -1;
    shadow.strength = 1.5;
    shadow.innerShadow = true;
    shadow.passes = 3;
    EXPECT_EQ(filterBytes(shadow), (B{0, 1, 2, 3, 4, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0x80, 0, 0, 0, 0, 0xFF, 0xFF, 0x80, 0x01, 0xA3}));

    GlowFilter glow;
    glow.color = {5, 6, 7, 8};
    glow.blurX = glow.blurY = 1;
    glow.knockout = true;
    glow.compositeSource = false;
    glow.passes = 2;
    EXPECT_EQ(filterBytes(glow), (B{2, 5, 6, 7, 8, 0, 0, 1, 0, 0, 0, 1, 0, 0x00, 0x02, 0x42}));

    BevelFilter bevel;
    bevel.blurX = bevel.blurY = 1;
    bevel.angle = 0;
    bevel.distance = 0;
    bevel.onTop = true;
    EXPECT_EQ(filterBytes(bevel), (B{3, 0, 0, 0, 255, 255, 255, 255, 255, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0x00, 0x01, 0xB1}));

    GradientGlowFilter gglow;
    gglow.stops = {{0, {1, 1, 1, 1}}, {255, {2, 2, 2, 2}}};
    gglow.blurX = gglow.blurY = 1;
    gglow.angle = gglow.distance = 0;
    const B gradientTail{2, 1, 1, 1, 1, 2, 2, 2, 2, 0, 255, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x01, 0x21};
    EXPECT_EQ(filterBytes(gglow), concat({B{4}, gradientTail}));
    GradientBevelFilter gbevel;
    static_cast<GradientGlowFilter&>(gbevel) = gglow;
    EXPECT_EQ(filterBytes(gbevel), concat({B{7}, gradientTail}));

    ConvolutionFilter conv;
    conv.matrixX = 1;
    conv.matrixY = 2;
    conv.divisor = 2;
    conv.matrix = {1.0f, -1.0f};
    conv.preserveAlpha = false;
    EXPECT_EQ(filterBytes(conv), (B{5, 1, 2, 0, 0, 0, 0x40, 0, 0, 0, 0, 0, 0, 0x80, 0x3F, 0, 0, 0x80, 0xBF, 0, 0, 0, 0, 0x02}));
    conv.matrix.pop_back();
    EXPECT_THROW(filterBytes(conv), std::invalid_argument);

    const B matrix = filterBytes(ColorMatrixFilter{});
    ASSERT_EQ(matrix.size(), 81u);
    EXPECT_EQ((B{matrix[0], matrix[1], matrix[2], matrix[3], matrix[4]}), (B{6, 0, 0, 0x80, 0x3F}));
}

TEST(SwfWriterTags, ControlTags) {
    Timeline t(10);
    FileAttributes attributes;
    attributes.hasMetadata = true;
    attributes.useNetwork = true;
    ActionBuilder stop;
    stop.stop().end();
    t.fileAttributes(attributes)
        .frameLabel("go", true)
        .sceneAndFrameLabels({{0, "S1"}, {200, "S2"}}, {{5, "x"}})
        .doInitAction(5, stop)
        .exportAssets({{1, "a"}});
    EXPECT_EQ(t.tagBytes(false), (B{0x44, 0x11, 0x11, 0, 0, 0,
                                    0xC4, 0x0A, 'g', 'o', 0, 1,
                                    0x8E, 0x15, 2, 0, 'S', '1', 0, 0xC8, 0x01, 'S', '2', 0, 1, 5, 'x', 0,
                                    0xC4, 0x0E, 5, 0, 0x07, 0x00,
                                    0x06, 0x0E, 1, 0, 1, 0, 'a', 0}));
}

TEST(SwfWriterTags, ShapeTagVersions) {
    LineStyle capped = LineStyle::solid(20, {});
    capped.endCap = CapStyle::Square;
    ShapeBuilder b;
    b.line(b.addLine(capped)).moveTo(0, 0).lineTo(20, 0);
    Timeline t;
    t.defineShape(1, b.build());
    B tags = t.tagBytes(false);
    EXPECT_EQ((tags[0] | tags[1] << 8) >> 6, 83);  // DefineShape4 chosen for the cap style
    EXPECT_EQ(B(tags.begin() + 2, tags.begin() + 13), (B{1, 0, 0x36, 0xCF, 0x6C, 0x50, 0x30, 0x0A, 0, 0, 0x01}));
    b.fillWindingRule();
    Timeline w;
    w.defineShape(1, b.build());
    EXPECT_EQ(w.tagBytes(false)[12], 0x05);

    // Lower versions on request, and by content.
    ShapeBuilder plain;
    plain.fill0(plain.addFill(FillStyle::solid({1, 2, 3, 255}))).circle(0, 0, 1000);
    Timeline v;
    v.defineShape(2, plain.build()).defineShape(3, plain.build(), 3);
    const B vt = v.tagBytes(false);
    EXPECT_EQ((vt[0] | vt[1] << 8) >> 6, 2);
    EXPECT_THROW(v.defineShape(4, plain.build(), 5), std::invalid_argument);
}

TEST(SwfWriterTags, ConvenienceOutlines) {
    ShapeBuilder b;
    b.circle(0, 0, 1000);
    const Shape circle = b.build();
    EXPECT_EQ(circle.edgeBounds, (Rect{-1000, 1000, -1000, 1000}));
    int curves = 0;
    std::int64_t x = 0, y = 0;
    for (const auto& r : circle.records)
        if (const auto* c = std::get_if<CurvedEdge>(&r)) {
            ++curves;
            x += c->controlDx + c->anchorDx;
            y += c->controlDy + c->anchorDy;
        }
    EXPECT_EQ(curves, 8);
    EXPECT_EQ(x, 0);  // closed
    EXPECT_EQ(y, 0);

    ShapeBuilder p;
    p.polygon({{0, 0}, {100, 0}, {50, 80}}).rectPx(1, 1, 2.5, 3);
    const Shape s = p.build();
    EXPECT_EQ(s.edgeBounds, (Rect{0, 100, 0, 80}));
    const auto* last = std::get_if<StraightEdge>(&s.records.back());
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->dy, -60);
    EXPECT_EQ(p.pen(), (std::pair<std::int32_t, std::int32_t>{20, 20}));
}

}  // namespace
}  // namespace kelmora::swf

namespace kelmora::swf {
namespace {

TEST(SwfWriterTags, HeaderExampleBuilds) {
    SwfWriter movie(8);
    movie.frameSizePixels(100, 100).frameRate(24);
    movie.setBackgroundColor(Rgba::fromRgb(0xFFFFFF))
        .defineShape(1, ShapeBuilder::filledRectPx(10, 10, 50, 50, Rgba::fromRgb(0xFF0000)))
        .place(Place::add(1, 1).matrix(Matrix::translatePixels(5, 0)))
        .doAction(ActionBuilder().push("hello").trace().end())
        .showFrame();
    const Bytes file = movie.bytes();
    ASSERT_GT(file.size(), 21u);
    EXPECT_EQ(file[4] | file[5] << 8, static_cast<int>(file.size()));
    EXPECT_EQ(ShapeBuilder::filledRectPx(10, 10, 50, 50, {}).edgeBounds, (Rect{200, 1200, 200, 1200}));
}

}  // namespace
}  // namespace kelmora::swf
