#include <gtest/gtest.h>

#include "FontTestTags.h"
#include "MediaFuzzSeeds.h"
#include "player/text/FontDef.h"
#include "player/text/TextApi.h"

namespace kelmora::player {
namespace {

using namespace kelmora::player::testing;

TEST(FontParse, DefineFont2And3WithLayoutAndKerning) {
    std::vector<TestGlyph> glyphs = {{u'A', boxGlyph(0, -700, 500, 0), 600}, {0x4E2D, boxGlyph(0, -800, 900, 100), 1000}};
    writeMediaSeed("font2", 6 + 12, defineFont2(7, "Seed", glyphs, 800, 200, 50));
    for (uint16_t code : {48, 75}) {
        auto font = parseFont(code, defineFont2(7, std::string("Test Font\0", 10), glyphs, 800, 200, 50, true));
        ASSERT_TRUE(font.ok()) << font.error().message;
        const FontDef& f = **font;
        EXPECT_EQ(f.id, 7);
        EXPECT_EQ(f.name, "Test Font");  // the stored terminating zero is dropped
        EXPECT_TRUE(f.bold);
        EXPECT_FALSE(f.italic);
        EXPECT_TRUE(f.wideCodes);
        EXPECT_EQ(f.emSquare, code == 75 ? 20480 : 1024);
        ASSERT_EQ(f.glyphs.size(), 2u);
        EXPECT_EQ(f.glyphIndex(u'A'), 0);
        EXPECT_EQ(f.glyphIndex(0x4E2D), 1);
        EXPECT_EQ(f.glyphIndex(u'B'), -1);
        EXPECT_DOUBLE_EQ(f.ascent, 800);
        EXPECT_DOUBLE_EQ(f.descent, 200);
        EXPECT_DOUBLE_EQ(f.leading, 50);
        EXPECT_DOUBLE_EQ(f.glyphs[1].advance, 1000);
        EXPECT_DOUBLE_EQ(f.kerningAdjustment(u'A', 0x4E2D), -30);
        ASSERT_NE(f.glyphShape(0), nullptr);
        Rect r = shapeBounds(*f.glyphShape(0));
        EXPECT_DOUBLE_EQ(r.xMax, 500);
        EXPECT_DOUBLE_EQ(r.yMin, -700);
        EXPECT_EQ(f.glyphShape(5), nullptr);
    }
    // A font with no glyphs (device font only) is fine; so is one without a layout.
    auto empty = parseFont(48, defineFont2(8, "Arial", {}, 0, 0, 0, false, false));
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ((*empty)->name, "Arial");
    EXPECT_TRUE((*empty)->glyphs.empty());
}

TEST(FontParse, DefineFontWithFontInfoAndName) {
    TagBytes g0 = boxGlyph(0, -500, 400, 0), g1 = boxGlyph(0, -300, 300, 0);
    BitWriter w;
    w.u16(3);
    w.u16(4);
    w.u16(uint32_t(4 + g0.size()));
    w.bytes(g0);
    w.bytes(g1);
    auto font = parseFont(10, w.take());
    ASSERT_TRUE(font.ok()) << font.error().message;
    FontDef& f = **font;
    ASSERT_EQ(f.glyphs.size(), 2u);
    EXPECT_EQ(f.glyphs[1].shapeRecord, g1);

    BitWriter info;  // DefineFontInfo, byte codes, italic
    info.u16(3).u8(5).bytes(std::string_view("Times")).u8(0x04).u8('x').u8('y');
    ASSERT_TRUE(applyFontInfo(f, 13, info.take()).ok());
    EXPECT_EQ(f.name, "Times");
    EXPECT_TRUE(f.italic);
    EXPECT_EQ(f.glyphIndex('y'), 1);

    BitWriter info2;  // DefineFontInfo2: wide codes and a language
    info2.u16(3).u8(1).bytes(std::string_view("T")).u8(0x02).u8(2).u16(0x3042).u16(0x3044);
    ASSERT_TRUE(applyFontInfo(f, 62, info2.take()).ok());
    EXPECT_TRUE(f.bold);
    EXPECT_EQ(f.language, 2);
    EXPECT_EQ(f.glyphIndex(0x3044), 1);

    BitWriter name;
    name.u16(3).string("Pretty Name").string("(c) nobody");
    ASSERT_TRUE(applyFontInfo(f, 88, name.take()).ok());
    EXPECT_EQ(f.fullName, "Pretty Name");
    EXPECT_EQ(f.name, "T");  // the face name that text fields match stays
    EXPECT_EQ(f.copyright, "(c) nobody");
}

TEST(FontParse, TruncatedAndLyingFontsNeverCrash) {
    std::vector<TestGlyph> glyphs = {{u'A', boxGlyph(0, -700, 500, 0), 600}, {u'B', boxGlyph(0, -800, 900, 100), 1000}};
    for (uint16_t code : {48, 75}) {
        TagBytes tag = defineFont2(9, "F", glyphs, 800, 200, 0);
        for (size_t n = 0; n < tag.size(); ++n) {
            auto f = parseFont(code, std::span(tag.data(), n));
            if (f.ok()) {
                for (size_t i = 0; i < (*f)->glyphs.size(); ++i) (void)(*f)->glyphShape(i);
            }
        }
    }
    // Offsets pointing past the tag and backwards.
    BitWriter w;
    w.u16(1).u8(0).u8(0).u8(0).u16(2).u16(60000).u16(2).u16(4).u8(0x10);
    auto f = parseFont(48, w.take());
    ASSERT_TRUE(f.ok());
    EXPECT_TRUE((*f)->glyphs[0].shapeRecord.empty());
    (void)(*f)->glyphShape(0);
    EXPECT_FALSE(parseFont(10, {}).ok());
    EXPECT_FALSE(parseFont(2, TagBytes{1, 0}).ok());
}

}  // namespace
}  // namespace kelmora::player
