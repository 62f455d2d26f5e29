// The converter's rules that need no movie: command line, file names, frame ranges, the end of
// a movie, sound lengths at odd frame rates.
#include <gtest/gtest.h>

#include "sequence/convert/ConvertCommandLine.h"
#include "sequence/convert/FrameRate.h"
#include "sequence/convert/MovieEnd.h"
#include "sequence/convert/OutputNaming.h"

namespace kelmora::convert {
namespace {

TEST(ConvertRules, FrameFileNamesFollowThePatternOrTheProgramsNaming) {
    struct Case {
        const char* pattern;
        const char* movie;
        int frame;
        const char* expected;
    };
    const Case cases[] = {
        {"", "/m/intro.swf", 7, "/m/intro.swf_0007.jpg"},  // the program's own naming
        {"", "/m/intro.swf", 12345, "/m/intro.swf_12345.jpg"},
        {"out/{name}_%04d.png", "/m/Intro.SWF", 3, "out/Intro_0003.png"},
        {"f%d.bmp", "a.swf", 120, "f120.bmp"},
        {"f%06d.jpg", "a.swf", 42, "f000042.jpg"},
        {"100%%_%d.png", "a.swf", 5, "100%_5.png"},
        {"{name}/%d.png", "/x/50%d.swf", 2, "50%d/2.png"},  // a % in the movie's name stays as it is
    };
    for (const Case& c : cases) {
        EXPECT_EQ(frameFileName(c.pattern, c.movie, c.frame), c.expected) << c.pattern;
        if (*c.pattern) {
            EXPECT_TRUE(checkFramePattern(c.pattern)) << c.pattern;
        }
    }
    for (const char* bad : {"frame.png", "f%x.png", "f%d.gif", "f%d", "f%010d.png", "f%"})
        EXPECT_FALSE(checkFramePattern(bad)) << bad;
    EXPECT_EQ(videoFileName("v/{name}.mp4", "/m/a.b.swf"), "v/a.b.mp4");
    EXPECT_EQ(pictureKindOf("x/A.JPEG"), PictureKind::Jpeg);
    EXPECT_EQ(pictureKindOf("x.bmp/y"), std::nullopt);
}

TEST(ConvertRules, CommandLineFormsAndRefusals) {
    auto parse = [](std::vector<std::string> args) { return parseCommandLine(args); };

    auto old = parse({"--frames", "5", "--png", "o.png", "--trace", "t.txt", "m.swf"});
    ASSERT_TRUE(old);
    EXPECT_TRUE(old->onePicture);
    EXPECT_EQ(old->picture.frames, 5);
    EXPECT_EQ(old->picture.pngPath, "o.png");

    auto full = parse({"--out", "{name}_%04d.png", "--frames", "3-9", "--size", "320x240", "--transparent",
                       "--supersample", "2", "--hold", "1.5", "--max-frames", "99", "--jobs", "3", "--timeout", "60",
                       "--progress", "json", "--video", "v.mkv", "--codec", "FFV1", "--no-audio", "a.swf", "dir"});
    ASSERT_TRUE(full) << full.error().message;
    const ConvertOptions& o = full->options;
    EXPECT_FALSE(full->onePicture);
    EXPECT_EQ(o.frames.first, 3);
    EXPECT_EQ(o.frames.last, 9);
    EXPECT_EQ(o.width, 320);
    EXPECT_EQ(o.height, 240);
    EXPECT_TRUE(o.transparent);
    EXPECT_EQ(o.supersample, 2);
    EXPECT_DOUBLE_EQ(o.holdSeconds, 1.5);
    EXPECT_EQ(o.maxFrames, 99);
    EXPECT_EQ(o.jobs, 3);
    EXPECT_EQ(o.progress, ProgressMode::Json);
    EXPECT_EQ(o.videoCodec, "ffv1");
    EXPECT_FALSE(o.audio);
    EXPECT_EQ(full->inputs, (std::vector<std::string>{"a.swf", "dir"}));

    const std::vector<std::vector<std::string>> refused = {
        {},                                      // no movie
        {"--frames", "0", "a.swf"},              // frames count from 1
        {"--frames", "9-3", "a.swf"},            // backwards
        {"--size", "320", "a.swf"},              // no height
        {"--quality", "101", "a.swf"},
        {"--jobs", "0", "a.swf"},
        {"--supersample", "9", "a.swf"},
        {"--progress", "loud", "a.swf"},
        {"--bogus", "a.swf"},
        {"--png", "o.png", "a.swf", "b.swf"},    // one picture of one movie
        {"--out"},                               // value missing
    };
    for (const auto& args : refused) EXPECT_FALSE(parse(args)) << (args.empty() ? "(none)" : args[0]);

    struct Range {
        const char* text;
        int first;
        std::optional<int> last;
    };
    for (const Range& r : {Range{"all", 1, std::nullopt}, Range{"ALL", 1, std::nullopt}, Range{"7", 7, 7},
                           Range{"2-5", 2, 5}, Range{"10-", 10, std::nullopt}}) {
        auto range = parseFrameRange(r.text);
        ASSERT_TRUE(range) << r.text;
        EXPECT_EQ(range->first, r.first) << r.text;
        EXPECT_EQ(range->last, r.last) << r.text;
    }
}

TEST(ConvertRules, MovieEndsAtItsRealEndAfterTheHoldOrAtTheLimit) {
    // Plays a script of timeline states and reports the frame where the end came, and why.
    auto run = [](MovieEnd end, auto stateAt) {
        for (int shown = 1; shown < 100000; ++shown) {
            if (EndReason r = end.afterFrame(shown, stateAt(shown)); r != EndReason::NotYet) return std::pair{shown, r};
        }
        return std::pair{0, EndReason::NotYet};
    };
    auto playing = [](uint32_t total) {
        return [total](int shown) { return TimelineState{uint32_t(shown - 1) % total, total, true}; };
    };
    // Plays through 20 frames, then would loop: the real end is frame 20.
    EXPECT_EQ(run(MovieEnd({}, 0, 12, 65535), playing(20)), std::pair(20, EndReason::LastFrame));
    // An explicit range plays on through the loop.
    EXPECT_EQ(run(MovieEnd({1, 50}, 0, 12, 65535), playing(20)), std::pair(50, EndReason::RangeEnd));
    // Stopped on frame 5 of 5: a hold of 2 s at 12 fps adds 24 frames; none without a hold.
    auto stoppedAt5 = [](int shown) { return TimelineState{uint32_t(std::min(shown, 5) - 1), 5, shown < 5}; };
    EXPECT_EQ(run(MovieEnd({}, 0, 12, 65535), stoppedAt5), std::pair(5, EndReason::HoldOver));
    EXPECT_EQ(run(MovieEnd({}, 2, 12, 65535), stoppedAt5), std::pair(29, EndReason::HoldOver));
    // A one-frame main timeline stands still while its clips play: the hold applies (12.5 fps).
    EXPECT_EQ(run(MovieEnd({}, 1, 12.5, 65535), playing(1)), std::pair(14, EndReason::HoldOver));
    // A main timeline that starts moving again is followed on to its end.
    auto pausesThenPlays = [](int shown) {
        return shown < 10 ? TimelineState{0, 30, false} : TimelineState{uint32_t(shown - 10), 30, true};
    };
    EXPECT_EQ(run(MovieEnd({}, 1, 12, 65535), pausesThenPlays), std::pair(39, EndReason::LastFrame));
    // A script that jumps back before the last frame: only the limit ends it.
    EXPECT_EQ(run(MovieEnd({}, 0, 12, 300), playing(1000)), std::pair(300, EndReason::FrameLimit));
    EXPECT_EQ(MovieEnd({}, 2, 12, 65535).expectedFrames(5), 29);
    EXPECT_EQ(MovieEnd({3, 40}, 2, 12, 65535).expectedFrames(5), 40);
}

TEST(ConvertRules, SoundLengthsStayExactAtFractionalFrameRates) {
    const FrameRate r125 = FrameRate::fromFramesPerSecond(12.5);
    EXPECT_EQ(r125.numerator, 25);
    EXPECT_EQ(r125.denominator, 2);
    EXPECT_EQ(r125.samplesFor(25, 44100), 88200);  // 25 frames are 2 s
    EXPECT_EQ(r125.samplesFor(1, 44100), 3528);
    const FrameRate odd = FrameRate::fromFramesPerSecond(7.8125);  // 2000/256
    EXPECT_EQ(odd.numerator, 125);
    EXPECT_EQ(odd.denominator, 16);
    // Frame by frame the slices add up to the whole, with no drift after a long movie.
    int64_t sum = 0;
    for (int64_t k = 1; k <= 100000; ++k) sum += odd.samplesFor(k, 44100) - odd.samplesFor(k - 1, 44100);
    EXPECT_EQ(sum, odd.samplesFor(100000, 44100));
    EXPECT_EQ(odd.samplesFor(100000, 44100), 564480000);  // 12800 s exactly
    EXPECT_EQ(FrameRate::fromFramesPerSecond(0).numerator, 12);
    EXPECT_EQ(FrameRate::fromFramesPerSecond(30).denominator, 1);
}

}  // namespace
}  // namespace kelmora::convert
