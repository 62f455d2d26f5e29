#include <gtest/gtest.h>
#include <lzma.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "swf/WriterTestBits.h"
#include "swf/writer/ShapeBuilder.h"
#include "swf/writer/SwfWriter.h"

namespace kelmora::swf {
namespace {

using writertest::concat;
using writertest::fromBits;
using B = std::vector<std::uint8_t>;

B zlibInflate(const B& data, std::size_t expected) {
    B out(expected);
    uLongf size = expected;
    EXPECT_EQ(uncompress(out.data(), &size, data.data(), data.size()), Z_OK);
    out.resize(size);
    return out;
}

B lzmaInflate(const std::uint8_t* props, const B& stream, std::size_t expected) {
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    EXPECT_EQ(lzma_properties_decode(&filters[0], nullptr, props, 5), LZMA_OK);
    lzma_stream s = LZMA_STREAM_INIT;
    EXPECT_EQ(lzma_raw_decoder(&s, filters), LZMA_OK);
    B out(expected + 16);
    s.next_in = stream.data();
    s.avail_in = stream.size();
    s.next_out = out.data();
    s.avail_out = out.size();
    const lzma_ret ret = lzma_code(&s, LZMA_FINISH);
    EXPECT_TRUE(ret == LZMA_STREAM_END || ret == LZMA_OK) << ret;
    out.resize(s.total_out);
    lzma_end(&s);
    free(filters[0].options);
    return out;
}

TEST(SwfMovie, TinyMovieBytes) {
    SwfWriter movie(6);
    movie.frameSizePixels(550, 400).frameRate(12.5);
    movie.setBackgroundColor({255, 255, 255, 255}).showFrame();
    const B expected{'F', 'W', 'S', 6, 30, 0, 0, 0,
                     0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00,  // 550 x 400
                     0x80, 0x0C,                                            // 12.5 fps
                     0x01, 0x00,                                            // one frame
                     0x43, 0x02, 0xFF, 0xFF, 0xFF,                          // SetBackgroundColor
                     0x40, 0x00,                                            // ShowFrame
                     0x00, 0x00};                                           // End
    EXPECT_EQ(movie.bytes(), expected);

    // A lying header, and no End tag.
    movie.frameCountOverride(9).fileLengthOverride(1000).withoutEnd();
    const B lying = movie.bytes();
    EXPECT_EQ(lying.size(), 28u);
    EXPECT_EQ(lying[4], 0xE8);
    EXPECT_EQ(lying[5], 0x03);
    EXPECT_EQ(lying[19], 9);
}

TEST(SwfMovie, TagHeaderForms) {
    Timeline t;
    t.tag(77, B(62, 1));
    t.tag(77, B(63, 1));
    t.tag(TagCode::DefineBitsLossless, B(3, 1));
    t.tag(TagCode::ShowFrame, {}, TagForm::Long);
    const B bytes = t.tagBytes(false);
    // 62 bytes: short header (77 << 6 | 62).
    EXPECT_EQ((B{bytes[0], bytes[1]}), (B{0x7E, 0x13}));
    // 63 bytes: long header.
    EXPECT_EQ((B{bytes[64], bytes[65], bytes[66], bytes[67], bytes[68], bytes[69]}), (B{0x7F, 0x13, 63, 0, 0, 0}));
    const std::size_t lossless = 64 + 6 + 63;
    EXPECT_EQ((B{bytes[lossless], bytes[lossless + 1], bytes[lossless + 2]}), (B{0x3F, 0x05, 3}));
    EXPECT_EQ(t.frameCount(), 1);
    EXPECT_THROW(t.tag(1024, {}), std::out_of_range);
}

TEST(SwfMovie, CompressedForms) {
    SwfWriter movie(13);
    ShapeBuilder b;
    b.fill0(b.addFill(FillStyle::solid({10, 20, 30, 255}))).rectPx(0, 0, 100, 100);
    movie.defineShape(1, b.build()).place(Place::add(1, 1)).showFrame(5);
    const B plain = movie.bytes();
    EXPECT_EQ(plain.size(), plain[4] | plain[5] << 8);

    movie.compression(Compression::Zlib);
    const B cws = movie.bytes();
    ASSERT_GT(cws.size(), 8u);
    EXPECT_EQ((B(cws.begin(), cws.begin() + 3)), (B{'C', 'W', 'S'}));
    EXPECT_EQ((B(cws.begin() + 3, cws.begin() + 8)), (B(plain.begin() + 3, plain.begin() + 8)));
    EXPECT_EQ(zlibInflate(B(cws.begin() + 8, cws.end()), plain.size() - 8), B(plain.begin() + 8, plain.end()));
    EXPECT_EQ(movie.uncompressedBytes(), plain);

    movie.compression(Compression::Lzma);
    const B zws = movie.bytes();
    ASSERT_GT(zws.size(), 17u);
    EXPECT_EQ((B(zws.begin(), zws.begin() + 3)), (B{'Z', 'W', 'S'}));
    EXPECT_EQ((B(zws.begin() + 3, zws.begin() + 8)), (B(plain.begin() + 3, plain.begin() + 8)));
    const std::uint32_t packed = zws[8] | zws[9] << 8 | zws[10] << 16 | static_cast<std::uint32_t>(zws[11]) << 24;
    EXPECT_EQ(packed, zws.size() - 17);
    EXPECT_EQ(lzmaInflate(zws.data() + 12, B(zws.begin() + 17, zws.end()), plain.size() - 8),
              B(plain.begin() + 8, plain.end()));
}

TEST(SwfMovie, NestedSpritesCountTheirOwnFrames) {
    SwfWriter movie(8);
    Timeline inner = movie.sprite();
    inner.showFrame(3);
    Timeline outer = movie.sprite();
    outer.defineSprite(2, inner).place(Place::add(2, 1)).showFrame(2);
    movie.defineSprite(3, outer).showFrame();
    EXPECT_EQ(movie.frameCount(), 1);

    const B tags = movie.tagBytes(true);
    // DefineSprite 3: id, frame count 2, then the inner sprite, the placement, two frames, End.
    const B innerBody{2, 0, 3, 0, 0x40, 0x00, 0x40, 0x00, 0x40, 0x00, 0x00, 0x00};
    const B outerBody = concat({B{3, 0, 2, 0},
                                B{static_cast<std::uint8_t>((39 << 6 | 12) & 0xFF), static_cast<std::uint8_t>((39 << 6 | 12) >> 8)},
                                innerBody,
                                B{0x85, 0x06, 0x02, 1, 0, 2, 0},  // PlaceObject2: character, depth 1
                                B{0x40, 0x00, 0x40, 0x00, 0x00, 0x00}});
    const B expected = concat({B{static_cast<std::uint8_t>((39 << 6 | outerBody.size()) & 0xFF),
                                 static_cast<std::uint8_t>((39 << 6 | outerBody.size()) >> 8)},
                               outerBody, B{0x40, 0x00, 0x00, 0x00}});
    EXPECT_EQ(tags, expected);

    // Built in place, with a frame count that lies.
    Timeline t(8);
    t.defineSprite(4, [](Timeline& s) { s.showFrame(2); });
    t.defineSprite(5, t.sprite(), 7);
    EXPECT_EQ(t.tagBytes(false), (B{0xCA, 0x09, 4, 0, 2, 0, 0x40, 0, 0x40, 0, 0, 0, 0xC6, 0x09, 5, 0, 7, 0, 0, 0}));
}

TEST(SwfMovie, PlaceAndRemove) {
    Timeline t(6);
    ActionBuilder stop;
    stop.stop().end();
    t.place(Place::add(1, 1).clipAction({Load, 0, stop}).clipAction({KeyPress, 13, stop}));
    EXPECT_EQ(t.tagBytes(false),
              concat({B{0xA4, 0x06},  // PlaceObject2, 36 bytes
                      B{0x82, 1, 0, 1, 0},
                      B{0, 0, 0x01, 0x00, 0x02, 0x00},  // reserved, all events (Load | KeyPress)
                      B{0x01, 0, 0, 0, 2, 0, 0, 0, 0x07, 0x00},
                      B{0, 0, 0x02, 0, 3, 0, 0, 0, 13, 0x07, 0x00},
                      B{0, 0, 0, 0}}));

    Timeline five(5);
    five.place(Place::add(1, 1).clipAction({EnterFrame | Load, 0, stop}));
    EXPECT_EQ(five.tagBytes(false),
              concat({B{0x93, 0x06}, B{0x82, 1, 0, 1, 0}, B{0, 0, 0x03, 0x00}, B{0x03, 0x00, 2, 0, 0, 0, 0x07, 0x00},
                      B{0, 0}}));

    Timeline p(8);
    p.place(Place::move(3).matrix(Matrix::translate(100, -20)).cxform(ColorTransform::add(0, 0, 0, -255)).ratio(2).name("a").clipDepth(9));
    EXPECT_EQ(p.tagBytes(false),
              concat({B{0x92, 0x06, 0x7D, 3, 0}, fromBits("0 0 01000 01100100 11101100"),
                      fromBits("1 0 1001 000000000 000000000 000000000 100000001"), B{2, 0, 'a', 0, 9, 0}}));

    // PlaceObject3: class name, filters, blend mode, cache, visible, background.
    Timeline q(10);
    q.place(Place::add(1, 2).className("Foo").filter(BlurFilter{2, 4, 3}).blendMode(BlendMode::Multiply)
                .cacheAsBitmap(true).visible(false).opaqueBackground({1, 2, 3, 4}));
    EXPECT_EQ(q.tagBytes(false),
              concat({B{0x9C, 0x11}, B{0x02, 0x6F, 2, 0, 'F', 'o', 'o', 0, 1, 0},
                      B{1, 1, 0, 0, 2, 0, 0, 0, 4, 0, 0x18}, B{3, 1, 0, 1, 2, 3, 4}}));

    // HasImage with a character but no class name still writes the (empty) name.
    Timeline img(10);
    img.place(Place::add(1, 2).hasImage());
    EXPECT_EQ(img.tagBytes(false), (B{0x87, 0x11, 0x02, 0x10, 2, 0, 0, 1, 0}));

    Timeline r(3);
    r.placeObject(1, 2, Matrix{}, ColorTransform::multiply(0.5, 1, 1)).removeObject(1, 2).removeObject2(2);
    EXPECT_EQ(r.tagBytes(false),
              concat({B{0x0A, 0x01, 1, 0, 2, 0, 0x00}, fromBits("0 1 1010 0010000000 0100000000 0100000000"),
                      B{0x44, 0x01, 1, 0, 2, 0}, B{0x02, 0x07, 2, 0}}));
}

TEST(SwfMovie, WritesFile) {
    SwfWriter movie;
    movie.showFrame();
    const std::string path = ::testing::TempDir() + "kelmora-writer-test.swf";
    ASSERT_TRUE(movie.writeFile(path).ok());
    std::ifstream in(path, std::ios::binary);
    const B read((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(read, movie.bytes());
    std::remove(path.c_str());
    EXPECT_FALSE(movie.writeFile("/nonexistent-folder/x.swf").ok());
}

}  // namespace
}  // namespace kelmora::swf
