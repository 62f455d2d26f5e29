// The movie's sound track through the player: exact sample counts per frame at any frame rate,
// event sounds starting on their frame's first sample, loops, in/out points, envelopes, sync
// stop and no-multiple, the script calls, and stream sounds that follow their timeline.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "SoundTestSignals.h"
#include "player/Player.h"
#include "player/display/MovieClip.h"
#include "player/display/Stage.h"
#include "player/format/MovieDef.h"
#include "player/media/SoundTrack.h"
#include "swf/writer/SwfWriter.h"

using namespace kelmora;
using namespace kelmora::player;
using namespace kelmora::player::testing;

namespace {

const swf::SoundFormat kPcm44{swf::SoundCodec::UncompressedLittleEndian, swf::SoundRate::Rate44100, true, false};

struct Track {
    std::vector<int16_t> samples;    // stereo, interleaved
    std::vector<size_t> frameSizes;  // sample frames handed over per movie frame
    int16_t left(size_t frame) const { return samples.at(2 * frame); }
    int16_t right(size_t frame) const { return samples.at(2 * frame + 1); }
    size_t frames() const { return samples.size() / 2; }
    // First sample frame whose left side reaches `level`, or npos.
    size_t firstAbove(int level) const {
        for (size_t i = 0; i < frames(); ++i)
            if (std::abs(left(i)) >= level) return i;
        return std::string::npos;
    }
    size_t countNonZero() const {
        size_t n = 0;
        for (size_t i = 0; i < frames(); ++i) n += left(i) != 0;
        return n;
    }
};

// Plays `frames` frames, taking each frame's samples; `between(player, frame)` runs after the
// frame was entered and before its samples are taken, where a frame script would run.
Track play(const swf::SwfWriter& movie, int frames, const std::function<void(Player&, int)>& between = {},
           Player* player = nullptr) {
    Player own;
    Player& p = player ? *player : own;
    p.enableAudio(true);
    Status st = p.load(movie.bytes());
    EXPECT_TRUE(st.ok()) << (st.ok() ? "" : st.error().message);
    Track t;
    for (int i = 0; i < frames; ++i) {
        if (i > 0) p.advance();
        if (between) between(p, i);
        t.frameSizes.push_back(p.takeAudio(t.samples));
    }
    return t;
}

// A sound of `frames` samples all of one value: levels in the track can be read exactly.
swf::SwfWriter& defineLevel(swf::SwfWriter& w, uint16_t id, size_t frames, int16_t level) {
    auto bytes = pcm16Bytes(std::vector<int16_t>(frames, level));
    w.defineSound(id, kPcm44, uint32_t(frames), bytes);
    return w;
}

}  // namespace

// After N frames exactly round(N * 44100 / fps) samples were handed over, each frame its share;
// a sound started at frame 30 of a 12 fps movie begins at 2.5 s on the dot, and one still
// playing at the last frame is cut there.
TEST(SoundTrackTest, FramesOwnExactSampleCounts) {
    struct Case {
        double fps;
        std::vector<size_t> firstSizes;
    };
    const Case cases[] = {
        {12, {3675, 3675, 3675}},  {12.5, {3528, 3528, 3528}}, {24, {1838, 1837, 1838, 1837}},
        {30, {1470, 1470}},        {7.5, {5880}},              {29.96875, {1472, 1471, 1472}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fps);
        swf::SwfWriter w;
        w.frameRate(c.fps);
        const int frames = 50;
        defineLevel(w, 1, 44100 * 10, 1000).startSound(1).showFrame(frames);
        Track t = play(w, frames);
        for (size_t i = 0; i < c.firstSizes.size(); ++i) EXPECT_EQ(t.frameSizes[i], c.firstSizes[i]) << "frame " << i;
        size_t total = 0;
        for (int n = 1; n <= frames; ++n) {
            total += t.frameSizes[size_t(n - 1)];
            ASSERT_EQ(total, size_t(std::llround(n * 44100 / c.fps))) << "after " << n << " frames";
        }
        EXPECT_EQ(t.frames(), total);
        EXPECT_EQ(t.countNonZero(), std::min<size_t>(total, 44100 * 10));  // cut at the last frame
    }

    // Frame 30 (counted from 0) of a 12 fps movie begins at 2.5 s: sample 110250.
    for (auto [codec, rate, sixteen] : {std::tuple{swf::SoundCodec::UncompressedLittleEndian, swf::SoundRate::Rate44100, true},
                                        std::tuple{swf::SoundCodec::UncompressedNative, swf::SoundRate::Rate5512, false},
                                        std::tuple{swf::SoundCodec::UncompressedLittleEndian, swf::SoundRate::Rate22050, true}}) {
        SCOPED_TRACE(int(rate));
        swf::SwfWriter w;
        w.frameRate(12);
        const size_t clickFrames = 40;
        swf::Bytes click;
        for (size_t i = 0; i < clickFrames; ++i) {
            if (sixteen) click.insert(click.end(), {0x20, 0x4e});  // 20000
            else click.push_back(128 + 78);
        }
        w.defineSound(1, {codec, rate, sixteen, false}, uint32_t(click.size() / (sixteen ? 2 : 1)), click);
        w.showFrame(30).startSound(1).showFrame(10);
        Track t = play(w, 40);
        EXPECT_EQ(t.frames(), 40u * 3675);
        // Resampled clicks ring a little before their edge; the edge itself is on time.
        const size_t start = t.firstAbove(9000);
        EXPECT_NEAR(double(start), 110250, rate == swf::SoundRate::Rate44100 ? 0 : 3);
        EXPECT_NEAR(t.left(start + 10), sixteen ? 20000 : 19968, 1500);
        EXPECT_EQ(t.left(start + 10), t.right(start + 10));
    }

    // A movie at 0 fps gives nothing unless the converter names a rate.
    swf::SwfWriter still;
    still.frameRateRaw(0);
    defineLevel(still, 1, 100, 1000).startSound(1).showFrame(3);
    EXPECT_EQ(play(still, 3).frames(), 0u);
    Player p;
    p.setAudioFrameRate(25, 1);
    EXPECT_EQ(play(still, 3, {}, &p).frameSizes, (std::vector<size_t>{1764, 1764, 1764}));
}

// StartSound's SoundInfo: loops, in and out points, envelope levels per side, no-multiple, and
// sync stop; stopAllSounds and the script calls through the frame's sound events.
TEST(SoundTrackTest, EventSoundsFollowTheirSoundInfo) {
    struct Case {
        const char* name;
        swf::SoundInfo info;
        bool startTwice = false;
        size_t nonZero;     // samples that sound
        int16_t left, right;  // at sample 100
    };
    swf::SoundInfo loops3, inOut, twiceNoMultiple, envelope, ramp;
    loops3.loops = 3;
    inOut.inPoint = 200, inOut.outPoint = 700;
    twiceNoMultiple.syncNoMultiple = true;
    envelope.envelope = {{0, 16384, 0}};
    ramp.envelope = {{0, 0, 0}, {200, 32768, 65535}};
    const Case cases[] = {
        {"once", {}, false, 1000, 1000, 1000},
        {"three loops", loops3, false, 3000, 1000, 1000},
        {"in and out points", inOut, false, 500, 1000, 1000},
        {"two starts add up", {}, true, 1000, 2000, 2000},
        {"no-multiple", twiceNoMultiple, true, 1000, 1000, 1000},
        {"envelope: half left, silent right", envelope, false, 1000, 500, 0},
        {"envelope ramp", ramp, false, 999, 500, 999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        swf::SwfWriter w;
        defineLevel(w, 1, 1000, 1000).startSound(1, c.info);
        if (c.startTwice) w.startSound(1, c.info);
        w.showFrame(3);
        Track t = play(w, 2);
        EXPECT_EQ(t.countNonZero(), c.nonZero);
        EXPECT_EQ(t.left(100), c.left);
        EXPECT_EQ(t.right(100), c.right);
    }

    // Sync stop in frame 2 ends the sound at that frame's first sample; a later start plays again.
    swf::SoundInfo stop;
    stop.syncStop = true;
    swf::SwfWriter w;
    defineLevel(w, 1, 44100, 1000).startSound(1).showFrame(2).startSound(1, stop).showFrame(2).startSound(1).showFrame();
    Track t = play(w, 5);
    EXPECT_EQ(t.left(2 * 3675 - 1), 1000);
    EXPECT_EQ(t.left(2 * 3675), 0);
    EXPECT_EQ(t.left(4 * 3675 - 1), 0);
    EXPECT_EQ(t.left(4 * 3675), 1000);

    // Scripts: stopAll in frame 1 silences the frame; start by id with an offset and loops plays
    // the rest of the sound that many times; stop by id ends just that sound.
    swf::SwfWriter s;
    defineLevel(s, 1, 44100, 1000);
    defineLevel(s, 2, 1000, 300).startSound(1).showFrame(8);
    Track scripted = play(s, 6, [](Player& p, int frame) {
        SoundEvents& sounds = p.stage()->context().sounds();
        const MovieDef& movie = p.stage()->movie();
        if (frame == 1) sounds.stopAll();
        if (frame == 2) sounds.start(movie, 2, 900.0 / 44100, 3);  // 100 samples, three times
        if (frame == 3) sounds.start(movie, 1);
        if (frame == 4) sounds.stop(movie, 1);
        if (frame == 5) sounds.start(movie, 77);  // no such sound
    });
    EXPECT_EQ(scripted.left(3675 - 1), 1000);
    EXPECT_EQ(scripted.left(3675), 0);
    EXPECT_EQ(scripted.left(2 * 3675 + 299), 300);
    EXPECT_EQ(scripted.left(2 * 3675 + 300), 0);
    EXPECT_EQ(scripted.left(3 * 3675), 1000);
    EXPECT_EQ(scripted.left(4 * 3675), 0);
    EXPECT_EQ(scripted.countNonZero(), 3675 + 300 + 3675);
}

// A stream sound follows its timeline: block k sounds during frame k, a jump moves it to the
// target frame's block, stopping or removing the timeline silences it, and one that starts late
// starts on its frame.
TEST(SoundTrackTest, StreamSoundFollowsItsTimeline) {
    // Block k holds 3675 samples of the value 100 * (k + 1): each frame's level names its block.
    auto addStream = [](swf::Timeline& t, int firstFrame, int frames) {
        t.soundStreamHead2(kPcm44, kPcm44, 3675);
        t.showFrame(firstFrame);
        for (int k = firstFrame; k < frames; ++k)
            t.soundStreamBlock(pcm16Bytes(std::vector<int16_t>(3675, int16_t(100 * (k + 1))))).showFrame();
    };
    auto levels = [](const Track& t) {
        std::vector<int> out;
        for (size_t f = 0; f * 3675 < t.frames(); ++f) {
            const int first = t.left(f * 3675), last = t.left(f * 3675 + 3674);
            out.push_back(first == last ? first / 100 : -1);  // -1: the frame is not one level
        }
        return out;
    };
    swf::SwfWriter main;
    addStream(main, 0, 20);
    EXPECT_EQ(levels(play(main, 6)), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    auto jump = play(main, 6, [](Player& p, int frame) {
        if (frame == 2) p.root()->gotoFrame(11);
    });
    EXPECT_EQ(levels(jump), (std::vector<int>{1, 2, 12, 13, 14, 15}));
    auto stopped = play(main, 6, [](Player& p, int frame) {
        if (frame == 2) p.stop();
        if (frame == 4) p.play();
    });
    EXPECT_EQ(levels(stopped), (std::vector<int>{1, 2, 3, 0, 0, 4}));
    auto looped = play(main, 22);
    EXPECT_EQ(levels(looped)[19], 20);
    EXPECT_EQ(levels(looped)[20], 1);

    swf::SwfWriter late;
    addStream(late, 3, 8);
    EXPECT_EQ(levels(play(late, 6)), (std::vector<int>{0, 0, 0, 4, 5, 6}));

    // In a sprite: it runs with the sprite's frames and falls silent when the sprite is removed.
    swf::SwfWriter withSprite;
    withSprite.defineSprite(5, [&](swf::Timeline& t) { addStream(t, 0, 10); });
    withSprite.place(swf::Place::add(5, 1)).showFrame(4).removeObject2(1).showFrame(3);
    EXPECT_EQ(levels(play(withSprite, 6)), (std::vector<int>{1, 2, 3, 4, 0, 0}));
}

// An MP3 stream cut into blocks as authoring tools do (each frame's block holds the MP3 frames
// that begin in it, the seek samples say where the frame begins in the first): clicks at the
// start of frames 10 and 20 come out at those frames' first samples, played on or jumped to.
TEST(SoundTrackTest, Mp3StreamStaysInStep) {
    const size_t perFrame = 3675, frames = 30;
    std::vector<int16_t> signal(perFrame * frames, 0);
    for (size_t f : {10, 20})
        for (size_t i = 0; i < 30; ++i) signal[f * perFrame + i] = 28000;
    Encoded e = encodeMono("libmp3lame", signal, 44100, 128000);
    ASSERT_TRUE(e.available);
    const size_t mp3Frame = 1152;
    swf::SwfWriter w;
    const swf::SoundFormat mp3{swf::SoundCodec::Mp3, swf::SoundRate::Rate44100, true, false};
    w.soundStreamHead(mp3, mp3, uint16_t(perFrame), int16_t(e.delay));
    size_t next = 0;
    for (size_t f = 0; f < frames; ++f) {
        // Encoded sample s is frame (s - delay) / perFrame's. A block holds the MP3 frames that end
        // within its frame; its first one may begin in the frame before (the seek skips that part).
        const size_t frameStart = f * perFrame + size_t(e.delay), frameEnd = frameStart + perFrame;
        const size_t first = next;
        swf::Bytes data;
        while (next < e.packets.size() && ((next + 1) * mp3Frame <= frameEnd || f + 1 == frames)) {
            data.insert(data.end(), e.packets[next].begin(), e.packets[next].end());
            ++next;
        }
        const int seek = int(frameStart) - int(first * mp3Frame);
        w.soundStreamBlock(withPrefix16(int16_t((next - first) * mp3Frame), int16_t(seek), data)).showFrame();
        if (f == 5) {
            auto block = withPrefix16(int16_t((next - first) * mp3Frame), int16_t(seek), data);
            writeSoundSeed("mp3-stream", 0x2e, uint8_t(block.size() / 8), block);
        }
    }
    Track t = play(w, int(frames));
    ASSERT_EQ(t.frames(), perFrame * frames);
    std::vector<int16_t> firstHalf(t.samples.begin(), t.samples.begin() + long(2 * 15 * perFrame));
    std::vector<int16_t> secondHalf(t.samples.begin() + long(2 * 15 * perFrame), t.samples.end());
    // The loudest sample lies within the 30-sample click, give or take the codec's smearing.
    EXPECT_NEAR(double(peakFrame(firstHalf)), 10.0 * perFrame + 15, 40);
    EXPECT_NEAR(double(peakFrame(secondHalf) + 15 * perFrame), 20.0 * perFrame + 15, 40);

    Track jumped = play(w, 8, [](Player& p, int frame) {
        if (frame == 3) p.root()->gotoFrame(20);
    });
    EXPECT_NEAR(double(peakFrame(jumped.samples)), 3.0 * perFrame + 15, 40);
}

// A sound that can't be decoded plays as silence with a warning; the track keeps its length.
TEST(SoundTrackTest, UndecodableSoundIsSilentWithAWarning) {
    swf::SwfWriter w;
    w.defineSound(1, {swf::SoundCodec(9), swf::SoundRate::Rate44100, true, false}, 100, swf::Bytes(200, 7));
    w.startSound(1).showFrame(2);
    Player p;
    Track t = play(w, 2, {}, &p);
    EXPECT_EQ(t.frames(), 2u * 3675);
    EXPECT_EQ(t.countNonZero(), 0u);
    ASSERT_EQ(p.audioWarnings().size(), 1u);
    EXPECT_NE(p.audioWarnings()[0].find("sound 1"), std::string::npos);
}

// What the loader keeps of odd sound tags: a block before any head is dropped, a second head is
// ignored (its blocks still count as the first stream's), a cut StartSound is a warning.
TEST(SoundTrackTest, LoaderKeepsOneStreamPerTimeline) {
    const swf::SoundFormat pcm8{swf::SoundCodec::UncompressedLittleEndian, swf::SoundRate::Rate44100, false, false};
    swf::SwfWriter w;
    w.soundStreamBlock(swf::Bytes(3675, 200)).showFrame();
    w.soundStreamHead(kPcm44, kPcm44, 3675).soundStreamBlock(pcm16Bytes(std::vector<int16_t>(3675, 700))).showFrame();
    w.soundStreamHead(pcm8, pcm8, 3675).soundStreamBlock(pcm16Bytes(std::vector<int16_t>(3675, 900))).showFrame();
    w.tag(swf::TagCode::StartSound, swf::Bytes{1}).showFrame();
    Player p;
    Track t = play(w, 3, {}, &p);
    EXPECT_EQ(t.left(0), 0);
    EXPECT_EQ(t.left(3675), 700);
    EXPECT_EQ(t.left(2 * 3675), 900);
    const auto& warnings = p.movieDefinition()->warnings();
    EXPECT_NE(std::find(warnings.begin(), warnings.end(), "StartSound: tag cut short"), warnings.end());
}
