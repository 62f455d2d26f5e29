// Movies into video files: the frames exactly, the sound track as long as the frames.
#include <gtest/gtest.h>

#include "sequence/VideoFileWriter.h"
#include "sequence/convert/ConvertTestMovies.h"
#include "sequence/convert/ConvertTestSupport.h"
#include "sequence/convert/MovieConverter.h"

namespace kelmora::convert {
namespace {

using testing::ScratchFolder;

MovieResult convertOne(const std::string& movie, const ConvertOptions& options) {
    EncodePool pool(2, 4);
    return MovieConverter(options, pool).convert(movie);
}

TEST(VideoConversion, LosslessVideoHoldsEveryFrameOfTheMovie) {
    ScratchFolder dir;
    const std::string movie = testing::writeMovie(testing::slidingSquareMovie(24, 12, 40, 30), dir.file("m.swf"));
    const auto expected = testing::playerFrames(movie, 24);
    ConvertOptions o;
    o.videoPath = dir.file("{name}.mkv");
    o.videoCodec = "ffv1";
    o.audio = false;
    MovieResult r = convertOne(movie, o);
    ASSERT_TRUE(r.ok) << r.reason;
    auto video = testing::readAvi(dir.file("m.mkv"));
    ASSERT_TRUE(video.opened);
    EXPECT_EQ(video.codec, "ffv1");
    EXPECT_EQ(av_q2d(video.rate), 12.0);
    ASSERT_EQ(video.frames.size(), 24u);
    for (size_t k = 0; k < 24; ++k) EXPECT_EQ(video.frames[k].rgb, expected[k]) << "frame " << k + 1;
    EXPECT_TRUE(testing::readSoundTrack(dir.file("m.mkv")).codec.empty());  // --no-audio: no track
    EXPECT_FALSE(std::filesystem::exists(dir.file("m.swf_0001.jpg")));   // a video alone writes no pictures
}

TEST(VideoConversion, SoundTrackIsExactlyAsLongAsTheFramesInEveryContainer) {
    ScratchFolder dir;
    struct Case {
        const char* file;
        const char* asked;  // empty: the container's usual codec
        const char* codec;
        const char* soundCodec;
        double fps;
        int frames;
        bool exact;  // lossy codecs pad their last block
    };
    const Case cases[] = {
        {"a.avi", "", "mjpeg", "pcm_s16le", 12.5, 25, true},  // 2 s exactly at a fractional rate
        {"b.mp4", "", "h264", "aac", 12, 30, false},
        {"c.mkv", "mpeg4", "mpeg4", "aac", 24, 30, false},
        {"d.webm", "", "vp9", "opus", 15, 15, false},
    };
    for (const Case& c : cases) {
        const std::string movie = testing::writeMovie(testing::slidingSquareMovie(c.frames, c.fps, 40, 30),
                                                      dir.file(std::string(c.file) + ".swf"));
        ConvertOptions o;
        o.videoPath = dir.file(c.file);
        o.videoCodec = c.asked;
        MovieResult r = convertOne(movie, o);
        ASSERT_TRUE(r.ok) << c.file << ": " << r.reason;
        auto video = testing::readAvi(o.videoPath);
        EXPECT_EQ(video.codec, c.codec) << c.file;
        EXPECT_EQ(int(video.frames.size()), c.frames) << c.file;
        EXPECT_NEAR(av_q2d(video.rate), c.fps, 1e-9) << c.file;
        if (c.exact) {
            // Motion JPEG frames are encoded on several threads: each must land in its own place,
            // nearer to its own frame than to the next.
            const auto expected = testing::playerFrames(movie, c.frames);
            auto distance = [](const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
                long sum = 0;
                for (size_t i = 0; i < a.size() && i < b.size(); ++i)
                    for (int shift : {0, 8, 16}) sum += std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF));
                return sum;
            };
            for (size_t k = 0; k + 1 < video.frames.size() && k + 1 < expected.size(); ++k)
                EXPECT_LT(distance(video.frames[k].rgb, expected[k]), distance(video.frames[k].rgb, expected[k + 1])) << k;
        }
        auto sound = testing::readSoundTrack(o.videoPath);
        EXPECT_EQ(sound.codec, c.soundCodec) << c.file;
        const double seconds = sound.sampleRate ? double(sound.frames()) / sound.sampleRate : 0;
        if (c.exact) {
            EXPECT_EQ(sound.frames(), int64_t(c.frames / c.fps * 44100)) << c.file;
        } else {
            EXPECT_NEAR(seconds, c.frames / c.fps, 0.05) << c.file;
        }
    }
}

TEST(VideoConversion, RefusesWhatTheContainerCannotHold) {
    ScratchFolder dir;
    VideoFileSettings s;
    s.path = dir.file("x.webm");
    s.width = 40;
    s.height = 30;
    s.videoCodec = "mjpeg";
    EXPECT_FALSE(VideoFileWriter::open(s));
    s.path = dir.file("x.mp4");
    s.videoCodec = "h264";
    s.width = 41;  // 4:2:0 needs even sides
    EXPECT_FALSE(VideoFileWriter::open(s));
    s.width = 40;
    s.soundCodec = "nonesuch";
    EXPECT_FALSE(VideoFileWriter::open(s));
    s.path = dir.file("x.gif");
    s.soundCodec.clear();
    EXPECT_FALSE(VideoFileWriter::open(s));
    const auto avi = videoCodecsFor("x.avi");
    EXPECT_NE(std::find(avi.begin(), avi.end(), "mjpeg"), avi.end());
    const auto webm = soundCodecsFor("y.WEBM");
    EXPECT_NE(std::find(webm.begin(), webm.end(), "opus"), webm.end());
    EXPECT_EQ(std::find(webm.begin(), webm.end(), "aac"), webm.end());
}

}  // namespace
}  // namespace kelmora::convert
