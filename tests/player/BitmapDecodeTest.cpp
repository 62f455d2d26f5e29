#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "BitmapTestPictures.h"
#include "player/bitmap/BitmapApi.h"
#include "player/bitmap/JpegDecode.h"

namespace kelmora::player {
namespace {

using namespace kelmora::player::testing;

Bytes losslessTag(uint16_t id, uint8_t format, uint16_t w, uint16_t h, int paletteCount, const Bytes& raw) {
    Bytes tag;
    appendU16(tag, id);
    tag.push_back(format);
    appendU16(tag, w);
    appendU16(tag, h);
    if (format == 3) tag.push_back(uint8_t(paletteCount - 1));
    append(tag, zlibCompress(raw));
    return tag;
}

Bytes pictureTag(uint16_t id, const Bytes& picture) {
    Bytes tag;
    appendU16(tag, id);
    append(tag, picture);
    return tag;
}

Bytes jpeg3Tag(uint16_t id, const Bytes& picture, const Bytes& alphaRaw, bool jpeg4 = false) {
    Bytes tag;
    appendU16(tag, id);
    appendU32(tag, uint32_t(picture.size()));
    if (jpeg4) appendU16(tag, 0x100);
    append(tag, picture);
    if (!alphaRaw.empty()) append(tag, zlibCompress(alphaRaw));
    return tag;
}

PixelBuffer decodeOk(uint16_t code, const Bytes& body, const Bytes& tables = {}) {
    auto r = decodeBitmap(code, body, tables);
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().message);
    return r.ok() ? (*r)->pixels : PixelBuffer();
}

// JPEG is lossy: channels within a tolerance.
void expectNear(uint32_t actual, uint32_t expected, int tolerance, const char* what) {
    for (int shift : {24, 16, 8, 0}) {
        int a = int((actual >> shift) & 0xFF), e = int((expected >> shift) & 0xFF);
        EXPECT_NEAR(a, e, tolerance) << what << " channel at bit " << shift << ": " << std::hex << actual;
    }
}

void writeSeed(const char* name, uint16_t code, const Bytes& body) {
    const char* dir = std::getenv("KELMORA_SEED_DIR");
    if (!dir) return;
    std::filesystem::path folder = std::filesystem::path(dir) / "fuzz_bitmap";
    std::filesystem::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary);
    out.put(char(code));
    out.write(reinterpret_cast<const char*>(body.data()), std::streamsize(body.size()));
}

TEST(BitmapDecode, LosslessFormatsAndRowPadding) {
    // Format 3, 3x2: rows padded to 4 bytes; index 2 is past the 2-entry palette.
    Bytes mapped = {10, 20, 30, 200, 100, 50, /*row0*/ 0, 1, 0, 9, /*row1*/ 1, 1, 2, 9};
    PixelBuffer p = decodeOk(20, losslessTag(1, 3, 3, 2, 2, mapped));
    ASSERT_EQ(p.width(), 3);
    ASSERT_EQ(p.height(), 2);
    EXPECT_EQ(p.pixel(0, 0), 0xFF0A141Eu);
    EXPECT_EQ(p.pixel(1, 0), 0xFFC86432u);
    EXPECT_EQ(p.pixel(0, 1), 0xFFC86432u);
    EXPECT_EQ(p.pixel(2, 1), 0u);

    // Format 4 (PIX15, big-endian words), 1 pixel wide: row padded from 2 to 4 bytes.
    Bytes rgb15 = {0x7C, 0x00, 0xEE, 0xEE, /*row1*/ 0x00, 0x1F, 0xEE, 0xEE};
    p = decodeOk(20, losslessTag(2, 4, 1, 2, 0, rgb15));
    EXPECT_EQ(p.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(p.pixel(0, 1), 0xFF0000FFu);

    // Format 5 of DefineBitsLossless: xRGB, the first byte ignored.
    p = decodeOk(20, losslessTag(3, 5, 2, 1, 0, {0x00, 1, 2, 3, 0x7F, 4, 5, 6}));
    EXPECT_EQ(p.pixel(0, 0), 0xFF010203u);
    EXPECT_EQ(p.pixel(1, 0), 0xFF040506u);

    // DefineBitsLossless2 format 5: premultiplied ARGB kept; colour above alpha clamped.
    p = decodeOk(36, losslessTag(4, 5, 2, 1, 0, {0x80, 0x40, 0x20, 0x10, 0x40, 0xFF, 0x10, 0x50}));
    EXPECT_EQ(p.pixel(0, 0), 0x80402010u);
    EXPECT_EQ(p.pixel(1, 0), 0x40401040u);

    // DefineBitsLossless2 format 3: RGBA palette.
    p = decodeOk(36, losslessTag(5, 3, 1, 1, 1, {0x20, 0x30, 0x90, 0x80, /*row*/ 0, 0, 0, 0}));
    EXPECT_EQ(p.pixel(0, 0), 0x80203080u);
    writeSeed("lossless2", 36, losslessTag(5, 3, 1, 1, 1, {0x20, 0x30, 0x90, 0x80, 0, 0, 0, 0}));
}

TEST(BitmapDecode, JpegVariants) {
    Bytes jpeg = makeJpeg(16, 8, 255, 0, 0);
    PixelBuffer p = decodeOk(21, pictureTag(1, jpeg));
    ASSERT_EQ(p.width(), 16);
    ASSERT_EQ(p.height(), 8);
    expectNear(p.pixel(5, 5), 0xFFFF0000u, 8, "JPEG2");

    // Old files start the data with an EOI/SOI pair.
    Bytes erroneous = {0xFF, 0xD9, 0xFF, 0xD8};
    append(erroneous, jpeg);
    p = decodeOk(21, pictureTag(2, erroneous));
    expectNear(p.pixel(0, 0), 0xFFFF0000u, 8, "JPEG2 with stray markers");

    // DefineBits: the movie's JPEGTables joined to the tag's data.
    Bytes tables, data;
    splitJpegTables(makeJpeg(8, 8, 0, 0, 255), tables, data);
    p = decodeOk(6, pictureTag(3, data), tables);
    expectNear(p.pixel(4, 4), 0xFF0000FFu, 8, "DefineBits");
    // Without its tables the data can't be decoded: an error, not a crash.
    EXPECT_FALSE(decodeBitmap(6, pictureTag(3, data), {}).ok());

    // Greyscale JPEG.
    p = decodeOk(21, pictureTag(4, makeJpeg(8, 8, 128, 128, 128, true)));
    expectNear(p.pixel(1, 1), 0xFF808080u, 4, "grey JPEG");

    // DefineBitsJPEG3/4 with an alpha plane: colours come out premultiplied.
    Bytes alpha(16 * 8, 0x80);
    alpha[0] = 0;
    p = decodeOk(35, jpeg3Tag(5, jpeg, alpha));
    EXPECT_EQ(p.pixel(0, 0), 0u);
    expectNear(p.pixel(3, 3), 0x80800000u, 6, "JPEG3 alpha");
    p = decodeOk(90, jpeg3Tag(6, jpeg, alpha, true));
    expectNear(p.pixel(3, 3), 0x80800000u, 6, "JPEG4 alpha");
    // No alpha plane: opaque.
    p = decodeOk(35, jpeg3Tag(7, jpeg, {}));
    EXPECT_EQ(p.pixel(3, 3) >> 24, 0xFFu);
    writeSeed("jpeg3", 35, jpeg3Tag(5, jpeg, alpha));
}

TEST(BitmapDecode, JoinedJpegStreamHasOneStartAndOneEnd) {
    Bytes tables, data;
    splitJpegTables(makeJpeg(8, 8, 0, 0, 255), tables, data);
    Bytes withPair = {0xFF, 0xD9, 0xFF, 0xD8};
    append(withPair, data);
    Bytes joined = joinJpegStream(tables, withPair);
    int soi = 0, eoi = 0;
    for (size_t i = 0; i + 1 < joined.size(); ++i) {
        if (joined[i] == 0xFF && joined[i + 1] == 0xD8) ++soi;
        if (joined[i] == 0xFF && joined[i + 1] == 0xD9) ++eoi;
    }
    EXPECT_EQ(soi, 1);
    EXPECT_EQ(eoi, 1);
    EXPECT_EQ(joined.front(), 0xFF);
    EXPECT_EQ(joined[1], 0xD8);
    EXPECT_EQ(joined.back(), 0xD9);
}

TEST(BitmapDecode, PngAndGifInsideJpegTags) {
    // 2x2 RGBA PNG with half-transparent and transparent pixels: premultiplied on output.
    std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 255, 255, 255, 255};
    Bytes png = makePng(2, 2, rgba);
    PixelBuffer p = decodeOk(21, pictureTag(1, png));
    ASSERT_EQ(p.width(), 2);
    EXPECT_EQ(p.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(p.pixel(1, 0), 0x80008000u);
    EXPECT_EQ(p.pixel(0, 1), 0x00000000u);
    EXPECT_EQ(p.pixel(1, 1), 0xFFFFFFFFu);
    // DefineBitsJPEG3 with PNG data: the alpha plane is not applied.
    p = decodeOk(35, jpeg3Tag(2, png, Bytes(4, 0)));
    EXPECT_EQ(p.pixel(0, 0), 0xFFFF0000u);
    // 16-bit greyscale.
    p = decodeOk(21, pictureTag(3, makePng(2, 2, rgba, true)));
    EXPECT_EQ(p.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(p.pixel(1, 0), 0xFF000000u);

    // GIF with a transparency index, plain and interlaced (10 rows to cover every pass).
    std::vector<uint8_t> palette = {255, 0, 0, 0, 255, 0, 0, 0, 0};
    std::vector<uint8_t> indices(3 * 10);
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint8_t(i % 3);
    for (bool interlaced : {false, true}) {
        p = decodeOk(21, pictureTag(4, makeGif(3, 10, palette, indices, 2, interlaced)));
        ASSERT_EQ(p.width(), 3);
        ASSERT_EQ(p.height(), 10);
        for (int y = 0; y < 10; ++y) {
            uint32_t expected[3] = {0xFFFF0000u, 0xFF00FF00u, 0u};
            for (int x = 0; x < 3; ++x) EXPECT_EQ(p.pixel(x, y), expected[(y * 3 + x) % 3]) << x << "," << y;
        }
    }
    writeSeed("png", 21, pictureTag(1, png));
    writeSeed("gif", 21, pictureTag(4, makeGif(3, 10, palette, indices, 2, true)));
}

TEST(BitmapDecode, BadInputIsAnErrorNeverACrash) {
    // Flash's caps: 8191 px a side, 16,777,215 pixels.
    EXPECT_FALSE(decodeBitmap(36, losslessTag(1, 5, 8192, 1, 0, Bytes(16, 0)), {}).ok());
    EXPECT_FALSE(decodeBitmap(36, losslessTag(1, 5, 8191, 8191, 0, Bytes(16, 0)), {}).ok());
    EXPECT_FALSE(decodeBitmap(36, losslessTag(1, 5, 0, 4, 0, Bytes(16, 0)), {}).ok());
    EXPECT_FALSE(decodeBitmap(36, losslessTag(1, 7, 1, 1, 0, Bytes(16, 0)), {}).ok());
    // Pixel data shorter than the picture.
    EXPECT_FALSE(decodeBitmap(36, losslessTag(1, 5, 4, 4, 0, Bytes(15, 0)), {}).ok());
    // A JPEG3 alpha offset past the end.
    Bytes lying;
    appendU16(lying, 1);
    appendU32(lying, 1000);
    lying.push_back(0xFF);
    EXPECT_FALSE(decodeBitmap(35, lying, {}).ok());
    EXPECT_FALSE(decodeBitmap(21, Bytes{1}, {}).ok());
    EXPECT_FALSE(decodeBitmap(2, pictureTag(1, {}), {}).ok());

    // Every truncation of every kind of tag: error or picture, never a crash (ASan watches).
    std::vector<uint8_t> rgba(4 * 4 * 4, 200);
    Bytes jpeg = makeJpeg(16, 16, 10, 200, 30);
    std::vector<std::pair<uint16_t, Bytes>> tags = {
        {21, pictureTag(1, jpeg)},
        {21, pictureTag(1, makePng(4, 4, rgba))},
        {21, pictureTag(1, makeGif(2, 2, {0, 0, 0, 255, 255, 255}, {0, 1, 1, 0}, 0))},
        {35, jpeg3Tag(1, jpeg, Bytes(256, 7))},
        {20, losslessTag(1, 3, 5, 3, 2, Bytes(6 + 24, 1))},
        {36, losslessTag(1, 5, 4, 4, 0, Bytes(64, 9))},
    };
    for (auto& [code, body] : tags) {
        for (size_t n = 0; n < body.size(); ++n) {
            auto r = decodeBitmap(code, std::span(body.data(), n), {});
            if (n < 2) {
                EXPECT_FALSE(r.ok());
            }
        }
    }
    // A truncated lossless stream is an error.
    Bytes cut = losslessTag(1, 5, 4, 4, 0, Bytes(64, 9));
    cut.resize(cut.size() - 8);
    EXPECT_FALSE(decodeBitmap(36, cut, {}).ok());
}

}  // namespace
}  // namespace kelmora::player
