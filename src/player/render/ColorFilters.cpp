// Colour matrix and convolution work on straight (not premultiplied) colours, as Flash's do.
#include "player/render/ColorFilters.h"

#include <algorithm>
#include <cmath>

#include "player/render/FilterPixels.h"

namespace kelmora::player {

namespace {

struct Straight {
    float r, g, b, a;
};

inline Straight unpremultiply(uint32_t p) {
    float a = alphaOf(p);
    if (a <= 0) return {0, 0, 0, 0};
    float k = 255.0f / a;
    return {std::min(redOf(p) * k, 255.0f), std::min(greenOf(p) * k, 255.0f), std::min(blueOf(p) * k, 255.0f), a};
}

inline uint8_t channel(float v) {
    if (!(v > 0)) return 0;  // also NaN
    return v >= 255 ? 255 : static_cast<uint8_t>(v + 0.5f);
}

inline uint32_t premultiply(float r, float g, float b, float a) {
    uint8_t a8 = channel(a);
    return packArgb(a8, uint8_t(mul255(channel(r), a8)), uint8_t(mul255(channel(g), a8)),
                    uint8_t(mul255(channel(b), a8)));
}

}  // namespace

void applyColorMatrix(PixelBuffer& layer, const Filter& f) {
    if (f.matrix.size() < 20) return;
    const float* m = f.matrix.data();
    uint32_t* p = layer.data();
    size_t n = static_cast<size_t>(layer.width()) * layer.height();
    for (size_t i = 0; i < n; ++i) {
        Straight c = unpremultiply(p[i]);
        float r = m[0] * c.r + m[1] * c.g + m[2] * c.b + m[3] * c.a + m[4];
        float g = m[5] * c.r + m[6] * c.g + m[7] * c.b + m[8] * c.a + m[9];
        float b = m[10] * c.r + m[11] * c.g + m[12] * c.b + m[13] * c.a + m[14];
        float a = m[15] * c.r + m[16] * c.g + m[17] * c.b + m[18] * c.a + m[19];
        p[i] = premultiply(r, g, b, a);
    }
}

void applyConvolution(PixelBuffer& layer, const Filter& f, FilterScratch& s) {
    const int w = layer.width(), h = layer.height();
    const int mx = f.matrixX, my = f.matrixY;
    if (w <= 0 || h <= 0 || mx <= 0 || my <= 0 || f.matrix.size() < static_cast<size_t>(mx) * my) return;
    s.copy.resize(w, h);
    std::copy(layer.data(), layer.data() + static_cast<size_t>(w) * h, s.copy.data());
    const float divisor = (f.divisor == 0 || !std::isfinite(f.divisor)) ? 1.0f : static_cast<float>(f.divisor);
    const float bias = std::isfinite(f.bias) ? static_cast<float>(f.bias) : 0.0f;
    const Straight outside = {float(f.defaultColor.r), float(f.defaultColor.g), float(f.defaultColor.b),
                              float(f.defaultColor.a)};
    const int cx = mx / 2, cy = my / 2;
    for (int y = 0; y < h; ++y) {
        uint32_t* out = layer.row(y);
        for (int x = 0; x < w; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int j = 0; j < my; ++j) {
                int sy = y + j - cy;
                for (int i = 0; i < mx; ++i) {
                    float k = f.matrix[static_cast<size_t>(j) * mx + i];
                    if (k == 0) continue;
                    int sx = x + i - cx;
                    Straight c;
                    if (sx >= 0 && sx < w && sy >= 0 && sy < h)
                        c = unpremultiply(s.copy.pixel(sx, sy));
                    else if (f.clamp)
                        c = unpremultiply(s.copy.pixel(std::clamp(sx, 0, w - 1), std::clamp(sy, 0, h - 1)));
                    else
                        c = outside;
                    r += k * c.r; g += k * c.g; b += k * c.b; a += k * c.a;
                }
            }
            Straight self = unpremultiply(s.copy.pixel(x, y));
            float outA = f.preserveAlpha ? self.a : a / divisor + bias;
            out[x] = premultiply(r / divisor + bias, g / divisor + bias, b / divisor + bias, outA);
        }
    }
}

}  // namespace kelmora::player
