// The frame renderer through the Player: stage colour, ShowAll mapping, colour transforms down the
// tree, masks by clip depth (nested), and what a broken movie still shows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "player/Player.h"
#include "player/display/Stage.h"
#include "swf/writer/ShapeBuilder.h"
#include "swf/writer/SwfWriter.h"

using namespace kelmora;
using player::PixelBuffer;

namespace {

swf::Shape rectShape(double x, double y, double w, double h, uint32_t rgb) {
    swf::ShapeBuilder b;
    b.fillOnly(b.addFill(swf::FillStyle::solid(swf::Rgba::fromRgb(rgb)))).rectPx(x, y, w, h);
    return b.build();
}

uint32_t rgbAt(const PixelBuffer& p, int x, int y) { return p.pixel(x, y) & 0xffffff; }

PixelBuffer renderOf(const swf::SwfWriter& w, int frames = 1, int width = 0, int height = 0) {
    player::Player p;
    auto bytes = w.bytes();
    EXPECT_TRUE(p.load(bytes).ok());
    for (int i = 1; i < frames; ++i) p.advance();
    PixelBuffer out(width, height);
    p.render(out);
    return out;
}

}  // namespace

TEST(StageRenderTest, StageColourAndShowAll) {
    swf::SwfWriter w;
    w.frameSizePixels(100, 50).setBackgroundColor(swf::Rgba::fromRgb(0x102030));
    w.defineShape(1, rectShape(0, 0, 50, 50, 0xff0000)).place(swf::Place::add(1, 1)).showFrame();
    PixelBuffer native = renderOf(w);
    ASSERT_EQ(native.width(), 100);
    ASSERT_EQ(native.height(), 50);
    EXPECT_EQ(rgbAt(native, 25, 25), 0xff0000u);
    EXPECT_EQ(rgbAt(native, 75, 25), 0x102030u);
    // 200x200: scaled 2x, centred vertically (50 px bands above and below in the stage colour).
    PixelBuffer big = renderOf(w, 1, 200, 200);
    EXPECT_EQ(rgbAt(big, 50, 100), 0xff0000u);
    EXPECT_EQ(rgbAt(big, 150, 100), 0x102030u);
    EXPECT_EQ(rgbAt(big, 50, 20), 0x102030u);
    EXPECT_EQ(rgbAt(big, 50, 60), 0xff0000u);
    EXPECT_EQ(rgbAt(big, 50, 140), 0xff0000u);
    EXPECT_EQ(rgbAt(big, 50, 180), 0x102030u);
    // Without SetBackgroundColor the player's BGColor is the stage colour.
    swf::SwfWriter plain;
    plain.frameSizePixels(10, 10).showFrame();
    player::Player p;
    ASSERT_TRUE(p.load(plain.bytes()).ok());
    p.setBGColor("A0A0A0");
    EXPECT_EQ(p.bgColor(), "A0A0A0");
    PixelBuffer out;
    p.render(out);
    EXPECT_EQ(rgbAt(out, 5, 5), 0xa0a0a0u);
    p.setBGColor("0");
    p.render(out);
    EXPECT_EQ(rgbAt(out, 5, 5), 0u);
    p.setBGColor("not a colour");
    EXPECT_EQ(p.bgColor(), "000000");
}

TEST(StageRenderTest, ColourTransformsMultiplyDownTheTree) {
    swf::SwfWriter w;
    w.frameSizePixels(40, 40).setBackgroundColor(swf::Rgba::fromRgb(0xffffff));
    w.defineShape(1, rectShape(0, 0, 40, 40, 0x808080));
    w.defineSprite(2, [](swf::Timeline& s) {
        s.place(swf::Place::add(1, 1).cxform(swf::ColorTransform::multiply(0.5, 1, 1))).showFrame();
    });
    w.place(swf::Place::add(2, 1).cxform(swf::ColorTransform::add(0, 0, -128))).showFrame();
    PixelBuffer out = renderOf(w);
    // red 0x80 * 0.5 = 0x40; blue 0x80 - 0x80 = 0 (clamped per channel).
    EXPECT_EQ(rgbAt(out, 20, 20), 0x408000u);
}

TEST(StageRenderTest, MasksByClipDepthNest) {
    swf::SwfWriter w;
    w.frameSizePixels(40, 40).setBackgroundColor(swf::Rgba::fromRgb(0xffffff));
    w.defineShape(1, rectShape(0, 0, 20, 40, 0x000000));   // mask: left half
    w.defineShape(2, rectShape(0, 0, 40, 20, 0x000000));   // inner mask: top half
    w.defineShape(3, rectShape(0, 0, 40, 40, 0x0000ff));   // content
    w.defineShape(4, rectShape(0, 0, 40, 40, 0x00ff00));   // above the masks
    w.place(swf::Place::add(1, 1).clipDepth(5))
        .place(swf::Place::add(2, 2).clipDepth(4))
        .place(swf::Place::add(3, 3))
        .place(swf::Place::add(4, 6).matrix(swf::Matrix::translatePixels(30, 30)))
        .showFrame();
    PixelBuffer out = renderOf(w);
    EXPECT_EQ(rgbAt(out, 5, 5), 0x0000ffu);    // inside both masks
    EXPECT_EQ(rgbAt(out, 30, 5), 0xffffffu);   // outside the outer mask
    EXPECT_EQ(rgbAt(out, 5, 25), 0xffffffu);   // outside the inner mask
    EXPECT_EQ(rgbAt(out, 35, 35), 0x00ff00u);  // depth 6 is past the masks' reach
}

TEST(StageRenderTest, TimelinePicturesFollowFrames) {
    swf::SwfWriter w;
    w.frameSizePixels(20, 20).setBackgroundColor(swf::Rgba::fromRgb(0xffffff));
    w.defineShape(1, rectShape(0, 0, 10, 20, 0xff0000));
    w.place(swf::Place::add(1, 1)).showFrame();
    w.place(swf::Place::move(1).matrix(swf::Matrix::translatePixels(10, 0))).showFrame();
    w.removeObject2(1).showFrame();
    EXPECT_EQ(rgbAt(renderOf(w, 1), 5, 10), 0xff0000u);
    EXPECT_EQ(rgbAt(renderOf(w, 2), 5, 10), 0xffffffu);
    EXPECT_EQ(rgbAt(renderOf(w, 2), 15, 10), 0xff0000u);
    EXPECT_EQ(rgbAt(renderOf(w, 3), 15, 10), 0xffffffu);
    EXPECT_EQ(rgbAt(renderOf(w, 4), 5, 10), 0xff0000u);  // looped
}

TEST(StageRenderTest, AbsurdAndBrokenMoviesRenderSafely) {
    // A 0x0 stage, a huge stage drawn into a small picture, and a compressed movie cut short.
    swf::SwfWriter empty;
    empty.frameSizePixels(0, 0).showFrame();
    player::Player p;
    ASSERT_TRUE(p.load(empty.bytes()).ok());
    EXPECT_EQ(p.stageWidth(), 0);
    PixelBuffer out(8, 8);
    p.render(out);

    swf::SwfWriter huge;
    huge.frameSize(swf::Rect::fromTwips(0, 0, 0x3fffffff, 0x3fffffff)).compression(swf::Compression::Zlib);
    huge.defineShape(1, rectShape(0, 0, 100, 100, 0xff0000)).place(swf::Place::add(1, 1)).showFrame();
    ASSERT_TRUE(p.load(huge.bytes()).ok());
    p.render(out);

    swf::SwfWriter cut;
    cut.frameSizePixels(20, 20).compression(swf::Compression::Zlib).setBackgroundColor(swf::Rgba::fromRgb(0x00ff00));
    cut.defineShape(1, rectShape(0, 0, 20, 20, 0xff0000)).place(swf::Place::add(1, 1)).showFrame();
    for (int i = 0; i < 30; ++i) cut.defineShape(static_cast<uint16_t>(10 + i), rectShape(0, 0, 5, 5, 0x123456));
    cut.showFrame();
    auto bytes = cut.bytes();
    bytes.resize(bytes.size() * 2 / 3);
    ASSERT_TRUE(p.load(bytes).ok());
    PixelBuffer shown;
    p.render(shown);
    EXPECT_EQ(rgbAt(shown, 10, 10), 0xff0000u);
    // A file that isn't there.
    EXPECT_FALSE(p.load(std::string("/nonexistent/movie.swf")).ok());
    EXPECT_FALSE(p.loaded());
}

TEST(StageRenderTest, WritesFuzzSeeds) {
    const char* dir = std::getenv("KELMORA_SEED_DIR");
    if (!dir) GTEST_SKIP() << "KELMORA_SEED_DIR not set";
    std::filesystem::path folder = std::filesystem::path(dir) / "fuzz_player";
    std::filesystem::create_directories(folder);
    swf::SwfWriter w;
    w.frameSizePixels(40, 30).setBackgroundColor(swf::Rgba::fromRgb(0x336699));
    w.defineShape(1, rectShape(0, 0, 20, 20, 0xff0000));
    w.defineSprite(2, [](swf::Timeline& s) {
        s.place(swf::Place::add(1, 1)).showFrame();
        s.place(swf::Place::move(1).matrix(swf::Matrix::translatePixels(5, 5))).showFrame();
    });
    w.place(swf::Place::add(1, 1).clipDepth(3)).place(swf::Place::add(2, 2)).showFrame();
    w.removeObject2(2).showFrame();
    for (auto c : {swf::Compression::None, swf::Compression::Zlib}) {
        w.compression(c);
        auto bytes = w.bytes();
        std::ofstream(folder / (c == swf::Compression::None ? "timeline.swf" : "timeline-zlib.swf"), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
}

TEST(StageRenderTest, OpaqueBackgroundsFillTheBoxOfClipsAndButtons) {
    // Two bars with a gap: the box behind them shows the background colour, for a button inside a
    // clip as for a clip; the inner background lies above the outer one.
    for (bool button : {false, true}) {
        SCOPED_TRACE(button ? "button in a clip" : "clip in a clip");
        swf::SwfWriter w(10);
        w.frameSizePixels(40, 40);
        swf::ShapeBuilder b;
        const uint32_t blue = b.addFill(swf::FillStyle::solid(swf::Rgba::fromRgb(0x0000ff)));
        b.fillOnly(blue).rectPx(10, 10, 20, 2).rectPx(10, 28, 20, 2);
        w.defineShape(1, b.build());
        if (button) {
            swf::ButtonRecord up;
            up.characterId = 1;
            w.defineButton(2, {up}, swf::ActionBuilder{});
        } else {
            w.defineSprite(2, [](swf::Timeline& s) { s.place(swf::Place::add(1, 1)).showFrame(); });
        }
        w.defineSprite(3, [](swf::Timeline& s) {
            s.place(swf::Place::add(2, 1).opaqueBackground(swf::Rgba::fromRgb(0x00ff00))).showFrame();
        });
        w.place(swf::Place::add(3, 1).opaqueBackground(swf::Rgba::fromRgb(0xff0000)).cacheAsBitmap(true)).showFrame();
        PixelBuffer p = renderOf(w);
        EXPECT_EQ(rgbAt(p, 20, 11), 0x0000ffu);  // the drawing
        EXPECT_EQ(rgbAt(p, 20, 20), 0x00ff00u);  // the gap: the inner background
        EXPECT_EQ(rgbAt(p, 5, 5), 0xffffffu);    // outside both boxes
    }
}
