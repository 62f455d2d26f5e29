#include "image/DIBSection.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cstring>

#include "ImageTestSupport.h"

namespace kelmora {
namespace {

using testing::makeFrame;

// The pixel (x, y), counted from the top, as the DIB holds it.
QRgb dibPixel(const cDIBSection& dib, int x, int y) {
    const uint8_t* p = dib.topDownRow(y) + x * 3;
    return qRgb(p[2], p[1], p[0]);
}

TEST(DIBSection, RowLengthSizesAndLifecycle) {
    const struct { int width, line; } rows[] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {47, 144}, {320, 960}};
    for (const auto& r : rows) {
        cDIBSection dib;
        ASSERT_TRUE(dib.Create(r.width, 3));
        EXPECT_EQ(dib.BytesPerScanLine(), r.line) << r.width;
        EXPECT_EQ(dib.SizeImage(), int64_t(r.line) * 3) << r.width;
        EXPECT_EQ(dib.Header().biSizeImage, r.line * 3) << r.width;
    }

    cDIBSection dib;
    EXPECT_EQ(dib.Width(), 0);
    EXPECT_EQ(dib.Height(), 0);
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);

    ASSERT_TRUE(dib.Create(5, 4));
    for (int64_t i = 0; i < dib.SizeImage(); ++i) ASSERT_EQ(dib.DIBSectionBitsPtr()[i], 0) << i;
    EXPECT_EQ(dib.Header().biBitCount, 24);
    EXPECT_EQ(dib.Header().biPlanes, 1);
    EXPECT_EQ(dib.Header().biSize, 40);

    dib.ClearUp();
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
    EXPECT_EQ(dib.SizeImage(), 0);
    EXPECT_EQ(dib.Width(), 5);
    EXPECT_EQ(dib.Height(), 4);

    // A size that can't be had: the header takes it, no pixels.
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-3, 4}, {4, -3}, {1 << 30, 1 << 30}}) {
        EXPECT_FALSE(dib.Create(w, h)) << w << "x" << h;
        EXPECT_EQ(dib.Width(), w);
        EXPECT_EQ(dib.Height(), h);
        EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
    }
}

TEST(DIBSection, PictureBecomesBottomUpBgrWithZeroFiller) {
    const QImage frame = makeFrame(47, 33);  // 141 bytes of pixels, 3 of filler per row
    const QImage::Format formats[] = {QImage::Format_RGB32,   QImage::Format_ARGB32_Premultiplied,
                                      QImage::Format_ARGB32,  QImage::Format_RGB888,
                                      QImage::Format_BGR888,  QImage::Format_RGBX8888,
                                      QImage::Format_RGB16,   QImage::Format_RGBA8888_Premultiplied};
    for (QImage::Format format : formats) {
        const QImage picture = frame.convertToFormat(format);
        cDIBSection dib;
        ASSERT_TRUE(dib.CreateFromPicture(picture)) << format;
        ASSERT_EQ(dib.Width(), 47);
        ASSERT_EQ(dib.Height(), 33);
        // The first row in memory is the picture's bottom row.
        const uint8_t* first = dib.DIBSectionBitsPtr();
        EXPECT_EQ(qRgb(first[2], first[1], first[0]), picture.pixel(0, 32) | 0xFF000000u) << format;
        for (int y = 0; y < 33; ++y) {
            for (int x = 0; x < 47; ++x) {
                ASSERT_EQ(dibPixel(dib, x, y), picture.pixel(x, y) | 0xFF000000u) << format << " " << x << "," << y;
            }
            const uint8_t* row = dib.topDownRow(y);
            EXPECT_EQ(row[141] | row[142] | row[143], 0) << "filler of row " << y;
        }
    }
}

TEST(DIBSection, RefillingAtTheSameSizeKeepsTheBuffer) {
    cDIBSection dib;
    ASSERT_TRUE(dib.CreateFromPicture(makeFrame(64, 48)));
    const uint8_t* buffer = dib.DIBSectionBitsPtr();
    ASSERT_TRUE(dib.CreateFromPicture(makeFrame(64, 48, QImage::Format_RGB888)));
    EXPECT_EQ(dib.DIBSectionBitsPtr(), buffer);
    ASSERT_TRUE(dib.CreateFromPicture(makeFrame(20, 10)));  // smaller fits too
    EXPECT_EQ(dib.DIBSectionBitsPtr(), buffer);
    EXPECT_EQ(dib.SizeImage(), 60 * 10);
    ASSERT_TRUE(dib.CreateFromPicture(makeFrame(200, 100)));
    EXPECT_EQ(dib.Width(), 200);
    EXPECT_EQ(dibPixel(dib, 199, 99), makeFrame(200, 100).pixel(199, 99));

    // A null picture leaves the instance without pixels and reports nothing.
    EXPECT_FALSE(dib.CreateFromPicture(QImage()));
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
}

TEST(DIBSection, EngineFramesConvertInOnePass) {
    // Widths around the four-pixel step, premultiplied pixels drawn over black, and a row stride
    // larger than the pixels.
    for (int width = 1; width <= 9; ++width) {
        const int height = 3, strideWords = width + 2;
        std::vector<uint32_t> frame(size_t(strideWords) * height, 0xDEADBEEF);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint32_t a = (x % 2) ? 0xFF : 0x80, r = (x * 29 + y) & 0xFF;
                const uint32_t g = (y * 71) & 0xFF, b = (x * 13 + 5) & 0xFF;
                frame[size_t(y) * strideWords + x] = (a << 24) | (r * a / 255 << 16) | (g * a / 255 << 8) | (b * a / 255);
            }
        }
        cDIBSection dib;
        ASSERT_TRUE(dib.CreateFromArgb32(frame.data(), width, height, strideWords));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint32_t p = frame[size_t(y) * strideWords + x];
                const uint8_t* d = dib.topDownRow(y) + x * 3;
                ASSERT_EQ((uint32_t(d[2]) << 16) | (uint32_t(d[1]) << 8) | d[0], p & 0xFFFFFFu)
                    << width << ": " << x << "," << y;
            }
        }
    }
    cDIBSection dib;
    const uint32_t one = 0xFF102030;
    EXPECT_FALSE(dib.CreateFromPixels(reinterpret_cast<const uint8_t*>(&one), 2, 1, 4, PixelOrder::Argb32))
        << "a stride shorter than the row is refused";
    EXPECT_FALSE(dib.CreateFromPixels(nullptr, 1, 1, 4, PixelOrder::Argb32));
}

TEST(DIBSection, BlockCopiesClipToBothBitmaps) {
    const QImage frame = makeFrame(40, 30);
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(16, 12));
    dib.LoadPictureBlt(frame, 30, 25);  // only 10 x 5 of the source exist there
    EXPECT_EQ(dibPixel(dib, 0, 0), frame.pixel(30, 25));
    EXPECT_EQ(dibPixel(dib, 9, 4), frame.pixel(39, 29));
    EXPECT_EQ(dibPixel(dib, 10, 4), qRgb(0, 0, 0));
    EXPECT_EQ(dibPixel(dib, 0, 5), qRgb(0, 0, 0));

    cDIBSection copy;
    ASSERT_TRUE(copy.Create(16, 12));
    copy.LoadPictureBlt(dib, -2, -1, -1, -1);  // a negative origin shifts the block
    EXPECT_EQ(dibPixel(copy, 2, 1), dibPixel(dib, 0, 0));
    EXPECT_EQ(dibPixel(copy, 0, 0), qRgb(0, 0, 0));

    // Painting back into a picture gives the same pixels, upright.
    ASSERT_TRUE(dib.CreateFromPicture(frame));
    QImage out(40, 30, QImage::Format_RGB32);
    out.fill(Qt::black);
    dib.PaintPicture(out);
    EXPECT_EQ(out, frame);
    out.fill(Qt::black);
    dib.PaintPicture(out, 35, 28, -1, -1, 0, 0);
    EXPECT_EQ(out.pixel(35, 28), frame.pixel(0, 0));
    EXPECT_EQ(out.pixel(39, 29), frame.pixel(4, 1));
    EXPECT_EQ(out.pixel(34, 28), qRgb(0, 0, 0));
}

}  // namespace
}  // namespace kelmora
