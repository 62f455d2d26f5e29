// The drawing API seen through the player: a filled square and a stroked line drawn by a frame
// script show up in the picture and in the clip's size; clear() takes them away again.
#include <gtest/gtest.h>

#include <initializer_list>

#include "player/Player.h"
#include "swf/writer/SwfWriter.h"

using namespace kelmora;
using namespace kelmora::swf;

namespace {

// _root.method(args...), result dropped.
void callRoot(ActionBuilder& a, const char* method, std::initializer_list<double> args) {
    for (auto it = std::rbegin(args); it != std::rend(args); ++it) a.push(*it);
    a.push(static_cast<int>(args.size())).push("_root").getVariable().push(method).callMethod().pop();
}

void traceRootWidth(ActionBuilder& a) {
    a.push("_root").getVariable().push("_width").getMember().trace();
}

Bytes drawingMovie(bool clearOnFrame2) {
    SwfWriter movie(6);
    movie.frameSizePixels(100, 100).frameRate(12);
    ActionBuilder a;
    callRoot(a, "beginFill", {0xFF0000, 100});
    callRoot(a, "moveTo", {10, 10});
    callRoot(a, "lineTo", {50, 10});
    callRoot(a, "lineTo", {50, 50});
    callRoot(a, "lineTo", {10, 50});  // left open: endFill closes it
    callRoot(a, "endFill", {});
    callRoot(a, "lineStyle", {4, 0x0000FF, 100});
    callRoot(a, "moveTo", {60, 80});
    callRoot(a, "lineTo", {90, 80});
    traceRootWidth(a);
    movie.doAction(a.end()).showFrame();
    ActionBuilder b;
    if (clearOnFrame2) {
        callRoot(b, "clear", {});
        traceRootWidth(b);
    }
    b.stop();
    movie.doAction(b.end()).showFrame();
    return movie.bytes();
}

TEST(ClipDrawingTest, ScriptDrawingIsDrawnMeasuredAndCleared) {
    for (bool clear : {false, true}) {
        SCOPED_TRACE(clear ? "cleared" : "kept");
        player::Player p;
        std::vector<std::string> lines;
        p.setTraceSink([&](const std::string& l) { lines.push_back(l); });
        Bytes bytes = drawingMovie(clear);
        ASSERT_TRUE(p.load(std::span<const uint8_t>(bytes.data(), bytes.size())).ok());
        player::PixelBuffer first;
        p.render(first);
        ASSERT_EQ(first.width(), 100);
        const uint32_t white = player::packArgb(255, 255, 255, 255);
        EXPECT_EQ(first.pixel(30, 30), player::packArgb(255, 255, 0, 0));  // inside the closed fill
        EXPECT_EQ(first.pixel(75, 80), player::packArgb(255, 0, 0, 255));  // on the line
        EXPECT_EQ(first.pixel(5, 5), white);
        EXPECT_EQ(first.pixel(75, 30), white);  // the move between them drew nothing
        ASSERT_FALSE(lines.empty());
        // From the square's left edge to the line's right end plus half its width.
        EXPECT_EQ(lines[0], "82");

        p.advance();
        player::PixelBuffer second;
        p.render(second);
        EXPECT_EQ(second.pixel(30, 30), clear ? white : first.pixel(30, 30));
        if (clear) {
            ASSERT_EQ(lines.size(), 2u);
            EXPECT_EQ(lines[1], "0");
        }
    }
}

}  // namespace
