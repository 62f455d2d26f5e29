#include <gtest/gtest.h>
#include <turbojpeg.h>
#include <zlib.h>

#include "swf/WriterTestBits.h"
#include "swf/writer/ShapeBuilder.h"
#include "swf/writer/SwfWriter.h"

namespace kelmora::swf {
namespace {

using writertest::concat;
using B = std::vector<std::uint8_t>;

B inflate(std::span<const std::uint8_t> data, std::size_t expected) {
    B out(expected + 1);
    uLongf size = out.size();
    EXPECT_EQ(uncompress(out.data(), &size, data.data(), data.size()), Z_OK);
    out.resize(size);
    return out;
}

// Body of the only tag in a timeline, whatever its header form.
B onlyTagBody(const Timeline& t) {
    const B tags = t.tagBytes(false);
    const std::uint16_t head = tags.at(0) | tags.at(1) << 8;
    const std::size_t start = (head & 0x3F) == 0x3F ? 6 : 2;
    return B(tags.begin() + static_cast<std::ptrdiff_t>(start), tags.end());
}

TEST(SwfWriterBitmaps, LosslessFormats) {
    Pixels p{2, 1, {0xFFFF0000u, 0x80FF8000u}};
    Timeline t;
    t.defineBitsLossless(1, p);
    const B tags = t.tagBytes(false);
    EXPECT_EQ((B{tags[0], tags[1]}), (B{0x3F, 0x05}));  // always the long header
    B body = onlyTagBody(t);
    EXPECT_EQ(B(body.begin(), body.begin() + 7), (B{1, 0, 5, 2, 0, 1, 0}));
    EXPECT_EQ(inflate(std::span(body).subspan(7), 8), (B{0, 0xFF, 0, 0, 0, 0xFF, 0x80, 0}));

    // Lossless2 premultiplies the colour by alpha.
    body = encodeLosslessBitmap(p, LosslessFormat::Rgb32, true);
    EXPECT_EQ(inflate(std::span(body).subspan(5), 8), (B{0xFF, 0xFF, 0, 0, 0x80, 0x80, 0x40, 0}));

    // Colour-mapped: table size minus one, then rows padded to four bytes.
    Pixels m{3, 2, {0xFF000001u, 0xFF000002u, 0xFF000001u, 0xFF000002u, 0xFF000002u, 0xFF000002u}};
    body = encodeLosslessBitmap(m, LosslessFormat::ColorMapped8, false);
    EXPECT_EQ(B(body.begin(), body.begin() + 6), (B{3, 3, 0, 2, 0, 1}));
    EXPECT_EQ(inflate(std::span(body).subspan(6), 14), (B{0, 0, 1, 0, 0, 2, 0, 1, 0, 0, 1, 1, 1, 0}));
    body = encodeLosslessBitmap(m, LosslessFormat::ColorMapped8, true);
    EXPECT_EQ(inflate(std::span(body).subspan(6), 16), (B{0, 0, 1, 255, 0, 0, 2, 255, 0, 1, 0, 0, 1, 1, 1, 0}));

    // 15-bit: 0 RRRRR GGGGG BBBBB, big-endian bit order, rows padded to four bytes.
    body = encodeLosslessBitmap(Pixels{1, 1, {0xFFFF8000u}}, LosslessFormat::Rgb15, false);
    EXPECT_EQ(inflate(std::span(body).subspan(5), 4), (B{0x7E, 0x00, 0x00, 0x00}));
    EXPECT_THROW(encodeLosslessBitmap(Pixels{1, 1, {0}}, LosslessFormat::Rgb15, true), std::invalid_argument);
    EXPECT_THROW(encodeLosslessBitmap(Pixels{2, 2, {0}}, LosslessFormat::Rgb32, false), std::invalid_argument);
    Pixels many{300, 1, {}};
    for (std::uint32_t i = 0; i < 300; ++i) many.argb.push_back(0xFF000000u | i);
    EXPECT_THROW(encodeLosslessBitmap(many, LosslessFormat::ColorMapped8, false), std::invalid_argument);
}

TEST(SwfWriterBitmaps, JpegTagsAndSplitting) {
    Pixels p = Pixels::filled(47, 33, 0x80336699u);
    for (int x = 0; x < 47; ++x) p.at(x, 10) = 0xFFFF0000u;
    const B jpeg = encodeJpeg(p, 80);
    ASSERT_GT(jpeg.size(), 4u);
    EXPECT_EQ((B{jpeg[0], jpeg[1], jpeg[jpeg.size() - 2], jpeg.back()}), (B{0xFF, 0xD8, 0xFF, 0xD9}));

    auto decodes = [](const B& data) {
        tjhandle h = tjInitDecompress();
        int w = 0, hgt = 0, sub = 0, cs = 0;
        const int rc = tjDecompressHeader3(h, data.data(), data.size(), &w, &hgt, &sub, &cs);
        B pixels(static_cast<std::size_t>(w) * hgt * 3 + 1);
        const int rc2 = rc == 0 ? tjDecompress2(h, data.data(), data.size(), pixels.data(), w, 0, hgt, TJPF_RGB, 0) : -1;
        tjDestroy(h);
        return rc2 == 0 && w == 47 && hgt == 33;
    };
    EXPECT_TRUE(decodes(jpeg));

    const SplitJpeg split = splitJpeg(jpeg);
    EXPECT_EQ((B{split.tables[0], split.tables[1], split.tables[2], split.tables[3]}), (B{0xFF, 0xD8, 0xFF, 0xDB}));
    EXPECT_EQ((B{split.tables[split.tables.size() - 2], split.tables.back()}), (B{0xFF, 0xD9}));
    EXPECT_EQ(split.tables.size() + split.image.size(), jpeg.size() + 4);
    // Tables without EOI followed by the image without SOI is a whole JPEG again.
    B joined(split.tables.begin(), split.tables.end() - 2);
    joined.insert(joined.end(), split.image.begin() + 2, split.image.end());
    EXPECT_TRUE(decodes(joined));
    EXPECT_THROW(splitJpeg(B{0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x40}), std::invalid_argument);
    EXPECT_THROW(splitJpeg(B{0x89, 'P', 'N', 'G'}), std::invalid_argument);

    Timeline t;
    t.defineBitsJpeg3(2, p, 80);
    B body = onlyTagBody(t);
    const std::uint32_t alphaOffset = body[2] | body[3] << 8 | body[4] << 16 | static_cast<std::uint32_t>(body[5]) << 24;
    EXPECT_EQ(alphaOffset, jpeg.size());
    EXPECT_EQ(B(body.begin() + 6, body.begin() + 6 + alphaOffset), jpeg);
    const B alpha = inflate(std::span(body).subspan(6 + alphaOffset), 47 * 33);
    ASSERT_EQ(alpha.size(), 47u * 33u);
    EXPECT_EQ(alpha[0], 0x80);
    EXPECT_EQ(alpha[10 * 47], 0xFF);

    Timeline j4;
    j4.defineBitsJpeg4(3, B{0xFF, 0xD8, 0xFF, 0xD9}, B{}, 1.5);
    EXPECT_EQ(onlyTagBody(j4), (B{3, 0, 4, 0, 0, 0, 0x80, 0x01, 0xFF, 0xD8, 0xFF, 0xD9}));
    Timeline j1;
    j1.jpegTables(split.tables).defineBits(4, split.image);
    EXPECT_EQ(j1.tagBytes(false).size(), 6 + split.tables.size() + 6 + 2 + split.image.size());
}

TEST(SwfWriterText, FontsAndTextRecords) {
    ShapeBuilder g;
    g.fill1(1).moveTo(0, 0).lineTo(20, 0);
    Font font;
    font.name = "A";
    font.bold = true;
    font.wideCodes = false;
    font.ascent = 800;
    font.descent = 200;
    font.glyphs.push_back({'a', g.build(), 500, Rect{0, 20, 0, 0}});
    const B glyph{0x10, 0x14, 0x1D, 0x05, 0x00};
    const B layout{0x20, 0x03, 0xC8, 0x00, 0x00, 0x00, 0xF4, 0x01, 0x30, 0x0A, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(encodeDefineFont2(1, font, 2),
              concat({B{1, 0, 0x81, 0, 1, 'A', 1, 0, 4, 0, 9, 0}, glyph, B{0x61}, layout}));
    EXPECT_EQ(encodeDefineFont2(1, font, 3),
              concat({B{1, 0, 0x85, 0, 1, 'A', 1, 0, 4, 0, 9, 0}, glyph, B{0x61, 0x00}, layout}));
    EXPECT_EQ(encodeDefineFont(7, {g.build(), g.build()}), concat({B{7, 0, 4, 0, 9, 0}, glyph, glyph}));
    EXPECT_EQ(encodeDefineFontInfo(1, font, 1), (B{1, 0, 1, 'A', 0x02, 0x61}));
    font.languageCode = 1;
    EXPECT_EQ(encodeDefineFontInfo(1, font, 2), (B{1, 0, 1, 'A', 0x03, 1, 0x61, 0x00}));

    Font two = font;
    two.glyphs.push_back(Glyph::fromShape(0x00E9, g.build(), 1000));
    EXPECT_EQ(two.glyphs[1].bounds, (Rect{0, 20, 0, 0}));
    const auto entries = layoutGlyphs(two, "a\xC3\xA9" "a", 240);  // a, e-acute, a
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ((std::vector<std::int32_t>{static_cast<std::int32_t>(entries[0].index), entries[0].advance,
                                         static_cast<std::int32_t>(entries[1].index), entries[1].advance}),
              (std::vector<std::int32_t>{0, 117, 1, 234}));  // 500 * 240 / 1024 = 117.2; 1000 * 240 / 1024 = 234.4
    EXPECT_EQ(layoutGlyphs(two, "a", 240, 20480)[0].advance, 6);
    EXPECT_THROW(layoutGlyphs(two, "b", 240), std::invalid_argument);
    EXPECT_THROW(layoutGlyphs(two, "\xC3", 240), std::invalid_argument);

    StaticText text;
    TextRecord run;
    run.fontId = 1;
    run.color = Rgba{255, 0, 0, 255};
    run.xOffset = 10;
    run.glyphs = {{0, 500}, {1, -3}};
    text.records.push_back(run);
    TextRecord second;
    second.yOffset = -1;
    text.records.push_back(second);
    EXPECT_EQ(encodeDefineText(2, text, 1),
              (B{2, 0, 0x00, 0x00, 1, 10, 0x8D, 1, 0, 0xFF, 0, 0, 10, 0, 0xF0, 0, 2, 0x3E, 0x9F, 0xF4, 0x82, 0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(encodeDefineText(2, text, 2)[12], 0xFF);  // RGBA: alpha follows the colour

    EditText edit;
    edit.initialText = "hi";
    edit.multiline = true;
    edit.readOnly = true;
    edit.color = Rgba{0, 0, 255, 128};
    edit.fontId = 1;
    edit.autoSize = true;
    edit.layout = EditTextLayout{TextAlign::Center, 5, 6, 7, -2};
    edit.border = true;
    edit.html = true;
    edit.variableName = "v";
    EXPECT_EQ(encodeDefineEditText(3, edit), (B{3, 0, 0x00, 0xAD, 0x6A, 1, 0, 0xF0, 0, 0, 0, 0xFF, 0x80, 2, 5, 0, 6, 0, 7, 0,
                                               0xFE, 0xFF, 'v', 0, 'h', 'i', 0}));
    EditText byClass;
    byClass.fontClass = "F";
    EXPECT_EQ(encodeDefineEditText(4, byClass), (B{4, 0, 0x00, 0x00, 0x80, 'F', 0, 0xF0, 0, 0}));
}

TEST(SwfWriterButtons, RecordsAndConditionOffsets) {
    ButtonRecord r;
    r.states = StateUp | StateHitTest;
    r.characterId = 1;
    ActionBuilder stop, play;
    stop.stop().end();
    play.play().end();
    EXPECT_EQ(encodeDefineButton2(3, {r}, {{OverDownToOverUp, stop}, {buttonKeyPress(65), play}}, false),
              (B{3, 0, 0, 0x0A, 0, 0x09, 1, 0, 1, 0, 0, 0, 0, 6, 0, 0x08, 0x00, 0x07, 0x00, 0, 0, 0x00, 0x82, 0x06, 0x00}));
    EXPECT_EQ(encodeDefineButton2(3, {r}, {}, true), (B{3, 0, 1, 0, 0, 0x09, 1, 0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(encodeDefineButton(3, {r}, stop), (B{3, 0, 0x09, 1, 0, 1, 0, 0, 0, 0x07, 0x00}));
    r.blendMode = BlendMode::Screen;
    r.filters.push_back(BlurFilter{});
    EXPECT_EQ(encodeDefineButton2(3, {r}, {}, false)[5], 0x39);
}

TEST(SwfWriterMorph, OffsetAndEdges) {
    MorphShape m;
    m.fills.push_back({FillStyle::solid({255, 0, 0, 255}), FillStyle::solid({0, 0, 255, 255})});
    ShapeBuilder s, e;
    s.fill0(1).moveTo(0, 0).lineTo(20, 0);
    e.moveTo(0, 0).lineTo(40, 0);
    m.start = s.build();
    m.end = e.build();
    EXPECT_EQ(encodeDefineMorphShape(4, m, 1),
              (B{4, 0, 0x30, 0x0A, 0, 0, 0x38, 0x05, 0, 0, 0, 16, 0, 0, 0, 1, 0x00, 255, 0, 0, 255, 0, 0, 255, 255, 0,
                 0x10, 0x0C, 0x1D, 0x05, 0x00, 0x00, 0x04, 0x1A, 0x8A, 0x00}));
    // Version 2 adds edge bounds and the stroke flags before the offset.
    const B v2 = encodeDefineMorphShape(4, m, 2);
    EXPECT_EQ(B(v2.begin() + 11, v2.begin() + 21), (B{0x30, 0x0A, 0, 0, 0x38, 0x05, 0, 0, 0, 0x00}));
    EXPECT_EQ(v2[21], 16);
}

TEST(SwfWriterSound, SoundAndVideoRecords) {
    SoundInfo info;
    info.syncNoMultiple = true;
    info.loops = 3;
    info.inPoint = 100;
    info.envelope.push_back({10, 0x8000, 0x7FFF});
    Timeline t;
    t.startSound(5, info);
    EXPECT_EQ(t.tagBytes(false), (B{0xD2, 0x03, 5, 0, 0x1D, 100, 0, 0, 0, 3, 0, 1, 10, 0, 0, 0, 0x00, 0x80, 0xFF, 0x7F}));

    Timeline h;
    h.soundStreamHead2({SoundCodec::Adpcm, SoundRate::Rate44100, true, true}, {SoundCodec::Mp3, SoundRate::Rate22050, true, false},
                       1152, -100);
    EXPECT_EQ(onlyTagBody(h), (B{0x0F, 0x2A, 0x80, 0x04, 0x9C, 0xFF}));
    Timeline pcm;
    pcm.soundStreamHead({}, {}, 10);
    EXPECT_EQ(onlyTagBody(pcm), (B{0x0E, 0x3E, 10, 0}));

    Timeline d;
    d.defineSound(9, {SoundCodec::UncompressedLittleEndian, SoundRate::Rate5512, false, false}, 2, B{1, 2});
    EXPECT_EQ(onlyTagBody(d), (B{9, 0, 0x30, 2, 0, 0, 0, 1, 2}));

    Timeline v;
    v.defineVideoStream(6, {10, 320, 240, 2, true, VideoCodec::Vp6}).videoFrame(6, 0, B{0xAA});
    EXPECT_EQ(v.tagBytes(false), (B{0x0A, 0x0F, 6, 0, 10, 0, 0x40, 0x01, 0xF0, 0x00, 0x05, 0x04, 0x45, 0x0F, 6, 0, 0, 0, 0xAA}));
}

}  // namespace
}  // namespace kelmora::swf
