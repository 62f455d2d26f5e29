#include <gtest/gtest.h>

#include <stdexcept>

#include "swf/WriterTestBits.h"
#include "swf/writer/BitWriter.h"
#include "swf/writer/Records.h"
#include "swf/writer/Shape.h"
#include "swf/writer/ShapeBuilder.h"

namespace kelmora::swf {
namespace {

using writertest::concat;
using writertest::fromBits;
using B = std::vector<std::uint8_t>;

template <class F>
B encode(F&& f) {
    BitWriter w;
    f(w);
    return w.take();
}

TEST(SwfBitWriter, FieldWidthsAndRanges) {
    struct Case { std::int32_t value; int bits; };
    for (const Case c : {Case{0, 0}, Case{-1, 1}, Case{1, 2}, Case{-2, 2}, Case{2, 3}, Case{11000, 15}, Case{-20, 6},
                         Case{65535, 17}, Case{-65536, 17}, Case{65536, 18}})
        EXPECT_EQ(BitWriter::signedBits(c.value), c.bits) << c.value;
    EXPECT_EQ(BitWriter::unsignedBits(0), 0);
    EXPECT_EQ(BitWriter::unsignedBits(255), 8);
    EXPECT_EQ(BitWriter::unsignedBits(256), 9);

    // Bits run most significant first and continue across bytes until an aligned field.
    EXPECT_EQ(encode([](BitWriter& w) { w.ub(5, 3).sb(-3, 4).ub(1, 2).u8(0xAB); }), (B{0xBA, 0x80, 0xAB}));
    EXPECT_EQ(encode([](BitWriter& w) { w.ub(0xFFFFFFFFu, 32); }), (B{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_THROW(BitWriter().ub(8, 3), std::out_of_range);
    EXPECT_THROW(BitWriter().sb(4, 3), std::out_of_range);
    EXPECT_THROW(BitWriter().sb(-5, 3), std::out_of_range);
    EXPECT_NO_THROW(BitWriter().sb(-4, 3));
    EXPECT_THROW(BitWriter().u16(0x10000), std::out_of_range);
    EXPECT_THROW(BitWriter().s16(40000), std::out_of_range);

    // Little-endian numbers, fixed point, strings, EncodedU32.
    EXPECT_EQ(encode([](BitWriter& w) { w.u16(0x1234).u32(0x89ABCDEF).s16(-2); }),
              (B{0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89, 0xFE, 0xFF}));
    EXPECT_EQ(encode([](BitWriter& w) { w.fixed8(12.5).fixed8(-1.5).fixed(1.5).fixed(-0.5); }),
              (B{0x80, 0x0C, 0x80, 0xFE, 0x00, 0x80, 0x01, 0x00, 0x00, 0x80, 0xFF, 0xFF}));
    EXPECT_EQ(encode([](BitWriter& w) { w.string("ab").float32(1.0f); }), (B{'a', 'b', 0, 0x00, 0x00, 0x80, 0x3F}));
    EXPECT_EQ(encode([](BitWriter& w) { w.encodedU32(0).encodedU32(127).encodedU32(300).encodedU32(0xFFFFFFFFu); }),
              (B{0x00, 0x7F, 0xAC, 0x02, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F}));
}

TEST(SwfRecords, RectsAndMatrices) {
    // 550 x 400 pixels: Nbits 15.
    EXPECT_EQ(encode([](BitWriter& w) { writeRect(w, Rect::fromPixels(550, 400)); }),
              (B{0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00}));
    EXPECT_EQ(encode([](BitWriter& w) { writeRect(w, Rect{}); }), (B{0x00}));
    EXPECT_EQ(encode([](BitWriter& w) { writeRect(w, Rect::fromTwips(-1, 0, 0, 0)); }), fromBits("00001 1 0 0 0"));

    // Identity: no scale, no rotate, NTranslateBits 0.
    EXPECT_EQ(encode([](BitWriter& w) { writeMatrix(w, Matrix{}); }), (B{0x00}));
    EXPECT_EQ(encode([](BitWriter& w) { writeMatrix(w, Matrix::translate(100, -20)); }),
              fromBits("0 0 01000 01100100 11101100"));
    // A quarter turn: scale terms 0 (HasScale set, NScaleBits 0), rotate terms +-1.0 in 18 bits.
    EXPECT_EQ(encode([](BitWriter& w) { writeMatrix(w, Matrix::rotate(90)); }),
              fromBits("1 00000  1 10010 010000000000000000 110000000000000000  00000"));
    // Scale 2 x 0.5 and a translation: 19 scale bits.
    auto m = Matrix::scale(2.0, 0.5).moveBy(1, 0);
    EXPECT_EQ(encode([&](BitWriter& w) { writeMatrix(w, m); }),
              fromBits("1 10011 0100000000000000000 0001000000000000000  0  00010 01 00"));
}

TEST(SwfRecords, ColorTransforms) {
    auto half = ColorTransform::multiply(0.5, 1, 1, 1);
    // Mult terms only, 10 bits (256 needs 10 signed bits).
    EXPECT_EQ(encode([&](BitWriter& w) { writeCxformWithAlpha(w, half); }),
              fromBits("0 1 1010 0010000000 0100000000 0100000000 0100000000"));
    EXPECT_EQ(encode([&](BitWriter& w) { writeCxform(w, half); }),
              fromBits("0 1 1010 0010000000 0100000000 0100000000"));
    // Add terms only, with a negative one; an alpha-only change vanishes from CXFORM.
    EXPECT_EQ(encode([](BitWriter& w) { writeCxformWithAlpha(w, ColorTransform::add(-255, 0, 1, 0)); }),
              fromBits("1 0 1001 100000001 000000000 000000001 000000000"));
    EXPECT_EQ(encode([](BitWriter& w) { writeCxform(w, ColorTransform::multiply(1, 1, 1, 0.5)); }), fromBits("0 0 0000"));
}

TEST(SwfRecords, StylesAndGradients) {
    Gradient g{SpreadMode::Reflect, InterpolationMode::Linear, {{0, Rgba{1, 2, 3, 4}}, {255, Rgba{5, 6, 7, 8}}}, -0.5};
    EXPECT_EQ(encode([&](BitWriter& w) { writeFillStyle(w, FillStyle::focal(g), true); }),
              (B{0x13, 0x00, 0x50 | 0x02, 0, 1, 2, 3, 4, 255, 5, 6, 7, 8, 0x80, 0xFF}));
    // Without alpha the colours are RGB.
    EXPECT_EQ(encode([&](BitWriter& w) { writeFillStyle(w, FillStyle::linear(Gradient::twoColor({9, 9, 9}, {1, 1, 1})), false); }),
              (B{0x10, 0x00, 0x02, 0, 9, 9, 9, 255, 1, 1, 1}));
    EXPECT_EQ(encode([](BitWriter& w) { writeFillStyle(w, FillStyle::bitmap(7, {}, false, false), true); }),
              (B{0x43, 7, 0, 0}));
    Gradient tooMany;
    tooMany.stops.resize(16);
    EXPECT_THROW(encode([&](BitWriter& w) { writeGradient(w, tooMany, true, false); }), std::out_of_range);

    // LINESTYLE2: square start cap, miter join (limit 2.5), no-close, none end cap, fill inside.
    LineStyle ls = LineStyle::solid(40, {10, 20, 30, 40});
    ls.startCap = CapStyle::Square;
    ls.endCap = CapStyle::None;
    ls.join = JoinStyle::Miter;
    ls.miterLimit = 2.5;
    ls.noClose = true;
    ls.noVScale = true;
    ls.pixelHinting = true;
    EXPECT_EQ(encode([&](BitWriter& w) { writeLineStyle2(w, ls); }),
              concat({B{40, 0}, fromBits("10 10 0 0 1 1 00000 1 01"), B{0x80, 0x02, 10, 20, 30, 40}}));
    ls.fill = FillStyle::solid({1, 2, 3, 255});
    ls.join = JoinStyle::Bevel;
    EXPECT_EQ(encode([&](BitWriter& w) { writeLineStyle2(w, ls); }),
              concat({B{40, 0}, fromBits("10 01 1 0 1 1 00000 1 01"), B{0x00, 1, 2, 3, 255}}));

    // Style counts: 255 and more need the extended form, which DefineShape cannot write.
    std::vector<FillStyle> many(300, FillStyle::solid({}));
    B withCount = encode([&](BitWriter& w) { writeFillStyleArray(w, many, false, true); });
    EXPECT_EQ((B{withCount[0], withCount[1], withCount[2]}), (B{0xFF, 0x2C, 0x01}));
    EXPECT_THROW(encode([&](BitWriter& w) { writeFillStyleArray(w, many, false, false); }), std::out_of_range);
}

TEST(SwfShapes, EdgeRecordForms) {
    ShapeBuilder b;
    const auto red = b.addFill(FillStyle::solid({255, 0, 0, 255}));
    b.fill1(red).rect(0, 0, 20, 20);
    const Shape square = b.build();
    EXPECT_EQ(square.bounds, (Rect{0, 20, 0, 20}));
    EXPECT_EQ(square.minimumShapeVersion(), 1);
    B body = encode([&](BitWriter& w) { writeShapeWithStyle(w, square, 1); });
    EXPECT_EQ(body, concat({B{0x01, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x10},
                             fromBits("0 0 0 1 0 1 00000 1"           // style change: fill1, move to 0,0
                                      "11 0100 0 0 010100"            // horizontal +20
                                      "11 0100 0 1 010100"            // vertical +20
                                      "11 0100 0 0 101100"            // horizontal -20
                                      "11 0100 0 1 101100"            // vertical -20
                                      "000000")}));

    // General line with minimal bits (NumBits + 2 = 8), short lines keep 2 bits, curves.
    ShapeBuilder e;
    e.moveTo(0, 0).lineTo(100, -20).lineTo(101, -20).curveTo(101, -21, 100, -21);
    const Shape edges = e.build();
    EXPECT_EQ(edges.bounds, (Rect{0, 101, -21, 0}));
    EXPECT_EQ(encode([&](BitWriter& w) { writeShapeRecords(w, edges.records, 0, 0, 1); }),
              fromBits("0000 0000"
                       "0 0 0 0 0 1 00000"
                       "11 0110 1 01100100 11101100"
                       "11 0000 0 0 01"
                       "10 0000 00 11 11 00"
                       "000000"));

    // Long lines are split into records that fit 17 signed bits.
    ShapeBuilder l;
    l.moveTo(0, 0).lineTo(200000, 0);
    const Shape longLine = l.build();
    int straight = 0;
    std::int64_t total = 0;
    for (const auto& r : longLine.records)
        if (const auto* s = std::get_if<StraightEdge>(&r)) {
            ++straight;
            total += s->dx;
            EXPECT_LE(BitWriter::signedBits(s->dx), 17);
        }
    EXPECT_EQ(straight, 4);
    EXPECT_EQ(total, 200000);
}

TEST(SwfShapes, NewStylesAndVersions) {
    ShapeBuilder b;
    b.addFill(FillStyle::solid({0, 0, 0, 255}));
    b.fill0(1).rect(0, 0, 20, 20);
    b.newStyles();
    b.addFill(FillStyle::solid({1, 1, 1, 128}));
    b.addFill(FillStyle::solid({2, 2, 2, 255}));
    b.addLine(LineStyle::solid(20, {3, 3, 3, 255}));
    b.fill0(2).line(1).moveTo(0, 0).lineTo(0, 20);
    const Shape s = b.build();
    EXPECT_EQ(s.minimumShapeVersion(), 3);  // alpha in the new fill
    EXPECT_EQ(s.bounds, (Rect{-10, 30, -10, 30}));
    EXPECT_EQ(s.edgeBounds, (Rect{0, 20, 0, 20}));

    // The new-styles record's arrays start on a byte boundary; the record after it uses the
    // new widths (2 fill bits, 1 line bit).
    EXPECT_EQ(encode([&](BitWriter& w) { writeShapeWithStyle(w, s, 3); }),
              concat({B{0x01, 0x00, 0, 0, 0, 0xFF, 0x00, 0x10},
                      fromBits("0 0 0 0 1 1 00000 1"
                               "11 0100 0 0 010100  11 0100 0 1 010100  11 0100 0 0 101100  11 0100 0 1 101100"
                               "0 1 0 0 0 0"),
                      B{0x02, 0x00, 1, 1, 1, 128, 0x00, 2, 2, 2, 255, 0x01, 20, 0, 3, 3, 3, 255, 0x21},
                      fromBits("0 0 1 0 1 1 00000 10 1"
                               "11 0100 0 1 010100"
                               "000000")}));

    LineStyle capped = LineStyle::solid(20, {});
    capped.endCap = CapStyle::Square;
    ShapeBuilder c;
    c.addLine(capped);
    EXPECT_EQ(c.build().minimumShapeVersion(), 4);
}

}  // namespace
}  // namespace kelmora::swf
