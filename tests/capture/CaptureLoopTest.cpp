#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "capture/CaptureLoop.h"
#include "capture/CaptureTexts.h"
#include "capture/CaptureFakes.h"

namespace fs = std::filesystem;
using namespace kelmora;
using namespace kelmora::capture;
using namespace kelmora::capture::testing;

namespace {

struct Rig {
    fs::path dir;
    Settings settings;
    RunKind run;
    FakePlayer player;
    FakeHost host;
    FakeClock clock;
    RecordingSink messages;
    CaptureLoop loop;

    explicit Rig(bool suppress = false, bool batch = false)
        : dir(fs::temp_directory_path() / ("kelmora-capture-" + std::to_string(::getpid()) + "-" +
                                           std::to_string(counter()++))),
          settings("/prog"),
          loop(settings, run, player, host, clock, messages, "/prog/blank.swf") {
        fs::create_directories(dir);
        run.suppressErrors = suppress;
        if (batch) run.commandSourceFile = movie();
        loop.setChosenFile(movie());
        settings.setFormat(PictureFormat::Bmp);
    }
    ~Rig() { fs::remove_all(dir); }
    std::string movie() const { return (dir / "movie.swf").string(); }
    static int& counter() {
        static int n = 0;
        return n;
    }
    // The player shows frame f at the next tick.
    void tickAt(int f) {
        player.frame = f;
        loop.tick();
    }
    bool written(int k) const {
        char name[32];
        std::snprintf(name, sizeof name, "movie.swf_%04d.bmp", k);
        return fs::exists(dir / name);
    }
};

}  // namespace

TEST(CaptureLoop, PlaysThroughAndSummarises) {
    Rig rig;
    rig.player.total = 3;
    rig.loop.startProcess();
    EXPECT_TRUE(rig.host.processing);
    EXPECT_TRUE(rig.host.timer);
    EXPECT_TRUE(rig.player.visible);
    EXPECT_EQ(rig.host.status, "File: " + rig.movie() + " // Total Frames: 3");
    EXPECT_EQ(rig.settings.swfPath(), rig.dir.string() + "/");
    rig.loop.tick();  // frame 0
    EXPECT_EQ(rig.host.status, "Frame 1 of 3 (0 sec)");
    rig.loop.tick();  // nothing new: no step
    EXPECT_EQ(rig.loop.lastSnapFrame(), 0);
    rig.tickAt(1);
    rig.tickAt(2);
    EXPECT_TRUE(rig.written(1) && rig.written(2) && rig.written(3));
    EXPECT_FALSE(rig.written(4));
    EXPECT_EQ(rig.host.status, "ok.");
    EXPECT_FALSE(rig.host.processing);
    EXPECT_FALSE(rig.host.timer);
    EXPECT_EQ(rig.player.movie(), "/prog/blank.swf");
    EXPECT_EQ(rig.host.beeps, 1);
    EXPECT_EQ(rig.host.closed, 0);
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text,
              "3 pictures processed.\r\n\r\nElapsed time: 00:00.00\r\n\r\nTime per frame: ~0 sec.\r\n\r\n"
              "Folder: \r\n" + rig.dir.string() + "/\r\n\r\nIf you have troubles converting a movie try to build a\r\n"
              "container movie. See Extras menu!");
    EXPECT_EQ(fs::file_size(rig.dir / "movie.swf_0002.bmp"), 54u + 3 * 12);
}

TEST(CaptureLoop, SummaryWithoutAdviceFromSixPictures) {
    std::string text = summaryText(5, "00:01.02", 0.125, "/m/");
    EXPECT_EQ(text, "6 pictures processed.\r\n\r\nElapsed time: 00:01.02\r\n\r\nTime per frame: ~0.12 sec.\r\n\r\nFolder: \r\n/m/");
    EXPECT_NE(summaryText(4, "x", 0, "/m/").find("container movie. See Extras menu!"), std::string::npos);
}

TEST(CaptureLoop, OneFrameMovieFinishesAtFirstTickAndBatchQuits) {
    Rig rig(false, true);
    rig.player.total = 1;
    rig.loop.startProcess();
    rig.loop.tick();
    EXPECT_TRUE(rig.written(1));
    EXPECT_EQ(rig.host.closed, 1);
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(CaptureLoop, FirstTickAlreadyAtFrameOneRestarts) {
    Rig rig;
    rig.loop.startProcess();
    rig.tickAt(1);
    EXPECT_TRUE(rig.written(1));  // picture 1 from frame index 1
    EXPECT_EQ(rig.loop.lostFrameCount(), 1);
    EXPECT_EQ(rig.loop.lastSnapFrame(), -1);  // restarted
    EXPECT_TRUE(rig.host.processing);
    EXPECT_EQ(rig.host.headerReads, 1);
    EXPECT_EQ(rig.host.caption, "movie.swf - kelmora");
    // The same movie was in the player: rewound, blank loaded, then the movie again.
    ASSERT_GE(rig.player.loads.size(), 3u);
    EXPECT_EQ(rig.player.loads[rig.player.loads.size() - 2], "/prog/blank.swf");
    EXPECT_EQ(rig.player.loads.back(), rig.movie());
}

TEST(CaptureLoop, LossesWithoutSuppressRestartTwiceThenAdvise) {
    Rig rig;
    rig.loop.startProcess();
    rig.tickAt(0);
    rig.tickAt(2);  // loss 1
    EXPECT_EQ(rig.loop.lostFrameCount(), 1);
    EXPECT_TRUE(rig.loop.converting());
    rig.tickAt(0);
    rig.tickAt(3);  // loss 2
    EXPECT_TRUE(rig.loop.converting());
    EXPECT_TRUE(rig.messages.shown.empty());
    rig.tickAt(0);
    rig.tickAt(4);  // loss 3
    EXPECT_FALSE(rig.loop.converting());
    EXPECT_FALSE(rig.host.processing);
    EXPECT_FALSE(rig.player.visible);
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text, lostFramesAdvice());
    EXPECT_EQ(rig.messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(rig.host.closed, 0);
    EXPECT_EQ(rig.host.headerReads, 2);
}

TEST(CaptureLoop, LossesWithSuppressRestartOnceThenQuitSilently) {
    Rig rig(true, true);
    rig.loop.startProcess();
    rig.tickAt(0);
    rig.tickAt(2);  // loss 1: restart
    EXPECT_TRUE(rig.loop.converting());
    EXPECT_EQ(rig.host.caption, " - kelmora");  // no file title in a batch run
    rig.tickAt(0);
    rig.tickAt(2);  // loss 2: give up
    EXPECT_FALSE(rig.loop.converting());
    EXPECT_TRUE(rig.messages.shown.empty());
    EXPECT_EQ(rig.host.closed, 1);
    EXPECT_EQ(rig.host.beeps, 0);
}

TEST(CaptureLoop, LossInTheLastTickRestartsAndFinishes) {
    Rig rig;
    rig.player.total = 5;
    rig.loop.startProcess();
    rig.tickAt(0);
    rig.tickAt(4);  // skips 1-3 and reaches the end
    EXPECT_EQ(rig.loop.lostFrameCount(), 1);
    EXPECT_FALSE(rig.loop.converting());
    EXPECT_EQ(rig.host.beeps, 1);
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text.substr(0, 20), "0 pictures processed");
}

TEST(CaptureLoop, FrameRangeSkipsThenStops) {
    Rig rig(false, true);
    rig.settings.setUseFrameRange(kChecked);
    rig.settings.setStartFrame("3");
    rig.settings.setStopFrame("4");
    rig.loop.startProcess();
    rig.tickAt(0);
    EXPECT_EQ(rig.host.status, "Frame 1 skipped.");
    rig.tickAt(1);
    rig.tickAt(2);
    rig.tickAt(3);
    EXPECT_TRUE(rig.loop.converting());
    rig.tickAt(4);
    EXPECT_EQ(rig.host.status, "ok. (Preferences Ctrl+P)");
    EXPECT_FALSE(rig.loop.converting());
    EXPECT_EQ(rig.host.closed, 1);
    EXPECT_EQ(rig.host.beeps, 0);  // the range end is no finish
    EXPECT_FALSE(rig.written(1) || rig.written(2) || rig.written(5));
    EXPECT_TRUE(rig.written(3) && rig.written(4));
}

TEST(CaptureLoop, PreCaptureStoresPictureOneTwice) {
    Rig rig;
    rig.settings.setPreCapture(kChecked);
    rig.loop.startProcess();
    EXPECT_TRUE(rig.written(1));
    fs::remove(rig.dir / "movie.swf_0001.bmp");
    rig.tickAt(0);
    EXPECT_TRUE(rig.written(1));
}

TEST(CaptureLoop, WriteFailureStopsWithMessage) {
    for (bool bmp : {true, false}) {
        Rig rig(false, true);
        rig.settings.setFormat(bmp ? PictureFormat::Bmp : PictureFormat::Jpg);
        rig.settings.setOutputNameMode(OutputNameMode::Define);
        rig.settings.setOutputName((rig.dir / "missing" / "shot").string());
        rig.loop.startProcess();
        rig.tickAt(0);
        EXPECT_FALSE(rig.loop.converting());
        ASSERT_FALSE(rig.messages.shown.empty());
        EXPECT_EQ(rig.messages.shown.back().text, bmp ? kCantStoreImage : kCantWriteJpg);
        EXPECT_EQ(rig.host.closed, 1);  // a batch run ends
        EXPECT_TRUE(fs::is_empty(rig.dir));
    }
}

TEST(CaptureLoop, MovieThatDoesNotLoad) {
    Rig rig;
    rig.player.failLoad = true;
    rig.loop.startProcess();
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].title, "openSwf: 53");
    EXPECT_EQ(rig.messages.shown[0].text, "Flash Plugin can't open movie.\r\n\r\nError description:\r\nno such movie");
    EXPECT_TRUE(rig.loop.converting());  // interactive: the user stops it
    Rig batch(false, true);
    batch.player.failLoad = true;
    batch.loop.startProcess();
    EXPECT_FALSE(batch.loop.converting());
    EXPECT_EQ(batch.host.closed, 1);
}

TEST(CaptureLoop, TimesFromTheClock) {
    Rig rig;
    rig.player.total = 100;
    rig.loop.startProcess();
    rig.clock.now += 0.5;
    rig.tickAt(0);
    // 0.5 s since openSwf, 99 frames left.
    EXPECT_EQ(rig.host.estimated, "00:00.50");  // 49.5 s
    EXPECT_EQ(rig.host.elapsed, "00:00.00");
    rig.clock.now += 61;
    rig.tickAt(1);
    EXPECT_EQ(rig.host.elapsed, "00:01.02");
}

TEST(CaptureTexts, TimeLabels) {
    EXPECT_EQ(elapsedTimeText(59), "00:00.59");
    EXPECT_EQ(elapsedTimeText(60), "00:01.00");
    EXPECT_EQ(elapsedTimeText(3600), "01:00.00");
    EXPECT_EQ(elapsedTimeText(3725), "01:02.05");
    EXPECT_EQ(elapsedTimeText(0.5), "00:00.00");
    EXPECT_EQ(elapsedTimeText(1.5), "00:00.02");
    EXPECT_EQ(numberText(0.14), "0.14");
    EXPECT_EQ(numberText(0.1), "0.1");
    EXPECT_EQ(numberText(0), "0");
    EXPECT_EQ(frameStatusText(12, 150, 0.14), "Frame 12 of 150 (0.14 sec)");
}
