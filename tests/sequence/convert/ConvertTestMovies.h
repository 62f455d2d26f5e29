#pragma once
// Movies made to order for the converter's tests and benchmark.
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "swf/writer/SwfWriter.h"

namespace kelmora::testing {

using swf::ActionBuilder;
using swf::FillStyle;
using swf::Gradient;
using swf::Matrix;
using swf::Place;
using swf::Rgba;
using swf::ShapeBuilder;
using swf::SwfWriter;
using swf::Timeline;

// A red square sliding one pixel right per frame over a white stage: every frame differs.
inline SwfWriter slidingSquareMovie(int frames, double fps = 12, int width = 40, int height = 30) {
    SwfWriter movie(8);
    movie.frameSizePixels(width, height).frameRate(fps);
    movie.setBackgroundColor(Rgba::fromRgb(0xFFFFFF));
    movie.defineShape(1, ShapeBuilder::filledRectPx(0, 0, 8, 8, Rgba::fromRgb(0xFF0000)));
    for (int f = 0; f < frames; ++f) {
        if (f == 0) movie.place(Place::add(1, 1).matrix(Matrix::translatePixels(1, 4)));
        else movie.place(Place::move(1).matrix(Matrix::translatePixels(1 + f % (width - 8), 4)));
        movie.showFrame();
    }
    return movie;
}

// A clip of clipFrames frames (a blue square stepping down one pixel a frame) placed on frame 1
// of a main timeline of mainFrames frames that stops on its last frame.
inline SwfWriter stoppedMainWithClipMovie(int mainFrames, int clipFrames, double fps = 12) {
    SwfWriter movie(8);
    movie.frameSizePixels(40, 40).frameRate(fps);
    movie.setBackgroundColor(Rgba::fromRgb(0xFFFFFF));
    movie.defineShape(1, ShapeBuilder::filledRectPx(0, 0, 6, 6, Rgba::fromRgb(0x0000FF)));
    movie.defineSprite(2, [&](Timeline& clip) {
        for (int f = 0; f < clipFrames; ++f) {
            if (f == 0) clip.place(Place::add(1, 1).matrix(Matrix::translatePixels(20, 0)));
            else clip.place(Place::move(1).matrix(Matrix::translatePixels(20, f)));
            clip.showFrame();
        }
    });
    movie.place(Place::add(2, 1));
    for (int f = 0; f < mainFrames; ++f) {
        if (f == mainFrames - 1) movie.doAction(ActionBuilder().stop().end());
        movie.showFrame();
    }
    return movie;
}

// The benchmark's movie: 550 x 400 at 12 fps, a gradient sky, and clips that turn and travel.
inline SwfWriter busyMovie(int frames) {
    SwfWriter movie(8);
    movie.frameSizePixels(550, 400).frameRate(12);
    movie.setBackgroundColor(Rgba::fromRgb(0x202040));
    ShapeBuilder sky;
    sky.fillOnly(sky.addFill(FillStyle::linear(Gradient::twoColor(Rgba::fromRgb(0x3060C0), Rgba::fromRgb(0xF0C080)),
                                               Matrix::fromAffine(0, 400.0 * 20 / 32768, -550.0 * 20 / 32768, 0, 5500, 4000))))
        .rectPx(0, 0, 550, 400);
    movie.defineShape(1, sky.build());
    ShapeBuilder ball;
    ball.fillOnly(ball.addFill(FillStyle::radial(Gradient::twoColor(Rgba::fromRgb(0xFFFFFF), Rgba::fromRgb(0xC02020)),
                                                 Matrix::scale(60.0 * 20 / 32768, 60.0 * 20 / 32768))))
        .circlePx(0, 0, 30);
    movie.defineShape(2, ball.build());
    ShapeBuilder star;
    const uint32_t outline = star.addLine(swf::LineStyle::solid(40, Rgba::fromRgb(0x000000)));
    star.fillOnly(star.addFill(FillStyle::solid(Rgba::fromArgb(0xC0FFE040)))).line(outline);
    std::vector<std::pair<int32_t, int32_t>> points;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 ? 18 : 45) * 20, a = i * 3.14159265 / 5;
        points.push_back({int32_t(r * std::cos(a)), int32_t(r * std::sin(a))});
    }
    star.polygon(points);
    movie.defineShape(3, star.build());
    // A clip that turns its star once in 24 frames.
    movie.defineSprite(4, [](Timeline& clip) {
        for (int f = 0; f < 24; ++f) {
            if (f == 0) clip.place(Place::add(3, 1));
            else clip.place(Place::move(1).matrix(Matrix::rotate(f * 15.0)));
            clip.showFrame();
        }
    });
    movie.place(Place::add(1, 1));
    for (int f = 0; f < frames; ++f) {
        for (int i = 0; i < 6; ++i) {
            const double x = 40 + std::fmod(f * (3 + i) + i * 90, 470.0), y = 60 + 50 * i + 20 * std::sin(f * 0.2 + i);
            const uint16_t depth = uint16_t(10 + i * 2);
            const Matrix at = Matrix::translatePixels(x, y);
            if (f == 0) {
                movie.place(Place::add(2, depth).matrix(at));
                movie.place(Place::add(4, uint16_t(depth + 1)).matrix(Matrix::translatePixels(510 - x, y)));
            } else {
                movie.place(Place::move(depth).matrix(at));
                movie.place(Place::move(uint16_t(depth + 1)).matrix(Matrix::translatePixels(510 - x, y)));
            }
        }
        movie.showFrame();
    }
    return movie;
}

inline std::string writeMovie(const SwfWriter& movie, const std::string& path) {
    if (!movie.writeFile(path)) throw std::runtime_error("cannot write " + path);
    return path;
}

}  // namespace kelmora::testing

namespace kelmora::testing {

// A movie at 12 fps that starts a short loud click on frame `clickFrame`, counted from 0 as the
// player counts (so frame 30 begins 2.5 s into the movie).
inline SwfWriter clickMovie(int clickFrame, int frames = 40) {
    SwfWriter movie = slidingSquareMovie(0);
    movie.frameSizePixels(40, 30).frameRate(12);
    std::vector<uint8_t> click;
    for (int i = 0; i < 441; ++i) {  // 10 ms at 44.1 kHz, mono, 16-bit little-endian
        const int16_t v = i % 2 ? 20000 : -20000;
        click.push_back(uint8_t(v & 0xFF));
        click.push_back(uint8_t((v >> 8) & 0xFF));
    }
    movie.defineSound(9, swf::SoundFormat{}, 441, click);
    movie.place(Place::add(1, 1));
    for (int f = 0; f < frames; ++f) {
        if (f == clickFrame) movie.startSound(9);
        movie.place(Place::move(1).matrix(Matrix::translatePixels(f % 30, 4)));
        movie.showFrame();
    }
    return movie;
}

// A 10-frame movie whose scripts move a clip: frame k's script sets its _x to 3 * k; the last
// frame goes back to frame 1 and plays on, for ever.
inline SwfWriter scriptedLoopMovie() {
    SwfWriter movie(8);
    movie.frameSizePixels(40, 30).frameRate(12);
    movie.setBackgroundColor(Rgba::fromRgb(0xFFFFFF));
    movie.defineShape(1, ShapeBuilder::filledRectPx(0, 0, 6, 6, Rgba::fromRgb(0x00A000)));
    movie.defineSprite(2, [](Timeline& clip) { clip.place(Place::add(1, 1)).showFrame(); });
    movie.place(Place::add(2, 1).name("box"));
    for (int k = 1; k <= 10; ++k) {
        ActionBuilder script;
        script.push({"box", 0}).push(double(3 * k)).setProperty();  // property 0 is _x
        if (k == 10) script.gotoFrame(0).play();
        movie.doAction(script.end());
        movie.showFrame();
    }
    return movie;
}

// One frame whose script never ends.
inline SwfWriter endlessScriptMovie() {
    SwfWriter movie(8);
    movie.frameSizePixels(40, 30).frameRate(12);
    movie.doAction(ActionBuilder().label("top").push(1.0).pop().jump("top").end());
    movie.showFrame();
    return movie;
}

}  // namespace kelmora::testing
