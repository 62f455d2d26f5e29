#include <gtest/gtest.h>

#include "ShapeTagWriter.h"
#include "player/shape/MorphShapeDef.h"
#include "player/shape/ShapeApi.h"

namespace kelmora::player {
namespace {

using testing::TagBits;

// A 200x200 twip square at (0,0) turning into one at (400,0), red to blue; version 2 adds a
// line style 40 -> 80 twips wide. The end shape's first edge is a curve (bulging up).
std::vector<uint8_t> morphTag(int version) {
    TagBits w;
    w.u16(3);
    w.rect(0, 200, 0, 200);
    w.rect(400, 600, -100, 200);
    if (version == 2) {
        w.rect(0, 200, 0, 200);
        w.rect(400, 600, -100, 200);
        w.u8(0);
    }
    TagBits styles;
    styles.u8(1);
    styles.u8(0x00);
    styles.rgba(255, 0, 0, 255);
    styles.rgba(0, 0, 255, 255);
    styles.u8(1);
    styles.u16(40);
    styles.u16(80);
    if (version == 2) {
        styles.ub(2, 1); styles.ub(2, 0); styles.ub(1, 0); styles.ub(3, 0); styles.ub(5, 0); styles.ub(1, 0);
        styles.ub(2, 1);
    }
    styles.rgba(0, 0, 0, 255);
    styles.rgba(0, 0, 0, 255);
    styles.shapeBits(1, 1);
    styles.rectPath(0, 0, 200, 200, 0, 1, 1);
    styles.endShape();
    w.u32(static_cast<uint32_t>(styles.bytes.size()));
    w.bytes.insert(w.bytes.end(), styles.bytes.begin(), styles.bytes.end());
    TagBits end;
    end.shapeBits(0, 0);
    end.styleChange(true, 400, 0);
    end.curve(100, -100, 100, 100);
    end.line(0, 200); end.line(-200, 0); end.line(0, -200);
    end.endShape();
    w.bytes.insert(w.bytes.end(), end.bytes.begin(), end.bytes.end());
    return w.bytes;
}

TEST(MorphShape, ParsesAndPairsEdges) {
    for (int version : {1, 2}) {
        SCOPED_TRACE(version);
        auto r = parseMorphShape(version == 1 ? 46 : 84, morphTag(version));
        ASSERT_TRUE(r.ok()) << r.error().message;
        const MorphShapeDef& m = **r;
        EXPECT_EQ(m.id, 3);
        EXPECT_FALSE(m.truncated);
        ASSERT_EQ(m.startFills.size(), 1u);
        EXPECT_EQ(m.endFills[0].color, (Rgba{0, 0, 255, 255}));
        ASSERT_EQ(m.startLines.size(), 1u);
        EXPECT_EQ(m.endLines[0].width, 80);
        if (version == 2) {
            EXPECT_EQ(m.startLines[0].endCap, CapStyle::None);
        }
        ASSERT_EQ(m.startEdges.size(), 4u);
        ASSERT_EQ(m.endEdges.size(), 4u);
        // The first start edge is straight; its partner is curved, so both are curves now.
        EXPECT_TRUE(m.startEdges[0].curved);
        EXPECT_EQ(m.startEdges[0].control.x, 100);
        EXPECT_EQ(m.endEdges[0].control.y, -100);
        EXPECT_EQ(m.endEdges[3].to.x, 400);

        ShapeLayer half;
        interpolateMorph(m, 0.5, half);
        EXPECT_EQ(half.fills[0].color, (Rgba{128, 0, 128, 255}));
        EXPECT_EQ(half.lines[0].width, 60);
        EXPECT_EQ(half.edges[1].from.x, 400);
        EXPECT_EQ(morphBounds(m, 0.5), (Rect{200, -50, 400, 200}));
        EXPECT_EQ(morphBounds(m, 7.0), m.endBounds);
    }
}

TEST(MorphShape, DrawsAtAnyRatio) {
    auto r = parseMorphShape(46, morphTag(1));
    ASSERT_TRUE(r.ok());
    ShapeRenderer renderer;
    struct Case {
        double ratio;
        int x;  // a pixel inside the square
        uint32_t color;
    } cases[] = {{0, 5, 0xFFFF0000u}, {0.5, 15, 0xFF800080u}, {1, 25, 0xFF0000FFu}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ratio);
        PixelBuffer p(40, 12);
        p.fill(0xFFFFFFFFu);
        renderer.drawMorph(**r, c.ratio, Matrix::scale(0.05, 0.05), {}, p, nullptr);
        EXPECT_EQ(p.pixel(c.x, 6), c.color);
        EXPECT_EQ(p.pixel(c.x + 10, 6), 0xFFFFFFFFu);
        EXPECT_EQ(p.pixel(c.x, 10), 0xFF000000u);  // the bottom stroke
    }
}

TEST(MorphShape, CutShortOrHostileTagsAreSafe) {
    auto full = morphTag(2);
    EXPECT_FALSE(parseMorphShape(46, std::span<const uint8_t>(full).first(4)).ok());
    EXPECT_FALSE(parseMorphShape(2, full).ok());
    ShapeRenderer renderer;
    PixelBuffer p(16, 16);
    for (size_t n = 0; n <= full.size(); ++n) {
        auto r = parseMorphShape(84, std::span<const uint8_t>(full).first(n));
        if (r.ok()) renderer.drawMorph(**r, 0.3, Matrix::scale(0.05, 0.05), {}, p, nullptr);
    }
    // An end-edge offset pointing past the tag falls back to the records after the start edges.
    auto bad = morphTag(1);
    TagBits head;  // id and the two rectangles before the offset
    head.u16(3);
    head.rect(0, 200, 0, 200);
    head.rect(400, 600, -100, 200);
    size_t offsetAt = head.bytes.size();
    bad[offsetAt + 3] = 0x7F;
    auto r = parseMorphShape(46, bad);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ((*r)->startEdges.size(), 4u);
}

}  // namespace
}  // namespace kelmora::player
