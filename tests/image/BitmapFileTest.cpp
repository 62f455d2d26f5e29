#include "image/BitmapFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <cstring>
#include <limits>

#include "ImageTestSupport.h"
#include "image/BitmapWriter.h"
#include "image/DIBSection.h"

namespace kelmora {
namespace {

using testing::makeFrame;
using testing::readBytes;
using testing::RecordingMessageSink;
using testing::ScratchFolder;
using testing::writeBytes;
using testing::writeSeed;

void put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// A BMP file written field by field: bfOffBits = 54 + gap, pixel bytes counting up.
std::vector<uint8_t> bmpBytes(int32_t width, int32_t height, int16_t bitCount, uint32_t gap, int32_t sizeImage,
                              uint32_t pixelBytes, int32_t compression = 0) {
    std::vector<uint8_t> b(54 + gap + pixelBytes, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, uint32_t(b.size()));
    put32(b, 10, 54 + gap);
    put32(b, 14, 40);
    put32(b, 18, uint32_t(width));
    put32(b, 22, uint32_t(height));
    put16(b, 26, 1);
    put16(b, 28, uint16_t(bitCount));
    put32(b, 30, uint32_t(compression));
    put32(b, 34, uint32_t(sizeImage));
    put32(b, 38, 2835);
    put32(b, 42, 2835);
    for (uint32_t i = 0; i < gap; ++i) b[54 + i] = uint8_t(i * 7);
    for (uint32_t i = 0; i < pixelBytes; ++i) b[54 + gap + i] = uint8_t(i);
    return b;
}

TEST(BitmapFile, FramesRoundTripThroughFiles) {
    ScratchFolder folder;
    RecordingMessageSink messages;
    const QImage frame = makeFrame(47, 33);
    cDIBSection dib;
    ASSERT_TRUE(dib.CreateFromPicture(frame));
    const std::string name = folder.file("clip.swf_0001.bmp");
    ASSERT_TRUE(saveBitmapFile(dib, name).ok());

    // Qt's own reader sees the same picture, upright.
    EXPECT_EQ(QImage(QString::fromStdString(name)).convertToFormat(QImage::Format_RGB32), frame);

    cDib bmp;
    ASSERT_TRUE(bmp.CreateFromFile(name, messages));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(bmp.Width(), 47);
    EXPECT_EQ(bmp.Height(), 33);
    EXPECT_EQ(bmp.BitCount(), 24);
    EXPECT_EQ(bmp.PLANES(), 1);
    EXPECT_EQ(bmp.Compression(), 0);
    EXPECT_EQ(bmp.SizeInfoHeader(), 40);
    EXPECT_EQ(bmp.SizeImage(), 144 * 33);
    EXPECT_EQ(bmp.FileType(), 19778);
    EXPECT_EQ(bmp.BitOffset(), 54);
    EXPECT_EQ(bmp.SizeFileHeader(), 54 + 144 * 33);
    EXPECT_EQ(bmp.SizeBitmapInfo(), 40);
    ASSERT_NE(bmp.PointerToBits(), nullptr);
    EXPECT_EQ(std::memcmp(bmp.PointerToBits(), dib.DIBSectionBitsPtr(), size_t(dib.SizeImage())), 0);
    writeSeed("fuzz_bmp", "frame24.bmp", readBytes(name));

    // Written back byte for byte, replacing a longer file completely.
    const std::string copy = folder.file("copy.bmp");
    writeBytes(copy, std::vector<uint8_t>(20000, 0xEE));
    ASSERT_EQ(::chmod(copy.c_str(), 0640), 0);
    ASSERT_TRUE(bmp.WriteToFile(copy));
    EXPECT_EQ(readBytes(copy), readBytes(name));
    struct stat st {};
    ASSERT_EQ(::stat(copy.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // An engine frame written directly gives the same file; tall enough to take several chunks.
    const QImage tall = makeFrame(301, 1000);
    ASSERT_TRUE(dib.CreateFromPicture(tall));
    ASSERT_TRUE(saveBitmapFile(dib, folder.file("a.bmp")).ok());
    ASSERT_TRUE(saveBitmapFile(tall.constBits(), 301, 1000, tall.bytesPerLine(), PixelOrder::Argb32,
                               folder.file("b.bmp")).ok());
    EXPECT_EQ(readBytes(folder.file("a.bmp")), readBytes(folder.file("b.bmp")));

    // Failed writes say so and leave nothing behind.
    EXPECT_FALSE(bmp.WriteToFile(folder.file("missing/x.bmp")));
    EXPECT_FALSE(cDib().WriteToFile(folder.file("nothing.bmp"))) << "an empty object writes no file";
    const Status s = saveBitmapFile(dib, folder.file("missing/y.bmp"));
    EXPECT_EQ(s.error().code, ENOENT);
    cDIBSection none;
    EXPECT_FALSE(saveBitmapFile(none, folder.file("none.bmp")).ok());
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"a.bmp", "b.bmp", "clip.swf_0001.bmp", "copy.bmp"}));
}

TEST(BitmapFile, BlocksFollowTheHeaders) {
    // An 8-bit picture with a 256-entry colour table: everything between the headers and the
    // pixels belongs to the bitmap-info block; a zero biSizeImage is computed from the rows.
    cDib bmp;
    auto palette = bmpBytes(13, 5, 8, 1024, 0, 16 * 5);
    ASSERT_TRUE(bmp.CreateFromBytes(palette));
    EXPECT_EQ(bmp.BitOffset(), 1078);
    EXPECT_EQ(bmp.SizeBitmapInfo(), 1064);
    EXPECT_EQ(bmp.SizeImage(), 16 * 5);
    EXPECT_EQ(bmp.BitCount(), 8);
    EXPECT_EQ(bmp.XPPM(), 2835);
    EXPECT_EQ(bmp.PointerToBitmapInfo()[40], 0);
    EXPECT_EQ(bmp.PointerToBitmapInfo()[41], 7);
    EXPECT_EQ(bmp.PointerToBits()[79], 79);
    writeSeed("fuzz_bmp", "palette8.bmp", palette);

    const struct {
        const char* what;
        std::vector<uint8_t> file;
        int32_t sizeImage, sizeBitmapInfo;
    } accepted[] = {
        {"top-down rows", bmpBytes(4, -3, 24, 0, 0, 36), 36, 40},
        {"image size larger than the rows", bmpBytes(4, 3, 24, 0, 40, 40), 40, 40},
        {"1-bit rows", bmpBytes(33, 2, 1, 8, 0, 16), 16, 48},
        {"run-length data of unstated size takes the rest", bmpBytes(4, 4, 8, 1024, 0, 30, 1), 30, 1064},
        {"a larger info header", [] { auto b = bmpBytes(2, 2, 32, 84, 16, 16, 3); put32(b, 14, 124); return b; }(), 16, 124},
        {"unknown bit depth with a stated size", bmpBytes(2, 2, 12, 0, 6, 6), 6, 40},
    };
    for (const auto& c : accepted) {
        cDib d;
        EXPECT_TRUE(d.CreateFromBytes(c.file)) << c.what;
        EXPECT_EQ(d.SizeImage(), c.sizeImage) << c.what;
        EXPECT_EQ(d.SizeBitmapInfo(), c.sizeBitmapInfo) << c.what;
    }
    writeSeed("fuzz_bmp", "rle8.bmp", accepted[3].file);
}

TEST(BitmapFile, HostileHeadersAreRefusedAndThePictureKept) {
    auto with = [](std::vector<uint8_t> b, size_t at, uint32_t v) {
        put32(b, at, v);
        return b;
    };
    const auto good = bmpBytes(5, 4, 24, 0, 0, 64);
    const uint32_t big = 0x7FFFFFFF;
    const struct {
        const char* what;
        std::vector<uint8_t> file;
    } refused[] = {
        {"empty file", {}},
        {"shorter than a file header", std::vector<uint8_t>(good.begin(), good.begin() + 10)},
        {"only a file header", std::vector<uint8_t>(good.begin(), good.begin() + 14)},
        {"a JPEG named .bmp", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1}},
        {"bfOffBits inside the headers", with(good, 10, 40)},
        {"bfOffBits past the end", with(good, 10, 5000)},
        {"bfOffBits huge", with(good, 10, 0xFFFFFFF0)},
        {"core header size", with(good, 14, 12)},
        {"info header larger than the gap", with(good, 14, 124)},
        {"negative info header size", with(good, 14, 0xFFFFFFFF)},
        {"width 0", with(good, 18, 0)},
        {"negative width", with(good, 18, uint32_t(-5))},
        {"height 0", with(good, 22, 0)},
        {"height of the lowest integer", with(good, 22, 0x80000000)},
        {"negative image size", with(good, 34, uint32_t(-64))},
        {"image size past the end", with(good, 34, 65)},
        {"image size huge", with(good, 34, big)},
        {"image size smaller than the rows", with(good, 34, 63)},
        {"rows past the end (huge width)", with(good, 18, big)},
        {"rows past the end (huge height)", with(good, 22, big)},
        {"rows past the end (huge top-down height)", with(good, 22, uint32_t(-int32_t(big)))},
        {"rows past the end (huge bit count)", [&] { auto b = good; put16(b, 28, 0x7FFF); put32(b, 34, 0); return b; }()},
        {"truncated pixel data", std::vector<uint8_t>(good.begin(), good.end() - 1)},
        {"compressed with no data", bmpBytes(4, 4, 8, 0, 0, 0, 1)},
        {"unknown bit depth of unknown size", bmpBytes(4, 4, 12, 0, 0, 24)},
    };

    ScratchFolder folder;
    cDib bmp;
    ASSERT_TRUE(bmp.CreateFromBytes(good));
    for (const auto& c : refused) {
        EXPECT_FALSE(bmp.CreateFromBytes(c.file)) << c.what;
        EXPECT_FALSE(examineBitmapHeaders(c.file, c.file.size()).ok()) << c.what;

        const std::string name = folder.file(std::string("Refused ") + c.what + ".BMP");
        writeBytes(name, c.file);
        RecordingMessageSink messages;
        EXPECT_FALSE(bmp.CreateFromFile(name, messages)) << c.what;
        ASSERT_EQ(messages.messages.size(), 1u) << c.what;
        EXPECT_EQ(messages.messages[0].text, "File is not a supported bitmap format:\r\n" + name);
        EXPECT_EQ(messages.messages[0].icon, MessageIcon::Information);
        EXPECT_EQ(messages.messages[0].title, "");

        // The previous picture stays, headers included.
        EXPECT_EQ(bmp.Width(), 5) << c.what;
        EXPECT_EQ(bmp.Height(), 4) << c.what;
        EXPECT_EQ(bmp.SizeImage(), 64) << c.what;
        EXPECT_EQ(bmp.BitOffset(), 54) << c.what;
        EXPECT_EQ(bmp.FileType(), 19778) << c.what;
        EXPECT_EQ(bmp.PointerToBits()[63], 63) << c.what;
    }
    writeSeed("fuzz_bmp", "refused-past-end.bmp", refused[15].file);
}

TEST(BitmapFile, OpenFailuresAreReported) {
    ScratchFolder folder;
    cDib bmp;
    RecordingMessageSink messages;
    const std::string missing = folder.file("Missing.bmp");
    EXPECT_FALSE(bmp.CreateFromFile(missing, messages));
    EXPECT_FALSE(bmp.CreateFromFile(folder.path(), messages));
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[0].text, "File does not exist:\r\n" + missing);
    EXPECT_EQ(messages.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(messages.messages[1].text, "Is a directory");
    EXPECT_EQ(messages.messages[1].icon, MessageIcon::Information);

    if (!testing::runningAsRoot()) {
        const std::string locked = folder.file("locked.bmp");
        writeBytes(locked, bmpBytes(2, 2, 24, 0, 0, 16));
        ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
        messages.messages.clear();
        EXPECT_FALSE(bmp.CreateFromFile(locked, messages));
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].text, "File is locked - cannot access:\r\n" + locked);
        EXPECT_EQ(messages.messages[0].icon, MessageIcon::Stop);
    }
    EXPECT_EQ(bmp.PointerToBits(), nullptr);
    EXPECT_EQ(bmp.SizeBitmapInfo(), 0);
}

TEST(BitmapFile, PackedBitmapsInMemory) {
    // A 40-byte info header and then the pixels.
    auto packed = [](int32_t width, int32_t height, int16_t bitCount, int32_t sizeImage, uint32_t pixels) {
        auto file = bmpBytes(width, height, bitCount, 0, sizeImage, pixels);
        return std::vector<uint8_t>(file.begin() + 14, file.end());
    };
    cDib bmp;
    const auto p24 = packed(3, 2, 24, 24, 24);
    ASSERT_TRUE(bmp.CreateFromPackedDIBPointer(p24.data(), p24.size()));
    EXPECT_EQ(bmp.SizeBitmapInfo(), 40);
    EXPECT_EQ(bmp.BitOffset(), 54);
    EXPECT_EQ(bmp.SizeFileHeader(), 54 + 24);
    EXPECT_EQ(bmp.FileType(), 19778);
    EXPECT_EQ(bmp.SizeImage(), 24);
    EXPECT_EQ(std::memcmp(bmp.PointerToBitmapInfo(), p24.data(), 40), 0);
    EXPECT_EQ(bmp.PointerToBits()[23], 23);

    const auto p32 = packed(2, 2, 32, 16, 16);
    EXPECT_TRUE(cDib().CreateFromPackedDIBPointer(p32.data(), p32.size()));

    const struct {
        const char* what;
        std::vector<uint8_t> dib;
        size_t available;
    } refused[] = {
        {"8 bits per pixel", packed(4, 2, 8, 8, 8), 48},
        {"image size 0", packed(3, 2, 24, 0, 24), 64},
        {"pixels beyond what may be read", p24, p24.size() - 1},
        {"shorter than the header", p24, 39},
        {"image size smaller than the rows", packed(3, 2, 24, 23, 24), 64},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(bmp.CreateFromPackedDIBPointer(c.dib.data(), std::min(c.available, c.dib.size()))) << c.what;
        EXPECT_EQ(bmp.BitCount(), 24) << c.what << ": the previous picture stays";
        EXPECT_EQ(bmp.SizeImage(), 24) << c.what;
    }
    EXPECT_FALSE(bmp.CreateFromPackedDIBPointer(nullptr, 100));

    // And out to a file that reads back the same.
    ScratchFolder folder;
    RecordingMessageSink messages;
    ASSERT_TRUE(bmp.WriteToFile(folder.file("packed.bmp")));
    cDib back;
    ASSERT_TRUE(back.CreateFromFile(folder.file("packed.bmp"), messages));
    EXPECT_EQ(back.SizeImage(), 24);
    EXPECT_EQ(std::memcmp(back.PointerToBits(), bmp.PointerToBits(), 24), 0);
    writeSeed("fuzz_bmp", "packed24.bmp", readBytes(folder.file("packed.bmp")));
}

}  // namespace
}  // namespace kelmora
