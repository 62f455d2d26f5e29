#include "player/display/ImageDraw.h"

#include <algorithm>
#include <cmath>

#include "player/display/Compositing.h"

namespace kelmora::player {

namespace {

uint32_t sampleNearest(const PixelBuffer& img, double u, double v) {
    int x = std::clamp(static_cast<int>(std::floor(u)), 0, img.width() - 1);
    int y = std::clamp(static_cast<int>(std::floor(v)), 0, img.height() - 1);
    return img.pixel(x, y);
}

uint32_t sampleBilinear(const PixelBuffer& img, double u, double v) {
    u -= 0.5;
    v -= 0.5;
    int x0 = static_cast<int>(std::floor(u)), y0 = static_cast<int>(std::floor(v));
    double fx = u - x0, fy = v - y0;
    auto at = [&](int x, int y) { return img.pixel(std::clamp(x, 0, img.width() - 1), std::clamp(y, 0, img.height() - 1)); };
    uint32_t p00 = at(x0, y0), p10 = at(x0 + 1, y0), p01 = at(x0, y0 + 1), p11 = at(x0 + 1, y0 + 1);
    uint32_t out = 0;
    for (int sh = 0; sh < 32; sh += 8) {
        double c = ((p00 >> sh) & 255) * (1 - fx) * (1 - fy) + ((p10 >> sh) & 255) * fx * (1 - fy) +
                   ((p01 >> sh) & 255) * (1 - fx) * fy + ((p11 >> sh) & 255) * fx * fy;
        out |= static_cast<uint32_t>(std::clamp(std::lround(c), 0L, 255L)) << sh;
    }
    return out;
}

uint32_t transformed(uint32_t p, const ColorTransform& cx) {
    uint32_t a = p >> 24;
    Rgba c{0, 0, 0, static_cast<uint8_t>(a)};
    if (a) {
        c.r = static_cast<uint8_t>(std::min<uint32_t>(255, (((p >> 16) & 255) * 255 + a / 2) / a));
        c.g = static_cast<uint8_t>(std::min<uint32_t>(255, (((p >> 8) & 255) * 255 + a / 2) / a));
        c.b = static_cast<uint8_t>(std::min<uint32_t>(255, ((p & 255) * 255 + a / 2) / a));
    }
    Rgba o = cx.apply(c);
    auto pm = [&](uint8_t ch) { return static_cast<uint8_t>((ch * o.a + 127) / 255); };
    return packArgb(o.a, pm(o.r), pm(o.g), pm(o.b));
}

}  // namespace

void drawImage(const PixelBuffer& image, const Matrix& toTarget, const ColorTransform& cx, bool smooth,
               PixelBuffer& target) {
    if (image.empty() || !toTarget.invertible()) return;
    Rect area = Rect{0, 0, static_cast<double>(image.width()), static_cast<double>(image.height())}.transformed(toTarget);
    int x0 = std::max(0, static_cast<int>(std::floor(area.xMin))), y0 = std::max(0, static_cast<int>(std::floor(area.yMin)));
    int x1 = std::min(target.width(), static_cast<int>(std::ceil(area.xMax)));
    int y1 = std::min(target.height(), static_cast<int>(std::ceil(area.yMax)));
    const Matrix back = toTarget.inverted();
    const bool plain = cx.isIdentity();
    for (int y = y0; y < y1; ++y) {
        uint32_t* row = target.row(y);
        for (int x = x0; x < x1; ++x) {
            Point s = back.apply({x + 0.5, y + 0.5});
            if (s.x < 0 || s.y < 0 || s.x >= image.width() || s.y >= image.height()) continue;
            uint32_t p = smooth ? sampleBilinear(image, s.x, s.y) : sampleNearest(image, s.x, s.y);
            if (!plain) p = transformed(p, cx);
            uint32_t sa = p >> 24;
            if (sa == 255) { row[x] = p; continue; }
            if (p == 0) continue;
            uint32_t d = row[x], out = 0;
            for (int sh = 0; sh < 32; sh += 8)
                out |= std::min<uint32_t>(255, ((p >> sh) & 255) + (((d >> sh) & 255) * (255 - sa) + 127) / 255) << sh;
            row[x] = out;
        }
    }
}

}  // namespace kelmora::player
