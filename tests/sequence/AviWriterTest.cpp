#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <filesystem>

#include "image/BitmapFile.h"
#include "sequence/AviWriter.h"
#include "sequence/JoinPictures.h"
#include "SequenceTestSupport.h"

namespace kelmora {
namespace {

using testing::makeBmp;
using testing::Picture;
using testing::readAvi;
using testing::writeFile;

std::vector<std::string> makeSequence(const testing::ScratchFolder& dir, int count, int w, int h, int bits, bool bottomUp,
                                      std::vector<Picture>* pictures) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        Picture p;
        const std::string path = dir.file("frame" + std::to_string(1000 + i) + ".bmp");
        writeFile(path, makeBmp(w, h, bits, bottomUp, i, &p));
        paths.push_back(path);
        if (pictures) pictures->push_back(std::move(p));
    }
    return paths;
}

// Lossless codecs give back every pixel of every picture, whatever the depth and row direction.
TEST(AviWriter, LosslessCodecsKeepEveryPixel) {
    struct Case { const char* codec; int bits; bool bottomUp; int w, h; };
    const Case cases[] = {
        {"raw", 24, true, 47, 33}, {"raw", 24, false, 47, 33}, {"raw", 32, true, 16, 9},
        {"raw", 8, true, 31, 7},   {"raw", 16, true, 13, 5}, {"raw", 4, true, 21, 6},   {"ffv1", 24, true, 47, 33},
        {"ffv1", 24, false, 20, 10}, {"ffv1", 8, true, 31, 7}, {"ffv1", 4, true, 21, 6},
        {"ffv1", 1, false, 35, 4}, {"ffv1", 32, true, 16, 9},  {"ffv1", 16, true, 13, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.codec) + " " + std::to_string(c.bits) + (c.bottomUp ? " bottom-up" : " top-down"));
        testing::ScratchFolder dir;
        std::vector<Picture> pictures;
        JoinRequest request{makeSequence(dir, 4, c.w, c.h, c.bits, c.bottomUp, &pictures), dir.file("out.avi"), 7, {}};
        request.compressor.codec = c.codec;
        ASSERT_TRUE(joinPictures(request).ok());
        const auto back = readAvi(request.output);
        ASSERT_TRUE(back.opened);
        EXPECT_EQ(back.width, c.w);
        EXPECT_EQ(back.height, c.h);
        EXPECT_EQ(av_q2d(back.rate), 7.0);
        ASSERT_EQ(back.frames.size(), pictures.size());
        for (size_t i = 0; i < pictures.size(); ++i) EXPECT_EQ(back.frames[i].rgb, pictures[i].rgb) << "frame " << i;
    }
}

// Lossy codecs: the frame count, size and the rate the box shows (60 stays 60).
TEST(AviWriter, LossyCodecsKeepCountSizeAndRate) {
    for (const auto& option : availableCompressors()) {
        SCOPED_TRACE(option.codec);
        testing::ScratchFolder dir;
        std::vector<Picture> pictures;
        JoinRequest request{makeSequence(dir, 30, 64, 48, 24, true, &pictures), dir.file("out.avi"), 60, {}};
        request.compressor.codec = option.codec;
        request.compressor.keyFrameInterval = 10;
        ASSERT_TRUE(joinPictures(request).ok());
        const auto back = readAvi(request.output);
        EXPECT_EQ(back.frames.size(), 30u);
        EXPECT_EQ(back.width, 64);
        EXPECT_EQ(back.height, 48);
        EXPECT_EQ(av_q2d(back.rate), 60.0);
    }
}

TEST(AviWriter, RefusesWhatItCannotWrite) {
    testing::ScratchFolder dir;
    auto paths = makeSequence(dir, 2, 9, 9, 24, true, nullptr);
    // An odd size for a 4:2:0 codec, a missing picture later on, a different format, an empty list.
    JoinRequest odd{paths, dir.file("odd.avi"), 12, {}};
    odd.compressor.codec = "mpeg4";
    EXPECT_NE(joinPictures(odd).error().message.find("even"), std::string::npos);

    JoinRequest missing{{paths[0], dir.file("gone.bmp")}, dir.file("m.avi"), 12, {}};
    const Status st = joinPictures(missing);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().message, "File does not exist: " + dir.file("gone.bmp"));
    EXPECT_EQ(readAvi(missing.output).frames.size(), 1u);  // the frame before it stays readable

    writeFile(dir.file("big.bmp"), makeBmp(10, 9, 24, true, 0));
    JoinRequest mixed{{paths[0], dir.file("big.bmp")}, dir.file("x.avi"), 12, {}};
    EXPECT_NE(joinPictures(mixed).error().message.find("different format"), std::string::npos);

    EXPECT_FALSE(joinPictures(JoinRequest{{}, dir.file("e.avi"), 12, {}}).ok());
    EXPECT_FALSE(joinPictures(JoinRequest{paths, dir.file("r.avi"), 100, {}}).ok());

    AviWriter writer;  // operations out of order are errors, not crashes
    EXPECT_FALSE(writer.writeFrame({}).ok());
    EXPECT_FALSE(writer.open(dir.path() + "/no/such/folder/x.avi").ok());
    EXPECT_TRUE(writer.close().ok());
}

// A full disk: the write stops with an error and the frames before it can still be read.
TEST(AviWriter, FullDiskLeavesReadableFrames) {
    testing::ScratchFolder dir;
    auto paths = makeSequence(dir, 40, 64, 48, 24, true, nullptr);
    const std::string out = dir.file("full.avi");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100000, 100000};  // room for about 10 frames of 9 KiB
        ::setrlimit(RLIMIT_FSIZE, &limit);
        JoinRequest request{paths, out, 12, {}};
        const Status st = joinPictures(request);
        ::_exit(st.ok() ? 0 : 3);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    const auto back = readAvi(out);
    ASSERT_TRUE(back.opened);
    EXPECT_GE(back.frames.size(), 8u);
    EXPECT_LT(back.frames.size(), 40u);
    EXPECT_LE(std::filesystem::file_size(out), 100000u);
}

}  // namespace
}  // namespace kelmora

namespace kelmora {
namespace {

// The quality reaches the quantiser: a low quality gives a clearly smaller file.
TEST(AviWriter, QualityReachesTheEncoder) {
    testing::ScratchFolder dir;
    auto paths = makeSequence(dir, 5, 64, 48, 24, true, nullptr);
    for (const char* codec : {"mjpeg", "mpeg4"}) {
        uintmax_t sizes[2];
        for (int q : {0, 100}) {
            JoinRequest request{paths, dir.file(std::string(codec) + std::to_string(q) + ".avi"), 12, {codec, q, 25}};
            ASSERT_TRUE(joinPictures(request).ok());
            sizes[q / 100] = std::filesystem::file_size(request.output);
        }
        EXPECT_LT(sizes[0] * 2, sizes[1]) << codec;
    }
}

}  // namespace
}  // namespace kelmora
