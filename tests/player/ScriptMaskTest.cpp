// Masks and windows set by script: the mask found by any form of target path, timeline masks
// taken over by setMask stop masking the layers above them, scrollRect moves and cuts a clip.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/Player.h"
#include "swf/writer/ShapeBuilder.h"
#include "swf/writer/SwfWriter.h"

using namespace kelmora;
using namespace kelmora::swf;

namespace {

const uint32_t kWhite = player::packArgb(255, 255, 255, 255);
const uint32_t kRed = player::packArgb(255, 255, 0, 0);
const uint32_t kBlue = player::packArgb(255, 0, 0, 255);

// target.setMask(mask), where mask is a clip (by variable) or a path string.
void setMask(ActionBuilder& a, const std::string& target, const std::string& mask, bool maskIsPath) {
    a.push(mask);
    if (!maskIsPath) a.getVariable();
    a.push(1).push(target).getVariable().push("setMask").callMethod().pop();
}

player::PixelBuffer play(const Bytes& bytes, std::vector<std::string>* traces = nullptr) {
    player::Player p;
    if (traces) p.setTraceSink([traces](const std::string& line) { traces->push_back(line); });
    EXPECT_TRUE(p.load(std::span<const uint8_t>(bytes.data(), bytes.size())).ok());
    player::PixelBuffer picture;
    p.render(picture);
    return picture;
}

// Sprite 2: a red 40x40 square; sprite 4: a blue 20x20 square (the mask, where it covers).
void defineSquares(SwfWriter& movie) {
    movie.defineShape(1, ShapeBuilder::filledRectPx(0, 0, 40, 40, Rgba::fromRgb(0xFF0000)));
    movie.defineSprite(2, [](Timeline& t) { t.place(Place::add(1, 1)).showFrame(); });
    movie.defineShape(3, ShapeBuilder::filledRectPx(0, 0, 20, 20, Rgba::fromRgb(0x0000FF)));
    movie.defineSprite(4, [](Timeline& t) { t.place(Place::add(3, 1)).showFrame(); });
}

TEST(ScriptMaskTest, MaskPathsInEveryFormFindTheMask) {
    for (const char* path : {"mask", "_root.mask", "/mask", "_level0:mask", "_level0:_root.mask", "_level0/mask"}) {
        SCOPED_TRACE(path);
        SwfWriter movie(8);
        movie.frameSizePixels(60, 60);
        defineSquares(movie);
        movie.place(Place::add(2, 1).name("square")).place(Place::add(4, 2).name("mask"));
        ActionBuilder a;
        setMask(a, "square", path, true);
        movie.doAction(a.end()).showFrame();
        player::PixelBuffer picture = play(movie.bytes());
        EXPECT_EQ(picture.pixel(10, 10), kRed);    // under the mask, which is not drawn itself
        EXPECT_EQ(picture.pixel(30, 30), kWhite);  // outside it
    }
}

TEST(ScriptMaskTest, TimelineMasksTakenOverByScriptNoLongerMaskTheirLayers) {
    // Depth 1 masks depths 2 and 3 by the timeline; script then puts it in a mask pair with the
    // clip at depth 2, either way round, and the timeline mask is gone.
    struct Case {
        const char* name;
        const char* target;
        const char* mask;
        uint32_t inside, outside;  // (10,10) under the small square, (30,30) beyond it
    };
    const Case cases[] = {
        // The small square masks the big one by script: only their overlap shows.
        {"mask used by script", "big", "small", kRed, kWhite},
        // The small square is masked by the big one: it shows whole, and no longer hides the big one.
        {"mask masked by script", "small", "big", kBlue, kWhite},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SwfWriter movie(8);
        movie.frameSizePixels(60, 60);
        defineSquares(movie);
        movie.place(Place::add(4, 1).name("small").clipDepth(3))
            .place(Place::add(2, 2).name("big"))
            .place(Place::add(2, 3).matrix(Matrix::translatePixels(45, 45)));
        ActionBuilder a;
        setMask(a, c.target, c.mask, false);
        movie.doAction(a.end()).showFrame();
        player::PixelBuffer picture = play(movie.bytes());
        EXPECT_EQ(picture.pixel(10, 10), c.inside);
        EXPECT_EQ(picture.pixel(30, 30), c.outside);
        EXPECT_EQ(picture.pixel(50, 50), kRed);  // the third layer, unmasked now
    }
}

TEST(ScriptMaskTest, ScrollRectShowsAWindowOnTheClipAtItsOriginAndMasksUncut) {
    // Sprite 5: the red 40x40 square with the blue 20x20 one over it at (20,20); placed at (10,10),
    // then win.scrollRect = Rectangle(10, 10, 20, 20).
    for (bool asMask : {false, true}) {
        SCOPED_TRACE(asMask ? "as a mask" : "drawn");
        SwfWriter movie(8);
        movie.frameSizePixels(80, 80);
        defineSquares(movie);
        movie.defineSprite(5, [](Timeline& t) {
            t.place(Place::add(1, 1)).place(Place::add(3, 2).matrix(Matrix::translatePixels(20, 20))).showFrame();
        });
        movie.place(Place::add(5, 1).name("win").matrix(Matrix::translatePixels(10, 10)));
        if (asMask) {
            movie.defineShape(6, ShapeBuilder::filledRectPx(0, 0, 80, 80, Rgba::fromRgb(0x00FF00)));
            movie.defineSprite(7, [](Timeline& t) { t.place(Place::add(6, 1)).showFrame(); });
            movie.place(Place::add(7, 2).name("field"));
        }
        ActionBuilder a;
        a.push("win").getVariable().push("scrollRect");
        a.push({20, 20, 10, 10, 4}).push("flash").getVariable().push("geom").getMember().push("Rectangle").newMethod();
        a.setMember();
        a.push("win").getVariable().push("_width").getMember().trace();
        a.push("win").getVariable().push("scrollRect").getMember().push("x").getMember().trace();
        if (asMask) setMask(a, "field", "win", false);
        movie.doAction(a.end()).showFrame();
        std::vector<std::string> traces;
        player::PixelBuffer picture = play(movie.bytes(), &traces);
        if (!asMask) {
            EXPECT_EQ(picture.pixel(15, 15), kRed);    // the window's corner shows the clip's (10,10)
            EXPECT_EQ(picture.pixel(25, 25), kBlue);   // and (25,25) the clip's (25,25), under the blue square
            EXPECT_EQ(picture.pixel(35, 35), kWhite);  // past the window's edge at 30
            EXPECT_EQ(traces, (std::vector<std::string>{"20", "10"}));
        } else {
            // The mask's drawing is moved by the window but not cut by it.
            const uint32_t green = player::packArgb(255, 0, 255, 0);
            EXPECT_EQ(picture.pixel(5, 5), green);
            EXPECT_EQ(picture.pixel(35, 35), green);
            EXPECT_EQ(picture.pixel(45, 45), kWhite);
        }
    }
}

}  // namespace
