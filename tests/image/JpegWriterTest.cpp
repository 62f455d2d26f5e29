#include "image/JpegWriter.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <turbojpeg.h>

#include <cmath>

#include "ImageTestSupport.h"
#include "image/DIBSection.h"

namespace kelmora {
namespace {

using testing::makeFrame;
using testing::readBytes;
using testing::RecordingMessageSink;
using testing::ScratchFolder;

struct Decoded {
    int width = 0, height = 0, subsampling = -1;
    std::vector<uint8_t> rgb;  // top-down
};

Decoded decodeJpeg(const std::vector<uint8_t>& jpeg) {
    Decoded d;
    tjhandle h = tjInitDecompress();
    int colourspace = 0;
    if (tjDecompressHeader3(h, jpeg.data(), jpeg.size(), &d.width, &d.height, &d.subsampling, &colourspace) == 0) {
        d.rgb.resize(size_t(d.width) * d.height * 3);
        if (tjDecompress2(h, jpeg.data(), jpeg.size(), d.rgb.data(), d.width, 0, d.height, TJPF_RGB, 0) != 0) {
            d.rgb.clear();
        }
    }
    tjDestroy(h);
    return d;
}

// Mean absolute difference per channel between a decoded JPEG and a picture, over a region.
double meanError(const Decoded& d, const QImage& picture, QRect region) {
    double sum = 0;
    int n = 0;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            const QRgb p = picture.pixel(x, y);
            const uint8_t* q = &d.rgb[(size_t(y) * d.width + x) * 3];
            sum += std::abs(q[0] - qRed(p)) + std::abs(q[1] - qGreen(p)) + std::abs(q[2] - qBlue(p));
            n += 3;
        }
    }
    return sum / n;
}

TEST(JpegWriter, FramesComeBackUprightAndClose) {
    ScratchFolder folder;
    RecordingMessageSink messages;
    const struct { int width, height, quality, subsampling; double maxError; } cases[] = {
        {47, 33, 100, TJSAMP_444, 2.0}, {47, 33, 75, TJSAMP_420, 8.0}, {550, 400, 90, TJSAMP_444, 3.0},
        {550, 400, 89, TJSAMP_420, 6.0}, {5, 7, 0, TJSAMP_420, 60.0}, {4, 4, 100, TJSAMP_444, 2.0},
    };
    for (const auto& c : cases) {
        const QImage frame = makeFrame(c.width, c.height);
        cDIBSection dib;
        ASSERT_TRUE(dib.CreateFromPicture(frame));
        const std::string name = folder.file("frame_0001.jpg");
        ASSERT_TRUE(SaveJPG(dib, name, c.quality, messages)) << c.width << " q" << c.quality;
        const Decoded d = decodeJpeg(readBytes(name));
        ASSERT_EQ(d.width, c.width);
        ASSERT_EQ(d.height, c.height);
        ASSERT_FALSE(d.rgb.empty());
        EXPECT_EQ(d.subsampling, c.subsampling) << "q" << c.quality;
        EXPECT_LT(meanError(d, frame, frame.rect()), c.maxError) << c.width << " q" << c.quality;
        if (c.width > 40) {
            // Upright: the red quarter is at the top left, the first row of the file.
            const uint8_t* topLeft = &d.rgb[(size_t(2) * d.width + 2) * 3];
            EXPECT_GT(topLeft[0], 180) << "q" << c.quality;
            EXPECT_LT(topLeft[2], 80) << "q" << c.quality;
        }
    }
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(folder.names(), std::vector<std::string>{"frame_0001.jpg"}) << "no temporary files left";
}

TEST(JpegWriter, ReplacedFileKeepsItsTimesAndPermissions) {
    ScratchFolder folder;
    RecordingMessageSink messages;
    cDIBSection dib;
    ASSERT_TRUE(dib.CreateFromPicture(makeFrame(31, 17)));

    const std::string name = folder.file("kept.jpg");
    testing::writeBytes(name, std::vector<uint8_t>(100000, 0x55));  // longer than the JPEG
    ASSERT_EQ(::chmod(name.c_str(), 0604), 0);
    const struct timespec times[2] = {{1000000000, 123456789}, {1100000000, 987654321}};
    ASSERT_EQ(::utimensat(AT_FDCWD, name.c_str(), times, 0), 0);

    ASSERT_TRUE(SaveJPG(dib, name, 80, messages));
    struct stat st {};
    ASSERT_EQ(::stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(st.st_atim.tv_sec, 1000000000);
    EXPECT_EQ(st.st_atim.tv_nsec, 123456789);
    EXPECT_EQ(st.st_mtim.tv_sec, 1100000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 987654321);
    const auto bytes = readBytes(name);
    ASSERT_GT(bytes.size(), 2u);
    EXPECT_LT(bytes.size(), 100000u) << "the old file's tail is gone";
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);

    // A new file gets the usual permissions (umask applied) and the current time.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    const std::string fresh = folder.file("fresh.jpg");
    ASSERT_TRUE(SaveJPG(dib, fresh, 80, messages));
    ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask);
    EXPECT_GT(st.st_mtim.tv_sec, 1100000000);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(JpegWriter, FailuresShowTheSaveJpgMessageAndKeepTheOldFile) {
    ScratchFolder folder;
    const std::string existing = folder.file("old.jpg");
    const std::vector<uint8_t> oldBytes{1, 2, 3, 4, 5};
    testing::writeBytes(existing, oldBytes);

    cDIBSection empty;  // creation failed: no pixels
    EXPECT_FALSE(empty.Create(0, 10));
    cDIBSection good;
    ASSERT_TRUE(good.CreateFromPicture(makeFrame(8, 8)));

    const struct {
        const cDIBSection* dib;
        std::string name;
        int quality;
        std::string text;
    } cases[] = {
        {&empty, existing, 75, "ERROR 26001\r\n\r\nFailed to save to JPG -1"},
        {&good, existing, 101, "ERROR 26001\r\n\r\nFailed to save to JPG -1"},
        {&good, existing, -1, "ERROR 26001\r\n\r\nFailed to save to JPG -1"},
        {&good, folder.file("missing/frame.jpg"), 75, "ERROR 2\r\n\r\nNo such file or directory"},
        {&good, folder.path(), 75, "ERROR 21\r\n\r\nIs a directory"},
    };
    for (const auto& c : cases) {
        RecordingMessageSink messages;
        EXPECT_FALSE(SaveJPG(*c.dib, c.name, c.quality, messages)) << c.text;
        ASSERT_EQ(messages.messages.size(), 1u) << c.text;
        EXPECT_EQ(messages.messages[0].title, "SaveJPG");
        EXPECT_EQ(messages.messages[0].text, c.text);
        EXPECT_EQ(messages.messages[0].icon, MessageIcon::Warning);
        EXPECT_EQ(messages.messages[0].buttons, MessageButtons::Ok);
    }
    EXPECT_EQ(readBytes(existing), oldBytes) << "a failed write leaves the earlier file alone";

    if (!testing::runningAsRoot()) {
        // A read-only frame is not replaced, as writing into it would fail.
        ASSERT_EQ(::chmod(existing.c_str(), 0444), 0);
        RecordingMessageSink messages;
        EXPECT_FALSE(SaveJPG(good, existing, 75, messages));
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].text, "ERROR 13\r\n\r\nPermission denied");
        EXPECT_EQ(readBytes(existing), oldBytes);
    }
    EXPECT_EQ(folder.names(), std::vector<std::string>{"old.jpg"}) << "no temporary files left";
}

}  // namespace
}  // namespace kelmora
