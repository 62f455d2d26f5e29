// Masks set by script: the mask found by any form of target path, and timeline masks taken over
// by setMask stop masking the layers above them.
#include <gtest/gtest.h>

#include <string>

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

player::PixelBuffer play(const Bytes& bytes) {
    player::Player p;
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

}  // namespace
