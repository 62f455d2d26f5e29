// The playhead as the reference player moves it: fscommand("quit") ends the movie, characters
// arrive with their frame, an occupied depth refuses a placement, gotos past the end or to frame 0,
// the byte counts of a movie whose file is shorter or longer than its header says, WaitForFrame,
// the registers DefineFunction2 preloads and names exported twice.
#include <gtest/gtest.h>

#include "player/Player.h"
#include "swf/writer/SwfWriter.h"

using namespace kelmora;
using namespace kelmora::swf;

namespace {

struct MovieRun {
    player::Player player;
    std::vector<std::string> lines;
    explicit MovieRun(const Bytes& bytes) {
        player.setTraceSink([this](const std::string& l) { lines.push_back(l); });
        EXPECT_TRUE(player.load(std::span<const uint8_t>(bytes.data(), bytes.size())).ok());
    }
    std::string text() const {
        std::string s;
        for (const auto& l : lines) s += l + "\n";
        return s;
    }
};

ActionBuilder traceFrame() {
    ActionBuilder a;
    a.push("this").getVariable().push("_currentframe").getMember().trace();
    return a;
}

// trace(this.<method>()) for a method without arguments.
ActionBuilder traceCall(const std::string& target, const std::string& method) {
    ActionBuilder a;
    a.push(0).push(target).getVariable().push(method).callMethod().trace();
    return a;
}

}  // namespace

TEST(PlayheadTest, QuitEndsTheMovieAndTheHeaderMayPromiseMoreFrames) {
    SwfWriter movie(6);
    movie.frameCountOverride(40);  // the file holds three of them
    movie.doAction(traceFrame().end()).showFrame();
    movie.doAction(traceFrame().getUrl("FSCommand:quit", "").end()).showFrame();
    movie.doAction(traceFrame().end()).showFrame();
    MovieRun run(movie.bytes());
    for (int i = 0; i < 6; ++i) run.player.advance();
    EXPECT_EQ(run.text(), "1\n2\n");
    EXPECT_EQ(run.player.currentFrame(), 1);

    // Without the quit the three frames loop.
    SwfWriter looping(6);
    for (int f = 0; f < 3; ++f) looping.doAction(traceFrame().end()).showFrame();
    MovieRun again(looping.bytes());
    for (int i = 0; i < 3; ++i) again.player.advance();
    EXPECT_EQ(again.text(), "1\n2\n3\n1\n");
}

TEST(PlayheadTest, PlacementsWaitForTheirCharacterAndLeaveOccupiedDepthsAlone) {
    SwfWriter movie(7);  // the warning is logged for SWF 7 and later
    auto sprite = [&](uint16_t id, const std::string& name) {
        Timeline s = movie.sprite();
        s.doAction(ActionBuilder().push("made " + name).trace().end()).showFrame();
        movie.defineSprite(id, s);
    };
    // Frame 1 places sprite 1, which only frame 2 defines: nothing appears.
    movie.place(Place::add(1, 5)).showFrame();
    sprite(1, "one");
    sprite(2, "two");
    // Frame 2: depth 7 gets sprite 1; a second placement there is refused with a warning.
    movie.place(Place::add(1, 7)).place(Place::add(2, 7)).doAction(ActionBuilder().stop().end()).showFrame();
    MovieRun run(movie.bytes());
    run.player.advance();
    EXPECT_EQ(run.text(), "Warning: Failed to place object at depth 7.\nmade one\n");
}

TEST(PlayheadTest, GotoOperandsReadAsFrameNumbersOrLabels) {
    // Each case: frame 3 runs gotoAndStop(operand) through GotoFrame2 and traces where it landed.
    struct Case {
        PushValue operand;
        std::string landed;
    };
    const Case cases[] = {
        {PushValue(2), "2\nat 2\n"},
        {PushValue(0), "3\n"},                 // frame 0 goes nowhere
        {PushValue(-100), "3\n"},
        {PushValue(4.5), "3\n"},               // not a whole number: a label nobody has
        {PushValue(4294967298.0), "2\nat 2\n"},  // taken modulo 2^32
        {PushValue("two"), "2\nat 2\n"},       // a label
        {PushValue(999), "4\n"},               // past the end: the last frame, its script unrun
    };
    for (const Case& c : cases) {
        SwfWriter movie(6);
        movie.doAction(ActionBuilder().end()).showFrame();
        movie.frameLabel("two").doAction(ActionBuilder().push("at 2").trace().end()).showFrame();
        ActionBuilder go;
        go.push(c.operand).gotoFrame2(false);
        go.push("this").getVariable().push("_currentframe").getMember().trace();
        movie.doAction(go.stop().end()).showFrame();
        movie.doAction(ActionBuilder().push("at 4").trace().end()).showFrame();
        MovieRun run(movie.bytes());
        run.player.advance();
        run.lines.clear();
        run.player.advance();
        EXPECT_EQ(run.text(), c.landed) << "operand " << c.operand.text << c.operand.number << c.operand.index;
    }
}

TEST(PlayheadTest, ByteCountsFollowTheFileAndTheHeader) {
    auto build = [](std::optional<uint32_t> declared, Compression compression) {
        SwfWriter movie(8);
        movie.compression(compression);
        if (declared) movie.fileLengthOverride(*declared);
        Timeline s = movie.sprite();
        s.showFrame();
        movie.defineSprite(1, s);
        movie.place(Place::add(1, 1).name("clip"));
        ActionBuilder a = traceCall("this", "getBytesLoaded");
        a.raw(traceCall("this", "getBytesTotal").bytes());
        a.raw(traceCall("clip", "getBytesTotal").bytes());
        // loader.getProgress(0).bytesTotal, then getProgress of a path and of a plain object.
        a.push(0).push("MovieClipLoader").newObject().push("loader").stackSwap().setVariable();
        a.push(0).push(1).push("loader").getVariable().push("getProgress").callMethod();
        a.push("bytesTotal").getMember().trace();
        a.push("nothing").push(1).push("loader").getVariable().push("getProgress").callMethod();
        a.push("bytesTotal").getMember().trace();
        a.push(0).initObject().push(1).push("loader").getVariable().push("getProgress").callMethod().trace();
        movie.doAction(a.stop().end()).showFrame();
        return movie;
    };
    SwfWriter plain = build(std::nullopt, Compression::None);
    const size_t size = plain.bytes().size();
    // The sprite counts its tags after the frame count (a ShowFrame and an End); the loader
    // counts the file as read.
    const std::string tail = "4\n" + std::to_string(size) + "\nundefined\nundefined\n";

    MovieRun longer(build(static_cast<uint32_t>(size + 100), Compression::None).bytes());
    EXPECT_EQ(longer.text(), std::to_string(size) + "\n" + std::to_string(size + 100) + "\n" + tail);

    SwfWriter compressed = build(std::nullopt, Compression::Zlib);
    const Bytes packed = compressed.bytes();
    const size_t full = compressed.uncompressedBytes().size();
    MovieRun zipped(packed);
    EXPECT_EQ(zipped.text(), std::to_string(full) + "\n" + std::to_string(full) + "\n4\n" +
                                 std::to_string(packed.size()) + "\nundefined\nundefined\n");
}

TEST(PlayheadTest, WaitForFrameCountsEveryFrameOfAWholeMovieAsLoaded) {
    // Each case traces "yes" when its frame counts as loaded (a skip of 2 jumps the push and the trace).
    struct Case {
        std::optional<uint16_t> fixed;  // WaitForFrame's own operand, else WaitForFrame2's
        PushValue operand;
        bool loaded;
    };
    const Case cases[] = {
        {0, PushValue(0), true},          {16000, PushValue(0), true},         {16001, PushValue(0), false},
        {{}, PushValue(0), true},         {{}, PushValue(16001), true},        {{}, PushValue(16002), false},
        {{}, PushValue(2147483647.0), false}, {{}, PushValue(2147483649.0), true},  // wraps below 0
        {{}, PushValue("abc"), true},     {{}, PushValue(-43), true},
    };
    for (const Case& c : cases) {
        ActionBuilder a;
        if (c.fixed) {
            a.waitForFrame(*c.fixed, 2);
        } else {
            a.push(c.operand).waitForFrame2(2);
        }
        a.push("yes").trace();
        SwfWriter movie(6);
        movie.doAction(a.stop().end()).showFrame();
        MovieRun run(movie.bytes());
        EXPECT_EQ(run.text(), c.loaded ? "yes\n" : "")
            << (c.fixed ? std::to_string(*c.fixed) : c.operand.text + std::to_string(c.operand.number));
    }
}

TEST(PlayheadTest, AParentlessClipTakesNoPreloadRegister) {
    // DefineFunction2 preloading _parent and _global: on the root, _global lands in register 1.
    ActionBuilder body;
    body.pushRegister(1).trace().pushRegister(2).trace();
    ActionBuilder a;
    a.defineFunction2("f", 3, 0xAA01, {}, body);  // bits as written: parent, global, suppressions
    a.push(0).push("f").callFunction().pop();
    SwfWriter movie(7);
    movie.doAction(a.stop().end()).showFrame();
    MovieRun run(movie.bytes());
    EXPECT_EQ(run.text(), "[type Object]\nundefined\n");
}

TEST(PlayheadTest, ALaterExportOfANameReplacesTheEarlierOne) {
    SwfWriter movie(6);
    for (uint16_t id : {1, 2}) {
        Timeline s = movie.sprite();
        s.doAction(ActionBuilder().push("sprite " + std::to_string(id)).trace().end()).showFrame();
        movie.defineSprite(id, s);
        movie.exportAssets({{id, "test"}});
    }
    ActionBuilder attach;
    attach.push({PushValue(1.0), PushValue("mc"), PushValue("test"), PushValue(3.0), PushValue("_root")})
        .getVariable()
        .push("attachMovie")
        .callMethod()
        .pop();
    movie.doAction(attach.stop().end()).showFrame();
    MovieRun run(movie.bytes());
    run.player.advance();
    EXPECT_EQ(run.text(), "sprite 2\n");
}
