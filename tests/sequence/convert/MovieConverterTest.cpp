// One movie through the converter: every frame's pixels, the real end, sizes, alpha, failures.
#include <gtest/gtest.h>

#include <filesystem>

#include "sequence/convert/ConvertTestMovies.h"
#include "sequence/convert/ConvertTestSupport.h"
#include "sequence/convert/MovieConverter.h"
#include "sequence/convert/OutputNaming.h"

namespace kelmora::convert {
namespace {

using testing::ScratchFolder;

MovieResult convertOne(const std::string& movie, const ConvertOptions& options, int jobs = 2) {
    EncodePool pool(jobs, 4);
    return MovieConverter(options, pool).convert(movie);
}

int countFiles(const std::string& folder, const std::string& ending) {
    int n = 0;
    for (auto& e : std::filesystem::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        n += name.size() >= ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
    }
    return n;
}

TEST(MovieConverter, EveryFrameIsWrittenExactlyAsThePlayerDrawsIt) {
    ScratchFolder dir;
    const std::string movie = testing::writeMovie(testing::slidingSquareMovie(30), dir.file("slide.swf"));
    const auto expected = testing::playerFrames(movie, 30);
    ASSERT_EQ(expected.size(), 30u);
    // Lossless formats, inline and with a pool of writers: the same pixels, in the same order.
    for (const char* pattern : {"p/{name}_%04d.png", "b/f%d.bmp"}) {
        for (int jobs : {0, 3}) {
            std::filesystem::remove_all(dir.file("p"));
            std::filesystem::remove_all(dir.file("b"));
            std::filesystem::create_directories(dir.file("p"));
            std::filesystem::create_directories(dir.file("b"));
            ConvertOptions o;
            o.outPattern = dir.file(pattern);
            MovieResult r = convertOne(movie, o, jobs);
            ASSERT_TRUE(r.ok) << r.reason;
            EXPECT_EQ(r.framesWritten, 30);
            EXPECT_EQ(r.end, EndReason::LastFrame);
            for (int k = 1; k <= 30; ++k) {
                const std::string file = frameFileName(o.outPattern, movie, k);
                EXPECT_EQ(testing::readPicture(file), expected[size_t(k - 1)]) << file << " jobs " << jobs;
            }
        }
    }
    // The default names sit beside the movie; a range writes only its frames, numbered as shown.
    ConvertOptions o;
    o.frames = {28, std::nullopt};
    ASSERT_TRUE(convertOne(movie, o).ok);
    EXPECT_EQ(countFiles(dir.path(), ".jpg"), 3);
    EXPECT_TRUE(std::filesystem::exists(dir.file("slide.swf_0030.jpg")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("slide.swf_0027.jpg")));
    // JPEG at quality 100 stays within a few steps of every pixel, and the picture is upright.
    const auto jpeg = testing::readPicture(dir.file("slide.swf_0030.jpg"));
    ASSERT_EQ(jpeg.size(), expected[29].size());
    int worst = 0;
    for (size_t i = 0; i < jpeg.size(); ++i)
        for (int shift : {0, 8, 16})
            worst = std::max(worst, std::abs(int((jpeg[i] >> shift) & 0xFF) - int((expected[29][i] >> shift) & 0xFF)));
    EXPECT_LE(worst, 24);
}

TEST(MovieConverter, FollowsClipsOfAStoppedMainTimelineForTheHoldTime) {
    ScratchFolder dir;
    // The main timeline stops on its 3rd frame; its clip steps down a pixel a frame for 40 frames.
    const std::string movie = testing::writeMovie(testing::stoppedMainWithClipMovie(3, 40), dir.file("stop.swf"));
    ConvertOptions o;
    o.outPattern = dir.file("f%d.png");
    MovieResult r = convertOne(movie, o);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.framesWritten, 3);
    EXPECT_EQ(r.end, EndReason::HoldOver);

    o.holdSeconds = 1;  // 12 more frames at 12 fps
    r = convertOne(movie, o);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.framesWritten, 15);
    const auto expected = testing::playerFrames(movie, 15);
    for (int k = 1; k <= 15; ++k) EXPECT_EQ(testing::readPicture(frameFileName(o.outPattern, movie, k)), expected[size_t(k - 1)]) << k;
    // The clip went on moving while the main timeline stood.
    EXPECT_NE(testing::readPicture(dir.file("f15.png")), testing::readPicture(dir.file("f3.png")));

    // A frame limit cuts a long hold short and says so.
    o.maxFrames = 8;
    r = convertOne(movie, o);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.framesWritten, 8);
    EXPECT_EQ(r.end, EndReason::FrameLimit);
    EXPECT_FALSE(r.note.empty());
}

TEST(MovieConverter, EndsAtTheRealLastFrameWhateverTheHeaderSays) {
    ScratchFolder dir;
    struct Case {
        int realFrames;
        uint16_t claimed;
    };
    for (Case c : {Case{6, 200}, Case{12, 2}}) {
        auto movie = testing::slidingSquareMovie(c.realFrames);
        movie.frameCountOverride(c.claimed);
        const std::string path = testing::writeMovie(movie, dir.file("lie" + std::to_string(c.claimed) + ".swf"));
        ConvertOptions o;
        o.outPattern = dir.file("{name}_%d.bmp");
        MovieResult r = convertOne(path, o);
        ASSERT_TRUE(r.ok) << r.reason;
        EXPECT_EQ(r.framesWritten, c.realFrames) << "header claims " << c.claimed;
        EXPECT_EQ(r.end, EndReason::LastFrame);
    }
}

TEST(MovieConverter, SizesAlphaAndSupersampling) {
    ScratchFolder dir;
    const std::string movie = testing::writeMovie(testing::slidingSquareMovie(2), dir.file("m.swf"));
    auto firstPicture = [&](ConvertOptions o, int* w, int* h, bool alpha = false) {
        o.outPattern = dir.file("s_%d.png");
        o.frames = {1, 1};
        MovieResult r = convertOne(movie, o);
        EXPECT_TRUE(r.ok) << r.reason;
        return testing::readPicture(dir.file("s_1.png"), w, h, alpha);
    };
    int w = 0, h = 0;
    ConvertOptions o;
    o.scale = 2.5;
    auto scaled = firstPicture(o, &w, &h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 75);
    // Drawn at that size, not stretched: the square's edge is sharp at 2.5 times (x = 2.5 .. 22.5).
    EXPECT_EQ(scaled[size_t(20 * w + 10)], 0xFF0000u);
    EXPECT_EQ(scaled[size_t(20 * w + 23)], 0xFFFFFFu);

    o = {};
    o.width = 80;
    o.height = 30;  // wider than the movie: fitted in and centred, stage colour around
    auto fitted = firstPicture(o, &w, &h);
    EXPECT_EQ(w, 80);
    EXPECT_EQ(h, 30);
    EXPECT_EQ(fitted[size_t(10 * 80 + 22)], 0xFF0000u);  // the square moved right by the margin

    o = {};
    o.transparent = true;
    auto clear = firstPicture(o, &w, &h, true);
    EXPECT_EQ(clear[0] >> 24, 0u);                          // no stage colour
    EXPECT_EQ(clear[size_t(6 * 40 + 4)], 0xFFFF0000u);     // the shape keeps its own alpha

    o = {};
    o.supersample = 4;
    auto smooth = firstPicture(o, &w, &h);
    EXPECT_EQ(w, 40);
    EXPECT_EQ(smooth, testing::playerFrames(movie, 1)[0]);  // edges on whole pixels stay as they are

    o = {};
    o.scale = 1000;
    o.outPattern = dir.file("x_%d.png");
    MovieResult r = convertOne(movie, o);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.reason.find("16384"), std::string::npos) << r.reason;
}

TEST(MovieConverter, FailuresComeBackWithTheirReason) {
    ScratchFolder dir;
    testing::writeFile(dir.file("junk.swf"), {'n', 'o', 't', ' ', 'a', ' ', 'm', 'o', 'v', 'i', 'e'});
    ConvertOptions o;
    o.outPattern = dir.file("j_%d.png");
    MovieResult r = convertOne(dir.file("junk.swf"), o);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.reason.empty());
    EXPECT_EQ(r.framesWritten, 0);

    const std::string movie = testing::writeMovie(testing::slidingSquareMovie(500), dir.file("long.swf"));
    o.timeoutSeconds = 1e-6;
    r = convertOne(movie, o);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.reason.find("timed out"), std::string::npos) << r.reason;
    EXPECT_LT(r.framesWritten, 500);

    o.timeoutSeconds = 0;
    o.outPattern = dir.file("no/such/folder/f_%d.bmp");
    r = convertOne(movie, o);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.reason.find("no/such/folder"), std::string::npos) << r.reason;

    o.outPattern = dir.file("late_%d.png");
    o.frames = {20, std::nullopt};
    r = convertOne(testing::writeMovie(testing::slidingSquareMovie(5), dir.file("short.swf")), o);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.reason.find("before frame 20"), std::string::npos) << r.reason;
}

}  // namespace
}  // namespace kelmora::convert
