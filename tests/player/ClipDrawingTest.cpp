// The drawing API seen through the player: a filled square and a stroked line drawn by a frame
// script show up in the picture and in the clip's size; clear() takes them away again.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

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

// One argument of a gradient call: a value, an array of values, or (monostate) the box matrix
// of the 40x40 square at the origin.
using GradientArg = std::variant<std::monostate, PushValue, std::vector<PushValue>>;

void pushGradientArgs(ActionBuilder& a, const std::vector<GradientArg>& args) {
    for (auto it = args.rbegin(); it != args.rend(); ++it) {
        if (const auto* v = std::get_if<PushValue>(&*it)) {
            a.push(*v);
        } else if (const auto* list = std::get_if<std::vector<PushValue>>(&*it)) {
            for (auto e = list->rbegin(); e != list->rend(); ++e) a.push(*e);
            a.push(static_cast<int>(list->size())).initArray();
        } else {
            a.push({"matrixType", "box", "x", 0, "y", 0, "w", 40, "h", 40, "r", 0, 6}).initObject();
        }
    }
    a.push(static_cast<int>(args.size()));
}

// _root.<method>(args) and a closed 40x40 square, drawn with a black 10 px line unless filling.
player::PixelBuffer gradientSquare(const char* method, const std::vector<GradientArg>& args) {
    SwfWriter movie(8);
    movie.frameSizePixels(60, 60);
    ActionBuilder a;
    const bool fill = std::string(method) == "beginGradientFill";
    if (!fill) callRoot(a, "lineStyle", {10, 0x000000, 100});
    pushGradientArgs(a, args);
    a.push("_root").getVariable().push(method).callMethod().pop();
    callRoot(a, "moveTo", {5, 5});
    callRoot(a, "lineTo", {45, 5});
    callRoot(a, "lineTo", {45, 45});
    callRoot(a, "lineTo", {5, 45});
    callRoot(a, "lineTo", {5, 5});
    callRoot(a, "endFill", {});
    movie.doAction(a.end()).showFrame();
    player::Player p;
    Bytes bytes = movie.bytes();
    EXPECT_TRUE(p.load(std::span<const uint8_t>(bytes.data(), bytes.size())).ok());
    player::PixelBuffer picture;
    p.render(picture);
    return picture;
}

TEST(ClipDrawingTest, GradientCallsWithBadArgumentsChangeNothing) {
    const std::vector<PushValue> colors{0xFF0000, 0xFF0000}, alphas{100, 100};
    struct Case {
        const char* name;
        std::vector<GradientArg> args;
        bool applied;
    };
    const std::vector<Case> cases = {
        {"valid", {"linear", colors, alphas, std::vector<PushValue>{0, 255}, std::monostate{}}, true},
        {"ratio fractions dropped", {"linear", colors, alphas, std::vector<PushValue>{-0.99, 255.9}, std::monostate{}}, true},
        {"type in capitals", {"LINEAR", colors, alphas, std::vector<PushValue>{0, 255}, std::monostate{}}, false},
        {"no matrix", {"linear", colors, alphas, std::vector<PushValue>{0, 255}}, false},
        {"one ratio for two colours", {"linear", colors, alphas, std::vector<PushValue>{255}, std::monostate{}}, false},
        {"negative ratio", {"radial", colors, alphas, std::vector<PushValue>{-1, 255}, std::monostate{}}, false},
        {"ratio past 255", {"radial", colors, alphas, std::vector<PushValue>{0, 256}, std::monostate{}}, false},
        {"nine arguments",
         {"linear", colors, alphas, std::vector<PushValue>{0, 255}, std::monostate{}, "pad", "RGB", 0, "more"}, false},
    };
    const uint32_t red = player::packArgb(255, 255, 0, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A fill that is refused leaves the square empty; a refused line gradient leaves the line black.
        EXPECT_EQ(gradientSquare("beginGradientFill", c.args).pixel(25, 25),
                  c.applied ? red : player::packArgb(255, 255, 255, 255));
        EXPECT_EQ(gradientSquare("lineGradientStyle", c.args).pixel(5, 25),
                  c.applied ? red : player::packArgb(255, 0, 0, 0));
    }
}

TEST(ClipDrawingTest, FocalPointsStopShortOfTheCircle) {
    // A reflected radial gradient with its focal point near the edge: past 0.98 (the focal point
    // is kept to 1/256, so 0.98 itself is less) it no longer changes.
    auto focal = [](double f) {
        return gradientSquare("beginGradientFill", {"radial", std::vector<PushValue>{0xFF0000, 0x0000FF},
                                                    std::vector<PushValue>{100, 100}, std::vector<PushValue>{0, 255},
                                                    std::monostate{}, "reflect", "RGB", f});
    };
    auto samePicture = [](const player::PixelBuffer& a, const player::PixelBuffer& b) {
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y)) return false;
        return true;
    };
    const player::PixelBuffer edge = focal(0.985);
    EXPECT_TRUE(samePicture(edge, focal(0.99)));
    EXPECT_TRUE(samePicture(edge, focal(5)));
    EXPECT_FALSE(samePicture(edge, focal(0.98)));
}

}  // namespace
