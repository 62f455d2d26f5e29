// Scripts inside the player: the container movie loading a movie into level 1, stop() holding
// the picture, scripts stopped by the limits while the movie goes on, the order of clip events
// and frame scripts of a parent and its child, and timers on the frame clock.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "player/Player.h"
#include "player/display/MovieClip.h"
#include "player/display/Stage.h"
#include "swf/ContainerMovie.h"
#include "swf/writer/SwfWriter.h"

using namespace kelmora;
using namespace kelmora::swf;

namespace {

struct PlayerRun {
    player::Player player;
    std::vector<std::string> lines, reports;
    PlayerRun() {
        player.setTraceSink([this](const std::string& l) { lines.push_back(l); });
        player.setReportSink([this](const std::string& m) { reports.push_back(m); });
    }
    void load(const Bytes& bytes, const std::string& folder = {}) {
        ASSERT_TRUE(player.load(std::span<const uint8_t>(bytes.data(), bytes.size()), folder).ok());
    }
    std::string text() const {
        std::string s;
        for (const auto& l : lines) s += l + "\n";
        return s;
    }
};

ActionBuilder traceText(const std::string& s) {
    ActionBuilder a;
    a.push(s).trace();
    return a;
}

std::filesystem::path freshFolder(const std::string& name) {
    auto dir = std::filesystem::temp_directory_path() / ("kelmora-script-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

TEST(ScriptPlayerTest, ContainerLoadsItsMovieIntoLevel1AndPlaysItAtOneFramePerSecond) {
    auto dir = freshFolder("container");
    // A fast movie whose frames trace their number and whose last frame stops.
    SwfWriter inner(6);
    inner.frameRate(30);
    for (int f = 1; f <= 3; ++f) {
        ActionBuilder a = traceText("inner " + std::to_string(f));
        if (f == 3) a.stop();
        inner.doAction(a.end()).showFrame();
    }
    ASSERT_TRUE(inner.writeFile((dir / "movie.swf").string()).ok());
    ContainerMovieArgs args;
    args.movieFileName = "movie.swf";
    args.frameCount = 10;
    auto container = buildContainerSwf(args);
    ASSERT_TRUE(container.ok());
    std::ofstream((dir / "container.swf").string(), std::ios::binary)
        .write(reinterpret_cast<const char*>(container.value().bytes.data()),
               static_cast<std::streamsize>(container.value().bytes.size()));

    PlayerRun run;
    ASSERT_TRUE(run.player.load((dir / "container.swf").string()).ok());
    EXPECT_DOUBLE_EQ(run.player.frameRate(), 1.0);
    EXPECT_EQ(run.text(), "");  // the movie arrives with the next frame
    std::vector<std::string> seen;
    for (int i = 0; i < 5; ++i) {
        run.player.advance();
        seen.push_back(run.text());
    }
    EXPECT_EQ(seen[0], "inner 1\n");
    EXPECT_EQ(seen[1], "inner 1\ninner 2\n");
    EXPECT_EQ(seen[4], "inner 1\ninner 2\ninner 3\n");  // held at its stop()
    ASSERT_NE(run.player.stage()->level(1), nullptr);
    EXPECT_EQ(run.player.stage()->level(1)->currentFrame(), 2u);
    EXPECT_EQ(run.player.currentFrame(), 5);  // the container counts on

    // Addresses outside the movie's folder are refused without a word.
    SwfWriter refusing(6);
    refusing.doAction(ActionBuilder().getUrl("http://example.com/a.swf", "_level2").getUrl("/etc/a.swf", "_level3").end())
        .showFrame();
    PlayerRun other;
    other.load(refusing.bytes(), dir.string());
    other.player.advance();
    EXPECT_EQ(other.player.stage()->level(2), nullptr);
    EXPECT_EQ(other.player.stage()->level(3), nullptr);
    EXPECT_TRUE(other.reports.empty());
    std::filesystem::remove_all(dir);
}

TEST(ScriptPlayerTest, StopAtTheLastFrameHoldsThePicture) {
    SwfWriter movie(6);
    movie.frameSizePixels(20, 20);
    const Rgba colours[3] = {Rgba::fromRgb(0xFF0000), Rgba::fromRgb(0x00FF00), Rgba::fromRgb(0x0000FF)};
    for (int f = 0; f < 3; ++f) {
        movie.defineShape(static_cast<uint16_t>(f + 1), ShapeBuilder::filledRectPx(0, 0, 20, 20, colours[f]));
        if (f > 0) movie.removeObject2(1);
        movie.place(Place::add(static_cast<uint16_t>(f + 1), 1));
        if (f == 2) movie.doAction(ActionBuilder().stop().end());
        movie.showFrame();
    }
    PlayerRun run;
    run.load(movie.bytes());
    for (int i = 0; i < 2; ++i) run.player.advance();
    player::PixelBuffer at3, later;
    run.player.render(at3);
    for (int i = 0; i < 7; ++i) run.player.advance();
    run.player.render(later);
    EXPECT_EQ(run.player.currentFrame(), 2);
    EXPECT_FALSE(run.player.isPlaying());
    ASSERT_EQ(at3.width(), later.width());
    EXPECT_EQ(at3.pixel(10, 10), later.pixel(10, 10));
    EXPECT_EQ(later.pixel(10, 10), player::packArgb(255, 0, 0, 255));
}

TEST(ScriptPlayerTest, ScriptsStoppedByTheLimitsAreReportedAndTheMovieGoesOn) {
    struct Case {
        const char* what;
        ActionBuilder bomb;
    };
    ActionBuilder endless;
    endless.label("top").jump("top");
    // function f() { f(); } f();
    ActionBuilder body;
    body.push({PushValue(0.0), PushValue("f")}).callFunction().pop();
    ActionBuilder recursion;
    recursion.defineFunction("f", {}, body).push({PushValue(0.0), PushValue("f")}).callFunction().pop();
    Case cases[] = {{"endless loop", endless}, {"recursion", recursion}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        SwfWriter movie(6);
        ActionBuilder first = traceText("before");
        first.raw(c.bomb.end().bytes());
        movie.doAction(first).showFrame();
        movie.doAction(traceText("next frame").stop().end()).showFrame();
        PlayerRun run;
        run.player.setScriptActionLimit(200000);
        run.load(movie.bytes());
        run.player.advance();
        run.player.advance();
        EXPECT_EQ(run.text(), "before\nnext frame\n");
        ASSERT_EQ(run.reports.size(), 1u);
        EXPECT_EQ(run.player.currentFrame(), 1);
    }
}

TEST(ScriptPlayerTest, ParentAndChildRunTheirEventsAndFrameScriptsInThePlayersOrder) {
    SwfWriter movie(6);
    movie.defineShape(1, ShapeBuilder::filledRectPx(0, 0, 10, 10, Rgba::fromRgb(0x000000)));
    movie.defineSprite(2, [](Timeline& t) {  // child: two frames
        t.doAction(traceText("child frame 1").end()).showFrame();
        t.doAction(traceText("child frame 2").end()).showFrame();
    });
    movie.defineSprite(3, [](Timeline& t) {  // parent: places the child
        t.doAction(traceText("parent frame 1").end());
        t.place(Place::add(2, 1).name("child").clipAction({ClipEvent::Load, 0, traceText("child load").end()}));
        t.showFrame();
        t.doAction(traceText("parent frame 2").end()).showFrame();
    });
    movie.doAction(traceText("root frame 1").end());
    movie.place(Place::add(3, 1).name("parent")
                    .clipAction({ClipEvent::Load, 0, traceText("parent load").end()})
                    .clipAction({ClipEvent::EnterFrame, 0, traceText("parent enterFrame").end()}));
    movie.showFrame();
    movie.doAction(traceText("root frame 2").end()).showFrame();
    PlayerRun run;
    run.load(movie.bytes());
    EXPECT_EQ(run.text(), "root frame 1\nparent load\nparent frame 1\nchild load\nchild frame 1\n");
    run.lines.clear();
    run.player.advance();
    // Newest timelines step first, enterFrame runs before the frame scripts.
    EXPECT_EQ(run.text(), "parent enterFrame\nchild frame 2\nparent frame 2\nroot frame 2\n");
}

TEST(ScriptPlayerTest, TimersAndGetTimerFollowTheFrameClock) {
    SwfWriter movie(6);
    movie.frameRate(10);
    // setInterval(function () { trace(getTimer()); }, 250);
    ActionBuilder tick;
    tick.getTime().trace();
    ActionBuilder setup;
    setup.push({PushValue(250.0)}).defineFunction("", {}, tick).push({PushValue(2.0), PushValue("setInterval")})
        .callFunction().pop().stop();
    movie.doAction(setup.end()).showFrame();
    movie.showFrame();
    PlayerRun run;
    run.load(movie.bytes());
    for (int i = 0; i < 10; ++i) run.player.advance();
    // Due at 250, 500, 750, 1000 ms; frames come every 100 ms.
    EXPECT_EQ(run.text(), "300\n500\n800\n1000\n");
}

}  // namespace
