#include <gtest/gtest.h>

#include "ShapeTagWriter.h"
#include "player/shape/ShapeApi.h"
#include "player/shape/ShapeDef.h"

namespace kelmora::player {
namespace {

using testing::TagBits;

// DefineShape{1,3}: one solid fill, one line style, a 100x60 twip rectangle.
std::vector<uint8_t> rectShape(int version) {
    TagBits w;
    w.u16(7);
    w.rect(0, 100, 0, 60);
    w.u8(1);
    w.u8(0x00);
    if (version >= 3) w.rgba(10, 20, 30, 40); else w.rgb(10, 20, 30);
    w.u8(1);
    w.u16(40);
    if (version >= 3) w.rgba(1, 2, 3, 4); else w.rgb(1, 2, 3);
    w.shapeBits(1, 1);
    w.rectPath(0, 0, 100, 60, 0, 1, 1);
    w.curve(10, 10, 10, -10);
    w.endShape();
    return w.bytes;
}

TEST(ShapeParser, ReadsStylesAndEdgesOfEachVersion) {
    for (int version : {1, 3}) {
        SCOPED_TRACE(version);
        auto r = parseShape(version == 1 ? 2 : 32, rectShape(version));
        ASSERT_TRUE(r.ok()) << r.error().message;
        const ShapeDef& s = **r;
        EXPECT_EQ(s.id, 7);
        EXPECT_EQ(s.bounds, (Rect{0, 0, 100, 60}));
        EXPECT_FALSE(s.truncated);
        ASSERT_EQ(s.layers.size(), 1u);
        const ShapeLayer& l = s.layers[0];
        ASSERT_EQ(l.fills.size(), 1u);
        EXPECT_EQ(l.fills[0].color, (Rgba{10, 20, 30, uint8_t(version >= 3 ? 40 : 255)}));
        ASSERT_EQ(l.lines.size(), 1u);
        EXPECT_EQ(l.lines[0].width, 40);
        ASSERT_EQ(l.edges.size(), 5u);
        EXPECT_EQ(l.edges[1].from.x, 100);
        EXPECT_EQ(l.edges[1].to.y, 60);
        EXPECT_EQ(l.edges[1].fill1, 1);
        EXPECT_EQ(l.edges[1].fill0, 0);
        EXPECT_TRUE(l.edges[4].curved);
        EXPECT_EQ(l.edges[4].control.x, 10);
        EXPECT_EQ(l.edges[4].to.x, 20);
        EXPECT_EQ(l.edges[4].to.y, 0);
        EXPECT_EQ(l.strokeOrder.size(), 5u);
        EXPECT_EQ(shapeBounds(s), s.bounds);
    }
}

TEST(ShapeParser, ReadsShape4LineStylesAndGradients) {
    TagBits w;
    w.u16(1);
    w.rect(0, 100, 0, 100);
    w.rect(10, 90, 10, 90);
    w.ub(5, 0); w.ub(1, 1); w.ub(1, 0); w.ub(1, 1);
    w.u8(2);
    w.u8(0x13);  // focal gradient
    w.identityMatrix();
    w.ub(2, 1); w.ub(2, 1); w.ub(4, 2);  // reflect, linear RGB, 2 stops
    w.u8(0); w.rgba(255, 0, 0, 255);
    w.u8(255); w.rgba(0, 0, 255, 128);
    w.u16(static_cast<uint16_t>(-128));  // focal -0.5
    w.u8(0x42);  // repeating, not smoothed bitmap
    w.u16(9);
    w.matrix(20, 20, 0, 0);
    w.u8(1);
    w.u16(60);
    w.ub(2, 2); w.ub(2, 2); w.ub(1, 0); w.ub(1, 1); w.ub(1, 1); w.ub(1, 1); w.ub(5, 0); w.ub(1, 1); w.ub(2, 1);
    w.u16(3 * 256 + 128);  // miter limit 3.5
    w.rgba(9, 8, 7, 6);
    w.shapeBits(2, 1);
    w.rectPath(0, 0, 50, 50, 1, 0, 1);
    w.endShape();
    auto r = parseShape(83, w.bytes);
    ASSERT_TRUE(r.ok()) << r.error().message;
    const ShapeDef& s = **r;
    EXPECT_EQ(s.version, 4);
    EXPECT_EQ(s.edgeBounds, (Rect{10, 10, 90, 90}));
    EXPECT_TRUE(s.usesFillWindingRule);
    EXPECT_TRUE(s.usesScalingStrokes);
    const ShapeLayer& l = s.layers[0];
    ASSERT_EQ(l.fills.size(), 2u);
    EXPECT_EQ(l.fills[0].kind, FillStyle::Kind::FocalGradient);
    EXPECT_EQ(l.fills[0].gradient.spread, SpreadMode::Reflect);
    EXPECT_EQ(l.fills[0].gradient.interpolation, InterpolationMode::LinearRgb);
    ASSERT_EQ(l.fills[0].gradient.stops.size(), 2u);
    EXPECT_EQ(l.fills[0].gradient.stops[1].color, (Rgba{0, 0, 255, 128}));
    EXPECT_DOUBLE_EQ(l.fills[0].gradient.focalPoint, -0.5);
    EXPECT_EQ(l.fills[0].ramp[0], 0xFFFF0000u);
    EXPECT_EQ(l.fills[1].kind, FillStyle::Kind::Bitmap);
    EXPECT_EQ(l.fills[1].bitmapId, 9);
    EXPECT_TRUE(l.fills[1].bitmapRepeat);
    EXPECT_FALSE(l.fills[1].bitmapSmooth);
    EXPECT_EQ(l.fills[1].matrix.a, 20);
    ASSERT_EQ(l.lines.size(), 1u);
    const LineStyle& line = l.lines[0];
    EXPECT_EQ(line.startCap, CapStyle::Square);
    EXPECT_EQ(line.endCap, CapStyle::None);
    EXPECT_EQ(line.join, JoinStyle::Miter);
    EXPECT_DOUBLE_EQ(line.miterLimit, 3.5);
    EXPECT_TRUE(line.noHScale);
    EXPECT_TRUE(line.noVScale);
    EXPECT_TRUE(line.pixelHinting);
    EXPECT_TRUE(line.noClose);
    EXPECT_FALSE(line.hasFill);
    EXPECT_EQ(line.color, (Rgba{9, 8, 7, 6}));
    EXPECT_EQ(l.edges.size(), 4u);
}

TEST(ShapeParser, NewStyleArraysStartLayersAndBadIndexesAreIgnored) {
    TagBits all;
    all.u16(1);
    all.rect(0, 100, 0, 100);
    all.u8(1); all.u8(0); all.rgb(255, 0, 0);
    all.u8(0);
    all.shapeBits(2, 0);
    all.rectPath(0, 0, 10, 10, 0, 1);
    all.rectPath(20, 0, 10, 10, 0, 3);
    all.styleChange(true, 40, 0, 2, -1, -1, true);
    all.u8(2); all.u8(0); all.rgb(0, 255, 0); all.u8(0); all.rgb(0, 0, 255);
    all.u8(0);
    all.align();
    all.ub(4, 2); all.ub(4, 0);
    all.line(10, 0); all.line(0, 10); all.line(-10, 0); all.line(0, -10);
    all.endShape();
    auto r = parseShape(22, all.bytes);
    ASSERT_TRUE(r.ok());
    const ShapeDef& s = **r;
    ASSERT_EQ(s.layers.size(), 2u);
    // The rectangle with fill 3 has no fill on either side and is dropped.
    EXPECT_EQ(s.layers[0].edges.size(), 4u);
    ASSERT_EQ(s.layers[1].fills.size(), 2u);
    ASSERT_EQ(s.layers[1].edges.size(), 4u);
    EXPECT_EQ(s.layers[1].edges[0].fill0, 2);
    EXPECT_EQ(s.layers[1].edges[0].from.x, 40);
    EXPECT_FALSE(s.truncated);
}

TEST(ShapeParser, CutShortRecordsKeepWhatWasReadAndBadTagsFail) {
    auto full = rectShape(1);
    auto r = parseShape(2, std::span<const uint8_t>(full).first(full.size() - 4));
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE((*r)->truncated);
    EXPECT_GE((*r)->layers[0].edges.size(), 2u);
    EXPECT_LT((*r)->layers[0].edges.size(), 5u);

    EXPECT_FALSE(parseShape(2, std::span<const uint8_t>(full).first(3)).ok());
    EXPECT_FALSE(parseShape(99, full).ok());
    // Styles cut short: no edges, no crash.
    auto styles = parseShape(2, std::span<const uint8_t>(full).first(12));
    ASSERT_TRUE(styles.ok());
    EXPECT_TRUE((*styles)->truncated);
    // Every prefix parses without reading past the span (checked under ASan).
    for (size_t n = 0; n <= full.size(); ++n) (void)parseShape(2, std::span<const uint8_t>(full).first(n));
}

TEST(ShapeParser, GlyphsUseOneImplicitFill) {
    TagBits w;
    w.shapeBits(1, 0);
    w.styleChange(true, 0, 0, 1);
    w.line(100, 0); w.line(0, 100); w.line(-100, 0); w.line(0, -100);
    w.endShape();
    auto r = parseGlyph(w.bytes);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ((*r)->layers[0].fills.size(), 1u);
    EXPECT_EQ((*r)->layers[0].edges.size(), 4u);
    EXPECT_EQ(shapeBounds(**r), (Rect{0, 0, 100, 100}));
}

}  // namespace
}  // namespace kelmora::player
