// Movies whose scripts drive them, and the movie's sound in the video: the converter plays them
// as the player does, ends them where they end, and keeps the sound in step with the frames.
#include <gtest/gtest.h>

#include "sequence/convert/ConvertTestMovies.h"
#include "sequence/convert/ConvertTestSupport.h"
#include "sequence/convert/MovieConverter.h"
#include "sequence/convert/OutputNaming.h"

namespace kelmora::convert {
namespace {

using testing::ScratchFolder;

MovieResult convertOne(const std::string& movie, const ConvertOptions& options) {
    EncodePool pool(2, 4);
    return MovieConverter(options, pool).convert(movie);
}

TEST(ScriptedMovie, ScriptsMoveTheFramesAndAnEndlessLoopStopsAtTheLimit) {
    ScratchFolder dir;
    const std::string movie = testing::writeMovie(testing::scriptedLoopMovie(), dir.file("loop.swf"));
    ConvertOptions o;
    o.outPattern = dir.file("f%d.png");
    o.maxFrames = 25;
    MovieResult r = convertOne(movie, o);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.end, EndReason::FrameLimit);  // frame 10 goes back to 1: it never ends by itself
    EXPECT_EQ(r.framesWritten, 25);
    const auto expected = testing::playerFrames(movie, 25);
    for (int k = 1; k <= 25; ++k) EXPECT_EQ(testing::readPicture(frameFileName(o.outPattern, movie, k)), expected[size_t(k - 1)]) << k;
    // The script moved the box; frame 10 jumps back before it is drawn, so it shows frame 1 again.
    EXPECT_EQ(expected[9], expected[0]);
    EXPECT_NE(expected[1], expected[0]);

    // A script that never ends is stopped by the engine, and the movie fails with the reason.
    o.scriptActionLimit = 10000;
    r = convertOne(testing::writeMovie(testing::endlessScriptMovie(), dir.file("endless.swf")), o);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.reason.find("script"), std::string::npos) << r.reason;
}

TEST(ScriptedMovie, AClickAtFrame30Of12FpsSoundsAt2Point5Seconds) {
    ScratchFolder dir;
    const std::string movie = testing::writeMovie(testing::clickMovie(30, 40), dir.file("click.swf"));
    struct Case {
        const char* file;
        FrameRange frames;
        int64_t clickAt;   // samples from the start of the track
        int64_t length;    // samples
        int64_t slack;     // lossy codecs may smear the start a little
    };
    const Case cases[] = {
        {"all.avi", {}, 110250, 147000, 0},          // 2.5 s into a 40-frame track of 3.33 s
        {"part.avi", {21, 40}, 36750, 73500, 0},     // from file frame 21 (the player's 20): 10 frames before it
        {"all.mp4", {}, 110250, 147000, 1100},       // AAC
    };
    for (const Case& c : cases) {
        ConvertOptions o;
        o.videoPath = dir.file(c.file);
        o.frames = c.frames;
        MovieResult r = convertOne(movie, o);
        ASSERT_TRUE(r.ok) << c.file << ": " << r.reason;
        auto sound = testing::readSoundTrack(o.videoPath);
        ASSERT_EQ(sound.sampleRate, 44100) << c.file;
        EXPECT_NEAR(double(sound.firstLoud()), double(c.clickAt), double(c.slack)) << c.file;
        EXPECT_NEAR(double(sound.frames()), double(c.length), double(c.slack) * 2) << c.file;
    }
    // --no-audio: no track at all.
    ConvertOptions quiet;
    quiet.videoPath = dir.file("quiet.avi");
    quiet.audio = false;
    ASSERT_TRUE(convertOne(movie, quiet).ok);
    EXPECT_TRUE(testing::readSoundTrack(quiet.videoPath).samples.empty());
}

}  // namespace
}  // namespace kelmora::convert
