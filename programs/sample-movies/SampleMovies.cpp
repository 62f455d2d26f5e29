#include "SampleMovies.h"

#include "swf/writer/SwfWriter.h"

namespace kelmora::samples {

using namespace kelmora::swf;

Bytes blankMovie() {
    SwfWriter movie(6);
    movie.frameSizePixels(550, 400).frameRate(12);
    movie.setBackgroundColor(Rgba::fromRgb(0xFFFFFF)).showFrame();
    return movie.bytes();
}

Bytes sampleMovie() {
    SwfWriter movie(6);
    movie.frameSizePixels(550, 400).frameRate(8);
    movie.setBackgroundColor(Rgba::fromRgb(0xF4F1E8));

    // A horizontal gradient band.
    ShapeBuilder band;
    double scale = 550.0 * 20 / 32768;
    band.fillOnly(band.addFill(FillStyle::linear(Gradient::twoColor(Rgba::fromRgb(0x1D4E89), Rgba::fromRgb(0xF5B700)),
                                                 Matrix::fromAffine(scale, 0, 0, 1, 275 * 20, 0))))
        .rectPx(0, 300, 550, 100);
    movie.defineShape(1, band.build(), 2);

    // A small checker bitmap.
    Pixels checker = Pixels::filled(32, 32, 0xFFFFFFFF);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (((x / 8) + (y / 8)) % 2) checker.at(x, y) = 0xFFC0392B;
    movie.defineBitsLossless(2, checker);
    ShapeBuilder tile;
    tile.fillOnly(tile.addFill(FillStyle::bitmap(2, Matrix::scale(20, 20), false, false))).rectPx(0, 0, 32, 32);
    movie.defineShape(3, tile.build(), 2);

    // A nested clip: a turning square with a circle that runs its own four-frame loop.
    movie.defineShape(4, ShapeBuilder::filledCirclePx(0, 0, 12, Rgba::fromRgb(0x27AE60)));
    movie.defineSprite(5, [](Timeline& inner) {
        for (int i = 0; i < 4; ++i) {
            if (i == 0)
                inner.place(Place::add(4, 1).matrix(Matrix::translatePixels(30, 0)));
            else
                inner.place(Place::move(1).matrix(Matrix::translatePixels(30 - i * 20, i * 10)));
            inner.showFrame();
        }
    });
    movie.defineShape(6, ShapeBuilder::filledRectPx(-40, -40, 80, 80, Rgba::fromRgb(0x8E44AD)));
    movie.defineSprite(7, [](Timeline& outer) {
        outer.place(Place::add(6, 1));
        outer.place(Place::add(5, 2));
        outer.showFrame();
    });
    movie.defineShape(8, ShapeBuilder::filledCirclePx(0, 0, 30, Rgba::fromRgb(0xE67E22)));

    const int frames = 32;
    for (int f = 0; f < frames; ++f) {
        Matrix clip = Matrix::rotate(f * 360.0 / frames);
        clip.translateX = (140 + f * 8) * 20;
        clip.translateY = 150 * 20;
        if (f == 0) {
            movie.place(Place::add(1, 1));
            movie.place(Place::add(3, 2).matrix(Matrix::translatePixels(480, 20)));
            movie.place(Place::add(7, 3).matrix(clip));
            movie.place(Place::add(8, 4).matrix(Matrix::translatePixels(60, 60)));
        } else {
            movie.place(Place::move(3).matrix(clip));
            movie.place(Place::move(4).matrix(Matrix::translatePixels(60 + f * 12, 60 + (f % 8) * 10)));
        }
        movie.showFrame();
    }
    return movie.bytes();
}

uint32_t frameColour(int frame) {
    static const uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x808080, 0xFFFFFF};
    return colours[frame % 8];
}

Bytes colourFramesMovie(int frames, double frameRate, int width, int height) {
    SwfWriter movie(6);
    movie.frameSizePixels(width, height).frameRate(frameRate);
    movie.setBackgroundColor(Rgba::fromRgb(0x000000));
    for (int f = 0; f < frames; ++f) {
        movie.defineShape(uint16_t(f + 1), ShapeBuilder::filledRectPx(0, 0, width, height, Rgba::fromRgb(frameColour(f))));
        if (f == 0)
            movie.place(Place::add(1, 1));
        else
            movie.place(Place::replace(uint16_t(f + 1), 1));
        movie.showFrame();
    }
    return movie.bytes();
}

}  // namespace kelmora::samples
